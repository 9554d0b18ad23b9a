// The reports on the bank, with every message checked.
#include "review/reports.h"

#include <gtest/gtest.h>

#include "testgen/generation_fixture.h"

namespace tarquel::review {
namespace {

using host::MessageAnswer;
using host::MessageButtons;
using testing::MessageRecord;

class ReportsTest : public testing::GenerationTest {};

TEST_F(ReportsTest, ThreeEqualAnswersMakeTwoGroups) {
  testing::FillBank(*bank_, {{"a", "q1", "会"},
                             {"a", "q2", "回"},
                             {"b", "q3", "改"},
                             {"c", "q4", "ｶｲ"},
                             {"d", "q5", "回"},
                             {"e", "q6", "カイ"},
                             {"f", "q7", "a"},
                             {"g", "q8", "A"},
                             {"h", "q9", "回"}});
  bank_->Activate();
  Run("M_RepeatKanji");
  const std::string expected =
      "2 行目：回( q2 )\r\n5 行目：回( q5 )\r\n9 行目：回( q9 )\r\n\r\n"
      "5 行目：回( q5 )\r\n9 行目：回( q9 )\r\n\r\n";
  EXPECT_EQ(ui_.TakeMessages(),
            (std::vector<MessageRecord>{{expected, MessageButtons::kOk, std::nullopt}}))
      << "width and letter case tell answers apart";
  EXPECT_EQ(body().start_sheet_name, "ミラヴォ 同音・同訓");
}

TEST_F(ReportsTest, NoDuplicatesEvenBeforeTheTestDialogWasOpened) {
  testing::FillBank(*bank_, {{"a", "q1", "会"}, {"b", "q2", "回"}});
  bank_->Activate();
  Run("M_RepeatKanji");
  testing::FillBank(*bank_,
                    {{"a", "q1", "同"}, {"b", "q2", ""}, {"c", "q3", ""}, {"d", "q4", "同"}});
  Run("M_RepeatKanji");
  book_->Sheets().Add();
  Run("M_RepeatKanji");
  const std::vector<MessageRecord> expected{
      {"重複なし", MessageButtons::kOk, "同音・同訓"},
      {"1 行目：同( q1 )\r\n4 行目：同( q4 )\r\n\r\n2 行目：( q2 )\r\n3 行目：( q3 )\r\n\r\n",
       MessageButtons::kOk, std::nullopt},
      {"シート名「 ミラヴォ 同音・同訓 」を選択して下さい。", MessageButtons::kOk, std::nullopt},
  };
  EXPECT_EQ(ui_.TakeMessages(), expected);
}

TEST_F(ReportsTest, AHugeDuplicateReportIsCutWithACount) {
  std::vector<testing::BankRow> rows;
  for (int i = 1; i <= 100; ++i) rows.push_back({"g", "q" + std::to_string(i), "同"});
  testing::FillBank(*bank_, rows);
  bank_->Activate();
  Run("M_RepeatKanji");
  const std::vector<MessageRecord> messages = ui_.TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  // 99 groups of 100, 99, ... 2 lines, each with its empty line: 5,148 lines in all.
  std::size_t lines = 0;
  for (std::size_t at = 0; (at = messages[0].prompt.find("\r\n", at)) != std::string::npos;
       at += 2) {
    ++lines;
  }
  EXPECT_EQ(lines, kMaxReportLines);
  EXPECT_NE(messages[0].prompt.find("（ほかに 4148 行あります。）"), std::string::npos);
}

TEST_F(ReportsTest, WrongAnswersAreCountedAttemptByAttempt) {
  testing::FillBank(*bank_, {{"a", "q1", "会", {"X", "x"}},
                             {"b", "q2", "回", {"Ｘ", "×"}},
                             {"c", "q3", "改", {"ｘ", "X "}},
                             {"d", "", "", {"X", "X"}},
                             {"e", "q5", "快", {"X", "X"}}});
  ui_.QueueAnswer(MessageAnswer::kYes);
  ui_.QueueAnswer(MessageAnswer::kNo);
  Run("M_NG_Report");
  const std::vector<MessageRecord> expected{
      {"第 1 回目の間違い総数は、 3 問です。 ", MessageButtons::kOk, "ミラヴォ 同音・同訓"},
      {"続けて第 2 回目の間違い総数を調べますか？", MessageButtons::kYesNo, "確認",
       MessageAnswer::kYes},
      {"第 2 回目の間違い総数は、 1 問です。 ", MessageButtons::kOk, "ミラヴォ 同音・同訓"},
      {"続けて第 3 回目の間違い総数を調べますか？", MessageButtons::kYesNo, "確認",
       MessageAnswer::kNo},
  };
  EXPECT_EQ(ui_.TakeMessages(), expected) << "rows below the first empty question do not count";
}

TEST_F(ReportsTest, TheChainEndsAtAZeroCountOrAfterTheTenthAttempt) {
  testing::FillBank(*bank_, {{"a", "q1", "会", {"", "X"}}});
  Run("M_NG_Report");
  EXPECT_EQ(ui_.TakeMessages(),
            (std::vector<MessageRecord>{{"第 1 回目の間違い総数は、 0 問です。 ",
                                         MessageButtons::kOk, "ミラヴォ 同音・同訓"},
                                        {"これで終了します。", MessageButtons::kOk, "終了"}}));
  bank_->Range("F1:O1").SetValue("X");
  for (int i = 0; i < 9; ++i) ui_.QueueAnswer(MessageAnswer::kYes);
  Run("M_NG_Report");
  const std::vector<MessageRecord> messages = ui_.TakeMessages();
  ASSERT_EQ(messages.size(), 19u);
  EXPECT_EQ(messages.back().prompt, "第 10 回目の間違い総数は、 1 問です。 ");
}

TEST_F(ReportsTest, MustAppearGroupsCountOnceWhereverTheirFlagsStand) {
  testing::FillBank(*bank_, {{"a", "q1", "", {}, "", "必出"},
                             {"a", "q2", "", {}, "", "必出"},
                             {"b", "q3", ""},
                             {"b", "q4", "", {}, "", "必出"},
                             {"", "q5", "", {}, "", "必出"},
                             {"", "q6", "", {}, "", "必出"},
                             {"c", "q7", "", {}, "", "必出 "},
                             {"d", "q8", "", {}, "", "必出"},
                             {"d", "q9", "", {}, "", "必出"},
                             {"d", "q10", "", {}, "", "必出"}});
  Run("M_HITU_Report");
  EXPECT_EQ(ui_.TakeMessages(),
            (std::vector<MessageRecord>{
                {"必出に設定している問題数は、5 題です。", MessageButtons::kOk, "必出総数"}}))
      << "a, b, q5 and q6 (no mark: each its own), d; not the flag with a trailing space";
}

}  // namespace
}  // namespace tarquel::review
