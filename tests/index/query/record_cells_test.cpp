// Every row's cells, as a record set makes them (views of the held folders' bytes written into
// blocks its tables keep), equal the cells worked out from the test items themselves: entries of
// small and large folders (the first row of a large one is read alone) and of the root folder "/",
// items of other sources, every column, a column listed twice. Read through record sets in batches
// of several sizes, and through row readers whose budget holds every folder, a few, or none.
#include "index/query/columns.h"
#include "index/query/connection.h"
#include "index/query/hit_stream.h"
#include "index/query/item_rows.h"
#include "index/query/query_parser.h"
#include "index/query/search_manager.h"
#include "index/storage/folder_paths.h"
#include "tests/index/query/test_index.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <random>

namespace skimmer::index::query::test {
namespace {

constexpr const char* kAllColumns =
    "System.ItemName,System.Size,System.Kind,System.ItemURL,System.ItemPathDisplay,System.ItemFolderPathDisplay,"
    "System.FileExtension,System.DateModified,System.DateCreated,System.FileAttributes,System.ItemPathDisplay";

// A cell as text, so that rows compare (and print) as a whole.
std::string shown(const Variant& cell) {
    switch (cell.type) {
        case VarType::Empty: return "-";
        case VarType::Text: return "t:" + std::string(cell.text);
        case VarType::Integer: return "i:" + std::to_string(cell.integer);
        case VarType::Date: return "d:" + std::to_string(cell.date);
    }
    return "?";
}

std::string text(std::string_view value) { return "t:" + std::string(value); }

// The row the columns above must give for `item`, from the item alone.
std::string expectedRow(const TestIndex& index, const TestItem& item) {
    const bool entry = item.dir != 0;
    const std::string path = entry ? store::childPath(index.dirPath(item.dir), item.name) : *item.display;
    const std::string ext = entry ? store::entryExtension(item.name, item.kind) : item.ext;
    int64_t attributes = 0;  // Windows' bits
    if (item.attrs & 4) attributes |= 0x1;
    if (item.attrs & 2) attributes |= 0x2;
    if (item.attrs & 1) attributes |= 0x10;
    if (item.attrs & 8) attributes |= 0x400;
    const std::vector<std::string> cells = {
        text(item.name),
        "i:" + std::to_string(item.size),
        text(store::kindDisplayName(item.kind)),
        text(entry ? "file:" + path : *item.url),
        text(path),
        text(entry ? index.dirPath(item.dir) : ""),
        ext.empty() ? "-" : text("." + ext),
        "d:" + std::to_string(oleDateFromUnix(item.mtime)),
        "d:" + std::to_string(oleDateFromUnix(item.ctime)),
        "i:" + std::to_string(attributes == 0 ? 0x80 : attributes),
        text(path),
    };
    std::string row;
    for (const std::string& cell : cells) row += cell + "|";
    return row;
}

std::string shownRow(const RowTable& table, size_t r) {
    std::string row;
    for (size_t c = 0; c < table.columnCount(); ++c) row += shown(table.cell(c, r)) + "|";
    return row;
}

class RecordCells : public ::testing::Test {
protected:
    static constexpr const char* kWord = "zq";  // in every name: the query that finds them all

    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        std::mt19937 rng(41);
        index_.addDir(2, "/");
        index_.addDir(3, "/home/user/big");
        index_.begin();
        const auto add = [&](int64_t dir, int count) {
            for (int i = 0; i < count; ++i) {
                const int64_t mtime = std::uniform_int_distribution<int64_t>(1'000'000'000, 1'800'000'000)(rng);
                index_.add(TestItem{.dir = dir, .name = kWord + randomName(rng) + std::to_string(i),
                                    .kind = std::uniform_int_distribution<int>(0, 23)(rng),
                                    .size = std::uniform_int_distribution<int64_t>(0, 1'000'000'000'000)(rng),
                                    .mtime = mtime, .ctime = mtime - 3600,
                                    .attrs = std::uniform_int_distribution<int>(0, 15)(rng)});
            }
        };
        add(1, 40);
        add(2, 12);
        add(3, 1500);  // over 16 KB of packed entries
        for (int i = 0; i < 6; ++i)
            index_.add(TestItem{.dir = 0, .name = std::string(kWord) + " page " + std::to_string(i), .kind = 23,
                                .ext = i % 2 ? "html" : "", .size = i, .mtime = 1'700'000'000 + i,
                                .ctime = 1'700'000'000, .url = "https://example.org/" + std::to_string(i),
                                .display = "https://example.org/" + std::to_string(i) + " (shown)"});
        index_.bumpGeneration();
        index_.commit();
        index_.buildSidecar();
        for (const TestItem& item : index_.items()) expected_.push_back(expectedRow(index_, item));
        std::sort(expected_.begin(), expected_.end());
    }

