// The boxes of a workbook's comments, written the way the spreadsheet program writes them, through
// an open, a command's changes and a save: the shapes the command did not touch come back byte
// for byte, with the drawing around them and the sheet's other drawings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/platform/memory_platform.h"
#include "host/xlsx/package.h"
#include "host/xlsx/xlsx_files.h"
#include "support/host_fixture.h"

namespace tarquel::host::xlsx {
namespace {

constexpr char kPath[] = "/home/user/notes.xlsx";
constexpr char kSheet[] = "問題";
constexpr char kRelationshipTypes[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// A comment's shape as the spreadsheet program writes it: its own place, colours and shadow,
// and line breaks inside the style attribute.
std::string NoteShape(int id, int row, int column, const std::string& left,
                      const std::string& colours, bool visible) {
  const std::string r = std::to_string(row);
  const std::string c = std::to_string(column);
  return "<v:shape id=\"_x0000_s" + std::to_string(id) +
         "\" type=\"#_x0000_t202\" style='position:absolute;\r\n  margin-left:" + left +
         ";margin-top:1.5pt;width:108pt;height:59.25pt;z-index:" + std::to_string(id - 1024) +
         ";\r\n  visibility:" + (visible ? "visible" : "hidden") + "' " + colours +
         " o:insetmode=\"auto\">\r\n  <v:fill color2=\"#ccffff\"/>\r\n"
         "  <v:shadow on=\"t\" color=\"black\" obscured=\"t\"/>\r\n"
         "  <v:path o:connecttype=\"none\"/>\r\n  <v:textbox style='mso-direction-alt:auto'>\r\n"
         "   <div style='text-align:left'></div>\r\n  </v:textbox>\r\n"
         "  <x:ClientData ObjectType=\"Note\">\r\n   <x:MoveWithCells/>\r\n"
         "   <x:SizeWithCells/>\r\n   <x:Anchor>\r\n    " +
         std::to_string(column + 1) + ", 15, " + r + ", 2, " + std::to_string(column + 3) +
         ", 15, " + std::to_string(row + 4) +
         ", 16</x:Anchor>\r\n   <x:AutoFill>False</x:AutoFill>\r\n"
         "   <x:Row>" +
         r + "</x:Row>\r\n   <x:Column>" + c + "</x:Column>\r\n" +
         (visible ? "   <x:Visible/>\r\n" : "") + "  </x:ClientData>\r\n </v:shape>";
}

constexpr char kDrawingHead[] =
    "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\"\r\n"
    " xmlns:o=\"urn:schemas-microsoft-com:office:office\"\r\n"
    " xmlns:x=\"urn:schemas-microsoft-com:office:excel\">\r\n"
    " <o:shapelayout v:ext=\"edit\">\r\n  <o:idmap v:ext=\"edit\" data=\"1\"/>\r\n"
    " </o:shapelayout><v:shapetype id=\"_x0000_t202\" coordsize=\"21600,21600\" o:spt=\"202\"\r\n"
    "  path=\"m,l,21600r21600,l21600,xe\">\r\n  <v:stroke joinstyle=\"miter\"/>\r\n"
    "  <v:path gradientshapeok=\"t\" o:connecttype=\"rect\"/>\r\n </v:shapetype>";

// The picture of the sheet's page header: a legacy drawing too, with no comment in it.
constexpr char kHeaderDrawing[] =
    "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" "
    "xmlns:o=\"urn:schemas-microsoft-com:office:office\">"
    "<v:shape id=\"LH\" o:spid=\"_x0000_s2049\" type=\"#_x0000_t75\" style='position:absolute;"
    "margin-left:0;margin-top:0;width:30pt;height:30pt;z-index:1'>"
    "<v:imagedata o:relid=\"rId1\" o:title=\"logo\"/></v:shape></xml>";

std::string Rels(const std::vector<std::vector<std::string>>& relationships) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (const auto& r : relationships) {
    xml += "<Relationship Id=\"" + r[0] + "\" Type=\"" + kRelationshipTypes + r[1] +
           "\" Target=\"" + r[2] + "\"/>";
  }
  return xml + "</Relationships>";
}

// Where a relationship of `part` leads, as a part name.
std::string Resolve(const std::string& part, const std::string& target) {
  if (target.starts_with('/')) return target.substr(1);
  std::string base = part.substr(0, part.rfind('/') + 1);
  std::string rest = target;
  while (rest.starts_with("../")) {
    base = base.substr(0, base.rfind('/', base.size() - 2) + 1);
    rest = rest.substr(3);
  }
  return base + rest;
}

class CommentShapesTest : public testing::HostTest {
 protected:
  CommentShapesTest() : files_(platform_) {
    app_.SetWorkbookFiles(&files_);
    shapes_ = {
        NoteShape(1025, 0, 3, "187pt", "fillcolor=\"#ccffff\" strokecolor=\"#3366ff\"", true),
        NoteShape(1026, 1, 4, "250.5pt", "fillcolor=\"#ffffe1\"", false),
        NoteShape(1027, 2, 5, "312pt", "fillcolor=\"#ffffe1\"", false)};
    comments_drawing_ = std::string(kDrawingHead) + shapes_[0] + shapes_[1] + shapes_[2] + "</xml>";
    PackageWriter writer;
    writer.Add("[Content_Types].xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<Types "
               "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
               "<Default Extension=\"png\" ContentType=\"image/png\"/>"
               "<Default Extension=\"rels\" "
               "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
               "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
               "<Default Extension=\"vml\" "
               "ContentType=\"application/vnd.openxmlformats-officedocument.vmlDrawing\"/>"
               "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
               "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
               "<Override PartName=\"/xl/comments1.xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.comments+xml\"/></Types>");
    writer.Add("_rels/.rels", Rels({{"rId1", "officeDocument", "xl/workbook.xml"}}));
    writer.Add("xl/workbook.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<workbook "
               "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "<sheets><sheet name=\"問題\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>");
    writer.Add("xl/_rels/workbook.xml.rels",
               Rels({{"rId1", "worksheet", "worksheets/sheet1.xml"}}));
    writer.Add("xl/worksheets/sheet1.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<worksheet "
               "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
               "<sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
               "<row r=\"2\"><c r=\"A2\"><v>2</v></c></row></sheetData>"
               "<headerFooter><oddHeader>&amp;L&amp;G</oddHeader></headerFooter>"
               "<legacyDrawing r:id=\"rId2\"/><legacyDrawingHF r:id=\"rId3\"/></worksheet>");
    writer.Add("xl/worksheets/_rels/sheet1.xml.rels",
               Rels({{"rId1", "comments", "../comments1.xml"},
                     {"rId2", "vmlDrawing", "../drawings/vmlDrawing1.vml"},
                     {"rId3", "vmlDrawing", "../drawings/vmlDrawing2.vml"}}));
    writer.Add("xl/comments1.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<comments "
               "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
               "<authors><author>先生</author></authors><commentList>"
               "<comment ref=\"D1\" authorId=\"0\"><text><t>問題文</t></text></comment>"
               "<comment ref=\"E2\" authorId=\"0\"><text><t>答え</t></text></comment>"
               "<comment ref=\"F3\" authorId=\"0\"><text><t>読み</t></text></comment>"
               "</commentList></comments>");
    writer.Add("xl/drawings/vmlDrawing1.vml", comments_drawing_);
    writer.Add("xl/drawings/vmlDrawing2.vml", kHeaderDrawing);
    writer.Add("xl/drawings/_rels/vmlDrawing2.vml.rels",
               Rels({{"rId1", "image", "../media/image1.png"}}));
    writer.Add("xl/media/image1.png", std::string("\x89PNG\r\n\x1a\n-logo", 13), 0);
    platform_.AddFile(kPath, writer.Finish());
  }

