// The case fold declared in utf8.h: a fixed table, so that the folded names an index stored stay
// valid whatever C library or locale reads them later.
#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "os/utf8.h"

namespace skimmer::os {
namespace {

// A run of code points that fold by the same offset: every one from `first` to `last` (every
// second one when `step` is 2, the capital-then-small pairs) folds to itself + `delta`.
struct FoldRun {
    char32_t first;
    char32_t last;
    int32_t delta;
    uint8_t step;
};

// Unicode's simple case folding for the blocks utf8.h names, in code point order, plus İ -> i
// (the choice utf8.h explains). Pairs blocks fold their even capitals to the odd small letters.
constexpr std::array<FoldRun, 47> kRuns{{
    {0x41, 0x5A, 32, 1},        {0xB5, 0xB5, 775, 1},      {0xC0, 0xD6, 32, 1},      {0xD8, 0xDE, 32, 1},
    {0x100, 0x12E, 1, 2},       {0x130, 0x130, -199, 1},   {0x132, 0x136, 1, 2},     {0x139, 0x147, 1, 2},
    {0x14A, 0x176, 1, 2},       {0x178, 0x178, -121, 1},   {0x179, 0x17D, 1, 2},     {0x17F, 0x17F, -268, 1},
    {0x370, 0x372, 1, 2},       {0x376, 0x376, 1, 1},      {0x37F, 0x37F, 116, 1},   {0x386, 0x386, 38, 1},
    {0x388, 0x38A, 37, 1},      {0x38C, 0x38C, 64, 1},     {0x38E, 0x38F, 63, 1},    {0x391, 0x3A1, 32, 1},
    {0x3A3, 0x3AB, 32, 1},      {0x3C2, 0x3C2, 1, 1},      {0x3CF, 0x3CF, 8, 1},     {0x3D0, 0x3D0, -30, 1},
    {0x3D1, 0x3D1, -25, 1},     {0x3D5, 0x3D5, -15, 1},    {0x3D6, 0x3D6, -22, 1},   {0x3D8, 0x3EE, 1, 2},
    {0x3F0, 0x3F0, -54, 1},     {0x3F1, 0x3F1, -48, 1},    {0x3F4, 0x3F4, -60, 1},   {0x3F5, 0x3F5, -64, 1},
    {0x3F7, 0x3F7, 1, 1},       {0x3F9, 0x3F9, -7, 1},     {0x3FA, 0x3FA, 1, 1},     {0x3FD, 0x3FF, -130, 1},
    {0x400, 0x40F, 80, 1},      {0x410, 0x42F, 32, 1},     {0x460, 0x480, 1, 2},     {0x48A, 0x4BE, 1, 2},
    {0x4C0, 0x4C0, 15, 1},      {0x4C1, 0x4CD, 1, 2},      {0x4D0, 0x52E, 1, 2},     {0x1E9E, 0x1E9E, -7615, 1},
    {0x2126, 0x2126, -7517, 1}, {0x212A, 0x212A, -8383, 1}, {0x212B, 0x212B, -8262, 1},
}};

constexpr bool sortedAndApart() {
    for (size_t i = 1; i < kRuns.size(); ++i)
        if (kRuns[i].first <= kRuns[i - 1].last) return false;
    return true;
}
static_assert(sortedAndApart(), "the look-up below relies on sorted, disjoint runs");
static_assert(kRuns.back().last == 0x212B, "nothing above the Angstrom sign folds");

}  // namespace

char32_t foldCase(char32_t cp) {
    if (cp < 0x80) return cp >= 'A' && cp <= 'Z' ? cp + 32 : cp;  // most names are ASCII: no search
    if (cp > kRuns.back().last) return cp;
    const auto run = std::upper_bound(kRuns.begin(), kRuns.end(), cp,
                                      [](char32_t c, const FoldRun& r) { return c < r.first; });
    if (run == kRuns.begin()) return cp;
    const FoldRun& r = *std::prev(run);
    if (cp > r.last || (cp - r.first) % r.step != 0) return cp;
    return static_cast<char32_t>(static_cast<int32_t>(cp) + r.delta);
}

void appendFolded(std::string_view text, std::string& out) {
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const size_t length = decodeUtf8(text, i, cp);
        if (length == 0) {  // not UTF-8: the byte stands for itself
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        const char32_t folded = foldCase(cp);
        if (folded == cp) out.append(text.substr(i, length));
        else appendUtf8(out, folded);
        i += length;
    }
}

std::string foldText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendFolded(text, out);
    return out;
}

// Bytes a character takes once folded: `length` is its decoded length, 0 for a stray byte (kept).
static size_t foldedLength(char32_t cp, size_t length) {
    if (length == 0) return 1;
    const char32_t folded = foldCase(cp);
    if (folded == cp) return length;
    return folded < 0x80 ? 1 : folded < 0x800 ? 2 : folded < 0x10000 ? 3 : 4;
}

std::optional<CharSpan> findFolded(std::string_view text, std::string_view word) {
    if (word.empty()) return std::nullopt;
    const std::string needle = foldText(word);
    const size_t at = foldText(text).find(needle);
    if (at == std::string::npos) return std::nullopt;
    const size_t end = at + needle.size();
    // Walk the original text a character at a time, adding up how many bytes each one takes once
    // folded, up to the match's end: every character whose folded bytes the match overlaps is in
    // the span (a match starting inside a character, possible only with stray bytes, takes it).
    CharSpan span;
    std::optional<size_t> first;
    size_t folded = 0, index = 0;
    for (size_t i = 0; i < text.size() && folded < end; ++index) {
        char32_t cp = 0;
        const size_t length = decodeUtf8(text, i, cp);
        folded += foldedLength(cp, length);
        if (!first && folded > at) first = index;
        i += length == 0 ? 1 : length;
    }
    span.first = first.value_or(index);
    span.count = index - span.first;
    return span;
}

}  // namespace skimmer::os
