// The name sidecar's schedule on its own: a builder the test scripts, a real index for the meta
// rows it reads and writes, and a clock moved by hand.
#include "index/storage/schema.h"
#include "index/watch/names_schedule.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <numeric>
#include <utility>

namespace skimmer::index::watch::test {
namespace {

// Hands out `next` when asked for an outcome (none while it is unset: the build still runs).
class ScriptedBuilder final : public NamesBuilder {
public:
    int begun = 0, stopped = 0;
    bool refuse = false;
    std::optional<NamesBuilt> next;

    bool begin(std::string& error) override {
        ++begun;
        if (refuse) error = "no process could be started";
        return !refuse;
    }
    std::optional<NamesBuilt> outcome() override { return std::exchange(next, std::nullopt); }
    void stop() override { ++stopped; }
};

NamesBuilt succeeded(int64_t generation) { return {.ok = true, .generation = generation, .error = ""}; }
NamesBuilt failedBuild() { return {.ok = false, .generation = -1, .error = "the disk is full"}; }

class NamesScheduleTest : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    store::OpenedIndex index = store::openIndexForWriting(home.cache() / "index.sqlite");
    ScriptedBuilder builder;
    NamesTimings timings;
    std::vector<std::string> failures;
    NamesSchedule schedule{&builder, timings,
                           {.failed = [this](const std::string& error) { failures.push_back(error); },
                            .recovered = nullptr}};
    int64_t now = 1000;

    sqlite3* db() { return index.db.get(); }
    void setMeta(const char* key, int64_t value) { ASSERT_TRUE(store::writeMeta(db(), key, value)); }

    // A first build that ends at once, having read the index at `generation`.
    void builtAt(int64_t generation) {
        setMeta(store::kMetaGeneration, generation);
        builder.next = succeeded(generation);
        schedule.begin(db(), now);
        ASSERT_FALSE(schedule.building());
    }

    // The overlay as a reader of `generation` would take it.
    std::optional<store::NamesOverlay> overlayAt(int64_t generation) {
        const auto text = store::readMetaText(db(), store::kMetaNamesOverlay);
        const auto instance = store::readMetaInt(db(), store::kMetaInstance);
        if (!text || !instance) return std::nullopt;
        return store::parseNamesOverlay(*text, static_cast<uint64_t>(generation), static_cast<uint64_t>(*instance));
    }

    static std::vector<int64_t> folders(size_t count) {
        std::vector<int64_t> ids(count);
        std::iota(ids.begin(), ids.end(), int64_t{1});
        return ids;
    }
};

// What one batch's change leads to, with a sidecar of the generation before it.
struct ChangeCase {
    const char* name;
    size_t folders;
    bool overlayable;
    bool overlaid;   // readers get an overlay of the new generation
    bool buildsNow;  // a build begins at once rather than after the changes rest
};

class AfterAChange : public NamesScheduleTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(AfterAChange, OverlaysItOrBuildsAtOnce) {
    ASSERT_TRUE(index.db) << index.status.error;
    builtAt(5);
    setMeta(store::kMetaGeneration, 6);
    schedule.changed(db(), folders(GetParam().folders), GetParam().overlayable, now);

