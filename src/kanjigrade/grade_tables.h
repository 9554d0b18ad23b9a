// The kanji grade tables: nine fixed, disjoint groups of kanji that the kanji grade search
// sorts against. Groups 1 to 6 are the kanji taught in the six years of elementary school (the
// 1989 allocation table, each in the order of that table, by reading); groups 7 to 9 split the
// rest of the 1,945 kanji of the 1981 常用漢字表 into three junior-high groups. Group 0 stands
// for every kanji in no table (taught in high school) and has no table.
//
// The tables are constants compiled in; nothing reads them from a file and nothing changes
// them. Every kanji is one UTF-16 code unit from the first level of JIS X 0208. Anything may
// call these functions; they keep no state and are thread-safe.
#ifndef TARQUEL_KANJIGRADE_GRADE_TABLES_H_
#define TARQUEL_KANJIGRADE_GRADE_TABLES_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tarquel::kanjigrade {

// Groups are numbered 0 to 9; groups 1 to 9 have a table.
inline constexpr int kHighSchoolGroup = 0;
inline constexpr int kFirstTableGroup = 1;
inline constexpr int kLastTableGroup = 9;
// The last group taught in elementary school; later groups are junior high.
inline constexpr int kLastElementaryGroup = 6;

// The table of `group`: its kanji in table order, UTF-8, with no separators.
// REQUIRES: kFirstTableGroup <= group <= kLastTableGroup.
std::string_view GroupTable(int group);

// The number of kanji in the table of `group`. REQUIRES: as GroupTable.
int32_t GroupSize(int group);

// The Kanken level printed beside `group` (10 for group 1 down to 2 for group 9).
// REQUIRES: as GroupTable.
int KankenLevel(int group);

// What Kanji_Table gives back.
struct KanjiTableResult {
  // Membership mode: the text occurs in the table. Always false in the missing-list mode.
  bool found = false;
  // Missing-list mode: the table's kanji that occur nowhere in the text, each followed by "、",
  // in table order, and how many they are. Empty and 0 in the membership mode.
  std::string missing;
  int32_t missing_count = 0;
};

// The table procedure of `group`, in one of two modes:
//  - list_missing false: `found` tells whether `text` occurs in the table, an exact substring
//    search with no folding of width or variant forms. In use `text` is one kanji, so this
//    tells whether the group holds it. An empty text occurs in every table.
//  - list_missing true: lists the kanji of the table that no character of `text` equals.
//    Characters of other groups, kana and the separator "、" are simply never matched, so a
//    text holding every kanji of the group, in any order and with anything between, gives ""
//    and 0, and an empty text gives the whole table.
// `text` is UTF-8; a malformed byte matches no kanji. REQUIRES: as GroupTable.
KanjiTableResult Kanji_Table(int group, std::string_view text, bool list_missing);

}  // namespace tarquel::kanjigrade

#endif  // TARQUEL_KANJIGRADE_GRADE_TABLES_H_
