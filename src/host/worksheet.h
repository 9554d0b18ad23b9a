// A worksheet of the host: a sparse grid of cells with their values and formats, row heights
// and column widths, merged areas, comments, page setup, view settings and the sheet's
// selection. Commands reach it through Range (range.h); readers that only look (the printer,
// searches over a column) visit the cells that hold something with ForEachUsedCell. How cells
// are kept is the host's own business: the host and the file codecs reach the storage through
// host/worksheet_storage.h.
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
#include <span>
#include <string>
#include <type_traits>
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

// Defined in host/worksheet_storage.h, for the host and the file codecs.
struct Cell;
struct RowInfo;
struct ColumnInfo;
struct SheetStorage;

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

enum class SheetVisibility { kVisible, kHidden, kVeryHidden };

struct SheetView {
  bool show_gridlines = true;
  int zoom = 100;
};

// The text a value shows under a format's number format: Range::Text of a cell.
std::string ShownText(const CellValue& value, const CellFormat& format);

// A cell that holds something, as Worksheet::ForEachUsedCell and UsedCellAt hand it out. It
// reads the sheet in place and stays valid until the sheet changes.
class CellView {
 public:
  int32_t row() const { return row_; }
  int32_t column() const { return column_; }
  const CellValue& value() const { return *value_; }
  bool HasFormula() const { return has_formula_; }
  // The cell's own format.
  const CellFormat& format() const { return styles_->Get(style_); }
  // Whether the format is other than the default: a border or a fill prints on an empty cell.
  bool HasOwnFormat() const { return style_ != StyleTable::kDefault; }
  // The text the cell shows, as Range::Text.
  std::string Text() const { return ShownText(*value_, format()); }
  // The same text with the value's character runs, when the number format shows the text as it
  // is.
  host::Text RichText() const;

 private:
  friend class Worksheet;
  CellView() = default;  // a slot of a batch the sheet fills before handing it out
  CellView(int32_t row, const Cell& cell, const StyleTable& styles);

  int32_t row_;
  int32_t column_;
  StyleTable::Id style_;
  bool has_formula_;
  const CellValue* value_;
  const StyleTable* styles_;
};

// The host's default row height and column width (points; widths of the standard digit).
inline constexpr double kDefaultRowHeight = 13.5;
inline constexpr double kDefaultColumnWidth = 8.38;

class Worksheet {
 public:
  Worksheet(Workbook& workbook, std::string name);
  ~Worksheet();
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

  // --- Reading cells ----------------------------------------------------------------------
  // Calls fn(const CellView&) for every cell inside `rect` that holds something (a value, a
  // formula or a format other than the default), row by row, left to right, visiting only such
  // cells: a whole column costs what it holds. fn may return bool; false stops the walk. fn
  // must not change the sheet.
  template <typename Fn>
  void ForEachUsedCell(const CellRect& rect, Fn&& fn) const;
  // The cell at (row, column) when it holds something.
  std::optional<CellView> UsedCellAt(int32_t row, int32_t column) const;
  // The highest row holding a cell, 0 when the sheet is empty; no row below it holds anything.
  int32_t LastRowWithCells() const;
  // The format a cell shows, whether it holds anything or not: its own, else its row's, else
  // its column's, else the default.
  const CellFormat& EffectiveFormat(int32_t row, int32_t column) const;
  const StyleTable& styles() const;
  StyleTable& styles();

  // --- Rows and columns -------------------------------------------------------------------
  double default_row_height() const { return default_row_height_; }
  void set_default_row_height(double h) { default_row_height_ = h; }
  double default_column_width() const { return default_column_width_; }
  void set_default_column_width(double w) { default_column_width_ = w; }
  double RowHeightOf(int32_t row) const;
  double ColumnWidthOf(int32_t column) const;
  bool RowHidden(int32_t row) const;
  bool ColumnHidden(int32_t column) const;
  // The hidden rows (columns) from `first` to `last`, in order; one walk over the records of
  // rows (columns), so that asking for a whole sheet costs no more than what it holds.
  std::vector<int32_t> HiddenRows(int32_t first, int32_t last) const;
  std::vector<int32_t> HiddenColumns(int32_t first, int32_t last) const;

  // --- Storage: for the host and the file codecs only ---------------------------------------
  // Defined in host/worksheet_storage.h with the types they use; a unit that does not include
  // it cannot call them.
  inline const Cell* FindCell(int32_t row, int32_t column) const;
  // The cell, created with the format an empty cell there shows when it does not exist yet.
  inline Cell& CellAt(int32_t row, int32_t column);
  // The cell, created with the default format when it does not exist yet: for file readers,
  // which set every cell's format themselves and mostly add cells left to right.
  inline Cell& FileCellAt(int32_t row, int32_t column);
  // Makes room for `count` cells in `row`, for readers that know how many are coming.
  inline void ReserveCells(int32_t row, std::size_t count);
  inline void EraseCell(int32_t row, int32_t column);
  // The format id a cell shows, whether it exists or not.
  inline StyleTable::Id EffectiveStyle(int32_t row, int32_t column) const;
  // Calls fn(row, cell) for every existing cell inside `rect`, row by row, left to right. fn
  // must not add or remove cells.
  template <typename Fn>
  void ForEachCell(const CellRect& rect, Fn&& fn);
  template <typename Fn>
  void ForEachCell(const CellRect& rect, Fn&& fn) const;
  inline std::map<int32_t, RowInfo>& rows_info();
  inline const std::map<int32_t, RowInfo>& rows_info() const;
  inline std::map<int32_t, ColumnInfo>& columns_info();
  inline const std::map<int32_t, ColumnInfo>& columns_info() const;

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

  // Hands the cells ForEachUsedCell visits to visit(context, cells) in batches, in order, until
  // it returns false: one call for many cells, so that the visitor's loop is the caller's own.
  using CellBatchVisitor = bool (*)(void* context, std::span<const CellView> cells);
  void VisitUsedCells(const CellRect& rect, CellBatchVisitor visit, void* context) const;

  Workbook* workbook_;
  std::string name_;
  std::unique_ptr<SheetStorage> storage_;
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
void Worksheet::ForEachUsedCell(const CellRect& rect, Fn&& fn) const {
  using F = std::remove_reference_t<Fn>;
  VisitUsedCells(
      rect,
      [](void* context, std::span<const CellView> cells) {
        F& f = *static_cast<F*>(context);
        for (const CellView& cell : cells) {
          if constexpr (std::is_same_v<std::invoke_result_t<F&, const CellView&>, bool>) {
            if (!f(cell)) return false;
          } else {
            f(cell);
          }
        }
        return true;
      },
      const_cast<void*>(static_cast<const void*>(std::addressof(fn))));
}

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_WORKSHEET_H_
