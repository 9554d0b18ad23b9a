// Counting text the way the host does. Cell texts are UTF-8 inside the program, but the host
// measures and indexes them in UTF-16 code units (a character outside the Basic Multilingual
// Plane counts as two). Everything that counts characters of a cell text uses these helpers.
#ifndef TARQUEL_HOST_UTF16_H_
#define TARQUEL_HOST_UTF16_H_

#include <cstddef>
#include <optional>
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

// Decodes the character at `text[*pos]` and advances `*pos` past it; nullopt, with `*pos`
// unchanged, when the bytes there are not well-formed UTF-8 (a stray or cut sequence, an overlong
// form, a surrogate, a code point past U+10FFFF). REQUIRES: *pos < size. Every reader that must
// check its bytes decodes with this.
std::optional<char32_t> DecodeUtf8Strict(std::string_view text, std::size_t* pos);

// Bytes of the UTF-8 sequence its lead byte at `text[pos]` announces, never past the end; a byte
// that cannot lead one counts as one. REQUIRES: pos < size.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t pos);

// The start of the character the byte at `pos` belongs to: `pos` itself unless it is a
// continuation byte. A cut made there never splits a character.
std::size_t Utf8CharacterStart(std::string_view text, std::size_t pos);

// Appends the UTF-8 form of `ch` to `out`.
void AppendUtf8(char32_t ch, std::string* out);

}  // namespace tarquel::host

#endif  // TARQUEL_HOST_UTF16_H_
