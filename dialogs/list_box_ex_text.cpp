#include "dialogs/list_box_ex_text.h"

#include <cstdint>

#include "os/utf8.h"

namespace skimmer::dialogs {
namespace {

// The code point at `pos` and its length; one bad byte is one column of U+FFFD.
size_t decodeAt(std::string_view text, size_t pos, char32_t& cp) {
    const size_t length = os::decodeUtf8(text, pos, cp);
    return length == 0 ? 1 : length;
}

}  // namespace

std::u32string DecodeColumns(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        pos += decodeAt(utf8, pos, cp);
        out += cp;
    }
    return out;
}

int32_t CountColumns(std::string_view utf8) {
    int32_t n = 0;
    char32_t cp = 0;
    for (size_t pos = 0; pos < utf8.size(); ++n) pos += decodeAt(utf8, pos, cp);
    return n;
}

}  // namespace skimmer::dialogs
