// The two tables a package's cells refer to by index: the style sheet (cell formats) and the
// shared strings (texts). Reading takes them in before the sheets; a save fills them as it writes
// the sheets, the file's formats and texts keeping the indices they had so that the sheet parts
// copied as they were read still refer to the right ones. The style sheet is kept as read when
// nothing was added to it; the shared strings are kept as read whenever the file had them.
#ifndef TARQUEL_HOST_XLSX_CELL_TABLES_H_
#define TARQUEL_HOST_XLSX_CELL_TABLES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/cell_format.h"
#include "host/cell_value.h"
#include "host/workbook.h"
#include "host/xlsx/package_origin.h"
#include "host/xlsx/shared_strings.h"
#include "host/xlsx/styles.h"

namespace tarquel::host::xlsx {

// Reads the style sheet the workbook's relationships name into `styles` and keeps it in
// `origin`; without one, every cell format of the file is the default one. Throws the style
// sheet reader's HostError.
StylesRead ReadStyleSheet(PackageOrigin& origin, StyleTable& styles);

// Reads the shared strings the workbook's relationships name into origin.shared_strings (none
// without such a part). Throws the shared string reader's HostError.
void ReadSharedStringTable(PackageOrigin& origin, const StylesRead& styles);

// A table's part as a save writes it.
struct TablePart {
  std::string name;     // "" when the package has none
  bool copied = false;  // the original's bytes are kept
  std::string bytes;    // written anew, unless copied
};

class CellTables {
 public:
  // `origin`: the package `book` was read from, or null. With `keep`, a table to which nothing
  // was added is kept as the original's part.
  CellTables(const Workbook& book, const PackageOrigin* origin, bool keep);
  CellTables(const CellTables&) = delete;
  CellTables& operator=(const CellTables&) = delete;

  // The indices a cell being written refers to.
  uint32_t XfIndexOf(StyleTable::Id id) { return styles_.XfIndexOf(id); }
  // The index of `text` in the shared strings, or nullopt when the cell is to hold its text
  // itself: a save that keeps the file's table as it was read (a part of megabytes, copied
  // rather than written and compressed anew) writes a text the table does not hold in its cell.
  std::optional<uint32_t> SharedStringIndexOf(const Text& text);
  // The fonts of the phonetic guides of texts written in their cells.
  const StyleFontIndex& StringFontIndex() const { return strings_.font_index(); }

  struct Parts {
    TablePart styles;
    TablePart shared_strings;
  };
  // Both parts once every sheet is written; `copied_sheets` are the sheets whose parts were
  // copied, whose cells use the shared strings too. Call once.
  Parts Finish(const std::vector<const Worksheet*>& copied_sheets);

 private:
  TablePart FinishSharedStrings(const std::vector<const Worksheet*>& copied_sheets);
  TablePart FinishStyles();
  // Whether the save keeps the file's shared strings part as it was read.
  bool KeepsFileStrings() const;

  const PackageOrigin* origin_;
  bool keep_;
  StylesWriter styles_;
  SharedStringTable strings_;
  bool file_strings_kept_ = false;
};

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_CELL_TABLES_H_
