#include "print/sheet_renderer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/address.h"
#include "print/cell_text_layout.h"
#include "print/colors.h"

namespace tarquel::print {

namespace {

using host::BorderLine;
using host::BorderWeight;
using host::CellFormat;
using host::CellRect;
using host::HorizontalAlignment;
using host::LineStyle;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{1, 1, 1};

// Thinner than this a line vanishes on paper and on screen, whatever the scale asks for.
constexpr double kMinLineWidth = 0.25;
// Gridlines are as thin as lines get.
constexpr double kGridlineWidth = 0.25;
constexpr Rgb kHeadingFill{0.92, 0.92, 0.92};
constexpr Rgb kHeadingLine{0.55, 0.55, 0.55};

Rect Intersect(const Rect& a, const Rect& b) {
  const double x = std::max(a.x, b.x);
  const double y = std::max(a.y, b.y);
  const double right = std::min(a.right(), b.right());
  const double bottom = std::min(a.bottom(), b.bottom());
  return {x, y, std::max(0.0, right - x), std::max(0.0, bottom - y)};
}

bool Within(const Rect& inner, const Rect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.right() <= outer.right() &&
         inner.bottom() <= outer.bottom();
}

// One direction of the grid: the sheet rows (or columns) of the block and their edges, and the
// edges of lines outside the block, reckoned from the sheet's own sizes, for merged areas that
// reach out of it.
class Axis {
 public:
  Axis(std::span<const int32_t> lines, std::span<const double> edges,
       std::function<double(int32_t)> size_of)
      : lines_(lines), edges_(edges), size_of_(std::move(size_of)) {}

  std::size_t size() const { return lines_.size(); }
  int32_t line(std::size_t i) const { return lines_[i]; }
  double edge(std::size_t i) const { return edges_[i]; }
  int32_t first() const { return lines_.front(); }
  int32_t last() const { return lines_.back(); }

  // The index of sheet line `id` in the block, or -1.
  int IndexOf(int32_t id) const {
    auto it = std::lower_bound(lines_.begin(), lines_.end(), id);
    return it != lines_.end() && *it == id ? static_cast<int>(it - lines_.begin()) : -1;
  }

  // Where sheet line `id` begins (a row's top, a column's left edge). A line hidden inside the
  // block begins where the next shown one does.
  double EdgeBefore(int32_t id) const {
    if (id <= first()) {
      double edge = edges_.front();
      for (int32_t k = id; k < first(); ++k) edge -= size_of_(k);
      return edge;
    }
    if (id > last()) {
      double edge = edges_.back();
      for (int32_t k = last() + 1; k < id; ++k) edge += size_of_(k);
      return edge;
    }
    return edges_[std::lower_bound(lines_.begin(), lines_.end(), id) - lines_.begin()];
  }

