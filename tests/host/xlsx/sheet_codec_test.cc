#include "host/xlsx/sheet_codec.h"

#include <gtest/gtest.h>

#include <sstream>

#include "host/xlsx/shared_strings.h"
#include "host/xlsx/styles.h"
#include "support/host_fixture.h"

namespace tarquel::host::xlsx {
namespace {

using testing::HostErrorOf;

std::string Serialize(const pugi::xml_node& node) {
  std::ostringstream out;
  node.print(out, "", pugi::format_raw);
  return out.str();
}

pugi::xml_document Parse(const std::string& text) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(text.c_str(), pugi::parse_default | pugi::parse_ws_pcdata)) << text;
  return doc;
}

// Writes a sheet with its workbook's styles and strings, and reads it into a fresh workbook's
// sheet, as a save and a later open do.
class SheetRoundTrip : public testing::HostTest {
 protected:
  Worksheet& WriteAndRead(Worksheet& sheet) {
    StylesWriter styles(sheet.workbook().styles(), nullptr);
    SharedStringTable strings;
    SheetWriteContext write{
        [&](StyleTable::Id id) { return styles.XfIndexOf(id); },
        [&](const Text& text) { return static_cast<uint32_t>(strings.Add(text)); },
        "",
        true,
        {}};
    written_ = WriteSheet(sheet, write);
    pugi::xml_document styles_part;
    styles.Write(styles_part);
    Workbook& book = app_.Workbooks().Add();
    read_styles_ = ReadStyles(Parse(Serialize(styles_part)), book.styles());
    strings_.clear();
    for (std::size_t i = 0; i < strings.size(); ++i) strings_.push_back(strings.item(i));
    Worksheet& copy = book.ActiveSheet();
    ReadSheet(
        Parse(written_),
        {"xl/worksheets/sheet1.xml", &read_styles_.cell_styles, &strings_, &read_styles_.fonts},
        copy);
    return copy;
  }

  std::string written_;
  StylesRead read_styles_;
  std::vector<Text> strings_;
};

