// Printing sheets to PDF files with the project's printer: generated tests read back with
// poppler's tools (one sheet of paper per page of the test, every question whole in its cell,
// where the printer's own page layout puts it), which sheets print as tests, and what becomes of
// a sheet that cannot be printed or a file that cannot be written.
#include "tarquel/print_pdf.h"

#include <stdio.h>
#include <stdlib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "datafiles/sample_workbook.h"
#include "host/platform/memory_platform.h"
#include "host/platform/posix_platform.h"
#include "host/range.h"
#include "host/xlsx/fingerprint.h"
#include "model/test_sheet.h"
#include "print/font_catalog.h"
#include "print/page_layout.h"
#include "support/host_fixture.h"
#include "testgen/generation_fixture.h"

namespace tarquel::app {
namespace {

// --- Reading PDF files back -------------------------------------------------------------------

// A folder of its own under the system's temporary folder, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "print-pdf-test-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    path_ = pattern;
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

bool OnPath(const std::string& program) {
  return system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

bool HavePoppler() { return OnPath("pdftotext") && OnPath("pdfinfo"); }

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// What a shell command prints on its standard output.
std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The size of every page of a PDF in points, as pdfinfo gives them.
std::vector<std::pair<double, double>> PageSizes(const std::string& pdf_path) {
  const std::string info = Output("pdfinfo -f 1 -l 9999 " + Quoted(pdf_path));
  std::vector<std::pair<double, double>> sizes;
  const std::regex size("Page +[0-9]+ size: +([0-9.]+) x ([0-9.]+)");
  for (auto it = std::sregex_iterator(info.begin(), info.end(), size); it != std::sregex_iterator();
       ++it) {
    sizes.emplace_back(std::stod(it->str(1)), std::stod(it->str(2)));
  }
  return sizes;
}

// One word of `pdftotext -bbox`: a glyph of stacked text, or a run of horizontal text.
struct PdfWord {
  double x0, y0, x1, y1;
  std::string text;

  double CenterX() const { return (x0 + x1) / 2; }
  double CenterY() const { return (y0 + y1) / 2; }
};

std::string Unescaped(std::string text) {
  for (const auto& [entity, plain] : std::vector<std::pair<std::string, std::string>>{
           {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}}) {
    for (std::size_t at = text.find(entity); at != std::string::npos;
         at = text.find(entity, at + plain.size())) {
      text.replace(at, entity.size(), plain);
    }
  }
  return text;
}

// The words of each page of a PDF, with their boxes in points from the page's top left.
std::vector<std::vector<PdfWord>> PdfWords(const std::string& pdf_path) {
  const std::string html = Output("pdftotext -bbox " + Quoted(pdf_path) + " -");
  std::vector<std::vector<PdfWord>> pages;
  const std::regex tag(
      "<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
      "yMax=\"([0-9.]+)\">([^<]*)</word>");
  for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    if (m.str(0) == "<page ") {
      pages.emplace_back();
    } else if (!pages.empty()) {
      pages.back().push_back({std::stod(m.str(1)), std::stod(m.str(2)), std::stod(m.str(3)),
                              std::stod(m.str(4)), Unescaped(m.str(5))});
    }
  }
  return pages;
}

struct Box {
  double left, top, right, bottom;
};

// The cell (row, column) on a page of the printer's layout, in points on the paper.
std::optional<Box> CellBox(const print::SheetPage& page, int32_t row, int32_t column) {
  const auto r = std::find(page.rows.begin(), page.rows.end(), row);
  const auto c = std::find(page.columns.begin(), page.columns.end(), column);
  if (r == page.rows.end() || c == page.columns.end()) return std::nullopt;
  const std::size_t ri = r - page.rows.begin();
  const std::size_t ci = c - page.columns.begin();
  return Box{page.column_left[ci], page.row_top[ri], page.column_left[ci + 1],
             page.row_top[ri + 1]};
}

// The words whose centres lie in `box`, read top to bottom (stacked text), left to right in a
// line.
std::string TextIn(const std::vector<PdfWord>& words, const Box& box) {
  std::vector<PdfWord> inside;
  std::copy_if(words.begin(), words.end(), std::back_inserter(inside), [&](const PdfWord& word) {
    return word.CenterX() > box.left && word.CenterX() < box.right && word.CenterY() > box.top &&
           word.CenterY() < box.bottom;
  });
  std::stable_sort(inside.begin(), inside.end(), [](const PdfWord& a, const PdfWord& b) {
    return a.CenterY() + 1 < b.CenterY() ||
           (std::abs(a.CenterY() - b.CenterY()) <= 1 && a.x0 < b.x0);
  });
  std::string text;
  for (const PdfWord& word : inside) text += word.text;
  return text;
}

// --- Printing a generated test -----------------------------------------------------------------

// A started add-in whose bank is the sample workbook's.
class PrintPdfTest : public testing::GenerationTest {
 protected:
  void SetUp() override {
    book_ = &datafiles::BuildSampleWorkbook(app_);
    bank_ = &book_->ActiveSheet();
    StartUp();
  }

