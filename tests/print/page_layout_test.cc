#include "print/page_layout.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "host/address.h"
#include "host/worksheet_storage.h"
#include "print/paper.h"
#include "print/print_error.h"
#include "support/host_fixture.h"

namespace tarquel::print {
namespace {

// The digit of ＭＳ Ｐゴシック 11 pt is 8 pixels wide: the host's default width 8.38 is then
// 72 pixels.
constexpr int kDigit = 8;
// A column this wide is 75 + 5 = 80 pixels, 60 points.
constexpr double kSixtyPointColumn = 9.375;
constexpr double kMargin = 36;

using Lines = std::vector<int32_t>;

Lines Span(int32_t first, int32_t last) {
  Lines lines(last - first + 1);
  std::iota(lines.begin(), lines.end(), first);
  return lines;
}

struct PageCells {
  Lines rows;
  Lines columns;

  bool operator==(const PageCells&) const = default;
};

std::ostream& operator<<(std::ostream& out, const PageCells& page) {
  auto print = [&out](const Lines& lines) {
    for (int32_t line : lines) out << line << ' ';
  };
  out << "rows ";
  print(page.rows);
  out << "columns ";
  print(page.columns);
  return out;
}

std::vector<PageCells> CellsOf(const SheetLayout& layout) {
  std::vector<PageCells> pages;
  for (const SheetPage& page : layout.pages) pages.push_back({page.rows, page.columns});
  return pages;
}

// What a PrintError says, or "" when none was thrown.
template <typename Action>
std::string PrintErrorOf(Action&& action) {
  try {
    action();
  } catch (const PrintError& error) {
    return error.what();
  }
  return "";
}

void ExpectNear(const std::vector<double>& actual, const std::vector<double>& expected,
                const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (std::size_t i = 0; i < actual.size(); ++i) {
    EXPECT_NEAR(actual[i], expected[i], 1e-9) << what << " at " << i;
  }
}

class PageLayoutTest : public testing::HostTest {
 protected:
  host::PageSetup& Page() { return sheet_->page_setup(); }

  // The first sheet of a new workbook, for a case of a table that needs a sheet of its own.
  host::Worksheet& FreshSheet() { return app_.Workbooks().Add().ActiveSheet(); }

  // Margins of 36 points at the top left and the rest at the bottom right, so that the cells
  // have a box of `width` by `height` points on upright A4.
  void SetBox(double width, double height) {
    const PaperSize a4 = *FindPaperSize(host::kPaperA4);
    Page().left_margin = kMargin;
    Page().top_margin = kMargin;
    Page().right_margin = a4.width - kMargin - width;
    Page().bottom_margin = a4.height - kMargin - height;
  }

  // Rows `first`..`last` `height` points high, each holding a value.
  void FillRows(int32_t first, int32_t last, double height) {
    for (int32_t row = first; row <= last; ++row) {
      sheet_->Rows(row).SetRowHeight(height);
      sheet_->Cells(row, 1).SetValueFromText("x");
    }
  }

