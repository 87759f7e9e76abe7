#include "index/query/variant.h"

#include <ctime>

namespace skimmer::index::query {

std::wstring Variant::wide() const {
    std::wstring out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        const unsigned char b = p[i];
        size_t length = b < 0x80 ? 1 : (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : (b >= 0xF0 && b <= 0xF4) ? 4 : 0;
        char32_t c = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
        bool valid = length > 0 && i + length <= size;
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (p[i + k] & 0xC0) == 0x80;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        valid = valid && !(length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) &&
                !(length == 4 && (c < 0x10000 || c > 0x10FFFF));
        if (!valid) {
            out += static_cast<wchar_t>(0xDC00 + b);
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(c);
        i += length;
    }
    return out;
}

double oleDateFromUnix(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    const double local = static_cast<double>(seconds) + static_cast<double>(tm.tm_gmtoff);
    return local / 86400.0 + 25569.0;  // 25569 days from 1899-12-30 to 1970-01-01
}

}  // namespace skimmer::index::query
