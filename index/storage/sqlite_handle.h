// Ownership types and small helpers for the system SQLite, shared by the writer and reader sides.
//
// Contract:
// - `Db` and `Stmt` own their handles and close/finalize them exactly once; nothing else here
//   keeps a handle.
// - Helpers never throw. A failure comes back as a `Status` carrying SQLite's message and code,
//   which is the one error convention of the index's store layer.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::index::store {

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

// The outcome of an operation: ok, or a one-line reason. `code` is SQLite's extended result
// code when SQLite failed, else 0.
struct Status {
    bool ok = true;
    std::string error;
    int code = 0;
    explicit operator bool() const { return ok; }
    static Status failure(std::string error, int code = 0) { return {false, std::move(error), code}; }
};

// A failed Status naming what was attempted and SQLite's own message for `db`.
Status sqliteFailure(sqlite3* db, std::string_view what);

// Runs SQL text without results (may hold several statements).
Status execSql(sqlite3* db, const char* sql);

// Compiles one statement; null with `status` set on failure.
Stmt prepare(sqlite3* db, std::string_view sql, Status& status);

// Binds raw bytes as a BLOB (SQLITE_TRANSIENT: the statement keeps its own copy).
inline int bindBlob(sqlite3_stmt* stmt, int index, std::string_view bytes) {
    return sqlite3_bind_blob64(stmt, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
}
inline int bindText(sqlite3_stmt* stmt, int index, std::string_view text) {
    return sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// Column `index` of the current row as bytes (BLOB or TEXT); empty for NULL.
std::string columnBytes(sqlite3_stmt* stmt, int index);

// The first column of the first row of `sql`, as an integer; none when there is no row or on error.
std::optional<int64_t> queryInt(sqlite3* db, const char* sql);

}  // namespace skimmer::index::store
