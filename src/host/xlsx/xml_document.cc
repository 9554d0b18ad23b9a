#include "host/xlsx/xml_document.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "host/host_error.h"
#include "host/utf16.h"

namespace tarquel::host::xlsx {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Whitespace-only text is data in SpreadsheetML (<t xml:space="preserve"> </t>); parse_doctype
// stays off, though a declaration never gets that far.
constexpr unsigned int kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata;

[[noreturn]] void Refuse(const std::string& part, std::size_t offset, const std::string& what) {
  throw HostError(HostError::kApplicationDefined, "部品「" + part + "」" + what + "（先頭から " +
                                                      std::to_string(offset) + " バイトの位置）。");
}

bool IsXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// True when the eight bytes at `bytes` are all in 0x20..0x7F. A byte below 0x20 sets its high
// bit when 0x20 is taken from it; a borrow crossing into the next byte can only set more.
bool AllPrintableAscii(const char* bytes) {
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  constexpr uint64_t kSpaces = 0x2020202020202020u;
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return ((word | (word - kSpaces)) & kHighBits) == 0;
}

struct Finding {
  std::size_t offset;
  std::string what;
};

// The first byte that does not belong to a well-formed UTF-8 sequence (overlong forms,
// surrogates and code points beyond U+10FFFF included), or that starts a character XML does not
// allow: pugixml would take a raw control character and write it back as a reference that no
// XML reader, this one included, accepts.
std::optional<Finding> FirstBadCharacter(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    // Most of a sheet part is printable ASCII, which needs no check: eight bytes at a time.
    while (text.size() - i >= 8 && AllPrintableAscii(text.data() + i)) i += 8;
    if (i == text.size()) break;
    const std::size_t at = i;
    const std::optional<char32_t> decoded = DecodeUtf8Strict(text, &i);
    if (!decoded) return Finding{i, "は UTF-8 として正しくないバイトを含みます"};
    const uint32_t code = *decoded;
    if (!IsXmlChar(code)) {
      char shown[16];
      std::snprintf(shown, sizeof shown, "U+%04X", static_cast<unsigned>(code));
      return Finding{at, std::string("は XML で使えない文字（") + shown + "）を含みます"};
    }
  }
  return std::nullopt;
}

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length of the reference that starts with the '&' at `at`, ';' included, or 0 when it is
// not one of the five predefined entities or a character reference to an allowed character.
// pugixml would keep "&foo;" as text (written back as "&amp;foo;", a different document) and
// decode "&#0;" to a NUL that cuts the text short, so both are refused here.
std::size_t ReferenceLength(std::string_view text, std::size_t at) {
  for (std::string_view entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
    if (text.substr(at, entity.size()) == entity) return entity.size();
  }
  if (text.substr(at, 2) != "&#") return 0;
  std::size_t i = at + 2;
  const bool hex = i < text.size() && text[i] == 'x';
  if (hex) ++i;
  const std::size_t first_digit = i;
  uint32_t value = 0;
  for (int digit; i < text.size() && (digit = DigitValue(text[i], hex)) >= 0; ++i) {
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    if (value > 0x10FFFF) return 0;
  }
  if (i == first_digit || i >= text.size() || text[i] != ';' || !IsXmlChar(value)) return 0;
  return i + 1 - at;
}

Finding BadReference(std::string_view text, std::size_t at) {
  // Show the reference when it is short and plain, so the message cannot be flooded.
  const std::size_t end = text.find(';', at);
  if (end != std::string_view::npos && end - at <= 32) {
    const std::string_view shown = text.substr(at, end + 1 - at);
    bool plain = true;
    for (char c : shown.substr(1, shown.size() - 2)) {
      plain = plain && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                        (c >= 'A' && c <= 'Z') || c == '#' || c == '_' || c == '-' || c == '.');
    }
    if (plain) return {at, "の XML に使えない参照「" + std::string(shown) + "」があります"};
  }
  return {at, "の XML に参照になっていない「&」があります"};
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (std::size_t k = 0; k < prefix.size(); ++k) {
    char c = text[at + k];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != prefix[k]) return false;
  }
  return true;
}

