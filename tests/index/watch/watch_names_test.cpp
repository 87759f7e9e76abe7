// Between two rebuilds of the name sidecar, searches stay on it: each batch records the folders
// it changed, and a search answers from the sidecar plus those folders exactly what a search of a
// freshly crawled index answers.
#include "index/query/name_index_builder.h"
#include "tests/index/watch/watch_search.h"
#include "tests/index/watch/watch_test_util.h"

#include <filesystem>

namespace skimmer::index::watch::test {
namespace {

namespace fs = std::filesystem;

struct NamesStep {
    const char* name;
    std::function<void(const std::string& tree)> change;
};

class WatchedNames : public ::testing::TestWithParam<NamesStep>, public WatchFixture {};

TEST_P(WatchedNames, SearchesStayOnTheSidecarAndAnswerAsAFreshIndexDoes) {
    makeTree();
    rebuildNames = [](sqlite3* db) { return query::buildNameIndex(db).ok; };
    startWatcher();
    ASSERT_EQ(watcher->counters().namesRebuilds, 1);
    GetParam().change(tree);
    settle();
    EXPECT_EQ(watcher->counters().overlays, 1);
    EXPECT_EQ(watcher->counters().namesRebuilds, 1) << "the rebuild waits until the changes rest";
    const std::string freshDb = (home.cache() / "fresh.sqlite").string();
    fresh();  // crawls into freshDb
    ASSERT_TRUE(query::buildNameIndex(store::openIndexForWriting(freshDb).db.get()).ok);
    for (const char* text : {"t", "txt", "deep", "new", "photo", "a"}) {
        const Answer got = search(dbPath, text);
        EXPECT_FALSE(got.slow) << text;
        EXPECT_EQ(got.paths, search(freshDb, text).paths) << text;
    }
    now += settings.namesDelayMillis;
    EXPECT_EQ(watcher->nextDue(), now);
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(watcher->counters().namesRebuilds, 2);
    const Answer rebuilt = search(dbPath, "t");
    EXPECT_FALSE(rebuilt.slow);
    EXPECT_EQ(rebuilt.paths, search(freshDb, "t").paths);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WatchedNames,
    ::testing::Values(NamesStep{"NewFiles",
                                [](const std::string& t) {
                                    writeFile(t + "/a/deep/new-notes.txt");
                                    writeFile(t + "/new-top.txt");
                                }},
                      NamesStep{"RenamedFolder", [](const std::string& t) { fs::rename(t + "/a", t + "/b/a-new"); }},
                      NamesStep{"DeletedFiles",
                                [](const std::string& t) {
                                    fs::remove(t + "/a/deep/file.txt");
                                    fs::remove(t + "/b/photo.jpg");
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::index::watch::test
