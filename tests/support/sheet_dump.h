// A text picture of a sheet for golden files: every cell that holds a value (address, value,
// and the line under it), then the merged areas and the print area; and the row heights and
// column widths a sheet was given.
#ifndef TARQUEL_TESTS_SUPPORT_SHEET_DUMP_H_
#define TARQUEL_TESTS_SUPPORT_SHEET_DUMP_H_

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "host/range.h"
#include "host/worksheet.h"

namespace tarquel::testing {

inline std::string DumpSheet(host::Worksheet& sheet) {
  std::ostringstream out;
  sheet.ForEachUsedCell(
      {1, 1, sheet.RowCount(), sheet.ColumnCount()}, [&](const host::CellView& cell) {
        if (cell.value().IsEmpty()) return;
        host::Range range = sheet.Cells(cell.row(), cell.column());
        out << range.Address(host::ReferenceStyle::kA1, false) << " " << range.Text() << "\n";
      });
  std::vector<std::string> merges;
  for (const host::CellRect& merge : sheet.Merges()) {
    merges.push_back(host::FormatAddress(merge, host::ReferenceStyle::kA1, false));
  }
  std::sort(merges.begin(), merges.end());
  for (const std::string& merge : merges) out << "merge " << merge << "\n";
  out << "print area " << sheet.PrintArea() << "\n";
  return out.str();
}

// The rows whose height is not the sheet's default, with their heights: what commands that set
// row heights left on the sheet.
inline std::map<int32_t, double> RowHeightsSet(const host::Worksheet& sheet) {
  std::map<int32_t, double> heights;
  for (int32_t row = 1; row <= sheet.RowCount(); ++row) {
    const double height = sheet.RowHeightOf(row);
    if (height != sheet.default_row_height()) heights.emplace(row, height);
  }
  return heights;
}

// The columns whose width is not the sheet's default, with their widths.
inline std::map<int32_t, double> ColumnWidthsSet(const host::Worksheet& sheet) {
  std::map<int32_t, double> widths;
  for (int32_t column = 1; column <= sheet.ColumnCount(); ++column) {
    const double width = sheet.ColumnWidthOf(column);
    if (width != sheet.default_column_width()) widths.emplace(column, width);
  }
  return widths;
}

// Compares `actual` with the golden file tests/<relative>; TARQUEL_UPDATE_GOLDEN=1 rewrites it.
inline void ExpectGolden(const std::string& relative, const std::string& actual) {
  const char* root = std::getenv("TARQUEL_TESTDATA");
  ASSERT_NE(root, nullptr) << "TARQUEL_TESTDATA is not set";
  const std::string path = std::string(root) + "/" + relative;
  if (const char* update = std::getenv("TARQUEL_UPDATE_GOLDEN"); update && *update == '1') {
    std::ofstream(path, std::ios::binary) << actual;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in.good()) << "missing golden file " << path;
  std::stringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(actual, expected.str()) << "golden file " << path;
}

}  // namespace tarquel::testing

#endif  // TARQUEL_TESTS_SUPPORT_SHEET_DUMP_H_
