#include "engines/wds_engine.h"

#include <algorithm>
#include <limits>

#include "engines/hit_fields.h"
#include "os/clock.h"
#include "os/file_info.h"
#include "os/shell_link.h"
#include "os/utf8.h"

namespace skimmer::engines {
namespace {

namespace ds = os::search;

// The service's failure, as the engine's own status: same text, same code, same explanation.
EngineStatus broken(const ds::SearchError& e) { return EngineStatus::brokenBy(e.code(), e.what(), e.detail()); }

const ds::HitConventions& conventions() { return ds::hitConventions(); }

size_t afterLastSeparator(std::string_view path) {
    const size_t at = path.find_last_of(conventions().pathSeparators);
    return at == std::string_view::npos ? 0 : at + 1;
}

// A hit's path split where this system's service splits it: the folder keeps its separator.
std::string hitFolder(std::string_view path) { return std::string(path.substr(0, afterLastSeparator(path))); }
std::string hitName(std::string_view path) { return std::string(path.substr(afterLastSeparator(path))); }

int majorVersion(std::string_view version) {
    int major = 0;
    for (char c : version) {
        if (c < '0' || c > '9' || major > 100000) break;
        major = major * 10 + (c - '0');
    }
    return major;
}

int32_t clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()));
}

// An OLE date cell (local time, os/desktop_search.h) as FILETIME ticks; none for another cell.
std::optional<uint64_t> fileTimeOf(const ds::Variant& cell) {
    if (cell.type != ds::VarType::Date) return std::nullopt;
    const auto unix = os::unixFromOle(cell.date);
    if (!unix) return std::nullopt;
    return os::fileTimeFromUnix(*unix);
}

// Columns 1 and 6 to 8: the entry the index recorded, when it gave all of size, both dates and
// the attributes.
std::optional<results::THitEntry> rowEntry(const ds::RowTable& table, size_t row) {
    if (table.columnCount() <= 8) return std::nullopt;
    const ds::Variant& size = table.cell(1, row);
    const ds::Variant& attributes = table.cell(8, row);
    const auto modified = fileTimeOf(table.cell(6, row));
    const auto created = fileTimeOf(table.cell(7, row));
    if (size.type != ds::VarType::Integer || attributes.type != ds::VarType::Integer || !modified || !created)
        return std::nullopt;
    return results::THitEntry{.Attributes = static_cast<uint32_t>(attributes.integer),
                              .Created = *created,
                              .Modified = *modified,
                              .Size = static_cast<uint64_t>(std::max<int64_t>(size.integer, 0))};
}

// Column 0..8 of one row into its slot. A column the table does not hold, or an empty cell, leaves
// the slot's field as it was (cleared before the row).
void mapColumns(const ds::RowTable& table, size_t row, results::TSearchResult& r) {
    auto text = [&](size_t column) -> const ds::Variant* {
        if (column >= table.columnCount()) return nullptr;
        const ds::Variant& v = table.cell(column, row);
        return v.type == ds::VarType::Text ? &v : nullptr;
    };
    const auto hitText = conventions().textFromCell;
    if (auto* v = text(0)) r.Name = hitText(v->text);
    if (table.columnCount() > 1 && table.cell(1, row).type == ds::VarType::Integer)
        r.Size = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(table.cell(1, row).integer)));
    if (auto* v = text(2)) r.Kind = hitText(v->text);
    if (auto* v = text(3)) {
        r.Url = hitText(v->text);
        r.UrlW = r.Url;
        // From the cell's own text: the entry id's characters may have no place in the plug-in's.
        r.MailEntryId = MailEntryIdFromUrl(v->text);
    }
    if (auto* v = text(4)) {
        r.Path = hitText(v->text);
        r.Folder = hitFolder(r.Path);
        r.PathW = r.Path;
        r.Title = r.Path;
    }
    if (auto* v = text(5)) r.Target = hitText(v->text);
    r.Entry = rowEntry(table, row);
}

// A shortcut stands for its target: names, folder, path and size become the target's. A file that
// holds no target leaves them empty and the size -1.
void resolveShortcut(const std::string& linkFile, results::TSearchResult& r) {
    r.Entry.reset();  // the index's entry is the shortcut file's
    std::string why;
    const auto link = os::readShellLinkFile(linkFile, why);
    const std::string t = link ? link->path : std::string();
    r.Title = LinkTargetNamePart(t);
    r.NameW = r.Title;
    r.Folder = LinkTargetFolderPart(t);
    r.FolderW = r.Folder;
    r.Path = r.Folder + r.Title;
    r.PathW = r.Path;
    r.Target = t;
    r.Size = t.empty() ? -1 : HitFileSize(t);
}

