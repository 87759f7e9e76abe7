#include "index/query/utf8.h"

namespace skimmer::index::query {

size_t decodeUtf8(const unsigned char* p, size_t left, char32_t& c) {
    const unsigned char b = p[0];
    size_t length = 0;
    if (b < 0x80) { c = b; return 1; }
    if (b >= 0xC2 && b <= 0xDF) { length = 2; c = b & 0x1F; }
    else if (b >= 0xE0 && b <= 0xEF) { length = 3; c = b & 0x0F; }
    else if (b >= 0xF0 && b <= 0xF4) { length = 4; c = b & 0x07; }
    else return 0;
    if (left < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (length == 4 && (c < 0x10000 || c > 0x10FFFF)))
        return 0;
    return length;
}

}  // namespace skimmer::index::query
