// Safe parsing of the XML parts of a package into pugixml documents, and writing them back. The
// xlsx reader and writer parse every part through ParseXml, never with pugixml directly, so that
// hostile input meets one gate: text that is not UTF-8, document type declarations (and with
// them entity expansion and external entities) and references to undefined entities are refused
// before pugixml sees the bytes, and what pugixml itself rejects is reported with its reason.
// Both functions are pure and safe to call from several threads on distinct documents.
#ifndef TARQUEL_HOST_XLSX_XML_DOCUMENT_H_
#define TARQUEL_HOST_XLSX_XML_DOCUMENT_H_

#include <pugixml.hpp>

#include <string>
#include <string_view>

namespace tarquel::host::xlsx {

// Parses `bytes`, the content of the part named `part_name`, into `doc`, replacing what it held.
// Whitespace-only text is kept (so <t xml:space="preserve"> </t> keeps its space), as are CDATA
// sections as such; the XML declaration, comments and processing instructions are dropped. The
// five predefined entities and character references are decoded.
//
// Names are made plain by namespace, whatever prefixes the part bound: elements of the
// SpreadsheetML, package relationships and content types namespaces (or of none) are unprefixed,
// with the root's namespace as the default one declared on the root; attributes of the office
// relationships namespace are r:name, with r declared on the root when they were under another
// prefix; an unprefixed element of another namespace gets a prefix (ns1, ns2 ... unused in the
// part) so that it is never taken for one of ours, and other prefixes stay. `doc` then writes
// back meaning what the part meant. A part declaring nothing that would change is not walked.
//
// Throws HostError (kApplicationDefined) naming the part and the byte offset from the start of
// `bytes`, and leaves `doc` untouched, when the bytes are not valid UTF-8 (a leading UTF-8 BOM is
// allowed) or hold a character XML does not allow (such as U+0001), contain a document type
// declaration, contain a '&' that does not start one of the
// five predefined entities or a character reference to a character XML allows, or are not
// well-formed XML in pugixml's judgement (whose reason the message gives), or when its root
// element belongs to another namespace than those above (a part of another format).
void ParseXml(std::string_view bytes, const std::string& part_name, pugi::xml_document& doc);

// The same, parsing `text` where it is, without a copy: `doc` then points into it, so `text`
// must outlive `doc` unchanged (its bytes are no longer the part's once parsed).
void ParseXmlInPlace(std::string& text, const std::string& part_name, pugi::xml_document& doc);

// `doc` as bytes: the declaration <?xml version="1.0" encoding="UTF-8" standalone="yes"?> and
// CR LF, then its nodes with no indentation and no BOM. A declaration node the document holds is
// replaced by that one. A carriage return in text is written as "&#13;" so that it reads back.
std::string SerializeXml(const pugi::xml_document& doc);

// The declaration SerializeXml starts with, CR LF included; writers that stream a part's text
// themselves start with it too.
inline constexpr std::string_view kXmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

// Appends `node` and its subtree to `out` as SerializeXml writes nodes.
void AppendXml(const pugi::xml_node& node, std::string* out);

// Appends `text` escaped for character data or for a double-quoted attribute value: '&', '<',
// '>' and '"' as entities, CR (and in attributes TAB and LF, which attribute-value
// normalisation would turn into spaces) as character references. REQUIRES: valid UTF-8 without
// characters XML does not allow.
void AppendEscaped(std::string_view text, std::string* out, bool attribute = false);

}  // namespace tarquel::host::xlsx

#endif  // TARQUEL_HOST_XLSX_XML_DOCUMENT_H_
