// A worksheet part (xl/worksheets/sheetN.xml): cells with their values, formulas and formats,
// rows and columns, merged areas, the sheet view, print options, margins and page setup.
// Reading fills a Worksheet and keeps the part's XML in the sheet's file origin; writing
// regenerates what the host models and puts every other element of the original back in its
// place (conditional formats, data validations, hyperlinks, panes, drawings, extensions ...).
#ifndef TARQUEL_HOST_XLSX_SHEET_CODEC_H_
#define TARQUEL_HOST_XLSX_SHEET_CODEC_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/cell_format.h"
#include "host/cell_value.h"
#include "host/file_origin.h"

namespace tarquel::host {
class Worksheet;
}

namespace tarquel::host::xlsx {

// The original XML of a sheet part, less its cells, which the sheet holds.
class SheetOrigin : public FileOrigin {
 public:
  SheetOrigin(std::string part, pugi::xml_document doc)
      : part_(std::move(part)), doc_(std::move(doc)) {}
  const std::string& part() const { return part_; }
  const pugi::xml_document& doc() const { return doc_; }

 private:
  std::string part_;
  pugi::xml_document doc_;
};

// What a sheet's cells refer to elsewhere in the package.
struct SheetReadContext {
  std::string part;                              // for messages: "xl/worksheets/sheet1.xml"
  const std::vector<StyleTable::Id>* xf_styles;  // by xf index
  const std::vector<Text>* shared_strings;
  const std::vector<Font>* style_fonts;  // phonetic properties of inline strings refer to them
};

// Reads the parsed part into `sheet`. Throws HostError naming the part and the cell for a
// reference outside the sheet, a shared string or style index out of range, or a malformed
// value.
void ReadSheet(pugi::xml_document doc, const SheetReadContext& context, Worksheet& sheet);

// How the writer reaches the workbook-wide tables.
struct SheetWriteContext {
  std::function<uint32_t(StyleTable::Id)> xf_index;
  std::function<uint32_t(const Text&)> shared_string;
  // The relationship id of the sheet's legacy drawing (comments), or "" when it has none.
  std::string legacy_drawing_rid;
  bool tab_selected = false;  // the workbook's active sheet
};

// The worksheet part of `sheet`, as bytes.
std::string WriteSheet(const Worksheet& sheet, const SheetWriteContext& context);

// Cell values written the way files store numbers: the shortest text that reads back as the
// same double.
std::string NumberForFile(double value);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_SHEET_CODEC_H_
