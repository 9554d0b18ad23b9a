#include "window/sheet_grid.h"

#include <QApplication>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <cmath>

#include "host/application.h"
#include "host/host_error.h"
#include "host/range.h"
#include "host/workbook.h"
#include "host/worksheet.h"
#include "print/page_layout.h"
#include "print/sheet_renderer.h"
#include "qtprint/qt_painter.h"

namespace tarquel::window {

namespace {

constexpr double kScreenDpi = 96;
const QColor kHeaderFill(0xf0, 0xf0, 0xf0);
const QColor kHeaderSelectedFill(0xd0, 0xdc, 0xea);
const QColor kHeaderLine(0xc0, 0xc0, 0xc0);
const QColor kSelectionFill(0x21, 0x73, 0x46, 0x30);
const QColor kSelectionEdge(0x21, 0x73, 0x46);

host::CellRect Spanning(std::pair<int32_t, int32_t> a, std::pair<int32_t, int32_t> b) {
  return {std::min(a.first, b.first), std::min(a.second, b.second), std::max(a.first, b.first),
          std::max(a.second, b.second)};
}

}  // namespace

SheetGrid::SheetGrid(print::FontCatalog& fonts, QWidget* parent)
    : QAbstractScrollArea(parent), fonts_(fonts) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled);
  viewport()->setMouseTracking(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setSingleStep(1);
  header_height_ = fontMetrics().height() + 6;
  header_width_ = fontMetrics().horizontalAdvance(QStringLiteral("65536")) + 12;
}

double SheetGrid::PixelsPerPoint() const {
  const int zoom = sheet_ != nullptr ? sheet_->view().zoom : 100;
  return kScreenDpi / 72.0 * std::clamp(zoom, 10, 400) / 100.0;
}

void SheetGrid::SetSheet(host::Worksheet* sheet) {
  if (sheet == sheet_) return;
  if (editing()) CancelEdit();
  sheet_ = sheet;
  top_row_ = 1;
  left_column_ = 1;
  if (sheet_ != nullptr) {
    const host::Font& font = sheet_->styles().Get(host::StyleTable::kDefault).font;
    digit_pixels_ = fonts_.MaxDigitWidthPixels(font.name, font.size);
    anchor_ = extent_ = sheet_->active_cell();
  }
  shown_active_ = {0, 0};
  LayOut();
  UpdateScrollBars();
  SyncFromHost();
}

double SheetGrid::RowHeightPoints(int32_t row) const {
  return sheet_->RowHidden(row) ? 0 : sheet_->RowHeightOf(row);
}

double SheetGrid::ColumnWidthPoints(int32_t column) const {
  if (sheet_->ColumnHidden(column)) return 0;
  return print::ColumnWidthPoints(sheet_->ColumnWidthOf(column), digit_pixels_);
}

void SheetGrid::LayOut() {
  rows_.clear();
  columns_.clear();
  row_top_.assign(1, 0);
  column_left_.assign(1, 0);
  if (sheet_ == nullptr) return;
  const double scale = PixelsPerPoint();
  const double height = (viewport()->height() - header_height_) / scale;
  const double width = (viewport()->width() - header_width_) / scale;
  for (int32_t row = top_row_; row <= sheet_->RowCount() && row_top_.back() < height; ++row) {
    const double h = RowHeightPoints(row);
    if (h <= 0) continue;
    rows_.push_back(row);
    row_top_.push_back(row_top_.back() + h);
  }
  for (int32_t column = left_column_;
       column <= sheet_->ColumnCount() && column_left_.back() < width; ++column) {
    const double w = ColumnWidthPoints(column);
    if (w <= 0) continue;
    columns_.push_back(column);
    column_left_.push_back(column_left_.back() + w);
  }
}

void SheetGrid::UpdateScrollBars() {
  if (sheet_ == nullptr) {
    verticalScrollBar()->setRange(1, 1);
    horizontalScrollBar()->setRange(1, 1);
    return;
  }
  const int full_rows = std::max<int>(1, static_cast<int>(rows_.size()) - 1);
  const int full_columns = std::max<int>(1, static_cast<int>(columns_.size()) - 1);
  verticalScrollBar()->setRange(1, sheet_->RowCount());
  verticalScrollBar()->setPageStep(full_rows);
  horizontalScrollBar()->setRange(1, sheet_->ColumnCount());
  horizontalScrollBar()->setPageStep(full_columns);
  verticalScrollBar()->setValue(top_row_);
  horizontalScrollBar()->setValue(left_column_);
}

