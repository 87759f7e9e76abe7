// A small index database for the reader's tests: the real schema (created by the store's own
// opener), folders as roots and their entries written with the store's own packing when a batch
// is committed, the generation bumped by hand, the name sidecar built on demand.
// Also a random-tree generator and the brute-force search that the tests take as ground truth.
#pragma once

#include "index/query/hit_stream.h"
#include "index/query/name_index_builder.h"
#include "index/query/name_index_reader.h"
#include "index/query/query_parser.h"
#include "index/storage/folder_entries.h"
#include "index/storage/item_binding.h"
#include "index/storage/item_ids.h"
#include "index/storage/kinds.h"
#include "index/storage/schema.h"
#include "os/utf8.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace skimmer::index::query::test {

struct TestItem {
    int64_t id = 0;
    int64_t dir = 1;
    std::string name;
    int kind = 2;
    std::string ext;
    int64_t size = 0;
    int64_t mtime = 0;
    int64_t ctime = 0;
    int attrs = 0;
    std::optional<std::string> url, display;
    std::string folded;  // os::foldText(name), kept for the brute-force scan

    // The row the store would write for this item.
    store::CrawledItem crawled() const {
        return {.name = name, .kind = kind, .ext = ext, .size = size, .mtime = mtime, .ctime = ctime,
                .attrs = attrs, .url = url, .display = display};
    }
};

class TestIndex {
public:
    TestIndex() : file_(home_.cache() / "skimmer" / "index.sqlite") {
        store::OpenedIndex opened = store::openIndexForWriting(file_);
        EXPECT_TRUE(opened.status.ok) << opened.status.error;
        db_ = std::move(opened.db);
        addDir(1, "/home/user");
    }

    const std::filesystem::path& file() const { return file_; }
    sqlite3* db() { return db_.get(); }
    const std::vector<TestItem>& items() const { return items_; }
    const std::string& dirPath(int64_t id) const { return dirs_.at(static_cast<size_t>(id)); }

    void addDir(int64_t id, const std::string& path) {
        if (dirs_.size() <= static_cast<size_t>(id)) dirs_.resize(static_cast<size_t>(id) + 1);
        dirs_[static_cast<size_t>(id)] = path;
        store::Status status;
        store::Stmt stmt = store::prepare(db(), "INSERT INTO dirs(id, name, mtime_ns, count, entries) VALUES(?, ?, 0, 0, x'')", status);
        sqlite3_bind_int64(stmt.get(), 1, id);
        store::bindBlob(stmt.get(), 2, path);
        EXPECT_EQ(sqlite3_step(stmt.get()), SQLITE_DONE);
    }

    // Items of a folder (dir != 0) are written with their folder when the batch is committed,
    // which is also when their ids are known; the others go to `items` at once.
    void add(TestItem item) {
        item.folded = os::foldText(item.name);
        if (item.dir != 0) {
            item.ext = store::entryExtension(item.name, item.kind);
            dirty_.insert(item.dir);
            items_.push_back(std::move(item));
            return;
        }
        store::Status status;
        store::Stmt stmt = store::prepare(db(), store::kInsertItemSql, status);
        ASSERT_TRUE(stmt) << status.error;
        sqlite3_stmt* s = stmt.get();
        sqlite3_bind_int64(s, 1, 0);
        store::CrawledItem row = item.crawled();
        // `items` rows must carry both texts; a test that does not care about them stores them empty.
        row.url = item.url.value_or("");
        row.display = item.display.value_or("");
        store::bindItemData(s, row);
        ASSERT_EQ(sqlite3_step(s), SQLITE_DONE) << sqlite3_errmsg(db());
        item.id = sqlite3_last_insert_rowid(db());
        items_.push_back(std::move(item));
    }

    void bumpGeneration() { ASSERT_TRUE(store::writeMeta(db(), store::kMetaGeneration, ++generation_).ok); }
    void begin() { ASSERT_TRUE(store::execSql(db(), "BEGIN").ok); }
    void commit() {
        for (int64_t dir : dirty_) writeFolder(dir);
        dirty_.clear();
        ASSERT_TRUE(store::writeMeta(db(), store::kMetaItemCount, static_cast<int64_t>(items_.size())).ok);
        ASSERT_TRUE(store::execSql(db(), "COMMIT").ok);
    }

    void buildSidecar(NameIndexBuildOptions options = {}) {
        const NameIndexBuildResult built = buildNameIndex(db(), options);
        ASSERT_TRUE(built.ok) << built.error;
    }

private:
    // Packs the folder's items the way the store does and gives each the id of its position.
    void writeFolder(int64_t dir) {
        std::vector<TestItem*> members;
        for (TestItem& item : items_)
            if (item.dir == dir) members.push_back(&item);
        std::stable_sort(members.begin(), members.end(), [](const TestItem* a, const TestItem* b) { return a->name < b->name; });
        std::vector<store::CrawledItem> rows;
        for (uint32_t pos = 0; pos < members.size(); ++pos) {
            rows.push_back(members[pos]->crawled());  // the packed form keeps no ext, URL or display text
            members[pos]->id = store::entryId(dir, pos);
        }
        store::Status status;
        store::Stmt stmt = store::prepare(db(), "UPDATE dirs SET count = ?2, entries = ?3 WHERE id = ?1", status);
        sqlite3_bind_int64(stmt.get(), 1, dir);
        sqlite3_bind_int64(stmt.get(), 2, static_cast<int64_t>(rows.size()));
        store::bindBlob(stmt.get(), 3, store::encodeEntries(std::move(rows)));
        ASSERT_EQ(sqlite3_step(stmt.get()), SQLITE_DONE) << sqlite3_errmsg(db());
    }