  Worksheet& Open() { return app_.Workbooks().Open(kPath).Sheets().Item(kSheet); }
  // The saved file, opened afresh.
  Worksheet& Reopen(Worksheet& sheet) {
    app_.Workbooks().Close(sheet.workbook());
    return Open();
  }

  // The saved sheet's drawings: the comments' (its legacy drawing) and the header's.
  struct Drawings {
    std::string comments;
    std::string header;
    std::string header_part;
  };
  Drawings SavedDrawings(const std::string& bytes) {
    const PackageReader saved = PackageReader::Open(bytes, "saved.xlsx");
    const std::string sheet_part = "xl/worksheets/sheet1.xml";
    pugi::xml_document sheet;
    EXPECT_TRUE(sheet.load_string(saved.Read(sheet_part).c_str()));
    pugi::xml_document rels;
    EXPECT_TRUE(rels.load_string(saved.Read("xl/worksheets/_rels/sheet1.xml.rels").c_str()));
    auto target = [&](const char* element) {
      const std::string id = sheet.child("worksheet").child(element).attribute("r:id").value();
      EXPECT_FALSE(id.empty()) << element;
      const pugi::xml_node rel =
          rels.child("Relationships").find_child_by_attribute("Relationship", "Id", id.c_str());
      EXPECT_TRUE(rel) << element << " " << id;
      return Resolve(sheet_part, rel.attribute("Target").value());
    };
    Drawings drawings;
    drawings.comments = saved.Read(target("legacyDrawing"));
    drawings.header_part = target("legacyDrawingHF");
    drawings.header = saved.Read(drawings.header_part);
    return drawings;
  }

