#include "host/xlsx/styles.h"

#include <algorithm>
#include <array>
#include <sstream>

#include "host/host_error.h"
#include "host/xlsx/font_codec.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kPart[] = "xl/styles.xml";
constexpr char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr uint32_t kFirstCustomNumberFormat = 164;

struct BuiltIn {
  uint32_t id;
  const char* code;
};

// The built-in number formats, with the Japanese locale's forms of the date and era formats
// (the ids a Japanese user's files carry).
constexpr BuiltIn kBuiltIns[] = {
    {0, "General"},
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {5, "\"¥\"#,##0;\"¥\"\\-#,##0"},
    {6, "\"¥\"#,##0;[Red]\"¥\"\\-#,##0"},
    {7, "\"¥\"#,##0.00;\"¥\"\\-#,##0.00"},
    {8, "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/??"},  // "?\?" keeps the two question marks from reading as a trigraph
    {14, "yyyy/m/d"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "yyyy/m/d h:mm"},
    {27, "[$-411]ge.m.d"},
    {28, "[$-411]ggge\"年\"m\"月\"d\"日\""},
    {29, "[$-411]ggge\"年\"m\"月\"d\"日\""},
    {30, "m/d/yy"},
    {31, "yyyy\"年\"m\"月\"d\"日\""},
    {32, "h\"時\"mm\"分\""},
    {33, "h\"時\"mm\"分\"ss\"秒\""},
    {34, "yyyy\"年\"m\"月\""},
    {35, "m\"月\"d\"日\""},
    {36, "[$-411]ge.m.d"},
    {37, "#,##0;\\-#,##0"},
    {38, "#,##0;[Red]\\-#,##0"},
    {39, "#,##0.00;\\-#,##0.00"},
    {40, "#,##0.00;[Red]\\-#,##0.00"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mm:ss.0"},
    {48, "##0.0E+0"},
    {49, "@"},
    {50, "[$-411]ge.m.d"},
    {51, "[$-411]ggge\"年\"m\"月\"d\"日\""},
    {52, "yyyy\"年\"m\"月\""},
    {53, "m\"月\"d\"日\""},
    {54, "[$-411]ggge\"年\"m\"月\"d\"日\""},
    {55, "yyyy\"年\"m\"月\""},
    {56, "m\"月\"d\"日\""},
    {57, "[$-411]ge.m.d"},
    {58, "[$-411]ggge\"年\"m\"月\"d\"日\""},
};

[[noreturn]] void ThrowBadStyles(const std::string& what) {
  throw HostError(HostError::kApplicationDefined,
                  "ブックの書式（" + std::string(kPart) + "）が壊れています。" + what);
}

struct LineName {
  LineStyle style;
  BorderWeight weight;
  const char* name;
};

// How the host's line styles and weights are named in files.
constexpr LineName kLineNames[] = {
    {LineStyle::kContinuous, BorderWeight::kThin, "thin"},
    {LineStyle::kContinuous, BorderWeight::kMedium, "medium"},
    {LineStyle::kContinuous, BorderWeight::kThick, "thick"},
    {LineStyle::kContinuous, BorderWeight::kHairline, "hair"},
    {LineStyle::kDouble, BorderWeight::kThick, "double"},
    {LineStyle::kDash, BorderWeight::kThin, "dashed"},
    {LineStyle::kDash, BorderWeight::kMedium, "mediumDashed"},
    {LineStyle::kDot, BorderWeight::kThin, "dotted"},
    {LineStyle::kDashDot, BorderWeight::kThin, "dashDot"},
    {LineStyle::kDashDot, BorderWeight::kMedium, "mediumDashDot"},
    {LineStyle::kDashDotDot, BorderWeight::kThin, "dashDotDot"},
    {LineStyle::kDashDotDot, BorderWeight::kMedium, "mediumDashDotDot"},
    {LineStyle::kSlantDashDot, BorderWeight::kMedium, "slantDashDot"},
};

BorderLine ReadLine(const pugi::xml_node& node) {
  BorderLine line;
  const std::string style = node.attribute("style").value();
  for (const LineName& name : kLineNames) {
    if (style == name.name) {
      line.style = name.style;
      line.weight = name.weight;
    }
  }
  if (!line.IsNone()) line.color = ReadColor(node.child("color"));
  return line;
}

const char* LineNameOf(const BorderLine& line) {
  for (const LineName& name : kLineNames) {
    if (line.style == name.style && line.weight == name.weight) return name.name;
  }
  // A weight the file format has no name for: the same style at its usual weight.
  for (const LineName& name : kLineNames) {
    if (line.style == name.style) return name.name;
  }
  return "thin";
}

void WriteLine(const BorderLine& line, pugi::xml_node node) {
  if (line.IsNone()) return;
  node.append_attribute("style") = LineNameOf(line);
  WriteColor(line.color, node.append_child("color"));
}

CellBorders ReadBorders(const pugi::xml_node& node) {
  CellBorders borders;
  borders.left = ReadLine(node.child("left").empty() ? node.child("start") : node.child("left"));
  borders.right = ReadLine(node.child("right").empty() ? node.child("end") : node.child("right"));
  borders.top = ReadLine(node.child("top"));
  borders.bottom = ReadLine(node.child("bottom"));
  const BorderLine diagonal = ReadLine(node.child("diagonal"));
  if (node.attribute("diagonalDown").as_bool()) borders.diagonal_down = diagonal;
  if (node.attribute("diagonalUp").as_bool()) borders.diagonal_up = diagonal;
  return borders;
}

void WriteBorders(const CellBorders& borders, pugi::xml_node node) {
  // One diagonal line in files: when both directions are drawn they share the first's look.
  if (!borders.diagonal_up.IsNone()) node.append_attribute("diagonalUp") = "1";
  if (!borders.diagonal_down.IsNone()) node.append_attribute("diagonalDown") = "1";
  WriteLine(borders.left, node.append_child("left"));
  WriteLine(borders.right, node.append_child("right"));
  WriteLine(borders.top, node.append_child("top"));
  WriteLine(borders.bottom, node.append_child("bottom"));
  WriteLine(borders.diagonal_down.IsNone() ? borders.diagonal_up : borders.diagonal_down,
            node.append_child("diagonal"));
}

Fill ReadFill(const pugi::xml_node& node) {
  Fill fill;
  if (const pugi::xml_node pattern = node.child("patternFill")) {
    fill.pattern = pattern.attribute("patternType").as_string("none");
    fill.foreground = ReadColor(pattern.child("fgColor"));
    fill.background = ReadColor(pattern.child("bgColor"));
  } else if (node.child("gradientFill")) {
    std::ostringstream xml;
    node.print(xml, "", pugi::format_raw);
    fill.pattern = "gradient";
    fill.gradient_xml = xml.str();
  }
  return fill;
}

void WriteFill(const Fill& fill, pugi::xml_node node) {
  if (!fill.gradient_xml.empty()) {
    pugi::xml_document gradient;
    if (gradient.load_string(fill.gradient_xml.c_str())) {
      for (pugi::xml_node child : gradient.first_child().children()) node.append_copy(child);
      return;
    }
  }
  pugi::xml_node pattern = node.append_child("patternFill");
  pattern.append_attribute("patternType") = fill.pattern.c_str();
  if (fill.foreground.kind != Color::Kind::kAutomatic) {
    WriteColor(fill.foreground, pattern.append_child("fgColor"));
  }
  if (fill.background.kind != Color::Kind::kAutomatic) {
    WriteColor(fill.background, pattern.append_child("bgColor"));
  }
}

struct NamedValue {
  const char* name;
  int value;
};

constexpr NamedValue kHorizontal[] = {
    {"general", static_cast<int>(HorizontalAlignment::kGeneral)},
    {"left", static_cast<int>(HorizontalAlignment::kLeft)},
    {"center", static_cast<int>(HorizontalAlignment::kCenter)},
    {"right", static_cast<int>(HorizontalAlignment::kRight)},
    {"fill", static_cast<int>(HorizontalAlignment::kFill)},
    {"justify", static_cast<int>(HorizontalAlignment::kJustify)},
    {"centerContinuous", static_cast<int>(HorizontalAlignment::kCenterAcrossSelection)},
    {"distributed", static_cast<int>(HorizontalAlignment::kDistributed)},
};

constexpr NamedValue kVertical[] = {
    {"top", static_cast<int>(VerticalAlignment::kTop)},
    {"center", static_cast<int>(VerticalAlignment::kCenter)},
    {"bottom", static_cast<int>(VerticalAlignment::kBottom)},
    {"justify", static_cast<int>(VerticalAlignment::kJustify)},
    {"distributed", static_cast<int>(VerticalAlignment::kDistributed)},
};

template <std::size_t N>
int ValueOf(const NamedValue (&table)[N], const std::string& name, int fallback) {
  for (const NamedValue& entry : table) {
    if (name == entry.name) return entry.value;
  }
  return fallback;
}

template <std::size_t N>
const char* NameOf(const NamedValue (&table)[N], int value) {
  for (const NamedValue& entry : table) {
    if (value == entry.value) return entry.name;
  }
  return table[0].name;
}

Alignment ReadAlignment(const pugi::xml_node& node) {
  Alignment alignment;
  if (!node) return alignment;
  alignment.horizontal = static_cast<HorizontalAlignment>(
      ValueOf(kHorizontal, node.attribute("horizontal").value(), 0));
  alignment.vertical = static_cast<VerticalAlignment>(
      ValueOf(kVertical, node.attribute("vertical").as_string("bottom"),
              static_cast<int>(VerticalAlignment::kBottom)));
  alignment.rotation = node.attribute("textRotation").as_int(0);
  alignment.wrap_text = node.attribute("wrapText").as_bool();
  alignment.shrink_to_fit = node.attribute("shrinkToFit").as_bool();
  alignment.indent = node.attribute("indent").as_int(0);
  alignment.add_indent = node.attribute("relativeIndent").as_int(0) != 0;
  alignment.reading_order = node.attribute("readingOrder").as_int(0);
  return alignment;
}

void WriteAlignment(const Alignment& alignment, pugi::xml_node xf) {
  if (alignment == Alignment{}) return;
  pugi::xml_node node = xf.append_child("alignment");
  if (alignment.horizontal != HorizontalAlignment::kGeneral) {
    node.append_attribute("horizontal") =
        NameOf(kHorizontal, static_cast<int>(alignment.horizontal));
  }
  if (alignment.vertical != VerticalAlignment::kBottom) {
    node.append_attribute("vertical") = NameOf(kVertical, static_cast<int>(alignment.vertical));
  }
  if (alignment.rotation != 0) node.append_attribute("textRotation") = alignment.rotation;
  if (alignment.wrap_text) node.append_attribute("wrapText") = "1";
  if (alignment.indent != 0) node.append_attribute("indent") = alignment.indent;
  if (alignment.add_indent) node.append_attribute("relativeIndent") = "1";
  if (alignment.shrink_to_fit) node.append_attribute("shrinkToFit") = "1";
  if (alignment.reading_order != 0) node.append_attribute("readingOrder") = alignment.reading_order;
}

template <typename T, typename ReadFn>
std::vector<T> ReadList(const pugi::xml_node& list, const char* item, ReadFn read) {
  std::vector<T> items;
  for (pugi::xml_node node : list.children(item)) items.push_back(read(node));
  return items;
}

template <typename T>
const T& At(const std::vector<T>& items, uint32_t index, const char* what, std::size_t xf) {
  if (index >= items.size()) {
    ThrowBadStyles("セルの書式 " + std::to_string(xf) + " が存在しない" + what + " " +
                   std::to_string(index) + " を指しています。");
  }
  return items[index];
}

}  // namespace

