// A sheet's parts in a package: its worksheet part, the part's relationships, its comments and
// the legacy drawing of their shapes. Reading takes them into a sheet and keeps what a save needs
// in the package origin; a save writes each sheet's parts anew, or keeps the original's bytes of
// those that still say what the sheet holds.
#ifndef TARQUEL_HOST_XLSX_SHEET_PARTS_H_
#define TARQUEL_HOST_XLSX_SHEET_PARTS_H_

#include <string>
#include <vector>

#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/xlsx/cell_tables.h"
#include "host/xlsx/fingerprint.h"
#include "host/xlsx/package_origin.h"
#include "host/xlsx/relationships.h"
#include "host/xlsx/styles.h"

namespace tarquel::host::xlsx {

// Reads the worksheet part `part` names into `sheet`, with its comments and the drawing of their
// shapes, and keeps in `origin` what a save needs of them. The cells refer to `styles` and to
// origin.shared_strings. Throws the sheet and comment readers' HostError.
void ReadSheetParts(const Relationship& part, const StylesRead& styles, PackageOrigin& origin,
                    Worksheet& sheet);

struct WrittenPart {
  std::string name;
  std::string bytes;
};

// What a save writes of the sheets, in the order it writes them.
struct SheetParts {
  std::vector<std::string> sheet_parts;    // by sheet index - 1
  std::vector<std::string> comment_parts;  // kept or written
  std::vector<WrittenPart> written;
  std::vector<std::string> copied;              // parts of the original written as they were read
  std::vector<const Worksheet*> copied_sheets;  // whose worksheet part is copied
  bool any_vml = false;                         // a comments' drawing is written anew
};

// Writes the parts of every sheet of `book`; the cells take their indices from `tables`.
// `origin` is the package the workbook was read from, or null. With `kept_prints` (the workbook's
// fingerprints now), a sheet part and a sheet's comments whose fingerprint is the one read are
// kept as read; without, every part is written anew.
SheetParts WriteSheetParts(const Workbook& book, const PackageOrigin* origin,
                           const WorkbookFingerprints* kept_prints, CellTables& tables);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_SHEET_PARTS_H_
