#include "kanjigrade/selection_text.h"

#include <charconv>
#include <cstdint>
#include <string_view>

#include "host/address.h"
#include "host/application.h"
#include "host/range.h"
#include "host/worksheet.h"

namespace tarquel::kanjigrade {

namespace {

// One corner of an R1C1 address as the host writes it: "R2C3", "R2" (a whole row) or "C3" (a
// whole column). What it does not name stays empty.
struct Corner {
  std::optional<int32_t> row;
  std::optional<int32_t> column;
};

// The number after `letter` at the front of `part`, consumed; nullopt when `part` does not
// start with the letter.
std::optional<int32_t> TakeNumber(std::string_view& part, char letter) {
  if (part.empty() || part.front() != letter) return std::nullopt;
  part.remove_prefix(1);
  int32_t number = 0;
  const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), number);
  part.remove_prefix(static_cast<std::size_t>(end - part.data()));
  return number;
}

Corner ReadCorner(std::string_view part) {
  Corner corner;
  corner.row = TakeNumber(part, 'R');
  corner.column = TakeNumber(part, 'C');
  return corner;
}

// The rectangle of a one-area R1C1 address. A corner that names only a row stands at column 1
// when it is the first and at the selection's last column when it is the last; one that names
// only a column likewise at row 1 or the selection's last row. An address without ":" ("R2",
// "C3") is both corners at once.
host::CellRect AreaOf(std::string_view address, int64_t rows, int64_t columns) {
  const std::size_t colon = address.find(':');
  const Corner first = ReadCorner(address.substr(0, colon));
  const Corner last =
      ReadCorner(colon == std::string_view::npos ? address : address.substr(colon + 1));
  return {first.row.value_or(1), first.column.value_or(1),
          last.row.value_or(static_cast<int32_t>(rows)),
          last.column.value_or(static_cast<int32_t>(columns))};
}

}  // namespace

std::optional<std::string> SelectionText(host::Application& app) {
  const host::Range selection = app.Selection();
  if (selection.CellCount() == 1) return app.ActiveCell().Text();
  const std::string address = selection.Address(host::ReferenceStyle::kR1C1);
  if (address.find(',') != std::string::npos) return std::nullopt;

  const host::CellRect area = AreaOf(address, selection.RowCount(), selection.ColumnCount());
  host::Worksheet& sheet = app.ActiveSheet();
  std::string text;
  // A cell that holds nothing shows "", so visiting only the cells that hold something reads
  // the same text, in the same order, as reading every cell: a whole column costs what it
  // holds, not its 65,536 rows.
  sheet.ForEachUsedCell(area, [&](const host::CellView& cell) { text += cell.Text(); });
  return text;
}

}  // namespace tarquel::kanjigrade
