// A refresh brings created, modified, renamed and deleted entries up to date, and an unchanged
// tree costs no listing and no write.
#include "index/storage/folder_entries.h"
#include "index/storage/kinds.h"
#include "tests/index/crawl/indexed_tree.h"

#include <sys/time.h>

#include <cstdio>

namespace skimmer::index::store::test {
namespace {

class RefreshTest : public ::testing::Test, protected IndexedTree {
protected:
    void SetUp() override {
        makeTree();
        ASSERT_TRUE(crawlInto(dbPath, options).result.status);
    }

    Crawled refresh(TestFs& fs) { return crawlInto(dbPath, options, fs); }
};

TEST_F(RefreshTest, UnchangedTreeListsNoFolderAndKeepsTheGeneration) {
    const int64_t before = crawlInto(dbPath, options).generation;
    TestFs fs;
    const Crawled again = refresh(fs);
    ASSERT_TRUE(again.result.status);
    EXPECT_EQ(fs.listings, 0);
    EXPECT_EQ(again.result.stats.listings, 0);
    EXPECT_EQ(again.generation, before);
    EXPECT_EQ(again.result.stats.added + again.result.stats.updated + again.result.stats.removed, 0);
    EXPECT_EQ(again.rows, fresh());
}

TEST_F(RefreshTest, CreatedEntriesAppearAndOnlyTheirFolderIsListed) {
    writeFile(tree + "/a/deep/new.pdf", "new");
    makeDir(tree + "/b/sub");
    writeFile(tree + "/b/sub/inner.txt", "x");
    TestFs fs;
    const Crawled after = refresh(fs);
    ASSERT_TRUE(after.result.status);
    EXPECT_EQ(after.rows, fresh());
    EXPECT_EQ(after.rows.at(tree + "/a/deep/new.pdf").kind, static_cast<int>(Kind::Document));
    EXPECT_EQ(fs.listings, 3) << "a/deep, b and the new b/sub";
}

TEST_F(RefreshTest, ModifiedFileInAnUnchangedFolderIsUpdated) {
    writeFile(tree + "/a/keep.md", "a longer text than before");
    struct timeval times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimes((tree + "/a/keep.md").c_str(), times), 0);
    const int64_t before = crawlInto(dbPath, options).generation;  // settle
    writeFile(tree + "/top.txt", "changed in place");
    TestFs fs;
    const Crawled after = refresh(fs);
    ASSERT_TRUE(after.result.status);
    EXPECT_EQ(after.rows.at(tree + "/top.txt").size, 16);
    EXPECT_EQ(after.rows, fresh());
    EXPECT_EQ(after.generation, before + 1);
    EXPECT_EQ(fs.listings, 0) << "the folder's own stamp did not change";
}

TEST_F(RefreshTest, RenamedFileAndFolderMoveWithTheirContents) {
    ASSERT_EQ(::rename((tree + "/top.txt").c_str(), (tree + "/renamed.txt").c_str()), 0);
    ASSERT_EQ(::rename((tree + "/a").c_str(), (tree + "/b/a2").c_str()), 0);
    TestFs fs;
    const Crawled after = refresh(fs);
    ASSERT_TRUE(after.result.status);
    EXPECT_EQ(after.rows, fresh());
    EXPECT_EQ(after.rows.count(tree + "/b/a2/deep/file.txt"), 1u);
    EXPECT_EQ(after.rows.count(tree + "/a/deep/file.txt"), 0u);
    OpenedIndex index = openIndexForWriting(dbPath);
    std::vector<FolderRow> folders;
    ASSERT_TRUE(readFolders(index.db.get(), folders).ok);
    for (const auto& [id, path] : folderPaths(folders))
        EXPECT_FALSE(path == tree + "/a" || path.starts_with(tree + "/a/")) << path << ": folders that moved away leave no dirs rows";
    EXPECT_EQ(folderPaths(folders).size(), folders.size()) << "every folder row reaches a root";
}

TEST_F(RefreshTest, DeletedEntriesAndNewlyExcludedFoldersDisappear) {
    ASSERT_EQ(::unlink((tree + "/a/deep/file.txt").c_str()), 0);
    ASSERT_EQ(::rmdir((tree + "/a/deep").c_str()), 0);
    options.excludes = {"b"};
    TestFs fs;
    const Crawled after = refresh(fs);
    ASSERT_TRUE(after.result.status);
    EXPECT_EQ(after.rows, fresh());
    EXPECT_EQ(after.rows.count(tree + "/b/photo.jpg"), 0u);
    EXPECT_EQ(after.rows.count(tree + "/a/deep"), 0u);
}

TEST_F(RefreshTest, EntryThatChangedTypeIsReplaced) {
    ASSERT_EQ(::unlink((tree + "/top.txt").c_str()), 0);
    makeDir(tree + "/top.txt");
    writeFile(tree + "/top.txt/inside", "i");
    TestFs fs;
    const Crawled after = refresh(fs);
    ASSERT_TRUE(after.result.status);
    EXPECT_EQ(after.rows, fresh());
    EXPECT_EQ(after.rows.at(tree + "/top.txt").attrs & kAttrFolder, kAttrFolder);
}

TEST_F(RefreshTest, AFolderRowThatNoLongerDecodesIsListedAgain) {
    {
        OpenedIndex index = openIndexForWriting(dbPath);
        ASSERT_TRUE(index.status) << index.status.error;
        // Every folder's entries cut short by one byte, as damage would leave them.
        ASSERT_TRUE(execSql(index.db.get(), "UPDATE dirs SET entries = substr(entries, 1, length(entries) - 1)").ok);
    }
    TestFs fs;
    const Crawled after = refresh(fs);
    ASSERT_TRUE(after.result.status) << after.result.status.error;
    EXPECT_EQ(fs.listings, 4) << "each damaged folder is listed afresh although its stamp is unchanged";
    EXPECT_EQ(after.rows, fresh());
}

struct LostEntry {
    const char* folder;  // relative to the tree; "" for the tree itself
    const char* name;    // the stored entry whose name is damaged
};

class LostEntryRefresh : public RefreshTest, public ::testing::WithParamInterface<LostEntry> {};

// A stored entry whose name was damaged (so it is gone on disk) in a folder whose stamp did not
// change: the folder is listed again, so the real entry (and below a folder, everything in it) is
// found again instead of staying unfindable for good.
TEST_P(LostEntryRefresh, UnchangedFolderWithAnEntryThatIsGoneIsListedAgain) {
    const std::string folder = GetParam().folder[0] ? tree + "/" + GetParam().folder : tree;
    {
        OpenedIndex index = openIndexForWriting(dbPath);
        ASSERT_TRUE(index.status) << index.status.error;
        std::vector<FolderRow> folders;
        ASSERT_TRUE(readFolders(index.db.get(), folders).ok);
        const auto paths = folderPaths(folders);
        Status status;
        Stmt select = prepare(index.db.get(), "SELECT id, entries FROM dirs", status);
        std::vector<std::pair<int64_t, std::string>> damaged;
        while (sqlite3_step(select.get()) == SQLITE_ROW) {
            const int64_t id = sqlite3_column_int64(select.get(), 0);
            if (paths.at(id) != folder) continue;
            std::vector<CrawledItem> rows;
            ASSERT_TRUE(decodeEntries(columnBytes(select.get(), 1), rows));
            for (CrawledItem& row : rows)
                if (row.name == GetParam().name) row.name.back() ^= 1;  // one bit of its name flipped
            damaged.emplace_back(id, encodeEntries(rows));
        }
        select.reset();
        ASSERT_EQ(damaged.size(), 1u) << folder;
        Stmt update = prepare(index.db.get(), "UPDATE dirs SET entries = ?2 WHERE id = ?1", status);
        sqlite3_bind_int64(update.get(), 1, damaged[0].first);
        bindBlob(update.get(), 2, damaged[0].second);
        ASSERT_EQ(sqlite3_step(update.get()), SQLITE_DONE);
    }
    TestFs fs;
    const Crawled after = refresh(fs);
    ASSERT_TRUE(after.result.status) << after.result.status.error;
    EXPECT_EQ(fs.listings, 1) << "only the folder whose stored row lost the entry";
    EXPECT_EQ(after.rows, fresh());
}

INSTANTIATE_TEST_SUITE_P(Entries, LostEntryRefresh,
                         ::testing::Values(LostEntry{"a", "keep.md"}, LostEntry{"a", "deep"}, LostEntry{"", "top.txt"},
                                           LostEntry{"b", "photo.jpg"}));

TEST_F(RefreshTest, RemovedRootTakesItsItemsAlong) {
    options = rootsOnly({tree + "/b"});
    TestFs fs;
    const Crawled after = refresh(fs);
    ASSERT_TRUE(after.result.status);
    EXPECT_EQ(after.rows, fresh());
    EXPECT_EQ(after.rows.count(tree + "/a/keep.md"), 0u);
    EXPECT_EQ(after.rows.count(tree + "/b/photo.jpg"), 1u);
}

// A folder refresh's hook runs inside the transaction it ends: what it writes is committed with
// the batch and bears its generation, and a hook that fails takes the batch back.
class BeforeCommit : public RefreshTest, public ::testing::WithParamInterface<bool> {};

TEST_P(BeforeCommit, WritesWithTheBatchOrTakesItBack) {
    const bool fails = GetParam();
    OpenedIndex index = openIndexForWriting(dbPath);
    ASSERT_TRUE(index.db);
    const int64_t before = readMetaInt(index.db.get(), kMetaGeneration).value_or(-1);
    writeFile(tree + "/a/deep/new.pdf", "new");
    std::vector<int64_t> seen;
    CrawlHooks hooks;
    hooks.beforeCommit = [&](sqlite3* conn, int64_t generation, const std::vector<int64_t>& dirs) {
        seen = dirs;
        if (fails) return Status::failure("refused by the hook");
        return writeMeta(conn, kMetaNamesOverlay, std::to_string(generation));
    };
    TestFs fs;
    const FolderRefreshResult result =
        refreshFolders(index.db.get(), options, fs, hooks, {{.path = tree + "/a/deep", .subtree = false}});
    EXPECT_EQ(result.status.ok, !fails) << result.status.error;
    EXPECT_FALSE(seen.empty()) << "it is told the folders changed so far";
    const int64_t after = readMetaInt(index.db.get(), kMetaGeneration).value_or(-1);
    const Snapshot rows = snapshot(index.db.get());
    if (fails) {
        EXPECT_EQ(after, before);
        EXPECT_EQ(rows.count(tree + "/a/deep/new.pdf"), 0u);
        EXPECT_FALSE(readMetaText(index.db.get(), kMetaNamesOverlay).has_value());
    } else {
        EXPECT_EQ(after, before + 1);
        EXPECT_EQ(rows.count(tree + "/a/deep/new.pdf"), 1u);
        EXPECT_EQ(readMetaText(index.db.get(), kMetaNamesOverlay).value_or(""), std::to_string(after));
    }
}

INSTANTIATE_TEST_SUITE_P(Hooks, BeforeCommit, ::testing::Bool());

}  // namespace
}  // namespace skimmer::index::store::test
