// The formatting of a cell, as the host models it: font, alignment, number format, the cell's
// own border edges, fill and protection. Workbooks keep each distinct format once in a
// StyleTable and cells refer to it by id, so that a sheet of a million cells costs an id
// each and a file writer finds the distinct formats ready.
#ifndef TARQUEL_HOST_CELL_FORMAT_H_
#define TARQUEL_HOST_CELL_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarquel::host {

// A colour as files store it. Automatic is the host's default colour for the context.
struct Color {
  enum class Kind : uint8_t { kAutomatic, kIndexed, kRgb, kTheme };
  Kind kind = Kind::kAutomatic;
  uint32_t value = 0;  // palette index, 0xAARRGGBB, or theme index
  double tint = 0;

  static Color Automatic() { return {}; }
  static Color Indexed(uint32_t index) { return {Kind::kIndexed, index, 0}; }
  static Color Rgb(uint32_t argb) { return {Kind::kRgb, argb, 0}; }
  bool operator==(const Color&) const = default;
};

enum class Underline : uint8_t { kNone, kSingle, kDouble, kSingleAccounting, kDoubleAccounting };

// The default font of a new workbook.
inline constexpr char kDefaultFontName[] = "ＭＳ Ｐゴシック";
inline constexpr double kDefaultFontSize = 11;

struct Font {
  std::string name = kDefaultFontName;
  double size = kDefaultFontSize;
  bool bold = false;
  bool italic = false;
  Underline underline = Underline::kNone;
  bool strikethrough = false;
  bool superscript = false;
  bool subscript = false;
  bool outline = false;
  bool shadow = false;
  Color color;
  // Carried through files unchanged; the add-in does not use them.
  int family = 0;    // 0: not given
  int charset = -1;  // -1: not given
  // "minor" or "major": the font follows the theme's font of that kind, which programs show
  // whatever `name` says; "": a font of its name. Naming the face clears it (FontAccess).
  std::string scheme;

  bool operator==(const Font&) const = default;
};

// The host's font style names: "標準", "太字", "斜体", "太字 斜体".
std::string FontStyleName(const Font& font);
// Sets bold and italic from a style name; false (and no change) for a name the host does not
// know.
bool ApplyFontStyleName(const std::string& name, Font* font);

enum class HorizontalAlignment : uint8_t {
  kGeneral,
  kLeft,
  kCenter,
  kRight,
  kFill,
  kJustify,
  kCenterAcrossSelection,
  kDistributed,
};

enum class VerticalAlignment : uint8_t { kTop, kCenter, kBottom, kJustify, kDistributed };

// Text rotation as files store it: 0..90 counter-clockwise, 91..180 clockwise (90 + degrees),
// and kVerticalText for characters stacked top to bottom.
inline constexpr int kVerticalText = 255;

struct Alignment {
  HorizontalAlignment horizontal = HorizontalAlignment::kGeneral;
  VerticalAlignment vertical = VerticalAlignment::kBottom;
  int rotation = 0;
  bool wrap_text = false;
  bool shrink_to_fit = false;
  int indent = 0;
  bool add_indent = false;
  int reading_order = 0;

  bool operator==(const Alignment&) const = default;
};

enum class LineStyle : uint8_t {
  kNone,
  kContinuous,
  kDash,
  kDashDot,
  kDashDotDot,
  kDot,
  kDouble,
  kSlantDashDot,
};

enum class BorderWeight : uint8_t { kHairline, kThin, kMedium, kThick };

struct BorderLine {
  LineStyle style = LineStyle::kNone;
  BorderWeight weight = BorderWeight::kThin;
  Color color;

  bool IsNone() const { return style == LineStyle::kNone; }
  bool operator==(const BorderLine&) const = default;
};

// The edges a cell sets itself. A line between two cells may be set by either of them; the
// sheet answers for both (see Worksheet).
struct CellBorders {
  BorderLine left;
  BorderLine top;
  BorderLine right;
  BorderLine bottom;
  BorderLine diagonal_down;
  BorderLine diagonal_up;

  bool operator==(const CellBorders&) const = default;
};

struct Fill {
  std::string pattern = "none";  // the file's pattern type: "none", "solid", "gray125", ...
  Color foreground;
  Color background;
  std::string gradient_xml;  // a gradient fill from a file, kept as its XML (pattern "gradient")

  bool operator==(const Fill&) const = default;
};

struct Protection {
  bool locked = true;
  bool hidden = false;

  bool operator==(const Protection&) const = default;
};

inline constexpr char kGeneralFormat[] = "General";

struct CellFormat {
  Font font;
  Alignment alignment;
  std::string number_format = kGeneralFormat;
  CellBorders borders;
  Fill fill;
  Protection protection;
  // Carried through files: the named cell style the format derives from (0: the normal
  // style) and whether a text was typed with a leading apostrophe.
  uint32_t named_style = 0;
  bool quote_prefix = false;

  bool operator==(const CellFormat&) const = default;
};

std::size_t HashCellFormat(const CellFormat& format);

class Hasher;
// Adds every field of the value to `hasher`. The definitions name each field of the struct in a
// structured binding, so a field added to the struct and not to its hash does not compile.
void HashInto(const Color& color, Hasher& hasher);
void HashInto(const Font& font, Hasher& hasher);
void HashInto(const std::optional<Font>& font, Hasher& hasher);

// Interns formats: equal formats get the same id. Id 0 is the default format. Ids stay valid
// for the table's lifetime.
class StyleTable {
 public:
  using Id = uint32_t;
  static constexpr Id kDefault = 0;

  StyleTable();
  StyleTable(const StyleTable&) = delete;
  StyleTable& operator=(const StyleTable&) = delete;

  Id Intern(const CellFormat& format);
  // Makes `format` the default (id 0). REQUIRES: nothing but the default has been interned,
  // as when a workbook is being loaded from a file whose first format differs.
  void SetDefault(const CellFormat& format);
  const CellFormat& Get(Id id) const { return formats_[id]; }
  std::size_t size() const { return formats_.size(); }

 private:
  std::vector<CellFormat> formats_;
  std::unordered_multimap<std::size_t, Id> index_;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_CELL_FORMAT_H_
