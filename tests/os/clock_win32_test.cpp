// The clock and OLE dates against Windows' own clock and time zone, whatever zone the system has.
#include "os/clock.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <cstdint>

namespace skimmer::os {
namespace {

constexpr int64_t kY2k = 946684800;

TEST(SystemClockWin, AgreesWithTheSystemsTime) {
    FILETIME ft{};
    ::GetSystemTimeAsFileTime(&ft);
    const uint64_t system = (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
    const uint64_t ours = fileTimeNow();
    const uint64_t apart = ours > system ? ours - system : system - ours;
    EXPECT_LT(apart, 20'000'000u) << "within two seconds";
}

// The local OLE date of an instant is the system's local calendar time of that instant.
TEST(OleDateWin, IsTheSystemsLocalTime) {
    for (int64_t t : {kY2k, kY2k + 182 * 86400, int64_t{1700000000}}) {
        FILETIME utc{}, local{};
        const uint64_t ticks = fileTimeFromUnix({t, 0});
        utc.dwLowDateTime = static_cast<DWORD>(ticks);
        utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
        SYSTEMTIME u{}, l{};
        ASSERT_TRUE(::FileTimeToSystemTime(&utc, &u));
        ASSERT_TRUE(::SystemTimeToTzSpecificLocalTime(nullptr, &u, &l));
        ASSERT_TRUE(::SystemTimeToFileTime(&l, &local));
        const uint64_t localTicks = (uint64_t{local.dwHighDateTime} << 32) | local.dwLowDateTime;
        const double expected = static_cast<double>(unixFromFileTime(localTicks).seconds) / 86400.0 + 25569.0;
        const std::optional<double> ole = oleFromUnix({t, 0});
        ASSERT_TRUE(ole) << t;
        EXPECT_NEAR(*ole, expected, 1e-9) << t;
    }
}

class OleRoundTrip : public ::testing::TestWithParam<int64_t> {};

TEST_P(OleRoundTrip, ComesBackToTheMillisecond) {
    const UnixTime in{GetParam(), 250'000'000};
    const std::optional<double> ole = oleFromUnix(in);
    ASSERT_TRUE(ole);
    const std::optional<UnixTime> back = unixFromOle(*ole);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, in);
}

// Present-day instants, both halves of a year (summer time where the zone has it), the OLE epoch,
// and instants before 1601, where the system's calls give up and the zone's standard offset holds.
INSTANTIATE_TEST_SUITE_P(Instants, OleRoundTrip,
                         ::testing::Values(kY2k, kY2k + 123456789, int64_t{1625097600}, int64_t{1640995200},
                                           int64_t{-2208988800}, int64_t{4102444800}, int64_t{-11644473600},
                                           int64_t{-15000000000}, int64_t{-50000000000}));

TEST(OleDateWin, RejectsWhatCannotBeADate) {
    EXPECT_FALSE(oleFromUnix({int64_t{1} << 50, 0}));
    EXPECT_FALSE(unixFromOle(std::nan("")));
    EXPECT_FALSE(unixFromOle(1e12));
    EXPECT_GT(oleNow(), 40000.0) << "now is after 2009";
}

}  // namespace
}  // namespace skimmer::os
