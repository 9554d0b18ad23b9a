// Question selection for the test generator: scoring the bank's rows, cutting the bank into
// question groups, choosing and ordering the groups of a test, the order of questions inside
// a group, and counting the bands and pages the chosen groups fill. UserForm1's generation
// calls these in that order; they read the bank through the host and keep what they find in
// the module state (model::GenerationState).
//
// Every random choice draws from testgen::Random, seeded with the test's code, so the same
// bank, options and code give the same test.
#ifndef TARQUEL_TESTGEN_SELECTION_H_
#define TARQUEL_TESTGEN_SELECTION_H_

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/generation_state.h"

namespace tarquel::host {
class Worksheet;
}

namespace tarquel::testgen {

// The score of a keep-out row (a keep-out mark, a must-appear row while must-appear rows are
// not considered, or a row already set while those are excluded).
inline constexpr int32_t kKeepOutScore = -1000;
// Added for a must-appear row when must-appear rows are considered.
inline constexpr int32_t kMustAppearScore = 100000;
// Added for each wrong-answer mark.
inline constexpr int32_t kWrongMarkScore = 10;
// The question slots of one band of a test sheet.
inline constexpr int32_t kBandRows = 20;

// True for a keep-out mark of an attempt column: "S" or "E" in any case or width, or one of
// "除", "止", "修", "外", compared on the whole text.
bool IsKeepOutMark(std::string_view text);

// The score of bank row `row` under `options`: kKeepOutScore when the row must not be set;
// otherwise kMustAppearScore for a "必出" row in column R (when considered) plus
// kWrongMarkScore per "X" among the attempt marks F..O. The marks are read from F up to the
// first empty column; column P is never read. A keep-out mark is "S" or "E" in any case or
// width, or one of "除", "止", "修", "外"; marks compare on the whole text, so "X " counts
// nothing. With ignore_wrong_count a row that is not must-appear scores 0 once its first mark
// shows it is no keep-out row. Column Q (times set) is read as a whole number; text that is
// not numeric counts as 0.
// REQUIRES: 1 <= row <= the sheet's rows.
int32_t ScoreRow(host::Worksheet& bank, int32_t row, const model::SelectionOptions& options);

// Cuts the bank into groups: from row 1 down to the first row whose column D is empty, each
// run of consecutive rows with the same text in column C is one group, scored by the sum of
// its rows' ScoreRow under state.options. Replaces state.groups, state.scores and
// state.bank_group_count. Rows of a group still open when the empty D is reached (their
// column C equals that of the empty row) are not part of any group.
void ScanBank(host::Worksheet& bank, model::GenerationState& state);

// Chooses the groups of a test from groups first_group..last_group of the last scan: those
// with a score of at least 0, shuffled with Random(seed), into state.selected_groups[1..n]
// (entry 0 stays 0), n into state.eligible_group_count. Unless wrong counts are ignored while
// must-appear rows are not considered, the groups are then ordered by score, highest first
// (equal scores keep their shuffled order), and the first min(requested_group_count, n)
// positions shuffled again from a fresh Random(seed). The generator's state is left in
// state.random_state for RowOrder. Group numbers outside 1..bank_group_count are never
// chosen.
void SelectGroups(model::GenerationState& state, int32_t first_group, int32_t last_group,
                  int32_t seed);

// The order in which the `count` rows of a group are set: a permutation of 0..count-1,
// drawn from state.random_state, which it advances. Empty for count <= 0.
std::vector<int32_t> RowOrder(model::GenerationState& state, int32_t count);

// A range of groups and a number of groups asked for, fitted to the bank.
struct Request {
  int32_t first = 0;
  int32_t last = 0;
  int32_t count = 0;
};

// Orders first and last, then cuts last and count to the bank's groups and count to the
// range's size. When first lies beyond the bank, count comes out zero or negative: no groups
// are to be set.
Request ClampRequest(int32_t first, int32_t last, int32_t count, int32_t bank_group_count);

// The bands of kBandRows question slots that positions 1..set_group_count of
// state.selected_groups fill, a group never split over two bands. A group too large for any
// band (see FirstOversizeGroup) takes one band of its own.
// REQUIRES: set_group_count < selected_groups.size(), each a group of the last scan.
int32_t CountBands(const model::GenerationState& state);

// The test sheet pages `bands` bands need: one band a page on the 20-question sheet, two on
// the 40-question sheet.
int32_t CountPages(int32_t bands, bool use_sheet40);

// The first of groups first_group..last_group of the last scan with more rows than a band
// holds, if any; a range with such a group cannot be set. Group numbers outside
// 1..bank_group_count are not looked at.
std::optional<model::QuestionGroup> FirstOversizeGroup(const model::GenerationState& state,
                                                       int32_t first_group, int32_t last_group);

}  // namespace tarquel::testgen

#endif  // TARQUEL_TESTGEN_SELECTION_H_
