#include "print/page_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "host/address.h"
#include "host/cell_format.h"
#include "print/paper.h"
#include "print/print_error.h"

namespace tarquel::print {

namespace {

using host::CellRect;

constexpr double kPointsPerPixel = 72.0 / 96.0;
// The host prints at 10% to 400%.
constexpr int kMinZoom = 10;
constexpr int kMaxZoom = 400;
constexpr double kMinScale = kMinZoom / 100.0;

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", value);
  return text;
}

std::string SheetName(const host::Worksheet& sheet) { return "シート「" + sheet.Name() + "」"; }

// An area as the user wrote it, or as rows and columns when it is not even a valid address.
std::string AreaName(const CellRect& area) {
  if (area.first_row >= 1 && area.first_column >= 1 && area.last_row >= area.first_row &&
      area.last_column >= area.first_column && area.last_row <= host::kMaxFileRows &&
      area.last_column <= host::kMaxFileColumns) {
    return host::FormatAddress(area, host::ReferenceStyle::kA1, false, host::kMaxFileRows,
                               host::kMaxFileColumns);
  }
  return "R" + std::to_string(area.first_row) + "C" + std::to_string(area.first_column) + ":R" +
         std::to_string(area.last_row) + "C" + std::to_string(area.last_column);
}

bool InsideSheet(const CellRect& area) {
  return area.first_row >= 1 && area.first_column >= 1 && area.first_row <= area.last_row &&
         area.first_column <= area.last_column && area.last_row <= host::kSheetRows &&
         area.last_column <= host::kSheetColumns;
}

// A printed row or column: its number on the sheet and its size in points before scaling.
struct Line {
  int32_t index = 0;
  double size = 0;
};

// The rows or columns from `first` to `last` that print: hidden ones (`hidden`, in order), and
// ones of no size, take no room and are left out.
template <typename SizeOf>
std::vector<Line> VisibleLines(const std::vector<int32_t>& hidden, int32_t first, int32_t last,
                               SizeOf&& size_of) {
  std::vector<Line> lines;
  auto next_hidden = hidden.begin();
  for (int32_t index = first; index <= last; ++index) {
    while (next_hidden != hidden.end() && *next_hidden < index) ++next_hidden;
    if (next_hidden != hidden.end() && *next_hidden == index) continue;
    const double size = size_of(index);
    if (!std::isfinite(size) || size <= 0) continue;
    lines.push_back({index, size});
  }
  return lines;
}

// True when `size` more points fit in `room` after `used`. The tolerance keeps a band the scale
// was computed to fit exactly from losing its last line to rounding.
bool Fits(double used, double size, double room) { return used + size <= room * (1 + 1e-9) + 1e-9; }

// Lines lines[first] .. lines[first + count - 1] on one page.
struct Band {
  std::size_t first = 0;
  std::size_t count = 0;
};

// Breaks lines into pages of at most `room` points: a line goes on the page while it fits, one
// larger than the room goes alone on its own page. With blocks (block > 0), each block of that
// many sheet rows from `area_first` on starts a new page.
std::vector<Band> Break(const std::vector<Line>& lines, double room, int32_t area_first,
                        int32_t block) {
  std::vector<Band> bands;
  double used = 0;
  int64_t band_block = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int64_t line_block = block > 0 ? (int64_t{lines[i].index} - area_first) / block : 0;
    if (bands.empty() || line_block != band_block || !Fits(used, lines[i].size, room)) {
      bands.push_back({i, 0});
      used = 0;
      band_block = line_block;
    }
    ++bands.back().count;
    used += lines[i].size;
  }
  return bands;
}

// One area of the print area, ready to break.
struct Area {
  CellRect rect;
  std::vector<Line> rows;
  std::vector<Line> columns;
  // The last row and column inside the area that hold a cell that shows or a merged area; pages
  // wholly beyond them would be blank and are left out.
  int32_t last_row_used = 0;
  int32_t last_column_used = 0;
};

