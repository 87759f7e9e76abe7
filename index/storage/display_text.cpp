#include "index/storage/display_text.h"

#include "os/utf8.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace skimmer::index::store {

namespace {

// Length of the well-formed UTF-8 sequence at `s[i]` (its code point in `cp`), or 0 when it is
// not one or is a C1 control (U+0080..U+009F), which a terminal would act on.
size_t utf8Length(std::string_view s, size_t i, char32_t& cp) {
    cp = 0;
    const size_t n = os::decodeUtf8(s, i, cp);
    return cp >= 0x80 && cp <= 0x9F ? 0 : n;
}

// Characters that reorder or break the line a terminal shows without being visible themselves: a
// name holding U+202E shows its extension reversed, one holding U+2028 starts a new line.
bool reordersOrBreaksLines(char32_t cp) {
    return cp == 0x061C || cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) ||
           (cp >= 0x2066 && cp <= 0x2069) || cp == 0x2028 || cp == 0x2029;
}

// Printable ASCII other than the backslash: passes unchanged, with no decoding. Names are mostly
// made of it, so runs of it are copied whole (printing every hit of a query spends its time here).
bool plainAscii(unsigned char b) { return b >= 0x20 && b < 0x7F && b != '\\'; }

}  // namespace

std::string terminalSafe(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        size_t plain = i;
        while (plain < bytes.size() && plainAscii(static_cast<unsigned char>(bytes[plain]))) ++plain;
        if (plain != i) {
            out.append(bytes.substr(i, plain - i));
            i = plain;
            continue;
        }
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        char32_t cp = 0;
        const size_t n = utf8Length(bytes, i, cp);
        if (b == '\\') {
            out += "\\\\";
        } else if (n == 0 || b < 0x20 || b == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", b);
            out += escape;
        } else if (reordersOrBreaksLines(cp)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(cp));
            out += escape;
            i += n;
            continue;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
            continue;
        }
        ++i;
    }
    return out;
}

// Eight bytes at a time: true when none is a control byte, DEL, non-ASCII or a backslash. Each
// test sets a byte's top bit exactly where it fails (no borrow or carry crosses a byte, as every
// byte is first checked or masked below 0x80).
bool plainWord(uint64_t word) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    const uint64_t low7 = word & ~kHigh;
    const uint64_t nonAscii = word & kHigh;
    const uint64_t below20 = ~(low7 + (0x80 - 0x20) * kOnes) & kHigh;  // low7 < 0x20
    const uint64_t atLeast7F = (low7 + kOnes) & kHigh;                // low7 == 0x7F
    const uint64_t x = low7 ^ ('\\' * kOnes);
    const uint64_t backslash = ~((x + (0x7F * kOnes)) | x) & kHigh;  // low7 == '\\'
    return (nonAscii | below20 | atLeast7F | backslash) == 0;
}

bool plainForTerminal(std::string_view bytes) {
    size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + i, sizeof word);
        if (!plainWord(word)) return false;
    }
    for (; i < bytes.size(); ++i)
        if (!plainAscii(static_cast<unsigned char>(bytes[i]))) return false;
    return true;
}

std::string keepEnd(std::string_view text, size_t columns) {
    if (os::utf8StartCount(text) <= columns) return std::string(text);
    if (columns < 4) return std::string();
    size_t from = text.size();  // the start of the last columns - 3 characters
    for (size_t kept = 0; kept < columns - 3; ++kept) from = os::utf8PreviousStart(text, from);
    return "..." + std::string(text.substr(from));
}

}  // namespace skimmer::index::store
