// The colours cells name, as the printer draws them.
#include "print/colors.h"

#include <gtest/gtest.h>

namespace tarquel::print {
namespace {

// Found printing a workbook of a common Python writer blank: its default font is theme colour 1,
// which is dark text, not the theme's second colour in its own list.
TEST(ColorsTest, ThemeIndicesNameTheColoursCellsMean) {
  const Rgb automatic{0.5, 0.5, 0.5};
  const struct {
    host::Color color;
    Rgb rgb;
  } cases[] = {
      {{host::Color::Kind::kTheme, 0, 0}, {1, 1, 1}},
      {{host::Color::Kind::kTheme, 1, 0}, {0, 0, 0}},
      {{host::Color::Kind::kTheme, 3, 0}, {0x44 / 255.0, 0x54 / 255.0, 0x6A / 255.0}},
      {{host::Color::Kind::kTheme, 1, 0.5}, {0.5, 0.5, 0.5}},
      {{host::Color::Kind::kTheme, 0, -0.5}, {0.5, 0.5, 0.5}},
      {{host::Color::Kind::kTheme, 40, 0}, automatic},
      {host::Color::Indexed(8), {0, 0, 0}},
      {host::Color::Indexed(10), {1, 0, 0}},
      {host::Color::Indexed(2), {1, 0, 0}},
      {host::Color::Indexed(64), automatic},
      {host::Color::Rgb(0xFF00FF00), {0, 1, 0}},
      {host::Color::Automatic(), automatic},
  };
  for (const auto& c : cases) {
    const Rgb got = ToRgb(c.color, automatic);
    EXPECT_NEAR(got.red, c.rgb.red, 1e-9) << static_cast<int>(c.color.kind) << " " << c.color.value;
    EXPECT_NEAR(got.green, c.rgb.green, 1e-9) << c.color.value;
    EXPECT_NEAR(got.blue, c.rgb.blue, 1e-9) << c.color.value;
  }
  EXPECT_EQ(BlackAndWhite({1, 1, 1}), (Rgb{1, 1, 1}));
  EXPECT_EQ(BlackAndWhite({1, 0, 0}), (Rgb{0, 0, 0}));
}

}  // namespace
}  // namespace tarquel::print
