#include "results/hit_date.h"

#include <cmath>
#include <cstdio>

#include "far/win_types.h"
#include "os/path_syntax.h"

namespace skimmer::results {
namespace {

constexpr int64_t kOleDayOfUnixEpoch = 25569;  // 1970-01-01 as an OLE day
constexpr int kSecondsPerDay = 86400;

struct OleParts {
    int64_t year = 0;
    unsigned month = 0, day = 0;
    int seconds = 0;  // of the day, 0 .. 86399
};

// OLE's rule: the integral part is the day (negative before 1899-12-30) and the fraction always
// counts forward from that day's midnight.
std::optional<OleParts> splitOle(double ole) {
    if (!std::isfinite(ole) || ole < os::kOleMin || ole > os::kOleMax) return std::nullopt;
    const double day = std::trunc(ole);
    const double seconds = std::round(std::fabs(ole - day) * kSecondsPerDay);
    OleParts parts;
    parts.seconds = seconds >= kSecondsPerDay ? kSecondsPerDay - 1 : static_cast<int>(seconds);
    os::civilFromDays(static_cast<int64_t>(day) - kOleDayOfUnixEpoch, parts.year, parts.month, parts.day);
    return parts;
}

std::string dateText(const OleParts& p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02u", static_cast<long long>(p.year), p.month, p.day);
    return buffer;
}

// Always eight characters: the hour has two digits ("09:05:07"), as the time column shows it.
std::string timeText(const OleParts& p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", p.seconds / 3600, p.seconds / 60 % 60, p.seconds % 60);
    return buffer;
}

bool isMailAddress(const std::string& url) { return url.compare(0, 7, "mapi://") == 0; }

// Looks the hit's date up when it is not known yet; false when it cannot be had.
bool ensureDate(TSearchResult& hit, const THitDateSources& sources, bool keepAttributes) {
    if (hit.DateKnown) return true;
    if (!isMailAddress(hit.Url)) {
        if (!sources.Files) return false;
        const auto entry = sources.Files->Find(hit.PathW);
        if (!entry) return false;
        hit.Date = entry->Date;
        hit.DateKnown = true;
        if (keepAttributes) {
            hit.Attributes = entry->Attributes;
            hit.AttrKnown = true;
        }
        return true;
    }
    if (!sources.MailDate) return false;
    const auto date = sources.MailDate(hit);
    if (!date) return false;
    hit.Date = *date;
    hit.DateKnown = true;
    return true;
}

}  // namespace

std::optional<THitFileEntry> TFileSystemProbe::Find(const std::string& path) const {
    os::FileStat st;
    if (path.empty() || fs_.stat(path, st) != 0) return std::nullopt;
    THitFileEntry entry;
    constexpr int64_t kNs = 1000000000;
    int64_t seconds = st.mtimeNs / kNs, nanoseconds = st.mtimeNs % kNs;
    if (nanoseconds < 0) {  // before 1970: nanoseconds stay in [0, 1e9)
        --seconds;
        nanoseconds += kNs;
    }
    entry.Date = os::oleFromUnix({seconds, static_cast<int32_t>(nanoseconds)}).value_or(os::oleNow(clock_));
    const std::string_view name = os::pathName(os::withoutTrailingSeparators(path));
    if (st.isDirectory) entry.Attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if (name.size() > 1 && name.front() == '.' && name != "..") entry.Attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (entry.Attributes == 0) entry.Attributes = FILE_ATTRIBUTE_NORMAL;
    return entry;
}

std::string HitDateText(TSearchResult& Hit, const THitDateSources& sources) {
    if (!ensureDate(Hit, sources, true)) return sources.NoDateText;
    const auto parts = splitOle(Hit.Date);
    return parts ? dateText(*parts) : sources.NoDateText;
}

std::string HitTimeText(TSearchResult& Hit, const THitDateSources& sources) {
    if (!ensureDate(Hit, sources, false)) return sources.NoDateText;
    const auto parts = splitOle(Hit.Date);
    return parts ? timeText(*parts) : sources.NoDateText;
}

}  // namespace skimmer::results
