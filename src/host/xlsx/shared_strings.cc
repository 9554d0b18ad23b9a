#include "host/xlsx/shared_strings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "host/hasher.h"
#include "host/host_error.h"
#include "host/utf16.h"
#include "host/xlsx/font_codec.h"
#include "host/xlsx/xml_document.h"
#include "host/xlsx/xml_pieces.h"

namespace tarquel::host::xlsx {

namespace {

constexpr char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A problem with one item; the public readers add where the item is.
class BadItem : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Some writers put the main namespace under a prefix ("x:si"); the element is the same.
std::string_view LocalName(const pugi::xml_node& node) {
  const std::string_view name = node.name();
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node ChildNamed(const pugi::xml_node& parent, std::string_view local_name) {
  for (const pugi::xml_node& child : parent.children()) {
    if (child.type() == pugi::node_element && LocalName(child) == local_name) return child;
  }
  return {};
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The code unit of the escape "_xHHHH_" at text[pos], or nullopt when there is none there.
std::optional<char32_t> EscapeAt(std::string_view text, std::size_t pos) {
  if (pos + 7 > text.size() || text[pos] != '_' || text[pos + 1] != 'x' || text[pos + 6] != '_') {
    return std::nullopt;
  }
  char32_t unit = 0;
  for (std::size_t k = pos + 2; k < pos + 6; ++k) {
    const int digit = HexDigit(text[k]);
    if (digit < 0) return std::nullopt;
    unit = unit * 16 + static_cast<char32_t>(digit);
  }
  return unit;
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// The escapes stand for UTF-16 units, so a character outside the BMP may come as two of them;
// a surrogate without its partner has no UTF-8 form and becomes U+FFFD.
std::string DecodeEscapes(std::string_view text) {
  if (text.find("_x") == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::optional<char32_t> unit = text[pos] == '_' ? EscapeAt(text, pos) : std::nullopt;
    if (!unit) {
      out.push_back(text[pos++]);
      continue;
    }
    pos += 7;
    char32_t ch = *unit;
    if (IsHighSurrogate(ch)) {
      const std::optional<char32_t> low = EscapeAt(text, pos);
      if (low && IsLowSurrogate(*low)) {
        ch = 0x10000 + ((ch - 0xD800) << 10) + (*low - 0xDC00);
        pos += 7;
      } else {
        ch = 0xFFFD;
      }
    } else if (IsLowSurrogate(ch)) {
      ch = 0xFFFD;
    }
    AppendUtf8(ch, &out);
  }
  return out;
}

void AppendEscape(uint32_t unit, std::string* out) {
  char escape[8];
  std::snprintf(escape, sizeof escape, "_x%04X_", unit);
  out->append(escape, 7);
}

// Control characters other than TAB and LF are not allowed in XML or, for CR, do not survive
// its line-end normalisation; U+FFFE and U+FFFF are not XML characters either.
std::string EncodeEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x20 && byte != '\t' && byte != '\n') {
      AppendEscape(byte, &out);
    } else if (byte == '_' && EscapeAt(text, pos)) {
      AppendEscape('_', &out);
    } else if (byte == 0xEF && pos + 2 < text.size() && text[pos + 1] == '\xBF' &&
               (text[pos + 2] == '\xBE' || text[pos + 2] == '\xBF')) {
      AppendEscape(text[pos + 2] == '\xBE' ? 0xFFFE : 0xFFFF, &out);
      pos += 2;
    } else {
      out.push_back(text[pos]);
    }
  }
  return out;
}

bool NeedsPreserve(std::string_view text) {
  if (text.empty()) return false;
  auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
  return space(text.front()) || space(text.back()) || text.find('\n') != std::string_view::npos ||
         text.find("  ") != std::string_view::npos;
}

// Appends the decoded text of a <t> to `out`. The parser may split it into several text and
// CDATA nodes.
void AppendTextOf(const pugi::xml_node& t, std::string* out) {
  const pugi::xml_node only = t.first_child();
  std::string_view raw;
  std::string joined;
  if (only && !only.next_sibling()) {
    if (only.type() == pugi::node_pcdata || only.type() == pugi::node_cdata) raw = only.value();
  } else {
    for (const pugi::xml_node& child : t.children()) {
      if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
        joined += child.value();
      }
    }
    raw = joined;
  }
  if (!IsValidUtf8(raw)) throw BadItem("文字列に UTF-8 でない文字があります。");
  if (raw.find("_x") == std::string_view::npos) {
    out->append(raw);
  } else {
    out->append(DecodeEscapes(raw));
  }
}

std::string TextOf(const pugi::xml_node& t) {
  std::string text;
  AppendTextOf(t, &text);
  return text;
}

void AppendText(std::string_view text, std::string* out) {
  const std::string encoded = EncodeEscapes(text);
  if (encoded.empty()) {
    *out += "<t/>";
    return;
  }
  *out += NeedsPreserve(encoded) ? "<t xml:space=\"preserve\">" : "<t>";
  AppendEscaped(encoded, out);
  *out += "</t>";
}

std::optional<uint32_t> UnsignedAttribute(const pugi::xml_node& node, const char* name) {
  const std::string_view value = node.attribute(name).value();
  uint32_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
    return std::nullopt;
  }
  return number;
}

