#include "support/scripted_ui.h"

#include <optional>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "host/forms/form.h"

namespace tarquel::testing {
namespace {

using host::MessageAnswer;
using host::MessageButtons;
using host::MessageKind;
using ::testing::ElementsAre;

MessageAnswer Ask(ScriptedUi& ui, const std::string& prompt) {
  return ui.MessageBox(MessageKind::kQuestion, prompt, MessageButtons::kYesNo, std::nullopt);
}

class OtherForm : public host::Form {
 public:
  using Form::Form;
};

TEST(ScriptedUiTest, AnswersYesNoQuestionsInOrderAndOkBoxesItself) {
  ScriptedUi ui;
  ui.QueueAnswer(MessageAnswer::kYes);
  ui.QueueAnswer(MessageAnswer::kNo, "保存");
  EXPECT_EQ(ui.MessageBox(MessageKind::kResult, "完了しました。", MessageButtons::kOk, "印刷"),
            MessageAnswer::kOk);
  EXPECT_EQ(Ask(ui, "続けますか？"), MessageAnswer::kYes);
  EXPECT_EQ(Ask(ui, "保存しますか？"), MessageAnswer::kNo);
  EXPECT_THAT(ui.messages(),
              ElementsAre(MessageRecord{"完了しました。", MessageButtons::kOk, "印刷",
                                        MessageAnswer::kOk, MessageKind::kResult},
                          MessageRecord{"続けますか？", MessageButtons::kYesNo, std::nullopt,
                                        MessageAnswer::kYes, MessageKind::kQuestion},
                          MessageRecord{"保存しますか？", MessageButtons::kYesNo, std::nullopt,
                                        MessageAnswer::kNo, MessageKind::kQuestion}));
}

// A question comes with Yes/No and nothing else does: a call site that states the wrong kind
// fails the test that runs it, whatever the words.
TEST(ScriptedUiTest, AKindThatDisagreesWithTheButtonsFailsTheTest) {
  struct Case {
    MessageKind kind;
    MessageButtons buttons;
    bool agrees;
  };
  const Case cases[] = {
      {MessageKind::kQuestion, MessageButtons::kYesNo, true},
      {MessageKind::kQuestion, MessageButtons::kOk, false},
      {MessageKind::kResult, MessageButtons::kOk, true},
      {MessageKind::kResult, MessageButtons::kYesNo, false},
      {MessageKind::kStop, MessageButtons::kOk, true},
      {MessageKind::kRefused, MessageButtons::kOk, true},
      {MessageKind::kError, MessageButtons::kOk, true},
      {MessageKind::kError, MessageButtons::kYesNo, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(KindName(c.kind));
    ScriptedUi ui;
    if (c.buttons == MessageButtons::kYesNo) ui.QueueAnswer(MessageAnswer::kYes);
    if (c.agrees) {
      ui.MessageBox(c.kind, "確認", c.buttons, std::nullopt);
    } else {
      EXPECT_NONFATAL_FAILURE(ui.MessageBox(c.kind, "確認", c.buttons, std::nullopt), "buttons");
    }
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].kind, c.kind) << "the kind is recorded as stated";
  }
}

TEST(ScriptedUiTest, UnpreparedCallsFailTheTest) {
  ScriptedUi ui;
  MessageAnswer answer = MessageAnswer::kYes;
  EXPECT_NONFATAL_FAILURE(answer = Ask(ui, "削除しますか？"), "削除しますか？");
  EXPECT_EQ(answer, MessageAnswer::kNo);

  ui.QueueAnswer(MessageAnswer::kYes, "上書き");
  EXPECT_NONFATAL_FAILURE(answer = Ask(ui, "削除しますか？"), "上書き");
  EXPECT_EQ(answer, MessageAnswer::kYes);

  std::string path;
  EXPECT_NONFATAL_FAILURE(path = ui.GetOpenFilename({}), "file-open");
  EXPECT_EQ(path, "False");

  OtherForm form(ui);
  form.set_caption("印刷設定");
  EXPECT_NONFATAL_FAILURE(form.Show(), "印刷設定");
  EXPECT_FALSE(form.loaded());
}

TEST(ScriptedUiTest, UnusedQueuedItemsFailAtTheEnd) {
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUi ui;
        ui.QueueAnswer(MessageAnswer::kYes, "保存");
      },
      "unused queued answer yes for \"保存\"");
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUi ui;
        ui.QueueOpenFilename("a.xlsx");
      },
      "a.xlsx");
  EXPECT_NONFATAL_FAILURE(
      {
        ScriptedUi ui;
        ui.QueueFormScript([](host::Form&) {});
      },
      "form script");
}

TEST(ScriptedUiTest, FormScriptsRunInOrderAndCheckTheFormType) {
  ScriptedUi ui;
  OtherForm form(ui);
  form.set_caption("A");
  int runs = 0;
  ui.QueueFormScript([&](host::Form& shown) {
    ++runs;
    EXPECT_EQ(&shown, &form);
    shown.Hide();
  });
  ui.QueueFormScriptFor<OtherForm>([&](OtherForm&) { ++runs; });
  form.Show();
  EXPECT_TRUE(form.loaded());  // hidden, not unloaded
  form.Show();
  EXPECT_FALSE(form.loaded());  // left shown by the script: closed
  EXPECT_EQ(runs, 2);

  host::Form plain(ui);
  plain.set_caption("B");
  ui.QueueFormScriptFor<OtherForm>([&](OtherForm&) { ++runs; });
  EXPECT_NONFATAL_FAILURE(plain.Show(), "was given the form \"B\"");
  EXPECT_EQ(runs, 2);
  EXPECT_THAT(ui.Transcript(), ElementsAre("show-modal: A", "show-modal: A", "show-modal: B"));
}

TEST(ScriptedUiTest, RecordsEveryCallInOrder) {
  ScriptedUi ui;
  ui.QueueOpenFilename("C:\\問題\\bank.xlsx");
  ui.QueueAnswer(MessageAnswer::kNo);
  ui.PlaySound(host::SystemSound::kBeep);
  EXPECT_EQ(ui.GetOpenFilename({{"ブック", "*.xl*"}}), "C:\\問題\\bank.xlsx");
  ui.MessageBox(MessageKind::kQuestion, "一行目\r\n二行目", MessageButtons::kYesNo, "確認");
  ui.PrintPreview({nullptr, nullptr});
  ui.PlaySound(host::SystemSound::kInformation);
  EXPECT_THAT(ui.Transcript(),
              ElementsAre("sound(beep)", "open-filename(1 filters) -> C:\\問題\\bank.xlsx",
                          "message(yes-no, \"確認\") -> no: 一行目\\n二行目",
                          "print-preview(2 sheets)", "sound(information)"));

  EXPECT_NONFATAL_FAILURE(ui.ExpectNoMessages(), "一行目");
  EXPECT_EQ(ui.TakeMessages().size(), 1u);
  EXPECT_TRUE(ui.messages().empty());
  ui.ExpectNoMessages();
  EXPECT_EQ(ui.log().size(), 5u);  // taking messages leaves the log alone
}

}  // namespace
}  // namespace tarquel::testing
