#include "index/query/connection.h"

#include "index/query/hit_stream.h"
#include "index/query/item_rows.h"
#include "index/query/name_index_builder.h"
#include "index/query/name_index_reader.h"
#include "index/query/query_text.h"
#include "index/query/safecall_error.h"
#include "index/storage/names_overlay.h"
#include "index/storage/schema.h"

#include <algorithm>
#include <optional>

namespace skimmer::index::query {
namespace {

constexpr std::string_view kDataSource = "Data Source=";
constexpr std::string_view kProvider = "Provider=Skimmer.Index;";

}  // namespace

// What a connection and its record sets share. Owned jointly so that a record set outliving its
// connection fails cleanly (kObjectClosed) instead of touching a closed database.
struct Session {
    store::Db db;
    std::filesystem::path file;
    uint64_t epoch = 0;           // bumped whenever the open record set is ended
    bool inTransaction = false;
    std::shared_ptr<NameIndex> names;  // the last sidecar opened, kept while it stays current

    void endTransaction() {
        // A reader's cursor may still be on a row; a statement left busy would hold the snapshot
        // past COMMIT, and the next record set would read that old snapshot.
        for (sqlite3_stmt* stmt = db ? sqlite3_next_stmt(db.get(), nullptr) : nullptr; stmt; stmt = sqlite3_next_stmt(db.get(), stmt))
            if (sqlite3_stmt_busy(stmt)) sqlite3_reset(stmt);
        if (inTransaction) sqlite3_exec(db.get(), "COMMIT", nullptr, nullptr, nullptr);
        inTransaction = false;
        ++epoch;
    }
};

struct Recordset::State {
    std::unique_ptr<HitStream> hits;
    std::unique_ptr<RowReader> rows;
    // Rows read ahead (by eof(), and by getRows until it has its count), as their cells, row after
    // row. A row's cells are made as soon as it is read: its views of a held folder last only
    // until the next read. The first stagedRows rows' cells are staged; the vector only grows, so
    // staging a row costs no allocation and no initialisation.
    std::vector<CellDraft> staged;
    size_t stagedRows = 0;
    CellTexts texts;
    FetchedItem scratch;  // rows that are not viewed in a held folder are read into this
    bool done = false;
};

std::string connectionStringFor(const std::filesystem::path& databaseFile) {
    return std::string(kProvider) + std::string(kDataSource) + databaseFile.string();
}

Connection::Connection(Clock clock) : clock_(std::move(clock)) {}

Connection::~Connection() { close(); }

void Connection::open(std::string_view connectionString) {
    close();
    const size_t at = connectionString.find(kDataSource);
    if (at == std::string_view::npos)
        throw SafecallError(kEInvalidArg, "the connection string names no Data Source");
    auto session = std::make_shared<Session>();
    session->file = std::string(connectionString.substr(at + kDataSource.size()));
    session->db = openForReading(session->file);
    session_ = std::move(session);
}

void Connection::close() {
    if (!session_) return;
    session_->endTransaction();
    session_->db.reset();
    session_.reset();
}

std::unique_ptr<Recordset> Connection::execute(std::string_view queryText) {
    if (!session_) throw SafecallError(kObjectClosed, "the connection is not open");
    const auto text = parseQueryText(queryText);
    if (!text) throw SafecallError(kErrorsInCommand, "not a query text made by the query helper");
    std::string unknown;
    auto columns = parseColumns(text->columns, unknown);
    if (!columns) throw SafecallError(kErrorsInCommand, "unknown column \"" + unknown + "\"");
    session_->endTransaction();
    std::unique_ptr<Recordset> recordset(
        new Recordset(session_, std::move(*columns), parseQuery(text->userQuery, clock_())));
    recordset->start();
    return recordset;
}

Recordset::Recordset(std::shared_ptr<Session> session, std::vector<Column> columns, ParsedQuery parsed)
    : session_(std::move(session)), columns_(std::move(columns)), parsed_(std::move(parsed)),
      state_(std::make_unique<State>()) {}

Recordset::~Recordset() {
    try {
        close();
    } catch (...) {  // closing only ends a read transaction; nothing to report from a destructor
    }
}

namespace {

// The sidecar to use for this snapshot: the cached one, a freshly opened one, or none (stale or
// missing: the slow path answers). A damaged file is an error the user must act on.
NameIndex* currentNames(Session& session, uint64_t generation, uint64_t instance) {
    auto current = [&](const NameIndex& names) {
        return names.generation() == generation && names.instance() == instance;
    };
    if (session.names && current(*session.names)) return session.names.get();
    session.names.reset();
    NameIndex::SharedOpened opened = NameIndex::openShared(nameIndexPathFor(session.file));
    if (opened.status == NameIndex::OpenStatus::Damaged)
        throw SafecallError(kIndexDamaged, "the name index beside " + session.file.string() + " is damaged (" +
                                               opened.error + "); run skimmer-index to rebuild it");
    if (opened.status != NameIndex::OpenStatus::Ok || !current(*opened.index)) return nullptr;
    session.names = std::move(opened.index);
    return session.names.get();
}

}  // namespace

void Recordset::start() {
    Session& session = *session_;
    sqlite3* db = session.db.get();
    const int rc = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throwSqlite(db, rc, "starting a read");
    session.inTransaction = true;
    epoch_ = session.epoch;
    try {
        const auto generation = readMeta(db, store::kMetaGeneration);  // the snapshot starts here
        const uint64_t gen = generation ? std::strtoull(generation->c_str(), nullptr, 10) : 0;
        const auto instance = readMeta(db, store::kMetaInstance);
        const uint64_t stamp = instance ? std::strtoull(instance->c_str(), nullptr, 10) : 0;
        NameIndex* names = currentNames(session, gen, stamp);
        // A sidecar a few generations old still serves, with the folders changed since read from
        // SQLite, when the watcher recorded which those are.
        std::optional<store::NamesOverlay> overlay;
        if (names == nullptr) {
            overlay = store::parseNamesOverlay(readMeta(db, store::kMetaNamesOverlay).value_or(""), gen, stamp);
            if (overlay) names = currentNames(session, overlay->base, stamp);
            if (names == nullptr) overlay.reset();
        }
        slowPath_ = names == nullptr;
        state_->rows = std::make_unique<RowReader>(db);
        state_->hits = openHitStream(db, names, parsed_.root, overlay ? &overlay->dirs : nullptr);
    } catch (...) {
        session.endTransaction();
        closed_ = true;
        throw;
    }
}

void Recordset::checkOpen() const {
    // A record set that reached its end ended its own transaction; one whose transaction was ended
    // by a later execute() or by closing the connection is closed.
    if (closed_ || !session_->db || (!state_->done && session_->epoch != epoch_))
        throw SafecallError(kObjectClosed, "the record set is closed");
}

// Stages the next row's cells, or marks the end (and ends the read transaction). False at the end.
bool Recordset::stage() {
    State& state = *state_;
    ItemView row;
    while (!state.done) {
        const std::optional<int64_t> id = state.hits->next();
        if (!id) {
            finish();
            break;
        }
        if (!state.rows->view(*id, row, state.scratch)) continue;  // gone since the sidecar was built
        const size_t at = state.stagedRows * columns_.size();
        if (state.staged.size() < at + columns_.size()) state.staged.resize(at + columns_.size());
        makeCells(columns_, row, state.texts, state.staged.data() + at);
        ++state.stagedRows;
        return true;
    }
    return false;
}

void Recordset::finish() {
    State& state = *state_;
    state.done = true;
    state.hits.reset();
    state.rows.reset();
    if (session_->epoch == epoch_) session_->endTransaction();
}

bool Recordset::eof() {
    checkOpen();
    return state_->stagedRows == 0 && !stage();
}

RowTable Recordset::getRows(int count) {
    checkOpen();
    State& state = *state_;
    const size_t wanted = count > 0 ? static_cast<size_t>(count) : 0;
    while (state.stagedRows < wanted && stage()) continue;
    // eof() stages one row at most, so every staged row goes into this table (and the blocks
    // their texts lie in with them) unless it asks for none.
    const size_t rows = std::min(wanted, state.stagedRows);
    const size_t columns = columns_.size();
    RowTable table(columns, rows);
    if (rows == 0) return table;
    // Staged row by row, returned column by column; the texts stay where they were written.
    for (size_t r = 0; r < rows; ++r)
        for (size_t c = 0; c < columns; ++c) state.staged[r * columns + c].fill(table.cell(c, r));
    state.texts.keepIn(table);
    const auto kept = state.staged.begin() + static_cast<std::ptrdiff_t>(rows * columns);
    std::copy(kept, kept + static_cast<std::ptrdiff_t>((state.stagedRows - rows) * columns), state.staged.begin());
    state.stagedRows -= rows;
    return table;
}

void Recordset::close() {
    if (closed_) return;
    closed_ = true;
    if (!state_->done && session_->db && session_->epoch == epoch_) session_->endTransaction();
    state_.reset(new State);
    state_->done = true;
}

}  // namespace skimmer::index::query
