// Browser files made by tests and benchmarks: a Firefox places.sqlite and a Chromium History with
// the columns the browsers' own tables have, and a Chromium Bookmarks JSON file. Never a real
// profile: everything is written below the caller's folder.
#pragma once

#include "index/sources/browser_readers.h"
#include "index/storage/sqlite_handle.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace skimmer::index::store::test {

struct FakePage {
    std::string url, title;
    int64_t time = 0;     // Unix seconds: last visit (history) or date added (bookmark)
    bool hidden = false;  // history: a page the browser hides (a redirect source, a frame)
};

inline int64_t firefoxTime(int64_t unix) { return unix * 1000000 + 123456; }
inline int64_t chromiumTime(int64_t unix) { return (unix + kChromiumEpochOffset) * 1000000 + 654321; }

inline Db openForWriting(const std::string& path) {
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot create " + path);
    return Db(raw);
}

inline void run(sqlite3* db, const std::string& sql) {
    const Status status = execSql(db, sql.c_str());
    if (!status.ok) throw std::runtime_error(status.error + " in " + sql);
}

// Prepares `sql`, binds each row's values through `bind` and steps it once per row.
template <typename Row, typename Bind>
void insertRows(sqlite3* db, const char* sql, const std::vector<Row>& rows, Bind bind) {
    Status status;
    Stmt stmt = prepare(db, sql, status);
    if (!stmt) throw std::runtime_error(status.error);
    for (size_t i = 0; i < rows.size(); ++i) {
        sqlite3_reset(stmt.get());
        sqlite3_clear_bindings(stmt.get());
        bind(stmt.get(), static_cast<int64_t>(i), rows[i]);
        if (sqlite3_step(stmt.get()) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
    }
}

inline constexpr const char* kFirefoxSchema = R"sql(
PRAGMA journal_mode = WAL;
PRAGMA user_version = 77;
CREATE TABLE moz_origins (id INTEGER PRIMARY KEY, prefix TEXT NOT NULL, host TEXT NOT NULL,
  frecency INTEGER NOT NULL, recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER,
  recalc_alt_frecency INTEGER NOT NULL DEFAULT 0, UNIQUE (prefix, host));
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR,
  visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL,
  frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL,
  url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT, preview_image_url TEXT, site_name TEXT,
  origin_id INTEGER REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER,
  recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER, visit_date INTEGER,
  visit_type INTEGER, session INTEGER, source INTEGER DEFAULT 0 NOT NULL, triggeringPlaceId INTEGER);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER,
  position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER,
  guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);
CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);
CREATE INDEX moz_places_lastvisitdateindex ON moz_places (last_visit_date);
CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);
CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);
CREATE INDEX moz_historyvisits_dateindex ON moz_historyvisits (visit_date);
CREATE INDEX moz_bookmarksindex ON moz_bookmarks (fk, type);
CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (parent, position);
CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks (guid);
INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES
  (1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'), (3, 2, 1, 1, 'toolbar', 'toolbar_____'),
  (4, 2, 1, 2, 'tags', 'tags________'), (5, 2, 1, 3, 'unfiled', 'unfiled_____'), (6, 2, 1, 4, 'mobile', 'mobile______'),
  (7, 2, 4, 0, 'a-tag', 'tagfolder001'), (8, 3, 2, 0, NULL, 'separator001');
)sql";

// A places.sqlite with `history` as visited places (one visit row each, unless hidden) and
// `bookmarks` as bookmarks in the menu, each bookmarked page a place of its own (unvisited).
// `tagged` pages are also entered under a tag, which must not count as a bookmark.
inline void writeFirefoxPlaces(const std::string& path, const std::vector<FakePage>& history,
                               const std::vector<FakePage>& bookmarks, const std::vector<FakePage>& tagged = {}) {
    Db db = openForWriting(path);
    run(db.get(), kFirefoxSchema);
    run(db.get(), "BEGIN");
    insertRows(db.get(),
               "INSERT INTO moz_places (id, url, title, rev_host, visit_count, hidden, last_visit_date, guid, url_hash) "
               "VALUES (?1, ?2, ?3, 'gro.elpmaxe.', 1, ?4, ?5, 'h' || ?1, ?1)",
               history, [](sqlite3_stmt* s, int64_t i, const FakePage& p) {
                   sqlite3_bind_int64(s, 1, 1000 + i);
                   bindText(s, 2, p.url);
                   if (!p.title.empty()) bindBlob(s, 3, p.title);  // bytes as given, even invalid UTF-8
                   sqlite3_bind_int(s, 4, p.hidden);
                   sqlite3_bind_int64(s, 5, firefoxTime(p.time));
               });
    insertRows(db.get(),
               "INSERT INTO moz_historyvisits (place_id, visit_date, visit_type, from_visit) VALUES (?1, ?2, 1, 0)",
               history, [](sqlite3_stmt* s, int64_t i, const FakePage& p) {
                   sqlite3_bind_int64(s, 1, 1000 + i);
                   sqlite3_bind_int64(s, 2, firefoxTime(p.time));
               });
    std::vector<FakePage> marked = bookmarks;
    marked.insert(marked.end(), tagged.begin(), tagged.end());
    insertRows(db.get(), "INSERT INTO moz_places (id, url, title, guid, url_hash, frecency) VALUES (?1, ?2, 'page title', 'b' || ?1, ?1, 0)",
               marked, [](sqlite3_stmt* s, int64_t i, const FakePage& p) {
                   sqlite3_bind_int64(s, 1, 10000000 + i);
                   bindText(s, 2, p.url);
               });
    insertRows(db.get(),
               "INSERT INTO moz_bookmarks (type, fk, parent, position, title, dateAdded, lastModified, guid) "
               "VALUES (1, ?1, ?2, ?1, ?3, ?4, ?4, 'bm' || ?1)",
               marked, [&](sqlite3_stmt* s, int64_t i, const FakePage& p) {
                   sqlite3_bind_int64(s, 1, 10000000 + i);
                   sqlite3_bind_int64(s, 2, static_cast<size_t>(i) < bookmarks.size() ? 2 : 7);
                   bindText(s, 3, p.title);
                   sqlite3_bind_int64(s, 4, firefoxTime(p.time));
               });
    run(db.get(), "COMMIT");
}

