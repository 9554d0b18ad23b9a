#include "qtprint/qt_painter.h"

#include <fontconfig/fontconfig.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "print/print_error.h"
#include "qtprint/qt_printer.h"

namespace tarquel::qtprint {
namespace {

using ::testing::HasSubstr;

// Device dots per point of the images the tests draw on.
constexpr double kDots = 2;

// The file and face of an installed family's regular face, as fontconfig lists it.
print::FontFile InstalledFont(const std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FAMILY, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
  print::FontFile found;
  for (int i = 0; fonts != nullptr && i < fonts->nfont && found.path.empty(); ++i) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch) {
      found.path = reinterpret_cast<const char*>(file);
      FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &found.index);
    }
  }
  if (fonts != nullptr) {
    FcFontSetDestroy(fonts);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return found;
}

bool Ink(QRgb pixel) { return qGray(pixel) < 160; }

struct InkBox {
  int count = 0;
  int left = 1 << 30;
  int top = 1 << 30;
  int right = -1;
  int bottom = -1;
  double centre_x = 0;  // mean column of the ink
};

// The ink of `image` in rows [top, bottom) (all rows when bottom is 0).
InkBox InkOf(const QImage& image, int top = 0, int bottom = 0) {
  InkBox box;
  if (bottom == 0) {
    bottom = image.height();
  }
  double sum_x = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (Ink(image.pixel(x, y))) {
        ++box.count;
        sum_x += x;
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y);
      }
    }
  }
  box.centre_x = box.count > 0 ? sum_x / box.count : 0;
  return box;
}

class QtPainterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { application_ = new GuiApplicationGuard(); }
  static void TearDownTestSuite() {
    delete application_;
    application_ = nullptr;
  }

  // A white image of `width` by `height` points drawn on by `draw`.
  static QImage Draw(const std::function<void(QtPainter&)>& draw, bool antialiased = false,
                     double width = 200, double height = 100) {
    QImage image(static_cast<int>(width * kDots), static_cast<int>(height * kDots),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter device(&image);
    device.setRenderHint(QPainter::Antialiasing, antialiased);
    QtPainter painter(device, QTransform::fromScale(kDots, kDots));
    draw(painter);
    device.end();
    return image;
  }

  static print::GlyphRun Run(QtPainter& painter, const print::FontFile& font, const QString& text,
                             double size, double x, double baseline) {
    print::GlyphRun run;
    run.font = font;
    run.size = size;
    const QRawFont& raw = painter.RawFont(font, size);
    const QList<quint32> ids = raw.glyphIndexesForString(text);
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(ids);
    for (qsizetype i = 0; i < ids.size(); ++i) {
      run.glyphs.push_back({ids[i], x, baseline});
      x += advances[i].x();
    }
    run.text = text.toStdString();
    return run;
  }

  static GuiApplicationGuard* application_;
};

GuiApplicationGuard* QtPainterTest::application_ = nullptr;

TEST_F(QtPainterTest, FillRectColoursExactlyItsRectangle) {
  struct Case {
    print::Rect rect;
    print::Rgb color;
  };
  const std::vector<Case> cases = {
      {{10, 10, 50, 20}, {1, 0, 0}},
      {{100.5, 40.25, 30.5, 40}, {0, 0.5, 1}},
      {{0, 0, 200, 5}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.rect.x << "," << c.rect.y);
    const QImage image = Draw([&](QtPainter& painter) { painter.FillRect(c.rect, c.color); });
    auto is = [&](double x, double y, const print::Rgb& color) {
      const QRgb pixel = image.pixel(static_cast<int>(x * kDots), static_cast<int>(y * kDots));
      // Eight bits a channel: within one step of the colour asked for.
      return std::abs(qRed(pixel) - color.red * 255) <= 1 &&
             std::abs(qGreen(pixel) - color.green * 255) <= 1 &&
             std::abs(qBlue(pixel) - color.blue * 255) <= 1;
    };
    const print::Rgb white{1, 1, 1};
    EXPECT_TRUE(is(c.rect.x + c.rect.width / 2, c.rect.y + c.rect.height / 2, c.color));
    EXPECT_TRUE(is(c.rect.x + 1, c.rect.y + 1, c.color));
    EXPECT_TRUE(is(c.rect.right() - 1, c.rect.bottom() - 1, c.color));
    if (c.rect.x >= 1) {
      EXPECT_TRUE(is(c.rect.x - 1, c.rect.y + 1, white));
    }
    if (c.rect.bottom() + 1 < 100) {
      EXPECT_TRUE(is(c.rect.x + 1, c.rect.bottom() + 1, white));
    }
    if (c.rect.right() + 1 < 200) {
      EXPECT_TRUE(is(c.rect.right() + 1, c.rect.y + 1, white));
    }
  }
}

