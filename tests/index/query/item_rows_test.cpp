#include "index/query/item_rows.h"
#include "index/query/safecall_error.h"
#include "index/storage/folder_entries.h"
#include "index/storage/folder_paths.h"
#include "tests/index/query/test_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace skimmer::index::query {
namespace {

using test::TestIndex;
using test::TestItem;

// One folder of `count` entries with times far apart, so that a run decoded from the wrong base
// would show in every time read from it.
void fillFolder(TestIndex& index, uint32_t count) {
    std::mt19937 rng(count);
    index.begin();
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t mtime = std::uniform_int_distribution<int64_t>(-1'000'000'000, 3'000'000'000)(rng);
        index.add(TestItem{.dir = 1, .name = test::randomName(rng) + std::to_string(i),
                           .kind = std::uniform_int_distribution<int>(0, 23)(rng),
                           .size = std::uniform_int_distribution<int64_t>(0, 1'000'000)(rng), .mtime = mtime,
                           .ctime = mtime - std::uniform_int_distribution<int64_t>(0, 1000)(rng)});
    }
    index.bumpGeneration();
    index.commit();
}

std::string folderBlob(TestIndex& index) {
    store::Status status;
    store::Stmt stmt = store::prepare(index.db(), "SELECT entries FROM dirs WHERE id = 1", status);
    EXPECT_EQ(sqlite3_step(stmt.get()), SQLITE_ROW);
    return store::columnBytes(stmt.get(), 0);
}

class RowsOfAFolder : public ::testing::TestWithParam<uint32_t> {};

TEST_P(RowsOfAFolder, RandomPositionsReadTheEntryTheWholeDecodeHolds) {
    const uint32_t count = GetParam();
    TestIndex index;
    fillFolder(index, count);
    std::vector<store::CrawledItem> all;
    ASSERT_TRUE(store::decodeEntries(folderBlob(index), all));
    ASSERT_EQ(all.size(), count);
    RowReader rows(index.db());
    std::mt19937 rng(count + 1);
    for (int i = 0; i < 300; ++i) {
        const uint32_t pos = i == 0 ? count - 1 : std::uniform_int_distribution<uint32_t>(0, count - 1)(rng);
        FetchedItem row;
        ASSERT_TRUE(rows.read(store::entryId(1, pos), row)) << pos;
        EXPECT_EQ(row.name, all[pos].name) << pos;
        EXPECT_EQ(row.kind, all[pos].kind) << pos;
        EXPECT_EQ(row.ext, all[pos].ext) << pos;
        EXPECT_EQ(row.size, all[pos].size) << pos;
        EXPECT_EQ(row.mtime, all[pos].mtime) << pos;
        EXPECT_EQ(row.ctime, all[pos].ctime) << pos;
        EXPECT_EQ(row.displayedPath(), store::childPath("/home/user", all[pos].name)) << pos;
    }
    FetchedItem gone;
    EXPECT_FALSE(rows.read(store::entryId(1, count), gone)) << "a position past the folder's entries";
    EXPECT_FALSE(rows.read(store::entryId(99, 0), gone)) << "a folder that does not exist";
}

INSTANTIATE_TEST_SUITE_P(Sizes, RowsOfAFolder, ::testing::Values(1u, store::kRestartEvery + 1, 3000u));

// Every entry of several folders read in a random order (as a query's newest-first hits come):
// each folder's row is read once when the held folders fit the budget (twice for a folder too
// long to be read whole with its first row), and every row is right whatever the budget drops.
struct HeldCase {
    const char* what;
    size_t heldBytes;
    bool fits;
};

class HeldFolders : public ::testing::TestWithParam<HeldCase> {};

TEST_P(HeldFolders, EveryRowIsRightAndEachFolderIsReadOnceWhenTheyFit) {
    TestIndex index;
    std::mt19937 rng(5);
    const std::vector<uint32_t> sizes = {1, 7, store::kRestartEvery + 1, 40, 3000};  // the last is over 16 KB
    index.begin();
    std::vector<int64_t> ids;
    for (size_t f = 0; f < sizes.size(); ++f) {
        const auto dir = static_cast<int64_t>(f + 2);
        index.addDir(dir, "/home/user/d" + std::to_string(dir));
        for (uint32_t i = 0; i < sizes[f]; ++i) {
            const int64_t mtime = std::uniform_int_distribution<int64_t>(-1'000'000'000, 3'000'000'000)(rng);
            index.add(TestItem{.dir = dir, .name = test::randomName(rng) + std::to_string(i), .size = i, .mtime = mtime,
                               .ctime = mtime + 1});
        }
    }
    index.bumpGeneration();
    index.commit();
    std::vector<const TestItem*> items;
    for (const TestItem& item : index.items()) items.push_back(&item);
    std::shuffle(items.begin(), items.end(), rng);
    RowReader rows(index.db(), GetParam().heldBytes);
    for (const TestItem* item : items) {
        FetchedItem row;
        ASSERT_TRUE(rows.read(item->id, row)) << item->name;
        ASSERT_EQ(row.name, item->name);
        ASSERT_EQ(row.size, item->size) << item->name;
        ASSERT_EQ(row.mtime, item->mtime) << item->name;
        ASSERT_EQ(row.ctime, item->ctime) << item->name;
        ASSERT_EQ(row.displayedPath(), store::childPath(index.dirPath(item->dir), item->name));
    }
    if (GetParam().fits) EXPECT_EQ(rows.folderReads(), sizes.size() + 1);
    else EXPECT_GT(rows.folderReads(), sizes.size() + 1);
    FetchedItem gone;
    EXPECT_FALSE(rows.read(store::entryId(2, 1), gone)) << "a held folder answers \"gone\" past its entries";
}