PhoneticType PhoneticTypeOf(std::string_view name) {
  if (name == "halfwidthKatakana") return PhoneticType::kHalfwidthKatakana;
  if (name == "Hiragana") return PhoneticType::kHiragana;
  if (name == "noConversion") return PhoneticType::kNoConversion;
  return PhoneticType::kFullwidthKatakana;
}

const char* PhoneticTypeName(PhoneticType type) {
  switch (type) {
    case PhoneticType::kHalfwidthKatakana:
      return "halfwidthKatakana";
    case PhoneticType::kHiragana:
      return "Hiragana";
    case PhoneticType::kNoConversion:
      return "noConversion";
    case PhoneticType::kFullwidthKatakana:
      break;
  }
  return "fullwidthKatakana";
}

PhoneticAlignment PhoneticAlignmentOf(std::string_view name) {
  if (name == "noControl") return PhoneticAlignment::kNoControl;
  if (name == "center") return PhoneticAlignment::kCenter;
  if (name == "distributed") return PhoneticAlignment::kDistributed;
  return PhoneticAlignment::kLeft;
}

const char* PhoneticAlignmentName(PhoneticAlignment alignment) {
  switch (alignment) {
    case PhoneticAlignment::kNoControl:
      return "noControl";
    case PhoneticAlignment::kCenter:
      return "center";
    case PhoneticAlignment::kDistributed:
      return "distributed";
    case PhoneticAlignment::kLeft:
      break;
  }
  return "left";
}

std::vector<PhoneticRun> ReadPhoneticRuns(const std::vector<pugi::xml_node>& nodes,
                                          uint32_t length) {
  std::vector<PhoneticRun> runs;
  uint32_t previous_end = 0;
  for (const pugi::xml_node& rph : nodes) {
    const std::optional<uint32_t> sb = UnsignedAttribute(rph, "sb");
    const std::optional<uint32_t> eb = UnsignedAttribute(rph, "eb");
    if (!sb || !eb) throw BadItem("<rPh> の sb と eb は 0 以上の整数です。");
    if (*sb < previous_end || *eb <= *sb || *eb > length) {
      throw BadItem("ふりがなの位置 (sb=" + std::to_string(*sb) + ", eb=" + std::to_string(*eb) +
                    ") が正しくありません（文字列の長さは " + std::to_string(length) + "）。");
    }
    const pugi::xml_node t = ChildNamed(rph, "t");
    if (!t) throw BadItem("<rPh> に <t> がありません。");
    runs.push_back(PhoneticRun{*sb, *eb, TextOf(t)});
    previous_end = *eb;
  }
  return runs;
}

