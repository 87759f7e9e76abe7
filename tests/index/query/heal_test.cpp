// The index heals and never shows a half-made state: damage anywhere in the name sidecar is
// rebuilt by the next refresh (which searches then answer exactly as before), and searches that
// run while the index is rebuilt, again and again, each see a whole index.
#include "index/query/connection.h"
#include "index/query/name_index_builder.h"
#include "index/query/name_index_format.h"
#include "index/query/query_text.h"
#include "index/query/safecall_error.h"
#include "index/crawl/crawl_fs.h"
#include "index/crawl/crawl_lock.h"
#include "index/storage/index_files.h"
#include "index/crawl/rebuild.h"
#include "tests/index/query/test_index.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

namespace skimmer::index::query::test {
namespace {

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The URLs of every hit of `text`, in order.
std::vector<std::string> urlsOf(const std::filesystem::path& db, const char* text) {
    Connection connection;
    connection.open(connectionStringFor(db));
    auto recordset = connection.execute(makeQueryText("System.ItemURL", text));
    std::vector<std::string> urls;
    while (!recordset->eof()) {
        const RowTable rows = recordset->getRows(64);
        for (size_t r = 0; r < rows.rowCount(); ++r) urls.push_back(rows.cell(0, r).text);
    }
    return urls;
}

class SidecarHealing : public ::testing::Test {
protected:
    void SetUp() override {
        fillRandom(index_, 3000, 41);
        index_.buildSidecar();
        sidecar_ = nameIndexPathFor(index_.file());
        good_ = readBytes(sidecar_);
        for (const char* text : kQueries) reference_.push_back(urlsOf(index_.file(), text));
    }

    static constexpr const char* kQueries[] = {"e", "rep", "a b", "kind:music", "ext:mp3 t"};
    TestIndex index_;
    std::filesystem::path sidecar_;
    std::string good_;
    std::vector<std::vector<std::string>> reference_;
};

// One flipped byte in each block in turn (the header, every data block, the checksum table):
// searches report the damage, and the refresh that follows, with nothing changed in the database,
// notices it, rebuilds the sidecar and says so; searches then give the answers they gave before.
TEST_F(SidecarHealing, DamageInAnyBlockIsRebuiltByTheNextRefresh) {
    ASSERT_GT(good_.size(), 8 * sidecar::kBlockSize) << "enough blocks to be a meaningful test";
    std::vector<size_t> places{0, sizeof(sidecar::Header) - 1};
    for (size_t at = sizeof(sidecar::Header) + 17; at < good_.size(); at += sidecar::kBlockSize) places.push_back(at);
    places.push_back(good_.size() - 1);  // the last checksum
    for (const size_t at : places) {
        std::string bytes = good_;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
        writeBytes(sidecar_, bytes);
        const NameIndexBuildResult refreshed = buildNameIndex(index_.db());
        ASSERT_TRUE(refreshed.ok) << refreshed.error;
        EXPECT_FALSE(refreshed.skipped) << "damage at byte " << at << " was kept";
        EXPECT_FALSE(refreshed.repaired.empty()) << "damage at byte " << at << " was not reported";
        for (size_t q = 0; q < std::size(kQueries); ++q)
            EXPECT_EQ(urlsOf(index_.file(), kQueries[q]), reference_[q]) << kQueries[q] << ", byte " << at;
    }
    const NameIndexBuildResult again = buildNameIndex(index_.db());
    EXPECT_TRUE(again.skipped) << "an intact, current sidecar is kept";
    EXPECT_TRUE(again.repaired.empty());
}

// A tree on disk of kFiles files that all hold "leaf" in their names.
class RebuildWhileSearching : public ::testing::Test {
protected:
    static constexpr int kFiles = 400;
    skimmer::test::TempHome home_;
    std::filesystem::path tree_ = home_.root() / "tree";
    std::filesystem::path db_ = home_.cache() / "skimmer" / "index.sqlite";

    void SetUp() override {
        for (int folder = 0; folder < 8; ++folder) {
            const auto dir = tree_ / ("folder" + std::to_string(folder));
            std::filesystem::create_directories(dir);
            for (int i = 0; i < kFiles / 8; ++i) writeBytes(dir / ("leaf " + std::to_string(i) + ".txt"), "x");
        }
    }

