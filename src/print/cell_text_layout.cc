#include "print/cell_text_layout.h"

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

#include "host/utf16.h"
#include "print/colors.h"

namespace tarquel::print {

namespace {

// Lines (and the columns of vertical text) are 1.2 times the largest font size on them apart,
// or the font's ascent and descent when those are taller.
constexpr double kLineSpacing = 1.2;
// One indent level: three spaces of the default font (ＭＳ Ｐゴシック at 11 points, whose
// twin's space is 0.27 em), rounded.
constexpr double kIndentPoints = 9;
// Underlines, side lines and strike-through lines are size / 14 thick.
constexpr double kLineWidthPerSize = 1.0 / 14;
// Characters the cell's font lacks are drawn from this family when it has them.
constexpr char kFallbackFamily[] = "Noto Sans CJK JP";
// Fill alignment repeats the text at most this often, however narrow it is.
constexpr int kMaxFillCopies = 1000;

// A stretch of the text shaped with one face: one font run's characters of one paragraph that
// the face has glyphs for.
struct Piece {
  size_t begin = 0;  // bytes of the text
  size_t end = 0;
  const host::Font* font = nullptr;
  const FontChoice* choice = nullptr;
  hb_font_t* hb = nullptr;
  double size = 0;     // points
  double scale = 0;    // points per font unit
  double ascent = 0;   // points above the baseline
  double descent = 0;  // points below it
  double strike = 0;   // height of the strike-through line above the baseline, points
};

struct Glyph {
  uint32_t id = 0;
  double x_offset = 0;  // points, HarfBuzz's axes (y up); from the pen to the horizontal origin
  double y_offset = 0;
  double advance = 0;  // points along the line: rightwards, or downwards in vertical text
  bool vertical_form = false;
};

// Glyphs of one cluster of characters: the unit lines break between.
struct Cluster {
  size_t glyph_begin = 0;
  size_t glyph_end = 0;
  size_t byte_begin = 0;
  size_t byte_end = 0;
  size_t piece = 0;
  double advance = 0;
  bool space = false;
  bool break_before = false;  // a line may start with this cluster
};

struct Paragraph {
  size_t cluster_begin = 0;
  size_t cluster_end = 0;
};

struct Line {
  size_t cluster_begin = 0;
  size_t cluster_end = 0;  // a wrapped line's spaces at its end left out
  double length = 0;       // along the line
  double size = 0;         // largest font size
  double ascent = 0;
  double descent = 0;
};

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t'; }

bool IsCjk(char32_t c) {
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0x9FFF) ||
         (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Kinsoku: characters a line must not start with, and ones it must not end with.
bool MayNotStartLine(char32_t c) {
  static constexpr std::u32string_view kClosing =
      U"、。，．・：；？！゛゜ヽヾゝゞ々〻ー‐゠–〜～’”）〕］｝〉》」』】〙〗〟｠»"
      U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
      U")]},.:;?!%｡｣､･ｰｧｨｩｪｫｬｭｮｯ";
  return kClosing.find(c) != std::u32string_view::npos || (c >= 0x31F0 && c <= 0x31FF);
}

bool MayNotEndLine(char32_t c) {
  static constexpr std::u32string_view kOpening = U"（〔［｛〈《「『【〘〖〝｟«‘“([{｢";
  return kOpening.find(c) != std::u32string_view::npos;
}

// Characters that belong with the character before them whatever font that one came from.
bool JoinsPrevious(char32_t c) {
  if ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) || c == 0x200D) {
    return true;
  }
  switch (hb_unicode_general_category(hb_unicode_funcs_get_default(), c)) {
    case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
    case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
      return true;
    default:
      return false;
  }
}

double SaneSize(double size) {
  if (!(size > 0)) return host::kDefaultFontSize;  // also NaN
  return std::min(size, 409.0);
}

// The text with every byte that is not well-formed UTF-8 replaced by U+FFFD, so that shaping and
// counting never read past a cut sequence.
std::string WellFormed(const std::string& text) {
  if (host::IsValidUtf8(text)) return text;
  std::string out;
  for (size_t pos = 0; pos < text.size();) {
    size_t start = pos;
    if (auto c = host::DecodeUtf8Strict(text, &pos)) {
      out.append(text, start, pos - start);
    } else {
      host::AppendUtf8(0xFFFD, &out);
      pos = start + 1;
    }
  }
  return out;
}

class Layouter {
 public:
  Layouter(const host::Text& text, const host::CellFormat& format, double width, double height,
           FontCatalog& fonts, host::ValueKind kind)
      : text_(WellFormed(text.text)),
        source_(text),
        format_(format),
        width_(width),
        height_(height),
        fonts_(fonts),
        kind_(kind),
        vertical_(format.alignment.rotation == host::kVerticalText) {}

