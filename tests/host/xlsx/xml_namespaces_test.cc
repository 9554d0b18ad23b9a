// Parsing gives the readers plain names whatever prefixes a writer bound the namespaces to:
// elements of the package's own namespaces unprefixed, office relationships attributes under r,
// other namespaces' elements never taken for ours; and the part writes back meaning the same.
#include <string>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/host_error.h"
#include "host/xlsx/xml_document.h"

namespace tarquel::host::xlsx {
namespace {

using ::testing::HasSubstr;

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

// The namespaces, spelt out in the cases below through these short names.
std::string Expanded(std::string xml) {
  const std::pair<const char*, const char*> kNames[] = {
      {"{M}", "http://schemas.openxmlformats.org/spreadsheetml/2006/main"},
      {"{OR}", "http://schemas.openxmlformats.org/officeDocument/2006/relationships"},
      {"{PR}", "http://schemas.openxmlformats.org/package/2006/relationships"},
      {"{CT}", "http://schemas.openxmlformats.org/package/2006/content-types"},
      {"{X14}", "http://schemas.microsoft.com/office/spreadsheetml/2009/9/main"},
      {"{MC}", "http://schemas.openxmlformats.org/markup-compatibility/2006"},
  };
  for (const auto& [name, uri] : kNames) {
    for (std::size_t at; (at = xml.find(name)) != std::string::npos;) {
      xml.replace(at, std::string(name).size(), uri);
    }
  }
  return xml;
}

std::string Parsed(const std::string& xml) {
  pugi::xml_document doc;
  ParseXml(Expanded(xml), "xl/part.xml", doc);
  const std::string written = SerializeXml(doc);
  return written.substr(std::string(kDeclaration).size());
}

TEST(XmlNamespacesTest, NamesArePlainByNamespaceNotByPrefix) {
  const struct {
    const char* what;
    std::string in, out;
  } cases[] = {
      {"every element prefixed, relationships under another prefix",
       "<x:worksheet xmlns:x=\"{M}\" xmlns:rel=\"{OR}\"><x:sheetData><x:row r=\"1\">"
       "<x:c r=\"A1\"><x:v>1</x:v></x:c></x:row></x:sheetData><x:legacyDrawing rel:id=\"R1\"/>"
       "</x:worksheet>",
       "<worksheet xmlns=\"{M}\" xmlns:r=\"{OR}\"><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v>"
       "</c></row></sheetData><legacyDrawing r:id=\"R1\"/></worksheet>"},
      {"content types", "<ct:Types xmlns:ct=\"{CT}\"><ct:Default Extension=\"xml\"/></ct:Types>",
       "<Types xmlns=\"{CT}\"><Default Extension=\"xml\"/></Types>"},
      {"relationships",
       "<pr:Relationships xmlns:pr=\"{PR}\"><pr:Relationship Id=\"R1\" Target=\"a.xml\"/>"
       "</pr:Relationships>",
       "<Relationships xmlns=\"{PR}\"><Relationship Id=\"R1\" Target=\"a.xml\"/>"
       "</Relationships>"},
      {"a prefix declared below the root",
       "<worksheet xmlns=\"{M}\"><x:sheetData xmlns:x=\"{M}\"><x:row/></x:sheetData></worksheet>",
       "<worksheet xmlns=\"{M}\"><sheetData><row/></sheetData></worksheet>"},
      {"another namespace as the default under a prefixed root",
       "<x:sst xmlns:x=\"{M}\" xmlns=\"urn:other\"><x:si><t>a</t></x:si><si/></x:sst>",
       "<sst xmlns=\"{M}\" xmlns:ns1=\"urn:other\"><si><ns1:t>a</ns1:t></si><ns1:si/></sst>"},
      {"another namespace as the default of an extension",
       "<worksheet xmlns=\"{M}\"><extLst><ext uri=\"u\"><data xmlns=\"urn:f\"><c/></data></ext>"
       "</extLst></worksheet>",
       "<worksheet xmlns=\"{M}\"><extLst><ext uri=\"u\"><ns1:data xmlns:ns1=\"urn:f\"><ns1:c/>"
       "</ns1:data></ext></extLst></worksheet>"},
      {"an invented prefix avoids those in use",
       "<worksheet xmlns=\"{M}\" xmlns:ns1=\"urn:a\"><ns1:a/><b xmlns=\"urn:b\"/></worksheet>",
       "<worksheet xmlns=\"{M}\" xmlns:ns1=\"urn:a\"><ns1:a/><ns2:b xmlns:ns2=\"urn:b\"/>"
       "</worksheet>"},
      {"r bound to another namespace",
       "<workbook xmlns=\"{M}\" xmlns:r=\"urn:not-rels\" xmlns:o=\"{OR}\"><sheets>"
       "<sheet r:id=\"a\" o:id=\"R1\"/></sheets></workbook>",
       "<workbook xmlns=\"{M}\" xmlns:ns1=\"urn:not-rels\" xmlns:r=\"{OR}\"><sheets>"
       "<sheet ns1:id=\"a\" r:id=\"R1\"/></sheets></workbook>"},
      {"an attribute once called r:id gives way to the relationship",
       "<workbook xmlns=\"{M}\" xmlns:r=\"urn:not-rels\" xmlns:o=\"{OR}\"><sheets>"
       "<sheet o:id=\"R1\" r:id=\"a\"/></sheets></workbook>",
       "<workbook xmlns=\"{M}\" xmlns:ns1=\"urn:not-rels\" xmlns:r=\"{OR}\"><sheets>"
       "<sheet r:id=\"R1\" ns1:id=\"a\"/></sheets></workbook>"},
      {"our namespace under a foreign default",
       "<worksheet xmlns=\"{M}\" xmlns:x=\"{M}\"><a xmlns=\"urn:f\"><x:c/><d/></a></worksheet>",
       "<worksheet xmlns=\"{M}\"><ns1:a xmlns:ns1=\"urn:f\"><c/><ns1:d/></ns1:a></worksheet>"},
      {"an attribute of our namespace keeps its prefix",
       "<x:worksheet xmlns:x=\"{M}\"><x:c x:foo=\"1\"/></x:worksheet>",
       "<worksheet xmlns=\"{M}\" xmlns:x=\"{M}\"><c x:foo=\"1\"/></worksheet>"},
      {"no namespace below a prefixed root",
       "<x:worksheet xmlns:x=\"{M}\"><a xmlns=\"\"/></x:worksheet>",
       "<worksheet xmlns=\"{M}\"><a/></worksheet>"},
      {"foreign prefixes and markup compatibility stay",
       "<x:worksheet xmlns:x=\"{M}\" xmlns:mc=\"{MC}\" xmlns:x14=\"{X14}\" mc:Ignorable=\"x14\">"
       "<x:sheetFormatPr x14:dyDescent=\"0.25\"/><x14:ext/></x:worksheet>",
       "<worksheet xmlns=\"{M}\" xmlns:mc=\"{MC}\" xmlns:x14=\"{X14}\" mc:Ignorable=\"x14\">"
       "<sheetFormatPr x14:dyDescent=\"0.25\"/><x14:ext/></worksheet>"},
      {"an undeclared prefix stays", "<worksheet><x:c/></worksheet>",
       "<worksheet><x:c/></worksheet>"},
      {"declarations that change nothing",
       "<worksheet xmlns=\"{M}\" xmlns:r=\"{OR}\" xmlns:x14=\"{X14}\"><c b=\" xmlns:x='{M}'\"/>"
       "<ext xmlns:x14=\"{X14}\" xmlns=\"{M}\"><x14:id>xmlns:y=\"{M}\"</x14:id></ext>"
       "</worksheet>",
       "<worksheet xmlns=\"{M}\" xmlns:r=\"{OR}\" xmlns:x14=\"{X14}\"><c b=\" xmlns:x='{M}'\"/>"
       "<ext xmlns:x14=\"{X14}\" xmlns=\"{M}\"><x14:id>xmlns:y=\"{M}\"</x14:id></ext>"
       "</worksheet>"},
  };
  for (const auto& c : cases) {
    const std::string written = Parsed(c.in);
    EXPECT_EQ(written, Expanded(c.out)) << c.what;
    EXPECT_EQ(Parsed(written), written) << c.what << ": a second reading changes nothing";
  }
}

// Found by fuzzing: the parser lets "x:3a" through, and without its prefix the name would start
// with a digit and write back as XML that does not parse. Such a name keeps its prefix.
TEST(XmlNamespacesTest, ANameWhoseLocalPartCannotStartANameKeepsItsPrefix) {
  const std::string written = Parsed(
      "<x:worksheet xmlns:x=\"{M}\"><x:3sheet rel:2id=\"R1\" xmlns:rel=\"{OR}\"/>"
      "<x:sheetData/></x:worksheet>");
  EXPECT_NE(written.find("<x:3sheet"), std::string::npos) << written;
  EXPECT_NE(written.find("<sheetData/>"), std::string::npos) << written;
  pugi::xml_document again;
  ParseXml(written, "xl/part.xml", again);  // throws if what was written is not XML
}

TEST(XmlNamespacesTest, APartWhoseRootIsOfAnotherNamespaceIsRefused) {
  const struct {
    std::string bytes, says;
    std::size_t offset;
  } cases[] = {
      {"<worksheet xmlns=\"urn:other\"/>", "名前空間「urn:other」", 1},
      {"\xEF\xBB\xBF<s:workbook xmlns:s=\"http://purl.oclc.org/ooxml/spreadsheetml/main\"/>",
       "名前空間「http://purl.oclc.org/ooxml/spreadsheetml/main」", 4},
      {"<x:sst xmlns:x=\"urn:" + std::string(200, 'a') + "\"/>", "他の名前空間", 1},
  };
  for (const auto& c : cases) {
    pugi::xml_document doc;
    doc.append_child("keep");
    try {
      ParseXml(c.bytes, "xl/workbook.xml", doc);
      ADD_FAILURE() << c.bytes << " was accepted";
    } catch (const HostError& error) {
      EXPECT_THAT(error.description(), HasSubstr("「xl/workbook.xml」")) << c.bytes;
      EXPECT_THAT(error.description(), HasSubstr(c.says)) << c.bytes;
      EXPECT_THAT(error.description(), HasSubstr(" " + std::to_string(c.offset) + " バイト"))
          << error.description();
    }
    EXPECT_TRUE(doc.child("keep")) << c.bytes;
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
