#include "host/xlsx/comments_codec.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {
namespace {

constexpr char kRichComments[] =
    R"(<comments xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<authors><author>先生</author></authors><commentList>)"
    R"(<comment ref="D1" authorId="0"><text><r><rPr><b/><sz val="9"/></rPr><t>【重要項目】</t></r>)"
    R"(<r><rPr><sz val="9"/></rPr><t xml:space="preserve">
問題文を入力します。</t></r></text></comment>)"
    R"(<comment ref="E1" authorId="0"><text><t>答え</t></text></comment>)"
    R"(</commentList></comments>)";

CommentMap Read(const std::string& xml) {
  pugi::xml_document doc;
  ParseXml(xml, "xl/comments1.xml", doc);
  return ReadComments(doc, "xl/comments1.xml");
}

std::string Written(const CommentMap& comments) {
  pugi::xml_document doc;
  WriteComments(comments, doc);
  return SerializeXml(doc);
}

// Comments whose text has runs of its own formatting keep them while the text stays; once the
// text is changed it is written as the host holds it.
TEST(CommentsCodecTest, FormattedRunsStayWhileTheTextDoes) {
  CommentMap comments = Read(kRichComments);
  ASSERT_EQ(comments.size(), 2u);
  const Comment& rich = comments.at({1, 4});
  EXPECT_EQ(rich.text, "【重要項目】\n問題文を入力します。");
  EXPECT_EQ(rich.author, "先生");
  ASSERT_NE(rich.file_text, nullptr);
  EXPECT_EQ(comments.at({1, 5}).file_text, nullptr) << "a plain text has nothing to keep";

  const std::string kept = Written(comments);
  EXPECT_NE(kept.find("<r><rPr><b/><sz val=\"9\"/></rPr><t>【重要項目】</t></r>"),
            std::string::npos)
      << kept;
  EXPECT_EQ(Read(kept), comments) << "and it reads back the same";

  comments.at({1, 4}).text = "問題文";
  const std::string changed = Written(comments);
  EXPECT_EQ(changed.find("<b/>"), std::string::npos) << changed;
  EXPECT_EQ(Read(changed).at({1, 4}).text, "問題文");
}

// --- The comments' drawing --------------------------------------------------------------------

// A comment's shape the way the spreadsheet program writes it, line breaks inside the style
// attribute and all.
std::string NoteShape(int id, int row, int column, const std::string& look, bool visible) {
  return "<v:shape id=\"_x0000_s" + std::to_string(id) +
         "\" type=\"#_x0000_t202\" style='position:absolute;\r\n"
         "  margin-left:187pt;margin-top:1.5pt;width:108pt;height:59.25pt;z-index:" +
         std::to_string(id - 1024) + ";\r\n  visibility:" + (visible ? "visible" : "hidden") +
         "' " + look +
         " o:insetmode=\"auto\">\r\n"
         "  <v:fill color2=\"#ccffcc\"/>\r\n"
         "  <v:shadow on=\"t\" color=\"black\" obscured=\"t\"/>\r\n"
         "  <v:path o:connecttype=\"none\"/>\r\n"
         "  <v:textbox style='mso-direction-alt:auto'>\r\n"
         "   <div style='text-align:left'></div>\r\n"
         "  </v:textbox>\r\n"
         "  <x:ClientData ObjectType=\"Note\">\r\n"
         "   <x:MoveWithCells/>\r\n"
         "   <x:SizeWithCells/>\r\n"
         "   <x:Anchor>\r\n    " +
         std::to_string(column + 1) + ", 15, " + std::to_string(row) + ", 2, " +
         std::to_string(column + 3) + ", 15, " + std::to_string(row + 4) +
         ", 16</x:Anchor>\r\n"
         "   <x:AutoFill>False</x:AutoFill>\r\n"
         "   <x:Row>" +
         std::to_string(row) + "</x:Row>\r\n   <x:Column>" + std::to_string(column) +
         "</x:Column>\r\n" + (visible ? "   <x:Visible/>\r\n" : "") +
         "  </x:ClientData>\r\n </v:shape>";
}

