#include "index/query/variant.h"

#include "os/utf8.h"

#include <ctime>

namespace skimmer::index::query {

std::wstring Variant::wide() const {
    std::wstring out;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        char32_t c = 0;
        const size_t length = os::decodeUtf8(text, i, c);
        if (length == 0) {
            out += static_cast<wchar_t>(0xDC00 + p[i]);
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
