// Text at the borders: UTF-8 decoding and encoding, cutting a text to fit a byte buffer, and ASCII
// lower-casing. Every layer that meets bytes from outside (file names, hive names, terminal input,
// query words, FAR's fixed-size buffers) uses these, so that all of them agree on what a character
// is.
//
// Contract:
// - Well-formed means shortest form, no surrogate (U+D800..U+DFFF), nothing above U+10FFFF; all
//   four lengths (every plane) are accepted.
// - Invalid bytes are handled one way everywhere: `decodeUtf8` reports them as length 0 and sets
//   the code point to `kReplacementChar`; a caller that goes on treats exactly one byte as consumed
//   and decides for itself whether that byte is kept, escaped or drawn as U+FFFD.
// - `appendUtf8` never writes an ill-formed sequence: a surrogate or a value past U+10FFFF is
//   written as U+FFFD.
// - Cutting never splits a sequence; it never looks further back than the start of the text.
// - Lower-casing touches only 'A'..'Z', whatever the process locale is.
// Nothing here allocates except the functions that return a std::string.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace skimmer::os {

inline constexpr char32_t kReplacementChar = U'\uFFFD';
inline constexpr char32_t kMaxCodePoint = U'\U0010FFFF';
static_assert(kMaxCodePoint == 0x10FFFF && kReplacementChar == 0xFFFD);

// Decodes the sequence that starts at text[pos] (pos < text.size()) into `cp` and returns its
// length, 1 to 4; returns 0 (and sets `cp` to U+FFFD) when the bytes there are not well-formed.
size_t decodeUtf8(std::string_view text, size_t pos, char32_t& cp);

// Appends the encoding of `cp` to `out` (1 to 4 bytes; U+FFFD for a value that is not a scalar).
void appendUtf8(std::string& out, char32_t cp);

// True for a byte that continues a sequence (10xxxxxx) and so cannot start a character.
constexpr bool isUtf8Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The longest prefix of `text` no longer than `limit` bytes that ends on a character boundary:
// what fits a buffer of `limit` bytes plus its terminating NUL.
size_t utf8CutPoint(std::string_view text, size_t limit);

// The start of the character before `pos` (0 at the start of the text).
size_t utf8PreviousStart(std::string_view text, size_t pos);

// The characters of `text` as a line shows them: each well-formed sequence is one, and so is each
// byte that is not part of one (it is drawn as one escaped or replaced cell).
size_t utf8CharacterCount(std::string_view text);
// The byte offset after the first `count` such characters (text.size() when there are fewer).
size_t utf8CharacterOffset(std::string_view text, size_t count);

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string asciiLower(std::string_view text);
// Equal apart from the case of ASCII letters.
bool equalsAsciiCaseless(std::string_view a, std::string_view b);

}  // namespace skimmer::os