    TestIndex index_;
    std::vector<std::string> expected_;
};

// Through the engine's objects, in batches of several sizes; the cells of every table are also
// copied out and read after the table, the record set and its connection are gone.
TEST_F(RecordCells, EveryRowThroughRecordSetsEqualsItsItem) {
    for (int batch : {1, 5, 7, 64}) {
        std::vector<std::string> rows;
        std::vector<Variant> kept;  // copies of cells, outliving their tables
        std::vector<std::string> keptText;
        {
            SearchManager manager(index_.file());
            auto helper = manager.getCatalog("systemindex")->getQueryHelper();
            helper->putQuerySelectColumns(kAllColumns);
            Connection connection;
            connection.open(helper->connectionString());
            auto recordset = connection.execute(helper->generateSqlFromUserQuery(kWord));
            while (!recordset->eof()) {
                RowTable table = recordset->getRows(batch);
                ASSERT_GT(table.rowCount(), 0u);
                for (size_t r = 0; r < table.rowCount(); ++r) rows.push_back(shownRow(table, r));
                kept.push_back(table.cell(3, 0));
                Variant moved = std::move(table.cell(4, 0));
                keptText.push_back(std::string(kept.back().text) + " " + std::string(moved.text));
                kept.push_back(std::move(moved));
            }
        }
        std::sort(rows.begin(), rows.end());
        EXPECT_EQ(rows, expected_) << "batches of " << batch;
        for (size_t i = 0; i < keptText.size(); ++i)
            EXPECT_EQ(std::string(kept[2 * i].text) + " " + std::string(kept[2 * i + 1].text), keptText[i]);
    }
}

// Through row readers whose held folders are all, some, or none of those read: the same cells
// whether a row is viewed in a held folder or read on its own.
class CellsByBudget : public RecordCells, public ::testing::WithParamInterface<size_t> {};

TEST_P(CellsByBudget, EveryRowEqualsItsItem) {
    std::string unknown;
    const std::vector<Column> columns = *parseColumns(kAllColumns, unknown);
    const ParsedQuery parsed = parseQuery(kWord, 0);
    auto names = NameIndex::open(nameIndexPathFor(index_.file()));
    ASSERT_EQ(names.status, NameIndex::OpenStatus::Ok);
    store::execSql(index_.db(), "BEGIN");
    auto hits = openHitStream(index_.db(), names.index.get(), parsed.root);
    RowReader reader(index_.db(), GetParam());
    CellTexts texts;
    std::vector<std::string> rows;
    std::vector<RowTable> tables;  // each row its own table: every block stays in use to the end
    FetchedItem scratch;
    while (const auto id = hits->next()) {
        ItemView row;
        ASSERT_TRUE(reader.view(*id, row, scratch));
        std::vector<CellDraft> drafts(columns.size());
        makeCells(columns, row, texts, drafts.data());
        RowTable& table = tables.emplace_back(columns.size(), 1);
        for (size_t c = 0; c < columns.size(); ++c) drafts[c].fill(table.cell(c, 0));
        texts.keepIn(table);
    }
    store::execSql(index_.db(), "COMMIT");
    for (const RowTable& table : tables) rows.push_back(shownRow(table, 0));
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, expected_);
}

INSTANTIATE_TEST_SUITE_P(Budgets, CellsByBudget,
                         ::testing::Values(RowReader::kDefaultHeldBytes, size_t{16384}, size_t{64}));

}  // namespace
}  // namespace skimmer::index::query::test