constexpr char kDrawingHead[] =
    "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\"\r\n"
    " xmlns:o=\"urn:schemas-microsoft-com:office:office\"\r\n"
    " xmlns:x=\"urn:schemas-microsoft-com:office:excel\">\r\n"
    " <o:shapelayout v:ext=\"edit\">\r\n  <o:idmap v:ext=\"edit\" data=\"1\"/>\r\n"
    " </o:shapelayout><v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\"\r\n"
    "  path=\"m,l,21600r21600,l21600,xe\">\r\n  <v:stroke joinstyle=\"miter\"/>\r\n"
    "  <v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/>\r\n </v:shapetype>";

// A form button in the same drawing: not a comment, kept as it is.
constexpr char kButton[] =
    "<v:shape id=\"_x0000_s1028\" type=\"#_x0000_t201\" style='position:absolute;"
    "margin-left:400pt;margin-top:10pt;width:60pt;height:20pt;z-index:4'>"
    "<x:ClientData ObjectType=\"Button\"><x:Anchor>8, 0, 1, 0, 9, 0, 2, 0</x:Anchor>"
    "<x:FmlaMacro>[0]!M_START</x:FmlaMacro></x:ClientData></v:shape>";

// The 0-based row and column every note shape of a drawing names, in order.
std::vector<std::pair<int, int>> NoteCells(const std::string& vml) {
  static const std::regex kCell(R"(<x:Row>(\d+)</x:Row>\s*<x:Column>(\d+)</x:Column>)");
  std::vector<std::pair<int, int>> cells;
  for (auto it = std::sregex_iterator(vml.begin(), vml.end(), kCell); it != std::sregex_iterator();
       ++it) {
    cells.push_back({std::stoi((*it)[1]), std::stoi((*it)[2])});
  }
  return cells;
}

std::vector<std::string> ShapeIds(const std::string& vml) {
  static const std::regex kId(R"(<v:shape id="(_x0000_s\d+)\")");
  std::vector<std::string> ids;
  for (auto it = std::sregex_iterator(vml.begin(), vml.end(), kId); it != std::sregex_iterator();
       ++it) {
    ids.push_back((*it)[1]);
  }
  return ids;
}

class CommentDrawingTest : public testing::Test {
 protected:
  CommentDrawingTest() {
    shapes_ = {NoteShape(1025, 0, 3, "fillcolor=\"#ccffcc\" strokecolor=\"#3366ff\"", true),
               NoteShape(1026, 1, 4, "fillcolor=\"#ffffe1\"", false),
               NoteShape(1027, 2, 5, "fillcolor=\"#ffffe1\"", false)};
    vml_ = std::string(kDrawingHead) + shapes_[0] + shapes_[1] + kButton + shapes_[2] + "</xml>";
    for (const auto& [row, column] : {std::pair{1, 4}, {2, 5}, {3, 6}}) {
      Comment comment;
      comment.text = "注意";
      comment.author = "先生";
      comments_[{row, column}] = comment;
    }
  }

  std::vector<std::string> shapes_;  // D1 (shown, green), E2, F3
  std::string vml_;
  CommentMap comments_;
};

TEST_F(CommentDrawingTest, ShapesGiveTheBoxesTheirSizeAndVisibility) {
  const auto drawing = ReadCommentShapes(vml_, comments_);
  ASSERT_TRUE(drawing.has_value());
  EXPECT_EQ(drawing->next_shape_id, 1029) << "above the button's id too";
  for (const auto& [cell, comment] : comments_) {
    EXPECT_EQ(comment.width, 108);
    EXPECT_EQ(comment.height, 59.25);
    EXPECT_EQ(comment.visible, (cell == std::pair{1, 4}));
    ASSERT_NE(comment.file_shape, nullptr);
    EXPECT_EQ(comment.file_shape->xml, shapes_[static_cast<std::size_t>(cell.first - 1)]);
  }
  EXPECT_EQ(WriteCommentShapes(comments_, &*drawing), vml_) << "unchanged, byte for byte";
}

