// QtUi is the host's user interface in the desktop window: message boxes with the host's icons
// and buttons (OK, はい/いいえ), the desktop's file-open dialog with the host's filter, the
// desktop's beep, the phonetic guide editor, the print preview, and the add-in's dialogs
// presented as real dialogs (FormDialog).
#ifndef TARQUEL_APP_WINDOW_QT_UI_H_
#define TARQUEL_APP_WINDOW_QT_UI_H_

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/ui.h"
#include "print/font_catalog.h"

class QWidget;

namespace tarquel::host {
class Platform;
}

namespace tarquel::window {

// The window's own title, for a message box that has none.
inline constexpr char kHostTitle[] = "Tarquel";

// A file-open dialog's filter as Qt writes it ("ブック (*.xl*);;テキスト (*.txt)").
QString QtFilter(const std::vector<host::FileFilter>& filters);

class QtUi : public host::Ui {
 public:
  // `fonts` and `platform` must outlive the Ui.
  QtUi(print::FontCatalog& fonts, host::Platform& platform);

  // The window dialogs are shown over; may change as windows come and go.
  void SetParent(QWidget* parent) { parent_ = parent; }
  QWidget* parent() const { return parent_; }
  // Runs after each action of the user in a dialog and after each message box, so that the
  // window shows what the command changed meanwhile.
  void SetAfterAction(std::function<void()> after_action) {
    after_action_ = std::move(after_action);
  }

  // The next file-open dialog returns `path` without asking (the file named on the command line),
  // and the data file dialog shown next opens it through its ファイルを開く button.
  void OpenAtStart(std::string path) { start_file_ = std::move(path); }

  host::MessageAnswer MessageBox(host::MessageKind kind, const std::string& prompt,
                                 host::MessageButtons buttons,
                                 const std::optional<std::string>& caption) override;
  std::string GetOpenFilename(const std::vector<host::FileFilter>& filters) override;
  void PlaySound(host::SystemSound sound) override;
  void EditPhonetics(host::Range& selection) override;
  void PrintPreview(const std::vector<host::Worksheet*>& sheets) override;
  void ShowModal(host::Form& form) override;

 private:
  // The window a dialog or message is shown over: the modal dialog on top, else the window.
  QWidget* DialogParent() const;

  print::FontCatalog& fonts_;
  host::Platform& platform_;
  QWidget* parent_ = nullptr;
  std::function<void()> after_action_;
  std::optional<std::string> start_file_;
  bool start_file_pending_ = false;
};

}  // namespace tarquel::window

#endif  // TARQUEL_APP_WINDOW_QT_UI_H_
