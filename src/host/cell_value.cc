#include "host/cell_value.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "host/hasher.h"

namespace tarquel::host {

Text::Text(std::string t, TextFormatting f) : text(std::move(t)) {
  if (!f.empty()) formatting = std::make_shared<const TextFormatting>(std::move(f));
}

bool Text::operator==(const Text& other) const {
  if (text != other.text) return false;
  const TextFormatting* a = format();
  const TextFormatting* b = other.format();
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  return *a == *b;
}

std::string NumberToText(double value) {
  if (value == 0) return "0";  // also -0
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  // "%G" writes at least two exponent digits ("1E+15"), as the add-in's conversion does; it
  // also drops trailing zeros already.
  return text;
}

std::string CellValue::AsText() const {
  switch (kind()) {
    case ValueKind::kEmpty:
      return "";
    case ValueKind::kNumber:
      return NumberToText(number());
    case ValueKind::kText:
      return text().text;
    case ValueKind::kBoolean:
      return boolean() ? "True" : "False";
    case ValueKind::kError: {
      // Error values convert to "Error N" with the host's numbers for the standard codes.
      static constexpr std::pair<const char*, int> kCodes[] = {
          {"#NULL!", 2000}, {"#DIV/0!", 2007}, {"#VALUE!", 2015}, {"#REF!", 2023},
          {"#NAME?", 2029}, {"#NUM!", 2036},   {"#N/A", 2042},
      };
      for (const auto& [code, number] : kCodes) {
        if (error().code == code) return "Error " + std::to_string(number);
      }
      return error().code;
    }
  }
  return "";
}

bool CellValue::SameValue(const CellValue& other) const {
  if (kind() != other.kind()) return false;
  if (kind() == ValueKind::kText) return text().text == other.text().text;
  return *this == other;
}

void HashInto(const RunFont& font, Hasher& hasher) {
  hasher.Add(uint64_t{font.has_value()});
  if (font) HashInto(*font, hasher);
}

void HashInto(const Text& text, Hasher& hasher) {
  const auto& [characters, formatting] = text;
  hasher.Add(characters);
  const bool plain = formatting == nullptr || formatting->empty();
  hasher.Add(uint64_t{!plain});
  if (plain) return;
  const auto& [runs, phonetics, phonetic_properties] = *formatting;
  hasher.Count(runs.size());
  for (const FontRun& run : runs) {
    const auto& [start, length, font] = run;
    hasher.Add(uint64_t{start} << 32 | length);
    HashInto(font, hasher);
  }
  hasher.Count(phonetics.size());
  for (const PhoneticRun& run : phonetics) {
    const auto& [start, end, guide] = run;
    hasher.Add(uint64_t{start} << 32 | end);
    hasher.Add(guide);
  }
  hasher.Add(uint64_t{phonetic_properties.has_value()});
  if (phonetic_properties) {
    const auto& [font, type, alignment] = *phonetic_properties;
    HashInto(font, hasher);
    hasher.Add(uint64_t{static_cast<uint8_t>(type)} << 8 | static_cast<uint8_t>(alignment));
  }
}

}  // namespace tarquel::host