void SheetGrid::scrollContentsBy(int, int) {
  top_row_ = verticalScrollBar()->value();
  left_column_ = horizontalScrollBar()->value();
  if (editing()) CommitEdit();
  LayOut();
  viewport()->update();
}

void SheetGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  LayOut();
  UpdateScrollBars();
}

void SheetGrid::ScrollTo(int32_t row, int32_t column) {
  if (sheet_ == nullptr) return;
  const auto fully_visible = [](const std::vector<int32_t>& shown, int32_t index) {
    // The last row or column in view may be cut off.
    return shown.size() >= 2 && index >= shown.front() && index <= shown[shown.size() - 2];
  };
  if (!fully_visible(rows_, row)) {
    if (rows_.empty() || row < rows_.front()) {
      top_row_ = row;
    } else {
      // Put the row at the bottom: go up from it while the rows still fit.
      const double height = (viewport()->height() - header_height_) / PixelsPerPoint();
      double used = RowHeightPoints(row);
      int32_t top = row;
      while (top > 1 && used + RowHeightPoints(top - 1) <= height) used += RowHeightPoints(--top);
      top_row_ = top;
    }
  }
  if (!fully_visible(columns_, column)) {
    if (columns_.empty() || column < columns_.front()) {
      left_column_ = column;
    } else {
      const double width = (viewport()->width() - header_width_) / PixelsPerPoint();
      double used = ColumnWidthPoints(column);
      int32_t left = column;
      while (left > 1 && used + ColumnWidthPoints(left - 1) <= width) {
        used += ColumnWidthPoints(--left);
      }
      left_column_ = left;
    }
  }
  LayOut();
  const QSignalBlocker block_v(verticalScrollBar());
  const QSignalBlocker block_h(horizontalScrollBar());
  UpdateScrollBars();
  viewport()->update();
}

void SheetGrid::SyncFromHost() {
  if (sheet_ == nullptr) {
    viewport()->update();
    return;
  }
  const std::pair<int32_t, int32_t> active = sheet_->active_cell();
  if (active != shown_active_) {
    shown_active_ = active;
    const std::vector<host::CellRect>& areas = sheet_->selection();
    // A selection the user did not make here starts afresh from its active cell.
    if (areas.empty() || !areas.back().Contains(anchor_.first, anchor_.second)) {
      anchor_ = extent_ = active;
    }
    ScrollTo(active.first, active.second);
  }
  viewport()->update();
}

std::optional<int32_t> SheetGrid::RowAt(int y) const {
  const double points = (y - header_height_) / PixelsPerPoint();
  if (points < 0) return std::nullopt;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (points < row_top_[i + 1]) return rows_[i];
  }
  return std::nullopt;
}

std::optional<int32_t> SheetGrid::ColumnAt(int x) const {
  const double points = (x - header_width_) / PixelsPerPoint();
  if (points < 0) return std::nullopt;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (points < column_left_[i + 1]) return columns_[i];
  }
  return std::nullopt;
}

std::optional<std::pair<int32_t, int32_t>> SheetGrid::CellAt(const QPoint& point) const {
  const std::optional<int32_t> row = RowAt(point.y());
  const std::optional<int32_t> column = ColumnAt(point.x());
  if (!row || !column) return std::nullopt;
  return std::make_pair(*row, *column);
}

