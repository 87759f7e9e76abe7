// A crawl indexes every file, folder and link of the tree exactly once, with the right data, and
// nothing that is excluded.
#include "index/storage/kinds.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/support/temp_home.h"

#include <dirent.h>

namespace skimmer::index::store::test {
namespace {

// The expected rows, from lstat of every entry (recursing through real folders only).
void referenceWalk(const std::string& dir, const std::set<std::string>& excludedNames, Snapshot& out) {
    DIR* d = ::opendir(dir.c_str());
    ASSERT_NE(d, nullptr) << dir;
    while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || excludedNames.count(name)) continue;
        const std::string path = dir + "/" + name;
        struct stat st;
        ASSERT_EQ(::lstat(path.c_str(), &st), 0);
        Row r;
        r.mtime = st.st_mtime;
        r.attrs = (name[0] == '.' ? kAttrHidden : 0);
        if (S_ISDIR(st.st_mode)) {
            r.kind = static_cast<int>(Kind::Folder);
            r.attrs |= kAttrFolder;
            referenceWalk(path, excludedNames, out);
        } else if (S_ISLNK(st.st_mode)) {
            r.kind = static_cast<int>(Kind::Link);
            r.attrs |= kAttrLink;
            r.size = st.st_size;
            r.ext = extensionOf(name);
        } else {
            r.kind = static_cast<int>(kindFromName(name));
            r.size = st.st_size;
            r.ext = extensionOf(name);
        }
        if (!S_ISLNK(st.st_mode) && !(st.st_mode & S_IWUSR)) r.attrs |= kAttrReadOnly;
        out[path] = r;
    }
    ::closedir(d);
}

// Creation times depend on the file system (birth time or change time); compare them apart.
Snapshot withoutCreated(Snapshot rows) {
    for (auto& [key, row] : rows) row.ctime = 0;
    return rows;
}

class CrawlTest : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::string db = (home.cache() / "index.sqlite").string();

    void SetUp() override {
        makeDir(tree);
        makeDir(tree + "/Documents");
        makeDir(tree + "/Documents/Reports 2024");
        writeFile(tree + "/Documents/Reports 2024/budget.XLSX", "numbers");
        writeFile(tree + "/Documents/notes.txt", "hello world");
        writeFile(tree + "/Documents/locked.pdf", "pdf", 0444);
        writeFile(tree + "/.profile", "export A=1");
        makeDir(tree + "/.config");
        writeFile(tree + "/.config/app.conf", "x=1");
        makeDir(tree + "/Music");
        writeFile(tree + "/Music/song.mp3", std::string(1000, 'm'));
        writeFile(tree + "/Music/archive.tar.gz", "gz");
        writeFile(tree + "/noext", "");
        ASSERT_EQ(::symlink("Documents/notes.txt", (tree + "/notes-link").c_str()), 0);
        ASSERT_EQ(::symlink("Documents", (tree + "/docs-link").c_str()), 0);   // a folder link: not entered
        ASSERT_EQ(::symlink(".", (tree + "/Music/loop").c_str()), 0);         // a loop: not followed
        ASSERT_EQ(::symlink("missing", (tree + "/dangling.lnk").c_str()), 0);
        makeDir(tree + "/project");
        makeDir(tree + "/project/.git");
        writeFile(tree + "/project/.git/HEAD", "ref");
        makeDir(tree + "/project/node_modules");
        writeFile(tree + "/project/node_modules/pkg.js", "js");
        writeFile(tree + "/project/main.c", "int main;");
        writeFile(tree + "/project/scratch.tmp", "tmp");
    }
};

TEST_F(CrawlTest, EveryEntryIsIndexedOnceWithItsData) {
    CrawlOptions options = rootsOnly({tree});
    options.excludes = {"*.tmp", ".git", "node_modules"};
    const Crawled crawled = crawlInto(db, options);
    ASSERT_TRUE(crawled.result.status) << crawled.result.status.error;
    Snapshot expected;
    referenceWalk(tree, {".git", "node_modules", "scratch.tmp"}, expected);
    EXPECT_EQ(withoutCreated(crawled.rows), expected);
    EXPECT_EQ(crawled.result.stats.excluded, 3);
    EXPECT_EQ(crawled.result.stats.items, static_cast<int64_t>(expected.size()));
}

