#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/range.h"
#include "print/pdf_painter.h"
#include "print/print_error.h"
#include "print/recording_painter.h"
#include "print/sheet_printer.h"
#include "support/host_fixture.h"

namespace tarquel::print {
namespace {

using host::BorderIndex;
using host::LineStyle;
using testing::RecordingPainter;

// One catalog for all tests, destroyed at exit so that fontconfig's memory is handed back.
FontCatalog& Fonts() {
  static FontCatalog fonts;
  return fonts;
}

bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output of `command`.
std::string Output(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return "";
  std::string out;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
  return out;
}

// The page sizes pdfinfo reports ("Page size: W x H pts", or "Page N size: W x H pts" for each
// page when asked for a range).
std::vector<std::pair<double, double>> PageSizes(const std::string& info) {
  std::vector<std::pair<double, double>> sizes;
  std::istringstream lines(info);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("Page", 0) != 0) continue;
    const std::size_t at = line.find("size:");
    if (at == std::string::npos) continue;
    std::istringstream fields(line.substr(at + 5));
    double width = 0;
    double height = 0;
    std::string by;
    if (fields >> width >> by >> height && by == "x") sizes.emplace_back(width, height);
  }
  return sizes;
}

// A grey image read from a binary PGM file (P5, 8 bits).
struct Gray {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;

  int At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Gray ReadPgm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int max = 0;
  Gray image;
  in >> magic >> image.width >> image.height >> max;
  in.get();  // the single white space after the header
  if (magic != "P5" || max != 255) return {};
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  in.read(reinterpret_cast<char*>(image.pixels.data()),
          static_cast<std::streamsize>(image.pixels.size()));
  if (!in) return {};
  return image;
}

class PdfOutputTest : public testing::HostTest {
 protected:
  PdfOutputTest() {
    char pattern[] = "/tmp/tarquel-pdf-XXXXXX";
    dir_ = mkdtemp(pattern);
  }
  ~PdfOutputTest() override { std::filesystem::remove_all(dir_); }

  // A small question sheet: a bordered 3 by 3 block whose middle cell holds a vertical question
  // with its marked word underlined, a thick line under the first row, and a printed area.
  void BuildQuestionSheet() {
    At("A1:C3").Borders(BorderIndex::kEdgeLeft).SetLineStyle(LineStyle::kContinuous);
    At("A1:C3").Borders(BorderIndex::kEdgeTop).SetLineStyle(LineStyle::kContinuous);
    At("A1:C3").Borders(BorderIndex::kEdgeRight).SetLineStyle(LineStyle::kContinuous);
    At("A1:C3").Borders(BorderIndex::kEdgeBottom).SetLineStyle(LineStyle::kContinuous);
    At("A1:C3").Borders(BorderIndex::kInsideVertical).SetLineStyle(LineStyle::kContinuous);
    At("A1:C3").Borders(BorderIndex::kInsideHorizontal).SetLineStyle(LineStyle::kContinuous);
    At("A1:C1").Borders(BorderIndex::kEdgeBottom).SetWeight(host::BorderWeight::kThick);
    At("A1:C1").SetRowHeight(30);
    At("A2").SetRowHeight(190);
    At("A3").SetRowHeight(40);
    At("A1:C1").SetColumnWidth(12);
    At("B2").SetValue(kQuestion);
    At("B2").SetOrientation(host::Orientation::kVertical);
    At("B2").SetVerticalAlignment(host::VerticalAlignment::kTop);
    At("B2").SetHorizontalAlignment(host::HorizontalAlignment::kCenter);
    At("B2").SetShrinkToFit(true);
    At("B2").Font().SetSize(20);
    At("B2").Characters(5, 3).Font().SetUnderline(host::Underline::kSingle);
    At("A1").SetValue("No.1");  // a bold italic face the fonts lack, made up by cairo
    At("A1").Font().SetBold(true);
    At("A1").Font().SetItalic(true);
    sheet_->SetPrintArea("A1:C3");
  }

  std::string Write(const std::string& pdf) {
    const std::string path = dir_ + "/out.pdf";
    std::ofstream(path, std::ios::binary) << pdf;
    return path;
  }

  // Page-to-pixel: cell edges on the page of LayOutPages, at `dpi`.
  static int Pixel(double points, int dpi) { return static_cast<int>(points * dpi / 72.0); }

