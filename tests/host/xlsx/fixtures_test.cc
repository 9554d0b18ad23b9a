// Workbooks written by other programs (tests/host/xlsx/fixtures, made by make_fixtures.sh) open
// with what they hold and save without losing anything: parts the host does not model come back
// byte for byte, the modelled ones mean the same when read again, and the saved files open in
// the programs that wrote them. The expectations below are what the fixtures' XML says.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/platform/memory_platform.h"
#include "host/worksheet_storage.h"
#include "host/xlsx/font_codec.h"
#include "host/xlsx/package.h"
#include "host/xlsx/xlsx_files.h"
#include "host/xlsx/xml_document.h"
#include "support/host_fixture.h"
#include "support/shell.h"

namespace tarquel::host::xlsx {
namespace {

namespace fs = std::filesystem;

constexpr char kOpenpyxlBank[] = "openpyxl_bank.xlsx";
constexpr char kLibreOfficeBank[] = "libreoffice_bank.xlsx";
constexpr char kBankSheet[] = "ミラヴォ 同音・同訓";

std::string FixtureBytes(const std::string& name) {
  const char* root = std::getenv("TARQUEL_TESTDATA");
  if (root == nullptr) {
    ADD_FAILURE() << "TARQUEL_TESTDATA is not set";
    return "";
  }
  std::ifstream in(std::string(root) + "/host/xlsx/fixtures/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  EXPECT_FALSE(bytes.str().empty()) << "fixture " << name << " is missing";
  return bytes.str();
}

std::string A1(int32_t row, int32_t column) {
  return FormatAddress(CellRect::Cell(row, column), ReferenceStyle::kA1, false);
}

// The first difference between two workbooks' models, with its place; "" when there is none.
std::string FirstDifference(const Workbook& a, const Workbook& b) {
  if (a.SheetCount() != b.SheetCount()) return "the number of sheets";
  if (a.ActiveSheet().Index() != b.ActiveSheet().Index()) return "the active sheet";
  for (int index = 1; index <= a.SheetCount(); ++index) {
    const Worksheet& x = a.SheetAt(index);
    const Worksheet& y = b.SheetAt(index);
    const std::string sheet = "sheet " + std::to_string(index) + " (" + x.Name() + "): ";
    if (x.Name() != y.Name()) return sheet + "the name";
    if (x.visibility() != y.visibility()) return sheet + "the visibility";
    std::set<std::pair<int32_t, int32_t>> cells;
    for (const Worksheet* s : {&x, &y}) {
      s->ForEachCell({1, 1, std::max(1, s->LastRowWithCells()), kSheetColumns},
                     [&](int32_t row, const host::Cell& cell) {
                       cells.insert({row, cell.column});
                     });
    }
    for (const auto& [row, column] : cells) {
      const host::Cell* p = x.FindCell(row, column);
      const host::Cell* q = y.FindCell(row, column);
      const std::string place = sheet + "cell " + A1(row, column) + ": ";
      if ((p ? p->value : CellValue()) != (q ? q->value : CellValue())) return place + "the value";
      const bool p_formula = p && p->formula;
      const bool q_formula = q && q->formula;
      if (p_formula != q_formula || (p_formula && !(*p->formula == *q->formula)))
        return place + "the formula";
      if ((p && p->show_phonetic) != (q && q->show_phonetic)) return place + "the phonetic guide";
      if (!(x.EffectiveFormat(row, column) == y.EffectiveFormat(row, column)))
        return place + "the format";
    }
    auto same_style = [&](const std::optional<StyleTable::Id>& s,
                          const std::optional<StyleTable::Id>& t) {
      if (s.has_value() != t.has_value()) return false;
      return !s || x.styles().Get(*s) == y.styles().Get(*t);
    };
    if (x.rows_info().size() != y.rows_info().size()) return sheet + "the rows with settings";
    for (auto it = x.rows_info().begin(), jt = y.rows_info().begin(); it != x.rows_info().end();
         ++it, ++jt) {
      const std::string place = sheet + "row " + std::to_string(it->first) + ": ";
      if (it->first != jt->first) return place + "has settings in one workbook only";
      if (it->second.height != jt->second.height) return place + "the height";
      if (it->second.hidden != jt->second.hidden) return place + "hidden";
      if (!same_style(it->second.style, jt->second.style)) return place + "the format";
      if (it->second.file_attributes != jt->second.file_attributes) return place + "attributes";
    }
    if (x.columns_info().size() != y.columns_info().size())
      return sheet + "the columns with settings";
    for (auto it = x.columns_info().begin(), jt = y.columns_info().begin();
         it != x.columns_info().end(); ++it, ++jt) {
      const std::string place = sheet + "column " + std::to_string(it->first) + ": ";
      if (it->first != jt->first) return place + "has settings in one workbook only";
      if (it->second.width != jt->second.width) return place + "the width";
      if (it->second.hidden != jt->second.hidden) return place + "hidden";
      if (!same_style(it->second.style, jt->second.style)) return place + "the format";
      if (it->second.file_attributes != jt->second.file_attributes) return place + "attributes";
    }
    if (x.default_row_height() != y.default_row_height()) return sheet + "the default height";
    if (x.default_column_width() != y.default_column_width()) return sheet + "the default width";
    if (x.Merges() != y.Merges()) return sheet + "the merged areas";
    if (x.comments() != y.comments()) return sheet + "the comments";
    if (!(x.page_setup() == y.page_setup())) return sheet + "the page setup";
    if (x.print_area() != y.print_area()) return sheet + "the print area";
    if (x.view().show_gridlines != y.view().show_gridlines) return sheet + "the gridlines";
    if (x.view().zoom != y.view().zoom) return sheet + "the zoom";
    if (x.selection() != y.selection() || x.active_cell() != y.active_cell())
      return sheet + "the selection";
  }
  return "";
}

pugi::xml_document ParsedPart(const PackageReader& package, const std::string& part) {
  pugi::xml_document doc;
  ParseXml(package.Read(part), part, doc);
  return doc;
}

std::string Serialized(const pugi::xml_node& node) {
  std::ostringstream xml;
  node.print(xml, "", pugi::format_raw);
  return xml.str();
}

// Parts the host writes from its model, or drops (the calculation chain).
bool IsModelledPart(const std::string& entry) {
  auto in = [&](const char* folder) { return entry.starts_with(folder); };
  return entry == "[Content_Types].xml" || entry == "xl/workbook.xml" ||
         entry == "xl/_rels/workbook.xml.rels" || entry == "xl/styles.xml" ||
         entry == "xl/sharedStrings.xml" || entry == "xl/calcChain.xml" || in("xl/worksheets/") ||
         in("xl/comments") || entry.ends_with(".vml");
}

std::string FixtureName(const ::testing::TestParamInfo<const char*>& fixture) {
  return std::string(fixture.param) == kOpenpyxlBank ? "Openpyxl" : "LibreOffice";
}

class FixtureTest : public testing::HostTest {
 protected:
  FixtureTest() : files_(platform_) { app_.SetWorkbookFiles(&files_); }

  Workbook& Open(const std::string& name) {
    const std::string path = std::string(MemoryPlatform::kDefaultDocumentsFolder) + "/" + name;
    platform_.AddFile(path, FixtureBytes(name));
    return app_.Workbooks().Open(path);
  }
  // Saves `book` under another name, every modelled part written anew as after an edit (an
  // untouched workbook would give its file back), and opens that file.
  Workbook& SaveAndOpen(Workbook& book, const std::string& name) {
    const std::string path =
        std::string(MemoryPlatform::kDefaultDocumentsFolder) + "/saved-" + name;
    platform_.AddFile(path, XlsxFiles::WritePackage(book, XlsxFiles::WriteMode::kRegenerate));
    return app_.Workbooks().Open(path);
  }
  std::string SavedBytes(const std::string& name) {
    return platform_.files().at(std::string(MemoryPlatform::kDefaultDocumentsFolder) + "/saved-" +
                                name);
  }

  MemoryPlatform platform_;
  XlsxFiles files_;
};

TEST_F(FixtureTest, TheOpenpyxlBankOpensWithItsValuesAndFormats) {
  Workbook& book = Open(kOpenpyxlBank);
  ASSERT_EQ(book.SheetCount(), 2);
  Worksheet& bank = book.SheetAt(1);
  EXPECT_EQ(bank.Name(), kBankSheet);
  EXPECT_EQ(&book.ActiveSheet(), &bank);
  EXPECT_EQ(book.SheetAt(2).Name(), "設定");

  struct Shown {
    const char* cell;
    const char* text;
  };
  for (const Shown& shown : std::vector<Shown>{{"B1", "No.1"},
                                               {"B10", "No.10"},
                                               {"C1", "a"},
                                               {"D8", "水面に顔がウツル。"},
                                               {"E7", "諮"},
                                               {"F7", "X"},
                                               {"H7", "X"},
                                               {"Q7", "4"},
                                               {"R7", "必出"},
                                               {"S1", "38%"},
                                               {"T1", "2.50"},
                                               {"I12", "以上 10 問"}}) {
    EXPECT_EQ(bank.Range(shown.cell).Text(), shown.text) << shown.cell;
  }
  EXPECT_EQ(bank.Range("Q7").Value(), CellValue(4));
  EXPECT_TRUE(bank.Range("F2").Value().IsEmpty());

  // The sentence: three runs in the cell's font, the word to write underlined, and the
  // reading of its first word.
  const Text& sentence = bank.Range("D1").Value().text();
  ASSERT_NE(sentence.format(), nullptr);
  const std::vector<FontRun>& runs = sentence.format()->runs;
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].start, 3u);
  EXPECT_EQ(runs[1].length, 2u);
  for (const FontRun& run : runs) {
    ASSERT_TRUE(run.font.has_value());
    EXPECT_EQ(run.font->name, "ＭＳ 明朝");
    EXPECT_EQ(run.font->size, 12);
    EXPECT_EQ(run.font->underline, &run == &runs[1] ? Underline::kSingle : Underline::kNone);
  }
  EXPECT_EQ(bank.Range("D1").Characters(4, 2).Text(), "カツ");
  EXPECT_EQ(bank.Range("D1").Characters(4, 2).Font().Underline(), Underline::kSingle);
  EXPECT_EQ(bank.Range("D1").PhoneticRuns(), (std::vector<PhoneticRun>{{0, 2, "シアイ"}}));
  ASSERT_TRUE(sentence.format()->phonetic_properties.has_value());
  EXPECT_EQ(sentence.format()->phonetic_properties->type, PhoneticType::kHiragana);
  EXPECT_TRUE(sentence.format()->phonetic_properties->font->bold) << "fontId 1 is the bold font";

