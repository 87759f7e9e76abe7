// OLE dates under chosen TZ zones: the C library's local time (TZ, tzset) is Linux's.
#include "os/clock.h"
#include "os/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <string>

namespace skimmer::os {
namespace {

// Sets TZ for one test and restores the previous zone afterwards.
class ScopedTz {
public:
    explicit ScopedTz(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTz() {
        if (old_) setenv("TZ", old_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

constexpr const char* kUtc = "UTC0";
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr int64_t kY2k = 946684800;  // 2000-01-01 00:00:00 UTC

class FakeClock final : public Clock {
public:
    explicit FakeClock(UnixTime t) : t_(t) {}
    UnixTime now() const override { return t_; }

private:
    UnixTime t_;
};

TEST(OleDate, KnownInstantsInUtc) {
    ScopedTz tz(kUtc);
    EXPECT_DOUBLE_EQ(*oleFromUnix({kY2k, 0}), 36526.0);
    EXPECT_DOUBLE_EQ(*oleFromUnix({kY2k + 6 * 3600, 0}), 36526.25);
    EXPECT_DOUBLE_EQ(*oleFromUnix({-25569LL * 86400 + 43200, 0}), 0.5);  // 1899-12-30 noon
    // Before the epoch the fraction keeps counting forward from midnight: 29 Dec 1899 06:00.
    EXPECT_DOUBLE_EQ(*oleFromUnix({-25570LL * 86400 + 6 * 3600, 0}), -1.25);
    EXPECT_NEAR(*oleFromUnix({kY2k, 500'000'000}), 36526.0 + 0.5 / 86400, 1e-9);
}

TEST(OleDate, FollowsTheLocalZoneIncludingSummerTime) {
    ScopedTz tz(kBerlin);
    EXPECT_DOUBLE_EQ(*oleFromUnix({kY2k, 0}), 36526.0 + 1.0 / 24);  // 01:00 CET
    // 2021-07-01 00:00 UTC is 02:00 CEST.
    const int64_t july = daysFromCivil(2021, 7, 1) * 86400;
    const double expected = static_cast<double>(daysFromCivil(2021, 7, 1) + 25569) + 2.0 / 24;
    EXPECT_DOUBLE_EQ(*oleFromUnix({july, 0}), expected);
    EXPECT_EQ(*unixFromOle(expected), (UnixTime{july, 0}));
}

TEST(OleDate, RoundTripsToTheMillisecond) {
    ScopedTz tz(kBerlin);
    for (int64_t t : {kY2k, kY2k + 123456789, int64_t{-2208988800}, int64_t{4102444800}, int64_t{-3000000000}}) {
        const UnixTime in{t, 250'000'000};
        const std::optional<double> ole = oleFromUnix(in);
        ASSERT_TRUE(ole) << t;
        EXPECT_EQ(*unixFromOle(*ole), in) << t;
    }
}

// Local times map to the instants mktime gives, in the weeks around both changes of a summer-time
// zone (times in the spring gap and the autumn overlap among them) and in a zone without summer
// time: conversions away from a change take another road than mktime's, and must not tell.
class LocalToUnix : public ::testing::TestWithParam<const char*> {};

TEST_P(LocalToUnix, AgreesWithMktime) {
    ScopedTz tz(GetParam());
    for (int64_t day : {daysFromCivil(2021, 3, 20), daysFromCivil(2021, 10, 24), daysFromCivil(1999, 12, 30)}) {
        for (int64_t minute = 0; minute < 14 * 24 * 60; minute += 7) {
            const int64_t t = (day * 1440 + minute) * 60 + minute % 60;
            int64_t year = 0;
            unsigned month = 0, mday = 0;
            civilFromDays(t / 86400, year, month, mday);
            const LocalTime local{year, month, mday, static_cast<unsigned>(t % 86400 / 3600),
                                  static_cast<unsigned>(t % 3600 / 60), static_cast<unsigned>(t % 60)};
            tm expected{};
            expected.tm_year = static_cast<int>(year - 1900);
            expected.tm_mon = static_cast<int>(month) - 1;
            expected.tm_mday = static_cast<int>(mday);
            expected.tm_hour = static_cast<int>(local.hour);
            expected.tm_min = static_cast<int>(local.minute);
            expected.tm_sec = static_cast<int>(local.second);
            expected.tm_isdst = -1;
            const time_t byMktime = mktime(&expected);
            EXPECT_EQ(unixSecondsFromLocal(local), std::optional<int64_t>(byMktime))
                << year << "-" << month << "-" << mday << " " << local.hour << ":" << local.minute << ":" << local.second;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, LocalToUnix, ::testing::Values(kBerlin, kUtc, "EST5EDT,M3.2.0,M11.1.0"));

TEST(OleDate, RejectsWhatCannotBeADate) {
    ScopedTz tz(kUtc);
    EXPECT_FALSE(unixFromOle(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(unixFromOle(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(unixFromOle(1e12));
    EXPECT_FALSE(unixFromOle(-1e9));
    EXPECT_FALSE(oleFromUnix({int64_t{1} << 50, 0}));  // far beyond year 9999
    EXPECT_EQ(*unixFromOle(36526.0 - 0.4 / 86400000), (UnixTime{kY2k, 0}));  // rounds to midnight
}

TEST(OleDate, NowComesFromTheClock) {
    ScopedTz tz(kUtc);
    EXPECT_DOUBLE_EQ(oleNow(FakeClock({kY2k + 43200, 0})), 36526.5);
    EXPECT_DOUBLE_EQ(oleNow(FakeClock({int64_t{1} << 50, 0})), 0.0);
}

}  // namespace
}  // namespace skimmer::os
