// Case folding for name search: one mapping used by the index builder, the query and the tests'
// brute-force scan, so that "a word occurs in a name" means the same thing everywhere.
//
// Contract:
// - `foldName` lowers ASCII, Latin-1, Latin Extended-A, Greek (final sigma folds to sigma) and
//   Cyrillic letters code point by code point; every other valid UTF-8 sequence is copied as it is.
// - Bytes that are not part of a valid UTF-8 sequence are copied unchanged, one by one, so names
//   that are not UTF-8 are still searchable by their exact bytes.
// - A folded text is never longer than its input, and folding a folded text changes nothing.
// - Pure functions: no locale, no allocation beyond the returned string.
#pragma once

#include <string>
#include <string_view>

namespace skimmer::index::query {

// Appends the folded form of `text` to `out`.
void appendFolded(std::string_view text, std::string& out);

inline std::string foldName(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendFolded(text, out);
    return out;
}

// The lower-case form of one code point under the mapping above (identity for all others).
char32_t foldCodePoint(char32_t c);

}  // namespace skimmer::index::query