double Total(const std::vector<Line>& lines) {
  double total = 0;
  for (const Line& line : lines) total += line.size;
  return total;
}

// The tallest run of rows that must share a page.
double TallestBlock(const Area& area, int32_t block) {
  double tallest = 0;
  double height = 0;
  int64_t current = -1;
  for (const Line& row : area.rows) {
    const int64_t index = (int64_t{row.index} - area.rect.first_row) / block;
    if (index != current) {
      height = 0;
      current = index;
    }
    height += row.size;
    tallest = std::max(tallest, height);
  }
  return tallest;
}

// The used range: the rectangle around every cell and merged area the sheet holds, within the
// sheet's rows and columns. `beyond` tells whether cells lay outside them.
std::optional<CellRect> UsedRange(const host::Worksheet& sheet, bool& beyond) {
  beyond = false;
  std::optional<CellRect> used;
  auto take = [&used](int32_t row, int32_t column) {
    if (!used) {
      used = CellRect::Cell(row, column);
      return;
    }
    used->first_row = std::min(used->first_row, row);
    used->last_row = std::max(used->last_row, row);
    used->first_column = std::min(used->first_column, column);
    used->last_column = std::max(used->last_column, column);
  };
  const int32_t last_row = sheet.LastRowWithCells();
  if (last_row > 0) {
    // A cell that holds something prints: a value, or a format of its own (a border or a fill
    // prints on an empty cell).
    sheet.ForEachUsedCell(
        CellRect{1, 1, last_row, host::kMaxFileColumns}, [&](const host::CellView& cell) {
          if (cell.row() > host::kSheetRows || cell.column() > host::kSheetColumns) {
            beyond = true;
          } else {
            take(cell.row(), cell.column());
          }
        });
  }
  for (const CellRect& merge : sheet.Merges()) {
    if (merge.first_row > host::kSheetRows || merge.first_column > host::kSheetColumns) {
      beyond = true;
      continue;
    }
    take(merge.first_row, merge.first_column);
    take(std::min(merge.last_row, host::kSheetRows),
         std::min(merge.last_column, host::kSheetColumns));
  }
  return used;
}

// What the cell part of a page may hold at a scale, in sheet points.
struct Room {
  double width = 0;
  double height = 0;
};

class Layouter {
 public:
  Layouter(const host::Worksheet& sheet, const PrintOptions& options, int digit_pixels)
      : sheet_(sheet),
        setup_(sheet.page_setup()),
        block_(std::max(0, options.rows_per_block)),
        digit_pixels_(std::max(1, digit_pixels)) {
    ReadAreas(options);
    ReadPaper();
    if (setup_.print_headings) {
      // The row numbers take a column as wide as the digits of the largest row printed (two at
      // least), the column letters a row of the sheet's default height.
      int32_t largest = 1;
      for (const Area& area : areas_) {
        if (!area.rows.empty()) largest = std::max(largest, area.rows.back().index);
      }
      const int digits = static_cast<int>(std::to_string(largest).size());
      heading_width_ = ColumnWidthPoints(std::max(2, digits), digit_pixels_);
      heading_height_ = sheet.default_row_height();
    }
    ChooseScale();
  }