  const Font d1 = bank.Range("D1").Font().Get();
  EXPECT_EQ(d1.name, "ＭＳ 明朝");
  EXPECT_EQ(d1.size, 12);
  EXPECT_EQ(d1.charset, 128);
  EXPECT_EQ(d1.family, 1);
  EXPECT_TRUE(bank.Range("C4").Font().Bold());
  EXPECT_FALSE(bank.Range("D4").Font().Bold());
  EXPECT_TRUE(bank.Range("I12").Font().Italic());
  EXPECT_EQ(bank.Range("I12").Font().Color(), Color::Rgb(0xFF0000FF));
  EXPECT_EQ(bank.Range("I12").Format().fill.pattern, "solid");
  EXPECT_EQ(bank.Range("I12").Format().fill.foreground, Color::Rgb(0xFFFFFF99));

  const CellBorders& d5 = bank.Range("D5").Format().borders;
  EXPECT_EQ(d5.left.style, LineStyle::kContinuous);
  EXPECT_EQ(d5.left.weight, BorderWeight::kThin);
  EXPECT_EQ(d5.top.style, LineStyle::kContinuous);
  EXPECT_EQ(d5.bottom.style, LineStyle::kDot);
  EXPECT_EQ(bank.Range("D1").Borders(BorderIndex::kEdgeLeft).LineStyle(), LineStyle::kContinuous);
  EXPECT_EQ(bank.Range("E3").Borders(BorderIndex::kEdgeRight).LineStyle(), LineStyle::kContinuous);
  EXPECT_EQ(bank.Range("E3").Format().borders.top.style, LineStyle::kNone);