 private:
  std::span<const int32_t> lines_;
  std::span<const double> edges_;
  std::function<double(int32_t)> size_of_;
};

// --- Fills --------------------------------------------------------------------------------------

// How much of a cell a pattern's foreground covers, for the patterns a file may name. Printed at
// the sizes of a sheet, hatches and dots read as a tint, so they are drawn as the blend of the two
// colours in that proportion.
double PatternCoverage(std::string_view pattern) {
  static constexpr std::pair<std::string_view, double> kCoverage[] = {
      {"solid", 1},
      {"darkGray", 0.75},
      {"mediumGray", 0.5},
      {"lightGray", 0.25},
      {"gray125", 0.125},
      {"gray0625", 0.0625},
      {"darkHorizontal", 0.5},
      {"darkVertical", 0.5},
      {"darkDown", 0.5},
      {"darkUp", 0.5},
      {"darkGrid", 0.75},
      {"darkTrellis", 0.75},
      {"lightHorizontal", 0.25},
      {"lightVertical", 0.25},
      {"lightDown", 0.25},
      {"lightUp", 0.25},
      {"lightGrid", 0.4375},
      {"lightTrellis", 0.375},
  };
  for (const auto& [name, coverage] : kCoverage) {
    if (name == pattern) return coverage;
  }
  return 0;
}

std::string_view AttributeOf(std::string_view element, std::string_view name) {
  std::size_t pos = 0;
  while ((pos = element.find(name, pos)) != std::string_view::npos) {
    const bool starts = pos > 0 && (element[pos - 1] == ' ' || element[pos - 1] == '\t' ||
                                    element[pos - 1] == '\n' || element[pos - 1] == '\r');
    const std::size_t after = pos + name.size();
    if (starts && after + 1 < element.size() && element[after] == '=' &&
        (element[after + 1] == '"' || element[after + 1] == '\'')) {
      const char quote = element[after + 1];
      const std::size_t end = element.find(quote, after + 2);
      if (end == std::string_view::npos) return {};
      return element.substr(after + 2, end - after - 2);
    }
    pos = after;
  }
  return {};
}

// The first colour a gradient fill's XML names (its first stop), or nullopt.
std::optional<Rgb> FirstGradientColor(std::string_view xml) {
  std::size_t pos = 0;
  while ((pos = xml.find("color", pos)) != std::string_view::npos) {
    // The element's name, with or without a namespace prefix: "<color" or "<x:color".
    const std::size_t open = xml.rfind('<', pos);
    const bool is_color_element =
        open != std::string_view::npos &&
        (open + 1 == pos ||
         (pos > 0 && xml[pos - 1] == ':' &&
          xml.substr(open + 1, pos - open - 1).find_first_of(" />") == std::string_view::npos)) &&
        pos + 5 < xml.size() && (xml[pos + 5] == ' ' || xml[pos + 5] == '/');
    if (!is_color_element) {
      pos += 5;
      continue;
    }
    const std::size_t close = xml.find('>', pos);
    const std::string_view element = xml.substr(pos, close - pos);
    host::Color color;
    try {
      if (auto rgb = AttributeOf(element, "rgb"); !rgb.empty()) {
        color = host::Color::Rgb(static_cast<uint32_t>(std::stoul(std::string(rgb), nullptr, 16)));
      } else if (auto theme = AttributeOf(element, "theme"); !theme.empty()) {
        color = {host::Color::Kind::kTheme, static_cast<uint32_t>(std::stoul(std::string(theme))),
                 0};
      } else if (auto indexed = AttributeOf(element, "indexed"); !indexed.empty()) {
        color = host::Color::Indexed(static_cast<uint32_t>(std::stoul(std::string(indexed))));
      } else {
        return std::nullopt;
      }
      if (auto tint = AttributeOf(element, "tint"); !tint.empty()) {
        color.tint = std::stod(std::string(tint));
      }
    } catch (const std::exception&) {
      return std::nullopt;  // a colour we cannot read: no fill rather than a wrong one
    }
    return ToRgb(color, kWhite);
  }
  return std::nullopt;
}

// The colour a cell's fill paints, or nullopt for none. Automatic pattern colours are the
// system's: black foreground, white background.
std::optional<Rgb> FillColor(const host::Fill& fill) {
  if (fill.pattern == "gradient" || !fill.gradient_xml.empty()) {
    return FirstGradientColor(fill.gradient_xml);
  }
  const double coverage = PatternCoverage(fill.pattern);
  if (coverage == 0) return std::nullopt;
  const Rgb fg = ToRgb(fill.foreground, kBlack);
  if (coverage == 1) return fg;
  const Rgb bg = ToRgb(fill.background, kWhite);
  auto mix = [coverage](double f, double b) { return f * coverage + b * (1 - coverage); };
  return Rgb{mix(fg.red, bg.red), mix(fg.green, bg.green), mix(fg.blue, bg.blue)};
}

// --- Borders ------------------------------------------------------------------------------------

// A border line's stroke width at the sheet's size, in points (a double line: each of its two).
double BaseWidth(const BorderLine& line) {
  if (line.style == LineStyle::kDouble) return 0.75;
  if (line.style == LineStyle::kSlantDashDot) return 1.5;
  switch (line.weight) {
    case BorderWeight::kHairline:
      return 0.35;
    case BorderWeight::kThin:
      return 0.75;
    case BorderWeight::kMedium:
      return 1.5;
    case BorderWeight::kThick:
      return 2.25;
  }
  return 0.75;
}

int WeightRank(const BorderLine& line) {
  if (line.style == LineStyle::kDouble) return 3;  // as heavy as a thick line
  if (line.style == LineStyle::kSlantDashDot) return 2;
  return static_cast<int>(line.weight);
}

// Among lines of one weight: a double line, then a continuous one, then the broken ones, the
// more ink the heavier.
int StyleRank(LineStyle style) {
  switch (style) {
    case LineStyle::kDouble:
      return 7;
    case LineStyle::kContinuous:
      return 6;
    case LineStyle::kSlantDashDot:
      return 5;
    case LineStyle::kDash:
      return 4;
    case LineStyle::kDashDot:
      return 3;
    case LineStyle::kDashDotDot:
      return 2;
    case LineStyle::kDot:
      return 1;
    case LineStyle::kNone:
      break;
  }
  return 0;
}

// The visible line between two cells that each may set it: the heavier wins, then by style;
// when both are alike, the line of the cell above or to the left.
BorderLine Resolve(const BorderLine& first, const BorderLine& second) {
  if (first.IsNone()) return second;
  if (second.IsNone()) return first;
  const auto key = [](const BorderLine& l) { return std::pair{WeightRank(l), StyleRank(l.style)}; };
  return key(second) > key(first) ? second : first;
}

Dash DashOf(LineStyle style) {
  switch (style) {
    case LineStyle::kDash:
      return Dash::kDash;
    case LineStyle::kDot:
      return Dash::kDot;
    case LineStyle::kDashDot:
    case LineStyle::kSlantDashDot:  // its slanted ends are too small to matter on paper
      return Dash::kDashDot;
    case LineStyle::kDashDotDot:
      return Dash::kDashDotDot;
    default:
      return Dash::kSolid;
  }
}

// A run of one border line along a row edge (horizontal) or a column edge (vertical): grid
// edge `at`, from grid line `from` to grid line `to`.
struct BorderRun {
  std::size_t at;
  std::size_t from;
  std::size_t to;
  BorderLine line;
};

class Renderer {
 public:
  Renderer(const host::Worksheet& sheet, const CellGrid& grid, const CellDrawing& drawing,
           FontCatalog& fonts, Painter& painter)
      : sheet_(sheet),
        grid_(grid),
        drawing_(drawing),
        fonts_(fonts),
        painter_(painter),
        rows_(grid.rows, grid.row_top, [this](int32_t row) { return RowSize(row); }),
        columns_(grid.columns, grid.column_left,
                 [this](int32_t column) { return ColumnSize(column); }) {}

