#include "host/xlsx/comments_codec.h"

#include <cmath>
#include <memory>
#include <optional>
#include <regex>
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

// A length of a shape's style in points; nullopt for a unit other than pt, px, in, cm, mm.
std::optional<double> Points(const std::string& number, const std::string& unit) {
  const double value = std::stod(number);
  if (unit == "pt") return value;
  if (unit == "px") return value * 0.75;  // 96 pixels to the inch
  if (unit == "in") return value * 72;
  if (unit == "cm") return value * 72 / 2.54;
  if (unit == "mm") return value * 72 / 25.4;
  return std::nullopt;
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

void ReadCommentShapes(const std::string& vml, CommentMap& comments) {
  // Shapes are read with patterns, not an XML parser: producers write VML that is not always
  // well-formed XML, and only a few facts of each shape matter here. Producers differ in the
  // prefixes they bind the VML and ClientData namespaces to (v: and x:, or ns0: ...) and in the
  // units of the box's size.
  static const std::regex kShape(R"(<([A-Za-z_][\w.-]*):shape\b([^>]*)>([\s\S]*?)</\1:shape>)");
  static const std::regex kRow(R"(<(?:[\w.-]+:)?Row>\s*(\d{1,9})\s*</(?:[\w.-]+:)?Row>)");
  static const std::regex kColumn(R"(<(?:[\w.-]+:)?Column>\s*(\d{1,9})\s*</(?:[\w.-]+:)?Column>)");
  static const std::regex kVisible(R"(<(?:[\w.-]+:)?Visible\b)");
  static const std::regex kWidth(R"((?:^|[;"\s])width:\s*(\d{1,9}(?:\.\d{0,9})?)\s*([a-z]*))");
  static const std::regex kHeight(R"((?:^|[;"\s])height:\s*(\d{1,9}(?:\.\d{0,9})?)\s*([a-z]*))");
  for (auto it = std::sregex_iterator(vml.begin(), vml.end(), kShape); it != std::sregex_iterator();
       ++it) {
    const std::string attributes = (*it)[2];
    const std::string body = (*it)[3];
    std::smatch row, column;
    if (!std::regex_search(body, row, kRow) || !std::regex_search(body, column, kColumn)) continue;
    auto found = comments.find({std::stoi(row[1]) + 1, std::stoi(column[1]) + 1});
    if (found == comments.end()) continue;
    std::smatch size;
    if (std::regex_search(attributes, size, kWidth)) {
      if (auto points = Points(size[1], size[2])) found->second.width = *points;
    }
    if (std::regex_search(attributes, size, kHeight)) {
      if (auto points = Points(size[1], size[2])) found->second.height = *points;
    }
    found->second.visible = std::regex_search(body, kVisible);
  }
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

std::string WriteCommentShapes(const CommentMap& comments) {
  std::ostringstream vml;
  vml << "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
         "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
         "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
         "<o:shapelayout v:ext=\"edit\"><o:idmap v:ext=\"edit\" data=\"1\"/></o:shapelayout>"
         "<v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\" "
         "path=\"m,l,21600r21600,l21600,xe\">"
         "<v:stroke joinstyle=\"miter\"/><v:path gradientshapeok=\"t\" "
         "o:connecttype=\"rect\"/></v:shapetype>";
  int id = 1025;
  for (const auto& [position, comment] : comments) {
    const int row = position.first - 1;
    const int column = position.second - 1;
    // The anchor: from one column right of the cell, a little above it, as wide and tall as
    // the box in default-sized columns (48 pt) and rows (15 pt).
    const int columns = std::max(1, static_cast<int>(std::ceil(comment.width / 48)));
    const int rows = std::max(1, static_cast<int>(std::ceil(comment.height / 15)));
    const int top = std::max(0, row - 1);
    const int shape = id++;
    vml << "<v:shape id=\"_x0000_s" << shape
        << "\" type=\"#_x0000_t202\" style=\"position:absolute;"
        << "margin-left:" << NumberForFile((column + 1) * 48.0 + 11)
        << "pt;margin-top:" << NumberForFile(top * 15.0 + 2)
        << "pt;width:" << NumberForFile(comment.width)
        << "pt;height:" << NumberForFile(comment.height) << "pt;z-index:" << (shape - 1024)
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
  }
  vml << "</xml>";
  return vml.str();
}

}  // namespace tarquel::host::xlsx
