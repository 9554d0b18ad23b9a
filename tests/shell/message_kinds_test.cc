// The kind each command states for its main messages: a front end ends a command and places
// its message by the kind alone, so a result stated as a stop (or the reverse) would turn a
// report into a failure. Each case runs a macro as the host does and pins the kinds in order,
// with a part of each message to show it is the one meant.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/bank_sheet.h"
#include "testgen/generation_fixture.h"

namespace tarquel::testing {
namespace {

using host::MessageKind;

class MessageKindsTest : public GenerationTest {};

TEST_F(MessageKindsTest, EachCommandStatesTheKindOfItsMessages) {
  struct Case {
    const char* name;
    std::function<void()> setup;
    const char* macro;
    std::vector<host::MessageAnswer> answers;
    std::vector<std::pair<MessageKind, std::string>> expected;  // kind and part of the prompt
  };
  const auto on_bank = [this] { bank_->Activate(); };
  const auto on_other_sheet = [this] { book_->Sheets().Add(); };
  const Case cases[] = {
      {"version", on_bank, "M_QVersion", {}, {{MessageKind::kResult, "バージョン"}}},
      {"no duplicates", on_bank, "M_RepeatKanji", {}, {{MessageKind::kResult, "重複なし"}}},
      {"duplicate list",
       [this] {
         FillBank(*bank_, {{"a", "q1", "同"}, {"b", "q2", "同"}});
         bank_->Activate();
       },
       "M_RepeatKanji",
       {},
       {{MessageKind::kResult, " 行目：同( q1 )"}}},
      {"duplicates off the bank",
       on_other_sheet,
       "M_RepeatKanji",
       {},
       {{MessageKind::kStop, "を選択して下さい"}}},
      {"must-appear count", on_bank, "M_HITU_Report", {}, {{MessageKind::kResult, "必出"}}},
      {"no wrong answers",
       on_bank,
       "M_NG_Report",
       {},
       {{MessageKind::kResult, "間違い総数は、 0 問"}, {MessageKind::kResult, "終了"}}},
      {"wrong answers, then no more",
       [this] {
         bank_->Cells(1, model::kFirstAttempt).SetValueFromText("X");
         bank_->Activate();
       },
       "M_NG_Report",
       {host::MessageAnswer::kNo},
       {{MessageKind::kResult, "間違い総数は、 1 問"}, {MessageKind::kQuestion, "続けて"}}},
      {"no bank sheet",
       [this] { bank_->SetName("問題"); },
       "M_HITU_Report",
       {},
       {{MessageKind::kError, "出題文シートがありません"}}},
      {"test dialog off the bank",
       on_other_sheet,
       "M_START",
       {},
       {{MessageKind::kStop, "を選択して下さい"}}},
      {"test dialog on an empty bank",
       [this] {
         bank_->Range("D1:D2").ClearContents();
         bank_->Activate();
       },
       "M_START",
       {},
       {{MessageKind::kStop, "問題文が１題もありません"}}},
      {"jump without a test",
       on_bank,
       "M_GoJUMP",
       {},
       {{MessageKind::kStop, "テスト用紙が作成されていません"}}},
      {"answers off a test sheet",
       on_bank,
       "M_InPutAns",
       {},
       {{MessageKind::kStop, "テスト用紙を選んで"}}},
      {"mark off the bank and tests",
       on_other_sheet,
       "M_ThisQSisNG",
       {},
       {{MessageKind::kStop, "このシートでは無効です"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FillBank(*bank_, {{"a", "q1", "会"}, {"b", "q2", "回"}});
    c.setup();
    for (const host::MessageAnswer answer : c.answers) ui_.QueueAnswer(answer);
    Run(c.macro);
    const std::vector<MessageRecord> messages = ui_.TakeMessages();
    ASSERT_EQ(messages.size(), c.expected.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
      EXPECT_EQ(KindName(messages[i].kind), std::string(KindName(c.expected[i].first)))
          << messages[i].prompt;
      EXPECT_NE(messages[i].prompt.find(c.expected[i].second), std::string::npos)
          << messages[i].prompt;
    }
    // The next case starts from the bank as the fixture made it.
    if (model::IsBankSheetName(bank_->Name()) == false) bank_->SetName("ミラヴォ 同音・同訓");
    for (int32_t column = model::kFirstAttempt; column <= model::kLastAttempt; ++column) {
      bank_->Cells(1, column).ClearContents();
    }
  }
}

}  // namespace
}  // namespace tarquel::testing
