// A save changes only what the command changed: in a workbook written the way other programs write
// them (no page setup, no sheet format, no view, Calibri as the default font, a merge over the
// whole sheet), the sheet parts, comments, styles and shared strings a command did not touch are
// written as the bytes read, a sheet written anew keeps the indices its cells had, and nothing the
// file did not say is added to it.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <pugixml.hpp>

#include "host/platform/memory_platform.h"
#include "host/worksheet_storage.h"
#include "host/xlsx/font_codec.h"
#include "host/xlsx/package.h"
#include "host/xlsx/xlsx_files.h"
#include "host/xlsx/xml_document.h"
#include "support/host_fixture.h"

namespace tarquel::host::xlsx {
namespace {

constexpr char kBank[] = "ミラヴォ 同音・同訓";
constexpr char kCover[] = "表紙";
constexpr char kBankPart[] = "xl/worksheets/sheet1.xml";
constexpr char kCoverPart[] = "xl/worksheets/sheet2.xml";
constexpr char kMain[] = R"(xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
constexpr char kRelationshipsPrefix[] =
    R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")";
constexpr char kSpreadsheetType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
constexpr char kType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Override(const std::string& part, const std::string& type) {
  return "<Override PartName=\"/" + part + "\" ContentType=\"" + kSpreadsheetType + type + "\"/>";
}

std::string Relationship(const std::string& id, const std::string& type,
                         const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kType + type + "\" Target=\"" + target +
         "\"/>";
}

std::string Relationships(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
         "<Relationships "
         "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
         body + "</Relationships>";
}

// A bank and a cover sheet as a program that states only what it must writes them: the sheets
// have no dimension, view, sheet format, margins or page setup; the style sheet's default font is
// Calibri 11 of the theme; the cover is one merged area over the whole sheet.
std::string OtherProgramsWorkbook() {
  PackageWriter package;
  package.Add(
      "[Content_Types].xml",
      std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                  "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                  "<Default Extension=\"rels\" "
                  "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                  "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                  "<Default Extension=\"vml\" "
                  "ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>") +
          Override("xl/workbook.xml", "sheet.main+xml") + Override(kBankPart, "worksheet+xml") +
          Override(kCoverPart, "worksheet+xml") + Override("xl/styles.xml", "styles+xml") +
          Override("xl/sharedStrings.xml", "sharedStrings+xml") +
          Override("xl/comments1.xml", "comments+xml") + "</Types>");
  package.Add("_rels/.rels",
              Relationships(Relationship("rId1", "officeDocument", "xl/workbook.xml")));
  package.Add("xl/workbook.xml", std::string("<workbook ") + kMain + " " + kRelationshipsPrefix +
                                     "><bookViews><workbookView/></bookViews><sheets>"
                                     "<sheet name=\"" +
                                     kBank +
                                     "\" sheetId=\"1\" r:id=\"rId1\"/>"
                                     "<sheet name=\"" +
                                     kCover +
                                     "\" sheetId=\"2\" r:id=\"rId2\"/></sheets></workbook>");
  package.Add("xl/_rels/workbook.xml.rels",
              Relationships(Relationship("rId1", "worksheet", "worksheets/sheet1.xml") +
                            Relationship("rId2", "worksheet", "worksheets/sheet2.xml") +
                            Relationship("rId3", "styles", "styles.xml") +
                            Relationship("rId4", "sharedStrings", "sharedStrings.xml")));
  package.Add(
      "xl/styles.xml",
      std::string("<styleSheet ") + kMain +
          "><numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"&quot;No.&quot;0\"/>"
          "</numFmts><fonts count=\"2\">"
          "<font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/><family val=\"2\"/>"
          "<scheme val=\"minor\"/></font>"
          "<font><sz val=\"12\"/><name val=\"ＭＳ 明朝\"/><family val=\"1\"/><charset val=\"128\"/>"
          "</font></fonts>"
          "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
          "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
          "<borders count=\"2\"><border><left/><right/><top/><bottom/><diagonal/></border>"
          "<border><left style=\"thin\"><color auto=\"1\"/></left><right/><top/><bottom/>"
          "<diagonal/></border></borders>"
          "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
          "</cellStyleXfs><cellXfs count=\"4\">"
          "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
          "<xf numFmtId=\"0\" fontId=\"1\" fillId=\"0\" borderId=\"1\" xfId=\"0\" applyFont=\"1\" "
          "applyBorder=\"1\"/>"
          "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
          "applyNumberFormat=\"1\"/>"
          "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
          "applyAlignment=\"1\"><alignment horizontal=\"center\" vertical=\"center\"/></xf>"
          "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
          "builtinId=\"0\"/>"
          "</cellStyles></styleSheet>");
  package.Add("xl/sharedStrings.xml",
              std::string("<sst ") + kMain +
                  " count=\"6\" uniqueCount=\"6\"><si><t>a</t></si>"
                  "<si><r><t>試合に</t></r><r><rPr><u/><sz val=\"12\"/><rFont val=\"ＭＳ 明朝\"/>"
                  "</rPr><t>カツ</t></r><r><t>。</t></r><rPh sb=\"0\" eb=\"2\"><t>シアイ</t></rPh>"
                  "<phoneticPr fontId=\"1\" type=\"Hiragana\"/></si>"
                  "<si><t>勝</t></si><si><t>b</t></si><si><t>重さをハカル。</t></si>"
                  "<si><t>問題集</t></si></sst>");
  package.Add(kBankPart,
              std::string("<worksheet ") + kMain + " " + kRelationshipsPrefix +
                  "><cols><col min=\"4\" max=\"4\" width=\"40\" customWidth=\"1\"/></cols>"
                  "<sheetData><row r=\"1\"><c r=\"B1\" s=\"2\"><v>1</v></c>"
                  "<c r=\"C1\" t=\"s\"><v>0</v></c><c r=\"D1\" s=\"1\" t=\"s\"><v>1</v></c>"
                  "<c r=\"E1\" s=\"3\" t=\"s\"><v>2</v></c><c r=\"Q1\"><v>2</v></c></row>"
                  "<row r=\"2\"><c r=\"B2\" s=\"2\"><v>2</v></c><c r=\"C2\" t=\"s\"><v>3</v></c>"
                  "<c r=\"D2\" s=\"1\" t=\"s\"><v>4</v></c><c r=\"Q2\"><v>0</v></c></row>"
                  "</sheetData><legacyDrawing r:id=\"rId2\"/></worksheet>");
  package.Add("xl/worksheets/_rels/sheet1.xml.rels",
              Relationships(Relationship("rId1", "comments", "../comments1.xml") +
                            Relationship("rId2", "vmlDrawing", "../drawings/vmlDrawing1.vml")));
  package.Add("xl/comments1.xml",
              std::string("<comments ") + kMain +
                  "><authors><author>作成者</author></authors><commentList>"
                  "<comment ref=\"D1\" authorId=\"0\"><text><t>【重要項目】</t></text></comment>"
                  "</commentList></comments>");
  package.Add("xl/drawings/vmlDrawing1.vml",
              "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
              "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
              "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
              "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" "
              "path=\"m,l,21600r21600,l21600,xe\"><v:stroke joinstyle=\"miter\"/>"
              "<v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/></v:shapetype>"
              "<v:shape id=\"_x0000_s1025\" type=\"#_x0000_t202\" style='position:absolute;"
              "margin-left:187pt;margin-top:1.5pt;width:108pt;height:59.25pt;z-index:1;"
              "visibility:hidden' fillcolor=\"#ffffe1\" o:insetmode=\"auto\">"
              "<v:fill color2=\"#ffffe1\"/><v:textbox/><x:ClientData ObjectType=\"Note\">"
              "<x:MoveWithCells/><x:SizeWithCells/><x:Anchor>4, 15, 0, 2, 6, 15, 4, 16</x:Anchor>"
              "<x:AutoFill>False</x:AutoFill><x:Row>0</x:Row><x:Column>3</x:Column>"
              "</x:ClientData></v:shape></xml>");
  package.Add(kCoverPart, std::string("<worksheet ") + kMain +
                              "><sheetData><row r=\"1\"><c r=\"A1\" s=\"3\" t=\"s\"><v>5</v></c>"
                              "</row></sheetData><mergeCells count=\"1\">"
                              "<mergeCell ref=\"A1:XFD1048576\"/></mergeCells></worksheet>");
  return package.Finish();
}

// Each cell of a sheet part: its reference with its style, type and value as written.
std::map<std::string, std::tuple<std::string, std::string, std::string>> CellsOf(
    const std::string& part_bytes) {
  pugi::xml_document doc;
  doc.load_string(part_bytes.c_str());
  std::map<std::string, std::tuple<std::string, std::string, std::string>> cells;
  for (pugi::xml_node row : doc.child("worksheet").child("sheetData").children("row")) {
    for (pugi::xml_node c : row.children("c")) {
      cells[c.attribute("r").value()] = {c.attribute("s").value(), c.attribute("t").value(),
                                         c.child_value("v")};
    }
  }
  return cells;
}

class UnchangedPartsTest : public testing::HostTest {
 protected:
  UnchangedPartsTest() : files_(platform_), original_(OtherProgramsWorkbook()) {
    app_.SetWorkbookFiles(&files_);
  }

