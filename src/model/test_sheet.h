// The two test sheets as data: their names, how pages, bands and slots map to rows and
// columns, the role of each row for its height, and the test code. Questions run from right to
// left: slot 1 of a band is column T, slot 20 column A; column U is the side column.
#ifndef TARQUEL_MODEL_TEST_SHEET_H_
#define TARQUEL_MODEL_TEST_SHEET_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace tarquel::model {

inline constexpr char kTestSheet40Name[] = "テスト用紙 【40】";
inline constexpr char kTestSheet20Name[] = "テスト用紙 【20】";

inline constexpr std::string_view TestSheetName(bool use_sheet40) {
  return use_sheet40 ? kTestSheet40Name : kTestSheet20Name;
}

inline constexpr int32_t kSlotsPerBand = 20;
inline constexpr int32_t kRowsPerBand = 4;
inline constexpr int32_t kSideColumn = 21;      // U
inline constexpr int32_t kLastSlotColumn = 20;  // T, slot 1

// 8 rows (two bands) a page on the 40 sheet, 4 (one band) on the 20 sheet.
inline constexpr int32_t RowsPerPage(bool use_sheet40) { return use_sheet40 ? 8 : 4; }
// Column of slot 1..20 of a band.
inline constexpr int32_t SlotColumn(int32_t slot) { return 21 - slot; }
// Rows of band 0, 1, 2 ... (the same on both sheets).
inline constexpr int32_t NumberRow(int32_t band) { return 4 * band + 1; }
inline constexpr int32_t QuestionRow(int32_t band) { return 4 * band + 2; }
inline constexpr int32_t AnswerRow(int32_t band) { return 4 * band + 3; }
// The question row of the band that holds `row` (rows 1..4 give 2, 5..8 give 6, ...).
inline constexpr int32_t BandQuestionRow(int32_t row) { return 4 * ((row - 1) / 4) + 2; }
// First row of page 1, 2, ...
inline constexpr int32_t PageFirstRow(int32_t page, bool use_sheet40) {
  return (page - 1) * RowsPerPage(use_sheet40) + 1;
}

// What a row holds, which decides its height.
enum class RowRole { kNumber, kQuestion, kAnswer, kBandSpacer, kPageFoot };
RowRole RoleOfRow(int32_t row, bool use_sheet40);

// The slot cells (columns A to T) of page 1's rows of `role`, as an address: the answer rows of
// the 40 sheet are "A3:T3,A7:T7", of the 20 sheet "A3:T3".
std::string PageOneSlotRows(RowRole role, bool use_sheet40);

// The code printed on every page that makes the same test again: the seed text, then
// "[first-last]" of the range, then the number of groups asked for.
std::string TestCode(std::string_view seed_text, int32_t first_group, int32_t last_group,
                     int32_t requested_groups);

}  // namespace tarquel::model

#endif  // TARQUEL_MODEL_TEST_SHEET_H_
