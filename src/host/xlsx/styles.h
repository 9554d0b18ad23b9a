// The style sheet part (xl/styles.xml): number formats, fonts, fills, borders and the cell
// formats (cellXfs) that cells refer to by index. Reading turns every cell format into the
// workbook's interned CellFormat; writing collects the formats the sheets use, shares their
// fonts, fills, borders and number formats, and keeps the parts of the original style sheet
// the host does not model (named cell styles, differential formats used by conditional
// formatting, table styles, the colour palette, extensions) as they were.
#ifndef TARQUEL_HOST_XLSX_STYLES_H_
#define TARQUEL_HOST_XLSX_STYLES_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

#include "host/cell_format.h"

namespace tarquel::host::xlsx {

// The code of a built-in number format id (0 General, 14 the date, 49 "@", the Japanese
// date and era formats ...), or nullopt for an id that has none.
std::optional<std::string> BuiltInNumberFormat(uint32_t id);

// What reading a style sheet gives: the style id of every cellXfs entry, and the fonts of the
// style sheet (phonetic properties refer to them).
struct StylesRead {
  std::vector<StyleTable::Id> cell_styles;  // index: the file's xf index
  std::vector<Font> fonts;
};

// Reads `doc` (the parsed styles part) into `styles`. The file's first cell format becomes the
// table's default. Throws HostError naming the part for a font, fill, border or number format
// index that does not exist.
StylesRead ReadStyles(const pugi::xml_document& doc, StyleTable& styles);

// Builds the style sheet of a workbook being written.
class StylesWriter {
 public:
  // `original` is the style sheet the workbook was read from (or null): its unmodelled
  // elements are written back unchanged, and its fonts keep their indices (fonts the workbook
  // adds come after them), so that whatever refers to a font by index (a sheet's phonetic
  // properties, a named style) still finds the same font.
  // With `original_xf_styles` (the style of each of the original's cell formats, as ReadStyles
  // gave them), the original's cell formats, number formats, fills and borders keep their
  // indices too, and what the workbook adds comes after them.
  StylesWriter(const StyleTable& styles, const pugi::xml_document* original,
               const std::vector<StyleTable::Id>* original_xf_styles = nullptr);

  // The xf index for a style id; the default style is always index 0.
  uint32_t XfIndexOf(StyleTable::Id id);
  // The font index of `font` in the style sheet (for phonetic properties).
  uint32_t FontIndexOf(const Font& font);

  // The finished style sheet.
  void Write(pugi::xml_document& doc) const;

  // Whether anything was added to the original's lists, kept with their indices: when nothing
  // was, the original part says all the written sheets refer to. True without such an original.
  bool AddedToOriginal() const;

 private:
  template <typename T>
  struct Pool {
    std::vector<T> items;
    uint32_t IndexOf(const T& item);
  };

  // A cell format of the file: the style and the indices of its parts.
  struct Xf {
    StyleTable::Id style;
    uint32_t number_format;
    uint32_t font;
    uint32_t fill;
    uint32_t border;
  };

  uint32_t NumberFormatId(const std::string& code);
  // The lengths of the lists: cell formats, fonts, fills, borders, custom number formats.
  std::array<std::size_t, 5> Sizes() const;

  const StyleTable& styles_;
  const pugi::xml_document* original_;
  std::vector<Font> original_fonts_;  // the original's <fonts>, by index
  std::unordered_map<StyleTable::Id, uint32_t> xf_of_style_;
  std::vector<Xf> xfs_;  // by xf index
  Pool<Font> fonts_;
  Pool<Fill> fills_;
  Pool<CellBorders> borders_;
  std::vector<std::pair<uint32_t, std::string>> custom_number_formats_;
  std::optional<std::array<std::size_t, 5>> original_sizes_;  // when the original's are kept
};

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_STYLES_H_
