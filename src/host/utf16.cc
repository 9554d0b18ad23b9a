#include "host/utf16.h"

#include <algorithm>

namespace tarquel::host {

namespace {

// Length of the UTF-8 sequence that starts with `lead`, or 0 when `lead` cannot start one.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    if (!DecodeUtf8Strict(text, &pos)) return false;
  }
  return true;
}

std::optional<char32_t> DecodeUtf8Strict(std::string_view text, std::size_t* pos) {
  const auto lead = static_cast<unsigned char>(text[*pos]);
  const int n = SequenceLength(lead);
  if (n == 1) return static_cast<char32_t>(text[(*pos)++]);
  if (n == 0 || text.size() - *pos < static_cast<std::size_t>(n)) return std::nullopt;
  // The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  char32_t ch = lead & (0x7F >> n);
  for (int k = 1; k < n; ++k) {
    const auto next = static_cast<unsigned char>(text[*pos + k]);
    if (k == 1 ? next < low || next > high : (next & 0xC0) != 0x80) return std::nullopt;
    ch = (ch << 6) | (next & 0x3F);
  }
  *pos += n;
  return ch;
}

std::size_t Utf8SequenceAt(std::string_view text, std::size_t pos) {
  const int n = SequenceLength(static_cast<unsigned char>(text[pos]));
  return std::min<std::size_t>(n == 0 ? 1 : n, text.size() - pos);
}

std::size_t Utf8CharacterStart(std::string_view text, std::size_t pos) {
  while (pos > 0 && pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) {
    --pos;
  }
  return pos;
}

char32_t DecodeUtf8(std::string_view text, std::size_t* pos) {
  const auto lead = static_cast<unsigned char>(text[*pos]);
  int n = SequenceLength(lead);
  if (n == 0 || *pos + n > text.size()) {
    ++*pos;  // not reached for valid input; keeps a caller's loop finite otherwise
    return 0xFFFD;
  }
  char32_t ch = n == 1 ? lead : lead & (0x7F >> n);
  for (int k = 1; k < n; ++k) {
    ch = (ch << 6) | (static_cast<unsigned char>(text[*pos + k]) & 0x3F);
  }
  *pos += n;
  return ch;
}

void AppendUtf8(char32_t ch, std::string* out) {
  if (ch < 0x80) {
    out->push_back(static_cast<char>(ch));
  } else if (ch < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (ch >> 6)));
    out->push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else if (ch < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (ch >> 12)));
    out->push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (ch >> 18)));
    out->push_back(static_cast<char>(0x80 | ((ch >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  }
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    units += DecodeUtf8(text, &pos) >= 0x10000 ? 2 : 1;
  }
  return units;
}

std::size_t ByteOffsetOfUtf16(std::string_view text, std::size_t units) {
  std::size_t counted = 0;
  std::size_t pos = 0;
  while (pos < text.size() && counted < units) {
    counted += DecodeUtf8(text, &pos) >= 0x10000 ? 2 : 1;
  }
  return pos;
}

std::string_view Utf16Prefix(std::string_view text, std::size_t units) {
  return text.substr(0, ByteOffsetOfUtf16(text, units));
}

std::string_view Utf16Substr(std::string_view text, std::size_t start, std::size_t length) {
  const std::size_t begin = ByteOffsetOfUtf16(text, start);
  const std::string_view rest = text.substr(begin);
  return rest.substr(0, ByteOffsetOfUtf16(rest, length));
}

}  // namespace tarquel::host
