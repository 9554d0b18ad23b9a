// Reading the text of the selected cells for the kanji grade search: the displayed texts of the
// cells of the active sheet's selection, one after another. Only the kanji grade dialog calls
// it; it reads through the host and changes nothing.
#ifndef TARQUEL_KANJIGRADE_SELECTION_TEXT_H_
#define TARQUEL_KANJIGRADE_SELECTION_TEXT_H_

#include <optional>
#include <string>

namespace tarquel::host {
class Application;
}

namespace tarquel::kanjigrade {

// The text of `app`'s selection. A single cell gives the active cell's displayed text. One area
// of several cells is read as the rectangle its R1C1 address names (whole rows run to the last
// column, whole columns to the last row), row by row and left to right within a row, the
// displayed texts joined with nothing between them. Only the cells that hold something are
// visited, so whole columns cost what they hold. nullopt when the selection has several areas.
// A host failure (no workbook open) passes through as a run-time error.
std::optional<std::string> SelectionText(host::Application& app);

}  // namespace tarquel::kanjigrade

#endif  // TARQUEL_KANJIGRADE_SELECTION_TEXT_H_
