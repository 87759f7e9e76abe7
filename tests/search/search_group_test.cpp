#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "dialogs/list_box_ex.h"
#include "search/search_group.h"
#include "tests/support/test_host.h"

namespace skimmer::search {
namespace {

using namespace skimmer::results;

// Hits named "<kind word>-<n>", delivered in batches of a given size, per kind word.
class FakeEngine : public engines::SearchEngine {
public:
    FakeEngine() : SearchEngine({}) {}
    std::map<std::string, int> hitsPerKind;  // missing: no hits
    int batchSize = 5;
    bool failQuery = false;
    bool throwOnFetch = false;  // a fetch breaks, as the index engine's "Safecall error"
    bool neverFinish = false;  // keeps delivering (for the store bound)
    std::vector<std::string> log;

    engines::EngineChoice choice() const override { return engines::EngineChoice::WindowsSearch; }
    engines::EngineStatus open() override { return {}; }
    engines::EngineStatus close() override { return {}; }
    engines::EngineStatus query(std::string_view text, std::string_view kindWord) override {
        log.push_back("query " + std::string(text) + "/" + std::string(kindWord));
        kind_ = kindWord;
        next_ = 0;
        return failQuery ? engines::EngineStatus::shownCode(engines::kEngineEmptySql) : engines::EngineStatus{};
    }
    engines::EngineStatus fetch(TSearchResults& results) override {
        if (throwOnFetch) return engines::EngineStatus::brokenBy(0x80004005, "Safecall error: '80004005'", "damaged");
        const int total = neverFinish ? INT32_MAX : hitsPerKind[kind_];
        results.Count = 0;
        while (results.Count < batchSize && next_ < total) {
            results::TSearchResult& r = results.Items[static_cast<size_t>(results.Count++)];
            r = results::TSearchResult{};
            r.Name = kind_ + "-" + std::to_string(next_++);
            r.Kind = kindOf ? kindOf(next_ - 1) : "engine kind";
        }
        results.Finished = next_ >= total;
        return {};
    }
    void endQuery() override { log.push_back("end"); }

    std::function<std::string(int)> kindOf;

private:
    std::string kind_;
    int next_ = 0;
};

struct Fixture {
    FakeEngine engine;
    results::TResultChain chain;
    std::unique_ptr<results::TSearchResults> results = results::makeSearchResults();
    TSearchRun run;
    std::vector<std::string> said;  // the engine's texts, as the window would show them

    explicit Fixture(int32_t groupMode = results::kGroupModeBuiltIn) {
        run.CurrentQuery = "rep";
        run.GroupMode = groupMode;
        run.Chain = &chain;
        run.Results = results.get();
        run.Engine = &engine;
        run.Say = [this](const std::string& text) { said.push_back(text); };
        run.Format.WindowWidth = 60;
        run.Format.NameCells = 49;
    }

