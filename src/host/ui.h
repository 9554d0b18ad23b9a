// Ui is what the user sees and answers while a command runs: the host's message boxes, its
// file-open dialog, system sounds, the phonetic guide editor, print preview, and the modal
// showing of a dialog. Front ends implement it and own the event loop; tests use a scripted
// Ui. The library never prints: everything it shows goes through here.
#ifndef TARQUEL_HOST_UI_H_
#define TARQUEL_HOST_UI_H_

#include <optional>
#include <string>
#include <vector>

namespace tarquel::host {

class Form;
class Range;
class Worksheet;

enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

// What a message box is to the command that shows it. The library states it at each call, so
// that a front end decides how to present a message and how a command ended from its kind,
// never from its words or caption.
enum class MessageKind {
  kResult,    // what the command was run for: a count, a report, the version
  kQuestion,  // a Yes/No question whose answer decides what the command does next
  kStop,      // a check that ended the command: the wrong sheet, nothing selected, nothing to do
  kRefused,   // a dialog refused a value typed into it; the dialog stays open for another
  kError,     // the workbook or the settings hold something the command cannot work with
};

// The sounds the add-in plays.
enum class SystemSound {
  kInformation,  // the information (asterisk) sound
  kBeep,         // the plain system beep
};

// One entry of a file-open filter: a description and its pattern ("*.xl*").
struct FileFilter {
  std::string description;
  std::string pattern;
};

class Ui {
 public:
  virtual ~Ui() = default;

  // Shows `prompt` with the buttons and returns the answer. An absent caption means the host's
  // own title. Multi-line prompts use CR LF. `kind` is what the message is; a question has the
  // Yes/No buttons, every other kind OK.
  virtual MessageAnswer MessageBox(MessageKind kind, const std::string& prompt,
                                   MessageButtons buttons,
                                   const std::optional<std::string>& caption) = 0;

  // The host's file-open dialog. Returns the chosen path, or the text "False" when the user
  // cancels, as the host does.
  virtual std::string GetOpenFilename(const std::vector<FileFilter>& filters) = 0;

  virtual void PlaySound(SystemSound sound) = 0;

  // Lets the user edit the phonetic guide (furigana) of the cells of `selection`.
  virtual void EditPhonetics(Range& selection) = 0;

  // Shows the print preview of `sheets` (the selected sheets of the active window).
  virtual void PrintPreview(const std::vector<Worksheet*>& sheets) = 0;

  // Presents `form` modally and returns when it is no longer shown (Form::Unload or Hide).
  // The form's activation has run before this is called. A Ui that closes the window itself
  // (a close box) calls form.Unload().
  virtual void ShowModal(Form& form) = 0;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_UI_H_
