// Reading a sheet without its storage: the cells that hold something, what they show, and the
// rows and columns that are hidden. Cells and records a file would hold are made through the
// internal header, as the file codecs make them.
#include "host/worksheet.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/range.h"
#include "host/worksheet_storage.h"
#include "support/host_fixture.h"

namespace tarquel::host {
namespace {

using Position = std::pair<int32_t, int32_t>;

class WorksheetTest : public testing::HostTest {
 protected:
  std::vector<Position> Visited(const CellRect& rect) {
    std::vector<Position> visited;
    sheet_->ForEachUsedCell(
        rect, [&](const CellView& cell) { visited.emplace_back(cell.row(), cell.column()); });
    return visited;
  }
};

// A value, a formula or a format of its own makes a cell hold something; a cell a file stored
// with nothing in it, or one emptied, is passed over. Cells come row by row, left to right.
TEST_F(WorksheetTest, UsedCellsAreThoseThatHoldSomethingInReadingOrder) {
  At("C2").SetValue("問");
  At("A2").SetValue(3);
  At("B5").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kContinuous);
  At("E1").SetNumberFormat("0.0");
  sheet_->FileCellAt(4, 2);  // stored by a reader, holding nothing
  Cell& formula = sheet_->FileCellAt(7, 1);
  formula.formula = std::make_shared<const Formula>(Formula{"1+1", {}});
  At("D9").SetValue("消える");
  At("D9").ClearContents();
  sheet_->FileCellAt(70000, 1).value = CellValue("ファイルの外れ");

  struct Case {
    CellRect rect;
    std::vector<Position> visited;
  };
  const Case cases[] = {
      {{1, 1, kSheetRows, kSheetColumns}, {{1, 5}, {2, 1}, {2, 3}, {5, 2}, {7, 1}}},
      {{2, 2, 6, 3}, {{2, 3}, {5, 2}}},
      {{3, 1, 4, 256}, {}},
      {{1, 1, kMaxFileRows, 1}, {{2, 1}, {7, 1}, {70000, 1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FormatAddress(c.rect, ReferenceStyle::kA1, false, kMaxFileRows, kMaxFileColumns));
    EXPECT_EQ(Visited(c.rect), c.visited);
  }
  EXPECT_FALSE(sheet_->UsedCellAt(4, 2).has_value()) << "stored with nothing";
  EXPECT_FALSE(sheet_->UsedCellAt(9, 4).has_value()) << "emptied";
  EXPECT_FALSE(sheet_->UsedCellAt(30, 30).has_value()) << "never written";
  ASSERT_TRUE(sheet_->UsedCellAt(7, 1).has_value());
  EXPECT_TRUE(sheet_->UsedCellAt(7, 1)->HasFormula());
  const std::optional<CellView> bordered = sheet_->UsedCellAt(5, 2);
  ASSERT_TRUE(bordered.has_value());
  EXPECT_TRUE(bordered->value().IsEmpty());
  EXPECT_TRUE(bordered->HasOwnFormat());
  EXPECT_EQ(bordered->format().borders.bottom.style, LineStyle::kContinuous);
}

TEST_F(WorksheetTest, AVisitStopsWhenTheVisitorSaysSo) {
  for (int32_t row = 1; row <= 100; ++row) sheet_->Cells(row, 4).SetValue(row);
  int32_t seen = 0;
  std::optional<int32_t> found;
  sheet_->ForEachUsedCell({1, 4, kSheetRows, 4}, [&](const CellView& cell) {
    ++seen;
    if (cell.value().number() != 40) return true;
    found = cell.row();
    return false;
  });
  EXPECT_EQ(found, 40);
  EXPECT_EQ(seen, 40) << "no cell after the one found";
}

// What a cell shows is what Range::Text reads; its character runs stay only while the number
// format shows the text as it is.
TEST_F(WorksheetTest, AUsedCellShowsWhatRangeTextReads) {
  struct Case {
    CellValue value;
    const char* format;
    const char* shown;
    bool keeps_runs;
  };
  const Case cases[] = {
      {"試合にカツ。", "General", "試合にカツ。", true},
      {"試合にカツ。", "@", "試合にカツ。", true},
      {"カツ", "\"【\"@\"】\"", "【カツ】", false},
      {3.0, "\"No.\"0", "No.3", false},
      {2.5, "0", "3", false},
      {true, "General", "TRUE", false},
      {CellValue(ErrorValue{"#N/A"}), "General", "#N/A", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    Range cell = At("B3");
    cell.SetNumberFormat(c.format);
    cell.SetValue(c.value);
    if (c.value.IsText()) cell.Characters(1, 1).Font().SetUnderline(Underline::kSingle);
    const std::optional<CellView> view = sheet_->UsedCellAt(3, 2);
    ASSERT_TRUE(view.has_value());
    EXPECT_EQ(view->Text(), c.shown);
    EXPECT_EQ(view->Text(), cell.Text());
    EXPECT_EQ(view->format().number_format, c.format);
    const Text rich = view->RichText();
    EXPECT_EQ(rich.text, c.shown);
    EXPECT_EQ(rich.format() != nullptr && !rich.format()->runs.empty(), c.keeps_runs);
  }
}

TEST_F(WorksheetTest, HiddenRowsAndColumns) {
  for (int32_t row : {2, 5, 9}) sheet_->rows_info()[row].hidden = true;
  sheet_->rows_info()[7].height = 30;  // a record that hides nothing
  sheet_->columns_info()[3].hidden = true;

  struct Case {
    int32_t first;
    int32_t last;
    std::vector<int32_t> rows;
  };
  const Case cases[] = {
      {1, kSheetRows, {2, 5, 9}}, {3, 8, {5}}, {5, 5, {5}}, {10, 20, {}}, {6, 8, {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.first) + ":" + std::to_string(c.last));
    EXPECT_EQ(sheet_->HiddenRows(c.first, c.last), c.rows);
  }
  EXPECT_EQ(sheet_->HiddenColumns(1, kSheetColumns), std::vector<int32_t>{3});
  EXPECT_TRUE(sheet_->RowHidden(5));
  EXPECT_FALSE(sheet_->RowHidden(7));
  EXPECT_FALSE(sheet_->RowHidden(8));
  EXPECT_TRUE(sheet_->ColumnHidden(3));
  EXPECT_FALSE(sheet_->ColumnHidden(4));
  EXPECT_DOUBLE_EQ(sheet_->RowHeightOf(7), 30);
}

}  // namespace
}  // namespace tarquel::host
