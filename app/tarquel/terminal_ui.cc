#include "tarquel/terminal_ui.h"

#include <ostream>
#include <typeinfo>
#include <utility>

#include "host/range.h"
#include "host/utf16.h"
#include "host/worksheet.h"

namespace tarquel::cli {

namespace {

// The host's own title, for a message box that has none.
constexpr char kHostTitle[] = "Tarquel";

void PrintMessage(std::ostream& out, const std::string& prompt,
                  const std::optional<std::string>& caption, const std::string& prefix = "") {
  out << "[" << caption.value_or(kHostTitle) << "]";
  const std::string text = prefix + TerminalText(prompt);
  out << (text.find('\n') == std::string::npos ? " " : "\n") << text << "\n";
}

}  // namespace

bool EndsTheCommand(host::MessageKind kind) {
  switch (kind) {
    case host::MessageKind::kResult:
    case host::MessageKind::kQuestion:
      return false;
    case host::MessageKind::kStop:
    case host::MessageKind::kRefused:
    case host::MessageKind::kError:
      return true;
  }
  return true;
}

void TerminalUi::QueueAnswers(const std::vector<bool>& answers) {
  answers_.insert(answers_.end(), answers.begin(), answers.end());
}

host::MessageAnswer TerminalUi::MessageBox(host::MessageKind kind, const std::string& prompt,
                                           host::MessageButtons buttons,
                                           const std::optional<std::string>& caption) {
  if (buttons == host::MessageButtons::kYesNo) {
    PrintMessage(terminal_.out, prompt, caption);
    return AnswerYesNo() ? host::MessageAnswer::kYes : host::MessageAnswer::kNo;
  }
  if (!EndsTheCommand(kind)) {
    PrintMessage(terminal_.out, prompt, caption);
  } else {
    PrintMessage(terminal_.err, prompt, caption, OptionPrefix());
    stopped_ = true;
  }
  return host::MessageAnswer::kOk;
}

std::string TerminalUi::OptionPrefix() const {
  if (scripted_form_ == nullptr || scripted_form_->focused() == nullptr) return "";
  const host::Control* focused = scripted_form_->focused();
  // The latest naming wins, as a control named again takes the new option.
  for (auto named = options_.rbegin(); named != options_.rend(); ++named) {
    if (named->control(*scripted_form_) == focused) return named->option + ": ";
  }
  return "";
}

bool TerminalUi::AnswerYesNo() {
  if (!answers_.empty()) {
    const bool yes = answers_.front();
    answers_.pop_front();
    terminal_.out << (yes ? "Yes" : "No") << "\n";
    return yes;
  }
  if (terminal_.interactive) {
    while (true) {
      const std::optional<std::string> line = terminal_.Ask("(y/n) ");
      if (!line) return false;
      if (*line == "y" || *line == "Y" || *line == "yes") return true;
      if (*line == "n" || *line == "N" || *line == "no") return false;
    }
  }
  terminal_.out << "No\n";
  terminal_.err << "(answered No: there is no terminal to ask; --yes answers Yes)\n";
  return false;
}

std::string TerminalUi::GetOpenFilename(const std::vector<host::FileFilter>&) {
  if (!file_names_.empty()) {
    std::string path = std::move(file_names_.front());
    file_names_.pop_front();
    return path;
  }
  if (!terminal_.interactive) return "False";
  const std::optional<std::string> line = terminal_.Ask("File to open (empty to cancel): ");
  return line && !line->empty() ? *line : "False";
}

void TerminalUi::PlaySound(host::SystemSound) {
  // The terminal's bell, where a person can hear it.
  if (terminal_.interactive) terminal_.err << '\a' << std::flush;
}

void TerminalUi::EditPhonetics(host::Range& selection) {
  std::optional<std::string> reading = reading_;
  if (!reading && terminal_.interactive) {
    std::string shown;
    for (const host::PhoneticRun& run : selection.PhoneticRuns()) shown += run.text;
    reading =
        terminal_.Ask("Reading of " + selection.Text() + " [" + shown + "] (empty keeps it): ");
    if (reading && reading->empty()) reading.reset();
  }
  if (!reading) return;
  const std::string text = selection.Value().AsText();
  selection.SetPhoneticRuns(
      {{0, static_cast<uint32_t>(host::Utf16Length(text)), std::move(*reading)}});
}

void TerminalUi::PrintPreview(const std::vector<host::Worksheet*>& sheets) {
  if (preview_) {
    preview_(sheets);
    return;
  }
  for (const host::Worksheet* sheet : sheets) {
    terminal_.out << "(print preview of " << sheet->Name()
                  << ": paper --preview OUT.pdf prints it)\n";
  }
}

void TerminalUi::ShowModal(host::Form& form) {
  const auto script = scripts_.find(typeid(form));
  if (script != scripts_.end()) {
    const DialogScript steps = std::move(script->second);
    scripts_.erase(script);
    host::Form* outer = std::exchange(scripted_form_, &form);
    if (!RunScript(form, steps)) stopped_ = true;
    scripted_form_ = outer;
    return;
  }
  if (terminal_.interactive) {
    // What the dialog says to the person is feedback they act on, not the command's end: the
    // command judges by what the dialog did.
    const bool stopped_before = stopped_;
    const auto watcher = watchers_.find(typeid(form));
    PresentInteractively(form, terminal_, watcher == watchers_.end() ? nullptr : watcher->second);
    stopped_ = stopped_before;
    return;
  }
  terminal_.err << "(closed the dialog \"" << form.caption()
                << "\": there is no terminal to present it)\n";
}

}  // namespace tarquel::cli
