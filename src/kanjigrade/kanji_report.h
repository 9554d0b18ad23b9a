// The two texts of the kanji grade search: the classification report, which sorts the kanji of
// a text by the group that teaches them, and the missing-kanji listing, which lists what each
// group's table holds beyond them. Both work on the dialog's three arrays, which carry the
// result of a classification over to the listing. Only the kanji grade dialog (Form1) calls
// these; they touch no workbook.
#ifndef TARQUEL_KANJIGRADE_KANJI_REPORT_H_
#define TARQUEL_KANJIGRADE_KANJI_REPORT_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "kanjigrade/grade_tables.h"

namespace tarquel::kanjigrade {

// The arrays of the dialog, indexed by group 0 to 9 (0: kanji in no table).
struct GroupArrays {
  static constexpr int kGroups = kLastTableGroup + 1;

  // GroupCount. After a classification: the distinct kanji of the text in the group. After a
  // listing: the group's kanji that the text lacks.
  std::array<int32_t, kGroups> count{};
  // GroupTotal: the group's size, once its table has been consulted; never set for group 0.
  std::array<int32_t, kGroups> total{};
  // GroupList: the group's kanji for the view shown, each followed by "、".
  std::array<std::string, kGroups> list;

  // All thirty entries back to 0 and "".
  void Clear();
  bool operator==(const GroupArrays&) const = default;
};

// The kanji of `text` (UTF-8), each once, in the order of their first occurrence. A kanji is a
// character whose CP932 code lies in 0x889F..0xFC4B: the kanji rows of JIS X 0208, the vendor
// extensions and the user-defined area. Kana, 々, punctuation, letters and digits of either
// width lie below it; a character with no CP932 code (or a malformed byte) is dropped.
std::vector<std::string> DistinctKanji(std::string_view text);

// The classification report of `text`. Looks each distinct kanji up in groups 1 to 9 in order
// and puts it in the first that holds it, else in group 0; fills the counts, the totals of the
// groups consulted and the lists. Then one block per group with kanji, groups 1 to 9 and then
// group 0, separated by an empty line (CR LF): a heading with count, size and percentage, and
// the kanji joined by "、". Group 0's block has no size or percentage and no line end. A text
// without kanji gives "漢字が含まれていません。".
// REQUIRES: `arrays` holds empty lists (its counts and totals are reset here).
std::string Kanji_Report(std::string_view text, GroupArrays& arrays);

// The missing-kanji listing for the kanji of the last classification in `arrays`: every group
// 1 to 9, in the report's form, with its count and percentage now of the kanji missing, and
// "すべて網羅されています。" in place of an empty list. Replaces the lists, counts and totals of
// groups 1 to 9 with the missing kanji; group 0 is neither changed nor shown.
std::string MissingKanjiListing(GroupArrays& arrays);

// count / total * 100 in the form "#0.0": at least one digit before the point, one after,
// halves rounded away from zero ("1.3" for 1 of 80, where printf's rounding to even gives 1.2).
// Computed in integers, so no binary fraction near a half can tip it either way.
// REQUIRES: 0 <= count, 0 < total.
std::string Percentage(int32_t count, int32_t total);

}  // namespace tarquel::kanjigrade

#endif  // TARQUEL_KANJIGRADE_KANJI_REPORT_H_
