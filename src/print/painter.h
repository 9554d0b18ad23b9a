// What the printer draws on. A page is drawn in points with the origin at the paper's top left
// corner and y growing downwards. Implementations write a PDF (pdf_painter.h), or, in the front
// ends, draw on a printer or a window; nothing here names a window system.
#ifndef TARQUEL_PRINT_PAINTER_H_
#define TARQUEL_PRINT_PAINTER_H_

#include <cstdint>
#include <string>
#include <vector>

namespace tarquel::print {

struct Rgb {
  double red = 0;  // 0 to 1
  double green = 0;
  double blue = 0;

  bool operator==(const Rgb&) const = default;
};

struct Point {
  double x = 0;
  double y = 0;

  bool operator==(const Point&) const = default;
};

struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double right() const { return x + width; }
  double bottom() const { return y + height; }
  bool operator==(const Rect&) const = default;
};

// An installed font file and the index of the face in it (a collection holds several).
struct FontFile {
  std::string path;
  int index = 0;

  bool operator==(const FontFile&) const = default;
  bool operator<(const FontFile& other) const {
    return path != other.path ? path < other.path : index < other.index;
  }
};

// A glyph and where its horizontal origin (on the baseline) stands. Glyphs of vertical text are
// given the same way: the layout has already moved them from their vertical origin.
struct PlacedGlyph {
  uint32_t id = 0;
  double x = 0;
  double y = 0;

  bool operator==(const PlacedGlyph&) const = default;
};

// Glyphs of one font, size and colour. `text` holds the characters they show, so that a PDF's
// text can be copied and searched.
struct GlyphRun {
  FontFile font;
  double size = 11;             // em size in points
  bool synthetic_bold = false;  // the family has no bold face: embolden its outlines
  bool synthetic_italic = false;
  Rgb color;
  std::vector<PlacedGlyph> glyphs;
  std::string text;  // UTF-8
};

enum class Dash : uint8_t { kSolid, kDash, kDot, kDashDot, kDashDotDot };

struct Stroke {
  double width = 0.75;  // points
  Rgb color;
  Dash dash = Dash::kSolid;

  bool operator==(const Stroke&) const = default;
};

class Painter {
 public:
  virtual ~Painter() = default;

  // A new page of `width` by `height` points.
  virtual void BeginPage(double width, double height) = 0;
  virtual void EndPage() = 0;

  virtual void FillRect(const Rect& rect, const Rgb& color) = 0;
  // A straight line; the stroke is centred on it and its ends are cut square at the points.
  virtual void DrawLine(const Point& from, const Point& to, const Stroke& stroke) = 0;
  virtual void DrawGlyphs(const GlyphRun& run) = 0;
  // Until the matching PopClip, nothing is drawn outside `rect` (intersected with any clip
  // already in force).
  virtual void PushClip(const Rect& rect) = 0;
  virtual void PopClip() = 0;
};

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_PAINTER_H_
