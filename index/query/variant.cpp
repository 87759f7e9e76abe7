#include "index/query/variant.h"

#include <ctime>

namespace skimmer::index::query {

double oleDateFromUnix(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    const double local = static_cast<double>(seconds) + static_cast<double>(tm.tm_gmtoff);
    return local / 86400.0 + 25569.0;  // 25569 days from 1899-12-30 to 1970-01-01
}

}  // namespace skimmer::index::query
