// ScriptedUi is the Ui of tests. It records every call in order and answers from queues the
// test fills beforehand: answers to Yes/No questions, paths for the file-open dialog, and
// scripts that play the user's part in modal dialogs. OK boxes need no answer; they are recorded
// and tests assert on messages(), each with the kind its call stated. A question must come with
// the Yes/No buttons and every other kind with OK, or the test fails. Anything the test did not
// prepare for (a Yes/No question, a file dialog or a modal dialog with nothing queued) fails the
// current test, and so does a queued item still unused when the ScriptedUi is destroyed.
//
// For use inside GoogleTest tests only: failures are reported with ADD_FAILURE.
#ifndef TARQUEL_TESTS_SUPPORT_SCRIPTED_UI_H_
#define TARQUEL_TESTS_SUPPORT_SCRIPTED_UI_H_

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <typeinfo>
#include <utility>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "host/forms/form.h"
#include "host/ui.h"

namespace tarquel::testing {

struct MessageRecord {
  std::string prompt;
  host::MessageButtons buttons = host::MessageButtons::kOk;
  std::optional<std::string> caption;
  host::MessageAnswer answer = host::MessageAnswer::kOk;  // what the ScriptedUi answered
  host::MessageKind kind = host::MessageKind::kResult;    // what the call said the message is

  // Equal when the user saw and answered the same; the kind, which the user does not see, is
  // pinned by tests of their own (KindsOf).
  bool operator==(const MessageRecord& other) const {
    return prompt == other.prompt && buttons == other.buttons && caption == other.caption &&
           answer == other.answer;
  }
};

struct OpenFilenameRecord {
  std::vector<host::FileFilter> filters;
  std::string answer;
};

struct SoundRecord {
  host::SystemSound sound;
};

struct EditPhoneticsRecord {
  host::Range* selection;
};

struct PrintPreviewRecord {
  std::vector<host::Worksheet*> sheets;
};

struct ShowModalRecord {
  std::string caption;  // the form's caption when it was shown
};

using UiRecord = std::variant<MessageRecord, OpenFilenameRecord, SoundRecord, EditPhoneticsRecord,
                              PrintPreviewRecord, ShowModalRecord>;

// One line per record, as Transcript shows it:
//   message(ok): <prompt>            message(yes-no, "<caption>") -> yes: <prompt>
//   open-filename(<n> filters) -> <path>
//   sound(information)   sound(beep)   edit-phonetics   print-preview(<n> sheets)
//   show-modal: <caption>
// Line breaks of prompts are shown as "\n".
std::string Describe(const UiRecord& record);

// "result", "question", "stop", "refused", "error".
const char* KindName(host::MessageKind kind);
// The kinds of `messages`, in order.
std::vector<host::MessageKind> KindsOf(const std::vector<MessageRecord>& messages);

// So that GoogleTest prints recorded messages readably.
void PrintTo(const MessageRecord& record, std::ostream* out);

class ScriptedUi : public host::Ui {
 public:
  using FormScript = std::function<void(host::Form&)>;

  ScriptedUi() = default;
  ScriptedUi(const ScriptedUi&) = delete;
  ScriptedUi& operator=(const ScriptedUi&) = delete;
  // Fails the test for every queued answer, path or script left unused.
  ~ScriptedUi() override;

  // Queues the answer to the next Yes/No question. `answer` must be kYes or kNo. When
  // `prompt_part` is not empty the question's prompt must contain it, or the test fails (the
  // answer is still given).
  void QueueAnswer(host::MessageAnswer answer, std::string prompt_part = {});

  // Queues what the next file-open dialog returns: a path, or "False" for a cancel.
  void QueueOpenFilename(std::string path);

  // Queues the user's part in the next modal dialog. ShowModal runs it with the form; it
  // performs actions (form.Press(...), ...) that usually hide or unload the form. A form the
  // script leaves shown is closed with its close box (Unload).
  void QueueFormScript(FormScript script);

  // As QueueFormScript, for a script that needs the dialog's own type. The test fails (and the
  // form is closed) when the form shown is of another type.
  template <typename FormT>
  void QueueFormScriptFor(std::function<void(FormT&)> script) {
    QueueFormScript([script = std::move(script)](host::Form& form) {
      if (auto* typed = dynamic_cast<FormT*>(&form)) {
        script(*typed);
      } else {
        ADD_FAILURE() << "a script for " << typeid(FormT).name() << " was given the form \""
                      << form.caption() << "\"";
      }
    });
  }

  // Runs for every phonetic-guide edit, with the selection, when set.
  std::function<void(host::Range&)> on_edit_phonetics;

  // Every call, in order.
  const std::vector<UiRecord>& log() const { return log_; }
  // The log, one Describe line per call.
  std::vector<std::string> Transcript() const;
  // Returns the log and starts it afresh, so that a test sees only what came after.
  std::vector<UiRecord> TakeLog();

  // The message boxes shown since the start or the last TakeMessages.
  const std::vector<MessageRecord>& messages() const { return messages_; }
  std::vector<MessageRecord> TakeMessages();
  // Fails the test, listing them, when messages() is not empty.
  void ExpectNoMessages() const;

  int phonetic_edits() const { return phonetic_edits_; }

  // Ui.
  host::MessageAnswer MessageBox(host::MessageKind kind, const std::string& prompt,
                                 host::MessageButtons buttons,
                                 const std::optional<std::string>& caption) override;
  std::string GetOpenFilename(const std::vector<host::FileFilter>& filters) override;
  void PlaySound(host::SystemSound sound) override;
  void EditPhonetics(host::Range& selection) override;
  void PrintPreview(const std::vector<host::Worksheet*>& sheets) override;
  void ShowModal(host::Form& form) override;

 private:
  struct QueuedAnswer {
    host::MessageAnswer answer;
    std::string prompt_part;
  };

  std::deque<QueuedAnswer> answers_;
  std::deque<std::string> open_filenames_;
  std::deque<FormScript> form_scripts_;
  std::vector<UiRecord> log_;
  std::vector<MessageRecord> messages_;
  int phonetic_edits_ = 0;
};

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_SUPPORT_SCRIPTED_UI_H_
