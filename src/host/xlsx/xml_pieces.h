// Reading a long list element in pieces. The big parts of a workbook are mostly one list of like
// elements: a sheet's <sheetData> of rows, the shared strings' <sst> of items. A DOM of the whole
// part takes several times the part's size; parsed a piece at a time, only one piece's DOM is
// alive at once.
//
// Each piece is parsed by ParseXml as a document of its own: the part's root start tag (with
// every namespace the file declared there), the list's start tag, a run of whole items and the
// closing tags. So a piece meets the same safety gate and namespace rules as the whole part, and
// the readers see the same names. The pieces are cut just before an item's start tag; a cut that
// falls anywhere but between two items of the list leaves an element open in a piece, which then
// does not parse, and the reader reads the part whole instead.
#ifndef TARQUEL_HOST_XLSX_XML_PIECES_H_
#define TARQUEL_HOST_XLSX_XML_PIECES_H_

#include <pugixml.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace tarquel::host::xlsx {

class XmlPieces {
 public:
  static constexpr std::size_t kPieceSize = std::size_t{1} << 19;

  // `list` is the local name of the list element: the root's own, or that of a child of the
  // root; `item` that of its items. `bytes` must outlive this.
  XmlPieces(std::string_view bytes, std::string part, std::string_view list, std::string_view item,
            std::size_t piece_size = kPieceSize);

  // Parses the part without the list's content into `frame`, the list element left empty. False,
  // with `frame` untouched, when the part is not laid out so that it can be cut (anything but
  // white space or a declaration before the root, a list element that is not where it should
  // be, or missing or empty) or when the rest of the part does not parse: the caller then
  // parses it whole, which also reports any fault where it is.
  bool ParseFrame(pugi::xml_document& frame);

  // The list element of the next piece, parsed into `piece` (which points into this object, so
  // it must not outlive it, and is reset by the next call); a null node after the last piece,
  // or when a piece does not parse (failed() then says so, and the caller reads the part whole).
  // REQUIRES: ParseFrame returned true.
  pugi::xml_node Next(pugi::xml_document& piece);
  bool failed() const { return failed_; }

 private:
  bool Locate();
  std::size_t NextCut(std::size_t from) const;

  std::string_view bytes_;
  std::string part_;
  std::string list_;
  std::string item_;
  std::size_t piece_size_;
  std::string_view root_tag_;      // "<x:worksheet xmlns:x=...>"
  std::string_view list_tag_;      // "<x:sheetData>", empty when the list is the root
  std::string closing_;            // "</x:sheetData></x:worksheet>"
  std::string item_open_;          // "<x:row"
  std::size_t list_position_ = 0;  // elements of the root before the list element
  std::size_t content_ = 0;        // where the list's content starts in bytes_
  std::size_t content_end_ = 0;    // where its end tag starts
  std::size_t next_ = 0;           // the next piece's start
  std::string text_;               // the piece being read, parsed in place and reused
  bool failed_ = false;
};

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_XML_PIECES_H_
