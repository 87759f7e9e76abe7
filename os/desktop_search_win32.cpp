// The desktop search seam on Windows: the system's search service through its COM objects (search
// manager → catalog manager → query helper); the connection and record set are ADO's
// (desktop_search_ado_win32.cpp). MinGW-w64 ships no header for the search service, so its three
// interfaces are declared here from their published layout: every slot in vtable order, the ones
// this file never calls with opaque pointer types.
#include "os/desktop_search.h"

#include "os/desktop_search_com_win32.h"
#include "os/wide_text.h"

#include <windows.h>

#include <algorithm>

namespace skimmer::os::search {
namespace {

using win32::ComPtr;
using win32::check;

// {7D096C5F-AC08-4F1F-BEB7-5C22C517CE39}: the search manager class.
constexpr CLSID kClsidSearchManager = {0x7D096C5F, 0xAC08, 0x4F1F, {0xBE, 0xB7, 0x5C, 0x22, 0xC5, 0x17, 0xCE, 0x39}};
// {AB310581-AC80-11D1-8DF3-00C04FB6EF69}, ...EF50, ...EF63: the three interfaces below.
constexpr IID kIidSearchManager = {0xAB310581, 0xAC80, 0x11D1, {0x8D, 0xF3, 0x00, 0xC0, 0x4F, 0xB6, 0xEF, 0x69}};
// In-process server, in-process handler or local server: wherever the service registered itself.
constexpr DWORD kServerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;
static_assert(kServerContext == 7);

struct ISearchQueryHelper : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_ConnectionString(LPWSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QueryContentLocale(LCID lcid) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QueryContentLocale(LCID* lcid) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QueryKeywordLocale(LCID lcid) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QueryKeywordLocale(LCID* lcid) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QueryTermExpansion(int expansion) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QueryTermExpansion(int* expansion) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QuerySyntax(int syntax) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QuerySyntax(int* syntax) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QueryContentProperties(LPCWSTR properties) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QueryContentProperties(LPWSTR* properties) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QuerySelectColumns(LPCWSTR columns) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QuerySelectColumns(LPWSTR* columns) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QueryWhereRestrictions(LPCWSTR restrictions) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QueryWhereRestrictions(LPWSTR* restrictions) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QuerySorting(LPCWSTR sorting) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QuerySorting(LPWSTR* sorting) = 0;
    virtual HRESULT STDMETHODCALLTYPE GenerateSQLFromUserQuery(LPCWSTR query, LPWSTR* sql) = 0;
    virtual HRESULT STDMETHODCALLTYPE WriteProperties(int itemId, DWORD columnCount, void* columns, void* values,
                                                      FILETIME* gatherModifiedTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_QueryMaxResults(LONG maxResults) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_QueryMaxResults(LONG* maxResults) = 0;
};

struct ISearchCatalogManager : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_Name(LPWSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParameter(LPCWSTR name, void** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetParameter(LPCWSTR name, void* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCatalogStatus(int* status, int* pausedReason) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Reindex() = 0;
    virtual HRESULT STDMETHODCALLTYPE ReindexMatchingURLs(LPCWSTR pattern) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReindexSearchRoot(LPCWSTR rootUrl) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ConnectTimeout(DWORD seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ConnectTimeout(DWORD* seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DataTimeout(DWORD seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DataTimeout(DWORD* seconds) = 0;
    virtual HRESULT STDMETHODCALLTYPE NumberOfItems(LONG* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE NumberOfItemsToIndex(LONG* incremental, LONG* notificationQueue,
                                                           LONG* highPriority) = 0;
    virtual HRESULT STDMETHODCALLTYPE URLBeingIndexed(LPWSTR* url) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetURLIndexingState(LPCWSTR url, DWORD* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPersistentItemsChangedSink(void** sink) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterViewForNotification(LPCWSTR view, void* sink, DWORD* cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetItemsChangedSink(void* site, REFIID riid, void** sink, GUID* resetSignature,
                                                          GUID* checkPointSignature, DWORD* lastCheckPoint) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnregisterViewForNotification(DWORD cookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetExtensionClusion(LPCWSTR extension, BOOL exclude) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumerateExcludedExtensions(void** extensions) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetQueryHelper(ISearchQueryHelper** helper) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_DiacriticSensitivity(BOOL sensitive) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DiacriticSensitivity(BOOL* sensitive) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCrawlScopeManager(void** manager) = 0;
};

struct ISearchManager : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetIndexerVersionStr(LPWSTR* version) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIndexerVersion(DWORD* major, DWORD* minor) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetParameter(LPCWSTR name, void** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetParameter(LPCWSTR name, const void* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ProxyName(LPWSTR* proxyName) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BypassList(LPWSTR* bypassList) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProxy(int useProxy, BOOL localByPassProxy, DWORD portNumber,
                                               LPCWSTR proxyName, LPCWSTR byPassList) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCatalog(LPCWSTR catalog, ISearchCatalogManager** manager) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* userAgent) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR userAgent) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_UseProxy(int* useProxy) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LocalBypass(BOOL* localBypass) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PortNumber(DWORD* portNumber) = 0;
};

// A text the service allocated with the COM task allocator, freed when it goes.
class TaskText {
public:
    TaskText() = default;
    ~TaskText() { ::CoTaskMemFree(text_); }
    TaskText(const TaskText&) = delete;
    TaskText& operator=(const TaskText&) = delete;
    LPWSTR* out() { return &text_; }
    std::wstring_view view() const { return text_ ? std::wstring_view(text_) : std::wstring_view(); }

private:
    LPWSTR text_ = nullptr;
};

class WindowsQueryHelper final : public QueryHelper {
public:
    explicit WindowsQueryHelper(ComPtr<ISearchQueryHelper> helper) : helper_(std::move(helper)) {}
    void putQuerySelectColumns(std::string_view columns) override {
        check(helper_->put_QuerySelectColumns(toWide(columns).c_str()), "the query helper refused the select list");
    }
    std::string connectionString() override {
        TaskText text;
        check(helper_->get_ConnectionString(text.out()), "the query helper gave no connection string");
        return utf8FromWide(text.view());
    }
    std::string generateSqlFromUserQuery(std::string_view userQuery) override {
        TaskText sql;
        check(helper_->GenerateSQLFromUserQuery(toWide(userQuery).c_str(), sql.out()),
              "the query helper could not turn the typed text into SQL");
        return utf8FromWide(sql.view());
    }

private:
    ComPtr<ISearchQueryHelper> helper_;
};

class WindowsCatalogManager final : public CatalogManager {
public:
    explicit WindowsCatalogManager(ComPtr<ISearchCatalogManager> catalog) : catalog_(std::move(catalog)) {}
    int64_t numberOfItems() override {
        LONG count = 0;
        check(catalog_->NumberOfItems(&count), "the catalog could not count its items");
        return count;
    }
    ItemsToIndex numberOfItemsToIndex() override {
        LONG incremental = 0, notification = 0, highPriority = 0;
        check(catalog_->NumberOfItemsToIndex(&incremental, &notification, &highPriority),
              "the catalog could not count the items waiting to be indexed");
        return {incremental, notification, highPriority};
    }
    std::unique_ptr<QueryHelper> getQueryHelper() override {
        ComPtr<ISearchQueryHelper> helper;
        check(catalog_->GetQueryHelper(helper.put()), "the catalog gave no query helper");
        if (!helper) win32::fail(E_POINTER, "the catalog gave no query helper");
        return std::make_unique<WindowsQueryHelper>(std::move(helper));
    }

private:
    ComPtr<ISearchCatalogManager> catalog_;
};

class WindowsSearchManager final : public SearchManager {
public:
    explicit WindowsSearchManager(ComPtr<ISearchManager> manager) : manager_(std::move(manager)) {}
    std::string getIndexerVersionStr() override {
        TaskText version;
        const HRESULT hr = manager_->GetIndexerVersionStr(version.out());
        check(hr, "the search service did not tell its version");
        return fromWide(version.view());
    }
    std::unique_ptr<CatalogManager> getCatalog(std::string_view name) override {
        ComPtr<ISearchCatalogManager> catalog;
        check(manager_->GetCatalog(toWide(name).c_str(), catalog.put()), "the search service has no such catalog");
        if (!catalog) win32::fail(E_POINTER, "the search service has no such catalog");
        return std::make_unique<WindowsCatalogManager>(std::move(catalog));
    }

private:
    ComPtr<ISearchManager> manager_;
};

class WindowsDesktopSearch final : public DesktopSearch {
public:
    std::unique_ptr<SearchManager> createSearchManager() override {
        ComPtr<ISearchManager> manager;
        check(::CoCreateInstance(kClsidSearchManager, nullptr, kServerContext, kIidSearchManager, manager.putVoid()),
              "the system's search service is not installed or not registered");
        return std::make_unique<WindowsSearchManager>(std::move(manager));
    }
    std::unique_ptr<Connection> createConnection() override { return win32::createAdoConnection(); }

private:
    // Lives as long as the service: every object above is released before COM is uninitialised.
    win32::ComScope com_;
};

std::string textOfCell(std::string_view cell) { return fromWide(wideFromUtf8(cell)); }

std::string pathOfFileUrl(std::string_view afterScheme) {
    std::string path(afterScheme);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace

std::unique_ptr<DesktopSearch> openDesktopSearch(const std::filesystem::path&) {
    return std::make_unique<WindowsDesktopSearch>();
}

std::filesystem::path defaultIndexFile() { return {}; }

const HitConventions& hitConventions() {
    // The service writes paths with '\' after a drive's ':', and has no symbolic-link kind (a
    // shortcut is found by its ".lnk" extension).
    static const HitConventions conventions{"\\:", "", &textOfCell, &pathOfFileUrl};
    return conventions;
}

}  // namespace skimmer::os::search