  static constexpr char kQuestion[] = "東京のデパートで買い物をした。";
  std::string dir_;
};

TEST_F(PdfOutputTest, SheetsAreLaidOutBeforeAnythingIsDrawn) {
  BuildQuestionSheet();
  host::Worksheet& empty = book_->Sheets().Add();
  RecordingPainter painter;
  EXPECT_THROW(PrintSheets({{sheet_, {}}, {&empty, {}}}, Fonts(), painter), PrintError);
  EXPECT_TRUE(painter.ops.empty());
  EXPECT_THROW(PrintSheets({}, Fonts(), painter), PrintError);

  PrintSummary summary = PrintSheets({{sheet_, {}}, {sheet_, {}}}, Fonts(), painter);
  EXPECT_EQ(summary.pages, 2);
  EXPECT_EQ(painter.pages.size(), 2u);
}

TEST_F(PdfOutputTest, VerticalQuestionPrintsAsSearchablePdfWithEmbeddedSubsets) {
  if (!HaveTool("pdfinfo") || !HaveTool("pdffonts") || !HaveTool("pdftotext")) {
    GTEST_SKIP() << "poppler-utils are not installed";
  }
  BuildQuestionSheet();
  sheet_->page_setup().orientation = host::PageOrientation::kLandscape;
  PrintSummary summary;
  const std::string pdf = PrintSheetsToPdf({{sheet_, {}}}, Fonts(), &summary);
  ASSERT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_EQ(summary.pages, 1);
  const std::string path = Write(pdf);

  const std::string info = Output("pdfinfo " + path);
  EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
  const auto sizes = PageSizes(info);
  ASSERT_EQ(sizes.size(), 1u) << info;
  EXPECT_NEAR(sizes[0].first, 841.89, 0.01);  // A4 landscape
  EXPECT_NEAR(sizes[0].second, 595.28, 0.01);

  // Every font is embedded as a subset, and maps its glyphs back to characters.
  const std::string fonts = Output("pdffonts " + path);
  std::istringstream rows(fonts);
  std::string row;
  int listed = 0;
  while (std::getline(rows, row)) {
    if (row.rfind("name", 0) == 0 || row.rfind("----", 0) == 0 || row.empty()) continue;
    ++listed;
    std::istringstream fields(row);
    std::vector<std::string> words;
    for (std::string w; fields >> w;) words.push_back(w);
    ASSERT_GE(words.size(), 7u) << row;
    // name type... encoding emb sub uni object ID: read from the end.
    const std::size_t n = words.size();
    EXPECT_EQ(words[n - 5], "yes") << "embedded: " << row;
    EXPECT_EQ(words[n - 4], "yes") << "subset: " << row;
    EXPECT_EQ(words[n - 3], "yes") << "unicode: " << row;
    EXPECT_EQ(words[0][6], '+') << "subset name: " << row;
  }
  EXPECT_GE(listed, 1) << fonts;

  std::string text = Output("pdftotext " + path + " -");
  std::string joined;
  for (char c : text) {
    if (c != '\n' && c != ' ' && c != '\f') joined += c;
  }
  EXPECT_NE(joined.find(kQuestion), std::string::npos) << text;
  EXPECT_NE(joined.find("No.1"), std::string::npos) << text;
}

