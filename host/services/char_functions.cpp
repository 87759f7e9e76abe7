#include "host/services/char_functions.h"

#include <cctype>
#include <cstring>
#include <cwctype>
#include <string>

#include "host/term/text_width.h"
#include "os/utf8.h"

namespace skimmer::host::services {
namespace {

// Without the C.UTF-8 tables (a libc that lacks them) only ASCII has case; never guess beyond it.
wint_t toUpper(char32_t ch) { return os::upperCase(ch); }
wint_t toLower(char32_t ch) { return os::lowerCase(ch); }

// One unit of a UTF-8 buffer: a code point, or an invalid byte kept as a value above Unicode.
struct Unit {
    char32_t key;
    size_t length;
};

Unit unitAt(std::string_view s, size_t pos) {
    auto step = term::decodeUtf8(s, pos);
    if (!step.valid) return {0x110000u + static_cast<unsigned char>(s[pos]), 1};
    return {os::foldCase(step.cp), step.length};
}

template <typename Convert>
void convertInPlace(char* buf, size_t len, Convert convert) {
    std::string_view text(buf, len);
    for (size_t pos = 0; pos < len;) {
        auto step = term::decodeUtf8(text, pos);
        if (step.valid) {
            std::string encoded;
            term::appendUtf8(encoded, convert(step.cp));
            if (encoded.size() == step.length) std::memcpy(buf + pos, encoded.data(), step.length);
        }
        pos += step.length;
    }
}

int compareFolded(std::string_view a, std::string_view b, long limit) {
    size_t i = 0;
    size_t j = 0;
    for (long n = 0; limit < 0 || n < limit; ++n) {
        if (i == a.size() || j == b.size()) return (i < a.size()) - (j < b.size());
        Unit x = unitAt(a, i);
        Unit y = unitAt(b, j);
        if (x.key != y.key) return x.key < y.key ? -1 : 1;
        i += x.length;
        j += y.length;
    }
    return 0;
}

}  // namespace

char32_t LUpper(char32_t ch) { return static_cast<char32_t>(toUpper(ch)); }
char32_t LLower(char32_t ch) { return static_cast<char32_t>(toLower(ch)); }

void LUpperBuf(char* buf, int len) {
    if (buf && len > 0) convertInPlace(buf, static_cast<size_t>(len), LUpper);
}
void LLowerBuf(char* buf, int len) {
    if (buf && len > 0) convertInPlace(buf, static_cast<size_t>(len), LLower);
}
void LStrupr(char* s) {
    if (s) convertInPlace(s, std::strlen(s), LUpper);
}
void LStrlwr(char* s) {
    if (s) convertInPlace(s, std::strlen(s), LLower);
}

int LStricmp(std::string_view a, std::string_view b) { return compareFolded(a, b, -1); }
int LStrnicmp(std::string_view a, std::string_view b, int n) { return n <= 0 ? 0 : compareFolded(a, b, n); }

}  // namespace skimmer::host::services
