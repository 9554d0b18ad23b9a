// Parts read a piece at a time must read exactly as when parsed whole: the same cells, the same
// items, the same refusals, whatever the piece size and however the writer laid out its XML.
#include "host/xlsx/xml_pieces.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "host/host_error.h"
#include "host/xlsx/shared_strings.h"
#include "host/xlsx/sheet_codec.h"
#include "host/xlsx/xml_document.h"
#include "support/host_fixture.h"

namespace tarquel::host::xlsx {
namespace {

constexpr char kMain[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr std::size_t kPieceSizes[] = {1, 7, 60, 500, XmlPieces::kPieceSize};

std::string Sheet(const std::string& rows, const std::string& before = "",
                  const std::string& after = "") {
  return std::string("<?xml version=\"1.0\"?>\n<worksheet xmlns=\"") + kMain + "\">" + before +
         "<sheetData>" + rows + "</sheetData>" + after + "</worksheet>";
}

// Rows with numbers, shared and inline strings, formulas, unnumbered rows and cells, and white
// space between them, as different writers lay them out.
std::string ManyRows(int count) {
  std::string rows;
  for (int r = 1; r <= count; ++r) {
    if (r % 5 == 0) {
      rows += "\n  <row><c><v>" + std::to_string(r) + "</v></c><c t=\"s\"><v>1</v></c></row>";
      continue;
    }
    rows += "<row r=\"" + std::to_string(r) + "\" spans=\"1:3\"><c r=\"A" + std::to_string(r) +
            "\" t=\"s\"><v>" + std::to_string(r % 3) + "</v></c><c r=\"C" + std::to_string(r) +
            "\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> row " + std::to_string(r) +
            "</t></is></c><c><f>A1+" + std::to_string(r) + "</f><v>" + std::to_string(r * 2) +
            "</v></c></row>";
  }
  return rows;
}

using CellDump = std::tuple<int32_t, int32_t, CellValue, StyleTable::Id, std::string>;

std::vector<CellDump> Dump(const Worksheet& sheet) {
  std::vector<CellDump> cells;
  sheet.ForEachCell({1, 1, kSheetRows, kSheetColumns}, [&](int32_t row, const Cell& cell) {
    cells.emplace_back(row, cell.column, cell.value, cell.style,
                       cell.formula ? cell.formula->text : "");
  });
  return cells;
}

class XmlPiecesSheetTest : public testing::HostTest {
 protected:
  SheetReadContext Context() { return {"xl/worksheets/sheet1.xml", &styles_, &strings_, nullptr}; }

  // The sheet read from the whole parse; the test fails if that refuses the part.
  std::vector<CellDump> ReadWhole(const std::string& part) {
    Worksheet& sheet = app_.Workbooks().Add().ActiveSheet();
    pugi::xml_document doc;
    ParseXml(part, "xl/worksheets/sheet1.xml", doc);
    ReadSheet(std::move(doc), Context(), sheet);
    return Dump(sheet);
  }

  std::vector<CellDump> ReadInPieces(const std::string& part, std::size_t piece_size) {
    Worksheet& sheet = app_.Workbooks().Add().ActiveSheet();
    ReadSheet(std::string_view(part), Context(), sheet, piece_size);
    return Dump(sheet);
  }

  std::vector<StyleTable::Id> styles_{StyleTable::kDefault};
  std::vector<Text> strings_{Text("zero"), Text("one"), Text("two")};
};

TEST_F(XmlPiecesSheetTest, RowsReadTheSameInPiecesOfAnySize) {
  const std::string rows = ManyRows(200);
  const std::string prefixed =
      std::string("<?xml version=\"1.0\"?><x:worksheet xmlns:x=\"") + kMain + "\"><x:sheetData>" +
      "<x:row r=\"2\"><x:c r=\"B2\"><x:v>5</x:v></x:c></x:row><x:row><x:c><x:v>6</x:v></x:c>" +
      "</x:row></x:sheetData></x:worksheet>";
  const struct {
    const char* what;
    std::string part;
  } cases[] = {
      {"plain", Sheet(rows)},
      {"after a BOM, columns and views",
       "\xEF\xBB\xBF" + Sheet(rows,
                              "<sheetViews><sheetView "
                              "workbookViewId=\"0\"/>"
                              "</sheetViews><cols><col min=\"1\" "
                              "max=\"2\" width=\"9\"/></cols>",
                              "<mergeCells count=\"1\"><mergeCell "
                              "ref=\"A1:B1\"/></mergeCells>")},
      {"every name prefixed", prefixed},
      {"a list element white space apart", Sheet("\r\n" + rows + "\r\n")},
  };
  for (const auto& c : cases) {
    const std::vector<CellDump> whole = ReadWhole(c.part);
    ASSERT_FALSE(whole.empty()) << c.what;
    for (std::size_t size : kPieceSizes) {
      EXPECT_EQ(ReadInPieces(c.part, size), whole) << c.what << ", pieces of " << size;
    }
  }
}

// Layouts where a cut before "<row" would fall inside something else: the pieces do not parse
// and the part is read whole, with the same result.
TEST_F(XmlPiecesSheetTest, PartsThatCannotBeCutAreReadWhole) {
  const struct {
    const char* what;
    std::string part;
  } cases[] = {
      {"a comment holding rows",
       Sheet("<row r=\"1\"><c><v>1</v></c></row><!-- <row r=\"2\"><c><v>2</v></c></row> -->"
             "<row r=\"3\"><c><v>3</v></c></row>")},
      {"text in a CDATA section that looks like a row",
       Sheet("<row r=\"1\"><c t=\"inlineStr\"><is><t><![CDATA[<row r=\"9\">]]></t></is></c></row>"
             "<row r=\"2\"><c><v>2</v></c></row>")},
      {"a row element inside a cell's extension",
       Sheet("<row r=\"1\"><c><v>1</v><extLst><row r=\"7\"/></extLst></c></row>"
             "<row r=\"2\"><c><v>2</v></c></row>")},
      {"sheetData inside an earlier element",
       Sheet("<row r=\"4\"><c><v>4</v></c></row>",
             "<extLst><ext><sheetData><row r=\"1\"><c><v>1</v></c></row></sheetData></ext>"
             "</extLst>")},
      {"a comment before the root", "<!-- a --><worksheet xmlns=\"" + std::string(kMain) +
                                        "\"><sheetData><row><c><v>1</v></c></row></sheetData>"
                                        "</worksheet>"},
      {"an empty list", Sheet("")},
  };
  for (const auto& c : cases) {
    const std::vector<CellDump> whole = ReadWhole(c.part);
    for (std::size_t size : kPieceSizes) {
      EXPECT_EQ(ReadInPieces(c.part, size), whole) << c.what << ", pieces of " << size;
    }
  }
}

// A fault in a piece is reported as the whole part's parse reports it, at its place in the part.
TEST_F(XmlPiecesSheetTest, FaultsAreReportedWhereTheyAreInThePart) {
  const std::string good = ManyRows(40);
  const std::string faults[] = {
      Sheet(good + "<row r=\"41\"><c><v>1</v></row>"),
      Sheet(good + "<row r=\"41\"><c><v>R&D</v></c></row>"),
      Sheet(good + "<row r=\"41\"><c><v>\xFF</v></c></row>"),
      Sheet(good, "", "<pageMargins left=\"1\">"),
  };
  for (const std::string& part : faults) {
    std::string whole_error;
    try {
      pugi::xml_document doc;
      ParseXml(part, "xl/worksheets/sheet1.xml", doc);
      ADD_FAILURE() << "the whole parse took " << part.substr(part.size() - 60);
    } catch (const HostError& error) {
      whole_error = error.description();
    }
    for (std::size_t size : kPieceSizes) {
      try {
        ReadInPieces(part, size);
        ADD_FAILURE() << "read in pieces of " << size << ": " << whole_error;
      } catch (const HostError& error) {
        EXPECT_EQ(error.description(), whole_error) << "pieces of " << size;
      }
    }
  }
  // Faults of the cells themselves name the cell, in pieces as when whole.
  const std::string bad_cell = Sheet(good + "<row r=\"41\"><c r=\"A40\"><v>1</v></c></row>");
  for (std::size_t size : kPieceSizes) {
    EXPECT_THROW(ReadInPieces(bad_cell, size), HostError);
  }
}

std::string Table(const std::string& items) {
  return std::string("<?xml version=\"1.0\"?>\n<sst xmlns=\"") + kMain + "\" count=\"9\">" + items +
         "</sst>";
}

TEST(XmlPiecesStringsTest, ItemsReadTheSameInPiecesAndFaultsNameTheirPlace) {
  std::string items;
  for (int i = 0; i < 150; ++i) {
    items += i % 4 == 0 ? "<si><r><rPr><b/><sz val=\"11\"/></rPr><t>bold " + std::to_string(i) +
                              "</t></r><r><t xml:space=\"preserve\"> plain</t></r></si>"
                        : "<si><t>item " + std::to_string(i) + "</t></si>\n";
  }
  const std::string part = Table(items);
  pugi::xml_document doc;
  ParseXml(part, "xl/sharedStrings.xml", doc);
  const std::vector<Text> whole = ReadSharedStrings(doc, nullptr);
  ASSERT_EQ(whole.size(), 150u);
  for (std::size_t size : kPieceSizes) {
    EXPECT_EQ(ReadSharedStrings(part, "xl/sharedStrings.xml", nullptr, size), whole) << size;
  }
  // A damaged item deep in the table: the message gives its index and its place in the part.
  const std::string damaged = Table(items + "<si><r><rPr/></r></si>");
  std::string expected;
  try {
    pugi::xml_document damaged_doc;
    ParseXml(damaged, "xl/sharedStrings.xml", damaged_doc);
    ReadSharedStrings(damaged_doc, nullptr);
  } catch (const HostError& error) {
    expected = error.description();
  }
  ASSERT_NE(expected.find("の文字列 150 "), std::string::npos) << expected;
  for (std::size_t size : kPieceSizes) {
    try {
      ReadSharedStrings(damaged, "xl/sharedStrings.xml", nullptr, size);
      ADD_FAILURE() << "accepted in pieces of " << size;
    } catch (const HostError& error) {
      EXPECT_EQ(error.description(), expected) << size;
    }
  }
}

// The frame is the part without the list's content; parts it cannot be cut from say so.
TEST(XmlPiecesTest, FrameKeepsEverythingButTheList) {
  const std::string part =
      Sheet("<row r=\"1\"/><row r=\"2\"/>", "<dimension ref=\"A1\"/>", "<pageMargins left=\"1\"/>");
  XmlPieces pieces(part, "s.xml", "sheetData", "row", 1);
  pugi::xml_document frame;
  ASSERT_TRUE(pieces.ParseFrame(frame));
  const pugi::xml_node root = frame.child("worksheet");
  EXPECT_TRUE(root.child("dimension"));
  EXPECT_TRUE(root.child("pageMargins"));
  EXPECT_FALSE(root.child("sheetData").first_child());
  int rows = 0;
  pugi::xml_document piece;
  while (const pugi::xml_node list = pieces.Next(piece)) {
    for (pugi::xml_node row : list.children("row")) {
      EXPECT_EQ(row.attribute("r").as_int(), ++rows);
    }
  }
  EXPECT_FALSE(pieces.failed());
  EXPECT_EQ(rows, 2);

  const std::string uncuttable[] = {
      "<?pi x?>" + Sheet("<row/>"),
      Sheet("<row/>").substr(0, 60),
      std::string("<worksheet xmlns=\"") + kMain + "\"/>",
      std::string("<worksheet xmlns=\"") + kMain + "\"><sheetData/></worksheet>",
      std::string("<worksheet xmlns=\"") + kMain + "\"><sheetDatum><row/></sheetDatum></worksheet>",
      std::string("<worksheet xmlns=\"") + kMain +
          "\" xmlns:o=\"urn:other\"><o:sheetData><row/></o:sheetData></worksheet>",
  };
  for (const std::string& text : uncuttable) {
    XmlPieces other(text, "s.xml", "sheetData", "row");
    pugi::xml_document untouched;
    untouched.append_child("kept");
    EXPECT_FALSE(other.ParseFrame(untouched)) << text;
    EXPECT_TRUE(untouched.child("kept")) << text;
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
