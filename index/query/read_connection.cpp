#include "index/query/read_connection.h"

#include "index/query/safecall_error.h"
#include "index/storage/index_files.h"

#include <ctime>

namespace skimmer::index::query {

Clock systemClock() {
    return [] { return static_cast<int64_t>(std::time(nullptr)); };
}

void requireIndexFile(const std::filesystem::path& file) {
    if (file.empty() || store::inspectFile(file).shape == store::FileShape::Absent)
        throw SafecallError(kIndexMissing, "there is no index at " + file.string() + "; build it with skimmer-index");
    // SQLite would block opening a FIFO and fail obscurely on a folder: look before it opens.
    for (store::IndexFile which : {store::IndexFile::Database, store::IndexFile::Wal, store::IndexFile::Shm}) {
        const std::filesystem::path path = store::indexFilePath(file, which);
        const store::FileLook look = store::inspectFile(path);
        if (look.shape == store::FileShape::Special)
            throw SafecallError(kIndexDamaged, store::notRegularText(path, look) +
                                                   "; running skimmer-index moves it aside and rebuilds the index");
    }
}

store::Db openForReading(const std::filesystem::path& file) {
    requireIndexFile(file);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    store::Db db(raw);
    if (rc != SQLITE_OK) throwSqlite(raw, rc, "opening " + file.string());
    sqlite3_busy_timeout(raw, kBusyWaitMs);
    // A reader never writes: closing the last connection must not checkpoint the WAL (which would
    // write and fsync the database on every query of a short-lived process).
    sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    sqlite3_exec(raw, "PRAGMA query_only=1", nullptr, nullptr, nullptr);
    return db;
}

std::optional<std::string> readMeta(sqlite3* db, const char* key) {
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT value FROM meta WHERE key = ?", -1, &raw, nullptr);
    if (rc != SQLITE_OK) throwSqlite(db, rc, "reading the index's state");
    store::Stmt stmt(raw);
    sqlite3_bind_text(raw, 1, key, -1, SQLITE_STATIC);
    rc = sqlite3_step(raw);
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) throwSqlite(db, rc, "reading the index's state");
    return store::columnBytes(raw, 0);
}

}  // namespace skimmer::index::query