std::optional<std::string> BuiltInNumberFormat(uint32_t id) {
  for (const BuiltIn& built_in : kBuiltIns) {
    if (built_in.id == id) return std::string(built_in.code);
  }
  return std::nullopt;
}

StylesRead ReadStyles(const pugi::xml_document& doc, StyleTable& styles) {
  const pugi::xml_node sheet = doc.child("styleSheet");
  if (!sheet) ThrowBadStyles("styleSheet 要素がありません。");
  std::unordered_map<uint32_t, std::string> number_formats;
  for (pugi::xml_node format : sheet.child("numFmts").children("numFmt")) {
    number_formats[format.attribute("numFmtId").as_uint()] = format.attribute("formatCode").value();
  }
  StylesRead read;
  read.fonts = ReadList<Font>(sheet.child("fonts"), "font", [](const pugi::xml_node& node) {
    return ReadFont(node, FontElement::kStyleFont);
  });
  const std::vector<Fill> fills = ReadList<Fill>(sheet.child("fills"), "fill", ReadFill);
  const std::vector<CellBorders> borders =
      ReadList<CellBorders>(sheet.child("borders"), "border", ReadBorders);

  std::size_t index = 0;
  for (pugi::xml_node xf : sheet.child("cellXfs").children("xf")) {
    CellFormat format;
    if (!read.fonts.empty() || xf.attribute("fontId")) {
      format.font = At(read.fonts, xf.attribute("fontId").as_uint(), "フォント", index);
    }
    if (xf.attribute("fillId"))
      format.fill = At(fills, xf.attribute("fillId").as_uint(), "塗りつぶし", index);
    if (xf.attribute("borderId")) {
      format.borders = At(borders, xf.attribute("borderId").as_uint(), "罫線", index);
    }
    const uint32_t number_format = xf.attribute("numFmtId").as_uint(0);
    if (auto custom = number_formats.find(number_format); custom != number_formats.end()) {
      format.number_format = custom->second;
    } else if (auto built_in = BuiltInNumberFormat(number_format)) {
      format.number_format = *built_in;
    } else {
      ThrowBadStyles("セルの書式 " + std::to_string(index) + " の表示形式 " +
                     std::to_string(number_format) + " がありません。");
    }
    format.alignment = ReadAlignment(xf.child("alignment"));
    if (const pugi::xml_node protection = xf.child("protection")) {
      format.protection.locked = protection.attribute("locked").as_bool(true);
      format.protection.hidden = protection.attribute("hidden").as_bool(false);
    }
    format.named_style = xf.attribute("xfId").as_uint(0);
    format.quote_prefix = xf.attribute("quotePrefix").as_bool();
    if (index == 0) {
      styles.SetDefault(format);
      read.cell_styles.push_back(StyleTable::kDefault);
    } else {
      read.cell_styles.push_back(styles.Intern(format));
    }
    ++index;
  }
  if (read.cell_styles.empty()) read.cell_styles.push_back(StyleTable::kDefault);
  return read;
}

