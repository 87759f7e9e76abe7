// The name sidecar is built beside the batches: changes written while a build runs are found by
// searches (old sidecar plus overlay), a build that is killed changes nothing readers see, and
// afterwards the overlay names whichever sidecar is on disk.
#include "index/query/name_index_builder.h"
#include "index/watch/names_builder.h"
#include "tests/index/watch/watch_search.h"
#include "tests/index/watch/watch_test_util.h"

#include <poll.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace skimmer::index::watch::test {
namespace {

namespace fs = std::filesystem;

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A build the test runs by hand: `buildNow` writes the sidecar from the index as it is (as a child
// would at that moment), `release` lets the watcher see that it ended.
class StepBuilder final : public NamesBuilder {
public:
    explicit StepBuilder(std::string db) : db_(std::move(db)) {}
    int begun = 0;
    bool begin(std::string&) override { return ++begun, true; }
    std::optional<NamesBuilt> outcome() override {
        if (!released_) return std::nullopt;
        released_ = false;
        return std::exchange(built_, {});
    }
    void buildNow() {
        const query::NameIndexBuildResult built = query::buildNameIndex(store::openIndexForWriting(db_).db.get());
        built_ = {.ok = built.ok, .generation = static_cast<int64_t>(built.generation), .error = built.error};
    }
    void release() { released_ = true; }
    void stop() override { released_ = false; }

private:
    std::string db_;
    NamesBuilt built_;
    bool released_ = false;
};

class NamesBuild : public ::testing::Test, public WatchFixture {
protected:
    // Every search agrees with a fresh crawl of the tree; `fast` when none may take the slow path.
    void searchesAgree(bool fast) {
        const std::string freshDb = (home.cache() / "fresh.sqlite").string();
        fresh();
        ASSERT_TRUE(query::buildNameIndex(store::openIndexForWriting(freshDb).db.get()).ok);
        for (const char* text : {"t", "new", "late", "photo"}) {
            const Answer got = search(dbPath, text);
            if (fast) {
                EXPECT_FALSE(got.slow) << text;
            }
            EXPECT_EQ(got.paths, search(freshDb, text).paths) << text;
        }
    }
    void startWith(NamesBuilder& builder) {
        index = store::openIndexForWriting(dbPath);
        ASSERT_TRUE(index.db) << index.status.error;
        watcher = std::make_unique<Watcher>(WatchContext{
            .db = index.db.get(), .options = &options, .fs = &fs, .source = &source, .rebuildNames = nullptr,
            .namesBuilder = &builder, .say = [this](const std::string& text) { said.push_back(text); },
            .extras = {}, .settings = settings, .held = nullptr});
        ASSERT_TRUE(watcher->start(now));
    }
    // Runs what is due after `millis`.
    void after(int64_t millis) {
        now += millis;
        ASSERT_TRUE(watcher->runDue(now));
    }
};

TEST_F(NamesBuild, BatchesGoOnWhileABuildRunsAndTheOverlayFollowsTheSidecarItLeaves) {
    makeTree();
    StepBuilder builder(dbPath);
    startWith(builder);
    ASSERT_EQ(builder.begun, 1);
    builder.buildNow();
    builder.release();
    after(settings.namesCheckMillis);
    writeFile(tree + "/a/new-one.txt");
    settle();
    searchesAgree(true);

    after(settings.namesDelayMillis);  // the changes rested: a second build begins
    ASSERT_EQ(builder.begun, 2);
    builder.buildNow();  // it reads the index now, and puts its sidecar in place ...
    writeFile(tree + "/b/late-one.txt");
    settle();  // ... while this batch is written, before the watcher hears that it ended
    EXPECT_EQ(watcher->counters().batches, 2);
    EXPECT_EQ(builder.begun, 2) << "one build at a time";
    searchesAgree(false);  // the sidecar and the overlay name different bases: slower, still right

    builder.release();
    after(settings.namesCheckMillis);
    searchesAgree(true);  // the overlay now names the new sidecar and holds the late change
    EXPECT_EQ(watcher->nextDue(), now + settings.namesDelayMillis) << "the next build waits for the changes to rest";
}

// An overlay that fills past `namesEarlyFolders` begins the next build at once, and searches stay
// on the sidecar and its overlay meanwhile; below it the build waits for the changes to rest.
class EarlyBuild : public NamesBuild, public ::testing::WithParamInterface<size_t> {};

TEST_P(EarlyBuild, BeginsWhenTheOverlayPassesItsMark) {
    makeTree();
    settings.namesEarlyFolders = GetParam();
    StepBuilder builder(dbPath);
    startWith(builder);
    builder.buildNow();
    builder.release();
    after(settings.namesCheckMillis);
    ASSERT_EQ(builder.begun, 1);
    writeFile(tree + "/a/new-one.txt");
    writeFile(tree + "/b/new-two.txt");
    settle();
    const bool early = GetParam() < 2;  // the two folders (and their parent) are in the overlay
    EXPECT_EQ(builder.begun, early ? 2 : 1);
    EXPECT_EQ(watcher->counters().overlays, 1);
    searchesAgree(true);
}

INSTANTIATE_TEST_SUITE_P(Marks, EarlyBuild, ::testing::Values(size_t{1}, store::kMaxOverlayFolders / 2));

// The real child, and one that writes half a sidecar and is killed.
class SwitchBuilder final : public NamesBuilder {
public:
    ChildNamesBuilder* current = nullptr;
    bool begin(std::string& error) override { return current->begin(error); }
    std::optional<NamesBuilt> outcome() override { return current->outcome(); }
    void stop() override { current->stop(); }
};

TEST_F(NamesBuild, AKilledBuildLeavesTheOldSidecarAndTheOverlayInUse) {
    const fs::path tool = fs::read_symlink("/proc/self/exe").parent_path() / "skimmer-index";
    if (!fs::exists(tool)) GTEST_SKIP() << "skimmer-index was not built";
    const fs::path sidecar = query::nameIndexPathFor(dbPath);
    makeTree();
    ChildNamesBuilder real({tool.string(), "--names-only", "--db", dbPath}, sidecar);
    ChildNamesBuilder killed({"/bin/sh", "-c", "printf half > \"$0.tmp.$$\"; kill -KILL $$", sidecar.string()},
                             sidecar);
    SwitchBuilder builder;
    builder.current = &real;
    startWith(builder);
    real.waitForEnd(std::chrono::seconds(60));
    after(settings.namesCheckMillis);
    ASSERT_TRUE(said.empty()) << said.front();
    writeFile(tree + "/a/new-one.txt");
    settle();
    const std::string before = bytesOf(sidecar);

    builder.current = &killed;
    after(settings.namesDelayMillis);
    killed.waitForEnd(std::chrono::seconds(60));
    after(settings.namesCheckMillis);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("killed by signal 9"), std::string::npos) << said[0];
    EXPECT_EQ(bytesOf(sidecar), before);
    for (const auto& entry : fs::directory_iterator(sidecar.parent_path()))
        EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << entry.path();
    searchesAgree(true);
    writeFile(tree + "/b/late-one.txt");  // the overlay grows on the old base
    settle();
    searchesAgree(true);
}

// A build that never ends: stopped at its deadline (proportionate to the index), said, and
// tried again later.
class HungBuilder final : public NamesBuilder {
public:
    int begun = 0, stopped = 0;
    bool running = false;
    bool begin(std::string&) override { return ++begun, running = true; }
    std::optional<NamesBuilt> outcome() override { return std::nullopt; }
    void stop() override { ++stopped, running = false; }
};

struct Deadline {
    int64_t base, perMillion;
};

class HungBuild : public NamesBuild, public ::testing::WithParamInterface<Deadline> {};

TEST_P(HungBuild, IsStoppedAtItsDeadlineAndTriedAgainLater) {
    makeTree();
    ASSERT_TRUE(query::buildNameIndex(store::openIndexForWriting(dbPath).db.get()).ok);  // an old sidecar
    settings.namesBuildMillis = GetParam().base;
    settings.namesBuildMillisPerMillion = GetParam().perMillion;
    HungBuilder builder;
    startWith(builder);
    ASSERT_EQ(builder.begun, 1);
    const int64_t items = store::readMetaInt(index.db.get(), store::kMetaItemCount).value_or(-1);
    ASSERT_GT(items, 0);
    const int64_t deadline = GetParam().base + GetParam().perMillion * items / 1000000;
    const int64_t began = now;
    while (now + settings.namesCheckMillis < began + deadline) after(settings.namesCheckMillis);
    EXPECT_EQ(builder.stopped, 0) << "not before its deadline";
    EXPECT_TRUE(said.empty());
    now = began + deadline;
    ASSERT_TRUE(watcher->runDue(now));
    EXPECT_EQ(builder.stopped, 1);
    EXPECT_FALSE(builder.running);
    EXPECT_EQ(watcher->counters().namesStopped, 1);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("stopped, still running after"), std::string::npos) << said[0];
    const int64_t retry = watcher->nextDue();
    EXPECT_GE(retry, now + settings.retryMillis) << "another build waits";
    after(retry - now - 1);
    EXPECT_EQ(builder.begun, 1);
    after(1);
    EXPECT_EQ(builder.begun, 2) << "tried again after the wait";
}

