#include "review/bank_lookup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/range.h"
#include "model/bank_sheet.h"
#include "support/host_fixture.h"

namespace tarquel::review {
namespace {

class BankLookupTest : public testing::HostTest {
 protected:
  // Writes `questions` into column D from row 1; "" leaves a row empty.
  void Fill(const std::vector<std::string>& questions) {
    for (std::size_t i = 0; i < questions.size(); ++i) {
      if (!questions[i].empty()) {
        sheet_->Cells(static_cast<int32_t>(i) + 1, model::kQuestion).SetValue(questions[i]);
      }
    }
  }
};

// Searches past empty rows find the first row holding the text; the answer display's search,
// which stops at the first empty row, ends there or at the text, whichever comes first.
TEST_F(BankLookupTest, TheFirstRowOfATextAndTheFirstEmptyRow) {
  Fill({"問A", "問B", "問A", "", "問C", "問B"});
  sheet_->Cells(4, model::kQuestion)
      .Borders(host::BorderIndex::kEdgeBottom)
      .SetLineStyle(host::LineStyle::kContinuous);      // a line only: still an empty row
  sheet_->Cells(8, model::kAnswer).SetValue("答だけ");  // another column holds no question

  struct Case {
    const char* text;
    std::optional<int32_t> first_row;
    int32_t row_or_empty;
  };
  const Case cases[] = {
      {"問A", 1, 1},
      {"問B", 2, 2},
      {"問C", 5, 4},
      {"問D", std::nullopt, 4},
      {"答だけ", std::nullopt, 4},
  };
  QuestionIndex index(*sheet_);
  EXPECT_EQ(index.first_empty_row(), 4);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(index.FirstRowOf(c.text), c.first_row);
    EXPECT_EQ(FindQuestionRow(*sheet_, c.text), c.first_row) << "the same without an index";
    EXPECT_EQ(index.FirstRowOrEmpty(c.text), c.row_or_empty);
  }
  EXPECT_EQ(index.FirstRowOrEmpty(""), 4);
}

// Numbers in column D are found by the text they read as; the sheet's last row is not part of
// the bank.
TEST_F(BankLookupTest, NumbersReadAsTextAndTheLastRowIsOutside) {
  sheet_->Cells(1, model::kQuestion).SetValue(12);
  sheet_->Cells(2, model::kQuestion).SetValue("最終行の前");
  sheet_->Cells(sheet_->RowCount() - 1, model::kQuestion).SetValue("最後の問題");
  sheet_->Cells(sheet_->RowCount(), model::kQuestion).SetValue("シートの最終行");

  QuestionIndex index(*sheet_);
  EXPECT_EQ(index.FirstRowOf("12"), 1);
  EXPECT_EQ(FindQuestionRow(*sheet_, "12"), 1);
  EXPECT_EQ(index.FirstRowOf("最後の問題"), sheet_->RowCount() - 1);
  EXPECT_EQ(FindQuestionRow(*sheet_, "最後の問題"), sheet_->RowCount() - 1);
  EXPECT_EQ(index.FirstRowOf("シートの最終行"), std::nullopt);
  EXPECT_EQ(FindQuestionRow(*sheet_, "シートの最終行"), std::nullopt);
  EXPECT_EQ(index.first_empty_row(), 3);
}

}  // namespace
}  // namespace tarquel::review