PhoneticProperties ReadPhoneticProperties(const pugi::xml_node& node,
                                          const std::vector<Font>* style_fonts,
                                          std::optional<uint32_t>* font_id) {
  PhoneticProperties properties;
  properties.type = PhoneticTypeOf(node.attribute("type").value());
  properties.alignment = PhoneticAlignmentOf(node.attribute("alignment").value());
  const std::optional<uint32_t> id = UnsignedAttribute(node, "fontId");
  if (id && style_fonts != nullptr && *id < style_fonts->size()) {
    properties.font = (*style_fonts)[*id];
  }
  if (font_id != nullptr) *font_id = id;
  return properties;
}

// Two elements with the same name, attributes and children, compared as the parser gave them.
bool SameElement(const pugi::xml_node& a, const pugi::xml_node& b) {
  if (std::strcmp(a.name(), b.name()) != 0 || std::strcmp(a.value(), b.value()) != 0) return false;
  pugi::xml_attribute x = a.first_attribute();
  pugi::xml_attribute y = b.first_attribute();
  for (; x && y; x = x.next_attribute(), y = y.next_attribute()) {
    if (std::strcmp(x.name(), y.name()) != 0 || std::strcmp(x.value(), y.value()) != 0) {
      return false;
    }
  }
  if (x || y) return false;
  pugi::xml_node m = a.first_child();
  pugi::xml_node n = b.first_child();
  for (; m && n; m = m.next_sibling(), n = n.next_sibling()) {
    if (m.type() != n.type() || !SameElement(m, n)) return false;
  }
  return !m && !n;
}

// The fonts of run properties read so far. A table repeats the same few <rPr> thousands of
// times; comparing one with those already read costs a fraction of reading it.
class RunFonts {
 public:
  RunFont Read(const pugi::xml_node& rpr) {
    for (const auto& [known, font] : known_) {
      if (SameElement(known, rpr)) return font;
    }
    RunFont font = ReadFont(rpr, FontElement::kRunProperties);
    if (known_.size() == kMaxKnown) known_.pop_back();
    known_.emplace(known_.begin(), rpr, font);
    return font;
  }

 private:
  static constexpr std::size_t kMaxKnown = 8;
  std::vector<std::pair<pugi::xml_node, RunFont>> known_;  // most recently added first
};

Text ParseItem(const pugi::xml_node& item, const std::vector<Font>* style_fonts,
               std::optional<uint32_t>* phonetic_font_id, RunFonts& run_fonts) {
  // Items are most of a workbook's text, so the pieces go straight into the result.
  std::string text;
  TextFormatting formatting;
  uint32_t length = 0;  // UTF-16 units so far
  bool has_pieces = false;
  bool has_runs = false;
  // Plain <t> pieces before the first run: beside runs each is a run without a font.
  std::vector<FontRun> plain_before_runs;
  bool has_other = false;
  std::vector<pugi::xml_node> phonetic_nodes;
  pugi::xml_node properties_node;
  auto add_piece = [&](const pugi::xml_node& t, RunFont font, bool is_run) {
    const std::size_t before = text.size();
    AppendTextOf(t, &text);
    const auto units = static_cast<uint32_t>(Utf16Length(std::string_view(text).substr(before)));
    if (is_run && !has_runs) {
      formatting.runs = std::move(plain_before_runs);
      has_runs = true;
    }
    if (units > 0) {
      (has_runs ? formatting.runs : plain_before_runs)
          .push_back(FontRun{length, units, std::move(font)});
    }
    length += units;
    has_pieces = true;
  };
  for (pugi::xml_node child = item.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      // Blank text between elements is indentation, kept only because of parse_ws_pcdata.
      if (child.type() == pugi::node_cdata || !IsBlank(child.value())) {
        throw BadItem("<t> の外に文字列があります。");
      }
      continue;
    }
    if (child.type() != pugi::node_element) continue;
    const std::string_view name = LocalName(child);
    if (name == "t") {
      add_piece(child, std::nullopt, false);
    } else if (name == "r") {
      pugi::xml_node t, rpr;
      for (pugi::xml_node part = child.first_child(); part; part = part.next_sibling()) {
        if (part.type() != pugi::node_element) continue;
        const std::string_view part_name = LocalName(part);
        if (part_name == "t" && !t) t = part;
        if (part_name == "rPr" && !rpr) rpr = part;
      }
      if (!t) throw BadItem("<r> に <t> がありません。");
      RunFont font;
      if (rpr) font = run_fonts.Read(rpr);
      add_piece(t, std::move(font), true);
    } else if (name == "rPh") {
      phonetic_nodes.push_back(child);
    } else if (name == "phoneticPr") {
      properties_node = child;
    } else {
      has_other = true;
    }
  }
  if (!has_pieces && has_other) throw BadItem("<t> も <r> もありません。");
  formatting.phonetics = ReadPhoneticRuns(phonetic_nodes, length);
  if (phonetic_font_id != nullptr) *phonetic_font_id = std::nullopt;
  if (properties_node) {
    formatting.phonetic_properties =
        ReadPhoneticProperties(properties_node, style_fonts, phonetic_font_id);
  }
  return Text(std::move(text), std::move(formatting));
}