  void Draw() {
    if (grid_.rows.empty() || grid_.columns.empty()) return;
    bounds_ = {grid_.column_left.front(), grid_.row_top.front(),
               grid_.column_left.back() - grid_.column_left.front(),
               grid_.row_top.back() - grid_.row_top.front()};
    FindMerges();
    FindTexts();
    if (!drawing_.black_and_white) DrawFills();
    if (drawing_.gridlines) DrawGridlines();
    DrawTexts();
    DrawBorders();
    DrawDiagonals();
  }

 private:
  struct TextItem {
    Rect rect;  // the cell or merged area
    Rect clip;
    CellTextLayout layout;
  };

  std::size_t Rows() const { return rows_.size(); }
  std::size_t Columns() const { return columns_.size(); }
  std::size_t Slot(std::size_t i, std::size_t j) const { return i * Columns() + j; }

  double RowSize(int32_t row) const {
    if (sheet_.RowHidden(row)) return 0;
    return sheet_.RowHeightOf(row) * grid_.scale;
  }

  double ColumnSize(int32_t column) {
    if (sheet_.ColumnHidden(column)) return 0;
    if (digit_pixels_ == 0) {
      const host::Font& standard = sheet_.styles().Get(host::StyleTable::kDefault).font;
      digit_pixels_ = fonts_.MaxDigitWidthPixels(standard.name, standard.size);
    }
    return ColumnWidthPoints(sheet_.ColumnWidthOf(column), digit_pixels_) * grid_.scale;
  }

  Rect CellRectOf(std::size_t i, std::size_t j) const {
    return {columns_.edge(j), rows_.edge(i), columns_.edge(j + 1) - columns_.edge(j),
            rows_.edge(i + 1) - rows_.edge(i)};
  }

  Rect AreaRect(const CellRect& area) {
    const double top = rows_.EdgeBefore(area.first_row);
    const double left = columns_.EdgeBefore(area.first_column);
    return {left, top, columns_.EdgeBefore(area.last_column + 1) - left,
            rows_.EdgeBefore(area.last_row + 1) - top};
  }