  // Prints the test sheet to a PDF file and checks what every print of a test must show: one
  // sheet of A4 across for each page of the test, each holding that page's rows; on each its
  // page number and test code in the side column, and every question whole in its own cell,
  // where the printer's layout puts the cell; and the workbook as it was.
  void PrintAndCheck(bool sheet40) {
    host::Worksheet* test = Sheet(sheet40);
    ASSERT_NE(test, nullptr);
    const uint64_t before = host::xlsx::WorkbookFingerprint(*book_);
    ScratchFolder folder;
    host::PosixPlatform platform;
    const std::string pdf_path = folder.path() + "/テスト 用紙.pdf";
    const PrintResult result =
        PrintSheetToPdf(*book_, std::string(model::TestSheetName(sheet40)), pdf_path, platform);
    ASSERT_FALSE(result.error) << result.error->message;
    EXPECT_EQ(host::xlsx::WorkbookFingerprint(*book_), before) << "the workbook is not changed";
    EXPECT_EQ(ReadBytes(pdf_path).substr(0, 5), "%PDF-");

    const int pages = body().generation.test_page_count;
    EXPECT_EQ(result.pages, pages);
    const std::vector<std::pair<double, double>> sizes = PageSizes(pdf_path);
    EXPECT_EQ(static_cast<int>(sizes.size()), pages);
    for (const auto& [width, height] : sizes) {
      EXPECT_NEAR(width, 841.89, 0.01) << "A4 across";
      EXPECT_NEAR(height, 595.28, 0.01) << "A4 across";
    }

    print::FontCatalog fonts;
    const print::SheetLayout layout = print::LayOutPages(*test, PrintOptionsFor(*test), fonts);
    ASSERT_EQ(static_cast<int>(layout.pages.size()), pages);
    const std::vector<std::vector<PdfWord>> words = PdfWords(pdf_path);
    ASSERT_EQ(static_cast<int>(words.size()), pages);
    const int32_t rows_per_page = model::RowsPerPage(sheet40);
    const std::string code = test->Cells(rows_per_page, model::kSideColumn).Text();
    ASSERT_NE(code, "");
    int questions = 0;
    for (int page = 1; page <= pages; ++page) {
      SCOPED_TRACE("page " + std::to_string(page));
      const print::SheetPage& on_paper = layout.pages[page - 1];
      const std::vector<PdfWord>& on_page = words[page - 1];
      const int32_t first_row = model::PageFirstRow(page, sheet40);
      const int32_t foot_row = first_row + rows_per_page - 1;
      ASSERT_FALSE(on_paper.rows.empty());
      EXPECT_EQ(on_paper.rows.front(), first_row);
      EXPECT_EQ(on_paper.rows.back(), foot_row);

      const std::optional<Box> number = CellBox(on_paper, first_row, model::kSideColumn);
      ASSERT_TRUE(number);
      EXPECT_EQ(TextIn(on_page, *number), "No." + std::to_string(page));
      const std::optional<Box> code_cell = CellBox(on_paper, foot_row, model::kSideColumn);
      ASSERT_TRUE(code_cell);
      EXPECT_EQ(TextIn(on_page, *code_cell), code);

      for (int32_t row = first_row + 1; row < foot_row; row += model::kRowsPerBand) {
        for (int32_t column = 1; column <= model::kLastSlotColumn; ++column) {
          const std::string question = test->Cells(row, column).Text();
          if (question.empty()) continue;
          ++questions;
          const std::optional<Box> cell = CellBox(on_paper, row, column);
          ASSERT_TRUE(cell);
          EXPECT_EQ(TextIn(on_page, *cell), question) << "whole and inside its cell";
        }
      }
    }
    EXPECT_GE(questions, 10);
  }
};

// The question cell of the test sheet that holds `text`, or nullopt.
std::optional<std::pair<int32_t, int32_t>> CellHolding(host::Worksheet& test,
                                                       const std::string& text) {
  for (int32_t row = 1; row <= test.LastRowWithCells(); ++row) {
    for (int32_t column = 1; column <= model::kLastSlotColumn; ++column) {
      if (test.Cells(row, column).Value().AsText() == text) return std::make_pair(row, column);
    }
  }
  return std::nullopt;
}

// 45 characters: far too long for a 190-point cell at 12 points.
constexpr char kLongSentence[] =
    "春の遠足で訪れた山の上の広い公園で、みんなと一緒にお弁当を食べながら会心の笑顔を見せた。";
// Half-width letters and digits, which stand upright one below the other.
constexpr char kHalfWidthSentence[] = "Wi-Fiのパスワードを1234ABCDに変えたら改心した";

TEST_F(PrintPdfTest, AFortyQuestionTestPrintsOnePageOfPaperForEachPageOfTheTest) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  bank_->Range("D1").SetValue(host::CellValue(kLongSentence));
  bank_->Range("D2").SetValue(host::CellValue(kHalfWidthSentence));
  MakeTest("1", "14", "14", "2024", true);  // every group of the range: about 40 questions
  host::Worksheet* test = Sheet(true);
  ASSERT_NE(test, nullptr);
  ASSERT_GE(body().generation.test_page_count, 2);
  ASSERT_TRUE(CellHolding(*test, kLongSentence));
  ASSERT_TRUE(CellHolding(*test, kHalfWidthSentence));
  PrintAndCheck(true);
}

TEST_F(PrintPdfTest, ATwentyQuestionTestPrintsOnePageOfPaperForEachPageOfTheTest) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  MakeTest("1", "8", "8", "77", false);
  ASSERT_GE(body().generation.test_page_count, 2);
  PrintAndCheck(false);
}

