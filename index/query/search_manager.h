// The entry objects of the index's face, shaped like the desktop search objects the engine uses:
// the search manager (indexer version, catalog by name), the catalog manager (item counts, query
// helper) and the query helper (select list, connection string, query text from a user query).
//
// Contract:
// - Every failure throws SafecallError (safecall_error.h). Constructing a SearchManager for a
//   database file that does not exist throws kIndexMissing: that is "the index is not installed".
// - The only catalog is "systemindex" (ASCII case ignored); any other name throws kCatalogNotFound.
// - The objects hold a read connection only for the short reads they make; queries run on the
//   Connection (connection.h) the caller opens with `connectionString()`.
#pragma once

#include "index/query/read_connection.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace skimmer::index::query {

class QueryHelper {
public:
    explicit QueryHelper(std::filesystem::path databaseFile);
    // Comma-separated System.* names (columns.h); unknown names throw kEInvalidArg and keep the
    // previous list. Default: "System.ItemURL".
    void putQuerySelectColumns(std::string_view columns);
    std::string connectionString() const;
    // A query text (query_text.h) that Connection::execute runs: the select list and `userQuery`.
    std::string generateSqlFromUserQuery(std::string_view userQuery) const;

private:
    std::filesystem::path file_;
    std::string columns_ = "System.ItemURL";
};

struct ItemsToIndex {
    int64_t incremental = 0;         // items listed by a running crawl, not yet written
    int64_t notificationQueue = 0;   // folders found by a running crawl, not yet visited
    int64_t highPriority = 0;        // always 0: the index has no priority queue
};

class CatalogManager {
public:
    CatalogManager(std::filesystem::path databaseFile);
    int64_t numberOfItems();
    // Zeros unless meta 'crawl_state' is 'running' and a crawler holds the index's lock.
    ItemsToIndex numberOfItemsToIndex();
    std::unique_ptr<QueryHelper> getQueryHelper() const;

private:
    std::filesystem::path file_;
};

class SearchManager {
public:
    explicit SearchManager(std::filesystem::path databaseFile);
    // meta 'indexer_version', else this reader's own version; always "<major>.<minor>..." with major >= 3.
    std::string getIndexerVersionStr();
    std::unique_ptr<CatalogManager> getCatalog(std::string_view name) const;

private:
    std::filesystem::path file_;
};

}  // namespace skimmer::index::query
