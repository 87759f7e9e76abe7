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

std::optional<int64_t> unixSecondsFromLocal(const LocalTime& in) {
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
