// The system clock and local time of the C library: CLOCK_REALTIME, localtime_r and mktime under
// the process's TZ (tzset semantics).
#include "os/clock.h"
#include "os/local_time.h"

#include <cerrno>
#include <ctime>

namespace skimmer::os {

namespace {

class SystemClock final : public Clock {
public:
    UnixTime now() const override {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        return {static_cast<int64_t>(ts.tv_sec), static_cast<int32_t>(ts.tv_nsec)};
    }
};

}  // namespace

const Clock& systemClock() {
    static const SystemClock clock;
    return clock;
}

std::optional<LocalTime> localFromUnixSeconds(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    tm local{};
    if (localtime_r(&t, &local) == nullptr) return std::nullopt;
    return LocalTime{static_cast<int64_t>(local.tm_year) + 1900, static_cast<unsigned>(local.tm_mon + 1),
                     static_cast<unsigned>(local.tm_mday),       static_cast<unsigned>(local.tm_hour),
                     static_cast<unsigned>(local.tm_min),        static_cast<unsigned>(local.tm_sec)};
}

namespace {

constexpr int64_t kSecondsPerDay = 86400;

// The zone's offset east of UTC at `t`; none when the C library cannot place `t`.
std::optional<long> offsetAt(int64_t t) {
    const time_t at = static_cast<time_t>(t);
    tm local{};
    if (localtime_r(&at, &local) == nullptr) return std::nullopt;
    return local.tm_gmtoff;
}

// mktime reads the zone afresh on every call (with TZ unset, a stat of /etc/localtime), and a
// query converts two dates a row. Where the zone's offset is the same two days before and after a
// local time, the time names exactly one instant (an offset is at most a day, and no zone changes
// its offset and back within four days), and localtime_r, which keeps the zone it has, finds it.
// Near a change, where a local time may not exist or may exist twice, mktime decides as before.
std::optional<int64_t> unixSecondsAwayFromChanges(const LocalTime& in) {
    const int64_t asUtc = daysFromCivil(in.year, in.month, in.day) * kSecondsPerDay + int64_t{in.hour} * 3600 +
                          int64_t{in.minute} * 60 + int64_t{in.second};
    const std::optional<long> before = offsetAt(asUtc - 2 * kSecondsPerDay);
    const std::optional<long> after = offsetAt(asUtc + 2 * kSecondsPerDay);
    if (!before || !after || *before != *after) return std::nullopt;
    const int64_t instant = asUtc - *before;
    if (offsetAt(instant) != before) return std::nullopt;
    return instant;
}

}  // namespace

std::optional<int64_t> unixSecondsFromLocal(const LocalTime& in) {
    if (const std::optional<int64_t> instant = unixSecondsAwayFromChanges(in)) return instant;
    tm local{};
    local.tm_year = static_cast<int>(in.year - 1900);
    local.tm_mon = static_cast<int>(in.month) - 1;
    local.tm_mday = static_cast<int>(in.day);
    local.tm_hour = static_cast<int>(in.hour);
    local.tm_min = static_cast<int>(in.minute);
    local.tm_sec = static_cast<int>(in.second);
    local.tm_isdst = -1;
    errno = 0;
    const time_t seconds = mktime(&local);
    if (seconds == static_cast<time_t>(-1) && errno != 0) return std::nullopt;
    return static_cast<int64_t>(seconds);
}

}  // namespace skimmer::os
