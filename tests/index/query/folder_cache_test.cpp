#include "index/query/folder_cache.h"
#include "index/storage/folder_entries.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace skimmer::index::query {
namespace {

std::string folderBlob(uint32_t entries, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<store::CrawledItem> rows;
    for (uint32_t i = 0; i < entries; ++i) {
        const int64_t mtime = std::uniform_int_distribution<int64_t>(0, 2'000'000'000)(rng);
        rows.push_back({.name = "f" + std::to_string(seed) + "_" + std::to_string(i) + ".txt", .kind = 2, .ext = "txt",
                        .size = i, .mtime = mtime, .ctime = mtime + 1});
    }
    return store::encodeEntries(std::move(rows));
}

// Folders inserted in a random order through rings of several budgets (growing from their first
// size, wrapping many times): whatever is held reads back exactly what was inserted, the bytes
// held never pass the budget, and a folder just inserted is always held.
class Ring : public ::testing::TestWithParam<size_t> {};

TEST_P(Ring, HeldFoldersReadBackWhatWasInsertedWithinTheBudget) {
    const size_t budget = GetParam();
    FolderCache cache(budget);
    std::mt19937 rng(static_cast<unsigned>(budget));
    std::vector<std::string> blobs(400);
    std::vector<std::vector<store::CrawledItem>> decoded(blobs.size());
    for (uint32_t f = 1; f < blobs.size(); ++f) {
        blobs[f] = folderBlob(1 + f % 97 * 7, f);
        ASSERT_TRUE(store::decodeEntries(blobs[f], decoded[f]));
    }
    for (int round = 0; round < 3000; ++round) {
        const auto dir = std::uniform_int_distribution<int64_t>(1, static_cast<int64_t>(blobs.size()) - 1)(rng);
        const std::string path = "/p/" + std::to_string(dir);
        const FolderCache::Folder* folder = cache.find(dir);
        if (folder == nullptr) {
            folder = cache.insert(dir, blobs[static_cast<size_t>(dir)], path);
            ASSERT_NE(folder, nullptr);
            ASSERT_LE(cache.bytesHeld(), budget);
        }
        ASSERT_EQ(folder->path, path);
        ASSERT_EQ(folder->count, decoded[static_cast<size_t>(dir)].size());
        const auto pos = std::uniform_int_distribution<uint32_t>(0, folder->count)(rng);
        store::EntryView row;
        if (pos == folder->count) {
            EXPECT_FALSE(folder->view(pos, row)) << "past the end";
            continue;
        }
        ASSERT_TRUE(folder->view(pos, row));
        const store::CrawledItem& want = decoded[static_cast<size_t>(dir)][pos];
        ASSERT_EQ(row.name, want.name);
        ASSERT_EQ(std::tie(row.kind, row.attrs, row.size, row.mtime, row.ctime),
                  std::tie(want.kind, want.attrs, want.size, want.mtime, want.ctime)) << dir << " " << pos;
    }
    // A ring whose budget is many times its first size grew to it, instead of dropping everything
    // at its first size over and over (the folders here take 4 MB in all).
    if (budget >= (size_t{1} << 20)) {
        EXPECT_GT(cache.bytesHeld(), budget / 2);
    }
    EXPECT_EQ(cache.insert(7, std::string("\x05", 1), "/damaged"), nullptr) << "a damaged blob is never held";
}

// 4 KB: most folders wrap the ring at once; 64 KB and 3 MB: the ring grows from its first size.
INSTANTIATE_TEST_SUITE_P(Budgets, Ring, ::testing::Values(size_t{4096}, size_t{65536}, size_t{3} << 20));

}  // namespace
}  // namespace skimmer::index::query