  CellTextLayout Run() {
    CellTextLayout layout;
    if (text_.empty()) return layout;
    IndexUtf16();
    MakePieces();
    Shape();
    const bool wrap = format_.alignment.wrap_text;
    const double indent = vertical_ ? 0 : format_.alignment.indent * kIndentPoints;
    const double room =
        vertical_ ? height_ - 2 * kCellPaddingY : width_ - 2 * kCellPaddingX - indent;
    BreakLines(wrap ? room : std::numeric_limits<double>::infinity());
    double factor = 1;
    if (format_.alignment.shrink_to_fit && !wrap && room > 0) {
      double longest = 0;
      for (const Line& line : lines_) longest = std::max(longest, line.length);
      if (longest > room) factor = room / longest;
    }
    layout.shrink = factor;
    if (vertical_) {
      PlaceColumns(factor, layout);
    } else {
      PlaceLines(factor, indent, layout);
    }
    return layout;
  }

 private:
  // utf16_[b]: the UTF-16 index of the character at byte b.
  void IndexUtf16() {
    utf16_.assign(text_.size() + 1, 0);
    uint32_t units = 0;
    for (size_t pos = 0; pos < text_.size();) {
      size_t start = pos;
      char32_t c = host::DecodeUtf8(text_, &pos);
      for (size_t b = start; b < pos; ++b) utf16_[b] = units;
      units += c > 0xFFFF ? 2 : 1;
    }
    utf16_[text_.size()] = units;
  }

  size_t ByteOfUtf16(uint32_t units) const {
    return static_cast<size_t>(std::lower_bound(utf16_.begin(), utf16_.end(), units) -
                               utf16_.begin());
  }

  // The font of every byte: the cell's, or a run's where a run with a font covers it.
  std::vector<const host::Font*> FontsByByte() const {
    std::vector<const host::Font*> fonts(text_.size(), &format_.font);
    // Runs index the text as stored; a text that had to be mended keeps the cell's font.
    if (source_.format() == nullptr || text_.size() != source_.text.size()) return fonts;
    for (const host::FontRun& run : source_.format()->runs) {
      if (!run.font) continue;
      size_t begin = ByteOfUtf16(run.start);
      size_t end = ByteOfUtf16(run.start + run.length);
      for (size_t b = begin; b < end && b < fonts.size(); ++b) fonts[b] = &*run.font;
    }
    return fonts;
  }

  size_t PieceFor(const host::Font* font, const FontChoice& choice) {
    for (size_t i = 0; i < faces_.size(); ++i) {
      if (faces_[i].font == font && faces_[i].choice == &choice) return i;
    }
    Piece face;
    face.font = font;
    face.choice = &choice;
    face.hb = fonts_.HarfBuzzFont(choice.file);
    face.size = SaneSize(font->size);
    face.scale = face.size / fonts_.UnitsPerEm(choice.file);
    hb_font_extents_t extents{};
    hb_font_get_h_extents(face.hb, &extents);
    face.ascent = extents.ascender * face.scale;
    face.descent = -extents.descender * face.scale;
    if (face.ascent + face.descent <= 0) {
      face.ascent = 0.88 * face.size;
      face.descent = 0.12 * face.size;
    }
    hb_position_t strike = 0;
    hb_ot_metrics_get_position_with_fallback(face.hb, HB_OT_METRICS_TAG_STRIKEOUT_OFFSET, &strike);
    face.strike = strike * face.scale;
    faces_.push_back(face);
    return faces_.size() - 1;
  }

