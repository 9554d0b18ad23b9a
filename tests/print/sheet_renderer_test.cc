#include "print/sheet_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/range.h"
#include "print/recording_painter.h"
#include "support/host_fixture.h"

namespace tarquel::print {
namespace {

using host::BorderIndex;
using host::BorderLine;
using host::BorderWeight;
using host::LineStyle;
using testing::RecordingPainter;

constexpr double kEps = 1e-6;
constexpr Rgb kRed{1, 0, 0};

// One catalog for all tests, destroyed at exit so that fontconfig's memory is handed back.
FontCatalog& Fonts() {
  static FontCatalog fonts;
  return fonts;
}

bool Near(double a, double b) { return std::abs(a - b) < kEps; }

// How many recorded lines lie along the horizontal segment (y, x0..x1): `covering` counts those
// that cover all of it, the rest count when they overlap it at all.
struct Cover {
  int covering = 0;
  int overlapping = 0;
};

Cover HorizontalCover(const RecordingPainter& p, double y, double x0, double x1) {
  Cover cover;
  for (const auto& line : p.lines) {
    if (!Near(line.from.y, y) || !Near(line.to.y, y)) continue;
    const double lo = std::min(line.from.x, line.to.x);
    const double hi = std::max(line.from.x, line.to.x);
    if (lo <= x0 + kEps && hi >= x1 - kEps) ++cover.covering;
    if (lo < x1 - kEps && hi > x0 + kEps) ++cover.overlapping;
  }
  return cover;
}

Cover VerticalCover(const RecordingPainter& p, double x, double y0, double y1) {
  Cover cover;
  for (const auto& line : p.lines) {
    if (!Near(line.from.x, x) || !Near(line.to.x, x)) continue;
    const double lo = std::min(line.from.y, line.to.y);
    const double hi = std::max(line.from.y, line.to.y);
    if (lo <= y0 + kEps && hi >= y1 - kEps) ++cover.covering;
    if (lo < y1 - kEps && hi > y0 + kEps) ++cover.overlapping;
  }
  return cover;
}

// Pages built by hand, so that these tests pin the drawing whatever the page breaking does:
// rows 20 points tall from y = 10, columns 40 points wide from x = 20.
class SheetRendererTest : public testing::HostTest {
 protected:
  static constexpr double kTop = 10;
  static constexpr double kLeft = 20;
  static constexpr double kRowHeight = 20;
  static constexpr double kColumnWidth = 40;

  SheetPage Page(int32_t first_row, int32_t last_row, int32_t first_column, int32_t last_column,
                 double scale = 1) {
    SheetPage page;
    page.paper_width = 400;
    page.paper_height = 300;
    page.scale = scale;
    for (int32_t r = first_row; r <= last_row; ++r) page.rows.push_back(r);
    for (int32_t c = first_column; c <= last_column; ++c) page.columns.push_back(c);
    for (std::size_t i = 0; i <= page.rows.size(); ++i) {
      page.row_top.push_back(kTop + static_cast<double>(i) * kRowHeight * scale);
    }
    for (std::size_t j = 0; j <= page.columns.size(); ++j) {
      page.column_left.push_back(kLeft + static_cast<double>(j) * kColumnWidth * scale);
    }
    return page;
  }

  // Rows 1 to 5 and columns A to E.
  SheetPage Page() { return Page(1, 5, 1, 5); }

  // Edges of sheet row `row` and column `column` on Page().
  static double Y(int32_t row) { return kTop + (row - 1) * kRowHeight; }
  static double X(int32_t column) { return kLeft + (column - 1) * kColumnWidth; }
  static Rect CellBox(int32_t row, int32_t column) {
    return {X(column), Y(row), kColumnWidth, kRowHeight};
  }

  RecordingPainter Draw(const SheetPage& page) {
    RecordingPainter painter;
    DrawPage(*sheet_, page, Fonts(), painter);
    return painter;
  }

