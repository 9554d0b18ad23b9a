#include "host/xlsx/xml_document.h"

#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/host_error.h"

namespace tarquel::host::xlsx {
namespace {

using ::testing::HasSubstr;

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

constexpr char kBillionLaughs[] =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE lolz [\n"
    " <!ENTITY lol \"lol\">\n"
    " <!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n"
    " <!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">\n"
    "]>\n"
    "<lolz>&lol3;</lolz>";

TEST(XmlDocumentTest, RefusesHostileOrBrokenPartsNamingPartAndOffset) {
  const struct {
    std::string what, bytes, says;
    std::size_t offset;
  } cases[] = {
      {"doctype", "<?xml version=\"1.0\"?><!DOCTYPE a><a/>", "文書型宣言", 21},
      {"billion laughs", kBillionLaughs, "文書型宣言", 22},
      {"doctype in content", "<a><!doctype b></a>", "文書型宣言", 3},
      {"undefined entity", "<a>&foo;</a>", "「&foo;」", 3},
      {"entity in attribute", "<a b='x&lol9;'/>", "「&lol9;」", 7},
      {"reference to NUL", "<a>&#0;cut</a>", "「&#0;」", 3},
      {"reference to a surrogate", "<a>&#xD800;</a>", "「&#xD800;」", 3},
      {"reference past U+10FFFF", "<a>&#x110000;</a>", "「&#x110000;」", 3},
      {"bare ampersand", "<a>R&D</a>", "参照になっていない", 4},
      {"bad UTF-8 lead", "<a>ab\xC3(</a>", "UTF-8", 5},
      {"overlong UTF-8", "<a>\xC0\xAF</a>", "UTF-8", 3},
      {"encoded surrogate", "<a>\xED\xA0\x80</a>", "UTF-8", 3},
      {"cut sequence", "<a/>\xE3\x81", "UTF-8", 4},
      {"raw control character", "<a>x\x01</a>", "U+0001", 4},
      {"raw noncharacter", "<a>\xEF\xBF\xBE</a>", "U+FFFE", 3},
      {"offset counts the BOM", "\xEF\xBB\xBF<a>\xFF</a>", "UTF-8", 6},
      {"mismatched tags", "<a><b></a>", "Start-end tags mismatch", 8},
      {"mismatched after BOM", "\xEF\xBB\xBF<a><b></a>", "Start-end tags mismatch", 11},
      {"empty", "", "No document element", 0},
  };
  for (const auto& c : cases) {
    pugi::xml_document doc;
    doc.append_child("keep");
    try {
      ParseXml(c.bytes, "xl/worksheets/sheet1.xml", doc);
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const HostError& error) {
      EXPECT_EQ(error.number(), HostError::kApplicationDefined);
      EXPECT_THAT(error.description(), HasSubstr("「xl/worksheets/sheet1.xml」")) << c.what;
      EXPECT_THAT(error.description(), HasSubstr(c.says)) << c.what;
      EXPECT_THAT(error.description(), HasSubstr(" " + std::to_string(c.offset) + " バイト"))
          << c.what << ": " << error.description();
    }
    EXPECT_TRUE(doc.child("keep")) << c.what << ": a refused parse changed the document";
  }
}

TEST(XmlDocumentTest, KeepsTextAsWritten) {
  const struct {
    std::string bytes, text;
  } cases[] = {
      {"<t xml:space=\"preserve\">  two  </t>", "  two  "},
      {"<t xml:space=\"preserve\"> </t>", " "},
      {"\xEF\xBB\xBF<t>bom</t>", "bom"},
      {"<t>&lt;&#12354;&#x41;&amp;&quot;&apos;&gt;</t>", "<あA&\"'>"},
      {"<t><![CDATA[<!DOCTYPE x> & y]]></t>", "<!DOCTYPE x> & y"},
      {"<!-- <!DOCTYPE & --><t b='<!-- '>&amp;</t>", "&"},
      {"<t>a\r\nb</t>", "a\nb"},
  };
  for (const auto& c : cases) {
    pugi::xml_document doc;
    ParseXml(c.bytes, "p.xml", doc);
    EXPECT_EQ(doc.child("t").child_value(), c.text) << c.bytes;
  }
}

TEST(XmlDocumentTest, SerializesWithDeclarationAndNoIndentation) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a x=\"1\">\n <b/><t xml:space=\"preserve\"> "
       "</t>&amp;</a>",
       "<a x=\"1\">\n <b/><t xml:space=\"preserve\"> </t>&amp;</a>"},
      {"<a v='say \"hi\"&#10;'>&#13;&#9;</a>", "<a v=\"say &quot;hi&quot;&#10;\">&#13;\t</a>"},
      {"<a><![CDATA[x<y]]></a>", "<a><![CDATA[x<y]]></a>"},
  };
  for (const auto& c : cases) {
    pugi::xml_document doc;
    ParseXml(c.in, "p.xml", doc);
    const std::string written = SerializeXml(doc);
    EXPECT_EQ(written, kDeclaration + c.out);
    pugi::xml_document again;
    ParseXml(written, "p.xml", again);
    EXPECT_EQ(SerializeXml(again), written) << "a second round trip changes nothing";
  }
}

}  // namespace
}  // namespace tarquel::host::xlsx
