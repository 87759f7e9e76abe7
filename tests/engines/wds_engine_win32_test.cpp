// The index engine on Windows, against Wine: COM and ADO are there, the system's search service is
// not. Opening fails quietly with 31 and says why, closing says message 44, the information query
// says "none", a query is refused with 50; every thread initialises COM for itself and gives it
// back; ADO's connection object is really made and its failures raise the Safecall error with the
// failing code. Rows in the service's shape become hits with Windows paths.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "engines/query_loop.h"
#include "engines/wds_engine.h"
#include "os/desktop_search.h"
#include "os/wide_text.h"
#include "tests/engines/engine_test_util.h"
#include "tests/support/com_apartment_win32.h"

namespace skimmer::engines {
namespace {

using test::EngineFixture;
namespace ds = os::search;

constexpr uint32_t kFailureBit = 0x80000000u;

using WdsOnWine = EngineFixture;

TEST_F(WdsOnWine, OpeningWithoutTheSearchServiceIsCode31WithAReasonAndNothingShown) {
    WdsEngine engine(env);
    const EngineStatus opened = engine.open();
    EXPECT_EQ(opened.code, kEngineNotInstalled);
    EXPECT_TRUE(opened.shown.empty());
    EXPECT_FALSE(opened.broken);
    EXPECT_FALSE(engine.ready());
    // The window shows message 44 followed by this line, so it has to name what is missing.
    EXPECT_NE(opened.detail.find("search service is not installed"), std::string::npos) << opened.detail;
    EXPECT_TRUE(shown.empty());
}

TEST_F(WdsOnWine, TheNamedOperationsSayMessage44OnCloseAndRefuseAQueryWith50) {
    WdsEngine engine(env);
    EXPECT_EQ(WDSInit(engine), kEngineNotInstalled);
    EXPECT_EQ(WDSQuery(engine, "invoice", "email"), kEngineNotReady);
    EXPECT_EQ(WDSDone(engine), 0);
    EXPECT_EQ(shown, (std::vector<std::string>{"Error: 50", "<44>"}));
}

TEST_F(WdsOnWine, TheInformationQuerySaysNoneAndLeavesTheCountsAlone) {
    TWDS3Info info{"before", 7, 8, 9, 10};
    WDSGetInfo(env, info);
    EXPECT_EQ(info.Version, "none");
    EXPECT_EQ(info.ItemCount, 7);
    EXPECT_EQ(info.IncrementalCount, 8);
    EXPECT_EQ(info.NotificationQueue, 9);
    EXPECT_EQ(info.HighPriorityQueue, 10);
    EXPECT_EQ(shown, std::vector<std::string>{"<44>"});
}

TEST_F(WdsOnWine, TheQueryLoopEndsAsRefusedWithNothingFetched) {
    WdsEngine engine(env);
    engine.open();
    auto batch = results::makeSearchResults();
    std::vector<std::string> said;
    int batches = 0;
    QueryDriver driver;
    driver.say = [&](const std::string& text) { said.push_back(text); };
    driver.onBatch = [&](results::TSearchResults&) {
        ++batches;
        return BatchVerdict::More;
    };
    EXPECT_EQ(RunQuery(engine, "report", "", *batch, driver), QueryEnd::Refused);
    EXPECT_EQ(batches, 0);
    EXPECT_EQ(said, std::vector<std::string>{"Error: 50"});
}

// The search thread, the panel and the information query each open on their own thread; a thread
// must come back without COM, whether the open got as far as the search manager or not.
TEST_F(WdsOnWine, EachThreadInitialisesComForItselfAndGivesItBack) {
    constexpr int kThreads = 4;
    std::vector<int32_t> codes(kThreads, -1);
    std::vector<char> freeAfter(kThreads, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            TEngineEnvironment quiet = env;
            quiet.ShowErrorText = nullptr;
            {
                WdsEngine engine(quiet);
                codes[static_cast<size_t>(i)] = engine.open().code;
                engine.close();
            }
            freeAfter[static_cast<size_t>(i)] = skimmer::test::threadIsFreeOfCom();
        });
    }
    for (auto& t : threads) t.join();
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(codes[static_cast<size_t>(i)], kEngineNotInstalled) << "thread " << i;
        EXPECT_TRUE(freeAfter[static_cast<size_t>(i)]) << "thread " << i;
    }
    EXPECT_TRUE(skimmer::test::threadIsFreeOfCom());
}

// A thread already in the multithreaded apartment cannot take the apartment the shell's and the
// search service's objects want: that is the "COM cannot be initialised" failure, code 32, shown.
TEST_F(WdsOnWine, AThreadInAnotherApartmentIsCode32Shown) {
    std::thread([&] {
        skimmer::test::MultithreadedApartment mta;
        ASSERT_TRUE(mta.entered());
        WdsEngine engine(env);
        EXPECT_EQ(WDSInit(engine), kEngineComInitFailed);
        EXPECT_FALSE(engine.ready());
    }).join();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), "Error: 32");
}