// " (位置 N)": the element's byte offset in the parsed part, when it came from a parse.
std::string PositionOf(const pugi::xml_node& node) {
  const std::ptrdiff_t offset = node.offset_debug();
  return offset < 0 ? std::string() : " (位置 " + std::to_string(offset) + ")";
}

// Writes string items as text. A run's properties are the same few fonts over and over, so
// their markup is made once per font.
class ItemWriter {
 public:
  ItemWriter(const StyleFontIndex& font_index, std::string* out)
      : font_index_(font_index), out_(*out) {}

  void Write(const Text& text) {
    const TextFormatting* formatting = text.format();
    if (formatting == nullptr || formatting->runs.empty()) {
      AppendText(text.text, &out_);
    } else {
      WriteRuns(text.text, formatting->runs);
    }
    if (formatting == nullptr) return;
    const std::size_t length = Utf16Length(text.text);
    uint32_t previous_end = 0;
    for (const PhoneticRun& run : formatting->phonetics) {
      if (run.start < previous_end || run.end <= run.start || run.end > length) continue;
      out_ +=
          "<rPh sb=\"" + std::to_string(run.start) + "\" eb=\"" + std::to_string(run.end) + "\">";
      AppendText(run.text, &out_);
      out_ += "</rPh>";
      previous_end = run.end;
    }
    if (const auto& properties = formatting->phonetic_properties) {
      const uint32_t font_id =
          properties->font && font_index_ ? font_index_(*properties->font) : 0u;
      out_ += "<phoneticPr fontId=\"" + std::to_string(font_id) + '"';
      if (properties->type != PhoneticType::kFullwidthKatakana) {
        out_ += std::string(" type=\"") + PhoneticTypeName(properties->type) + '"';
      }
      if (properties->alignment != PhoneticAlignment::kLeft) {
        out_ += std::string(" alignment=\"") + PhoneticAlignmentName(properties->alignment) + '"';
      }
      out_ += "/>";
    }
  }

 private:
  // Writes the runs so that the whole text is written whatever they say (see the header).
  void WriteRuns(std::string_view text, const std::vector<FontRun>& runs) {
    const std::size_t total = Utf16Length(text);
    std::size_t unit = 0;  // written so far, in UTF-16 units and in bytes
    std::size_t byte = 0;
    auto write_to = [&](std::size_t end, const RunFont& font) {
      const std::string_view rest = text.substr(byte);
      const std::string_view piece = rest.substr(0, ByteOffsetOfUtf16(rest, end - unit));
      if (piece.empty()) return;
      out_ += "<r>";
      if (font) out_ += RunProperties(*font);
      AppendText(piece, &out_);
      out_ += "</r>";
      byte += piece.size();
      // A boundary inside a surrogate pair moved to the pair's end; count what was written.
      unit += Utf16Length(piece);
    };
    const std::size_t before = out_.size();
    for (const FontRun& run : runs) {
      const std::size_t start = std::min<std::size_t>(run.start, total);
      const std::size_t end = std::min<std::size_t>(std::size_t{run.start} + run.length, total);
      if (start > unit) write_to(start, std::nullopt);
      if (end > unit) write_to(end, run.font);
    }
    if (unit < total) write_to(total, std::nullopt);
    if (out_.size() == before) AppendText("", &out_);
  }