TEST_F(QtPainterTest, NestedClipsKeepDrawingInsideTheirIntersection) {
  const QImage image = Draw([](QtPainter& painter) {
    painter.PushClip({10, 10, 100, 50});
    painter.PushClip({50, 0, 100, 100});
    painter.FillRect({0, 0, 200, 100}, {1, 0, 0});
    painter.PopClip();
    painter.PopClip();
    // The clips are gone: this is drawn where neither clip was.
    painter.FillRect({170, 80, 20, 10}, {0, 0, 1});
  });
  struct Probe {
    double x;
    double y;
    QColor color;
  };
  const std::vector<Probe> probes = {
      {60, 20, Qt::red},     // in both
      {105, 55, Qt::red},    // in both, near the corner of the intersection
      {30, 30, Qt::white},   // in the first only
      {120, 30, Qt::white},  // in the second only
      {60, 70, Qt::white},   // in the second only, below the first
      {5, 5, Qt::white},     // in neither
      {180, 85, Qt::blue},   // after both clips were popped
  };
  for (const Probe& probe : probes) {
    SCOPED_TRACE(::testing::Message() << probe.x << "," << probe.y);
    EXPECT_EQ(
        QColor(image.pixel(static_cast<int>(probe.x * kDots), static_cast<int>(probe.y * kDots))),
        probe.color);
  }
}

TEST_F(QtPainterTest, EndPageDropsAClipLeftOpenSoTheNextPageIsWhole) {
  std::vector<QImage> pages;
  QPainter device;
  PageHooks hooks;
  hooks.begin_page = [&](double width, double height) {
    pages.emplace_back(static_cast<int>(width * kDots), static_cast<int>(height * kDots),
                       QImage::Format_RGB32);
    pages.back().fill(Qt::white);
    device.begin(&pages.back());
  };
  hooks.end_page = [&] { device.end(); };
  QtPainter painter(device, QTransform::fromScale(kDots, kDots), hooks);
  painter.BeginPage(100, 50);
  painter.PushClip({0, 0, 10, 10});
  painter.EndPage();
  painter.BeginPage(120, 60);
  painter.FillRect({0, 0, 120, 60}, {0, 1, 0});
  painter.EndPage();

  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1].size(), QSize(240, 120));
  EXPECT_EQ(QColor(pages[1].pixel(230, 110)), QColor(Qt::green));
}

// The lengths of the dark runs and the gaps between them along row `y`, from the first dark
// pixel to the last.
std::vector<int> DashRuns(const QImage& image, int y) {
  std::vector<int> runs;
  bool dark = false;
  for (int x = 0; x < image.width(); ++x) {
    const bool ink = Ink(image.pixel(x, y));
    if (runs.empty() && !ink) {
      continue;
    }
    if (runs.empty() || ink != dark) {
      runs.push_back(0);
      dark = ink;
    }
    ++runs.back();
  }
  if (!runs.empty() && !dark) {
    runs.pop_back();  // the white after the last dash
  }
  return runs;
}

TEST_F(QtPainterTest, LinesAreDashedInLengthsOfTheirWidthAndEndSquareAtTheirPoints) {
  struct Case {
    print::Dash dash;
    std::vector<int> units;  // one cycle of on and off lengths, in widths of the line
  };
  const std::vector<Case> cases = {
      {print::Dash::kSolid, {}},
      {print::Dash::kDash, {3, 1}},
      {print::Dash::kDot, {1, 1}},
      {print::Dash::kDashDot, {3, 1, 1, 1}},
      {print::Dash::kDashDotDot, {3, 1, 1, 1, 1, 1}},
  };
  for (const double width : {1.0, 2.0}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message()
                   << "dash " << static_cast<int>(c.dash) << " width " << width);
      const QImage image = Draw([&](QtPainter& painter) {
        painter.DrawLine({10, 50}, {190, 50}, {width, {0, 0, 0}, c.dash});
      });
      const std::vector<int> runs = DashRuns(image, static_cast<int>(50 * kDots));
      ASSERT_FALSE(runs.empty());
      const InkBox ink = InkOf(image);
      EXPECT_EQ(ink.left, static_cast<int>(10 * kDots));
      EXPECT_LE(ink.right, static_cast<int>(190 * kDots));
      EXPECT_NEAR(ink.bottom - ink.top + 1, width * kDots, 1);
      if (c.units.empty()) {
        EXPECT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0], static_cast<int>(180 * kDots));
        continue;
      }
      // Whole cycles, leaving out the last dash, which the line's end may cut short.
      ASSERT_GT(runs.size(), 2 * c.units.size());
      for (std::size_t i = 0; i + 1 < runs.size(); ++i) {
        EXPECT_NEAR(runs[i], c.units[i % c.units.size()] * width * kDots, 1) << "run " << i;
      }
    }
  }
}