TEST_F(PdfOutputTest, RasterShowsInkInTheQuestionCellAndUnbrokenBorders) {
  if (!HaveTool("pdftoppm")) GTEST_SKIP() << "poppler-utils are not installed";
  BuildQuestionSheet();
  const SheetLayout layout = LayOutPages(*sheet_, {}, Fonts());
  ASSERT_EQ(layout.pages.size(), 1u);
  const SheetPage& page = layout.pages[0];
  const std::string path = Write(PrintSheetsToPdf({{sheet_, {}}}, Fonts()));
  constexpr int kDpi = 30;
  ASSERT_EQ(std::system(("pdftoppm -r 30 -gray " + path + " " + dir_ + "/page").c_str()), 0);
  std::string pgm;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    if (entry.path().extension() == ".pgm") pgm = entry.path();
  }
  const Gray image = ReadPgm(pgm);
  ASSERT_GT(image.width, 0) << pgm;

  auto darkest = [&](int x0, int y0, int x1, int y1) {
    int least = 255;
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) least = std::min(least, image.At(x, y));
    }
    return least;
  };
  // Inside the question cell, away from its borders: ink.
  const int left = Pixel(page.column_left[1], kDpi) + 2;
  const int right = Pixel(page.column_left[2], kDpi) - 2;
  const int top = Pixel(page.row_top[1], kDpi) + 2;
  const int bottom = Pixel(page.row_top[2], kDpi) - 2;
  EXPECT_LT(darkest(left, top, right, bottom), 128);
  // The empty cell beside it: none.
  EXPECT_GT(darkest(right + 5, top, Pixel(page.column_left[3], kDpi) - 3, bottom), 200);
  // The thick line under the first row runs unbroken across the three columns.
  const int y = Pixel(page.row_top[1], kDpi);
  for (int x = Pixel(page.column_left[0], kDpi) + 1; x < Pixel(page.column_left[3], kDpi); ++x) {
    EXPECT_LT(darkest(x, y - 1, x, y + 1), 128) << "x = " << x;
  }
  // The thin line on the left of the question cell runs down its whole height.
  const int x = Pixel(page.column_left[1], kDpi);
  for (int yy = top; yy < bottom; ++yy) {
    EXPECT_LT(darkest(x - 1, yy, x + 1, yy), 230) << "y = " << yy;
  }
}

TEST(PdfPainterTest, PagesTakeTheirOwnSizes) {
  if (!HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils are not installed";
  PdfPainter painter;
  painter.BeginPage(200, 100);
  painter.DrawLine({10, 10}, {190, 10}, Stroke{1, {}, Dash::kDashDot});
  painter.EndPage();
  painter.BeginPage(300, 400);
  painter.FillRect({0, 0, 50, 50}, Rgb{1, 0, 0});
  painter.EndPage();
  const std::string pdf = painter.Finish();
  char pattern[] = "/tmp/tarquel-pdf-XXXXXX";
  const std::string dir = mkdtemp(pattern);
  const std::string path = dir + "/sizes.pdf";
  std::ofstream(path, std::ios::binary) << pdf;
  const std::string info = Output("pdfinfo -f 1 -l 2 " + path);
  std::filesystem::remove_all(dir);
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_EQ(PageSizes(info), (std::vector<std::pair<double, double>>{{200, 100}, {300, 400}}))
      << info;
}

TEST(PdfPainterTest, DashPatternsScaleWithTheLineAndKeepAVisibleLength) {
  EXPECT_TRUE(DashPattern({0.75, {}, Dash::kSolid}).empty());
  EXPECT_EQ(DashPattern({0.25, {}, Dash::kDot}), (std::vector<double>{0.75, 0.75}));
  EXPECT_EQ(DashPattern({2, {}, Dash::kDash}), (std::vector<double>{6, 2}));
  EXPECT_EQ(DashPattern({2, {}, Dash::kDashDot}), (std::vector<double>{6, 2, 2, 2}));
  EXPECT_EQ(DashPattern({2, {}, Dash::kDashDotDot}).size(), 6u);
}

// cairo refuses every drawing after one it cannot do; a bad run must not spoil the document.
TEST(PdfPainterTest, RunCairoCannotDrawLeavesTheDocumentWhole) {
  FontCatalog& fonts = Fonts();
  const FontChoice& choice = fonts.Choose("ＭＳ 明朝", false, false);
  PdfPainter painter;
  painter.BeginPage(100, 100);
  GlyphRun run;
  run.font = choice.file;
  run.glyphs = {{20, 10, 50}};
  run.text = "\xff";  // not UTF-8
  painter.DrawGlyphs(run);
  run.text = "a";
  run.size = 0;
  painter.DrawGlyphs(run);
  run.size = std::nan("");
  painter.DrawGlyphs(run);
  painter.EndPage();
  EXPECT_EQ(painter.Finish().rfind("%PDF-", 0), 0u);
}

TEST(PdfPainterTest, MissingFontFileIsAClearError) {
  PdfPainter painter;
  painter.BeginPage(100, 100);
  GlyphRun run;
  run.font = {"/nonexistent/font.ttf", 0};
  run.glyphs = {{1, 10, 10}};
  run.text = "a";
  try {
    painter.DrawGlyphs(run);
    FAIL() << "no error";
  } catch (const PrintError& error) {
    EXPECT_NE(std::string(error.what()).find("/nonexistent/font.ttf"), std::string::npos);
  }
}

}  // namespace
}  // namespace tarquel::print
