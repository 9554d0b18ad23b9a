// A font that follows the workbook's theme stops following it when a command names its face,
// and keeps following it through every other change and through a copy of the whole font.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/range.h"
#include "support/host_fixture.h"

namespace tarquel::host {
namespace {

// The theme's body font as a Japanese spreadsheet program writes it into a new workbook.
Font ThemeFont() {
  Font font;
  font.name = "游ゴシック";
  font.size = 11;
  font.family = 2;
  font.charset = 128;
  font.scheme = "minor";
  return font;
}

class FontSchemeTest : public testing::HostTest {
 protected:
  // B2 holds a text whose cell font and whose run over its first two characters follow the
  // theme, set as a file would give them: the whole font at once.
  Range ThemedCell() {
    Range cell = At("B2");
    cell.SetValue("試合にカツ。");
    cell.Font().Modify([](Font& font) { font = ThemeFont(); });
    Font run = ThemeFont();
    run.bold = true;
    cell.Characters(1, 2).Font().Modify([&run](Font& font) { font = run; });
    return cell;
  }
};

TEST_F(FontSchemeTest, NamingTheFaceEndsTheThemeAndOtherChangesKeepIt) {
  struct Case {
    const char* what;
    std::function<void(const FontAccess&)> change;
    const char* name;    // of the cell's font afterwards
    const char* scheme;  // of the cell's font and of its run afterwards
  };
  const Case cases[] = {
      {"SetName with another face", [](const FontAccess& f) { f.SetName("ＭＳ Ｐゴシック"); },
       "ＭＳ Ｐゴシック", ""},
      {"SetName with the theme's own face", [](const FontAccess& f) { f.SetName("游ゴシック"); },
       "游ゴシック", ""},
      {"a change that assigns the name among other properties",
       [](const FontAccess& f) {
         f.Modify([](Font& font) {
           font.name = "ＭＳ Ｐゴシック";
           font.size = 12;
           font.bold = false;
         });
       },
       "ＭＳ Ｐゴシック", ""},
      {"a change that leaves the name as it was (only SetName names the face)",
       [](const FontAccess& f) { f.Modify([](Font& font) { font.name = "游ゴシック"; }); },
       "游ゴシック", "minor"},
      {"a change that renames only fonts of the Japanese character set",
       [](const FontAccess& f) {
         f.Modify([](Font& font) {
           if (font.charset == 128) font.name = "ＭＳ 明朝";
         });
       },
       "ＭＳ 明朝", ""},
      {"SetSize", [](const FontAccess& f) { f.SetSize(14); }, "游ゴシック", "minor"},
      {"SetBold", [](const FontAccess& f) { f.SetBold(true); }, "游ゴシック", "minor"},
      {"SetColorIndex", [](const FontAccess& f) { f.SetColorIndex(3); }, "游ゴシック", "minor"},
      {"SetUnderline", [](const FontAccess& f) { f.SetUnderline(Underline::kSingle); },
       "游ゴシック", "minor"},
      {"a change that reads the name without assigning it",
       [](const FontAccess& f) {
         f.Modify([](Font& font) { font.italic = font.name == "游ゴシック"; });
       },
       "游ゴシック", "minor"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Range cell = ThemedCell();
    c.change(cell.Font());
    EXPECT_EQ(cell.Font().Name(), c.name);
    EXPECT_EQ(cell.Font().Get().scheme, c.scheme);
    EXPECT_EQ(cell.Characters(1, 1).Font().Get().scheme, c.scheme) << "the run takes it too";
    EXPECT_EQ(cell.Font().Get().family, 2) << "the rest of the font stays";
    EXPECT_EQ(cell.Font().Get().charset, 128);
  }
}

TEST_F(FontSchemeTest, NamingSomeCharactersEndsTheThemeForThoseOnly) {
  Range cell = ThemedCell();
  cell.Characters(4, 2).Font().SetName("ＭＳ 明朝");
  EXPECT_EQ(cell.Characters(4, 1).Font().Name(), "ＭＳ 明朝");
  EXPECT_EQ(cell.Characters(4, 1).Font().Get().scheme, "");
  EXPECT_EQ(cell.Characters(1, 1).Font().Get().scheme, "minor") << "the run before";
  EXPECT_EQ(cell.Characters(6, 1).Font().Get().scheme, "minor") << "the character after";
  EXPECT_EQ(cell.Font().Get().scheme, "minor") << "the cell's own font";
}

TEST_F(FontSchemeTest, AFontCopiedWholeKeepsItsTheme) {
  Range cell = ThemedCell();
  // Another cell takes B2's font whole, as a command copying a font would.
  const Font copied = cell.Font().Get();
  At("C3").SetValue("勝");
  At("C3").Font().SetName("ＭＳ Ｐゴシック");
  At("C3").Font().Modify([&copied](Font& font) { font = copied; });
  EXPECT_EQ(At("C3").Font().Get(), ThemeFont());

  // And copying the cell carries the font as it is.
  cell.Copy();
  At("D4").Select();
  sheet_->Paste();
  EXPECT_EQ(At("D4").Font().Get(), ThemeFont());
  EXPECT_EQ(At("D4").Characters(1, 1).Font().Get().scheme, "minor");
}

}  // namespace
}  // namespace tarquel::host