  SheetLayout Pages() {
    const Room room = RoomAt(scale_);
    struct Broken {
      const Area* area;
      std::vector<Band> rows;
      std::vector<Band> columns;
    };
    std::vector<Broken> broken;
    int64_t count = 0;
    for (const Area& area : areas_) {
      Broken b{&area, Break(area.rows, room.height, area.rect.first_row, block_),
               Break(area.columns, room.width, area.rect.first_column, 0)};
      DropBlankEnd(b.rows, area.rows, area.last_row_used);
      DropBlankEnd(b.columns, area.columns, area.last_column_used);
      count += static_cast<int64_t>(b.rows.size()) * static_cast<int64_t>(b.columns.size());
      broken.push_back(std::move(b));
    }
    if (count > kMaxPages) {
      throw PrintError(SheetName(sheet_) + "は " + std::to_string(count) +
                       " ページになります。印刷できるのは " + std::to_string(kMaxPages) +
                       " ページまでです。印刷範囲を確かめてください。");
    }
    int64_t number = setup_.first_page_number.value_or(1);
    if (number > std::numeric_limits<int>::max() - count + 1) {
      layout_.notes.push_back(SheetName(sheet_) + "の最初のページ番号 " + std::to_string(number) +
                              " は大きすぎるため、1 から数えました。");
      number = 1;
    }
    for (const Broken& b : broken) {
      if (setup_.order == host::PageOrder::kDownThenOver) {
        for (const Band& columns : b.columns) {
          for (const Band& rows : b.rows)
            AddPage(*b.area, rows, columns, static_cast<int>(number++));
        }
      } else {
        for (const Band& rows : b.rows) {
          for (const Band& columns : b.columns)
            AddPage(*b.area, rows, columns, static_cast<int>(number++));
        }
      }
    }
    return std::move(layout_);
  }

 private:
  void ReadAreas(const PrintOptions& options) {
    std::vector<CellRect> rects = options.areas.empty() ? sheet_.print_area() : options.areas;
    const bool print_area = !rects.empty();
    if (!print_area) {
      bool beyond = false;
      std::optional<CellRect> used = UsedRange(sheet_, beyond);
      if (beyond) {
        layout_.notes.push_back(SheetName(sheet_) + "の " + std::to_string(host::kSheetRows) +
                                " 行目より下か " + host::ColumnName(host::kSheetColumns) +
                                " 列より右にあるセルは印刷しませんでした。");
      }
      if (!used) {
        throw PrintError("印刷する内容がありません。" + SheetName(sheet_) +
                         "には印刷範囲もセルもありません。");
      }
      rects.push_back(*used);
    }
    for (const CellRect& rect : rects) {
      if (!InsideSheet(rect)) {
        throw PrintError(SheetName(sheet_) + "の印刷範囲 " + AreaName(rect) +
                         " はシートの外にあります。シートは " + std::to_string(host::kSheetRows) +
                         " 行、" + host::ColumnName(host::kSheetColumns) + " 列までです。");
      }
    }
    for (const CellRect& rect : rects) {
      Area area;
      area.rect = rect;
      if (print_area) {
        sheet_.ForEachUsedCell(rect, [&area](const host::CellView& cell) {
          area.last_row_used = std::max(area.last_row_used, cell.row());
          area.last_column_used = std::max(area.last_column_used, cell.column());
        });
        for (const CellRect& merge : sheet_.MergesIntersecting(rect)) {
          area.last_row_used =
              std::max(area.last_row_used, std::min(merge.last_row, rect.last_row));
          area.last_column_used =
              std::max(area.last_column_used, std::min(merge.last_column, rect.last_column));
        }
      } else {
        // The used range ends at its last used row and column by what it is: no second walk.
        area.last_row_used = rect.last_row;
        area.last_column_used = rect.last_column;
      }
      if (area.last_row_used == 0) continue;  // nothing in it to print
      area.rows =
          VisibleLines(sheet_.HiddenRows(rect.first_row, rect.last_row), rect.first_row,
                       rect.last_row, [this](int32_t row) { return sheet_.RowHeightOf(row); });
      area.columns =
          VisibleLines(sheet_.HiddenColumns(rect.first_column, rect.last_column), rect.first_column,
                       rect.last_column, [this](int32_t column) {
                         return ColumnWidthPoints(sheet_.ColumnWidthOf(column), digit_pixels_);
                       });
      if (area.rows.empty() || area.columns.empty()) continue;  // all of it hidden
      areas_.push_back(std::move(area));
    }
    if (areas_.empty()) {
      throw PrintError("印刷する内容がありません。" + SheetName(sheet_) +
                       (print_area
                            ? "の印刷範囲 " +
                                  host::FormatAddress(rects, host::ReferenceStyle::kA1, false) +
                                  " には印刷するセルがありません。"
                            : "のセルはすべて非表示の行か列にあります。"));
    }
  }

