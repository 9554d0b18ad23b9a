// The content types a save writes: a new package's, and an original's changed only where the
// parts written differ from the parts it named, its bytes kept when nothing differs.
#include "host/xlsx/content_types.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "host/host_error.h"
#include "host/xlsx/package.h"
#include "host/xlsx/package_origin.h"

namespace tarquel::host::xlsx {
namespace {

constexpr char kSheetType[] = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

// What a types part says: the extensions of its defaults in order, and each override's type.
struct Types {
  std::vector<std::string> defaults;
  std::map<std::string, std::string> overrides;  // part name (with its leading '/') -> type
};

Types Parse(const std::string& bytes) {
  pugi::xml_document doc;
  EXPECT_TRUE(doc.load_string(bytes.c_str()));
  Types types;
  for (pugi::xml_node d : doc.child("Types").children("Default"))
    types.defaults.push_back(d.attribute("Extension").value());
  for (pugi::xml_node o : doc.child("Types").children("Override")) {
    EXPECT_FALSE(types.overrides.contains(o.attribute("PartName").value())) << "named twice";
    types.overrides[o.attribute("PartName").value()] = o.attribute("ContentType").value();
  }
  return types;
}

std::string Override(const std::string& part, const std::string& type) {
  return "<Override PartName=\"/" + part + "\" ContentType=\"" + kSheetType + type + "\"/>";
}

// A package that names its workbook, two sheets, a style sheet and a theme, as read.
std::unique_ptr<PackageOrigin> ReadOrigin() {
  PackageWriter package;
  package.Add(kContentTypesPart,
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" "
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
                  Override("xl/workbook.xml", "sheet.main+xml") +
                  Override("xl/worksheets/sheet1.xml", "worksheet+xml") +
                  Override("xl/worksheets/sheet2.xml", "worksheet+xml") +
                  Override("xl/styles.xml", "styles+xml") +
                  "<Override PartName=\"/xl/theme/theme1.xml\" "
                  "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>"
                  "</Types>");
  auto origin = std::make_unique<PackageOrigin>(PackageReader::Open(package.Finish(), "a.xlsx"));
  ReadContentTypes(*origin);
  origin->workbook_part = "xl/workbook.xml";
  origin->modelled_parts = {kContentTypesPart, "xl/workbook.xml", "xl/worksheets/sheet1.xml",
                            "xl/worksheets/sheet2.xml", "xl/styles.xml"};
  return origin;
}

const std::vector<PartType> kOriginalParts = {{"xl/worksheets/sheet1.xml", "worksheet+xml"},
                                              {"xl/worksheets/sheet2.xml", "worksheet+xml"},
                                              {"xl/styles.xml", "styles+xml"}};

TEST(ContentTypesTest, ANewPackageNamesEveryPartWritten) {
  const std::vector<PartType> parts = {{"xl/worksheets/sheet1.xml", "worksheet+xml"},
                                       {"xl/styles.xml", "styles+xml"},
                                       {"xl/comments1.xml", "comments+xml"}};
  for (const bool vml : {false, true}) {
    SCOPED_TRACE(vml ? "with a legacy drawing" : "without");
    const std::optional<std::string> bytes =
        WriteContentTypes(nullptr, false, "xl/workbook.xml", parts, vml);
    ASSERT_TRUE(bytes.has_value());
    const Types types = Parse(*bytes);
    EXPECT_EQ(types.overrides.at("/xl/workbook.xml"), std::string(kSheetType) + "sheet.main+xml");
    for (const PartType& part : parts)
      EXPECT_EQ(types.overrides.at("/" + part.part), kSheetType + part.type);
    EXPECT_EQ(types.overrides.size(), parts.size() + 1);
    std::vector<std::string> defaults = {"rels", "xml"};
    if (vml) defaults.insert(defaults.begin(), "vml");
    EXPECT_EQ(types.defaults, defaults);
  }
}

TEST(ContentTypesTest, TheOriginalsTypesChangeOnlyWhereThePartsDo) {
  struct Case {
    const char* what;
    bool keep;
    std::vector<PartType> parts;
    bool vml;
    bool kept;  // the original's bytes are kept
    std::vector<std::string> gone;
    std::vector<std::string> added;
    std::vector<std::string> defaults;
  };
  std::vector<PartType> with_comments = kOriginalParts;
  with_comments.push_back({"xl/comments1.xml", "comments+xml"});
  const std::vector<PartType> one_sheet(kOriginalParts.begin() + 1, kOriginalParts.end());
  const std::vector<Case> cases = {
      {"the same parts", true, kOriginalParts, false, true, {}, {}, {"rels", "xml"}},
      {"the same parts written anew", false, kOriginalParts, false, false, {}, {}, {"rels", "xml"}},
      {"new comments",
       true,
       with_comments,
       true,
       false,
       {},
       {"/xl/comments1.xml"},
       {"vml", "rels", "xml"}},
      // The theme is no part the host models, so it keeps its type though it is not written.
      {"a sheet deleted",
       true,
       one_sheet,
       false,
       false,
       {"/xl/worksheets/sheet1.xml"},
       {},
       {"rels", "xml"}},
  };
  const Types original = Parse(ReadOrigin()->reader.Read(kContentTypesPart));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::unique_ptr<PackageOrigin> origin = ReadOrigin();
    const std::optional<std::string> bytes =
        WriteContentTypes(origin.get(), c.keep, "xl/workbook.xml", c.parts, c.vml);
    EXPECT_EQ(!bytes.has_value(), c.kept);
    const Types types = bytes ? Parse(*bytes) : original;
    std::map<std::string, std::string> expected = original.overrides;
    for (const std::string& part : c.gone) expected.erase(part);
    for (const PartType& part : c.parts) {
      if (!original.overrides.contains("/" + part.part))
        expected["/" + part.part] = kSheetType + part.type;
    }
    EXPECT_EQ(types.overrides, expected);
    for (const std::string& part : c.added) EXPECT_TRUE(types.overrides.contains(part)) << part;
    EXPECT_EQ(types.defaults, c.defaults);
  }
}

TEST(ContentTypesTest, APackageWithoutContentTypesIsRefusedSayingSo) {
  PackageWriter package;
  package.Add("xl/workbook.xml", "<workbook/>");
  PackageOrigin origin(PackageReader::Open(package.Finish(), "a.xlsx"));
  try {
    ReadContentTypes(origin);
    ADD_FAILURE() << "no error";
  } catch (const HostError& error) {
    EXPECT_EQ(error.number(), HostError::kApplicationDefined);
    EXPECT_NE(error.description().find("[Content_Types].xml がありません"), std::string::npos)
        << error.description();
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