  Rgb Color(const Rgb& color) const {
    return drawing_.black_and_white ? BlackAndWhite(color) : color;
  }

  // The merged area a slot of the grid belongs to, or -1.
  int MergeAt(std::size_t i, std::size_t j) const { return merge_of_[Slot(i, j)]; }

  void FindMerges() {
    const CellRect block{rows_.first(), columns_.first(), rows_.last(), columns_.last()};
    merges_ = sheet_.MergesIntersecting(block);
    merge_of_.assign(Rows() * Columns(), -1);
    for (std::size_t m = 0; m < merges_.size(); ++m) {
      const CellRect& area = merges_[m];
      for (std::size_t i = 0; i < Rows(); ++i) {
        if (rows_.line(i) < area.first_row || rows_.line(i) > area.last_row) continue;
        for (std::size_t j = 0; j < Columns(); ++j) {
          if (columns_.line(j) >= area.first_column && columns_.line(j) <= area.last_column) {
            merge_of_[Slot(i, j)] = static_cast<int>(m);
          }
        }
      }
    }
  }

  // --- Text -------------------------------------------------------------------------------------

  void FindTexts() {
    occupied_.assign(Rows() * Columns(), false);
    struct Found {
      std::size_t i, j;
      host::CellView cell;
    };
    std::vector<Found> found;
    for (std::size_t i = 0; i < Rows(); ++i) {
      const int32_t row = rows_.line(i);
      sheet_.ForEachUsedCell(CellRect{row, columns_.first(), row, columns_.last()},
                             [&](const host::CellView& cell) {
                               const int j = columns_.IndexOf(cell.column());
                               const host::CellValue& value = cell.value();
                               if (j < 0 || value.IsEmpty()) return;
                               if (value.IsText() && value.text().text.empty()) return;
                               occupied_[Slot(i, j)] = true;
                               found.push_back({i, static_cast<std::size_t>(j), cell});
                             });
    }
    for (const Found& f : found) {
      const int m = MergeAt(f.i, f.j);
      if (m >= 0) continue;  // merged areas below, from their top-left cells
      AddText(f.cell, CellRectOf(f.i, f.j), f.i, f.j, true);
    }
    for (const CellRect& area : merges_) {
      const std::optional<host::CellView> cell =
          sheet_.UsedCellAt(area.first_row, area.first_column);
      if (cell) AddText(*cell, AreaRect(area), 0, 0, false);
    }
  }

  void AddText(const host::CellView& cell, const Rect& rect, std::size_t i, std::size_t j,
               bool may_overflow) {
    const CellFormat& format = cell.format();
    // The text the cell shows, with its character runs (a marked word's underline).
    const host::Text shown = cell.RichText();
    if (shown.text.empty()) return;
    TextItem item;
    item.rect = rect;
    item.layout = LayOutCellText(shown, format, rect.width / grid_.scale, rect.height / grid_.scale,
                                 fonts_, cell.value().kind());
    if (item.layout.runs.empty() && item.layout.lines.empty()) return;
    item.clip = rect;
    const host::Alignment& align = format.alignment;
    // Numbers never run into their neighbours: the host shows them whole or not at all.
    const bool flows = may_overflow && cell.value().IsText() &&
                       align.rotation != host::kVerticalText && !align.wrap_text &&
                       !align.shrink_to_fit &&
                       (align.horizontal == HorizontalAlignment::kGeneral ||
                        align.horizontal == HorizontalAlignment::kLeft ||
                        align.horizontal == HorizontalAlignment::kRight ||
                        align.horizontal == HorizontalAlignment::kCenter);
    if (flows) Overflow(i, j, &item);
    item.clip = Intersect(item.clip, bounds_);
    texts_.push_back(std::move(item));
  }

