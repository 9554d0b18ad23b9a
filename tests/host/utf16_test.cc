// The one strict UTF-8 decoder every checking reader uses, and the helpers that cut and step
// through UTF-8 without splitting a character.
#include "host/utf16.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarquel::host {
namespace {

TEST(Utf16Test, StrictDecodingTakesWellFormedCharactersOnly) {
  const struct {
    const char* what;
    std::string bytes;
    std::optional<char32_t> decoded;
    std::size_t next;  // where the position stands afterwards
  } cases[] = {
      {"ASCII", "a", U'a', 1},
      {"two bytes", "\xC3\xA9", U'é', 2},
      {"three bytes", "\xE6\xBC\xA2", U'漢', 3},
      {"four bytes", "\xF0\xA0\xAE\xB7", U'\U00020BB7', 4},
      {"last code point", "\xF4\x8F\xBF\xBF", U'\U0010FFFF', 4},
      {"stray continuation", "\x80", std::nullopt, 0},
      {"overlong two bytes", "\xC0\xAF", std::nullopt, 0},
      {"overlong three bytes", "\xE0\x80\xAF", std::nullopt, 0},
      {"overlong four bytes", "\xF0\x80\x80\xAF", std::nullopt, 0},
      {"surrogate", "\xED\xA0\x80", std::nullopt, 0},
      {"past U+10FFFF", "\xF4\x90\x80\x80", std::nullopt, 0},
      {"cut sequence", "\xE6\xBC", std::nullopt, 0},
      {"bad continuation", "\xE6\x41\xA2", std::nullopt, 0},
      {"lead byte F5", "\xF5\x80\x80\x80", std::nullopt, 0},
  };
  for (const auto& c : cases) {
    std::size_t pos = 0;
    EXPECT_EQ(DecodeUtf8Strict(c.bytes, &pos), c.decoded) << c.what;
    EXPECT_EQ(pos, c.next) << c.what;
    EXPECT_EQ(IsValidUtf8(c.bytes), c.decoded.has_value()) << c.what;
  }
}

TEST(Utf16Test, CutsAndStepsNeverSplitACharacter) {
  const std::string text = "a漢\xF0\xA0\xAE\xB7";  // 1 + 3 + 4 bytes
  EXPECT_EQ(Utf8CharacterStart(text, 0), 0u);
  EXPECT_EQ(Utf8CharacterStart(text, 2), 1u);
  EXPECT_EQ(Utf8CharacterStart(text, 3), 1u);
  EXPECT_EQ(Utf8CharacterStart(text, 4), 4u);
  EXPECT_EQ(Utf8CharacterStart(text, 7), 4u);
  EXPECT_EQ(Utf8CharacterStart(text, 8), 8u) << "the end is a place to cut";
  EXPECT_EQ(Utf8SequenceAt(text, 0), 1u);
  EXPECT_EQ(Utf8SequenceAt(text, 1), 3u);
  EXPECT_EQ(Utf8SequenceAt(text, 4), 4u);
  EXPECT_EQ(Utf8SequenceAt(text, 2), 1u) << "a continuation byte steps alone";
  EXPECT_EQ(Utf8SequenceAt(std::string("\xE6\xBC"), 0), 2u) << "never past the end";
  EXPECT_EQ(Utf16Length(text), 4u);
}

}  // namespace
}  // namespace tarquel::host