  void ReadPaper() {
    std::optional<PaperSize> paper = FindPaperSize(setup_.paper_size);
    if (!paper) {
      paper = FindPaperSize(host::kPaperA4);
      layout_.notes.push_back(SheetName(sheet_) + "の用紙サイズ " +
                              std::to_string(setup_.paper_size) +
                              " は使えないため、A4 で印刷しました。");
    }
    paper_width_ = paper->width;
    paper_height_ = paper->height;
    if (setup_.orientation == host::PageOrientation::kLandscape) {
      std::swap(paper_width_, paper_height_);
    }
    const struct {
      double value;
      const char* name;
    } margins[] = {{setup_.left_margin, "左"},
                   {setup_.right_margin, "右"},
                   {setup_.top_margin, "上"},
                   {setup_.bottom_margin, "下"}};
    for (const auto& margin : margins) {
      if (!std::isfinite(margin.value) || margin.value < 0) {
        throw PrintError(SheetName(sheet_) + "の" + margin.name + "余白 " + Number(margin.value) +
                         " ポイントは使えません。余白は 0 以上にしてください。");
      }
    }
    box_ = {setup_.left_margin, setup_.top_margin,
            paper_width_ - setup_.left_margin - setup_.right_margin,
            paper_height_ - setup_.top_margin - setup_.bottom_margin};
    if (box_.width <= 0 || box_.height <= 0) {
      throw PrintError(SheetName(sheet_) + "の余白 (左 " + Number(setup_.left_margin) + "、右 " +
                       Number(setup_.right_margin) + "、上 " + Number(setup_.top_margin) + "、下 " +
                       Number(setup_.bottom_margin) + " ポイント) が用紙 (" + paper->name + "、" +
                       Number(paper_width_) + " × " + Number(paper_height_) +
                       " ポイント) より大きく、印刷する場所がありません。");
    }
  }

  Room RoomAt(double scale) const {
    return {box_.width / scale - heading_width_, box_.height / scale - heading_height_};
  }

  // Whether every area breaks into at most `wide` pages across and `tall` down (0: any number).
  bool FitsPages(double scale, int wide, int tall) const {
    const Room room = RoomAt(scale);
    for (const Area& area : areas_) {
      if (wide > 0 && Break(area.columns, room.width, area.rect.first_column, 0).size() >
                          static_cast<std::size_t>(wide)) {
        return false;
      }
      if (tall > 0 && Break(area.rows, room.height, area.rect.first_row, block_).size() >
                          static_cast<std::size_t>(tall)) {
        return false;
      }
    }
    return true;
  }

  // The largest whole percentage, 100 at most, at which the areas fit the pages asked for; each
  // area fits on its own, since each starts new pages anyway.
  double FitToPages() const {
    const int wide = std::max(0, setup_.fit_to_pages_wide);
    const int tall = std::max(0, setup_.fit_to_pages_tall);
    if (wide == 0 && tall == 0) return 1;
    // No scale above this can fit: the pages together must at least hold the area.
    double bound = 1;
    for (const Area& area : areas_) {
      if (wide > 0) {
        bound = std::min(bound, wide * box_.width / (Total(area.columns) + wide * heading_width_));
      }
      if (tall > 0) {
        bound = std::min(bound, tall * box_.height / (Total(area.rows) + tall * heading_height_));
      }
    }
    int percent = std::clamp(static_cast<int>(std::floor(bound * 100 + 1e-9)), kMinZoom, 100);
    while (percent > kMinZoom && !FitsPages(percent / 100.0, wide, tall)) --percent;
    return percent / 100.0;
  }