  SheetLayout LayOut(const PrintOptions& options = {}) {
    return LayOutPages(*sheet_, options, kDigit);
  }
};

TEST(ColumnWidthPointsTest, AddsTheHostsPaddingToWholePixels) {
  struct Case {
    double width;
    int digit;
    double pixels;
  };
  const Case cases[] = {
      {8.38, 8, 72},  // the host's default column under ＭＳ Ｐゴシック 11
      {8.43, 7, 64},  // and under a 7-pixel digit
      {6.4, 8, 56},   // a test sheet's question column: 51.7 rounds to 51
      {7.0, 8, 61},   // its side column
      {kSixtyPointColumn, 8, 80},
      {0.1, 8, 6},  // 1.3 rounds down to 1
      {0, 8, 0},    // a column of no width has no padding either
      {-3, 8, 0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(ColumnWidthPoints(c.width, c.digit), c.pixels * 72 / 96)
        << c.width << " at " << c.digit;
  }
}

TEST_F(PageLayoutTest, AreaBreaksIntoPagesOfWholeRowsAndColumns) {
  struct Case {
    const char* name;
    std::vector<std::pair<int32_t, double>> heights;  // rows 1.. of the area, in points
    std::vector<int32_t> hidden_rows;
    int32_t columns;  // 60-point columns A.. in the area
    host::PageOrder order;
    std::vector<PageCells> pages;
  };
  // The box is 200 points wide and 300 high: five 60-point rows fit down (300 exactly), three
  // columns across (180).
  const Case cases[] = {
      {"rows that fill the box exactly",
       {{1, 60}, {2, 60}, {3, 60}, {4, 60}, {5, 60}, {6, 60}, {7, 60}},
       {},
       2,
       host::PageOrder::kDownThenOver,
       {{Span(1, 5), Span(1, 2)}, {Span(6, 7), Span(1, 2)}}},
      {"a row taller than the box goes alone",
       {{1, 100}, {2, 400}, {3, 100}, {4, 100}},
       {},
       1,
       host::PageOrder::kDownThenOver,
       {{{1}, {1}}, {{2}, {1}}, {{3, 4}, {1}}}},
      {"hidden and zero-height rows take no room",
       {{1, 100}, {2, 100}, {3, 0}, {4, 100}, {5, 100}, {6, 100}},
       {2},
       1,
       host::PageOrder::kDownThenOver,
       {{{1, 4, 5}, {1}}, {{6}, {1}}}},
      {"down then over",
       {{1, 150}, {2, 150}, {3, 150}},
       {},
       4,
       host::PageOrder::kDownThenOver,
       {{Span(1, 2), Span(1, 3)}, {{3}, Span(1, 3)}, {Span(1, 2), {4}}, {{3}, {4}}}},
      {"over then down",
       {{1, 150}, {2, 150}, {3, 150}},
       {},
       4,
       host::PageOrder::kOverThenDown,
       {{Span(1, 2), Span(1, 3)}, {Span(1, 2), {4}}, {{3}, Span(1, 3)}, {{3}, {4}}}},
  };
  for (const Case& c : cases) {
    host::Worksheet& sheet = FreshSheet();
    const PaperSize a4 = *FindPaperSize(host::kPaperA4);
    sheet.page_setup().left_margin = kMargin;
    sheet.page_setup().top_margin = kMargin;
    sheet.page_setup().right_margin = a4.width - kMargin - 200;
    sheet.page_setup().bottom_margin = a4.height - kMargin - 300;
    sheet.page_setup().order = c.order;
    for (const auto& [row, height] : c.heights) {
      sheet.Rows(row).SetRowHeight(height);
      sheet.Cells(row, c.columns).SetValueFromText("x");
    }
    for (int32_t row : c.hidden_rows) sheet.rows_info()[row].hidden = true;
    sheet.Columns("A:Z").SetColumnWidth(kSixtyPointColumn);
    sheet.SetPrintArea(host::FormatAddress(
        {1, 1, static_cast<int32_t>(c.heights.size()), c.columns}, host::ReferenceStyle::kA1));
    const SheetLayout layout = LayOutPages(sheet, {}, kDigit);
    EXPECT_EQ(CellsOf(layout), c.pages) << c.name;
    EXPECT_TRUE(layout.notes.empty()) << c.name;
  }
}

TEST_F(PageLayoutTest, CellsStandAtTheMarginsOrCentredInTheBox) {
  // Two 60-point columns and two rows of 50 and 70 points in a box of 300 by 400.
  SetBox(300, 400);
  sheet_->Columns("A:B").SetColumnWidth(kSixtyPointColumn);
  FillRows(1, 1, 50);
  FillRows(2, 2, 70);
  sheet_->SetPrintArea("A1:B2");
  struct Case {
    bool horizontally;
    bool vertically;
    double left;
    double top;
  };
  const Case cases[] = {
      {false, false, kMargin, kMargin},
      {true, false, kMargin + (300 - 120) / 2.0, kMargin},
      {false, true, kMargin, kMargin + (400 - 120) / 2.0},
      {true, true, kMargin + (300 - 120) / 2.0, kMargin + (400 - 120) / 2.0},
  };
  for (const Case& c : cases) {
    Page().center_horizontally = c.horizontally;
    Page().center_vertically = c.vertically;
    const SheetLayout layout = LayOut();
    ASSERT_EQ(layout.pages.size(), 1u);
    const SheetPage& page = layout.pages[0];
    const std::string what = std::to_string(c.horizontally) + std::to_string(c.vertically);
    ExpectNear(page.column_left, {c.left, c.left + 60, c.left + 120}, "columns " + what);
    ExpectNear(page.row_top, {c.top, c.top + 50, c.top + 120}, "rows " + what);
    EXPECT_DOUBLE_EQ(page.scale, 1);
    EXPECT_EQ(page.heading_width, 0);
  }
}

TEST_F(PageLayoutTest, PaperSizeAndOrientation) {
  FillRows(1, 1, 20);
  struct Case {
    int paper;
    host::PageOrientation orientation;
    double width_mm;
    double height_mm;
  };
  const Case cases[] = {
      {host::kPaperA4, host::PageOrientation::kPortrait, 210, 297},
      {host::kPaperA4, host::PageOrientation::kLandscape, 297, 210},
      {host::kPaperA3, host::PageOrientation::kLandscape, 420, 297},
      {12, host::PageOrientation::kPortrait, 257, 364},  // B4 (JIS)
  };
  for (const Case& c : cases) {
    Page().paper_size = c.paper;
    Page().orientation = c.orientation;
    const SheetLayout layout = LayOut();
    ASSERT_EQ(layout.pages.size(), 1u);
    EXPECT_NEAR(layout.pages[0].paper_width, c.width_mm * 72 / 25.4, 1e-9) << c.paper;
    EXPECT_NEAR(layout.pages[0].paper_height, c.height_mm * 72 / 25.4, 1e-9) << c.paper;
  }
}

TEST_F(PageLayoutTest, LandscapeTurnsTheBox) {
  // Ten 100-point rows: upright A4 inside 36-point margins holds 7 (770 points), turned 5.
  Page().left_margin = Page().right_margin = Page().top_margin = Page().bottom_margin = kMargin;
  FillRows(1, 10, 100);
  EXPECT_EQ(CellsOf(LayOut()), (std::vector<PageCells>{{Span(1, 7), {1}}, {Span(8, 10), {1}}}));
  Page().orientation = host::PageOrientation::kLandscape;
  EXPECT_EQ(CellsOf(LayOut()), (std::vector<PageCells>{{Span(1, 5), {1}}, {Span(6, 10), {1}}}));
}

TEST_F(PageLayoutTest, ZoomScalesTheCellsAndWhatFitsOnAPage) {
  SetBox(200, 300);
  sheet_->Columns("A:D").SetColumnWidth(kSixtyPointColumn);
  FillRows(1, 7, 100);
  sheet_->Cells(1, 4).SetValueFromText("x");
  struct Case {
    int zoom;
    std::vector<PageCells> pages;
  };
  const Case cases[] = {
      {100,
       {{Span(1, 3), Span(1, 3)},
        {Span(4, 6), Span(1, 3)},
        {{7}, Span(1, 3)},
        {Span(1, 3), {4}},
        {Span(4, 6), {4}},
        {{7}, {4}}}},
      {50, {{Span(1, 6), Span(1, 4)}, {{7}, Span(1, 4)}}},
      {200, {{{1}, {1}}, {{2}, {1}}, {{3}, {1}}, {{4}, {1}}, {{5}, {1}}, {{6}, {1}}, {{7}, {1}},
             {{1}, {2}}, {{2}, {2}}, {{3}, {2}}, {{4}, {2}}, {{5}, {2}}, {{6}, {2}}, {{7}, {2}},
             {{1}, {3}}, {{2}, {3}}, {{3}, {3}}, {{4}, {3}}, {{5}, {3}}, {{6}, {3}}, {{7}, {3}},
             {{1}, {4}}, {{2}, {4}}, {{3}, {4}}, {{4}, {4}}, {{5}, {4}}, {{6}, {4}}, {{7}, {4}}}},
  };
  for (const Case& c : cases) {
    Page().zoom = c.zoom;
    const SheetLayout layout = LayOut();
    EXPECT_EQ(CellsOf(layout), c.pages) << c.zoom;
    const SheetPage& first = layout.pages[0];
    const double scale = c.zoom / 100.0;
    EXPECT_DOUBLE_EQ(first.scale, scale);
    EXPECT_DOUBLE_EQ(first.row_top[1] - first.row_top[0], 100 * scale) << c.zoom;
    EXPECT_DOUBLE_EQ(first.column_left[1] - first.column_left[0], 60 * scale) << c.zoom;
    EXPECT_DOUBLE_EQ(first.column_left[0], kMargin) << c.zoom;
  }
}

TEST_F(PageLayoutTest, FitToPagesTakesTheLargestWholePercentThatFits) {
  // Ten 100-point rows and four 60-point columns: 1000 by 240 points in a box of 200 by 300.
  SetBox(200, 300);
  sheet_->Columns("A:D").SetColumnWidth(kSixtyPointColumn);
  FillRows(1, 10, 100);
  sheet_->Cells(1, 4).SetValueFromText("x");
  Page().fit_to_pages = true;
  Page().zoom = 0;  // not used while fitting, and no note for it
  struct Case {
    int wide;
    int tall;
    int percent;  // the largest whole percentage that gives at most wide by tall pages
    int pages;
  };
  const Case cases[] = {
      {1, 1, 30, 1},    // 1000 points down at 30% are 300
      {1, 0, 83, 4},    // 240 across at 83% are 199.2; down is free, 10 rows at 3 a page
      {0, 2, 60, 2},    // 5 rows a page at 60%; across, all 4 columns fit at that scale
      {0, 3, 75, 3},    // 90% would hold 3 rows a page, 4 pages: whole rows need 4 a page
      {1, 5, 83, 4},    // the width decides; down, 4 pages of 3 rows are within 5
      {0, 0, 100, 8},   // no limit either way
      {4, 10, 100, 8},  // fits at full size
  };
  for (const Case& c : cases) {
    Page().fit_to_pages_wide = c.wide;
    Page().fit_to_pages_tall = c.tall;
    const SheetLayout layout = LayOut();
    ASSERT_FALSE(layout.pages.empty());
    EXPECT_DOUBLE_EQ(layout.pages[0].scale, c.percent / 100.0) << c.wide << "x" << c.tall;
    EXPECT_EQ(layout.pages.size(), static_cast<std::size_t>(c.pages)) << c.wide << "x" << c.tall;
    EXPECT_TRUE(layout.notes.empty());
  }
}

TEST_F(PageLayoutTest, EachAreaStartsNewPagesAndPagesAreNumberedInPrintOrder) {
  SetBox(200, 300);
  FillRows(1, 12, 100);
  sheet_->Cells(10, 3).SetValueFromText("x");
  sheet_->SetPrintArea("A1:B4,C10:C12");
  struct Case {
    std::optional<int> first_page_number;
    int first;
    bool noted;
  };
  const int largest = std::numeric_limits<int>::max();
  for (const Case& c : {Case{std::nullopt, 1, false}, Case{5, 5, false}, Case{-2, -2, false},
                        Case{largest - 2, largest - 2, false}, Case{largest - 1, 1, true}}) {
    Page().first_page_number = c.first_page_number;
    const SheetLayout layout = LayOut();
    EXPECT_EQ(layout.notes.size(), c.noted ? 1u : 0u) << c.first;
    EXPECT_EQ(
        CellsOf(layout),
        (std::vector<PageCells>{{Span(1, 3), Span(1, 2)}, {{4}, Span(1, 2)}, {Span(10, 12), {3}}}));
    for (std::size_t i = 0; i < layout.pages.size(); ++i) {
      EXPECT_EQ(layout.pages[i].number, c.first + static_cast<int>(i));
    }
  }
  // Printing a selection instead of the print area.
  PrintOptions selection;
  selection.areas = {host::CellRect{2, 1, 3, 1}};
  EXPECT_EQ(CellsOf(LayOut(selection)), (std::vector<PageCells>{{{2, 3}, {1}}}));
}

TEST_F(PageLayoutTest, WithoutAPrintAreaTheUsedRangePrints) {
  At("C3").SetValueFromText("x");
  At("D4").ModifyFormat([](host::CellFormat& format) { format.alignment.wrap_text = true; });
  EXPECT_EQ(CellsOf(LayOut()), (std::vector<PageCells>{{{3, 4}, {3, 4}}}));
  // A merged area reaches further than its value.
  At("B5:E6").Merge();
  EXPECT_EQ(CellsOf(LayOut()), (std::vector<PageCells>{{Span(3, 6), Span(2, 5)}}));
}

TEST_F(PageLayoutTest, PagesBeyondTheLastCellOfAnAreaAreLeftOut) {
  SetBox(200, 300);
  sheet_->SetPrintArea("A1:A20");
  struct Case {
    std::vector<int32_t> rows_with_values;
    std::vector<PageCells> pages;
  };
  const Case cases[] = {
      // The page of the last value keeps its empty rows; the pages after it are blank.
      {{4}, {{Span(1, 3), {1}}, {Span(4, 6), {1}}}},
      // A blank page between two that hold something stays.
      {{1, 10}, {{Span(1, 3), {1}}, {Span(4, 6), {1}}, {Span(7, 9), {1}}, {Span(10, 12), {1}}}},
      {{20},
       {{Span(1, 3), {1}},
        {Span(4, 6), {1}},
        {Span(7, 9), {1}},
        {Span(10, 12), {1}},
        {Span(13, 15), {1}},
        {Span(16, 18), {1}},
        {Span(19, 20), {1}}}},
  };
  sheet_->Rows("1:20").SetRowHeight(100);
  for (const Case& c : cases) {
    sheet_->Range("A1:A20").ClearContents();
    for (int32_t row : c.rows_with_values) sheet_->Cells(row, 1).SetValueFromText("x");
    // A cell a file stored with nothing in it prints nothing either.
    sheet_->FileCellAt(20, 1);
    EXPECT_EQ(CellsOf(LayOut()), c.pages) << c.rows_with_values.back();
  }
}

TEST_F(PageLayoutTest, AHugePrintAreaCostsNoMoreThanItsRowsAndColumns) {
  sheet_->SetPrintArea("A1:IV65536");
  At("A1").SetValueFromText("x");
  const auto start = std::chrono::steady_clock::now();
  const SheetLayout layout = LayOut();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(layout.pages.size(), 1u);
  EXPECT_EQ(layout.pages[0].rows.front(), 1);
  EXPECT_EQ(layout.pages[0].columns.front(), 1);
  // A guard against a layout that goes page by page or cell by cell, not a benchmark.
  EXPECT_LT(elapsed, std::chrono::seconds(5));

  // Something in the far corner makes every page of the area count: far too many.
  At("IV65536").SetValueFromText("x");
  const std::string error = PrintErrorOf([&] { LayOut(); });
  EXPECT_NE(error.find("シート「Sheet1」は "), std::string::npos) << error;
  EXPECT_NE(error.find(std::to_string(kMaxPages) + " ページまで"), std::string::npos) << error;
}

TEST_F(PageLayoutTest, HeadingsTakeAColumnAndARowOfTheirOwn) {
  SetBox(200, 300);
  sheet_->Columns("A:C").SetColumnWidth(kSixtyPointColumn);
  FillRows(1, 3, 100);
  sheet_->Cells(1, 3).SetValueFromText("x");
  Page().print_headings = true;
  const double heading_width = ColumnWidthPoints(2, kDigit);  // two digits for rows 1 to 99
  const double heading_height = sheet_->default_row_height();
  const SheetLayout layout = LayOut();
  // Heading and columns: 200 - 15.75 leaves room for 3 columns; 300 - 13.5 for 2 rows.
  EXPECT_EQ(CellsOf(layout), (std::vector<PageCells>{{Span(1, 2), Span(1, 3)}, {{3}, Span(1, 3)}}));
  for (const SheetPage& page : layout.pages) {
    EXPECT_DOUBLE_EQ(page.heading_width, heading_width);
    EXPECT_DOUBLE_EQ(page.heading_height, heading_height);
    EXPECT_DOUBLE_EQ(page.column_left.front(), kMargin + heading_width);
    EXPECT_DOUBLE_EQ(page.row_top.front(), kMargin + heading_height);
  }
  // Five-digit rows widen the row headings.
  sheet_->SetPrintArea("A65530:C65536");
  sheet_->Cells(65536, 1).SetValueFromText("x");
  EXPECT_DOUBLE_EQ(LayOut().pages[0].heading_width, ColumnWidthPoints(5, kDigit));
}

// The test sheet of 40 questions a page, two pages, at its default geometry.
TEST_F(PageLayoutTest, BlocksOfATestSheetEachFillOnePageAtOneScale) {
  const double heights[8] = {20, 190, 90, 18, 20, 190, 90, 10.5};
  for (int32_t row = 1; row <= 16; ++row) sheet_->Rows(row).SetRowHeight(heights[(row - 1) % 8]);
  sheet_->Columns("A:T").SetColumnWidth(6.4);
  sheet_->Columns("U").SetColumnWidth(7.0);
  At("U1").SetValueFromText("1");
  At("U9").SetValueFromText("2");
  At("U16").SetValueFromText("code");
  At("A3:T3,A7:T7,A11:T11,A15:T15").ModifyFormat([](host::CellFormat& format) {
    format.alignment.shrink_to_fit = true;
  });
  sheet_->SetPrintArea("A1:U16");
  host::PageSetup& setup = Page();
  const double margin = 0.17 * 72;
  setup.left_margin = setup.right_margin = setup.top_margin = setup.bottom_margin = margin;
  setup.orientation = host::PageOrientation::kLandscape;

  PrintOptions options;
  options.rows_per_block = 8;
  const SheetLayout layout = LayOut(options);
  ASSERT_EQ(CellsOf(layout),
            (std::vector<PageCells>{{Span(1, 8), Span(1, 21)}, {Span(9, 16), Span(1, 21)}}));
  const double block_height = std::accumulate(std::begin(heights), std::end(heights), 0.0);
  for (const SheetPage& page : layout.pages) {
    EXPECT_LT(page.scale, 1);
    EXPECT_DOUBLE_EQ(page.scale, layout.pages[0].scale);
    // The block fills the page from margin to margin, down the paper or across it.
    EXPECT_NEAR(page.row_top.back() - page.row_top.front(), block_height * page.scale, 1e-9);
    EXPECT_LE(page.row_top.back(), page.paper_height - margin + 1e-9);
    EXPECT_LE(page.column_left.back(), page.paper_width - margin + 1e-9);
    const bool height_fills = std::abs(page.row_top.back() - (page.paper_height - margin)) < 1e-6;
    const bool width_fills = std::abs(page.column_left.back() - (page.paper_width - margin)) < 1e-6;
    EXPECT_TRUE(height_fills || width_fills);
  }
  EXPECT_EQ(layout.pages[0].number, 1);
  EXPECT_EQ(layout.pages[1].number, 2);

  // Without blocks the first block does not fit one landscape page at full size.
  const SheetLayout plain = LayOut();
  EXPECT_GT(plain.pages.size(), 2u);
}

TEST_F(PageLayoutTest, WhatThePrinterCannotDoIsNotedAndDoneAnotherWay) {
  FillRows(1, 1, 20);
  struct Case {
    int paper;
    int zoom;
    std::string note;  // "" when none
    double scale;
  };
  const Case cases[] = {
      {host::kPaperA4, 0, "シート「Sheet1」の拡大縮小 0% は使えないため、100% で印刷しました。", 1},
      {host::kPaperA4, 9, "シート「Sheet1」の拡大縮小 9% は使えないため、100% で印刷しました。", 1},
      {host::kPaperA4, 401, "シート「Sheet1」の拡大縮小 401% は使えないため、100% で印刷しました。",
       1},
      {host::kPaperA4, 10, "", 0.1},
      {host::kPaperA4, 400, "", 4},
      {999, 100, "シート「Sheet1」の用紙サイズ 999 は使えないため、A4 で印刷しました。", 1},
  };
  const PaperSize a4 = *FindPaperSize(host::kPaperA4);
  for (const Case& c : cases) {
    Page().paper_size = c.paper;
    Page().zoom = c.zoom;
    const SheetLayout layout = LayOut();
    ASSERT_EQ(layout.pages.size(), 1u);
    EXPECT_EQ(layout.notes,
              c.note.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.note});
    EXPECT_DOUBLE_EQ(layout.pages[0].scale, c.scale) << c.zoom;
    EXPECT_DOUBLE_EQ(layout.pages[0].paper_width, a4.width);
    EXPECT_DOUBLE_EQ(layout.pages[0].paper_height, a4.height);
  }
}

TEST_F(PageLayoutTest, CellsAFileHoldsBeyondTheSheetAreNotPrintedAndSaidSo) {
  At("B2").SetValueFromText("x");
  sheet_->FileCellAt(host::kSheetRows + 10, 1).value = host::CellValue("far below");
  sheet_->FileCellAt(3, host::kSheetColumns + 1).value = host::CellValue("far right");
  const SheetLayout layout = LayOut();
  EXPECT_EQ(CellsOf(layout), (std::vector<PageCells>{{{2}, {2}}}));
  EXPECT_EQ(layout.notes, std::vector<std::string>{"シート「Sheet1」の 65536 行目より下か IV "
                                                   "列より右にあるセルは印刷しませんでした。"});
}

TEST_F(PageLayoutTest, ASheetThatCannotBePrintedIsRefusedSayingWhy) {
  struct Case {
    const char* name;
    std::function<void(host::Worksheet&, PrintOptions&)> prepare;
    const char* message;
  };
  const Case cases[] = {
      {"an empty sheet", [](host::Worksheet&, PrintOptions&) {},
       "印刷する内容がありません。シート「Sheet1」には印刷範囲もセルもありません。"},
      {"a print area of an empty sheet",
       [](host::Worksheet& sheet, PrintOptions&) { sheet.SetPrintArea("A1:IV65536"); },
       // Every row and every column: the host writes it as whole rows.
       "印刷する内容がありません。シート「Sheet1」の印刷範囲 1:65536 "
       "には印刷するセルがありません。"},
      {"every row hidden",
       [](host::Worksheet& sheet, PrintOptions&) {
         sheet.Cells(2, 2).SetValueFromText("x");
         sheet.rows_info()[2].hidden = true;
       },
       "印刷する内容がありません。シート「Sheet1」のセルはすべて非表示の行か列にあります。"},
      {"an area below the sheet",
       [](host::Worksheet& sheet, PrintOptions& options) {
         sheet.Cells(1, 1).SetValueFromText("x");
         options.areas = {host::CellRect{1, 1, 70000, 2}};
       },
       "シート「Sheet1」の印刷範囲 A1:B70000 はシートの外にあります。シートは 65536 行、IV "
       "列までです。"},
      {"an area turned inside out",
       [](host::Worksheet& sheet, PrintOptions& options) {
         sheet.Cells(1, 1).SetValueFromText("x");
         options.areas = {host::CellRect{5, 0, 3, 2}};
       },
       "シート「Sheet1」の印刷範囲 R5C0:R3C2 はシートの外にあります。シートは 65536 行、IV "
       "列までです。"},
      {"a negative margin",
       [](host::Worksheet& sheet, PrintOptions&) {
         sheet.Cells(1, 1).SetValueFromText("x");
         sheet.page_setup().top_margin = -5;
       },
       "シート「Sheet1」の上余白 -5 ポイントは使えません。余白は 0 以上にしてください。"},
      {"margins wider than the paper",
       [](host::Worksheet& sheet, PrintOptions&) {
         sheet.Cells(1, 1).SetValueFromText("x");
         sheet.page_setup().left_margin = 300;
         sheet.page_setup().right_margin = 300;
       },
       "シート「Sheet1」の余白 (左 300、右 300、上 54、下 54 ポイント) が用紙 (A4、595.3 × "
       "841.9 ポイント) より大きく、印刷する場所がありません。"},
  };
  for (const Case& c : cases) {
    host::Worksheet& sheet = FreshSheet();
    PrintOptions options;
    c.prepare(sheet, options);
    EXPECT_EQ(PrintErrorOf([&] { LayOutPages(sheet, options, kDigit); }), c.message) << c.name;
  }
}

}  // namespace
}  // namespace tarquel::print
