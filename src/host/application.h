// The host application: its open workbooks and the active one, the active sheet's selection,
// the clipboard, the command bars, the registered shortcut keys, and the application-wide
// settings the add-in switches (screen updating, comment indicators). It owns the workbooks;
// a front end creates one Application with its Ui, and commands reach everything through it.
#ifndef TARQUEL_HOST_APPLICATION_H_
#define TARQUEL_HOST_APPLICATION_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/clipboard.h"
#include "host/command_bars.h"
#include "host/range.h"
#include "host/ui.h"
#include "host/workbook.h"

namespace tarquel::host {

class Application;

// Reads and writes workbook files for the host (the xlsx codec). Failures are thrown as
// HostError, and a failed Load leaves `into` to be discarded.
class WorkbookFiles {
 public:
  virtual ~WorkbookFiles() = default;
  virtual void Load(const std::string& path, Workbook& into) = 0;
  virtual void Save(const Workbook& workbook, const std::string& path) = 0;
};

// The host's Workbooks collection, 1-based.
class Workbooks {
 public:
  explicit Workbooks(Application& app) : app_(&app) {}
  int Count() const;
  Workbook& Item(int index) const;
  // A new workbook with one sheet "Sheet1", named "BookN"; it and its sheet become active.
  Workbook& Add() const;
  // Opens the file through the application's WorkbookFiles and makes it active. A workbook
  // already open from the same path is activated instead. A run-time error when the file
  // cannot be opened; nothing is changed then.
  Workbook& Open(const std::string& file_name) const;
  // Closes the workbook without saving; the next one (if any) becomes active.
  void Close(Workbook& workbook) const;

 private:
  Application* app_;
};

enum class CommentIndicator { kNone = 0, kIndicatorOnly = -1, kCommentAndIndicator = 1 };

// The active window of the host: the active sheet's view and the selected sheets.
class Window {
 public:
  explicit Window(Application& app) : app_(&app) {}
  bool DisplayGridlines() const;
  void SetDisplayGridlines(bool show) const;
  std::vector<Worksheet*> SelectedSheets() const;
  // Print preview of the selected sheets through the Ui.
  void PrintPreviewSelectedSheets() const;

 private:
  Application* app_;
};

struct ShortcutKey {
  std::string key;  // the letter; the host binds Ctrl plus the letter
  std::string macro;
};

class Application {
 public:
  explicit Application(Ui& ui);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  ~Application();

  Ui& ui() const { return *ui_; }

  host::Workbooks Workbooks() { return host::Workbooks(*this); }
  // nullptr when no workbook is open.
  Workbook* ActiveWorkbook() const { return active_workbook_; }
  // The active workbook's active sheet; a run-time error when no workbook is open.
  Worksheet& ActiveSheet() const;
  host::Range Selection() const;
  host::Range ActiveCell() const;
  host::Range Range(std::string_view address) const;  // on the active sheet
  host::Range Cells(int32_t row, int32_t column) const;
  host::Window ActiveWindow() { return host::Window(*this); }

  bool ScreenUpdating() const { return screen_updating_; }
  void SetScreenUpdating(bool on) { screen_updating_ = on; }
  CommentIndicator DisplayCommentIndicator() const { return comment_indicator_; }
  void SetDisplayCommentIndicator(CommentIndicator v) { comment_indicator_ = v; }

  host::CommandBars& CommandBars() { return command_bars_; }

  // Registers a shortcut key (Ctrl + `shortcut_key`) for a macro, replacing an earlier binding
  // of the key. `shortcut_key` must be one letter; otherwise a run-time error.
  void MacroOptions(const std::string& macro, bool has_shortcut_key,
                    const std::string& shortcut_key);
  const std::vector<ShortcutKey>& shortcut_keys() const { return shortcut_keys_; }
  // The macro bound to Ctrl + key, if any.
  std::optional<std::string> ShortcutMacro(std::string_view key) const;

  static double InchesToPoints(double inches) { return inches * 72.0; }

  // The host's file-open dialog. `filter` is the host's filter text: description and pattern
  // pairs joined by commas ("Book,*.xl*,Text,*.txt"). Returns the path, or "False".
  std::string GetOpenFilename(std::string_view filter) const;

  // Whether a copied range waits on the clipboard; setting it False empties the clipboard.
  bool CutCopyMode() const { return clipboard_ != nullptr; }
  void SetCutCopyMode(bool on);
  const ClipboardContent* clipboard() const { return clipboard_.get(); }
  void SetClipboard(ClipboardContent content);

  // Called with the sheet whenever the active sheet changes (the workbook's sheet activation
  // event).
  void SetSheetActivateListener(std::function<void(Worksheet&)> listener) {
    sheet_activate_listener_ = std::move(listener);
  }
  void NotifySheetActivated(Worksheet& sheet);

  void SetWorkbookFiles(WorkbookFiles* files) { files_ = files; }
  WorkbookFiles* workbook_files() const { return files_; }

 private:
  friend class host::Workbooks;
  friend class Workbook;

  Ui* ui_;
  std::vector<std::unique_ptr<Workbook>> workbooks_;
  Workbook* active_workbook_ = nullptr;
  int next_book_number_ = 1;
  bool screen_updating_ = true;
  CommentIndicator comment_indicator_ = CommentIndicator::kIndicatorOnly;
  host::CommandBars command_bars_;
  std::vector<ShortcutKey> shortcut_keys_;
  std::unique_ptr<ClipboardContent> clipboard_;
  std::function<void(Worksheet&)> sheet_activate_listener_;
  WorkbookFiles* files_ = nullptr;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_APPLICATION_H_
