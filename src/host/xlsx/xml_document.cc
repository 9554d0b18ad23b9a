#include "host/xlsx/xml_document.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "host/host_error.h"

namespace tarquel::host::xlsx {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// Whitespace-only text is data in SpreadsheetML (<t xml:space="preserve"> </t>); parse_doctype
// stays off, though a declaration never gets that far.
constexpr unsigned int kParseOptions = pugi::parse_default | pugi::parse_ws_pcdata;

[[noreturn]] void Refuse(const std::string& part, std::size_t offset, const std::string& what) {
  throw HostError(HostError::kApplicationDefined, "部品「" + part + "」" + what + "（先頭から " +
                                                      std::to_string(offset) + " バイトの位置）。");
}

bool IsXmlChar(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// True when the eight bytes at `bytes` are all in 0x20..0x7F. A byte below 0x20 sets its high
// bit when 0x20 is taken from it; a borrow crossing into the next byte can only set more.
bool AllPrintableAscii(const char* bytes) {
  constexpr uint64_t kHighBits = 0x8080808080808080u;
  constexpr uint64_t kSpaces = 0x2020202020202020u;
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return ((word | (word - kSpaces)) & kHighBits) == 0;
}

struct Finding {
  std::size_t offset;
  std::string what;
};

// The first byte that does not belong to a well-formed UTF-8 sequence (overlong forms,
// surrogates and code points beyond U+10FFFF included), or that starts a character XML does not
// allow: pugixml would take a raw control character and write it back as a reference that no
// XML reader, this one included, accepts.
std::optional<Finding> FirstBadCharacter(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    // Most of a sheet part is printable ASCII, which needs no check: eight bytes at a time.
    while (text.size() - i >= 8 && AllPrintableAscii(text.data() + i)) i += 8;
    if (i == text.size()) break;
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = 1;
    uint32_t code = lead;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else if (lead >= 0x80) {
      return Finding{i, "は UTF-8 として正しくないバイトを含みます"};
    }
    if (text.size() - i < static_cast<std::size_t>(length)) {
      return Finding{i, "は UTF-8 として正しくないバイトを含みます"};
    }
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (k == 1 ? next < low || next > high : (next & 0xC0) != 0x80) {
        return Finding{i, "は UTF-8 として正しくないバイトを含みます"};
      }
      code = (code << 6) | (next & 0x3F);
    }
    if (!IsXmlChar(code)) {
      char shown[16];
      std::snprintf(shown, sizeof shown, "U+%04X", static_cast<unsigned>(code));
      return Finding{i, std::string("は XML で使えない文字（") + shown + "）を含みます"};
    }
    i += length;
  }
  return std::nullopt;
}

int DigitValue(char c, bool hex) {
  if (c >= '0' && c <= '9') return c - '0';
  if (hex && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (hex && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The length of the reference that starts with the '&' at `at`, ';' included, or 0 when it is
// not one of the five predefined entities or a character reference to an allowed character.
// pugixml would keep "&foo;" as text (written back as "&amp;foo;", a different document) and
// decode "&#0;" to a NUL that cuts the text short, so both are refused here.
std::size_t ReferenceLength(std::string_view text, std::size_t at) {
  for (std::string_view entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}) {
    if (text.substr(at, entity.size()) == entity) return entity.size();
  }
  if (text.substr(at, 2) != "&#") return 0;
  std::size_t i = at + 2;
  const bool hex = i < text.size() && text[i] == 'x';
  if (hex) ++i;
  const std::size_t first_digit = i;
  uint32_t value = 0;
  for (int digit; i < text.size() && (digit = DigitValue(text[i], hex)) >= 0; ++i) {
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    if (value > 0x10FFFF) return 0;
  }
  if (i == first_digit || i >= text.size() || text[i] != ';' || !IsXmlChar(value)) return 0;
  return i + 1 - at;
}

Finding BadReference(std::string_view text, std::size_t at) {
  // Show the reference when it is short and plain, so the message cannot be flooded.
  const std::size_t end = text.find(';', at);
  if (end != std::string_view::npos && end - at <= 32) {
    const std::string_view shown = text.substr(at, end + 1 - at);
    bool plain = true;
    for (char c : shown.substr(1, shown.size() - 2)) {
      plain = plain && ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
                        (c >= 'A' && c <= 'Z') || c == '#' || c == '_' || c == '-' || c == '.');
    }
    if (plain) return {at, "の XML に使えない参照「" + std::string(shown) + "」があります"};
  }
  return {at, "の XML に参照になっていない「&」があります"};
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (std::size_t k = 0; k < prefix.size(); ++k) {
    char c = text[at + k];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != prefix[k]) return false;
  }
  return true;
}