TEST_F(SheetRoundTrip, CellsFormatsAndLayoutComeBack) {
  Worksheet& sheet = *sheet_;
  sheet.Range("D1").SetValue("試合にカツ。");
  sheet.Range("D1").Characters(4, 2).Font().SetUnderline(Underline::kSingle);
  sheet.Range("D1").SetPhoneticRuns({{0, 2, "しあい"}});
  sheet.Range("Q1").SetValue(3);
  sheet.Range("Q2").SetValue(0.1);
  sheet.Range("R1").SetValue(true);
  sheet.Range("U1").SetNumberFormatLocal("\"No.\"0");
  sheet.Range("U1").SetValue(12);
  sheet.Range("A3:T3").SetOrientation(Orientation::kVertical);
  sheet.Range("A3:T3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
  sheet.Range("F5:H5").Merge();
  sheet.Rows(2).SetRowHeight(190);
  sheet.Columns("A:T").SetColumnWidth(6.4);
  sheet.CellAt(1000000, 3).value = CellValue("見えない行");  // beyond the add-in's rows
  sheet.CellAt(5, 300).value = CellValue("見えない列");
  sheet.page_setup().orientation = PageOrientation::kLandscape;
  sheet.page_setup().left_margin = 12.24;
  sheet.view().show_gridlines = false;
  sheet.Range("K3").Select();

  Worksheet& copy = WriteAndRead(sheet);
  EXPECT_EQ(copy.Range("D1").Value(), sheet.Range("D1").Value()) << "text, runs and phonetics";
  EXPECT_EQ(copy.Range("D1").Characters(4, 1).Font().Underline(), Underline::kSingle);
  EXPECT_EQ(copy.Range("Q1").Value().number(), 3);
  EXPECT_EQ(copy.Range("Q2").Value().number(), 0.1);
  EXPECT_TRUE(copy.Range("R1").Value().boolean());
  EXPECT_EQ(copy.Range("U1").Text(), "No.12");
  EXPECT_EQ(copy.Range("K3").Orientation(), Orientation::kVertical);
  EXPECT_EQ(copy.Range("K2").Borders(BorderIndex::kEdgeBottom).LineStyle(), LineStyle::kContinuous);
  EXPECT_EQ(copy.Range("G5").MergeArea().Address(), "$F$5:$H$5");
  EXPECT_DOUBLE_EQ(copy.Rows(2).RowHeight(), 190);
  EXPECT_DOUBLE_EQ(copy.Range("T9").ColumnWidth(), 6.4);
  EXPECT_EQ(copy.FindCell(1000000, 3)->value.AsText(), "見えない行");
  EXPECT_EQ(copy.FindCell(5, 300)->value.AsText(), "見えない列");
  EXPECT_EQ(copy.page_setup(), sheet.page_setup());
  EXPECT_FALSE(copy.view().show_gridlines);
  EXPECT_EQ(copy.active_cell(), (std::pair<int32_t, int32_t>{3, 11}));
  EXPECT_NE(written_.find("<dimension ref=\"A1:KN1000000\"/>"), std::string::npos) << written_;
}

TEST_F(SheetRoundTrip, ElementsTheHostDoesNotModelStayInTheirPlace) {
  const std::string original =
      R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
      R"(<sheetPr><tabColor rgb="FFFF0000"/></sheetPr><dimension ref="A1:B2"/>)"
      R"(<sheetViews><sheetView workbookViewId="0"><pane ySplit="1" topLeftCell="A2" activePane="bottomLeft" state="frozen"/>)"
      R"(<selection pane="bottomLeft" activeCell="A2" sqref="A2"/></sheetView></sheetViews>)"
      R"(<sheetFormatPr defaultRowHeight="18.75"/><cols><col min="2" max="3" width="12" customWidth="1" outlineLevel="1"/></cols>)"
      R"(<sheetData><row r="1" spans="1:2" outlineLevel="1"><c r="A1" t="s"><v>0</v></c><c r="B1"><f>A1&amp;"x"</f><v>0</v></c></row>)"
      R"(<row r="2" ht="30" customHeight="1"><c r="A2"><v>2.5</v></c></row></sheetData>)"
      R"(<conditionalFormatting sqref="A1:A9"><cfRule type="cellIs" dxfId="0" priority="1" operator="greaterThan"><formula>1</formula></cfRule></conditionalFormatting>)"
      R"(<dataValidations count="1"><dataValidation type="list" sqref="B2"><formula1>"a,b"</formula1></dataValidation></dataValidations>)"
      R"(<hyperlinks><hyperlink ref="A1" r:id="rId1"/></hyperlinks>)"
      R"(<printOptions gridLinesSet="0"/>)"
      R"(<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/>)"
      R"(<pageSetup paperSize="9" orientation="portrait" r:id="rId2"/>)"
      R"(<drawing r:id="rId3"/><extLst><ext uri="{x}"><y/></ext></extLst></worksheet>)";
  std::vector<Text> strings{Text("見出し")};
  std::vector<StyleTable::Id> styles{StyleTable::kDefault};
  std::vector<Font> fonts;
  ReadSheet(Parse(original), {"xl/worksheets/sheet1.xml", &styles, &strings, &fonts}, *sheet_);
  EXPECT_EQ(sheet_->Range("A1").Value().AsText(), "見出し");
  EXPECT_EQ(sheet_->Range("B1").Value().AsText(), "0");
  EXPECT_TRUE(sheet_->Range("B1").HasFormula());
  EXPECT_DOUBLE_EQ(sheet_->Range("A9").RowHeight(), 18.75);
  sheet_->Range("A2").SetValue(7);

  SharedStringTable table;
  const std::string written =
      WriteSheet(*sheet_, {[](StyleTable::Id) { return 0u; },
                           [&](const Text& text) { return static_cast<uint32_t>(table.Add(text)); },
                           "",
                           false,
                           {}});
  const pugi::xml_document part = Parse(written);
  std::vector<std::string> order;
  for (pugi::xml_node child : part.child("worksheet").children()) order.push_back(child.name());
  EXPECT_EQ(order, (std::vector<std::string>{"sheetPr", "dimension", "sheetViews", "sheetFormatPr",
                                             "cols", "sheetData", "conditionalFormatting",
                                             "dataValidations", "hyperlinks", "printOptions",
                                             "pageMargins", "pageSetup", "drawing", "extLst"}));
  const pugi::xml_document before = Parse(original);
  for (const char* name :
       {"sheetPr", "conditionalFormatting", "dataValidations", "hyperlinks", "drawing", "extLst"}) {
    EXPECT_EQ(Serialize(part.child("worksheet").child(name)),
              Serialize(before.child("worksheet").child(name)))
        << name;
  }
  EXPECT_NE(written.find("<pane ySplit=\"1\""), std::string::npos) << "the frozen pane stays";
  EXPECT_NE(written.find("r:id=\"rId2\""), std::string::npos) << "the printer settings stay";
  EXPECT_NE(written.find("<printOptions gridLinesSet=\"0\"/>"), std::string::npos);
  EXPECT_NE(written.find("outlineLevel=\"1\""), std::string::npos);
  EXPECT_NE(written.find("<c r=\"B1\"><f>A1&amp;\"x\"</f><v>0</v></c>"), std::string::npos)
      << written;
  EXPECT_NE(written.find("<c r=\"A2\"><v>7</v></c>"), std::string::npos);
}

TEST_F(SheetRoundTrip, BrokenReferencesAreRefusedWithThePlace) {
  struct Case {
    const char* cell;
    const char* expected;
  };
  const Case cases[] = {
      {R"(<c r="XFE1"><v>1</v></c>)", "XFE1"},
      {R"(<c r="A1" s="9"><v>1</v></c>)", "書式番号 9"},
      {R"(<c r="A1" t="s"><v>5</v></c>)", "共有文字列番号「5」"},
      {R"(<c r="A1"><v>abc</v></c>)", "数値「abc」"},
      {R"(<c r="B2"><v>1</v></c>)", "B2"},
  };
  for (const Case& c : cases) {
    const std::string xml = std::string(R"(<worksheet><sheetData><row r="1">)") + c.cell +
                            "</row></sheetData></worksheet>";
    std::vector<Text> strings{Text("a")};
    std::vector<StyleTable::Id> styles{StyleTable::kDefault};
    Workbook& book = app_.Workbooks().Add();
    try {
      ReadSheet(Parse(xml), {"xl/worksheets/sheet1.xml", &styles, &strings, nullptr},
                book.ActiveSheet());
      ADD_FAILURE() << "accepted " << c.cell;
    } catch (const HostError& error) {
      EXPECT_NE(error.description().find(c.expected), std::string::npos) << error.description();
      EXPECT_NE(error.description().find("xl/worksheets/sheet1.xml"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
