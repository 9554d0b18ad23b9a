// Every field of a font or a text changes its hash, so style interning, the shared strings and
// the save's fingerprint, which all hash through HashInto, notice every change alike.
#include "host/hasher.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/cell_format.h"
#include "host/cell_value.h"

namespace tarquel::host {
namespace {

template <typename T>
uint64_t HashOf(const T& value) {
  Hasher hasher;
  HashInto(value, hasher);
  return hasher.value();
}

TEST(HasherTest, EveryFontFieldChangesTheHash) {
  const std::vector<std::pair<const char*, std::function<void(Font&)>>> changes = {
      {"name", [](Font& f) { f.name = "游明朝"; }},
      {"size", [](Font& f) { f.size = 12; }},
      {"bold", [](Font& f) { f.bold = true; }},
      {"italic", [](Font& f) { f.italic = true; }},
      {"underline", [](Font& f) { f.underline = Underline::kDouble; }},
      {"strikethrough", [](Font& f) { f.strikethrough = true; }},
      {"superscript", [](Font& f) { f.superscript = true; }},
      {"subscript", [](Font& f) { f.subscript = true; }},
      {"outline", [](Font& f) { f.outline = true; }},
      {"shadow", [](Font& f) { f.shadow = true; }},
      {"colour kind", [](Font& f) { f.color = Color::Indexed(0); }},
      {"colour value", [](Font& f) { f.color = Color::Rgb(0xFF00FF00); }},
      {"colour tint", [](Font& f) { f.color.tint = -0.25; }},
      {"family", [](Font& f) { f.family = 3; }},
      {"charset", [](Font& f) { f.charset = 128; }},
      {"scheme", [](Font& f) { f.scheme = "minor"; }},
  };
  const Font plain;
  for (const auto& [field, change] : changes) {
    Font changed = plain;
    change(changed);
    EXPECT_NE(HashOf(changed), HashOf(plain)) << field;
    EXPECT_EQ(HashOf(changed), HashOf(Font(changed))) << field << ": copies hash alike";
  }
  EXPECT_NE(HashOf(std::optional<Font>()), HashOf(std::optional<Font>(plain)));
}

TEST(HasherTest, TextsHashByCharactersRunsAndPhonetics) {
  Font bold;
  bold.bold = true;
  const Text plain("試合にカツ。");
  const std::vector<std::pair<const char*, Text>> others = {
      {"characters", Text("試合にかつ。")},
      {"a run", Text("試合にカツ。", {{{3, 2, bold}}, {}, std::nullopt})},
      {"a run without font", Text("試合にカツ。", {{{3, 2, std::nullopt}}, {}, std::nullopt})},
      {"a phonetic run", Text("試合にカツ。", {{}, {{0, 2, "しあい"}}, std::nullopt})},
      {"phonetic properties", Text("試合にカツ。", {{}, {}, PhoneticProperties{}})},
  };
  for (const auto& [what, other] : others) {
    EXPECT_NE(HashOf(other), HashOf(plain)) << what;
  }
  // Runs that differ only in where they fall, or in their font, differ too.
  EXPECT_NE(HashOf(Text("試合にカツ。", {{{3, 2, bold}}, {}, std::nullopt})),
            HashOf(Text("試合にカツ。", {{{2, 2, bold}}, {}, std::nullopt})));
  // A null and an empty formatting write the same and mean the same.
  Text empty("試合にカツ。");
  empty.formatting = std::make_shared<const TextFormatting>();
  EXPECT_EQ(HashOf(empty), HashOf(plain));
}

}  // namespace
}  // namespace tarquel::host