    const std::optional<store::NamesOverlay> overlay = overlayAt(6);
    EXPECT_EQ(overlay.has_value(), GetParam().overlaid);
    if (overlay) {
        EXPECT_EQ(overlay->base, 5u);
        EXPECT_EQ(overlay->dirs, folders(GetParam().folders));
    }
    EXPECT_EQ(builder.begun, GetParam().buildsNow ? 2 : 1);
    EXPECT_EQ(schedule.nextDue(), now + (GetParam().buildsNow ? timings.checkMillis : timings.delayMillis));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, AfterAChange,
    ::testing::Values(ChangeCase{"OneFolder", 1, true, true, false},
                      ChangeCase{"AtTheEarlyMark", NamesTimings{}.earlyFolders, true, true, false},
                      ChangeCase{"PastTheEarlyMark", NamesTimings{}.earlyFolders + 1, true, true, true},
                      ChangeCase{"PastTheOverlayLimit", store::kMaxOverlayFolders + 1, true, false, true},
                      ChangeCase{"OtherItems", 1, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Changes that keep coming push the build back, never past `maxDelayMillis` after the first.
class ChangesThatKeepComing : public NamesScheduleTest, public ::testing::WithParamInterface<int64_t> {};

TEST_P(ChangesThatKeepComing, PushTheBuildBackUpToTheLimit) {
    builtAt(5);
    const int64_t first = now;
    setMeta(store::kMetaGeneration, 6);
    schedule.changed(db(), {1}, true, now);
    now += GetParam();
    setMeta(store::kMetaGeneration, 7);
    schedule.changed(db(), {2}, true, now);
    EXPECT_EQ(schedule.nextDue(), std::min(now + timings.delayMillis, first + timings.maxDelayMillis));
    EXPECT_EQ(builder.begun, 1);
}

INSTANTIATE_TEST_SUITE_P(Gaps, ChangesThatKeepComing,
                         ::testing::Values(int64_t{0}, int64_t{2999}, NamesTimings{}.maxDelayMillis - 3001,
                                           NamesTimings{}.maxDelayMillis - 1));

// Each failed build in a row doubles the wait before the next, up to `maxDelayMillis`.
struct BackOffCase {
    int failures;
    int64_t wait;
};

class AfterFailedBuilds : public NamesScheduleTest, public ::testing::WithParamInterface<BackOffCase> {};

TEST_P(AfterFailedBuilds, TheNextWaitsTwiceAsLong) {
    for (int i = 0; i < GetParam().failures; ++i) {
        builder.next = failedBuild();
        schedule.begin(db(), now);
    }
    EXPECT_EQ(schedule.nextDue(), now + GetParam().wait);
    EXPECT_EQ(failures.size(), static_cast<size_t>(GetParam().failures)) << "each is told; the watcher says it once";
}

INSTANTIATE_TEST_SUITE_P(InARow, AfterFailedBuilds,
                         ::testing::Values(BackOffCase{1, 4000}, BackOffCase{2, 8000}, BackOffCase{7, 256000},
                                           BackOffCase{8, 300000}, BackOffCase{30, 300000}));

// A build that runs past `buildMillis` plus `buildMillisPerMillion` per million items is stopped.
struct DeadlineCase {
    int64_t items;
    int64_t ranFor;
    bool stopped;
};

class ARunningBuild : public NamesScheduleTest, public ::testing::WithParamInterface<DeadlineCase> {};

TEST_P(ARunningBuild, IsStoppedAtItsDeadline) {
    setMeta(store::kMetaItemCount, GetParam().items);
    schedule.begin(db(), now);
    ASSERT_TRUE(schedule.building());
    now += GetParam().ranFor;
    schedule.runDue(db(), now);
    EXPECT_EQ(builder.stopped, GetParam().stopped ? 1 : 0);
    EXPECT_EQ(schedule.counters().stopped, GetParam().stopped ? 1 : 0);
    EXPECT_EQ(schedule.building(), !GetParam().stopped);
    EXPECT_EQ(schedule.nextDue(), now + (GetParam().stopped ? timings.retryMillis * 2 : timings.checkMillis));
}

INSTANTIATE_TEST_SUITE_P(Deadlines, ARunningBuild,
                         ::testing::Values(DeadlineCase{0, 299999, false}, DeadlineCase{0, 300000, true},
                                           DeadlineCase{2000000, 300000, false},
                                           DeadlineCase{2000000, 899999, false},
                                           DeadlineCase{2000000, 900000, true}));

TEST_F(NamesScheduleTest, ABuildThatCannotBeginIsTriedAgainAfterTheRetryTime) {
    builder.refuse = true;
    schedule.begin(db(), now);
    EXPECT_FALSE(schedule.building());
    EXPECT_EQ(schedule.nextDue(), now + timings.retryMillis);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "no process could be started");
}

TEST_F(NamesScheduleTest, ChangesWrittenDuringABuildAreTheOverlayOfTheSidecarItLeaves) {
    builtAt(5);
    setMeta(store::kMetaGeneration, 6);
    schedule.changed(db(), {1}, false, now);  // other items: a build begins
    ASSERT_TRUE(schedule.building());
    setMeta(store::kMetaGeneration, 7);
    schedule.changed(db(), {2}, true, now);
    builder.next = succeeded(6);  // it read generation 6
    schedule.ready(now);
    schedule.runDue(db(), now);
    const std::optional<store::NamesOverlay> overlay = overlayAt(7);
    ASSERT_TRUE(overlay);
    EXPECT_EQ(overlay->base, 6u);
    EXPECT_EQ(overlay->dirs, std::vector<int64_t>{2});
    EXPECT_EQ(schedule.nextDue(), now + timings.delayMillis);
}

TEST_F(NamesScheduleTest, ABuildOfAReplacedIndexIsVoidAndTriedAgain) {
    schedule.begin(db(), now);
    schedule.indexReplaced();
    builder.next = succeeded(3);
    schedule.ready(now);
    schedule.runDue(db(), now);
    EXPECT_FALSE(schedule.building());
    EXPECT_TRUE(failures.empty()) << "a void build is no failure to report";
    EXPECT_EQ(schedule.nextDue(), now + timings.retryMillis);
}

}  // namespace
}  // namespace skimmer::index::watch::test
