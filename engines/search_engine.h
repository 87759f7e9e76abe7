// The state record of a search engine, shared by the index engine (WDS*, wds_engine.h) and the
// locate engine (L32*, l32_engine.h), the information records they fill, and the seams through
// which an engine reaches settings, the registry, the error box and the index file.
//
// Contract:
// - One TSearchEngine belongs to one thread at a time (the search thread during a search, the main
//   thread for the panel and the information queries). Nothing here is shared between records.
// - `Ready` is the one sign that an engine is open; it is set by WDSInit / L32Init.
// - The record owns everything it opens: index objects, the running `locate` child and its pipes.
//   Destroying the record (or ResetSearchEngine) closes them and kills and reaps a child that
//   still runs, so an abandoned search never leaves a process or a descriptor behind.
// - Settings are read at the moment of use through `Env.Config`, never cached.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/registry_config.h"
#include "lng/messages.h"
#include "platform/registry_access.h"

namespace skimmer::index::query {
class SearchManager;
class CatalogManager;
class QueryHelper;
class Connection;
class Recordset;
}  // namespace skimmer::index::query

namespace skimmer::platform {
struct HostTables;
}

namespace skimmer::engines {

// Result codes of the engine operations (0 is success).
constexpr int32_t kEngineComInitFailed = 32;   // never raised on Linux: there is no COM to start
constexpr int32_t kEngineNotInstalled = 31;    // the index does not exist or cannot be opened
constexpr int32_t kEngineTooOld = 1000;        // indexer major version below 3
constexpr int32_t kEngineNoCatalog = 30;       // catalog "systemindex" not available
constexpr int32_t kEngineNoQueryHelper = 51;   // no query helper
constexpr int32_t kEngineNotReady = 50;        // a query on an engine that is not open
constexpr int32_t kEngineEmptySql = 62;        // connection string or query text empty
constexpr int32_t kEngineNoConnection = 63;    // the connection object could not be made
constexpr int32_t kEngineCannotStart = 71;     // `locate` could not be started
constexpr int32_t kEngineRowCountUnknown = 101;  // a batch whose row count cannot be measured
constexpr int32_t kLocateMissing = 1;          // L32Init: no `locate` in ESKSLocate32Path

// Language messages an engine shows.
using lng::kMsgEngineUnusable;
using lng::kMsgLocateError;

// The name of the program in the locate folder setting (config::setting::kLocate32Path).
inline constexpr const char* kLocateProgram = "locate";

// A failed call on the index's objects: what() is exactly "Safecall error: '%X'" with the failing
// code; detail() says what happened in plain words. Thrown by WDSQuery and WDSFetch; it ends the
// search that met it (the search thread catches it, shows what() and stops).
class EngineError : public std::runtime_error {
public:
    EngineError(uint32_t code, const std::string& message, std::string detail)
        : std::runtime_error(message), code_(code), detail_(std::move(detail)) {}
    uint32_t code() const { return code_; }
    const std::string& detail() const { return detail_; }

private:
    uint32_t code_;
    std::string detail_;
};

// How an engine reaches the world outside it. The window and the panel fill it from the plug-in's
// state (EngineEnvironmentFor); tests fill it with fakes.
struct TEngineEnvironment {
    const config::TRegistryConfig* Config = nullptr;  // ESKSSearchEngine, ESKSLocate32Path
    // Below HKEY_CURRENT_USER: "Software\Update\Databases" for L32GetInfo. Null: no such key.
    platform::RegistryAccess* Registry = nullptr;
    // The index's database file; empty: the index is not installed.
    std::filesystem::path IndexFile;
    // The error box ("Skimmer Error") with one text, and the language file's message by number.
    std::function<void(const std::string&)> ShowErrorText;
    std::function<std::string(int)> GetMsg;
    // The locate engine waits for output at most this long per L32Fetch (100 ms: a window key is never kept waiting longer).
    std::chrono::milliseconds PollStep{100};
    // The system's locate databases when the registry names none (see locate_database.h).
    std::vector<std::filesystem::path> SystemLocateDatabases;
};

// The environment of the plug-in: the host's error box and language strings, the settings table,
// the registry seam, the index at its default place and the system's locate databases.
TEngineEnvironment EngineEnvironmentFor(const platform::HostTables& host, const config::TRegistryConfig& config,
                                        platform::RegistryAccess* registry);

// "Error: " + the decimal code in the error box; returns the code.
int32_t ShowEngineErrorCode(const TEngineEnvironment& env, int32_t code);

struct TLocateRun;  // the running `locate` child and its pipes (l32_engine.cpp)

struct TSearchEngine {
    TEngineEnvironment Env;

    // Index engine.
    std::unique_ptr<index::query::SearchManager> SearchManager;
    std::unique_ptr<index::query::CatalogManager> CatalogManager;
    std::unique_ptr<index::query::QueryHelper> QueryHelper;
    std::string ConnectionString;
    std::string Sql;
    std::unique_ptr<index::query::Connection> Connection;
    std::unique_ptr<index::query::Recordset> Recordset;
    bool Ready = false;
    // What the last failure of this record was, in plain words (the index's own explanation when
    // it has one), for a caller that wants to say more than the code.
    std::string LastError;

    // Locate engine: the child, its two pipes and the piece buffer with its carried-over text.
    std::unique_ptr<TLocateRun> Locate;

    explicit TSearchEngine(TEngineEnvironment env = {});
    ~TSearchEngine();
    TSearchEngine(TSearchEngine&&) noexcept;
    TSearchEngine& operator=(TSearchEngine&&) noexcept;
};

// Releases every object of the record, stops a running child, clears Ready; keeps Env.
void ResetSearchEngine(TSearchEngine& Engine);

// The index's information (TWDS3Info).
struct TWDS3Info {
    std::string Version;  // indexer version text, or "none" when the index cannot be opened
    int32_t ItemCount = 0;
    int32_t IncrementalCount = 0;
    int32_t NotificationQueue = 0;
    int32_t HighPriorityQueue = 0;
};

// The locate engine's information (TL32Info).
struct TL32Info {
    std::string Version;        // first line of `locate --version`
    int32_t ItemCount = 0;      // files and folders in all its databases
    int32_t DatabaseSize = 0;   // total bytes of all database files
};

}  // namespace skimmer::engines
