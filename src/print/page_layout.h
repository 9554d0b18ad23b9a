// The pages a sheet's print area breaks into, and where each cell of a page stands on the paper,
// from the sheet's page setup: paper size and orientation, margins, centring, zoom or fitting to
// pages, first page number and page order. Pages break between whole rows and columns.
//
// The header and footer margins are not used: the host's model holds no header or footer texts.
#ifndef TARQUEL_PRINT_PAGE_LAYOUT_H_
#define TARQUEL_PRINT_PAGE_LAYOUT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "host/worksheet.h"
#include "print/font_catalog.h"
#include "print/painter.h"

namespace tarquel::print {

struct PrintOptions {
  // Rows that belong together on one sheet of paper, counted from the print area's first row
  // (a test sheet's 4 or 8 rows a page); 0 when the sheet has no such blocks. Each block starts a
  // new page, and when a block is larger than the paper the scale goes down until every block
  // fits, so that a test prints one page of paper per page of the test.
  int32_t rows_per_block = 0;
  // The areas to print in place of the sheet's print area (a selection); empty: the print area.
  std::vector<host::CellRect> areas;
};

struct SheetPage {
  int number = 1;          // the page number printed (first page number onwards)
  double paper_width = 0;  // points, as oriented
  double paper_height = 0;
  double scale = 1;           // zoom / 100, after any fitting
  std::vector<int32_t> rows;  // the sheet rows on this page, top to bottom (hidden ones left out)
  std::vector<int32_t> columns;  // the sheet columns, left to right (hidden ones left out)
  // Edges on the paper in points, scale applied: row_top[i] is the top of rows[i] and
  // row_top.back() the bottom of the last row (rows.size() + 1 values); column_left likewise.
  std::vector<double> row_top;
  std::vector<double> column_left;
  // When the page setup prints headings: the row numbers stand in the strip heading_width wide
  // left of column_left.front(), the column letters in the strip heading_height high above
  // row_top.front() (points, scale applied); 0 when headings are not printed.
  double heading_width = 0;
  double heading_height = 0;
};

struct SheetLayout {
  std::vector<SheetPage> pages;
  // Said when the page setup asked for something this printer does not do and it did something
  // else (an unknown paper size printed on A4, a zoom out of range): for the user, in Japanese.
  std::vector<std::string> notes;
};

// Column width in the host's unit (widths of the standard digit) as points, for a standard
// digit `digit_pixels` wide on a 96-dpi screen: the host adds 5 pixels of padding.
double ColumnWidthPoints(double width, int digit_pixels);

// The pages of `sheet`'s print area (the used range when it has none). Throws PrintError when
// there is nothing to print (no print area and no cells), or the print area lies outside the
// sheet.
//
// Each area of the print area starts new pages. Pages at the bottom or right of an area that
// would hold no cell at all are left out, so a print area far larger than what the sheet holds
// gives the pages of what it holds. More than kMaxPages pages is refused.
SheetLayout LayOutPages(const host::Worksheet& sheet, const PrintOptions& options,
                        FontCatalog& fonts);

// The same, with the width of the standard font's digit given in pixels on a 96-dpi screen
// instead of measured from the installed font.
SheetLayout LayOutPages(const host::Worksheet& sheet, const PrintOptions& options,
                        int digit_pixels);

// The most pages one sheet may print; more is taken for a mistake in the print area.
inline constexpr int kMaxPages = 10000;

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_PAGE_LAYOUT_H_
