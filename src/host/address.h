// Cell addresses: rectangles of cells and their A1 and R1C1 forms, as the host reads and writes
// them. Rows and columns are 1-based. A rectangle that covers every column of the sheet is
// written as whole rows ("$2:$2", "R2", "R1:R3"), one that covers every row as whole columns
// ("$C:$C", "C3", "C1:C3"); several areas are joined by ",".
#ifndef TARQUEL_HOST_ADDRESS_H_
#define TARQUEL_HOST_ADDRESS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarquel::host {

// The rows and columns that the add-in addresses on a sheet.
inline constexpr int32_t kSheetRows = 65536;
inline constexpr int32_t kSheetColumns = 256;
// The most a workbook file can hold; cells beyond the add-in's sheet are kept, not addressed.
inline constexpr int32_t kMaxFileRows = 1048576;
inline constexpr int32_t kMaxFileColumns = 16384;

struct CellRect {
  int32_t first_row = 1;
  int32_t first_column = 1;
  int32_t last_row = 1;
  int32_t last_column = 1;

  static CellRect Cell(int32_t row, int32_t column) { return {row, column, row, column}; }

  int64_t RowCount() const { return int64_t{last_row} - first_row + 1; }
  int64_t ColumnCount() const { return int64_t{last_column} - first_column + 1; }
  int64_t CellCount() const { return RowCount() * ColumnCount(); }
  bool IsSingleCell() const { return first_row == last_row && first_column == last_column; }
  bool Contains(int32_t row, int32_t column) const {
    return row >= first_row && row <= last_row && column >= first_column && column <= last_column;
  }
  bool Contains(const CellRect& other) const {
    return Contains(other.first_row, other.first_column) &&
           Contains(other.last_row, other.last_column);
  }
  bool Intersects(const CellRect& other) const {
    return first_row <= other.last_row && other.first_row <= last_row &&
           first_column <= other.last_column && other.first_column <= last_column;
  }
  bool operator==(const CellRect&) const = default;
};

enum class ReferenceStyle { kA1, kR1C1 };

// "A" for 1, "Z" for 26, "AA" for 27. REQUIRES: column >= 1.
std::string ColumnName(int32_t column);
// Inverse of ColumnName, letters in either case; nullopt when not letters or past `max_column`.
std::optional<int32_t> ParseColumnName(std::string_view letters, int32_t max_column);

// Reads an A1 reference of one or more areas joined by ",": "A1", "$A$1", "a1:b2", "A:C",
// "3:5". Corners may come in any order. nullopt when the text is not such a reference or
// reaches past `rows` or `columns`.
std::optional<std::vector<CellRect>> ParseA1Reference(std::string_view text,
                                                      int32_t rows = kSheetRows,
                                                      int32_t columns = kSheetColumns);

// Reads one cell's A1 address ("B12", "$B$12") without allocating: the row and column, or
// nullopt as for ParseA1Reference.
std::optional<std::pair<int32_t, int32_t>> ParseCellAddress(std::string_view text,
                                                            int32_t rows = kSheetRows,
                                                            int32_t columns = kSheetColumns);

// Reads an absolute R1C1 reference: "R2C3", "R2C3:R4C5", "R2", "R1:R3", "C3", "C1:C3", areas
// joined by ",". nullopt as for ParseA1Reference.
std::optional<std::vector<CellRect>> ParseR1C1Reference(std::string_view text,
                                                        int32_t rows = kSheetRows,
                                                        int32_t columns = kSheetColumns);

// The host's address of one area. `absolute` adds the "$" marks in A1 style; R1C1 addresses
// are always absolute.
std::string FormatAddress(const CellRect& rect, ReferenceStyle style, bool absolute = true,
                          int32_t rows = kSheetRows, int32_t columns = kSheetColumns);

// The areas' addresses joined by ",".
std::string FormatAddress(const std::vector<CellRect>& areas, ReferenceStyle style,
                          bool absolute = true, int32_t rows = kSheetRows,
                          int32_t columns = kSheetColumns);

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_ADDRESS_H_
