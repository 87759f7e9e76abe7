// UTF-8 decoding and terminal display widths, the one place the host measures text.
//
// Contract:
// - `decodeUtf8` never fails: a byte that does not start a valid, shortest-form sequence decodes
//   as U+FFFD and consumes exactly one byte, so every byte of a file name is accounted for.
// - Widths follow glibc's wcwidth under a UTF-8 locale that this file holds itself, so results do
//   not depend on the process locale (tests run under "C"): 2 for wide (CJK, emoji), 0 for
//   combining marks, 1 otherwise.
// - `isUnsafeForTerminal` names the code points that must never reach the terminal as they stand:
//   C0/C1 controls, DEL, and the invisible format characters that reorder or hide text (bidi
//   overrides and isolates, zero-width marks). Callers draw `kPlaceholder` instead.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace skimmer::host::term {

// What is drawn in place of a character that must not reach the terminal or does not decode.
inline constexpr char32_t kPlaceholder = U'\uFFFD';  // os::kReplacementChar, what os::appendUtf8 writes for a non-scalar

struct Utf8Step {
    char32_t cp;   // the decoded code point, or U+FFFD
    size_t length; // bytes consumed, at least 1 when input remains
    bool valid;    // false when the bytes were not a well-formed sequence
};

// Decodes the code point that starts at `pos` (pos < text.size()).
Utf8Step decodeUtf8(std::string_view text, size_t pos);

// Appends the UTF-8 encoding of `cp` (surrogates and values past U+10FFFF become U+FFFD).
void appendUtf8(std::string& out, char32_t cp);

bool isUnsafeForTerminal(char32_t cp);

// True for code points that combine with the previous character (display width 0) and are safe.
bool isCombining(char32_t cp);

// Columns `cp` takes: 0 (combining), 1 or 2. Unsafe code points count as the placeholder (1).
int charWidth(char32_t cp);

// Columns the UTF-8 text takes when drawn by the cell buffer.
int displayWidth(std::string_view utf8);

}  // namespace skimmer::host::term
