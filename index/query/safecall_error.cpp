#include "index/query/safecall_error.h"

#include <sqlite3.h>

namespace skimmer::index::query {

HResult hresultFromSqlite(int sqliteCode) {
    switch (sqliteCode & 0xFF) {
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB:
        case SQLITE_FORMAT:
            return kIndexDamaged;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return kIndexBusy;
        case SQLITE_CANTOPEN:
            return kIndexMissing;
        default:
            return kEFail;
    }
}

void throwSqlite(sqlite3* db, int sqliteCode, const std::string& what) {
    const HResult code = hresultFromSqlite(sqliteCode);
    std::string detail = what + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(sqliteCode));
    if (code == kIndexDamaged) detail += " (the index is damaged; run skimmer-index to rebuild it)";
    throw SafecallError(code, std::move(detail));
}

}  // namespace skimmer::index::query
