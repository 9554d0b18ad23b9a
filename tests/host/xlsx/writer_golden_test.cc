// Writer golden files: small workbooks built here are saved, and every part of the package, with
// the order of the entries, is compared with a reference under golden/. A change to the writer
// that moves one byte of what it writes shows up as the part it changed.
// TARQUEL_UPDATE_GOLDEN=1 writes the references anew from what the writer gives now.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/platform/memory_platform.h"
#include "host/xlsx/package.h"
#include "host/xlsx/xlsx_files.h"
#include "support/host_fixture.h"
#include "support/sheet_dump.h"

namespace tarquel::host::xlsx {
namespace {

namespace fs = std::filesystem;

constexpr char kGolden[] = "host/xlsx/golden/";

bool UpdatingGolden() {
  const char* update = std::getenv("TARQUEL_UPDATE_GOLDEN");
  return update != nullptr && *update == '1';
}

// Compares the package with golden/<name>/: entries.txt lists its entries in order, and
// parts/ holds each part's bytes under the part's name.
void ExpectGoldenPackage(const std::string& name, const std::string& package) {
  const std::string folder = std::string(kGolden) + name + "/";
  const char* root = std::getenv("TARQUEL_TESTDATA");
  ASSERT_NE(root, nullptr) << "TARQUEL_TESTDATA is not set";
  if (UpdatingGolden()) {
    // A part the writer no longer writes must not linger as a reference.
    fs::remove_all(fs::path(root) / folder);
  }
  const PackageReader reader = PackageReader::Open(package, name);
  std::string entries;
  for (const std::string& entry : reader.EntryNames()) {
    entries += entry + "\n";
    if (entry.ends_with("/")) continue;
    const std::string relative = folder + "parts/" + entry;
    if (UpdatingGolden()) fs::create_directories((fs::path(root) / relative).parent_path());
    SCOPED_TRACE(entry);
    testing::ExpectGolden(relative, reader.Read(entry));
  }
  testing::ExpectGolden(folder + "entries.txt", entries);
}

constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Rels(const std::vector<std::vector<std::string>>& relationships) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (const std::vector<std::string>& r : relationships) {
    xml +=
        "<Relationship Id=\"" + r[0] + "\" Type=\"" + kType + r[1] + "\" Target=\"" + r[2] + "\"/>";
  }
  return xml + "</Relationships>";
}

// A package as another program writes one: a sheet with a formula and a comment, a chart sheet
// between the two worksheets, defined names local to each kind of sheet and one global, a
// calculation chain, a theme and document properties the host does not model.
std::string PackageWithACommentAChartSheetAndNames() {
  const std::string main = std::string("xmlns=\"") + kMain + "\"";
  const std::string r =
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
  const std::string type = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
  auto override_of = [&](const std::string& part, const std::string& content_type) {
    return "<Override PartName=\"/" + part + "\" ContentType=\"" + content_type + "\"/>";
  };
  PackageWriter package;
  package.Add("[Content_Types].xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" "
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Default Extension=\"vml\" "
              "ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>" +
                  override_of("xl/workbook.xml", type + "sheet.main+xml") +
                  override_of("xl/worksheets/sheet1.xml", type + "worksheet+xml") +
                  override_of("xl/worksheets/sheet2.xml", type + "worksheet+xml") +
                  override_of("xl/chartsheets/sheet1.xml", type + "chartsheet+xml") +
                  override_of("xl/theme/theme1.xml",
                              "application/vnd.openxmlformats-officedocument.theme+xml") +
                  override_of("xl/styles.xml", type + "styles+xml") +
                  override_of("xl/sharedStrings.xml", type + "sharedStrings+xml") +
                  override_of("xl/comments1.xml", type + "comments+xml") +
                  override_of("xl/calcChain.xml", type + "calcChain+xml") +
                  override_of("docProps/core.xml",
                              "application/vnd.openxmlformats-package.core-properties+xml") +
                  "</Types>");
  package.Add("_rels/.rels",
              Rels({{"rId1", "officeDocument", "xl/workbook.xml"},
                    {"rId2", "../package/2006/relationships/metadata/core-properties",
                     "docProps/core.xml"}}));
  package.Add("docProps/core.xml",
              "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
              "metadata/core-properties\"><cp:lastModifiedBy>作成者</cp:lastModifiedBy>"
              "</cp:coreProperties>");
  package.Add(
      "xl/workbook.xml",
      "<workbook " + main + " " + r +
          "><fileVersion appName=\"xl\"/><workbookPr defaultThemeVersion=\"124226\"/>"
          "<bookViews><workbookView xWindow=\"0\" yWindow=\"0\" windowWidth=\"1000\" "
          "windowHeight=\"800\" firstSheet=\"0\" activeTab=\"2\"/></bookViews><sheets>"
          "<sheet name=\"問題\" sheetId=\"1\" r:id=\"rId1\"/>"
          "<sheet name=\"グラフ1\" sheetId=\"4\" state=\"hidden\" r:id=\"rId5\"/>"
          "<sheet name=\"表紙\" sheetId=\"2\" r:id=\"rId2\"/></sheets><definedNames>"
          "<definedName name=\"_xlnm.Print_Area\" localSheetId=\"0\">問題!$A$1:$D$10</definedName>"
          "<definedName name=\"見出し\" localSheetId=\"2\">表紙!$A$1</definedName>"
          "<definedName name=\"グラフ範囲\" localSheetId=\"1\">問題!$B$1:$B$2</definedName>"
          "<definedName name=\"全体\">問題!$A$1:$E$2</definedName></definedNames>"
          "<calcPr calcId=\"191029\"/></workbook>");
  package.Add("xl/_rels/workbook.xml.rels", Rels({{"rId1", "worksheet", "worksheets/sheet1.xml"},
                                                  {"rId2", "worksheet", "worksheets/sheet2.xml"},
                                                  {"rId3", "styles", "styles.xml"},
                                                  {"rId4", "sharedStrings", "sharedStrings.xml"},
                                                  {"rId5", "chartsheet", "chartsheets/sheet1.xml"},
                                                  {"rId6", "calcChain", "calcChain.xml"},
                                                  {"rId7", "theme", "theme/theme1.xml"}}));
  package.Add("xl/theme/theme1.xml",
              "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
              "name=\"テーマ\"/>");
  package.Add("xl/styles.xml",
              "<styleSheet " + main +
                  "><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"ＭＳ Ｐゴシック\"/>"
                  "<charset val=\"128\"/></font></fonts><fills count=\"2\"><fill>"
                  "<patternFill patternType=\"none\"/></fill><fill>"
                  "<patternFill patternType=\"gray125\"/></fill></fills><borders count=\"1\">"
                  "<border><left/><right/><top/><bottom/><diagonal/></border></borders>"
                  "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
                  "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" "
                  "fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs></styleSheet>");
  package.Add("xl/sharedStrings.xml",
              "<sst " + main +
                  " count=\"3\" uniqueCount=\"3\"><si><t>試合にカツ。</t></si><si><t>勝</t></si>"
                  "<si><t>問題集</t></si></sst>");
  package.Add("xl/worksheets/sheet1.xml",
              "<worksheet " + main + " " + r +
                  "><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
                  "<c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\"><f>D1*2</f><v>4</v></c>"
                  "<c r=\"D1\"><v>2</v></c></row></sheetData>"
                  "<legacyDrawing r:id=\"rId2\"/></worksheet>");
  package.Add("xl/worksheets/_rels/sheet1.xml.rels",
              Rels({{"rId1", "comments", "../comments1.xml"},
                    {"rId2", "vmlDrawing", "../drawings/vmlDrawing1.vml"}}));
  package.Add("xl/comments1.xml",
              "<comments " + main +
                  "><authors><author>作成者</author></authors><commentList>"
                  "<comment ref=\"B1\" authorId=\"0\"><text><t>読みは「かつ」</t></text>"
                  "</comment></commentList></comments>");
  package.Add("xl/drawings/vmlDrawing1.vml",
              "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
              "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
              "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
              "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" "
              "path=\"m,l,21600r21600,l21600,xe\"><v:stroke joinstyle=\"miter\"/>"
              "<v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/></v:shapetype>"
              "<v:shape id=\"_x0000_s1025\" type=\"#_x0000_t202\" style='position:absolute;"
              "margin-left:107pt;margin-top:1.5pt;width:108pt;height:59.25pt;z-index:1;"
              "visibility:hidden' fillcolor=\"#ffffe1\" o:insetmode=\"auto\">"
              "<v:fill color2=\"#ffffe1\"/><v:textbox/><x:ClientData ObjectType=\"Note\">"
              "<x:MoveWithCells/><x:SizeWithCells/><x:Anchor>2, 15, 0, 2, 4, 15, 4, 16</x:Anchor>"
              "<x:AutoFill>False</x:AutoFill><x:Row>0</x:Row><x:Column>1</x:Column>"
              "</x:ClientData></v:shape></xml>");
  package.Add("xl/worksheets/sheet2.xml",
              "<worksheet " + main +
                  "><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>2</v></c></row>"
                  "</sheetData></worksheet>");
  package.Add("xl/chartsheets/sheet1.xml",
              "<chartsheet " + main +
                  "><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews></chartsheet>");
  package.Add("xl/calcChain.xml", "<calcChain " + main + "><c r=\"C1\" i=\"1\"/></calcChain>");
  return package.Finish();
}

class WriterGoldenTest : public testing::HostTest {
 protected:
  WriterGoldenTest() : files_(platform_) { app_.SetWorkbookFiles(&files_); }