QRect SheetGrid::CellRectInView(int32_t row, int32_t column) const {
  const auto r = std::find(rows_.begin(), rows_.end(), row);
  const auto c = std::find(columns_.begin(), columns_.end(), column);
  if (r == rows_.end() || c == columns_.end()) return {};
  const double scale = PixelsPerPoint();
  const std::size_t ri = r - rows_.begin();
  const std::size_t ci = c - columns_.begin();
  const int left = header_width_ + static_cast<int>(std::lround(column_left_[ci] * scale));
  const int top = header_height_ + static_cast<int>(std::lround(row_top_[ri] * scale));
  const int right = header_width_ + static_cast<int>(std::lround(column_left_[ci + 1] * scale));
  const int bottom = header_height_ + static_cast<int>(std::lround(row_top_[ri + 1] * scale));
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

SheetGrid::Header SheetGrid::HeaderAt(const QPoint& point) const {
  const bool in_row_header = point.x() < header_width_;
  const bool in_column_header = point.y() < header_height_;
  if (in_row_header && in_column_header) return Header::kCorner;
  if (in_row_header) return Header::kRow;
  if (in_column_header) return Header::kColumn;
  return Header::kNone;
}

// --- Painting ----------------------------------------------------------------------------------

void SheetGrid::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), Qt::white);
  if (sheet_ == nullptr) return;
  const double scale = PixelsPerPoint();
  if (!rows_.empty() && !columns_.empty()) {
    painter.save();
    painter.setClipRect(QRect(header_width_, header_height_, viewport()->width() - header_width_,
                              viewport()->height() - header_height_));
    const print::CellGrid grid{rows_, columns_, row_top_, column_left_, 1};
    print::CellDrawing drawing;
    drawing.gridlines = sheet_->view().show_gridlines;
    drawing.neighbour_lines = true;
    qtprint::QtPainter cells(
        painter, QTransform().translate(header_width_, header_height_).scale(scale, scale));
    try {
      print::DrawCells(*sheet_, grid, drawing, fonts_, cells);
    } catch (const std::exception&) {
      // A font that cannot be read leaves the cells unpainted rather than the window dead.
    }
    painter.setWorldTransform(QTransform());
    PaintCommentIndicators(painter);
    PaintSelection(painter);
    painter.restore();
  }
  PaintHeaders(painter);
}

void SheetGrid::PaintHeaders(QPainter& painter) {
  const double scale = PixelsPerPoint();
  const int width = viewport()->width();
  const int height = viewport()->height();
  painter.fillRect(QRect(0, 0, width, header_height_), kHeaderFill);
  painter.fillRect(QRect(0, 0, header_width_, height), kHeaderFill);
  const std::vector<host::CellRect>& areas = sheet_->selection();
  const auto row_selected = [&](int32_t row) {
    return std::any_of(areas.begin(), areas.end(), [row](const host::CellRect& area) {
      return row >= area.first_row && row <= area.last_row;
    });
  };
  const auto column_selected = [&](int32_t column) {
    return std::any_of(areas.begin(), areas.end(), [column](const host::CellRect& area) {
      return column >= area.first_column && column <= area.last_column;
    });
  };
  painter.setPen(kHeaderLine);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const int top = header_height_ + static_cast<int>(std::lround(row_top_[i] * scale));
    const int bottom = header_height_ + static_cast<int>(std::lround(row_top_[i + 1] * scale));
    const QRect box(0, top, header_width_ - 1, std::min(bottom, height) - top);
    if (row_selected(rows_[i])) painter.fillRect(box, kHeaderSelectedFill);
    painter.setPen(kHeaderLine);
    painter.drawLine(0, bottom - 1, header_width_ - 1, bottom - 1);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, QString::number(rows_[i]));
  }
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const int left = header_width_ + static_cast<int>(std::lround(column_left_[i] * scale));
    const int right = header_width_ + static_cast<int>(std::lround(column_left_[i + 1] * scale));
    // The letter of a column cut off at the edge stands in the part that shows.
    const QRect box(left, 0, std::min(right, width) - left, header_height_ - 1);
    if (column_selected(columns_[i])) painter.fillRect(box, kHeaderSelectedFill);
    painter.setPen(kHeaderLine);
    painter.drawLine(right - 1, 0, right - 1, header_height_ - 1);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, QString::fromStdString(host::ColumnName(columns_[i])));
  }
  painter.setPen(kHeaderLine);
  painter.drawLine(0, header_height_ - 1, width, header_height_ - 1);
  painter.drawLine(header_width_ - 1, 0, header_width_ - 1, height);
}

