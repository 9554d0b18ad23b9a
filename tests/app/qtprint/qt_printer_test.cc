#include "qtprint/qt_printer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include <unistd.h>

#include "host/cell_format.h"
#include "host/page_setup.h"
#include "print/page_layout.h"
#include "print/print_error.h"
#include "support/host_fixture.h"

namespace tarquel::qtprint {
namespace {

using ::testing::HasSubstr;

constexpr double kA4Short = 595.2756;  // 210 mm in points
constexpr double kA4Long = 841.8898;   // 297 mm

class QtPrinterTest : public testing::HostTest {
 protected:
  static void SetUpTestSuite() { application_ = new GuiApplicationGuard(); }
  static void TearDownTestSuite() {
    delete application_;
    application_ = nullptr;
  }

  // Another sheet of the workbook, for printing several.
  host::Worksheet& NewSheet() { return book_->Sheets().Add(); }

  static GuiApplicationGuard* application_;
  print::FontCatalog fonts_;
};

GuiApplicationGuard* QtPrinterTest::application_ = nullptr;

TEST_F(QtPrinterTest, PaperLayoutIsTheUprightPaperTurnedAsThePageWithoutMargins) {
  struct Case {
    double width;
    double height;
    QPageSize::PageSizeId id;
    QPageLayout::Orientation orientation;
  };
  const std::vector<Case> cases = {
      {kA4Short, kA4Long, QPageSize::A4, QPageLayout::Portrait},
      {kA4Long, kA4Short, QPageSize::A4, QPageLayout::Landscape},
      {612, 792, QPageSize::Letter, QPageLayout::Portrait},
      {1031.81, 728.5, QPageSize::JisB4, QPageLayout::Landscape},
      {300, 200, QPageSize::Custom, QPageLayout::Landscape},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    const QPageLayout layout = PaperLayout(c.width, c.height);
    EXPECT_EQ(layout.pageSize().id(), c.id);
    EXPECT_EQ(layout.orientation(), c.orientation);
    EXPECT_EQ(layout.mode(), QPageLayout::FullPageMode);
    EXPECT_EQ(layout.margins(QPageLayout::Point), QMarginsF(0, 0, 0, 0));
    const QSizeF paper = layout.fullRect(QPageLayout::Point).size();
    EXPECT_NEAR(paper.width(), c.width, 1);
    EXPECT_NEAR(paper.height(), c.height, 1);
  }
}

TEST_F(QtPrinterTest, NoSuchPrinterMessageNamesThePrinterAndThoseThereAre) {
  struct Case {
    std::string name;
    std::vector<std::string> available;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"事務室",
       {},
       "プリンター「事務室」が見つかりません。このコンピューターには使えるプリンターがありません"
       "。"},
      {"Office",
       {"PDF", "職員室"},
       "プリンター「Office」が見つかりません。使えるプリンターは「PDF」「職員室」です。"},
      {"",
       {},
       "既定のプリンターがありません。このコンピューターには使えるプリンターがありません。"},
      {"", {"PDF"}, "既定のプリンターがありません。使えるプリンターは「PDF」です。"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NoSuchPrinterMessage(c.name, c.available), c.message);
  }
}

TEST_F(QtPrinterTest, PrintingOnAPrinterThatIsNotThereSaysSoAndPrintsNothing) {
  At("A1").SetValueFromText("印刷");
  std::vector<std::string> available;
  for (const QString& name : QPrinterInfo::availablePrinterNames()) {
    available.push_back(name.toStdString());
  }
  const std::string name = "tarquel にないプリンター";
  try {
    PrintToPrinter({{sheet_, {}}}, fonts_, name);
    ADD_FAILURE() << "no error";
  } catch (const print::PrintError& error) {
    EXPECT_EQ(error.what(), NoSuchPrinterMessage(name, available));
  }
}

// The rectangle of `row`, `column` on `page`, in points; empty when the page does not have it.
print::Rect CellOnPage(const print::SheetPage& page, int32_t row, int32_t column) {
  const auto r = std::find(page.rows.begin(), page.rows.end(), row);
  const auto c = std::find(page.columns.begin(), page.columns.end(), column);
  if (r == page.rows.end() || c == page.columns.end()) {
    return {};
  }
  const auto i = r - page.rows.begin();
  const auto j = c - page.columns.begin();
  return {page.column_left[j], page.row_top[i], page.column_left[j + 1] - page.column_left[j],
          page.row_top[i + 1] - page.row_top[i]};
}

// Pixel bounds of a rectangle in points on an image of `dpi`.
struct PixelRect {
  int left;
  int top;
  int right;
  int bottom;
};

PixelRect ToPixels(const print::Rect& rect, double dpi) {
  const double dots = dpi / 72;
  return {static_cast<int>(std::lround(rect.x * dots)),
          static_cast<int>(std::lround(rect.y * dots)),
          static_cast<int>(std::lround(rect.right() * dots)),
          static_cast<int>(std::lround(rect.bottom() * dots))};
}

TEST_F(QtPrinterTest, APageDrawnOnAnImageShowsVerticalTextBordersAndFill) {
  // A question cell as a test sheet has it: tall, bordered, its text stacked down the cell.
  At("B2").SetValueFromText("デパート。");
  At("B2").SetOrientation(host::Orientation::kVertical);
  At("B2").SetHorizontalAlignment(host::HorizontalAlignment::kCenter);
  At("B2").SetVerticalAlignment(host::VerticalAlignment::kTop);
  At("B2").Font().SetSize(20);
  At("B2").SetRowHeight(190.0);
  At("B2").SetColumnWidth(6.0);
  for (host::BorderIndex edge : {host::BorderIndex::kEdgeLeft, host::BorderIndex::kEdgeTop,
                                 host::BorderIndex::kEdgeRight, host::BorderIndex::kEdgeBottom}) {
    At("B2").Borders(edge).SetLineStyle(host::LineStyle::kContinuous);
    At("B2").Borders(edge).SetWeight(host::BorderWeight::kMedium);
  }
  const uint32_t fill = 0xFF3070C0;
  At("D2").ModifyFormat([&](host::CellFormat& format) {
    format.fill.pattern = "solid";
    format.fill.foreground = host::Color::Rgb(fill);
  });
  sheet_->SetPrintArea("A1:E3");

  constexpr double kDpi = 50;
  print::PrintSummary summary;
  const std::vector<QImage> images = RenderPagesToImages({{sheet_, {}}}, fonts_, kDpi, &summary);
  const print::SheetLayout layout = print::LayOutPages(*sheet_, {}, fonts_);
  ASSERT_EQ(layout.pages.size(), 1u);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(summary.pages, 1);
  const print::SheetPage& page = layout.pages[0];
  const QImage& image = images[0];
  EXPECT_EQ(image.width(), static_cast<int>(std::ceil(page.paper_width * kDpi / 72)));
  EXPECT_EQ(image.height(), static_cast<int>(std::ceil(page.paper_height * kDpi / 72)));

  // Ink inside the text cell, stacked: much taller than wide.
  const PixelRect cell = ToPixels(CellOnPage(page, 2, 2), kDpi);
  ASSERT_GT(cell.bottom - cell.top, 100);
  int ink = 0;
  int ink_top = cell.bottom;
  int ink_bottom = cell.top;
  int ink_left = cell.right;
  int ink_right = cell.left;
  for (int y = cell.top + 3; y < cell.bottom - 3; ++y) {
    for (int x = cell.left + 3; x < cell.right - 3; ++x) {
      if (qGray(image.pixel(x, y)) < 160) {
        ++ink;
        ink_top = std::min(ink_top, y);
        ink_bottom = std::max(ink_bottom, y);
        ink_left = std::min(ink_left, x);
        ink_right = std::max(ink_right, x);
      }
    }
  }
  EXPECT_GT(ink, 50);
  EXPECT_GT(ink_bottom - ink_top, 3 * (ink_right - ink_left));

  // The border is dark all the way round: every pixel along each edge, within a pixel of it.
  auto dark_near = [&](int x, int y) {
    int darkest = 255;
    for (int dx = -1; dx <= 1; ++dx) {
      for (int dy = -1; dy <= 1; ++dy) {
        darkest = std::min(darkest, qGray(image.pixel(x + dx, y + dy)));
      }
    }
    return darkest < 100;
  };
  int gaps = 0;
  for (int y = cell.top; y <= cell.bottom; ++y) {
    gaps += !dark_near(cell.left, y) + !dark_near(cell.right, y);
  }
  for (int x = cell.left; x <= cell.right; ++x) {
    gaps += !dark_near(x, cell.top) + !dark_near(x, cell.bottom);
  }
  EXPECT_EQ(gaps, 0);
  // And only there: the cell to the right has no border.
  const PixelRect neighbour = ToPixels(CellOnPage(page, 2, 3), kDpi);
  EXPECT_FALSE(dark_near((neighbour.left + neighbour.right) / 2, neighbour.top));

  // The fill colour fills its cell.
  const PixelRect filled = ToPixels(CellOnPage(page, 2, 4), kDpi);
  const QRgb fill_colour = qRgb(fill >> 16 & 0xff, fill >> 8 & 0xff, fill & 0xff);
  EXPECT_EQ(image.pixel((filled.left + filled.right) / 2, (filled.top + filled.bottom) / 2),
            fill_colour);
  EXPECT_EQ(image.pixel(filled.left + 2, filled.bottom - 2), fill_colour);
  EXPECT_EQ(image.pixel(filled.right + 2, (filled.top + filled.bottom) / 2), qRgb(255, 255, 255));
}

TEST_F(QtPrinterTest, ImagesRefuseResolutionsOutOfRangeAndPassOnLayoutErrors) {
  At("A1").SetValueFromText("印刷");
  for (const double dpi : {0.0, -72.0, 1201.0, std::nan("")}) {
    SCOPED_TRACE(dpi);
    EXPECT_THROW(RenderPagesToImages({{sheet_, {}}}, fonts_, dpi), print::PrintError);
  }
  host::Worksheet& empty = NewSheet();
  EXPECT_THROW(RenderPagesToImages({{&empty, {}}}, fonts_, 50), print::PrintError);
}

// The size of each page of the PDF file at `path` in points, as pdfinfo reads it.
std::vector<std::pair<double, double>> PdfPageSizes(const std::filesystem::path& path) {
  const std::string command = "pdfinfo -f 1 -l 1000 '" + path.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    output.append(buffer, n);
  }
  if (pipe != nullptr) {
    pclose(pipe);
  }
  std::vector<std::pair<double, double>> sizes;
  const std::regex page_size(R"(Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts)");
  for (auto match = std::sregex_iterator(output.begin(), output.end(), page_size);
       match != std::sregex_iterator(); ++match) {
    sizes.emplace_back(std::stod((*match)[1]), std::stod((*match)[2]));
  }
  return sizes;
}

