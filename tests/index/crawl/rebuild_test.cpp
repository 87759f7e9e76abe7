// A rebuild puts a whole index in place however it starts: with no index there (the staging
// database is renamed into place), over an existing one (its pages are copied over it), or when an
// index appears while it runs (the rename never replaces it: the copy is made instead). A rebuild
// that fails leaves the live path as it was, and no staging file behind.
#include "index/crawl/rebuild.h"
#include "index/storage/index_files.h"
#include "tests/index/crawl/fault_vfs.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/support/temp_home.h"

#include <cstdio>
#include <filesystem>

namespace skimmer::index::store::test {
namespace {

enum class Start { NoIndex, AnIndex, IndexAppears };

struct RebuildCase {
    Start start;
    const char* name;
};

class RebuildTest : public ::testing::TestWithParam<RebuildCase> {
protected:
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::string db = (home.cache() / "index.sqlite").string();
    CrawlOptions options = rootsOnly({tree});

    void SetUp() override {
        makeDir(tree);
        for (int folder = 0; folder < 6; ++folder) {
            const std::string dir = tree + "/folder " + std::to_string(folder);
            makeDir(dir);
            for (int file = 0; file < 5; ++file) writeFile(dir + "/file" + std::to_string(file) + ".txt", std::string(file, 'x'));
        }
        if (GetParam().start == Start::AnIndex) {
            writeFile(tree + "/gone.txt");  // in the old index only
            ASSERT_TRUE(crawlInto(db, options).result.status);
            std::remove((tree + "/gone.txt").c_str());
        }
    }

    Snapshot reference() {
        const std::string other = (home.cache() / "reference.sqlite").string();
        const Crawled crawled = crawlInto(other, options);
        EXPECT_TRUE(crawled.result.status);
        return crawled.rows;
    }

    CrawlResult rebuild(std::string& notice) {
        CrawlHooks hooks;
        bool appeared = false;
        Db appearedIndex;  // kept open with its WAL through the rest of the rebuild, as a reader would
        if (GetParam().start == Start::IndexAppears)
            hooks.progress = [&](const CrawlProgress&) {
                if (appeared) return;
                appearedIndex = std::move(openIndexForWriting(db).db);
                appeared = appearedIndex && execSql(appearedIndex.get(), "PRAGMA user_version").ok;
            };
        int afterCommit = 0;
        hooks.afterCommit = [&](sqlite3* live) {
            ++afterCommit;
            std::error_code error;
            EXPECT_TRUE(std::filesystem::equivalent(sqlite3_db_filename(live, "main"), db, error)) << "not the live index";
        };
        TestFs fs;
        CrawlResult result = rebuildIndex(db, options, fs, hooks, notice);
        EXPECT_EQ(afterCommit, result.status ? 1 : 0) << "the hook runs once, on the live index, after success";
        EXPECT_EQ(appeared, GetParam().start == Start::IndexAppears);
        return result;
    }

    void expectNoStagingLeft() {
        for (int i = 0; i < kIndexFileCount; ++i) {
            const auto file = static_cast<IndexFile>(i);
            if (file == IndexFile::Damaged) continue;
            const std::filesystem::path staging = indexFilePath(db + kStagingSuffix, file);
            EXPECT_EQ(inspectFile(staging).shape, FileShape::Absent) << staging << " left behind";
        }
    }
};

TEST_P(RebuildTest, PutsTheWholeIndexInPlaceInWalMode) {
    const Snapshot expected = reference();
    std::string notice;
    const CrawlResult result = rebuild(notice);
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(notice, "");
    EXPECT_EQ(snapshotOf(db), expected);
    EXPECT_EQ(integrity(db), "ok");
    expectNoStagingLeft();
    OpenedIndex live = openIndexForWriting(db);
    ASSERT_TRUE(live.db) << live.status.error;
    EXPECT_FALSE(live.fresh);
    Status status;
    Stmt mode = prepare(live.db.get(), "PRAGMA journal_mode", status);
    ASSERT_EQ(sqlite3_step(mode.get()), SQLITE_ROW);
    EXPECT_EQ(columnBytes(mode.get(), 0), "wal");
    EXPECT_EQ(readMetaText(live.db.get(), kMetaCrawlState), "idle");
}

INSTANTIATE_TEST_SUITE_P(Starts, RebuildTest,
                         ::testing::Values(RebuildCase{Start::NoIndex, "NoIndex"}, RebuildCase{Start::AnIndex, "AnIndex"},
                                           RebuildCase{Start::IndexAppears, "IndexAppears"}),
                         [](const auto& info) { return std::string(info.param.name); });

using FailedRebuildTest = RebuildTest;

// A write that fails part-way through the staging crawl fails the rebuild; what readers find at the
// live path is what was there before (nothing at all when there was no index).
TEST_P(FailedRebuildTest, LeavesTheLivePathAsItWas) {
    const bool hadIndex = GetParam().start == Start::AnIndex;
    const Snapshot before = hadIndex ? snapshotOf(db) : Snapshot{};
    std::string notice;
    {
        FaultVfs vfs;
        vfs.arm(FaultVfs::Target::Write, 3, SQLITE_IOERR_WRITE, true);
        const CrawlResult failed = rebuild(notice);
        EXPECT_FALSE(failed.status);
        EXPECT_GT(vfs.failures(), 0);
    }
    expectNoStagingLeft();
    if (hadIndex) {
        EXPECT_EQ(snapshotOf(db), before);
        EXPECT_EQ(integrity(db), "ok");
    } else {
        EXPECT_EQ(inspectFile(db).shape, FileShape::Absent) << "a failed first build left an index for readers";
    }
    const CrawlResult retry = rebuild(notice);
    ASSERT_TRUE(retry.status) << retry.status.error;
    EXPECT_EQ(snapshotOf(db), reference());
}

INSTANTIATE_TEST_SUITE_P(Starts, FailedRebuildTest,
                         ::testing::Values(RebuildCase{Start::NoIndex, "NoIndex"}, RebuildCase{Start::AnIndex, "AnIndex"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::index::store::test
