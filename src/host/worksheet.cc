#include "host/worksheet.h"

#include <algorithm>

#include "host/application.h"
#include "host/host_error.h"
#include "host/number_format.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet_storage.h"

namespace tarquel::host {

namespace {

// Whether a stored cell holds anything a reader of the sheet sees; a file may store cells with
// nothing in them.
bool HoldsSomething(const Cell& cell) {
  return !cell.value.IsEmpty() || cell.formula != nullptr || cell.style != StyleTable::kDefault;
}

}  // namespace

std::string ShownText(const CellValue& value, const CellFormat& format) {
  switch (value.kind()) {
    case ValueKind::kEmpty:
      return "";
    case ValueKind::kNumber:
      return FormatNumber(value.number(), format.number_format);
    case ValueKind::kText:
      return FormatText(value.text().text, format.number_format);
    case ValueKind::kBoolean:
      return FormatBoolean(value.boolean());
    case ValueKind::kError:
      return value.error().code;
  }
  return "";
}

CellView::CellView(int32_t row, const Cell& cell, const StyleTable& styles)
    : row_(row),
      column_(cell.column),
      style_(cell.style),
      has_formula_(cell.formula != nullptr),
      value_(&cell.value),
      styles_(&styles) {}

host::Text CellView::RichText() const {
  std::string shown = Text();
  // Shown as it is, a text keeps its character runs (a marked word's underline).
  if (value_->IsText() && shown == value_->text().text) return value_->text();
  return host::Text(std::move(shown));
}

Worksheet::Worksheet(Workbook& workbook, std::string name)
    : workbook_(&workbook), name_(std::move(name)), storage_(std::make_unique<SheetStorage>()) {}

Worksheet::~Worksheet() = default;

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

const CellFormat& Worksheet::EffectiveFormat(int32_t row, int32_t column) const {
  return styles().Get(EffectiveStyle(row, column));
}

const StyleTable& Worksheet::styles() const { return workbook_->styles(); }
StyleTable& Worksheet::styles() { return workbook_->styles(); }

void Worksheet::VisitUsedCells(const CellRect& rect, CellBatchVisitor visit, void* context) const {
  constexpr std::size_t kBatch = 128;
  CellView batch[kBatch];
  std::size_t count = 0;
  const StyleTable& table = styles();
  const std::vector<SheetStorage::RowCells>& rows = storage_->rows;
  const int32_t last = std::min<int32_t>(rect.last_row, static_cast<int32_t>(rows.size()));
  for (int32_t row = std::max(1, rect.first_row); row <= last; ++row) {
    const SheetStorage::RowCells& cells = rows[row - 1];
    if (cells.empty()) continue;
    for (auto it = storage_internal::FirstAtOrAfter(cells, rect.first_column);
         it != cells.end() && it->column <= rect.last_column; ++it) {
      if (!HoldsSomething(*it)) continue;
      batch[count++] = CellView(row, *it, table);
      if (count == kBatch) {
        if (!visit(context, std::span<const CellView>(batch, count))) return;
        count = 0;
      }
    }
  }
  if (count > 0) visit(context, std::span<const CellView>(batch, count));
}

std::optional<CellView> Worksheet::UsedCellAt(int32_t row, int32_t column) const {
  const Cell* cell = FindCell(row, column);
  if (cell == nullptr || !HoldsSomething(*cell)) return std::nullopt;
  return CellView(row, *cell, styles());
}

int32_t Worksheet::LastRowWithCells() const {
  for (auto r = static_cast<int32_t>(storage_->rows.size()); r >= 1; --r) {
    if (!storage_->rows[r - 1].empty()) return r;
  }
  return 0;
}

double Worksheet::RowHeightOf(int32_t row) const {
  auto it = storage_->rows_info.find(row);
  return it != storage_->rows_info.end() && it->second.height ? *it->second.height
                                                              : default_row_height_;
}

double Worksheet::ColumnWidthOf(int32_t column) const {
  auto it = storage_->columns_info.find(column);
  return it != storage_->columns_info.end() && it->second.width ? *it->second.width
                                                                : default_column_width_;
}

namespace {

template <typename Info>
bool IsHidden(const std::map<int32_t, Info>& infos, int32_t index) {
  auto it = infos.find(index);
  return it != infos.end() && it->second.hidden;
}

template <typename Info>
std::vector<int32_t> HiddenBetween(const std::map<int32_t, Info>& infos, int32_t first,
                                   int32_t last) {
  std::vector<int32_t> hidden;
  for (auto it = infos.lower_bound(first); it != infos.end() && it->first <= last; ++it) {
    if (it->second.hidden) hidden.push_back(it->first);
  }
  return hidden;
}

}  // namespace

bool Worksheet::RowHidden(int32_t row) const { return IsHidden(storage_->rows_info, row); }

bool Worksheet::ColumnHidden(int32_t column) const {
  return IsHidden(storage_->columns_info, column);
}

std::vector<int32_t> Worksheet::HiddenRows(int32_t first, int32_t last) const {
  return HiddenBetween(storage_->rows_info, first, last);
}

std::vector<int32_t> Worksheet::HiddenColumns(int32_t first, int32_t last) const {
  return HiddenBetween(storage_->columns_info, first, last);
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
