// Conversion between UTF-8, the program's text, and CP932, the Japanese code page in
// which the add-in's settings file is kept, and helpers for text files in CP932 with CR LF
// line ends. Any layer may call these; they convert text only at file boundaries.
//
// The tables are the C library's "CP932" converter. Like the code page itself it maps some
// Unicode characters many-to-one (U+301C and U+FF5E both become 0x8160), and it reads each
// CP932 code as one character, so bytes -> UTF-8 -> bytes may change a code that has a
// duplicate (0xED40 comes back as 0xFA5C, the same kanji in the other extension rows). Text
// that must read back as written (a file name kept in a file) goes through
// Utf8ToCp932Exactly. The functions are thread-safe. They throw std::runtime_error only when the C
// library has no CP932 converter, a fault of the installation rather than of the text.
#ifndef TARQUEL_HOST_PLATFORM_CP932_H_
#define TARQUEL_HOST_PLATFORM_CP932_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarquel::host {

// UTF-8 -> CP932 bytes. nullopt when a character has no CP932 code or the input is not valid
// UTF-8 (overlong forms and encoded surrogates included). Empty input gives "".
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// As Utf8ToCp932, but also nullopt when the bytes would read back as other text: a character
// the converter writes with the code of another (U+301C, U+2016, U+2212, U+00A2, U+00A3,
// U+00AC, U+2014, U+00A5, U+203E) or drops (the tag characters U+E0000..U+E007F).
std::optional<std::string> Utf8ToCp932Exactly(std::string_view utf8);

// CP932 bytes -> UTF-8. nullopt when the bytes are not valid CP932: a byte that is neither a
// character nor a lead byte, a lead byte with a trail byte out of range or missing at the end,
// or a code with no character. The user-defined area (0xF040..0xF9FC) gives private-use
// characters.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// The CP932 code of one Unicode character: a one-byte code (0x00..0xFF) or a two-byte code as
// lead * 256 + trail. nullopt when it has none, or `ch` is a surrogate or above U+10FFFF.
std::optional<uint16_t> Cp932Code(char32_t ch);

// Splits the bytes of a text file into lines, without their ends. CR LF, a lone LF and a lone
// CR each end a line; the last line may lack an end. "" gives no lines; "a\r\n" gives one.
// Works on bytes: a CP932 trail byte is never CR or LF, so no character is cut.
std::vector<std::string> SplitLines(std::string_view bytes);

// Joins lines with CR LF after every line, the last included. No lines give "".
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_PLATFORM_CP932_H_