void SheetGrid::PaintSelection(QPainter& painter) {
  if (rows_.empty() || columns_.empty()) return;
  const double scale = PixelsPerPoint();
  const auto to_view = [&](const host::CellRect& area) -> std::optional<QRect> {
    // The part of the area in view, in pixels.
    const int32_t first_row = std::max(area.first_row, rows_.front());
    const int32_t last_row = std::min(area.last_row, rows_.back());
    const int32_t first_column = std::max(area.first_column, columns_.front());
    const int32_t last_column = std::min(area.last_column, columns_.back());
    if (first_row > last_row || first_column > last_column) return std::nullopt;
    const auto edge = [](const std::vector<int32_t>& shown, const std::vector<double>& edges,
                         int32_t first, int32_t last) {
      const std::size_t from = std::lower_bound(shown.begin(), shown.end(), first) - shown.begin();
      const std::size_t to = std::upper_bound(shown.begin(), shown.end(), last) - shown.begin();
      return std::make_pair(edges[from], edges[to]);
    };
    const auto [top, bottom] = edge(rows_, row_top_, first_row, last_row);
    const auto [left, right] = edge(columns_, column_left_, first_column, last_column);
    if (bottom <= top || right <= left) return std::nullopt;
    return QRect(QPoint(header_width_ + static_cast<int>(std::lround(left * scale)),
                        header_height_ + static_cast<int>(std::lround(top * scale))),
                 QPoint(header_width_ + static_cast<int>(std::lround(right * scale)) - 1,
                        header_height_ + static_cast<int>(std::lround(bottom * scale)) - 1));
  };
  const auto [active_row, active_column] = sheet_->active_cell();
  const host::CellRect* merge = sheet_->MergeAreaOf(active_row, active_column);
  const host::CellRect active_area =
      merge != nullptr ? *merge : host::CellRect::Cell(active_row, active_column);
  const std::optional<QRect> active = to_view(active_area);
  for (const host::CellRect& area : sheet_->selection()) {
    if (area == active_area) continue;
    if (const std::optional<QRect> rect = to_view(area)) {
      if (active) {
        // The active cell stays white inside the shaded selection.
        const QRegion shaded = QRegion(*rect).subtracted(QRegion(*active));
        for (const QRect& part : shaded) painter.fillRect(part, kSelectionFill);
      } else {
        painter.fillRect(*rect, kSelectionFill);
      }
    }
  }
  const std::vector<host::CellRect>& areas = sheet_->selection();
  if (areas.size() == 1) {
    if (const std::optional<QRect> rect = to_view(areas.front())) {
      painter.setPen(QPen(kSelectionEdge, 1));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(*rect);
    }
  }
  if (active) {
    painter.setPen(QPen(kSelectionEdge, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(active->adjusted(1, 1, -1, -1));
  }
}

void SheetGrid::PaintCommentIndicators(QPainter& painter) {
  if (rows_.empty() || columns_.empty()) return;
  // The host's setting: no indicators at all, or the red corner (with the comment on hover).
  if (sheet_->application().DisplayCommentIndicator() == host::CommentIndicator::kNone) return;
  const auto& comments = sheet_->comments();
  auto it = comments.lower_bound({rows_.front(), 0});
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xd0, 0x20, 0x20));
  for (; it != comments.end() && it->first.first <= rows_.back(); ++it) {
    const auto [row, column] = it->first;
    const host::CellRect* merge = sheet_->MergeAreaOf(row, column);
    const int32_t right_column = merge != nullptr ? merge->last_column : column;
    const QRect cell = CellRectInView(row, right_column);
    if (cell.isEmpty()) continue;
    const int size = std::max(4, cell.height() / 4);
    QPainterPath corner;
    corner.moveTo(cell.right() - size, cell.top() + 1);
    corner.lineTo(cell.right(), cell.top() + 1);
    corner.lineTo(cell.right(), cell.top() + 1 + size);
    corner.closeSubpath();
    painter.drawPath(corner);
  }
}