TEST_F(QtPainterTest, LinesThinnerThanADevicePixelStillShowDark) {
  const QImage image = Draw(
      [](QtPainter& painter) {
        painter.DrawLine({10, 50}, {190, 50}, {0.1, {0, 0, 0}});
      },
      /*antialiased=*/true);
  int darkest = 255;
  for (int y = static_cast<int>(49 * kDots); y <= static_cast<int>(51 * kDots); ++y) {
    darkest = std::min(darkest, qGray(image.pixel(static_cast<int>(100 * kDots), y)));
  }
  // Drawn a tenth of a point wide it would be a faint grey; a whole pixel is ink.
  EXPECT_LT(darkest, 160);
}

TEST_F(QtPainterTest, GlyphsStandAtTheirOriginsInTheirColour) {
  const print::FontFile font = InstalledFont("IPAexGothic");
  ASSERT_FALSE(font.path.empty());
  double ascent = 0;
  double descent = 0;
  const QImage image = Draw([&](QtPainter& painter) {
    ascent = painter.RawFont(font, 40).ascent();
    descent = painter.RawFont(font, 40).descent();
    print::GlyphRun run = Run(painter, font, "デ", 40, 20, 70);
    run.glyphs.push_back({run.glyphs[0].id, 120, 70});
    run.color = {1, 0, 0};
    painter.DrawGlyphs(run);
  });
  // Two glyphs, each within its em square, with nothing between them.
  const InkBox left = InkOf(image.copy(0, 0, static_cast<int>(100 * kDots), image.height()));
  const InkBox right = InkOf(
      image.copy(static_cast<int>(100 * kDots), 0, static_cast<int>(100 * kDots), image.height()));
  ASSERT_GT(left.count, 100);
  EXPECT_EQ(left.count, right.count);
  EXPECT_EQ(left.left, right.left);  // each measured from its own half
  EXPECT_GE(left.left, static_cast<int>(20 * kDots));
  EXPECT_LE(left.right, static_cast<int>(60 * kDots));
  EXPECT_GE(left.top, static_cast<int>((70 - ascent) * kDots));
  EXPECT_LE(left.bottom, static_cast<int>((70 + descent) * kDots));
  const InkBox between = InkOf(
      image.copy(static_cast<int>(62 * kDots), 0, static_cast<int>(56 * kDots), image.height()));
  EXPECT_EQ(between.count, 0);
  // The ink is the run's colour.
  bool red = false;
  for (int x = left.left; x <= left.right && !red; ++x) {
    for (int y = left.top; y <= left.bottom && !red; ++y) {
      red = image.pixel(x, y) == qRgb(255, 0, 0);
    }
  }
  EXPECT_TRUE(red);
}

TEST_F(QtPainterTest, SyntheticBoldThickensAndSyntheticItalicLeansRight) {
  const print::FontFile font = InstalledFont("IPAexGothic");
  ASSERT_FALSE(font.path.empty());
  auto draw = [&](bool bold, bool italic) {
    return Draw([&](QtPainter& painter) {
      print::GlyphRun run = Run(painter, font, "HI", 60, 40, 80);
      run.synthetic_bold = bold;
      run.synthetic_italic = italic;
      painter.DrawGlyphs(run);
    });
  };
  const QImage regular = draw(false, false);
  const QImage bold = draw(true, false);
  const QImage italic = draw(false, true);
  const int baseline = static_cast<int>(80 * kDots);
  const int cap_top = InkOf(regular).top;

  EXPECT_GT(InkOf(bold).count, InkOf(regular).count * 11 / 10);
  EXPECT_NEAR(InkOf(bold).centre_x, InkOf(regular).centre_x, 2);

  // The tops move right by the lean, the feet on the baseline stay.
  const int height = baseline - cap_top;
  const InkBox regular_top = InkOf(regular, cap_top, cap_top + height / 5);
  const InkBox italic_top = InkOf(italic, cap_top, cap_top + height / 5);
  const InkBox regular_foot = InkOf(regular, baseline - height / 5, baseline);
  const InkBox italic_foot = InkOf(italic, baseline - height / 5, baseline);
  EXPECT_NEAR(italic_top.centre_x - regular_top.centre_x, 0.2 * height * 0.9, height * 0.05);
  EXPECT_NEAR(italic_foot.centre_x - regular_foot.centre_x, 0.2 * height * 0.1, height * 0.05);
  EXPECT_EQ(InkOf(italic).bottom, InkOf(regular).bottom);
}