  // Cuts the text into paragraphs at line feeds and each paragraph into pieces of one font and
  // face; a character the font lacks is taken from the fallback family when that has it.
  void MakePieces() {
    std::vector<const host::Font*> fonts = FontsByByte();
    base_face_ = PieceFor(&format_.font,
                          fonts_.Choose(format_.font.name, format_.font.bold, format_.font.italic));
    size_t paragraph = 0;
    paragraph_of_piece_.clear();
    bool open = false;  // a piece is being extended
    size_t last_face = 0;
    const host::Font* primary_font = nullptr;  // the font of the character before, and its face
    size_t primary_face = 0;
    for (size_t pos = 0; pos < text_.size();) {
      size_t start = pos;
      char32_t c = host::DecodeUtf8(text_, &pos);
      if (c == U'\n' || c == U'\r') {
        if (c == U'\n') ++paragraph;
        open = false;
        continue;
      }
      const host::Font* font = fonts[start];
      size_t face = 0;
      if (open && JoinsPrevious(c) && pieces_.back().font == font) {
        face = last_face;
      } else {
        if (font != primary_font) {
          primary_font = font;
          primary_face = PieceFor(font, fonts_.Choose(font->name, font->bold, font->italic));
        }
        face = primary_face;
        hb_codepoint_t glyph = 0;
        if (c >= 0x20 && !hb_font_get_nominal_glyph(faces_[face].hb, c, &glyph)) {
          const FontChoice& fallback = fonts_.Choose(kFallbackFamily, font->bold, font->italic);
          size_t other = PieceFor(font, fallback);
          if (hb_font_get_nominal_glyph(faces_[other].hb, c, &glyph)) face = other;
        }
      }
      if (open && face == last_face && paragraph_of_piece_.back() == paragraph) {
        pieces_.back().end = pos;
      } else {
        Piece piece = faces_[face];
        piece.begin = start;
        piece.end = pos;
        pieces_.push_back(piece);
        paragraph_of_piece_.push_back(paragraph);
      }
      open = true;
      last_face = face;
    }
    paragraph_count_ = paragraph + 1;
  }

