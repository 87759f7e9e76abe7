#include <gtest/gtest.h>

#include <fcntl.h>

#include <cmath>
#include <map>

#include "os/clock.h"
#include "results/hit_date.h"
#include "tests/support/memory_file_system.h"

namespace skimmer::results {
namespace {

double oleOf(int64_t y, unsigned m, unsigned d, int h = 0, int mi = 0, int s = 0) {
    return static_cast<double>(os::daysFromCivil(y, m, d) + 25569) + (h * 3600 + mi * 60 + s) / 86400.0;
}

struct DateCase {
    double ole;
    const char* date;
    const char* time;
};

class DateTexts : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateTexts, DateAndTimeParts) {
    const DateCase& c = GetParam();
    TSearchResult hit;
    hit.Date = c.ole;
    hit.DateKnown = true;
    const THitDateSources none{nullptr, {}, "n/a"};
    EXPECT_EQ(HitDateText(hit, none), c.date);
    EXPECT_EQ(HitTimeText(hit, none), c.time);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, DateTexts,
    ::testing::Values(DateCase{oleOf(2026, 12, 8, 9, 5, 7), "2026-12-08", "09:05:07"},
                      DateCase{oleOf(2026, 12, 8, 23, 59, 59), "2026-12-08", "23:59:59"},
                      DateCase{oleOf(2000, 2, 29), "2000-02-29", "00:00:00"},  // midnight
                      DateCase{0.0, "1899-12-30", "00:00:00"},
                      DateCase{-1.25, "1899-12-29", "06:00:00"},  // OLE's rule
                      DateCase{NAN, "n/a", "n/a"},
                      DateCase{1e12, "n/a", "n/a"}));

class FakeProbe : public THitFileProbe {
public:
    std::map<std::string, THitFileEntry> files;
    mutable int asked = 0;
    std::optional<THitFileEntry> Find(const std::string& path) const override {
        ++asked;
        auto it = files.find(path);
        return it == files.end() ? std::nullopt : std::optional<THitFileEntry>(it->second);
    }
};

TEST(HitDates, LookedUpOnceKeptInTheHitAndRetriedWhileMissing) {
    FakeProbe probe;
    THitDateSources sources{&probe, {}, "-"};
    TSearchResult hit;
    hit.Url = "file:/home/ann/a.txt";
    hit.Path = hit.PathW = "/home/ann/a.txt";
    EXPECT_EQ(HitDateText(hit, sources), "-");
    EXPECT_EQ(HitTimeText(hit, sources), "-");  // never padded
    EXPECT_FALSE(hit.DateKnown);
    probe.files[hit.PathW] = {oleOf(2025, 1, 2, 3, 4, 5), 0x20};
    EXPECT_EQ(HitTimeText(hit, sources), "03:04:05");
    EXPECT_FALSE(hit.AttrKnown);  // the time lookup leaves the attributes alone
    EXPECT_EQ(HitDateText(hit, sources), "2025-01-02");
    EXPECT_EQ(probe.asked, 3);

    TSearchResult other = hit;
    other.DateKnown = false;
    EXPECT_EQ(HitDateText(other, sources), "2025-01-02");
    EXPECT_TRUE(other.AttrKnown);
    EXPECT_EQ(other.Attributes, 0x20u);
}

TEST(HitDates, MailItemsAskTheMailSeamOnce) {
    FakeProbe probe;
    int mailAsked = 0;
    TSearchResult mail;
    mail.Url = "mapi://{S-1-5}/Inbox/0000AB";
    THitDateSources sources{&probe, {}, "-"};
    EXPECT_EQ(HitDateText(mail, sources), "-");  // no mail store yet
    sources.MailDate = [&](const TSearchResult&) -> std::optional<double> {
        ++mailAsked;
        return oleOf(2024, 6, 1, 12, 0, 0);
    };
    EXPECT_EQ(HitDateText(mail, sources), "2024-06-01");
    EXPECT_EQ(HitTimeText(mail, sources), "12:00:00");
    EXPECT_EQ(mailAsked, 1);
    EXPECT_EQ(probe.asked, 0);
}

class FixedClock : public os::Clock {
public:
    os::UnixTime now() const override { return {1700000000, 0}; }
};

TEST(HitDates, FileSystemProbeMapsFoldersAndDotNames) {
    test::MemoryFileSystem fs;
    ASSERT_EQ(fs.mkdir("/h", 0700), 0);
    ASSERT_EQ(fs.mkdir("/h/.cache", 0700), 0);
    int fd = -1;
    ASSERT_EQ(fs.open("/h/a.txt", O_CREAT | O_WRONLY, 0600, fd), 0);
    fs.close(fd);
    FixedClock clock;
    const TFileSystemProbe probe(fs, clock);
    const auto file = probe.Find("/h/a.txt");
    const auto folder = probe.Find("/h/.cache");
    ASSERT_TRUE(file && folder);
    EXPECT_EQ(file->Attributes, 0x80u);
    EXPECT_EQ(folder->Attributes, 0x10u | 0x02u);
    EXPECT_FALSE(probe.Find("/h/missing"));
    EXPECT_FALSE(probe.Find(""));
}

}  // namespace
}  // namespace skimmer::results
