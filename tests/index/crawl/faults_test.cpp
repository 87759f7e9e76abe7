// What survives faults: a crawler killed at any moment (I1) and I/O errors or a full disk inside
// SQLite (I2) leave an intact index that the next crawl completes, and damaged or old index files
// are replaced with a message.
#include "tests/index/crawl/fault_vfs.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/support/temp_home.h"

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace skimmer::index::store::test {
namespace {

// A tree of `folders` folders, each with a few files, in a fixed layout.
void makeTree(const std::string& root, int folders, int filesPerFolder) {
    makeDir(root);
    std::vector<std::string> made{root};
    for (int i = 0; i < folders; ++i) {
        const std::string dir = made[static_cast<size_t>(i / 3)] + "/folder " + std::to_string(i);
        makeDir(dir);
        made.push_back(dir);
        for (int f = 0; f < filesPerFolder; ++f) writeFile(dir + "/file" + std::to_string(f) + ".txt", std::string(f, 'x'));
    }
}

class FaultTest : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::string db = (home.cache() / "index.sqlite").string();
    CrawlOptions options = rootsOnly({tree});

    Snapshot reference() {
        const std::string other = (home.cache() / "reference.sqlite").string();
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((other + suffix).c_str());
        const Crawled crawled = crawlInto(other, options);
        EXPECT_TRUE(crawled.result.status);
        return crawled.rows;
    }

    void removeDb() {
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((db + suffix).c_str());
    }
};

// Changes the tree a little so that the next crawl has real work to do.
void mutate(const std::string& tree, std::mt19937& rng, int round) {
    std::vector<std::string> dirs;
    for (const auto& e : std::filesystem::recursive_directory_iterator(tree))
        if (e.is_directory()) dirs.push_back(e.path().string());
    std::sort(dirs.begin(), dirs.end());
    const std::string dir = dirs[rng() % dirs.size()];
    writeFile(dir + "/new" + std::to_string(round) + ".md", "n");
    std::remove((dirs[rng() % dirs.size()] + "/file1.txt").c_str());
    const std::string from = dirs[rng() % dirs.size()];
    ASSERT_EQ(::rename(from.c_str(), (from + "r").c_str()), 0);
}

// Killed mid-crawl: the kill came after the crawl's first folder and before its end, told by what
// the child wrote (an "f" per folder, a "d" once the crawl returned) and how it ended.
bool killedMidCrawl(int status, const std::string& told) {
    return WIFSIGNALED(status) && told.find('f') != std::string::npos && told.find('d') == std::string::npos;
}

TEST_F(FaultTest, CrawlerKilledAtRandomMomentsLeavesAnIntactIndexTheNextCrawlCompletes) {
    makeTree(tree, 120, 12);
    options.batchChanges = 60;
    std::mt19937 rng(20240601);
    // Rounds go on until enough kills landed mid-crawl: on a loaded machine a child let run free
    // may finish before its kill, and such a round proves nothing.
    constexpr int kWantedKills = 15, kMaxRounds = 150;
    int landed = 0, round = 0;
    for (; round < kMaxRounds && landed < kWantedKills; ++round) {
        if (round % 6 == 0) removeDb();  // kills during a first build as well as during refreshes
        mutate(tree, rng, round);
        // The child reports each folder and waits to be let on, so the parent decides how far it
        // gets whatever the machine's load; closing the go pipe lets it run free, and the kill
        // follows at once, landing wherever the crawl is a moment later (mid-write as often as not).
        int pipeFds[2];
        int goFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        ASSERT_EQ(::pipe(goFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            ::close(goFds[1]);
            CrawlHooks hooks;
            hooks.progress = [&](const CrawlProgress&) {
                char go;
                (void)!::write(pipeFds[1], "f", 1);
                (void)!::read(goFds[0], &go, 1);  // 0 once the parent closed it: run free
            };
            OpenedIndex index = openIndexForWriting(db);
            TestFs fs;
            const bool ok = index.db && crawl(index.db.get(), options, fs, hooks).status.ok;
            (void)!::write(pipeFds[1], "d", 1);
            ::_exit(ok ? 0 : 1);
        }
        ::close(pipeFds[1]);
        ::close(goFds[0]);
        const int folders = static_cast<int>(rng() % 140);
        std::string told;
        char byte;
        for (int seen = 0; seen < folders && ::read(pipeFds[0], &byte, 1) == 1; ++seen) {
            told += byte;
            if (byte == 'd') break;  // the crawl is done and the child gone: no one reads "go" any more
            if (seen + 1 < folders) (void)!::write(goFds[1], "g", 1);
        }
        ::close(goFds[1]);
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        char rest[256];
        for (ssize_t got; (got = ::read(pipeFds[0], rest, sizeof rest)) > 0;) told.append(rest, static_cast<size_t>(got));
        landed += killedMidCrawl(status, told) ? 1 : 0;
        ::close(pipeFds[0]);
        ASSERT_EQ(integrity(db), "ok") << "round " << round;
    }
    EXPECT_GE(landed, kWantedKills) << "kills that landed mid-crawl in " << round << " rounds";
    const Crawled finished = crawlInto(db, options);
    ASSERT_TRUE(finished.result.status) << finished.result.status.error;
    EXPECT_EQ(finished.rows, reference());
}

struct IoFault {
    FaultVfs::Target target;
    int code;
    bool sticky;
    const char* name;
};

class IoFaultTest : public FaultTest, public ::testing::WithParamInterface<IoFault> {};

TEST_P(IoFaultTest, FailedWriteOrSyncIsReportedAndARetryCompletesTheIndex) {
    makeTree(tree, 30, 6);
    options.batchChanges = 25;
    const Snapshot expected = reference();
    FaultVfs vfs;
    const IoFault fault = GetParam();
    vfs.arm(fault.target, -1, fault.code, false);  // counting only: how many calls a build makes
    ASSERT_TRUE(crawlInto(db, options).result.status);
    const int total = vfs.calls();
    ASSERT_GT(total, 3);
    const int stride = std::max(1, total / 25);
    for (int nth = 1; nth <= total; nth += stride) {
        removeDb();
        vfs.arm(fault.target, nth, fault.code, fault.sticky);
        Status status;
        bool crawled = false;
        {
            OpenedIndex index = openIndexForWriting(db);
            status = index.status;
            if (index.db) {
                TestFs fs;
                status = crawl(index.db.get(), options, fs, {}).status;
                crawled = true;
            }
        }
        const bool failed = vfs.failures() > 0;
        vfs.disarm();
        if (status) {
            // SQLite may absorb a failed checkpoint after a commit; then the data must be whole.
            EXPECT_EQ(snapshotOf(db), expected) << "call " << nth;
        } else {
            EXPECT_TRUE(failed) << "failure without a fault: " << status.error;
            EXPECT_FALSE(status.error.empty());
            if (crawled && !fault.sticky) {
                OpenedIndex index = openIndexForWriting(db);
                EXPECT_EQ(readMetaText(index.db.get(), kMetaCrawlState), "idle") << "readers must not wait for a dead crawl";
            }
        }
        ASSERT_EQ(integrity(db), "ok") << "call " << nth << ": " << status.error;
        const Crawled retry = crawlInto(db, options);
        ASSERT_TRUE(retry.result.status) << "call " << nth << ": " << retry.result.status.error;
        EXPECT_EQ(retry.rows, expected) << "call " << nth;
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, IoFaultTest,
                         ::testing::Values(IoFault{FaultVfs::Target::Write, SQLITE_IOERR_WRITE, false, "WriteOnce"},
                                           IoFault{FaultVfs::Target::Write, SQLITE_FULL, true, "DiskFull"},
                                           IoFault{FaultVfs::Target::Sync, SQLITE_IOERR_FSYNC, false, "SyncOnce"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FaultTest, DamagedOrOldIndexIsMovedAsideAndRebuilt) {
    makeTree(tree, 5, 2);
    const Snapshot expected = reference();
    {
        std::ofstream garbage(db, std::ios::binary);
        for (int i = 0; i < 500; ++i) garbage << "this is not an index ";
    }
    OpenedIndex damaged = openIndexForWriting(db);
    ASSERT_TRUE(damaged.db) << damaged.status.error;
    EXPECT_NE(damaged.notice.find("damaged"), std::string::npos) << damaged.notice;
    EXPECT_TRUE(damaged.fresh);
    EXPECT_TRUE(std::ifstream(db + ".damaged").good()) << "the bad file is kept for inspection";
    damaged.db.reset();
    removeDb();
    {
        sqlite3* raw = nullptr;
        sqlite3_open(db.c_str(), &raw);
        Db old(raw);
        ASSERT_TRUE(execSql(old.get(), "CREATE TABLE items(x); PRAGMA user_version=99;"));
    }
    OpenedIndex outdated = openIndexForWriting(db);
    ASSERT_TRUE(outdated.db);
    EXPECT_NE(outdated.notice.find("older format"), std::string::npos) << outdated.notice;
    outdated.db.reset();
    EXPECT_EQ(crawlInto(db, options).rows, expected);
}

TEST_F(FaultTest, FlippedBytesNeverCrashAndAreReported) {
    makeTree(tree, 40, 8);
    ASSERT_TRUE(crawlInto(db, options).result.status);
    {
        OpenedIndex index = openIndexForWriting(db);
        ASSERT_TRUE(execSql(index.db.get(), "PRAGMA wal_checkpoint(TRUNCATE)"));
    }
    std::ifstream in(db, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), {});
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        std::string bad = good;
        for (int flips = 0; flips < 20; ++flips) bad[rng() % bad.size()] ^= static_cast<char>(1 + rng() % 255);
        removeDb();
        std::ofstream(db, std::ios::binary) << bad;
        OpenedIndex index = openIndexForWriting(db);
        if (!index.db) {
            EXPECT_FALSE(index.status.error.empty());
            continue;
        }
        TestFs fs;
        const CrawlResult result = crawl(index.db.get(), options, fs, {});
        if (!result.status) {
            EXPECT_FALSE(result.status.error.empty());
        }
    }
}

TEST_F(FaultTest, SecondCrawlerOnTheSameIndexIsTurnedAway) {
    makeTree(tree, 3, 1);
    OpenedIndex first = openIndexForWriting(db);
    ASSERT_TRUE(first.db);
    int calls = 0;
    CrawlHooks hooks;
    hooks.progress = [&](const CrawlProgress&) {
        if (calls++ != 0) return;
        OpenedIndex second = openIndexForWriting(db);
        TestFs fs;
        const CrawlResult other = crawl(second.db.get(), options, fs, {});
        EXPECT_FALSE(other.status);
        EXPECT_NE(other.status.error.find("another crawl"), std::string::npos) << other.status.error;
    };
    TestFs fs;
    EXPECT_TRUE(crawl(first.db.get(), options, fs, hooks).status);
    EXPECT_GT(calls, 0);
}

}  // namespace
}  // namespace skimmer::index::store::test
