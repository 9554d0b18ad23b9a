#include "host/worksheet.h"

#include <algorithm>

#include "host/application.h"
#include "host/host_error.h"
#include "host/range.h"
#include "host/workbook.h"

namespace tarquel::host {

Worksheet::Worksheet(Workbook& workbook, std::string name)
    : workbook_(&workbook), name_(std::move(name)) {}

Application& Worksheet::application() const { return workbook_->application(); }

void Worksheet::SetName(const std::string& name) {
  workbook_->ValidateSheetName(name, this);
  name_ = name;
}

int Worksheet::Index() const { return workbook_->IndexOf(*this); }

host::Range Worksheet::Range(std::string_view address) {
  auto areas = ParseA1Reference(address, RowCount(), ColumnCount());
  if (!areas) {
    ThrowApplicationDefined("セル範囲「" + std::string(address) + "」はシート「" + name_ +
                            "」のアドレスとして正しくありません。");
  }
  return host::Range(*this, std::move(*areas));
}

host::Range Worksheet::Range(const host::Range& first, const host::Range& last) {
  if (&first.sheet() != this || &last.sheet() != this) {
    ThrowApplicationDefined("別のシートのセルで範囲を作ることはできません。");
  }
  CellRect rect{std::min(first.Row(), last.Row()), std::min(first.Column(), last.Column()),
                std::max(first.Row(), last.Row()), std::max(first.Column(), last.Column())};
  return host::Range(*this, rect);
}

host::Range Worksheet::Cells(int32_t row, int32_t column) {
  if (row < 1 || row > RowCount() || column < 1 || column > ColumnCount()) {
    ThrowApplicationDefined("セル (" + std::to_string(row) + ", " + std::to_string(column) +
                            ") はシートの範囲外です。");
  }
  return host::Range(*this, CellRect::Cell(row, column));
}

host::Range Worksheet::Cells() {
  return host::Range(*this, CellRect{1, 1, RowCount(), ColumnCount()});
}

host::Range Worksheet::Rows(int32_t row) {
  if (row < 1 || row > RowCount()) {
    ThrowApplicationDefined("行 " + std::to_string(row) + " はシートの範囲外です。");
  }
  return host::Range(*this, CellRect{row, 1, row, ColumnCount()});
}

// "3" alone names row 3 and "D" alone column D, as the host's Rows("3") and Columns("D").
namespace {
std::string AsSpan(std::string_view text) {
  if (text.find(':') != std::string_view::npos || text.find(',') != std::string_view::npos) {
    return std::string(text);
  }
  return std::string(text) + ":" + std::string(text);
}
}  // namespace

host::Range Worksheet::Rows(std::string_view rows) {
  host::Range range = Range(AsSpan(rows));
  if (!range.IsWholeRows()) {
    ThrowApplicationDefined("「" + std::string(rows) + "」は行の指定ではありません。");
  }
  return range;
}

host::Range Worksheet::Rows() { return Cells(); }

host::Range Worksheet::Columns(int32_t column) {
  if (column < 1 || column > ColumnCount()) {
    ThrowApplicationDefined("列 " + std::to_string(column) + " はシートの範囲外です。");
  }
  return host::Range(*this, CellRect{1, column, RowCount(), column});
}

host::Range Worksheet::Columns(std::string_view columns) {
  host::Range range = Range(AsSpan(columns));
  if (!range.IsWholeColumns()) {
    ThrowApplicationDefined("「" + std::string(columns) + "」は列の指定ではありません。");
  }
  return range;
}

host::Range Worksheet::Columns() {
  return host::Range(*this, CellRect{1, 1, RowCount(), ColumnCount()});
}

void Worksheet::Activate() {
  if (visibility_ != SheetVisibility::kVisible) {
    ThrowApplicationDefined("非表示のシート「" + name_ + "」は選択できません。");
  }
  workbook_->Activate();
  workbook_->ActivateSheet(*this);
}

void Worksheet::Paste() {
  const ClipboardContent* content = application().clipboard();
  if (content == nullptr) {
    ThrowApplicationDefined(
        "Worksheet クラスの Paste メソッドが失敗しました。"
        "クリップボードにコピーされたセルがありません。");
  }
  const auto [row, column] =
      std::pair{selection_.front().first_row, selection_.front().first_column};
  PasteCells(*content, *this, row, column);
  const CellRect pasted{row, column, row + content->rows - 1, column + content->columns - 1};
  SetSelection({pasted}, {row, column});
}

std::string Worksheet::PrintArea() const {
  return print_area_.empty()
             ? ""
             : FormatAddress(print_area_, ReferenceStyle::kA1, true, RowCount(), ColumnCount());
}

void Worksheet::SetPrintArea(std::string_view address) {
  if (address.empty()) {
    print_area_.clear();
    return;
  }
  auto areas = ParseA1Reference(address, RowCount(), ColumnCount());
  if (!areas) {
    ThrowApplicationDefined("印刷範囲「" + std::string(address) + "」が正しくありません。");
  }
  print_area_ = std::move(*areas);
}

void Worksheet::SetSelection(std::vector<CellRect> areas, std::pair<int32_t, int32_t> active) {
  selection_ = std::move(areas);
  active_cell_ = active;
}

const Cell* Worksheet::FindCell(int32_t row, int32_t column) const {
  if (row < 1 || row > static_cast<int32_t>(rows_.size())) return nullptr;
  const RowCells& cells = rows_[row - 1];
  auto it = std::lower_bound(cells.begin(), cells.end(), column,
                             [](const Cell& c, int32_t col) { return c.column < col; });
  return it != cells.end() && it->column == column ? &*it : nullptr;
}

Cell& Worksheet::CellAt(int32_t row, int32_t column) {
  if (row > static_cast<int32_t>(rows_.size())) rows_.resize(row);
  RowCells& cells = rows_[row - 1];
  auto it = std::lower_bound(cells.begin(), cells.end(), column,
                             [](const Cell& c, int32_t col) { return c.column < col; });
  if (it != cells.end() && it->column == column) return *it;
  Cell cell;
  cell.column = column;
  cell.style = EffectiveStyle(row, column);
  return *cells.insert(it, std::move(cell));
}

Cell& Worksheet::FileCellAt(int32_t row, int32_t column) {
  if (row > static_cast<int32_t>(rows_.size())) rows_.resize(row);
  RowCells& cells = rows_[row - 1];
  if (cells.empty() || cells.back().column < column) {
    cells.emplace_back().column = column;
    return cells.back();
  }
  auto it = std::lower_bound(cells.begin(), cells.end(), column,
                             [](const Cell& c, int32_t col) { return c.column < col; });
  if (it != cells.end() && it->column == column) return *it;
  Cell cell;
  cell.column = column;
  return *cells.insert(it, std::move(cell));
}

void Worksheet::ReserveCells(int32_t row, std::size_t count) {
  if (row > static_cast<int32_t>(rows_.size())) rows_.resize(row);
  rows_[row - 1].reserve(count);
}

void Worksheet::EraseCell(int32_t row, int32_t column) {
  if (row < 1 || row > static_cast<int32_t>(rows_.size())) return;
  RowCells& cells = rows_[row - 1];
  auto it = std::lower_bound(cells.begin(), cells.end(), column,
                             [](const Cell& c, int32_t col) { return c.column < col; });
  if (it != cells.end() && it->column == column) cells.erase(it);
}

StyleTable::Id Worksheet::EffectiveStyle(int32_t row, int32_t column) const {
  if (const Cell* cell = FindCell(row, column)) return cell->style;
  if (!rows_info_.empty()) {
    auto row_it = rows_info_.find(row);
    if (row_it != rows_info_.end() && row_it->second.style) return *row_it->second.style;
  }
  if (!columns_info_.empty()) {
    auto column_it = columns_info_.find(column);
    if (column_it != columns_info_.end() && column_it->second.style) {
      return *column_it->second.style;
    }
  }
  return StyleTable::kDefault;
}

const CellFormat& Worksheet::EffectiveFormat(int32_t row, int32_t column) const {
  return styles().Get(EffectiveStyle(row, column));
}

const StyleTable& Worksheet::styles() const { return workbook_->styles(); }
StyleTable& Worksheet::styles() { return workbook_->styles(); }

int32_t Worksheet::LastRowWithCells() const {
  for (auto r = static_cast<int32_t>(rows_.size()); r >= 1; --r) {
    if (!rows_[r - 1].empty()) return r;
  }
  return 0;
}

double Worksheet::RowHeightOf(int32_t row) const {
  auto it = rows_info_.find(row);
  return it != rows_info_.end() && it->second.height ? *it->second.height : default_row_height_;
}

double Worksheet::ColumnWidthOf(int32_t column) const {
  auto it = columns_info_.find(column);
  return it != columns_info_.end() && it->second.width ? *it->second.width : default_column_width_;
}

std::vector<CellRect> Worksheet::Merges() const {
  std::vector<CellRect> all;
  all.reserve(merges_.size());
  for (const auto& [corner, merge] : merges_) all.push_back(merge);
  return all;
}

std::vector<CellRect> Worksheet::MergesIntersecting(const CellRect& rect) const {
  std::vector<CellRect> found;
  // An area that reaches into `rect` starts at most tallest_merge_ - 1 rows above it.
  const int32_t from = std::max(1, rect.first_row - tallest_merge_ + 1);
  for (auto it = merges_.lower_bound({from, 0});
       it != merges_.end() && it->first.first <= rect.last_row; ++it) {
    if (it->second.Intersects(rect)) found.push_back(it->second);
  }
  return found;
}

const CellRect* Worksheet::MergeAreaOf(int32_t row, int32_t column) const {
  const int32_t from = std::max(1, row - tallest_merge_ + 1);
  for (auto it = merges_.lower_bound({from, 0}); it != merges_.end() && it->first.first <= row;
       ++it) {
    if (it->second.Contains(row, column)) return &it->second;
  }
  return nullptr;
}

void Worksheet::AddMerge(const CellRect& rect) {
  merges_[{rect.first_row, rect.first_column}] = rect;
  tallest_merge_ = std::max<int32_t>(tallest_merge_, static_cast<int32_t>(rect.RowCount()));
}

void Worksheet::RemoveMergesIntersecting(const CellRect& rect) {
  for (const CellRect& merge : MergesIntersecting(rect)) {
    merges_.erase({merge.first_row, merge.first_column});
  }
}

}  // namespace tarquel::host