inline constexpr const char* kChromiumHistorySchema = R"sql(
CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);
INSERT INTO meta VALUES ('version', '66'), ('last_compatible_version', '16'), ('mmap_status', '-1');
CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR,
  visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL,
  last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL);
CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT, url INTEGER NOT NULL, visit_time INTEGER NOT NULL,
  from_visit INTEGER, external_referrer_url TEXT, transition INTEGER DEFAULT 0 NOT NULL, segment_id INTEGER,
  visit_duration INTEGER DEFAULT 0 NOT NULL, incremented_omnibox_typed_score BOOLEAN DEFAULT FALSE NOT NULL,
  opener_visit INTEGER, originator_cache_guid TEXT, originator_visit_id INTEGER, originator_from_visit INTEGER,
  originator_opener_visit INTEGER, is_known_to_sync BOOLEAN DEFAULT FALSE NOT NULL,
  consider_for_ntp_most_visited BOOLEAN DEFAULT FALSE NOT NULL, visited_link_id INTEGER DEFAULT 0 NOT NULL,
  app_id TEXT);
CREATE INDEX urls_url_index ON urls (url);
CREATE INDEX visits_url_index ON visits (url);
CREATE INDEX visits_time_index ON visits (visit_time);
)sql";

inline void writeChromiumHistory(const std::string& path, const std::vector<FakePage>& history) {
    Db db = openForWriting(path);
    run(db.get(), kChromiumHistorySchema);
    run(db.get(), "BEGIN");
    insertRows(db.get(),
               "INSERT INTO urls (id, url, title, visit_count, typed_count, last_visit_time, hidden) "
               "VALUES (?1, ?2, ?3, 1, 0, ?4, ?5)",
               history, [](sqlite3_stmt* s, int64_t i, const FakePage& p) {
                   sqlite3_bind_int64(s, 1, i + 1);
                   bindText(s, 2, p.url);
                   bindBlob(s, 3, p.title);
                   sqlite3_bind_int64(s, 4, chromiumTime(p.time));
                   sqlite3_bind_int(s, 5, p.hidden);
               });
    insertRows(db.get(), "INSERT INTO visits (url, visit_time, transition) VALUES (?1, ?2, 805306368)", history,
               [](sqlite3_stmt* s, int64_t i, const FakePage& p) {
                   sqlite3_bind_int64(s, 1, i + 1);
                   sqlite3_bind_int64(s, 2, chromiumTime(p.time));
               });
    run(db.get(), "COMMIT");
}

// A Bookmarks file: the first half of `pages` on the bookmark bar, the rest in a folder inside
// a folder of "other"; "synced" is empty.
inline std::string chromiumBookmarksJson(const std::vector<FakePage>& pages) {
    using nlohmann::json;
    auto node = [](const FakePage& p, size_t id) {
        return json{{"date_added", std::to_string(chromiumTime(p.time))}, {"guid", "g" + std::to_string(id)},
                    {"id", std::to_string(id)}, {"name", p.title}, {"type", "url"}, {"url", p.url}};
    };
    auto folder = [](const std::string& name, json children) {
        return json{{"children", std::move(children)}, {"date_added", "13300000000000000"}, {"name", name}, {"type", "folder"}};
    };
    json bar = json::array(), deep = json::array();
    for (size_t i = 0; i < pages.size(); ++i) (i < pages.size() / 2 ? bar : deep).push_back(node(pages[i], i + 10));
    json other = folder("Other bookmarks", json::array({folder("outer", json::array({folder("inner", deep)}))}));
    json document = {{"checksum", "0123456789abcdef"},
                     {"roots", {{"bookmark_bar", folder("Bookmarks bar", bar)}, {"other", other},
                                {"synced", folder("Mobile bookmarks", json::array())}}},
                     {"version", 1}};
    return document.dump(3);
}

inline void writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace skimmer::index::store::test
