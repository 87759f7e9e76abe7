#include "index/storage/schema.h"

#include "index/storage/index_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>
#include <system_error>

namespace skimmer::index::store {

const char* const kSchemaSql = R"sql(
-- Crawl state and counters for readers ("items waiting to be indexed"), see schema.h for the keys.
CREATE TABLE meta(
  key TEXT PRIMARY KEY,  -- one of the kMeta* names
  value                  -- INTEGER for counters and times, TEXT otherwise
) WITHOUT ROWID;

-- Every folder the crawler visited, with its entries packed into one BLOB (folder_entries.h): a
-- row per file would cost about twice the bytes and a SQL index to find a folder's files again.
CREATE TABLE dirs(
  id INTEGER PRIMARY KEY,
  parent INTEGER,              -- dirs.id of the containing folder; NULL for a root
  name BLOB NOT NULL,          -- the folder's own name, raw bytes; for a root its absolute path
                               -- (no trailing '/', "/" for the file system's root)
  mtime_ns INTEGER NOT NULL,   -- change stamp when last listed: max(mtime, ctime) in ns; a refresh
                               -- re-lists the folder only when this differs
  count INTEGER NOT NULL,      -- entries in `entries`
  entries BLOB NOT NULL        -- last, so that reading the other columns never touches it
);

-- Items of other sources than folder listings (applications and links from .desktop entries, mail,
-- and later favourites): few enough for a row each, and they carry their own url and display.
CREATE TABLE items(
  id INTEGER PRIMARY KEY,          -- below 2^62: never collides with a folder entry's id
  dir INTEGER NOT NULL,            -- dirs.id of the folder of the file the item was made from; 0 none
  name BLOB NOT NULL,              -- the display Name (UTF-8)
  kind INTEGER NOT NULL,           -- Kind code, index/storage/kinds.h
  ext TEXT NOT NULL DEFAULT '',    -- lower-case extension without the dot
  size INTEGER NOT NULL DEFAULT 0,
  mtime INTEGER NOT NULL DEFAULT 0,-- modified, Unix seconds
  ctime INTEGER NOT NULL DEFAULT 0,-- created, Unix seconds
  attrs INTEGER NOT NULL DEFAULT 0,-- bits: 1 folder, 2 hidden (dot name), 4 read-only, 8 link, 16 unread
  url BLOB NOT NULL,
  display BLOB NOT NULL,
  words BLOB NOT NULL DEFAULT ''   -- more text the item is found by, never shown: a mail's sender
);
CREATE INDEX items_dir ON items(dir);

-- What a mail item (kind Email, url "mapi://...", display its message file) keeps beyond its row.
CREATE TABLE mail(
  item INTEGER PRIMARY KEY,        -- items.id; removed together with the item
  sender BLOB NOT NULL,            -- From, decoded
  recipients BLOB NOT NULL,        -- To, decoded
  folder BLOB NOT NULL,            -- the Maildir folder's path
  message_id BLOB NOT NULL,        -- without angle brackets; '' when the message has none
  flags TEXT NOT NULL              -- the Maildir flag letters ("RS"); unread is items.attrs bit 16
);
)sql";

std::filesystem::path defaultIndexPath() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::filesystem::path(cache) / "skimmer" / "index.sqlite";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::filesystem::path(home) / ".cache" / "skimmer" / "index.sqlite";
    return {};
}

SchemaState checkSchema(sqlite3* db, std::string& why) {
    const std::optional<int64_t> version = queryInt(db, "PRAGMA user_version");
    const std::optional<int64_t> objects = queryInt(db, "SELECT count(*) FROM sqlite_master");
    if (!version || !objects) {
        why = sqlite3_errmsg(db);
        return SchemaState::Damaged;
    }
    if (*version == 0 && *objects == 0) return SchemaState::Empty;
    if (*version != kSchemaVersion) {
        why = "schema version " + std::to_string(*version) + ", this indexer writes version " +
              std::to_string(kSchemaVersion);
        return SchemaState::Old;
    }
    const std::optional<int64_t> ours = queryInt(
        db, "SELECT count(*) FROM sqlite_master WHERE name IN ('meta','dirs','items','items_dir','mail')");
    if (ours.value_or(0) != 5) {
        why = "tables are missing";
        return SchemaState::Damaged;
    }
    return SchemaState::Current;
}

namespace {

Db openFile(const std::filesystem::path& file, Status& status) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        status = sqliteFailure(db.get(), "opening " + file.string());
        return nullptr;
    }
    sqlite3_extended_result_codes(db.get(), 1);
    sqlite3_busy_timeout(db.get(), 5000);
    return db;
}

// Any index file that is a folder, FIFO, socket, device or dangling link is moved aside before
// SQLite or the sidecar writer opens it: opening a FIFO would block, and a folder in place of the
// sidecar or the shared-memory file makes every later reader fail.
Status moveSpecialFilesAside(const std::filesystem::path& file, std::string& notice) {
    // "<file>.damaged" is not one of them: it is only ever a destination (and what was moved
    // there is special by nature; moving it on would grow a chain of names with every run). All
    // are looked at before any is moved.
    std::vector<std::pair<std::filesystem::path, FileLook>> special;
    for (IndexFile which : {IndexFile::Database, IndexFile::Wal, IndexFile::Shm, IndexFile::Sidecar, IndexFile::Lock}) {
        const std::filesystem::path path = indexFilePath(file, which);
        if (FileLook look = inspectFile(path); look.shape == FileShape::Special) special.emplace_back(path, look);
    }
    for (const auto& [path, look] : special) {
        std::filesystem::path movedTo;
        if (Status s = moveAside(path, movedTo); !s)
            return Status::failure(notRegularText(path, look) + "; " + s.error);
        if (!notice.empty()) notice += "; ";
        notice += notRegularText(path, look) + ": it was moved to " + movedTo.string();
    }
    return {};
}

