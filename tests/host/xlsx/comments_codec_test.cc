#include "host/xlsx/comments_codec.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tarquel::host::xlsx
