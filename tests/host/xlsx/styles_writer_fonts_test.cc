// The style sheet written for a workbook read from a file keeps the file's fonts where they were:
// sheets and strings name fonts by index, and a save must not move one under them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/xlsx/font_codec.h"
#include "host/xlsx/styles.h"

namespace tarquel::host::xlsx {
namespace {

std::vector<Font> FontsOf(const pugi::xml_document& doc) {
  std::vector<Font> fonts;
  for (pugi::xml_node font : doc.child("styleSheet").child("fonts").children("font")) {
    fonts.push_back(ReadFont(font, FontElement::kStyleFont));
  }
  return fonts;
}

TEST(StylesWriterFontsTest, TheFilesFontsKeepTheirIndicesAndNewOnesComeAfter) {
  // The theme font twice (programs do write a font again), the furigana font, and a font no
  // cell format uses.
  pugi::xml_document original;
  ASSERT_TRUE(original.load_string(
      R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
      R"(<fonts count="4">)"
      R"(<font><sz val="11"/><name val="游ゴシック"/><family val="2"/><scheme val="minor"/></font>)"
      R"(<font><sz val="11"/><name val="游ゴシック"/><family val="2"/><scheme val="minor"/></font>)"
      R"(<font><sz val="6"/><name val="游ゴシック"/><family val="2"/><scheme val="minor"/></font>)"
      R"(<font><b/><sz val="14"/><name val="ＭＳ 明朝"/><family val="1"/></font>)"
      R"(</fonts><fills count="2"><fill><patternFill patternType="none"/></fill>)"
      R"(<fill><patternFill patternType="gray125"/></fill></fills>)"
      R"(<borders count="1"><border/></borders>)"
      R"(<cellXfs count="2"><xf numFmtId="0" fontId="1" fillId="0" borderId="0"/>)"
      R"(<xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellXfs></styleSheet>)"));
  const std::vector<Font> file_fonts = FontsOf(original);
  StyleTable table;
  ReadStyles(original, table);

  // A format of the workbook's own in a font the file does not have.
  CellFormat added;
  added.font.name = "ＭＳ Ｐゴシック";
  added.font.size = 12;
  const StyleTable::Id added_id = table.Intern(added);

  StylesWriter writer(table, &original);
  const uint32_t added_xf = writer.XfIndexOf(added_id);
  EXPECT_EQ(writer.FontIndexOf(file_fonts[2]), 2u) << "the furigana font";
  pugi::xml_document written;
  writer.Write(written);
  const std::vector<Font> fonts = FontsOf(written);
  ASSERT_EQ(fonts.size(), file_fonts.size() + 1);
  for (std::size_t i = 0; i < file_fonts.size(); ++i) {
    EXPECT_EQ(fonts[i], file_fonts[i]) << "font " << i;
  }
  EXPECT_EQ(fonts.back(), added.font);
  // The added format names the added font.
  const pugi::xml_node xf =
      written.child("styleSheet").child("cellXfs").find_child_by_attribute("xf", "fontId", "4");
  ASSERT_TRUE(xf);
  std::size_t index = 0;
  for (pugi::xml_node n = xf.previous_sibling("xf"); n; n = n.previous_sibling("xf")) ++index;
  EXPECT_EQ(index, added_xf);
}

}  // namespace
}  // namespace tarquel::host::xlsx
