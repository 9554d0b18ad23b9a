// Border lines of a sheet's cells, as Range::Borders reaches them.
//
// Borders are lines between cells. Each cell keeps the edges it set itself (in its format); the
// line between two neighbours reads as the edge of whichever of them set it. Drawing a line
// through a cell makes that cell its owner and clears the neighbour's own edge on it, so that
// both read the same line; setting a line to none clears it for both. Inside lines of a range
// are the edges between its cells, named by the cell left of or above them.
//
// A paste gives each pasted cell the copy's whole format, its own edges with it, and leaves the
// cells around the target as they were: a line that a neighbour outside the target set stays,
// while one the pasted cell itself had set goes unless the copy brings it (clipboard.h).
#ifndef TARQUEL_HOST_BORDERS_H_
#define TARQUEL_HOST_BORDERS_H_

#include <optional>
#include <utility>
#include <vector>

#include "host/address.h"
#include "host/cell_format.h"

namespace tarquel::host {

class Range;
class Worksheet;

// Which line of a range Borders() reaches, numbered as in the host.
enum class BorderIndex {
  kDiagonalDown = 5,
  kDiagonalUp = 6,
  kEdgeLeft = 7,
  kEdgeTop = 8,
  kEdgeBottom = 9,
  kEdgeRight = 10,
  kInsideVertical = 11,
  kInsideHorizontal = 12,
};

// One kind of border line of a range (Range::Borders).
class Border {
 public:
  // The line style where all positions agree; nullopt when they differ.
  std::optional<host::LineStyle> LineStyle() const;
  std::optional<BorderWeight> Weight() const;
  std::optional<int> ColorIndex() const;
  // kNone removes the line for both cells that share it.
  void SetLineStyle(host::LineStyle style) const;
  // Giving a weight or colour to a missing line draws it continuous.
  void SetWeight(BorderWeight weight) const;
  void SetColorIndex(int index) const;

 private:
  friend class Range;
  Border(Worksheet& sheet, std::vector<CellRect> areas, BorderIndex index)
      : sheet_(&sheet), areas_(std::move(areas)), index_(index) {}

  Worksheet* sheet_;
  std::vector<CellRect> areas_;
  BorderIndex index_;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_BORDERS_H_
