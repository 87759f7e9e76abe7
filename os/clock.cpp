// The calendar arithmetic of clock.h that needs no system: civil days, FILETIME ticks and OLE
// dates over the local-time half of local_time.h.
#include "os/clock.h"

#include <cmath>

#include "os/local_time.h"

namespace skimmer::os {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kMsPerDay = kSecondsPerDay * 1000;
constexpr int64_t kOleEpochDays = -25569;               // 1899-12-30 in days since 1970-01-01
constexpr int64_t kFileTimeEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
constexpr uint64_t kTicksPerSecond = 10'000'000;

}  // namespace

// Howard Hinnant's days_from_civil / civil_from_days: exact for every proleptic Gregorian date.
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2);
}

std::optional<double> oleFromUnix(UnixTime t) {
    const std::optional<LocalTime> local = localFromUnixSeconds(t.seconds);
    if (!local || local->year < 100 || local->year > 9999) return std::nullopt;
    const int64_t day = daysFromCivil(local->year, local->month, local->day) - kOleEpochDays;
    const double secondOfDay = local->hour * 3600.0 + local->minute * 60.0 + local->second + t.nanoseconds / 1e9;
    const double fraction = secondOfDay / static_cast<double>(kSecondsPerDay);
    // Before the epoch the fraction is stored with the day's sign (OLE's own convention).
    return day < 0 ? static_cast<double>(day) - fraction : static_cast<double>(day) + fraction;
}

std::optional<UnixTime> unixFromOle(double ole) {
    if (!std::isfinite(ole) || ole < kOleMin - 1 || ole > kOleMax) return std::nullopt;
    double whole = ole < 0 ? std::ceil(ole) : std::floor(ole);
    double fraction = std::fabs(ole - whole);
    auto day = static_cast<int64_t>(whole);
    auto ms = static_cast<int64_t>(std::llround(fraction * static_cast<double>(kMsPerDay)));
    if (ms >= kMsPerDay) {  // rounding reached the next midnight
        ms -= kMsPerDay;
        ++day;
    }
    LocalTime local;
    civilFromDays(day + kOleEpochDays, local.year, local.month, local.day);
    local.hour = static_cast<unsigned>(ms / 3'600'000);
    local.minute = static_cast<unsigned>(ms / 60'000 % 60);
    local.second = static_cast<unsigned>(ms / 1000 % 60);
    const std::optional<int64_t> seconds = unixSecondsFromLocal(local);
    if (!seconds) return std::nullopt;
    return UnixTime{*seconds, static_cast<int32_t>(ms % 1000 * 1'000'000)};
}

double oleNow(const Clock& clock) { return oleFromUnix(clock.now()).value_or(0.0); }

uint64_t fileTimeFromUnix(UnixTime t) {
    if (t.seconds < -kFileTimeEpochSeconds) return 0;
    const auto sinceEpoch = static_cast<uint64_t>(t.seconds + kFileTimeEpochSeconds);
    if (sinceEpoch > (UINT64_MAX - kTicksPerSecond) / kTicksPerSecond) return UINT64_MAX;
    return sinceEpoch * kTicksPerSecond + static_cast<uint64_t>(t.nanoseconds) / 100;
}

UnixTime unixFromFileTime(uint64_t ticks) {
    const auto seconds = static_cast<int64_t>(ticks / kTicksPerSecond) - kFileTimeEpochSeconds;
    return {seconds, static_cast<int32_t>(ticks % kTicksPerSecond * 100)};
}

uint64_t fileTimeNow(const Clock& clock) { return fileTimeFromUnix(clock.now()); }

}  // namespace skimmer::os
