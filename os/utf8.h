// Text at the borders: UTF-8 decoding and encoding, cutting a text to fit a byte buffer, counting
// characters, trimming blanks, ASCII lower-casing and caseless comparison, and the one case fold
// every case-insensitive match uses. Every layer that meets bytes from outside (file names, hive names, terminal input,
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
// - Lower-casing and the caseless comparisons touch only 'A'..'Z', whatever the process locale is.
// - Trimming removes only the bytes it is given (never the locale's idea of white space) and
//   returns a view into its argument: the caller keeps the text alive.
// - Case folding (`foldCase`, `foldText`, `findFolded`) is one fixed table, never the locale's, so
//   that the index's stored names, its queries, the search window's keyword marks and the host's
//   masks all agree on what matches, and a name folded today folds the same after any upgrade of
//   the C library. See "Case folding" below for what it maps.
// Nothing here allocates except the functions that return a std::string.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::os {

inline constexpr char32_t kReplacementChar = U'\uFFFD';
inline constexpr char32_t kMaxCodePoint = U'\U0010FFFF';

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

// Bytes of the character that starts at text[pos] (pos < text.size()): a well-formed sequence as
// a whole, any other byte alone.
size_t utf8CharLength(std::string_view text, size_t pos);
// Bytes that start a character (every byte but a continuation byte): the character count of a
// text known to be well-formed, in one pass and without decoding. A stray continuation byte counts
// as nothing here, where utf8CharacterCount counts it as one character.
size_t utf8StartCount(std::string_view text);

// The blank sets the text formats here trim. Each trim takes the set it strips.
inline constexpr std::string_view kSpaces = " ";
inline constexpr std::string_view kBlanks = " \t";
inline constexpr std::string_view kLineBlanks = " \t\r";      // a line that may end in CR LF
inline constexpr std::string_view kWhiteSpace = " \t\r\n";
std::string_view trimStart(std::string_view text, std::string_view chars = kBlanks);
std::string_view trimEnd(std::string_view text, std::string_view chars = kBlanks);
std::string_view trim(std::string_view text, std::string_view chars = kBlanks);
// A line of a text file that may have CR LF endings: blanks off both ends, and CRs off its end
// only (a CR at the start is the line's own content).
std::string_view trimLine(std::string_view text);

constexpr char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
static_assert(asciiLower('A') == 'a' && asciiLower('Z') == 'z' && asciiLower('@') == '@' && asciiLower('[') == '[');
std::string asciiLower(std::string_view text);
// Equal apart from the case of ASCII letters.
bool equalsAsciiCaseless(std::string_view a, std::string_view b);
// `text` begins with `prefix`, apart from the case of ASCII letters.
bool startsWithAsciiCaseless(std::string_view text, std::string_view prefix);

// Case folding.
//
// The fold is Unicode's simple case folding (CaseFolding.txt, statuses C and S) over Basic Latin,
// Latin-1, Latin Extended-A, Greek and Coptic, Cyrillic and Cyrillic Supplement, together with
// U+1E9E capital sharp s, and the Ohm, Kelvin and Angstrom signs; every other code point folds to
// itself. So ASCII letters, the accented letters of Latin-1 and Extended-A, Greek and Cyrillic fold
// to their small letters, as a user expects, and:
// - ß stays ß and ẞ folds to ß (never to "ss": one code point always folds to one, so a match in
//   the folded text is a match of the same characters in the original);
// - ſ (long s) folds to s, µ (micro sign) to μ, ς (final sigma) to σ, ϐ ϑ ϕ ϖ ϰ ϱ ϵ ϴ to the
//   ordinary Greek letters they are variants of;
// - İ (capital I with dot) folds to i: Unicode folds it only in full (to i and a combining dot) or
//   for Turkish, and a typed "istanbul" should find "İstanbul"; ı (dotless i) stays itself, a
//   letter of its own, so "I" and "i" never find it (the language-neutral choice: a Turkish
//   user's dotless word is found by typing ı).
// A folded text is never longer than its input and folding it again changes nothing. Bytes that
// are not well-formed UTF-8 are copied unchanged, one by one, so a name that is not UTF-8 is still
// found by its exact bytes.
char32_t foldCase(char32_t cp);
// Appends the folded form of `text` to `out`.
void appendFolded(std::string_view text, std::string& out);
std::string foldText(std::string_view text);

// Upper case, for what must follow the C library's idea of case rather than match: FAR's LUpper,
// hot keys (which the plug-in's lists compare through LUpper too) and the registry's key order.
// It is the C.UTF-8 locale's towupper, never the process locale's, and only ASCII when that locale
// is missing (on Windows the system's CharUpperBuffW, as FAR's LUpper there); a mapping that is not
// a Unicode scalar leaves the code point as it is. Matching never
// uses this: it uses the fold above. `lowerCase` is the same for towlower (FAR's LLower).
char32_t upperCase(char32_t cp);
char32_t lowerCase(char32_t cp);

// Where `word` occurs first in `text` when both are folded, in characters of `text` as
// `utf8CharacterCount` counts them: the characters whose folded bytes the match covers. None for
// an empty word. This is the index's match (a byte search in the folded name), so a hit found by
// it is marked exactly where it was found.
struct CharSpan {
    size_t first = 0;
    size_t count = 0;
};
std::optional<CharSpan> findFolded(std::string_view text, std::string_view word);

}  // namespace skimmer::os
