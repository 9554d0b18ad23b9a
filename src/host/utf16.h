// Counting text the way the host does. Cell texts are UTF-8 inside the program, but the host
// measures and indexes them in UTF-16 code units (a character outside the Basic Multilingual
// Plane counts as two). Everything that counts characters of a cell text uses these helpers.
#ifndef TARQUEL_HOST_UTF16_H_
#define TARQUEL_HOST_UTF16_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace tarquel::host {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Number of UTF-16 code units of `text`. REQUIRES: valid UTF-8.
std::size_t Utf16Length(std::string_view text);

// Byte offset in `text` of UTF-16 unit `units` (clamped to the end). An offset that falls inside
// a surrogate pair moves to the pair's end. REQUIRES: valid UTF-8.
std::size_t ByteOffsetOfUtf16(std::string_view text, std::size_t units);

// The first `units` UTF-16 units of `text` (all of it when shorter), never splitting a
// character.
std::string_view Utf16Prefix(std::string_view text, std::size_t units);

// The part of `text` from UTF-16 unit `start` (0-based) of `length` units, clamped to the text.
std::string_view Utf16Substr(std::string_view text, std::size_t start, std::size_t length);

// Decodes the code point at `text[*pos]` and advances `*pos`. REQUIRES: valid UTF-8, *pos < size.
char32_t DecodeUtf8(std::string_view text, std::size_t* pos);

// Appends the UTF-8 form of `ch` to `out`.
void AppendUtf8(char32_t ch, std::string* out);

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_UTF16_H_