TEST_F(PrintPdfTest, SeveralSheetsPrintIntoOneDocumentInTheOrderGiven) {
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  MakeTest("1", "8", "8", "77", false);
  MakeTest("1", "14", "14", "2024", true);
  host::Worksheet* test20 = Sheet(false);
  host::Worksheet* test40 = Sheet(true);
  ASSERT_TRUE(test20 != nullptr && test40 != nullptr);
  ScratchFolder folder;
  host::PosixPlatform platform;
  const std::string one = folder.path() + "/one.pdf";
  const std::string both = folder.path() + "/both.pdf";
  const PrintResult alone = PrintSheetsToPdf({test40}, one, platform);
  ASSERT_FALSE(alone.error) << alone.error->message;
  const PrintResult together = PrintSheetsToPdf({test40, test20}, both, platform);
  ASSERT_FALSE(together.error) << together.error->message;
  EXPECT_GT(together.pages, alone.pages);
  EXPECT_EQ(static_cast<int>(PageSizes(both).size()), together.pages);
  const std::vector<std::vector<PdfWord>> words = PdfWords(both);
  ASSERT_EQ(static_cast<int>(words.size()), together.pages);
  // The 40 sheet first, its code on its last page; the 20 sheet's code on the pages after.
  auto has = [](const std::vector<PdfWord>& page, const std::string& text) {
    return std::any_of(page.begin(), page.end(), [&](const PdfWord& w) { return w.text == text; });
  };
  const std::string code40 = test40->Cells(8, model::kSideColumn).Text();
  const std::string code20 = test20->Cells(4, model::kSideColumn).Text();
  EXPECT_TRUE(has(words[alone.pages - 1], code40));
  EXPECT_FALSE(has(words[alone.pages - 1], code20));
  EXPECT_TRUE(has(words[alone.pages], code20));
}

// --- Which sheets print as tests ---------------------------------------------------------------

using PrintOptionsForTest = testing::HostTest;

TEST_F(PrintOptionsForTest, OnlyTheTwoTestSheetsByTheirExactNamesKeepTheirPagesWhole) {
  const struct {
    const char* name;
    int32_t rows_per_block;
  } cases[] = {
      {"テスト用紙 【40】", 8},     {"テスト用紙 【20】", 4},   {"テスト用紙【40】", 0},
      {"テスト用紙 【40】 (2)", 0}, {"ミラヴォ 同音・同訓", 0}, {"Sheet1", 0},
  };
  for (const auto& c : cases) {
    sheet_->SetName(c.name);
    EXPECT_EQ(PrintOptionsFor(*sheet_).rows_per_block, c.rows_per_block) << c.name;
  }
}

