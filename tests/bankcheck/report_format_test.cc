// The bank check's findings as text for a person and as JSON for tools.
#include "bankcheck/report_format.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarquel::bankcheck {
namespace {

using ::testing::HasSubstr;

CheckResult TwoKinds() {
  return {"ミラヴォ 同音・同訓",
          12,
          4,
          {{FindingKind::kRowsAfterEnd,
            {14, 15, 16, 20},
            "下の \"4\" 題は\\出題されません。",
            "詰めて下さい。"},
           {FindingKind::kEmptyAnswer, {3}, "答えが空", "入れて下さい。"},
           {FindingKind::kEmptyAnswer, {7}, "答えが空\t", "入れて下さい。"}}};
}

TEST(RowListTest, JoinsRunsOfConsecutiveRows) {
  const std::vector<std::pair<std::vector<int32_t>, std::string>> cases = {
      {{5}, "5"},
      {{1, 2, 3}, "1〜3"},
      {{3, 7, 8, 9, 12}, "3, 7〜9, 12"},
      {{1, 3, 4}, "1, 3〜4"},
  };
  for (const auto& [rows, text] : cases) EXPECT_EQ(RowList(rows), text);
}

TEST(FormatTextTest, GroupsFindingsUnderAHeadingPerKind) {
  const std::string text = FormatText(TwoKinds());
  EXPECT_EQ(text,
            "ミラヴォ 同音・同訓: 問題 12 題（1〜12 行目）、組 4\n"
            "3 件見つかりました。\n"
            "\n■ 空の行より下にあって出題されない問題（1 件）\n"
            "  14〜16, 20 行目: 下の \"4\" 題は\\出題されません。\n"
            "    → 詰めて下さい。\n"
            "\n■ 答えが空の問題（2 件）\n"
            "  3 行目: 答えが空\n"
            "    → 入れて下さい。\n"
            "  7 行目: 答えが空\t\n"
            "    → 入れて下さい。\n");
}

TEST(FormatTextTest, ACleanBankSaysSo) {
  EXPECT_EQ(FormatText({"bank", 85, 28, {}}),
            "bank: 問題 85 題（1〜85 行目）、組 28\n見つかった問題はありません。\n");
  EXPECT_THAT(FormatText({"bank", 0, 0, {}}), HasSubstr("問題 0 題"));
}

TEST(FormatJsonTest, HasTheDocumentedShapeWithEscapedStrings) {
  EXPECT_EQ(FormatJson(TwoKinds()),
            "{\"sheet\": \"ミラヴォ 同音・同訓\", \"last_question_row\": 12, \"groups\": 4, "
            "\"finding_count\": 3, \"findings\": [\n"
            "  {\"kind\": \"rows_after_end\", \"title\": \"空の行より下にあって出題されない問題\", "
            "\"rows\": [14, 15, 16, 20], \"reason\": \"下の \\\"4\\\" 題は\\\\出題されません。\", "
            "\"action\": \"詰めて下さい。\"},\n"
            "  {\"kind\": \"empty_answer\", \"title\": \"答えが空の問題\", \"rows\": [3], "
            "\"reason\": \"答えが空\", \"action\": \"入れて下さい。\"},\n"
            "  {\"kind\": \"empty_answer\", \"title\": \"答えが空の問題\", \"rows\": [7], "
            "\"reason\": \"答えが空\\t\", \"action\": \"入れて下さい。\"}\n"
            "]}\n");
  EXPECT_EQ(FormatJson({"a\x01"
                        "b",
                        0,
                        0,
                        {}}),
            "{\"sheet\": \"a\\u0001b\", \"last_question_row\": 0, \"groups\": 0, "
            "\"finding_count\": 0, \"findings\": []}\n");
}

TEST(FindingKindTest, EveryKindHasADistinctNameAndATitle) {
  std::vector<std::string_view> names;
  for (const FindingKind kind : kAllFindingKinds) {
    EXPECT_FALSE(KindTitle(kind).empty());
    EXPECT_NE(KindName(kind), "unknown");
    EXPECT_EQ(std::ranges::count(names, KindName(kind)), 0) << KindName(kind);
    names.push_back(KindName(kind));
  }
}

}  // namespace
}  // namespace tarquel::bankcheck