INSTANTIATE_TEST_SUITE_P(Deadlines, HungBuild,
                         ::testing::Values(Deadline{.base = 1000, .perMillion = 0},
                                           Deadline{.base = 500, .perMillion = 100000000}));

// The real child that hangs: stopping it kills it, and it gives no outcome afterwards.
TEST(ChildNamesBuilder, StopKillsAHungChildAndLeavesNoOutcome) {
    ChildNamesBuilder hung({"/bin/sh", "-c", "exec sleep 1000"}, "/nonexistent/names");
    std::string error;
    ASSERT_TRUE(hung.begin(error)) << error;
    EXPECT_FALSE(hung.outcome().has_value());
    hung.stop();
    EXPECT_FALSE(hung.outcome().has_value());
    hung.stop();  // nothing left to stop
}

// The end of a child wakes a poll on its descriptor, and its outcome is there at that moment: the
// watcher writes the new sidecar's overlay without waiting for a timer.
struct ChildEnd {
    const char* script;
    bool ok;
    const char* error;  // part of the failure's text
};

class ChildNamesEnd : public ::testing::TestWithParam<ChildEnd> {};

TEST_P(ChildNamesEnd, WakesAPollWithItsOutcomeReady) {
    ChildNamesBuilder child({"/bin/sh", "-c", GetParam().script}, "/nonexistent/names");
    std::string error;
    ASSERT_TRUE(child.begin(error)) << error;
    std::optional<NamesBuilt> built;
    for (int wakes = 0; !built && wakes < 4; ++wakes) {
        pollfd fd{.fd = child.waitFd(), .events = POLLIN, .revents = 0};
        ASSERT_GE(fd.fd, 0);
        ASSERT_EQ(::poll(&fd, 1, 60000), 1) << "the child's end wakes the poll";
        built = child.outcome();
    }
    ASSERT_TRUE(built.has_value());
    EXPECT_EQ(built->ok, GetParam().ok) << built->error;
    EXPECT_NE(built->error.find(GetParam().error), std::string::npos) << built->error;
    if (built->ok) {
        EXPECT_EQ(built->generation, 3);
    }
    EXPECT_EQ(child.waitFd(), -1) << "nothing left to wait for";
}

INSTANTIATE_TEST_SUITE_P(Ends, ChildNamesEnd,
                         ::testing::Values(ChildEnd{.script = "echo generation 3", .ok = true, .error = ""},
                                           ChildEnd{.script = "echo half; exit 4", .ok = false, .error = "ended with code 4"},
                                           ChildEnd{.script = "exec 1>&-; kill -KILL $$", .ok = false,
                                                    .error = "killed by signal 9"}));

}  // namespace
}  // namespace skimmer::index::watch::test
