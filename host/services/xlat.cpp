#include "host/services/xlat.h"


#include "host/term/text_width.h"

namespace skimmer::host::services {
namespace {

// Key by key, the US character above the Russian one: ` q w e r t y u i o p [ ] a s d f g h j k l ; ' z x c v b n m , .
constexpr std::u32string_view kLatin = U"`qwertyuiop[]asdfghjkl;'zxcvbnm,.~QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>";
constexpr std::u32string_view kCyrillic = U"ёйцукенгшщзхъфывапролджэячсмитьбюЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ";
static_assert(kLatin.size() == 66 && kCyrillic.size() == 66);

}  // namespace

char32_t xlatChar(char32_t ch) {
    if (auto i = kLatin.find(ch); i != std::u32string_view::npos) return kCyrillic[i];
    if (auto i = kCyrillic.find(ch); i != std::u32string_view::npos) return kLatin[i];
    return ch;
}

std::string xlatRange(std::string_view line, int start, int end, bool mayGrow) {
    std::string out;
    out.reserve(line.size() * 2);
    int index = 0;
    for (size_t pos = 0; pos < line.size(); ++index) {
        auto step = term::decodeUtf8(line, pos);
        std::string converted;
        if (step.valid && index >= start && index < end) term::appendUtf8(converted, xlatChar(step.cp));
        if (converted.empty() || (!mayGrow && converted.size() > step.length)) converted = line.substr(pos, step.length);
        out += converted;
        pos += step.length;
    }
    return out;
}

}  // namespace skimmer::host::services
