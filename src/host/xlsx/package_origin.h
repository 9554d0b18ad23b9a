// What a workbook read from a package keeps of it (Workbook::file_origin), so that a save can
// write back, byte for byte where nothing changed, what the host does not model: the package's
// other parts, the workbook part's other elements, sheets of other kinds, defined names other
// than print areas, and the relationships and part names of what it does model.
#ifndef TARQUEL_HOST_XLSX_PACKAGE_ORIGIN_H_
#define TARQUEL_HOST_XLSX_PACKAGE_ORIGIN_H_

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "host/cell_format.h"
#include "host/cell_value.h"
#include "host/file_origin.h"
#include "host/worksheet.h"
#include "host/xlsx/comments_codec.h"
#include "host/xlsx/package.h"
#include "host/xlsx/relationships.h"

namespace tarquel::host::xlsx {

// Where the workbook part is when the package does not say (and where a new workbook's goes).
inline constexpr char kDefaultWorkbookPart[] = "xl/workbook.xml";

// A sheet of a kind the host does not model (a chart sheet, a dialog or macro sheet): its entry
// in the workbook's sheet list, kept in front of the worksheet it stood before (null: at the
// end). Its parts and relationship are carried over unchanged.
struct KeptSheet {
  std::string xml;
  const Worksheet* before = nullptr;
};

// A defined name of the original workbook that the host does not model, with the sheet its
// localSheetId named (a worksheet, or the index of a kept sheet) so the index can follow when
// sheets are added.
struct KeptName {
  std::string xml;
  const Worksheet* sheet = nullptr;
  int kept_sheet = -1;
};

class PackageOrigin : public FileOrigin {
 public:
  explicit PackageOrigin(PackageReader package) : reader(std::move(package)) {}

  PackageReader reader;
  std::string workbook_part;
  pugi::xml_document content_types;
  pugi::xml_document workbook;
  pugi::xml_document styles;
  bool has_styles = false;
  std::vector<Relationship> workbook_relationships;
  std::map<const Worksheet*, std::vector<Relationship>> sheet_relationships;
  std::map<const Worksheet*, CommentDrawing> comment_drawings;  // as read, for their shapes
  std::map<const Worksheet*, std::string> sheet_ids;
  std::vector<KeptName> defined_names;
  std::vector<KeptSheet> kept_sheets;
  std::set<std::string> modelled_parts;  // parts the writer regenerates or drops
  uint64_t fingerprint = 0;              // of the workbook as read
  // What the file's parts said, to tell at saving which of them still say it: a sheet part whose
  // sheet has not changed since, and the style sheet and shared strings when nothing was added to
  // them, are written as the bytes read.
  struct SheetFromFile {
    const FileOrigin* part_origin = nullptr;  // the sheet's own origin, set when it was read
    std::string relationship_id;              // in the workbook's relationships
    uint64_t part_fingerprint = 0;
    uint64_t comments_fingerprint = 0;
    bool active = false;  // the workbook's active sheet then
  };
  std::map<const Worksheet*, SheetFromFile> sheets_from_file;
  std::string styles_part;                // "" when the file had none
  std::vector<StyleTable::Id> xf_styles;  // the style of each of its cell formats
  std::string shared_strings_part;        // "" when the file had none
  std::vector<Text> shared_strings;       // its items, by index

  // The sheet as read from this file, or null for one that was not (a sheet added since, or one
  // that only took the place in memory of a sheet that was).
  const SheetFromFile* FromFile(const Worksheet& sheet) const {
    auto it = sheets_from_file.find(&sheet);
    if (it == sheets_from_file.end() || it->second.part_origin != sheet.file_origin.get() ||
        sheet.file_origin == nullptr) {
      return nullptr;
    }
    return &it->second;
  }
};

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_PACKAGE_ORIGIN_H_