  const std::string& RunProperties(const Font& font) {
    for (const auto& [known, markup] : run_properties_) {
      if (known == font) return markup;
    }
    pugi::xml_document doc;
    WriteFont(font, FontElement::kRunProperties, doc.append_child("rPr"));
    std::string markup;
    AppendXml(doc.first_child(), &markup);
    if (run_properties_.size() == kMaxKnownFonts) run_properties_.pop_back();
    run_properties_.emplace_back(font, std::move(markup));
    return run_properties_.back().second;
  }

  static constexpr std::size_t kMaxKnownFonts = 64;

  const StyleFontIndex& font_index_;
  std::string& out_;
  std::vector<std::pair<Font, std::string>> run_properties_;
};

std::size_t HashText(const Text& text) {
  Hasher hasher;
  HashInto(text, hasher);
  return static_cast<std::size_t>(hasher.value());
}

// A null formatting and an empty one write the same item, so they are the same here.
bool SameText(const Text& a, const Text& b) {
  if (a.text != b.text) return false;
  const TextFormatting* fa = a.format();
  const TextFormatting* fb = b.format();
  if (fa == fb) return true;
  const bool a_plain = fa == nullptr || fa->empty();
  const bool b_plain = fb == nullptr || fb->empty();
  if (a_plain || b_plain) return a_plain && b_plain;
  return *fa == *fb;
}

}  // namespace

Text ReadStringItem(const pugi::xml_node& si_or_is, const std::vector<Font>* style_fonts,
                    std::optional<uint32_t>* phonetic_font_id) {
  try {
    RunFonts run_fonts;
    return ParseItem(si_or_is, style_fonts, phonetic_font_id, run_fonts);
  } catch (const BadItem& problem) {
    ThrowApplicationDefined("<" + std::string(si_or_is.name()) + ">" + PositionOf(si_or_is) + ": " +
                            problem.what());
  }
}

void WriteStringItem(const Text& text, std::string* out, const StyleFontIndex& font_index) {
  ItemWriter(font_index, out).Write(text);
}

SharedStringTable::SharedStringTable(StyleFontIndex font_index)
    : font_index_(std::move(font_index)) {}

std::size_t SharedStringTable::Add(const Text& text) {
  ++uses_;
  const std::size_t hash = HashText(text);
  const std::size_t at = SlotOf(text, hash);
  if (slots_[at] != 0) return slots_[at] - 1;
  Append(text, hash, at);
  return size() - 1;
}

std::optional<std::size_t> SharedStringTable::Find(const Text& text) {
  const std::size_t at = SlotOf(text, HashText(text));
  if (slots_[at] == 0) return std::nullopt;
  ++uses_;
  return slots_[at] - 1;
}

void SharedStringTable::KeepFileItems(const std::vector<Text>& items) {
  // Room for them all at once rather than growing as they come.
  std::size_t size = std::max<std::size_t>(64, slots_.size());
  while ((items.size() + 1) * 2 > size) size *= 2;
  if (size > slots_.size()) Rehash(size);
  file_ = &items;
  hashes_.reserve(items.size());
  for (const Text& text : items) {
    const std::size_t hash = HashText(text);
    const std::size_t at = SlotOf(text, hash);
    hashes_.push_back(hash);
    ++file_items_;
    // A text the file has twice keeps both places; Add finds the first.
    if (slots_[at] == 0) slots_[at] = static_cast<uint32_t>(file_items_);
  }
}

