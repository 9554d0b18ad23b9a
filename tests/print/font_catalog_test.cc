#include "print/font_catalog.h"

#include <gtest/gtest.h>
#include <hb.h>

#include <filesystem>
#include <string>

namespace tarquel::print {
namespace {

std::string FileName(const FontFile& file) {
  return std::filesystem::path(file.path).filename().string();
}

TEST(FontCatalogTest, ChoosesTheInstalledTwinOfAWorkbookFont) {
  struct Case {
    const char* name;
    bool bold;
    bool italic;
    const char* family;
    const char* file;
    int index;
    bool synthetic_bold;
    bool synthetic_italic;
  };
  const Case cases[] = {
      {"ＭＳ Ｐゴシック", false, false, "IPAPGothic", "ipagp.ttf", 0, false, false},
      // The IPA fonts have neither bold nor italic faces.
      {"ＭＳ Ｐゴシック", true, false, "IPAPGothic", "ipagp.ttf", 0, true, false},
      {"ＭＳ 明朝", false, true, "IPAMincho", "ipam.ttf", 0, false, true},
      {"ＭＳ ゴシック", true, true, "IPAGothic", "ipag.ttf", 0, true, true},
      {"ＭＳ Ｐ明朝", false, false, "IPAPMincho", "ipamp.ttf", 0, false, false},
      {"MS PGothic", false, false, "IPAPGothic", "ipagp.ttf", 0, false, false},
      {"MS Mincho", false, false, "IPAMincho", "ipam.ttf", 0, false, false},
      // Spelled with half-width letters, or in another case, the name is the same font.
      {"MS Pゴシック", false, false, "IPAPGothic", "ipagp.ttf", 0, false, false},
      {"ms pgothic", false, false, "IPAPGothic", "ipagp.ttf", 0, false, false},
      {"游ゴシック", false, false, "IPAexGothic", "ipaexg.ttf", 0, false, false},
      {"Yu Gothic", false, false, "IPAexGothic", "ipaexg.ttf", 0, false, false},
      {"メイリオ", false, false, "IPAexGothic", "ipaexg.ttf", 0, false, false},
      {"游明朝", false, false, "IPAexMincho", "ipaexm.ttf", 0, false, false},
      {"HGP創英角ｺﾞｼｯｸUB", false, false, "IPAPGothic", "ipagp.ttf", 0, false, false},
      {"HG明朝B", false, false, "IPAMincho", "ipam.ttf", 0, false, false},
      // Latin fonts have real bold and italic faces.
      {"Calibri", false, false, "Carlito", "Carlito-Regular.ttf", 0, false, false},
      {"Calibri", true, false, "Carlito", "Carlito-Bold.ttf", 0, false, false},
      {"Arial", true, true, "Liberation Sans", "LiberationSans-BoldItalic.ttf", 0, false, false},
      {"Times New Roman", false, true, "Liberation Serif", "LiberationSerif-Italic.ttf", 0, false,
       false},
      {"Courier New", false, false, "Liberation Mono", "LiberationMono-Regular.ttf", 0, false,
       false},
      {"Cambria", true, false, "Caladea", "Caladea-Bold.ttf", 0, false, false},
      // A name the table does not know is looked up as itself: the Japanese face of a
      // collection, its bold in another file.
      {"Noto Sans CJK JP", true, false, "Noto Sans CJK JP", "NotoSansCJK-Bold.ttc", 0, false,
       false},
      {"DejaVu Sans", false, false, "DejaVu Sans", "DejaVuSans.ttf", 0, false, false},
      // Neither in the table nor installed: the table's first family.
      {"Font That Is Nowhere", false, false, "IPAPGothic", "ipagp.ttf", 0, false, false},
      {"", true, false, "IPAPGothic", "ipagp.ttf", 0, true, false},
  };
  FontCatalog fonts;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.bold ? " bold" : "") + (c.italic ? " italic" : ""));
    const FontChoice& choice = fonts.Choose(c.name, c.bold, c.italic);
    EXPECT_EQ(choice.family, c.family);
    EXPECT_EQ(FileName(choice.file), c.file);
    EXPECT_EQ(choice.file.index, c.index);
    EXPECT_EQ(choice.synthetic_bold, c.synthetic_bold);
    EXPECT_EQ(choice.synthetic_italic, c.synthetic_italic);
  }
}

