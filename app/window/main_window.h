// MainWindow is the desktop window: the active workbook's sheets as tabs under a grid that shows
// the active sheet, the host's cell menu on a right click (the add-in's popup first), the
// add-in's shortcut keys, and a menu bar with the file commands, editing and the add-in's popup
// again. Commands run through the data workbook's macros, as the host runs them; afterwards the
// window shows what the host holds (the active workbook and sheet, the selection), so that a
// command that selects a cell on another sheet brings it into view.
#ifndef TARQUEL_APP_WINDOW_MAIN_WINDOW_H_
#define TARQUEL_APP_WINDOW_MAIN_WINDOW_H_

#include <QMainWindow>
#include <string>
#include <vector>

#include "print/font_catalog.h"
#include "window/qt_ui.h"
#include "window/session.h"
#include "window/sheet_grid.h"

class QLabel;
class QLineEdit;
class QMenu;
class QShortcut;
class QTabBar;

namespace tarquel::host {
class CommandBarControls;
class Workbook;
}  // namespace tarquel::host

namespace tarquel::window {

// The answers of the question asked before a workbook with changes is closed.
enum class SaveChoice { kSave, kDontSave, kCancel };

// The QKeySequence text of a host shortcut key: Ctrl with a lower-case letter, Ctrl+Shift with
// an upper-case one ("Ctrl+A", "Ctrl+Shift+A"); empty for anything but one ASCII letter.
QString ShortcutSequence(const std::string& key);

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // All three must outlive the window.
  MainWindow(WindowSession& session, QtUi& ui, print::FontCatalog& fonts);
  ~MainWindow() override;

  SheetGrid* grid() const { return grid_; }
  QTabBar* sheet_tabs() const { return tabs_; }
  WindowSession& session() const { return session_; }

  // Loads the add-in (its data file dialog comes up) and shows the workbook it opened.
  void Start();
  // Runs the data workbook's macro, showing a host run-time error as the host does, then shows
  // what the host holds.
  void RunMacro(const std::string& name);
  // Shows what the host holds now.
  void SyncFromHost();

  // The cell menu as the host's command bar "cell" holds it now.
  QMenu* BuildCellMenu(QWidget* parent);
  // The shortcut keys the host has registered, as the window binds them.
  const std::vector<QShortcut*>& shortcuts() const { return shortcuts_; }

  // Closes `workbook`, first asking whether to save changes: false when the user cancelled or
  // the save failed (the workbook stays open then).
  bool CloseWorkbook(host::Workbook& workbook);
  // Asks whether to save the changes of `workbook` (保存 / 保存しない / キャンセル).
  SaveChoice AskToSave(const host::Workbook& workbook);
  // Saves the active workbook (asking for a name when it has none); false when it was not saved.
  bool SaveActive(bool ask_name);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void FillMenu(QMenu& menu, host::CommandBarControls& controls);
  void RunHostEntry(const std::string& caption);
  // Adds a comment to the active cell, or edits the one it has.
  void EditComment();
  void BindShortcuts();
  void ShowError(const QString& message);
  // The bank check of the active workbook's bank sheet, its findings in a dialog.
  void CheckBank();
  // The active cell's address and contents above the grid.
  void ShowActiveCell();
  void OpenFile();
  void PrintPreview();
  void PrintOnPrinter();
  void ExportPdf();
  std::vector<host::Worksheet*> SelectedSheets();

  WindowSession& session_;
  QtUi& ui_;
  print::FontCatalog& fonts_;
  SheetGrid* grid_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QLabel* name_box_ = nullptr;
  QLineEdit* cell_contents_ = nullptr;
  QMenu* add_in_menu_ = nullptr;
  std::vector<host::Worksheet*> tab_sheets_;
  std::vector<QShortcut*> shortcuts_;
  std::vector<std::pair<std::string, std::string>> bound_keys_;
};

}  // namespace tarquel::window

#endif  // TARQUEL_APP_WINDOW_MAIN_WINDOW_H_
