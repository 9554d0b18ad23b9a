#include "host/address.h"

#include <algorithm>
#include <cctype>

namespace tarquel::host {

namespace {

// Reads an unsigned decimal number at text[*pos], at most `max`; nullopt when absent or larger.
std::optional<int32_t> ReadNumber(std::string_view text, std::size_t* pos, int32_t max) {
  const std::size_t start = *pos;
  int64_t value = 0;
  while (*pos < text.size() && std::isdigit(static_cast<unsigned char>(text[*pos]))) {
    value = value * 10 + (text[*pos] - '0');
    if (value > max) return std::nullopt;
    ++*pos;
  }
  if (*pos == start || value < 1) return std::nullopt;
  return static_cast<int32_t>(value);
}

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// One corner of an A1 area: a cell, a column alone or a row alone.
struct A1Part {
  std::optional<int32_t> row;
  std::optional<int32_t> column;
};

std::optional<A1Part> ParseA1Part(std::string_view text, int32_t rows, int32_t columns) {
  A1Part part;
  std::size_t pos = 0;
  if (pos < text.size() && text[pos] == '$') ++pos;
  const std::size_t letters_start = pos;
  while (pos < text.size() && IsLetter(text[pos])) ++pos;
  if (pos > letters_start) {
    part.column = ParseColumnName(text.substr(letters_start, pos - letters_start), columns);
    if (!part.column) return std::nullopt;
    if (pos < text.size() && text[pos] == '$') ++pos;
  } else if (letters_start > 0 && pos < text.size() && text[pos] == '$') {
    return std::nullopt;  // "$$1"
  }
  if (pos < text.size()) {
    part.row = ReadNumber(text, &pos, rows);
    if (!part.row) return std::nullopt;
  }
  if (pos != text.size() || (!part.row && !part.column)) return std::nullopt;
  return part;
}

CellRect Normalised(CellRect rect) {
  if (rect.first_row > rect.last_row) std::swap(rect.first_row, rect.last_row);
  if (rect.first_column > rect.last_column) std::swap(rect.first_column, rect.last_column);
  return rect;
}

std::optional<CellRect> ParseA1Area(std::string_view text, int32_t rows, int32_t columns) {
  const std::size_t colon = text.find(':');
  const std::string_view first_text = text.substr(0, colon);
  const auto first = ParseA1Part(first_text, rows, columns);
  if (!first) return std::nullopt;
  if (colon == std::string_view::npos) {
    if (!first->row || !first->column) return std::nullopt;  // "A" or "3" alone is no address
    return CellRect::Cell(*first->row, *first->column);
  }
  const auto last = ParseA1Part(text.substr(colon + 1), rows, columns);
  if (!last) return std::nullopt;
  const bool both_cells = first->row && first->column && last->row && last->column;
  const bool both_columns = !first->row && !last->row;
  const bool both_rows = !first->column && !last->column;
  if (both_cells) return Normalised({*first->row, *first->column, *last->row, *last->column});
  if (both_columns) return Normalised({1, *first->column, rows, *last->column});
  if (both_rows) return Normalised({*first->row, 1, *last->row, columns});
  return std::nullopt;  // "A1:3" mixes kinds
}

// One corner of an R1C1 area: "R2C3", "R2" or "C3".
std::optional<A1Part> ParseR1C1Part(std::string_view text, int32_t rows, int32_t columns) {
  A1Part part;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == 'R' || text[pos] == 'r')) {
    ++pos;
    part.row = ReadNumber(text, &pos, rows);
    if (!part.row) return std::nullopt;
  }
  if (pos < text.size() && (text[pos] == 'C' || text[pos] == 'c')) {
    ++pos;
    part.column = ReadNumber(text, &pos, columns);
    if (!part.column) return std::nullopt;
  }
  if (pos != text.size() || (!part.row && !part.column)) return std::nullopt;
  return part;
}

std::optional<CellRect> ParseR1C1Area(std::string_view text, int32_t rows, int32_t columns) {
  const std::size_t colon = text.find(':');
  const auto first = ParseR1C1Part(text.substr(0, colon), rows, columns);
  if (!first) return std::nullopt;
  std::optional<A1Part> last = first;
  if (colon != std::string_view::npos) {
    last = ParseR1C1Part(text.substr(colon + 1), rows, columns);
    if (!last) return std::nullopt;
  }
  const bool first_cell = first->row && first->column;
  const bool last_cell = last->row && last->column;
  if (first_cell && last_cell) {
    return Normalised({*first->row, *first->column, *last->row, *last->column});
  }
  if (!first->column && !last->column) return Normalised({*first->row, 1, *last->row, columns});
  if (!first->row && !last->row) return Normalised({1, *first->column, rows, *last->column});
  return std::nullopt;
}

