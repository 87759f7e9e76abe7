// OLE dates under chosen TZ zones: the C library's local time (TZ, tzset) is Linux's.
#include "os/clock.h"

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