  // Widens the clip of a cell's text over the empty neighbours its text reaches into, and keeps
  // the gridlines under it from being drawn.
  void Overflow(std::size_t i, std::size_t j, TextItem* item) {
    const Rect& extent = item->layout.extent;
    const double left_needed = item->rect.x + extent.x * grid_.scale;
    const double right_needed = item->rect.x + extent.right() * grid_.scale;
    auto free = [&](std::size_t k) { return !occupied_[Slot(i, k)] && MergeAt(i, k) < 0; };
    std::size_t first = j;
    while (first > 0 && columns_.edge(first) > left_needed && free(first - 1)) --first;
    std::size_t last = j;
    while (last + 1 < Columns() && columns_.edge(last + 1) < right_needed && free(last + 1)) {
      ++last;
    }
    item->clip.x = columns_.edge(first);
    item->clip.width = columns_.edge(last + 1) - item->clip.x;
    for (std::size_t k = first; k < last; ++k) open_edges_.push_back(Slot(i, k));
  }

  void DrawTexts() {
    const double s = grid_.scale;
    for (const TextItem& item : texts_) {
      if (item.clip.width <= 0 || item.clip.height <= 0) continue;
      painter_.PushClip(item.clip);
      for (const GlyphRun& run : item.layout.runs) {
        GlyphRun placed = run;
        placed.size = run.size * s;
        placed.color = Color(run.color);
        for (PlacedGlyph& glyph : placed.glyphs) {
          glyph.x = item.rect.x + glyph.x * s;
          glyph.y = item.rect.y + glyph.y * s;
        }
        painter_.DrawGlyphs(placed);
      }
      for (const TextLine& line : item.layout.lines) {
        Stroke stroke = line.stroke;
        stroke.width = std::max(stroke.width * s, kMinLineWidth);
        stroke.color = Color(stroke.color);
        painter_.DrawLine({item.rect.x + line.from.x * s, item.rect.y + line.from.y * s},
                          {item.rect.x + line.to.x * s, item.rect.y + line.to.y * s}, stroke);
      }
      painter_.PopClip();
    }
  }

  // --- Fills ------------------------------------------------------------------------------------

  void DrawFills() {
    for (std::size_t i = 0; i < Rows(); ++i) {
      // Neighbours of one colour are painted as one rectangle, so that no seam shows between
      // them where a viewer smooths the edges.
      std::optional<Rgb> pending;
      std::size_t start = 0;
      auto flush = [&](std::size_t end) {
        if (pending && end > start) {
          painter_.FillRect(
              {columns_.edge(start), rows_.edge(i), columns_.edge(end) - columns_.edge(start),
               rows_.edge(i + 1) - rows_.edge(i)},
              *pending);
        }
        pending.reset();
      };
      for (std::size_t j = 0; j < Columns(); ++j) {
        std::optional<Rgb> color;
        if (MergeAt(i, j) < 0) {
          color = FillColor(sheet_.EffectiveFormat(rows_.line(i), columns_.line(j)).fill);
        }
        if (color != pending) {
          flush(j);
          pending = color;
          start = j;
        }
      }
      flush(Columns());
    }
    for (const CellRect& area : merges_) {
      const auto color = FillColor(sheet_.EffectiveFormat(area.first_row, area.first_column).fill);
      if (color) painter_.FillRect(Intersect(AreaRect(area), bounds_), *color);
    }
  }

  // --- Gridlines --------------------------------------------------------------------------------

  void DrawGridlines() {
    const Stroke stroke{std::max(kGridlineWidth, kMinLineWidth), Color(kGridlineColor),
                        Dash::kSolid};
    std::sort(open_edges_.begin(), open_edges_.end());
    // Row edges: none between two rows of one merged area.
    for (std::size_t e = 0; e <= Rows(); ++e) {
      DrawRuns(
          Columns(),
          [&](std::size_t j) {
            return e == 0 || e == Rows() || MergeAt(e - 1, j) < 0 ||
                   MergeAt(e - 1, j) != MergeAt(e, j);
          },
          [&](std::size_t from, std::size_t to) {
            painter_.DrawLine({columns_.edge(from), rows_.edge(e)},
                              {columns_.edge(to), rows_.edge(e)}, stroke);
          });
    }
    // Column edges: none inside a merged area, nor under text running over the edge.
    for (std::size_t e = 0; e <= Columns(); ++e) {
      DrawRuns(
          Rows(),
          [&](std::size_t i) {
            if (e == 0 || e == Columns()) return true;
            if (MergeAt(i, e - 1) >= 0 && MergeAt(i, e - 1) == MergeAt(i, e)) return false;
            return !std::binary_search(open_edges_.begin(), open_edges_.end(), Slot(i, e - 1));
          },
          [&](std::size_t from, std::size_t to) {
            painter_.DrawLine({columns_.edge(e), rows_.edge(from)},
                              {columns_.edge(e), rows_.edge(to)}, stroke);
          });
    }
  }

