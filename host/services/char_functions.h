// The host's locale-aware character services (FarStandardFunctions LIsLower … LStrnicmp), over
// Unicode code points and UTF-8 text.
//
// Contract:
// - Answers come from the Unicode tables of a private C.UTF-8 locale object, never from the
//   process locale, so they are the same under any LANG (and in tests).
// - Buffer functions work on UTF-8 in place and never change a buffer's length: a character whose
//   other case encodes to a different number of bytes (U+0131 dotless i -> I) is left as it is.
//   Bytes that are not valid UTF-8 are kept unchanged and compare by their byte value.
// - Counts of characters (LStrnicmp's n) are code points.
// - Case-insensitive comparisons (LStricmp, LStrnicmp and the masks) fold with os::foldCase, the
//   one fold the index and the search window match with, so a name a mask or a compare treats as
//   equal is one a search finds by the other spelling too.
#pragma once

#include <string_view>

namespace skimmer::host::services {

bool LIsLower(char32_t ch);
bool LIsUpper(char32_t ch);
bool LIsAlpha(char32_t ch);
bool LIsAlphanum(char32_t ch);
char32_t LUpper(char32_t ch);
char32_t LLower(char32_t ch);

// In place on the first `len` bytes of `buf` (a code point cut at the end stays as it is).
void LUpperBuf(char* buf, int len);
void LLowerBuf(char* buf, int len);
// In place on a NUL-terminated string.
void LStrupr(char* s);
void LStrlwr(char* s);

// <0, 0, >0 like strcmp, comparing lower-cased code points.
int LStricmp(std::string_view a, std::string_view b);
// The same over at most `n` code points of each.
int LStrnicmp(std::string_view a, std::string_view b, int n);

}  // namespace skimmer::host::services