// Finds a document type declaration or a bad reference in `text`, knowing just enough of XML's
// lexical structure to skip comments, CDATA sections and processing instructions (where neither
// means anything) and to see references inside attribute values. Constructs left open are left
// for pugixml to report.
std::optional<Finding> ScanMarkup(std::string_view text) {
  const auto skip_past = [&](std::size_t from, std::string_view end) {
    const std::size_t found = text.find(end, from);
    return found == std::string_view::npos ? text.size() : found + end.size();
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '&') {
      const std::size_t length = ReferenceLength(text, i);
      if (length == 0) return BadReference(text, i);
      i += length;
    } else if (c != '<') {
      // Text: on to the next markup or reference.
      const std::size_t next = text.find_first_of("<&", i);
      i = next == std::string_view::npos ? text.size() : next;
    } else if (text.substr(i, 4) == "<!--") {
      i = skip_past(i + 4, "-->");
    } else if (text.substr(i, 9) == "<![CDATA[") {
      i = skip_past(i + 9, "]]>");
    } else if (text.substr(i, 2) == "<?") {
      i = skip_past(i + 2, "?>");
    } else if (StartsWithNoCase(text, i, "<!DOCTYPE")) {
      return Finding{i, "は文書型宣言（<!DOCTYPE>）を含むため、安全のため読み込みません"};
    } else {
      // A tag: up to its '>', with quoted attribute values taken whole.
      for (++i; i < text.size() && text[i] != '>';) {
        const char quote = text[i++];
        if (quote != '"' && quote != '\'') continue;
        while (i < text.size() && text[i] != quote) {
          if (text[i] != '&') {
            ++i;
            continue;
          }
          const std::size_t length = ReferenceLength(text, i);
          if (length == 0) return BadReference(text, i);
          i += length;
        }
        if (i < text.size()) ++i;
      }
      if (i < text.size()) ++i;
    }
  }
  return std::nullopt;
}

// Appends what pugixml writes. A carriage return in text, which only a character reference can
// have put there, is written as one, since a raw CR would read back as a line feed.
class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string* out) : out_(out) {}
  void write(const void* data, std::size_t size) override {
    const std::string_view chunk(static_cast<const char*>(data), size);
    std::size_t start = 0;
    for (std::size_t cr; (cr = chunk.find('\r', start)) != std::string_view::npos; start = cr + 1) {
      out_->append(chunk.substr(start, cr - start));
      out_->append("&#13;");
    }
    out_->append(chunk.substr(start));
  }

 private:
  std::string* out_;
};

// --- Namespaces ------------------------------------------------------------------------------
// The readers match plain names ("worksheet", "c", r:id). Writers that bind the SpreadsheetML
// namespace to a prefix (<x:worksheet xmlns:x="...">) or the relationships namespace to another
// prefix than r mean the same elements, so the names are made plain here, once, by namespace:
// elements of the parts' own namespaces lose their prefix, attributes of the office
// relationships namespace take the prefix r, and an unprefixed element of another namespace
// gets a prefix so that no reader takes it for one of ours. The document then writes back with
// the root's default namespace and means what it meant.

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

constexpr std::string_view kMainNamespace =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr std::string_view kPackageRelationshipsNamespace =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::string_view kContentTypesNamespace =
    "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr std::string_view kOfficeRelationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// The namespaces whose elements the readers know by their plain names; no namespace at all
// counts too, as parts written without declarations have always been read.
bool IsOwnNamespace(std::string_view uri) {
  return uri.empty() || uri == kMainNamespace || uri == kPackageRelationshipsNamespace ||
         uri == kContentTypesNamespace;
}

// A name split at its colon; `qualified` is false for a name without one or one that is not a
// prefix and a local name (":a", "a:", "a:b:c"), which is left as it is.
struct QualifiedName {
  std::string_view prefix;
  std::string_view local;
  bool qualified = false;

  explicit QualifiedName(std::string_view name) : local(name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == name.size() ||
        name.find(':', colon + 1) != std::string_view::npos) {
      return;
    }
    // A local part that cannot start a name ("x:3a", which the parser lets through) is no
    // prefixed name either: without its prefix it would write back as XML that does not parse.
    const auto first = static_cast<unsigned char>(name[colon + 1]);
    if (!std::isalpha(first) && first != '_' && first < 0x80) return;
    prefix = name.substr(0, colon);
    local = name.substr(colon + 1);
    qualified = true;
  }
};

