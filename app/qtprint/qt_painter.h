// The printer's painter on a QPainter: pages drawn on a Qt printer, on images for a preview, or
// cells painted in a window. Glyphs are drawn with the very font files the layout shaped them
// with (QRawFont), so that what Qt draws matches the PDF glyph for glyph.
#ifndef TARQUEL_APP_QTPRINT_QT_PAINTER_H_
#define TARQUEL_APP_QTPRINT_QT_PAINTER_H_

#include <QByteArray>
#include <QRawFont>
#include <QTransform>
#include <functional>
#include <map>
#include <utility>

#include "print/painter.h"

class QPainter;
class QPaintDevice;
class QPen;

namespace tarquel::qtprint {

// What BeginPage and EndPage do to the device under the QPainter: a printer starts a new sheet
// of paper, an image renderer begins the painter on a new image. Either may be empty (a window
// painting its cells has no pages).
struct PageHooks {
  // Called before anything of the page of `width` by `height` points is drawn; the QPainter must
  // be active when it returns.
  std::function<void(double width, double height)> begin_page;
  std::function<void()> end_page;
};

// The transform from points to the units of `device` at its logical resolution.
QTransform PointsToDevice(const QPaintDevice& device);

// The QPen a stroke is drawn with, in points: flat ends, at least `min_width` wide, its dashes
// as long on the paper whatever the pen's width (thin lines get dashes of a visible length).
QPen PenFor(const print::Stroke& stroke, double min_width = 0);

class QtPainter final : public print::Painter {
 public:
  // Draws on `painter` (which must outlive this) through `points_to_device`, applied on top of
  // nothing else: the painter's own world transform is replaced while drawing. A QGuiApplication
  // must exist while glyphs are drawn.
  QtPainter(QPainter& painter, const QTransform& points_to_device, PageHooks hooks = {});
  ~QtPainter() override;
  QtPainter(const QtPainter&) = delete;
  QtPainter& operator=(const QtPainter&) = delete;

  void BeginPage(double width, double height) override;
  void EndPage() override;
  void FillRect(const print::Rect& rect, const print::Rgb& color) override;
  void DrawLine(const print::Point& from, const print::Point& to,
                const print::Stroke& stroke) override;
  // Throws print::PrintError when the run's font file cannot be read.
  void DrawGlyphs(const print::GlyphRun& run) override;
  void PushClip(const print::Rect& rect) override;
  void PopClip() override;

  // The font of `file` at `size` points, loaded on first use (a face of a collection
  // included). Throws print::PrintError when the file cannot be read as a font.
  const QRawFont& RawFont(const print::FontFile& file, double size);

 private:
  void UsePointTransform();

  QPainter& painter_;
  QTransform points_to_device_;
  PageHooks hooks_;
  int clip_depth_ = 0;
  std::map<print::FontFile, QRawFont> faces_;  // at a reference size
  std::map<std::pair<print::FontFile, double>, QRawFont> sized_;
};

// The bytes of face `index` of the font file `data` as a font file of its own (the data itself
// for a single font, or for index 0 of a collection, which every font reader takes as the
// collection's first face). Empty when `index` is not a face of `data`.
QByteArray FaceData(const QByteArray& data, int index);

}  // namespace tarquel::qtprint

#endif  // TARQUEL_APP_QTPRINT_QT_PAINTER_H_
