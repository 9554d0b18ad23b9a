#include "print/cell_text_layout.h"

#include <gtest/gtest.h>
#include <hb.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "host/utf16.h"

namespace tarquel::print {
namespace {

constexpr double kTolerance = 1e-6;

host::CellFormat Format(double size, int rotation = 0,
                        host::HorizontalAlignment horizontal = host::HorizontalAlignment::kGeneral,
                        host::VerticalAlignment vertical = host::VerticalAlignment::kBottom) {
  host::CellFormat format;
  format.font.size = size;
  format.alignment.rotation = rotation;
  format.alignment.horizontal = horizontal;
  format.alignment.vertical = vertical;
  return format;
}

host::CellFormat QuestionFormat() {
  // A question cell of the test sheet: 30 points, vertical, centred, from the top, shrunk.
  host::CellFormat format = Format(30, host::kVerticalText, host::HorizontalAlignment::kGeneral,
                                   host::VerticalAlignment::kTop);
  format.alignment.shrink_to_fit = true;
  return format;
}

// One glyph as placed, with what the font says of it, in points of the cell.
struct Placed {
  uint32_t id = 0;
  double x = 0;  // horizontal origin on the baseline
  double y = 0;
  double size = 0;
  FontFile font;
  GlyphInfo info;
  std::string run_text;
  // The ink box.
  double ink_left = 0;
  double ink_top = 0;
  double ink_right = 0;
  double ink_bottom = 0;
  // Vertical text: the top centre of the character's square (its vertical origin) and how far
  // the font advances down from it.
  double pen_x = 0;
  double pen_y = 0;
  double down = 0;
  double advance = 0;  // horizontal advance
};

std::vector<Placed> Flatten(const CellTextLayout& layout, FontCatalog& fonts) {
  std::vector<Placed> out;
  size_t index = 0;
  for (const GlyphRun& run : layout.runs) {
    hb_font_t* font = fonts.HarfBuzzFont(run.font);
    const double scale = run.size / fonts.UnitsPerEm(run.font);
    for (const PlacedGlyph& glyph : run.glyphs) {
      Placed placed;
      placed.id = glyph.id;
      placed.x = glyph.x;
      placed.y = glyph.y;
      placed.size = run.size;
      placed.font = run.font;
      placed.run_text = run.text;
      placed.info = layout.glyphs.at(index++);
      hb_glyph_extents_t extents{};
      hb_font_get_glyph_extents(font, glyph.id, &extents);
      placed.ink_left = glyph.x + extents.x_bearing * scale;
      placed.ink_right = placed.ink_left + extents.width * scale;
      placed.ink_top = glyph.y - extents.y_bearing * scale;
      placed.ink_bottom = placed.ink_top - extents.height * scale;
      hb_position_t origin_x = 0;
      hb_position_t origin_y = 0;
      hb_font_get_glyph_v_origin(font, glyph.id, &origin_x, &origin_y);
      placed.pen_x = glyph.x + origin_x * scale;
      placed.pen_y = glyph.y - origin_y * scale;
      placed.down = -hb_font_get_glyph_v_advance(font, glyph.id) * scale;
      placed.advance = hb_font_get_glyph_h_advance(font, glyph.id) * scale;
      out.push_back(placed);
    }
  }
  EXPECT_EQ(index, layout.glyphs.size());
  return out;
}

// The baselines of the lines, top to bottom.
std::vector<double> Baselines(const std::vector<Placed>& glyphs) {
  std::set<double> baselines;
  for (const Placed& glyph : glyphs) baselines.insert(glyph.y);
  return {baselines.begin(), baselines.end()};
}

std::string FileName(const FontFile& file) {
  return std::filesystem::path(file.path).filename().string();
}

class CellTextLayoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { fonts_ = new FontCatalog; }
  static void TearDownTestSuite() {
    delete fonts_;
    fonts_ = nullptr;
  }

