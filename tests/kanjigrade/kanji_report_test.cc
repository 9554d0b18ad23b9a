// The pieces of the kanji grade reports: which characters are kanji, and percentages. The
// texts themselves are tested through the dialog (form1_test.cc).
#include "kanjigrade/kanji_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarquel::kanjigrade {
namespace {

TEST(KanjiReportTest, PercentagesRoundHalvesAwayFromZeroExactly) {
  struct Case {
    int32_t count;
    int32_t total;
    const char* text;
  };
  // clang-format off
  const Case cases[] = {
      {1, 80, "1.3"},        // 1.25, which printf rounds to even: 1.2
      {5, 80, "6.3"},        // 6.25, printf 6.2
      {77, 80, "96.3"},      // 96.25
      {2, 160, "1.3"},       // 1.25
      {3, 160, "1.9"},       // 1.875
      {1, 200, "0.5"},       // 0.5
      {1, 316, "0.3"},       // 0.316...
      {2, 337, "0.6"},       // 0.593...
      {336, 337, "99.7"},    // 99.703...
      {0, 80, "0.0"},        // a digit before the point and one after
      {185, 185, "100.0"},
  };
  // clang-format on

  for (const Case& c : cases) {
    EXPECT_EQ(Percentage(c.count, c.total), c.text) << c.count << "/" << c.total;
  }
}

TEST(KanjiReportTest, OnlyCharactersOfTheKanjiRowsCountEachOnceInFirstOrder) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> kanji;
  };
  const Case cases[] = {
      {"kana, iteration mark and punctuation", "ひらがなカタカナｶﾀｶﾅ々〆、。「」・ー", {}},
      {"letters and digits of both widths", "AZaz09ＡＺａｚ０９", {}},
      {"repeated, of both levels, in order of first sight", "校学校丼学", {"校", "学", "丼"}},
      {"a vendor extension kanji", "髙﨑", {"髙", "﨑"}},
      {"a character with no code of the code page", "𠮷한山", {"山"}},
      {"bytes that are not UTF-8", "\xff山\xe6", {"山"}},
      {"empty", "", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(DistinctKanji(c.text), c.kanji) << c.name;
}

}  // namespace
}  // namespace tarquel::kanjigrade