bool SheetGrid::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip && sheet_ != nullptr) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const auto cell = CellAt(help->pos());
    if (cell) {
      const host::CellRect* merge = sheet_->MergeAreaOf(cell->first, cell->second);
      const auto key =
          merge != nullptr ? std::make_pair(merge->first_row, merge->first_column) : *cell;
      const auto found = sheet_->comments().find(key);
      if (found != sheet_->comments().end()) {
        QToolTip::showText(help->globalPos(), QString::fromStdString(found->second.text),
                           viewport());
        return true;
      }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

// --- Selection ---------------------------------------------------------------------------------

void SheetGrid::SetSelection(std::vector<host::CellRect> areas,
                             std::pair<int32_t, int32_t> active) {
  sheet_->SetSelection(std::move(areas), active);
  shown_active_ = active;
  viewport()->update();
  emit SelectionChanged();
}

void SheetGrid::SelectCell(int32_t row, int32_t column, bool extend, bool add) {
  if (sheet_ == nullptr) return;
  if (editing()) CommitEdit();
  std::vector<host::CellRect> areas = sheet_->selection();
  const auto whole = [this](int32_t r, int32_t c) {
    const host::CellRect* merge = sheet_->MergeAreaOf(r, c);
    return merge != nullptr ? *merge : host::CellRect::Cell(r, c);
  };
  if (extend && !areas.empty()) {
    extent_ = {row, column};
    host::CellRect area = Spanning(anchor_, extent_);
    // A merged area the rectangle touches is selected whole.
    for (const host::CellRect& merge : sheet_->MergesIntersecting(area)) {
      area = Spanning(
          {std::min(area.first_row, merge.first_row),
           std::min(area.first_column, merge.first_column)},
          {std::max(area.last_row, merge.last_row), std::max(area.last_column, merge.last_column)});
    }
    areas.back() = area;
    SetSelection(std::move(areas), anchor_);
    return;
  }
  anchor_ = extent_ = {row, column};
  if (add) {
    areas.push_back(whole(row, column));
  } else {
    areas = {whole(row, column)};
  }
  SetSelection(std::move(areas), {row, column});
}

void SheetGrid::SelectHeader(Header header, int32_t index, bool extend, bool add) {
  if (sheet_ == nullptr) return;
  if (editing()) CommitEdit();
  std::vector<host::CellRect> areas = sheet_->selection();
  host::CellRect area;
  std::pair<int32_t, int32_t> active;
  const int32_t last_row = sheet_->RowCount();
  const int32_t last_column = sheet_->ColumnCount();
  switch (header) {
    case Header::kRow: {
      const int32_t from = extend ? anchor_.first : index;
      area = {std::min(from, index), 1, std::max(from, index), last_column};
      active = {from, left_column_};
      break;
    }
    case Header::kColumn: {
      const int32_t from = extend ? anchor_.second : index;
      area = {1, std::min(from, index), last_row, std::max(from, index)};
      active = {top_row_, from};
      break;
    }
    default:
      area = {1, 1, last_row, last_column};
      active = {top_row_, left_column_};
      break;
  }
  if (!extend) anchor_ = active;
  extent_ = active;
  if (extend && !areas.empty()) {
    areas.back() = area;
  } else if (add) {
    areas.push_back(area);
  } else {
    areas = {area};
  }
  SetSelection(std::move(areas), extend ? sheet_->active_cell() : active);
}

void SheetGrid::MoveBy(int32_t rows, int32_t columns, bool extend) {
  if (sheet_ == nullptr) return;
  const auto clamp_row = [this](int32_t row) { return std::clamp(row, 1, sheet_->RowCount()); };
  const auto clamp_column = [this](int32_t column) {
    return std::clamp(column, 1, sheet_->ColumnCount());
  };
  if (extend) {
    SelectCell(clamp_row(extent_.first + rows), clamp_column(extent_.second + columns), true,
               false);
    ScrollTo(extent_.first, extent_.second);
    return;
  }
  auto [row, column] = sheet_->active_cell();
  // Leaving a merged area steps past all of it.
  if (const host::CellRect* merge = sheet_->MergeAreaOf(row, column)) {
    if (rows > 0) row = merge->last_row;
    if (columns > 0) column = merge->last_column;
    if (rows < 0) row = merge->first_row;
    if (columns < 0) column = merge->first_column;
  }
  row = clamp_row(row + rows);
  column = clamp_column(column + columns);
  while (rows != 0 && sheet_->RowHidden(row) && row > 1 && row < sheet_->RowCount()) {
    row += rows > 0 ? 1 : -1;
  }
  while (columns != 0 && sheet_->ColumnHidden(column) && column > 1 &&
         column < sheet_->ColumnCount()) {
    column += columns > 0 ? 1 : -1;
  }
  SelectCell(row, column, false, false);
  ScrollTo(row, column);
}

std::pair<int32_t, int32_t> SheetGrid::DataEdge(std::pair<int32_t, int32_t> from,
                                                std::pair<int32_t, int32_t> step) const {
  const auto inside = [this](int32_t row, int32_t column) {
    return row >= 1 && row <= sheet_->RowCount() && column >= 1 && column <= sheet_->ColumnCount();
  };
  const auto filled = [this](int32_t row, int32_t column) {
    const std::optional<host::CellView> cell = sheet_->UsedCellAt(row, column);
    return cell.has_value() && !cell->value().IsEmpty();
  };
  auto [row, column] = from;
  if (!inside(row + step.first, column + step.second)) return from;
  const bool in_block = filled(row, column) && filled(row + step.first, column + step.second);
  if (in_block) {
    // To the last filled cell of the block.
    while (inside(row + step.first, column + step.second) &&
           filled(row + step.first, column + step.second)) {
      row += step.first;
      column += step.second;
    }
    return {row, column};
  }
  // To the next filled cell, or the sheet's edge. Below the last row holding anything there is
  // nothing to find, so the walk down stops there.
  const int32_t last_row = sheet_->LastRowWithCells();
  do {
    row += step.first;
    column += step.second;
    if (step.first > 0 && row > last_row) return {sheet_->RowCount(), column};
  } while (inside(row + step.first, column + step.second) && !filled(row, column));
  return {row, column};
}

std::pair<int32_t, int32_t> SheetGrid::LastUsedCell() const {
  int32_t last_row = 1;
  int32_t last_column = 1;
  sheet_->ForEachUsedCell({1, 1, sheet_->RowCount(), sheet_->ColumnCount()},
                          [&](const host::CellView& cell) {
                            if (cell.value().IsEmpty()) return;
                            last_row = std::max(last_row, cell.row());
                            last_column = std::max(last_column, cell.column());
                          });
  return {last_row, last_column};
}

void SheetGrid::mousePressEvent(QMouseEvent* event) {
  if (sheet_ == nullptr) return;
  setFocus(Qt::MouseFocusReason);
  const QPoint pos = event->position().toPoint();
  const bool extend = event->modifiers() & Qt::ShiftModifier;
  const bool add = event->modifiers() & Qt::ControlModifier;
  const Header header = HeaderAt(pos);
  if (header == Header::kRow || header == Header::kColumn || header == Header::kCorner) {
    if (event->button() != Qt::LeftButton) return;
    const std::optional<int32_t> index = header == Header::kRow      ? RowAt(pos.y())
                                         : header == Header::kColumn ? ColumnAt(pos.x())
                                                                     : 1;
    if (!index) return;
    SelectHeader(header, *index, extend, add);
    dragging_ = header;
    return;
  }
  const auto cell = CellAt(pos);
  if (!cell) return;
  if (event->button() == Qt::RightButton) {
    // A right click inside the selection keeps it, as the host does; elsewhere it selects.
    const bool inside = std::any_of(
        sheet_->selection().begin(), sheet_->selection().end(),
        [&](const host::CellRect& area) { return area.Contains(cell->first, cell->second); });
    if (!inside) SelectCell(cell->first, cell->second, false, false);
    emit ContextMenuRequested(event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  SelectCell(cell->first, cell->second, extend, add && !extend);
  dragging_cells_ = true;
}

void SheetGrid::mouseMoveEvent(QMouseEvent* event) {
  if (sheet_ == nullptr || !(event->buttons() & Qt::LeftButton)) return;
  const QPoint pos = event->position().toPoint();
  if (dragging_ == Header::kRow) {
    if (const auto row = RowAt(pos.y())) SelectHeader(Header::kRow, *row, true, false);
  } else if (dragging_ == Header::kColumn) {
    if (const auto column = ColumnAt(pos.x())) SelectHeader(Header::kColumn, *column, true, false);
  } else if (dragging_cells_) {
    if (const auto cell = CellAt(pos); cell && *cell != extent_) {
      SelectCell(cell->first, cell->second, true, false);
    }
  }
}

void SheetGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (sheet_ == nullptr || HeaderAt(event->position().toPoint()) != Header::kNone) return;
  if (CellAt(event->position().toPoint())) StartEdit(std::nullopt);
}

void SheetGrid::keyPressEvent(QKeyEvent* event) {
  if (sheet_ == nullptr) return;
  if (editing()) {
    // Keys that reach the grid while a cell is edited belong to the edit.
    QCoreApplication::sendEvent(editor_, event);
    return;
  }
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  const int page = std::max<int>(1, static_cast<int>(rows_.size()) - 1);
  if (ctrl) {
    // Ctrl with an arrow goes to the edge of the data, as in a spreadsheet.
    const std::pair<int32_t, int32_t> step = event->key() == Qt::Key_Up      ? std::make_pair(-1, 0)
                                             : event->key() == Qt::Key_Down  ? std::make_pair(1, 0)
                                             : event->key() == Qt::Key_Left  ? std::make_pair(0, -1)
                                             : event->key() == Qt::Key_Right ? std::make_pair(0, 1)
                                                                             : std::make_pair(0, 0);
    if (step != std::make_pair(0, 0)) {
      const auto [row, column] = DataEdge(shift ? extent_ : sheet_->active_cell(), step);
      SelectCell(row, column, shift, false);
      ScrollTo(row, column);
      return;
    }
  }
  switch (event->key()) {
    case Qt::Key_Up:
      MoveBy(-1, 0, shift);
      return;
    case Qt::Key_Down:
      MoveBy(1, 0, shift);
      return;
    case Qt::Key_Left:
      MoveBy(0, -1, shift);
      return;
    case Qt::Key_Right:
      MoveBy(0, 1, shift);
      return;
    case Qt::Key_PageUp:
      MoveBy(-page, 0, shift);
      return;
    case Qt::Key_PageDown:
      MoveBy(page, 0, shift);
      return;
    case Qt::Key_Home:
      if (ctrl) {
        SelectCell(1, 1, shift, false);
        ScrollTo(1, 1);
      } else {
        SelectCell(sheet_->active_cell().first, 1, shift, false);
        ScrollTo(sheet_->active_cell().first, 1);
      }
      return;
    case Qt::Key_End:
      if (ctrl) {
        const auto [row, column] = LastUsedCell();
        SelectCell(row, column, shift, false);
        ScrollTo(row, column);
      }
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      MoveBy(shift ? -1 : 1, 0, false);
      return;
    case Qt::Key_Tab:
      MoveBy(0, 1, false);
      return;
    case Qt::Key_Backtab:
      MoveBy(0, -1, false);
      return;
    case Qt::Key_F2:
      StartEdit(std::nullopt);
      return;
    case Qt::Key_Delete:
      ClearSelection();
      return;
    default:
      break;
  }
  const QString text = event->text();
  if (!ctrl && !(event->modifiers() & Qt::AltModifier) && !text.isEmpty() && text.at(0).isPrint()) {
    StartEdit(text);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void SheetGrid::inputMethodEvent(QInputMethodEvent* event) {
  // An input method composing into the grid starts an edit and carries on in the editor.
  if (sheet_ == nullptr) return;
  if (!editing()) StartEdit(QString());
  if (editing()) QCoreApplication::sendEvent(editor_, event);
}

QVariant SheetGrid::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImCursorRectangle && sheet_ != nullptr) {
    const auto [row, column] = sheet_->active_cell();
    return CellRectInView(row, column);
  }
  return QAbstractScrollArea::inputMethodQuery(query);
}

// --- Editing -----------------------------------------------------------------------------------

void SheetGrid::StartEdit(const std::optional<QString>& typed) {
  if (sheet_ == nullptr || editing()) return;
  editing_cell_ = sheet_->active_cell();
  const host::CellRect* merge = sheet_->MergeAreaOf(editing_cell_.first, editing_cell_.second);
  if (merge != nullptr) editing_cell_ = {merge->first_row, merge->first_column};
  ScrollTo(editing_cell_.first, editing_cell_.second);
  QRect rect = CellRectInView(editing_cell_.first, editing_cell_.second);
  // A window too small to show the cell has nowhere to edit it.
  if (rect.isEmpty()) return;
  if (merge != nullptr) {
    rect = rect.united(CellRectInView(std::min(merge->last_row, rows_.back()),
                                      std::min(merge->last_column, columns_.back())));
  }
  editor_ = new QLineEdit(viewport());
  editor_->setObjectName(QStringLiteral("cellEditor"));
  editor_->setFrame(false);
  editor_->setGeometry(rect.adjusted(2, 2, -1, -1).united(QRect(rect.topLeft(), QSize(60, 18))));
  editor_->installEventFilter(this);
  if (typed) {
    editor_->setText(*typed);
  } else {
    const host::Range cell = sheet_->Cells(editing_cell_.first, editing_cell_.second);
    editor_->setText(
        QString::fromStdString(cell.Value().IsNumber() ? cell.Text() : cell.Value().AsText()));
  }
  editor_->show();
  editor_->setFocus(Qt::OtherFocusReason);
}

void SheetGrid::CommitEdit() {
  if (!editing()) return;
  const std::string text = editor_->text().toStdString();
  QLineEdit* editor = std::exchange(editor_, nullptr);
  editor->deleteLater();
  setFocus(Qt::OtherFocusReason);
  const auto [row, column] = editing_cell_;
  const host::Range cell = sheet_->Cells(row, column);
  UndoStep step{sheet_, sheet_->selection(), sheet_->active_cell(), {{row, column, cell.Value()}}};
  try {
    cell.SetValueFromText(text);
  } catch (const host::HostError& error) {
    emit HostErrorRaised(QString::fromStdString(error.Display()));
    return;
  }
  Record(std::move(step));
  viewport()->update();
  emit CellsChanged();
}

void SheetGrid::CancelEdit() {
  if (!editing()) return;
  QLineEdit* editor = std::exchange(editor_, nullptr);
  editor->deleteLater();
  setFocus(Qt::OtherFocusReason);
}

bool SheetGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        CommitEdit();
        MoveBy((key->modifiers() & Qt::ShiftModifier) ? -1 : 1, 0, false);
        return true;
      case Qt::Key_Tab:
        CommitEdit();
        MoveBy(0, 1, false);
        return true;
      case Qt::Key_Escape:
        CancelEdit();
        return true;
      default:
        break;
    }
  }
  return QAbstractScrollArea::eventFilter(watched, event);
}