INSTANTIATE_TEST_SUITE_P(Budgets, HeldFolders,
                         ::testing::Values(HeldCase{"AllFit", RowReader::kDefaultHeldBytes, true},
                                           HeldCase{"SomeDropped", 4096, false}),
                         [](const ::testing::TestParamInfo<HeldCase>& info) { return std::string(info.param.what); });

// Folder rows are read through a cursor that steps a few ids on or seeks: folders asked for in
// every order (the next id, over a gap of deleted folders, past the last, back, far ahead) give
// their own rows, and a folder that is not there is gone.
class FolderCursor : public ::testing::TestWithParam<std::vector<int64_t>> {};

TEST_P(FolderCursor, EveryOrderReadsEachFolderOrFindsItGone) {
    const std::vector<int64_t> present = {2, 3, 5, 9, 10, 30, 31};
    TestIndex index;
    index.begin();
    for (const int64_t dir : present) {
        index.addDir(dir, "/home/user/d" + std::to_string(dir));
        index.add(TestItem{.dir = dir, .name = "only" + std::to_string(dir), .size = dir, .mtime = dir, .ctime = dir});
    }
    index.bumpGeneration();
    index.commit();
    RowReader rows(index.db());
    for (const int64_t dir : GetParam()) {
        FetchedItem row;
        const bool there = std::find(present.begin(), present.end(), dir) != present.end();
        ASSERT_EQ(rows.read(store::entryId(dir, 0), row), there) << dir;
        if (!there) continue;
        EXPECT_EQ(row.name, "only" + std::to_string(dir));
        EXPECT_EQ(row.size, dir);
        EXPECT_EQ(row.displayedPath(), "/home/user/d" + std::to_string(dir) + "/only" + std::to_string(dir));
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, FolderCursor,
                         ::testing::Values(std::vector<int64_t>{2, 3, 4, 5, 6, 9, 10, 11, 30, 31, 32, 40},
                                           std::vector<int64_t>{4, 5, 8, 9, 29, 30, 1, 2, 33, 31},
                                           std::vector<int64_t>{31, 30, 10, 9, 5, 3, 2, 0},
                                           std::vector<int64_t>{2, 31, 3, 30, 4, 10, 5, 9}));

// A folder row whose restart offsets or count were damaged on disk: reading an entry of the
// affected runs reports damage, never another entry's row.
struct StoredDamage {
    const char* what;
    size_t at;  // byte of the blob (3000 entries: a 2-byte count, then the offsets)
    int delta;
};

class DamagedFolderRow : public ::testing::TestWithParam<StoredDamage> {};

TEST_P(DamagedFolderRow, IsReportedAsDamage) {
    TestIndex index;
    fillFolder(index, 3000);
    std::string blob = folderBlob(index);
    std::vector<store::CrawledItem> all;
    ASSERT_TRUE(store::decodeEntries(blob, all));
    blob[GetParam().at] = static_cast<char>(blob[GetParam().at] + GetParam().delta);
    store::Status status;
    store::Stmt stmt = store::prepare(index.db(), "UPDATE dirs SET entries = ?1 WHERE id = 1", status);
    store::bindBlob(stmt.get(), 1, blob);
    ASSERT_EQ(sqlite3_step(stmt.get()), SQLITE_DONE);
    RowReader rows(index.db());
    size_t reported = 0;
    for (uint32_t pos = 0; pos < 3000; ++pos) {
        FetchedItem row;
        try {
            if (rows.read(store::entryId(1, pos), row)) {
                EXPECT_EQ(row.name, all[pos].name) << pos;
                EXPECT_EQ(row.mtime, all[pos].mtime) << pos;
            }
        } catch (const SafecallError& e) {
            EXPECT_EQ(e.code(), kIndexDamaged);
            ++reported;
        }
    }
    EXPECT_GT(reported, 0u) << "the entries of the runs whose bounds are wrong";
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedFolderRow,
                         ::testing::Values(StoredDamage{"offset", 2 + 4 * 5, 1}, StoredDamage{"offset", 2 + 4 * 5, -3},
                                           StoredDamage{"last offset", 2 + 4 * 45, 2}, StoredDamage{"count", 0, 1},
                                           StoredDamage{"count", 0, -1}));

}  // namespace
}  // namespace skimmer::index::query