  Workbook& Open() {
    platform_.AddFile("/home/user/bank.xlsx", original_);
    return app_.Workbooks().Open("/home/user/bank.xlsx");
  }

  MemoryPlatform platform_;
  XlsxFiles files_;
  const std::string original_;
};

// The elements a writer would invent, with the host's defaults, for a sheet whose file said none.
constexpr const char* kUnsaid[] = {"dimension",   "sheetViews",   "sheetFormatPr",
                                   "pageMargins", "printOptions", "pageSetup"};

TEST_F(UnchangedPartsTest, ACommandChangesOnlyThePartsItTouched) {
  auto bank = [](Workbook& book) -> Worksheet& { return *book.FindSheet(kBank); };
  auto cover = [](Workbook& book) -> Worksheet& { return *book.FindSheet(kCover); };
  struct Case {
    const char* what;
    std::function<void(Workbook&)> change;
    std::function<bool(Workbook&)> seen;  // on the workbook read back
    std::set<std::string> rewritten;      // parts written anew; the others keep their bytes
    std::set<std::string> changed_cells;  // of the bank sheet
  };
  // A test sheet in front of the bank, as the add-in makes it: new texts and formats, its own page
  // setup.
  auto add_test_sheet = [](Workbook& book) {
    Worksheet& sheet = book.Sheets().Add();
    sheet.SetName("テスト用紙 【20】");
    sheet.Range("T2").SetValue("試合にカツ。");
    sheet.Range("U5").SetValue("氏名");
    sheet.Range("U5").Font().SetBold(true);
    sheet.page_setup().orientation = PageOrientation::kLandscape;
  };
  const std::vector<Case> cases = {
      {"a count in column Q",
       [&](Workbook& b) { bank(b).Range("Q1").SetValue(5); },
       [&](Workbook& b) { return bank(b).Range("Q1").Value() == CellValue(5); },
       {kBankPart},
       {"Q1"}},
      {"a test sheet added",
       add_test_sheet,
       [](Workbook& b) { return b.FindSheet("テスト用紙 【20】") != nullptr; },
       {"[Content_Types].xml", "xl/styles.xml", "xl/sharedStrings.xml"},
       {}},
      {"a test made: the test sheet and the counts",
       [&](Workbook& b) {
         add_test_sheet(b);
         bank(b).Range("Q1").SetValue(3);
         bank(b).Range("Q2").SetValue(1);
       },
       [&](Workbook& b) { return bank(b).Range("Q2").Value() == CellValue(1); },
       {"[Content_Types].xml", "xl/styles.xml", "xl/sharedStrings.xml", kBankPart},
       {"Q1", "Q2"}},
      {"a new text on the cover",
       [&](Workbook& b) { cover(b).Range("A1").SetValue("問題集 2"); },
       [&](Workbook& b) { return cover(b).Range("A1").Value() == CellValue("問題集 2"); },
       {"xl/sharedStrings.xml", kCoverPart},
       {}},
      {"a comment's text",
       [&](Workbook& b) { bank(b).Range("D1").Comment()->SetText("【重要】"); },
       [&](Workbook& b) { return bank(b).Range("D1").Comment()->Text() == "【重要】"; },
       {"xl/comments1.xml", "xl/drawings/vmlDrawing1.vml"},
       {}},
  };
  const PackageReader before = PackageReader::Open(original_, "before");
  const std::map before_bank = CellsOf(before.Read(kBankPart));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workbook& opened = Open();
    c.change(opened);
    opened.SaveAs("/home/user/saved.xlsx");
    const std::string saved = platform_.files().at("/home/user/saved.xlsx");
    const PackageReader after = PackageReader::Open(saved, "after");
    for (const std::string& entry : before.EntryNames()) {
      if (entry == "xl/workbook.xml" || entry == "xl/_rels/workbook.xml.rels") continue;
      ASSERT_TRUE(after.Has(entry)) << entry;
      if (!c.rewritten.contains(entry)) {
        EXPECT_TRUE(after.ReadRaw(entry) == before.ReadRaw(entry)) << entry << " was rewritten";
      }
    }
    for (const char* part : {kBankPart, kCoverPart}) {
      pugi::xml_document sheet;
      sheet.load_string(after.Read(part).c_str());
      for (const char* element : kUnsaid) {
        EXPECT_FALSE(sheet.child("worksheet").child(element)) << part << " got " << element;
      }
    }
    // The bank's cells refer to the styles and texts they did, whatever was written first.
    std::map after_bank = CellsOf(after.Read(kBankPart));
    for (const auto& [cell, written] : before_bank) {
      if (c.changed_cells.contains(cell)) continue;
      EXPECT_EQ(after_bank[cell], written) << cell;
    }

    Workbook& reread = app_.Workbooks().Open("/home/user/saved.xlsx");
    EXPECT_TRUE(c.seen(reread));
    Workbook& as_read = Open();
    for (const char* name : {kBank, kCover}) {
      const Worksheet& x = *as_read.FindSheet(name);
      const Worksheet& y = *reread.FindSheet(name);
      EXPECT_EQ(y.Merges(), x.Merges()) << name;
      EXPECT_EQ(y.default_row_height(), x.default_row_height()) << name;
      EXPECT_EQ(y.page_setup(), x.page_setup()) << name;
      for (int32_t row = 1; row <= 2; ++row) {
        for (int32_t column = 1; column <= 17; ++column) {
          const std::string cell = ColumnName(column) + std::to_string(row);
          if (name == std::string(kBank) && c.changed_cells.contains(cell)) continue;
          if (name == std::string(kCover) && c.rewritten.contains(kCoverPart)) continue;
          const Cell* p = x.FindCell(row, column);
          const Cell* q = y.FindCell(row, column);
          EXPECT_EQ(q ? q->value : CellValue(), p ? p->value : CellValue()) << name << " " << cell;
          EXPECT_EQ(y.EffectiveFormat(row, column), x.EffectiveFormat(row, column))
              << name << " " << cell;
        }
      }
    }
    app_.Workbooks().Close(reread);
    app_.Workbooks().Close(as_read);
  }
}

