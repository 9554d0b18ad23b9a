// Printing a test sheet to PDF: the font sizes stacked text shrinks to, what is handed to
// LibreOffice and what becomes of its failures, and whole conversions of generated tests read
// back with poppler's tools.
#include "tarquel/print_pdf.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "datafiles/sample_workbook.h"
#include "host/application.h"
#include "host/platform/memory_platform.h"
#include "host/platform/posix_platform.h"
#include "host/xlsx/fingerprint.h"
#include "host/xlsx/xlsx_files.h"
#include "model/bank_sheet.h"
#include "model/test_sheet.h"
#include "support/scripted_ui.h"
#include "testgen/generation_fixture.h"

namespace tarquel::app {
namespace {

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// --- Shrinking stacked text --------------------------------------------------------------------

TEST(ShrunkVerticalFontSizeTest, TextThatFitsKeepsItsSize) {
  const struct {
    const char* name;
    std::string text;
    double size;
    double height;
  } cases[] = {
      {"ten kanji at 12 points in 190", Repeat("漢", 10), 12, 190},
      {"fifteen at 12 points in 190", Repeat("漢", 15), 12, 190},
      {"an answer at 30 points in 90", "会心", 30, 90},
      {"empty", "", 12, 10},
      {"no cell height, nothing to fit", "", 12, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShrunkVerticalFontSize(c.text, c.size, c.height), c.size) << c.name;
  }
}

TEST(ShrunkVerticalFontSizeTest, LongerTextShrinksJustEnoughToFitTheCell) {
  // 40 characters at 12 points stand 480 points tall: in 190 points they must come down below
  // 190 / 40, leaving the cell's padding, and not much further.
  const std::string forty = Repeat("漢", 40);
  const double shrunk = ShrunkVerticalFontSize(forty, 12, 190);
  EXPECT_LT(shrunk * 40, 190);
  EXPECT_GT(shrunk * 40, 190 * 0.93);
  // Sixteen characters at 12 points are 192 points: just too tall for 190.
  EXPECT_LT(ShrunkVerticalFontSize(Repeat("漢", 16), 12, 190), 12);
  // Twice the text, half the size; twice the cell, twice the size, up to steps of a tenth.
  EXPECT_NEAR(ShrunkVerticalFontSize(forty + forty, 12, 190), shrunk / 2, 0.15);
  EXPECT_NEAR(ShrunkVerticalFontSize(forty, 12, 380), 2 * shrunk, 0.25);
  // Once shrinking, the size is the cell's, whatever the font was; a small font stays.
  EXPECT_EQ(ShrunkVerticalFontSize(forty, 30, 190), shrunk);
  EXPECT_EQ(ShrunkVerticalFontSize(forty, 3, 190), 3);
  // Never below the host's smallest size.
  EXPECT_EQ(ShrunkVerticalFontSize(Repeat("漢", 1000), 12, 190), 1);
}

TEST(ShrunkVerticalFontSizeTest, EveryCharacterStandsOnALineOfItsOwn) {
  const double full = ShrunkVerticalFontSize(Repeat("Ａ", 40), 12, 190);
  ASSERT_LT(full, 12);
  // Half-width letters and kana are narrower, not lower: forty of them need the room of forty
  // full-width ones, or LibreOffice cuts the last half of them off.
  EXPECT_EQ(ShrunkVerticalFontSize(Repeat("A", 40), 12, 190), full);
  EXPECT_EQ(ShrunkVerticalFontSize(Repeat("ｱ", 40), 12, 190), full);
  EXPECT_EQ(ShrunkVerticalFontSize(Repeat("1", 20) + Repeat("漢", 20), 12, 190), full);
  // A combining sound mark belongs to the kana before it: が written as か and ゙.
  EXPECT_EQ(ShrunkVerticalFontSize(Repeat("か\u3099", 40), 12, 190), full);
  // Bytes that are not UTF-8 are each taken for a character rather than read past.
  EXPECT_EQ(ShrunkVerticalFontSize(std::string(40, '\xff'), 12, 190), full);
  // A line break starts a new column: two columns of 20 are as tall as one.
  const std::string twenty = Repeat("字", 20);
  EXPECT_EQ(ShrunkVerticalFontSize(twenty + "\n" + twenty, 12, 190),
            ShrunkVerticalFontSize(twenty, 12, 190));
}

// --- Helpers for printing ----------------------------------------------------------------------

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

// Sets an environment variable for the life of this, then puts the old value back.
class EnvironmentOverride {
 public:
  EnvironmentOverride(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = getenv(name_.c_str())) old_ = old;
    setenv(name_.c_str(), value.c_str(), 1);
  }
  EnvironmentOverride(const EnvironmentOverride&) = delete;
  EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;
  ~EnvironmentOverride() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

bool OnPath(const std::string& program) {
  return system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

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

void WriteExecutable(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
  chmod(path.c_str(), 0755);
}

std::vector<std::string> FolderEntries(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
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

// The columns of stacked text on a page: glyphs one below the other, each column read top to
// bottom, with the centre of its lowest glyph.
struct StackedColumn {
  std::string text;
  double lowest_center = 0;
};

std::vector<StackedColumn> StackedColumns(const std::vector<PdfWord>& words) {
  // Glyphs of one column share their horizontal place, give or take the offset of punctuation.
  std::vector<PdfWord> sorted = words;
  std::sort(sorted.begin(), sorted.end(),
            [](const PdfWord& a, const PdfWord& b) { return a.CenterX() < b.CenterX(); });
  std::vector<std::vector<PdfWord>> by_x;
  double start = -1000;
  for (const PdfWord& word : sorted) {
    if (word.CenterX() - start > 8) {
      by_x.emplace_back();
      start = word.CenterX();
    }
    by_x.back().push_back(word);
  }
  std::vector<StackedColumn> columns;
  for (std::vector<PdfWord>& glyphs : by_x) {
    std::sort(glyphs.begin(), glyphs.end(),
              [](const PdfWord& a, const PdfWord& b) { return a.y0 < b.y0; });
    // A gap wider than a glyph ends a column: the next one stands in another band.
    double previous_bottom = -1000;
    for (const PdfWord& glyph : glyphs) {
      if (glyph.y0 - previous_bottom > glyph.y1 - glyph.y0) columns.emplace_back();
      columns.back().text += glyph.text;
      columns.back().lowest_center = glyph.CenterY();
      previous_bottom = glyph.y1;
    }
  }
  return columns;
}

const PdfWord* FindWord(const std::vector<PdfWord>& words, const std::string& text) {
  for (const PdfWord& word : words) {
    if (word.text == text) return &word;
  }
  return nullptr;
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

  static bool HaveOffice() { return OnPath("soffice") || OnPath("libreoffice"); }
  static bool HavePoppler() { return OnPath("pdftotext") && OnPath("pdfinfo"); }

  // Prints the test sheet to a PDF file and checks what every print must show: one PDF
  // page per page of the test, on each its page number, the test code, and every question of
  // the page whole, in one column, inside its cell; and the workbook as it was.
  void PrintAndCheck(bool sheet40) {
    host::Worksheet* test = Sheet(sheet40);
    ASSERT_NE(test, nullptr);
    const uint64_t before = host::xlsx::WorkbookFingerprint(*book_);
    ScratchFolder folder;
    host::PosixPlatform platform;
    const std::string pdf_path = folder.path() + "/テスト 用紙.pdf";
    const std::optional<PdfError> error =
        PrintSheetToPdf(*book_, std::string(model::TestSheetName(sheet40)), pdf_path, platform);
    ASSERT_FALSE(error) << error->message;
    EXPECT_EQ(host::xlsx::WorkbookFingerprint(*book_), before) << "the workbook is not changed";
    EXPECT_EQ(ReadBytes(pdf_path).substr(0, 5), "%PDF-");

    const int pages = body().generation.test_page_count;
    std::smatch match;
    const std::string info = Output("pdfinfo " + Quoted(pdf_path));
    EXPECT_TRUE(std::regex_search(info, match, std::regex("Pages:\\s+(\\d+)"))) << info;
    EXPECT_EQ(match.empty() ? 0 : std::stoi(match.str(1)), pages)
        << "one page of paper for each page of the test, and none for the bank";

    const std::vector<std::vector<PdfWord>> words = PdfWords(pdf_path);
    EXPECT_EQ(static_cast<int>(words.size()), pages);
    const int32_t rows_per_page = model::RowsPerPage(sheet40);
    const std::string code = test->Cells(rows_per_page, model::kSideColumn).Text();
    EXPECT_NE(code, "");
    for (int page = 1; page <= std::min<int>(pages, static_cast<int>(words.size())); ++page) {
      SCOPED_TRACE("page " + std::to_string(page));
      const std::vector<PdfWord>& on_page = words[page - 1];
      const int32_t first_row = model::PageFirstRow(page, sheet40);
      const std::string number = test->Cells(first_row, model::kSideColumn).Text();
      EXPECT_EQ(number, "No." + std::to_string(page));
      EXPECT_NE(FindWord(on_page, number), nullptr) << number;
      const PdfWord* code_word = FindWord(on_page, code);
      EXPECT_NE(code_word, nullptr) << code;
      if (code_word == nullptr) continue;

      // A question row ends where the answer row under it begins. The code stands at the top of
      // the page's last row, which gives the scale the page is printed at.
      const int32_t foot_row = first_row + rows_per_page - 1;
      double above_foot = 0;
      for (int32_t row = first_row; row < foot_row; ++row) above_foot += test->RowHeightOf(row);
      const double top_margin = test->page_setup().top_margin;
      const double scale = (code_word->y0 - top_margin) / above_foot;
      EXPECT_GT(scale, 0.5);
      EXPECT_LE(scale, 1.0);
      auto row_top = [&](int32_t row) {
        double above = 0;
        for (int32_t r = first_row; r < row; ++r) above += test->RowHeightOf(r);
        return top_margin + scale * above;
      };

      for (int32_t band_row = first_row + 1; band_row < first_row + rows_per_page;
           band_row += model::kRowsPerBand) {
        // The glyphs of the question row, and of the answer row below it, where a question too
        // long for its cell would run on.
        const double top = row_top(band_row);
        const double bottom = row_top(band_row + 1);
        std::vector<PdfWord> in_band;
        std::copy_if(on_page.begin(), on_page.end(), std::back_inserter(in_band),
                     [&](const PdfWord& word) {
                       return word.CenterY() > top && word.CenterY() < row_top(band_row + 2);
                     });
        const std::vector<StackedColumn> columns = StackedColumns(in_band);
        for (int32_t column = 1; column <= model::kLastSlotColumn; ++column) {
          const std::string question = test->Cells(band_row, column).Value().AsText();
          if (question.empty()) continue;
          auto found = std::find_if(columns.begin(), columns.end(),
                                    [&](const StackedColumn& c) { return c.text == question; });
          EXPECT_NE(found, columns.end()) << "whole, in one column: " << question;
          if (found != columns.end()) {
            EXPECT_LT(found->lowest_center, bottom) << "inside its cell: " << question;
          }
        }
      }
    }
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
// Half-width letters, digits and kana, which stand one to a line like any other character.
constexpr char kHalfWidthSentence[] = "Wi-Fiのﾊﾟｽﾜｰﾄﾞを1234ABCDに変えたら改心した";

TEST_F(PrintPdfTest, AFortyQuestionTestPrintsOnePageOfPaperForEachPageOfTheTest) {
  if (!HaveOffice()) GTEST_SKIP() << "LibreOffice is not installed";
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
  if (!HaveOffice()) GTEST_SKIP() << "LibreOffice is not installed";
  if (!HavePoppler()) GTEST_SKIP() << "poppler-utils is not installed";
  MakeTest("1", "8", "8", "77", false);
  ASSERT_GE(body().generation.test_page_count, 2);
  PrintAndCheck(false);
}

// --- Without LibreOffice, and when it fails ------------------------------------------------------

constexpr char kPdfPath[] = "/home/user/Documents/テスト.pdf";
constexpr char kOldPdf[] = "%PDF-1.4 the test printed yesterday";

TEST_F(PrintPdfTest, WithoutLibreOfficeTheCallerIsToldWhatToInstallAndNothingIsWritten) {
  MakeTest("1", "3", "3", "5", true);
  ScratchFolder empty;
  EnvironmentOverride path("PATH", empty.path());
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "over an existing file" : "no file yet");
    host::MemoryPlatform platform;
    if (existing) {
      ASSERT_FALSE(platform.WriteFileAtomically(kPdfPath, kOldPdf));
    }
    const std::optional<PdfError> error =
        PrintSheetToPdf(*book_, model::kTestSheet40Name, kPdfPath, platform);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->missing_tool);
    EXPECT_NE(error->message.find("libreoffice-calc-nogui"), std::string::npos) << error->message;
    EXPECT_NE(error->message.find("scripts/setup.sh"), std::string::npos) << error->message;
    if (existing) {
      EXPECT_EQ(platform.ReadFile(kPdfPath, nullptr), kOldPdf);
    } else {
      EXPECT_FALSE(platform.FileExists(kPdfPath));
    }
  }
}

// A stand-in for soffice that runs the shell commands `body` and exits with `status`.
void WriteFakeOffice(const std::string& folder, const std::string& body, int status) {
  WriteExecutable(folder + "/soffice",
                  "#!/bin/sh\n" + body + "\nexit " + std::to_string(status) + "\n");
}

TEST_F(PrintPdfTest, AFailedConversionLeavesTheOldFileAsItWasAndSaysWhy) {
  MakeTest("1", "3", "3", "5", true);
  const struct {
    const char* name;
    std::string sheet;
    std::string body;
    int status;
    std::vector<std::string> said;  // what the message holds
  } cases[] = {
      {"the converter fails",
       model::kTestSheet40Name,
       "echo 'loading the document'\necho 'Error: source file could not be loaded' >&2",
       3,
       {"status 3", "source file could not be loaded", "loading the document"}},
      {"the converter makes no PDF",
       model::kTestSheet40Name,
       "echo 'convert print.xlsx -> print.pdf using filter : calc_pdf_Export'",
       0,
       {"no PDF", "calc_pdf_Export"}},
      {"the converter is killed", model::kTestSheet40Name, "kill -9 $$", 0, {"signal 9"}},
      {"no such sheet", "テスト用紙 【99】", "", 0, {"テスト用紙 【99】"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder tools;
    ScratchFolder temp_base;
    const std::string temp = temp_base.path() + "/一時 フォルダ";
    ASSERT_TRUE(std::filesystem::create_directory(temp));
    WriteFakeOffice(tools.path(), c.body, c.status);
    EnvironmentOverride path("PATH", tools.path());
    EnvironmentOverride tmpdir("TMPDIR", temp);
    host::MemoryPlatform platform;
    ASSERT_FALSE(platform.WriteFileAtomically(kPdfPath, kOldPdf));

    const std::optional<PdfError> error = PrintSheetToPdf(*book_, c.sheet, kPdfPath, platform);
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->missing_tool);
    for (const std::string& said : c.said) {
      EXPECT_NE(error->message.find(said), std::string::npos) << said << " in " << error->message;
    }
    EXPECT_EQ(platform.ReadFile(kPdfPath, nullptr), kOldPdf);
    EXPECT_EQ(FolderEntries(temp), std::vector<std::string>{}) << "the temporary folder is gone";
  }
}

TEST_F(PrintPdfTest, WithoutTheIpaFontsTheCallerIsToldWhatToInstallAndNothingIsWritten) {
  MakeTest("1", "3", "3", "5", true);
  const struct {
    const char* name;
    std::string families;  // what fc-list answers
    bool missing;
  } cases[] = {
      {"no IPA font", "DejaVu Sans\nNoto Sans CJK JP,Noto Sans CJK JP Regular\n", true},
      {"a name that only begins like one", "IPAMinchoX\nIPAPMincho\nIPAGothic\nIPAPGothic\n", true},
      {"all of them", "IPAMincho,IPA明朝\nIPAPMincho,IPA P明朝\nIPAGothic\nIPAPGothic\n", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder tools;
    std::ofstream(tools.path() + "/families", std::ios::binary) << c.families;
    WriteExecutable(tools.path() + "/fc-list",
                    "#!/bin/sh\n[ -n \"$FONTCONFIG_FILE\" ] || exit 1\nwhile read -r f; do printf "
                    "'%s\\n' \"$f\"; done < " +
                        Quoted(tools.path() + "/families") + "\n");
    WriteFakeOffice(tools.path(), "echo 'the converter ran' >&2", 1);
    EnvironmentOverride path("PATH", tools.path());
    host::MemoryPlatform platform;
    ASSERT_FALSE(platform.WriteFileAtomically(kPdfPath, kOldPdf));
    const std::optional<PdfError> error =
        PrintSheetToPdf(*book_, model::kTestSheet40Name, kPdfPath, platform);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->missing_tool, c.missing) << error->message;
    if (c.missing) {
      EXPECT_NE(error->message.find("fonts-ipafont-mincho"), std::string::npos) << error->message;
      EXPECT_NE(error->message.find("IPAMincho"), std::string::npos) << error->message;
    } else {
      EXPECT_NE(error->message.find("the converter ran"), std::string::npos) << error->message;
    }
    EXPECT_EQ(platform.ReadFile(kPdfPath, nullptr), kOldPdf);
  }
}

// What PrintSheetToPdf hands the converter: a stand-in records its arguments, the workbook and
// the font settings it was given, and answers with a PDF of its own.
TEST_F(PrintPdfTest,
       TheConverterGetsACopyWithOnlyTheTestSheetItsTextFittedAndItsPagesOnePaperEach) {
  bank_->Range("D1").SetValue(host::CellValue(kLongSentence));
  MakeTest("1", "14", "14", "2024", true);
  host::Worksheet& test = *Sheet(true);
  const auto long_cell = CellHolding(test, kLongSentence);
  ASSERT_TRUE(long_cell);
  const uint64_t before = host::xlsx::WorkbookFingerprint(*book_);

  ScratchFolder tools;
  ScratchFolder record;
  ScratchFolder temp_base;
  const std::string temp = temp_base.path() + "/一時 フォルダ";
  ASSERT_TRUE(std::filesystem::create_directory(temp));
  const std::string r = Quoted(record.path());
  WriteFakeOffice(tools.path(),
                  "for a in \"$@\"; do printf '%s\\n' \"$a\" >> " + r +
                      "/args; if [ \"$prev\" = --outdir ]; then out=$a; fi; prev=$a; done\n"
                      "/bin/cp \"$prev\" " +
                      r +
                      "/print.xlsx\n"
                      "/bin/cp \"$FONTCONFIG_FILE\" " +
                      r +
                      "/fonts.conf\n"
                      "printf '%%PDF-1.7 converted' > \"$out/print.pdf\"",
                  0);
  EnvironmentOverride path("PATH", tools.path());
  EnvironmentOverride tmpdir("TMPDIR", temp);
  host::MemoryPlatform platform;
  ASSERT_FALSE(platform.WriteFileAtomically(kPdfPath, kOldPdf));
  const std::optional<PdfError> error =
      PrintSheetToPdf(*book_, model::kTestSheet40Name, kPdfPath, platform);
  ASSERT_FALSE(error) << error->message;
  EXPECT_EQ(platform.ReadFile(kPdfPath, nullptr), "%PDF-1.7 converted");
  EXPECT_EQ(FolderEntries(temp), std::vector<std::string>{}) << "the temporary folder is gone";
  EXPECT_EQ(host::xlsx::WorkbookFingerprint(*book_), before);

  // Headless, with a profile of its own in the temporary folder, named by a URL.
  std::vector<std::string> args;
  std::istringstream lines(ReadBytes(record.path() + "/args"));
  for (std::string line; std::getline(lines, line);) args.push_back(line);
  ASSERT_EQ(args.size(), 8u);
  EXPECT_EQ(args[0], "--headless");
  EXPECT_EQ(args[1], "--norestore");
  const std::string temp_url =
      "file://" + temp_base.path() + "/%E4%B8%80%E6%99%82%20%E3%83%95%E3%82%A9%E3%83%AB%E3%83%80/";
  EXPECT_EQ(args[2].rfind("-env:UserInstallation=" + temp_url + "tarquel-pdf-", 0), 0u) << args[2];
  EXPECT_EQ(args[3], "--convert-to");
  EXPECT_EQ(args[4], "pdf");
  EXPECT_EQ(args[5], "--outdir");
  EXPECT_EQ(args[7], args[6] + "/print.xlsx");
  EXPECT_EQ(args[6].rfind(temp + "/tarquel-pdf-", 0), 0u) << args[6];
  // The IPA fonts stand in for the host's Japanese fonts.
  const std::string fonts = ReadBytes(record.path() + "/fonts.conf");
  EXPECT_NE(fonts.find("<family>ＭＳ 明朝</family><prefer><family>IPAMincho</family>"),
            std::string::npos)
      << fonts;
  EXPECT_NE(fonts.find("<family>ＭＳ Ｐゴシック</family><prefer><family>IPAPGothic</family>"),
            std::string::npos);

  testing::ScriptedUi ui;
  host::Application reader(ui);
  host::Workbook copy(reader, "print.xlsx");
  host::xlsx::XlsxFiles::ReadPackage(ReadBytes(record.path() + "/print.xlsx"), "print.xlsx", copy);
  host::Worksheet* printed = copy.FindSheet(model::kTestSheet40Name);
  ASSERT_NE(printed, nullptr);
  EXPECT_EQ(&copy.ActiveSheet(), printed);
  host::Worksheet* bank = copy.FindSheet(model::kBankSheetBaseName);
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(bank->visibility(), host::SheetVisibility::kHidden);
  EXPECT_EQ(bank->LastRowWithCells(), 0) << "the bank is left out";
  EXPECT_EQ(printed->PrintArea(), test.PrintArea());

  // Every question as the host shows it, at the size shrinking gives it, not shrunk again.
  int questions = 0;
  for (int32_t row = 1; row <= test.LastRowWithCells(); ++row) {
    for (int32_t column = 1; column <= model::kSideColumn; ++column) {
      host::Range original = test.Cells(row, column);
      host::Range copied = printed->Cells(row, column);
      if (original.Value().IsEmpty()) continue;
      EXPECT_EQ(copied.Value().AsText(), original.Value().AsText());
      if (original.Orientation() != host::Orientation::kVertical || !original.ShrinkToFit()) {
        continue;
      }
      SCOPED_TRACE(original.Address());
      ++questions;
      EXPECT_FALSE(copied.ShrinkToFit());
      EXPECT_EQ(copied.Orientation(), host::Orientation::kVertical);
      if (original.Characters().Font().Size() == original.Font().Size()) {
        EXPECT_EQ(copied.Font().Size(),
                  ShrunkVerticalFontSize(original.Value().AsText(), original.Font().Size(),
                                         test.RowHeightOf(row)));
      }
    }
  }
  EXPECT_GE(questions, 30);
  host::Range long_copy = printed->Cells(long_cell->first, long_cell->second);
  EXPECT_LT(long_copy.Font().Size() * 45, test.RowHeightOf(long_cell->first));
  EXPECT_GT(long_copy.Font().Size() * 45, test.RowHeightOf(long_cell->first) * 0.93);

  // A page is taller and wider than A4 across at 100 %: the zoom comes down until it fits, and
  // each page's last row takes up the paper left below it.
  const host::PageSetup& setup = printed->page_setup();
  EXPECT_EQ(setup.orientation, host::PageOrientation::kLandscape);
  EXPECT_EQ(setup.paper_size, host::kPaperA4);
  EXPECT_LT(setup.zoom, 100);
  EXPECT_GE(setup.zoom, 70);
  const double room = 595.27 - setup.top_margin - setup.bottom_margin;
  for (int page = 1; page <= body().generation.test_page_count; ++page) {
    double height = 0;
    for (int32_t row = model::PageFirstRow(page, true); row < model::PageFirstRow(page + 1, true);
         ++row) {
      height += printed->RowHeightOf(row);
    }
    EXPECT_LE(height * setup.zoom / 100, room) << "page " << page;
    EXPECT_GT(height * setup.zoom / 100 + printed->RowHeightOf(model::PageFirstRow(page, true)),
              room)
        << "no room for the next page's first row on page " << page;
  }
}

}  // namespace
}  // namespace tarquel::app
