#include "qtprint/qt_painter.h"

#include <QColor>
#include <QFile>
#include <QGlyphRun>
#include <QList>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "print/print_error.h"

namespace tarquel::qtprint {
namespace {

// The size a face is first loaded at; every size drawn is a cheap copy of it.
constexpr double kReferenceSize = 12;
// Sized copies kept; shrunk cells give many sizes, so the cache starts over past this.
constexpr std::size_t kMaxSizedFonts = 128;
// How far synthetic italic leans (horizontal shift per unit of height), as common renderers do.
constexpr double kItalicLean = 0.2;
// The width of the stroke that emboldens an outline, as a share of the em: the same amount
// FreeType's emboldening adds, so that synthetic bold looks alike on paper and on screen.
constexpr double kBoldStrokePerEm = 1.0 / 24;
// The shortest dash unit, in points: a hairline's dots would otherwise vanish.
constexpr double kMinDashUnit = 0.75;

QColor ToQColor(const print::Rgb& color) {
  return QColor::fromRgbF(static_cast<float>(std::clamp(color.red, 0.0, 1.0)),
                          static_cast<float>(std::clamp(color.green, 0.0, 1.0)),
                          static_cast<float>(std::clamp(color.blue, 0.0, 1.0)));
}

// Dash patterns in units of the line's width: on, off, on, off…
QList<qreal> DashUnits(print::Dash dash) {
  switch (dash) {
    case print::Dash::kSolid:
      return {};
    case print::Dash::kDash:
      return {3, 1};
    case print::Dash::kDot:
      return {1, 1};
    case print::Dash::kDashDot:
      return {3, 1, 1, 1};
    case print::Dash::kDashDotDot:
      return {3, 1, 1, 1, 1, 1};
  }
  return {};
}

uint32_t ReadU32(const QByteArray& data, qsizetype at) {
  auto byte = [&](qsizetype i) { return static_cast<uint32_t>(static_cast<uint8_t>(data[i])); };
  return byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
}

uint32_t ReadU16(const QByteArray& data, qsizetype at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(data[at])) << 8 |
         static_cast<uint8_t>(data[at + 1]);
}

void WriteU32(QByteArray& data, qsizetype at, uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    data[at + i] = static_cast<char>(value >> (24 - 8 * i) & 0xff);
  }
}

// The pixel of the device in points, the thinnest line that still shows there.
double DevicePixelInPoints(const QTransform& points_to_device) {
  const double area = std::abs(points_to_device.determinant());
  return area > 0 ? 1 / std::sqrt(area) : 0;
}

std::string CannotReadFontMessage(const print::FontFile& file) {
  if (file.index == 0) {
    return "フォントファイル「" + file.path + "」を読めません。";
  }
  return "フォントファイル「" + file.path + "」の " + std::to_string(file.index) +
         " 番目の書体を読めません。";
}

}  // namespace

QTransform PointsToDevice(const QPaintDevice& device) {
  return QTransform::fromScale(device.logicalDpiX() / 72.0, device.logicalDpiY() / 72.0);
}

