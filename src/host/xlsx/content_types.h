// The package's [Content_Types].xml: the content type of every part, by extension (Default) or
// by part name (Override). A save starts from the original's and changes only what it must, so
// that the types of the parts the host does not model stay as they were, and keeps the
// original's bytes when nothing changed.
#ifndef TARQUEL_HOST_XLSX_CONTENT_TYPES_H_
#define TARQUEL_HOST_XLSX_CONTENT_TYPES_H_

#include <optional>
#include <string>
#include <vector>

#include "host/xlsx/package_origin.h"

namespace tarquel::host::xlsx {

inline constexpr char kContentTypesPart[] = "[Content_Types].xml";

// Reads the package's content types into origin.content_types. Throws HostError when the package
// has none, or ParseXml's.
void ReadContentTypes(PackageOrigin& origin);

// A spreadsheet part a save writes or keeps, with its type after
// "application/vnd.openxmlformats-officedocument.spreadsheetml." ("worksheet+xml" ...).
struct PartType {
  std::string part;
  std::string type;
};

// The content types of a save: the original's defaults and overrides, less those of the parts
// the host models that are no longer written (a sheet deleted, the calculation chain), plus
// defaults for XML, relationships and, with `vml`, legacy drawings, and overrides for the parts
// in `parts` that have none; a new package's name the workbook part too. Returns nullopt when,
// with `keep`, that is all the original's, whose bytes are then kept.
std::optional<std::string> WriteContentTypes(const PackageOrigin* origin, bool keep,
                                             const std::string& workbook_part,
                                             const std::vector<PartType>& parts, bool vml);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_CONTENT_TYPES_H_
