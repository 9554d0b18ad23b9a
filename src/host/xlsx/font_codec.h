// Fonts in SpreadsheetML: the <font> elements of the style sheet and the run properties <rPr>
// of rich text share one set of children (b, i, strike, outline, shadow, u, vertAlign, sz,
// color, name or rFont, family, charset, scheme). Colours (<color>, <fgColor>, <bgColor>) are
// read and written here too.
#ifndef TARQUEL_HOST_XLSX_FONT_CODEC_H_
#define TARQUEL_HOST_XLSX_FONT_CODEC_H_

#include <pugixml.hpp>

#include "host/cell_format.h"

namespace tarquel::host::xlsx {

// Which element the children belong to: <font> names the face <name>, <rPr> names it <rFont>.
enum class FontElement { kStyleFont, kRunProperties };

// Reads the children of a <font> or <rPr> element. Children it does not know are ignored.
Font ReadFont(const pugi::xml_node& node, FontElement kind);

// Appends the children for `font` to `node`, in the order the schema gives them.
void WriteFont(const Font& font, FontElement kind, pugi::xml_node node);

// A colour element's attributes (auto, indexed, rgb, theme, tint).
Color ReadColor(const pugi::xml_node& node);
// Sets the attributes of a colour element; an automatic colour is written as auto="1".
void WriteColor(const Color& color, pugi::xml_node node);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_FONT_CODEC_H_
