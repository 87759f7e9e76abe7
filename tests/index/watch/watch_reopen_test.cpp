// A watcher whose index file is moved aside (by another skimmer-index that found it damaged)
// notices at its next batch, opens the file now at the path and brings it up to date; the moved
// file gets none of the new changes.
#include "index/storage/index_files.h"
#include "index/watch/held_index.h"
#include "tests/index/watch/watch_test_util.h"

#include <filesystem>

namespace skimmer::index::watch::test {
namespace {

namespace fs = std::filesystem;

struct Replacement {
    const char* name;
    bool newIndexMade;  // the other skimmer-index already made a fresh index at the path
};

class ReplacedIndex : public ::testing::TestWithParam<Replacement>, public WatchFixture {};

TEST_P(ReplacedIndex, IsNoticedAndReopenedAtTheNextBatch) {
    makeTree();
    HeldIndex held(dbPath);
    ASSERT_TRUE(held.open());
    Watcher watching(WatchContext{.db = held.db(), .options = &options, .fs = &fs, .source = &source,
                                  .rebuildNames = nullptr, .namesBuilder = nullptr,
                                  .say = [this](const std::string& text) { said.push_back(text); },
                                  .extras = {}, .settings = settings, .held = &held});
    ASSERT_TRUE(watching.start(now));
    writeFile(tree + "/a/before.txt");
    std::vector<WatchEvent> events;
    int error = 0;
    const auto settleHere = [&] {
        events.clear();
        ASSERT_TRUE(source.read(events, error)) << error;
        watching.take(events, now);
        now += settings.coalesceMillis;
        ASSERT_TRUE(watching.runDue(now));
    };
    settleHere();
    EXPECT_EQ(watching.counters().reopens, 0) << "an unchanged file is kept";

    fs::path movedTo;
    ASSERT_TRUE(store::moveDatabaseAside(dbPath, movedTo));
    if (GetParam().newIndexMade) {
        ASSERT_TRUE(store::openIndexForWriting(dbPath).db);
    }
    writeFile(tree + "/b/after.txt");
    settleHere();
    EXPECT_EQ(watching.counters().reopens, 1);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("replaced"), std::string::npos) << said[0];
    EXPECT_EQ(differences(store::test::snapshot(held.db()), fresh()), "");
    const store::test::Snapshot moved = store::test::snapshot(store::openIndexForWriting(movedTo).db.get());
    for (const auto& [key, row] : moved) EXPECT_EQ(key.find("after.txt"), std::string::npos) << key;
}

INSTANTIATE_TEST_SUITE_P(Ways, ReplacedIndex,
                         ::testing::Values(Replacement{"MovedAsideOnly", false},
                                           Replacement{"MovedAsideAndMadeAnew", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::index::watch::test
