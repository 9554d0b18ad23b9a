// Workbooks written the way other kinds of programs write them open, keep a command's change on
// saving and read back the same in everything else. Each package is built here, part by part,
// in the shape such programs give it: formulas left for the reader to calculate, formula results
// cached without their type, and every part's namespaces bound to prefixes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <pugixml.hpp>

#include "host/platform/memory_platform.h"
#include "host/worksheet_storage.h"
#include "host/xlsx/package.h"
#include "host/xlsx/xlsx_files.h"
#include "support/host_fixture.h"

namespace tarquel::host::xlsx {
namespace {

using ::testing::HasSubstr;

constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kOfficeRelationships[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr char kPackageRelationships[] =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kContentTypes[] = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr char kX14[] = "http://schemas.microsoft.com/office/spreadsheetml/2009/9/main";

// `xml` with {M}, {OR}, {PR}, {CT} and {T} (the relationship types' stem) spelt out.
std::string Spelt(std::string xml) {
  const std::pair<const char*, std::string> kNames[] = {
      {"{M}", kMain},
      {"{OR}", kOfficeRelationships},
      {"{PR}", kPackageRelationships},
      {"{CT}", kContentTypes},
      {"{X14}", kX14},
      {"{T}", std::string(kOfficeRelationships) + "/"},
      {"{S}", "application/vnd.openxmlformats-officedocument.spreadsheetml."},
  };
  for (const auto& [name, text] : kNames) {
    for (std::size_t at; (at = xml.find(name)) != std::string::npos;) {
      xml.replace(at, std::string(name).size(), text);
    }
  }
  return xml;
}

using Parts = std::vector<std::pair<std::string, std::string>>;

std::string Package(const Parts& parts) {
  PackageWriter writer;
  for (const auto& [name, xml] : parts) writer.Add(name, Spelt(xml));
  return writer.Finish();
}

// A one-sheet workbook as the Python library writes it, with the sheet's data and shared strings
// given: formulas without cached values, absolute relationship targets, r declared on the sheet
// entry.
Parts PythonLibraryWorkbook(const std::string& sheet_data, const std::string& strings) {
  return {
      {"[Content_Types].xml",
       "<Types xmlns=\"{CT}\"><Default Extension=\"rels\" "
       "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
       "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
       "<Override PartName=\"/xl/workbook.xml\" ContentType=\"{S}sheet.main+xml\"/>"
       "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"{S}worksheet+xml\"/>"
       "<Override PartName=\"/xl/styles.xml\" ContentType=\"{S}styles+xml\"/>"
       "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"{S}sharedStrings+xml\"/>"
       "</Types>"},
      {"_rels/.rels",
       "<Relationships xmlns=\"{PR}\"><Relationship Id=\"rId1\" Type=\"{T}officeDocument\" "
       "Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml",
       "<workbook xmlns=\"{M}\"><workbookPr/><workbookProtection/><bookViews><workbookView "
       "visibility=\"visible\" minimized=\"0\" showHorizontalScroll=\"1\" showVerticalScroll=\"1\" "
       "showSheetTabs=\"1\" tabRatio=\"600\" firstSheet=\"0\" activeTab=\"0\" "
       "autoFilterDateGrouping=\"1\"/></bookViews><sheets><sheet xmlns:r=\"{OR}\" name=\"集計\" "
       "sheetId=\"1\" state=\"visible\" r:id=\"rId1\"/></sheets><definedNames/>"
       "<calcPr calcId=\"124519\" fullCalcOnLoad=\"1\"/></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"{PR}\"><Relationship Id=\"rId1\" Type=\"{T}worksheet\" "
       "Target=\"/xl/worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"{T}styles\" "
       "Target=\"/xl/styles.xml\"/><Relationship Id=\"rId3\" Type=\"{T}sharedStrings\" "
       "Target=\"/xl/sharedStrings.xml\"/></Relationships>"},
      {"xl/styles.xml",
       "<styleSheet xmlns=\"{M}\"><numFmts count=\"0\"/><fonts count=\"1\"><font><name "
       "val=\"Calibri\"/><family val=\"2\"/><color theme=\"1\"/><sz val=\"11\"/><scheme "
       "val=\"minor\"/></font></fonts><fills count=\"2\"><fill><patternFill/></fill><fill>"
       "<patternFill patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border><left/>"
       "<right/><top/><bottom/><diagonal/></border></borders><cellStyleXfs count=\"1\"><xf "
       "numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs "
       "count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" pivotButton=\"0\" "
       "quotePrefix=\"0\" xfId=\"0\"/><xf numFmtId=\"2\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
       "applyNumberFormat=\"1\" pivotButton=\"0\" quotePrefix=\"0\" xfId=\"0\"/></cellXfs>"
       "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\" "
       "hidden=\"0\"/></cellStyles><tableStyles count=\"0\" "
       "defaultTableStyle=\"TableStyleMedium9\" "
       "defaultPivotStyle=\"PivotStyleLight16\"/></styleSheet>"},
      {"xl/sharedStrings.xml", "<sst xmlns=\"{M}\">" + strings + "</sst>"},
      {"xl/worksheets/sheet1.xml",
       "<worksheet xmlns=\"{M}\"><sheetPr><outlinePr summaryBelow=\"1\" summaryRight=\"1\"/>"
       "<pageSetUpPr/></sheetPr><dimension ref=\"A1:D9\"/><sheetViews><sheetView "
       "workbookViewId=\"0\"><selection activeCell=\"A1\" sqref=\"A1\"/></sheetView></sheetViews>"
       "<sheetFormatPr baseColWidth=\"8\" defaultRowHeight=\"15\"/><sheetData>" +
           sheet_data +
           "</sheetData><pageMargins left=\"0.75\" right=\"0.75\" top=\"1\" bottom=\"1\" "
           "header=\"0.5\" footer=\"0.5\"/></worksheet>"},
  };
}

// The first difference between two workbooks in what their cells hold and show, their rows,
// columns, merges, comments and pages; "" when there is none.
std::string FirstDifference(const Workbook& a, const Workbook& b) {
  if (a.SheetCount() != b.SheetCount()) return "the number of sheets";
  for (int index = 1; index <= a.SheetCount(); ++index) {
    const Worksheet& x = a.SheetAt(index);
    const Worksheet& y = b.SheetAt(index);
    const std::string sheet = x.Name() + ": ";
    if (x.Name() != y.Name()) return sheet + "the name";
    std::set<std::pair<int32_t, int32_t>> cells;
    for (const Worksheet* s : {&x, &y}) {
      s->ForEachCell({1, 1, std::max(1, s->LastRowWithCells()), kSheetColumns},
                     [&](int32_t row, const Cell& cell) {
                       cells.insert({row, cell.column});
                     });
    }
    for (const auto& [row, column] : cells) {
      const Cell* p = x.FindCell(row, column);
      const Cell* q = y.FindCell(row, column);
      const std::string place = sheet + std::to_string(row) + "," + std::to_string(column) + " ";
      if ((p ? p->value : CellValue()) != (q ? q->value : CellValue())) return place + "value";
      const bool p_formula = p && p->formula, q_formula = q && q->formula;
      if (p_formula != q_formula || (p_formula && !(*p->formula == *q->formula)))
        return place + "formula";
      if ((p && p->show_phonetic) != (q && q->show_phonetic)) return place + "phonetic guide";
      if (!(x.EffectiveFormat(row, column) == y.EffectiveFormat(row, column)))
        return place + "format";
    }
    if (x.rows_info().size() != y.rows_info().size()) return sheet + "rows";
    for (auto it = x.rows_info().begin(), jt = y.rows_info().begin(); it != x.rows_info().end();
         ++it, ++jt) {
      if (it->first != jt->first || it->second.height != jt->second.height) return sheet + "rows";
    }
    if (x.columns_info().size() != y.columns_info().size()) return sheet + "columns";
    for (auto it = x.columns_info().begin(), jt = y.columns_info().begin();
         it != x.columns_info().end(); ++it, ++jt) {
      if (it->first != jt->first || it->second.width != jt->second.width) return sheet + "columns";
    }
    if (x.default_row_height() != y.default_row_height()) return sheet + "default height";
    if (x.Merges() != y.Merges()) return sheet + "merges";
    if (x.comments().size() != y.comments().size()) return sheet + "comments";
    for (auto it = x.comments().begin(), jt = y.comments().begin(); it != x.comments().end();
         ++it, ++jt) {
      if (it->first != jt->first || it->second.text != jt->second.text ||
          it->second.author != jt->second.author) {
        return sheet + "comments";
      }
    }
    if (!(x.page_setup() == y.page_setup())) return sheet + "page setup";
    if (x.print_area() != y.print_area()) return sheet + "print area";
  }
  return "";
}

Formula MakeFormula(std::string text, std::vector<std::pair<std::string, std::string>> attributes) {
  return Formula{std::move(text), std::move(attributes)};
}

class OtherWritersTest : public testing::HostTest {
 protected:
  OtherWritersTest() : files_(platform_) { app_.SetWorkbookFiles(&files_); }

  Workbook& Open(const std::string& name, const std::string& bytes) {
    platform_.AddFile("/home/user/" + name, bytes);
    return app_.Workbooks().Open("/home/user/" + name);
  }

  // Saves `book` under another name and opens what was saved.
  Workbook& SaveAndReopen(Workbook& book) {
    const std::string path = "/home/user/saved " + book.Name();
    files_.Save(book, path);
    saved_.emplace(PackageReader::Open(std::string(platform_.files().at(path)), "saved.xlsx"));
    return app_.Workbooks().Open(path);
  }

  // A part of the last saved file, parsed as any XML reader would, without our gate.
  pugi::xml_document SavedPart(const std::string& part) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(saved_->Read(part).c_str())) << part;
    return doc;
  }

