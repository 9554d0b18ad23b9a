// The storage behind a worksheet, for the host (src/host) and the file codecs (src/host/xlsx)
// only: cells as they are kept, the records of rows and columns, and the members of Worksheet
// that reach them, which are defined here so that a unit that does not include this header
// cannot call them. Everything else reads a sheet through Range and the read-only members of
// Worksheet (ForEachUsedCell, EffectiveFormat, RowHeightOf, RowHidden, ...).
//
// Storage is sparse: a cell exists only once something was written to it or its format was
// changed, so operations on "A1:U65536" or on whole columns cost in proportion to the cells
// that hold something. Formats of empty cells come from the row's format, else the column's,
// else the default.
#ifndef TARQUEL_HOST_WORKSHEET_STORAGE_H_
#define TARQUEL_HOST_WORKSHEET_STORAGE_H_

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
#include "host/worksheet.h"

namespace tarquel::host {

struct Cell {
  int32_t column = 0;
  StyleTable::Id style = StyleTable::kDefault;
  bool show_phonetic = false;
  CellValue value;
  std::shared_ptr<const Formula> formula;  // null: a plain value
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

struct SheetStorage {
  using RowCells = std::vector<Cell>;

  std::vector<RowCells> rows;  // rows[r - 1], cells sorted by column
  std::map<int32_t, RowInfo> rows_info;
  std::map<int32_t, ColumnInfo> columns_info;
};

// Whether `area` reaches every row of the sheet (whole columns) or every column (whole rows).
// Formats set on such an area go to the records of its columns or rows, which stand for the
// cells that do not exist.
inline bool SpansAllRows(const Worksheet& sheet, const CellRect& area) {
  return area.first_row == 1 && area.last_row == sheet.RowCount();
}

inline bool SpansAllColumns(const Worksheet& sheet, const CellRect& area) {
  return area.first_column == 1 && area.last_column == sheet.ColumnCount();
}

namespace storage_internal {

// The first cell of `cells` at `column` or right of it.
template <typename Cells>
auto FirstAtOrAfter(Cells& cells, int32_t column) {
  return std::lower_bound(cells.begin(), cells.end(), column,
                          [](const Cell& c, int32_t col) { return c.column < col; });
}

}  // namespace storage_internal

inline const Cell* Worksheet::FindCell(int32_t row, int32_t column) const {
  if (row < 1 || row > static_cast<int32_t>(storage_->rows.size())) return nullptr;
  const SheetStorage::RowCells& cells = storage_->rows[row - 1];
  auto it = storage_internal::FirstAtOrAfter(cells, column);
  return it != cells.end() && it->column == column ? &*it : nullptr;
}

inline Cell& Worksheet::CellAt(int32_t row, int32_t column) {
  if (row > static_cast<int32_t>(storage_->rows.size())) storage_->rows.resize(row);
  SheetStorage::RowCells& cells = storage_->rows[row - 1];
  auto it = storage_internal::FirstAtOrAfter(cells, column);
  if (it != cells.end() && it->column == column) return *it;
  Cell cell;
  cell.column = column;
  cell.style = EffectiveStyle(row, column);
  return *cells.insert(it, std::move(cell));
}

inline Cell& Worksheet::FileCellAt(int32_t row, int32_t column) {
  if (row > static_cast<int32_t>(storage_->rows.size())) storage_->rows.resize(row);
  SheetStorage::RowCells& cells = storage_->rows[row - 1];
  if (cells.empty() || cells.back().column < column) {
    cells.emplace_back().column = column;
    return cells.back();
  }
  auto it = storage_internal::FirstAtOrAfter(cells, column);
  if (it != cells.end() && it->column == column) return *it;
  Cell cell;
  cell.column = column;
  return *cells.insert(it, std::move(cell));
}

inline void Worksheet::ReserveCells(int32_t row, std::size_t count) {
  if (row > static_cast<int32_t>(storage_->rows.size())) storage_->rows.resize(row);
  storage_->rows[row - 1].reserve(count);
}

inline void Worksheet::EraseCell(int32_t row, int32_t column) {
  if (row < 1 || row > static_cast<int32_t>(storage_->rows.size())) return;
  SheetStorage::RowCells& cells = storage_->rows[row - 1];
  auto it = storage_internal::FirstAtOrAfter(cells, column);
  if (it != cells.end() && it->column == column) cells.erase(it);
}

inline StyleTable::Id Worksheet::EffectiveStyle(int32_t row, int32_t column) const {
  if (const Cell* cell = FindCell(row, column)) return cell->style;
  const std::map<int32_t, RowInfo>& rows = storage_->rows_info;
  if (!rows.empty()) {
    auto row_it = rows.find(row);
    if (row_it != rows.end() && row_it->second.style) return *row_it->second.style;
  }
  const std::map<int32_t, ColumnInfo>& columns = storage_->columns_info;
  if (!columns.empty()) {
    auto column_it = columns.find(column);
    if (column_it != columns.end() && column_it->second.style) return *column_it->second.style;
  }
  return StyleTable::kDefault;
}

inline std::map<int32_t, RowInfo>& Worksheet::rows_info() { return storage_->rows_info; }
inline const std::map<int32_t, RowInfo>& Worksheet::rows_info() const {
  return storage_->rows_info;
}
inline std::map<int32_t, ColumnInfo>& Worksheet::columns_info() { return storage_->columns_info; }
inline const std::map<int32_t, ColumnInfo>& Worksheet::columns_info() const {
  return storage_->columns_info;
}

template <typename Fn>
void Worksheet::ForEachCell(const CellRect& rect, Fn&& fn) {
  std::vector<SheetStorage::RowCells>& rows = storage_->rows;
  const int32_t last = std::min<int32_t>(rect.last_row, static_cast<int32_t>(rows.size()));
  for (int32_t row = std::max(1, rect.first_row); row <= last; ++row) {
    SheetStorage::RowCells& cells = rows[row - 1];
    if (cells.empty()) continue;
    auto it = storage_internal::FirstAtOrAfter(cells, rect.first_column);
    for (; it != cells.end() && it->column <= rect.last_column; ++it) fn(row, *it);
  }
}

template <typename Fn>
void Worksheet::ForEachCell(const CellRect& rect, Fn&& fn) const {
  const_cast<Worksheet*>(this)->ForEachCell(
      rect, [&fn](int32_t row, const Cell& cell) { fn(row, cell); });
}

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_WORKSHEET_STORAGE_H_
