#include "index/sources/browser_readers.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <exception>

namespace skimmer::index::store {

namespace {

// Firefox: the places not hidden that were ever visited, with their latest visit. last_visit_date
// is Firefox's own summary of moz_historyvisits; the visits table only answers when it is unset.
constexpr const char* kFirefoxHistorySql = R"sql(
SELECT p.url, p.title,
       COALESCE(p.last_visit_date,
                (SELECT max(v.visit_date) FROM moz_historyvisits v WHERE v.place_id = p.id)) AS visited
FROM moz_places p WHERE p.hidden = 0 AND visited > 0)sql";

// Firefox: bookmarks (type 1) that are not tag entries (children of a folder under the tags root).
// A bookmark without a title of its own shows its page's title.
constexpr const char* kFirefoxBookmarksSql = R"sql(
SELECT p.url, COALESCE(NULLIF(b.title, ''), p.title), b.dateAdded
FROM moz_bookmarks b JOIN moz_places p ON p.id = b.fk
WHERE b.type = 1 AND b.parent NOT IN (
  SELECT t.id FROM moz_bookmarks t WHERE t.parent IN (SELECT r.id FROM moz_bookmarks r WHERE r.guid = 'tags________')))sql";

constexpr const char* kChromiumHistorySql =
    "SELECT url, title, last_visit_time FROM urls WHERE hidden = 0 AND last_visit_time > 0";

using TimeConverter = int64_t (*)(int64_t);

bool damagedCode(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// A failure to compile one of our statements on a readable database means the tables are not the
// ones we know: a newer (or much older) schema, named with the version the file states.
Status schemaFailure(sqlite3* db, const Status& prepared, const char* versionSql) {
    if (damagedCode(prepared.code) || (prepared.code & 0xFF) != SQLITE_ERROR) return prepared;
    const std::optional<int64_t> version = queryInt(db, versionSql);
    return Status::failure("a schema we do not read (version " + (version ? std::to_string(*version) : "unknown") +
                               "): " + sqlite3_errmsg(db),
                           prepared.code);
}

Status readRows(sqlite3* db, const char* sql, const char* versionSql, TimeConverter convert,
                std::vector<BrowserVisit>& out) {
    Status status;
    Stmt stmt = prepare(db, sql, status);
    if (!stmt) return schemaFailure(db, status, versionSql);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW)
        out.push_back({.url = columnBytes(stmt.get(), 0),
                       .title = columnBytes(stmt.get(), 1),
                       .time = convert(sqlite3_column_int64(stmt.get(), 2))});
    if (rc != SQLITE_DONE) return sqliteFailure(db, "reading");
    return {};
}

// A Chromium time given as a JSON string of decimal microseconds (or, leniently, a number).
int64_t jsonTime(const nlohmann::json& node) {
    const auto found = node.find("date_added");
    if (found == node.end()) return 0;
    if (found->is_number_integer()) return unixFromChromiumTime(found->get<int64_t>());
    if (!found->is_string()) return 0;
    const std::string& text = found->get_ref<const std::string&>();
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? unixFromChromiumTime(value) : 0;
}

std::string jsonString(const nlohmann::json& node, const char* key) {
    const auto found = node.find(key);
    return found != node.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// Walks the bookmark tree without recursion, so that a hostile file's depth costs memory only.
void collectBookmarks(const nlohmann::json& roots, std::vector<BrowserVisit>& out) {
    std::vector<const nlohmann::json*> pending;
    for (const auto& [name, root] : roots.items()) pending.push_back(&root);
    while (!pending.empty()) {
        const nlohmann::json& node = *pending.back();
        pending.pop_back();
        if (!node.is_object()) continue;
        const std::string type = jsonString(node, "type");
        if (type == "url") {
            out.push_back({.url = jsonString(node, "url"), .title = jsonString(node, "name"), .time = jsonTime(node)});
            continue;
        }
        const auto children = node.find("children");
        if (children == node.end() || !children->is_array()) continue;
        for (auto it = children->rbegin(); it != children->rend(); ++it) pending.push_back(&*it);
    }
}

}  // namespace

int64_t unixFromFirefoxTime(int64_t microseconds) { return microseconds > 0 ? microseconds / 1000000 : 0; }

int64_t unixFromChromiumTime(int64_t microseconds) {
    const int64_t seconds = microseconds > 0 ? microseconds / 1000000 - kChromiumEpochOffset : 0;
    return seconds > 0 ? seconds : 0;
}

Status readFirefoxPlaces(sqlite3* db, BrowserRead& out) {
    BrowserRead read;
    const char* version = "PRAGMA user_version";
    Status status = readRows(db, kFirefoxBookmarksSql, version, unixFromFirefoxTime, read.bookmarks);
    if (status.ok) status = readRows(db, kFirefoxHistorySql, version, unixFromFirefoxTime, read.history);
    if (!status.ok) return status;
    out.bookmarks.insert(out.bookmarks.end(), read.bookmarks.begin(), read.bookmarks.end());
    out.history.insert(out.history.end(), read.history.begin(), read.history.end());
    return {};
}

Status readChromiumHistory(sqlite3* db, BrowserRead& out) {
    std::vector<BrowserVisit> history;
    Status status = readRows(db, kChromiumHistorySql, "SELECT CAST(value AS INTEGER) FROM meta WHERE key = 'version'",
                             unixFromChromiumTime, history);
    if (!status.ok) return status;
    out.history.insert(out.history.end(), history.begin(), history.end());
    return {};
}

Status parseChromiumBookmarks(std::string_view json, BrowserRead& out) {
    try {
        const nlohmann::json document = nlohmann::json::parse(json.begin(), json.end(), nullptr, false);
        if (document.is_discarded()) return Status::failure("not valid JSON");
        if (!document.is_object()) return Status::failure("not a bookmarks file");
        const auto version = document.find("version");
        if (version != document.end() && (!version->is_number_integer() || version->get<int64_t>() != kChromiumBookmarksVersion))
            return Status::failure("bookmarks version " + version->dump() + " is not one we read");
        const auto roots = document.find("roots");
        if (roots == document.end() || !roots->is_object()) return Status::failure("not a bookmarks file (no roots)");
        std::vector<BrowserVisit> bookmarks;
        collectBookmarks(*roots, bookmarks);
        out.bookmarks.insert(out.bookmarks.end(), bookmarks.begin(), bookmarks.end());
        return {};
    } catch (const std::exception& error) {
        return Status::failure(std::string("cannot read bookmarks: ") + error.what());
    }
}

}  // namespace skimmer::index::store
