// Finding a question's bank row by its text: the first row, from row 1 down, whose column D
// equals the text. The index is built once per command from the cells that exist, so that a
// command that looks up every question of a test costs in proportion to the bank, not to the
// bank times the test.
#ifndef TARQUEL_REVIEW_BANK_LOOKUP_H_
#define TARQUEL_REVIEW_BANK_LOOKUP_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tarquel::host {
class Worksheet;
}

namespace tarquel::review {

class QuestionIndex {
 public:
  // Indexes column D of rows 1 .. RowCount() - 1 of `bank`.
  explicit QuestionIndex(host::Worksheet& bank);

  // The first row whose column D equals `text`, searching past empty rows (the marking and
  // jumping searches). nullopt when none; REQUIRES `text` not empty.
  std::optional<int32_t> FirstRowOf(std::string_view text) const;

  // The row where a search that stops at the first empty column D ends: the first row whose D
  // equals `text` or is empty (the answer display's search).
  int32_t FirstRowOrEmpty(std::string_view text) const;

  // The first row whose column D is empty.
  int32_t first_empty_row() const { return first_empty_row_; }

 private:
  std::unordered_map<std::string, int32_t> first_row_;
  int32_t first_empty_row_ = 1;
};

// One lookup without an index: the first row of 1 .. RowCount() - 1 whose column D equals
// `text`, past empty rows. REQUIRES `text` not empty.
std::optional<int32_t> FindQuestionRow(const host::Worksheet& bank, std::string_view text);

}  // namespace tarquel::review

#endif  // TARQUEL_REVIEW_BANK_LOOKUP_H_
