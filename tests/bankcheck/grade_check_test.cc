// The school-year check of answer kanji against the grade tables.
#include "bankcheck/grade_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kanjigrade/grade_tables.h"

namespace tarquel::bankcheck {
namespace {

using ::testing::HasSubstr;

TEST(GroupOfKanjiTest, FindsTheGroupOfEachTable) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"一", 1}, {"六", 1}, {"話", 2}, {"漢", 3}, {"録", 4}, {"領", 5}, {"論", 6},
      {"握", 7}, {"湾", 8}, {"枠", 9}, {"岡", 0}, {"俺", 0}, {"か", 0}, {"A", 0},
  };
  for (const auto& [kanji, group] : cases) EXPECT_EQ(GroupOfKanji(kanji), group) << kanji;
}

TEST(GroupOfKanjiTest, EveryTableKanjiIsInItsOwnGroup) {
  for (int group = kanjigrade::kFirstTableGroup; group <= kanjigrade::kLastTableGroup; ++group) {
    const std::string_view table = kanjigrade::GroupTable(group);
    for (std::size_t at = 0; at < table.size(); at += 3) {  // three UTF-8 bytes a kanji
      ASSERT_EQ(GroupOfKanji(table.substr(at, 3)), group) << table.substr(at, 3);
    }
  }
}

TEST(CheckAnswerKanjiTest, ReportsLaterYearsAndKanjiInNoTable) {
  struct Case {
    std::string answer;
    int grade;
    std::vector<FindingKind> kinds;
  };
  const std::vector<Case> cases = {
      {"会心", 2, {}},
      {"改心", 3, {FindingKind::kKanjiAboveGrade}},
      {"改心", 4, {}},
      {"勤めて", 9, {}},
      {"岡山", 9, {FindingKind::kKanjiInNoTable}},
      {"岡の勤め", 5, {FindingKind::kKanjiAboveGrade, FindingKind::kKanjiInNoTable}},
      {"かな ABC １２", 1, {}},
      {"", 1, {}},
  };
  for (const Case& c : cases) {
    std::vector<Finding> findings;
    CheckAnswerKanji(7, c.answer, c.grade, findings);
    std::vector<FindingKind> kinds;
    for (const Finding& finding : findings) {
      kinds.push_back(finding.kind);
      EXPECT_EQ(finding.rows, std::vector<int32_t>{7});
    }
    EXPECT_EQ(kinds, c.kinds) << c.answer << " in year " << c.grade;
  }
}

TEST(CheckAnswerKanjiTest, NamesEachLaterKanjiWithItsYear) {
  std::vector<Finding> findings;
  CheckAnswerKanji(3, "勤務握", 4, findings);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_THAT(findings[0].reason, HasSubstr("「勤」「務」「握」"));
  EXPECT_THAT(findings[0].reason, HasSubstr("勤は小学 6 年、務は小学 5 年、握は中学・漢検 4 級"));
  EXPECT_THAT(findings[0].reason, HasSubstr("小学 4 年までに"));

  findings.clear();
  CheckAnswerKanji(3, "握湾", 7, findings);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_THAT(findings[0].reason, HasSubstr("の「湾」は中学・漢検 4 級までに"));
  EXPECT_THAT(findings[0].reason, HasSubstr("（湾は中学・漢検 3 級）"));
}

}  // namespace
}  // namespace tarquel::bankcheck
