#include "host/xlsx/shared_strings.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host/host_error.h"

namespace tarquel::host::xlsx {
namespace {

constexpr char kSstOpen[] =
    "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";

class SharedStringsTest : public ::testing::Test {
 protected:
  SharedStringsTest() {
    furigana_.size = 6;
    fonts_ = {Font{}, furigana_};
  }

  pugi::xml_document Parse(const std::string& xml) {
    pugi::xml_document doc;
    EXPECT_TRUE(doc.load_string(xml.c_str(), pugi::parse_default | pugi::parse_ws_pcdata)) << xml;
    return doc;
  }

  Text Read(const std::string& xml, std::optional<uint32_t>* font_id = nullptr) {
    const pugi::xml_document doc = Parse(xml);
    return ReadStringItem(doc.first_child(), &fonts_, font_id);
  }

  std::string Write(const Text& text) {
    std::string si = "<si>";
    WriteStringItem(text, &si, font_index_);
    return si + "</si>";
  }

  Font furigana_;
  std::vector<Font> fonts_;
  StyleFontIndex font_index_ = [this](const Font& font) {
    return static_cast<uint32_t>(std::find(fonts_.begin(), fonts_.end(), font) - fonts_.begin());
  };
};

Font Underlined() {
  Font font;
  font.underline = Underline::kSingle;
  return font;
}

Font Bold() {
  Font font;
  font.bold = true;
  return font;
}

// A text with formatting; the empty parts are left out.
Text Rich(std::string text, std::vector<FontRun> runs, std::vector<PhoneticRun> phonetics = {},
          std::optional<PhoneticProperties> properties = std::nullopt) {
  TextFormatting formatting;
  formatting.runs = std::move(runs);
  formatting.phonetics = std::move(phonetics);
  formatting.phonetic_properties = std::move(properties);
  return Text(std::move(text), std::move(formatting));
}

TEST_F(SharedStringsTest, WritesPlainTextExactly) {
  const struct {
    std::string text;
    std::string xml;
  } kCases[] = {
      {"abc", "<si><t>abc</t></si>"},
      {"", "<si><t/></si>"},
      {"a b", "<si><t>a b</t></si>"},
      {" lead", "<si><t xml:space=\"preserve\"> lead</t></si>"},
      {"trail\t", "<si><t xml:space=\"preserve\">trail\t</t></si>"},
      {"a  b", "<si><t xml:space=\"preserve\">a  b</t></si>"},
      {"a\r\nb", "<si><t xml:space=\"preserve\">a_x000D_\nb</t></si>"},
      {"tab\there\x01\x1F", "<si><t>tab\there_x0001__x001F_</t></si>"},
      {"x_x000D_y _x00e9_", "<si><t>x_x005F_x000D_y _x005F_x00e9_</t></si>"},
      {"_x00D_ _xZZZZ_", "<si><t>_x00D_ _xZZZZ_</t></si>"},
      {"a<b&c\xEF\xBF\xBF", "<si><t>a&lt;b&amp;c_xFFFF_</t></si>"},
  };
  for (const auto& c : kCases) EXPECT_EQ(Write(Text(c.text)), c.xml) << c.text;
}

TEST_F(SharedStringsTest, DecodesEscapesOnRead) {
  const struct {
    std::string t;
    std::string text;
  } kCases[] = {
      {"_x000D_", "\r"},
      {"_x000d_", "\r"},
      {"_x005F_x000D_", "_x000D_"},
      {"_x00D_", "_x00D_"},
      {"_xD840__xDC0B_", "\xF0\xA0\x80\x8B"},  // U+2000B as a surrogate pair
      {"_xD840_a",
       "\xEF\xBF\xBD"
       "a"},
      {"a&#13;b", "a\rb"},
      {"  two  ", "  two  "},
  };
  for (const auto& c : kCases) EXPECT_EQ(Read("<si><t>" + c.t + "</t></si>").text, c.text) << c.t;
}

// Items in the form the writer gives, so read -> write must reproduce them byte for byte.
TEST_F(SharedStringsTest, ItemsRoundTrip) {
  const std::string kRun = "<rPr><rFont val=\"ＭＳ Ｐゴシック\"/><sz val=\"11\"/></rPr>";
  const std::string kUnderlinedRun =
      "<rPr><rFont val=\"ＭＳ Ｐゴシック\"/><u/><sz val=\"11\"/></rPr>";
  const std::string kBoldRun = "<rPr><rFont val=\"ＭＳ Ｐゴシック\"/><b/><sz val=\"11\"/></rPr>";
  const std::string kCases[] = {
      "<si><t>漢字の読み</t></si>",
      "<si><t xml:space=\"preserve\">  both ends  </t></si>",
      "<si><t xml:space=\"preserve\">a_x000D_\nb_x0001_c\td</t></si>",
      "<si><t>_x005F_x000D_</t></si>",
      "<si><r>" + kRun + "<t xml:space=\"preserve\">An </t></r><r>" + kUnderlinedRun +
          "<t>underlined</t></r><r>" + kRun + "<t xml:space=\"preserve\"> word</t></r></si>",
      "<si><r><t xml:space=\"preserve\">cell font </t></r><r>" + kBoldRun + "<t>bold</t></r></si>",
      "<si><t>漢字を書く</t><rPh sb=\"0\" eb=\"2\"><t>かんじ</t></rPh><rPh sb=\"3\" eb=\"4\">"
      "<t>か</t></rPh><phoneticPr fontId=\"1\" type=\"Hiragana\"/></si>",
      "<si><r><t>\xF0\xA0\x80\x8B</t></r><r>" + kBoldRun +
          "<t>太字</t></r><rPh sb=\"2\" eb=\"4\"><t>ふとじ</t></rPh>"
          "<phoneticPr fontId=\"0\" type=\"noConversion\" alignment=\"distributed\"/></si>",
  };
  for (const std::string& xml : kCases) {
    const Text text = Read(xml);
    EXPECT_EQ(Write(text), xml);
    EXPECT_EQ(Read(Write(text)), text) << xml;
  }
  EXPECT_EQ(Write(Read("<si/>")), "<si><t/></si>");
  EXPECT_EQ(Read("<si/>"), Text(""));
}

TEST_F(SharedStringsTest, ReadsPositionsInUtf16Units) {
  std::optional<uint32_t> font_id;
  const Text text = Read(
      "<si><r><t>\xF0\xA0\x80\x8B</t></r><r><rPr><u/></rPr><t>漢字</t></r>"
      "<rPh sb=\"2\" eb=\"4\"><t>かんじ</t></rPh><phoneticPr fontId=\"1\" type=\"Hiragana\"/></si>",
      &font_id);
  ASSERT_NE(text.format(), nullptr);
  EXPECT_EQ(text.format()->runs,
            (std::vector<FontRun>{{0, 2, std::nullopt}, {2, 2, Underlined()}}));
  EXPECT_EQ(text.format()->phonetics, (std::vector<PhoneticRun>{{2, 4, "かんじ"}}));
  EXPECT_EQ(text.format()->phonetic_properties,
            (PhoneticProperties{furigana_, PhoneticType::kHiragana, PhoneticAlignment::kLeft}));
  EXPECT_EQ(font_id, 1u);
}

TEST_F(SharedStringsTest, ToleratesLayoutAndPrefixesAndDropsEmptyRuns) {
  const Text text = Read(
      "<x:si xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">\n"
      "  <x:r>\n    <x:t>a</x:t>\n  </x:r>\n  <x:r><x:t/></x:r>\n"
      "  <x:r><x:rPr><b/></x:rPr><x:t> b</x:t></x:r>\n</x:si>");
  EXPECT_EQ(text, Rich("a b", {{0, 1, std::nullopt}, {1, 2, Bold()}}));
  // A phonetic guide font the style sheet does not have is left to the default.
  std::optional<uint32_t> font_id;
  EXPECT_EQ(Read("<si><t>a</t><phoneticPr fontId=\"9\"/></si>", &font_id),
            Rich("a", {}, {}, PhoneticProperties{}));
  EXPECT_EQ(font_id, 9u);
}

TEST_F(SharedStringsTest, RefusesDamagedItemsNamingPartAndIndex) {
  const std::string kItems[] = {
      "<si><foo/></si>",
      "<si>stray</si>",
      "<si><r><rPr/></r></si>",
      "<si><t>ab</t><rPh sb=\"1\" eb=\"3\"><t>x</t></rPh></si>",
      "<si><t>ab</t><rPh sb=\"x\" eb=\"1\"><t>x</t></rPh></si>",
      "<si><t>abcd</t><rPh sb=\"0\" eb=\"2\"><t>x</t></rPh><rPh sb=\"1\" eb=\"3\"><t>y</t></rPh>"
      "</si>",
      "<si><t>ab</t><rPh sb=\"0\" eb=\"1\"/></si>",
      "<si><t>\xFF</t></si>",
  };
  for (const std::string& item : kItems) {
    const pugi::xml_document doc =
        Parse(std::string(kSstOpen) + "><si><t>ok</t></si>" + item + "</sst>");
    try {
      ReadSharedStrings(doc, &fonts_);
      ADD_FAILURE() << "accepted " << item;
    } catch (const HostError& error) {
      EXPECT_NE(error.description().find("xl/sharedStrings.xml の文字列 1 "), std::string::npos)
          << error.description();
    }
  }
  EXPECT_THROW(ReadSharedStrings(Parse("<styleSheet/>"), &fonts_), HostError);
}

// A big table keeps its items in order, and a damaged item is named by its index wherever it
// stands.
TEST_F(SharedStringsTest, BigTablesReadInOrderAndNameTheirDamagedItem) {
  constexpr int kItems = 20000;
  auto table = [&](int damaged) {
    std::string xml = std::string(kSstOpen) + ">";
    for (int i = 0; i < kItems; ++i) {
      xml += i == damaged ? "<si><foo/></si>" : "<si><t>" + std::to_string(i) + "</t></si>";
    }
    return Parse(xml + "</sst>");
  };
  const std::vector<Text> items = ReadSharedStrings(table(-1), &fonts_);
  ASSERT_EQ(items.size(), static_cast<std::size_t>(kItems));
  for (int i : {0, 9999, 10000, kItems - 1}) EXPECT_EQ(items[i].text, std::to_string(i));
  for (int damaged : {5, 15000}) {
    try {
      ReadSharedStrings(table(damaged), &fonts_);
      ADD_FAILURE() << "accepted item " << damaged;
    } catch (const HostError& error) {
      EXPECT_NE(error.description().find("の文字列 " + std::to_string(damaged) + " "),
                std::string::npos)
          << error.description();
    }
  }
}

// Whatever a text's runs and phonetics say, the text is written whole and reads back.
TEST_F(SharedStringsTest, WritesAllOfTheTextWhenRunsDoNotCoverIt) {
  const Text text = Rich("abcdef", {{1, 2, Bold()}, {4, 10, std::nullopt}},
                         {{0, 2, "x"}, {1, 3, "y"}, {5, 9, "z"}});
  EXPECT_EQ(Read(Write(text)),
            Rich("abcdef",
                 {{0, 1, std::nullopt}, {1, 2, Bold()}, {3, 1, std::nullopt}, {4, 2, std::nullopt}},
                 {{0, 2, "x"}}));
}

TEST_F(SharedStringsTest, TableKeepsEachDistinctTextOnce) {
  SharedStringTable table(font_index_);
  Text empty_formatting("a");
  empty_formatting.formatting = std::make_shared<const TextFormatting>();
  EXPECT_EQ(table.Add(Text("a")), 0u);
  EXPECT_EQ(table.Add(empty_formatting), 0u);
  EXPECT_EQ(table.Add(Rich("a", {{0, 1, Bold()}})), 1u);
  EXPECT_EQ(table.Add(Rich("a", {{0, 1, Bold()}})), 1u);  // a separate formatting
  EXPECT_EQ(table.Add(Rich("a", {{0, 1, Underlined()}})), 2u);
  EXPECT_EQ(table.Add(Rich("a", {}, {}, PhoneticProperties{furigana_})), 3u);
  EXPECT_EQ(table.Add(Text("b")), 4u);
  EXPECT_EQ(table.count_of_uses(), 7u);

  const std::string written = WriteSharedStrings(table);
  const std::string kBold = "<rPr><rFont val=\"ＭＳ Ｐゴシック\"/><b/><sz val=\"11\"/></rPr>";
  const std::string kUnderlined = "<rPr><rFont val=\"ＭＳ Ｐゴシック\"/><u/><sz val=\"11\"/></rPr>";
  EXPECT_EQ(written, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n" +
                         std::string(kSstOpen) + " count=\"7\" uniqueCount=\"5\">" +
                         "<si><t>a</t></si><si><r>" + kBold + "<t>a</t></r></si><si><r>" +
                         kUnderlined + "<t>a</t></r></si>" +
                         "<si><t>a</t><phoneticPr fontId=\"1\"/></si><si><t>b</t></si></sst>");
  const std::vector<Text> reread = ReadSharedStrings(Parse(written), &fonts_);
  ASSERT_EQ(reread.size(), table.size());
  for (std::size_t i = 0; i < reread.size(); ++i) EXPECT_EQ(reread[i], table.item(i)) << i;
}

// Rich texts of one string that differ only in formatting must all stay apart.
TEST_F(SharedStringsTest, TableSeparatesManyFormattingsOfOneString) {
  constexpr uint32_t kCount = 65535;
  SharedStringTable table;
  auto nth = [](uint32_t i) {
    Font font;
    font.color = Color::Rgb(i);
    return Rich("同じ文字列", {{0, 1 + i % 5, font}});
  };
  for (uint32_t i = 0; i < kCount; ++i) ASSERT_EQ(table.Add(nth(i)), i);
  for (uint32_t i = 0; i < kCount; i += 4099) EXPECT_EQ(table.Add(nth(i)), i);
  EXPECT_EQ(table.size(), kCount);
}

}  // namespace
}  // namespace tarquel::host::xlsx
