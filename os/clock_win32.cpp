// The system clock and local time of Windows: the precise system time where the system has it,
// and the time-zone calls with the zone's own summer-time rules.
#include "os/clock.h"
#include "os/local_time.h"

#include <windows.h>

namespace skimmer::os {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kFirstFileTimeSecond = -11644473600;  // 1601-01-01, where FILETIME starts

using PreciseTimeCall = VOID(WINAPI*)(LPFILETIME);

// GetSystemTimePreciseAsFileTime came with Windows 8; Windows 7 (the oldest system this module
// loads on) has only the tick-granular call, so the precise one is looked up once.
PreciseTimeCall preciseTimeCall() {
    static const PreciseTimeCall call = [] {
        const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
        FARPROC found = kernel ? ::GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime") : nullptr;
        return found ? reinterpret_cast<PreciseTimeCall>(reinterpret_cast<void*>(found)) : &::GetSystemTimeAsFileTime;
    }();
    return call;
}

uint64_t ticksOf(const FILETIME& ft) { return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

FILETIME fileTimeOf(uint64_t ticks) {
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

class SystemClock final : public Clock {
public:
    UnixTime now() const override {
        FILETIME ft{};
        preciseTimeCall()(&ft);
        return unixFromFileTime(ticksOf(ft));
    }
};

// Before 1601 (and where the zone calls give up) the zone's standard offset is the best answer:
// no rule of a modern zone reaches back that far.
int64_t standardOffsetSeconds() {
    TIME_ZONE_INFORMATION zone{};
    if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return 0;
    return -static_cast<int64_t>(zone.Bias) * 60;  // Bias: UTC = local + Bias minutes
}

LocalTime fromDaySeconds(int64_t localSeconds) {
    const int64_t days = (localSeconds >= 0 ? localSeconds : localSeconds - (kSecondsPerDay - 1)) / kSecondsPerDay;
    const auto second = static_cast<unsigned>(localSeconds - days * kSecondsPerDay);
    LocalTime local;
    civilFromDays(days, local.year, local.month, local.day);
    local.hour = second / 3600;
    local.minute = second / 60 % 60;
    local.second = second % 60;
    return local;
}

int64_t daySecondsOf(const LocalTime& local) {
    return daysFromCivil(local.year, local.month, local.day) * kSecondsPerDay + local.hour * 3600 +
           local.minute * 60 + local.second;
}

// SYSTEMTIME holds 1601 to 30827.
bool systemTimeCovers(int64_t year) { return year >= 1601 && year <= 30827; }

}  // namespace

const Clock& systemClock() {
    static const SystemClock clock;
    return clock;
}

std::optional<LocalTime> localFromUnixSeconds(int64_t seconds) {
    if (seconds < kFirstFileTimeSecond) return fromDaySeconds(seconds + standardOffsetSeconds());
    const uint64_t ticks = fileTimeFromUnix({seconds, 0});
    if (ticks > static_cast<uint64_t>(INT64_MAX)) return std::nullopt;  // past what the calls take
    const FILETIME ft = fileTimeOf(ticks);
    SYSTEMTIME utc{}, local{};
    if (!::FileTimeToSystemTime(&ft, &utc)) return std::nullopt;
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return fromDaySeconds(seconds + standardOffsetSeconds());
    return LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

std::optional<int64_t> unixSecondsFromLocal(const LocalTime& in) {
    if (systemTimeCovers(in.year)) {
        SYSTEMTIME local{};
        local.wYear = static_cast<WORD>(in.year);
        local.wMonth = static_cast<WORD>(in.month);
        local.wDay = static_cast<WORD>(in.day);
        local.wHour = static_cast<WORD>(in.hour);
        local.wMinute = static_cast<WORD>(in.minute);
        local.wSecond = static_cast<WORD>(in.second);
        SYSTEMTIME utc{};
        FILETIME ft{};
        if (::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) && ::SystemTimeToFileTime(&utc, &ft))
            return unixFromFileTime(ticksOf(ft)).seconds;
    }
    return daySecondsOf(in) - standardOffsetSeconds();
}

}  // namespace skimmer::os
