// Where the characters of one cell stand: the text shaped with HarfBuzz into glyph runs placed in
// the cell, horizontally or stacked vertically with the font's vertical forms, aligned, wrapped
// or shrunk as the cell's format says, with its underlines and strike-through lines.
#ifndef TARQUEL_PRINT_CELL_TEXT_LAYOUT_H_
#define TARQUEL_PRINT_CELL_TEXT_LAYOUT_H_

#include <cstdint>
#include <vector>

#include "host/cell_format.h"
#include "host/cell_value.h"
#include "print/font_catalog.h"
#include "print/painter.h"

namespace tarquel::print {

// A line drawn with the text: an underline (horizontal text), a side line on the right of the
// characters (underlined vertical text, 傍線), or a strike-through line.
struct TextLine {
  Point from;
  Point to;
  Stroke stroke;
};

// What the layout knows of each glyph placed, in the order of `runs` and their glyphs: the
// UTF-16 index in the cell's text of the first character it shows, and whether a vertical form
// replaced the character's horizontal glyph (。、ー「」 and the like in vertical text).
struct GlyphInfo {
  uint32_t character = 0;
  bool vertical_form = false;
};

struct CellTextLayout {
  // Positions in points relative to the cell's top left corner, at the sheet's own size (the
  // page's scale is applied by whoever draws).
  std::vector<GlyphRun> runs;
  std::vector<GlyphInfo> glyphs;
  std::vector<TextLine> lines;
  double shrink = 1;  // the factor shrink to fit applied to every font size; 1 when none
  Rect extent;        // the box the text takes, which may pass the cell's edges (overflow)
};

// Cell padding the host leaves inside a cell's edges, in points.
inline constexpr double kCellPaddingX = 2.25;
inline constexpr double kCellPaddingY = 1;

// Lays out `text` (the cell's shown text, with its character runs) in a cell of `width` by
// `height` points whose format is `format` (its font is the font of characters no run covers).
// Text orientation kVerticalText stacks the characters top to bottom, right to left by line;
// any other rotation is laid out horizontally. An empty text gives an empty layout.
//
// Lines (and vertical columns) are 1.2 times their largest font size apart; an indent level is
// 9 points; shrink to fit works only on text that does not wrap, and fits the longest line into
// the cell's width, or in vertical text the longest column into its height. Vertical text is
// centred across the cell under general alignment. Characters the font lacks are drawn from
// Noto Sans CJK JP when it has them.
CellTextLayout LayOutCellText(const host::Text& text, const host::CellFormat& format, double width,
                              double height, FontCatalog& fonts);

// The same for a cell whose value is of `kind`, which general alignment needs: numbers go to
// the right, Booleans and errors to the centre, text (and the form above) to the left.
CellTextLayout LayOutCellText(const host::Text& text, const host::CellFormat& format, double width,
                              double height, FontCatalog& fonts, host::ValueKind kind);

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_CELL_TEXT_LAYOUT_H_
