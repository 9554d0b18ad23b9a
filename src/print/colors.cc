#include "print/colors.h"

#include <algorithm>
#include <cstdint>

namespace tarquel::print {

namespace {

// The host's default palette, indices 8 to 63 (0 to 7 repeat its first eight).
constexpr uint32_t kPalette[56] = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

// The default office theme by the indices cells use, which take its first two pairs the other
// way round from the theme's own list: light 1, dark 1, light 2, dark 2, then accents 1 to 6 and
// the hyperlink colours. Text in the default font is theme 1, dark.
constexpr uint32_t kTheme[12] = {
    0xFFFFFF, 0x000000, 0xE7E6E6, 0x44546A, 0x4472C4, 0xED7D31,
    0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72,
};

Rgb FromHex(uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// A tint lightens towards white (positive) or darkens towards black (negative), channel by
// channel; close enough to the lightness model files mean for print.
Rgb Tinted(Rgb color, double tint) {
  tint = std::clamp(tint, -1.0, 1.0);
  auto apply = [tint](double channel) {
    return tint < 0 ? channel * (1 + tint) : channel + (1 - channel) * tint;
  };
  return {apply(color.red), apply(color.green), apply(color.blue)};
}

}  // namespace

Rgb ToRgb(const host::Color& color, const Rgb& automatic) {
  switch (color.kind) {
    case host::Color::Kind::kAutomatic:
      return automatic;
    case host::Color::Kind::kIndexed:
      if (color.value < 8) return Tinted(FromHex(kPalette[color.value]), color.tint);
      if (color.value < 64) return Tinted(FromHex(kPalette[color.value - 8]), color.tint);
      return automatic;  // 64 and 65: the system's foreground and background
    case host::Color::Kind::kRgb:
      return Tinted(FromHex(color.value & 0xFFFFFF), color.tint);
    case host::Color::Kind::kTheme:
      if (color.value < 12) return Tinted(FromHex(kTheme[color.value]), color.tint);
      return automatic;
  }
  return automatic;
}

Rgb BlackAndWhite(const Rgb& color) { return color == Rgb{1, 1, 1} ? color : Rgb{}; }

}  // namespace tarquel::print
