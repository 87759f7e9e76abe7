// Time conversions the plug-in needs at its borders: OLE automation dates (hit dates: days since
// 30 December 1899 in local time, the fraction being the time of day) and FILETIME (panel node
// times: 100 ns ticks since 1601-01-01 UTC), both from and to Unix time.
//
// Contract: pure functions except where a Clock is passed in; local time follows the process's
// time zone (on Linux TZ with the tzset semantics of localtime_r/mktime, on Windows the system's
// zone and its summer-time rules; before 1601 there, the zone's standard offset). Out-of-range inputs give std::nullopt or a clamped
// value as documented per function, never undefined behaviour. Nothing here allocates.
#pragma once

#include <cstdint>
#include <optional>

namespace skimmer::os {

// A point in time as Unix seconds plus nanoseconds in [0, 1e9).
struct UnixTime {
    int64_t seconds = 0;
    int32_t nanoseconds = 0;
    bool operator==(const UnixTime&) const = default;
};

// The source of "now"; tests pass a fake so that nothing depends on the wall clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual UnixTime now() const = 0;
};

// The wall clock (CLOCK_REALTIME; on Windows the precise system time where there is one). The
// returned object lives for the whole process.
const Clock& systemClock();

// OLE dates cover years 100 to 9999, as the automation types do.
inline constexpr double kOleMin = -657434.0;        // 0100-01-01
inline constexpr double kOleMax = 2958465.99999999;  // 9999-12-31 end of day

// Local calendar time of `t` as an OLE date; none when the year falls outside 100..9999 or the
// time cannot be broken down. Dates before 1899-12-30 follow the OLE rule: the integral part is
// the (negative) day and the fraction still counts forward from midnight (-1.25 = 29 Dec 1899 06:00).
std::optional<double> oleFromUnix(UnixTime t);

// The instant that a local OLE date names, rounded to the millisecond (a double cannot carry more
// for present-day dates). None for NaN, infinities and dates outside kOleMin..kOleMax. A local time
// that does not exist or exists twice (DST changes) is resolved the way mktime resolves it.
std::optional<UnixTime> unixFromOle(double ole);

// oleFromUnix(clock.now()); 0 if the clock is outside the OLE range.
double oleNow(const Clock& clock = systemClock());

// FILETIME ticks for `t`, clamped to 0 before 1601 and to UINT64_MAX past its range.
uint64_t fileTimeFromUnix(UnixTime t);
UnixTime unixFromFileTime(uint64_t ticks);
uint64_t fileTimeNow(const Clock& clock = systemClock());

// Proleptic Gregorian calendar helpers (days since 1970-01-01), exposed for tests and for
// code that must build dates without going through the local time zone.
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day);
void civilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day);

}  // namespace skimmer::os
