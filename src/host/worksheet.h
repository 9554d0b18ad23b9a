// A worksheet of the host: a sparse grid of cells with their values and formats, row heights
// and column widths, merged areas, comments, page setup, view settings and the sheet's
// selection. Commands reach it through Range (range.h); file codecs read and fill the storage
// directly through the storage section below.
//
// Storage is sparse: a cell exists only once something was written to it or its format was
// changed, so operations on "A1:U65536" or on whole columns cost in proportion to the cells
// that hold something. Formats of empty cells come from the row's format, else the column's,
// else the default.
//
// Borders are lines between cells. Each cell keeps the edges it set itself; the line between
// two neighbours reads as the edge of whichever of them set it, and setting or clearing the line
// through either cell sets or clears it for both (Range::Borders).
#ifndef TARQUEL_HOST_WORKSHEET_H_
#define TARQUEL_HOST_WORKSHEET_H_

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/address.h"
#include "host/cell_format.h"
#include "host/cell_value.h"
#include "host/file_origin.h"
#include "host/page_setup.h"

namespace tarquel::host {

class Application;
class Range;
class Workbook;

struct Cell {
  int32_t column = 0;
  StyleTable::Id style = StyleTable::kDefault;
  bool show_phonetic = false;
  CellValue value;
  std::shared_ptr<const Formula> formula;  // null: a plain value
};

// The host's default comment box, in points.
inline constexpr double kDefaultCommentWidth = 144;
inline constexpr double kDefaultCommentHeight = 79;

// A comment's text as a file had it, with runs of formatting the host does not model: `xml` is
// the file's element, `plain` what it reads as.
struct FileCommentText {
  std::string plain;
  std::string xml;

  bool operator==(const FileCommentText&) const = default;
};

// A comment's box as a file drew it: `xml` is its shape in the sheet's drawing, tied to the
// cell (row, column) it names, with the size and visibility it gave the box. The file codec
// writes it back, keeping its place, colours and anchor, while the comment is still at that cell
// with that size and visibility; a copy of the comment elsewhere gets a box of its own.
struct FileCommentShape {
  std::string xml;
  int32_t row = 0;
  int32_t column = 0;
  double width = kDefaultCommentWidth;
  double height = kDefaultCommentHeight;
  bool visible = false;

  bool operator==(const FileCommentShape&) const = default;
};

struct Comment {
  std::string text;
  std::string author;
  double width = kDefaultCommentWidth;
  double height = kDefaultCommentHeight;
  bool visible = false;
  // Written back in place of `text` for as long as `text` is still file_text->plain.
  std::shared_ptr<const FileCommentText> file_text;
  // The box as read; null for a comment added by a command.
  std::shared_ptr<const FileCommentShape> file_shape;

  bool operator==(const Comment& other) const {
    return text == other.text && author == other.author && width == other.width &&
           height == other.height && visible == other.visible &&
           SameContent(file_text, other.file_text) && SameContent(file_shape, other.file_shape);
  }

 private:
  template <typename T>
  static bool SameContent(const std::shared_ptr<const T>& a, const std::shared_ptr<const T>& b) {
    return a == b || (a && b && *a == *b);
  }
};

// Attributes of a file's row or column element that the host does not use (outline levels,
// collapsed groups, ...), written back as they came.
using FileAttributes = std::vector<std::pair<std::string, std::string>>;

struct RowInfo {
  std::optional<double> height;
  std::optional<StyleTable::Id> style;
  bool hidden = false;
  FileAttributes file_attributes;
};

struct ColumnInfo {
  std::optional<double> width;
  std::optional<StyleTable::Id> style;
  bool hidden = false;
  FileAttributes file_attributes;
};

enum class SheetVisibility { kVisible, kHidden, kVeryHidden };

struct SheetView {
  bool show_gridlines = true;
  int zoom = 100;
};

// The host's default row height and column width (points; widths of the standard digit).
inline constexpr double kDefaultRowHeight = 13.5;
inline constexpr double kDefaultColumnWidth = 8.38;

class Worksheet {
 public:
  Worksheet(Workbook& workbook, std::string name);
  Worksheet(const Worksheet&) = delete;
  Worksheet& operator=(const Worksheet&) = delete;

