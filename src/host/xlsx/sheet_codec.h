// A worksheet part (xl/worksheets/sheetN.xml): cells with their values, formulas and formats,
// rows and columns, merged areas, the sheet view, print options, margins and page setup.
// Reading fills a Worksheet and keeps the part's XML in the sheet's file origin; writing
// regenerates what the host models and has changed since reading (the cells always), writes the
// rest as the original had it, and puts every element the host does not model back in its place
// (conditional formats, data validations, hyperlinks, panes, drawings, extensions ...).
#ifndef TARQUEL_HOST_XLSX_SHEET_CODEC_H_
#define TARQUEL_HOST_XLSX_SHEET_CODEC_H_

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "host/cell_format.h"
#include "host/cell_value.h"
#include "host/file_origin.h"
#include "host/page_setup.h"
#include "host/worksheet.h"
#include "host/worksheet_storage.h"
#include "host/xlsx/shared_strings.h"
#include "host/xlsx/xml_pieces.h"

namespace tarquel::host::xlsx {

// What a sheet part said of what the host models outside the cells, as the sheet held it just
// after reading. The writer compares the sheet with it: an element whose settings have not
// changed is written as the file had it, or left out when the file had none, rather than
// regenerated with the host's defaults (a paper size or default row height the file never
// stated would change how other programs show the sheet).
struct SheetAsRead {
  double default_row_height = 0;
  double default_column_width = 0;
  std::map<int32_t, ColumnInfo> columns;
  std::vector<CellRect> merges;
  PageSetup page_setup;
  SheetView view;
  std::vector<CellRect> selection;
  std::pair<int32_t, int32_t> active_cell;
  bool tab_selected = false;  // what the view said: a part saying otherwise is written anew
  std::size_t part_size = 0;  // bytes: about what the sheet written again will take
};

// The original XML of a sheet part, less its cells, which the sheet holds.
class SheetOrigin : public FileOrigin {
 public:
  SheetOrigin(std::string part, pugi::xml_document doc, SheetAsRead as_read)
      : part_(std::move(part)), doc_(std::move(doc)), as_read_(std::move(as_read)) {}
  const std::string& part() const { return part_; }
  const pugi::xml_document& doc() const { return doc_; }
  const SheetAsRead& as_read() const { return as_read_; }

 private:
  std::string part_;
  pugi::xml_document doc_;
  SheetAsRead as_read_;
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
// The same from the part's bytes, parsed a piece of rows at a time (of about `piece_size` bytes)
// so that no DOM of all the cells is ever built; a part that cannot be cut into pieces is parsed
// whole. The errors are ParseXml's and those above.
void ReadSheet(std::string_view bytes, const SheetReadContext& context, Worksheet& sheet,
               std::size_t piece_size = XmlPieces::kPieceSize);

// How the writer reaches the workbook-wide tables.
struct SheetWriteContext {
  std::function<uint32_t(StyleTable::Id)> xf_index;
  // A text's index in the shared strings, or nullopt to write the text in its cell.
  std::function<std::optional<uint32_t>(const Text&)> shared_string;
  // The relationship id of the sheet's legacy drawing (comments), or "" when it has none.
  std::string legacy_drawing_rid;
  // Whether the sheet's tab is selected: the workbook's active sheet's is. A sheet read from a
  // file keeps what its part said until it becomes or stops being the active sheet.
  bool tab_selected = false;
  // The fonts of the phonetic guides of texts written in their cells.
  StyleFontIndex string_font_index;
};

// The worksheet part of `sheet`, as bytes.
std::string WriteSheet(const Worksheet& sheet, const SheetWriteContext& context);

// Cell values written the way files store numbers: the shortest text that reads back as the
// same double.
std::string NumberForFile(double value);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_SHEET_CODEC_H_
