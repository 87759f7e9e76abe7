#include "engines/wds_engine.h"

#include <algorithm>
#include <limits>

#include "engines/hit_fields.h"
#include "index/query/connection.h"
#include "index/query/safecall_error.h"
#include "index/query/search_manager.h"
#include "index/storage/kinds.h"
#include "os/file_info.h"
#include "os/shell_link.h"
#include "os/utf8.h"

namespace skimmer::engines {
namespace {

namespace iq = index::query;

// The index's failure, as the engine's own error: same text, same code, same explanation.
[[noreturn]] void raise(const iq::SafecallError& e) { throw EngineError(e.code(), e.what(), e.detail()); }

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

void releaseWds(TSearchEngine& Engine) {
    Engine.Recordset.reset();
    Engine.Connection.reset();
    Engine.QueryHelper.reset();
    Engine.CatalogManager.reset();
    Engine.SearchManager.reset();
}

// Column 0..5 of one row into its slot. A column the table does not hold, or an empty cell, leaves
// the slot's field as it was (cleared before the row).
void mapColumns(const iq::RowTable& table, size_t row, results::TSearchResult& r) {
    auto text = [&](size_t column) -> const iq::Variant* {
        if (column >= table.columnCount()) return nullptr;
        const iq::Variant& v = table.cell(column, row);
        return v.type == iq::VarType::Text ? &v : nullptr;
    };
    if (auto* v = text(0)) r.Name = v->text;
    if (table.columnCount() > 1 && table.cell(1, row).type == iq::VarType::Integer)
        r.Size = static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(table.cell(1, row).integer)));
    if (auto* v = text(2)) r.Kind = v->text;
    if (auto* v = text(3)) {
        r.Url = v->text;
        r.UrlW = v->text;
        r.MailEntryId = MailEntryIdFromUrl(v->text);
    }
    if (auto* v = text(4)) {
        r.Folder = FolderPart(v->text);
        r.Path = v->text;
        r.PathW = v->text;
        r.Title = v->text;
    }
    if (auto* v = text(5)) r.Target = v->text;
}

// A shortcut stands for its target: names, folder, path and size become the target's. A file that
// holds no target leaves them empty and the size -1.
void resolveShortcut(const std::string& linkFile, results::TSearchResult& r) {
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
    const auto target = os::symlinkTargetPath(r.Path);
    if (!target) {
        r.Size = HitFileSize(r.Path);
        return;
    }
    r.Title = NamePart(*target);
    r.NameW = r.Title;
    r.Folder = FolderPart(*target);
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
        r.Path = r.Url;
        r.PathW = r.UrlW;
    } else {
        p = r.Url.substr(5);
        r.Folder = FolderPart(p);
        r.FolderW = r.Folder;
        r.Path = p;
        r.PathW = p;
        r.Name = NamePart(p);
        r.Title = r.Name;
        r.NameW = r.Name;
    }
    r.DateKnown = false;
    r.AttrKnown = false;
    if (IsShortcutExtension(r.Ext)) {
        resolveShortcut(isFile ? p : column5, r);
    } else if (isFile && os::equalsAsciiCaseless(r.Kind, index::store::kindDisplayName(index::store::Kind::Link))) {
        resolveSymlink(r);
    }
}

}  // namespace

