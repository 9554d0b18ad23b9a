// Range is the host's handle on cells of one sheet: one or more rectangular areas. It is a
// light value (a sheet pointer and its areas) that commands create freely; it stays valid as
// long as its sheet exists. Reads answer for the first cell of the first area, as the host's
// do; writes apply to every cell of every area.
//
// Operations on huge areas (whole columns, "A1:U65536") touch only the cells that exist:
// formats set on whole rows or columns become the row's or column's format.
#ifndef TARQUEL_HOST_RANGE_H_
#define TARQUEL_HOST_RANGE_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/address.h"
#include "host/borders.h"
#include "host/cell_format.h"
#include "host/cell_value.h"

namespace tarquel::host {

class Worksheet;
class Characters;
class CommentAccess;
class FontAccess;
struct Comment;

// What RowHeight and ColumnWidth accept, both ends included; commands that check a value
// before handing it over ask these, so that they refuse exactly what the host would.
inline constexpr double kMinRowHeight = 0;
inline constexpr double kMaxRowHeight = 409;  // points
inline constexpr double kMinColumnWidth = 0;
inline constexpr double kMaxColumnWidth = 255;  // widths of the standard digit

// Text orientation as the host names it.
enum class Orientation { kHorizontal, kVertical, kUpward, kDownward };

// The host's automatic colour index.
inline constexpr int kColorIndexAutomatic = -4105;

// The host's colour index of a colour (Font.ColorIndex, Border.ColorIndex): kColorIndexAutomatic,
// a palette index 1..56, or 0 for a colour outside the palette.
int ColorIndexOf(const Color& color);
// The colour of a colour index; a run-time error for one that is neither kColorIndexAutomatic
// nor 1..56.
Color ColorOfIndex(int index);

class Range {
 public:
  // REQUIRES: `areas` not empty, inside the sheet.
  Range(Worksheet& sheet, CellRect area);
  Range(Worksheet& sheet, std::vector<CellRect> areas);

  Worksheet& sheet() const { return *sheet_; }
  std::vector<CellRect> Areas() const;
  int AreaCount() const { return 1 + static_cast<int>(more_.size()); }
  const CellRect& FirstArea() const { return first_; }

  // --- Geometry ---------------------------------------------------------------------------
  int32_t Row() const { return first_.first_row; }
  int32_t Column() const { return first_.first_column; }
  // Cells.Count over all areas; Rows.Count and Columns.Count of the first area.
  int64_t CellCount() const;
  int64_t RowCount() const { return first_.RowCount(); }
  int64_t ColumnCount() const { return first_.ColumnCount(); }
  // The cell at (row, column) counted from the first area's top-left (1, 1); may lie outside
  // the range, not outside the sheet (a run-time error).
  Range Cells(int32_t row, int32_t column) const;
  // The same shape moved; a run-time error when it leaves the sheet.
  Range Offset(int32_t rows, int32_t columns) const;
  Range EntireRow() const;
  Range EntireColumn() const;
  bool IsWholeRows() const;
  bool IsWholeColumns() const;
  // The host's Address: absolute A1 by default, or R1C1; areas joined by ",".
  std::string Address(ReferenceStyle style = ReferenceStyle::kA1, bool absolute = true) const;

  // --- Values -----------------------------------------------------------------------------
  // The first cell's value; empty for an empty cell. The reference stays valid until the
  // sheet changes.
  const CellValue& Value() const;
  void SetValue(const CellValue& value) const;
  // Stores a text as the host converts what is entered: a number when it reads as one (unless
  // the cell's format is text "@"), TRUE/FALSE as Booleans, otherwise the text.
  void SetValueFromText(std::string_view text) const;
  // The first cell's displayed text under its number format.
  std::string Text() const;
  bool HasFormula() const;
  // Empties values and formulas; formats, borders and comments stay. A run-time error, and no
  // change, when an area cuts through a merged area.
  void ClearContents() const;