  void SetOwnEdge(const std::string& cell, BorderLine host::CellBorders::*side,
                  const BorderLine& line) {
    At(cell).ModifyFormat([&](host::CellFormat& format) { format.borders.*side = line; });
  }

  void Box(const std::string& range, bool inside) {
    for (BorderIndex index : {BorderIndex::kEdgeLeft, BorderIndex::kEdgeTop,
                              BorderIndex::kEdgeRight, BorderIndex::kEdgeBottom}) {
      At(range).Borders(index).SetLineStyle(LineStyle::kContinuous);
    }
    if (inside) {
      At(range).Borders(BorderIndex::kInsideVertical).SetLineStyle(LineStyle::kContinuous);
      At(range).Borders(BorderIndex::kInsideHorizontal).SetLineStyle(LineStyle::kContinuous);
    }
  }

  // The runs of glyphs whose text is `text`.
  static std::vector<RecordingPainter::Glyphs> RunsOf(const RecordingPainter& p,
                                                      const std::string& text) {
    std::vector<RecordingPainter::Glyphs> found;
    for (const auto& g : p.glyphs) {
      if (g.run.text == text) found.push_back(g);
    }
    return found;
  }
};

TEST_F(SheetRendererTest, BorderedBlockDrawsEveryEdgeOnceAndClosesItsCorners) {
  Box("B2:D4", /*inside=*/true);
  const RecordingPainter p = Draw(Page());

  for (int32_t row = 2; row <= 5; ++row) {
    for (int32_t column = 2; column <= 4; ++column) {
      const Cover cover = HorizontalCover(p, Y(row), X(column), X(column + 1));
      EXPECT_EQ(cover.covering, 1) << "row edge " << row << " column " << column;
      EXPECT_EQ(cover.overlapping, 1) << "row edge " << row << " column " << column;
    }
  }
  for (int32_t column = 2; column <= 5; ++column) {
    for (int32_t row = 2; row <= 4; ++row) {
      const Cover cover = VerticalCover(p, X(column), Y(row), Y(row + 1));
      EXPECT_EQ(cover.covering, 1) << "column edge " << column << " row " << row;
      EXPECT_EQ(cover.overlapping, 1) << "column edge " << column << " row " << row;
    }
  }
  // One line for each of the four row edges and four column edges, thin and black, each
  // reaching half a thin line past the lines it meets.
  ASSERT_EQ(p.lines.size(), 8u);
  for (const auto& line : p.lines) {
    EXPECT_EQ(line.stroke, (Stroke{0.75, Rgb{}, Dash::kSolid}));
    const bool horizontal = Near(line.from.y, line.to.y);
    const double from = horizontal ? line.from.x : line.from.y;
    const double to = horizontal ? line.to.x : line.to.y;
    EXPECT_DOUBLE_EQ(from, (horizontal ? X(2) : Y(2)) - 0.375);
    EXPECT_DOUBLE_EQ(to, (horizontal ? X(5) : Y(5)) + 0.375);
  }
  EXPECT_TRUE(p.fills.empty());
}

TEST_F(SheetRendererTest, MergedAreaIsOneCellWithoutInnerLines) {
  At("B2:C3").Merge();
  Box("B2:C3", /*inside=*/false);
  At("B2").SetValue("合");
  At("B2:C3").SetHorizontalAlignment(host::HorizontalAlignment::kCenter);
  At("B2:C3").ModifyFormat([](host::CellFormat& f) {
    f.fill.pattern = "solid";
    f.fill.foreground = host::Color::Rgb(0xFFFFFF00);
  });
  const RecordingPainter p = Draw(Page());

  const Rect merged{X(2), Y(2), 2 * kColumnWidth, 2 * kRowHeight};
  ASSERT_EQ(p.fills.size(), 1u);
  EXPECT_EQ(p.fills[0].rect, merged);
  EXPECT_EQ(p.fills[0].color, (Rgb{1, 1, 0}));

  EXPECT_EQ(VerticalCover(p, X(3), Y(2), Y(4)).overlapping, 0);
  EXPECT_EQ(HorizontalCover(p, Y(3), X(2), X(4)).overlapping, 0);
  EXPECT_EQ(HorizontalCover(p, Y(2), X(2), X(4)).covering, 1);
  EXPECT_EQ(HorizontalCover(p, Y(4), X(2), X(4)).covering, 1);
  EXPECT_EQ(VerticalCover(p, X(2), Y(2), Y(4)).covering, 1);
  EXPECT_EQ(VerticalCover(p, X(4), Y(2), Y(4)).covering, 1);
  EXPECT_EQ(p.lines.size(), 4u);

  // The text is laid out in, and clipped to, the whole area: centred, it stands right of the
  // line between its two columns.
  const auto runs = RunsOf(p, "合");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].clip, merged);
  ASSERT_FALSE(runs[0].run.glyphs.empty());
  EXPECT_GT(runs[0].run.glyphs[0].x, X(2) + kColumnWidth / 2);
  EXPECT_LT(runs[0].run.glyphs[0].x, X(3) + 1);
}