  // Calls draw(from, to) for each maximal run of consecutive k in [0, count) with shown(k).
  template <typename Visible, typename Draw>
  static void DrawRuns(std::size_t count, Visible&& shown, Draw&& draw) {
    std::size_t k = 0;
    while (k < count) {
      if (!shown(k)) {
        ++k;
        continue;
      }
      const std::size_t from = k;
      while (k < count && shown(k)) ++k;
      draw(from, k);
    }
  }

  // --- Borders ----------------------------------------------------------------------------------

  const BorderLine& Own(int32_t row, int32_t column, BorderLine host::CellBorders::*side) const {
    static const BorderLine kNone;
    if (row < 1 || row > sheet_.RowCount() || column < 1 || column > sheet_.ColumnCount()) {
      return kNone;
    }
    return sheet_.EffectiveFormat(row, column).borders.*side;
  }

  double StrokeWidth(const BorderLine& line) const {
    return std::max(BaseWidth(line) * grid_.scale, kMinLineWidth);
  }

  // The width a line takes across, both strokes of a double line and the gap between them.
  double Thickness(const BorderLine& line) const {
    if (line.IsNone()) return 0;
    const double width = StrokeWidth(line);
    return line.style == LineStyle::kDouble ? 3 * width : width;
  }

  void DrawBorders() {
    // The line on each edge of the grid, once: horizontal[e][j] above row e, vertical[i][e]
    // left of column e. On the block's outline, the cell outside counts only when asked.
    std::vector<BorderLine> horizontal((Rows() + 1) * Columns());
    std::vector<BorderLine> vertical(Rows() * (Columns() + 1));
    // Row and column 0 are no cells and set no lines.
    const bool neighbours = drawing_.neighbour_lines;
    for (std::size_t e = 0; e <= Rows(); ++e) {
      const int32_t above = e > 0 ? rows_.line(e - 1) : neighbours ? rows_.first() - 1 : 0;
      const int32_t below = e < Rows() ? rows_.line(e) : neighbours ? rows_.last() + 1 : 0;
      for (std::size_t j = 0; j < Columns(); ++j) {
        if (e > 0 && e < Rows() && MergeAt(e - 1, j) >= 0 && MergeAt(e - 1, j) == MergeAt(e, j)) {
          continue;
        }
        const int32_t column = columns_.line(j);
        horizontal[e * Columns() + j] = Resolve(Own(above, column, &host::CellBorders::bottom),
                                                Own(below, column, &host::CellBorders::top));
      }
    }
    for (std::size_t i = 0; i < Rows(); ++i) {
      const int32_t row = rows_.line(i);
      for (std::size_t e = 0; e <= Columns(); ++e) {
        if (e > 0 && e < Columns() && MergeAt(i, e - 1) >= 0 &&
            MergeAt(i, e - 1) == MergeAt(i, e)) {
          continue;
        }
        const int32_t left = e > 0 ? columns_.line(e - 1) : neighbours ? columns_.first() - 1 : 0;
        const int32_t right = e < Columns() ? columns_.line(e)
                              : neighbours  ? columns_.last() + 1
                                            : 0;
        vertical[i * (Columns() + 1) + e] = Resolve(Own(row, left, &host::CellBorders::right),
                                                    Own(row, right, &host::CellBorders::left));
      }
    }
    auto h = [&](std::size_t e, std::size_t j) -> const BorderLine& {
      return horizontal[e * Columns() + j];
    };
    auto v = [&](std::size_t i, std::size_t e) -> const BorderLine& {
      return vertical[i * (Columns() + 1) + e];
    };
    // How far a line ending at grid point (row edge e, column edge c) reaches past it: half the
    // thickness of the widest line crossing there, so that corners close.
    auto reach_h = [&](std::size_t e, std::size_t c) {
      double widest = 0;
      if (e > 0) widest = std::max(widest, Thickness(v(e - 1, c)));
      if (e < Rows()) widest = std::max(widest, Thickness(v(e, c)));
      return widest / 2;
    };
    auto reach_v = [&](std::size_t e, std::size_t c) {
      double widest = 0;
      if (c > 0) widest = std::max(widest, Thickness(h(e, c - 1)));
      if (c < Columns()) widest = std::max(widest, Thickness(h(e, c)));
      return widest / 2;
    };
    for (std::size_t e = 0; e <= Rows(); ++e) {
      ForEachRun(
          Columns(), [&](std::size_t j) -> const BorderLine& { return h(e, j); },
          [&](std::size_t from, std::size_t to, const BorderLine& line) {
            const double y = rows_.edge(e);
            DrawBorder({columns_.edge(from) - reach_h(e, from), y},
                       {columns_.edge(to) + reach_h(e, to), y}, line, false);
          });
    }
    for (std::size_t c = 0; c <= Columns(); ++c) {
      ForEachRun(
          Rows(), [&](std::size_t i) -> const BorderLine& { return v(i, c); },
          [&](std::size_t from, std::size_t to, const BorderLine& line) {
            const double x = columns_.edge(c);
            DrawBorder({x, rows_.edge(from) - reach_v(from, c)},
                       {x, rows_.edge(to) + reach_v(to, c)}, line, true);
          });
    }
  }