template <typename T>
uint32_t StylesWriter::Pool<T>::IndexOf(const T& item) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] == item) return static_cast<uint32_t>(i);
  }
  items.push_back(item);
  return static_cast<uint32_t>(items.size() - 1);
}

StylesWriter::StylesWriter(const StyleTable& styles, const pugi::xml_document* original,
                           const std::vector<StyleTable::Id>* original_xf_styles)
    : styles_(styles), original_(original) {
  if (original != nullptr) {
    original_fonts_ = ReadList<Font>(
        original->child("styleSheet").child("fonts"), "font",
        [](const pugi::xml_node& node) { return ReadFont(node, FontElement::kStyleFont); });
    // Each in its own place, equal ones too: an index into the original must not move.
    fonts_.items = original_fonts_;
  }
  if (original != nullptr && original_xf_styles != nullptr) {
    // The original's cell formats and what they are made of keep their indices, so that parts
    // written as they were read still show the same formats; what is new comes after them.
    const pugi::xml_node sheet = original->child("styleSheet");
    fills_.items = ReadList<Fill>(sheet.child("fills"), "fill", ReadFill);
    borders_.items = ReadList<CellBorders>(sheet.child("borders"), "border", ReadBorders);
    for (pugi::xml_node format : sheet.child("numFmts").children("numFmt")) {
      custom_number_formats_.emplace_back(format.attribute("numFmtId").as_uint(),
                                          format.attribute("formatCode").value());
    }
    for (pugi::xml_node xf : sheet.child("cellXfs").children("xf")) {
      if (xfs_.size() == original_xf_styles->size()) break;
      const StyleTable::Id id = (*original_xf_styles)[xfs_.size()];
      // Formats the file has twice are one style; cells written anew get its first index.
      xf_of_style_.emplace(id, static_cast<uint32_t>(xfs_.size()));
      xfs_.push_back({id, xf.attribute("numFmtId").as_uint(0), xf.attribute("fontId").as_uint(0),
                      xf.attribute("fillId").as_uint(0), xf.attribute("borderId").as_uint(0)});
    }
    original_sizes_ = Sizes();
  } else {
    // Files need two fills first: none and gray125.
    fills_.IndexOf(Fill{});
    Fill gray;
    gray.pattern = "gray125";
    fills_.IndexOf(gray);
  }
  XfIndexOf(StyleTable::kDefault);
}

