// The shared string table part (xl/sharedStrings.xml) and the string items it is made of. An
// item (<si> in the table, <is> for a sheet's inline string) holds a text either whole in one
// <t> or in runs <r> with their own run properties, then the phonetic guide runs <rPh> and the
// guide's properties <phoneticPr>. Reading gives the host's Text; writing gives the item back.
// The workbook reader and writer call these; cells refer to the table's items by index.
//
// Texts inside <t> are kept exactly, and control characters travel as _xHHHH_ escapes (a
// literal "_xHHHH_" in a text has its underscore escaped as _x005F_). Positions of runs and
// phonetic runs count UTF-16 units, as the host counts characters.
#ifndef TARQUEL_HOST_XLSX_SHARED_STRINGS_H_
#define TARQUEL_HOST_XLSX_SHARED_STRINGS_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "host/cell_format.h"
#include "host/cell_value.h"
#include "host/xlsx/xml_pieces.h"

namespace tarquel::host::xlsx {

// The name of the part, as error messages give it.
inline constexpr char kSharedStringsPart[] = "xl/sharedStrings.xml";

// Gives the index in the style sheet's <fonts> of `font`, for the fontId of <phoneticPr>. The
// style sheet writer supplies it (StylesWriter::FontIndexOf) and may add the font to its list.
using StyleFontIndex = std::function<uint32_t(const Font&)>;

// Reads a string item <si> or inline string <is>. REQUIRES: the document was parsed with
// pugi::parse_ws_pcdata (with pugixml's default options, a <t> holding only spaces would lose
// them). Whitespace between elements is ignored.
//
// Each <r> becomes one FontRun, in order; a run with no <rPr> has no font (the cell's), and a run
// with empty text is left out. A <t> beside runs counts as a run without a font. The fontId of
// <phoneticPr> is looked up in `style_fonts` (the style sheet's fonts; null, or an index beyond
// it, leaves the guide's font absent); `phonetic_font_id`, when not null, receives the raw fontId
// (nullopt when the item has no <phoneticPr> or it gives none). An empty item is an empty text.
//
// Throws HostError (kApplicationDefined) naming the element and the problem for text outside a
// <t>, an item with neither <t> nor runs but other content, a run or phonetic run without <t>,
// phonetic runs whose sb/eb are missing, not numbers, empty, out of order or beyond the text, and
// text that is not UTF-8.
Text ReadStringItem(const pugi::xml_node& si_or_is, const std::vector<Font>* style_fonts,
                    std::optional<uint32_t>* phonetic_font_id = nullptr);

// Appends the children of the item for `text` to `out` (inside an <si> or <is>): <t> for a text
// without runs, otherwise one <r> per run (<rPr> only for a run with a font); then <rPh> for each
// phonetic run and <phoneticPr> when the text has phonetic properties. The guide's fontId comes
// from `font_index`; it is 0 (the workbook's default font) for a guide without a font or when
// `font_index` is empty. A <t> gets xml:space="preserve" when its text starts or ends with
// whitespace, or holds a line break or two spaces in a row.
//
// Whatever the runs say, all of the text is written: a stretch no run covers is written as a run
// without a font, and runs are cut to the text. Phonetic runs that are empty, overlap the one
// before or reach beyond the text are left out, so that what is written reads back.
// REQUIRES: text.text is valid UTF-8.
void WriteStringItem(const Text& text, std::string* out, const StyleFontIndex& font_index = {});

// The table a workbook writer fills as it writes text cells: each distinct text once, in the
// order first added. Texts are the same when their strings and their formatting are equal.
class SharedStringTable {
 public:
  // `font_index` resolves the fonts of phonetic guides when the table is written.
  explicit SharedStringTable(StyleFontIndex font_index = {});

  SharedStringTable(const SharedStringTable&) = delete;
  SharedStringTable& operator=(const SharedStringTable&) = delete;

  // The index of `text` in the table, adding it when it is new. Every call counts as a use.
  std::size_t Add(const Text& text);
  // The index of a text equal to `text`, counted as a use; nullopt, and no use, when the table
  // has none.
  std::optional<std::size_t> Find(const Text& text);

  // Starts the table with the items of the table a workbook was read from, each at its index
  // there, so that sheet parts written as they were read still refer to the right texts; what
  // Add adds comes after them. The items are referred to, not copied. REQUIRES: nothing has been
  // added yet, and `items` outlives the table.
  void KeepFileItems(const std::vector<Text>& items);
  // How many items KeepFileItems kept: when the table has no more, the file's part says it all.
  std::size_t file_items() const { return file_items_; }
  // Counts uses by cells that were not written through Add (parts copied as they were read).
  void CountUses(std::size_t count) { uses_ += count; }

  std::size_t size() const { return file_items_ + added_.size(); }
  // The item at `index`. REQUIRES: index < size().
  const Text& item(std::size_t index) const {
    return index < file_items_ ? (*file_)[index] : added_[index - file_items_];
  }
  // How many times Add was called, and Find found a text, with the uses counted by CountUses:
  // the number of cells that refer to the table.
  std::size_t count_of_uses() const { return uses_; }
  const StyleFontIndex& font_index() const { return font_index_; }

 private:
  // The slot holding a text equal to `text`, or the empty slot where it would go; makes room first.
  std::size_t SlotOf(const Text& text, std::size_t hash);
  // Spreads the items over `size` slots (a power of two).
  void Rehash(std::size_t size);
  void Append(const Text& text, std::size_t hash, std::size_t slot);

  StyleFontIndex font_index_;
  const std::vector<Text>* file_ = nullptr;  // the file's items, when kept
  std::vector<Text> added_;                  // after them
  // An open-addressing index: each slot holds an item's index + 1 (0: empty), at the place its
  // hash leads to or the next free one after. A table's texts number in the tens of thousands,
  // and a node per entry would cost more than the texts' own comparisons.
  std::vector<uint32_t> slots_;
  std::vector<std::size_t> hashes_;  // of the items, by index
  std::size_t uses_ = 0;
  std::size_t file_items_ = 0;
};

// Reads the parsed shared string table; the result's index is the cells' index. `style_fonts`
// as for ReadStringItem. The count attributes of <sst> are not trusted and not used. Throws
// HostError naming the part and the item's index for an item ReadStringItem refuses, and for a
// document whose root is not <sst>.
std::vector<Text> ReadSharedStrings(const pugi::xml_document& sst_doc,
                                    const std::vector<Font>* style_fonts);
// The same from the part's bytes, parsed a piece of items at a time (of about `piece_size`
// bytes) so that no DOM of the whole table is built; the errors are ParseXml's and those above.
std::vector<Text> ReadSharedStrings(std::string_view bytes, const std::string& part_name,
                                    const std::vector<Font>* style_fonts,
                                    std::size_t piece_size = XmlPieces::kPieceSize);

// The table's part: an XML declaration and <sst> with count (the uses) and uniqueCount (the
// items), one <si> per item.
std::string WriteSharedStrings(const SharedStringTable& table);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_SHARED_STRINGS_H_