template <typename ParseArea>
std::optional<std::vector<CellRect>> ParseAreas(std::string_view text, ParseArea parse_area) {
  std::vector<CellRect> areas;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    const auto area = parse_area(text.substr(start, comma - start));
    if (!area) return std::nullopt;
    areas.push_back(*area);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return areas;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "$" + std::string at -O3.
std::string A1Column(int32_t column, bool absolute) {
  std::string text;
  if (absolute) text += '$';
  text += ColumnName(column);
  return text;
}

std::string A1Row(int32_t row, bool absolute) {
  std::string text;
  if (absolute) text += '$';
  text += std::to_string(row);
  return text;
}

}  // namespace

std::string ColumnName(int32_t column) {
  std::string name;
  while (column > 0) {
    const int32_t digit = (column - 1) % 26;
    name.insert(name.begin(), static_cast<char>('A' + digit));
    column = (column - 1) / 26;
  }
  return name;
}

std::optional<int32_t> ParseColumnName(std::string_view letters, int32_t max_column) {
  if (letters.empty() || letters.size() > 3) return std::nullopt;
  int32_t column = 0;
  for (char c : letters) {
    if (!IsLetter(c)) return std::nullopt;
    column = column * 26 + (std::toupper(static_cast<unsigned char>(c)) - 'A' + 1);
  }
  if (column > max_column) return std::nullopt;
  return column;
}

std::optional<std::vector<CellRect>> ParseA1Reference(std::string_view text, int32_t rows,
                                                      int32_t columns) {
  return ParseAreas(text, [&](std::string_view area) { return ParseA1Area(area, rows, columns); });
}

std::optional<std::pair<int32_t, int32_t>> ParseCellAddress(std::string_view text, int32_t rows,
                                                            int32_t columns) {
  const auto part = ParseA1Part(text, rows, columns);
  if (!part || !part->row || !part->column) return std::nullopt;
  return std::pair{*part->row, *part->column};
}

std::optional<std::vector<CellRect>> ParseR1C1Reference(std::string_view text, int32_t rows,
                                                        int32_t columns) {
  return ParseAreas(text,
                    [&](std::string_view area) { return ParseR1C1Area(area, rows, columns); });
}

std::string FormatAddress(const CellRect& rect, ReferenceStyle style, bool absolute, int32_t rows,
                          int32_t columns) {
  const bool whole_rows = rect.first_column == 1 && rect.last_column == columns;
  const bool whole_columns = !whole_rows && rect.first_row == 1 && rect.last_row == rows;
  if (style == ReferenceStyle::kR1C1) {
    auto row_part = [](int32_t r) { return "R" + std::to_string(r); };
    auto column_part = [](int32_t c) { return "C" + std::to_string(c); };
    if (whole_rows) {
      return rect.first_row == rect.last_row
                 ? row_part(rect.first_row)
                 : row_part(rect.first_row) + ":" + row_part(rect.last_row);
    }
    if (whole_columns) {
      return rect.first_column == rect.last_column
                 ? column_part(rect.first_column)
                 : column_part(rect.first_column) + ":" + column_part(rect.last_column);
    }
    const std::string first = row_part(rect.first_row) + column_part(rect.first_column);
    if (rect.IsSingleCell()) return first;
    return first + ":" + row_part(rect.last_row) + column_part(rect.last_column);
  }
  if (whole_rows) {
    return A1Row(rect.first_row, absolute) + ":" + A1Row(rect.last_row, absolute);
  }
  if (whole_columns) {
    return A1Column(rect.first_column, absolute) + ":" + A1Column(rect.last_column, absolute);
  }
  const std::string first = A1Column(rect.first_column, absolute) + A1Row(rect.first_row, absolute);
  if (rect.IsSingleCell()) return first;
  return first + ":" + A1Column(rect.last_column, absolute) + A1Row(rect.last_row, absolute);
}

std::string FormatAddress(const std::vector<CellRect>& areas, ReferenceStyle style, bool absolute,
                          int32_t rows, int32_t columns) {
  std::string text;
  for (const CellRect& area : areas) {
    if (!text.empty()) text += ',';
    text += FormatAddress(area, style, absolute, rows, columns);
  }
  return text;
}

}  // namespace tarquel::host