  Workbook& OpenPackage(const std::string& path) {
    platform_.AddFile(path, PackageWithACommentAChartSheetAndNames());
    return app_.Workbooks().Open(path);
  }

  MemoryPlatform platform_;
  XlsxFiles files_;
};

TEST_F(WriterGoldenTest, ANewWorkbookWithTwoSheetsAndAPrintArea) {
  sheet_->SetName("一覧");
  sheet_->Range("A1").SetValue("漢字");
  sheet_->Range("B1").SetValue(12);
  sheet_->Range("A2").SetValue("ミラヴォ");
  sheet_->Range("A2").Font().SetBold(true);
  sheet_->Range("B1").AddComment("点数");
  Worksheet& print = book_->Sheets().Add();
  print.SetName("印刷 用");
  print.Range("A1").SetValue("漢字");
  print.Range("C5").SetValue(3.5);
  print.SetPrintArea("A1:C5,E1:F2");
  sheet_->Activate();
  ExpectGoldenPackage("new_two_sheets", XlsxFiles::WritePackage(*book_));
}

// A workbook read from a package, changed or not, saved in each way the writer knows.
TEST_F(WriterGoldenTest, AWorkbookReadFromAPackage) {
  struct Case {
    const char* name;
    std::function<void(Workbook&)> change;
    XlsxFiles::WriteMode mode;
  };
  const std::vector<Case> cases = {
      {"read_one_cell_changed",
       [](Workbook& book) { book.Sheets().Item("表紙").Range("B2").SetValue(7); },
       XlsxFiles::WriteMode::kKeepUnchangedFile},
      // A new sheet takes new ids and part names; the comment leaves the sheet it was on, so its
      // parts and their content types go; a new text makes the shared strings written anew.
      {"read_sheet_added_comment_moved",
       [](Workbook& book) {
         Worksheet& added = book.Sheets().Add();
         added.Range("A1").AddComment("新しいメモ");
         added.SetPrintArea("A1:B3");
         book.Sheets().Item("問題").Range("B1").ClearComments();
         book.Sheets().Item("表紙").Range("A2").SetValue("新しい文");
       },
       XlsxFiles::WriteMode::kKeepUnchangedFile},
      {"read_regenerated", [](Workbook&) {}, XlsxFiles::WriteMode::kRegenerate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Workbook& book = OpenPackage(std::string("/home/user/") + c.name + ".xlsx");
    c.change(book);
    ExpectGoldenPackage(c.name, XlsxFiles::WritePackage(book, c.mode));
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
