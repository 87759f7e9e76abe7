#include "index/storage/sqlite_handle.h"

namespace skimmer::index::store {

Status sqliteFailure(sqlite3* db, std::string_view what) {
    const int code = db ? sqlite3_extended_errcode(db) : SQLITE_ERROR;
    std::string message = db ? sqlite3_errmsg(db) : "no database";
    return Status::failure(std::string(what) + ": " + message, code);
}

Status execSql(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return {};
    Status status = Status::failure(message ? message : "unknown error", sqlite3_extended_errcode(db));
    sqlite3_free(message);
    return status;
}

Stmt prepare(sqlite3* db, std::string_view sql, Status& status) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw,
                           nullptr) != SQLITE_OK) {
        status = sqliteFailure(db, "preparing \"" + std::string(sql.substr(0, 60)) + "\"");
        return nullptr;
    }
    return Stmt(raw);
}

std::string columnBytes(sqlite3_stmt* stmt, int index) {
    const void* data = sqlite3_column_blob(stmt, index);
    const int size = sqlite3_column_bytes(stmt, index);
    if (data == nullptr || size <= 0) return {};
    return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

std::optional<int64_t> queryInt(sqlite3* db, const char* sql) {
    Status status;
    Stmt stmt = prepare(db, sql, status);
    if (!stmt || sqlite3_step(stmt.get()) != SQLITE_ROW) return std::nullopt;
    return sqlite3_column_int64(stmt.get(), 0);
}

}  // namespace skimmer::index::store