  EXPECT_EQ(bank.Range("E1").HorizontalAlignment(), HorizontalAlignment::kCenter);
  EXPECT_EQ(bank.Range("E1").VerticalAlignment(), VerticalAlignment::kCenter);
  EXPECT_EQ(bank.Range("E1").Orientation(), Orientation::kHorizontal);
  EXPECT_EQ(bank.Range("E7").Orientation(), Orientation::kVertical);
  EXPECT_EQ(bank.Range("E7").Format().alignment.rotation, kVerticalText);
  EXPECT_TRUE(bank.Range("D3").ShrinkToFit());
  EXPECT_FALSE(bank.Range("D4").ShrinkToFit());
  EXPECT_TRUE(bank.Range("D4").WrapText());
  EXPECT_EQ(bank.Range("D4").VerticalAlignment(), VerticalAlignment::kTop);
  EXPECT_EQ(bank.Range("D5").IndentLevel(), 2);
  EXPECT_EQ(bank.Range("D5").HorizontalAlignment(), HorizontalAlignment::kLeft);
  EXPECT_EQ(bank.Range("B1").NumberFormat(), "\"No.\"0");
  EXPECT_EQ(bank.Range("S1").NumberFormat(), "0%");
  EXPECT_EQ(bank.Range("Q1").NumberFormatLocal(), "G/標準");
}

TEST_F(FixtureTest, TheOpenpyxlBankOpensWithItsLayoutCommentsAndPage) {
  Worksheet& bank = Open(kOpenpyxlBank).SheetAt(1);
  EXPECT_EQ(bank.Range("J13").MergeArea().Address(), "$I$12:$K$13");
  EXPECT_EQ(bank.MergeCount(), 1u);

  // The library sizes comment boxes in pixels.
  ASSERT_TRUE(bank.Range("D1").Comment().has_value());
  EXPECT_EQ(bank.Range("D1").Comment()->Text(), "【重要項目】\n問題文を入力します。");
  EXPECT_EQ(bank.comments().at({1, 4}).author, "作成者");
  EXPECT_DOUBLE_EQ(bank.Range("D1").Comment()->Width(), 150);
  EXPECT_DOUBLE_EQ(bank.Range("D1").Comment()->Height(), 75);
  ASSERT_TRUE(bank.Range("E1").Comment().has_value());
  EXPECT_EQ(bank.Range("E1").Comment()->Text(), "答えの漢字");
  EXPECT_DOUBLE_EQ(bank.Range("E1").Comment()->Width(), 108);
  EXPECT_DOUBLE_EQ(bank.Range("E1").Comment()->Height(), 59.25);
  EXPECT_FALSE(bank.Range("E1").Comment()->Visible());
  EXPECT_EQ(bank.CommentCount(), 2);

  EXPECT_EQ(bank.Range("B1").ColumnWidth(), 6);
  EXPECT_EQ(bank.Range("D1").ColumnWidth(), 48);
  EXPECT_EQ(bank.Range("G1").ColumnWidth(), 3);
  EXPECT_EQ(bank.Range("R1").ColumnWidth(), 6);
  EXPECT_EQ(bank.Range("A1").ColumnWidth(), kDefaultColumnWidth);
  EXPECT_EQ(bank.Range("A1").RowHeight(), 24);
  EXPECT_EQ(bank.Range("A7").RowHeight(), 60);
  EXPECT_EQ(bank.Range("A11").RowHeight(), 15) << "the sheet's default row height";

  const PageSetup& page = bank.page_setup();
  EXPECT_EQ(page.orientation, PageOrientation::kLandscape);
  EXPECT_EQ(page.paper_size, kPaperA4);
  EXPECT_DOUBLE_EQ(page.left_margin, 0.4 * 72);
  EXPECT_DOUBLE_EQ(page.right_margin, 0.4 * 72);
  EXPECT_DOUBLE_EQ(page.top_margin, 0.6 * 72);
  EXPECT_DOUBLE_EQ(page.bottom_margin, 0.5 * 72);
  EXPECT_DOUBLE_EQ(page.header_margin, 0.2 * 72);
  EXPECT_DOUBLE_EQ(page.footer_margin, 0.25 * 72);
  EXPECT_TRUE(page.center_horizontally);
  EXPECT_TRUE(page.fit_to_pages);
  EXPECT_EQ(page.fit_to_pages_wide, 1);
  EXPECT_EQ(page.fit_to_pages_tall, 0) << "as many pages tall as it takes";
  EXPECT_EQ(bank.PrintArea(), "$A$1:$R$12");
  EXPECT_FALSE(bank.view().show_gridlines);

  Worksheet& settings = bank.workbook().SheetAt(2);
  EXPECT_TRUE(settings.view().show_gridlines);
  EXPECT_EQ(settings.PrintArea(), "");
  EXPECT_EQ(settings.Range("A5").Value(), CellValue(80));
  EXPECT_EQ(settings.Range("B1").Value(), CellValue("40")) << "a text that looks like a number";
  EXPECT_EQ(settings.Range("C1").Text(), "説明");
  // Frozen at B2, the view has a selection for each of three panes; the cursor is in the
  // active one, the last.
  EXPECT_EQ(settings.active_cell(), std::make_pair(3, 3));
  EXPECT_EQ(settings.selection(), std::vector<CellRect>{CellRect::Cell(3, 3)});
}

TEST_F(FixtureTest, TheLibreOfficeBankOpensWithWhatItHolds) {
  Workbook& book = Open(kLibreOfficeBank);
  ASSERT_EQ(book.SheetCount(), 1);
  Worksheet& bank = book.SheetAt(1);
  EXPECT_EQ(bank.Name(), kBankSheet);
  for (const auto& [cell, text] :
       std::vector<std::pair<const char*, const char*>>{{"B6", "No.6"},
                                                        {"C3", "b"},
                                                        {"D6", "重さをハカル。"},
                                                        {"E4", "現"},
                                                        {"G3", "X"},
                                                        {"Q3", "3"},
                                                        {"R3", "必出"},
                                                        {"S1", "38%"},
                                                        {"T1", "2.50"},
                                                        {"I7", "以上 6 問"}}) {
    EXPECT_EQ(bank.Range(cell).Text(), text) << cell;
  }
  const Text& sentence = bank.Range("D3").Value().text();
  ASSERT_NE(sentence.format(), nullptr);
  ASSERT_EQ(sentence.format()->runs.size(), 3u);
  EXPECT_EQ(bank.Range("D3").Characters(3, 4).Text(), "アラワス");
  const Font word = bank.Range("D3").Characters(3, 4).Font().Get();
  EXPECT_EQ(word.underline, Underline::kSingle);
  EXPECT_EQ(word.name, "ＭＳ 明朝");
  EXPECT_EQ(word.size, 12);
  EXPECT_EQ(bank.Range("D3").Characters(1, 2).Font().Underline(), Underline::kNone);

  EXPECT_EQ(bank.Range("D1").Font().Name(), "ＭＳ 明朝");
  EXPECT_EQ(bank.Range("Q1").Font().Name(), "ＭＳ Ｐゴシック");
  EXPECT_TRUE(bank.Range("C1").Font().Bold());
  EXPECT_TRUE(bank.Range("I7").Font().Italic());
  EXPECT_EQ(bank.Range("I7").Font().Color(), Color::Rgb(0xFF0000FF));
  const CellBorders& d2 = bank.Range("D2").Format().borders;
  for (const BorderLine* line : {&d2.left, &d2.top, &d2.right, &d2.bottom}) {
    EXPECT_EQ(line->style, LineStyle::kContinuous);
    EXPECT_EQ(line->weight, BorderWeight::kThin);
  }
  EXPECT_EQ(bank.Range("E2").Format().borders.bottom.style, LineStyle::kDot);
  EXPECT_EQ(bank.Range("E4").Orientation(), Orientation::kVertical);
  EXPECT_EQ(bank.Range("E4").HorizontalAlignment(), HorizontalAlignment::kCenter);
  EXPECT_EQ(bank.Range("E5").Orientation(), Orientation::kHorizontal);
  EXPECT_TRUE(bank.Range("D3").ShrinkToFit());
  EXPECT_TRUE(bank.Range("D4").WrapText());
  EXPECT_FALSE(bank.Range("D3").WrapText());
  EXPECT_EQ(bank.Range("J7").MergeArea().Address(), "$I$7:$K$7");

  ASSERT_TRUE(bank.Range("D1").Comment().has_value());
  EXPECT_EQ(bank.Range("D1").Comment()->Text(), "【重要項目】\n問題文を入力します。");
  EXPECT_DOUBLE_EQ(bank.Range("D1").Comment()->Width(), 82.15);
  EXPECT_DOUBLE_EQ(bank.Range("D1").Comment()->Height(), 31.25);
  EXPECT_EQ(bank.Range("E1").Comment()->Text(), "答えの漢字");
  EXPECT_EQ(bank.comments().at({1, 5}).author, "作成者");

  EXPECT_EQ(bank.Range("D1").ColumnWidth(), 36.44);
  EXPECT_EQ(bank.Range("H1").ColumnWidth(), 2.43);
  EXPECT_EQ(bank.Range("A1").ColumnWidth(), 9.14453125) << "the sheet's default width";
  EXPECT_EQ(bank.Range("A2").RowHeight(), 25.5);
  EXPECT_EQ(bank.Range("A4").RowHeight(), 62.35);

  const PageSetup& page = bank.page_setup();
  EXPECT_EQ(page.orientation, PageOrientation::kLandscape);
  EXPECT_EQ(page.paper_size, kPaperA4);
  EXPECT_NEAR(page.left_margin, 42.5, 1e-9);  // 1.5 cm
  EXPECT_NEAR(page.top_margin, 28.35, 1e-9);  // 1 cm
  EXPECT_NEAR(page.bottom_margin, 34, 1e-9);  // 1.2 cm
  EXPECT_EQ(page.first_page_number, 1);
  EXPECT_EQ(bank.PrintArea(), "$A$1:$R$7");
  EXPECT_TRUE(bank.view().show_gridlines);
}

class FixtureRoundTripTest : public FixtureTest,
                             public ::testing::WithParamInterface<const char*> {};

// Opened and saved untouched, another program's workbook is the file it was, byte for byte.
TEST_P(FixtureRoundTripTest, AnUntouchedWorkbookIsSavedAsTheFileItWas) {
  Workbook& original = Open(GetParam());
  EXPECT_TRUE(XlsxFiles::WritePackage(original) == FixtureBytes(GetParam()));
  EXPECT_TRUE(XlsxFiles::WritePackage(original, XlsxFiles::WriteMode::kRegenerate) !=
              FixtureBytes(GetParam()))
      << "regenerating writes the parts anew";
}

TEST_P(FixtureRoundTripTest, SavingWithoutChangeKeepsTheModel) {
  Workbook& original = Open(GetParam());
  Workbook& saved = SaveAndOpen(original, GetParam());
  ASSERT_NE(&saved, &original);
  EXPECT_EQ(FirstDifference(original, saved), "");

  // The comparison sees a change of one character's font.
  saved.SheetAt(1).Range("D2").Characters(1, 1).Font().SetBold(true);
  EXPECT_EQ(FirstDifference(original, saved),
            "sheet 1 (" + std::string(kBankSheet) + "): cell D2: the value");
}

TEST_P(FixtureRoundTripTest, SavingWithoutChangeKeepsUnmodelledPartsByteForByte) {
  Workbook& original = Open(GetParam());
  SaveAndOpen(original, GetParam());
  const PackageReader before = PackageReader::Open(FixtureBytes(GetParam()), "before");
  const PackageReader after = PackageReader::Open(SavedBytes(GetParam()), "after");
  int kept = 0;
  for (const std::string& entry : before.EntryNames()) {
    if (IsModelledPart(entry) || entry.ends_with("/")) continue;
    ASSERT_TRUE(after.Has(entry)) << entry;
    EXPECT_EQ(after.ReadRaw(entry), before.ReadRaw(entry)) << entry;
    ++kept;
  }
  EXPECT_GE(kept, 3) << "docProps and the package relationships at least";
}

// Every relationship of the saved package leads to a part it holds, and every part it names
// in the content types is there: what a reader follows first.
TEST_P(FixtureRoundTripTest, TheSavedPackageHoldsEveryPartItNames) {
  Workbook& original = Open(GetParam());
  SaveAndOpen(original, GetParam());
  const PackageReader after = PackageReader::Open(SavedBytes(GetParam()), "after");
  for (const std::string& entry : after.EntryNames()) {
    if (!entry.ends_with(".rels")) continue;
    const std::string folder = entry.substr(0, entry.find("_rels/"));
    const pugi::xml_document rels = ParsedPart(after, entry);
    for (pugi::xml_node rel : rels.child("Relationships").children("Relationship")) {
      if (std::string(rel.attribute("TargetMode").value()) == "External") continue;
      std::string target = rel.attribute("Target").value();
      target = target.starts_with("/") ? target.substr(1) : folder + target;
      EXPECT_TRUE(after.Has(fs::path(target).lexically_normal().string()))
          << entry << ": " << target;
    }
  }
  const pugi::xml_document types = ParsedPart(after, "[Content_Types].xml");
  for (pugi::xml_node o : types.child("Types").children("Override")) {
    EXPECT_TRUE(after.Has(std::string(o.attribute("PartName").value()).substr(1)))
        << o.attribute("PartName").value();
  }
  pugi::xml_document workbook = ParsedPart(after, "xl/workbook.xml");
  EXPECT_TRUE(workbook.child("workbook").attribute("xmlns:r")) << "the sheets' r:id prefix";
}

// The named cell styles are copied from the original style sheet, but they refer to its
// fonts and number formats by index; a save renumbers those lists.
TEST_P(FixtureRoundTripTest, NamedCellStylesKeepTheirFontsAndNumberFormats) {
  Workbook& original = Open(GetParam());
  SaveAndOpen(original, GetParam());
  struct Named {
    std::string number_format;
    Font font;
    bool operator==(const Named&) const = default;
  };
  auto named_styles = [](const std::string& bytes) {
    const PackageReader package = PackageReader::Open(bytes, "styles");
    const pugi::xml_document doc = ParsedPart(package, "xl/styles.xml");
    const pugi::xml_node sheet = doc.child("styleSheet");
    std::vector<pugi::xml_node> fonts;
    for (pugi::xml_node font : sheet.child("fonts").children("font")) fonts.push_back(font);
    std::vector<Named> styles;
    for (pugi::xml_node xf : sheet.child("cellStyleXfs").children("xf")) {
      Named named;
      const uint32_t id = xf.attribute("numFmtId").as_uint();
      pugi::xml_node custom = sheet.child("numFmts").find_child_by_attribute(
          "numFmt", "numFmtId", std::to_string(id).c_str());
      named.number_format = custom ? custom.attribute("formatCode").value() : std::to_string(id);
      if (named.number_format == "General") named.number_format = "0";
      const uint32_t font = xf.attribute("fontId").as_uint();
      EXPECT_LT(font, fonts.size());
      if (font < fonts.size()) named.font = ReadFont(fonts[font], FontElement::kStyleFont);
      styles.push_back(named);
    }
    return styles;
  };
  const std::vector<Named> before = named_styles(FixtureBytes(GetParam()));
  const std::vector<Named> after = named_styles(SavedBytes(GetParam()));
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(after[i].number_format, before[i].number_format) << "cellStyleXfs " << i;
    EXPECT_TRUE(after[i].font == before[i].font) << "cellStyleXfs " << i;
  }
}