// Fixed: a merged area over the whole sheet was written as whole rows ("1:1048576"), which other
// programs do not take in a merged cell's reference.
TEST_F(UnchangedPartsTest, AMergeOverTheWholeSheetIsWrittenCornerToCorner) {
  Workbook& opened = Open();
  Worksheet& cover = *opened.FindSheet(kCover);
  cover.Range("A1").SetValue(2);
  for (const auto& [reference, rect] :
       std::vector<std::pair<std::string, CellRect>>{{"A1:XFD1048576", {1, 1, 1048576, 16384}},
                                                     {"A1:XFD1", {1, 1, 1, 16384}},
                                                     {"B1:B1048576", {1, 2, 1048576, 2}}}) {
    SCOPED_TRACE(reference);
    cover.RemoveMergesIntersecting({1, 1, 1048576, 16384});
    cover.AddMerge(rect);
    const PackageReader saved = PackageReader::Open(XlsxFiles::WritePackage(opened), "saved");
    pugi::xml_document sheet;
    sheet.load_string(saved.Read(kCoverPart).c_str());
    EXPECT_STREQ(
        sheet.child("worksheet").child("mergeCells").child("mergeCell").attribute("ref").value(),
        reference.c_str());
    Workbook reread(app_, "reread.xlsx");
    XlsxFiles::ReadPackage(saved.bytes(), "reread.xlsx", reread);
    EXPECT_EQ(reread.FindSheet(kCover)->Merges(), std::vector<CellRect>{rect});
  }
}

