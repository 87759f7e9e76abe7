// The watcher against the changes a user makes and the ways a watch fails; after every step the
// index must equal a fresh crawl of the same tree. Time is moved by hand: nothing sleeps.
#include "index/crawl/crawl_lock.h"
#include "tests/index/watch/watch_test_util.h"

#include <filesystem>
#include <functional>

namespace skimmer::index::watch::test {
namespace {

namespace fs = std::filesystem;

struct ChangeCase {
    const char* name;
    std::function<void(const std::string& tree, const std::string& outside)> change;
    // A second change that only a watch following the first one's result can see.
    std::function<void(const std::string& tree, const std::string& outside)> followUp;
};

class WatchedChange : public ::testing::TestWithParam<ChangeCase>, public WatchFixture {};

TEST_P(WatchedChange, IndexEqualsAFreshCrawlAfterEachStep) {
    makeTree();
    startWatcher();
    ASSERT_EQ(againstFresh(), "");
    for (const auto& step : {GetParam().change, GetParam().followUp}) {
        const store::test::Snapshot before = rows();
        step(tree, outside);
        settle();
        const store::test::Snapshot after = rows();
        EXPECT_NE(after, before) << "the change must reach the index";
        EXPECT_EQ(differences(after, fresh()), "");
    }
}

void burst(const std::string& folder, int count) {
    for (int i = 0; i < count; ++i) writeFile(folder + "/burst-" + std::to_string(i) + ".txt", "x");
}

INSTANTIATE_TEST_SUITE_P(
    Changes, WatchedChange,
    ::testing::Values(
        ChangeCase{"CreateFile", [](auto& t, auto&) { writeFile(t + "/a/new.pdf", "pdf"); },
                   [](auto& t, auto&) { writeFile(t + "/a/second.txt"); }},
        ChangeCase{"CreateNestedFolders",
                   [](auto& t, auto&) {
                       fs::create_directories(t + "/n/m");
                       writeFile(t + "/n/m/inner.txt");
                   },
                   [](auto& t, auto&) { writeFile(t + "/n/m/later.txt"); }},
        ChangeCase{"RenameFile", [](auto& t, auto&) { fs::rename(t + "/top.txt", t + "/b/top2.txt"); },
                   [](auto& t, auto&) { fs::rename(t + "/b/top2.txt", t + "/b/top3.txt"); }},
        ChangeCase{"RenameOnlyLetterCaseAndBack", [](auto& t, auto&) { fs::rename(t + "/top.txt", t + "/TOP.txt"); },
                   [](auto& t, auto&) { fs::rename(t + "/TOP.txt", t + "/top.txt"); }},
        ChangeCase{"RenameFolder", [](auto& t, auto&) { fs::rename(t + "/a", t + "/a_renamed"); },
                   [](auto& t, auto&) { writeFile(t + "/a_renamed/deep/after.txt"); }},
        ChangeCase{"DeleteFile", [](auto& t, auto&) { fs::remove(t + "/a/keep.md"); },
                   [](auto& t, auto&) { writeFile(t + "/a/again.md"); }},
        ChangeCase{"DeleteTree", [](auto& t, auto&) { fs::remove_all(t + "/a"); },
                   [](auto& t, auto&) {
                       fs::create_directories(t + "/a/deep");
                       writeFile(t + "/a/deep/back.txt");
                   }},
        ChangeCase{"MoveTreeIn", [](auto& t, auto& o) { fs::rename(o + "/moved", t + "/b/moved"); },
                   [](auto& t, auto&) { writeFile(t + "/b/moved/inner/after.txt"); }},
        ChangeCase{"MoveTreeWithinRoots", [](auto& t, auto&) { fs::rename(t + "/a", t + "/b/a2"); },
                   [](auto& t, auto&) { writeFile(t + "/b/a2/deep/after.txt"); }},
        ChangeCase{"MoveTreeOut",
                   [](auto& t, auto& o) { fs::rename(t + "/a", o + "/a"); },
                   [](auto& t, auto& o) {
                       writeFile(o + "/a/deep/not-indexed.txt");
                       writeFile(t + "/b/indexed.txt");
                   }},
        ChangeCase{"FolderReplacedByFile",
                   [](auto& t, auto&) {
                       fs::remove_all(t + "/a");
                       writeFile(t + "/a", "now a file");
                   },
                   [](auto& t, auto&) { writeFile(t + "/a", "a longer text in the file"); }},
        ChangeCase{"ModifiedInPlace", [](auto& t, auto&) { writeFile(t + "/a/deep/file.txt", "longer content"); },
                   [](auto& t, auto&) { ::chmod((t + "/top.txt").c_str(), 0444); }},
        ChangeCase{"BurstInOneFolder", [](auto& t, auto&) { burst(t + "/b", 2000); },
                   [](auto& t, auto&) {
                       for (int i = 0; i < 2000; i += 2) fs::remove(t + "/b/burst-" + std::to_string(i) + ".txt");
                   }}),
    [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

class WatcherTest : public ::testing::Test, public WatchFixture {};

TEST_F(WatcherTest, EventsOfOneWindowMakeOneBatchThatListsOnlyTheirFolders) {
    makeTree();
    startWatcher();
    writeFile(tree + "/a/one.txt");
    writeFile(tree + "/a/two.txt");
    writeFile(tree + "/b/three.txt");
    const store::test::Snapshot before = rows();
    pump();
    EXPECT_EQ(watcher->nextDue(), now + settings.coalesceMillis);
    now += settings.coalesceMillis - 1;
    pump();  // nothing new, and the window stays where the first event opened it
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(rows(), before) << "nothing runs before the window ends";
    fs.listings = 0;
    now += 1;
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(watcher->counters().batches, 1);
    EXPECT_EQ(fs.listings, 2) << "a and b, nothing else";
    EXPECT_EQ(againstFresh(), "");
    EXPECT_EQ(watcher->nextDue(), kNever) << "an idle watcher has nothing to wake up for";
}

// The window opened by the first change ends on time however many changes follow: a debounce that
// restarted with each change would never refresh while the stream goes on.
TEST_F(WatcherTest, ASteadyStreamOfChangesIsRefreshedWhenEachWindowEnds) {
    makeTree();
    startWatcher();
    const int64_t first = now;
    std::vector<int64_t> batchesAt;
    for (int64_t t = first; t <= first + 400; t += 50) {
        now = t;
        if ((t - first) % 100 == 0) writeFile(tree + "/a/stream-" + std::to_string(t - first) + ".txt");
        pump();
        const int64_t before = watcher->counters().batches;
        ASSERT_TRUE(watcher->runDue(now));
        if (watcher->counters().batches != before) batchesAt.push_back(t - first);
        if (t - first == 150) {
            EXPECT_EQ(rows().count(tree + "/a/stream-100.txt"), 1u);
        }
    }
    EXPECT_EQ(batchesAt, (std::vector<int64_t>{150, 350})) << "each window ends 150 ms after the change that opened it";
}

TEST_F(WatcherTest, FoldersKeptBetweenBatchesAreReloadedAfterAnotherWriter) {
    makeTree();
    startWatcher();
    writeFile(tree + "/a/one.txt");
    settle();  // the watcher now keeps the index's folders
    fs::create_directories(tree + "/b/other/inner");
    writeFile(tree + "/b/other/inner/file.txt");
    std::vector<WatchEvent> unseen;
    int error = 0;
    ASSERT_TRUE(source.read(unseen, error));  // these events went to nobody: another writer indexes them
    store::test::TestFs otherFs;
    ASSERT_TRUE(store::crawl(index.db.get(), options, otherFs, {}).status);
    fs::remove_all(tree + "/b/other");
    settle();
    EXPECT_EQ(againstFresh(), "") << "the other writer's folders are known, so their removal is seen";
}

struct FullRefreshCase {
    const char* name;
    bool loseEvents;
    size_t maxPendingFolders;
    const char* message;  // what is said, "" for nothing
};

class FullRefresh : public ::testing::TestWithParam<FullRefreshCase>, public WatchFixture {};

TEST_P(FullRefresh, LostEventsOrTooManyFoldersRefreshEverythingOnce) {
    makeTree();
    settings.maxPendingFolders = GetParam().maxPendingFolders;
    startWatcher();
    source.loseEvents = GetParam().loseEvents;
    writeFile(tree + "/a/one.txt");
    writeFile(tree + "/a/deep/two.txt");
    writeFile(tree + "/b/three.txt");
    fs::remove(tree + "/top.txt");
    settle();
    EXPECT_EQ(watcher->counters().fullRefreshes, 2) << "the first one, and this one";
    EXPECT_EQ(againstFresh(), "");
    const bool saidIt = std::any_of(said.begin(), said.end(), [&](const std::string& text) {
        return text.find(GetParam().message) != std::string::npos;
    });
    EXPECT_TRUE(saidIt || !*GetParam().message);
    source.loseEvents = false;
    writeFile(tree + "/a/deep/later.txt");
    settle();
    EXPECT_EQ(watcher->counters().fullRefreshes, 2) << "watches work again after the full refresh";
    EXPECT_EQ(againstFresh(), "");
}

INSTANTIATE_TEST_SUITE_P(Faults, FullRefresh,
                         ::testing::Values(FullRefreshCase{"EventsLost", true, 20000, "events were lost"},
                                           FullRefreshCase{"TooManyFolders", false, 2, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WatcherTest, AtTheWatchLimitItSaysSoOnceAndPollsTheRest) {
    makeTree();
    source.limit = 2;
    startWatcher();
    EXPECT_EQ(watcher->watched(), 2u);
    EXPECT_EQ(watcher->unwatched(), 2u) << "a/deep and one more of the four folders";
    for (const char* folder : {"", "/a", "/a/deep", "/b"}) writeFile(tree + folder + "/new.txt");
    settle();
    EXPECT_NE(againstFresh(), "") << "changes in unwatched folders wait for the poll";
    now += settings.pollMillis;
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(watcher->counters().polls, 1);
    EXPECT_EQ(againstFresh(), "");
    now += settings.pollMillis;
    ASSERT_TRUE(watcher->runDue(now));
    const auto hints = std::count_if(said.begin(), said.end(), [](const std::string& text) {
        return text.find("fs.inotify.max_user_watches") != std::string::npos;
    });
    EXPECT_EQ(hints, 1) << "said once, not at every poll";
    source.limit = SIZE_MAX;  // the limit was raised: the next poll watches them
    now += settings.pollMillis;
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(watcher->unwatched(), 0u);
    EXPECT_EQ(watcher->nextDue(), kNever);
}

TEST_F(WatcherTest, ADeletedRootEmptiesItsPartAndIsFoundAgainByThePoll) {
    makeTree();
    startWatcher();
    fs::remove_all(tree);
    settle();
    EXPECT_TRUE(rows().empty());
    EXPECT_EQ(againstFresh(), "");
    makeDir(tree);
    writeFile(tree + "/reborn.txt");
    pump();
    now += settings.pollMillis;
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(againstFresh(), "");
    EXPECT_EQ(rows().count(tree + "/reborn.txt"), 1u);
    writeFile(tree + "/watched-again.txt");
    settle();
    EXPECT_EQ(againstFresh(), "");
}

struct ExtraCase {
    const char* name;
    const char* extra;    // below `outside`
    const char* written;  // below `outside`
    int refreshes;
    const char* second = nullptr;  // another source of the same group, below `outside`
};

class ExtraSources : public ::testing::TestWithParam<ExtraCase>, public WatchFixture {};

TEST_P(ExtraSources, AChangeRunsItsRefreshOncePerBatch) {
    makeTree();
    makeDir(outside + "/profile");
    writeFile(outside + "/profile/places.db");
    int refreshes = 0;
    const auto count = [&](sqlite3*) {
        ++refreshes;
        return store::Status{};
    };
    extras.push_back({.path = outside + "/" + GetParam().extra, .refresh = count, .group = "one"});
    if (GetParam().second) {
        extras.push_back({.path = outside + "/" + GetParam().second, .refresh = count, .group = "one"});
        writeFile(outside + "/" + GetParam().second);
    }
    startWatcher();
    if (GetParam().second) writeFile(outside + "/" + GetParam().second, "changed");
    writeFile(outside + "/" + GetParam().written, "changed");
    writeFile(outside + "/" + GetParam().written, "changed twice");
    settle();
    EXPECT_EQ(refreshes, GetParam().refreshes);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ExtraSources,
    ::testing::Values(ExtraCase{"FileItself", "profile/places.db", "profile/places.db", 1},
                      ExtraCase{"ItsJournalBesideIt", "profile/places.db", "profile/places.db-wal", 1},
                      ExtraCase{"AnotherFileOfItsFolder", "profile/places.db", "profile/other.db", 0},
                      ExtraCase{"AFolder", "profile", "profile/anything", 1},
                      ExtraCase{"AFileThatAppearsLater", "profile/later.db", "profile/later.db", 1},
                      ExtraCase{"TwoSourcesOfOneGroup", "profile/places.db", "profile/places.db", 1, "profile/favicons.db"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WatcherTest, AnExtraSourceWhoseFolderAppearsLaterIsWatchedAndReadByThePoll) {
    makeTree();
    int refreshes = 0;
    extras.push_back({.path = outside + "/new-profile/History", .refresh = [&](sqlite3*) {
                          ++refreshes;
                          return store::Status{};
                      }});
    startWatcher();
    EXPECT_EQ(watcher->nextDue(), now + settings.pollMillis);
    fs::create_directories(outside + "/new-profile");
    writeFile(outside + "/new-profile/History", "v1");
    settle();
    EXPECT_EQ(refreshes, 0) << "nothing watches it yet";
    now += settings.pollMillis;
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(refreshes, 1) << "read once its folder could be watched";
    EXPECT_EQ(watcher->nextDue(), kNever);
    writeFile(outside + "/new-profile/History", "v2");
    settle();
    EXPECT_EQ(refreshes, 2) << "and followed from then on";
}

TEST_F(WatcherTest, ABusyIndexIsSaidOnceAndTheBatchIsRetried) {
    makeTree();
    startWatcher();
    auto other = std::make_unique<store::CrawlLock>();
    ASSERT_TRUE(other->acquire(dbPath));
    writeFile(tree + "/a/while-busy.txt");
    pump();
    now += settings.coalesceMillis;
    EXPECT_FALSE(watcher->runDue(now));
    EXPECT_EQ(watcher->nextDue(), now + settings.retryMillis);
    now += settings.retryMillis;
    EXPECT_FALSE(watcher->runDue(now));
    EXPECT_EQ(said.size(), 1u) << "the same failure is said once";
    other.reset();
    now += settings.retryMillis;
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(againstFresh(), "");
}

}  // namespace
}  // namespace skimmer::index::watch::test