// A symbolic link stands for its target the same way; a link that is gone keeps its own fields.
void resolveSymlink(results::TSearchResult& r) {
    r.Entry.reset();  // the index's entry is the link's
    const auto target = os::symlinkTargetPath(r.Path);
    if (!target) {
        r.Size = HitFileSize(r.Path);
        return;
    }
    r.Title = hitName(*target);
    r.NameW = r.Title;
    r.Folder = hitFolder(*target);
    r.FolderW = r.Folder;
    r.Path = *target;
    r.PathW = *target;
    r.Target = *target;
    r.Size = HitFileSize(*target);
}

void completeRow(results::TSearchResult& r, const std::string& column5) {
    r.Ext = UrlExtension(r.Url);
    const bool isFile = r.Url.starts_with("file:");
    std::string p;
    if (!isFile) {
        r.Entry.reset();  // a mail item or a page has no disk entry
        r.Path = r.Url;
        r.PathW = r.UrlW;
    } else {
        p = conventions().pathFromFileUrl(std::string_view(r.Url).substr(5));
        r.Folder = hitFolder(p);
        r.FolderW = r.Folder;
        r.Path = p;
        r.PathW = p;
        r.Name = hitName(p);
        r.Title = r.Name;
        r.NameW = r.Name;
    }
    r.DateKnown = false;
    r.AttrKnown = false;
    if (IsShortcutExtension(r.Ext)) {
        resolveShortcut(isFile ? p : column5, r);
    } else if (isFile && !conventions().symbolicLinkKind.empty() &&
               os::equalsAsciiCaseless(r.Kind, conventions().symbolicLinkKind)) {
        resolveSymlink(r);
    }
}

}  // namespace

void WdsFillRows(const ds::RowTable& table, results::TSearchResults& Results) {
    const size_t rows = std::min<size_t>(table.rowCount(), static_cast<size_t>(results::kSearchResultSlots));
    for (size_t row = 0; row < rows; ++row) {
        // A slot still holds an earlier batch's hit: start from a clean record so that no field of
        // another hit survives a column the row lacks.
        results::TSearchResult& r = Results.Items[row];
        r = results::TSearchResult{};
        mapColumns(table, row, r);
    }
    for (size_t row = 0; row < rows; ++row) {
        const bool has5 = table.columnCount() > 5 && table.cell(5, row).type == ds::VarType::Text;
        completeRow(Results.Items[row], has5 ? conventions().textFromCell(table.cell(5, row).text) : std::string());
    }
    Results.Count = static_cast<int32_t>(rows);
}

bool IndexerVersionAccepted(std::string_view version) {
    constexpr int kOldestMajor = 3;
    return majorVersion(version) >= kOldestMajor;
}

std::string WdsQueryText(std::string_view Text, std::string_view Kind) {
    std::string text(Text);
    if (!Kind.empty()) {
        text += " System.Kind:";
        text += Kind;
        text += " System.Kind:(NOT folder)";
    }
    return text;
}

WdsEngine::WdsEngine(TEngineEnvironment env) : SearchEngine(std::move(env)) {}
WdsEngine::~WdsEngine() { release(); }

void WdsEngine::release() {
    recordset_.reset();
    connection_.reset();
    queryHelper_.reset();
    catalogManager_.reset();
    searchManager_.reset();
    service_.reset();
}

EngineStatus WdsEngine::open() {
    release();
    ready_ = false;
    try {
        service_ = env_.OpenDesktopSearch ? env_.OpenDesktopSearch() : ds::openDesktopSearch(env_.IndexFile);
    } catch (const ds::SearchError& e) {
        return EngineStatus::shownCode(kEngineComInitFailed, e.detail());
    }
    if (!service_) return EngineStatus::quiet(kEngineNotInstalled, "no desktop search service was given");
    try {
        searchManager_ = service_->createSearchManager();
        if (!IndexerVersionAccepted(searchManager_->getIndexerVersionStr()))
            return EngineStatus::quiet(kEngineTooOld, "the index was written by an indexer older than version 3");
    } catch (const ds::SearchError& e) {
        return EngineStatus::quiet(kEngineNotInstalled, e.detail());
    }
    try {
        catalogManager_ = searchManager_->getCatalog("systemindex");
    } catch (const ds::SearchError& e) {
        return EngineStatus::shownCode(kEngineNoCatalog, e.detail());
    }
    std::string why;
    try {
        queryHelper_ = catalogManager_->getQueryHelper();
    } catch (const ds::SearchError& e) {
        why = e.detail();
    }
    if (!queryHelper_) return EngineStatus::shownCode(kEngineNoQueryHelper, why);
    ready_ = true;
    return {};
}