void WdsFillRows(const iq::RowTable& table, results::TSearchResults& Results) {
    const size_t rows = std::min<size_t>(table.rowCount(), static_cast<size_t>(results::kSearchResultSlots));
    for (size_t row = 0; row < rows; ++row) {
        // A slot still holds an earlier batch's hit: start from a clean record so that no field of
        // another hit survives a column the row lacks.
        results::TSearchResult& r = Results.Items[row];
        r = results::TSearchResult{};
        mapColumns(table, row, r);
    }
    for (size_t row = 0; row < rows; ++row) {
        const bool has5 = table.columnCount() > 5 && table.cell(5, row).type == iq::VarType::Text;
        completeRow(Results.Items[row], has5 ? table.cell(5, row).text : std::string());
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

int32_t WDSInit(TSearchEngine& Engine) {
    releaseWds(Engine);
    Engine.Ready = false;
    Engine.LastError.clear();
    if (Engine.Env.IndexFile.empty()) {
        Engine.LastError = "no index file is known (neither XDG_CACHE_HOME nor HOME gives one)";
        return kEngineNotInstalled;
    }
    try {
        Engine.SearchManager = std::make_unique<iq::SearchManager>(Engine.Env.IndexFile);
        if (!IndexerVersionAccepted(Engine.SearchManager->getIndexerVersionStr())) {
            Engine.LastError = "the index was written by an indexer older than version 3";
            return kEngineTooOld;
        }
    } catch (const iq::SafecallError& e) {
        Engine.LastError = e.detail();
        return kEngineNotInstalled;
    }
    try {
        Engine.CatalogManager = Engine.SearchManager->getCatalog("systemindex");
    } catch (const iq::SafecallError& e) {
        Engine.LastError = e.detail();
        return ShowEngineErrorCode(Engine.Env, kEngineNoCatalog);
    }
    try {
        Engine.QueryHelper = Engine.CatalogManager->getQueryHelper();
    } catch (const iq::SafecallError& e) {
        Engine.LastError = e.detail();
    }
    if (!Engine.QueryHelper) return ShowEngineErrorCode(Engine.Env, kEngineNoQueryHelper);
    Engine.Ready = true;
    return 0;
}

int32_t WDSDone(TSearchEngine& Engine) {
    if (!Engine.Ready && Engine.Env.ShowErrorText)
        Engine.Env.ShowErrorText(Engine.Env.GetMsg ? Engine.Env.GetMsg(kMsgEngineUnusable) : std::string());
    Engine.Ready = false;
    releaseWds(Engine);
    Engine.ConnectionString.clear();
    Engine.Sql.clear();
    return 0;
}

int32_t WDSQuery(TSearchEngine& Engine, std::string_view Text, std::string_view Kind) {
    if (!Engine.Ready) return ShowEngineErrorCode(Engine.Env, kEngineNotReady);
    // The select list is a constant the index knows and the connection string cannot fail; a
    // query text the helper refuses leaves Sql empty, which is reported as 62 below.
    try {
        Engine.QueryHelper->putQuerySelectColumns(kWdsColumns);
        Engine.ConnectionString = Engine.QueryHelper->connectionString();
    } catch (const iq::SafecallError& e) {
        Engine.LastError = e.detail();
        raise(e);
    }
    Engine.Sql.clear();
    try {
        Engine.Sql = Engine.QueryHelper->generateSqlFromUserQuery(WdsQueryText(Text, Kind));
    } catch (const iq::SafecallError& e) {
        Engine.LastError = e.detail();
    }
    Engine.Recordset.reset();
    Engine.Connection = std::make_unique<iq::Connection>();
    if (Engine.ConnectionString.empty() || Engine.Sql.empty()) return ShowEngineErrorCode(Engine.Env, kEngineEmptySql);
    try {
        Engine.Connection->open(Engine.ConnectionString);
        Engine.Recordset = Engine.Connection->execute(Engine.Sql);
    } catch (const iq::SafecallError& e) {
        Engine.LastError = e.detail();
        raise(e);
    }
    return 0;
}

int32_t WDSFetch(TSearchEngine& Engine, results::TSearchResults& Results) {
    Results.Count = 0;
    if (!Engine.Recordset) {
        // No query is open (WDSQuery failed or was never called): nothing more will come.
        Results.Finished = true;
        return 0;
    }
    try {
        Results.Finished = Engine.Recordset->eof();
        if (Results.Finished) return 0;
        WdsFillRows(Engine.Recordset->getRows(kWdsBatchRows), Results);
        Results.Finished = Engine.Recordset->eof();
    } catch (const iq::SafecallError& e) {
        Engine.LastError = e.detail();
        raise(e);
    }
    return 0;
}

void WDSEndQuery(TSearchEngine& Engine) {
    // Destroying them closes them: the record set ends its read snapshot, the connection its
    // session. Nothing here can fail.
    Engine.Recordset.reset();
    Engine.ConnectionString.clear();
    Engine.Connection.reset();
    Engine.Sql.clear();
}

void WDSGetInfo(const TEngineEnvironment& env, TWDS3Info& Info) {
    TSearchEngine engine(env);
    WDSInit(engine);
    if (engine.Ready) {
        try {
            std::string version = engine.SearchManager->getIndexerVersionStr();
            const int64_t items = engine.CatalogManager->numberOfItems();
            const iq::ItemsToIndex waiting = engine.CatalogManager->numberOfItemsToIndex();
            Info.Version = std::move(version);
            Info.ItemCount = clamp32(items);
            Info.IncrementalCount = clamp32(waiting.incremental);
            Info.NotificationQueue = clamp32(waiting.notificationQueue);
            Info.HighPriorityQueue = clamp32(waiting.highPriority);
        } catch (const iq::SafecallError& e) {
            // Opened, but it cannot answer: as unusable as one that cannot be opened.
            engine.LastError = e.detail();
            engine.Ready = false;
        }
    }
    if (!engine.Ready) Info.Version = "none";
    WDSDone(engine);
}

}  // namespace skimmer::engines
