// The host's user interface at a terminal: messages printed with their captions and sorted
// into results and stops, questions answered from the command line or asked, and dialogs
// answered by a script or by the person at the terminal, through the forms' own user actions.
#include "tarquel/terminal_ui.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "host/forms/controls.h"
#include "host/forms/form.h"

namespace tarquel::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A small dialog: a box that refuses to be left unless it holds a number, a check box, and a
// button that closes the dialog.
class CountDialog : public host::Form {
 public:
  explicit CountDialog(host::Ui& ui) : host::Form(ui) {
    set_caption("数の入力");
    // The label frames the box with spaces, as the add-in's dialogs do.
    Label1.set_caption("出題数　　　　題");
    Label1.set_geometry({240, 100, 3000, 270});
    Count.set_geometry({900, 80, 600, 330});
    Ticked.set_caption("間違い度数を無視する");
    Ticked.set_geometry({240, 500, 3000, 270});
    Done.set_caption("閉じる");
    Done.set_geometry({240, 900, 1000, 390});
    Done.set_tooltip("入力を終える");
    Count.on_exit = [this](bool& cancel) {
      if (Count.value().find_first_not_of("0123456789") != std::string::npos) {
        this->ui().MessageBox(host::MessageKind::kRefused, "1以上の整数を入力して下さい。 ",
                              host::MessageButtons::kOk, std::nullopt);
        cancel = true;
      }
    };
    Done.on_click = [this] { Unload(); };
  }

  host::Label Label1{*this, "Label1"};
  host::TextBox Count{*this, "Count"};
  host::CheckBox Ticked{*this, "Ticked"};
  host::CommandButton Done{*this, "Done"};
};

class TerminalUiTest : public ::testing::Test {
 protected:
  explicit TerminalUiTest(bool interactive = false)
      : terminal_{in_, out_, err_, interactive}, ui_(terminal_) {}

  std::istringstream in_;
  std::ostringstream out_;
  std::ostringstream err_;
  Terminal terminal_;
  TerminalUi ui_;
};

TEST_F(TerminalUiTest, ResultsGoToOutputAndStopsToErrors) {
  ui_.MessageBox(host::MessageKind::kResult, "必出に設定している問題数は、3 題です。",
                 host::MessageButtons::kOk, "必出総数");
  ui_.MessageBox(host::MessageKind::kResult, "第 1 回目の間違い総数は、 4 問です。 ",
                 host::MessageButtons::kOk, "ミラヴォ 同音・同訓 二組");
  EXPECT_FALSE(ui_.stopped());
  EXPECT_EQ(out_.str(),
            "[必出総数] 必出に設定している問題数は、3 題です。\n"
            "[ミラヴォ 同音・同訓 二組] 第 1 回目の間違い総数は、 4 問です。 \n");

  ui_.MessageBox(host::MessageKind::kError,
                 "１つのグループの問題が２０題を超えています。\r\n次の行",
                 host::MessageButtons::kOk, "エラー");
  EXPECT_TRUE(ui_.stopped());
  EXPECT_EQ(err_.str(), "[エラー]\n１つのグループの問題が２０題を超えています。\n次の行\n")
      << "a message of several lines starts on its own line";
}

// Where a message goes and whether it ends the command follow its kind alone: the same words
// and caption are a result in one call and a stop in another.
TEST_F(TerminalUiTest, TheKindAloneDecidesWhereAMessageGoesAndWhetherItStops) {
  struct Case {
    host::MessageKind kind;
    bool to_output;
  };
  const Case cases[] = {
      {host::MessageKind::kResult, true},
      {host::MessageKind::kStop, false},
      {host::MessageKind::kRefused, false},
      {host::MessageKind::kError, false},
  };
  for (const Case& c : cases) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const Terminal terminal{in, out, err, false};
    TerminalUi ui(terminal);
    // Words and a caption that a result once had, and a caption no result had.
    ui.MessageBox(c.kind, "これで終了します。", host::MessageButtons::kOk, "終了");
    ui.MessageBox(c.kind, "重複なし", host::MessageButtons::kOk, "注意");
    EXPECT_EQ(ui.stopped(), !c.to_output) << static_cast<int>(c.kind);
    const std::string shown = "[終了] これで終了します。\n[注意] 重複なし\n";
    EXPECT_EQ(out.str(), c.to_output ? shown : "") << static_cast<int>(c.kind);
    EXPECT_EQ(err.str(), c.to_output ? "" : shown) << static_cast<int>(c.kind);
    EXPECT_EQ(EndsTheCommand(c.kind), !c.to_output);
  }
  EXPECT_FALSE(EndsTheCommand(host::MessageKind::kQuestion));
}

