// The drawing of a sheet's cells on a painter: fills, gridlines, cell text, borders and, for a
// page, the row and column headings. A page laid out by LayOutPages is drawn by DrawPage; the
// desktop window paints the cells it shows with DrawCells, so that screen and paper agree. The
// sheet is only read.
#ifndef TARQUEL_PRINT_SHEET_RENDERER_H_
#define TARQUEL_PRINT_SHEET_RENDERER_H_

#include <cstdint>
#include <span>

#include "host/worksheet.h"
#include "print/font_catalog.h"
#include "print/page_layout.h"
#include "print/painter.h"

namespace tarquel::print {

// A block of sheet cells and where their edges stand on the painter, in points: row_top has
// rows.size() + 1 values (the last one the bottom of the last row), column_left likewise. Rows
// and columns are in sheet order; a sheet row or column missing between two neighbours of the
// block (a hidden one) takes no room. `scale` is how much the block is enlarged against the
// sheet's own sizes: fonts and lines grow with it.
struct CellGrid {
  std::span<const int32_t> rows;
  std::span<const int32_t> columns;
  std::span<const double> row_top;
  std::span<const double> column_left;
  double scale = 1;
};

struct CellDrawing {
  bool gridlines = false;
  // Every colour through BlackAndWhite, and no fills.
  bool black_and_white = false;
  // Lines on the block's outline that only the cells outside it set. A window showing part of a
  // sheet draws them; a page of paper shows only what its own cells set, so that the line on top
  // of the next page's first row does not also close the page before it.
  bool neighbour_lines = false;
};

// The grey of gridlines.
inline constexpr Rgb kGridlineColor{0.7, 0.7, 0.7};

// Draws the cells of `grid`, in this order: fills, gridlines (when asked), each cell's text, then
// borders and diagonals. A merged area is drawn as one cell, from its top-left cell, even when
// only part of it lies in the block. Text is clipped to its cell, except horizontal text that is
// neither wrapped nor shrunk, which runs into empty neighbours inside the block on the side it
// flows to (text of a cell outside the block does not run into it). Fills and text stay inside
// the block's rectangle; lines on its outline are centred on it.
//
// Borders: each edge between two cells is drawn once, with the line of whichever cell sets it;
// when both do, the heavier weight wins (a double line counts as thick), then at one weight a
// double line, a continuous one, slanted dash-dot, dash, dash-dot, dash-dot-dot and dot in that
// order; two lines alike in both give the upper or left cell's. Lines of one kind that meet end
// to end are one stroke, so that their dashes run on, and each end reaches half the width of the
// widest line crossing there, so that corners close. Widths at the sheet's size: hairline 0.35,
// thin 0.75, medium 1.5, thick 2.25 points, times the scale, never under 0.25; a double line is
// two thin strokes with a thin gap between.
//
// Fills: "solid" paints the foreground colour; the other patterns paint the blend of foreground
// and background in the proportion of ink they carry (gray125 an eighth, lightGray a quarter,
// mediumGray and the dark hatches a half, darkGray three quarters, ...); a gradient paints its
// first colour.
// REQUIRES: grid's edges have one value more than its rows and columns.
void DrawCells(const host::Worksheet& sheet, const CellGrid& grid, const CellDrawing& drawing,
               FontCatalog& fonts, Painter& painter);

// Row numbers left of the block and column letters above it, each in a small grey box: the row
// numbers in a strip `width` points wide left of the block, the letters in a strip `height`
// points high above it.
void DrawHeadings(const host::Worksheet& sheet, const CellGrid& grid, double width, double height,
                  const CellDrawing& drawing, FontCatalog& fonts, Painter& painter);

// One whole page of paper: BeginPage with the page's paper size, the headings when the page
// setup asks for them (in the strips the page leaves for them), the cells with the page setup's
// gridlines and black and white, EndPage.
void DrawPage(const host::Worksheet& sheet, const SheetPage& page, FontCatalog& fonts,
              Painter& painter);

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_SHEET_RENDERER_H_
