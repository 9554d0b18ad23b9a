// The writer's tables start from the file's own: the style sheet's lists and the shared strings
// keep the indices the file gave, equal entries of the file each in their own place, and what a
// save adds comes after them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/xlsx/shared_strings.h"
#include "host/xlsx/styles.h"

namespace tarquel::host::xlsx {
namespace {

// Custom number formats with a gap between their ids, two cell formats that are the same, and a
// third fill.
constexpr char kStyles[] =
    R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<numFmts count="2"><numFmt numFmtId="164" formatCode="0.0"/>)"
    R"(<numFmt numFmtId="170" formatCode="&quot;No.&quot;0"/></numFmts>)"
    R"(<fonts count="2"><font><sz val="11"/><name val="Calibri"/><scheme val="minor"/></font>)"
    R"(<font><b/><sz val="12"/><name val="ＭＳ 明朝"/></font></fonts>)"
    R"(<fills count="3"><fill><patternFill patternType="none"/></fill>)"
    R"(<fill><patternFill patternType="gray125"/></fill>)"
    R"(<fill><patternFill patternType="solid"><fgColor rgb="FFFFFF99"/></patternFill></fill>)"
    R"(</fills><borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border>)"
    R"(</borders><cellXfs count="5"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/>)"
    R"(<xf numFmtId="170" fontId="1" fillId="0" borderId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="0" fontId="0" fillId="2" borderId="0" applyFill="1"/>)"
    R"(<xf numFmtId="170" fontId="1" fillId="0" borderId="0" applyNumberFormat="1"/>)"
    R"(<xf numFmtId="164" fontId="0" fillId="0" borderId="0" applyNumberFormat="1"/>)"
    R"(</cellXfs></styleSheet>)";

TEST(KeptIndicesTest, TheStyleSheetKeepsTheFilesIndicesAndAddsAfterThem) {
  pugi::xml_document original;
  ASSERT_TRUE(original.load_string(kStyles));
  StyleTable table;
  const StylesRead read = ReadStyles(original, table);
  ASSERT_EQ(read.cell_styles[1], read.cell_styles[3]) << "the same format twice is one style";

  StylesWriter kept(table, &original, &read.cell_styles);
  for (std::size_t xf : {0u, 1u, 2u, 4u}) {
    EXPECT_EQ(kept.XfIndexOf(read.cell_styles[xf]), xf) << "cell format " << xf;
  }
  EXPECT_EQ(kept.XfIndexOf(read.cell_styles[3]), 1u) << "a format the file has twice: its first";
  EXPECT_FALSE(kept.AddedToOriginal()) << "nothing new: the original part says it all";

  // A new format with a new number format, font and fill.
  CellFormat added = table.Get(read.cell_styles[2]);
  added.number_format = "0.000";
  added.font.italic = true;
  added.fill.foreground = Color::Rgb(0xFFFF0000);
  EXPECT_EQ(kept.XfIndexOf(table.Intern(added)), 5u);
  EXPECT_TRUE(kept.AddedToOriginal());
  pugi::xml_document doc;
  kept.Write(doc);
  const pugi::xml_node sheet = doc.child("styleSheet");
  std::vector<std::string> xfs;
  for (pugi::xml_node xf : sheet.child("cellXfs").children("xf")) {
    xfs.push_back(std::string(xf.attribute("numFmtId").value()) + "/" +
                  xf.attribute("fontId").value() + "/" + xf.attribute("fillId").value());
  }
  EXPECT_EQ(
      xfs, (std::vector<std::string>{"0/0/0", "170/1/0", "0/0/2", "170/1/0", "164/0/0", "171/2/3"}))
      << "a new number format takes the id after the highest";
  std::vector<std::string> codes;
  for (pugi::xml_node format : sheet.child("numFmts").children("numFmt")) {
    codes.push_back(std::string(format.attribute("numFmtId").value()) + " " +
                    format.attribute("formatCode").value());
  }
  EXPECT_EQ(codes, (std::vector<std::string>{"164 0.0", "170 \"No.\"0", "171 0.000"}));

  // The new formats read back from what was written as the formats they were.
  StyleTable again;
  const StylesRead reread = ReadStyles(doc, again);
  ASSERT_EQ(reread.cell_styles.size(), 6u);
  for (std::size_t xf = 0; xf < 5; ++xf) {
    EXPECT_EQ(again.Get(reread.cell_styles[xf]), table.Get(read.cell_styles[xf])) << xf;
  }
  EXPECT_EQ(again.Get(reread.cell_styles[5]), added);

  // Without the file's cell formats, the writer numbers the formats as it meets them.
  StylesWriter fresh(table, &original);
  EXPECT_EQ(fresh.XfIndexOf(read.cell_styles[4]), 1u);
  EXPECT_TRUE(fresh.AddedToOriginal());
}

TEST(KeptIndicesTest, TheSharedStringsKeepTheFilesIndicesAndAddAfterThem) {
  Font underline;
  underline.underline = Underline::kSingle;
  const Text underlined("カツ", TextFormatting{{FontRun{0, 2, underline}}, {}, std::nullopt});
  const std::vector<Text> file = {Text("a"), underlined, Text("勝"), Text("a"), Text("カツ")};
  SharedStringTable table;
  table.KeepFileItems(file);
  EXPECT_EQ(table.file_items(), file.size());
  EXPECT_EQ(table.size(), file.size()) << "a text the file has twice keeps both places";
  EXPECT_EQ(table.Add(Text("勝")), 2u);
  EXPECT_EQ(table.Add(Text("a")), 0u) << "the first of the equal ones";
  EXPECT_EQ(table.Add(Text("カツ")), 4u) << "the plain text is not the underlined one";
  EXPECT_EQ(table.Add(underlined), 1u);
  EXPECT_EQ(table.size(), table.file_items()) << "nothing added";
  EXPECT_EQ(table.Find(Text("氏名")), std::nullopt) << "not added by looking";
  EXPECT_EQ(table.Find(underlined), 1u);
  EXPECT_EQ(table.Add(Text("氏名")), 5u);
  EXPECT_EQ(table.Add(Text("氏名")), 5u);
  EXPECT_EQ(table.Find(Text("氏名")), 5u);
  EXPECT_EQ(table.size(), 6u);
  EXPECT_EQ(table.item(1), underlined);
  EXPECT_EQ(table.item(5), Text("氏名"));
  table.CountUses(10);  // cells of a part copied as it was read
  EXPECT_EQ(table.count_of_uses(), 18u) << "a text found is a use, one not found is not";
}

}  // namespace
}  // namespace tarquel::host::xlsx
