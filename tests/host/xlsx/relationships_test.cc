// Relationship targets resolved to part names and written back relative to their source part,
// and relationships parts read and written.
#include "host/xlsx/relationships.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "host/xlsx/package.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {
namespace {

struct TargetCase {
  const char* source;
  const char* target;  // as a relationships part says it
  const char* part;    // the part it names
};

TEST(RelationshipsTest, TargetsResolveToPartNames) {
  const TargetCase cases[] = {
      {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
      {"xl/worksheets/sheet1.xml", "../comments1.xml", "xl/comments1.xml"},
      {"xl/worksheets/sheet1.xml", "/xl/media/image1.png", "xl/media/image1.png"},
      {"xl/worksheets/sheet1.xml", "./../drawings//vmlDrawing1.vml", "xl/drawings/vmlDrawing1.vml"},
      // A target above the package's root stays at the root rather than escaping it.
      {"xl/workbook.xml", "../../../x.xml", "x.xml"},
      {"", "xl/workbook.xml", "xl/workbook.xml"},  // the package's own relationships
  };
  for (const TargetCase& c : cases) {
    EXPECT_EQ(ResolveTarget(c.source, c.target), c.part) << c.source << " -> " << c.target;
  }
}

TEST(RelationshipsTest, TargetsAreWrittenRelativeToTheSourcesFolderAndReadBack) {
  const TargetCase cases[] = {
      {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
      {"xl/workbook.xml", "styles.xml", "xl/styles.xml"},
      // Outside the source's folder the target is absolute, which every reader resolves.
      {"xl/worksheets/sheet1.xml", "/xl/comments1.xml", "xl/comments1.xml"},
      {"", "xl/workbook.xml", "xl/workbook.xml"},
  };
  for (const TargetCase& c : cases) {
    const std::string written = RelativeTarget(c.source, c.part);
    EXPECT_EQ(written, c.target) << c.source << " -> " << c.part;
    EXPECT_EQ(ResolveTarget(c.source, written), c.part);
  }
}

TEST(RelationshipsTest, APartsRelationshipsSitBesideItInARelsFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "_rels/.rels"},
      {"xl/workbook.xml", "xl/_rels/workbook.xml.rels"},
      {"xl/worksheets/sheet1.xml", "xl/worksheets/_rels/sheet1.xml.rels"},
  };
  for (const auto& [part, rels] : cases) EXPECT_EQ(RelsOf(part), rels) << part;
}

// Written with AddRelationship, read back with ReadRelationships: ids, types and targets in
// order, an external target as it was given and never resolved.
TEST(RelationshipsTest, WrittenRelationshipsReadBackInOrder) {
  const std::string source = "xl/worksheets/sheet1.xml";
  const Relationship written[] = {
      {"rId2", RelationshipType("comments"), "xl/comments1.xml", false},
      {"rId1", RelationshipType("hyperlink"), "https://example.com/a/../b", true},
      {"rId3", RelationshipType("vmlDrawing"), "xl/drawings/vmlDrawing1.vml", false},
      {"rId4", RelationshipType("comments"), "xl/comments9.xml", false},
  };
  pugi::xml_document doc;
  const pugi::xml_node root = StartRelationships(doc);
  for (const Relationship& r : written) {
    AddRelationship(root, r.id, r.type, r.external ? r.target : RelativeTarget(source, r.target),
                    r.external);
  }
  PackageWriter package;
  package.Add(RelsOf(source), SerializeXml(doc));
  const PackageReader reader = PackageReader::Open(package.Finish(), "rels.xlsx");

  const std::vector<Relationship> read = ReadRelationships(reader, source);
  ASSERT_EQ(read.size(), std::size(written));
  for (std::size_t i = 0; i < read.size(); ++i) {
    SCOPED_TRACE(written[i].id);
    EXPECT_EQ(read[i].id, written[i].id);
    EXPECT_EQ(read[i].type, written[i].type);
    EXPECT_EQ(read[i].target, written[i].target);
    EXPECT_EQ(read[i].external, written[i].external);
  }
  const Relationship* comments = FindByType(read, RelationshipType("comments"));
  ASSERT_NE(comments, nullptr);
  EXPECT_EQ(comments->id, "rId2") << "the first of its type";
  EXPECT_EQ(FindByType(read, RelationshipType("styles")), nullptr);
  EXPECT_TRUE(ReadRelationships(reader, "xl/worksheets/sheet2.xml").empty())
      << "a part without a relationships part has none";
}

TEST(RelationshipsTest, ANewIdIsTheFirstNotTaken) {
  const std::pair<std::set<std::string>, const char*> cases[] = {
      {{}, "rId1"},
      {{"rId1", "rId3"}, "rId2"},
      {{"rId1", "rId2", "rIdChart"}, "rId3"},
  };
  for (const auto& [taken, id] : cases) EXPECT_EQ(NewRelationshipId(taken), id);
}

}  // namespace
}  // namespace tarquel::host::xlsx
