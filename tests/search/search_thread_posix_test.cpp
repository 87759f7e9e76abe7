// The search thread against a scripted work: typing storms (only the newest text's lines stay,
// never an older text's batch after a newer text was taken), cooperative suspension, and closing
// at any moment (thread joined, engine closed once, child reaped, no descriptor left open).
#include "search/search_thread.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "os/process.h"
#include "tests/support/open_descriptors.h"

namespace skimmer::search {
namespace {

using namespace std::chrono_literals;

// A window and an engine in one: "batches" of lines tagged with their text, filed into a screen
// under a lock that stands in for the host's UI lock.
class ScriptedWork : public TSearchWork {
public:
    int batchesPerText = 4;
    // Changed by a test between searches, read by the thread: atomic.
    std::atomic<bool> recordReady{true};
    std::atomic<int32_t> openResult{0};
    std::atomic<int> failAfterBatches{-1};  // runPlan fails after this many batches; -1: never
    bool startChild = false;  // openEngine starts a child that floods its pipe, as locate may

    std::mutex ui;                       // the host's UI lock
    std::vector<std::string> screen;     // filed lines, under `ui`
    std::mutex violationsMutex;
    std::vector<std::string> violations;  // under violationsMutex
    // The window holds the thread. Read without the UI lock: engine work never takes it (only
    // host calls do), or a suspend from inside the lock would wait for ever.
    std::atomic<bool> windowSuspended{false};

    std::mutex doneMutex;
    std::condition_variable doneSignal;
    std::string lastEnded;               // text of the last search that ran to its end
    int engineOpens = 0, engineCloses = 0, frees = 0, closes = 0, missing = 0, failed = 0;
    int clears = 0, searchFailures = 0;  // under doneMutex

    int32_t openEngine(bool& ready) override {
        ready = recordReady;
        ++engineOpens;
        if (startChild && openResult == 0) {
            std::string error;
            child = os::Process::start({.argv = {"yes", "line"}, .captureStdout = true}, error);
            if (!child) throw std::runtime_error(error);
        }
        return openResult;
    }
    void closeEngine() override {
        child.reset();
        std::lock_guard lock(doneMutex);
        ++engineCloses;
        doneSignal.notify_all();
    }
    void reportEngineMissing() override { ++missing; }
    void reportOpenFailed() override { ++failed; }
    void clearResults(TSearchThread& thread) override {
        {
            TSearchThread::HostCall call(thread);
            std::lock_guard lock(ui);
            screen.clear();
        }
        std::lock_guard lock(doneMutex);
        ++clears;
        doneSignal.notify_all();
    }
    void searchFailed(TSearchThread&) override {
        std::lock_guard lock(doneMutex);
        ++searchFailures;
        doneSignal.notify_all();
    }
    bool runPlan(TSearchThread& thread) override {
        const std::string text = thread.CurrentQuery();
        if (text.empty()) {
            std::lock_guard lock(violationsMutex);
            violations.push_back("an empty text was searched");
        }
        for (int batch = 0; batch < batchesPerText; ++batch) {
            if (!thread.checkpoint()) return true;
            if (batch == failAfterBatches.load()) {
                // As the window's work does it: the engine's failure is said, then the search ends.
                reportFailure("Safecall error: '80004005'");
                return false;
            }
            fetch(thread);
            TSearchThread::HostCall call(thread);
            std::lock_guard lock(ui);
            for (int row = 0; row < 5; ++row) screen.push_back(text);
            thread.LineCount += 5;
        }
        std::lock_guard lock(doneMutex);
        lastEnded = text;
        doneSignal.notify_all();
        return true;
    }
    void searchEnded(TSearchThread&) override {}
    void freeResults(TSearchThread&) override { ++frees; }
    void closeWindow() override { ++closes; }
    void reportFailure(const std::string& what) override {
        std::lock_guard lock(violationsMutex);
        violations.push_back("failure: " + what);
    }

