#include "print/pdf_painter.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <string_view>
#include <tuple>

#include "host/utf16.h"
#include "print/print_error.h"

namespace tarquel::print {

namespace {

// Font faces are loaded once per process and kept: cairo holds on to recently used fonts beyond
// any one document, so a face must not go away with the painter that loaded it, and a second
// document printed by the same process (a test and its answer key) finds its fonts ready.
class FaceCache {
 public:
  static FaceCache& Get() {
    static FaceCache* cache = new FaceCache();  // never destroyed: cairo may outlive statics
    return *cache;
  }

  // The cairo face for `file`, emboldened or slanted as asked. Throws PrintError.
  cairo_font_face_t* Face(const FontFile& file, bool bold, bool italic) {
    std::lock_guard lock(mutex_);
    const auto key = std::make_tuple(file, bold, italic);
    if (auto it = faces_.find(key); it != faces_.end()) return it->second;
    if (!library_ && FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      throw PrintError("フォントを読み込む準備ができませんでした。");
    }
    // Each style gets a face of its own: cairo shares the faces it makes from one FreeType face,
    // and synthesis set on a shared one would embolden every run of the font.
    FT_Face ft_face = nullptr;
    if (FT_New_Face(library_, file.path.c_str(), file.index, &ft_face) != 0) {
      throw PrintError("フォントファイル「" + file.path + "」（" + std::to_string(file.index) +
                       " 番目の書体）を読み込めません。");
    }
    cairo_font_face_t* face =
        cairo_ft_font_face_create_for_ft_face(ft_face, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    static const cairo_user_data_key_t kFreeTypeFace{};
    if (cairo_font_face_set_user_data(face, &kFreeTypeFace, ft_face, [](void* data) {
          FT_Done_Face(static_cast<FT_Face>(data));
        }) != CAIRO_STATUS_SUCCESS) {
      cairo_font_face_destroy(face);
      FT_Done_Face(ft_face);
      throw PrintError("フォントファイル「" + file.path + "」を使えません。");
    }
    unsigned int synthesis = 0;
    if (bold) synthesis |= CAIRO_FT_SYNTHESIZE_BOLD;
    if (italic) synthesis |= CAIRO_FT_SYNTHESIZE_OBLIQUE;
    if (synthesis != 0) cairo_ft_font_face_set_synthesize(face, synthesis);
    faces_.emplace(key, face);
    return face;
  }

 private:
  FaceCache() = default;

  std::mutex mutex_;
  FT_Library library_ = nullptr;
  std::map<std::tuple<FontFile, bool, bool>, cairo_font_face_t*> faces_;
};

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::size_t CodePoints(std::string_view utf8) {
  return static_cast<std::size_t>(
      std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// Clusters tie a run's glyphs to its characters, for the text a reader copies. When there is a
// glyph for each character, each is its own cluster; otherwise (ligatures, marks) the run is one
// cluster and its text stands for all of its glyphs.
std::vector<cairo_text_cluster_t> ClustersOf(std::string_view utf8, int glyphs) {
  std::vector<cairo_text_cluster_t> clusters;
  if (CodePoints(utf8) != static_cast<std::size_t>(glyphs)) {
    clusters.push_back({static_cast<int>(utf8.size()), glyphs});
    return clusters;
  }
  clusters.reserve(glyphs);
  for (std::size_t pos = 0; pos < utf8.size();) {
    std::size_t next = pos + 1;
    while (next < utf8.size() && (utf8[next] & 0xC0) == 0x80) ++next;
    clusters.push_back({static_cast<int>(next - pos), 1});
    pos = next;
  }
  return clusters;
}

}  // namespace

std::vector<double> DashPattern(const Stroke& stroke) {
  // In units of the line's width, never less than a thin line's, as the window's painter draws
  // them, so that screen and paper agree.
  const double unit = std::max(stroke.width, 0.75);
  switch (stroke.dash) {
    case Dash::kSolid:
      break;
    case Dash::kDash:
      return {3 * unit, unit};
    case Dash::kDot:
      return {unit, unit};
    case Dash::kDashDot:
      return {3 * unit, unit, unit, unit};
    case Dash::kDashDotDot:
      return {3 * unit, unit, unit, unit, unit, unit};
  }
  return {};
}

PdfPainter::PdfPainter() {
  // The size is a placeholder: every page is given its own in BeginPage.
  surface_ = cairo_pdf_surface_create_for_stream(Append, &bytes_, 595.28, 841.89);
  cr_ = cairo_create(surface_);
  Check("PDF を作り始められません");
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "tarquel");
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr_, options);
  cairo_font_options_destroy(options);
}

PdfPainter::~PdfPainter() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
}

void PdfPainter::Check(const char* what) const {
  cairo_status_t status = cr_ ? cairo_status(cr_) : CAIRO_STATUS_NULL_POINTER;
  if (status == CAIRO_STATUS_SUCCESS && surface_) status = cairo_surface_status(surface_);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw PrintError(std::string(what) + "（" + cairo_status_to_string(status) + "）。");
  }
}