// A frozen view has a selection per pane and a split one up to four; the host's selection is
// the active pane's, written once.
TEST_P(FixtureRoundTripTest, TheSelectionIsTheActivePanesOnly) {
  Workbook& original = Open(GetParam());
  Worksheet& sheet = original.SheetAt(original.SheetCount());
  sheet.SetSelection({CellRect{3, 1, 4, 2}}, {4, 2});
  Workbook& saved = SaveAndOpen(original, GetParam());
  EXPECT_EQ(saved.SheetAt(saved.SheetCount()).active_cell(), std::make_pair(4, 2));
  const PackageReader after = PackageReader::Open(SavedBytes(GetParam()), "after");
  const pugi::xml_document doc =
      ParsedPart(after, "xl/worksheets/sheet" + std::to_string(original.SheetCount()) + ".xml");
  const pugi::xml_node view = doc.child("worksheet").child("sheetViews").child("sheetView");
  std::set<std::string> panes;
  for (pugi::xml_node selection : view.children("selection")) {
    const std::string pane = selection.attribute("pane").as_string("topLeft");
    EXPECT_TRUE(panes.insert(pane).second) << "two selections for the pane " << pane;
    if (pane == view.child("pane").attribute("activePane").as_string("topLeft")) {
      EXPECT_STREQ(selection.attribute("activeCell").value(), "B4");
      EXPECT_STREQ(selection.attribute("sqref").value(), "A3:B4");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fixture, FixtureRoundTripTest,
                         ::testing::Values(kOpenpyxlBank, kLibreOfficeBank), FixtureName);

TEST_F(FixtureTest, TheSettingsSheetKeepsWhatTheHostDoesNotModel) {
  Workbook& original = Open(kOpenpyxlBank);
  original.SheetAt(1).Range("Q1").SetValue(5);  // a change elsewhere, then save
  SaveAndOpen(original, kOpenpyxlBank);
  const PackageReader before = PackageReader::Open(FixtureBytes(kOpenpyxlBank), "before");
  const PackageReader after = PackageReader::Open(SavedBytes(kOpenpyxlBank), "after");

  const pugi::xml_document old_sheet = ParsedPart(before, "xl/worksheets/sheet2.xml");
  const pugi::xml_document new_sheet = ParsedPart(after, "xl/worksheets/sheet2.xml");
  for (const char* element :
       {"conditionalFormatting", "dataValidations", "hyperlinks", "sheetPr"}) {
    const pugi::xml_node kept = old_sheet.child("worksheet").child(element);
    ASSERT_TRUE(kept) << element;
    EXPECT_EQ(Serialized(new_sheet.child("worksheet").child(element)), Serialized(kept)) << element;
  }
  auto pane = [](const pugi::xml_document& doc) {
    return Serialized(doc.child("worksheet").child("sheetViews").child("sheetView").child("pane"));
  };
  EXPECT_EQ(pane(new_sheet), pane(old_sheet));
  EXPECT_NE(pane(new_sheet), "");

  // The hyperlink's relationship still leads to the address.
  const std::string rid =
      new_sheet.child("worksheet").child("hyperlinks").child("hyperlink").attribute("r:id").value();
  const pugi::xml_document rels = ParsedPart(after, "xl/worksheets/_rels/sheet2.xml.rels");
  const pugi::xml_node link =
      rels.child("Relationships").find_child_by_attribute("Relationship", "Id", rid.c_str());
  EXPECT_STREQ(link.attribute("Target").value(), "https://example.org/help");
  EXPECT_STREQ(link.attribute("TargetMode").value(), "External");

  // The conditional format's differential format.
  EXPECT_EQ(Serialized(ParsedPart(after, "xl/styles.xml").child("styleSheet").child("dxfs")),
            Serialized(ParsedPart(before, "xl/styles.xml").child("styleSheet").child("dxfs")));

  // The defined names that are not print areas, the sheet-local one still on the second sheet.
  auto names = [](const PackageReader& package) {
    std::vector<std::string> kept;
    pugi::xml_document doc = ParsedPart(package, "xl/workbook.xml");
    for (pugi::xml_node name : doc.child("workbook").child("definedNames").children()) {
      if (std::string(name.attribute("name").value()) != "_xlnm.Print_Area")
        kept.push_back(Serialized(name));
    }
    return kept;
  };
  EXPECT_EQ(names(after), names(before));
  EXPECT_EQ(names(before).size(), 2u);
}

// Fixed: a phonetic guide whose font no cell uses was given an index into the style sheet's
// fonts that had been written before the font was added.
TEST_F(FixtureTest, APhoneticGuideFontNoCellUsesIsWritten) {
  Workbook& original = Open(kOpenpyxlBank);
  Range d1 = original.SheetAt(1).Range("D1");
  TextFormatting formatting = *d1.Value().text().format();
  Font guide;
  guide.size = 6;
  formatting.phonetic_properties->font = guide;
  d1.SetValue(Text(d1.Value().text().text, formatting));
  Workbook& saved = SaveAndOpen(original, kOpenpyxlBank);
  const Text& text = saved.SheetAt(1).Range("D1").Value().text();
  ASSERT_NE(text.format(), nullptr);
  ASSERT_TRUE(text.format()->phonetic_properties.has_value());
  EXPECT_EQ(text.format()->phonetic_properties->font, guide);
}

// Other programs open the saved fixtures and show the same.
class FixtureClientsTest : public FixtureTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarquel-fixtures-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    Workbook& book = Open(GetParam());
    SaveAndOpen(book, GetParam());
    std::ofstream(dir_ + "/original.xlsx", std::ios::binary) << FixtureBytes(GetParam());
    std::ofstream(dir_ + "/saved.xlsx", std::ios::binary) << SavedBytes(GetParam());
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The first sheet as the office suite shows it, one line a row, or "" when it fails.
  std::string ShownAsCsv(const std::string& file) {
    const std::string out = dir_ + "/" + file + "-csv";
    testing::RunShell(
        "cd " + dir_ + " && HOME=" + dir_ +
        " soffice --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,"
        "true,true' --outdir " +
        out + " " + dir_ + "/" + file + " 2>&1");
    std::ifstream in(out + "/" + fs::path(file).stem().string() + ".csv");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string dir_;
};

TEST_P(FixtureClientsTest, TheOfficeSuiteShowsTheSavedBankAsTheOriginal) {
  if (testing::RunShell("command -v soffice").empty())
    GTEST_SKIP() << "soffice is not installed (scripts/install-deps.sh)";
  const std::string original = ShownAsCsv("original.xlsx");
  ASSERT_NE(original.find("No.1,a,試合にカツ。,勝,X"), std::string::npos) << original;
  EXPECT_EQ(ShownAsCsv("saved.xlsx"), original);
  const std::string output = testing::RunShell("cd " + dir_ + " && HOME=" + dir_ +
                                               " soffice --headless --convert-to pdf --outdir " +
                                               dir_ + " " + dir_ + "/saved.xlsx 2>&1");
  ASSERT_TRUE(fs::exists(dir_ + "/saved.pdf")) << output;
  EXPECT_GT(fs::file_size(dir_ + "/saved.pdf"), 1000u);
}

TEST_P(FixtureClientsTest, ThePythonLibraryReadsTheSavedBank) {
  if (testing::RunShell("/usr/bin/python3 -c 'import openpyxl' 2>&1; echo $?").find('0') != 0) {
    GTEST_SKIP() << "python3-openpyxl is not installed (scripts/install-deps.sh)";
  }
  const std::string script =
      "import sys\n"
      "import openpyxl\n"
      "wb = openpyxl.load_workbook(sys.argv[1])\n"
      "ws = wb['ミラヴォ 同音・同訓']\n"
      "print(ws['B1'].value, ws['B1'].number_format, ws['D1'].value, ws['D1'].font.name)\n"
      "print(ws['D1'].comment.text.replace('\\n', '/'), ws['E1'].comment.text)\n"
      "print([str(r) for r in ws.merged_cells.ranges], ws.print_area)\n"
      "print(ws.page_setup.orientation, ws.page_setup.paperSize, ws.sheet_view.showGridLines is "
      "not False)\n"
      "print(ws.column_dimensions['D'].width, ws.row_dimensions[1].height)\n"
      "for other in wb.worksheets[1:]:\n"
      "    print(other.title, other.freeze_panes, len(other.data_validations.dataValidation),\n"
      "          [str(c.sqref) for c in other.conditional_formatting], "
      "other['C1'].hyperlink.target)\n"
      "print(sorted(n.name for n in wb.defined_names.definedName))\n";
  std::ofstream(dir_ + "/read.py") << script;
  const std::string original =
      testing::RunShell("/usr/bin/python3 " + dir_ + "/read.py " + dir_ + "/original.xlsx 2>&1");
  ASSERT_NE(original.find("1 \"No.\"0 試合にカツ。 ＭＳ 明朝\n"), std::string::npos) << original;
  EXPECT_EQ(testing::RunShell("/usr/bin/python3 " + dir_ + "/read.py " + dir_ + "/saved.xlsx 2>&1"),
            original);
}

INSTANTIATE_TEST_SUITE_P(Fixture, FixtureClientsTest,
                         ::testing::Values(kOpenpyxlBank, kLibreOfficeBank), FixtureName);

}  // namespace
}  // namespace tarquel::host::xlsx
