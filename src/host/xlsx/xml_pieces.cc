#include "host/xlsx/xml_pieces.h"

#include <utility>

#include "host/host_error.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kNone = std::string_view::npos;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::size_t SkipSpace(std::string_view text, std::size_t at) {
  while (at < text.size() && IsSpace(text[at])) ++at;
  return at;
}

// Where the tag starting at text[at] == '<' ends (just past its '>'), quoted values taken whole.
std::size_t TagEnd(std::string_view text, std::size_t at) {
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    if (text[i] == '"' || text[i] == '\'') {
      i = text.find(text[i], i + 1);
      if (i == kNone) return kNone;
    } else if (text[i] == '>') {
      return i + 1;
    }
  }
  return kNone;
}

std::string_view QualifiedName(std::string_view tag) {
  std::size_t end = 1;
  while (end < tag.size() && !IsSpace(tag[end]) && tag[end] != '/' && tag[end] != '>') ++end;
  return tag.substr(1, end - 1);
}

std::string_view LocalName(std::string_view qualified) {
  const std::size_t colon = qualified.find(':');
  return colon == kNone ? qualified : qualified.substr(colon + 1);
}

std::string_view PrefixOf(std::string_view qualified) {
  const std::size_t colon = qualified.find(':');
  return colon == kNone ? std::string_view() : qualified.substr(0, colon + 1);
}

bool SelfClosing(std::string_view tag) { return tag.size() >= 2 && tag[tag.size() - 2] == '/'; }

// Past the comment, CDATA section or processing instruction at text[at], or kNone.
std::size_t SkipSpecial(std::string_view text, std::size_t at) {
  for (const auto& [start, end] : {std::pair<std::string_view, std::string_view>{"<!--", "-->"},
                                   {"<![CDATA[", "]]>"},
                                   {"<?", "?>"}}) {
    if (text.substr(at, start.size()) == start) {
      const std::size_t found = text.find(end, at + start.size());
      return found == kNone ? kNone : found + end.size();
    }
  }
  return kNone;
}

}  // namespace

XmlPieces::XmlPieces(std::string_view bytes, std::string part, std::string_view list,
                     std::string_view item, std::size_t piece_size)
    : bytes_(bytes),
      part_(std::move(part)),
      list_(list),
      item_(item),
      piece_size_(piece_size == 0 ? 1 : piece_size) {}

// Finds the root's start tag and the list's start and end tags; also the position among the
// root's children the list element has, which the frame's parse then confirms by name.
bool XmlPieces::Locate() {
  std::size_t at = SkipSpace(bytes_, bytes_.starts_with(kBom) ? kBom.size() : 0);
  if (bytes_.substr(at, 5) == "<?xml") {
    at = bytes_.find("?>", at);
    if (at == kNone) return false;
    at = SkipSpace(bytes_, at + 2);
  }
  if (at + 1 >= bytes_.size() || bytes_[at] != '<' || bytes_[at + 1] == '!' ||
      bytes_[at + 1] == '?' || bytes_[at + 1] == '/') {
    return false;
  }
  const std::size_t root_end = TagEnd(bytes_, at);
  if (root_end == kNone) return false;
  root_tag_ = bytes_.substr(at, root_end - at);
  if (SelfClosing(root_tag_)) return false;
  const std::string_view root_name = QualifiedName(root_tag_);
  std::string_view list_name = root_name;
  content_ = root_end;
  list_position_ = 0;
  if (LocalName(root_name) != list_) {
    int depth = 0;
    for (std::size_t i = root_end;;) {
      i = bytes_.find('<', i);
      if (i == kNone) return false;
      if (bytes_.substr(i, 2) == "<!" || bytes_.substr(i, 2) == "<?") {
        i = SkipSpecial(bytes_, i);
        if (i == kNone) return false;
        continue;
      }
      const std::size_t end = TagEnd(bytes_, i);
      if (end == kNone) return false;
      const std::string_view tag = bytes_.substr(i, end - i);
      i = end;
      if (tag[1] == '/') {
        if (--depth < 0) return false;  // the root closed without the list
        continue;
      }
      if (depth == 0 && LocalName(QualifiedName(tag)) == list_) {
        if (SelfClosing(tag)) return false;
        list_tag_ = tag;
        list_name = QualifiedName(tag);
        content_ = end;
        break;
      }
      if (depth == 0) ++list_position_;
      if (!SelfClosing(tag)) ++depth;
    }
  }
  const std::string end_tag = "</" + std::string(list_name);
  for (std::size_t i = content_;; i += end_tag.size()) {
    i = bytes_.find(end_tag, i);
    if (i == kNone) return false;
    const std::size_t after = SkipSpace(bytes_, i + end_tag.size());
    if (after < bytes_.size() && bytes_[after] == '>') {
      content_end_ = i;
      break;
    }
  }
  closing_ = list_tag_.empty() ? "" : "</" + std::string(list_name) + ">";
  closing_ += "</" + std::string(root_name) + ">";
  item_open_ = "<" + std::string(PrefixOf(list_name)) + item_;
  return true;
}

bool XmlPieces::ParseFrame(pugi::xml_document& frame) {
  if (!Locate()) return false;
  std::string text(bytes_.substr(0, content_));
  text += bytes_.substr(content_end_);
  pugi::xml_document parsed;
  try {
    ParseXml(text, part_, parsed);
  } catch (const HostError&) {
    return false;
  }
  const pugi::xml_node root = parsed.document_element();
  pugi::xml_node list = root;
  if (!list_tag_.empty()) {
    list = root.find_child([](const pugi::xml_node& n) { return n.type() == pugi::node_element; });
    for (std::size_t k = 0; k < list_position_ && list; ++k) {
      list = list.next_sibling();
      while (list && list.type() != pugi::node_element) list = list.next_sibling();
    }
  }
  if (!list || list_ != list.name() || list.first_child()) return false;
  frame = std::move(parsed);
  next_ = content_;
  return true;
}

std::size_t XmlPieces::NextCut(std::size_t from) const {
  for (std::size_t at = from; at < content_end_; ++at) {
    at = bytes_.find(item_open_, at);
    if (at == kNone || at >= content_end_) break;
    const char after = bytes_[at + item_open_.size()];
    if (IsSpace(after) || after == '>' || after == '/') return at;
  }
  return content_end_;
}

pugi::xml_node XmlPieces::Next(pugi::xml_document& piece) {
  if (failed_ || next_ >= content_end_) return {};
  const std::size_t end = NextCut(next_ + piece_size_);
  // The last piece's document points into the buffer about to be filled again.
  piece.reset();
  text_.assign(root_tag_);
  text_ += list_tag_;
  text_ += bytes_.substr(next_, end - next_);
  text_ += closing_;
  next_ = end;
  try {
    ParseXmlInPlace(text_, part_, piece);
  } catch (const HostError&) {
    failed_ = true;
    return {};
  }
  pugi::xml_node list = piece.document_element();
  if (!list_tag_.empty()) list = list.child(list_.c_str());
  if (!list) failed_ = true;
  return list;
}

}  // namespace tarquel::host::xlsx
