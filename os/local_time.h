// The one part of the clock that depends on the system: breaking an instant down into the local
// calendar time of the process's time zone and back. clock.cpp builds OLE dates on these two;
// each system answers them with its own time-zone service (clock_posix.cpp, clock_win32.cpp).
//
// Contract: whole seconds only (the caller keeps the fraction); none when the system cannot place
// the instant or the local time. A local time that does not exist or exists twice (summer-time
// changes) is resolved as the system resolves it. Thread-safe; nothing allocates.
#pragma once

#include <cstdint>
#include <optional>

namespace skimmer::os {

struct LocalTime {
    int64_t year = 0;   // proleptic Gregorian, e.g. 2024
    unsigned month = 0;  // 1..12
    unsigned day = 0;    // 1..31
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
};

std::optional<LocalTime> localFromUnixSeconds(int64_t seconds);
std::optional<int64_t> unixSecondsFromLocal(const LocalTime& local);

}  // namespace skimmer::os
