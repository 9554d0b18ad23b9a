#include "host/clipboard.h"

#include <vector>

#include "host/host_error.h"
#include "host/worksheet_storage.h"

namespace tarquel::host {

namespace {

// Copies of rectangles up to this size carry formatted empty cells too; beyond it only what
// holds something, so that copying whole columns stays cheap.
constexpr int64_t kFullPictureCells = 16384;

ClippedCell ClipCell(const Worksheet& sheet, const CellRect& rect, int32_t row, const Cell& cell) {
  ClippedCell clipped;
  clipped.row_offset = row - rect.first_row;
  clipped.column_offset = cell.column - rect.first_column;
  clipped.format = sheet.styles().Get(cell.style);
  clipped.value = cell.value;
  clipped.formula = cell.formula;
  clipped.show_phonetic = cell.show_phonetic;
  return clipped;
}

}  // namespace

ClipboardContent CopyCells(const Worksheet& sheet, const CellRect& rect) {
  ClipboardContent content;
  content.rows = static_cast<int32_t>(rect.RowCount());
  content.columns = static_cast<int32_t>(rect.ColumnCount());
  if (rect.CellCount() <= kFullPictureCells) {
    for (int32_t row = rect.first_row; row <= rect.last_row; ++row) {
      for (int32_t column = rect.first_column; column <= rect.last_column; ++column) {
        if (const Cell* cell = sheet.FindCell(row, column)) {
          content.cells.push_back(ClipCell(sheet, rect, row, *cell));
        } else if (StyleTable::Id style = sheet.EffectiveStyle(row, column);
                   style != StyleTable::kDefault) {
          Cell formatted;
          formatted.column = column;
          formatted.style = style;
          content.cells.push_back(ClipCell(sheet, rect, row, formatted));
        }
      }
    }
  } else {
    sheet.ForEachCell(rect, [&](int32_t row, const Cell& cell) {
      content.cells.push_back(ClipCell(sheet, rect, row, cell));
    });
  }
  const auto& comments = sheet.comments();
  for (auto it = comments.lower_bound({rect.first_row, 0});
       it != comments.end() && it->first.first <= rect.last_row; ++it) {
    const auto& [position, comment] = *it;
    if (rect.Contains(position.first, position.second)) {
      content.comments.push_back(
          {position.first - rect.first_row, position.second - rect.first_column, comment});
    }
  }
  for (const CellRect& merge : sheet.MergesIntersecting(rect)) {
    if (rect.Contains(merge)) {
      content.merges.push_back(
          {merge.first_row - rect.first_row + 1, merge.first_column - rect.first_column + 1,
           merge.last_row - rect.first_row + 1, merge.last_column - rect.first_column + 1});
    }
  }
  return content;
}

void PasteCells(const ClipboardContent& content, Worksheet& sheet, int32_t row, int32_t column) {
  const CellRect target{row, column, row + content.rows - 1, column + content.columns - 1};
  if (target.last_row > sheet.RowCount() || target.last_column > sheet.ColumnCount()) {
    ThrowApplicationDefined("貼り付け先がシートの範囲を超えます（" +
                            FormatAddress(target, ReferenceStyle::kA1, false) + "）。");
  }
  for (const CellRect& merge : sheet.MergesIntersecting(target)) {
    if (!target.Contains(merge)) {
      ThrowApplicationDefined("結合されたセルの一部を変更することはできません（" +
                              FormatAddress(merge, ReferenceStyle::kA1, false) + "）。");
    }
  }

  std::vector<std::pair<int32_t, int32_t>> old_cells;
  sheet.ForEachCell(target, [&](int32_t r, const Cell& cell) {
    old_cells.push_back({r, cell.column});
  });
  for (const auto& [r, c] : old_cells) sheet.EraseCell(r, c);
  auto& comments = sheet.comments();
  for (auto it = comments.lower_bound({target.first_row, 0});
       it != comments.end() && it->first.first <= target.last_row;) {
    it = target.Contains(it->first.first, it->first.second) ? comments.erase(it) : std::next(it);
  }
  sheet.RemoveMergesIntersecting(target);

  StyleTable& styles = sheet.styles();
  for (const ClippedCell& clipped : content.cells) {
    Cell& cell = sheet.CellAt(row + clipped.row_offset, column + clipped.column_offset);
    cell.style = styles.Intern(clipped.format);
    cell.value = clipped.value;
    cell.formula = clipped.formula;
    cell.show_phonetic = clipped.show_phonetic;
  }
  for (const ClippedComment& clipped : content.comments) {
    sheet.comments()[{row + clipped.row_offset, column + clipped.column_offset}] = clipped.comment;
  }
  for (const CellRect& merge : content.merges) {
    sheet.AddMerge({row + merge.first_row - 1, column + merge.first_column - 1,
                    row + merge.last_row - 1, column + merge.last_column - 1});
  }
}

}  // namespace tarquel::host
