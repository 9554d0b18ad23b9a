#include "host/xlsx/comments_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string_view>
#include <vector>

#include "host/address.h"
#include "host/host_error.h"
#include "host/xlsx/sheet_codec.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// The text of a comment: every <t> of its runs, in order.
std::string PlainText(const pugi::xml_node& text) {
  std::string plain;
  for (pugi::xml_node node : text.children()) {
    const std::string name = node.name();
    if (name == "t") plain += node.text().get();
    if (name == "r") plain += node.child("t").text().get();
  }
  return plain;
}

// Whether the text has runs with their own formatting, written in the main namespace without
// prefixes, so that the element can be written back as it came.
bool HasRunsToKeep(const pugi::xml_node& text) {
  bool runs = false;
  for (pugi::xml_node node : text.children("r")) runs = runs || node.child("rPr");
  const pugi::xml_node prefixed = text.find_node([](const pugi::xml_node& node) {
    return node.type() == pugi::node_element &&
           std::string_view(node.name()).find(':') != std::string_view::npos;
  });
  return runs && !prefixed;
}

// The namespaces of the prefixes new shapes are written with.
constexpr std::pair<const char*, const char*> kVmlPrefixes[] = {
    {"v", "urn:schemas-microsoft-com:vml"},
    {"o", "urn:schemas-microsoft-com:office:office"},
    {"x", "urn:schemas-microsoft-com:office:excel"},
};

// The text box type that new shapes refer to.
constexpr char kTextBoxTypeId[] = "_x0000_t202";
constexpr char kTextBoxType[] =
    "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" "
    "path=\"m,l,21600r21600,l21600,xe\">"
    "<v:stroke joinstyle=\"miter\"/><v:path gradientshapeok=\"t\" "
    "o:connecttype=\"rect\"/></v:shapetype>";

// --- Reading VML by hand ---------------------------------------------------------------------
// A drawing is scanned rather than parsed: producers write VML that is not always well-formed
// XML (unquoted attributes, unclosed <br>), and only a few facts of each shape matter. Producers
// differ in the prefixes they bind the VML and ClientData namespaces to (v: and x:, ns0:, none).

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The name of the element whose start tag begins at `at` (its '<').
std::string_view ElementName(std::string_view text, std::size_t at) {
  std::size_t end = at + 1;
  while (end < text.size() && IsNameChar(text[end])) ++end;
  return text.substr(at + 1, end - at - 1);
}

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// The offset of the '<' of the next element called `local` (with any prefix or none) from
// `from`; npos when there is none.
std::size_t FindElement(std::string_view text, std::string_view local, std::size_t from = 0) {
  for (std::size_t at = text.find('<', from); at != std::string_view::npos;
       at = text.find('<', at + 1)) {
    if (LocalName(ElementName(text, at)) == local) return at;
  }
  return std::string_view::npos;
}

// The offset of the '>' that ends the start tag beginning at `at`, past quoted values; npos when
// the tag is not closed.
std::size_t TagEnd(std::string_view text, std::size_t at) {
  char quote = 0;
  for (std::size_t i = at + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return i;
    }
  }
  return std::string_view::npos;
}

// The value of the attribute `name` of a start tag (from its '<' to its '>'); nullopt when it
// has none. Unquoted values run to the next space.
std::optional<std::string_view> Attribute(std::string_view tag, std::string_view name) {
  std::size_t i = 1 + ElementName(tag, 0).size();
  while (i < tag.size()) {
    while (i < tag.size() && (IsSpace(tag[i]) || tag[i] == '/')) ++i;
    const std::size_t name_begin = i;
    while (i < tag.size() && IsNameChar(tag[i])) ++i;
    const std::string_view found = tag.substr(name_begin, i - name_begin);
    if (found.empty()) return std::nullopt;  // the '>' or something unreadable
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    if (i == tag.size() || tag[i] != '=') continue;  // an attribute without a value
    ++i;
    while (i < tag.size() && IsSpace(tag[i])) ++i;
    std::size_t value_begin = i;
    std::size_t value_end;
    if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
      value_begin = i + 1;
      value_end = tag.find(tag[i], value_begin);
      if (value_end == std::string_view::npos) return std::nullopt;
      i = value_end + 1;
    } else {
      while (i < tag.size() && !IsSpace(tag[i]) && tag[i] != '>') ++i;
      value_end = i;
    }
    if (found == name) return tag.substr(value_begin, value_end - value_begin);
  }
  return std::nullopt;
}

