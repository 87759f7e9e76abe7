// The watcher's folder table: every path comes back as it went in, folders that share a prefix
// share its names, and releasing a folder drops exactly the ancestors nothing else holds.
#include "index/watch/folder_tree.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace skimmer::index::watch {
namespace {

struct TreeCase {
    std::vector<std::string> added;  // each flagged crawled
    size_t nodes;                    // "/" and every component, shared ones once
    std::string released;            // its flag cleared, then released
    size_t nodesAfter;
    std::vector<std::string> gone;   // no longer found afterwards
};

class FolderTreeCases : public ::testing::TestWithParam<TreeCase> {};

TEST_P(FolderTreeCases, PathsRoundTripAndReleaseDropsOnlyWhatNothingHolds) {
    const TreeCase& c = GetParam();
    FolderTree tree;
    for (const std::string& path : c.added) {
        const FolderTree::Id id = tree.add(path);
        tree.set(id, FolderTree::kCrawled, true);
        EXPECT_EQ(tree.path(id), path);
        EXPECT_EQ(tree.add(path), id) << "adding again finds the same folder";
    }
    EXPECT_EQ(tree.size(), c.nodes);
    const FolderTree::Id released = tree.find(c.released);
    ASSERT_NE(released, FolderTree::kNone);
    tree.set(released, FolderTree::kCrawled, false);
    tree.release(released);
    EXPECT_EQ(tree.size(), c.nodesAfter);
    for (const std::string& path : c.gone) EXPECT_EQ(tree.find(path), FolderTree::kNone) << path;
    for (const std::string& path : c.added) {
        if (std::find(c.gone.begin(), c.gone.end(), path) != c.gone.end()) continue;
        const FolderTree::Id id = tree.find(path);
        ASSERT_NE(id, FolderTree::kNone) << path;
        EXPECT_EQ(tree.path(id), path);
    }
    // A released slot is used again, and the new folder answers to its own path only.
    const FolderTree::Id fresh = tree.add("/elsewhere/new");
    EXPECT_EQ(tree.path(fresh), "/elsewhere/new");
    EXPECT_EQ(tree.size(), c.nodesAfter + 2);
}

INSTANTIATE_TEST_SUITE_P(
    Trees, FolderTreeCases,
    ::testing::Values(
        // A leaf goes with the ancestors only it held; "/home" stays for the sibling.
        TreeCase{.added = {"/home/me/a/deep", "/home/you"}, .nodes = 6, .released = "/home/me/a/deep",
                 .nodesAfter = 3, .gone = {"/home/me/a/deep", "/home/me/a", "/home/me"}},
        // A folder with a known child stays (and so does its name) when its own flag goes.
        TreeCase{.added = {"/r", "/r/sub", "/r/sub/x"}, .nodes = 4, .released = "/r/sub", .nodesAfter = 4, .gone = {}},
        // Names that are prefixes of each other, and a name with spaces and bytes above ASCII.
        TreeCase{.added = {"/ab", "/a", "/a b/\xc3\xa9t\xc3\xa9", "/abc/ab"}, .nodes = 7, .released = "/abc/ab",
                 .nodesAfter = 5, .gone = {"/abc/ab", "/abc"}},
        // "/" itself is a folder that is never dropped; doubled slashes name the same folder.
        TreeCase{.added = {"/", "/x"}, .nodes = 2, .released = "/", .nodesAfter = 2, .gone = {}}));

TEST(FolderTree, AWatchHoldsAFolderAndFindDoesNotAdd) {
    FolderTree tree;
    EXPECT_EQ(tree.find("/not/there"), FolderTree::kNone);
    EXPECT_EQ(tree.size(), 1u);
    const FolderTree::Id id = tree.add("/w/x");
    EXPECT_EQ(tree.find("//w///x/"), id);
    tree.setWd(id, 7);
    tree.release(id);
    EXPECT_EQ(tree.find("/w/x"), id) << "held by its watch";
    tree.setWd(id, -1);
    tree.release(id);
    EXPECT_EQ(tree.find("/w/x"), FolderTree::kNone);
    EXPECT_EQ(tree.size(), 1u);
}

}  // namespace
}  // namespace skimmer::index::watch