std::array<std::size_t, 5> StylesWriter::Sizes() const {
  return {xfs_.size(), fonts_.items.size(), fills_.items.size(), borders_.items.size(),
          custom_number_formats_.size()};
}

bool StylesWriter::AddedToOriginal() const {
  return !original_sizes_ || Sizes() != *original_sizes_;
}

namespace {

using CustomNumberFormats = std::vector<std::pair<uint32_t, std::string>>;

uint32_t NumberFormatIdIn(CustomNumberFormats& customs, const std::string& code) {
  for (const BuiltIn& built_in : kBuiltIns) {
    if (code == built_in.code) return built_in.id;
  }
  // A new code takes the id after the highest in use, past those a kept original may have left
  // gaps between.
  uint32_t next = kFirstCustomNumberFormat;
  for (const auto& [id, custom] : customs) {
    if (custom == code) return id;
    next = std::max(next, id + 1);
  }
  customs.push_back({next, code});
  return next;
}

}  // namespace

uint32_t StylesWriter::NumberFormatId(const std::string& code) {
  return NumberFormatIdIn(custom_number_formats_, code);
}

uint32_t StylesWriter::XfIndexOf(StyleTable::Id id) {
  auto it = xf_of_style_.find(id);
  if (it != xf_of_style_.end()) return it->second;
  const CellFormat& format = styles_.Get(id);
  const auto index = static_cast<uint32_t>(xfs_.size());
  xfs_.push_back({id, NumberFormatId(format.number_format), fonts_.IndexOf(format.font),
                  fills_.IndexOf(format.fill), borders_.IndexOf(format.borders)});
  xf_of_style_.emplace(id, index);
  return index;
}