  // Shapes each piece once; lines are broken and placed from these glyphs at any scale. In
  // top-to-bottom shaping HarfBuzz moves the pen along the vertical origins and its offsets lead
  // from there to each glyph's horizontal origin (the vertical origin subtracted), which is what
  // a painter draws from: they are used as they come. Vertical text is shaped a second time left
  // to right to tell which glyphs are vertical forms.
  void Shape() {
    hb_buffer_t* buffer = hb_buffer_create();
    hb_buffer_t* upright = vertical_ ? hb_buffer_create() : nullptr;
    hb_language_t japanese = hb_language_from_string("ja", -1);
    auto shape = [&](hb_buffer_t* into, const Piece& piece, hb_direction_t direction) {
      hb_buffer_clear_contents(into);
      hb_buffer_add_utf8(into, text_.data(), static_cast<int>(text_.size()),
                         static_cast<unsigned>(piece.begin),
                         static_cast<int>(piece.end - piece.begin));
      hb_buffer_set_direction(into, direction);
      hb_buffer_set_language(into, japanese);
      hb_buffer_guess_segment_properties(into);
      hb_shape(piece.hb, into, nullptr, 0);
    };

    paragraphs_.assign(paragraph_count_, Paragraph{});
    size_t next_paragraph = 0;
    for (size_t p = 0; p < pieces_.size(); ++p) {
      const Piece& piece = pieces_[p];
      // Paragraphs without pieces (empty lines) start and end where the clusters stand.
      while (next_paragraph <= paragraph_of_piece_[p]) {
        paragraphs_[next_paragraph].cluster_begin = clusters_.size();
        paragraphs_[next_paragraph].cluster_end = clusters_.size();
        ++next_paragraph;
      }
      shape(buffer, piece, vertical_ ? HB_DIRECTION_TTB : HB_DIRECTION_LTR);
      unsigned count = 0;
      const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
      const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
      unsigned upright_count = 0;
      const hb_glyph_info_t* upright_infos = nullptr;
      if (vertical_) {
        shape(upright, piece, HB_DIRECTION_LTR);
        upright_infos = hb_buffer_get_glyph_infos(upright, &upright_count);
      }
      unsigned u = 0;  // the upright glyphs walked beside the vertical ones, cluster by cluster
      for (unsigned i = 0; i < count;) {
        Cluster cluster;
        cluster.piece = p;
        cluster.byte_begin = infos[i].cluster;
        cluster.glyph_begin = glyphs_.size();
        unsigned end = i;
        while (end < count && infos[end].cluster == infos[i].cluster) ++end;
        cluster.byte_end = end < count ? infos[end].cluster : piece.end;
        while (u < upright_count && upright_infos[u].cluster < infos[i].cluster) ++u;
        for (unsigned g = i; g < end; ++g) {
          Glyph glyph;
          glyph.id = infos[g].codepoint;
          glyph.x_offset = positions[g].x_offset * piece.scale;
          glyph.y_offset = positions[g].y_offset * piece.scale;
          glyph.advance =
              (vertical_ ? -positions[g].y_advance : positions[g].x_advance) * piece.scale;
          if (vertical_) {
            unsigned k = u + (g - i);
            glyph.vertical_form = k >= upright_count ||
                                  upright_infos[k].cluster != infos[i].cluster ||
                                  upright_infos[k].codepoint != glyph.id;
          }
          cluster.advance += glyph.advance;
          glyphs_.push_back(glyph);
        }
        cluster.glyph_end = glyphs_.size();
        size_t at = cluster.byte_begin;
        char32_t first = host::DecodeUtf8(text_, &at);
        cluster.space = IsSpace(first);
        if (clusters_.size() > paragraphs_[paragraph_of_piece_[p]].cluster_begin) {
          size_t before = host::Utf8CharacterStart(text_, cluster.byte_begin - 1);
          char32_t previous = host::DecodeUtf8(text_, &before);
          cluster.break_before =
              !cluster.space &&
              (IsSpace(previous) || ((IsCjk(previous) || IsCjk(first)) && !MayNotStartLine(first) &&
                                     !MayNotEndLine(previous)));
        }
        clusters_.push_back(cluster);
        paragraphs_[paragraph_of_piece_[p]].cluster_end = clusters_.size();
        i = end;
      }
    }
    while (next_paragraph < paragraph_count_) {
      paragraphs_[next_paragraph].cluster_begin = clusters_.size();
      paragraphs_[next_paragraph].cluster_end = clusters_.size();
      ++next_paragraph;
    }
    hb_buffer_destroy(buffer);
    if (upright != nullptr) hb_buffer_destroy(upright);
  }

  // A line of clusters [begin, end); a wrapped line's spaces at its end hang past the edge and
  // are left out.
  void AddLine(size_t begin, size_t end, bool wrapped) {
    Line line;
    line.cluster_begin = begin;
    while (wrapped && end > begin && clusters_[end - 1].space) --end;
    line.cluster_end = end;
    for (size_t i = begin; i < end; ++i) {
      const Cluster& cluster = clusters_[i];
      const Piece& piece = pieces_[cluster.piece];
      line.length += cluster.advance;
      line.size = std::max(line.size, piece.size);
      line.ascent = std::max(line.ascent, piece.ascent);
      line.descent = std::max(line.descent, piece.descent);
    }
    if (begin == end) {  // an empty line is as high as the cell's font makes it
      const Piece& base = faces_[base_face_];
      line.size = base.size;
      line.ascent = base.ascent;
      line.descent = base.descent;
    }
    lines_.push_back(line);
  }

