// A question bank as a Japanese spreadsheet program writes it: the theme's body font with
// scheme "minor", fonts with family and character set, and furigana (phonetic runs and their
// properties on the sheet, in shared strings and in inline strings) in a small font of its own.
// A save after a command that names fonts and adds formats must leave the untouched fonts as
// they were and keep every phonetic property on the furigana font.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/platform/memory_platform.h"
#include "host/xlsx/font_codec.h"
#include "host/xlsx/package.h"
#include "host/xlsx/xlsx_files.h"
#include "host/xlsx/xml_document.h"
#include "support/host_fixture.h"

namespace tarquel::host::xlsx {
namespace {

constexpr char kBankPath[] = "/home/user/bank.xlsx";
constexpr char kSavedPath[] = "/home/user/saved.xlsx";
constexpr char kBankSheet[] = "ミラヴォ 同音・同訓";
constexpr char kBankPart[] = "xl/worksheets/sheet1.xml";

constexpr char kMain[] = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
constexpr char kRelationshipsNs[] =
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
constexpr char kMarkupCompatibility[] =
    R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" )"
    R"(mc:Ignorable="x14ac" xmlns:x14ac="http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac")";
constexpr char kRelType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// The fonts in the order the program writes them. The furigana font is index 1: a save that
// lays the fonts out anew in the order the cells use them would give index 1 to another font.
std::string StylesPart() {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)") +
         "<styleSheet " + kMain + " " + kMarkupCompatibility + ">" +
         R"(<fonts count="3" x14ac:knownFonts="1">)"
         R"(<font><sz val="11"/><color theme="1"/><name val="游ゴシック"/><family val="2"/>)"
         R"(<charset val="128"/><scheme val="minor"/></font>)"
         R"(<font><sz val="6"/><name val="游ゴシック"/><family val="2"/><charset val="128"/>)"
         R"(<scheme val="minor"/></font>)"
         R"(<font><sz val="12"/><color theme="1"/><name val="ＭＳ 明朝"/><family val="1"/>)"
         R"(<charset val="128"/></font>)"
         R"(</fonts>)"
         R"(<fills count="2"><fill><patternFill patternType="none"/></fill>)"
         R"(<fill><patternFill patternType="gray125"/></fill></fills>)"
         R"(<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>)"
         R"(<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0">)"
         R"(<alignment vertical="center"/></xf></cellStyleXfs>)"
         R"(<cellXfs count="2"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0">)"
         R"(<alignment vertical="center"/></xf>)"
         R"(<xf numFmtId="0" fontId="2" fillId="0" borderId="0" xfId="0" applyFont="1">)"
         R"(<alignment vertical="center"/></xf></cellXfs>)"
         R"(<cellStyles count="1"><cellStyle name="標準" xfId="0" builtinId="0"/></cellStyles>)"
         R"(<dxfs count="0"/><tableStyles count="0" defaultTableStyle="TableStyleMedium2" )"
         R"(defaultPivotStyle="PivotStyleLight16"/></styleSheet>)";
}

// The strings with their furigana: the question in two phonetic runs, the answer with its
// reading centred, and a group mark whose properties alone say how to convert.
std::string SharedStringsPart() {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)") + "<sst " +
         kMain + R"( count="5" uniqueCount="3">)" +
         R"(<si><t>a</t><phoneticPr fontId="1" type="noConversion"/></si>)"
         R"(<si><t>試合に勝つ。</t><rPh sb="0" eb="2"><t>シアイ</t></rPh>)"
         R"(<rPh sb="3" eb="4"><t>カ</t></rPh><phoneticPr fontId="1"/></si>)"
         R"(<si><t>勝</t><rPh sb="0" eb="1"><t>しょう</t></rPh>)"
         R"(<phoneticPr fontId="1" type="Hiragana" alignment="center"/></si>)"
         R"(</sst>)";
}

