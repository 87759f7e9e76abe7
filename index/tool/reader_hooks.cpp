// The tool's hand-over points to the reader side: --query runs through the query library, and the
// crawler's after-commit hook rebuilds the name sidecar.
#include "index/tool/reader_hooks.h"

#include "index/query/name_index_builder.h"
#include "index/query/query_command.h"
#include "index/storage/schema.h"

namespace skimmer::index::tool {
namespace {

// A --query process reads a handful of pages and exits, and every page it touches for the first
// time costs a page fault. By default each connection builds a 48 KB lookaside free list and the
// page cache carves a bulk block of 20 pages (87 KB), touching all of them up front; without them
// SQLite allocates only what this one query uses. Process-wide settings, valid only before SQLite
// is first used: a call that comes too late fails with SQLITE_MISUSE and changes nothing, which
// costs speed only, never correctness.
void tuneSqliteForOneQuery() {
    sqlite3_config(SQLITE_CONFIG_LOOKASIDE, 0, 0);
    sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0);
}

// Why the sidecar is being rebuilt, when that is news to the user.
void reportRebuild(const query::NameIndexBuildResult& built, std::FILE* err) {
    const std::string notice = query::rebuildNotice(built);
    if (!notice.empty()) std::fprintf(err, "skimmer-index: %s\n", query::escapeForTerminal(notice).c_str());
}

}  // namespace

int runQuery(const QueryRequest& request, const std::filesystem::path& database, std::FILE* out, std::FILE* err) {
    tuneSqliteForOneQuery();
    query::QueryCommand command{request.text, request.kind, request.limit, request.nulTerminated};
    return query::runQueryCommand(command, database.empty() ? store::defaultIndexPath() : database, out, err);
}

std::function<void(sqlite3*)> searchStructureHook(bool& written) {
    return [&written](sqlite3* db) {
        const query::NameIndexBuildResult built = query::buildNameIndex(db);
        reportRebuild(built, stderr);
        if (built.ok) return;
        written = false;
        std::fprintf(stderr, "skimmer-index: the name index was not rebuilt: %s\n",
                     query::escapeForTerminal(built.error).c_str());
    };
}

int runBuildNames(const std::filesystem::path& database, std::FILE* out, std::FILE* err) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(database.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    store::Db db(raw);
    if (rc != SQLITE_OK) {
        std::fprintf(err, "skimmer-index: cannot open %s: %s\n", query::escapeForTerminal(database.string()).c_str(),
                     query::escapeForTerminal(db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc)).c_str());
        return 3;
    }
    sqlite3_busy_timeout(db.get(), 5000);
    const query::NameIndexBuildResult built = query::buildNameIndex(db.get());
    reportRebuild(built, err);
    if (!built.ok) {
        std::fprintf(err, "skimmer-index: the name index was not rebuilt: %s\n",
                     query::escapeForTerminal(built.error).c_str());
        return 1;
    }
    // The generation of the build's own snapshot (or of the sidecar found current): what the
    // sidecar carries, even when a writer has moved on since.
    std::fprintf(out, "generation %llu\n", static_cast<unsigned long long>(built.generation));
    return 0;
}

}  // namespace skimmer::index::tool