  // One line per paragraph, or, with `room` finite, as many as keep each line within it:
  // a line breaks where a break is allowed, and inside a word only when the word alone is
  // longer than the room.
  void BreakLines(double room) {
    for (const Paragraph& paragraph : paragraphs_) {
      size_t start = paragraph.cluster_begin;
      if (std::isinf(room)) {
        AddLine(start, paragraph.cluster_end, false);
        continue;
      }
      double length = 0;  // of clusters [start, i)
      size_t last_break = 0;
      bool has_break = false;
      for (size_t i = start; i < paragraph.cluster_end; ++i) {
        const Cluster& cluster = clusters_[i];
        if (i > start && cluster.break_before) {
          last_break = i;
          has_break = true;
        }
        if (!cluster.space && i > start && length + cluster.advance > room) {
          size_t cut = has_break ? last_break : i;
          AddLine(start, cut, true);
          start = cut;
          length = 0;
          for (size_t j = start; j < i; ++j) length += clusters_[j].advance;
          has_break = false;
          if (i > start && cluster.break_before) {
            last_break = i;
            has_break = true;
          }
          if (length + cluster.advance > room && i > start) {
            AddLine(start, i, true);
            start = i;
            length = 0;
            has_break = false;
          }
        }
        length += cluster.advance;
      }
      AddLine(start, paragraph.cluster_end, true);
    }
  }

  // Glyphs of clusters [begin, end) as runs of one piece each, the pen starting at `pen` and
  // moved along the line; `gap` is added after every cluster but the last.
  void EmitGlyphs(size_t begin, size_t end, double factor, Point pen, double gap,
                  CellTextLayout& layout) {
    GlyphRun* run = nullptr;
    size_t run_piece = 0;
    size_t run_text_begin = 0;
    size_t run_text_end = 0;
    for (size_t i = begin; i < end; ++i) {
      const Cluster& cluster = clusters_[i];
      const Piece& piece = pieces_[cluster.piece];
      if (run == nullptr || cluster.piece != run_piece) {
        if (run != nullptr) run->text.assign(text_, run_text_begin, run_text_end - run_text_begin);
        layout.runs.emplace_back();
        run = &layout.runs.back();
        run->font = piece.choice->file;
        run->size = piece.size * factor;
        run->synthetic_bold = piece.choice->synthetic_bold;
        run->synthetic_italic = piece.choice->synthetic_italic;
        run->color = ToRgb(piece.font->color, Rgb{});
        run_piece = cluster.piece;
        run_text_begin = cluster.byte_begin;
      }
      for (size_t g = cluster.glyph_begin; g < cluster.glyph_end; ++g) {
        const Glyph& glyph = glyphs_[g];
        run->glyphs.push_back(
            {glyph.id, pen.x + glyph.x_offset * factor, pen.y - glyph.y_offset * factor});
        layout.glyphs.push_back({utf16_[cluster.byte_begin], glyph.vertical_form});
        if (vertical_) {
          pen.y += glyph.advance * factor;
        } else {
          pen.x += glyph.advance * factor;
        }
      }
      run_text_end = cluster.byte_end;
      if (i + 1 < end) (vertical_ ? pen.y : pen.x) += gap;
    }
    if (run != nullptr) run->text.assign(text_, run_text_begin, run_text_end - run_text_begin);
  }

