#include "host/platform/cp932.h"

#include <set>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "host/utf16.h"

namespace tarquel::host {
namespace {

using ::testing::ElementsAre;

// Codes checked against the code page table, chosen where converters are known to differ:
// the ends of the kanji levels, CP932's own choices for characters JIS maps elsewhere, the
// vendor extension rows and half-width katakana.
TEST(Cp932Test, CodesOfCharacters) {
  struct Case {
    char32_t ch;
    std::string utf8;
    std::optional<uint16_t> code;
  } cases[] = {
      {U'A', "A", 0x41},
      {U'\\', "\\", 0x5C},
      {U'\0', std::string(1, '\0'), 0x00},
      {U'漢', "漢", 0x8ABF},
      {U'亜', "亜", 0x889F},
      {U'腕', "腕", 0x9872},
      {U'弌', "弌", 0x989F},
      {U'、', "、", 0x8141},
      {U'々', "々", 0x8158},
      {U'ｱ', "ｱ", 0xB1},
      {U'ﾟ', "ﾟ", 0xDF},
      {U'～', "～", 0x8160},
      {U'∥', "∥", 0x8161},
      {U'－', "－", 0x817C},
      {U'￢', "￢", 0x81CA},
      {U'髙', "髙", 0xFBFC},
      {U'①', "①", 0x8740},
      {U'€', "€", std::nullopt},
      {U'😀', "😀", std::nullopt},
      {U'\uFEFF', "\uFEFF", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Cp932Code(c.ch), c.code);
    std::optional<std::string> bytes = Utf8ToCp932(c.utf8);
    if (!c.code.has_value()) {
      EXPECT_EQ(bytes, std::nullopt);
      continue;
    }
    std::string expected = *c.code > 0xFF ? std::string{static_cast<char>(*c.code >> 8),
                                                        static_cast<char>(*c.code & 0xFF)}
                                          : std::string(1, static_cast<char>(*c.code));
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(Cp932ToUtf8(expected), c.utf8);
  }
  EXPECT_EQ(Cp932Code(0xD800), std::nullopt);
  EXPECT_EQ(Cp932Code(0x110000), std::nullopt);
}

TEST(Cp932Test, TextRoundTrips) {
  // Half-width katakana triple in size from CP932 to UTF-8, which outgrows the first buffer.
  std::string long_text;
  for (int i = 0; i < 5000; ++i) long_text += "ｱ漢";
  const std::string texts[] = {"", "同音・同訓 テスト No.1\r\n", "ﾊﾝｶｸｶﾀｶﾅ～∥髙①", long_text};
  for (const std::string& text : texts) {
    std::optional<std::string> bytes = Utf8ToCp932(text);
    ASSERT_TRUE(bytes.has_value()) << text.substr(0, 30);
    EXPECT_EQ(Cp932ToUtf8(*bytes), text) << text.substr(0, 30);
  }
  // Where the code page has duplicates, the way back gives one of them.
  EXPECT_EQ(Utf8ToCp932("\u301C"), "\x81\x60");
  EXPECT_EQ(Utf8ToCp932(Cp932ToUtf8("\xED\x40").value_or("")), "\xFA\x5C");
}

// The converter writes these with the code of another character, or drops them, so they would
// come back as other text: a wave dash stored in a file reads back as a full-width tilde.
TEST(Cp932Test, TheExactConversionRefusesWhatReadsBackAsOtherText) {
  struct Case {
    std::string text;
    std::string reads_back_as;  // after the plain conversion and back
  } one_way[] = {
      {"〜", "～"}, {"‖", "∥"}, {"−", "－"}, {"¢", "￠"}, {"£", "￡"},
      {"¬", "￢"},  {"—", "―"}, {"¥", "\\"}, {"‾", "~"},  {"a\U000E0001b", "ab"},
  };
  for (const Case& c : one_way) {
    SCOPED_TRACE(c.text);
    const std::optional<std::string> bytes = Utf8ToCp932(c.text);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(Cp932ToUtf8(*bytes), c.reads_back_as);
    EXPECT_EQ(Utf8ToCp932Exactly(c.text), std::nullopt);
    EXPECT_EQ(Utf8ToCp932Exactly("/home/先生/" + c.text + ".xlsx"), std::nullopt);
  }
  // Characters with no code at all stay refused; CP932's own characters and the look-alikes
  // above keep their text.
  for (const std::string text : {"¦", "€", "剝", "𠮟", "\xC0\xAF"}) {
    EXPECT_EQ(Utf8ToCp932Exactly(text), std::nullopt) << text;
  }
  for (const std::string text : {"", "/home/先生/第1回～第3回.xlsx", "∥－￠￡￢―￤", "ﾃｽﾄ", "髙①",
                                 "C:\\data\\a~b.xls", "\x7F"}) {
    EXPECT_EQ(Utf8ToCp932Exactly(text), Utf8ToCp932(text)) << text;
    EXPECT_NE(Utf8ToCp932Exactly(text), std::nullopt) << text;
  }
}

// Every character of Unicode: those the plain conversion takes but that do not read back are
// exactly the ones above, so the exact conversion refuses no more than it must.
TEST(Cp932Test, TheOneWayCharactersAreKnown) {
  std::set<char32_t> one_way;
  for (char32_t ch = 1; ch <= 0x10FFFF; ++ch) {
    if (ch >= 0xD800 && ch <= 0xDFFF) continue;
    std::string text;
    AppendUtf8(ch, &text);
    if (Utf8ToCp932(text).has_value() && !Utf8ToCp932Exactly(text).has_value()) {
      one_way.insert(ch);
    }
  }
  std::set<char32_t> expected{0x00A2, 0x00A3, 0x00A5, 0x00AC, 0x2014,
                              0x2016, 0x203E, 0x2212, 0x301C};
  for (char32_t tag = 0xE0000; tag <= 0xE007F; ++tag) expected.insert(tag);
  EXPECT_EQ(one_way, expected);
}

TEST(Cp932Test, InvalidInputGivesNothing) {
  const std::string bad_cp932[] = {
      "\x81",                      // lead byte cut off at the end
      "abc\x88",                   // the same after good text
      "\x85\x40",                  // unassigned row
      "\x81\x7F",                  // trail byte out of range
      "\x81\x20",                  // a space is no trail byte
      "\x80",     "\xA0", "\xFD",  // bytes that are no character
  };
  for (const std::string& bytes : bad_cp932) {
    EXPECT_EQ(Cp932ToUtf8(bytes), std::nullopt) << ::testing::PrintToString(bytes);
  }
  const std::string bad_utf8[] = {
      "\xE6\xBC",          // 漢 cut off
      "\xC0\xAF",          // overlong '/'
      "\xED\xA0\x80",      // encoded surrogate
      "\xF4\x90\x80\x80",  // above U+10FFFF
      "\x80",              // lone continuation byte
  };
  for (const std::string& text : bad_utf8) {
    EXPECT_EQ(Utf8ToCp932(text), std::nullopt) << ::testing::PrintToString(text);
  }
  // A failed conversion must not leave the cached converter mid-character.
  EXPECT_EQ(Cp932ToUtf8("\x8a\xbf"), "漢");
  EXPECT_EQ(Utf8ToCp932("漢"), "\x8a\xbf");
}

TEST(Cp932Test, SplitLinesAcceptsEveryLineEnd) {
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\nb\rc\r\n", {"a", "b", "c"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two ends, not one
      {"\x8a\xbf=1\r\n", {"\x8a\xbf=1"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitLines(c.bytes), c.lines) << ::testing::PrintToString(c.bytes);
  }
}

TEST(Cp932Test, JoinLinesEndsEveryLine) {
  EXPECT_EQ(JoinLinesCrLf({}), "");
  EXPECT_EQ(JoinLinesCrLf({""}), "\r\n");
  EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_THAT(SplitLines(JoinLinesCrLf({"a", "", "b"})), ElementsAre("a", "", "b"));
}

}  // namespace
}  // namespace tarquel::host