  void ChooseScale() {
    if (setup_.fit_to_pages) {
      scale_ = FitToPages();
    } else if (setup_.zoom >= kMinZoom && setup_.zoom <= kMaxZoom) {
      scale_ = setup_.zoom / 100.0;
    } else {
      scale_ = 1;
      layout_.notes.push_back(SheetName(sheet_) + "の拡大縮小 " + std::to_string(setup_.zoom) +
                              "% は使えないため、100% で印刷しました。");
    }
    if (block_ > 0) {
      // One block a sheet of paper: the tallest block must fit down the page and the whole
      // width across it, at one scale for every page.
      for (const Area& area : areas_) {
        scale_ = std::min(scale_, box_.height / (TallestBlock(area, block_) + heading_height_));
        scale_ = std::min(scale_, box_.width / (Total(area.columns) + heading_width_));
      }
    }
    scale_ = std::max(scale_, kMinScale);
  }

  // Leaves out the bands at the end that hold no line up to `last_used`: pages with nothing on
  // them. A band that starts at or before it keeps all its lines.
  static void DropBlankEnd(std::vector<Band>& bands, const std::vector<Line>& lines,
                           int32_t last_used) {
    while (bands.size() > 1 && lines[bands.back().first].index > last_used) bands.pop_back();
  }

  void AddPage(const Area& area, const Band& rows, const Band& columns, int number) {
    SheetPage page;
    page.number = number;
    page.paper_width = paper_width_;
    page.paper_height = paper_height_;
    page.scale = scale_;
    page.heading_width = heading_width_ * scale_;
    page.heading_height = heading_height_ * scale_;
    double width = heading_width_;
    for (std::size_t i = columns.first; i < columns.first + columns.count; ++i) {
      width += area.columns[i].size;
    }
    double height = heading_height_;
    for (std::size_t i = rows.first; i < rows.first + rows.count; ++i) {
      height += area.rows[i].size;
    }
    // A page larger than the box (one line larger than the paper) starts at the margin.
    const double left =
        box_.x +
        (setup_.center_horizontally ? std::max(0.0, (box_.width - width * scale_) / 2) : 0);
    const double top =
        box_.y +
        (setup_.center_vertically ? std::max(0.0, (box_.height - height * scale_) / 2) : 0);
    double offset = heading_width_;
    page.column_left.push_back(left + offset * scale_);
    for (std::size_t i = columns.first; i < columns.first + columns.count; ++i) {
      page.columns.push_back(area.columns[i].index);
      offset += area.columns[i].size;
      page.column_left.push_back(left + offset * scale_);
    }
    offset = heading_height_;
    page.row_top.push_back(top + offset * scale_);
    for (std::size_t i = rows.first; i < rows.first + rows.count; ++i) {
      page.rows.push_back(area.rows[i].index);
      offset += area.rows[i].size;
      page.row_top.push_back(top + offset * scale_);
    }
    layout_.pages.push_back(std::move(page));
  }

  const host::Worksheet& sheet_;
  const host::PageSetup& setup_;
  const int32_t block_;
  const int digit_pixels_;
  std::vector<Area> areas_;
  double paper_width_ = 0;
  double paper_height_ = 0;
  Rect box_;                  // the paper inside the margins
  double heading_width_ = 0;  // sheet points
  double heading_height_ = 0;
  double scale_ = 1;
  SheetLayout layout_;
};

}  // namespace

double ColumnWidthPoints(double width, int digit_pixels) {
  if (!std::isfinite(width) || width <= 0) return 0;
  const double pixels = std::trunc(width * digit_pixels + 0.5) + 5;
  return pixels * kPointsPerPixel;
}

SheetLayout LayOutPages(const host::Worksheet& sheet, const PrintOptions& options,
                        int digit_pixels) {
  return Layouter(sheet, options, digit_pixels).Pages();
}

SheetLayout LayOutPages(const host::Worksheet& sheet, const PrintOptions& options,
                        FontCatalog& fonts) {
  const host::Font& font = sheet.styles().Get(host::StyleTable::kDefault).font;
  return LayOutPages(sheet, options, fonts.MaxDigitWidthPixels(font.name, font.size));
}

}  // namespace tarquel::print
