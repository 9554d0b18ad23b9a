#include "host/platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "host/utf16.h"

namespace tarquel::host {

namespace {

// One iconv descriptor per direction and thread: a descriptor carries shift state and must not
// be shared between threads, and opening one per call costs more than the conversion.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("the C library cannot convert from ") + from + " to " +
                               to);
    }
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { iconv_close(cd_); }

  std::optional<std::string> Convert(std::string_view in) {
    // A conversion that failed part way may have left the descriptor mid-character.
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    // Deliberately small: UTF-8 to CP932 never grows, and the other way grows the buffer on
    // E2BIG, which keeps that path in use.
    std::string out(in.size() + 8, '\0');
    size_t used = 0;
    // iconv's prototype takes char** for input it does not modify.
    char* in_ptr = const_cast<char*>(in.data());
    size_t in_left = in.size();
    bool flushing = false;
    for (;;) {
      char* out_ptr = out.data() + used;
      size_t out_left = out.size() - used;
      size_t result = flushing ? iconv(cd_, nullptr, nullptr, &out_ptr, &out_left)
                               : iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      used = out.size() - out_left;
      if (result == static_cast<size_t>(-1)) {
        if (errno != E2BIG) return std::nullopt;  // EILSEQ or EINVAL: not valid text
        out.resize(out.size() * 2);
        continue;
      }
      if (flushing) break;
      flushing = true;
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

Converter& ToCp932() {
  thread_local Converter converter("CP932", "UTF-8");
  return converter;
}

Converter& FromCp932() {
  thread_local Converter converter("UTF-8", "CP932");
  return converter;
}

}  // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8) { return ToCp932().Convert(utf8); }

std::optional<std::string> Utf8ToCp932Exactly(std::string_view utf8) {
  std::optional<std::string> bytes = Utf8ToCp932(utf8);
  if (!bytes.has_value()) return std::nullopt;
  const std::optional<std::string> back = Cp932ToUtf8(*bytes);
  if (!back.has_value() || *back != utf8) return std::nullopt;
  return bytes;
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
  return FromCp932().Convert(cp932);
}

std::optional<uint16_t> Cp932Code(char32_t ch) {
  if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return std::nullopt;
  std::string utf8;
  AppendUtf8(ch, &utf8);
  std::optional<std::string> bytes = Utf8ToCp932(utf8);
  if (!bytes.has_value()) return std::nullopt;
  if (bytes->size() == 1) return static_cast<uint8_t>((*bytes)[0]);
  if (bytes->size() == 2) {
    return static_cast<uint16_t>(static_cast<uint8_t>((*bytes)[0]) << 8 |
                                 static_cast<uint8_t>((*bytes)[1]));
  }
  return std::nullopt;
}

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

}  // namespace tarquel::host