// Row 2's question is an inline string with its own furigana.
std::string SheetPart() {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)") + "<worksheet " +
         kMain + " " + kRelationshipsNs + " " + kMarkupCompatibility + ">" +
         R"(<dimension ref="C1:E2"/>)"
         R"(<sheetViews><sheetView tabSelected="1" workbookViewId="0"/></sheetViews>)"
         R"(<sheetFormatPr defaultRowHeight="18.75" x14ac:dyDescent="0.4"/>)"
         R"(<sheetData>)"
         R"(<row r="1" spans="3:5" x14ac:dyDescent="0.4"><c r="C1" t="s"><v>0</v></c>)"
         R"(<c r="D1" s="1" t="s"><v>1</v></c><c r="E1" t="s"><v>2</v></c></row>)"
         R"(<row r="2" spans="3:5" x14ac:dyDescent="0.4"><c r="C2" t="s"><v>0</v></c>)"
         R"(<c r="D2" s="1" t="inlineStr"><is><t>大会でカツ。</t><rPh sb="0" eb="2"><t>タイカイ</t>)"
         R"(</rPh><phoneticPr fontId="1" type="noConversion"/></is></c>)"
         R"(<c r="E2" t="s"><v>2</v></c></row>)"
         R"(</sheetData>)"
         R"(<phoneticPr fontId="1" type="noConversion"/>)"
         R"(<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" )"
         R"(footer="0.3"/></worksheet>)";
}

std::string BankPackage() {
  const std::string declaration = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)";
  const std::string types =
      declaration +
      R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
      R"(<Default Extension="rels" )"
      R"(ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
      R"(<Default Extension="xml" ContentType="application/xml"/>)"
      R"(<Override PartName="/xl/workbook.xml" ContentType="application/)"
      R"(vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>)"
      R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/)"
      R"(vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>)"
      R"(<Override PartName="/xl/styles.xml" ContentType="application/)"
      R"(vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"/>)"
      R"(<Override PartName="/xl/sharedStrings.xml" ContentType="application/)"
      R"(vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>)"
      R"(</Types>)";
  auto relationships = [&](const std::vector<std::pair<std::string, std::string>>& targets) {
    std::string xml =
        declaration +
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    int id = 1;
    for (const auto& [type, target] : targets) {
      xml += "<Relationship Id=\"rId" + std::to_string(id++) + "\" Type=\"" + kRelType + type +
             "\" Target=\"" + target + "\"/>";
    }
    return xml + "</Relationships>";
  };
  const std::string workbook =
      declaration + "<workbook " + kMain + " " + kRelationshipsNs + ">" +
      R"(<bookViews><workbookView xWindow="0" yWindow="0" windowWidth="20000" )"
      R"(windowHeight="10000"/></bookViews><sheets>)" +
      "<sheet name=\"" + kBankSheet + R"(" sheetId="1" r:id="rId1"/></sheets></workbook>)";
  PackageWriter writer;
  writer.Add("[Content_Types].xml", types);
  writer.Add("_rels/.rels", relationships({{"officeDocument", "xl/workbook.xml"}}));
  writer.Add("xl/workbook.xml", workbook);
  writer.Add("xl/_rels/workbook.xml.rels", relationships({{"worksheet", "worksheets/sheet1.xml"},
                                                          {"styles", "styles.xml"},
                                                          {"sharedStrings", "sharedStrings.xml"}}));
  writer.Add("xl/worksheets/sheet1.xml", SheetPart());
  writer.Add("xl/styles.xml", StylesPart());
  writer.Add("xl/sharedStrings.xml", SharedStringsPart());
  return writer.Finish();
}

Font FuriganaFont() {
  Font font;
  font.name = "游ゴシック";
  font.size = 6;
  font.family = 2;
  font.charset = 128;
  font.scheme = "minor";
  return font;
}

pugi::xml_document Parsed(const PackageReader& package, const std::string& part) {
  pugi::xml_document doc;
  ParseXml(package.Read(part), part, doc);
  return doc;
}

class BankFontsTest : public testing::HostTest {
 protected:
  BankFontsTest() : files_(platform_) { app_.SetWorkbookFiles(&files_); }

  MemoryPlatform platform_;
  XlsxFiles files_;
};

