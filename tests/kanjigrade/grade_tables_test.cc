// The nine kanji grade tables and their table procedure.
#include "kanjigrade/grade_tables.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/platform/cp932.h"
#include "host/utf16.h"

namespace tarquel::kanjigrade {
namespace {

// The kanji of a table, one string each.
std::vector<std::string> KanjiOf(std::string_view table) {
  std::vector<std::string> kanji;
  for (std::size_t pos = 0; pos < table.size();) {
    const std::size_t start = pos;
    host::DecodeUtf8(table, &pos);
    kanji.emplace_back(table.substr(start, pos - start));
  }
  return kanji;
}

std::string Join(const std::vector<std::string>& kanji, std::size_t first, std::size_t count) {
  std::string joined;
  for (std::size_t i = first; i < first + count; ++i) joined += kanji[i];
  return joined;
}

TEST(GradeTablesTest, EachGroupHasItsSizeFirstAndLastFiveAndKankenLevel) {
  struct Case {
    int group;
    int32_t size;
    const char* first_five;
    const char* last_five;
    int kanken;
  };
  const Case cases[] = {
      {1, 80, "一右雨円王", "目立力林六", 10}, {2, 160, "引羽雲園遠", "曜来里理話", 9},
      {3, 200, "悪安暗医委", "礼列練路和", 8}, {4, 200, "愛案以衣位", "歴連老労録", 7},
      {5, 185, "圧移因永営", "預容略留領", 6}, {6, 181, "異遺域宇映", "裏律臨朗論", 5},
      {7, 316, "握扱依偉威", "恋露郎惑腕", 4}, {8, 286, "哀慰詠悦閲", "廊楼浪漏湾", 3},
      {9, 337, "亜尉逸姻韻", "塁累鈴賄枠", 2},
  };
  int32_t cumulative = 0;
  for (const Case& c : cases) {
    const std::vector<std::string> kanji = KanjiOf(GroupTable(c.group));
    EXPECT_EQ(GroupSize(c.group), c.size) << c.group;
    ASSERT_EQ(kanji.size(), static_cast<std::size_t>(c.size)) << c.group;
    EXPECT_EQ(Join(kanji, 0, 5), c.first_five) << c.group;
    EXPECT_EQ(Join(kanji, kanji.size() - 5, 5), c.last_five) << c.group;
    EXPECT_EQ(KankenLevel(c.group), c.kanken);
    cumulative += GroupSize(c.group);
  }
  EXPECT_EQ(cumulative, 1945);
}

TEST(GradeTablesTest, EveryKanjiIsOneFirstLevelCharacterInExactlyOneTable) {
  std::map<std::string, int> group_of;
  for (int group = kFirstTableGroup; group <= kLastTableGroup; ++group) {
    for (const std::string& kanji : KanjiOf(GroupTable(group))) {
      EXPECT_EQ(host::Utf16Length(kanji), 1u) << kanji;
      std::size_t pos = 0;
      const std::optional<uint16_t> code = host::Cp932Code(host::DecodeUtf8(kanji, &pos));
      ASSERT_TRUE(code.has_value()) << kanji;
      EXPECT_GE(*code, 0x889F) << kanji;
      EXPECT_LE(*code, 0x9872) << kanji;
      const auto [it, fresh] = group_of.emplace(kanji, group);
      EXPECT_TRUE(fresh) << kanji << " in groups " << it->second << " and " << group;
    }
  }
  EXPECT_EQ(group_of.size(), 1945u);
}

TEST(GradeTablesTest, MembershipIsExactAndFindsTheOneGroup) {
  struct Case {
    const char* kanji;
    int group;  // 0: in no table
  };
  const Case cases[] = {
      {"校", 1}, {"漢", 3}, {"握", 7}, {"枠", 9},
      {"勺", 9}, {"脹", 8}, {"岡", 0},             // joined the list only later
      {"俺", 0}, {"阪", 0}, {"熊", 0}, {"學", 0},  // the old form of 学 is not folded to it
      {"ア", 0}, {"Ａ", 0},
  };
  for (const Case& c : cases) {
    for (int group = kFirstTableGroup; group <= kLastTableGroup; ++group) {
      EXPECT_EQ(Kanji_Table(group, c.kanji, false).found, group == c.group)
          << c.kanji << " in group " << group;
    }
  }
  const KanjiTableResult member = Kanji_Table(1, "校", false);
  EXPECT_TRUE(member.missing.empty());
  EXPECT_EQ(member.missing_count, 0);
}

TEST(GradeTablesTest, MissingListKeepsTableOrderAndIgnoresEverythingElse) {
  const std::vector<std::string> group1 = KanjiOf(GroupTable(1));
  std::string backwards_with_others_between;
  std::string whole_table;
  std::string without_three;  // all but 一, 右 and 王, in table order
  for (auto it = group1.rbegin(); it != group1.rend(); ++it) {
    backwards_with_others_between += *it + "、あ岡漢";
  }
  for (const std::string& kanji : group1) {
    whole_table += kanji + "、";
    if (kanji != "一" && kanji != "右" && kanji != "王") without_three += kanji + "、";
  }
  ASSERT_TRUE(without_three.starts_with("雨、円、音、"));

  struct Case {
    const char* name;
    std::string text;
    std::string missing;
    int32_t count;
  };
  const Case cases[] = {
      {"empty text", "", whole_table, 80},
      {"every kanji, backwards, with others between", backwards_with_others_between, "", 0},
      {"kana, punctuation and other groups only", "あいう漢握、。", whole_table, 80},
      {"three present, out of order", "王右一", without_three, 77},
  };
  for (const Case& c : cases) {
    const KanjiTableResult result = Kanji_Table(1, c.text, true);
    EXPECT_FALSE(result.found) << c.name;
    EXPECT_EQ(result.missing, c.missing) << c.name;
    EXPECT_EQ(result.missing_count, c.count) << c.name;
  }
}

}  // namespace
}  // namespace tarquel::kanjigrade