uint32_t StylesWriter::FontIndexOf(const Font& font) { return fonts_.IndexOf(font); }

namespace {

// Copies the original's element of that name, when there is one.
bool CopyOriginal(const pugi::xml_document* original, const char* name, pugi::xml_node sheet) {
  if (original == nullptr) return false;
  const pugi::xml_node node = original->child("styleSheet").child(name);
  if (!node) return false;
  sheet.append_copy(node);
  return true;
}

}  // namespace

void StylesWriter::Write(pugi::xml_document& doc) const {
  // The named cell styles are the original's, but they point into its lists of number formats,
  // fills and borders, which are written anew here: their parts join the lists and the copies
  // point to them there. (The original's fonts kept their places; the same lookup finds them.)
  Pool<Font> fonts_used = fonts_;
  Pool<Fill> fills_used = fills_;
  Pool<CellBorders> borders_used = borders_;
  CustomNumberFormats number_formats = custom_number_formats_;
  pugi::xml_document named_styles;
  if (original_ != nullptr && original_->child("styleSheet").child("cellStyleXfs")) {
    const pugi::xml_node original = original_->child("styleSheet");
    std::unordered_map<uint32_t, std::string> codes;
    for (pugi::xml_node format : original.child("numFmts").children("numFmt")) {
      codes[format.attribute("numFmtId").as_uint()] = format.attribute("formatCode").value();
    }
    const std::vector<Font>& fonts = original_fonts_;
    const std::vector<Fill> fills = ReadList<Fill>(original.child("fills"), "fill", ReadFill);
    const std::vector<CellBorders> borders =
        ReadList<CellBorders>(original.child("borders"), "border", ReadBorders);
    auto remap = [](pugi::xml_node xf, const char* name, const auto& items, auto& pool) {
      pugi::xml_attribute index = xf.attribute(name);
      if (index && index.as_uint() < items.size()) index = pool.IndexOf(items[index.as_uint()]);
    };
    for (pugi::xml_node xf :
         named_styles.append_copy(original.child("cellStyleXfs")).children("xf")) {
      remap(xf, "fontId", fonts, fonts_used);
      remap(xf, "fillId", fills, fills_used);
      remap(xf, "borderId", borders, borders_used);
      // A built-in format the host has no code for keeps its id.
      if (pugi::xml_attribute id = xf.attribute("numFmtId")) {
        if (auto custom = codes.find(id.as_uint()); custom != codes.end()) {
          id = NumberFormatIdIn(number_formats, custom->second);
        } else if (auto built_in = BuiltInNumberFormat(id.as_uint())) {
          id = NumberFormatIdIn(number_formats, *built_in);
        }
      }
    }
  }

  pugi::xml_node sheet = doc.append_child("styleSheet");
  sheet.append_attribute("xmlns") = kMainNamespace;
  if (!number_formats.empty()) {
    pugi::xml_node list = sheet.append_child("numFmts");
    list.append_attribute("count") = number_formats.size();
    for (const auto& [id, code] : number_formats) {
      pugi::xml_node format = list.append_child("numFmt");
      format.append_attribute("numFmtId") = id;
      format.append_attribute("formatCode") = code.c_str();
    }
  }
  pugi::xml_node fonts = sheet.append_child("fonts");
  fonts.append_attribute("count") = fonts_used.items.size();
  for (const Font& font : fonts_used.items)
    WriteFont(font, FontElement::kStyleFont, fonts.append_child("font"));
  pugi::xml_node fills = sheet.append_child("fills");
  fills.append_attribute("count") = fills_used.items.size();
  for (const Fill& fill : fills_used.items) WriteFill(fill, fills.append_child("fill"));
  pugi::xml_node borders = sheet.append_child("borders");
  borders.append_attribute("count") = borders_used.items.size();
  for (const CellBorders& border : borders_used.items)
    WriteBorders(border, borders.append_child("border"));

  if (named_styles.first_child()) {
    sheet.append_copy(named_styles.first_child());
  } else {
    pugi::xml_node list = sheet.append_child("cellStyleXfs");
    list.append_attribute("count") = 1;
    pugi::xml_node xf = list.append_child("xf");
    for (const char* attribute : {"numFmtId", "fontId", "fillId", "borderId"}) {
      xf.append_attribute(attribute) = 0;
    }
  }
  pugi::xml_node xfs = sheet.append_child("cellXfs");
  xfs.append_attribute("count") = xfs_.size();
  for (const Xf& entry : xfs_) {
    const CellFormat& format = styles_.Get(entry.style);
    pugi::xml_node xf = xfs.append_child("xf");
    xf.append_attribute("numFmtId") = entry.number_format;
    xf.append_attribute("fontId") = entry.font;
    xf.append_attribute("fillId") = entry.fill;
    xf.append_attribute("borderId") = entry.border;
    xf.append_attribute("xfId") = format.named_style;
    if (format.quote_prefix) xf.append_attribute("quotePrefix") = "1";
    if (format.number_format != kGeneralFormat) xf.append_attribute("applyNumberFormat") = "1";
    if (!(format.font == styles_.Get(StyleTable::kDefault).font))
      xf.append_attribute("applyFont") = "1";
    if (!(format.fill == Fill{})) xf.append_attribute("applyFill") = "1";
    if (!(format.borders == CellBorders{})) xf.append_attribute("applyBorder") = "1";
    if (!(format.alignment == Alignment{})) xf.append_attribute("applyAlignment") = "1";
    if (!(format.protection == Protection{})) xf.append_attribute("applyProtection") = "1";
    WriteAlignment(format.alignment, xf);
    if (!(format.protection == Protection{})) {
      pugi::xml_node protection = xf.append_child("protection");
      if (!format.protection.locked) protection.append_attribute("locked") = "0";
      if (format.protection.hidden) protection.append_attribute("hidden") = "1";
    }
  }
  if (!CopyOriginal(original_, "cellStyles", sheet)) {
    pugi::xml_node list = sheet.append_child("cellStyles");
    list.append_attribute("count") = 1;
    pugi::xml_node normal = list.append_child("cellStyle");
    normal.append_attribute("name") = "標準";
    normal.append_attribute("xfId") = 0;
    normal.append_attribute("builtinId") = 0;
  }
  for (const char* name : {"dxfs", "tableStyles", "colors", "extLst"}) {
    CopyOriginal(original_, name, sheet);
  }
}

}  // namespace tarquel::host::xlsx