// Wine's ADO makes its connection object but has no type library registered, so its members do
// not resolve by name: every call fails, and each failure must come out as the Safecall error with
// the failing code and the step named, never as a crash or a silent success.
struct AdoCall {
    const char* name;
    void (*call)(ds::Connection&);
    const char* member;
};

std::ostream& operator<<(std::ostream& out, const AdoCall& c) { return out << c.name; }

class AdoOnWine : public ::testing::TestWithParam<AdoCall> {};

TEST_P(AdoOnWine, AFailedCallRaisesTheSafecallErrorWithItsCodeAndStep) {
    const auto service = ds::openDesktopSearch({});
    const auto connection = service->createConnection();
    try {
        GetParam().call(*connection);
        FAIL() << "the call succeeded without a provider";
    } catch (const ds::SearchError& e) {
        EXPECT_NE(e.code() & kFailureBit, 0u) << std::hex << e.code();
        EXPECT_EQ(std::string(e.what()), ds::safecallMessage(e.code()));
        EXPECT_NE(e.detail().find(GetParam().member), std::string::npos) << e.detail();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Connection, AdoOnWine,
    ::testing::Values(
        AdoCall{"open", [](ds::Connection& c) { c.open("Provider=Skimmer.NoSuchProvider;Data Source=nowhere"); },
                "Open"},
        AdoCall{"execute", [](ds::Connection& c) { c.execute("SELECT System.ItemName FROM SystemIndex"); }, "Execute"},
        AdoCall{"close", [](ds::Connection& c) { c.close(); }, "Close"}),
    [](const auto& info) { return std::string(info.param.name); });

// One row in the service's shape (column 4 and 5 the display path) into a hit.
struct WindowsRow {
    const char* name;
    std::wstring url;
    std::string path, folder, title, ext;
    size_t entryIdDigits;
};

std::ostream& operator<<(std::ostream& out, const WindowsRow& row) { return out << row.name; }

class WindowsRows : public ::testing::TestWithParam<WindowsRow> {};

TEST_P(WindowsRows, BecomeHitsWithTheSystemsPaths) {
    const WindowsRow& c = GetParam();
    ds::RowTable table(6, 1);
    const std::string url = os::utf8FromWide(c.url);
    table.cell(0, 0) = ds::Variant::ofText("ignored name");
    table.cell(1, 0) = ds::Variant::ofInteger(42);
    table.cell(2, 0) = ds::Variant::ofText("Document");
    table.cell(3, 0) = ds::Variant::ofText(url);
    table.cell(4, 0) = ds::Variant::ofText(c.path);
    table.cell(5, 0) = ds::Variant::ofText(c.path);
    auto batch = results::makeSearchResults();
    WdsFillRows(table, *batch);
    ASSERT_EQ(batch->Count, 1);
    const results::TSearchResult& hit = batch->Items[0];
    EXPECT_EQ(hit.Url, os::fromWide(c.url));
    // A hit that is no file is opened by its address.
    EXPECT_EQ(hit.Path, c.path.empty() ? hit.Url : c.path);
    EXPECT_EQ(hit.Folder, c.folder);
    EXPECT_EQ(hit.Title, c.title);
    EXPECT_EQ(hit.Ext, c.ext);
    EXPECT_EQ(hit.Size, 42);
    EXPECT_EQ(hit.MailEntryId.size(), c.entryIdDigits);
}

INSTANTIATE_TEST_SUITE_P(
    Service, WindowsRows,
    ::testing::Values(WindowsRow{"file", L"file:C:/Docs/a b.txt", "C:\\Docs\\a b.txt", "C:\\Docs\\", "a b.txt",
                                 ".txt", 0},
                      WindowsRow{"share", L"file://server/share/r.pdf", "\\\\server\\share\\r.pdf",
                                 "\\\\server\\share\\", "r.pdf", ".pdf", 0},
                      // The entry id's characters have no place in the ANSI code page; the id comes
                      // from the cell's own text all the same.
                      WindowsRow{"mail",
                                 L"mapi://{S-1-5}/Inbox/\xAC00\xAC01\xAC02\xAC03\xAC04\xAC05\xAC06\xAC07"
                                 L"\xAC08\xAC09\xAC0A\xAC0B\xAC0C\xAC0D\xAC0E\xAC0F\xAC10\xAC11\xAC12\xAC13"
                                 L"\xAC14\xAC15\xAC16\xAC17",
                                 "", "", "", "", 48}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::engines
