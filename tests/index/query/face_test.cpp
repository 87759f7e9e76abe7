// The Windows-Search-shaped face as the engine drives it: search manager → catalog → query helper
// → connection → record set, with the select list the engine sends, batches of 5, and the
// "Safecall error" texts of failures.
#include "index/query/connection.h"
#include "index/query/name_index_format.h"
#include "index/query/query_text.h"
#include "index/query/safecall_error.h"
#include "index/query/search_manager.h"
#include "index/crawl/crawl_lock.h"
#include "tests/index/query/test_index.h"

#include <cstring>
#include <fstream>

namespace skimmer::index::query::test {
namespace {

constexpr const char* kEngineColumns =
    "System.ItemName,System.Size,System.Kind,System.ItemURL,System.ItemPathDisplay,System.ItemPathDisplay";

// Runs `body` and returns the code of the SafecallError it throws (0 when it throws none).
template <typename Body>
HResult codeOf(Body body) {
    try {
        body();
    } catch (const SafecallError& error) {
        EXPECT_EQ(std::string(error.what()), safecallMessage(error.code()));
        return error.code();
    }
    return 0;
}

class Face : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        index_.begin();
        for (int i = 0; i < 7; ++i)
            index_.add(TestItem{0, 1, "report " + std::to_string(i) + ".txt", 2, "txt", 100 + i, 1'700'000'000 + i, 1'600'000'000});
        index_.add(TestItem{0, 0, "Text Editor", 6, "", 0, 1'600'000'000, 0, 0, "file:/usr/share/applications/ed.desktop",
                            "/usr/share/applications/ed.desktop"});
        index_.add(TestItem{0, 1, "Reports", 1, "", 4096, 1'500'000'000, 0, 1});
        index_.bumpGeneration();
        index_.commit();
        index_.buildSidecar();
    }

    std::unique_ptr<Recordset> query(const std::string& text, const char* columns = kEngineColumns) {
        SearchManager manager(index_.file());
        auto helper = manager.getCatalog("systemindex")->getQueryHelper();
        helper->putQuerySelectColumns(columns);
        connection_.open(helper->connectionString());
        return connection_.execute(helper->generateSqlFromUserQuery(text));
    }

    TestIndex index_;
    Connection connection_{[] { return int64_t{1'700'000'100}; }};
};

TEST_F(Face, EngineColumnsIncludingTheRepeatedPathComeInBatchesOfFive) {
    auto recordset = query("report System.Kind:files System.Kind:(NOT folder)");
    ASSERT_FALSE(recordset->eof());
    const RowTable first = recordset->getRows(5);
    ASSERT_EQ(first.columnCount(), 6u);
    ASSERT_EQ(first.rowCount(), 5u);
    EXPECT_EQ(first.cell(0, 0).text, "report 6.txt");  // newest first
    EXPECT_EQ(first.cell(1, 0).type, VarType::Integer);
    EXPECT_EQ(first.cell(1, 0).integer, 106);
    EXPECT_EQ(first.cell(2, 0).text, "Document");
    EXPECT_EQ(first.cell(3, 0).text, "file:/home/user/report 6.txt");
    EXPECT_EQ(first.cell(4, 0).text, "/home/user/report 6.txt");
    EXPECT_EQ(first.cell(5, 0).text, first.cell(4, 0).text);
    ASSERT_FALSE(recordset->eof());
    const RowTable second = recordset->getRows(5);
    EXPECT_EQ(second.rowCount(), 2u);
    EXPECT_EQ(second.cell(0, 1).text, "report 0.txt");
    EXPECT_TRUE(recordset->eof());
    EXPECT_EQ(recordset->getRows(5).rowCount(), 0u);
    recordset->close();
}

TEST_F(Face, PrefixHitsComeFirstAndKindWordsSelect) {
    auto recordset = query("rep");
    const RowTable rows = recordset->getRows(20);
    ASSERT_EQ(rows.rowCount(), 8u);
    EXPECT_EQ(rows.cell(0, 7).text, "Reports");  // oldest, still a prefix hit
    auto programs = query("text System.Kind:program System.Kind:(NOT folder)");
    const RowTable apps = programs->getRows(5);
    ASSERT_EQ(apps.rowCount(), 1u);
    EXPECT_EQ(apps.cell(2, 0).text, "Program");
    EXPECT_EQ(apps.cell(3, 0).text, "file:/usr/share/applications/ed.desktop");
    EXPECT_EQ(apps.cell(4, 0).text, "/usr/share/applications/ed.desktop");
}

TEST_F(Face, EmptyResultIsAtEndAtOnce) {
    auto recordset = query("nothing-like-this");
    EXPECT_TRUE(recordset->eof());
    EXPECT_EQ(recordset->getRows(5).rowCount(), 0u);
    EXPECT_EQ(recordset->parsedQuery().status, ParsedQuery::Status::Ok);
}

TEST_F(Face, OtherColumnsAndVariantTypes) {
    auto recordset = query("\"report 3\"",
                           "System.DateModified, system.datecreated,System.FileExtension,"
                           "System.ItemFolderPathDisplay,System.FileAttributes,System.ItemName");
    const RowTable rows = recordset->getRows(5);
    ASSERT_EQ(rows.rowCount(), 1u);
    EXPECT_EQ(rows.cell(0, 0).type, VarType::Date);
    EXPECT_DOUBLE_EQ(rows.cell(0, 0).date, (1'700'000'003 / 86400.0) + 25569.0);
    EXPECT_DOUBLE_EQ(rows.cell(1, 0).date, (1'600'000'000 / 86400.0) + 25569.0);
    EXPECT_EQ(rows.cell(2, 0).text, ".txt");
    EXPECT_EQ(rows.cell(3, 0).text, "/home/user");
    EXPECT_EQ(rows.cell(4, 0).integer, 0x80);
    auto folders = query("Reports kind:folder", "System.FileAttributes,System.FileExtension");
    const RowTable folder = folders->getRows(5);
    ASSERT_EQ(folder.rowCount(), 1u);
    EXPECT_EQ(folder.cell(0, 0).integer, 0x10);
    EXPECT_EQ(folder.cell(1, 0).type, VarType::Empty);
}

TEST_F(Face, ManagerCatalogAndHelperFailuresCarrySafecallCodes) {
    SearchManager manager(index_.file());
    const std::string version = manager.getIndexerVersionStr();
    EXPECT_GE(std::stoi(version.substr(0, version.find('.'))), 3);
    EXPECT_EQ(codeOf([&] { manager.getCatalog("otherindex"); }), kCatalogNotFound);
    EXPECT_EQ(codeOf([&] { manager.getCatalog("SystemIndex"); }), 0u);
    auto catalog = manager.getCatalog("systemindex");
    EXPECT_EQ(catalog->numberOfItems(), 9);
    auto helper = catalog->getQueryHelper();
    EXPECT_EQ(codeOf([&] { helper->putQuerySelectColumns("System.ItemName,System.Bogus"); }), kEInvalidArg);
    EXPECT_EQ(codeOf([&] { SearchManager missing(index_.file().string() + ".none"); }), kIndexMissing);
    EXPECT_EQ(safecallMessage(kEFail), "Safecall error: '80004005'");
    EXPECT_EQ(safecallMessage(0x5), "Safecall error: '5'");
}

TEST_F(Face, ItemsWaitingToBeIndexedComeFromARunningCrawl) {
    SearchManager manager(index_.file());
    auto catalog = manager.getCatalog("systemindex");
    EXPECT_EQ(catalog->numberOfItemsToIndex().incremental, 0);
    store::writeMeta(index_.db(), store::kMetaCrawlState, "running");
    store::writeMeta(index_.db(), store::kMetaItemsPending, int64_t{42});
    store::writeMeta(index_.db(), store::kMetaFoldersPending, int64_t{7});
    {
        store::CrawlLock crawler;  // the crawl is alive while it holds the lock
        ASSERT_TRUE(crawler.acquire(index_.file()).ok);
        const ItemsToIndex counts = catalog->numberOfItemsToIndex();
        EXPECT_EQ(counts.incremental, 42);
        EXPECT_EQ(counts.notificationQueue, 7);
        EXPECT_EQ(counts.highPriority, 0);
    }
    const ItemsToIndex killed = catalog->numberOfItemsToIndex();  // "running" left behind by a killed crawl
    EXPECT_EQ(killed.incremental, 0);
    EXPECT_EQ(killed.notificationQueue, 0);
}

TEST_F(Face, ConnectionRefusesForeignTextsAndClosedObjects) {
    Connection connection;
    EXPECT_EQ(codeOf([&] { connection.execute("SELECT 1"); }), kObjectClosed);
    connection.open(connectionStringFor(index_.file()));
    EXPECT_EQ(codeOf([&] { connection.execute("SELECT System.ItemName FROM items"); }), kErrorsInCommand);
    EXPECT_EQ(codeOf([&] { connection.execute(makeQueryText("System.Nope", "a")); }), kErrorsInCommand);
    auto first = connection.execute(makeQueryText("System.ItemName", "report"));
    auto second = connection.execute(makeQueryText("System.ItemName", "report"));
    EXPECT_EQ(codeOf([&] { first->eof(); }), kObjectClosed);  // a connection serves one record set
    EXPECT_FALSE(second->eof());
    connection.close();
    EXPECT_EQ(codeOf([&] { second->getRows(1); }), kObjectClosed);
}

// A record set left half read keeps its reader's cursor on a folder row; the next record set of the
// connection must still read the index as it is now, not that record set's snapshot.
TEST_F(Face, ANewRecordSetReadsWhatWasCommittedWhileTheLastWasHalfRead) {
    auto first = query("report");
    ASSERT_EQ(first->getRows(2).rowCount(), 2u);
    index_.begin();
    index_.add(TestItem{0, 1, "report 7.txt", 2, "txt", 107, 1'700'000'007, 1'600'000'000});
    index_.bumpGeneration();
    index_.commit();
    index_.buildSidecar();
    auto second = connection_.execute(makeQueryText(kEngineColumns, "report"));
    EXPECT_FALSE(second->usedSlowPath()) << "the new sidecar is current for the new snapshot";
    size_t rows = 0;
    while (!second->eof()) rows += second->getRows(5).rowCount();
    EXPECT_EQ(rows, 9u) << "eight reports and the folder \"Reports\"";
}

TEST_F(Face, QueryTextRoundTripsAnyBytes) {
    const std::string nasty = std::string("it's \"a\" '' (b) \0 \xFF ok", 23);
    const auto parsed = parseQueryText(makeQueryText(kEngineColumns, nasty));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->userQuery, nasty);
    EXPECT_EQ(parsed->columns, kEngineColumns);
    EXPECT_FALSE(parseQueryText("SELECT a FROM SystemIndex WHERE AQS('it's')"));
}

TEST_F(Face, MalformedQueriesSaySoAndStillAnswer) {
    auto literal = query("(report");
    EXPECT_EQ(literal->parsedQuery().status, ParsedQuery::Status::Literal);
    EXPECT_TRUE(literal->eof());  // no name holds "(report"
    auto empty = query("   ");
    EXPECT_EQ(empty->parsedQuery().status, ParsedQuery::Status::Nothing);
    EXPECT_TRUE(empty->eof());
}

TEST_F(Face, StaleSidecarFallsBackToTheSlowPathWithTheSameAnswer) {
    auto fresh = query("report");
    EXPECT_FALSE(fresh->usedSlowPath());
    const RowTable before = fresh->getRows(10);
    index_.bumpGeneration();
    auto stale = query("report");
    EXPECT_TRUE(stale->usedSlowPath());
    const RowTable after = stale->getRows(10);
    ASSERT_EQ(after.rowCount(), before.rowCount());
    for (size_t r = 0; r < after.rowCount(); ++r) EXPECT_EQ(after.cell(3, r).text, before.cell(3, r).text);
}

TEST_F(Face, SidecarOfAnotherIndexWithTheSameGenerationIsNotUsed) {
    TestIndex other;  // a rebuilt index: generation 1 again, other items, its own instance stamp
    other.begin();
    other.add(TestItem{0, 1, "report only here", 2, "", 1, 5});
    other.bumpGeneration();
    ASSERT_TRUE(store::writeMeta(other.db(), store::kMetaInstance, int64_t{77}).ok);
    other.commit();
    std::filesystem::copy_file(nameIndexPathFor(index_.file()), nameIndexPathFor(other.file()));
    SearchManager manager(other.file());
    auto helper = manager.getCatalog("systemindex")->getQueryHelper();
    connection_.open(helper->connectionString());
    auto recordset = connection_.execute(helper->generateSqlFromUserQuery("report"));
    EXPECT_TRUE(recordset->usedSlowPath());
    const RowTable rows = recordset->getRows(10);
    ASSERT_EQ(rows.rowCount(), 1u);
    EXPECT_EQ(rows.cell(0, 0).text, "file:/home/user/report only here");
}

TEST_F(Face, SidecarOfThePreviousFormatIsStaleNotAnError) {
    std::string previous(136, '\0');  // an intact header of format 2: magic, version, hash at 128
    std::memcpy(previous.data(), sidecar::kMagic, 8);
    previous[8] = 2;
    const uint64_t hash = sidecar::blockHash(reinterpret_cast<const unsigned char*>(previous.data()), 128);
    std::memcpy(previous.data() + 128, &hash, 8);
    std::ofstream(nameIndexPathFor(index_.file()), std::ios::binary | std::ios::trunc) << previous;
    auto recordset = query("report");
    EXPECT_TRUE(recordset->usedSlowPath());
    EXPECT_EQ(recordset->getRows(10).rowCount(), 8u);
}

TEST_F(Face, RebuildingAnUnchangedIndexWritesNothing) {
    NameIndexBuildResult again = buildNameIndex(index_.db());
    EXPECT_TRUE(again.ok && again.skipped);
    index_.begin();
    index_.add(TestItem{0, 1, "fresh report", 2, "", 1, 1'800'000'000});
    index_.bumpGeneration();
    index_.commit();
    again = buildNameIndex(index_.db());
    EXPECT_TRUE(again.ok && !again.skipped);
    auto recordset = query("report");
    EXPECT_FALSE(recordset->usedSlowPath());
    const RowTable rows = recordset->getRows(10);
    ASSERT_EQ(rows.rowCount(), 9u);
    EXPECT_EQ(rows.cell(0, 0).text, "report 6.txt");  // names beginning with the word come first
    EXPECT_EQ(rows.cell(0, 8).text, "fresh report");
}

TEST(VariantText, WideKeepsBytesThatAreNotUtf8) {
    const Variant v = Variant::ofText("a\xCE\xB1\xFF");
    EXPECT_EQ(v.wide(), std::wstring(L"a\x3B1\xDCFF"));
}

}  // namespace
}  // namespace skimmer::index::query::test
