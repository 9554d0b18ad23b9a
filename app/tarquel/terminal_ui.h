// TerminalUi is the host's user interface at a terminal: message boxes are printed with their
// captions, Yes/No questions are answered from the command line (--yes, --no) or asked, the
// file-open dialog takes the file the command names or asks for one, and dialogs are answered
// by the command's script or presented to the person at the terminal.
//
// It keeps count of how a command ended: a message box that is not a command's result (a
// check that stopped it, a refused value, an error) marks the run as stopped.
#ifndef TARQUEL_APP_TARQUEL_TERMINAL_UI_H_
#define TARQUEL_APP_TARQUEL_TERMINAL_UI_H_

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

#include "host/ui.h"
#include "tarquel/dialog_presenter.h"
#include "tarquel/terminal.h"

namespace tarquel::cli {

// True for the kinds of message that end a command without its result (a check that stopped
// it, a refused value, an error), as opposed to a result or a question.
bool EndsTheCommand(host::MessageKind kind);

class TerminalUi : public host::Ui {
 public:
  explicit TerminalUi(const Terminal& terminal) : terminal_(terminal) {}

  const Terminal& terminal() const { return terminal_; }

  // Answers to the coming Yes/No questions, in order (true: Yes).
  void QueueAnswers(const std::vector<bool>& answers);
  // The file the next file-open dialog returns.
  void QueueFileName(std::string path) { file_names_.push_back(std::move(path)); }
  // The reading the phonetic guide editor gives the cells.
  void SetReading(std::optional<std::string> reading) { reading_ = std::move(reading); }
  // What the print preview does with the sheets; without it the preview is only announced.
  void SetPrintPreview(std::function<void(const std::vector<host::Worksheet*>&)> preview) {
    preview_ = std::move(preview);
  }
  // How the next showing of the dialog class `form_type` is answered.
  void SetScript(std::type_index form_type, DialogScript script) {
    scripts_[form_type] = std::move(script);
  }
  // The command-line option that filled the control `control` of scripted dialogs: a message
  // raised while that control has the focus (its check when it is left) names the option, so
  // the user knows which of their values was refused.
  template <typename F, typename C>
  void NameOption(C F::*control, std::string option) {
    options_.push_back({[control](host::Form& form) -> const host::Control* {
                          auto* dialog = dynamic_cast<F*>(&form);
                          return dialog == nullptr ? nullptr : &(dialog->*control);
                        },
                        std::move(option)});
  }
  // The same for a control of a dialog that is shown.
  void NameOption(const host::Control& control, std::string option) {
    options_.push_back(
        {[&control](host::Form&) -> const host::Control* { return &control; }, std::move(option)});
  }
  // What runs after each action of a person on a dialog of class `form_type` presented at the
  // terminal (to note what the dialog did, say).
  void SetWatcher(std::type_index form_type, std::function<void(host::Form&)> watcher) {
    watchers_[form_type] = std::move(watcher);
  }

  // A check, a refused value or an error stopped the command.
  bool stopped() const { return stopped_; }
  void MarkStopped() { stopped_ = true; }

  host::MessageAnswer MessageBox(host::MessageKind kind, const std::string& prompt,
                                 host::MessageButtons buttons,
                                 const std::optional<std::string>& caption) override;
  std::string GetOpenFilename(const std::vector<host::FileFilter>& filters) override;
  void PlaySound(host::SystemSound sound) override;
  void EditPhonetics(host::Range& selection) override;
  void PrintPreview(const std::vector<host::Worksheet*>& sheets) override;
  void ShowModal(host::Form& form) override;

 private:
  bool AnswerYesNo();
  // "--range: " when the message comes from the check of a box an option filled.
  std::string OptionPrefix() const;

  const Terminal& terminal_;
  std::deque<bool> answers_;
  std::deque<std::string> file_names_;
  std::optional<std::string> reading_;
  std::function<void(const std::vector<host::Worksheet*>&)> preview_;
  std::map<std::type_index, DialogScript> scripts_;
  // Each named option with what finds its control on a form (null when the form has none).
  struct NamedOption {
    std::function<const host::Control*(host::Form&)> control;
    std::string option;
  };
  std::vector<NamedOption> options_;
  std::map<std::type_index, std::function<void(host::Form&)>> watchers_;
  host::Form* scripted_form_ = nullptr;  // the dialog a script is acting on
  bool stopped_ = false;
};

}  // namespace tarquel::cli

#endif  // TARQUEL_APP_TARQUEL_TERMINAL_UI_H_