  // --- Formats ----------------------------------------------------------------------------
  FontAccess Font() const;
  // 1-based `start`; `length` defaults to the rest of the text.
  host::Characters Characters(uint32_t start = 1,
                              std::optional<uint32_t> length = std::nullopt) const;
  host::HorizontalAlignment HorizontalAlignment() const;
  void SetHorizontalAlignment(host::HorizontalAlignment alignment) const;
  host::VerticalAlignment VerticalAlignment() const;
  void SetVerticalAlignment(host::VerticalAlignment alignment) const;
  host::Orientation Orientation() const;
  void SetOrientation(host::Orientation orientation) const;
  bool ShrinkToFit() const;
  void SetShrinkToFit(bool on) const;
  bool WrapText() const;
  void SetWrapText(bool on) const;
  bool AddIndent() const;
  void SetAddIndent(bool on) const;
  int IndentLevel() const;
  void SetIndentLevel(int level) const;  // 0..15; otherwise a run-time error
  std::string NumberFormat() const;
  void SetNumberFormat(const std::string& code) const;
  // The format code as a Japanese user sees it ("G/標準" for General).
  std::string NumberFormatLocal() const;
  void SetNumberFormatLocal(const std::string& code) const;
  // The whole format of the first cell.
  const CellFormat& Format() const;
  // Changes the format of every cell of the range with `change`.
  void ModifyFormat(const std::function<void(CellFormat&)>& change) const;

  host::Border Borders(BorderIndex index) const;

  // Height of the first row (points) and width of the first column (standard digit widths).
  double RowHeight() const;
  // kMinRowHeight to kMaxRowHeight points. Text must read as a number (a type mismatch
  // otherwise); a number out of range is a run-time error. Nothing changes on error.
  void SetRowHeight(double points) const;
  void SetRowHeight(std::string_view text) const;
  double ColumnWidth() const;
  // kMinColumnWidth to kMaxColumnWidth. Same rules as SetRowHeight.
  void SetColumnWidth(double width) const;
  void SetColumnWidth(std::string_view text) const;

  // True when the first cell is part of a merged area.
  bool MergeCells() const;
  // True merges each area: the area keeps the value of its first cell, in reading order, that
  // holds one, in its top-left cell; the others become empty. Merged areas that the area
  // touches are absorbed. False unmerges every merged area the range touches; values stay in
  // the top-left cells.
  void SetMergeCells(bool merge) const;
  void Merge() const { SetMergeCells(true); }
  void UnMerge() const { SetMergeCells(false); }
  // The merged area of the first cell, or the first cell itself.
  Range MergeArea() const;

  // --- Comments and phonetics -------------------------------------------------------------
  // Adds a comment to the first cell; a run-time error when it has one.
  CommentAccess AddComment(const std::string& text) const;
  std::optional<CommentAccess> Comment() const;
  void ClearComments() const;
  // Whether the phonetic guide of the first cell is shown; setting applies to all cells.
  bool PhoneticsVisible() const;
  void SetPhoneticsVisible(bool visible) const;
  // The phonetic runs of the first cell's text (empty for non-text values).
  std::vector<PhoneticRun> PhoneticRuns() const;
  // Replaces the phonetic runs of the first cell's text; a run-time error for a cell that
  // holds no text or runs that do not lie inside it in order.
  void SetPhoneticRuns(std::vector<PhoneticRun> runs) const;

  // --- Selection and clipboard ------------------------------------------------------------
  // Selects the range; a run-time error unless its sheet is the active sheet.
  void Select() const;
  // Makes the first cell the active cell, selecting it unless it is inside the selection.
  void Activate() const;
  // Puts a picture of the first area on the host clipboard (copy mode on).
  void Copy() const;

 private:
  friend class FontAccess;
  friend class Characters;

  template <typename Fn>
  void ForEachArea(Fn&& fn) const;
  void ModifyCellFonts(const std::function<void(host::Font&)>& change) const;
  void ModifyCharacterFonts(uint32_t start, uint32_t length,
                            const std::function<void(host::Font&)>& change) const;

