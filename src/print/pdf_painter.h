// A painter that writes a PDF document in memory, through cairo. Each page takes the size its
// BeginPage gives; glyphs are drawn with the font files the layout shaped them with, embedded as
// subsets, and carry their text so that the document's text can be copied and searched. Needs no
// window system.
#ifndef TARQUEL_PRINT_PDF_PAINTER_H_
#define TARQUEL_PRINT_PDF_PAINTER_H_

#include <string>
#include <vector>

#include "print/painter.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace tarquel::print {

// The dash pattern of `stroke` as lengths of ink and gap in points, scaled to its width so that a
// thick line keeps the shape of its pattern; a thin line keeps dashes of a visible length. Empty
// for a solid line.
std::vector<double> DashPattern(const Stroke& stroke);

class PdfPainter final : public Painter {
 public:
  // Throws PrintError when cairo cannot start a document.
  PdfPainter();
  ~PdfPainter() override;
  PdfPainter(const PdfPainter&) = delete;
  PdfPainter& operator=(const PdfPainter&) = delete;

  // The document's title in its properties (UTF-8).
  void SetTitle(const std::string& title);

  void BeginPage(double width, double height) override;
  void EndPage() override;
  void FillRect(const Rect& rect, const Rgb& color) override;
  void DrawLine(const Point& from, const Point& to, const Stroke& stroke) override;
  // Throws PrintError when the run's font file cannot be read.
  void DrawGlyphs(const GlyphRun& run) override;
  void PushClip(const Rect& rect) override;
  void PopClip() override;

  // Ends the document and returns its bytes; the painter draws nothing more afterwards. A page
  // still open is ended first. Throws PrintError when cairo failed at any point.
  std::string Finish();

 private:
  void Check(const char* what) const;

  std::string bytes_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  bool page_open_ = false;
  int clip_depth_ = 0;
};

}  // namespace tarquel::print

#endif  // TARQUEL_PRINT_PDF_PAINTER_H_