void SharedStringTable::Rehash(std::size_t size) {
  std::vector<uint32_t> grown(size, 0);
  const std::size_t mask = grown.size() - 1;
  for (uint32_t slot : slots_) {
    if (slot == 0) continue;
    std::size_t at = hashes_[slot - 1] & mask;
    while (grown[at] != 0) at = (at + 1) & mask;
    grown[at] = slot;
  }
  slots_ = std::move(grown);
}

std::size_t SharedStringTable::SlotOf(const Text& text, std::size_t hash) {
  // Kept at most half full, so that a search meets an empty slot soon.
  if ((this->size() + 1) * 2 > slots_.size()) {
    Rehash(std::max<std::size_t>(64, slots_.size() * 2));
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  for (; slots_[at] != 0; at = (at + 1) & mask) {
    const std::size_t index = slots_[at] - 1;
    if (hashes_[index] == hash && SameText(item(index), text)) return at;
  }
  return at;
}

void SharedStringTable::Append(const Text& text, std::size_t hash, std::size_t slot) {
  added_.push_back(text);
  hashes_.push_back(hash);
  slots_[slot] = static_cast<uint32_t>(size());
}

namespace {

// Appends the items of `sst`, the table's root or a piece of it, to `items`. The fonts known
// refer to nodes of this document, so they go with it.
void ReadItems(const pugi::xml_node& sst, const std::vector<Font>* style_fonts,
               std::vector<Text>* items) {
  RunFonts run_fonts;
  for (const pugi::xml_node& si : sst.children()) {
    if (si.type() != pugi::node_element || LocalName(si) != "si") continue;
    try {
      items->push_back(ParseItem(si, style_fonts, nullptr, run_fonts));
    } catch (const BadItem& problem) {
      ThrowApplicationDefined(std::string(kSharedStringsPart) + " の文字列 " +
                              std::to_string(items->size()) + PositionOf(si) + ": " +
                              problem.what());
    }
  }
}

}  // namespace

std::vector<Text> ReadSharedStrings(const pugi::xml_document& sst_doc,
                                    const std::vector<Font>* style_fonts) {
  const pugi::xml_node sst = sst_doc.document_element();
  if (LocalName(sst) != "sst") {
    ThrowApplicationDefined(std::string(kSharedStringsPart) +
                            " の最上位の要素が <sst> ではありません。");
  }
  std::vector<Text> items;
  ReadItems(sst, style_fonts, &items);
  return items;
}

std::vector<Text> ReadSharedStrings(std::string_view bytes, const std::string& part_name,
                                    const std::vector<Font>* style_fonts, std::size_t piece_size) {
  XmlPieces pieces(bytes, part_name, "sst", "si", piece_size);
  pugi::xml_document frame;
  if (pieces.ParseFrame(frame)) {
    std::vector<Text> items;
    pugi::xml_document piece;
    try {
      while (const pugi::xml_node sst = pieces.Next(piece)) {
        ReadItems(sst, style_fonts, &items);
      }
      if (!pieces.failed()) return items;
    } catch (const HostError&) {
      // Read whole below, so that the message gives the item's place in the part.
    }
  }
  pugi::xml_document doc;
  ParseXml(bytes, part_name, doc);
  return ReadSharedStrings(doc, style_fonts);
}

std::string WriteSharedStrings(const SharedStringTable& table) {
  std::string out;
  // Room for the plain items, so that a table of megabytes is not copied as it grows.
  std::size_t size = 256;
  for (std::size_t i = 0; i < table.size(); ++i) size += table.item(i).text.size() + 16;
  out.reserve(size);
  out += kXmlDeclaration;
  out += std::string("<sst xmlns=\"") + kMainNamespace + "\" count=\"" +
         std::to_string(table.count_of_uses()) + "\" uniqueCount=\"" +
         std::to_string(table.size()) + "\">";
  ItemWriter writer(table.font_index(), &out);
  for (std::size_t i = 0; i < table.size(); ++i) {
    out += "<si>";
    writer.Write(table.item(i));
    out += "</si>";
  }
  out += "</sst>";
  return out;
}

}  // namespace tarquel::host::xlsx