// The prefix an attribute name declares: "" for "xmlns", "p" for "xmlns:p"; nullopt when the
// attribute declares none.
std::optional<std::string_view> DeclaredPrefix(std::string_view name) {
  if (name == "xmlns") return std::string_view();
  if (!name.starts_with("xmlns:")) return std::nullopt;
  const QualifiedName qualified(name);
  if (!qualified.qualified) return std::nullopt;
  return qualified.local;
}

// What the namespace declarations in a part's text say, read before the parse (which may write
// over the text when it parses in place): whether one binds a prefix so that the normalising
// pass would change something, or cannot be read plainly, and the namespaces declared as the
// default one, which matter when they differ from the root's.
struct Declarations {
  bool others_matter = false;
  std::vector<std::string> default_namespaces;

  bool Matter(std::string_view root_namespace) const {
    if (others_matter) return true;
    for (const std::string& uri : default_namespaces) {
      if (uri != root_namespace) return true;
    }
    return false;
  }
};

// Notes the declaration at `at` in the text (an attribute name starting with "xmlns").
void NoteDeclaration(std::string_view text, std::size_t at, Declarations* found) {
  std::size_t i = at + 5;
  std::string_view prefix;
  if (i < text.size() && text[i] == ':') {
    const std::size_t start = ++i;
    while (i < text.size() && !IsSpace(text[i]) && text[i] != '=') ++i;
    prefix = text.substr(start, i - start);
    if (prefix.empty() || prefix.find(':') != std::string_view::npos) return;
  } else if (i < text.size() && !IsSpace(text[i]) && text[i] != '=') {
    return;  // another attribute ("xmlnsfoo"), not a declaration
  }
  const auto unreadable = [found] { found->others_matter = true; };
  while (i < text.size() && IsSpace(text[i])) ++i;
  if (i >= text.size() || text[i] != '=') return unreadable();
  for (++i; i < text.size() && IsSpace(text[i]);) ++i;
  if (i >= text.size() || (text[i] != '"' && text[i] != '\'')) return unreadable();
  const std::size_t end = text.find(text[i], i + 1);
  if (end == std::string_view::npos) return unreadable();
  const std::string_view uri = text.substr(i + 1, end - i - 1);
  if (uri.find('&') != std::string_view::npos) return unreadable();  // the parsed value may differ
  if (prefix.empty()) {
    if (std::find(found->default_namespaces.begin(), found->default_namespaces.end(), uri) ==
        found->default_namespaces.end()) {
      found->default_namespaces.emplace_back(uri);
    }
  } else if (prefix == "r"
                 ? uri != kOfficeRelationshipsNamespace
                 : (!uri.empty() && IsOwnNamespace(uri)) || uri == kOfficeRelationshipsNamespace) {
    found->others_matter = true;
  }
}

// The declarations of the text, found at the speed of memchr (a sheet's cells hold no 'x'). Text
// that only looks like a declaration can cost a walk, never a wrong name.
Declarations ScanDeclarations(std::string_view text) {
  Declarations found;
  for (std::size_t at = text.find("xmlns"); at != std::string_view::npos && !found.others_matter;
       at = text.find("xmlns", at + 5)) {
    if (at > 0 && IsSpace(text[at - 1])) NoteDeclaration(text, at, &found);
  }
  return found;
}

// A short, plain namespace name for a message, or "" when it is neither.
std::string Shown(std::string_view uri) {
  if (uri.size() > 100) return "";
  for (char c : uri) {
    if (c < 0x21 || c > 0x7E) return "";
  }
  return std::string(uri);
}

[[noreturn]] void RefuseRootNamespace(const std::string& part, std::size_t offset,
                                      std::string_view uri) {
  const std::string shown = Shown(uri);
  Refuse(part, offset,
         (shown.empty() ? std::string("は他の名前空間") : "は名前空間「" + shown + "」") +
             "の文書で、ブックの部品として読めません");
}

// The pass over the whole tree, for the parts that need it.
class NamespaceNormaliser {
 public:
  // `root_offset` is where the root element starts in the part, for a refusal of it.
  NamespaceNormaliser(pugi::xml_node root, const std::string& part, std::size_t root_offset)
      : root_(root), part_(part), root_offset_(root_offset) {}