  // Calls draw(from, to, line) for each maximal run of equal lines that are not none.
  template <typename LineAt, typename Draw>
  static void ForEachRun(std::size_t count, LineAt&& line_at, Draw&& draw) {
    std::size_t k = 0;
    while (k < count) {
      const BorderLine& line = line_at(k);
      if (line.IsNone()) {
        ++k;
        continue;
      }
      const std::size_t from = k;
      while (k < count && line_at(k) == line) ++k;
      draw(from, k, line);
    }
  }

  void DrawBorder(Point from, Point to, const BorderLine& line, bool vertical) {
    Stroke stroke{StrokeWidth(line), Color(ToRgb(line.color, kBlack)), DashOf(line.style)};
    if (line.style != LineStyle::kDouble) {
      painter_.DrawLine(from, to, stroke);
      return;
    }
    // Two strokes with a gap of one stroke between them, centred on the edge.
    const double offset = stroke.width;
    for (double side : {-offset, offset}) {
      const Point a = vertical ? Point{from.x + side, from.y} : Point{from.x, from.y + side};
      const Point b = vertical ? Point{to.x + side, to.y} : Point{to.x, to.y + side};
      painter_.DrawLine(a, b, stroke);
    }
  }

  void DrawDiagonals() {
    auto draw = [&](const CellFormat& format, const Rect& rect) {
      const BorderLine& down = format.borders.diagonal_down;
      const BorderLine& up = format.borders.diagonal_up;
      if (down.IsNone() && up.IsNone()) return;
      const bool clip = !Within(rect, bounds_);
      if (clip) painter_.PushClip(bounds_);
      if (!down.IsNone()) {
        painter_.DrawLine(
            {rect.x, rect.y}, {rect.right(), rect.bottom()},
            {StrokeWidth(down), Color(ToRgb(down.color, kBlack)), DashOf(down.style)});
      }
      if (!up.IsNone()) {
        painter_.DrawLine({rect.x, rect.bottom()}, {rect.right(), rect.y},
                          {StrokeWidth(up), Color(ToRgb(up.color, kBlack)), DashOf(up.style)});
      }
      if (clip) painter_.PopClip();
    };
    for (std::size_t i = 0; i < Rows(); ++i) {
      for (std::size_t j = 0; j < Columns(); ++j) {
        if (MergeAt(i, j) >= 0) continue;
        draw(sheet_.EffectiveFormat(rows_.line(i), columns_.line(j)), CellRectOf(i, j));
      }
    }
    for (const CellRect& area : merges_) {
      draw(sheet_.EffectiveFormat(area.first_row, area.first_column), AreaRect(area));
    }
  }