// Fixed: a sheet without a page setup got paperSize="9" on every save, and one without a sheet
// format a default row height of 13.5; what a command sets is written, and only that.
TEST_F(UnchangedPartsTest, ThePageSetupAndRowHeightTheFileDidNotStateStayUnstated) {
  struct Case {
    const char* what;
    std::function<void(Worksheet&)> change;
    const char* element;  // written, with these attributes and no others of the host's
    std::vector<std::string> attributes;
  };
  const std::vector<Case> cases = {
      {"landscape",
       [](Worksheet& s) { s.page_setup().orientation = PageOrientation::kLandscape; },
       "pageSetup",
       {"orientation"}},
      {"A3 paper",
       [](Worksheet& s) { s.page_setup().paper_size = kPaperA3; },
       "pageSetup",
       {"paperSize"}},
      {"margins",
       [](Worksheet& s) { s.page_setup().left_margin = 36; },
       "pageMargins",
       {"left", "right", "top", "bottom", "header", "footer"}},
      {"a default row height",
       [](Worksheet& s) { s.set_default_row_height(18); },
       "sheetFormatPr",
       {"defaultRowHeight", "customHeight"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Workbook& opened = Open();
    c.change(*opened.FindSheet(kBank));
    const PackageReader saved = PackageReader::Open(XlsxFiles::WritePackage(opened), "saved");
    pugi::xml_document sheet;
    sheet.load_string(saved.Read(kBankPart).c_str());
    const pugi::xml_node root = sheet.child("worksheet");
    std::vector<std::string> attributes;
    for (pugi::xml_attribute a : root.child(c.element).attributes()) attributes.push_back(a.name());
    EXPECT_EQ(attributes, c.attributes);
    for (const char* element : kUnsaid) {
      if (element != std::string(c.element)) {
        EXPECT_FALSE(root.child(element)) << element;
      }
    }
    Workbook reread(app_, "reread.xlsx");
    XlsxFiles::ReadPackage(saved.bytes(), "reread.xlsx", reread);
    EXPECT_EQ(reread.FindSheet(kBank)->page_setup(), opened.FindSheet(kBank)->page_setup());
    EXPECT_EQ(reread.FindSheet(kBank)->default_row_height(),
              opened.FindSheet(kBank)->default_row_height());
    app_.Workbooks().Close(opened);
  }
}

// Fixed: a page setup the file stated came back with a scale or page order the command had taken
// away, from the original's attributes.
TEST_F(UnchangedPartsTest, APageSettingTakenAwayDoesNotComeBackFromTheFile) {
  Workbook& opened = Open();
  Worksheet& bank = *opened.FindSheet(kBank);
  bank.page_setup().zoom = 80;
  bank.page_setup().order = PageOrder::kOverThenDown;
  const std::string first = XlsxFiles::WritePackage(opened);
  Workbook again(app_, "again.xlsx");
  XlsxFiles::ReadPackage(first, "again.xlsx", again);
  again.FindSheet(kBank)->page_setup().zoom = 100;
  again.FindSheet(kBank)->page_setup().order = PageOrder::kDownThenOver;
  Workbook reread(app_, "reread.xlsx");
  XlsxFiles::ReadPackage(XlsxFiles::WritePackage(again), "reread.xlsx", reread);
  EXPECT_EQ(reread.FindSheet(kBank)->page_setup().zoom, 100);
  EXPECT_EQ(reread.FindSheet(kBank)->page_setup().order, PageOrder::kDownThenOver);
}

// The test sheet the add-in makes is the host's own: its page setup is written whole.
TEST_F(UnchangedPartsTest, ANewSheetIsWrittenWithEverythingItSets) {
  Workbook& opened = Open();
  Worksheet& test = opened.Sheets().Add();
  test.Range("A1").SetValue(1);
  const PackageReader saved = PackageReader::Open(XlsxFiles::WritePackage(opened), "saved");
  std::string part;
  for (const std::string& entry : saved.EntryNames()) {
    if (entry.starts_with("xl/worksheets/sheet") && entry != kBankPart && entry != kCoverPart)
      part = entry;
  }
  ASSERT_FALSE(part.empty());
  pugi::xml_document sheet;
  sheet.load_string(saved.Read(part).c_str());
  EXPECT_STREQ(sheet.child("worksheet").child("pageSetup").attribute("paperSize").value(),
               std::to_string(kPaperA4).c_str());
  EXPECT_TRUE(sheet.child("worksheet").child("sheetFormatPr"));
  EXPECT_TRUE(sheet.child("worksheet").child("pageMargins"));
}

// The style sheet, written anew because a format was added, keeps the file's fonts and formats at
// their indices, Calibri the default among them, and adds the new one after them.
TEST_F(UnchangedPartsTest, AnAddedFormatComesAfterTheFilesOwn) {
  Workbook& opened = Open();
  opened.FindSheet(kBank)->Range("C1").Font().SetItalic(true);
  const PackageReader saved = PackageReader::Open(XlsxFiles::WritePackage(opened), "saved");
  const PackageReader before = PackageReader::Open(original_, "before");
  auto lists = [](const PackageReader& package) {
    pugi::xml_document doc;
    doc.load_string(package.Read("xl/styles.xml").c_str());
    std::vector<Font> fonts;
    for (pugi::xml_node font : doc.child("styleSheet").child("fonts").children("font")) {
      fonts.push_back(ReadFont(font, FontElement::kStyleFont));
    }
    std::vector<std::string> xfs;
    for (pugi::xml_node xf : doc.child("styleSheet").child("cellXfs").children("xf")) {
      xfs.push_back(std::string(xf.attribute("numFmtId").value()) + "/" +
                    xf.attribute("fontId").value() + "/" + xf.attribute("borderId").value());
    }
    return std::pair{fonts, xfs};
  };
  const auto [fonts_before, xfs_before] = lists(before);
  const auto [fonts_after, xfs_after] = lists(saved);
  ASSERT_EQ(fonts_after.size(), fonts_before.size() + 1);
  EXPECT_TRUE(std::equal(fonts_before.begin(), fonts_before.end(), fonts_after.begin()));
  EXPECT_EQ(fonts_after[0].name, "Calibri");
  EXPECT_TRUE(fonts_after.back().italic);
  ASSERT_EQ(xfs_after.size(), xfs_before.size() + 1);
  EXPECT_TRUE(std::equal(xfs_before.begin(), xfs_before.end(), xfs_after.begin()));
  EXPECT_EQ(std::get<0>(CellsOf(saved.Read(kBankPart))["C1"]), std::to_string(xfs_before.size()));
}

}  // namespace
}  // namespace tarquel::host::xlsx