  // Underlines (side lines in vertical text) and strike-through lines of clusters [begin, end)
  // of a line whose pen starts at `pen`: one line per stretch of one piece.
  void EmitDecorations(size_t begin, size_t end, double factor, Point pen, double gap,
                       CellTextLayout& layout) {
    double along = vertical_ ? pen.y : pen.x;
    for (size_t i = begin; i < end;) {
      const Piece& piece = pieces_[clusters_[i].piece];
      size_t stretch_end = i;
      double from = along;
      while (stretch_end < end && clusters_[stretch_end].piece == clusters_[i].piece) {
        along += clusters_[stretch_end].advance * factor;
        if (stretch_end + 1 < end) along += gap;
        ++stretch_end;
      }
      double to = along - (stretch_end < end ? gap : 0);
      const host::Font& font = *piece.font;
      const double size = piece.size * factor;
      Stroke stroke;
      stroke.width = size * kLineWidthPerSize;
      stroke.color = ToRgb(font.color, Rgb{});
      auto add = [&](double across) {
        if (vertical_) {
          layout.lines.push_back({{across, from}, {across, to}, stroke});
        } else {
          layout.lines.push_back({{from, across}, {to, across}, stroke});
        }
      };
      const bool twice = font.underline == host::Underline::kDouble ||
                         font.underline == host::Underline::kDoubleAccounting;
      if (font.underline != host::Underline::kNone) {
        // Below the baseline (to the right of the column in vertical text), clear of the
        // glyphs by one and a half line widths; a double line adds a second two widths further.
        double first =
            vertical_ ? pen.x + size / 2 + 1.5 * stroke.width : pen.y + 1.5 * stroke.width;
        add(first);
        if (twice) add(first + 2 * stroke.width);
      }
      if (font.strikethrough) {
        add(vertical_ ? pen.x : pen.y - piece.strike * factor);
      }
      i = stretch_end;
    }
  }

  void Extend(Rect box, CellTextLayout& layout, bool& any) {
    if (!any) {
      layout.extent = box;
      any = true;
      return;
    }
    double left = std::min(layout.extent.x, box.x);
    double top = std::min(layout.extent.y, box.y);
    double right = std::max(layout.extent.right(), box.right());
    double bottom = std::max(layout.extent.bottom(), box.bottom());
    layout.extent = {left, top, right - left, bottom - top};
  }

  double LineHeight(const Line& line, double factor) const {
    return std::max(kLineSpacing * line.size, line.ascent + line.descent) * factor;
  }

  host::HorizontalAlignment Horizontal() const {
    host::HorizontalAlignment alignment = format_.alignment.horizontal;
    if (alignment != host::HorizontalAlignment::kGeneral) return alignment;
    if (vertical_) return host::HorizontalAlignment::kCenter;
    switch (kind_) {
      case host::ValueKind::kNumber:
        return host::HorizontalAlignment::kRight;
      case host::ValueKind::kBoolean:
      case host::ValueKind::kError:
        return host::HorizontalAlignment::kCenter;
      default:
        return host::HorizontalAlignment::kLeft;
    }
  }

  // Where a block of `extent` starts along an axis of the cell `size` long, for a start, centre
  // or end alignment.
  static double Aligned(int where, double size, double padding, double extent) {
    if (where < 0) return padding;
    if (where > 0) return size - padding - extent;
    return (size - extent) / 2;
  }