void PdfPainter::SetTitle(const std::string& title) {
  if (surface_) cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
}

void PdfPainter::BeginPage(double width, double height) {
  if (page_open_) EndPage();
  cairo_pdf_surface_set_size(surface_, width, height);
  page_open_ = true;
}

void PdfPainter::EndPage() {
  while (clip_depth_ > 0) PopClip();
  cairo_show_page(cr_);
  page_open_ = false;
  Check("PDF のページを書けません");
}

void PdfPainter::FillRect(const Rect& rect, const Rgb& color) {
  cairo_set_source_rgb(cr_, color.red, color.green, color.blue);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_fill(cr_);
}

void PdfPainter::DrawLine(const Point& from, const Point& to, const Stroke& stroke) {
  cairo_set_source_rgb(cr_, stroke.color.red, stroke.color.green, stroke.color.blue);
  cairo_set_line_width(cr_, stroke.width);
  cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
  const std::vector<double> dashes = DashPattern(stroke);
  cairo_set_dash(cr_, dashes.data(), static_cast<int>(dashes.size()), 0);
  cairo_move_to(cr_, from.x, from.y);
  cairo_line_to(cr_, to.x, to.y);
  cairo_stroke(cr_);
}

void PdfPainter::DrawGlyphs(const GlyphRun& run) {
  // cairo stops drawing for good at a font size it cannot use; such a run shows nothing anyway.
  if (run.glyphs.empty() || !(run.size > 0) || !std::isfinite(run.size)) return;
  cairo_font_face_t* face =
      FaceCache::Get().Face(run.font, run.synthetic_bold, run.synthetic_italic);
  cairo_set_font_face(cr_, face);
  cairo_set_font_size(cr_, run.size);
  cairo_set_source_rgb(cr_, run.color.red, run.color.green, run.color.blue);
  // Text that is not UTF-8 would likewise stop cairo: the glyphs are drawn without it.
  const bool with_text = !run.text.empty() && host::IsValidUtf8(run.text);
  // Only what the clip lets show goes into the document: a cell of thousands of characters cut
  // at its edge would otherwise carry them all, to be copied from the PDF though never seen.
  // Glyphs are tied to characters one to one only when there are as many of each.
  const bool one_to_one = with_text && CodePoints(run.text) == run.glyphs.size();
  double left = 0, top = 0, right = 0, bottom = 0;
  cairo_clip_extents(cr_, &left, &top, &right, &bottom);
  const double reach = 2 * run.size;  // a glyph's ink may stand that far from its origin
  std::vector<cairo_glyph_t> glyphs;
  glyphs.reserve(run.glyphs.size());
  std::string text;
  std::size_t pos = 0;
  for (const PlacedGlyph& glyph : run.glyphs) {
    const std::size_t start = pos;
    if (one_to_one) pos = start + host::Utf8SequenceAt(run.text, start);
    const bool visible = glyph.x > left - reach && glyph.x < right + reach &&
                         glyph.y > top - reach && glyph.y < bottom + reach;
    if (one_to_one && !visible) continue;
    glyphs.push_back({glyph.id, glyph.x, glyph.y});
    if (one_to_one) text.append(run.text, start, pos - start);
  }
  if (glyphs.empty()) return;
  if (!one_to_one && with_text) text = run.text;
  const int count = static_cast<int>(glyphs.size());
  if (text.empty()) {
    cairo_show_glyphs(cr_, glyphs.data(), count);
  } else {
    const std::vector<cairo_text_cluster_t> clusters = ClustersOf(text, count);
    cairo_show_text_glyphs(cr_, text.data(), static_cast<int>(text.size()), glyphs.data(), count,
                           clusters.data(), static_cast<int>(clusters.size()),
                           static_cast<cairo_text_cluster_flags_t>(0));
  }
  Check("PDF に文字を書けません");
}

void PdfPainter::PushClip(const Rect& rect) {
  cairo_save(cr_);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  cairo_clip(cr_);
  ++clip_depth_;
}

void PdfPainter::PopClip() {
  if (clip_depth_ == 0) return;
  cairo_restore(cr_);
  --clip_depth_;
}

std::string PdfPainter::Finish() {
  if (!surface_) return bytes_;
  if (page_open_) EndPage();
  cairo_destroy(cr_);
  cr_ = nullptr;
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  cairo_surface_destroy(surface_);
  surface_ = nullptr;
  if (status != CAIRO_STATUS_SUCCESS) {
    throw PrintError(std::string("PDF を書き終えられません（") + cairo_status_to_string(status) +
                     "）。");
  }
  return std::move(bytes_);
}

}  // namespace tarquel::print