  Worksheet* sheet_;
  CellRect first_;
  std::vector<CellRect> more_;  // further areas; empty for the usual single area
};

// The font of a range's cells (Range::Font) or of some of a text's characters
// (Characters::Font). Getters answer for the first cell; setters apply to all.
class FontAccess {
 public:
  std::string Name() const { return Get().name; }
  // The font is then that face, no longer the theme's font (see Modify).
  void SetName(const std::string& name) const;
  // "標準", "太字", "斜体" or "太字 斜体"; another name is a run-time error.
  std::string FontStyle() const { return FontStyleName(Get()); }
  void SetFontStyle(const std::string& style) const;
  double Size() const { return Get().size; }
  // 1 to 409 points; otherwise a run-time error.
  void SetSize(double points) const;
  bool Bold() const { return Get().bold; }
  void SetBold(bool on) const;
  bool Italic() const { return Get().italic; }
  void SetItalic(bool on) const;
  host::Underline Underline() const { return Get().underline; }
  void SetUnderline(host::Underline underline) const;
  bool Strikethrough() const { return Get().strikethrough; }
  void SetStrikethrough(bool on) const;
  bool Superscript() const { return Get().superscript; }
  void SetSuperscript(bool on) const;  // turns subscript off, as the host does
  bool Subscript() const { return Get().subscript; }
  void SetSubscript(bool on) const;  // turns superscript off
  bool OutlineFont() const { return Get().outline; }
  void SetOutlineFont(bool on) const;
  bool Shadow() const { return Get().shadow; }
  void SetShadow(bool on) const;
  // kColorIndexAutomatic or a palette index 1..56.
  int ColorIndex() const;
  void SetColorIndex(int index) const;
  host::Color Color() const { return Get().color; }
  void SetColor(host::Color color) const;

  // The whole font of the first cell (or first character).
  host::Font Get() const;
  // Changes the font of every cell (or of the characters) with `change`. A font that `change`
  // gives another name stops following the theme (its scheme is cleared), unless `change` set
  // the scheme too (a whole font copied). SetName always clears it.
  void Modify(const std::function<void(host::Font&)>& change) const;

 private:
  friend class Range;
  friend class Characters;
  FontAccess(Range range, std::optional<std::pair<uint32_t, uint32_t>> characters)
      : range_(std::move(range)), characters_(characters) {}

  Range range_;
  std::optional<std::pair<uint32_t, uint32_t>> characters_;  // 0-based start, length
};

// Some characters of the text of a range's cells, as the host's Characters(start, length):
// `start` is 1-based, both count UTF-16 units.
class Characters {
 public:
  // The characters' text of the first cell.
  std::string Text() const;
  FontAccess Font() const { return FontAccess(range_, std::make_pair(start_, length_)); }

 private:
  friend class Range;
  Characters(Range range, uint32_t start, uint32_t length)
      : range_(std::move(range)), start_(start), length_(length) {}

  Range range_;
  uint32_t start_;  // 0-based
  uint32_t length_;
};

// A cell's comment (Range::Comment, Range::AddComment).
class CommentAccess {
 public:
  std::string Text() const;
  void SetText(const std::string& text) const;
  double Width() const;
  double Height() const;
  // Scales the comment box from its current size, keeping its top-left corner.
  void ScaleWidth(double factor) const;
  void ScaleHeight(double factor) const;
  bool Visible() const;
  void SetVisible(bool visible) const;
  void Delete() const;
  int32_t row() const { return row_; }
  int32_t column() const { return column_; }

 private:
  friend class Range;
  friend class Worksheet;
  CommentAccess(Worksheet& sheet, int32_t row, int32_t column)
      : sheet_(&sheet), row_(row), column_(column) {}
  host::Comment& Get() const;

  Worksheet* sheet_;
  int32_t row_;
  int32_t column_;
};

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_RANGE_H_
