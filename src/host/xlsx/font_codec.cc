#include "host/xlsx/font_codec.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/cell_value.h"

namespace tarquel::host::xlsx {

namespace {

// A Boolean property element: <b/> is on, <b val="0"/> (or "false") is off.
bool FlagOf(const pugi::xml_node& element) {
  if (!element) return false;
  const pugi::xml_attribute val = element.attribute("val");
  if (!val) return true;
  const std::string text = val.value();
  return !(text == "0" || text == "false");
}

Underline UnderlineOf(const pugi::xml_node& element) {
  if (!element) return Underline::kNone;
  const std::string val = element.attribute("val").value();
  if (val.empty() || val == "single") return Underline::kSingle;
  if (val == "double") return Underline::kDouble;
  if (val == "singleAccounting") return Underline::kSingleAccounting;
  if (val == "doubleAccounting") return Underline::kDoubleAccounting;
  return Underline::kNone;
}

const char* UnderlineName(Underline underline) {
  switch (underline) {
    case Underline::kSingle:
      return "single";
    case Underline::kDouble:
      return "double";
    case Underline::kSingleAccounting:
      return "singleAccounting";
    case Underline::kDoubleAccounting:
      return "doubleAccounting";
    case Underline::kNone:
      break;
  }
  return "none";
}

std::string NumberText(double value) { return NumberToText(value); }

}  // namespace

Color ReadColor(const pugi::xml_node& node) {
  Color color;
  if (!node) return color;
  if (const pugi::xml_attribute rgb = node.attribute("rgb")) {
    color.kind = Color::Kind::kRgb;
    color.value = static_cast<uint32_t>(std::strtoul(rgb.value(), nullptr, 16));
  } else if (const pugi::xml_attribute theme = node.attribute("theme")) {
    color.kind = Color::Kind::kTheme;
    color.value = theme.as_uint();
  } else if (const pugi::xml_attribute indexed = node.attribute("indexed")) {
    color.kind = Color::Kind::kIndexed;
    color.value = indexed.as_uint();
  }
  color.tint = node.attribute("tint").as_double(0);
  return color;
}

void WriteColor(const Color& color, pugi::xml_node node) {
  switch (color.kind) {
    case Color::Kind::kAutomatic:
      node.append_attribute("auto") = "1";
      break;
    case Color::Kind::kIndexed:
      node.append_attribute("indexed") = color.value;
      break;
    case Color::Kind::kRgb: {
      char text[16];
      std::snprintf(text, sizeof text, "%08X", color.value);
      node.append_attribute("rgb") = text;
      break;
    }
    case Color::Kind::kTheme:
      node.append_attribute("theme") = color.value;
      break;
  }
  if (color.tint != 0) node.append_attribute("tint") = NumberText(color.tint).c_str();
}

Font ReadFont(const pugi::xml_node& node, FontElement kind) {
  Font font;
  font.name =
      node.child(kind == FontElement::kStyleFont ? "name" : "rFont").attribute("val").value();
  if (font.name.empty()) font.name = kDefaultFontName;
  if (const pugi::xml_node sz = node.child("sz"))
    font.size = sz.attribute("val").as_double(kDefaultFontSize);
  font.bold = FlagOf(node.child("b"));
  font.italic = FlagOf(node.child("i"));
  font.strikethrough = FlagOf(node.child("strike"));
  font.outline = FlagOf(node.child("outline"));
  font.shadow = FlagOf(node.child("shadow"));
  font.underline = UnderlineOf(node.child("u"));
  const std::string vert = node.child("vertAlign").attribute("val").value();
  font.superscript = vert == "superscript";
  font.subscript = vert == "subscript";
  if (const pugi::xml_node color = node.child("color")) font.color = ReadColor(color);
  font.family = node.child("family").attribute("val").as_int(0);
  if (const pugi::xml_node charset = node.child("charset"))
    font.charset = charset.attribute("val").as_int(-1);
  font.scheme = node.child("scheme").attribute("val").value();
  return font;
}

void WriteFont(const Font& font, FontElement kind, pugi::xml_node node) {
  // The schema's order: b, i, strike, condense, extend, outline, shadow, u, vertAlign, sz,
  // color, name/rFont, family, charset, scheme (run properties put rFont first).
  auto flag = [&](const char* name, bool on) {
    if (on) node.append_child(name);
  };
  auto val = [&](const char* name, const std::string& value) {
    node.append_child(name).append_attribute("val") = value.c_str();
  };
  if (kind == FontElement::kRunProperties) val("rFont", font.name);
  flag("b", font.bold);
  flag("i", font.italic);
  flag("strike", font.strikethrough);
  flag("outline", font.outline);
  flag("shadow", font.shadow);
  if (font.underline != Underline::kNone) {
    pugi::xml_node u = node.append_child("u");
    if (font.underline != Underline::kSingle)
      u.append_attribute("val") = UnderlineName(font.underline);
  }
  if (font.superscript) val("vertAlign", "superscript");
  if (font.subscript) val("vertAlign", "subscript");
  val("sz", NumberText(font.size));
  if (font.color.kind != Color::Kind::kAutomatic) {
    WriteColor(font.color, node.append_child("color"));
  }
  if (kind == FontElement::kStyleFont) val("name", font.name);
  if (font.family != 0) val("family", std::to_string(font.family));
  if (font.charset >= 0) val("charset", std::to_string(font.charset));
  if (!font.scheme.empty()) val("scheme", font.scheme);
}

}  // namespace tarquel::host::xlsx
