// SheetGrid shows one worksheet as a spreadsheet does: row and column headers, the cells in
// view painted by the printer's cell drawing (so that screen and paper agree), the selection and
// the active cell, the comment indicator with the comment on hover. It reads only the cells in
// view, so a bank of 65,535 rows scrolls as easily as a short one.
//
// The selection is the sheet's own (Worksheet::selection and active_cell): the grid shows what
// the host holds and writes every change the user makes straight back, so a command always acts
// on what the user selected, and what a command selects is what the grid shows.
//
// Editing happens in place: typing starts an edit with what was typed, F2 or a double click
// edits what the cell holds, Enter stores it as the host converts typed text and moves down,
// Escape cancels, Delete clears the selection's contents. Typed values and cleared contents can
// be undone.
#ifndef TARQUEL_APP_WINDOW_SHEET_GRID_H_
#define TARQUEL_APP_WINDOW_SHEET_GRID_H_

#include <QAbstractScrollArea>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "host/address.h"
#include "host/cell_value.h"
#include "print/font_catalog.h"

class QLineEdit;

namespace tarquel::host {
class Worksheet;
}

namespace tarquel::window {

// One edit that can be undone: the values the cells held before it.
struct UndoStep {
  host::Worksheet* sheet = nullptr;
  std::vector<host::CellRect> selection;
  std::pair<int32_t, int32_t> active_cell;
  struct OldValue {
    int32_t row;
    int32_t column;
    host::CellValue value;  // empty when the cell held nothing
  };
  std::vector<OldValue> cells;
};

class SheetGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  // `fonts` must outlive the grid.
  SheetGrid(print::FontCatalog& fonts, QWidget* parent = nullptr);

  // The sheet shown, or none.
  void SetSheet(host::Worksheet* sheet);
  host::Worksheet* sheet() const { return sheet_; }

  // Shows what the host holds now: the sheet's selection, scrolled so that the active cell is in
  // view when it moved since the grid last showed it.
  void SyncFromHost();

  // The cell at a point of the viewport, or nullopt over nothing (beyond the last row).
  std::optional<std::pair<int32_t, int32_t>> CellAt(const QPoint& point) const;
  // Where the cell stands in the viewport, or an empty rectangle when it is not in view.
  QRect CellRectInView(int32_t row, int32_t column) const;
  int32_t top_row() const { return top_row_; }
  int32_t left_column() const { return left_column_; }
  // The rows (columns) that are at least partly in view, in order.
  const std::vector<int32_t>& rows_in_view() const { return rows_; }
  const std::vector<int32_t>& columns_in_view() const { return columns_; }
  // Scrolls so that the cell is in view.
  void ScrollTo(int32_t row, int32_t column);

  // Selects as the user would: one cell, extending the last area (shift) or adding one (ctrl).
  void SelectCell(int32_t row, int32_t column, bool extend, bool add);

  // Editing in place.
  bool editing() const { return editor_ != nullptr; }
  QLineEdit* editor() const { return editor_; }
  void StartEdit(const std::optional<QString>& typed);
  void CommitEdit();
  void CancelEdit();
  // Clears the contents of the selection (formats and comments stay).
  void ClearSelection();
  // The host clipboard.
  void CopySelection();
  void PasteAtSelection();
  bool CanUndo() const { return !undo_.empty(); }
  void Undo();
  void ForgetUndo() { undo_.clear(); }

  // The pixels a point of the sheet takes at the sheet's zoom.
  double PixelsPerPoint() const;

 signals:
  // The user changed the selection or a cell's value.
  void SelectionChanged();
  void CellsChanged();
  // A right click on a cell, at a global position, after the cell was selected.
  void ContextMenuRequested(const QPoint& global);
  // A host run-time error from an edit, for the window to show.
  void HostErrorRaised(const QString& message);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  bool viewportEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Header { kNone, kRow, kColumn, kCorner };

  // The rows and columns in view and where their edges stand, in points from the cells' corner.
  void LayOut();
  void UpdateScrollBars();
  double RowHeightPoints(int32_t row) const;
  double ColumnWidthPoints(int32_t column) const;
  Header HeaderAt(const QPoint& point) const;
  std::optional<int32_t> RowAt(int y) const;
  std::optional<int32_t> ColumnAt(int x) const;
  void SelectHeader(Header header, int32_t index, bool extend, bool add);
  // Moves the active cell by whole cells (or extends the selection from its anchor).
  void MoveBy(int32_t rows, int32_t columns, bool extend);
  void SetSelection(std::vector<host::CellRect> areas, std::pair<int32_t, int32_t> active);
  void PaintHeaders(QPainter& painter);
  void PaintSelection(QPainter& painter);
  void PaintCommentIndicators(QPainter& painter);
  std::pair<int32_t, int32_t> LastUsedCell() const;
  // Where Ctrl with an arrow goes from `from` in the direction `step`: the end of the block of
  // filled cells it is in, else the next filled cell, else the sheet's edge.
  std::pair<int32_t, int32_t> DataEdge(std::pair<int32_t, int32_t> from,
                                       std::pair<int32_t, int32_t> step) const;
  void Record(UndoStep step);
  // Whether `sheet` belongs to a workbook of the shown sheet's application still open.
  bool StillOpen(const host::Worksheet* sheet) const;

  print::FontCatalog& fonts_;
  host::Worksheet* sheet_ = nullptr;
  int digit_pixels_ = 7;
  int32_t top_row_ = 1;
  int32_t left_column_ = 1;
  std::vector<int32_t> rows_;
  std::vector<int32_t> columns_;
  std::vector<double> row_top_;  // points, one more than rows_
  std::vector<double> column_left_;
  int header_width_ = 44;
  int header_height_ = 20;
  // Where shift-selection extends from, and the corner it reached.
  std::pair<int32_t, int32_t> anchor_{1, 1};
  std::pair<int32_t, int32_t> extent_{1, 1};
  Header dragging_ = Header::kNone;
  bool dragging_cells_ = false;
  std::pair<int32_t, int32_t> shown_active_{0, 0};
  QLineEdit* editor_ = nullptr;
  std::pair<int32_t, int32_t> editing_cell_{1, 1};
  std::vector<UndoStep> undo_;
};

}  // namespace tarquel::window

#endif  // TARQUEL_APP_WINDOW_SHEET_GRID_H_