// A stamp telling this index file apart from any other, including one later made at the same path.
int64_t randomInstance() {
    std::random_device device;
    const uint64_t high = device(), low = device();
    return static_cast<int64_t>(((high << 32) | low) & INT64_MAX);
}

Status createSchema(sqlite3* db) {
    // Pages of 16 KB hold most folders' packed entries whole; with 4 KB pages the part-filled
    // overflow pages of large folders cost about a sixth of the file. The size must be chosen
    // before the first write, and WAL must be switched on outside a transaction (both stick).
    if (Status s = execSql(db, "PRAGMA page_size=16384; PRAGMA journal_mode=WAL"); !s) return s;
    if (Status s = execSql(db, "BEGIN IMMEDIATE"); !s) return s;
    Status s = execSql(db, kSchemaSql);
    if (s) s = execSql(db, ("PRAGMA user_version=" + std::to_string(kSchemaVersion)).c_str());
    if (s) s = writeMeta(db, kMetaGeneration, int64_t{0});
    if (s) s = writeMeta(db, kMetaCrawlState, std::string_view("idle"));
    if (s) s = writeMeta(db, kMetaIndexerVersion, std::string_view(kIndexerVersion));
    if (s) s = writeMeta(db, kMetaInstance, randomInstance());
    if (s) s = writeMeta(db, kMetaItemCount, int64_t{0});
    if (s) return execSql(db, "COMMIT");
    execSql(db, "ROLLBACK");
    return s;
}

Status prepareFolder(const std::filesystem::path& file) {
    std::error_code error;
    const std::filesystem::path folder = file.parent_path();
    if (folder.empty() || std::filesystem::is_directory(folder, error)) return {};
    // Create each missing level with mode 0700: the index lists every private file name.
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return Status::failure("cannot create " + partial.string() + ": " + std::generic_category().message(errno));
    }
    return {};
}

}  // namespace

OpenedIndex openIndexForWriting(const std::filesystem::path& file) {
    OpenedIndex result;
    if (result.status = prepareFolder(file); !result.status) return result;
    if (result.status = moveSpecialFilesAside(file, result.notice); !result.status) return result;
    for (int attempt = 0; attempt < 2; ++attempt) {
        result.db = openFile(file, result.status);
        if (!result.db) return result;
        std::string why;
        const SchemaState state = checkSchema(result.db.get(), why);
        if (state == SchemaState::Current) {
            result.status = execSql(result.db.get(), "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
            if (!result.status) result.db.reset();
            return result;
        }
        if (state == SchemaState::Empty) {
            result.status = createSchema(result.db.get());
            if (result.status) result.status = execSql(result.db.get(), "PRAGMA synchronous=NORMAL");
            if (!result.status) result.db.reset();
            result.fresh = true;
            return result;
        }
        result.db.reset();
        std::filesystem::path movedTo;
        if (result.status = moveDatabaseAside(file, movedTo); !result.status) return result;
        if (!result.notice.empty()) result.notice += "; ";
        result.notice += "the index " + file.string() + " " +
                         (state == SchemaState::Old ? "has an older format (" : "is damaged (") + why +
                         "); it was moved to " + movedTo.string() + " and is rebuilt";
    }
    result.status = Status::failure("cannot create a fresh index at " + file.string());
    return result;
}

namespace {

template <typename Bind>
Status writeMetaWith(sqlite3* db, const char* key, Bind bind) {
    Status status;
    Stmt stmt = prepare(db, "INSERT OR REPLACE INTO meta(key, value) VALUES(?1, ?2)", status);
    if (!stmt) return status;
    sqlite3_bind_text(stmt.get(), 1, key, -1, SQLITE_STATIC);
    bind(stmt.get());
    if (sqlite3_step(stmt.get()) != SQLITE_DONE) return sqliteFailure(db, std::string("writing meta ") + key);
    return {};
}

// The value of `key` as a row positioned on it, or null.
Stmt metaRow(sqlite3* db, const char* key) {
    Status status;
    Stmt stmt = prepare(db, "SELECT value FROM meta WHERE key = ?1", status);
    if (!stmt) return nullptr;
    sqlite3_bind_text(stmt.get(), 1, key, -1, SQLITE_STATIC);
    if (sqlite3_step(stmt.get()) != SQLITE_ROW || sqlite3_column_type(stmt.get(), 0) == SQLITE_NULL) return nullptr;
    return stmt;
}

}  // namespace

Status writeMeta(sqlite3* db, const char* key, int64_t value) {
    return writeMetaWith(db, key, [&](sqlite3_stmt* stmt) { sqlite3_bind_int64(stmt, 2, value); });
}

Status writeMeta(sqlite3* db, const char* key, std::string_view value) {
    return writeMetaWith(db, key, [&](sqlite3_stmt* stmt) { bindText(stmt, 2, value); });
}

std::optional<std::string> readMetaText(sqlite3* db, const char* key) {
    Stmt row = metaRow(db, key);
    if (!row) return std::nullopt;
    return columnBytes(row.get(), 0);
}

std::optional<int64_t> readMetaInt(sqlite3* db, const char* key) {
    Stmt row = metaRow(db, key);
    if (!row) return std::nullopt;
    return sqlite3_column_int64(row.get(), 0);
}

}  // namespace skimmer::index::store