  Workbook& workbook() const { return *workbook_; }
  Application& application() const;

  const std::string& Name() const { return name_; }
  // Renames the sheet; an invalid name or one another sheet of the workbook has is a run-time
  // error and changes nothing.
  void SetName(const std::string& name);
  // 1-based position in the workbook.
  int Index() const;

  // --- The object model --------------------------------------------------------------------
  // An A1 address of one or more areas ("A1", "A3:T3,A7:T7", "A:T", "1:3"); a run-time error
  // when it is not one.
  host::Range Range(std::string_view address);
  // The rectangle spanned by two ranges (their first cells).
  host::Range Range(const host::Range& first, const host::Range& last);
  host::Range Cells(int32_t row, int32_t column);
  host::Range Cells();  // every cell
  host::Range Rows(int32_t row);
  host::Range Rows(std::string_view rows);  // "1:3"
  host::Range Rows();                       // every row
  host::Range Columns(int32_t column);
  host::Range Columns(std::string_view columns);  // "A:T"
  host::Range Columns();

  // Makes this the active sheet of its workbook, and its workbook the active one.
  void Activate();
  void Select() { Activate(); }
  // Pastes the host clipboard at the selection's first cell; a run-time error when the
  // clipboard is empty.
  void Paste();

  int32_t RowCount() const { return kSheetRows; }
  int32_t ColumnCount() const { return kSheetColumns; }

  PageSetup& page_setup() { return page_setup_; }
  const PageSetup& page_setup() const { return page_setup_; }
  // The print area in absolute A1 form ("$A$1:$U$24"), or "" when none.
  std::string PrintArea() const;
  // Sets the print area from an A1 address; "" removes it; an invalid address is a run-time
  // error.
  void SetPrintArea(std::string_view address);
  const std::vector<CellRect>& print_area() const { return print_area_; }

  SheetView& view() { return view_; }
  const SheetView& view() const { return view_; }
  SheetVisibility visibility() const { return visibility_; }
  void SetVisibility(SheetVisibility v) { visibility_ = v; }

  // The sheet's own selection and active cell; they persist while other sheets are active.
  const std::vector<CellRect>& selection() const { return selection_; }
  std::pair<int32_t, int32_t> active_cell() const { return active_cell_; }
  void SetSelection(std::vector<CellRect> areas, std::pair<int32_t, int32_t> active_cell);

  // Comments in row-major order.
  int CommentCount() const { return static_cast<int>(comments_.size()); }

  // --- Storage, for the host and the file codecs -------------------------------------------
  const Cell* FindCell(int32_t row, int32_t column) const;
  // The cell, created with the format an empty cell there shows when it does not exist yet.
  Cell& CellAt(int32_t row, int32_t column);
  // The cell, created with the default format when it does not exist yet: for file readers,
  // which set every cell's format themselves and mostly add cells left to right.
  Cell& FileCellAt(int32_t row, int32_t column);
  // Makes room for `count` cells in `row`, for readers that know how many are coming.
  void ReserveCells(int32_t row, std::size_t count);
  void EraseCell(int32_t row, int32_t column);
  // The format id a cell shows, whether it exists or not.
  StyleTable::Id EffectiveStyle(int32_t row, int32_t column) const;
  const CellFormat& EffectiveFormat(int32_t row, int32_t column) const;
  const StyleTable& styles() const;
  StyleTable& styles();