TEST_F(BankFontsTest, NamedFontsLeaveTheThemeAndFuriganaKeepsItsFont) {
  platform_.AddFile(kBankPath, BankPackage());
  Workbook& book = app_.Workbooks().Open(kBankPath);
  Worksheet& bank = book.Sheets().Item(kBankSheet);
  const std::vector<std::string> cells = {"C1", "D1", "E1", "C2", "D2", "E2"};
  std::vector<CellValue> read;
  for (const std::string& cell : cells) read.push_back(bank.Range(cell).Value());
  ASSERT_TRUE(read[1].IsText() && read[1].text().format());
  ASSERT_TRUE(read[1].text().format()->phonetic_properties);
  ASSERT_EQ(read[1].text().format()->phonetic_properties->font, FuriganaFont())
      << "the file's furigana font as read";

  // A test sheet written before the bank, in a named font the file does not have, and the
  // bank's group marks named and its answers in bold: new fonts join the table.
  Worksheet& test = book.Sheets().Add();
  test.SetName("テスト用紙 【20】");
  test.Range("T2").SetValue("試合にカツ。");
  test.Range("T2").Font().SetName("ＭＳ Ｐゴシック");
  test.Range("T2").Font().SetSize(12);
  bank.Range("C1:C2").Font().SetName("ＭＳ Ｐゴシック");
  bank.Range("E1").Font().SetBold(true);
  files_.Save(book, kSavedPath);

  // The saved parts: every phonetic property names the furigana font of the saved font table,
  // with the conversion and alignment it had.
  const PackageReader saved =
      PackageReader::Open(std::string(platform_.files().at(kSavedPath)), "saved.xlsx");
  const pugi::xml_document styles = Parsed(saved, "xl/styles.xml");
  std::vector<Font> fonts;
  for (pugi::xml_node font : styles.child("styleSheet").child("fonts").children("font")) {
    fonts.push_back(ReadFont(font, FontElement::kStyleFont));
  }
  auto expect_furigana = [&](const pugi::xml_node& properties, const std::string& where) {
    SCOPED_TRACE(where);
    ASSERT_TRUE(properties);
    const uint32_t id = properties.attribute("fontId").as_uint(UINT32_MAX);
    ASSERT_LT(id, fonts.size());
    EXPECT_EQ(fonts[id], FuriganaFont());
  };
  const pugi::xml_document sheet = Parsed(saved, kBankPart);
  const pugi::xml_node sheet_properties = sheet.child("worksheet").child("phoneticPr");
  expect_furigana(sheet_properties, "the sheet's phoneticPr");
  EXPECT_STREQ(sheet_properties.attribute("type").value(), "noConversion");
  const pugi::xml_document strings = Parsed(saved, "xl/sharedStrings.xml");
  int items_with_properties = 0;
  for (pugi::xml_node si : strings.child("sst").children("si")) {
    if (!si.child("phoneticPr")) continue;
    ++items_with_properties;
    expect_furigana(si.child("phoneticPr"), si.child_value("t"));
  }
  EXPECT_EQ(items_with_properties, 3) << "the three shared strings";
  // The file's inline string is not in its shared strings, which are kept as read: it stays in
  // its cell, and its guide names the same font.
  int inline_with_properties = 0;
  for (pugi::xml_node row : sheet.child("worksheet").child("sheetData").children("row")) {
    for (pugi::xml_node c : row.children("c")) {
      const pugi::xml_node is = c.child("is");
      if (!is || !is.child("phoneticPr")) continue;
      EXPECT_STREQ(c.attribute("t").value(), "inlineStr");
      ++inline_with_properties;
      expect_furigana(is.child("phoneticPr"), c.attribute("r").value());
    }
  }
  EXPECT_EQ(inline_with_properties, 1);

  // Read back: the named fonts are fonts of their name, the untouched ones still follow the
  // theme, and the texts come back with their phonetic runs and properties as they were read.
  Workbook& again = app_.Workbooks().Open(kSavedPath);
  Worksheet& bank_again = again.Sheets().Item(kBankSheet);
  const Font named_test = again.Sheets().Item("テスト用紙 【20】").Range("T2").Font().Get();
  EXPECT_EQ(named_test.name, "ＭＳ Ｐゴシック");
  EXPECT_EQ(named_test.size, 12);
  EXPECT_EQ(named_test.scheme, "");
  for (const char* cell : {"C1", "C2"}) {
    SCOPED_TRACE(cell);
    const Font named = bank_again.Range(cell).Font().Get();
    EXPECT_EQ(named.name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(named.scheme, "");
    EXPECT_EQ(named.family, 2) << "what the name does not change stays";
    EXPECT_EQ(named.charset, 128);
  }
  for (const char* cell : {"E1", "E2"}) {
    SCOPED_TRACE(cell);
    const Font themed = bank_again.Range(cell).Font().Get();
    EXPECT_EQ(themed.name, "游ゴシック");
    EXPECT_EQ(themed.scheme, "minor");
  }
  EXPECT_TRUE(bank_again.Range("E1").Font().Bold());
  EXPECT_EQ(bank_again.Range("E2").Font().Get(), bank.Range("E2").Font().Get());
  EXPECT_EQ(bank_again.Range("D1").Font().Get(), bank.Range("D1").Font().Get())
      << "the question's named font";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    SCOPED_TRACE(cells[i]);
    EXPECT_EQ(bank_again.Range(cells[i]).Value(), read[i]) << "text, runs and furigana";
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
