// The workbook part (xl/workbook.xml) and its relationships: the list of sheets with their names,
// visibility and parts, the defined names (a sheet's print area among them) and the active tab.
// Reading fills the workbook's sheet list; writing starts from the original's part, so that its
// other elements stay as they were, and puts the sheets, the names and the active tab in anew.
#ifndef TARQUEL_HOST_XLSX_WORKBOOK_PART_H_
#define TARQUEL_HOST_XLSX_WORKBOOK_PART_H_

#include <cstddef>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/workbook.h"
#include "host/worksheet.h"
#include "host/xlsx/package_origin.h"
#include "host/xlsx/relationships.h"

namespace tarquel::host::xlsx {

// Finds the workbook part through the package's relationships and reads it and its
// relationships into `origin`. Throws HostError saying what is missing, or ParseXml's.
void ReadWorkbookPart(PackageOrigin& origin);

// A sheet of the workbook's list: a worksheet, or the index of a kept sheet in
// PackageOrigin::kept_sheets.
struct ListedSheet {
  Worksheet* worksheet = nullptr;  // set once the worksheet is read
  int kept = -1;
};

// A worksheet's entry in the list, with the relationship that names its part.
struct WorksheetEntry {
  pugi::xml_node entry;
  const Relationship* relationship = nullptr;
};

struct SheetList {
  std::vector<WorksheetEntry> worksheets;  // to read, in the list's order
  std::vector<ListedSheet> listed;         // every sheet of the list, in order
  // By kept sheet: the index in `worksheets` of the worksheet it stands before.
  std::vector<std::size_t> kept_before;
};

// The workbook's sheet list, every sheet's part checked before any is read; the entries of sheets
// of kinds the host does not model go to origin.kept_sheets. Throws HostError naming a sheet whose
// part is missing.
SheetList ReadSheetList(PackageOrigin& origin);

// Adds the sheet of `entry` at the end of `into`, with its name and visibility. Throws HostError
// when the name cannot name a sheet.
Worksheet& AddListedSheet(const WorksheetEntry& entry, PackageOrigin& origin, Workbook& into);

// Once the worksheets of `list` are read (`sheets`, in order): places the kept sheets among them,
// reads the defined names, and activates the sheet the workbook showed. Throws HostError when
// there is no worksheet.
void FinishSheetList(const std::vector<Worksheet*>& sheets, SheetList& list, PackageOrigin& origin,
                     Workbook& into);

// Where the parts the workbook part refers to are written.
struct WorkbookTargets {
  std::string workbook_part;
  std::vector<std::string> sheet_parts;  // by sheet index - 1
  std::string styles_part;
  std::string shared_strings_part;  // "" when the package has none
};

struct WorkbookPartBytes {
  std::string part;
  std::string relationships;
};

// The workbook part of `book` and its relationships. `origin` is the package it was read from, or
// null: its sheets, style sheet and shared strings keep their relationship ids and sheet ids, and
// its kept sheets and defined names their places.
WorkbookPartBytes WriteWorkbookPart(const Workbook& book, const PackageOrigin* origin,
                                    const WorkbookTargets& targets);

// The package's relationships of a new package: its workbook part.
std::string NewPackageRelationships(const std::string& workbook_part);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_WORKBOOK_PART_H_
