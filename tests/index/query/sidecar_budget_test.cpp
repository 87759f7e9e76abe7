// The name sidecar is the same file, byte for byte, whatever memory budget it is built with: a
// budget of a few kilobytes spills dozens of sorted runs and fills the postings in dozens of
// windows, and must write what one sort in memory and one window write.
#include "index/query/name_index_reader.h"
#include "tests/index/query/test_index.h"

#include <fstream>
#include <iterator>

namespace skimmer::index::query::test {
namespace {

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Budget {
    size_t bytes;
    uint32_t denseMinDocs;  // 0: common grams' lists are left out; huge: every list is stored
};

class SidecarBudget : public ::testing::TestWithParam<Budget> {};

TEST_P(SidecarBudget, WritesTheFileOfABuildInMemory) {
    TestIndex index;
    fillRandom(index, 3000, 4321);
    const Budget budget = GetParam();
    const auto path = nameIndexPathFor(index.file());
    const NameIndexBuildResult inMemory = buildNameIndex(index.db(), {16, budget.denseMinDocs, true});
    ASSERT_TRUE(inMemory.ok) << inMemory.error;
    ASSERT_EQ(inMemory.sortedRuns, 0u);
    ASSERT_EQ(inMemory.postingWindows, 1u);
    const std::string expected = fileBytes(path);

    NameIndexBuildOptions small{16, budget.denseMinDocs, true};
    small.memoryBudget = budget.bytes;
    const NameIndexBuildResult built = buildNameIndex(index.db(), small);
    ASSERT_TRUE(built.ok) << built.error;
    EXPECT_GE(built.sortedRuns, 4u) << "the budget forces several runs";
    EXPECT_GE(built.postingWindows, 4u) << "and several windows";
    EXPECT_EQ(built.documents, inMemory.documents);
    const std::string bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), expected.size());
    EXPECT_TRUE(bytes == expected) << "the first difference is at byte "
                                   << std::distance(bytes.begin(), std::mismatch(bytes.begin(), bytes.end(), expected.begin()).first);
    NameIndex::Opened opened = NameIndex::open(path);
    ASSERT_TRUE(opened.index) << opened.error;
    std::string why;
    EXPECT_TRUE(opened.index->verifyWhole(why)) << why;
    EXPECT_TRUE(std::filesystem::is_empty(index.file().parent_path()) ||
                std::none_of(std::filesystem::directory_iterator(index.file().parent_path()), {},
                             [](const auto& entry) { return entry.path().string().find(".spill.") != std::string::npos ||
                                                            entry.path().string().find(".tmp.") != std::string::npos; }))
        << "no temporary file is left beside the index";
}

INSTANTIATE_TEST_SUITE_P(Budgets, SidecarBudget,
                         ::testing::Values(Budget{2 * 1024, 0}, Budget{2 * 1024, 1u << 30}, Budget{6 * 1024, 0},
                                           Budget{16 * 1024, 1u << 30}));

}  // namespace
}  // namespace skimmer::index::query::test