  void Run() {
    std::vector<std::pair<pugi::xml_node, std::size_t>> open;  // elements and their marks
    open.emplace_back(root_, Enter(root_));
    pugi::xml_node next = root_.first_child();
    while (!open.empty()) {
      if (next) {
        if (next.type() == pugi::node_element) {
          open.emplace_back(next, Enter(next));
          next = next.first_child();
        } else {
          next = next.next_sibling();
        }
        continue;
      }
      const auto [element, mark] = open.back();
      open.pop_back();
      Leave(mark);
      if (!open.empty()) next = element.next_sibling();
    }
    if (renamed_to_r_ && !root_.attribute("xmlns:r")) {
      root_.append_attribute("xmlns:r") = std::string(kOfficeRelationshipsNamespace).c_str();
    }
  }

 private:
  struct Binding {
    std::string prefix;
    std::string uri;
    pugi::xml_node element;
    pugi::xml_attribute declaration;
    std::string written_prefix;  // the prefix it is written with when it cannot keep its own
    bool used = false;
  };

  // The binding in scope for `prefix`, or null when there is none ("xmlns:p=''" unbinds).
  Binding* Lookup(std::string_view prefix) {
    for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it) {
      if (it->prefix != prefix) continue;
      if (!prefix.empty() && it->uri.empty()) return nullptr;
      return &*it;
    }
    return nullptr;
  }

  // A prefix used nowhere in the document for `uri`, the same one for each use of it.
  const std::string& PrefixFor(const std::string& uri) {
    if (auto found = invented_.find(uri); found != invented_.end()) return found->second;
    if (taken_.empty()) CollectPrefixes();
    std::string prefix;
    for (std::size_t n = invented_.size() + 1;; ++n) {
      prefix = "ns" + std::to_string(n);
      if (taken_.insert(prefix).second) break;
    }
    return invented_.emplace(uri, prefix).first->second;
  }

  void CollectPrefixes() {
    taken_.insert("xml");
    taken_.insert("xmlns");
    taken_.insert("r");
    PrefixCollector collector;
    root_.traverse(collector);
    for (std::string& prefix : collector.prefixes) taken_.insert(std::move(prefix));
  }

  struct PrefixCollector : pugi::xml_tree_walker {
    std::vector<std::string> prefixes;
    bool for_each(pugi::xml_node& node) override {
      if (node.type() != pugi::node_element) return true;
      Note(node.name());
      for (pugi::xml_attribute attribute : node.attributes()) {
        Note(attribute.name());
        if (auto declared = DeclaredPrefix(attribute.name())) prefixes.emplace_back(*declared);
      }
      return true;
    }
    void Note(std::string_view name) {
      const QualifiedName qualified(name);
      if (qualified.qualified) prefixes.emplace_back(qualified.prefix);
    }
  };

  void Rename(pugi::xml_node element, std::string_view prefix, std::string_view local) {
    name_.clear();
    if (!prefix.empty()) name_.append(prefix).append(1, ':');
    name_.append(local);
    element.set_name(name_.c_str());
  }

  // Takes the declarations of `element` into scope, rewriting those that would otherwise mean
  // something else once names are plain, then renames the element and its attributes. Returns
  // where its bindings start, for Leave. Every element of a prefixed part comes here, so the
  // attributes are looked at once and most of them (r, s, t) only for a colon.
  std::size_t Enter(pugi::xml_node element) {
    const std::size_t mark = bindings_.size();
    qualified_.clear();
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
      const char* name = a.name();
      if (std::strncmp(name, "xmlns", 5) == 0) {
        if (auto prefix = DeclaredPrefix(name)) {
          bindings_.push_back({std::string(*prefix), a.value(), element, a, "", false});
          continue;
        }
      }
      if (std::strchr(name, ':') != nullptr) qualified_.push_back(a);
    }
    const bool is_root = element == root_;
    if (bindings_.size() > mark) Declare(element, mark, is_root);
    const char* element_name = element.name();
    Binding* binding = nullptr;
    if (std::strchr(element_name, ':') == nullptr) {
      binding = Lookup("");
      if (binding != nullptr && !IsOwnNamespace(binding->uri)) {
        binding->used = true;
        Rename(element, binding->written_prefix, element_name);
      }
    } else if (const QualifiedName name(element_name); name.qualified) {
      // An undeclared prefix gives no namespace to judge by, so the name stays.
      binding = Lookup(name.prefix);
      if (binding != nullptr && IsOwnNamespace(binding->uri)) {
        Rename(element, "", name.local);
      } else if (binding != nullptr) {
        binding->used = true;
        if (!binding->written_prefix.empty()) Rename(element, binding->written_prefix, name.local);
      }
    }
    if (is_root) {
      const std::string_view uri = binding ? std::string_view(binding->uri) : std::string_view();
      if (!IsOwnNamespace(uri)) RefuseRootNamespace(part_, root_offset_, uri);
      root_namespace_ = uri;
      if (!root_namespace_.empty()) element.prepend_attribute("xmlns") = root_namespace_.c_str();
    }
    if (!qualified_.empty()) RenameAttributes(element);
    return mark;
  }

  // The declarations of `element` from `mark` on: unprefixed names are ours in the written
  // document, so another namespace's default gets a prefix and one of ours is declared on the
  // root alone; r is kept for the relationships namespace.
  void Declare(pugi::xml_node element, std::size_t mark, bool is_root) {
    for (std::size_t k = mark; k < bindings_.size(); ++k) {
      Binding& binding = bindings_[k];
      const bool foreign = !IsOwnNamespace(binding.uri);
      if (binding.prefix.empty()) {
        if (foreign) {
          binding.written_prefix = PrefixFor(binding.uri);
          binding.declaration.set_name(("xmlns:" + binding.written_prefix).c_str());
        } else if (is_root || binding.uri != root_namespace_) {
          element.remove_attribute(binding.declaration);
          binding.declaration = pugi::xml_attribute();
        }
      } else if (binding.prefix == "r" && !binding.uri.empty() &&
                 binding.uri != kOfficeRelationshipsNamespace) {
        binding.written_prefix = PrefixFor(binding.uri);
        binding.declaration.set_name(("xmlns:" + binding.written_prefix).c_str());
      }
    }
  }

  // The prefixed attributes of an element. Those moving to r go after the others have taken
  // their names, so that one of another namespace that was called r:id cannot hide one that is.
  void RenameAttributes(pugi::xml_node element) {
    relationships_.clear();
    for (pugi::xml_attribute attribute : qualified_) {
      const QualifiedName name(attribute.name());
      if (!name.qualified || name.prefix == "xml") continue;
      Binding* binding = Lookup(name.prefix);
      if (binding == nullptr) continue;  // undeclared: left as it is (r:id as ever)
      if (binding->uri == kOfficeRelationshipsNamespace && name.prefix != "r") {
        relationships_.emplace_back(attribute, binding);
        continue;
      }
      binding->used = true;
      if (!binding->written_prefix.empty()) {
        attribute.set_name((binding->written_prefix + ":" + std::string(name.local)).c_str());
      }
    }
    for (auto [attribute, binding] : relationships_) {
      const std::string renamed = "r:" + std::string(QualifiedName(attribute.name()).local);
      if (element.attribute(renamed.c_str())) {
        binding->used = true;  // a duplicate keeps its prefix, and so its declaration
        continue;
      }
      attribute.set_name(renamed.c_str());
      renamed_to_r_ = true;
    }
  }

  // Drops the bindings of an element left; a declaration of one of our namespaces (or of the
  // relationships namespace under another prefix than r) that nothing kept using goes, so the
  // written part declares each namespace the way it is used.
  void Leave(std::size_t mark) {
    for (std::size_t k = mark; k < bindings_.size(); ++k) {
      Binding& binding = bindings_[k];
      if (binding.prefix.empty() || binding.used || !binding.declaration) continue;
      if ((!binding.uri.empty() && IsOwnNamespace(binding.uri)) ||
          (binding.uri == kOfficeRelationshipsNamespace && binding.prefix != "r")) {
        binding.element.remove_attribute(binding.declaration);
      }
    }
    bindings_.resize(mark);
  }

 private:
  pugi::xml_node root_;
  const std::string& part_;
  std::size_t root_offset_;
  std::string root_namespace_;
  std::vector<Binding> bindings_;
  std::map<std::string, std::string> invented_;
  std::set<std::string> taken_;  // prefixes in the document, once one has to be invented
  std::string name_;             // the new name of an element
  std::vector<pugi::xml_attribute> qualified_;
  std::vector<std::pair<pugi::xml_attribute, Binding*>> relationships_;
  bool renamed_to_r_ = false;
};

