// Which installed font stands for a font a workbook names. Workbooks carry the names of the fonts
// of the program that wrote them ("ＭＳ Ｐゴシック", "游明朝", "Calibri"); this machine has
// fonts with the same metrics under other names (the IPA and IPAex fonts, Liberation, Carlito,
// Caladea), and Noto CJK for the rest. One table (FontMappings) decides, for screen and paper
// alike; fontconfig finds the files.
#ifndef TARQUEL_PRINT_FONT_CATALOG_H_
#define TARQUEL_PRINT_FONT_CATALOG_H_

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <tuple>

#include "print/painter.h"

struct hb_font_t;

namespace tarquel::print {

// A workbook font name and the installed families that stand for it, best first.
struct FontMapping {
  std::string_view workbook_name;
  std::string_view families;  // comma-separated fontconfig family names
  // Width of a digit in pixels at 11 points on a 96-dpi screen as the host measures it: the unit
  // of column widths. 0: measured from the installed face.
  int digit_pixels_at_11 = 0;
};

// The table, documented in font_catalog.cc. A name not in it is looked up as itself, and when
// that is not installed either, falls back to the Japanese gothic of the table's first entry.
std::span<const FontMapping> FontMappings();

// The face chosen for a font: its file, its family, and whether bold or italic must be
// synthesised because the family has no such face (the IPA fonts have no bold).
struct FontChoice {
  FontFile file;
  std::string family;
  bool synthetic_bold = false;
  bool synthetic_italic = false;
};

// Loads faces on first use and keeps them for its lifetime. Not thread-safe.
class FontCatalog {
 public:
  FontCatalog();
  ~FontCatalog();
  FontCatalog(const FontCatalog&) = delete;
  FontCatalog& operator=(const FontCatalog&) = delete;

  // The installed face for workbook font `name` in the given style. Throws PrintError only
  // when no font at all can be found (a machine without the fonts the set-up installs).
  const FontChoice& Choose(const std::string& name, bool bold, bool italic);

  // The HarfBuzz font of `file` at its default scale (one unit per font unit, UnitsPerEm to the
  // em); owned by the catalog.
  hb_font_t* HarfBuzzFont(const FontFile& file);
  int UnitsPerEm(const FontFile& file);

  // The host's unit of column width for a sheet whose standard font is `name` at `size` points:
  // the width of its widest digit in pixels on a 96-dpi screen.
  int MaxDigitWidthPixels(const std::string& name, double size);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_FONT_CATALOG_H_