// The start tag of the first element called `local` in `text`.
std::optional<std::string_view> StartTag(std::string_view text, std::string_view local) {
  const std::size_t at = FindElement(text, local);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t end = TagEnd(text, at);
  if (end == std::string_view::npos) return std::nullopt;
  return text.substr(at, end - at + 1);
}

// The text of the first element called `local`: what lies between its start tag and the next
// tag.
std::optional<std::string_view> ElementText(std::string_view text, std::string_view local) {
  const std::size_t at = FindElement(text, local);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t end = TagEnd(text, at);
  if (end == std::string_view::npos || text[end - 1] == '/') return std::nullopt;
  const std::size_t next = text.find('<', end + 1);
  return text.substr(end + 1, (next == std::string_view::npos ? text.size() : next) - end - 1);
}

// A 0-based row or column of a shape's client data.
std::optional<int32_t> Index(std::optional<std::string_view> text) {
  if (!text) return std::nullopt;
  const std::string_view digits = Trimmed(*text);
  if (digits.empty() || digits.size() > 7) return std::nullopt;
  int32_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// A length of a shape's style in points; nullopt for a unit other than pt, px, in, cm, mm or
// what is not a number.
std::optional<double> Points(std::string_view length) {
  const std::string text(Trimmed(length));
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || !std::isfinite(value) || value <= 0) return std::nullopt;
  const std::string_view unit = Trimmed(std::string_view(end));
  if (unit == "pt") return value;
  if (unit == "px") return value * 0.75;  // 96 pixels to the inch
  if (unit == "in") return value * 72;
  if (unit == "cm") return value * 72 / 2.54;
  if (unit == "mm") return value * 72 / 25.4;
  return std::nullopt;
}

// The value of `key` in a style attribute ("position:absolute;width:108pt;...").
std::optional<std::string_view> StyleValue(std::string_view style, std::string_view key) {
  while (!style.empty()) {
    const std::size_t semicolon = style.find(';');
    const std::string_view item = style.substr(0, semicolon);
    const std::size_t colon = item.find(':');
    if (colon != std::string_view::npos && Trimmed(item.substr(0, colon)) == key) {
      return Trimmed(item.substr(colon + 1));
    }
    if (semicolon == std::string_view::npos) break;
    style.remove_prefix(semicolon + 1);
  }
  return std::nullopt;
}

// Where a shape element lies in a drawing.
struct ShapeSpan {
  std::size_t begin = 0;  // its '<'
  std::size_t body = 0;   // just after its start tag
  std::size_t close = 0;  // the '<' of its end tag
  std::size_t end = 0;    // just after its end tag
};

// The next shape element with content from `from`; nullopt when there is none, or when it is not
// closed (what follows is then the drawing's text).
std::optional<ShapeSpan> NextShape(std::string_view vml, std::size_t from) {
  for (std::size_t at = FindElement(vml, "shape", from); at != std::string_view::npos;
       at = FindElement(vml, "shape", at + 1)) {
    const std::size_t tag_end = TagEnd(vml, at);
    if (tag_end == std::string_view::npos) return std::nullopt;
    if (vml[tag_end - 1] == '/') continue;  // an empty shape holds no comment
    const std::string closing = "</" + std::string(ElementName(vml, at));
    for (std::size_t close = vml.find(closing, tag_end); close != std::string_view::npos;
         close = vml.find(closing, close + 1)) {
      std::size_t after = close + closing.size();
      while (after < vml.size() && IsSpace(vml[after])) ++after;
      if (after < vml.size() && vml[after] == '>')
        return ShapeSpan{at, tag_end + 1, close, after + 1};
    }
    return std::nullopt;
  }
  return std::nullopt;
}