  static FontCatalog& fonts() { return *fonts_; }

  static FontCatalog* fonts_;
};

FontCatalog* CellTextLayoutTest::fonts_ = nullptr;

TEST_F(CellTextLayoutTest, SetsVerticalJapaneseWithTheFontsVerticalForms) {
  struct Case {
    const char* font;
    // Characters (by UTF-16 index) that must be vertical forms, and ones that must not.
    std::vector<uint32_t> vertical_forms;
    std::vector<uint32_t> upright;
  };
  // 「デパート。」: brackets, the long vowel and the stop turn; the fixed-pitch face keeps its
  // kana, the proportional one has vertical kana of its own.
  const Case cases[] = {
      {"ＭＳ ゴシック", {0, 3, 5, 6}, {1, 2, 4}},
      {"ＭＳ Ｐゴシック", {0, 3, 5, 6}, {}},
      {"ＭＳ 明朝", {0, 3, 5, 6}, {1, 2, 4}},
      {"游ゴシック", {0, 3, 5, 6}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.font);
    host::CellFormat format = QuestionFormat();
    format.font.name = c.font;
    CellTextLayout layout = LayOutCellText(host::Text("「デパート。」"), format, 40, 190, fonts());
    std::vector<Placed> glyphs = Flatten(layout, fonts());
    ASSERT_EQ(glyphs.size(), 7u);
    for (uint32_t i : c.vertical_forms) EXPECT_TRUE(glyphs[i].info.vertical_form) << i;
    for (uint32_t i : c.upright) EXPECT_FALSE(glyphs[i].info.vertical_form) << i;
    for (size_t i = 0; i < glyphs.size(); ++i) {
      EXPECT_EQ(glyphs[i].info.character, i);
      // Every character stands on the column's axis, the middle of the cell.
      EXPECT_NEAR(glyphs[i].pen_x, 20, kTolerance) << i;
    }
    // One under another from the top padding down, each where the one above ends.
    EXPECT_NEAR(glyphs[0].pen_y, kCellPaddingY, kTolerance);
    for (size_t i = 1; i < glyphs.size(); ++i) {
      EXPECT_NEAR(glyphs[i].pen_y, glyphs[i - 1].pen_y + glyphs[i - 1].down, 1e-3) << i;
    }
    EXPECT_LE(glyphs.back().pen_y + glyphs.back().down, 190 - kCellPaddingY + kTolerance);

    // 。 sits in the upper right quarter of its square.
    const Placed& stop = glyphs[5];
    const double em = stop.size;
    EXPECT_GE(stop.ink_left, stop.pen_x);
    EXPECT_LE(stop.ink_right, stop.pen_x + em / 2);
    EXPECT_GE(stop.ink_top, stop.pen_y);
    EXPECT_LE(stop.ink_bottom, stop.pen_y + em / 2);
    // ー runs down the column.
    const Placed& bar = glyphs[3];
    EXPECT_GT(bar.ink_bottom - bar.ink_top, 3 * (bar.ink_right - bar.ink_left));
    EXPECT_NEAR((bar.ink_left + bar.ink_right) / 2, 20, 0.1 * em);
  }
}

TEST_F(CellTextLayoutTest, ShrinksAVerticalQuestionToTheCellsHeight) {
  struct Case {
    const char* text;
    bool shrinks;
  };
  const Case cases[] = {
      {"「デパート。」", false},
      {"次の文のカタカナを漢字に直しなさい。", true},
      {"友人のショウカイで新しい仕事が見つかったので、家族みんなでお祝いをした。", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CellTextLayout layout = LayOutCellText(host::Text(c.text), QuestionFormat(), 40, 190, fonts());
    std::vector<Placed> glyphs = Flatten(layout, fonts());
    ASSERT_EQ(glyphs.size(), host::Utf16Length(c.text));
    const Placed& last = glyphs.back();
    const double bottom = last.pen_y + last.down;
    if (c.shrinks) {
      EXPECT_LT(layout.shrink, 1);
      // Shrunk just enough: the column fills the cell from padding to padding.
      EXPECT_NEAR(bottom, 190 - kCellPaddingY, 1e-3);
    } else {
      EXPECT_EQ(layout.shrink, 1);
      EXPECT_LT(bottom, 190 - kCellPaddingY);
    }
    for (const GlyphRun& run : layout.runs) EXPECT_NEAR(run.size, 30 * layout.shrink, kTolerance);
    EXPECT_NEAR(layout.extent.y, kCellPaddingY, kTolerance);
    EXPECT_NEAR(layout.extent.bottom(), bottom, 1e-3);
  }
}

TEST_F(CellTextLayoutTest, AlignsAVerticalColumnDownAndAcrossTheCell) {
  struct Case {
    host::HorizontalAlignment horizontal;
    host::VerticalAlignment vertical;
    double axis;           // of the column
    double top_or_bottom;  // where the column starts (top) or, for bottom alignment, ends
  };
  // 三文字 at 20 points in 60 x 100: a column 24 points wide (1.2 em), 60 long.
  using H = host::HorizontalAlignment;
  using V = host::VerticalAlignment;
  const Case cases[] = {
      {H::kGeneral, V::kTop, 30, kCellPaddingY},
      {H::kCenter, V::kCenter, 30, 20},
      {H::kLeft, V::kBottom, kCellPaddingX + 12, 100 - kCellPaddingY},
      {H::kRight, V::kTop, 60 - kCellPaddingX - 12, kCellPaddingY},
      {H::kGeneral, V::kDistributed, 30, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.horizontal) * 10 + static_cast<int>(c.vertical));
    host::CellFormat format = Format(20, host::kVerticalText, c.horizontal, c.vertical);
    format.font.name = "ＭＳ 明朝";
    CellTextLayout layout = LayOutCellText(host::Text("三文字"), format, 60, 100, fonts());
    std::vector<Placed> glyphs = Flatten(layout, fonts());
    ASSERT_EQ(glyphs.size(), 3u);
    for (const Placed& glyph : glyphs) EXPECT_NEAR(glyph.pen_x, c.axis, kTolerance);
    if (c.vertical == V::kBottom) {
      EXPECT_NEAR(glyphs.back().pen_y + glyphs.back().down, c.top_or_bottom, kTolerance);
    } else {
      EXPECT_NEAR(glyphs.front().pen_y, c.top_or_bottom, kTolerance);
    }
    EXPECT_NEAR(layout.extent.width, 24, kTolerance);
    EXPECT_NEAR(layout.extent.height, 60, kTolerance);
  }
}

TEST_F(CellTextLayoutTest, StartsANewColumnToTheLeftAtALineFeedOrWhenWrapped) {
  struct Case {
    const char* text;
    bool wrap;
    double height;
    std::vector<std::string> columns;  // right to left
  };
  const Case cases[] = {
      {"一二\n三四", false, 100, {"一二", "三四"}},
      // 10-point fixed-pitch characters: 4 fit in 42 points, 。 is not put at a column's head.
      {"あいうえおかき", true, 42, {"あいうえ", "おかき"}},
      {"あいうえ。かき", true, 42, {"あいう", "え。かき"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    host::CellFormat format = Format(10, host::kVerticalText, host::HorizontalAlignment::kCenter,
                                     host::VerticalAlignment::kTop);
    format.font.name = "ＭＳ ゴシック";
    format.alignment.wrap_text = c.wrap;
    CellTextLayout layout = LayOutCellText(host::Text(c.text), format, 60, c.height, fonts());
    std::vector<Placed> glyphs = Flatten(layout, fonts());
    std::vector<double> axes;
    std::vector<std::string> columns;
    for (const Placed& glyph : glyphs) {
      if (axes.empty() || std::abs(axes.back() - glyph.pen_x) > kTolerance) {
        axes.push_back(glyph.pen_x);
        columns.emplace_back();
        // Each column starts at the top.
        EXPECT_NEAR(glyph.pen_y, kCellPaddingY, kTolerance);
      }
      size_t start = host::ByteOffsetOfUtf16(c.text, glyph.info.character);
      size_t end = start;
      host::DecodeUtf8(c.text, &end);
      columns.back() += std::string(c.text).substr(start, end - start);
    }
    EXPECT_EQ(columns, c.columns);
    // Columns 1.2 em apart, the stack centred.
    for (size_t i = 1; i < axes.size(); ++i) EXPECT_NEAR(axes[i - 1] - axes[i], 12, kTolerance);
    EXPECT_NEAR((axes.front() + axes.back()) / 2, 30, kTolerance);
  }
}

TEST_F(CellTextLayoutTest, AlignsHorizontalTextInTheCell) {
  struct Case {
    host::HorizontalAlignment horizontal;
    host::VerticalAlignment vertical;
    host::ValueKind kind;
    int indent;
    double left;  // of the text's box
    double right;
    double top;
    double bottom;
  };
  using H = host::HorizontalAlignment;
  using V = host::VerticalAlignment;
  using K = host::ValueKind;
  // "ABCD" at 11 points in ＭＳ ゴシック is 4 half-width characters: 22 points long, in a line
  // 13.2 points high (1.2 em), in a 100 x 30 cell.
  const double inner_right = 100 - kCellPaddingX;
  const double low = 30 - kCellPaddingY;
  const Case cases[] = {
      {H::kGeneral, V::kBottom, K::kText, 0, kCellPaddingX, kCellPaddingX + 22, low - 13.2, low},
      {H::kGeneral, V::kBottom, K::kNumber, 0, inner_right - 22, inner_right, low - 13.2, low},
      {H::kGeneral, V::kTop, K::kBoolean, 0, 39, 61, kCellPaddingY, kCellPaddingY + 13.2},
      {H::kLeft, V::kCenter, K::kNumber, 0, kCellPaddingX, kCellPaddingX + 22, 8.4, 21.6},
      {H::kCenter, V::kCenter, K::kText, 0, 39, 61, 8.4, 21.6},
      {H::kRight, V::kTop, K::kText, 0, inner_right - 22, inner_right, kCellPaddingY,
       kCellPaddingY + 13.2},
      // An indent level is 9 points, from the side the text is set to.
      {H::kLeft, V::kBottom, K::kText, 2, kCellPaddingX + 18, kCellPaddingX + 40, low - 13.2, low},
      {H::kRight, V::kBottom, K::kText, 1, inner_right - 31, inner_right - 9, low - 13.2, low},
      // Distributed: the characters spread from padding to padding.
      {H::kDistributed, V::kJustify, K::kText, 0, kCellPaddingX, inner_right, 8.4, 21.6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.horizontal) * 100 + static_cast<int>(c.vertical) * 10 +
                 static_cast<int>(c.kind));
    host::CellFormat format = Format(11, 0, c.horizontal, c.vertical);
    format.font.name = "ＭＳ ゴシック";
    format.alignment.indent = c.indent;
    CellTextLayout layout = LayOutCellText(host::Text("ABCD"), format, 100, 30, fonts(), c.kind);
    std::vector<Placed> glyphs = Flatten(layout, fonts());
    ASSERT_EQ(glyphs.size(), 4u);
    EXPECT_NEAR(layout.extent.x, c.left, kTolerance);
    EXPECT_NEAR(layout.extent.right(), c.right, kTolerance);
    EXPECT_NEAR(layout.extent.y, c.top, kTolerance);
    EXPECT_NEAR(layout.extent.bottom(), c.bottom, kTolerance);
    EXPECT_NEAR(glyphs.front().x, c.left, kTolerance);
    EXPECT_NEAR(glyphs.back().x + glyphs.back().advance, c.right, kTolerance);
    // The baseline: the em box (0.88 em above it, 0.12 below in the IPA fonts) centred in the
    // line.
    EXPECT_NEAR(glyphs.front().y, c.top + 1.1 + 0.88 * 11, 0.01);
  }
}

TEST_F(CellTextLayoutTest, FillRepeatsTheTextAcrossTheCell) {
  host::CellFormat format = Format(11, 0, host::HorizontalAlignment::kFill);
  format.font.name = "ＭＳ ゴシック";
  // "*-" is 11 points long; 95.5 points inside a 100-point cell hold 8 copies.
  CellTextLayout layout = LayOutCellText(host::Text("*-"), format, 100, 20, fonts());
  std::vector<Placed> glyphs = Flatten(layout, fonts());
  ASSERT_EQ(glyphs.size(), 16u);
  for (size_t i = 0; i < glyphs.size(); ++i) {
    EXPECT_NEAR(glyphs[i].x, kCellPaddingX + 5.5 * static_cast<double>(i), kTolerance);
    EXPECT_EQ(glyphs[i].info.character, i % 2);
  }
  EXPECT_NEAR(layout.extent.width, 88, kTolerance);
}

TEST_F(CellTextLayoutTest, WrapsLinesAtSpacesAndBetweenJapaneseCharacters) {
  struct Case {
    const char* text;
    double width;
    std::vector<std::string> lines;
  };
  // ＭＳ ゴシック at 10 points: half-width characters 5 points, full-width 10.
  const Case cases[] = {
      {"alpha beta gamma", 4.5 + 50, {"alpha beta", "gamma"}},
      {"alpha beta gamma", 4.5 + 30, {"alpha", "beta", "gamma"}},
      // A word longer than the line is cut where it must be.
      {"abcdefghij", 4.5 + 20, {"abcd", "efgh", "ij"}},
      {"あいうえおかきくけこさし", 4.5 + 50, {"あいうえお", "かきくけこ", "さし"}},
      // Kinsoku: 。 and small kana do not start a line, 「 does not end one.
      {"あいうえお。かき", 4.5 + 50, {"あいうえ", "お。かき"}},
      {"あいうえおっかき", 4.5 + 50, {"あいうえ", "おっかき"}},
      {"あいうえ「かき」", 4.5 + 50, {"あいうえ", "「かき」"}},
      {"一行目\n二行目", 200, {"一行目", "二行目"}},
      {"漢字 and English", 4.5 + 60, {"漢字 and", "English"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    host::CellFormat format =
        Format(10, 0, host::HorizontalAlignment::kLeft, host::VerticalAlignment::kTop);
    format.font.name = "ＭＳ ゴシック";
    format.alignment.wrap_text = true;
    CellTextLayout layout = LayOutCellText(host::Text(c.text), format, c.width, 200, fonts());
    std::vector<Placed> glyphs = Flatten(layout, fonts());
    std::vector<double> baselines = Baselines(glyphs);
    ASSERT_EQ(baselines.size(), c.lines.size());
    std::vector<std::string> lines(baselines.size());
    for (const Placed& glyph : glyphs) {
      size_t line = std::find(baselines.begin(), baselines.end(), glyph.y) - baselines.begin();
      if (lines[line].empty()) {
        EXPECT_NEAR(glyph.x, kCellPaddingX, kTolerance);
      }
      EXPECT_LE(glyph.x + glyph.advance, c.width - kCellPaddingX + kTolerance);
      size_t start = host::ByteOffsetOfUtf16(c.text, glyph.info.character);
      size_t end = start;
      host::DecodeUtf8(c.text, &end);
      lines[line] += std::string(c.text).substr(start, end - start);
    }
    EXPECT_EQ(lines, c.lines);
    // Lines are 1.2 em apart.
    for (size_t i = 1; i < baselines.size(); ++i) {
      EXPECT_NEAR(baselines[i] - baselines[i - 1], 12, kTolerance);
    }
  }
}

TEST_F(CellTextLayoutTest, ShrinksHorizontalTextToTheCellsWidthUnlessItWraps) {
  struct Case {
    bool shrink;
    bool wrap;
    double factor;
    double width;  // of the text's box
  };
  // 26 half-width letters at 11 points: 143 points, in a cell 50 wide (45.5 inside).
  const Case cases[] = {
      {true, false, 45.5 / 143, 45.5},
      {false, false, 1, 143},  // runs past the cell's edge
      {true, true, 1, 44},     // wrapped instead: 8 letters a line
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shrink * 10 + c.wrap);
    host::CellFormat format = Format(11, 0, host::HorizontalAlignment::kLeft);
    format.font.name = "ＭＳ ゴシック";
    format.alignment.shrink_to_fit = c.shrink;
    format.alignment.wrap_text = c.wrap;
    CellTextLayout layout =
        LayOutCellText(host::Text("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), format, 50, 20, fonts());
    EXPECT_NEAR(layout.shrink, c.factor, kTolerance);
    EXPECT_NEAR(layout.extent.x, kCellPaddingX, kTolerance);
    EXPECT_NEAR(layout.extent.width, c.width, kTolerance);
    for (const GlyphRun& run : layout.runs) EXPECT_NEAR(run.size, 11 * c.factor, kTolerance);
  }
}

TEST_F(CellTextLayoutTest, ARunOfAnotherSizeChangesOnlyItsCharacters) {
  host::CellFormat format = Format(10, 0, host::HorizontalAlignment::kLeft);
  format.font.name = "ＭＳ ゴシック";
  host::Font big = format.font;
  big.size = 20;
  host::TextFormatting formatting;
  formatting.runs = {{0, 1, std::nullopt}, {1, 1, big}, {2, 1, std::nullopt}};
  CellTextLayout layout =
      LayOutCellText(host::Text("あいう", formatting), format, 100, 40, fonts());
  ASSERT_EQ(layout.runs.size(), 3u);
  EXPECT_EQ(layout.runs[0].size, 10);
  EXPECT_EQ(layout.runs[1].size, 20);
  EXPECT_EQ(layout.runs[2].size, 10);
  EXPECT_EQ(layout.runs[0].text, "あ");
  EXPECT_EQ(layout.runs[1].text, "い");
  EXPECT_EQ(layout.runs[2].text, "う");
  std::vector<Placed> glyphs = Flatten(layout, fonts());
  ASSERT_EQ(glyphs.size(), 3u);
  // One baseline; い takes 20 points of the line, the others 10.
  EXPECT_EQ(glyphs[0].y, glyphs[1].y);
  EXPECT_EQ(glyphs[1].y, glyphs[2].y);
  EXPECT_NEAR(glyphs[1].x - glyphs[0].x, 10, kTolerance);
  EXPECT_NEAR(glyphs[2].x - glyphs[1].x, 20, kTolerance);
  // The line is as high as its largest font makes it: 1.2 x 20, at the bottom.
  EXPECT_NEAR(layout.extent.height, 24, kTolerance);
  EXPECT_NEAR(layout.extent.bottom(), 40 - kCellPaddingY, kTolerance);
}

TEST_F(CellTextLayoutTest, UnderlinesHorizontalRunsAndSideLinesVerticalOnes) {
  struct Case {
    int rotation;
    host::Underline underline;
    bool strikethrough;
    size_t lines;
  };
  const Case cases[] = {
      {0, host::Underline::kSingle, false, 1},
      {0, host::Underline::kDouble, false, 2},
      {0, host::Underline::kNone, true, 1},
      {host::kVerticalText, host::Underline::kSingle, false, 1},
      {host::kVerticalText, host::Underline::kDouble, false, 2},
      {host::kVerticalText, host::Underline::kSingle, true, 2},
  };
  for (const Case& c : cases) {
    const bool vertical = c.rotation == host::kVerticalText;
    SCOPED_TRACE(std::to_string(c.rotation) + " " + std::to_string(static_cast<int>(c.underline)) +
                 (c.strikethrough ? " struck" : ""));
    host::CellFormat format =
        Format(14, c.rotation, host::HorizontalAlignment::kCenter, host::VerticalAlignment::kTop);
    format.font.name = "ＭＳ 明朝";
    // The word to write, underlined and red, in the middle of the question.
    host::Font marked = format.font;
    marked.underline = c.underline;
    marked.strikethrough = c.strikethrough;
    marked.color = host::Color::Rgb(0xFFFF0000);
    host::TextFormatting formatting;
    formatting.runs = {{0, 2, std::nullopt}, {2, 4, marked}, {6, 3, std::nullopt}};
    CellTextLayout layout =
        LayOutCellText(host::Text("友人のショウカイで", formatting), format, 40, 190, fonts());
    std::vector<Placed> glyphs = Flatten(layout, fonts());
    ASSERT_EQ(glyphs.size(), 9u);
    ASSERT_EQ(layout.lines.size(), c.lines);
    const Placed& first = glyphs[2];  // シ
    const Placed& last = glyphs[5];   // イ
    const double width = 14.0 / 14;
    std::vector<double> offsets;  // across the text
    for (const TextLine& line : layout.lines) {
      EXPECT_NEAR(line.stroke.width, width, kTolerance);
      EXPECT_EQ(line.stroke.color, (Rgb{1, 0, 0}));
      if (vertical) {
        // Along the run's characters, from the top of シ to the bottom of イ.
        EXPECT_EQ(line.from.x, line.to.x);
        EXPECT_NEAR(line.from.y, first.pen_y, kTolerance);
        EXPECT_NEAR(line.to.y, last.pen_y + last.down, 1e-3);
        offsets.push_back(line.from.x - first.pen_x);
      } else {
        EXPECT_EQ(line.from.y, line.to.y);
        EXPECT_NEAR(line.from.x, first.x, kTolerance);
        EXPECT_NEAR(line.to.x, last.x + last.advance, kTolerance);
        offsets.push_back(line.from.y - first.y);
      }
    }
    std::sort(offsets.begin(), offsets.end());
    if (c.underline != host::Underline::kNone) {
      // Clear of the characters: below the baseline, or right of the column's em box.
      const double edge = vertical ? 7 : 0;
      EXPECT_NEAR(offsets.back() - (c.underline == host::Underline::kDouble ? 2 * width : 0),
                  edge + 1.5 * width, kTolerance);
      if (vertical) {
        for (size_t i = 2; i <= 5; ++i)
          EXPECT_LT(glyphs[i].ink_right, first.pen_x + offsets.back());
      }
    }
    if (c.strikethrough) {
      if (vertical) {
        EXPECT_NEAR(offsets.front(), 0, kTolerance);  // down the middle of the column
      } else {
        EXPECT_LT(offsets.front(), -0.1 * 14);  // above the baseline, through the characters
        EXPECT_GT(offsets.front(), -0.6 * 14);
      }
    }
  }
}

TEST_F(CellTextLayoutTest, DrawsCharactersTheFontLacksFromTheFallbackFont) {
  host::CellFormat format = Format(11, 0, host::HorizontalAlignment::kLeft);
  format.font.name = "Calibri";
  CellTextLayout layout = LayOutCellText(host::Text("No.3 あ"), format, 100, 20, fonts());
  ASSERT_EQ(layout.runs.size(), 2u);
  EXPECT_EQ(FileName(layout.runs[0].font), "Carlito-Regular.ttf");
  EXPECT_EQ(layout.runs[0].text, "No.3 ");
  EXPECT_EQ(FileName(layout.runs[1].font), "NotoSansCJK-Regular.ttc");
  EXPECT_EQ(layout.runs[1].text, "あ");
  for (const GlyphRun& run : layout.runs) {
    for (const PlacedGlyph& glyph : run.glyphs) EXPECT_NE(glyph.id, 0u) << run.text;
  }
}

TEST_F(CellTextLayoutTest, CountsCharactersInUtf16Units) {
  host::CellFormat format = Format(11, host::kVerticalText);
  CellTextLayout layout = LayOutCellText(host::Text("𠮷野家"), format, 40, 190, fonts());
  ASSERT_EQ(layout.glyphs.size(), 3u);
  EXPECT_EQ(layout.glyphs[0].character, 0u);
  EXPECT_EQ(layout.glyphs[1].character, 2u);
  EXPECT_EQ(layout.glyphs[2].character, 3u);
}

TEST_F(CellTextLayoutTest, StandsUpLatinLettersAndDigitsInVerticalText) {
  host::CellFormat format = Format(20, host::kVerticalText, host::HorizontalAlignment::kCenter,
                                   host::VerticalAlignment::kTop);
  CellTextLayout layout = LayOutCellText(host::Text("A1"), format, 40, 190, fonts());
  std::vector<Placed> glyphs = Flatten(layout, fonts());
  ASSERT_EQ(glyphs.size(), 2u);
  for (const Placed& glyph : glyphs) {
    EXPECT_FALSE(glyph.info.vertical_form);
    // Upright: taller than wide, centred on the axis.
    EXPECT_GT(glyph.ink_bottom - glyph.ink_top, glyph.ink_right - glyph.ink_left);
    EXPECT_NEAR(glyph.x + glyph.advance / 2, 20, 0.01);  // the font rounds half advances
  }
  EXPECT_GT(glyphs[1].ink_top, glyphs[0].ink_bottom);
}

TEST_F(CellTextLayoutTest, EmptyTextGivesAnEmptyLayout) {
  for (int rotation : {0, host::kVerticalText}) {
    CellTextLayout layout = LayOutCellText(host::Text(""), Format(11, rotation), 40, 20, fonts());
    EXPECT_TRUE(layout.runs.empty());
    EXPECT_TRUE(layout.glyphs.empty());
    EXPECT_TRUE(layout.lines.empty());
    EXPECT_EQ(layout.shrink, 1);
    EXPECT_EQ(layout.extent, Rect{});
  }
}

TEST_F(CellTextLayoutTest, LaysOutTheLongestTextACellHolds) {
  // 32,767 characters, the most a cell holds, in every way a cell may set them.
  std::string text;
  for (int i = 0; i < 32767; ++i) text += (i % 50 == 49) ? " " : "漢";
  struct Case {
    int rotation;
    bool wrap;
    bool shrink;
  };
  const Case cases[] = {
      {0, false, false},
      {0, true, false},
      {0, false, true},
      {host::kVerticalText, false, true},
      {host::kVerticalText, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rotation * 100 + c.wrap * 10 + c.shrink);
    host::CellFormat format = Format(11, c.rotation);
    format.alignment.wrap_text = c.wrap;
    format.alignment.shrink_to_fit = c.shrink;
    CellTextLayout layout = LayOutCellText(host::Text(text), format, 60, 190, fonts());
    // Every character is placed; spaces at the end of a wrapped line are left out.
    EXPECT_GE(layout.glyphs.size(), c.wrap ? 32767u * 49 / 50 : 32767u);
    EXPECT_LE(layout.glyphs.size(), 32767u);
    if (c.shrink) {
      EXPECT_LT(layout.shrink, 0.01);
    }
  }
}

TEST_F(CellTextLayoutTest, MendsTextThatIsNotWellFormed) {
  CellTextLayout layout =
      LayOutCellText(host::Text(std::string("A\xff") + "B"), Format(11), 40, 20, fonts());
  ASSERT_EQ(layout.glyphs.size(), 3u);
  EXPECT_EQ(layout.runs.front().text.substr(0, 1), "A");
}

}  // namespace
}  // namespace tarquel::print