QPen PenFor(const print::Stroke& stroke, double min_width) {
  const double width = std::max(stroke.width, min_width);
  QPen pen(ToQColor(stroke.color), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
  QList<qreal> pattern = DashUnits(stroke.dash);
  if (!pattern.isEmpty() && width > 0) {
    // Qt measures dashes in pen widths; ours are in widths of the line as the paper has it.
    const double unit = std::max(stroke.width, kMinDashUnit) / width;
    for (qreal& length : pattern) {
      length *= unit;
    }
    pen.setDashPattern(pattern);
  }
  return pen;
}

QByteArray FaceData(const QByteArray& data, int index) {
  constexpr qsizetype kDirectoryHeader = 12;
  constexpr qsizetype kTableRecord = 16;
  if (index < 0 || data.size() < kDirectoryHeader) {
    return {};
  }
  if (!data.startsWith("ttcf")) {
    return index == 0 ? data : QByteArray();
  }
  const uint32_t faces = ReadU32(data, 8);
  if (static_cast<uint32_t>(index) >= faces || 12 + 4 * (qsizetype{index} + 1) > data.size()) {
    return {};
  }
  // Every font reader takes a collection's first face from the whole file.
  if (index == 0) {
    return data;
  }
  // Other faces become a font file of their own: their table directory, then their tables (a
  // collection's tables are shared and stand anywhere in it, addressed from the file's start).
  const qsizetype directory = ReadU32(data, 12 + 4 * qsizetype{index});
  if (directory + kDirectoryHeader > data.size()) {
    return {};
  }
  const qsizetype tables = ReadU16(data, directory + 4);
  const qsizetype header = kDirectoryHeader + kTableRecord * tables;
  if (tables == 0 || directory + header > data.size()) {
    return {};
  }
  qsizetype size = header;
  for (qsizetype i = 0; i < tables; ++i) {
    const qsizetype record = directory + kDirectoryHeader + kTableRecord * i;
    const qsizetype offset = ReadU32(data, record + 8);
    const qsizetype length = ReadU32(data, record + 12);
    if (offset + length > data.size()) {
      return {};
    }
    size += (length + 3) / 4 * 4;
  }
  QByteArray face(size, '\0');
  std::copy_n(data.constData() + directory, header, face.data());
  qsizetype next = header;
  for (qsizetype i = 0; i < tables; ++i) {
    const qsizetype record = kDirectoryHeader + kTableRecord * i;
    const qsizetype offset = ReadU32(face, record + 8);
    const qsizetype length = ReadU32(face, record + 12);
    std::copy_n(data.constData() + offset, length, face.data() + next);
    WriteU32(face, record + 8, static_cast<uint32_t>(next));
    next += (length + 3) / 4 * 4;
  }
  return face;
}

QtPainter::QtPainter(QPainter& painter, const QTransform& points_to_device, PageHooks hooks)
    : painter_(painter), points_to_device_(points_to_device), hooks_(std::move(hooks)) {}

QtPainter::~QtPainter() = default;

void QtPainter::UsePointTransform() { painter_.setWorldTransform(points_to_device_); }

void QtPainter::BeginPage(double width, double height) {
  if (hooks_.begin_page) {
    hooks_.begin_page(width, height);
  }
  clip_depth_ = 0;
  UsePointTransform();
}

void QtPainter::EndPage() {
  // A page never leaves a clip behind for the next one.
  for (; clip_depth_ > 0; --clip_depth_) {
    painter_.restore();
  }
  if (hooks_.end_page) {
    hooks_.end_page();
  }
}

void QtPainter::FillRect(const print::Rect& rect, const print::Rgb& color) {
  UsePointTransform();
  painter_.fillRect(QRectF(rect.x, rect.y, rect.width, rect.height), ToQColor(color));
}

void QtPainter::DrawLine(const print::Point& from, const print::Point& to,
                         const print::Stroke& stroke) {
  UsePointTransform();
  painter_.setPen(PenFor(stroke, DevicePixelInPoints(points_to_device_)));
  painter_.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
}

void QtPainter::DrawGlyphs(const print::GlyphRun& run) {
  if (run.glyphs.empty() || !(run.size > 0)) {
    return;
  }
  const QRawFont& font = RawFont(run.font, run.size);
  // Italic leans each glyph about its own origin: the run is drawn sheared, at origins moved so
  // that the shear brings them back where the layout put them.
  const double lean = run.synthetic_italic ? kItalicLean : 0;
  QList<quint32> ids;
  QList<QPointF> origins;
  ids.reserve(static_cast<qsizetype>(run.glyphs.size()));
  origins.reserve(static_cast<qsizetype>(run.glyphs.size()));
  for (const print::PlacedGlyph& glyph : run.glyphs) {
    ids.append(glyph.id);
    origins.append(QPointF(glyph.x + lean * glyph.y, glyph.y));
  }
  QGlyphRun glyphs;
  glyphs.setRawFont(font);
  glyphs.setGlyphIndexes(ids);
  glyphs.setPositions(origins);

  const QColor color = ToQColor(run.color);
  painter_.save();
  painter_.setWorldTransform(QTransform().shear(-lean, 0) * points_to_device_);
  painter_.setPen(color);
  painter_.drawGlyphRun(QPointF(0, 0), glyphs);
  if (run.synthetic_bold) {
    QPainterPath outlines;
    for (qsizetype i = 0; i < ids.size(); ++i) {
      outlines.addPath(font.pathForGlyph(ids[i]).translated(origins[i]));
    }
    painter_.strokePath(outlines, QPen(color, run.size * kBoldStrokePerEm, Qt::SolidLine,
                                       Qt::RoundCap, Qt::RoundJoin));
  }
  painter_.restore();
}

void QtPainter::PushClip(const print::Rect& rect) {
  painter_.save();
  ++clip_depth_;
  UsePointTransform();
  painter_.setClipRect(QRectF(rect.x, rect.y, rect.width, rect.height), Qt::IntersectClip);
}

void QtPainter::PopClip() {
  if (clip_depth_ > 0) {
    --clip_depth_;
    painter_.restore();
  }
}

const QRawFont& QtPainter::RawFont(const print::FontFile& file, double size) {
  const auto key = std::make_pair(file, size);
  if (auto sized = sized_.find(key); sized != sized_.end()) {
    return sized->second;
  }
  auto face = faces_.find(file);
  if (face == faces_.end()) {
    QFile source(QString::fromStdString(file.path));
    QRawFont raw;
    if (source.open(QIODevice::ReadOnly)) {
      const QByteArray data = FaceData(source.readAll(), file.index);
      if (!data.isEmpty()) {
        raw.loadFromData(data, kReferenceSize, QFont::PreferNoHinting);
      }
    }
    if (!raw.isValid()) {
      throw print::PrintError(CannotReadFontMessage(file));
    }
    face = faces_.emplace(file, raw).first;
  }
  if (sized_.size() >= kMaxSizedFonts) {
    sized_.clear();
  }
  QRawFont font = face->second;
  font.setPixelSize(size);
  return sized_.emplace(key, std::move(font)).first->second;
}

}  // namespace tarquel::qtprint
