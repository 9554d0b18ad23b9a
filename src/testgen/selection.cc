#include "testgen/selection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "host/cell_value.h"
#include "host/range.h"
#include "host/worksheet.h"
#include "model/bank_sheet.h"
#include "model/whole_number.h"
#include "testgen/random.h"

namespace tarquel::testgen {
namespace {

constexpr int32_t kShufflePasses = 10;
constexpr int32_t kRequestedShufflePasses = 5;

std::string CellText(host::Worksheet& sheet, int32_t row, int32_t column) {
  return sheet.Cells(row, column).Value().AsText();
}

// Upper-cases ASCII and full-width Latin small letters (U+FF41..U+FF5A); the marks users
// type come in either width, and nothing else needs case folding here.
std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (size_t i = 0; i < upper.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(upper[i]);
    if (c >= 'a' && c <= 'z') {
      upper[i] = static_cast<char>(c - 'a' + 'A');
    } else if (c == 0xEF && i + 2 < upper.size() &&
               static_cast<unsigned char>(upper[i + 1]) == 0xBD) {
      // U+FF41..U+FF5A are EF BD 81..9A; their capitals U+FF21..U+FF3A are EF BC A1..BA.
      const unsigned char last = static_cast<unsigned char>(upper[i + 2]);
      if (last >= 0x81 && last <= 0x9A) {
        upper[i + 1] = static_cast<char>(0xBC);
        upper[i + 2] = static_cast<char>(last + 0x20);
      }
      i += 2;
    }
  }
  return upper;
}

// A group's score is the sum of its rows'; a long bank of must-appear rows would overflow
// 32 bits, so the sum saturates instead.
int32_t Saturate(int64_t sum) {
  return static_cast<int32_t>(std::clamp<int64_t>(sum, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int32_t ScoreOf(const model::GenerationState& state, int32_t group) {
  return state.scores[group - 1];
}

}  // namespace

bool IsKeepOutMark(std::string_view text) {
  const std::string upper = UpperCase(text);
  return upper == "S" || upper == "Ｓ" || upper == "E" || upper == "Ｅ" || text == "除" ||
         text == "止" || text == "修" || text == "外";
}

int32_t ScoreRow(host::Worksheet& bank, int32_t row, const model::SelectionOptions& options) {
  // Kept as a double: a huge count must not overflow, only its sign matters.
  const std::optional<double> times =
      model::NumericCellValue(bank.Cells(row, model::kTimesSet).Value());
  const double times_set = times ? std::nearbyint(*times) : 0;

  const bool must_appear = CellText(bank, row, model::kMustAppear) == model::kMustAppearMark;
  if (must_appear && !options.consider_must_appear) return kKeepOutScore;
  if (options.exclude_already_set && times_set > 0) return kKeepOutScore;

  int32_t score = must_appear ? kMustAppearScore : 0;
  for (int32_t column = model::kFirstAttempt; column <= model::kLastAttempt; ++column) {
    const std::string mark = CellText(bank, row, column);
    if (mark.empty()) break;
    if (IsKeepOutMark(mark)) return kKeepOutScore;
    if (options.ignore_wrong_count && score == 0) return 0;
    if (model::IsWrongMark(mark)) score += kWrongMarkScore;
  }
  return score;
}

void ScanBank(host::Worksheet& bank, model::GenerationState& state) {
  std::vector<model::QuestionGroup> groups;
  std::vector<int32_t> scores;
  const int32_t last_row = bank.RowCount();
  int32_t rows_in_group = 1;
  int64_t open_score = 0;  // the rows of the open group before the current one
  for (int32_t row = 1; row <= last_row; ++row) {
    if (CellText(bank, row, model::kQuestion).empty()) break;
    const std::string mark = CellText(bank, row, model::kGroupMark);
    // Below the sheet's last row there is nothing, as an empty mark.
    const std::string next_mark = row < last_row ? CellText(bank, row + 1, model::kGroupMark) : "";
    if (next_mark != mark) {
      const int32_t first_row = groups.empty() ? 1 : row - rows_in_group + 1;
      groups.push_back({first_row, rows_in_group});
      scores.push_back(Saturate(ScoreRow(bank, row, state.options) + open_score));
      open_score = 0;
      rows_in_group = 1;
    } else {
      open_score += ScoreRow(bank, row, state.options);
      ++rows_in_group;
    }
  }
  state.bank_group_count = static_cast<int32_t>(groups.size());
  state.groups = std::move(groups);
  state.scores = std::move(scores);
}

void SelectGroups(model::GenerationState& state, int32_t first_group, int32_t last_group,
                  int32_t seed) {
  std::vector<int32_t>& selected = state.selected_groups;
  selected.assign(1, 0);
  const int32_t first = std::max(first_group, 1);
  const int32_t last = std::min(last_group, state.bank_group_count);
  for (int32_t group = first; group <= last; ++group) {
    if (ScoreOf(state, group) >= 0) selected.push_back(group);
  }
  const int32_t n = static_cast<int32_t>(selected.size()) - 1;
  state.eligible_group_count = n;

  Random random(seed);
  for (int32_t pass = 0; pass < kShufflePasses; ++pass) {
    for (int32_t i = 1; i <= n; ++i) {
      const int32_t r = random.Uniform(1, n);
      if (r != i) std::swap(selected[i], selected[r]);
    }
  }
  if (state.options.ignore_wrong_count && !state.options.consider_must_appear) {
    state.random_state = random.state();
    return;
  }

  // Equal scores keep their shuffled order: a stable sort with a strict comparison gives the
  // order that insertion by adjacent exchanges of out-of-order neighbours would.
  std::stable_sort(selected.begin() + 1, selected.end(), [&state](int32_t a, int32_t b) {
    return ScoreOf(state, a) > ScoreOf(state, b);
  });

  random = Random(seed);
  const int32_t m = std::min(state.requested_group_count, n);
  for (int32_t pass = 0; pass < kRequestedShufflePasses; ++pass) {
    for (int32_t i = 1; i <= m; ++i) {
      const int32_t r = random.Uniform(1, m);
      if (r != i) std::swap(selected[i], selected[r]);
    }
  }
  state.random_state = random.state();
}

std::vector<int32_t> RowOrder(model::GenerationState& state, int32_t count) {
  if (count <= 0) return {};
  std::vector<int32_t> order(count);
  for (int32_t a = 0; a < count; ++a) order[a] = a;
  Random random = Random::FromState(state.random_state);
  for (int32_t pass = 0; pass < kShufflePasses; ++pass) {
    for (int32_t a = 0; a < count; ++a) {
      const int32_t r = random.Uniform(0, count - 1);
      if (r != a) std::swap(order[a], order[r]);
    }
  }
  state.random_state = random.state();
  return order;
}

Request ClampRequest(int32_t first, int32_t last, int32_t count, int32_t bank_group_count) {
  if (last < first) std::swap(first, last);
  if (bank_group_count < count) count = bank_group_count;
  if (bank_group_count < last) last = bank_group_count;
  const int32_t span = last - first + 1;
  if (span < count) count = span;
  return {first, last, count};
}

int32_t CountBands(const model::GenerationState& state) {
  int32_t bands = 0;
  int32_t used = 0;
  int32_t position = 1;
  while (position <= state.set_group_count) {
    const int32_t rows = state.groups[state.selected_groups[position] - 1].row_count;
    const bool band_was_empty = used == 0;
    used += rows;
    if (used % kBandRows == 0) {
      ++bands;
      used = 0;
      ++position;
    } else if (used > kBandRows) {
      ++bands;
      used = 0;
      // The group starts the next band; one too large even for an empty band would start
      // band after band for ever, so it fills one by itself.
      if (band_was_empty) ++position;
    } else {
      if (position == state.set_group_count) ++bands;
      ++position;
    }
  }
  return bands;
}

int32_t CountPages(int32_t bands, bool use_sheet40) {
  return use_sheet40 ? (bands + 1) / 2 : bands;
}

std::optional<model::QuestionGroup> FirstOversizeGroup(const model::GenerationState& state,
                                                       int32_t first_group, int32_t last_group) {
  const int32_t first = std::max(first_group, 1);
  const int32_t last = std::min(last_group, static_cast<int32_t>(state.groups.size()));
  for (int32_t group = first; group <= last; ++group) {
    if (state.groups[group - 1].row_count > kBandRows) return state.groups[group - 1];
  }
  return std::nullopt;
}

}  // namespace tarquel::testgen
