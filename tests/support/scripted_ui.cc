#include "support/scripted_ui.h"

#include <type_traits>

namespace tarquel::testing {

namespace {

std::string OneLine(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (text[i] == '\r' || text[i] == '\n') {
      out += "\\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

const char* AnswerName(host::MessageAnswer answer) {
  switch (answer) {
    case host::MessageAnswer::kOk:
      return "ok";
    case host::MessageAnswer::kYes:
      return "yes";
    case host::MessageAnswer::kNo:
      return "no";
  }
  return "?";
}

const char* SoundName(host::SystemSound sound) {
  switch (sound) {
    case host::SystemSound::kInformation:
      return "information";
    case host::SystemSound::kBeep:
      return "beep";
  }
  return "?";
}

std::string DescribeMessage(const MessageRecord& m) {
  std::string line = "message(";
  line += m.buttons == host::MessageButtons::kOk ? "ok" : "yes-no";
  if (m.caption) line += ", \"" + *m.caption + "\"";
  line += ")";
  if (m.buttons == host::MessageButtons::kYesNo) line += std::string(" -> ") + AnswerName(m.answer);
  return line + ": " + OneLine(m.prompt);
}

}  // namespace

const char* KindName(host::MessageKind kind) {
  switch (kind) {
    case host::MessageKind::kResult:
      return "result";
    case host::MessageKind::kQuestion:
      return "question";
    case host::MessageKind::kStop:
      return "stop";
    case host::MessageKind::kRefused:
      return "refused";
    case host::MessageKind::kError:
      return "error";
  }
  return "?";
}

std::vector<host::MessageKind> KindsOf(const std::vector<MessageRecord>& messages) {
  std::vector<host::MessageKind> kinds;
  for (const MessageRecord& m : messages) kinds.push_back(m.kind);
  return kinds;
}

std::string Describe(const UiRecord& record) {
  return std::visit(
      [](const auto& r) -> std::string {
        using R = std::decay_t<decltype(r)>;
        if constexpr (std::is_same_v<R, MessageRecord>) {
          return DescribeMessage(r);
        } else if constexpr (std::is_same_v<R, OpenFilenameRecord>) {
          return "open-filename(" + std::to_string(r.filters.size()) + " filters) -> " + r.answer;
        } else if constexpr (std::is_same_v<R, SoundRecord>) {
          return std::string("sound(") + SoundName(r.sound) + ")";
        } else if constexpr (std::is_same_v<R, EditPhoneticsRecord>) {
          return "edit-phonetics";
        } else if constexpr (std::is_same_v<R, PrintPreviewRecord>) {
          return "print-preview(" + std::to_string(r.sheets.size()) + " sheets)";
        } else {
          static_assert(std::is_same_v<R, ShowModalRecord>);
          return "show-modal: " + r.caption;
        }
      },
      record);
}

void PrintTo(const MessageRecord& record, std::ostream* out) {
  *out << KindName(record.kind) << " " << DescribeMessage(record);
}

ScriptedUi::~ScriptedUi() {
  for (const QueuedAnswer& queued : answers_) {
    ADD_FAILURE() << "unused queued answer " << AnswerName(queued.answer)
                  << (queued.prompt_part.empty() ? "" : " for \"" + queued.prompt_part + "\"");
  }
  for (const std::string& path : open_filenames_) {
    ADD_FAILURE() << "unused queued file name \"" << path << "\"";
  }
  if (!form_scripts_.empty()) {
    ADD_FAILURE() << form_scripts_.size() << " unused queued form script(s)";
  }
}

void ScriptedUi::QueueAnswer(host::MessageAnswer answer, std::string prompt_part) {
  if (answer == host::MessageAnswer::kOk) {
    ADD_FAILURE() << "QueueAnswer takes kYes or kNo; OK boxes need no answer";
    return;
  }
  answers_.push_back({answer, std::move(prompt_part)});
}

void ScriptedUi::QueueOpenFilename(std::string path) { open_filenames_.push_back(std::move(path)); }

void ScriptedUi::QueueFormScript(FormScript script) { form_scripts_.push_back(std::move(script)); }

std::vector<std::string> ScriptedUi::Transcript() const {
  std::vector<std::string> lines;
  lines.reserve(log_.size());
  for (const UiRecord& record : log_) lines.push_back(Describe(record));
  return lines;
}

std::vector<UiRecord> ScriptedUi::TakeLog() { return std::exchange(log_, {}); }

std::vector<MessageRecord> ScriptedUi::TakeMessages() { return std::exchange(messages_, {}); }

void ScriptedUi::ExpectNoMessages() const {
  if (messages_.empty()) return;
  std::string list;
  for (const MessageRecord& m : messages_) list += "\n  " + DescribeMessage(m);
  ADD_FAILURE() << messages_.size() << " unexpected message(s):" << list;
}

host::MessageAnswer ScriptedUi::MessageBox(host::MessageKind kind, const std::string& prompt,
                                           host::MessageButtons buttons,
                                           const std::optional<std::string>& caption) {
  if ((kind == host::MessageKind::kQuestion) != (buttons == host::MessageButtons::kYesNo)) {
    ADD_FAILURE() << "a " << KindName(kind) << " message with the "
                  << (buttons == host::MessageButtons::kYesNo ? "Yes/No" : "OK")
                  << " buttons: " << OneLine(prompt);
  }
  host::MessageAnswer answer = host::MessageAnswer::kOk;
  if (buttons == host::MessageButtons::kYesNo) {
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected Yes/No question (answered No): " << OneLine(prompt);
      answer = host::MessageAnswer::kNo;
    } else {
      QueuedAnswer queued = std::move(answers_.front());
      answers_.pop_front();
      if (prompt.find(queued.prompt_part) == std::string::npos) {
        ADD_FAILURE() << "the answer queued for \"" << queued.prompt_part
                      << "\" was asked: " << OneLine(prompt);
      }
      answer = queued.answer;
    }
  }
  MessageRecord record{prompt, buttons, caption, answer, kind};
  messages_.push_back(record);
  log_.push_back(std::move(record));
  return answer;
}

std::string ScriptedUi::GetOpenFilename(const std::vector<host::FileFilter>& filters) {
  std::string answer = "False";
  if (open_filenames_.empty()) {
    ADD_FAILURE() << "unexpected file-open dialog (cancelled)";
  } else {
    answer = std::move(open_filenames_.front());
    open_filenames_.pop_front();
  }
  log_.push_back(OpenFilenameRecord{filters, answer});
  return answer;
}

void ScriptedUi::PlaySound(host::SystemSound sound) { log_.push_back(SoundRecord{sound}); }

void ScriptedUi::EditPhonetics(host::Range& selection) {
  ++phonetic_edits_;
  log_.push_back(EditPhoneticsRecord{&selection});
  if (on_edit_phonetics) on_edit_phonetics(selection);
}

void ScriptedUi::PrintPreview(const std::vector<host::Worksheet*>& sheets) {
  log_.push_back(PrintPreviewRecord{sheets});
}

void ScriptedUi::ShowModal(host::Form& form) {
  log_.push_back(ShowModalRecord{form.caption()});
  if (form_scripts_.empty()) {
    ADD_FAILURE() << "unexpected modal dialog \"" << form.caption() << "\" (closed)";
  } else {
    // Popped before it runs, so that dialogs the script opens take the scripts after it.
    FormScript script = std::move(form_scripts_.front());
    form_scripts_.pop_front();
    script(form);
  }
  if (form.shown()) form.Unload();
}

}  // namespace tarquel::testing