// Makes the names of `doc`, just parsed from a text whose declarations are `declarations`
// (`base` bytes into the part), plain as the readers expect. Most parts need nothing: their root
// is unprefixed and every declaration in the text declares a namespace the pass would leave
// alone, so the tree is walked only when one binds a prefix to one of our namespaces, rebinds
// the default namespace or takes r for another.
void NormaliseNamespaces(pugi::xml_document& doc, const Declarations& declarations,
                         const std::string& part, std::size_t base) {
  const pugi::xml_node root = doc.document_element();
  if (!root) return;
  const std::size_t root_offset =
      base + static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, root.offset_debug()));
  if (std::string_view(root.name()).find(':') == std::string_view::npos) {
    const std::string_view root_namespace = root.attribute("xmlns").value();
    if (!IsOwnNamespace(root_namespace)) RefuseRootNamespace(part, root_offset, root_namespace);
    if (!declarations.Matter(root_namespace)) return;
  }
  NamespaceNormaliser(root, part, root_offset).Run();
}

}  // namespace

namespace {

// ParseXml, parsing the bytes where they are when `in_place` is true (then `bytes` must be
// writable and outlive `doc`).
void Parse(std::string_view bytes, const std::string& part_name, pugi::xml_document& doc,
           bool in_place) {
  if (std::optional<Finding> bad = FirstBadCharacter(bytes)) {
    Refuse(part_name, bad->offset, bad->what);
  }
  const std::size_t base = bytes.starts_with(kBom) ? kBom.size() : 0;
  const std::string_view text = bytes.substr(base);
  if (std::optional<Finding> finding = ScanMarkup(text)) {
    Refuse(part_name, base + finding->offset, finding->what);
  }
  const Declarations declarations = ScanDeclarations(text);
  pugi::xml_document parsed;
  const pugi::xml_parse_result result =
      in_place && !text.empty()
          ? parsed.load_buffer_inplace(const_cast<char*>(text.data()), text.size(), kParseOptions,
                                       pugi::encoding_utf8)
          : parsed.load_buffer(text.empty() ? "" : text.data(), text.size(), kParseOptions,
                               pugi::encoding_utf8);
  if (!result) {
    Refuse(part_name, base + static_cast<std::size_t>(result.offset),
           std::string("の XML が正しくありません: ") + result.description());
  }
  NormaliseNamespaces(parsed, declarations, part_name, base);
  doc = std::move(parsed);
}

}  // namespace