  static const Cell& CellOf(const Workbook& book, const char* sheet, int32_t row, int32_t column) {
    static const Cell kNone;
    const Cell* cell = book.FindSheet(sheet)->FindCell(row, column);
    return cell ? *cell : kNone;
  }

  MemoryPlatform platform_;
  XlsxFiles files_;
  std::optional<PackageReader> saved_;
};

// The Python library writes every formula with an empty value for the reader to calculate.
TEST_F(OtherWritersTest, FormulasLeftForTheReaderToCalculateOpenAndKeepThem) {
  const std::string data =
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"n\"><v>80</v></c>"
      "<c r=\"C1\"><f t=\"array\" ref=\"C1:C3\">B1:B3*2</f><v/></c>"
      "<c r=\"D1\"><f t=\"shared\" ref=\"D1:D3\" si=\"0\">B1+1</f><v></v></c></row>"
      "<row r=\"2\"><c r=\"B2\" t=\"n\"><v>65</v></c><c r=\"D2\"><f t=\"shared\" si=\"0\"/><v></v>"
      "</c></row>"
      "<row r=\"3\"><c r=\"B3\" t=\"n\"><v>90.5</v></c><c r=\"D3\"><f t=\"shared\" "
      "si=\"0\"/><v></v>"
      "</c></row>"
      "<row r=\"7\"><c r=\"A7\" t=\"s\"><v>1</v></c><c r=\"B7\" s=\"1\"><f>B1-B3</f><v></v></c>"
      "</row>"
      "<row r=\"8\"><c r=\"B8\"><f>SUM(B1:B3)</f><v/></c></row>"
      "<row r=\"9\"><c r=\"B9\"><f>B8/3</f></c></row>";
  Workbook& opened =
      Open("python.xlsx",
           Package(PythonLibraryWorkbook(data, "<si><t>点数</t></si><si><t>合計</t></si>")));

  const struct {
    int32_t row, column;
    Formula formula;
  } formulas[] = {
      {1, 3, MakeFormula("B1:B3*2", {{"t", "array"}, {"ref", "C1:C3"}})},
      {1, 4, MakeFormula("B1+1", {{"t", "shared"}, {"ref", "D1:D3"}, {"si", "0"}})},
      {2, 4, MakeFormula("", {{"t", "shared"}, {"si", "0"}})},
      {3, 4, MakeFormula("", {{"t", "shared"}, {"si", "0"}})},
      {7, 2, MakeFormula("B1-B3", {})},
      {8, 2, MakeFormula("SUM(B1:B3)", {})},
      {9, 2, MakeFormula("B8/3", {})},
  };
  for (const auto& f : formulas) {
    const Cell& cell = CellOf(opened, "集計", f.row, f.column);
    ASSERT_TRUE(cell.formula) << f.row << "," << f.column;
    EXPECT_EQ(*cell.formula, f.formula) << f.row << "," << f.column;
    EXPECT_TRUE(cell.value.IsEmpty()) << f.row << "," << f.column << ": no cached value";
  }
  Worksheet& sheet = *opened.FindSheet("集計");
  EXPECT_EQ(sheet.Range("A7").Value().AsText(), "合計");
  EXPECT_EQ(sheet.Range("B7").NumberFormat(), "0.00");

  sheet.Range("B2").SetValue(70);  // as a command changes a cell
  Workbook& reread = SaveAndReopen(opened);
  EXPECT_EQ(reread.FindSheet("集計")->Range("B2").Value().number(), 70);
  EXPECT_EQ(FirstDifference(opened, reread), "");

  // Each formula is written without a value, so that the reader calculates it again.
  const pugi::xml_document part = SavedPart("xl/worksheets/sheet1.xml");
  int written = 0;
  for (pugi::xpath_node c : part.select_nodes("//c[f]")) {
    ++written;
    EXPECT_FALSE(c.node().child("v")) << c.node().attribute("r").value();
    EXPECT_FALSE(c.node().attribute("t")) << c.node().attribute("r").value();
  }
  EXPECT_EQ(written, static_cast<int>(std::size(formulas)));
}

// A formula's cached result is kept as it reads, whatever type the file gives it; only a value
// that is no formula's cache must be what its type says.
TEST_F(OtherWritersTest, CachedResultsWithoutTheirTypeAreKeptAsTheyRead) {
  const struct {
    const char* type;  // the c element's t attribute, "" for none
    const char* cached;
    CellValue value;
    const char* written_type;  // "" for none
  } cases[] = {
      {"", "#DIV/0!", ErrorValue{"#DIV/0!"}, "e"},
      {"", "#N/A", ErrorValue{"#N/A"}, "e"},
      {"n", "#NAME?", ErrorValue{"#NAME?"}, "e"},
      {"", "#SPILL!", ErrorValue{"#SPILL!"}, "e"},
      {"", "5円", CellValue("5円"), "str"},
      {"n", "#note", CellValue("#note"), "str"},
      {"", " 12 ", CellValue(" 12 "), "str"},
      {"", "12", CellValue(12), ""},
      {"n", "+1.5E2", CellValue(150), ""},
      {"s", "99", CellValue("99"), "str"},
      {"e", "#REF!", ErrorValue{"#REF!"}, "e"},
      {"str", "", CellValue(""), "str"},
      {"b", "", CellValue(), ""},
  };
  std::string data;
  int32_t row = 0;
  for (const auto& c : cases) {
    ++row;
    const std::string r = std::to_string(row);
    data += "<row r=\"" + r + "\"><c r=\"A" + r + "\"" +
            (*c.type ? std::string(" t=\"") + c.type + "\"" : "") + "><f>B" + r + "</f><v>" +
            c.cached + "</v></c></row>";
  }
  Workbook& opened = Open("caches.xlsx", Package(PythonLibraryWorkbook(data, "<si><t>a</t></si>")));
  row = 0;
  for (const auto& c : cases) {
    ++row;
    EXPECT_EQ(CellOf(opened, "集計", row, 1).value, c.value) << c.type << " " << c.cached;
  }

  opened.FindSheet("集計")->Range("C1").SetValue("済");
  Workbook& reread = SaveAndReopen(opened);
  EXPECT_EQ(reread.FindSheet("集計")->Range("C1").Value().AsText(), "済");
  EXPECT_EQ(FirstDifference(opened, reread), "");
  const pugi::xml_document part = SavedPart("xl/worksheets/sheet1.xml");
  row = 0;
  for (const auto& c : cases) {
    const std::string address = "A" + std::to_string(++row);
    const pugi::xml_node cell =
        part.child("worksheet")
            .child("sheetData")
            .find_child_by_attribute("row", "r", std::to_string(row).c_str())
            .find_child_by_attribute("c", "r", address.c_str());
    EXPECT_STREQ(cell.attribute("t").value(), c.written_type) << c.cached;
  }
}

// Some writers number their sheets with ids that are no whole numbers; a save that adds a sheet
// once failed on them with an exception of the C++ library instead of saving.
TEST_F(OtherWritersTest, SheetIdsThatAreNoNumbersDoNotStopASaveThatAddsASheet) {
  for (const char* id : {"abc", "99999999999", "2147483647", "-3"}) {
    Parts parts = PythonLibraryWorkbook("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", "");
    for (auto& [name, xml] : parts) {
      if (name != "xl/workbook.xml") continue;
      xml.replace(xml.find("sheetId=\"1\""), 11, std::string("sheetId=\"") + id + "\"");
    }
    Workbook& opened = Open(std::string("ids-") + id + ".xlsx", Package(parts));
    opened.Sheets().Add();
    Workbook& reopened = SaveAndReopen(opened);
    EXPECT_EQ(reopened.SheetCount(), 2) << id;
    const pugi::xml_document workbook = SavedPart("xl/workbook.xml");
    std::set<std::string> ids;
    for (pugi::xml_node sheet : workbook.child("workbook").child("sheets").children("sheet")) {
      ids.insert(sheet.attribute("sheetId").value());
    }
    EXPECT_EQ(ids.size(), 2u) << id << ": every sheet has an id of its own";
  }
}

TEST_F(OtherWritersTest, AValueCellThatIsNotWhatItsTypeSaysIsStillRefused) {
  const struct {
    const char* cell;
    const char* says;
  } cases[] = {
      {"<c r=\"B4\"><v>#DIV/0!</v></c>", "B4 の数値「#DIV/0!」"},
      {"<c r=\"B4\" t=\"n\"><v></v></c>", "B4 の数値「」"},
      {"<c r=\"B4\"><v>5円</v></c>", "B4 の数値「5円」"},
      {"<c r=\"B4\" t=\"s\"><v>7</v></c>", "B4 の共有文字列番号「7」"},
  };
  for (const auto& c : cases) {
    const std::string bytes = Package(PythonLibraryWorkbook(
        std::string("<row r=\"4\">") + c.cell + "</row>", "<si><t>a</t></si>"));
    platform_.AddFile("/home/user/bad.xlsx", bytes);
    std::string message;
    try {
      app_.Workbooks().Open("/home/user/bad.xlsx");
    } catch (const HostError& error) {
      message = error.description();
    }
    EXPECT_THAT(message, HasSubstr("bad.xlsx")) << c.cell;
    EXPECT_THAT(message, HasSubstr(c.says)) << c.cell;
  }
}

// Writers built on the office document toolkit bind every namespace to a prefix: x: for the
// spreadsheet's, another prefix for the relationships attributes, and their own for the package
// parts. The workbook part has a name of its own, so that only the package's relationships lead
// to it.
Parts PrefixedWorkbook() {
  return {
      {"[Content_Types].xml",
       "<ct:Types xmlns:ct=\"{CT}\"><ct:Default Extension=\"rels\" "
       "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
       "<ct:Default Extension=\"xml\" ContentType=\"application/xml\"/>"
       "<ct:Default Extension=\"vml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>"
       "<ct:Override PartName=\"/xl/book.xml\" ContentType=\"{S}sheet.main+xml\"/>"
       "<ct:Override PartName=\"/xl/worksheets/sheet.xml\" ContentType=\"{S}worksheet+xml\"/>"
       "<ct:Override PartName=\"/xl/styles.xml\" ContentType=\"{S}styles+xml\"/>"
       "<ct:Override PartName=\"/xl/strings.xml\" ContentType=\"{S}sharedStrings+xml\"/>"
       "<ct:Override PartName=\"/xl/notes.xml\" ContentType=\"{S}comments+xml\"/></ct:Types>"},
      {"_rels/.rels",
       "<pr:Relationships xmlns:pr=\"{PR}\"><pr:Relationship Id=\"R0\" "
       "Type=\"{T}officeDocument\" Target=\"/xl/book.xml\"/></pr:Relationships>"},
      {"xl/book.xml",
       "<x:workbook xmlns:x=\"{M}\" xmlns:rel=\"{OR}\"><x:bookViews><x:workbookView "
       "activeTab=\"1\"/></x:bookViews><x:sheets><x:sheet name=\"メモ\" sheetId=\"2\" "
       "rel:id=\"R2\"/><x:sheet name=\"問題\" sheetId=\"1\" rel:id=\"R1\"/></x:sheets>"
       "<x:definedNames><x:definedName name=\"_xlnm.Print_Area\" localSheetId=\"1\">"
       "'問題'!$A$1:$D$9</x:definedName><x:definedName name=\"範囲\">'問題'!$B$1</x:definedName>"
       "</x:definedNames></x:workbook>"},
      {"xl/_rels/book.xml.rels",
       "<pr:Relationships xmlns:pr=\"{PR}\"><pr:Relationship Id=\"R1\" Type=\"{T}worksheet\" "
       "Target=\"worksheets/sheet.xml\"/><pr:Relationship Id=\"R2\" Type=\"{T}worksheet\" "
       "Target=\"worksheets/memo.xml\"/><pr:Relationship Id=\"R3\" Type=\"{T}styles\" "
       "Target=\"styles.xml\"/><pr:Relationship Id=\"R4\" Type=\"{T}sharedStrings\" "
       "Target=\"strings.xml\"/></pr:Relationships>"},
      {"xl/styles.xml",
       "<x:styleSheet xmlns:x=\"{M}\"><x:numFmts count=\"1\"><x:numFmt numFmtId=\"164\" "
       "formatCode=\"&quot;No.&quot;0\"/></x:numFmts><x:fonts count=\"2\"><x:font><x:sz "
       "val=\"11\"/><x:name val=\"Calibri\"/></x:font><x:font><x:b/><x:sz val=\"14\"/><x:name "
       "val=\"游ゴシック\"/></x:font></x:fonts><x:fills count=\"2\"><x:fill><x:patternFill "
       "patternType=\"none\"/></x:fill><x:fill><x:patternFill patternType=\"gray125\"/></x:fill>"
       "</x:fills><x:borders count=\"2\"><x:border/><x:border><x:bottom style=\"thin\"><x:color "
       "indexed=\"64\"/></x:bottom></x:border></x:borders><x:cellStyleXfs count=\"1\"><x:xf "
       "numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></x:cellStyleXfs><x:cellXfs "
       "count=\"3\"><x:xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
       "<x:xf numFmtId=\"164\" fontId=\"1\" fillId=\"0\" borderId=\"1\" xfId=\"0\" "
       "applyNumberFormat=\"1\" applyFont=\"1\" applyBorder=\"1\"/><x:xf numFmtId=\"0\" "
       "fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyAlignment=\"1\"><x:alignment "
       "horizontal=\"center\" textRotation=\"255\"/></x:xf></x:cellXfs><x:cellStyles "
       "count=\"1\"><x:cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></x:cellStyles>"
       "</x:styleSheet>"},
      {"xl/strings.xml",
       "<x:sst xmlns:x=\"{M}\" count=\"3\" uniqueCount=\"3\"><x:si><x:t>試合にカツ。</x:t></x:si>"
       "<x:si><x:r><x:t>漢</x:t></x:r><x:r><x:rPr><x:b/><x:sz val=\"11\"/></x:rPr><x:t>字</x:t>"
       "</x:r></x:si><x:si><x:t>勝</x:t><x:rPh sb=\"0\" eb=\"1\"><x:t>カ</x:t></x:rPh>"
       "<x:phoneticPr fontId=\"1\" type=\"Hiragana\"/></x:si></x:sst>"},
      {"xl/worksheets/sheet.xml",
       "<x:worksheet xmlns:x=\"{M}\" xmlns:rel=\"{OR}\"><x:sheetViews><x:sheetView "
       "workbookViewId=\"0\"/></x:sheetViews><x:sheetFormatPr defaultRowHeight=\"15\"/><x:cols>"
       "<x:col min=\"1\" max=\"1\" width=\"20\" customWidth=\"1\"/></x:cols><x:sheetData>"
       "<x:row r=\"1\" ht=\"30\" customHeight=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c>"
       "<x:c r=\"B1\" s=\"1\"><x:v>7</x:v></x:c><x:c r=\"C1\" s=\"2\" t=\"s\"><x:v>1</x:v>"
       "</x:c></x:row><x:row r=\"2\"><x:c r=\"A2\" t=\"s\" ph=\"1\"><x:v>2</x:v></x:c>"
       "<x:c r=\"B2\"><x:f>B1*2</x:f><x:v>14</x:v></x:c><x:c r=\"C2\" t=\"inlineStr\"><x:is>"
       "<x:t>インライン</x:t></x:is></x:c><x:c r=\"D2\" t=\"b\"><x:v>1</x:v></x:c></x:row>"
       "</x:sheetData><x:mergeCells count=\"1\"><x:mergeCell ref=\"C3:D3\"/></x:mergeCells>"
       "<x:pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
       "footer=\"0.3\"/><x:pageSetup paperSize=\"9\" orientation=\"landscape\"/>"
       "<x:legacyDrawing rel:id=\"R2\"/><x:extLst><x:ext uri=\"{X}\" xmlns:x14=\"{X14}\">"
       "<x14:conditionalFormattings/></x:ext></x:extLst></x:worksheet>"},
      {"xl/worksheets/_rels/sheet.xml.rels",
       "<pr:Relationships xmlns:pr=\"{PR}\"><pr:Relationship Id=\"R1\" Type=\"{T}comments\" "
       "Target=\"../notes.xml\"/><pr:Relationship Id=\"R2\" Type=\"{T}vmlDrawing\" "
       "Target=\"../drawings/notes.vml\"/></pr:Relationships>"},
      {"xl/worksheets/memo.xml",
       "<x:worksheet xmlns:x=\"{M}\"><x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>3</x:v>"
       "</x:c></x:row></x:sheetData></x:worksheet>"},
      {"xl/notes.xml",
       "<x:comments xmlns:x=\"{M}\"><x:authors><x:author>作者</x:author></x:authors>"
       "<x:commentList><x:comment ref=\"A1\" authorId=\"0\"><x:text><x:r><x:rPr><x:b/><x:sz "
       "val=\"9\"/></x:rPr><x:t>作者:</x:t></x:r><x:r><x:t>読みに注意</x:t></x:r></x:text>"
       "</x:comment></x:commentList></x:comments>"},
      {"xl/drawings/notes.vml",
       "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
       "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
       "xmlns:x=\"urn:schemas-microsoft-com:office:excel\"><v:shape id=\"_x0000_s1025\" "
       "type=\"#_x0000_t202\" style=\"position:absolute;margin-left:100pt;margin-top:2pt;"
       "width:120pt;height:60pt;z-index:1;visibility:hidden\" fillcolor=\"#ffffe1\"><v:textbox/>"
       "<x:ClientData ObjectType=\"Note\"><x:MoveWithCells/><x:SizeWithCells/><x:Row>0</x:Row>"
       "<x:Column>0</x:Column></x:ClientData></v:shape></xml>"},
  };
}

TEST_F(OtherWritersTest, PartsWithPrefixedNamespacesOpenAndSaveWithTheDefaultNamespace) {
  Workbook& opened = Open("prefixed.xlsx", Package(PrefixedWorkbook()));
  ASSERT_EQ(opened.SheetCount(), 2);
  EXPECT_EQ(opened.ActiveSheet().Name(), "問題");
  Worksheet& sheet = *opened.FindSheet("問題");
  EXPECT_EQ(sheet.Range("A1").Value().AsText(), "試合にカツ。");
  EXPECT_EQ(sheet.Range("B1").Text(), "No.7");
  EXPECT_TRUE(sheet.Range("B1").Font().Bold());
  EXPECT_EQ(sheet.Range("B1").Font().Size(), 14);
  EXPECT_EQ(sheet.EffectiveFormat(1, 2).borders.bottom.style, LineStyle::kContinuous);
  EXPECT_EQ(sheet.Range("C1").Orientation(), Orientation::kVertical);
  ASSERT_NE(sheet.Range("C1").Value().text().format(), nullptr) << "the runs of 漢字";
  EXPECT_EQ(sheet.Range("C1").Value().text().format()->runs.size(), 2u);
  ASSERT_NE(sheet.Range("A2").Value().text().format(), nullptr) << "the guide of 勝";
  EXPECT_EQ(sheet.Range("A2").Value().text().format()->phonetics,
            (std::vector<PhoneticRun>{{0, 1, "カ"}}));
  EXPECT_EQ(sheet.Range("B2").Value().number(), 14);
  EXPECT_EQ(sheet.FindCell(2, 2)->formula->text, "B1*2");
  EXPECT_EQ(sheet.Range("C2").Value().AsText(), "インライン");
  EXPECT_TRUE(sheet.Range("D2").Value().boolean());
  EXPECT_EQ(sheet.Range("A1").RowHeight(), 30);
  EXPECT_EQ(sheet.Range("A1").ColumnWidth(), 20);
  EXPECT_TRUE(sheet.Range("D3").MergeCells());
  EXPECT_EQ(sheet.page_setup().orientation, PageOrientation::kLandscape);
  EXPECT_EQ(sheet.PrintArea(), "$A$1:$D$9");
  ASSERT_TRUE(sheet.Range("A1").Comment().has_value());
  EXPECT_EQ(sheet.comments().begin()->second.author, "作者");
  EXPECT_EQ(sheet.comments().begin()->second.text, "作者:読みに注意");
  EXPECT_EQ(opened.FindSheet("メモ")->Range("A1").Value().number(), 3);

  sheet.Range("E1").SetValue("答え");
  Workbook& reread = SaveAndReopen(opened);
  EXPECT_EQ(reread.FindSheet("問題")->Range("E1").Value().AsText(), "答え");
  EXPECT_EQ(FirstDifference(opened, reread), "");

  // A part written anew (not copied as read) is written under the default namespace, which any
  // reader resolves as we did; the sheet that changed is one.
  std::map<std::string, std::string> original;
  for (const auto& [name, xml] : PrefixedWorkbook()) original[name] = Spelt(xml);
  const struct {
    const char* part;
    const char* root;
    const char* uri;
  } roots[] = {
      {"[Content_Types].xml", "Types", kContentTypes},
      {"xl/book.xml", "workbook", kMain},
      {"xl/_rels/book.xml.rels", "Relationships", kPackageRelationships},
      {"xl/worksheets/sheet.xml", "worksheet", kMain},
      {"xl/worksheets/memo.xml", "worksheet", kMain},
      {"xl/styles.xml", "styleSheet", kMain},
      {"xl/strings.xml", "sst", kMain},
  };
  std::set<std::string> rewritten;
  for (const auto& r : roots) {
    if (saved_->Has(r.part) && saved_->Read(r.part) == original[r.part]) continue;
    rewritten.insert(r.part);
    const pugi::xml_document doc = SavedPart(r.part);
    const pugi::xml_node root = doc.document_element();
    EXPECT_STREQ(root.name(), r.root) << r.part;
    EXPECT_STREQ(root.attribute("xmlns").value(), r.uri) << r.part;
    const pugi::xml_node prefixed = root.find_node([](const pugi::xml_node& n) {
      return n.type() == pugi::node_element && std::string_view(n.name()).starts_with("x:");
    });
    EXPECT_FALSE(prefixed) << r.part << ": " << prefixed.name();
  }
  ASSERT_TRUE(rewritten.contains("xl/worksheets/sheet.xml"));
  const pugi::xml_document worksheet = SavedPart("xl/worksheets/sheet.xml");
  EXPECT_STREQ(worksheet.child("worksheet").attribute("xmlns:r").value(), kOfficeRelationships);
  EXPECT_TRUE(worksheet.child("worksheet").child("legacyDrawing").attribute("r:id"));
  const pugi::xml_node ext = worksheet.child("worksheet").child("extLst").child("ext");
  EXPECT_STREQ(ext.attribute("xmlns:x14").value(), kX14);
  EXPECT_TRUE(ext.child("x14:conditionalFormattings")) << "another namespace keeps its prefix";
  if (rewritten.contains("xl/book.xml")) {
    const pugi::xml_document workbook = SavedPart("xl/book.xml");
    EXPECT_STREQ(workbook.child("workbook").attribute("xmlns:r").value(), kOfficeRelationships);
    for (pugi::xml_node entry : workbook.child("workbook").child("sheets").children("sheet")) {
      EXPECT_TRUE(entry.attribute("r:id")) << entry.attribute("name").value();
    }
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