    skimmer::test::TempHome home_;
    std::filesystem::path file_;
    store::Db db_;
    std::vector<TestItem> items_;
    std::vector<std::string> dirs_;
    std::set<int64_t> dirty_;  // folders with items added in the open batch
    int64_t generation_ = 0;
};

// Names mixing ASCII in both cases, digits, separators, Latin-1, Greek (with final sigma),
// Cyrillic, CJK and bytes that are not UTF-8.
inline std::string randomName(std::mt19937& rng) {
    static const std::vector<std::string> kAtoms = {
        "a", "b", "c", "d", "e", "r", "s", "t", "o", "n", "A", "B", "E", "R", "S", "T", "x", "Q",
        "0", "1", "7", ".", "_", " ", "-", "é", "É", "ß", "Ä", "ä", "α", "Α", "ς", "Σ", "σ", "λ", "Λ",
        "д", "Д", "ж", "Ж", "ё", "Ё", "я", "Я", "水", "\xFF", "\xC3", "\x80", "re", "port", "note", "img"};
    std::uniform_int_distribution<size_t> atom(0, kAtoms.size() - 1), length(1, 12);
    std::string name;
    for (size_t n = length(rng); n > 0; --n) name += kAtoms[atom(rng)];
    static const char* const kExts[] = {"", ".txt", ".mp3", ".PDF", ".jpg", ".tar.gz", ".Doc"};
    name += kExts[std::uniform_int_distribution<size_t>(0, 6)(rng)];
    return name;
}

inline void fillRandom(TestIndex& index, size_t count, uint32_t seed) {
    std::mt19937 rng(seed);
    index.addDir(2, "/home/user/Музыка");
    index.addDir(3, "/srv/data/Reports");
    index.begin();
    for (size_t i = 0; i < count; ++i) {
        TestItem item;
        item.name = randomName(rng);
        item.dir = std::uniform_int_distribution<int64_t>(0, 19)(rng) == 0 ? 0 : std::uniform_int_distribution<int64_t>(1, 3)(rng);
        item.kind = std::uniform_int_distribution<int>(0, 23)(rng);
        item.ext = store::extensionOf(item.name);
        item.size = std::uniform_int_distribution<int64_t>(0, 5'000'000)(rng);
        item.mtime = 1'700'000'000 + std::uniform_int_distribution<int64_t>(0, 400)(rng) * 86'400 / 4;  // many ties
        item.ctime = item.mtime - 100;
        if (item.dir == 0) item.display = "app:" + item.name, item.url = "app://" + item.name;
        index.add(std::move(item));
    }
    index.bumpGeneration();
    index.commit();
}

// The ground truth: every item for which `match` holds, in the search order (names beginning with
// `lead` first; then newest first, then by id).
inline std::vector<int64_t> bruteForce(const TestIndex& index, const std::function<bool(const TestItem&)>& match,
                                       const std::string& lead) {
    const std::string foldedLead = os::foldText(lead);
    std::vector<std::pair<bool, const TestItem*>> hits;  // (not a prefix hit, item)
    for (const TestItem& item : index.items())
        if (match(item)) hits.emplace_back(foldedLead.empty() || !item.folded.starts_with(foldedLead), &item);
    std::sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) return !a.first;
        if (a.second->mtime != b.second->mtime) return a.second->mtime > b.second->mtime;
        return a.second->id < b.second->id;
    });
    std::vector<int64_t> ids;
    for (const auto& hit : hits) ids.push_back(hit.second->id);
    return ids;
}

inline bool nameHas(const TestItem& item, const std::string& word) {
    return item.folded.find(os::foldText(word)) != std::string::npos;
}

// Every hit of the query `text` (parsed as at `now`) through the hit stream over `names` (null: the
// database alone) and the names overlay's stale folders, in order, read in one transaction as a
// record set reads them.
inline std::vector<int64_t> hitIds(TestIndex& index, NameIndex* names, const std::string& text, int64_t now = 0,
                                   const std::vector<int64_t>* staleFolders = nullptr) {
    const ParsedQuery parsed = parseQuery(text, now);
    EXPECT_EQ(parsed.status, ParsedQuery::Status::Ok) << text << ": " << parsed.message;
    store::execSql(index.db(), "BEGIN");
    auto stream = openHitStream(index.db(), names, parsed.root, staleFolders);
    std::vector<int64_t> ids;
    while (auto id = stream->next()) ids.push_back(*id);
    store::execSql(index.db(), "COMMIT");
    return ids;
}

}  // namespace skimmer::index::query::test
