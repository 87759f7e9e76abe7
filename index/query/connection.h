// The connection and record set of the index's face, shaped like the ADO objects the engine uses:
// open(connection string) → execute(query text) → a forward-only record set read with eof() and
// getRows(n) until eof() → close().
//
// Contract:
// - Every failure throws SafecallError (safecall_error.h); nothing else is thrown on purpose.
// - A record set reads one consistent snapshot of the index (a read transaction held from
//   execute() until it reaches its end or is closed) while a crawler keeps writing (WAL).
//   Its first rows never wait for the whole result: hits are found as getRows asks for them.
// - One connection and its record sets belong to one thread at a time. A connection serves one
//   open record set: execute() closes the previous one (later calls on it throw kObjectClosed).
// - Row order: see hit_stream.h. Cells: see columns.h and variant.h.
#pragma once

#include "index/query/columns.h"
#include "index/query/query_parser.h"
#include "index/query/read_connection.h"
#include "index/query/variant.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

struct Session;

// The row table is the desktop search face's own (os/desktop_search.h).
using RowTable = os::search::RowTable;

class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool eof();
    // Up to `count` next rows (fewer at the end; none once eof()).
    RowTable getRows(int count);
    void close();

    // How the user's query was understood (malformed input is searched literally or not at all).
    const ParsedQuery& parsedQuery() const { return parsed_; }
    const std::vector<Column>& columns() const { return columns_; }
    // True when the name sidecar was missing or stale and the slower SQLite path answered.
    bool usedSlowPath() const { return slowPath_; }

private:
    friend class Connection;
    struct State;
    Recordset(std::shared_ptr<Session> session, std::vector<Column> columns, ParsedQuery parsed);
    void start();
    void checkOpen() const;
    bool stage();
    void finish();

    std::shared_ptr<Session> session_;
    uint64_t epoch_ = 0;
    std::vector<Column> columns_;
    ParsedQuery parsed_;
    std::unique_ptr<State> state_;
    bool slowPath_ = false;
    bool closed_ = false;
};

class Connection {
public:
    explicit Connection(Clock clock = systemClock());
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // "Provider=Skimmer.Index;Data Source=<file>" as the query helper gives it.
    void open(std::string_view connectionString);
    std::unique_ptr<Recordset> execute(std::string_view queryText);
    void close();

private:
    Clock clock_;
    std::shared_ptr<Session> session_;
};

// The connection string that opens `databaseFile` (what Connection::open accepts).
std::string connectionStringFor(const std::filesystem::path& databaseFile);

}  // namespace skimmer::index::query