TEST(FontCatalogTest, EveryTableEntryFindsItsFirstFamilyOnAMachineSetUpForPrinting) {
  FontCatalog fonts;
  for (const FontMapping& mapping : FontMappings()) {
    std::string first(mapping.families.substr(0, mapping.families.find(',')));
    EXPECT_EQ(fonts.Choose(std::string(mapping.workbook_name), false, false).family, first)
        << mapping.workbook_name;
  }
  // The first entry is the workbooks' default font, the fallback of every other name.
  EXPECT_EQ(FontMappings().front().workbook_name, "ＭＳ Ｐゴシック");
}

TEST(FontCatalogTest, KeepsEachChoiceAndEachLoadedFace) {
  FontCatalog fonts;
  const FontChoice& first = fonts.Choose("ＭＳ 明朝", true, false);
  EXPECT_EQ(&fonts.Choose("ＭＳ 明朝", true, false), &first);
  EXPECT_NE(&fonts.Choose("ＭＳ 明朝", false, false), &first);

  hb_font_t* font = fonts.HarfBuzzFont(first.file);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(fonts.HarfBuzzFont(first.file), font);
  hb_codepoint_t glyph = 0;
  EXPECT_TRUE(hb_font_get_nominal_glyph(font, U'漢', &glyph));
  EXPECT_NE(glyph, 0u);
}

TEST(FontCatalogTest, ReportsTheUnitsPerEmOfEachFace) {
  struct Case {
    const char* name;
    int units_per_em;
  };
  // The IPA fonts are TrueType outlines on a 2048 grid, Noto CJK is CFF on a 1000 grid.
  const Case cases[] = {
      {"ＭＳ Ｐゴシック", 2048},
      {"Noto Sans CJK JP", 1000},
      {"Arial", 2048},
  };
  FontCatalog fonts;
  for (const Case& c : cases) {
    const FontChoice& choice = fonts.Choose(c.name, false, false);
    EXPECT_EQ(fonts.UnitsPerEm(choice.file), c.units_per_em) << c.name;
    EXPECT_EQ(static_cast<int>(hb_face_get_upem(hb_font_get_face(fonts.HarfBuzzFont(choice.file)))),
              c.units_per_em)
        << c.name;
  }
}

TEST(FontCatalogTest, GivesTheDigitWidthColumnWidthsAreCountedIn) {
  struct Case {
    const char* name;
    double size;
    int pixels;
  };
  const Case cases[] = {
      // The host's defaults: 8.38 digits of 8 pixels plus 5 make the 72-pixel column.
      {"ＭＳ Ｐゴシック", 11, 8},
      {"ＭＳ 明朝", 11, 8},
      {"ＭＳ Ｐゴシック", 22, 16},
      {"ＭＳ Ｐゴシック", 10, 7},   // 7.27 rounds down
      {"ＭＳ Ｐゴシック", 14, 10},  // 10.18
      {"Calibri", 11, 7},
      {"Calibri", 16, 10},  // 10.18
      // Measured from the face: Liberation Sans digits are 0.556 em, 8.2 pixels at 11 points.
      {"Arial", 11, 8},
      {"Arial", 20, 15},  // 14.8
      // An unknown name takes the table's first entry and its digit.
      {"Font That Is Nowhere", 11, 8},
  };
  FontCatalog fonts;
  for (const Case& c : cases) {
    EXPECT_EQ(fonts.MaxDigitWidthPixels(c.name, c.size), c.pixels) << c.name << " " << c.size;
  }
  // Never zero, however small the font.
  EXPECT_EQ(fonts.MaxDigitWidthPixels("Arial", 0.1), 1);
}

}  // namespace
}  // namespace tarquel::print