TEST_F(QtPainterTest, EveryFaceOfAFontCollectionLoadsAsItself) {
  QImage image(1, 1, QImage::Format_RGB32);
  QPainter device(&image);
  QtPainter painter(device, QTransform());
  for (const std::string family : {"IPAexGothic", "Noto Sans CJK JP", "Noto Sans Mono CJK JP",
                                   "Noto Serif CJK KR", "Noto Sans CJK TC"}) {
    SCOPED_TRACE(family);
    const print::FontFile file = InstalledFont(family);
    ASSERT_FALSE(file.path.empty());
    const QRawFont& raw = painter.RawFont(file, 10);
    EXPECT_EQ(raw.familyName().toStdString(), family);
    EXPECT_DOUBLE_EQ(raw.pixelSize(), 10);
    EXPECT_DOUBLE_EQ(painter.RawFont(file, 30).pixelSize(), 30);
  }
  // The monospaced face sets Latin letters half an em wide, where the collection's first face
  // is proportional: the glyphs drawn are the later face's own.
  auto advances = [&](const std::string& family) {
    const QRawFont& raw = painter.RawFont(InstalledFont(family), 20);
    return raw.advancesForGlyphIndexes(raw.glyphIndexesForString("Wi"));
  };
  ASSERT_GT(InstalledFont("Noto Sans Mono CJK JP").index, 0);
  const QList<QPointF> mono = advances("Noto Sans Mono CJK JP");
  const QList<QPointF> proportional = advances("Noto Sans CJK JP");
  ASSERT_EQ(mono.size(), 2);
  ASSERT_EQ(proportional.size(), 2);
  EXPECT_NEAR(mono[0].x(), 10, 0.05);
  EXPECT_NEAR(mono[1].x(), 10, 0.05);
  EXPECT_GT(proportional[0].x() - proportional[1].x(), 5);
}

TEST_F(QtPainterTest, FaceDataRefusesFacesAFileDoesNotHave) {
  const print::FontFile collection = InstalledFont("Noto Sans Mono CJK JP");
  const print::FontFile single = InstalledFont("IPAexGothic");
  QFile collection_file(QString::fromStdString(collection.path));
  ASSERT_TRUE(collection_file.open(QIODevice::ReadOnly));
  const QByteArray whole = collection_file.readAll();
  QFile single_file(QString::fromStdString(single.path));
  ASSERT_TRUE(single_file.open(QIODevice::ReadOnly));
  const QByteArray one = single_file.readAll();
  const int faces = static_cast<int>(static_cast<uint8_t>(whole[11]));

  struct Case {
    const char* what;
    QByteArray data;
    int index;
    bool usable;
  };
  const std::vector<Case> cases = {
      {"a single font's face", one, 0, true},
      {"a single font's second face", one, 1, false},
      {"a negative index", one, -1, false},
      {"a collection's first face", whole, 0, true},
      {"a collection's later face", whole, collection.index, true},
      {"a collection's last face", whole, faces - 1, true},
      {"past a collection's faces", whole, faces, false},
      {"a collection cut after its header", whole.left(64), collection.index, false},
      {"a collection cut inside its tables", whole.left(whole.size() / 2), collection.index, false},
      {"nothing", QByteArray(), 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QByteArray face = FaceData(c.data, c.index);
    EXPECT_EQ(!face.isEmpty(), c.usable);
    if (c.usable) {
      QRawFont raw;
      raw.loadFromData(face, 10, QFont::PreferNoHinting);
      EXPECT_TRUE(raw.isValid());
    }
  }
}

TEST_F(QtPainterTest, AFontFileThatCannotBeReadIsNamedInTheError) {
  const std::filesystem::path not_a_font =
      std::filesystem::temp_directory_path() / "tarquel-qtprint-not-a-font.ttf";
  {
    QFile file(QString::fromStdString(not_a_font.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a font");
  }
  QImage image(1, 1, QImage::Format_RGB32);
  QPainter device(&image);
  QtPainter painter(device, QTransform());
  const std::vector<print::FontFile> files = {
      {"/nonexistent/folder/font.ttf", 0},
      {not_a_font.string(), 0},
      {InstalledFont("IPAexGothic").path, 3},
  };
  for (const print::FontFile& file : files) {
    SCOPED_TRACE(file.path);
    print::GlyphRun run;
    run.font = file;
    run.glyphs.push_back({1, 0, 0});
    try {
      painter.DrawGlyphs(run);
      ADD_FAILURE() << "no error";
    } catch (const print::PrintError& error) {
      EXPECT_THAT(error.what(), HasSubstr("「" + file.path + "」"));
    }
  }
  std::filesystem::remove(not_a_font);
}

}  // namespace
}  // namespace tarquel::qtprint