  void PlaceLines(double factor, double indent, CellTextLayout& layout) {
    double block = 0;
    for (const Line& line : lines_) block += LineHeight(line, factor);
    int vertical_where = 0;
    switch (format_.alignment.vertical) {
      case host::VerticalAlignment::kTop:
        vertical_where = -1;
        break;
      case host::VerticalAlignment::kBottom:
        vertical_where = 1;
        break;
      default:  // centre; justify and distributed centre the block too
        break;
    }
    double top = Aligned(vertical_where, height_, kCellPaddingY, block);
    const host::HorizontalAlignment alignment = Horizontal();
    const double inner = width_ - 2 * kCellPaddingX;
    bool any = false;
    for (const Line& line : lines_) {
      const double line_height = LineHeight(line, factor);
      const double ascent = line.ascent * factor;
      const double descent = line.descent * factor;
      const double baseline = top + (line_height - ascent - descent) / 2 + ascent;
      const double length = line.length * factor;
      const size_t clusters = line.cluster_end - line.cluster_begin;
      double x = kCellPaddingX;
      double gap = 0;
      int copies = 1;
      switch (alignment) {
        case host::HorizontalAlignment::kRight:
          x = width_ - kCellPaddingX - indent - length;
          break;
        case host::HorizontalAlignment::kCenter:
        case host::HorizontalAlignment::kCenterAcrossSelection:
          x = (width_ - length) / 2;
          break;
        case host::HorizontalAlignment::kDistributed:
          // The characters spread evenly over the cell; a single one stands in the centre.
          if (clusters > 1 && length < inner) {
            gap = (inner - length) / static_cast<double>(clusters - 1);
          } else {
            x = (width_ - length) / 2;
          }
          break;
        case host::HorizontalAlignment::kFill:
          x = kCellPaddingX + indent;
          if (length > 0 && length < inner - indent) {
            copies = std::clamp(static_cast<int>((inner - indent) / length), 1, kMaxFillCopies);
          }
          break;
        default:  // left; justify is set flush left
          x = kCellPaddingX + indent;
          break;
      }
      for (int copy = 0; copy < copies; ++copy) {
        Point pen{x + copy * length, baseline};
        EmitGlyphs(line.cluster_begin, line.cluster_end, factor, pen, gap, layout);
        EmitDecorations(line.cluster_begin, line.cluster_end, factor, pen, gap, layout);
      }
      double drawn = copies * length + gap * (clusters > 1 ? clusters - 1 : 0);
      if (clusters > 0) Extend({x, top, drawn, line_height}, layout, any);
      top += line_height;
    }
  }

  void PlaceColumns(double factor, CellTextLayout& layout) {
    double stack = 0;
    for (const Line& line : lines_) stack += kLineSpacing * line.size * factor;
    int across = 0;
    switch (Horizontal()) {
      case host::HorizontalAlignment::kLeft:
        across = -1;
        break;
      case host::HorizontalAlignment::kRight:
        across = 1;
        break;
      default:
        break;
    }
    double right = Aligned(across, width_, kCellPaddingX, stack) + stack;
    int down = 0;
    switch (format_.alignment.vertical) {
      case host::VerticalAlignment::kTop:
        down = -1;
        break;
      case host::VerticalAlignment::kBottom:
        down = 1;
        break;
      default:
        break;
    }
    bool any = false;
    for (const Line& line : lines_) {
      const double pitch = kLineSpacing * line.size * factor;
      const double axis = right - pitch / 2;
      const double length = line.length * factor;
      const double top = Aligned(down, height_, kCellPaddingY, length);
      if (line.cluster_end > line.cluster_begin) {
        Point pen{axis, top};
        EmitGlyphs(line.cluster_begin, line.cluster_end, factor, pen, 0, layout);
        EmitDecorations(line.cluster_begin, line.cluster_end, factor, pen, 0, layout);
        Extend({right - pitch, top, pitch, length}, layout, any);
      }
      right -= pitch;
    }
  }

  std::string text_;
  const host::Text& source_;
  const host::CellFormat& format_;
  double width_;
  double height_;
  FontCatalog& fonts_;
  host::ValueKind kind_;
  bool vertical_;

  std::vector<uint32_t> utf16_;
  std::vector<Piece> faces_;  // each (font, face) met, with its metrics
  size_t base_face_ = 0;
  std::vector<Piece> pieces_;
  std::vector<size_t> paragraph_of_piece_;
  size_t paragraph_count_ = 1;
  std::vector<Glyph> glyphs_;
  std::vector<Cluster> clusters_;
  std::vector<Paragraph> paragraphs_;
  std::vector<Line> lines_;
};

}  // namespace

CellTextLayout LayOutCellText(const host::Text& text, const host::CellFormat& format, double width,
                              double height, FontCatalog& fonts) {
  return LayOutCellText(text, format, width, height, fonts, host::ValueKind::kText);
}

CellTextLayout LayOutCellText(const host::Text& text, const host::CellFormat& format, double width,
                              double height, FontCatalog& fonts, host::ValueKind kind) {
  return Layouter(text, format, width, height, fonts, kind).Run();
}

}  // namespace tarquel::print