// A save keeps the shape of every comment the command left alone, byte for byte, and draws
// anew only the boxes of comments that were added, resized, shown or hidden, or put elsewhere.
TEST_F(CommentDrawingTest, OnlyTheChangedCommentsAreDrawnAnew) {
  using Cell = std::pair<int, int>;  // 1-based
  struct Case {
    const char* what;
    std::function<void(CommentMap&)> change;
    std::set<Cell> kept;       // their shapes as read
    std::set<Cell> new_boxes;  // drawn anew
  };
  const std::vector<Case> cases = {
      {"a changed text",
       [](CommentMap& c) {
         c.at({2, 5}).text = "別の注意";
       },
       {{1, 4}, {2, 5}, {3, 6}},
       {}},
      {"a deleted comment",
       [](CommentMap& c) {
         c.erase({2, 5});
       },
       {{1, 4}, {3, 6}},
       {}},
      {"a resized comment",
       [](CommentMap& c) {
         c.at({3, 6}).width *= 1.5;
       },
       {{1, 4}, {2, 5}},
       {{3, 6}}},
      {"a hidden comment",
       [](CommentMap& c) {
         c.at({1, 4}).visible = false;
       },
       {{2, 5}, {3, 6}},
       {{1, 4}}},
      {"an added comment",
       [](CommentMap& c) {
         c[{5, 7}].text = "新しい注意";
       },
       {{1, 4}, {2, 5}, {3, 6}},
       {{5, 7}}},
      {"a comment copied to another cell",
       [](CommentMap& c) {
         c[{8, 8}] = c.at({1, 4});
       },
       {{1, 4}, {2, 5}, {3, 6}},
       {{8, 8}}},
      {"a comment moved to another cell",
       [](CommentMap& c) {
         c[{8, 8}] = c.at({1, 4});
         c.erase({1, 4});
       },
       {{2, 5}, {3, 6}},
       {{8, 8}}},
      {"a comment deleted and added again",
       [](CommentMap& c) {
         c.erase({2, 5});
         c[{2, 5}].text = "新しい注意";
       },
       {{1, 4}, {3, 6}},
       {{2, 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CommentMap comments = comments_;
    const auto drawing = ReadCommentShapes(vml_, comments);
    ASSERT_TRUE(drawing.has_value());
    c.change(comments);
    const std::string written = WriteCommentShapes(comments, &*drawing);

    EXPECT_TRUE(written.starts_with(kDrawingHead)) << "the layout and shape type stay";
    EXPECT_NE(written.find(kButton), std::string::npos) << "the button stays";
    for (int i = 0; i < 3; ++i) {
      const Cell cell{i + 1, i + 4};
      EXPECT_EQ(written.find(shapes_[static_cast<std::size_t>(i)]) != std::string::npos,
                c.kept.contains(cell))
          << "the shape of row " << cell.first;
    }
    std::set<Cell> drawn;
    for (const auto& [row, column] : NoteCells(written)) {
      EXPECT_TRUE(drawn.insert({row + 1, column + 1}).second) << "one shape per comment";
    }
    std::set<Cell> expected = c.kept;
    expected.insert(c.new_boxes.begin(), c.new_boxes.end());
    EXPECT_EQ(drawn, expected);
    const std::vector<std::string> ids = ShapeIds(written);
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size())
        << "shape ids are unique";

    // The drawing read again gives every box the size and visibility the command left.
    CommentMap again = comments;
    for (auto& entry : again) entry.second.file_shape = nullptr;
    pugi::xml_document check;
    ASSERT_TRUE(check.load_string(written.c_str())) << "well-formed as it came";
    ASSERT_TRUE(ReadCommentShapes(written, again).has_value());
    for (const auto& [cell, comment] : comments) {
      SCOPED_TRACE(cell.first);
      EXPECT_EQ(again.at(cell).width, comment.width);
      EXPECT_EQ(again.at(cell).height, comment.height);
      EXPECT_EQ(again.at(cell).visible, comment.visible);
    }
  }
}

// Producers write drawings that are not always well-formed XML and bind other prefixes; the
// shapes are found all the same, and a new shape brings the declarations and the shape type it
// needs.
TEST_F(CommentDrawingTest, OtherProducersDrawingsAreReadAndExtended) {
  const std::string loose =
      "<xml xmlns:ns0=\"urn:schemas-microsoft-com:vml\" "
      "xmlns:ns1=\"urn:schemas-microsoft-com:office:excel\">"
      "<ns0:shape id=empty style='width:1pt;height:1pt'/>"
      "<ns0:shape id=\"c1\" style=\"width:2in; height:96px\"><ns0:textbox><div>注意<br>"
      "二行目</div></ns0:textbox><ns1:ClientData ObjectType='Note'><ns1:Row> 1 </ns1:Row>"
      "<ns1:Column>4</ns1:Column><ns1:Visible/></ns1:ClientData></ns0:shape >"
      "<ns0:shape id=\"c2\" style=\"width:50%;height:3cm\"><ns1:ClientData ObjectType=\"Note\">"
      "<ns1:Row>2</ns1:Row><ns1:Column>5</ns1:Column></ns1:ClientData></ns0:shape></xml>";
  CommentMap comments = comments_;
  const auto drawing = ReadCommentShapes(loose, comments);
  ASSERT_TRUE(drawing.has_value());
  EXPECT_EQ(drawing->shapes.size(), 2u);
  EXPECT_EQ(comments.at({2, 5}).width, 144) << "2in";
  EXPECT_EQ(comments.at({2, 5}).height, 72) << "96px";
  EXPECT_TRUE(comments.at({2, 5}).visible);
  EXPECT_EQ(comments.at({3, 6}).width, kDefaultCommentWidth) << "a percentage is not read";
  EXPECT_NEAR(comments.at({3, 6}).height, 85.04, 0.01) << "3cm";
  EXPECT_EQ(comments.at({1, 4}).file_shape, nullptr) << "no shape names D1";
  EXPECT_EQ(NoteCells(WriteCommentShapes(comments, &*drawing)),
            (std::vector<std::pair<int, int>>{{0, 3}}))
      << "D1 has no shape, so it gets one";

  comments.erase({1, 4});
  EXPECT_EQ(WriteCommentShapes(comments, &*drawing), loose) << "nothing new: as read";
  comments[{7, 1}].text = "新しい注意";
  const std::string extended = WriteCommentShapes(comments, &*drawing);
  EXPECT_TRUE(
      extended.starts_with("<xml xmlns:ns0=\"urn:schemas-microsoft-com:vml\" "
                           "xmlns:ns1=\"urn:schemas-microsoft-com:office:excel\" "
                           "xmlns:v=\"urn:schemas-microsoft-com:vml\" "
                           "xmlns:o=\"urn:schemas-microsoft-com:office:office\" "
                           "xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"))
      << extended;
  EXPECT_NE(extended.find("<v:shapetype id=\"_x0000_t202\""), std::string::npos);
  EXPECT_NE(extended.find("<x:Row>6</x:Row><x:Column>0</x:Column>"), std::string::npos);
  CommentMap again = comments;
  for (auto& entry : again) entry.second.file_shape = nullptr;
  const auto reread = ReadCommentShapes(extended, again);
  ASSERT_TRUE(reread.has_value());
  EXPECT_EQ(reread->shapes.size(), 3u);
  EXPECT_EQ(again.at({2, 5}).width, 144);
}

TEST_F(CommentDrawingTest, ADrawingWithoutNotesIsNotTheComments) {
  const std::string header_pictures =
      std::string(kDrawingHead) +
      "<v:shape id=\"LH\" o:spid=\"_x0000_s2049\" type=\"#_x0000_t75\" style='position:absolute;"
      "width:30pt;height:30pt;z-index:1'><v:imagedata o:relid=\"rId1\" o:title=\"logo\"/>"
      "</v:shape>" +
      kButton + "</xml>";
  CommentMap comments = comments_;
  EXPECT_FALSE(ReadCommentShapes(header_pictures, comments).has_value());
  EXPECT_EQ(comments, comments_) << "the boxes keep the default size";
}

// A drawing binding v: to another namespace cannot take new shapes beside its own: it is
// drawn anew, every comment with a box.
TEST_F(CommentDrawingTest, ADrawingThatCannotTakeANewShapeIsDrawnAnew) {
  const std::string odd =
      "<xml xmlns:v=\"urn:example:not-vml\" xmlns:x=\"urn:schemas-microsoft-com:office:excel\">"
      "<v:shape id=\"a\"><x:ClientData ObjectType=\"Note\"><x:Row>0</x:Row>"
      "<x:Column>3</x:Column></x:ClientData></v:shape></xml>";
  CommentMap comments = comments_;
  const auto drawing = ReadCommentShapes(odd, comments);
  ASSERT_TRUE(drawing.has_value());
  EXPECT_EQ(WriteCommentShapes(comments, &*drawing), WriteCommentShapes(comments));
  comments.erase({2, 5});
  comments.erase({3, 6});
  EXPECT_EQ(WriteCommentShapes(comments, &*drawing), odd) << "with nothing new, as read";
}

}  // namespace
}  // namespace tarquel::host::xlsx