    store::CrawlResult rebuild() {
        store::CrawlOptions options;
        options.roots = {tree_.string()};
        options.defaultExcludes = false;
        store::CrawlHooks hooks;
        hooks.afterCommit = [](sqlite3* db) { EXPECT_TRUE(buildNameIndex(db).ok); };
        store::PosixCrawlFs fs;
        std::string notice;
        store::CrawlResult result = store::rebuildIndex(db_, options, fs, hooks, notice);
        EXPECT_EQ(notice, "");
        return result;
    }
};

// Every search made while the index is rebuilt ten times finds every file: never "there is no
// index", a missing table or part of the files. (Busy is allowed: it is reported, never wrong.)
TEST_F(RebuildWhileSearching, EverySearchSeesAWholeIndex) {
    ASSERT_TRUE(rebuild().status);
    std::atomic<bool> rebuilding{true};
    std::thread rebuilder([&] {
        for (int round = 0; round < 10; ++round) {
            const store::CrawlResult result = rebuild();
            EXPECT_TRUE(result.status) << result.status.error;
            EXPECT_EQ(result.stats.items, kFiles + 8);
        }
        rebuilding = false;
    });
    int whole = 0, busy = 0;
    while (rebuilding || whole == 0) {
        try {
            const size_t found = urlsOf(db_, "leaf").size();
            EXPECT_EQ(found, static_cast<size_t>(kFiles)) << "a search saw part of an index";
            ++whole;
        } catch (const SafecallError& error) {
            EXPECT_EQ(error.code(), kIndexBusy) << error.detail();
            ++busy;
        }
    }
    rebuilder.join();
    EXPECT_GT(whole, 10);
    EXPECT_LT(busy, whole);
    for (int i = 0; i < store::kIndexFileCount; ++i) {
        const auto staging = store::indexFilePath(db_.string() + store::kStagingSuffix, static_cast<store::IndexFile>(i));
        EXPECT_EQ(store::inspectFile(staging).shape, store::FileShape::Absent) << staging << " left behind";
    }
}

// An index made with another page size (SQLite will not copy pages into a WAL database of another
// size) is rebuilt all the same, and is in WAL mode again afterwards.
TEST_F(RebuildWhileSearching, AnIndexWithAnotherPageSizeIsRebuilt) {
    ASSERT_TRUE(rebuild().status);
    {
        store::OpenedIndex live = store::openIndexForWriting(db_);
        ASSERT_TRUE(live.db) << live.status.error;
        ASSERT_TRUE(store::execSql(live.db.get(), "PRAGMA journal_mode=DELETE; PRAGMA page_size=4096; VACUUM").ok);
        ASSERT_EQ(store::queryInt(live.db.get(), "PRAGMA page_size"), 4096);
    }
    const store::CrawlResult result = rebuild();
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(urlsOf(db_, "leaf").size(), static_cast<size_t>(kFiles));
    store::OpenedIndex live = store::openIndexForWriting(db_);
    store::Status status;
    store::Stmt mode = store::prepare(live.db.get(), "PRAGMA journal_mode", status);
    ASSERT_EQ(sqlite3_step(mode.get()), SQLITE_ROW);
    EXPECT_EQ(store::columnBytes(mode.get(), 0), "wal");
}

// A rebuild that cannot start (another crawl holds the index) fails at once, says why, and leaves
// the live index and no staging file behind.
TEST_F(RebuildWhileSearching, ARefusedRebuildLeavesTheLiveIndex) {
    ASSERT_TRUE(rebuild().status);
    store::CrawlLock other;
    ASSERT_TRUE(other.acquire(db_).ok);
    store::CrawlOptions options;
    options.roots = {tree_.string()};
    store::PosixCrawlFs fs;
    std::string notice;
    const store::CrawlResult refused = store::rebuildIndex(db_, options, fs, {}, notice);
    EXPECT_FALSE(refused.status);
    EXPECT_NE(refused.status.error.find("another crawl"), std::string::npos) << refused.status.error;
    EXPECT_EQ(urlsOf(db_, "leaf").size(), static_cast<size_t>(kFiles));
    EXPECT_EQ(store::inspectFile(db_.string() + store::kStagingSuffix).shape, store::FileShape::Absent);
}

// A leftover of a killed rebuild that is not a regular file is moved aside, not a reason to fail.
TEST_F(RebuildWhileSearching, ALeftoverStagingFolderIsMovedAside) {
    ASSERT_TRUE(rebuild().status);
    const std::filesystem::path staging = db_.string() + store::kStagingSuffix;
    std::filesystem::create_directories(staging / "occupied");
    ASSERT_TRUE(rebuild().status);
    EXPECT_EQ(urlsOf(db_, "leaf").size(), static_cast<size_t>(kFiles));
    EXPECT_TRUE(std::filesystem::is_directory(staging.string() + store::kDamagedSuffix));
}

}  // namespace
}  // namespace skimmer::index::query::test
