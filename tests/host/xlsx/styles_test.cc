#include "host/xlsx/styles.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/host_error.h"

namespace tarquel::host::xlsx {
namespace {

constexpr char kStyles[] = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<numFmts count="1"><numFmt numFmtId="164" formatCode="&quot;No.&quot;0"/></numFmts>
<fonts count="3">
 <font><sz val="11"/><color theme="1"/><name val="游ゴシック"/><family val="2"/><charset val="128"/><scheme val="minor"/></font>
 <font><b/><u/><sz val="16"/><name val="ＭＳ Ｐゴシック"/></font>
 <font><i val="0"/><strike/><vertAlign val="superscript"/><sz val="7"/><color rgb="FFFF0000"/><name val="ＭＳ 明朝"/></font>
</fonts>
<fills count="3"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>
 <fill><patternFill patternType="solid"><fgColor rgb="FFFFFF00"/><bgColor indexed="64"/></patternFill></fill></fills>
<borders count="2"><border><left/><right/><top/><bottom/><diagonal/></border>
 <border diagonalUp="1"><left style="thin"><color auto="1"/></left><right style="medium"><color indexed="8"/></right><top style="dashed"/><bottom style="double"/><diagonal style="hair"/></border></borders>
<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>
<cellXfs count="4">
 <xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>
 <xf numFmtId="164" fontId="1" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"><alignment horizontal="center" vertical="center" shrinkToFit="1"/></xf>
 <xf numFmtId="49" fontId="2" fillId="2" borderId="1" xfId="0" quotePrefix="1"><alignment vertical="top" textRotation="255" wrapText="1" indent="2"/><protection locked="0" hidden="1"/></xf>
 <xf numFmtId="14" fontId="0" fillId="0" borderId="0" xfId="0"/>
</cellXfs>
<cellStyles count="1"><cellStyle name="標準" xfId="0" builtinId="0"/></cellStyles>
<dxfs count="1"><dxf><font><b/></font></dxf></dxfs>
<tableStyles count="0" defaultTableStyle="TableStyleMedium2" defaultPivotStyle="PivotStyleLight16"/>
<extLst><ext uri="{EB79DEF2-80B8-43e5-95BD-54CBDDF9020C}"><x14:slicerStyles xmlns:x14="http://schemas.microsoft.com/office/spreadsheetml/2009/9/main" defaultSlicerStyle="SlicerStyleLight1"/></ext></extLst>
</styleSheet>)";

pugi::xml_document Parse(const std::string& text) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(text.c_str(), pugi::parse_default | pugi::parse_ws_pcdata));
  return doc;
}

std::string Serialize(const pugi::xml_node& node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw);
  return out.str();
}

TEST(StylesTest, CellFormatsReadWithTheirParts) {
  StyleTable table;
  const StylesRead read = ReadStyles(Parse(kStyles), table);
  ASSERT_EQ(read.cell_styles.size(), 4u);
  EXPECT_EQ(read.cell_styles[0], StyleTable::kDefault);
  EXPECT_EQ(table.Get(StyleTable::kDefault).font.name, "游ゴシック")
      << "the file's first format is the default";
  EXPECT_EQ(table.Get(StyleTable::kDefault).font.color.kind, Color::Kind::kTheme);

  const CellFormat& page_number = table.Get(read.cell_styles[1]);
  EXPECT_EQ(page_number.number_format, "\"No.\"0");
  EXPECT_TRUE(page_number.font.bold);
  EXPECT_EQ(page_number.font.underline, Underline::kSingle);
  EXPECT_EQ(page_number.alignment.horizontal, HorizontalAlignment::kCenter);
  EXPECT_TRUE(page_number.alignment.shrink_to_fit);

  const CellFormat& vertical = table.Get(read.cell_styles[2]);
  EXPECT_EQ(vertical.number_format, "@");
  EXPECT_EQ(vertical.alignment.rotation, kVerticalText);
  EXPECT_EQ(vertical.alignment.vertical, VerticalAlignment::kTop);
  EXPECT_TRUE(vertical.alignment.wrap_text);
  EXPECT_EQ(vertical.alignment.indent, 2);
  EXPECT_FALSE(vertical.font.italic) << "val=\"0\" is off";
  EXPECT_TRUE(vertical.font.strikethrough);
  EXPECT_TRUE(vertical.font.superscript);
  EXPECT_EQ(vertical.font.color, Color::Rgb(0xFFFF0000));
  EXPECT_EQ(vertical.fill.pattern, "solid");
  EXPECT_EQ(vertical.borders.left.style, LineStyle::kContinuous);
  EXPECT_EQ(vertical.borders.right.weight, BorderWeight::kMedium);
  EXPECT_EQ(vertical.borders.top.style, LineStyle::kDash);
  EXPECT_EQ(vertical.borders.bottom.style, LineStyle::kDouble);
  EXPECT_EQ(vertical.borders.diagonal_up.weight, BorderWeight::kHairline);
  EXPECT_TRUE(vertical.borders.diagonal_down.IsNone());
  EXPECT_FALSE(vertical.protection.locked);
  EXPECT_TRUE(vertical.quote_prefix);
  EXPECT_EQ(table.Get(read.cell_styles[3]).number_format, "yyyy/m/d");
}

