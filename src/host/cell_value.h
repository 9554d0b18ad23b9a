// The value a cell holds: empty, a number, a text with its character-level formatting and
// phonetic guide, a Boolean, or an error; a cell loaded from a file may also keep a formula,
// whose cached result is then the value.
#ifndef TARQUEL_HOST_CELL_VALUE_H_
#define TARQUEL_HOST_CELL_VALUE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "host/cell_format.h"

namespace tarquel::host {

// The font of a run of characters: absent (the cell's font, as a file's run without run
// properties) or a font. It reads like an optional font; copies share one font, since a
// workbook's runs repeat the same few fonts tens of thousands of times, and a font is never
// changed in place, only replaced.
class RunFont {
 public:
  RunFont() = default;
  RunFont(std::nullopt_t) {}                                                    // NOLINT
  RunFont(Font font) : font_(std::make_shared<const Font>(std::move(font))) {}  // NOLINT
  RunFont(const std::optional<Font>& font) {                                    // NOLINT
    if (font) font_ = std::make_shared<const Font>(*font);
  }

  bool has_value() const { return font_ != nullptr; }
  explicit operator bool() const { return has_value(); }
  const Font& operator*() const { return *font_; }
  const Font* operator->() const { return font_.get(); }
  const Font& value_or(const Font& otherwise) const { return font_ ? *font_ : otherwise; }

  bool operator==(const RunFont& other) const {
    return font_ == other.font_ || (font_ && other.font_ && *font_ == *other.font_);
  }

 private:
  std::shared_ptr<const Font> font_;
};

// A run of characters with a font of its own. Positions count UTF-16 units of the text.
struct FontRun {
  uint32_t start = 0;
  uint32_t length = 0;
  RunFont font;

  bool operator==(const FontRun&) const = default;
};

// Phonetic guide text over the base characters [start, end) (UTF-16 units).
struct PhoneticRun {
  uint32_t start = 0;
  uint32_t end = 0;
  std::string text;

  bool operator==(const PhoneticRun&) const = default;
};

enum class PhoneticType : uint8_t {
  kHalfwidthKatakana,
  kFullwidthKatakana,
  kHiragana,
  kNoConversion
};
enum class PhoneticAlignment : uint8_t { kNoControl, kLeft, kCenter, kDistributed };

struct PhoneticProperties {
  std::optional<Font> font;  // absent: the workbook's default
  PhoneticType type = PhoneticType::kFullwidthKatakana;
  PhoneticAlignment alignment = PhoneticAlignment::kLeft;

  bool operator==(const PhoneticProperties&) const = default;
};

// Character formatting and phonetics of a text. Runs, when present, cover the text in order
// without gaps.
struct TextFormatting {
  std::vector<FontRun> runs;
  std::vector<PhoneticRun> phonetics;
  std::optional<PhoneticProperties> phonetic_properties;

  bool empty() const { return runs.empty() && phonetics.empty() && !phonetic_properties; }
  bool operator==(const TextFormatting&) const = default;
};

// A text value. The formatting is shared between copies and replaced, never changed in place.
struct Text {
  std::string text;                                  // UTF-8
  std::shared_ptr<const TextFormatting> formatting;  // null: plain text

  Text() = default;
  explicit Text(std::string t) : text(std::move(t)) {}
  Text(std::string t, TextFormatting f);

  const TextFormatting* format() const { return formatting.get(); }
  bool operator==(const Text& other) const;
};

class Hasher;
// Adds the font as an optional font would be.
void HashInto(const RunFont& font, Hasher& hasher);
// Adds the text and its formatting to `hasher`; a null and an empty formatting hash alike, as they
// mean the same. Every field of the formatting types is named, so one added unhashed does not
// compile.
void HashInto(const Text& text, Hasher& hasher);

struct ErrorValue {
  std::string code;  // "#N/A", "#DIV/0!", ...
  bool operator==(const ErrorValue&) const = default;
};

enum class ValueKind : uint8_t { kEmpty, kNumber, kText, kBoolean, kError };

class CellValue {
 public:
  CellValue() = default;
  CellValue(double number) : value_(number) {}  // NOLINT: values convert as in the host
  CellValue(int number) : value_(static_cast<double>(number)) {}  // NOLINT
  CellValue(Text text) : value_(std::move(text)) {}               // NOLINT
  CellValue(std::string text) : value_(Text(std::move(text))) {}  // NOLINT
  CellValue(const char* text) : value_(Text(text)) {}             // NOLINT
  CellValue(bool b) : value_(b) {}                                // NOLINT
  CellValue(ErrorValue error) : value_(std::move(error)) {}       // NOLINT

  ValueKind kind() const { return static_cast<ValueKind>(value_.index()); }
  bool IsEmpty() const { return kind() == ValueKind::kEmpty; }
  bool IsNumber() const { return kind() == ValueKind::kNumber; }
  bool IsText() const { return kind() == ValueKind::kText; }

  double number() const { return std::get<double>(value_); }
  bool boolean() const { return std::get<bool>(value_); }
  const Text& text() const { return std::get<Text>(value_); }
  const ErrorValue& error() const { return std::get<ErrorValue>(value_); }

  // The value converted to text as the add-in's code sees it when it compares a cell's value
  // with a string: "" for empty, numbers in plain decimal with up to 15 significant digits
  // ("3", "10.5", "1E+15"), "True"/"False", the text itself, "Error 2042" style for errors.
  std::string AsText() const;

  // Equality as the add-in's comparisons of values: same kind and same content; the
  // character formatting of texts is ignored.
  bool SameValue(const CellValue& other) const;

  bool operator==(const CellValue&) const = default;

 private:
  std::variant<std::monostate, double, Text, bool, ErrorValue> value_;
};

// A formula kept from a file: its text without "=", and the attributes of the file's formula
// element (shared or array formulas) so that it is written back as it came.
struct Formula {
  std::string text;
  std::vector<std::pair<std::string, std::string>> attributes;

  bool operator==(const Formula&) const = default;
};

// Formats numbers with up to 15 significant digits, as the add-in's text conversion does.
std::string NumberToText(double value);

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_CELL_VALUE_H_