// --- Sheets that cannot be printed, files that cannot be written --------------------------------

constexpr char kPdfPath[] = "/home/user/Documents/テスト.pdf";
constexpr char kOldPdf[] = "%PDF-1.4 the test printed yesterday";

TEST_F(PrintPdfTest, NothingIsWrittenWhenASheetCannotBePrintedOrTheFileCannotBeWritten) {
  MakeTest("1", "3", "3", "5", true);
  host::Worksheet& empty = book_->Sheets().Add();
  empty.SetName("空のシート");
  const host::Worksheet* test = Sheet(true);
  ASSERT_NE(test, nullptr);
  const struct {
    const char* name;
    std::vector<const host::Worksheet*> sheets;
    std::string path;
    std::function<void(host::MemoryPlatform&)> setup;
    bool file_problem;
    std::vector<std::string> said;  // what the message holds
  } cases[] = {
      {"a sheet with nothing to print", {&empty}, kPdfPath, {}, false, {"\"空のシート\""}},
      {"one sheet of several with nothing to print",
       {test, &empty},
       kPdfPath,
       {},
       false,
       {"空のシート"}},
      {"no sheet at all", {}, kPdfPath, {}, false, {"no sheet to print", kPdfPath}},
      {"a folder that does not exist",
       {test},
       "/home/user/無い/テスト.pdf",
       {},
       true,
       {"/home/user/無い/テスト.pdf"}},
      {"a folder in the file's place",
       {test},
       kPdfPath,
       [](host::MemoryPlatform& p) {
         ASSERT_FALSE(p.RemoveFile(kPdfPath));
         ASSERT_FALSE(p.CreateFolder(kPdfPath));
       },
       true,
       {"a folder"}},
      {"a failing disk",
       {test},
       kPdfPath,
       [](host::MemoryPlatform& p) { p.FailNextWrite(); },
       true,
       {kPdfPath}},
  };
  const uint64_t before = host::xlsx::WorkbookFingerprint(*book_);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host::MemoryPlatform platform;
    platform.AddFile(kPdfPath, kOldPdf);
    if (c.setup) c.setup(platform);
    const PrintResult result = PrintSheetsToPdf(c.sheets, c.path, platform);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(result.error->file_problem, c.file_problem) << result.error->message;
    for (const std::string& said : c.said) {
      EXPECT_NE(result.error->message.find(said), std::string::npos)
          << said << " in " << result.error->message;
    }
    if (platform.FileExists(kPdfPath)) {
      EXPECT_EQ(platform.ReadFile(kPdfPath, nullptr), kOldPdf) << "the old file is kept";
    }
    EXPECT_FALSE(platform.FileExists(c.path) && c.path != kPdfPath) << "nothing new is written";
  }
  EXPECT_EQ(host::xlsx::WorkbookFingerprint(*book_), before);
}

TEST_F(PrintPdfTest, ANameTheWorkbookHasNoSheetOfIsRefusedNamingIt) {
  MakeTest("1", "3", "3", "5", true);
  host::MemoryPlatform platform;
  platform.AddFile(kPdfPath, kOldPdf);
  const PrintResult result = PrintSheetToPdf(*book_, "テスト用紙 【99】", kPdfPath, platform);
  ASSERT_TRUE(result.error);
  EXPECT_FALSE(result.error->file_problem);
  EXPECT_NE(result.error->message.find("テスト用紙 【99】"), std::string::npos);
  EXPECT_EQ(platform.ReadFile(kPdfPath, nullptr), kOldPdf);
}

TEST_F(PrintPdfTest, APrintReplacesTheOldFileWhole) {
  MakeTest("1", "3", "3", "5", true);
  host::MemoryPlatform platform;
  platform.AddFile(kPdfPath, kOldPdf);
  const PrintResult result = PrintSheetToPdf(*book_, model::kTestSheet40Name, kPdfPath, platform);
  ASSERT_FALSE(result.error) << result.error->message;
  EXPECT_EQ(result.pages, body().generation.test_page_count);
  const std::optional<std::string> pdf = platform.ReadFile(kPdfPath, nullptr);
  ASSERT_TRUE(pdf);
  EXPECT_EQ(pdf->substr(0, 5), "%PDF-");
  EXPECT_NE(pdf->find("%%EOF"), std::string::npos) << "the whole document";
}

}  // namespace
}  // namespace tarquel::app