TEST_F(TerminalUiTest, QuestionsAreAnsweredInOrderThenNoWithoutATerminal) {
  ui_.QueueAnswers({true});
  EXPECT_EQ(ui_.MessageBox(host::MessageKind::kQuestion, "続けますか？",
                           host::MessageButtons::kYesNo, "確認"),
            host::MessageAnswer::kYes);
  EXPECT_EQ(ui_.MessageBox(host::MessageKind::kQuestion, "続けますか？",
                           host::MessageButtons::kYesNo, "確認"),
            host::MessageAnswer::kNo);
  EXPECT_THAT(err_.str(), HasSubstr("answered No: there is no terminal to ask"));
  EXPECT_FALSE(ui_.stopped()) << "a question is not a stop";
  EXPECT_EQ(ui_.GetOpenFilename({}), "False") << "no file to open and no one to ask";
}

TEST_F(TerminalUiTest, AScriptTypesChecksAndStopsAtARefusedBox) {
  CountDialog dialog(ui_);
  ui_.SetScript(typeid(CountDialog),
                {TypeInto(&CountDialog::Count, "abc"), SetTicked(&CountDialog::Ticked, true),
                 Press(&CountDialog::Done)});
  dialog.Show();
  EXPECT_FALSE(dialog.Ticked.value()) << "leaving the box was refused, so nothing after it ran";
  EXPECT_TRUE(ui_.stopped());
  EXPECT_THAT(err_.str(), HasSubstr("1以上の整数を入力して下さい。"));
  EXPECT_FALSE(dialog.shown()) << "a script that stops closes the dialog";
}

TEST_F(TerminalUiTest, AMessageFromTheCheckOfABoxNamesTheOptionThatFilledIt) {
  CountDialog dialog(ui_);
  ui_.NameOption(&CountDialog::Count, "--count");
  ui_.SetScript(typeid(CountDialog),
                {TypeInto(&CountDialog::Count, "abc"), Press(&CountDialog::Done)});
  dialog.Show();
  EXPECT_EQ(err_.str(), "[Tarquel] --count: 1以上の整数を入力して下さい。 \n");
}

TEST_F(TerminalUiTest, WithoutAScriptOrATerminalADialogIsClosed) {
  CountDialog dialog(ui_);
  dialog.Show();
  EXPECT_FALSE(dialog.shown());
  EXPECT_THAT(err_.str(), HasSubstr("closed the dialog \"数の入力\""));
}

class InteractiveTerminalUiTest : public TerminalUiTest {
 protected:
  InteractiveTerminalUiTest() : TerminalUiTest(true) {}
};

TEST_F(InteractiveTerminalUiTest, APersonActsOnTheDrawnDialogLineByLine) {
  in_.str("Count=x\n2\nCount=12\n2\nnothing\n3\n");
  CountDialog dialog(ui_);
  dialog.Show();
  EXPECT_FALSE(dialog.shown()) << "the third control closed it";
  EXPECT_EQ(dialog.Count.value(), "12");
  EXPECT_TRUE(dialog.Ticked.value());
  const std::string drawn = out_.str();
  // Each box stands between the words of its label; no control is shown by its inner name.
  EXPECT_THAT(drawn, HasSubstr("== 数の入力 ==\n"
                               "  出題数 1)[] 題\n"
                               "  2)[ ] 間違い度数を無視する\n"
                               "  3)<閉じる> 入力を終える\n"));
  EXPECT_THAT(drawn, HasSubstr("  出題数 1)[12] 題\n"));
  EXPECT_THAT(drawn, HasSubstr("2)[x] 間違い度数を無視する"));
  for (const char* name : {"Count", "Ticked", "Done", "Label1"}) {
    EXPECT_THAT(drawn, Not(HasSubstr(name)));
  }
  EXPECT_THAT(err_.str(), HasSubstr("1以上の整数を入力して下さい。"))
      << "x was refused when the box was left for the check box";
  EXPECT_THAT(err_.str(), HasSubstr("2 did not take that."));
  EXPECT_THAT(err_.str(), HasSubstr("There is no control nothing here."));
}

TEST_F(InteractiveTerminalUiTest, WhatTheDialogSaysToThePersonIsNotTheCommandsEnd) {
  in_.str("1=x\n1=7\n3\n");
  CountDialog dialog(ui_);
  std::vector<std::string> seen;
  ui_.SetWatcher(typeid(CountDialog), [&seen](host::Form& form) {
    seen.push_back(static_cast<CountDialog&>(form).Count.value());
  });
  dialog.Show();
  EXPECT_FALSE(ui_.stopped()) << "the refused x was put right by the person";
  EXPECT_EQ(seen, (std::vector<std::string>{"x", "7", "7"})) << "the watcher ran after each action";
}

TEST_F(InteractiveTerminalUiTest, TheEndOfInputClosesTheDialogAndQuestionsAreAsked) {
  in_.str("maybe\ny\n");
  EXPECT_EQ(ui_.MessageBox(host::MessageKind::kQuestion, "消去しますか？",
                           host::MessageButtons::kYesNo, "確認"),
            host::MessageAnswer::kYes)
      << "asked again until the answer is y or n";
  CountDialog dialog(ui_);
  dialog.Show();
  EXPECT_FALSE(dialog.shown());
  EXPECT_THAT(err_.str(), Not(HasSubstr("closed the dialog")));
}

}  // namespace
}  // namespace tarquel::cli