void SheetGrid::Record(UndoStep step) {
  constexpr std::size_t kUndoLimit = 100;
  undo_.push_back(std::move(step));
  if (undo_.size() > kUndoLimit) undo_.erase(undo_.begin());
}

void SheetGrid::ClearSelection() {
  if (sheet_ == nullptr) return;
  if (editing()) CancelEdit();
  UndoStep step{sheet_, sheet_->selection(), sheet_->active_cell(), {}};
  for (const host::CellRect& area : sheet_->selection()) {
    sheet_->ForEachUsedCell(area, [&](const host::CellView& cell) {
      if (!cell.value().IsEmpty()) step.cells.push_back({cell.row(), cell.column(), cell.value()});
    });
  }
  try {
    host::Range(*sheet_, sheet_->selection()).ClearContents();
  } catch (const host::HostError& error) {
    emit HostErrorRaised(QString::fromStdString(error.Display()));
    return;
  }
  if (!step.cells.empty()) Record(std::move(step));
  viewport()->update();
  emit CellsChanged();
}

void SheetGrid::CopySelection() {
  if (sheet_ == nullptr) return;
  host::Range(*sheet_, sheet_->selection().front()).Copy();
  viewport()->update();
}

void SheetGrid::PasteAtSelection() {
  if (sheet_ == nullptr) return;
  if (editing()) CommitEdit();
  try {
    sheet_->Paste();
  } catch (const host::HostError& error) {
    emit HostErrorRaised(QString::fromStdString(error.Display()));
    return;
  }
  viewport()->update();
  emit CellsChanged();
}

