#include "index/query/search_manager.h"

#include "index/query/columns.h"
#include "index/query/connection.h"
#include "index/query/query_text.h"
#include "index/query/safecall_error.h"
#include "index/crawl/crawl_lock.h"
#include "index/storage/schema.h"
#include "os/utf8.h"


#include <cctype>

namespace skimmer::index::query {
namespace {

int64_t metaCount(sqlite3* db, const char* key) {
    const auto value = readMeta(db, key);
    return value ? std::strtoll(value->c_str(), nullptr, 10) : 0;
}

// A stored version text is used only when it starts with a major version of at least 3 and a dot,
// so a foreign or damaged value can never make the engine refuse the index.
bool usableVersion(const std::string& text) {
    size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    if (digits == 0 || digits > 6 || digits >= text.size() || text[digits] != '.') return false;
    return std::stoi(text.substr(0, digits)) >= 3;
}

}  // namespace

QueryHelper::QueryHelper(std::filesystem::path databaseFile) : file_(std::move(databaseFile)) {}

void QueryHelper::putQuerySelectColumns(std::string_view columns) {
    std::string unknown;
    if (!parseColumns(columns, unknown)) throw SafecallError(kEInvalidArg, "unknown column \"" + unknown + "\"");
    columns_ = std::string(columns);
}

std::string QueryHelper::connectionString() const { return connectionStringFor(file_); }

std::string QueryHelper::generateSqlFromUserQuery(std::string_view userQuery) const {
    return makeQueryText(columns_, userQuery);
}

CatalogManager::CatalogManager(std::filesystem::path databaseFile) : file_(std::move(databaseFile)) {}

int64_t CatalogManager::numberOfItems() {
    store::Db db = openForReading(file_);
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db.get(), "SELECT value FROM meta WHERE key = 'item_count'", -1, &raw, nullptr);
    if (rc != SQLITE_OK) throwSqlite(db.get(), rc, "counting items");
    store::Stmt stmt(raw);
    rc = sqlite3_step(raw);
    if (rc == SQLITE_DONE) return 0;  // no crawl has committed anything yet
    if (rc != SQLITE_ROW) throwSqlite(db.get(), rc, "counting items");
    return sqlite3_column_int64(raw, 0);
}

ItemsToIndex CatalogManager::numberOfItemsToIndex() {
    store::Db db = openForReading(file_);
    ItemsToIndex counts;
    if (readMeta(db.get(), store::kMetaCrawlState).value_or("") != "running") return counts;
    // A crawl that was killed leaves "running" behind; nothing is waiting unless a crawler holds
    // the lock. (Unknown: the lock file cannot be checked; the stored state is all there is.)
    if (store::probeCrawlLock(file_) == store::LockProbe::Free) return counts;
    counts.incremental = metaCount(db.get(), store::kMetaItemsPending);
    counts.notificationQueue = metaCount(db.get(), store::kMetaFoldersPending);
    return counts;
}

std::unique_ptr<QueryHelper> CatalogManager::getQueryHelper() const { return std::make_unique<QueryHelper>(file_); }

SearchManager::SearchManager(std::filesystem::path databaseFile) : file_(std::move(databaseFile)) {
    requireIndexFile(file_);
}

std::string SearchManager::getIndexerVersionStr() {
    store::Db db = openForReading(file_);
    const auto stored = readMeta(db.get(), store::kMetaIndexerVersion);
    return stored && usableVersion(*stored) ? *stored : std::string(store::kIndexerVersion);
}

std::unique_ptr<CatalogManager> SearchManager::getCatalog(std::string_view name) const {
    if (!os::equalsAsciiCaseless(name, "systemindex"))
        throw SafecallError(kCatalogNotFound, "there is no catalog \"" + std::string(name) + "\"");
    return std::make_unique<CatalogManager>(file_);
}

}  // namespace skimmer::index::query