TEST(StylesTest, WritingAndReadingBackGivesTheSameFormats) {
  StyleTable table;
  const pugi::xml_document original = Parse(kStyles);
  const StylesRead read = ReadStyles(original, table);
  StylesWriter writer(table, &original);
  std::vector<uint32_t> xf;
  for (StyleTable::Id id : {read.cell_styles[3], read.cell_styles[2], read.cell_styles[1]}) {
    xf.push_back(writer.XfIndexOf(id));
  }
  pugi::xml_document written;
  writer.Write(written);
  StyleTable again;
  const StylesRead reread = ReadStyles(Parse(Serialize(written)), again);
  ASSERT_EQ(reread.cell_styles.size(), 4u);
  EXPECT_EQ(again.Get(StyleTable::kDefault), table.Get(StyleTable::kDefault));
  EXPECT_EQ(again.Get(reread.cell_styles[xf[0]]), table.Get(read.cell_styles[3]));
  EXPECT_EQ(again.Get(reread.cell_styles[xf[1]]), table.Get(read.cell_styles[2]));
  EXPECT_EQ(again.Get(reread.cell_styles[xf[2]]), table.Get(read.cell_styles[1]));

  // What the host does not model comes back as it was.
  for (const char* name : {"cellStyleXfs", "cellStyles", "dxfs", "tableStyles", "extLst"}) {
    EXPECT_EQ(Serialize(written.child("styleSheet").child(name)),
              Serialize(original.child("styleSheet").child(name)))
        << name;
  }
  // Built-in number formats keep their ids; others get custom ones.
  const std::string text = Serialize(written);
  EXPECT_NE(text.find("<numFmt numFmtId=\"164\" formatCode=\"&quot;No.&quot;0\"/>"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("numFmtId=\"14\""), std::string::npos);
  EXPECT_NE(
      text.find("<alignment vertical=\"top\" textRotation=\"255\" wrapText=\"1\" indent=\"2\"/>"),
      std::string::npos);
}

TEST(StylesTest, AFreshWorkbookWritesTheRequiredFills) {
  StyleTable table;
  CellFormat format;
  format.borders.bottom = {LineStyle::kContinuous, BorderWeight::kThin, Color::Automatic()};
  StylesWriter writer(table, nullptr);
  EXPECT_EQ(writer.XfIndexOf(StyleTable::kDefault), 0u);
  EXPECT_EQ(writer.XfIndexOf(table.Intern(format)), 1u);
  pugi::xml_document doc;
  writer.Write(doc);
  const std::string text = Serialize(doc);
  EXPECT_NE(text.find("<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
                      "<fill><patternFill patternType=\"gray125\"/></fill></fills>"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("<bottom style=\"thin\"><color auto=\"1\"/></bottom>"), std::string::npos);
  EXPECT_NE(text.find("<cellStyle name=\"標準\" xfId=\"0\" builtinId=\"0\"/>"), std::string::npos);
}

TEST(StylesTest, IndicesOutsideTheTablesAreRefused) {
  for (const char* xf : {R"(<xf numFmtId="0" fontId="7" fillId="0" borderId="0"/>)",
                         R"(<xf numFmtId="0" fontId="0" fillId="9" borderId="0"/>)",
                         R"(<xf numFmtId="0" fontId="0" fillId="0" borderId="3"/>)",
                         R"(<xf numFmtId="200" fontId="0" fillId="0" borderId="0"/>)"}) {
    const std::string text =
        std::string(R"(<styleSheet><fonts><font/></fonts><fills><fill/></fills>)"
                    R"(<borders><border/></borders><cellXfs>)") +
        xf + "</cellXfs></styleSheet>";
    StyleTable table;
    try {
      ReadStyles(Parse(text), table);
      ADD_FAILURE() << "accepted " << xf;
    } catch (const HostError& error) {
      EXPECT_NE(error.description().find("xl/styles.xml"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
