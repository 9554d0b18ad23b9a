#include "host/cell_format.h"

#include <functional>

#include "host/hasher.h"

namespace tarquel::host {

std::string FontStyleName(const Font& font) {
  if (font.bold && font.italic) return "太字 斜体";
  if (font.bold) return "太字";
  if (font.italic) return "斜体";
  return "標準";
}

bool ApplyFontStyleName(const std::string& name, Font* font) {
  struct Style {
    const char* name;
    bool bold;
    bool italic;
  };
  static constexpr Style kStyles[] = {
      {"標準", false, false},    {"太字", true, false},       {"斜体", false, true},
      {"太字 斜体", true, true}, {"Regular", false, false},   {"Bold", true, false},
      {"Italic", false, true},   {"Bold Italic", true, true},
  };
  for (const Style& style : kStyles) {
    if (name == style.name) {
      font->bold = style.bold;
      font->italic = style.italic;
      return true;
    }
  }
  return false;
}

void HashInto(const Color& color, Hasher& hasher) {
  const auto& [kind, value, tint] = color;
  hasher.Add(uint64_t{static_cast<uint8_t>(kind)});
  hasher.Add(uint64_t{value});
  hasher.Add(tint);
}

void HashInto(const Font& font, Hasher& hasher) {
  const auto& [name, size, bold, italic, underline, strikethrough, superscript, subscript, outline,
               shadow, color, family, charset, scheme] = font;
  hasher.Add(name);
  hasher.Add(size);
  hasher.Add(uint64_t{bold} | uint64_t{italic} << 1 | uint64_t{strikethrough} << 2 |
             uint64_t{superscript} << 3 | uint64_t{subscript} << 4 | uint64_t{outline} << 5 |
             uint64_t{shadow} << 6 | uint64_t{static_cast<uint8_t>(underline)} << 8);
  HashInto(color, hasher);
  hasher.Add(static_cast<uint64_t>(family));
  hasher.Add(static_cast<uint64_t>(charset));
  hasher.Add(scheme);
}

void HashInto(const std::optional<Font>& font, Hasher& hasher) {
  hasher.Add(uint64_t{font.has_value()});
  if (font) HashInto(*font, hasher);
}

namespace {

void HashInto(const BorderLine& line, Hasher& hasher) {
  hasher.Add(uint64_t{static_cast<uint8_t>(line.style)} << 8 | static_cast<uint8_t>(line.weight));
  HashInto(line.color, hasher);
}

}  // namespace

std::size_t HashCellFormat(const CellFormat& f) {
  Hasher hasher;
  HashInto(f.font, hasher);
  hasher.Add(uint64_t{static_cast<uint8_t>(f.alignment.horizontal)} << 8 |
             static_cast<uint8_t>(f.alignment.vertical));
  hasher.Add(static_cast<uint64_t>(f.alignment.rotation));
  hasher.Add(uint64_t{f.alignment.wrap_text} | uint64_t{f.alignment.shrink_to_fit} << 1 |
             uint64_t{f.alignment.add_indent} << 2);
  hasher.Add(static_cast<uint64_t>(f.alignment.indent));
  hasher.Add(f.number_format);
  for (const BorderLine* line :
       {&f.borders.left, &f.borders.top, &f.borders.right, &f.borders.bottom,
        &f.borders.diagonal_down, &f.borders.diagonal_up}) {
    HashInto(*line, hasher);
  }
  hasher.Add(f.fill.pattern);
  return static_cast<std::size_t>(hasher.value());
}

StyleTable::StyleTable() { Intern(CellFormat{}); }

void StyleTable::SetDefault(const CellFormat& format) {
  formats_.assign(1, format);
  index_.clear();
  index_.emplace(HashCellFormat(format), kDefault);
}

StyleTable::Id StyleTable::Intern(const CellFormat& format) {
  const std::size_t hash = HashCellFormat(format);
  auto [begin, end] = index_.equal_range(hash);
  for (auto it = begin; it != end; ++it) {
    if (formats_[it->second] == format) return it->second;
  }
  const Id id = static_cast<Id>(formats_.size());
  formats_.push_back(format);
  index_.emplace(hash, id);
  return id;
}

}  // namespace tarquel::host