bool SheetGrid::StillOpen(const host::Worksheet* sheet) const {
  if (sheet_ == nullptr) return false;
  host::Application& app = sheet_->application();
  for (int book = 1; book <= app.Workbooks().Count(); ++book) {
    const host::Workbook& workbook = app.Workbooks().Item(book);
    for (int index = 1; index <= workbook.SheetCount(); ++index) {
      if (&workbook.SheetAt(index) == sheet) return true;
    }
  }
  return false;
}

void SheetGrid::Undo() {
  if (editing()) CancelEdit();
  // Edits of a workbook closed since are gone with it.
  while (!undo_.empty() && !StillOpen(undo_.back().sheet)) undo_.pop_back();
  if (undo_.empty()) return;
  UndoStep step = std::move(undo_.back());
  undo_.pop_back();
  try {
    for (const UndoStep::OldValue& old : step.cells) {
      const host::Range cell = step.sheet->Cells(old.row, old.column);
      if (old.value.IsEmpty()) {
        cell.ClearContents();
      } else {
        cell.SetValue(old.value);
      }
    }
    step.sheet->Activate();
  } catch (const host::HostError& error) {
    emit HostErrorRaised(QString::fromStdString(error.Display()));
  }
  step.sheet->SetSelection(step.selection, step.active_cell);
  if (step.sheet == sheet_) {
    anchor_ = extent_ = step.active_cell;
    SyncFromHost();
  }
  emit CellsChanged();
  emit SelectionChanged();
}

}  // namespace tarquel::window
