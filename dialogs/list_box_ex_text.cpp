#include "dialogs/list_box_ex_text.h"

#include <cstdint>

namespace skimmer::dialogs {
namespace {

struct Decoded {
    char32_t cp;
    size_t length;
};

// The code point at `pos`, or the replacement character for one bad byte.
Decoded decodeAt(std::string_view text, size_t pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) return {lead, 1};
    size_t need;
    char32_t cp;
    char32_t minimum;
    if ((lead & 0xE0) == 0xC0) { need = 1; cp = lead & 0x1F; minimum = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { need = 2; cp = lead & 0x0F; minimum = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { need = 3; cp = lead & 0x07; minimum = 0x10000; }
    else return {kLbxReplacement, 1};
    if (pos + need >= text.size()) return {kLbxReplacement, 1};
    for (size_t i = 1; i <= need; ++i) {
        const unsigned char b = byte(pos + i);
        if ((b & 0xC0) != 0x80) return {kLbxReplacement, 1};
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {kLbxReplacement, 1};
    return {cp, need + 1};
}

}  // namespace

std::u32string DecodeColumns(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        const Decoded d = decodeAt(utf8, pos);
        out += d.cp;
        pos += d.length;
    }
    return out;
}

int32_t CountColumns(std::string_view utf8) {
    int32_t n = 0;
    for (size_t pos = 0; pos < utf8.size(); ++n) pos += decodeAt(utf8, pos).length;
    return n;
}

}  // namespace skimmer::dialogs

namespace skimmer::dialogs {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kLbxReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace skimmer::dialogs
