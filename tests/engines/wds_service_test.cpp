// The index engine over a desktop search service of the test's own (the seam of
// os/desktop_search.h), on both systems: every step the service can fail at gives the engine's
// code, box and state for it, rows come five at a time, and the service's objects are released
// children first, the service itself last (on Windows it holds the thread's COM).
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engines/wds_engine.h"
#include "os/desktop_search.h"
#include "tests/engines/engine_test_util.h"

namespace skimmer::engines {
namespace {

using test::EngineFixture;
namespace ds = os::search;

enum class Step { None, Service, Manager, Version, Catalog, Helper, SelectList, Sql, Connection, Open, Execute,
                  Measure, Rows };

constexpr ds::HResult kFailed = 0x80004005;
constexpr int32_t kNotReached = std::numeric_limits<int32_t>::min();

// What the fake service was asked, and in which order its objects went.
struct Script {
    Step failing = Step::None;
    int rows = 0;  // rows the record set holds
    std::vector<std::string> released;
    std::string sql;

    void failAt(Step step, const char* what) const {
        if (failing == step) throw ds::SearchError(kFailed, what);
    }
};

template <class Base>
class Recorded : public Base {
public:
    Recorded(Script& s, const char* name) : script_(s), name_(name) {}
    ~Recorded() override { script_.released.push_back(name_); }

protected:
    Script& script_;
    const char* name_;
};

class FakeRecordset final : public Recorded<ds::Recordset> {
public:
    using Recorded::Recorded;
    bool eof() override { return next_ >= script_.rows; }
    std::optional<ds::RowTable> getRows(int count) override {
        script_.failAt(Step::Rows, "the rows could not be read");
        const int n = std::min(count, script_.rows - next_);
        ds::RowTable table(6, static_cast<size_t>(n));
        for (int r = 0; r < n; ++r) {
            const std::string path = "/docs/hit" + std::to_string(next_ + r) + ".txt";
            table.cell(0, static_cast<size_t>(r)) = ds::Variant::ofText("hit");
            table.cell(1, static_cast<size_t>(r)) = ds::Variant::ofInteger(next_ + r);
            table.cell(3, static_cast<size_t>(r)) = ds::Variant::ofText("https://example.org" + path);
            table.cell(4, static_cast<size_t>(r)) = ds::Variant::ofText(path);
        }
        next_ += n;
        if (script_.failing == Step::Measure) return std::nullopt;
        return table;
    }
    void close() override {}

private:
    int next_ = 0;
};

class FakeConnection final : public Recorded<ds::Connection> {
public:
    using Recorded::Recorded;
    void open(std::string_view) override { script_.failAt(Step::Open, "the provider is gone"); }
    std::unique_ptr<ds::Recordset> execute(std::string_view sql) override {
        script_.failAt(Step::Execute, "the SQL was refused");
        script_.sql = std::string(sql);
        return std::make_unique<FakeRecordset>(script_, "recordset");
    }
    void close() override {}
};

class FakeHelper final : public Recorded<ds::QueryHelper> {
public:
    using Recorded::Recorded;
    void putQuerySelectColumns(std::string_view) override { script_.failAt(Step::SelectList, "unknown column"); }
    std::string connectionString() override { return "Provider=Fake"; }
    std::string generateSqlFromUserQuery(std::string_view query) override {
        script_.failAt(Step::Sql, "the typed text is not a query");
        return "SELECT " + std::string(query);
    }
};

class FakeCatalog final : public Recorded<ds::CatalogManager> {
public:
    using Recorded::Recorded;
    int64_t numberOfItems() override { return 1234; }
    ds::ItemsToIndex numberOfItemsToIndex() override { return {5, 6, 7}; }
    std::unique_ptr<ds::QueryHelper> getQueryHelper() override {
        script_.failAt(Step::Helper, "no helper");
        return std::make_unique<FakeHelper>(script_, "helper");
    }
};

class FakeManager final : public Recorded<ds::SearchManager> {
public:
    using Recorded::Recorded;
    std::string getIndexerVersionStr() override { return script_.failing == Step::Version ? "2.9" : "7.0.1"; }
    std::unique_ptr<ds::CatalogManager> getCatalog(std::string_view) override {
        script_.failAt(Step::Catalog, "no such catalog");
        return std::make_unique<FakeCatalog>(script_, "catalog");
    }
};

class FakeService final : public Recorded<ds::DesktopSearch> {
public:
    using Recorded::Recorded;
    std::unique_ptr<ds::SearchManager> createSearchManager() override {
        script_.failAt(Step::Manager, "not installed");
        return std::make_unique<FakeManager>(script_, "manager");
    }
    std::unique_ptr<ds::Connection> createConnection() override {
        script_.failAt(Step::Connection, "no connection object");
        return std::make_unique<FakeConnection>(script_, "connection");
    }
};

class WdsService : public EngineFixture {
protected:
    WdsService() {
        env.OpenDesktopSearch = [this]() -> std::unique_ptr<ds::DesktopSearch> {
            script.failAt(Step::Service, "COM cannot start");
            return std::make_unique<FakeService>(script, "service");
        };
    }
    Script script;
};

// One step failing: what the open, the query and the first fetch return and show.
struct FailureCase {
    const char* name;
    Step step;
    int32_t openCode;
    int32_t queryCode;  // kNotReached: the query is not asked for (the engine did not open)
    int32_t fetchCode;  // kNotReached: the fetch is not asked for
    bool broken;        // the failure ends the search with the Safecall error
    std::vector<std::string> shown;
};

std::ostream& operator<<(std::ostream& out, const FailureCase& c) { return out << c.name; }

class WdsServiceFailure : public WdsService, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WdsServiceFailure, GivesTheEnginesCodeAndBox) {
    const FailureCase& c = GetParam();
    script.failing = c.step;
    script.rows = 3;
    WdsEngine engine(env);
    bool broken = false;
    auto deliver = [&](auto op) {
        try {
            return op();
        } catch (const EngineError& e) {
            broken = true;
            EXPECT_EQ(std::string(e.what()), "Safecall error: '80004005'");
            EXPECT_FALSE(e.detail().empty());
            return static_cast<int32_t>(e.code());
        }
    };
    EXPECT_EQ(WDSInit(engine), c.openCode);
    if (c.queryCode != kNotReached) {
        EXPECT_EQ(deliver([&] { return WDSQuery(engine, "report", ""); }), c.queryCode);
    }
    auto batch = results::makeSearchResults();
    if (c.fetchCode != kNotReached) {
        EXPECT_EQ(deliver([&] { return WDSFetch(engine, *batch); }), c.fetchCode);
    }
    EXPECT_EQ(broken, c.broken);
    EXPECT_EQ(shown, c.shown);
}

constexpr int32_t kBrokenCode = static_cast<int32_t>(kFailed);

INSTANTIATE_TEST_SUITE_P(
    Steps, WdsServiceFailure,
    ::testing::Values(
        FailureCase{"none", Step::None, 0, 0, 0, false, {}},
        FailureCase{"service", Step::Service, kEngineComInitFailed, kEngineNotReady, 0, false,
                    {"Error: 32", "Error: 50"}},
        FailureCase{"manager", Step::Manager, kEngineNotInstalled, kNotReached, kNotReached, false, {}},
        FailureCase{"version", Step::Version, kEngineTooOld, kNotReached, kNotReached, false, {}},
        FailureCase{"catalog", Step::Catalog, kEngineNoCatalog, kNotReached, kNotReached, false, {"Error: 30"}},
        FailureCase{"helper", Step::Helper, kEngineNoQueryHelper, kNotReached, kNotReached, false, {"Error: 51"}},
        // The select list's refusal is not checked on its own: the query goes on.
        FailureCase{"select_list", Step::SelectList, 0, 0, 0, false, {}},
        FailureCase{"sql", Step::Sql, 0, kEngineEmptySql, 0, false, {"Error: 62"}},
        FailureCase{"connection", Step::Connection, 0, kEngineNoConnection, 0, false, {"Error: 63"}},
        FailureCase{"open", Step::Open, 0, kBrokenCode, 0, true, {}},
        FailureCase{"execute", Step::Execute, 0, kBrokenCode, 0, true, {}},
        FailureCase{"rows", Step::Rows, 0, 0, kBrokenCode, true, {}},
        FailureCase{"measure", Step::Measure, 0, 0, kEngineRowCountUnknown, false, {"Error: 101"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WdsService, SevenRowsComeAsFiveThenTwoAndTheQueryTextCarriesTheKind) {
    script.rows = 7;
    WdsEngine engine(env);
    ASSERT_EQ(WDSInit(engine), 0);
    ASSERT_EQ(WDSQuery(engine, "invoice", "email"), 0);
    EXPECT_EQ(script.sql, "SELECT invoice System.Kind:email System.Kind:(NOT folder)");
    auto batch = results::makeSearchResults();
    std::vector<std::pair<int32_t, bool>> batches;
    do {
        ASSERT_EQ(WDSFetch(engine, *batch), 0);
        batches.emplace_back(batch->Count, batch->Finished);
    } while (!batch->Finished && batches.size() < 5);
    EXPECT_EQ(batches, (std::vector<std::pair<int32_t, bool>>{{5, false}, {2, true}}));
    EXPECT_EQ(batch->Items[1].Size, 6);
    EXPECT_EQ(batch->Items[1].Path, "https://example.org/docs/hit6.txt");
}

TEST_F(WdsService, TheInformationQueryReadsTheCatalogsFigures) {
    TWDS3Info info;
    WDSGetInfo(env, info);
    EXPECT_EQ(info.Version, "7.0.1");
    EXPECT_EQ(info.ItemCount, 1234);
    EXPECT_EQ(info.IncrementalCount, 5);
    EXPECT_EQ(info.NotificationQueue, 6);
    EXPECT_EQ(info.HighPriorityQueue, 7);
    EXPECT_TRUE(shown.empty());
}

TEST_F(WdsService, ObjectsGoChildrenFirstAndTheServiceLast) {
    script.rows = 2;
    {
        WdsEngine engine(env);
        ASSERT_EQ(WDSInit(engine), 0);
        ASSERT_EQ(WDSQuery(engine, "a", ""), 0);
        WDSDone(engine);
    }
    EXPECT_EQ(script.released,
              (std::vector<std::string>{"recordset", "connection", "helper", "catalog", "manager", "service"}));
}

}  // namespace
}  // namespace skimmer::engines