  // Calls fn(row, cell) for every existing cell inside `rect`, row by row, left to right. fn
  // must not add or remove cells.
  template <typename Fn>
  void ForEachCell(const CellRect& rect, Fn&& fn);
  template <typename Fn>
  void ForEachCell(const CellRect& rect, Fn&& fn) const;
  // The highest row holding a cell, 0 when the sheet is empty.
  int32_t LastRowWithCells() const;

  std::map<int32_t, RowInfo>& rows_info() { return rows_info_; }
  const std::map<int32_t, RowInfo>& rows_info() const { return rows_info_; }
  std::map<int32_t, ColumnInfo>& columns_info() { return columns_info_; }
  const std::map<int32_t, ColumnInfo>& columns_info() const { return columns_info_; }
  double default_row_height() const { return default_row_height_; }
  void set_default_row_height(double h) { default_row_height_ = h; }
  double default_column_width() const { return default_column_width_; }
  void set_default_column_width(double w) { default_column_width_ = w; }
  double RowHeightOf(int32_t row) const;
  double ColumnWidthOf(int32_t column) const;

  // Merged areas, indexed by their top-left cell so that lookups cost in proportion to the
  // areas near the place asked about, not to all areas of the sheet.
  std::vector<CellRect> Merges() const;  // row by row, left to right
  std::size_t MergeCount() const { return merges_.size(); }
  std::vector<CellRect> MergesIntersecting(const CellRect& rect) const;
  // The merged area holding the cell, if any.
  const CellRect* MergeAreaOf(int32_t row, int32_t column) const;
  // REQUIRES: `rect` intersects no merged area.
  void AddMerge(const CellRect& rect);
  // Removes the merged areas that intersect `rect`.
  void RemoveMergesIntersecting(const CellRect& rect);

  std::map<std::pair<int32_t, int32_t>, Comment>& comments() { return comments_; }
  const std::map<std::pair<int32_t, int32_t>, Comment>& comments() const { return comments_; }

  // The sheet's part as read from a file, kept for the codec; null for a new sheet.
  std::shared_ptr<const FileOrigin> file_origin;

 private:
  friend class Workbook;  // renames during validation

  using RowCells = std::vector<Cell>;

  Workbook* workbook_;
  std::string name_;
  std::vector<RowCells> rows_;  // rows_[r - 1], cells sorted by column
  std::map<int32_t, RowInfo> rows_info_;
  std::map<int32_t, ColumnInfo> columns_info_;
  double default_row_height_ = kDefaultRowHeight;
  double default_column_width_ = kDefaultColumnWidth;
  std::map<std::pair<int32_t, int32_t>, CellRect> merges_;  // by top-left (row, column)
  int32_t tallest_merge_ = 1;  // rows of the tallest area ever added; bounds the lookups
  std::map<std::pair<int32_t, int32_t>, Comment> comments_;
  PageSetup page_setup_;
  std::vector<CellRect> print_area_;
  SheetView view_;
  SheetVisibility visibility_ = SheetVisibility::kVisible;
  std::vector<CellRect> selection_{CellRect::Cell(1, 1)};
  std::pair<int32_t, int32_t> active_cell_{1, 1};
};

template <typename Fn>
void Worksheet::ForEachCell(const CellRect& rect, Fn&& fn) {
  const int32_t last = std::min<int32_t>(rect.last_row, static_cast<int32_t>(rows_.size()));
  for (int32_t row = rect.first_row; row <= last; ++row) {
    RowCells& cells = rows_[row - 1];
    if (cells.empty()) continue;
    auto it = std::lower_bound(cells.begin(), cells.end(), rect.first_column,
                               [](const Cell& c, int32_t col) { return c.column < col; });
    for (; it != cells.end() && it->column <= rect.last_column; ++it) fn(row, *it);
  }
}

template <typename Fn>
void Worksheet::ForEachCell(const CellRect& rect, Fn&& fn) const {
  const_cast<Worksheet*>(this)->ForEachCell(
      rect, [&fn](int32_t row, const Cell& cell) { fn(row, cell); });
}

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_WORKSHEET_H_
