// I3: a damaged index or name sidecar is reported as damaged (Safecall error 80070570, "rebuild
// it with skimmer-index"), never a crash and never wrong rows from the sidecar.
// I4: queries while a crawler commits see whole commits only, and a busy index fails cleanly.
#include "index/query/connection.h"
#include "index/query/name_index_builder.h"
#include "index/query/name_index_format.h"
#include "index/query/query_text.h"
#include "index/query/safecall_error.h"
#include "index/storage/index_writer.h"
#include "tests/index/query/test_index.h"

#include <atomic>
#include <fstream>
#include <thread>

namespace skimmer::index::query::test {
namespace {

const char* const kQueries[] = {"e", "re", "rep", "port", "a b", "x OR s", "kind:music", "ext:mp3 t"};

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// All URLs of every query, or the SafecallError code met.
struct Answer {
    HResult code = 0;
    std::vector<std::string> urls;
    bool operator==(const Answer&) const = default;
};

Answer ask(const std::filesystem::path& db) {
    Answer answer;
    try {
        Connection connection;
        connection.open(connectionStringFor(db));
        for (const char* text : kQueries) {
            auto recordset = connection.execute(makeQueryText("System.ItemURL", text));
            while (!recordset->eof()) {
                const RowTable rows = recordset->getRows(64);
                for (size_t r = 0; r < rows.rowCount(); ++r) answer.urls.push_back(rows.cell(0, r).text);
            }
            answer.urls.push_back("--");
        }
    } catch (const SafecallError& error) {
        answer.code = error.code();
        answer.urls.clear();
    }
    return answer;
}

class Damage : public ::testing::Test {
protected:
    void SetUp() override {
        fillRandom(index_, 1500, 77);
        index_.buildSidecar({16, 0});
        ASSERT_TRUE(store::execSql(index_.db(), "PRAGMA wal_checkpoint(TRUNCATE)").ok);
        copy_ = index_.file().parent_path() / "copy.sqlite";
        dbBytes_ = readFile(index_.file());
        namesBytes_ = readFile(nameIndexPathFor(index_.file()));
        restore();
        reference_ = ask(copy_);
        ASSERT_EQ(reference_.code, 0u);
    }

    void restore() {
        writeFile(copy_, dbBytes_);
        writeFile(nameIndexPathFor(copy_), namesBytes_);
    }

    TestIndex index_;
    std::filesystem::path copy_;
    std::string dbBytes_, namesBytes_;
    Answer reference_;
};

TEST_F(Damage, EveryFlippedSidecarByteIsReportedOrHarmless) {
    int detected = 0;
    const size_t step = std::max<size_t>(1, namesBytes_.size() / 700);
    for (size_t at = 0; at < namesBytes_.size(); at += (at < 200 ? 1 : step)) {
        std::string bytes = namesBytes_;
        bytes[at] = static_cast<char>(bytes[at] ^ (1 << (at % 8)));
        writeFile(nameIndexPathFor(copy_), bytes);
        const Answer answer = ask(copy_);
        if (answer.code != 0) {
            EXPECT_EQ(answer.code, kIndexDamaged) << "byte " << at;
            ++detected;
        } else {
            EXPECT_TRUE(answer == reference_) << "wrong rows after flipping byte " << at;
        }
        if (at < sizeof(sidecar::Header)) {
            EXPECT_EQ(answer.code, kIndexDamaged) << "header byte " << at;
        }
    }
    EXPECT_GT(detected, 200);
}

TEST_F(Damage, TruncatedOrForeignSidecarIsReported) {
    for (size_t length : {size_t{0}, size_t{10}, sizeof(sidecar::Header), namesBytes_.size() / 2, namesBytes_.size() - 1}) {
        writeFile(nameIndexPathFor(copy_), namesBytes_.substr(0, length));
        const Answer answer = ask(copy_);
        EXPECT_EQ(answer.code, kIndexDamaged) << "length " << length;
    }
    writeFile(nameIndexPathFor(copy_), "not a sidecar at all, but long enough to hold a header...............................................................................");
    EXPECT_EQ(ask(copy_).code, kIndexDamaged);
}

TEST_F(Damage, FlippedDatabaseBytesNeverCrashAndAreReportedAsDamage) {
    int damaged = 0;
    const size_t step = std::max<size_t>(1, dbBytes_.size() / 300);
    for (size_t at = 0; at < dbBytes_.size(); at += step) {
        std::string bytes = dbBytes_;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x5A);
        writeFile(copy_, bytes);
        writeFile(nameIndexPathFor(copy_), namesBytes_);
        const Answer answer = ask(copy_);
        if (answer.code == kIndexDamaged) ++damaged;
    }
    std::string bytes = dbBytes_;
    bytes[3] = 'X';  // the file's magic
    writeFile(copy_, bytes);
    EXPECT_EQ(ask(copy_).code, kIndexDamaged);
    EXPECT_GT(damaged, 0);
    std::filesystem::remove(copy_);
    EXPECT_EQ(ask(copy_).code, kIndexMissing);
}

TEST(SearchWhileIndexing, ReadersSeeWholeCommitsAndBusyIsHandled) {
    TestIndex index;
    constexpr int kBatches = 40, kBatchSize = 25;
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        store::OpenedIndex own = store::openIndexForWriting(index.file());
        sqlite3* db = own.db.get();
        store::IndexWriter batches(db);
        std::vector<store::CrawledItem> rows;  // the entries of folder 1, growing by one batch per commit
        for (int b = 0; b < kBatches; ++b) {
            batches.begin();
            const auto before = static_cast<int64_t>(rows.size());
            for (int i = 0; i < kBatchSize; ++i) {
                store::CrawledItem row;
                row.name = "wave " + std::to_string(b) + "_" + std::to_string(i);
                row.kind = 2;
                rows.push_back(row);
            }
            batches.replaceEntries(1, rows, before);
            EXPECT_TRUE(batches.commit({}).ok);
            if (b % 8 == 7) buildNameIndex(db);
        }
        writing = false;
    });
    // Two readers share the process-wide name sidecar while the writer replaces it.
    auto reader = [&](int64_t& queries, int64_t& busy) {
        int64_t last = 0;
        Connection connection;
        connection.open(connectionStringFor(index.file()));
        while (writing || queries == 0) {
            try {
                auto recordset = connection.execute(makeQueryText("System.ItemName", "wave"));
                int64_t count = 0;
                while (!recordset->eof()) count += static_cast<int64_t>(recordset->getRows(100).rowCount());
                EXPECT_EQ(count % kBatchSize, 0) << "a reader saw part of a commit";
                EXPECT_GE(count, last);
                last = count;
                ++queries;
            } catch (const SafecallError& error) {
                EXPECT_EQ(error.code(), kIndexBusy) << error.detail();
                ++busy;
            }
        }
    };
    int64_t queries[2] = {0, 0}, busy[2] = {0, 0};
    std::thread second(reader, std::ref(queries[1]), std::ref(busy[1]));
    reader(queries[0], busy[0]);
    second.join();
    writer.join();
    Connection connection;
    connection.open(connectionStringFor(index.file()));
    auto recordset = connection.execute(makeQueryText("System.ItemName", "wave"));
    int64_t count = 0;
    while (!recordset->eof()) count += static_cast<int64_t>(recordset->getRows(100).rowCount());
    EXPECT_EQ(count, kBatches * kBatchSize);
    for (int r = 0; r < 2; ++r) {
        EXPECT_GT(queries[r], 0);
        EXPECT_LT(busy[r], queries[r] + 10);
    }
}

}  // namespace
}  // namespace skimmer::index::query::test