TEST_F(SheetRendererTest, MergedAreaReachingAbovePageIsPlacedFromItsTopLeftCell) {
  At("B2:B4").Merge();
  At("A2").SetRowHeight(kRowHeight);
  At("B2").SetValue("上");
  At("B2").SetVerticalAlignment(host::VerticalAlignment::kTop);
  const SheetPage page = Page(3, 5, 1, 3);  // row 3 is the page's first
  const RecordingPainter p = Draw(page);

  const auto runs = RunsOf(p, "上");
  ASSERT_EQ(runs.size(), 1u);
  // Clipped to the part on the page, rows 3 and 4 ...
  EXPECT_EQ(runs[0].clip, (Rect{X(2), kTop, kColumnWidth, 2 * kRowHeight}));
  // ... while the text stands at the top of row 2, one row above the page.
  ASSERT_FALSE(runs[0].run.glyphs.empty());
  EXPECT_LT(runs[0].run.glyphs[0].y, kTop);
  EXPECT_GT(runs[0].run.glyphs[0].y, kTop - kRowHeight);
}

TEST_F(SheetRendererTest, FillsBlendPatternsAndJoinNeighboursOfOneColour) {
  struct Case {
    std::string pattern;
    host::Color foreground;
    host::Color background;
    Rgb expected;
  };
  const Case cases[] = {
      {"solid", host::Color::Rgb(0xFFFF0000), {}, kRed},
      {"solid", host::Color::Indexed(12), {}, Rgb{0, 0, 1}},
      {"gray125", {}, {}, Rgb{0.875, 0.875, 0.875}},
      {"mediumGray", host::Color::Rgb(0xFF0000FF), host::Color::Rgb(0xFFFFFFFF), {0.5, 0.5, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    At("A1:E5").ModifyFormat([](host::CellFormat& f) { f.fill = host::Fill{}; });
    At("B2:C2").ModifyFormat([&](host::CellFormat& f) {
      f.fill.pattern = c.pattern;
      f.fill.foreground = c.foreground;
      f.fill.background = c.background;
    });
    const RecordingPainter p = Draw(Page());
    ASSERT_EQ(p.fills.size(), 1u);
    EXPECT_EQ(p.fills[0].rect, (Rect{X(2), Y(2), 2 * kColumnWidth, kRowHeight}));
    EXPECT_NEAR(p.fills[0].color.red, c.expected.red, 1e-9);
    EXPECT_NEAR(p.fills[0].color.green, c.expected.green, 1e-9);
    EXPECT_NEAR(p.fills[0].color.blue, c.expected.blue, 1e-9);
  }
}

TEST_F(SheetRendererTest, GradientFillPaintsItsFirstColour) {
  At("B2").ModifyFormat([](host::CellFormat& f) {
    f.fill.pattern = "gradient";
    f.fill.gradient_xml =
        "<gradientFill degree=\"90\"><stop position=\"0\"><color rgb=\"FF00FF00\"/></stop>"
        "<stop position=\"1\"><color theme=\"1\"/></stop></gradientFill>";
  });
  const RecordingPainter p = Draw(Page());
  ASSERT_EQ(p.fills.size(), 1u);
  EXPECT_EQ(p.fills[0].color, (Rgb{0, 1, 0}));
}

// A test sheet's next page starts with boxes whose top lines its own cells set; printed on the
// page before, they drew a stray line under the test code.
TEST_F(SheetRendererTest, LineSetOnlyByACellOffThePageIsNotDrawnOnIt) {
  At("B6:C6").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
  At("F2").Borders(BorderIndex::kEdgeLeft).SetLineStyle(LineStyle::kContinuous);
  At("B5").Borders(BorderIndex::kEdgeRight).SetLineStyle(LineStyle::kContinuous);
  const SheetPage page = Page();           // rows 1 to 5, columns A to E
  EXPECT_EQ(Draw(page).lines.size(), 1u);  // only B5's own line

  // A window showing the same cells draws the lines of the cells around them too.
  RecordingPainter window;
  DrawCells(*sheet_, {page.rows, page.columns, page.row_top, page.column_left, 1},
            {.neighbour_lines = true}, Fonts(), window);
  EXPECT_EQ(window.lines.size(), 3u);
  EXPECT_EQ(HorizontalCover(window, Y(6), X(2), X(4)).covering, 1);
  EXPECT_EQ(VerticalCover(window, X(6), Y(2), Y(3)).covering, 1);
}

TEST_F(SheetRendererTest, DoubleBorderIsTwoThinLines) {
  At("B2").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kDouble);
  const RecordingPainter p = Draw(Page());
  ASSERT_EQ(p.lines.size(), 2u);
  std::vector<double> ys;
  for (const auto& line : p.lines) {
    EXPECT_DOUBLE_EQ(line.from.x, X(2));
    EXPECT_DOUBLE_EQ(line.to.x, X(3));
    EXPECT_DOUBLE_EQ(line.from.y, line.to.y);
    EXPECT_EQ(line.stroke.width, 0.75);
    EXPECT_EQ(line.stroke.dash, Dash::kSolid);
    ys.push_back(line.from.y);
  }
  std::sort(ys.begin(), ys.end());
  EXPECT_DOUBLE_EQ(ys[0], Y(3) - 0.75);
  EXPECT_DOUBLE_EQ(ys[1], Y(3) + 0.75);
}

// Files may set the line between two cells on both of them. The heavier line is drawn, once.
TEST_F(SheetRendererTest, EdgeSetByBothCellsDrawsTheHeavierLineOnce) {
  const BorderLine thin{LineStyle::kContinuous, BorderWeight::kThin, {}};
  const BorderLine thick{LineStyle::kContinuous, BorderWeight::kThick, {}};
  const BorderLine medium_dash{LineStyle::kDash, BorderWeight::kMedium, {}};
  const BorderLine thin_dot{LineStyle::kDot, BorderWeight::kThin, {}};
  const BorderLine hairline{LineStyle::kContinuous, BorderWeight::kHairline, {}};
  const BorderLine red{LineStyle::kContinuous, BorderWeight::kThin, host::Color::Indexed(10)};
  const BorderLine blue{LineStyle::kContinuous, BorderWeight::kThin, host::Color::Indexed(12)};
  struct Case {
    const char* name;
    BorderLine first;  // the left (upper) cell's
    BorderLine second;
    Stroke expected;
  };
  const Case cases[] = {
      {"thin then thick", thin, thick, {2.25, {}, Dash::kSolid}},
      {"thick then thin", thick, thin, {2.25, {}, Dash::kSolid}},
      {"medium dash over thin", thin, medium_dash, {1.5, {}, Dash::kDash}},
      {"continuous over dotted", thin_dot, thin, {0.75, {}, Dash::kSolid}},
      {"thin over hairline", hairline, thin, {0.75, {}, Dash::kSolid}},
      {"alike: the first cell's", red, blue, {0.75, kRed, Dash::kSolid}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    At("A1:E5").ModifyFormat([](host::CellFormat& f) { f.borders = {}; });
    SetOwnEdge("B2", &host::CellBorders::right, c.first);
    SetOwnEdge("C2", &host::CellBorders::left, c.second);
    SetOwnEdge("B3", &host::CellBorders::bottom, c.first);
    SetOwnEdge("B4", &host::CellBorders::top, c.second);
    const RecordingPainter p = Draw(Page());
    ASSERT_EQ(p.lines.size(), 2u);
    EXPECT_EQ(VerticalCover(p, X(3), Y(2), Y(3)).overlapping, 1);
    EXPECT_EQ(HorizontalCover(p, Y(4), X(2), X(3)).overlapping, 1);
    for (const auto& line : p.lines) EXPECT_EQ(line.stroke, c.expected);
  }
}

TEST_F(SheetRendererTest, DoubleLineOutweighsThickAndEveryStyleHasItsDash) {
  struct Case {
    LineStyle style;
    BorderWeight weight;
    Dash dash;
    double width;
  };
  const Case cases[] = {
      {LineStyle::kContinuous, BorderWeight::kHairline, Dash::kSolid, 0.35},
      {LineStyle::kContinuous, BorderWeight::kMedium, Dash::kSolid, 1.5},
      {LineStyle::kDash, BorderWeight::kThin, Dash::kDash, 0.75},
      {LineStyle::kDot, BorderWeight::kThin, Dash::kDot, 0.75},
      {LineStyle::kDashDot, BorderWeight::kMedium, Dash::kDashDot, 1.5},
      {LineStyle::kDashDotDot, BorderWeight::kThin, Dash::kDashDotDot, 0.75},
      {LineStyle::kSlantDashDot, BorderWeight::kMedium, Dash::kDashDot, 1.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.style));
    At("A1:E5").ModifyFormat([](host::CellFormat& f) { f.borders = {}; });
    SetOwnEdge("C3", &host::CellBorders::top, {c.style, c.weight, {}});
    const RecordingPainter p = Draw(Page());
    ASSERT_EQ(p.lines.size(), 1u);
    EXPECT_EQ(p.lines[0].stroke.dash, c.dash);
    EXPECT_DOUBLE_EQ(p.lines[0].stroke.width, c.width);
  }
  At("A1:E5").ModifyFormat([](host::CellFormat& f) { f.borders = {}; });
  SetOwnEdge("B2", &host::CellBorders::right, {LineStyle::kContinuous, BorderWeight::kThick, {}});
  SetOwnEdge("C2", &host::CellBorders::left, {LineStyle::kDouble, BorderWeight::kThick, {}});
  EXPECT_EQ(Draw(Page()).lines.size(), 2u);  // the double line's two strokes
}

TEST_F(SheetRendererTest, LinesAndFontsFollowTheScaleButStayVisible) {
  At("B2").Borders(BorderIndex::kEdgeTop).SetWeight(BorderWeight::kThick);
  At("D2").Borders(BorderIndex::kEdgeTop).SetWeight(BorderWeight::kHairline);
  At("C4").SetValue("Ab");
  At("C4").Font().SetSize(20);
  const RecordingPainter p = Draw(Page(1, 5, 1, 5, 0.5));
  ASSERT_EQ(p.lines.size(), 2u);
  std::vector<double> widths{p.lines[0].stroke.width, p.lines[1].stroke.width};
  std::sort(widths.begin(), widths.end());
  EXPECT_DOUBLE_EQ(widths[0], 0.25);   // a hairline at half size is kept at the minimum
  EXPECT_DOUBLE_EQ(widths[1], 1.125);  // thick, halved
  const auto runs = RunsOf(p, "Ab");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_DOUBLE_EQ(runs[0].run.size, 10);
  EXPECT_EQ(runs[0].clip, (Rect{kLeft + 2 * 20, kTop + 3 * 10, 20, 10}));
}

TEST_F(SheetRendererTest, TextIsClippedToItsCellUnlessItMayRunIntoEmptyNeighbours) {
  const std::string long_text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  struct Case {
    const char* name;
    const char* cell;
    host::HorizontalAlignment alignment;
    std::vector<const char*> filled;  // other cells holding something
    bool wrap;
    bool vertical;
    int32_t first_column;  // of the clip
    int32_t last_column;
  };
  using HA = host::HorizontalAlignment;
  const Case cases[] = {
      {"neighbour holds text", "B2", HA::kGeneral, {"C2"}, false, false, 2, 2},
      {"runs right to the next filled cell", "B2", HA::kGeneral, {"D2"}, false, false, 2, 3},
      {"runs to the page's edge", "B2", HA::kLeft, {}, false, false, 2, 5},
      {"right aligned runs left", "D2", HA::kRight, {"B2"}, false, false, 3, 4},
      {"centred runs both ways", "C2", HA::kCenter, {}, false, false, 1, 5},
      {"wrapped text stays", "B2", HA::kGeneral, {}, true, false, 2, 2},
      {"vertical text stays", "B2", HA::kGeneral, {}, false, true, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    At("A1:E5").ClearContents();
    At("A1:E5").ModifyFormat([](host::CellFormat& f) { f.alignment = {}; });
    At(c.cell).SetValue(long_text);
    At(c.cell).SetHorizontalAlignment(c.alignment);
    At(c.cell).SetWrapText(c.wrap);
    if (c.vertical) At(c.cell).SetOrientation(host::Orientation::kVertical);
    for (const char* other : c.filled) At(other).SetValue("x");
    const RecordingPainter p = Draw(Page());
    bool seen = false;
    for (const auto& g : p.glyphs) {
      if (g.run.text.empty() || long_text.find(g.run.text) == std::string::npos) continue;
      seen = true;
      ASSERT_TRUE(g.clip.has_value());
      EXPECT_DOUBLE_EQ(g.clip->x, X(c.first_column));
      EXPECT_DOUBLE_EQ(g.clip->right(), X(c.last_column + 1));
      EXPECT_DOUBLE_EQ(g.clip->y, Y(2));
      EXPECT_DOUBLE_EQ(g.clip->bottom(), Y(3));
    }
    EXPECT_TRUE(seen);
  }
}

TEST_F(SheetRendererTest, LongestTextACellHoldsRunsNoFurtherThanThePage) {
  std::string text;
  for (int i = 0; i < 32767; ++i) text += static_cast<char>('a' + i % 26);
  At("B2").SetValue(text);
  const RecordingPainter p = Draw(Page());
  ASSERT_FALSE(p.glyphs.empty());
  for (const auto& g : p.glyphs) {
    ASSERT_TRUE(g.clip.has_value());
    EXPECT_EQ(*g.clip, (Rect{X(2), Y(2), X(6) - X(2), kRowHeight}));
  }
}

TEST_F(SheetRendererTest, GridlinesSkipMergedAreasAndTextRunningOverThem) {
  sheet_->page_setup().print_gridlines = true;
  At("B2").SetValue("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  At("D2").SetValue("x");
  At("B4:C5").Merge();
  const RecordingPainter p = Draw(Page());
  for (const auto& line : p.lines) EXPECT_EQ(line.stroke.color, kGridlineColor);
  EXPECT_EQ(VerticalCover(p, X(3), Y(2), Y(3)).overlapping, 0);  // under B2's text
  EXPECT_EQ(VerticalCover(p, X(4), Y(2), Y(3)).covering, 1);     // D2 stops it
  EXPECT_EQ(VerticalCover(p, X(3), Y(4), Y(6)).overlapping, 0);  // inside B4:C5
  EXPECT_EQ(HorizontalCover(p, Y(5), X(2), X(4)).overlapping, 0);
  EXPECT_EQ(HorizontalCover(p, Y(5), X(1), X(2)).covering, 1);
  EXPECT_EQ(VerticalCover(p, X(1), Y(1), Y(6)).covering, 1);  // the outline in one line
  EXPECT_EQ(HorizontalCover(p, Y(6), X(1), X(6)).covering, 1);
}

TEST_F(SheetRendererTest, BlackAndWhiteLeavesFillsOutAndDrawsColoursBlack) {
  sheet_->page_setup().black_and_white = true;
  At("B2").ModifyFormat([](host::CellFormat& f) {
    f.fill.pattern = "solid";
    f.fill.foreground = host::Color::Indexed(10);
    f.borders.bottom = {LineStyle::kContinuous, BorderWeight::kThin, host::Color::Indexed(10)};
    f.borders.right = {LineStyle::kContinuous, BorderWeight::kThin, host::Color::Indexed(9)};
  });
  At("B2").SetValue("赤");
  At("B2").Font().SetColorIndex(3);
  const RecordingPainter p = Draw(Page());
  EXPECT_TRUE(p.fills.empty());
  ASSERT_EQ(p.lines.size(), 2u);
  std::vector<Rgb> colors{p.lines[0].stroke.color, p.lines[1].stroke.color};
  EXPECT_NE(std::find(colors.begin(), colors.end(), Rgb{}), colors.end());
  EXPECT_NE(std::find(colors.begin(), colors.end(), Rgb{1, 1, 1}), colors.end());  // white stays
  const auto runs = RunsOf(p, "赤");
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].run.color, Rgb{});

  sheet_->page_setup().black_and_white = false;
  const RecordingPainter colour = Draw(Page());
  ASSERT_EQ(colour.fills.size(), 1u);
  EXPECT_EQ(RunsOf(colour, "赤").at(0).run.color, kRed);
}

TEST_F(SheetRendererTest, CellShowsItsValueUnderItsNumberFormat) {
  At("B2").SetValue(3);
  At("B2").SetNumberFormat("\"No.\"0");
  At("B3").SetValue(true);
  At("B4").SetValue(42);
  const RecordingPainter p = Draw(Page());
  EXPECT_EQ(RunsOf(p, "No.3").size(), 1u);
  EXPECT_EQ(RunsOf(p, "TRUE").size(), 1u);
  // A number under general alignment stands at the right of its cell.
  const auto number = RunsOf(p, "42");
  ASSERT_EQ(number.size(), 1u);
  ASSERT_FALSE(number[0].run.glyphs.empty());
  EXPECT_GT(number[0].run.glyphs[0].x, X(2) + kColumnWidth / 2);
}

TEST_F(SheetRendererTest, UnderlinedRunOfTextIsDrawnWithItsLine) {
  At("B2").SetValue("あいうえお");
  At("B2").Characters(2, 2).Font().SetUnderline(host::Underline::kSingle);
  const RecordingPainter p = Draw(Page());
  ASSERT_EQ(p.lines.size(), 1u);
  const auto& line = p.lines[0];
  EXPECT_TRUE(Near(line.from.y, line.to.y));
  EXPECT_GT(line.from.y, Y(2));
  EXPECT_LT(line.from.y, Y(3));
  EXPECT_GT(line.from.x, X(2));
  EXPECT_LT(line.to.x, X(3));
}

TEST_F(SheetRendererTest, DiagonalsCrossTheirCellOrMergedArea) {
  At("B2").Borders(BorderIndex::kDiagonalDown).SetLineStyle(LineStyle::kContinuous);
  At("C3:D4").Merge();
  At("C3:D4").Borders(BorderIndex::kDiagonalUp).SetLineStyle(LineStyle::kContinuous);
  const RecordingPainter p = Draw(Page());
  ASSERT_EQ(p.lines.size(), 2u);
  EXPECT_EQ(p.lines[0].from, (Point{X(2), Y(2)}));
  EXPECT_EQ(p.lines[0].to, (Point{X(3), Y(3)}));
  EXPECT_EQ(p.lines[1].from, (Point{X(3), Y(5)}));
  EXPECT_EQ(p.lines[1].to, (Point{X(5), Y(3)}));
}

TEST_F(SheetRendererTest, PageDrawsHeadingsThenFillsTextAndBordersInOrder) {
  sheet_->page_setup().print_headings = true;
  At("B2").SetValue("字");
  At("B2").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kContinuous);
  At("C2").ModifyFormat([](host::CellFormat& f) { f.fill.pattern = "solid"; });
  SheetPage page = Page(1, 3, 1, 3);
  page.heading_width = 15;
  page.heading_height = 9;
  const RecordingPainter p = Draw(page);

  ASSERT_EQ(p.pages.size(), 1u);
  EXPECT_EQ(p.pages[0].width, 400);
  EXPECT_EQ(p.pages[0].height, 300);
  EXPECT_EQ(p.ops.front(), "page");
  EXPECT_EQ(p.ops.back(), "end");
  for (const char* label : {"A", "B", "C", "1", "2", "3"}) {
    EXPECT_EQ(RunsOf(p, label).size(), 1u) << label;
  }
  // The heading boxes stand outside the cells: a corner, three letters, three numbers.
  std::vector<Rect> boxes;
  for (const auto& fill : p.fills) {
    if (fill.rect.x < kLeft - kEps || fill.rect.y < kTop - kEps) boxes.push_back(fill.rect);
  }
  ASSERT_EQ(boxes.size(), 7u);
  EXPECT_NE(std::find(boxes.begin(), boxes.end(), Rect{kLeft - 15, kTop - 9, 15, 9}), boxes.end());
  EXPECT_NE(std::find(boxes.begin(), boxes.end(), Rect{kLeft + 40, kTop - 9, 40, 9}), boxes.end());
  EXPECT_NE(std::find(boxes.begin(), boxes.end(), Rect{kLeft - 15, kTop + 40, 15, 20}),
            boxes.end());

  // After the headings: the cell's fill, then its text, then its border.
  const auto index_of = [&](auto predicate) {
    return std::find_if(p.ops.begin(), p.ops.end(), predicate) - p.ops.begin();
  };
  std::size_t cell_fill = 0;
  std::size_t fills_seen = 0;
  for (std::size_t k = 0; k < p.ops.size(); ++k) {
    if (p.ops[k] != "fill") continue;
    if (p.fills[fills_seen++].rect == CellBox(2, 3)) cell_fill = k;
  }
  std::size_t text = 0;
  std::size_t glyphs_seen = 0;
  for (std::size_t k = 0; k < p.ops.size(); ++k) {
    if (p.ops[k] == "glyphs" && p.glyphs[glyphs_seen++].run.text == "字") text = k;
  }
  const std::size_t last_line =
      p.ops.size() - 1 - (std::find(p.ops.rbegin(), p.ops.rend(), "line") - p.ops.rbegin());
  EXPECT_GT(cell_fill, static_cast<std::size_t>(index_of([](auto& op) { return op == "glyphs"; })));
  EXPECT_GT(text, cell_fill);
  EXPECT_GT(last_line, text);
  EXPECT_EQ(HorizontalCover(p, Y(3), X(2), X(3)).covering, 1);
}

}  // namespace
}  // namespace tarquel::print
