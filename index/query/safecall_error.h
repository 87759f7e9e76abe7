// The one error convention of the index's Windows-Search-shaped face (search manager, catalog,
// query helper, connection, record set): a failing call throws `SafecallError`, whose what() is
// exactly "Safecall error: '%X'" with an HRESULT-like code in upper-case hexadecimal without
// leading zeros, and whose detail() says in plain words what went wrong and what helps.
//
// Codes used (real Windows codes, so that messages read familiar):
//   kEFail            0x80004005  anything not listed below (SQLite errors, I/O)
//   kEInvalidArg      0x80070057  an unknown column in the select list, an empty select list
//   kErrorsInCommand  0x80040E14  execute() was given a text that is not a generated query
//   kIndexMissing     0x80070002  the index file does not exist
//   kIndexDamaged     0x80070570  the index or its name sidecar is damaged: rebuild with skimmer-index
//   kIndexBusy        0x800700AA  the index stayed locked beyond the short busy wait
//   kCatalogNotFound  0x80042103  a catalog other than "systemindex" was asked for
//   kObjectClosed     0x800A0E78  the connection or record set is not open
// Nothing here catches: callers (the engine) catch at their boundary.
#pragma once

#include "os/desktop_search.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>

namespace skimmer::index::query {

// The face's error is the desktop search seam's own (os/desktop_search.h), so the engine catches
// one type whichever system answered.
using HResult = os::search::HResult;
using SafecallError = os::search::SearchError;
using os::search::safecallMessage;

inline constexpr HResult kEFail = 0x80004005;
inline constexpr HResult kEInvalidArg = 0x80070057;
inline constexpr HResult kErrorsInCommand = 0x80040E14;
inline constexpr HResult kIndexMissing = 0x80070002;
inline constexpr HResult kIndexDamaged = 0x80070570;
inline constexpr HResult kIndexBusy = 0x800700AA;
inline constexpr HResult kCatalogNotFound = 0x80042103;
inline constexpr HResult kObjectClosed = 0x800A0E78;

// The code for a failed SQLite call: damaged, busy, missing or generic.
HResult hresultFromSqlite(int sqliteCode);

// Throws the SafecallError for a failed SQLite call on `db`, naming `what`.
[[noreturn]] void throwSqlite(sqlite3* db, int sqliteCode, const std::string& what);

}  // namespace skimmer::index::query
