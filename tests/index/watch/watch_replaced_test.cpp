// Folders replaced under their names: one moved away and another moved in (in one window, at any
// depth, a root too, and back again), and names that change only in letter case. After each step
// the index equals a fresh crawl, a file written in every folder of the tree reaches it, and
// writes in the folders that went are no longer followed. Time is moved by hand: nothing sleeps.
#include "tests/index/watch/watch_test_util.h"

#include <filesystem>
#include <functional>

namespace skimmer::index::watch::test {
namespace {

namespace fs = std::filesystem;

using Step = std::function<void(const std::string& tree, const std::string& outside)>;

struct ReplaceCase {
    const char* name;
    std::vector<Step> steps;
};

// Another folder for each name the tree has, with subfolders of the same names (each a new inode
// at a path the watcher knows) and some of its own.
void makeReplacements(const std::string& outside) {
    fs::create_directories(outside + "/a2/deep/below");
    writeFile(outside + "/a2/deep/below/new.txt", "new");
    fs::create_directories(outside + "/a2/own");
    fs::create_directories(outside + "/deep2/inner");
    writeFile(outside + "/deep2/inner/x.txt", "x");
    fs::create_directories(outside + "/t2/a/deep");
    fs::create_directories(outside + "/t2/c");
    writeFile(outside + "/t2/c/y.txt", "y");
}

std::vector<std::string> foldersOf(const std::string& root) {
    std::vector<std::string> folders{root};
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_directory() && !entry.is_symlink()) folders.push_back(entry.path().string());
    return folders;
}

void move(const std::string& from, const std::string& to) { fs::rename(from, to); }

class ReplacedFolder : public ::testing::TestWithParam<ReplaceCase>, public WatchFixture {};

// One folder at a time: a refresh visits a folder's parent too, and would find a write in an
// unwatched sibling through it.
TEST_P(ReplacedFolder, EveryFolderIsFollowedAsWhatHoldsItsNameNow) {
    makeTree();
    makeReplacements(outside);
    startWatcher();
    for (size_t round = 0; round < GetParam().steps.size(); ++round) {
        GetParam().steps[round](tree, outside);
        settle();
        ASSERT_EQ(againstFresh(), "") << "after step " << round;
        for (const std::string& folder : foldersOf(tree)) {
            const std::string probe = folder + "/probe-" + std::to_string(round) + ".txt";
            writeFile(probe, "p");
            settle();
            EXPECT_EQ(rows().count(probe), 1u) << "a write in " << folder << " after step " << round;
        }
        EXPECT_EQ(againstFresh(), "") << "after step " << round;
        fs.listings = 0;
        for (const std::string& folder : foldersOf(outside)) writeFile(folder + "/away-" + std::to_string(round) + ".txt");
        settle();
        EXPECT_EQ(fs.listings, 0) << "a folder that left the tree is not followed after step " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Swaps, ReplacedFolder,
    ::testing::Values(
        ReplaceCase{"SwapInOneWindow",
                    {[](auto& t, auto& o) {
                        move(t + "/a", o + "/a_old");
                        move(o + "/a2", t + "/a");
                    }}},
        ReplaceCase{"SwapInTwoWindowsThenBack",
                    {[](auto& t, auto& o) { move(t + "/a", o + "/a_old"); },
                     [](auto& t, auto& o) { move(o + "/a2", t + "/a"); },
                     [](auto& t, auto& o) {
                         move(t + "/a", o + "/a2");
                         move(o + "/a_old", t + "/a");
                     }}},
        ReplaceCase{"NestedSwapAndBack",
                    {[](auto& t, auto& o) {
                         move(t + "/a/deep", o + "/deep_old");
                         move(o + "/deep2", t + "/a/deep");
                     },
                     [](auto& t, auto& o) {
                         move(t + "/a/deep", o + "/deep2");
                         move(o + "/deep_old", t + "/a/deep");
                     }}},
        ReplaceCase{"SwapWhileTheOldOneStaysInTheTree",
                    {[](auto& t, auto& o) {
                        move(t + "/a", t + "/b/a_old");
                        move(o + "/a2", t + "/a");
                    }}},
        ReplaceCase{"SwapTwoFoldersOfTheTree",
                    {[](auto& t, auto&) {
                        move(t + "/a", t + "/swap");
                        move(t + "/b", t + "/a");
                        move(t + "/swap", t + "/b");
                    }}},
        ReplaceCase{"RootSwapAndBack",
                    {[](auto& t, auto& o) {
                         move(t, o + "/tree_old");
                         move(o + "/t2", t);
                     },
                     [](auto& t, auto& o) {
                         move(t, o + "/t2");
                         move(o + "/tree_old", t);
                     }}},
        ReplaceCase{"CaseOnlyRenameAndBack",
                    {[](auto& t, auto&) { move(t + "/a", t + "/A"); }, [](auto& t, auto&) { move(t + "/A", t + "/a"); },
                     [](auto& t, auto&) { move(t + "/a/deep/file.txt", t + "/a/deep/FILE.txt"); },
                     [](auto& t, auto&) { move(t + "/a/deep/FILE.txt", t + "/a/deep/file.txt"); }}}),
    [](const ::testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::index::watch::test