  MemoryPlatform platform_;
  XlsxFiles files_;
  std::vector<std::string> shapes_;  // of D1 (shown, blue), E2 and F3
  std::string comments_drawing_;
};

TEST_F(CommentShapesTest, TheBoxesAreReadFromTheirShapes) {
  Worksheet& sheet = Open();
  ASSERT_EQ(sheet.CommentCount(), 3);
  for (const char* cell : {"D1", "E2", "F3"}) {
    SCOPED_TRACE(cell);
    ASSERT_TRUE(sheet.Range(cell).Comment().has_value());
    EXPECT_EQ(sheet.Range(cell).Comment()->Width(), 108);
    EXPECT_EQ(sheet.Range(cell).Comment()->Height(), 59.25);
    EXPECT_EQ(sheet.Range(cell).Comment()->Visible(), std::string(cell) == "D1");
  }
}

// The boxes of comments used to be drawn anew on every save, from the model: a box at 187 pt
// came back at 59 pt, its colours reset.
TEST_F(CommentShapesTest, BoxesKeepTheirPlaceAndColoursThroughACommandsSave) {
  Worksheet& sheet = Open();
  sheet.Range("A1").SetValue(5);
  sheet.Range("G5").AddComment("新しい注意");
  sheet.Range("E2").Comment()->Delete();
  sheet.Range("F3").Comment()->ScaleWidth(1.5);
  files_.Save(sheet.workbook(), kPath);

  const Drawings saved = SavedDrawings(platform_.files().at(kPath));
  const std::string& vml = saved.comments;
  EXPECT_TRUE(vml.starts_with(kDrawingHead)) << "the layout and shape type stay";
  EXPECT_NE(vml.find(shapes_[0]), std::string::npos) << "D1's box is as it was:\n" << vml;
  EXPECT_EQ(vml.find(shapes_[1]), std::string::npos) << "E2's box went with its comment";
  EXPECT_EQ(vml.find("<x:Row>1</x:Row>"), std::string::npos);
  EXPECT_EQ(vml.find(shapes_[2]), std::string::npos) << "F3's box was resized";
  EXPECT_NE(vml.find("width:162pt"), std::string::npos) << vml;
  EXPECT_NE(vml.find("<x:Row>2</x:Row><x:Column>5</x:Column>"), std::string::npos);
  EXPECT_NE(vml.find("<x:Row>4</x:Row><x:Column>6</x:Column>"), std::string::npos)
      << "G5 has a box";
  EXPECT_EQ(saved.header, kHeaderDrawing) << "the header's picture stays, and its place";

  Worksheet& again = Reopen(sheet);
  EXPECT_EQ(again.Range("A1").Value().number(), 5);
  EXPECT_EQ(again.CommentCount(), 3);
  EXPECT_FALSE(again.Range("E2").Comment().has_value());
  EXPECT_EQ(again.Range("F3").Comment()->Width(), 162);
  EXPECT_TRUE(again.Range("D1").Comment()->Visible());
  EXPECT_EQ(again.Range("G5").Comment()->Text(), "新しい注意");
  EXPECT_EQ(again.Range("G5").Comment()->Width(), kDefaultCommentWidth);
}

TEST_F(CommentShapesTest, AnUntouchedDrawingIsWrittenAsItCame) {
  Worksheet& sheet = Open();
  sheet.Range("A2").SetValue(3);  // the sheet changes, its comments do not
  sheet.Range("D1").Comment()->SetText("問題文を入力します。");
  const std::string bytes =
      XlsxFiles::WritePackage(sheet.workbook(), XlsxFiles::WriteMode::kRegenerate);
  const Drawings saved = SavedDrawings(bytes);
  EXPECT_EQ(saved.comments, comments_drawing_);
  EXPECT_EQ(saved.header, kHeaderDrawing);
  EXPECT_TRUE(PackageReader::Open(bytes, "saved.xlsx").Has("xl/media/image1.png"));
}

// A comment pasted at another cell is that cell's: it gets a box of its own, anchored there,
// the size and visibility of the copied one, and the copied box stays where it was.
TEST_F(CommentShapesTest, ACopiedCommentGetsABoxAtItsNewCell) {
  Worksheet& sheet = Open();
  sheet.Range("D1").Copy();
  sheet.Range("H8").Select();
  sheet.Paste();
  files_.Save(sheet.workbook(), kPath);

  const std::string vml = SavedDrawings(platform_.files().at(kPath)).comments;
  for (const std::string& shape : shapes_) EXPECT_NE(vml.find(shape), std::string::npos);
  const std::size_t box = vml.find("<x:Row>7</x:Row><x:Column>7</x:Column>");
  ASSERT_NE(box, std::string::npos) << vml;
  const std::size_t shape = vml.rfind("<v:shape ", box);
  EXPECT_NE(vml.find("<x:Anchor>8, ", shape), std::string::npos) << "right of column H";
  EXPECT_NE(vml.find("margin-left:395pt", shape), std::string::npos);

  Worksheet& again = Reopen(sheet);
  EXPECT_EQ(again.Range("H8").Comment()->Text(), "問題文");
  EXPECT_EQ(again.Range("H8").Comment()->Width(), 108);
  EXPECT_TRUE(again.Range("H8").Comment()->Visible());
}

}  // namespace
}  // namespace tarquel::host::xlsx
