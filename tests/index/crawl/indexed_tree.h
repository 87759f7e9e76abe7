// The tree the crawl and watch tests index, under a private home: the folder, the index file
// beside it, the crawl options that take the tree as the only root, and the fresh crawl of the same
// tree that every state of the index is compared with. Shared by tests/index/crawl and
// tests/index/watch so both speak of the same tree.
#pragma once

#include <cstdio>
#include <string>

#include "tests/index/crawl/store_test_util.h"
#include "tests/support/temp_home.h"

namespace skimmer::index::store::test {

struct IndexedTree {
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::string dbPath = (home.cache() / "index.sqlite").string();
    CrawlOptions options = rootsOnly({tree});

    // tree/a/deep/file.txt, tree/a/keep.md, tree/b/photo.jpg and tree/top.txt.
    void makeTree() {
        makeDir(tree);
        makeDir(tree + "/a");
        makeDir(tree + "/a/deep");
        writeFile(tree + "/a/deep/file.txt", "one");
        writeFile(tree + "/a/keep.md", "keep");
        makeDir(tree + "/b");
        writeFile(tree + "/b/photo.jpg", "jpg");
        writeFile(tree + "/top.txt", "top");
    }

    // What a crawl from scratch of the same tree gives, into an index of its own.
    Snapshot fresh() {
        const std::string other = (home.cache() / "fresh.sqlite").string();
        for (const char* suffix : {"", "-wal", "-shm"}) std::remove((other + suffix).c_str());
        return crawlInto(other, options).rows;
    }
};

}  // namespace skimmer::index::store::test