void ParseXml(std::string_view bytes, const std::string& part_name, pugi::xml_document& doc) {
  Parse(bytes, part_name, doc, false);
}

void ParseXmlInPlace(std::string& text, const std::string& part_name, pugi::xml_document& doc) {
  Parse(text, part_name, doc, true);
}

std::string SerializeXml(const pugi::xml_document& doc) {
  std::string out(kXmlDeclaration);
  for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_declaration) AppendXml(node, &out);
  }
  return out;
}

void AppendXml(const pugi::xml_node& node, std::string* out) {
  StringWriter writer(out);
  node.print(writer, PUGIXML_TEXT(""), pugi::format_raw, pugi::encoding_utf8);
}

void AppendEscaped(std::string_view text, std::string* out, bool attribute) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* entity = nullptr;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      case '"':
        entity = attribute ? "&quot;" : nullptr;
        break;
      case '\r':
        entity = "&#13;";
        break;
      case '\n':
        entity = attribute ? "&#10;" : nullptr;
        break;
      case '\t':
        entity = attribute ? "&#9;" : nullptr;
        break;
      default:
        break;
    }
    if (entity == nullptr) continue;
    out->append(text.substr(start, i - start));
    out->append(entity);
    start = i + 1;
  }
  out->append(text.substr(start));
}

}  // namespace tarquel::host::xlsx
