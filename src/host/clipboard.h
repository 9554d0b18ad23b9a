// The host clipboard: Range::Copy takes a picture of a rectangle of cells (values, formulas,
// every format including the cells' own border edges, character runs, phonetics, comments and
// merged areas) and Worksheet::Paste writes it at a cell of any sheet of any workbook.
#ifndef TARQUEL_HOST_CLIPBOARD_H_
#define TARQUEL_HOST_CLIPBOARD_H_

#include <cstdint>
#include <memory>
#include <vector>

#include "host/address.h"
#include "host/cell_format.h"
#include "host/cell_value.h"
#include "host/worksheet.h"

namespace tarquel::host {

struct ClippedCell {
  int32_t row_offset = 0;
  int32_t column_offset = 0;
  CellFormat format;
  CellValue value;
  std::shared_ptr<const Formula> formula;
  bool show_phonetic = false;
};

struct ClippedComment {
  int32_t row_offset = 0;
  int32_t column_offset = 0;
  Comment comment;
};

struct ClipboardContent {
  int32_t rows = 0;
  int32_t columns = 0;
  std::vector<ClippedCell> cells;
  std::vector<ClippedComment> comments;
  std::vector<CellRect> merges;  // relative to the copied rectangle's top-left, 1-based
};

// The picture of `rect` of `sheet`. Positions that hold nothing are left out unless their
// format differs from the default (small rectangles only: a large copy carries what is there).
ClipboardContent CopyCells(const Worksheet& sheet, const CellRect& rect);

// Writes `content` with its top-left at (row, column) of `sheet`: every cell of the target
// rectangle takes the copied cell's value and formats (or becomes empty), its comment and its
// own border edges; lines that neighbours outside the rectangle set are kept. A run-time error,
// and no change, when the target leaves the sheet or cuts through a merged area.
void PasteCells(const ClipboardContent& content, Worksheet& sheet, int32_t row, int32_t column);

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_CLIPBOARD_H_