EngineStatus WdsEngine::close() {
    EngineStatus status;
    if (!ready_) status = EngineStatus::saying(env_.GetMsg ? env_.GetMsg(kMsgEngineUnusable) : std::string());
    ready_ = false;
    release();
    connectionString_.clear();
    sql_.clear();
    return status;
}

EngineStatus WdsEngine::query(std::string_view text, std::string_view kind) {
    if (!ready_) return EngineStatus::shownCode(kEngineNotReady);
    // The helper's three answers are not checked one by one: what a refusal leaves behind (an
    // empty connection string or SQL) is reported as 62 below, with the helper's reason.
    std::string why;
    auto ask = [&why](auto call) {
        try {
            call();
        } catch (const ds::SearchError& e) {
            why = e.detail();
        }
    };
    connectionString_.clear();
    sql_.clear();
    ask([&] { queryHelper_->putQuerySelectColumns(kWdsColumns); });
    ask([&] { connectionString_ = queryHelper_->connectionString(); });
    ask([&] { sql_ = queryHelper_->generateSqlFromUserQuery(WdsQueryText(text, kind)); });
    recordset_.reset();
    connection_.reset();
    try {
        connection_ = service_->createConnection();
    } catch (const ds::SearchError& e) {
        return EngineStatus::shownCode(kEngineNoConnection, e.detail());
    }
    if (connectionString_.empty() || sql_.empty()) return EngineStatus::shownCode(kEngineEmptySql, why);
    try {
        connection_->open(connectionString_);
        recordset_ = connection_->execute(sql_);
    } catch (const ds::SearchError& e) {
        return broken(e);
    }
    return {};
}

EngineStatus WdsEngine::fetch(results::TSearchResults& batch) {
    batch.Count = 0;
    if (!recordset_) {
        // No query is open (the query failed or was never asked for): nothing more will come.
        batch.Finished = true;
        return {};
    }
    EngineStatus status;
    try {
        batch.Finished = recordset_->eof();
        if (batch.Finished) return {};
        // Rows that cannot be counted are reported and skipped; the next batch may still come.
        if (const auto rows = recordset_->getRows(kWdsBatchRows))
            WdsFillRows(*rows, batch);
        else
            status = EngineStatus::shownCode(kEngineRowCountUnknown,
                                             "the batch's rows came back in a shape that cannot be counted");
        batch.Finished = recordset_->eof();
    } catch (const ds::SearchError& e) {
        return broken(e);
    }
    return status;
}

void WdsEngine::endQuery() {
    // Destroying them closes them: the record set ends its read snapshot, the connection its
    // session. Nothing here can fail.
    recordset_.reset();
    connectionString_.clear();
    connection_.reset();
    sql_.clear();
}

bool WdsEngine::readInfo(TWDS3Info& Info) {
    if (!ready_) return false;
    try {
        std::string version = searchManager_->getIndexerVersionStr();
        const int64_t items = catalogManager_->numberOfItems();
        const ds::ItemsToIndex waiting = catalogManager_->numberOfItemsToIndex();
        Info.Version = std::move(version);
        Info.ItemCount = clamp32(items);
        Info.IncrementalCount = clamp32(waiting.incremental);
        Info.NotificationQueue = clamp32(waiting.notificationQueue);
        Info.HighPriorityQueue = clamp32(waiting.highPriority);
        return true;
    } catch (const ds::SearchError&) {
        // Opened, but it cannot answer: as unusable as one that cannot be opened.
        ready_ = false;
        return false;
    }
}

int32_t WDSInit(WdsEngine& Engine) { return DeliverStatus(Engine.env(), Engine.open()); }
int32_t WDSDone(WdsEngine& Engine) { return DeliverStatus(Engine.env(), Engine.close()); }
int32_t WDSQuery(WdsEngine& Engine, std::string_view Text, std::string_view Kind) {
    return DeliverStatus(Engine.env(), Engine.query(Text, Kind));
}
int32_t WDSFetch(WdsEngine& Engine, results::TSearchResults& Results) {
    return DeliverStatus(Engine.env(), Engine.fetch(Results));
}
void WDSEndQuery(WdsEngine& Engine) { Engine.endQuery(); }

void WDSGetInfo(const TEngineEnvironment& env, TWDS3Info& Info) {
    WdsEngine engine(env);
    WDSInit(engine);
    if (!engine.readInfo(Info)) Info.Version = "none";
    WDSDone(engine);
}

}  // namespace skimmer::engines