// The number after the highest "_x0000_s" of the drawing, the form of shape ids.
int NextShapeId(std::string_view vml) {
  constexpr std::string_view kIdPrefix = "_x0000_s";
  int highest = 1024;
  for (std::size_t at = vml.find(kIdPrefix); at != std::string_view::npos;
       at = vml.find(kIdPrefix, at + 1)) {
    int id = 0;
    std::size_t i = at + kIdPrefix.size();
    for (int digits = 0; i < vml.size() && vml[i] >= '0' && vml[i] <= '9' && digits < 9;
         ++i, ++digits) {
      id = id * 10 + (vml[i] - '0');
    }
    highest = std::max(highest, id);
  }
  return highest + 1;
}

// --- Writing ---------------------------------------------------------------------------------

void AppendNewShape(const std::pair<int32_t, int32_t>& position, const Comment& comment, int id,
                    std::string* out) {
  const int row = position.first - 1;
  const int column = position.second - 1;
  // The anchor: from one column right of the cell, a little above it, as wide and tall as
  // the box in default-sized columns (48 pt) and rows (15 pt).
  const int columns = std::max(1, static_cast<int>(std::ceil(comment.width / 48)));
  const int rows = std::max(1, static_cast<int>(std::ceil(comment.height / 15)));
  const int top = std::max(0, row - 1);
  std::ostringstream vml;
  vml << "<v:shape id=\"_x0000_s" << id << "\" type=\"#" << kTextBoxTypeId
      << "\" style=\"position:absolute;"
      << "margin-left:" << NumberForFile((column + 1) * 48.0 + 11)
      << "pt;margin-top:" << NumberForFile(top * 15.0 + 2)
      << "pt;width:" << NumberForFile(comment.width)
      << "pt;height:" << NumberForFile(comment.height) << "pt;z-index:" << (id - 1024)
      << ";visibility:" << (comment.visible ? "visible" : "hidden")
      << "\" fillcolor=\"#ffffe1\" o:insetmode=\"auto\"><v:fill color2=\"#ffffe1\"/>"
      << "<v:shadow on=\"t\" color=\"black\" obscured=\"t\"/><v:path o:connecttype=\"none\"/>"
      << "<v:textbox style=\"mso-direction-alt:auto\"><div "
         "style=\"text-align:left\"></div></v:textbox>"
      << "<x:ClientData ObjectType=\"Note\"><x:MoveWithCells/><x:SizeWithCells/>"
      << "<x:Anchor>" << column + 1 << ", 15, " << top << ", 10, " << column + 1 + columns
      << ", 15, " << top + rows << ", 4</x:Anchor><x:AutoFill>False</x:AutoFill>"
      << "<x:Row>" << row << "</x:Row><x:Column>" << column << "</x:Column>"
      << (comment.visible ? "<x:Visible/>" : "") << "</x:ClientData></v:shape>";
  *out += vml.str();
}

std::string NewDrawing(const CommentMap& comments) {
  std::string vml = "<xml";
  for (const auto& [prefix, uri] : kVmlPrefixes) {
    vml += std::string(" xmlns:") + prefix + "=\"" + uri + "\"";
  }
  vml += "><o:shapelayout v:ext=\"edit\"><o:idmap v:ext=\"edit\" data=\"1\"/></o:shapelayout>";
  vml += kTextBoxType;
  int id = 1025;
  for (const auto& entry : comments) AppendNewShape(entry.first, entry.second, id++, &vml);
  return vml + "</xml>";
}

// Makes the root element of a drawing's first text declare the prefixes new shapes are written
// with; false when it binds one of them to another namespace.
bool DeclarePrefixes(std::string& head) {
  std::size_t root = head.find('<');
  while (root != std::string::npos && ElementName(head, root).empty()) {
    root = head.find('<', root + 1);  // <?xml ...?>, a comment
  }
  if (root == std::string::npos) return false;
  const std::size_t end = TagEnd(head, root);
  if (end == std::string::npos) return false;
  const std::string_view tag = std::string_view(head).substr(root, end - root + 1);
  std::string missing;
  for (const auto& [prefix, uri] : kVmlPrefixes) {
    const auto bound = Attribute(tag, std::string("xmlns:") + prefix);
    if (bound && *bound != uri) return false;
    if (!bound) missing += std::string(" xmlns:") + prefix + "=\"" + uri + "\"";
  }
  head.insert(end, missing);
  return true;
}