  const host::Worksheet& sheet_;
  const CellGrid& grid_;
  const CellDrawing& drawing_;
  FontCatalog& fonts_;
  Painter& painter_;
  Axis rows_;
  Axis columns_;
  int digit_pixels_ = 0;
  Rect bounds_;
  std::vector<CellRect> merges_;
  std::vector<int> merge_of_;            // per slot of the grid
  std::vector<bool> occupied_;           // per slot: the cell shows something
  std::vector<std::size_t> open_edges_;  // slots whose right gridline text runs over
  std::vector<TextItem> texts_;
};

// A heading's text laid out in its box with the sheet's standard font, centred.
void DrawHeadingBox(const Rect& box, const std::string& label, const host::Font& font,
                    const CellDrawing& drawing, double scale, FontCatalog& fonts,
                    Painter& painter) {
  if (!drawing.black_and_white) painter.FillRect(box, kHeadingFill);
  CellFormat format;
  format.font = font;
  format.font.bold = false;
  format.font.italic = false;
  format.font.underline = host::Underline::kNone;
  format.font.color = host::Color::Automatic();
  format.alignment.horizontal = HorizontalAlignment::kCenter;
  format.alignment.vertical = host::VerticalAlignment::kCenter;
  format.alignment.shrink_to_fit = true;
  const CellTextLayout layout =
      LayOutCellText(host::Text(label), format, box.width / scale, box.height / scale, fonts);
  painter.PushClip(box);
  for (const GlyphRun& run : layout.runs) {
    GlyphRun placed = run;
    placed.size = run.size * scale;
    placed.color = drawing.black_and_white ? BlackAndWhite(run.color) : run.color;
    for (PlacedGlyph& glyph : placed.glyphs) {
      glyph.x = box.x + glyph.x * scale;
      glyph.y = box.y + glyph.y * scale;
    }
    painter.DrawGlyphs(placed);
  }
  painter.PopClip();
  const Stroke stroke{kMinLineWidth,
                      drawing.black_and_white ? BlackAndWhite(kHeadingLine) : kHeadingLine,
                      Dash::kSolid};
  painter.DrawLine({box.x, box.y}, {box.right(), box.y}, stroke);
  painter.DrawLine({box.x, box.bottom()}, {box.right(), box.bottom()}, stroke);
  painter.DrawLine({box.x, box.y}, {box.x, box.bottom()}, stroke);
  painter.DrawLine({box.right(), box.y}, {box.right(), box.bottom()}, stroke);
}

}  // namespace

void DrawCells(const host::Worksheet& sheet, const CellGrid& grid, const CellDrawing& drawing,
               FontCatalog& fonts, Painter& painter) {
  Renderer(sheet, grid, drawing, fonts, painter).Draw();
}

void DrawHeadings(const host::Worksheet& sheet, const CellGrid& grid, double width, double height,
                  const CellDrawing& drawing, FontCatalog& fonts, Painter& painter) {
  if (grid.rows.empty() || grid.columns.empty() || width <= 0 || height <= 0) return;
  const host::Font& font = sheet.styles().Get(host::StyleTable::kDefault).font;
  const double left = grid.column_left.front();
  const double top = grid.row_top.front();
  DrawHeadingBox({left - width, top - height, width, height}, "", font, drawing, grid.scale, fonts,
                 painter);
  for (std::size_t j = 0; j < grid.columns.size(); ++j) {
    DrawHeadingBox(
        {grid.column_left[j], top - height, grid.column_left[j + 1] - grid.column_left[j], height},
        host::ColumnName(grid.columns[j]), font, drawing, grid.scale, fonts, painter);
  }
  for (std::size_t i = 0; i < grid.rows.size(); ++i) {
    DrawHeadingBox({left - width, grid.row_top[i], width, grid.row_top[i + 1] - grid.row_top[i]},
                   std::to_string(grid.rows[i]), font, drawing, grid.scale, fonts, painter);
  }
}

void DrawPage(const host::Worksheet& sheet, const SheetPage& page, FontCatalog& fonts,
              Painter& painter) {
  const host::PageSetup& setup = sheet.page_setup();
  const CellGrid grid{page.rows, page.columns, page.row_top, page.column_left, page.scale};
  const CellDrawing drawing{setup.print_gridlines, setup.black_and_white};
  painter.BeginPage(page.paper_width, page.paper_height);
  if (setup.print_headings) {
    DrawHeadings(sheet, grid, page.heading_width, page.heading_height, drawing, fonts, painter);
  }
  DrawCells(sheet, grid, drawing, fonts, painter);
  painter.EndPage();
}

}  // namespace tarquel::print
