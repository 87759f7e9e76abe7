// The desktop index behind the desktop search seam (os/desktop_search.h): each object of the seam
// wraps the index's own object of the same role. The index already speaks the seam's cells, row
// tables and error, so nothing is translated here, only handed on.
#include "os/desktop_search.h"

#include "index/query/connection.h"
#include "index/query/safecall_error.h"
#include "index/query/search_manager.h"
#include "index/storage/kinds.h"
#include "index/storage/schema.h"

namespace skimmer::os::search {
namespace {

namespace iq = index::query;

class IndexRecordset final : public Recordset {
public:
    explicit IndexRecordset(std::unique_ptr<iq::Recordset> rows) : rows_(std::move(rows)) {}
    bool eof() override { return rows_->eof(); }
    std::optional<RowTable> getRows(int count) override { return rows_->getRows(count); }
    void close() override { rows_->close(); }

private:
    std::unique_ptr<iq::Recordset> rows_;
};

class IndexConnection final : public Connection {
public:
    void open(std::string_view connectionString) override { connection_.open(connectionString); }
    std::unique_ptr<Recordset> execute(std::string_view sql) override {
        return std::make_unique<IndexRecordset>(connection_.execute(sql));
    }
    void close() override { connection_.close(); }

private:
    iq::Connection connection_;
};

class IndexQueryHelper final : public QueryHelper {
public:
    explicit IndexQueryHelper(std::unique_ptr<iq::QueryHelper> helper) : helper_(std::move(helper)) {}
    void putQuerySelectColumns(std::string_view columns) override { helper_->putQuerySelectColumns(columns); }
    std::string connectionString() override { return helper_->connectionString(); }
    std::string generateSqlFromUserQuery(std::string_view userQuery) override {
        return helper_->generateSqlFromUserQuery(userQuery);
    }

private:
    std::unique_ptr<iq::QueryHelper> helper_;
};

class IndexCatalogManager final : public CatalogManager {
public:
    explicit IndexCatalogManager(std::unique_ptr<iq::CatalogManager> catalog) : catalog_(std::move(catalog)) {}
    int64_t numberOfItems() override { return catalog_->numberOfItems(); }
    ItemsToIndex numberOfItemsToIndex() override {
        const iq::ItemsToIndex waiting = catalog_->numberOfItemsToIndex();
        return {waiting.incremental, waiting.notificationQueue, waiting.highPriority};
    }
    std::unique_ptr<QueryHelper> getQueryHelper() override {
        return std::make_unique<IndexQueryHelper>(catalog_->getQueryHelper());
    }

private:
    std::unique_ptr<iq::CatalogManager> catalog_;
};

class IndexSearchManager final : public SearchManager {
public:
    explicit IndexSearchManager(const std::filesystem::path& file) : manager_(file) {}
    std::string getIndexerVersionStr() override { return manager_.getIndexerVersionStr(); }
    std::unique_ptr<CatalogManager> getCatalog(std::string_view name) override {
        return std::make_unique<IndexCatalogManager>(manager_.getCatalog(name));
    }

private:
    iq::SearchManager manager_;
};

class IndexDesktopSearch final : public DesktopSearch {
public:
    explicit IndexDesktopSearch(std::filesystem::path file) : file_(std::move(file)) {}
    std::unique_ptr<SearchManager> createSearchManager() override {
        if (file_.empty())
            throw SearchError(iq::kIndexMissing, "no index file is known (neither XDG_CACHE_HOME nor HOME gives one)");
        return std::make_unique<IndexSearchManager>(file_);
    }
    std::unique_ptr<Connection> createConnection() override { return std::make_unique<IndexConnection>(); }

private:
    std::filesystem::path file_;
};

// The index writes its paths with '/', and a name's bytes are the plug-in's text as they are.
std::string sameText(std::string_view cell) { return std::string(cell); }
std::string sameBytes(std::string_view afterScheme) { return std::string(afterScheme); }

}  // namespace

std::unique_ptr<DesktopSearch> openDesktopSearch(const std::filesystem::path& indexFile) {
    return std::make_unique<IndexDesktopSearch>(indexFile);
}

std::filesystem::path defaultIndexFile() { return index::store::defaultIndexPath(); }

const HitConventions& hitConventions() {
    static const std::string linkKind = index::store::kindDisplayName(index::store::Kind::Link);
    static const HitConventions conventions{"/", linkKind, &sameText, &sameBytes};
    return conventions;
}

}  // namespace skimmer::os::search
