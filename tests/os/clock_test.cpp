#include "os/clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace skimmer::os {
namespace {

constexpr int64_t kY2k = 946684800;  // 2000-01-01 00:00:00 UTC

class FakeClock final : public Clock {
public:
    explicit FakeClock(UnixTime t) : t_(t) {}
    UnixTime now() const override { return t_; }

private:
    UnixTime t_;
};

TEST(FileTime, KnownInstants) {
    EXPECT_EQ(fileTimeFromUnix({0, 0}), 116444736000000000ULL);
    EXPECT_EQ(fileTimeFromUnix({kY2k, 123}), 125911584000000001ULL);
    EXPECT_EQ(unixFromFileTime(116444736000000000ULL), (UnixTime{0, 0}));
    EXPECT_EQ(unixFromFileTime(0), (UnixTime{-11644473600, 0}));
    EXPECT_EQ(unixFromFileTime(125911584000000001ULL), (UnixTime{kY2k, 100}));
    EXPECT_EQ(fileTimeNow(FakeClock({kY2k, 0})), 125911584000000000ULL);
}

TEST(FileTime, ClampsOutsideItsRange) {
    EXPECT_EQ(fileTimeFromUnix({-11644473601, 0}), 0u);
    EXPECT_EQ(fileTimeFromUnix({std::numeric_limits<int64_t>::max() / 2, 0}), UINT64_MAX);
}

TEST(Calendar, CivilDaysRoundTrip) {
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(daysFromCivil(1899, 12, 30), -25569);
    EXPECT_EQ(daysFromCivil(2000, 3, 1), 11017);
    for (int64_t d = -800000; d < 3000000; d += 997) {
        int64_t y = 0;
        unsigned m = 0, day = 0;
        civilFromDays(d, y, m, day);
        ASSERT_EQ(daysFromCivil(y, m, day), d);
    }
}

}  // namespace
}  // namespace skimmer::os