// Whether the comment's box is as its shape drew it.
bool DrawnAsRead(const Comment& comment, const FileCommentShape& shape) {
  return comment.width == shape.width && comment.height == shape.height &&
         comment.visible == shape.visible;
}

bool HasTextBoxType(const CommentDrawing& drawing) {
  for (const std::string& text : drawing.texts) {
    for (std::size_t at = FindElement(text, "shapetype"); at != std::string::npos;
         at = FindElement(text, "shapetype", at + 1)) {
      const std::size_t end = TagEnd(text, at);
      if (end == std::string::npos) break;
      if (Attribute(std::string_view(text).substr(at, end - at + 1), "id") == kTextBoxTypeId) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

CommentMap ReadComments(const pugi::xml_document& doc, const std::string& part) {
  CommentMap comments;
  const pugi::xml_node root = doc.child("comments");
  std::vector<std::string> authors;
  for (pugi::xml_node author : root.child("authors").children("author"))
    authors.push_back(author.text().get());
  for (pugi::xml_node comment : root.child("commentList").children("comment")) {
    auto rect = ParseA1Reference(comment.attribute("ref").value(), kMaxFileRows, kMaxFileColumns);
    if (!rect || rect->size() != 1) {
      throw HostError(HostError::kApplicationDefined, "コメント（" + part + "）のセル「" +
                                                          comment.attribute("ref").value() +
                                                          "」が正しくありません。");
    }
    Comment entry;
    const pugi::xml_node text = comment.child("text");
    entry.text = PlainText(text);
    if (HasRunsToKeep(text)) {
      std::string xml;
      AppendXml(text, &xml);
      entry.file_text = std::make_shared<const FileCommentText>(FileCommentText{entry.text, xml});
    }
    const uint32_t author = comment.attribute("authorId").as_uint(0);
    if (author < authors.size()) entry.author = authors[author];
    comments[{rect->front().first_row, rect->front().first_column}] = entry;
  }
  return comments;
}

std::optional<CommentDrawing> ReadCommentShapes(const std::string& vml, CommentMap& comments) {
  const std::string_view text(vml);
  CommentDrawing drawing;
  std::size_t text_begin = 0;
  for (auto span = NextShape(text, 0); span; span = NextShape(text, span->end)) {
    const std::string_view body = text.substr(span->body, span->close - span->body);
    // Only a note's shape is a comment's box; other shapes (buttons, pictures) and a note that
    // names no cell stay in the drawing's text.
    const auto data = StartTag(body, "ClientData");
    if (!data || Attribute(*data, "ObjectType") != "Note") continue;
    const auto row = Index(ElementText(body, "Row"));
    const auto column = Index(ElementText(body, "Column"));
    if (!row || !column) continue;
    auto shape = std::make_shared<FileCommentShape>();
    shape->xml = text.substr(span->begin, span->end - span->begin);
    shape->row = *row + 1;
    shape->column = *column + 1;
    // A second shape for the same cell is one the spreadsheet program would not show either.
    auto found = comments.find({shape->row, shape->column});
    if (found != comments.end() && !found->second.file_shape) {
      Comment& comment = found->second;
      const std::string_view start_tag = text.substr(span->begin, span->body - span->begin);
      const std::string_view style = Attribute(start_tag, "style").value_or("");
      if (auto width = StyleValue(style, "width")) {
        comment.width = Points(*width).value_or(comment.width);
      }
      if (auto height = StyleValue(style, "height")) {
        comment.height = Points(*height).value_or(comment.height);
      }
      comment.visible = FindElement(body, "Visible") != std::string_view::npos;
      shape->width = comment.width;
      shape->height = comment.height;
      shape->visible = comment.visible;
      comment.file_shape = shape;
    }
    drawing.texts.emplace_back(text.substr(text_begin, span->begin - text_begin));
    drawing.shapes.push_back(std::move(shape));
    text_begin = span->end;
  }
  if (drawing.shapes.empty()) return std::nullopt;
  drawing.texts.emplace_back(text.substr(text_begin));
  drawing.next_shape_id = NextShapeId(text);
  return drawing;
}

void WriteComments(const CommentMap& comments, pugi::xml_document& doc) {
  pugi::xml_node root = doc.append_child("comments");
  root.append_attribute("xmlns") = kMainNamespace;
  std::vector<std::string> authors;
  auto author_id = [&](const std::string& author) {
    for (std::size_t i = 0; i < authors.size(); ++i) {
      if (authors[i] == author) return i;
    }
    authors.push_back(author);
    return authors.size() - 1;
  };
  for (const auto& [position, comment] : comments) author_id(comment.author);
  pugi::xml_node list = root.append_child("authors");
  for (const std::string& author : authors) list.append_child("author").text() = author.c_str();
  pugi::xml_node entries = root.append_child("commentList");
  for (const auto& [position, comment] : comments) {
    pugi::xml_node entry = entries.append_child("comment");
    entry.append_attribute("ref") =
        FormatAddress(CellRect::Cell(position.first, position.second), ReferenceStyle::kA1, false,
                      kMaxFileRows, kMaxFileColumns)
            .c_str();
    entry.append_attribute("authorId") = author_id(comment.author);
    if (comment.file_text && comment.file_text->plain == comment.text) {
      pugi::xml_document kept;
      if (kept.load_string(comment.file_text->xml.c_str(),
                           pugi::parse_default | pugi::parse_ws_pcdata)) {
        entry.append_copy(kept.first_child());
        continue;
      }
    }
    pugi::xml_node t = entry.append_child("text").append_child("t");
    t.append_attribute("xml:space") = "preserve";
    t.text() = comment.text.c_str();
  }
}

std::string WriteCommentShapes(const CommentMap& comments, const CommentDrawing* drawing) {
  if (drawing == nullptr || drawing->shapes.empty()) return NewDrawing(comments);
  using Entry = CommentMap::value_type;
  // Each shape of the drawing with the comment it still belongs to: the one at its cell that
  // was read with it (a comment re-added there, or pasted from elsewhere, is another's).
  const std::size_t count = drawing->shapes.size();
  std::vector<const Entry*> owners(count, nullptr);
  std::set<const Entry*> placed;  // comments with a shape of the drawing
  bool any_new = false;
  for (std::size_t i = 0; i < count; ++i) {
    const FileCommentShape& shape = *drawing->shapes[i];
    auto found = comments.find({shape.row, shape.column});
    if (found == comments.end() || found->second.file_shape.get() != &shape) continue;
    owners[i] = &*found;
    placed.insert(&*found);
    any_new = any_new || !DrawnAsRead(found->second, shape);
  }
  any_new = any_new || placed.size() < comments.size();

  std::string head = drawing->texts.front();
  if (any_new && !DeclarePrefixes(head)) return NewDrawing(comments);
  std::string vml = std::move(head);
  if (any_new && !HasTextBoxType(*drawing)) vml += kTextBoxType;
  int id = drawing->next_shape_id;
  for (std::size_t i = 0; i < count; ++i) {
    if (const Entry* owner = owners[i]) {
      const FileCommentShape& shape = *drawing->shapes[i];
      if (DrawnAsRead(owner->second, shape)) {
        vml += shape.xml;
      } else {
        AppendNewShape(owner->first, owner->second, id++, &vml);
      }
    }
    if (i + 1 == count) {
      for (const Entry& entry : comments) {
        if (!placed.contains(&entry)) {
          AppendNewShape(entry.first, entry.second, id++, &vml);
        }
      }
    }
    vml += drawing->texts[i + 1];
  }
  return vml;
}

}  // namespace tarquel::host::xlsx
