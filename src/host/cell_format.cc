#include "host/cell_format.h"

#include <functional>

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

namespace {

void Combine(std::size_t* seed, std::size_t value) {
  *seed ^= value + 0x9e3779b97f4a7c15ULL + (*seed << 6) + (*seed >> 2);
}

template <typename T>
void CombineValue(std::size_t* seed, const T& value) {
  Combine(seed, std::hash<T>{}(value));
}

void CombineColor(std::size_t* seed, const Color& color) {
  CombineValue(seed, static_cast<int>(color.kind));
  CombineValue(seed, color.value);
  CombineValue(seed, color.tint);
}

void CombineLine(std::size_t* seed, const BorderLine& line) {
  CombineValue(seed, static_cast<int>(line.style));
  CombineValue(seed, static_cast<int>(line.weight));
  CombineColor(seed, line.color);
}

}  // namespace

std::size_t HashCellFormat(const CellFormat& f) {
  std::size_t seed = 0;
  CombineValue(&seed, f.font.name);
  CombineValue(&seed, f.font.size);
  CombineValue(&seed, (f.font.bold << 0) | (f.font.italic << 1) | (f.font.strikethrough << 2) |
                          (f.font.superscript << 3) | (f.font.subscript << 4) |
                          (f.font.outline << 5) | (f.font.shadow << 6));
  CombineValue(&seed, static_cast<int>(f.font.underline));
  CombineColor(&seed, f.font.color);
  CombineValue(&seed, static_cast<int>(f.alignment.horizontal));
  CombineValue(&seed, static_cast<int>(f.alignment.vertical));
  CombineValue(&seed, f.alignment.rotation);
  CombineValue(&seed, (f.alignment.wrap_text << 0) | (f.alignment.shrink_to_fit << 1) |
                          (f.alignment.add_indent << 2));
  CombineValue(&seed, f.alignment.indent);
  CombineValue(&seed, f.number_format);
  for (const BorderLine* line :
       {&f.borders.left, &f.borders.top, &f.borders.right, &f.borders.bottom,
        &f.borders.diagonal_down, &f.borders.diagonal_up}) {
    CombineLine(&seed, *line);
  }
  CombineValue(&seed, f.fill.pattern);
  return seed;
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