class QtPrinterPdfTest : public QtPrinterTest {
 protected:
  void SetUp() override {
    output_ = std::filesystem::temp_directory_path() /
              ("tarquel-qtprint-" + std::to_string(::getpid()) + ".pdf");
    std::filesystem::remove(output_);
    printer_.setOutputFormat(QPrinter::PdfFormat);
    printer_.setOutputFileName(QString::fromStdString(output_.string()));
  }
  void TearDown() override { std::filesystem::remove(output_); }

  QPrinter printer_{QPrinter::HighResolution};
  std::filesystem::path output_;
};

TEST_F(QtPrinterPdfTest, EachPageGoesOnPaperOfItsOwnSizeAndOrientation) {
  At("A1").SetValueFromText("縦");
  host::Worksheet& landscape = NewSheet();
  landscape.Range("A1").SetValueFromText("横");
  landscape.page_setup().orientation = host::PageOrientation::kLandscape;
  host::Worksheet& letter = NewSheet();
  letter.Range("A1").SetValueFromText("Letter");
  letter.page_setup().paper_size = host::kPaperLetter;

  const std::vector<print::SheetToPrint> sheets = {{sheet_, {}}, {&landscape, {}}, {&letter, {}}};
  const print::PrintSummary summary = PrintOnQPrinter(sheets, fonts_, printer_);
  ASSERT_EQ(summary.pages, 3);

  std::vector<std::pair<double, double>> expected;
  for (const print::SheetToPrint& sheet : sheets) {
    for (const print::SheetPage& page : print::LayOutPages(*sheet.sheet, {}, fonts_).pages) {
      expected.emplace_back(page.paper_width, page.paper_height);
    }
  }
  const auto sizes = PdfPageSizes(output_);
  ASSERT_EQ(sizes.size(), expected.size());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(sizes[i].first, expected[i].first, 1);
    EXPECT_NEAR(sizes[i].second, expected[i].second, 1);
  }
}

TEST_F(QtPrinterPdfTest, NothingReachesThePrinterWhenTheSheetsCannotBePrinted) {
  host::Worksheet& empty = NewSheet();
  At("A1").SetValueFromText("印刷");
  EXPECT_THROW(PrintOnQPrinter({{sheet_, {}}, {&empty, {}}}, fonts_, printer_), print::PrintError);
  EXPECT_FALSE(std::filesystem::exists(output_));
}

}  // namespace
}  // namespace tarquel::qtprint