    // The chain as "#title" for headers and the name for hits.
    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        for (auto* n = chain.ResultChain(); n; n = n->Next)
            out.push_back(n->Result.IsGroupHeader ? "#" + n->Result.Kind : n->Result.Name);
        return out;
    }
    int linesOf(const std::string& title) const {
        int count = 0;
        bool in = false;
        for (auto* n = chain.ResultChain(); n; n = n->Next) {
            if (n->Result.IsGroupHeader) in = n->Result.Kind == title;
            if (in) ++count;
        }
        return count;
    }
};

TEST(GroupRuns, ThirtyLinePlanSharesTheWindowAsTheQuotasSay) {
    Fixture f;
    f.engine.hitsPerKind = {{"program", 7}, {"favorites", 9}, {"files", 40}, {"email", 40}};
    const auto plan = results::MakeGroupPlan({false, results::kGroupModeBuiltIn, false, 30, nullptr});
    EXPECT_EQ(RunGroupPlan(f.run, plan), TRunEnd::Done);
    EXPECT_EQ(f.linesOf("Programs"), 8);           // header and all 7 hits
    EXPECT_EQ(f.linesOf("Favorites&History"), 2);  // quota 2Q - 8 = 2: header and one hit
    EXPECT_EQ(f.linesOf("Files"), 5);              // quota 3Q - 10 = 5
    EXPECT_EQ(f.chain.LineCount(), 24);            // "Communication" runs until 24 lines
    EXPECT_EQ(f.chain.HitCount(), 20);
    EXPECT_EQ(f.lines()[1], "program-0");
}

struct QuotaCase {
    int32_t lineLimit;
    int32_t quota;
    int hits;
    int32_t expectedLines;
};

class Quotas : public ::testing::TestWithParam<QuotaCase> {};

TEST_P(Quotas, HeaderCountsTowardTheQuotaAndTheLimit) {
    const QuotaCase& c = GetParam();
    Fixture f;
    f.engine.hitsPerKind = {{"k", c.hits}};
    EXPECT_EQ(SearchGroup(f.run, "k", "Docs", c.lineLimit, c.quota), TRunEnd::Done);
    EXPECT_EQ(f.chain.LineCount(), c.expectedLines);
    EXPECT_EQ(f.engine.log.back(), "end");
}

INSTANTIATE_TEST_SUITE_P(Limits, Quotas,
                         ::testing::Values(QuotaCase{0, 5, 20, 5},    // Max 5: header and 4 hits
                                           QuotaCase{0, 0, 12, 13},   // quota 0: no quota
                                           QuotaCase{9, 0, 12, 9},    // the line limit
                                           QuotaCase{0, -4, 12, 2},   // negative: header and one hit
                                           QuotaCase{-1, 0, 12, 2},   // so does a negative limit
                                           QuotaCase{0, 0, 0, 0}));   // nothing found, no header

TEST(GroupRuns, EveryNamedGroupStartsWithItsHeaderEvenWithTheSameTitle) {
    Fixture f;
    f.engine.hitsPerKind = {{"a", 2}, {"b", 2}};
    SearchGroup(f.run, "a", "Same", 0, 0);
    SearchGroup(f.run, "b", "Same", 0, 0);
    EXPECT_EQ(f.lines(), (std::vector<std::string>{"#Same", "a-0", "a-1", "#Same", "b-0", "b-1"}));
}

TEST(GroupRuns, WithoutTitlesAHeaderMarksEachChangeOfKindAndModeThreeHasNone) {
    for (const int32_t mode : {results::kGroupModeKinds, results::kGroupModeNoHeaders}) {
        Fixture f(mode);
        f.engine.hitsPerKind = {{"", 5}};
        f.engine.kindOf = [](int n) { return n == 0 ? "" : n < 3 ? "Document" : "Picture"; };
        SearchGroup(f.run, "", "", 24, 24);
        const std::vector<std::string> want =
            mode == results::kGroupModeKinds
                ? std::vector<std::string>{"-0", "#Document", "-1", "-2", "#Picture", "-3", "-4"}
                : std::vector<std::string>{"-0", "-1", "-2", "-3", "-4"};
        EXPECT_EQ(f.lines(), want);
    }
}

TEST(GroupRuns, TheStoreBoundHoldsWhenEveryLimitIsOff) {
    Fixture f;
    f.engine.neverFinish = true;
    f.engine.batchSize = 6001;
    EXPECT_EQ(SearchGroup(f.run, "files", "Files", 0, 0), TRunEnd::Done);
    EXPECT_EQ(f.chain.LineCount(), results::kLineStoreSlots);
    EXPECT_EQ(f.chain.HitCount(), results::kLineStoreSlots - 1);
    ASSERT_FALSE(f.run.Rows.empty());  // the last batch's rows end with the last line filed
    EXPECT_EQ(f.run.Rows.back().Text, "files-4999");
    // a later group files nothing more, and ends its query
    EXPECT_EQ(SearchGroup(f.run, "email", "Communication", 0, 0), TRunEnd::Done);
    EXPECT_EQ(f.chain.LineCount(), results::kLineStoreSlots);
    EXPECT_EQ(f.engine.log.back(), "end");
}

TEST(GroupRuns, NewTextAndStopEndTheRunAfterOneBatchWithTheQueryEnded) {
    Fixture f;
    f.engine.hitsPerKind = {{"program", 50}, {"files", 50}};
    int batches = 0;
    f.run.Hooks.UpdateCounter = [&] { ++batches; };
    f.run.Hooks.NewTextPending = [&] { return batches >= 2; };
    EXPECT_EQ(RunGroupPlan(f.run, results::MakeGroupPlan({false, 0, true, 30, nullptr})), TRunEnd::NewText);
    EXPECT_EQ(f.chain.HitCount(), 10);
    EXPECT_EQ(f.engine.log, (std::vector<std::string>{"query rep/program", "end"}));

    Fixture g;
    g.engine.hitsPerKind = {{"program", 50}};
    bool grown = false;
    g.run.Hooks.StopRequested = [] { return true; };
    g.run.Hooks.GrowWindow = [&] { grown = true; };
    EXPECT_EQ(SearchGroup(g.run, "program", "Programs", 0, 0), TRunEnd::Stopped);
    EXPECT_EQ(g.chain.HitCount(), 5);  // the batch in hand is filed, then the run returns
    EXPECT_FALSE(grown);
    EXPECT_EQ(g.engine.log.back(), "end");
}

TEST(GroupRuns, AnEngineErrorEndsTheQueryAndReachesTheCaller) {
    Fixture f;
    f.engine.throwOnFetch = true;
    f.engine.hitsPerKind = {{"program", 3}, {"files", 3}};
    EXPECT_EQ(RunGroupPlan(f.run, MakeGroupPlan({false, 0, true, 30, nullptr})), TRunEnd::Failed);
    EXPECT_EQ(f.engine.log, (std::vector<std::string>{"query rep/program", "end"})) << "no later group runs";
    EXPECT_EQ(f.said, std::vector<std::string>{"Safecall error: '80004005'"});

    Fixture g;
    g.engine.failQuery = true;
    EXPECT_EQ(SearchGroup(g.run, "program", "Programs", 0, 0), TRunEnd::Done);
    EXPECT_EQ(g.chain.LineCount(), 0);
    EXPECT_EQ(g.engine.log, (std::vector<std::string>{"query rep/program"}));  // nothing to end
    EXPECT_EQ(g.said, std::vector<std::string>{"Error: 62"});
}

// What the list box was told, decoded while the records were alive.
struct ListMessage {
    int msg;
    int param1;
    std::string text;   // ADDITEMS: the row's text
    int32_t a = 0, b = 0;
    LONG_PTR value = 0;
};

TEST(Filing, ListReceivesEachLineWithItsNodeAndTheFirstHitBecomesCurrent) {
    for (const int32_t mode : {results::kGroupModeBuiltIn, results::kGroupModeNoHeaders}) {
        test::TestHost host;
        std::vector<ListMessage> seen;
        host.dialogMessages = [&](HANDLE, int msg, int param1, LONG_PTR param2) -> LONG_PTR {
            ListMessage m{msg, param1, {}};
            if (msg == dialogs::DM_LBX_ADDITEMS) {
                const auto* add = reinterpret_cast<const dialogs::TListBoxExAddItem*>(param2);
                EXPECT_EQ(add->Items.size(), 1u);
                m.text = add->Items[0].Text;
            } else if (msg == dialogs::DM_LBX_SETINDEXDATA) {
                const auto* d = reinterpret_cast<const dialogs::TListBoxExIndexData*>(param2);
                m.a = d->Index;
                m.value = d->Value;
            } else if (msg == dialogs::DM_LBX_SETCURPOS) {
                const auto* p = reinterpret_cast<const dialogs::TListBoxExPos*>(param2);
                m.a = p->Current;
                m.b = p->Top;
            } else {
                m.a = static_cast<int32_t>(param2);
            }
            seen.push_back(m);
            return 1;
        };
        Fixture f(mode);
        f.run.List = {host.startupInfo().SendDlgMessage, reinterpret_cast<HANDLE>(0x1234)};
        f.engine.hitsPerKind = {{"program", 7}};
        SearchGroup(f.run, "program", "Programs", 0, 0);

        std::vector<std::string> texts;
        std::vector<const results::TDynamicSearchResult*> nodes;
        std::vector<std::pair<int32_t, int32_t>> cursor;
        int redrawOff = 0, redrawOn = 0;
        for (const auto& m : seen) {
            if (m.msg == dialogs::DM_LBX_ADDITEMS) texts.push_back(m.text);
            if (m.msg == dialogs::DM_LBX_SETINDEXDATA) {
                EXPECT_EQ(m.a, static_cast<int32_t>(nodes.size()));
                nodes.push_back(reinterpret_cast<const results::TDynamicSearchResult*>(m.value));
            }
            if (m.msg == dialogs::DM_LBX_SETCURPOS) cursor.push_back({m.a, m.b});
            if (m.msg == DM_ENABLEREDRAW) (m.param1 ? redrawOn : redrawOff)++;
            if (m.msg != DM_ENABLEREDRAW) {
                EXPECT_EQ(m.param1, kItemList);
            }
        }
        const std::vector<std::string> want =
            mode == results::kGroupModeNoHeaders
                ? std::vector<std::string>{"program-0", "program-1", "program-2", "program-3", "program-4",
                                           "program-5", "program-6"}
                : std::vector<std::string>{"Programs", "program-0", "program-1", "program-2", "program-3",
                                           "program-4", "program-5", "program-6"};
        EXPECT_EQ(texts, want);
        ASSERT_EQ(nodes.size(), texts.size());
        const results::TDynamicSearchResult* node = f.chain.ResultChain();
        for (const auto* n : nodes) {
            EXPECT_EQ(n, node);
            node = node ? node->Next : nullptr;
        }
        EXPECT_EQ(redrawOff, 2);  // two batches
        EXPECT_EQ(redrawOn, 2);
        // once, on the first hit below the first header; never without headers
        const std::vector<std::pair<int32_t, int32_t>> wantCursor =
            mode == results::kGroupModeNoHeaders ? std::vector<std::pair<int32_t, int32_t>>{}
                                        : std::vector<std::pair<int32_t, int32_t>>{{1, 0}};
        EXPECT_EQ(cursor, wantCursor);
    }
}

TEST(Filing, ClearingTheListDeletesEveryRow) {
    test::TestHost host;
    const TListTarget list{host.startupInfo().SendDlgMessage, reinterpret_cast<HANDLE>(1)};
    dialogs::TListBoxExRange range{-1, -1};
    host.dialogMessages = [&](HANDLE, int msg, int, LONG_PTR param2) -> LONG_PTR {
        if (msg == dialogs::DM_LBX_DELETE) range = *reinterpret_cast<const dialogs::TListBoxExRange*>(param2);
        return 1;
    };
    ClearList(list);
    EXPECT_EQ(range.Index, 0);
    EXPECT_EQ(range.Number, 0);
    ClearList(TListTarget{});  // no dialog: nothing is sent
    EXPECT_EQ(host.callsTo("SendDlgMessage").size(), 1u);
}

}  // namespace
}  // namespace skimmer::search
