#include "host/borders.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <unordered_map>

#include "host/range.h"
#include "host/worksheet.h"
#include "host/worksheet_storage.h"

namespace tarquel::host {

namespace {

// Lines of areas with more positions than this are removed by visiting the cells that exist
// (and the row and column formats that stand for the others) rather than position by position.
constexpr int64_t kSmallLineCount = 4096;

enum Side { kLeft, kTop, kRight, kBottom, kDiagonalDown, kDiagonalUp };

BorderLine& SideOf(CellBorders& borders, Side side) {
  switch (side) {
    case kLeft:
      return borders.left;
    case kTop:
      return borders.top;
    case kRight:
      return borders.right;
    case kBottom:
      return borders.bottom;
    case kDiagonalDown:
      return borders.diagonal_down;
    case kDiagonalUp:
      break;
  }
  return borders.diagonal_up;
}

const BorderLine& SideOf(const CellBorders& borders, Side side) {
  return SideOf(const_cast<CellBorders&>(borders), side);
}

Side Opposite(Side side) {
  switch (side) {
    case kLeft:
      return kRight;
    case kRight:
      return kLeft;
    case kTop:
      return kBottom;
    case kBottom:
      return kTop;
    default:
      return side;
  }
}

// The neighbour across `side`, if it lies on the sheet.
std::optional<std::pair<int32_t, int32_t>> Neighbour(const Worksheet& sheet, int32_t row,
                                                     int32_t column, Side side) {
  switch (side) {
    case kLeft:
      if (column > 1) return std::pair{row, column - 1};
      break;
    case kRight:
      if (column < sheet.ColumnCount()) return std::pair{row, column + 1};
      break;
    case kTop:
      if (row > 1) return std::pair{row - 1, column};
      break;
    case kBottom:
      if (row < sheet.RowCount()) return std::pair{row + 1, column};
      break;
    default:
      break;
  }
  return std::nullopt;
}

BorderLine ReadLine(const Worksheet& sheet, int32_t row, int32_t column, Side side) {
  const BorderLine& own = SideOf(sheet.EffectiveFormat(row, column).borders, side);
  if (!own.IsNone()) return own;
  if (auto n = Neighbour(sheet, row, column, side)) {
    return SideOf(sheet.EffectiveFormat(n->first, n->second).borders, Opposite(side));
  }
  return own;
}

void SetOwnSide(Worksheet& sheet, int32_t row, int32_t column, Side side, const BorderLine& line) {
  if (SideOf(sheet.EffectiveFormat(row, column).borders, side) == line) return;
  Cell& cell = sheet.CellAt(row, column);
  CellFormat format = sheet.styles().Get(cell.style);
  SideOf(format.borders, side) = line;
  cell.style = sheet.styles().Intern(format);
}

// Draws (or removes) the line on `side` of the cell: the cell owns it from now on, and the
// neighbour's own edge on the same line is cleared so both read the same line.
void WriteLine(Worksheet& sheet, int32_t row, int32_t column, Side side, const BorderLine& line) {
  SetOwnSide(sheet, row, column, side, line);
  if (auto n = Neighbour(sheet, row, column, side)) {
    SetOwnSide(sheet, n->first, n->second, Opposite(side), BorderLine{});
  }
}

struct LinePosition {
  int32_t row;
  int32_t column;
  Side side;
};

// Calls fn for every line of `index` in `area`, named by the cell inside the area that owns
// it (inside lines by the cell left of or above them).
template <typename Fn>
void ForEachLine(const CellRect& area, BorderIndex index, Fn&& fn) {
  switch (index) {
    case BorderIndex::kEdgeLeft:
      for (int32_t r = area.first_row; r <= area.last_row; ++r) fn({r, area.first_column, kLeft});
      break;
    case BorderIndex::kEdgeRight:
      for (int32_t r = area.first_row; r <= area.last_row; ++r) fn({r, area.last_column, kRight});
      break;
    case BorderIndex::kEdgeTop:
      for (int32_t c = area.first_column; c <= area.last_column; ++c) fn({area.first_row, c, kTop});
      break;
    case BorderIndex::kEdgeBottom:
      for (int32_t c = area.first_column; c <= area.last_column; ++c) {
        fn({area.last_row, c, kBottom});
      }
      break;
    case BorderIndex::kInsideVertical:
      for (int32_t r = area.first_row; r <= area.last_row; ++r) {
        for (int32_t c = area.first_column; c < area.last_column; ++c) fn({r, c, kRight});
      }
      break;
    case BorderIndex::kInsideHorizontal:
      for (int32_t r = area.first_row; r < area.last_row; ++r) {
        for (int32_t c = area.first_column; c <= area.last_column; ++c) fn({r, c, kBottom});
      }
      break;
    case BorderIndex::kDiagonalDown:
    case BorderIndex::kDiagonalUp: {
      const Side side = index == BorderIndex::kDiagonalDown ? kDiagonalDown : kDiagonalUp;
      for (int32_t r = area.first_row; r <= area.last_row; ++r) {
        for (int32_t c = area.first_column; c <= area.last_column; ++c) fn({r, c, side});
      }
      break;
    }
  }
}

int64_t LineCount(const CellRect& area, BorderIndex index) {
  switch (index) {
    case BorderIndex::kEdgeLeft:
    case BorderIndex::kEdgeRight:
      return area.RowCount();
    case BorderIndex::kEdgeTop:
    case BorderIndex::kEdgeBottom:
      return area.ColumnCount();
    case BorderIndex::kInsideVertical:
      return area.RowCount() * (area.ColumnCount() - 1);
    case BorderIndex::kInsideHorizontal:
      return (area.RowCount() - 1) * area.ColumnCount();
    default:
      return area.CellCount();
  }
}

// Whether the `side` of cell (row, column) lies on a line of `index` in `area`; the cell may
// be inside the area or its neighbour just outside.
bool OnLine(const CellRect& area, BorderIndex index, int32_t row, int32_t column, Side side) {
  const bool inside = area.Contains(row, column);
  switch (index) {
    case BorderIndex::kEdgeLeft:
      return row >= area.first_row && row <= area.last_row &&
             ((inside && side == kLeft && column == area.first_column) ||
              (side == kRight && column == area.first_column - 1));
    case BorderIndex::kEdgeRight:
      return row >= area.first_row && row <= area.last_row &&
             ((inside && side == kRight && column == area.last_column) ||
              (side == kLeft && column == area.last_column + 1));
    case BorderIndex::kEdgeTop:
      return column >= area.first_column && column <= area.last_column &&
             ((inside && side == kTop && row == area.first_row) ||
              (side == kBottom && row == area.first_row - 1));
    case BorderIndex::kEdgeBottom:
      return column >= area.first_column && column <= area.last_column &&
             ((inside && side == kBottom && row == area.last_row) ||
              (side == kTop && row == area.last_row + 1));
    case BorderIndex::kInsideVertical:
      return inside && ((side == kRight && column < area.last_column) ||
                        (side == kLeft && column > area.first_column));
    case BorderIndex::kInsideHorizontal:
      return inside &&
             ((side == kBottom && row < area.last_row) || (side == kTop && row > area.first_row));
    case BorderIndex::kDiagonalDown:
      return inside && side == kDiagonalDown;
    case BorderIndex::kDiagonalUp:
      return inside && side == kDiagonalUp;
  }
  return false;
}

// Removes every line of `index` in a large area, visiting only cells that exist (and the row
// and column formats, which stand for the empty cells).
void RemoveLinesSparsely(Worksheet& sheet, const CellRect& area, BorderIndex index) {
  const CellRect around{std::max(1, area.first_row - 1), std::max(1, area.first_column - 1),
                        std::min(sheet.RowCount(), area.last_row + 1),
                        std::min(sheet.ColumnCount(), area.last_column + 1)};
  StyleTable& styles = sheet.styles();
  // Most cells share a few formats: remember each (format, sides to clear) result.
  std::unordered_map<uint64_t, StyleTable::Id> done;
  auto cleared = [&](StyleTable::Id id, int32_t row, int32_t column) {
    const CellBorders& borders = styles.Get(id).borders;
    unsigned mask = 0;
    for (Side side : {kLeft, kTop, kRight, kBottom, kDiagonalDown, kDiagonalUp}) {
      if (!SideOf(borders, side).IsNone() && OnLine(area, index, row, column, side)) {
        mask |= 1u << side;
      }
    }
    if (mask == 0) return id;
    const uint64_t key = (uint64_t{id} << 6) | mask;
    if (auto it = done.find(key); it != done.end()) return it->second;
    CellFormat format = styles.Get(id);
    for (Side side : {kLeft, kTop, kRight, kBottom, kDiagonalDown, kDiagonalUp}) {
      if (mask & (1u << side)) SideOf(format.borders, side) = BorderLine{};
    }
    const StyleTable::Id changed = styles.Intern(format);
    done.emplace(key, changed);
    return changed;
  };
  sheet.ForEachCell(
      around, [&](int32_t row, Cell& cell) { cell.style = cleared(cell.style, row, cell.column); });
  // Row and column formats answer for empty cells away from the area's outer edges.
  if (SpansAllRows(sheet, area)) {
    for (auto& [column, info] : sheet.columns_info()) {
      if (info.style && column >= around.first_column && column <= around.last_column) {
        info.style = cleared(*info.style, area.first_row + 1, column);
      }
    }
  }
  if (SpansAllColumns(sheet, area)) {
    for (auto& [row, info] : sheet.rows_info()) {
      if (info.style && row >= around.first_row && row <= around.last_row) {
        info.style = cleared(*info.style, row, area.first_column + 1);
      }
    }
  }
}

template <typename T>
std::optional<T> AgreedValue(const std::vector<T>& values) {
  if (values.empty()) return std::nullopt;
  for (const T& v : values) {
    if (!(v == values.front())) return std::nullopt;
  }
  return values.front();
}

}  // namespace

namespace {

template <typename T, typename Get>
std::optional<T> AgreedLineProperty(const Worksheet& sheet, const std::vector<CellRect>& areas,
                                    BorderIndex index, Get get) {
  std::vector<T> values;
  for (const CellRect& area : areas) {
    ForEachLine(area, index, [&](LinePosition p) {
      values.push_back(get(ReadLine(sheet, p.row, p.column, p.side)));
    });
  }
  return AgreedValue(values);
}

}  // namespace

std::optional<host::LineStyle> Border::LineStyle() const {
  return AgreedLineProperty<host::LineStyle>(*sheet_, areas_, index_,
                                             [](const BorderLine& l) { return l.style; });
}

std::optional<BorderWeight> Border::Weight() const {
  return AgreedLineProperty<BorderWeight>(*sheet_, areas_, index_,
                                          [](const BorderLine& l) { return l.weight; });
}

std::optional<int> Border::ColorIndex() const {
  return AgreedLineProperty<int>(*sheet_, areas_, index_,
                                 [](const BorderLine& l) { return ColorIndexOf(l.color); });
}

namespace {

void ChangeLines(Worksheet& sheet, const std::vector<CellRect>& areas, BorderIndex index,
                 const std::function<void(BorderLine&)>& change) {
  for (const CellRect& area : areas) {
    ForEachLine(area, index, [&](LinePosition p) {
      BorderLine line = ReadLine(sheet, p.row, p.column, p.side);
      change(line);
      WriteLine(sheet, p.row, p.column, p.side, line);
    });
  }
}

}  // namespace

void Border::SetLineStyle(host::LineStyle style) const {
  if (style == LineStyle::kNone) {
    for (const CellRect& area : areas_) {
      if (LineCount(area, index_) > kSmallLineCount) {
        RemoveLinesSparsely(*sheet_, area, index_);
      } else {
        ForEachLine(area, index_, [&](LinePosition p) {
          WriteLine(*sheet_, p.row, p.column, p.side, BorderLine{});
        });
      }
    }
    return;
  }
  ChangeLines(*sheet_, areas_, index_, [&](BorderLine& line) { line.style = style; });
}

void Border::SetWeight(BorderWeight weight) const {
  ChangeLines(*sheet_, areas_, index_, [&](BorderLine& line) {
    if (line.IsNone()) line.style = LineStyle::kContinuous;
    line.weight = weight;
  });
}

void Border::SetColorIndex(int index) const {
  const Color color = ColorOfIndex(index);
  ChangeLines(*sheet_, areas_, index_, [&](BorderLine& line) {
    if (line.IsNone()) line.style = LineStyle::kContinuous;
    line.color = color;
  });
}

}  // namespace tarquel::host
