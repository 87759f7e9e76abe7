#include "engines/query_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace skimmer::engines {
namespace {

// One fetch's answer: how many hits, whether it is the last, and the status it comes with.
struct Step {
    int32_t count = 0;
    bool finished = false;
    EngineStatus status;
};

// An engine that answers from a script and logs every call.
class ScriptEngine : public SearchEngine {
public:
    ScriptEngine(EngineStatus started, std::vector<Step> steps)
        : SearchEngine({}), started_(std::move(started)), steps_(std::move(steps)) {}
    EngineChoice choice() const override { return EngineChoice::Locate32; }
    EngineStatus open() override { return {}; }
    EngineStatus close() override { return {}; }
    EngineStatus query(std::string_view, std::string_view) override {
        log.push_back("query");
        return started_;
    }
    EngineStatus fetch(results::TSearchResults& batch) override {
        log.push_back("fetch");
        const Step step = next_ < steps_.size() ? steps_[next_++] : Step{0, true, {}};
        batch.Count = step.count;
        batch.Finished = step.finished;
        return step.status;
    }
    void endQuery() override { log.push_back("end"); }

    std::vector<std::string> log;

private:
    EngineStatus started_;
    std::vector<Step> steps_;
    size_t next_ = 0;
};

const EngineStatus kBroken = EngineStatus::brokenBy(0x80004005, "Safecall error: '80004005'", "a damaged page");

struct LoopCase {
    const char* name;
    EngineStatus started;
    std::vector<Step> steps;
    int supersededAtFetch;   // the loop is told of a newer text before this fetch (1-based); 0: never
    int stopAtBatch;         // the caller stops at this batch; 0: never
    int enoughAtBatch;       // the caller has enough at this batch; 0: never
    QueryEnd end;
    std::vector<std::string> log;
    std::vector<std::string> said;
    std::vector<int32_t> counts;  // Count of every batch the caller saw
};

class QueryLoop : public ::testing::TestWithParam<LoopCase> {};

TEST_P(QueryLoop, EndsAsTheEngineAndTheCallerSayAndEndsEveryStartedQuery) {
    const LoopCase& c = GetParam();
    ScriptEngine engine(c.started, c.steps);
    auto batch = results::makeSearchResults();
    std::vector<std::string> said;
    std::vector<int32_t> counts;
    int asked = 0;
    QueryDriver driver;
    driver.superseded = [&] { return ++asked == c.supersededAtFetch; };
    driver.onBatch = [&](results::TSearchResults& b) {
        counts.push_back(b.Count);
        const int n = static_cast<int>(counts.size());
        if (n == c.stopAtBatch) return BatchVerdict::Stop;
        return n == c.enoughAtBatch ? BatchVerdict::Enough : BatchVerdict::More;
    };
    driver.say = [&](const std::string& text) { said.push_back(text); };
    EXPECT_EQ(RunQuery(engine, "text", "kind", *batch, driver), c.end);
    EXPECT_EQ(engine.log, c.log);
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(counts, c.counts);
}

using Log = std::vector<std::string>;
using Said = std::vector<std::string>;
using Counts = std::vector<int32_t>;

INSTANTIATE_TEST_SUITE_P(
    Runs, QueryLoop,
    ::testing::Values(
        LoopCase{"finished", {}, {{5, false, {}}, {2, true, {}}}, 0, 0, 0, QueryEnd::Finished,
                 Log{"query", "fetch", "fetch", "end"}, Said{}, Counts{5, 2}},
        LoopCase{"refused_query_ends_nothing", EngineStatus::shownCode(kEngineEmptySql), {}, 0, 0, 0,
                 QueryEnd::Refused, Log{"query"}, Said{"Error: 62"}, Counts{}},
        LoopCase{"broken_query_is_ended", kBroken, {}, 0, 0, 0, QueryEnd::Broken, Log{"query", "end"},
                 Said{"Safecall error: '80004005'"}, Counts{}},
        LoopCase{"broken_fetch_ends_at_once", {}, {{5, false, {}}, {0, false, kBroken}}, 0, 0, 0, QueryEnd::Broken,
                 Log{"query", "fetch", "fetch", "end"}, Said{"Safecall error: '80004005'"}, Counts{5}},
        LoopCase{"failed_fetch_is_an_empty_last_batch", {}, {{3, false, EngineStatus::shownCode(kEngineRowCountUnknown)}},
                 0, 0, 0, QueryEnd::Finished, Log{"query", "fetch", "end"}, Said{"Error: 101"}, Counts{0}},
        LoopCase{"said_text_goes_on", {}, {{0, false, EngineStatus::saying("<165> no database")}, {1, true, {}}}, 0, 0,
                 0, QueryEnd::Finished, Log{"query", "fetch", "fetch", "end"}, Said{"<165> no database"}, Counts{0, 1}},
        LoopCase{"newer_text_before_a_fetch", {}, {{5, false, {}}, {5, false, {}}}, 2, 0, 0, QueryEnd::Superseded,
                 Log{"query", "fetch", "end"}, Said{}, Counts{5}},
        LoopCase{"stop_wins_over_finished", {}, {{5, true, {}}}, 0, 1, 0, QueryEnd::Stopped,
                 Log{"query", "fetch", "end"}, Said{}, Counts{5}},
        LoopCase{"enough_ends_before_the_engine", {}, {{5, false, {}}, {5, false, {}}}, 0, 0, 1, QueryEnd::Finished,
                 Log{"query", "fetch", "end"}, Said{}, Counts{5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeliverStatus, ShowsTheTextReturnsTheCodeAndRaisesABrokenEngine) {
    std::vector<std::string> shown;
    TEngineEnvironment env;
    env.ShowErrorText = [&](const std::string& text) { shown.push_back(text); };
    EXPECT_EQ(DeliverStatus(env, EngineStatus::shownCode(kEngineNotReady)), kEngineNotReady);
    EXPECT_EQ(DeliverStatus(env, EngineStatus::quiet(kEngineNotInstalled, "why")), kEngineNotInstalled);
    EXPECT_EQ(shown, std::vector<std::string>{"Error: 50"});
    try {
        DeliverStatus(env, kBroken);
        FAIL() << "not raised";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Safecall error: '80004005'");
        EXPECT_EQ(e.code(), 0x80004005u);
        EXPECT_EQ(e.detail(), "a damaged page");
    }
    EXPECT_EQ(shown.size(), 1u) << "a broken engine's text is raised, not shown";
}

}  // namespace
}  // namespace skimmer::engines