TEST_F(CrawlTest, KindsAttributesAndPlainFileUrlsFollowTheRules) {
    const Crawled crawled = crawlInto(db, rootsOnly({tree}));
    ASSERT_TRUE(crawled.result.status);
    const Snapshot& rows = crawled.rows;
    EXPECT_EQ(rows.at(tree + "/Documents/Reports 2024/budget.XLSX").kind, static_cast<int>(Kind::Document));
    EXPECT_EQ(rows.at(tree + "/Documents/Reports 2024/budget.XLSX").ext, "xlsx");
    EXPECT_EQ(rows.at(tree + "/Music/song.mp3").kind, static_cast<int>(Kind::Music));
    EXPECT_EQ(rows.at(tree + "/Music/song.mp3").size, 1000);
    EXPECT_EQ(rows.at(tree + "/Music/archive.tar.gz").ext, "gz");
    EXPECT_EQ(rows.at(tree + "/Documents").attrs, kAttrFolder);
    EXPECT_EQ(rows.at(tree + "/Documents").size, 0);
    EXPECT_EQ(rows.at(tree + "/.profile").attrs, kAttrHidden);
    EXPECT_EQ(rows.at(tree + "/.profile").ext, "");
    EXPECT_EQ(rows.at(tree + "/Documents/locked.pdf").attrs, kAttrReadOnly);
    EXPECT_EQ(rows.at(tree + "/docs-link").kind, static_cast<int>(Kind::Link));
    EXPECT_EQ(rows.at(tree + "/docs-link").attrs, kAttrLink);
    EXPECT_EQ(rows.at(tree + "/dangling.lnk").kind, static_cast<int>(Kind::Link));
    EXPECT_EQ(rows.count(tree + "/docs-link/notes.txt"), 0u) << "a folder link was followed";
    EXPECT_EQ(rows.count(tree + "/Music/loop/song.mp3"), 0u) << "a loop was followed";
    for (const auto& [key, row] : rows) {
        EXPECT_EQ(row.url, "") << key << ": plain files derive their URL from the folder";
        EXPECT_GT(row.mtime, 0) << key;
    }
}

TEST_F(CrawlTest, DefaultExclusionsLeaveOutCachesTrashAndRepositoryInternals) {
    makeDir(tree + "/.cache");
    writeFile(tree + "/.cache/blob", "x");
    makeDir(tree + "/.Trash-1000");
    makeDir(tree + "/project/__pycache__");
    CrawlOptions options = rootsOnly({tree});
    options.defaultExcludes = true;
    options.home = tree;
    const Crawled crawled = crawlInto(db, options);
    ASSERT_TRUE(crawled.result.status);
    for (const char* gone : {"/.cache", "/.Trash-1000", "/project/__pycache__", "/project/.git", "/project/node_modules"})
        EXPECT_EQ(crawled.rows.count(tree + gone), 0u) << gone;
    EXPECT_EQ(crawled.rows.count(tree + "/.config/app.conf"), 1u) << "hidden files are indexed";
}

TEST_F(CrawlTest, PathGlobsMatchWholePathsAndNestedRootsAreCrawledOnce) {
    CrawlOptions options = rootsOnly({tree, tree + "/Music", tree + "/Music/"});
    options.excludes = {tree + "/Documents/Reports*"};
    const Crawled crawled = crawlInto(db, options);
    ASSERT_TRUE(crawled.result.status);
    EXPECT_EQ(crawled.rows.count(tree + "/Documents/Reports 2024"), 0u);
    EXPECT_EQ(crawled.rows.count(tree + "/Documents/notes.txt"), 1u);
    EXPECT_EQ(crawled.rows.count(tree + "/Music/song.mp3"), 1u);  // snapshot() fails on duplicates
}

TEST_F(CrawlTest, UnreadableFoldersAreCountedNotFatal) {
    TestFs fs;
    fs.refuse = {"Music"};
    const Crawled crawled = crawlInto(db, rootsOnly({tree}), fs);
    ASSERT_TRUE(crawled.result.status);
    EXPECT_EQ(crawled.result.stats.unreadable, 1);
    EXPECT_EQ(crawled.rows.count(tree + "/Music"), 1u) << "the folder itself is still listed by its parent";
    EXPECT_EQ(crawled.rows.count(tree + "/Music/song.mp3"), 0u);
    EXPECT_EQ(crawled.rows.count(tree + "/noext"), 1u);
}

TEST_F(CrawlTest, ProgressIsVisibleInMetaAndTheHookRunsAfterTheCrawl) {
    CrawlOptions options = rootsOnly({tree});
    options.batchChanges = 3;
    int folders = 0, hookCalls = 0;
    int64_t hookGeneration = -1;
    CrawlHooks hooks;
    hooks.progress = [&](const CrawlProgress&) { ++folders; };
    hooks.afterCommit = [&](sqlite3* db) {
        ++hookCalls;
        hookGeneration = readMetaInt(db, kMetaGeneration).value_or(-1);
        EXPECT_NE(sqlite3_get_autocommit(db), 0) << "the hook must run outside a transaction";
    };
    TestFs fs;
    const Crawled crawled = crawlInto(db, options, fs, hooks);
    ASSERT_TRUE(crawled.result.status);
    EXPECT_EQ(hookCalls, 1);
    EXPECT_EQ(hookGeneration, crawled.generation);
    EXPECT_GT(crawled.generation, 1) << "small batches commit several times";
    EXPECT_EQ(folders, crawled.result.stats.folders);
    OpenedIndex index = openIndexForWriting(db);
    EXPECT_EQ(readMetaText(index.db.get(), kMetaCrawlState), "idle");
    EXPECT_EQ(readMetaInt(index.db.get(), kMetaItemsPending), 0);
    EXPECT_EQ(readMetaInt(index.db.get(), kMetaItemsSeen), crawled.result.stats.items);
    EXPECT_EQ(readMetaText(index.db.get(), kMetaRoots), tree);
}

}  // namespace
}  // namespace skimmer::index::store::test
