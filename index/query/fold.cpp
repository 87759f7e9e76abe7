#include "index/query/fold.h"

#include "os/utf8.h"

namespace skimmer::index::query {
namespace {

// Pairs where the capital is even and its small letter follows it (U+0100 "Ā" → U+0101 "ā").
bool inEvenPairBlock(char32_t c) {
    return (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x481) ||
           (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F) || (c >= 0x3D8 && c <= 0x3EF);
}

// Pairs where the capital is odd (U+0139 "Ĺ" → U+013A "ĺ").
bool inOddPairBlock(char32_t c) {
    return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E) || (c >= 0x4C1 && c <= 0x4CE);
}

char32_t foldGreek(char32_t c) {
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
    switch (c) {
        case 0x386: return 0x3AC;
        case 0x388: case 0x389: case 0x38A: return c + 0x25;
        case 0x38C: return 0x3CC;
        case 0x38E: case 0x38F: return c + 0x3F;
        case 0x3C2: return 0x3C3;  // final sigma: a word typed with σ must find a name ending in ς
        default: return c;
    }
}

}  // namespace

char32_t foldCodePoint(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    if (inEvenPairBlock(c)) return c | 1;
    if (inOddPairBlock(c)) return (c & 1) ? c + 1 : c;
    if (c == 0x178) return 0xFF;
    if (c >= 0x370 && c <= 0x3FF) return foldGreek(c);
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    if (c >= 0x410 && c <= 0x42F) return c + 0x20;
    if (c == 0x4C0) return 0x4CF;
    return c;
}

void appendFolded(std::string_view text, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
            ++i;
            continue;
        }
        char32_t c = 0;
        const size_t length = os::decodeUtf8(text, i, c);
        if (length == 0) {  // not UTF-8: the byte stands for itself
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const char32_t folded = foldCodePoint(c);
        // Every mapped code point is below U+0800 and keeps its encoded length (2 bytes).
        if (folded == c) out.append(text.substr(i, length));
        else os::appendUtf8(out, folded);
        i += length;
    }
}

}  // namespace skimmer::index::query
