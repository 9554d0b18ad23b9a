#include "review/bank_lookup.h"

#include <algorithm>

#include "host/worksheet.h"
#include "model/bank_sheet.h"

namespace tarquel::review {

QuestionIndex::QuestionIndex(host::Worksheet& bank) {
  const int32_t last_row = bank.RowCount() - 1;
  int32_t expected = 1;  // the next row that must hold a question for no gap to have opened
  bool gap_found = false;
  bank.ForEachUsedCell({1, model::kQuestion, last_row, model::kQuestion},
                       [&](const host::CellView& cell) {
                         std::string text = cell.value().AsText();
                         if (text.empty()) return;
                         if (!gap_found) {
                           if (cell.row() == expected) {
                             ++expected;
                           } else {
                             gap_found = true;
                           }
                         }
                         first_row_.try_emplace(std::move(text), cell.row());
                       });
  first_empty_row_ = expected;
}

std::optional<int32_t> QuestionIndex::FirstRowOf(std::string_view text) const {
  auto it = first_row_.find(std::string(text));
  if (it == first_row_.end()) return std::nullopt;
  return it->second;
}

int32_t QuestionIndex::FirstRowOrEmpty(std::string_view text) const {
  if (text.empty()) return first_empty_row_;
  const std::optional<int32_t> row = FirstRowOf(text);
  return row ? std::min(*row, first_empty_row_) : first_empty_row_;
}

std::optional<int32_t> FindQuestionRow(const host::Worksheet& bank, std::string_view text) {
  std::optional<int32_t> found;
  bank.ForEachUsedCell({1, model::kQuestion, bank.RowCount() - 1, model::kQuestion},
                       [&](const host::CellView& cell) {
                         if (cell.value().AsText() != text) return true;
                         found = cell.row();
                         return false;
                       });
  return found;
}

}  // namespace tarquel::review