// Finds a document type declaration or a bad reference in `text`, knowing just enough of XML's
// lexical structure to skip comments, CDATA sections and processing instructions (where neither
// means anything) and to see references inside attribute values. Constructs left open are left
// for pugixml to report.
std::optional<Finding> ScanMarkup(std::string_view text) {
  const auto skip_past = [&](std::size_t from, std::string_view end) {
    const std::size_t found = text.find(end, from);
    return found == std::string_view::npos ? text.size() : found + end.size();
  };
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '&') {
      const std::size_t length = ReferenceLength(text, i);
      if (length == 0) return BadReference(text, i);
      i += length;
    } else if (c != '<') {
      // Text: on to the next markup or reference.
      const std::size_t next = text.find_first_of("<&", i);
      i = next == std::string_view::npos ? text.size() : next;
    } else if (text.substr(i, 4) == "<!--") {
      i = skip_past(i + 4, "-->");
    } else if (text.substr(i, 9) == "<![CDATA[") {
      i = skip_past(i + 9, "]]>");
    } else if (text.substr(i, 2) == "<?") {
      i = skip_past(i + 2, "?>");
    } else if (StartsWithNoCase(text, i, "<!DOCTYPE")) {
      return Finding{i, "は文書型宣言（<!DOCTYPE>）を含むため、安全のため読み込みません"};
    } else {
      // A tag: up to its '>', with quoted attribute values taken whole.
      for (++i; i < text.size() && text[i] != '>';) {
        const char quote = text[i++];
        if (quote != '"' && quote != '\'') continue;
        while (i < text.size() && text[i] != quote) {
          if (text[i] != '&') {
            ++i;
            continue;
          }
          const std::size_t length = ReferenceLength(text, i);
          if (length == 0) return BadReference(text, i);
          i += length;
        }
        if (i < text.size()) ++i;
      }
      if (i < text.size()) ++i;
    }
  }
  return std::nullopt;
}

// Appends what pugixml writes. A carriage return in text, which only a character reference can
// have put there, is written as one, since a raw CR would read back as a line feed.
class StringWriter : public pugi::xml_writer {
 public:
  explicit StringWriter(std::string* out) : out_(out) {}
  void write(const void* data, std::size_t size) override {
    const std::string_view chunk(static_cast<const char*>(data), size);
    std::size_t start = 0;
    for (std::size_t cr; (cr = chunk.find('\r', start)) != std::string_view::npos; start = cr + 1) {
      out_->append(chunk.substr(start, cr - start));
      out_->append("&#13;");
    }
    out_->append(chunk.substr(start));
  }

 private:
  std::string* out_;
};

}  // namespace

void ParseXml(std::string_view bytes, const std::string& part_name, pugi::xml_document& doc) {
  if (std::optional<Finding> bad = FirstBadCharacter(bytes)) {
    Refuse(part_name, bad->offset, bad->what);
  }
  const std::size_t base = bytes.starts_with(kBom) ? kBom.size() : 0;
  const std::string_view text = bytes.substr(base);
  if (std::optional<Finding> finding = ScanMarkup(text)) {
    Refuse(part_name, base + finding->offset, finding->what);
  }
  pugi::xml_document parsed;
  const pugi::xml_parse_result result = parsed.load_buffer(
      text.empty() ? "" : text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
  if (!result) {
    Refuse(part_name, base + static_cast<std::size_t>(result.offset),
           std::string("の XML が正しくありません: ") + result.description());
  }
  doc = std::move(parsed);
}

std::string SerializeXml(const pugi::xml_document& doc) {
  std::string out(kXmlDeclaration);
  for (pugi::xml_node node = doc.first_child(); node; node = node.next_sibling()) {
    if (node.type() != pugi::node_declaration) AppendXml(node, &out);
  }
  return out;
}

void AppendXml(const pugi::xml_node& node, std::string* out) {
  StringWriter writer(out);
  node.print(writer, PUGIXML_TEXT(""), pugi::format_raw, pugi::encoding_utf8);
}

void AppendEscaped(std::string_view text, std::string* out, bool attribute) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* entity = nullptr;
    switch (text[i]) {
      case '&':
        entity = "&amp;";
        break;
      case '<':
        entity = "&lt;";
        break;
      case '>':
        entity = "&gt;";
        break;
      case '"':
        entity = attribute ? "&quot;" : nullptr;
        break;
      case '\r':
        entity = "&#13;";
        break;
      case '\n':
        entity = attribute ? "&#10;" : nullptr;
        break;
      case '\t':
        entity = attribute ? "&#9;" : nullptr;
        break;
      default:
        break;
    }
    if (entity == nullptr) continue;
    out->append(text.substr(start, i - start));
    out->append(entity);
    start = i + 1;
  }
  out->append(text.substr(start));
}

}  // namespace tarquel::host::xlsx