    // Waits (on an event, not a clock) until the search for `text` ran to its end.
    bool waitEnded(const std::string& text) {
        std::unique_lock lock(doneMutex);
        return doneSignal.wait_for(lock, 60s, [&] { return lastEnded == text; });
    }

private:
    // Engine work outside any host call: must never run while the window holds the thread.
    void fetch(TSearchThread&) {
        if (windowSuspended.load()) {
            std::lock_guard lock(violationsMutex);
            violations.push_back("engine work while suspended");
        }
        if (child) {
            std::string out;
            child->waitForEvent(10ms);
            child->readOutput(out, 2400);
        }
    }
    std::unique_ptr<os::Process> child;
};

struct StormCase {
    const char* name;
    int keys;
    int batchesPerText;
    int maxYields;  // between two keys
    int suspendEvery;  // 0: never suspend
};

class TypingStorm : public ::testing::TestWithParam<StormCase> {};

// Only the newest text's lines are on screen once the storm is over, and the thread never runs
// engine work while the window holds it suspended.
TEST_P(TypingStorm, OnlyTheNewestTextsLinesRemain) {
    const StormCase& storm = GetParam();
    ScriptedWork work;
    work.batchesPerText = storm.batchesPerText;
    std::string last;
    {
        TSearchThread thread(work);
        thread.resume();
        std::mt19937 random(storm.keys);
        for (int key = 0; key < storm.keys; ++key) {
            last = "text" + std::to_string(key);
            thread.setPendingQuery(last, static_cast<int32_t>(last.size()));
            for (int y = static_cast<int>(random() % (storm.maxYields + 1)); y > 0; --y) std::this_thread::yield();
            if (storm.suspendEvery && key % storm.suspendEvery == 0) {
                // As a dialog procedure does: the UI lock is held while the thread is suspended.
                std::lock_guard lock(work.ui);
                thread.suspend();
                work.windowSuspended = true;
                std::this_thread::yield();
                work.windowSuspended = false;
                thread.resume();
            }
        }
        ASSERT_TRUE(work.waitEnded(last));
        std::lock_guard lock(work.ui);
        ASSERT_EQ(work.screen.size(), 5u * storm.batchesPerText);
        for (const std::string& line : work.screen) EXPECT_EQ(line, last);
        EXPECT_EQ(thread.LineCount.load(), 5 * storm.batchesPerText);
        EXPECT_FALSE(thread.superseded());
    }
    EXPECT_TRUE(work.violations.empty()) << work.violations.front();
    EXPECT_EQ(work.engineOpens, 1);
    EXPECT_EQ(work.engineCloses, 1);
    EXPECT_EQ(work.frees, 1);
    EXPECT_EQ(work.closes, 0);
}

INSTANTIATE_TEST_SUITE_P(Storms, TypingStorm,
                         ::testing::Values(StormCase{"thousand_keys_no_gap", 1000, 4, 0, 0},
                                           StormCase{"thousand_keys_ragged", 1000, 8, 200, 0},
                                           StormCase{"long_searches", 300, 64, 50, 0},
                                           StormCase{"suspended_often", 500, 8, 50, 7}),
                         [](const auto& info) { return std::string(info.param.name); });

struct OpenFailureCase {
    const char* name;
    bool recordReady;
    int32_t openResult;
    int missing, failed;
};

class EngineOpening : public ::testing::TestWithParam<OpenFailureCase> {};

// An engine that cannot be opened is said once for the text that asked for it, which gets no
// lines; the thread goes on, and the next text opens the engine again and is searched.
TEST_P(EngineOpening, AFailedOpenEndsOnlyItsText) {
    const OpenFailureCase& c = GetParam();
    ScriptedWork work;
    work.recordReady = c.recordReady;
    work.openResult = c.openResult;
    {
        TSearchThread thread(work);
        thread.resume();
        thread.setPendingQuery("abc", 3);
        {
            std::unique_lock lock(work.doneMutex);
            ASSERT_TRUE(work.doneSignal.wait_for(lock, 60s, [&] { return work.engineCloses == 1; }));
        }
        EXPECT_EQ(work.missing, c.missing);
        EXPECT_EQ(work.failed, c.failed);
        EXPECT_FALSE(thread.EngineReady.load());
        work.recordReady = true;
        work.openResult = 0;
        thread.setPendingQuery("abd", 3);
        ASSERT_TRUE(work.waitEnded("abd"));
        EXPECT_TRUE(thread.EngineReady.load());
        std::lock_guard lock(work.ui);
        EXPECT_EQ(work.screen, std::vector<std::string>(5u * work.batchesPerText, "abd"));
    }
    EXPECT_EQ(work.missing, c.missing) << "said once, for the failed text only";
    EXPECT_EQ(work.failed, c.failed);
    EXPECT_EQ(work.engineOpens, 2);
    EXPECT_EQ(work.engineCloses, 2);
    EXPECT_TRUE(work.violations.empty()) << work.violations.front();
}

INSTANTIATE_TEST_SUITE_P(Failures, EngineOpening,
                         ::testing::Values(OpenFailureCase{"no_engine", false, 1000, 1, 0},
                                           OpenFailureCase{"open_failed", true, 31, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

class FailingSearch : public ::testing::TestWithParam<int> {};

// An engine that fails part-way through a search (after 0, 1 or 3 batches) ends that search only:
// its lines stay and are counted, the failure is said once, the engine is closed, and the next
// text opens it again and gets all of its lines.
TEST_P(FailingSearch, EndsOnlyThatSearchAndTheNextTextReopensTheEngine) {
    ScriptedWork work;
    work.failAfterBatches = GetParam();
    {
        TSearchThread thread(work);
        thread.resume();
        thread.setPendingQuery("abc", 3);
        {
            std::unique_lock lock(work.doneMutex);
            ASSERT_TRUE(work.doneSignal.wait_for(lock, 60s, [&] { return work.engineCloses == 1; }));
            EXPECT_EQ(work.searchFailures, 1);
        }
        {
            std::lock_guard lock(work.ui);
            EXPECT_EQ(work.screen, std::vector<std::string>(5u * static_cast<size_t>(GetParam()), "abc"));
        }
        work.failAfterBatches = -1;
        thread.setPendingQuery("abd", 3);
        ASSERT_TRUE(work.waitEnded("abd"));
        std::lock_guard lock(work.ui);
        EXPECT_EQ(work.screen.size(), 5u * work.batchesPerText);
    }
    ASSERT_EQ(work.violations.size(), 1u);
    EXPECT_EQ(work.violations[0], "failure: Safecall error: '80004005'");
    EXPECT_EQ(work.engineOpens, 2);
    EXPECT_EQ(work.engineCloses, 2);
    EXPECT_EQ(work.frees, 1);
}

INSTANTIATE_TEST_SUITE_P(Batches, FailingSearch, ::testing::Values(0, 1, 3));

// An empty text is no search: it stops the running one at its next batch, the lines are emptied,
// and the engine is never asked for it (nor opened, when it is the first text).
TEST(EmptyText, StopsTheSearchAndEmptiesTheLinesWithoutTheEngine) {
    for (const bool searchFirst : {false, true}) {
        ScriptedWork work;
        work.batchesPerText = searchFirst ? 1000000 : 4;
        {
            TSearchThread thread(work);
            thread.resume();
            if (searchFirst) {
                thread.setPendingQuery("abc", 3);
                std::unique_lock lock(work.doneMutex);
                ASSERT_TRUE(work.doneSignal.wait_for(lock, 60s, [&] { return work.clears == 1; }));
            }
            thread.setPendingQuery("", 0);
            std::unique_lock lock(work.doneMutex);
            ASSERT_TRUE(work.doneSignal.wait_for(lock, 60s, [&] { return work.clears == (searchFirst ? 2 : 1); }));
            lock.unlock();
            thread.suspend();  // parked idle: the empty text's handling is over
            EXPECT_FALSE(thread.superseded());
            EXPECT_FALSE(thread.searching());
            std::lock_guard ui(work.ui);
            EXPECT_TRUE(work.screen.empty()) << work.screen.size() << " lines of the deleted text remain";
            thread.resume();
        }
        EXPECT_EQ(work.engineOpens, searchFirst ? 1 : 0);
        EXPECT_TRUE(work.violations.empty()) << work.violations.front();
    }
}

struct CloseCase {
    const char* name;
    bool child;          // the engine runs a child process
    bool closeRequest;   // the window asks the thread to close it, as on a console resize
};

class CloseDuringSearch : public ::testing::TestWithParam<CloseCase> {};

// Opening and closing 500 times at random moments of a search: every thread is joined, every
// engine closed exactly once, every child reaped, and no descriptor is left behind.
TEST_P(CloseDuringSearch, EveryCloseJoinsReapsAndLeaksNothing) {
    const CloseCase& c = GetParam();
    const size_t descriptorsBefore = ::skimmer::test::openDescriptorCount();
    std::mt19937 random(500);
    for (int round = 0; round < 500; ++round) {
        ScriptedWork work;
        work.startChild = c.child;
        work.batchesPerText = 1000;
        {
            TSearchThread thread(work);
            thread.resume();
            thread.setPendingQuery("round" + std::to_string(round), 1);
            for (int y = static_cast<int>(random() % 2000); y > 0; --y) std::this_thread::yield();
            if (c.closeRequest) thread.requestClose();
        }
        ASSERT_TRUE(work.violations.empty()) << work.violations.front();
        // A thread closed before it first ran frees and opens nothing; one that ran frees its
        // lines once and closes what it opened (the engine opens with the first text).
        ASSERT_EQ(work.engineCloses, work.engineOpens);
        ASSERT_LE(work.engineOpens, work.frees);
        ASSERT_LE(work.frees, 1);
        ASSERT_EQ(work.closes, c.closeRequest && work.frees ? 1 : 0);
    }
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << "a child was left unreaped";
    EXPECT_EQ(::skimmer::test::openDescriptorCount(), descriptorsBefore);
}

INSTANTIATE_TEST_SUITE_P(Closing, CloseDuringSearch,
                         ::testing::Values(CloseCase{"search", false, false}, CloseCase{"child_running", true, false},
                                           CloseCase{"close_requested", true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::search
