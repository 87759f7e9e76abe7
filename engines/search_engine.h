// The one engine interface: the index engine (WdsEngine, wds_engine.h) and the locate engine
// (L32Engine, l32_engine.h) are its two implementations, and every caller (the window's
// search thread, the search-folder panel, the window's opening check, the About box) holds an
// engine only through it. The environment through which an engine reaches settings, the
// registry and the index file, and the information records the engines fill, are here too.
//
// Contract:
// - Order of use: open → query → fetch until Finished → endQuery → (next query or close). One
//   engine belongs to one thread at a time (the search thread during a search, the main thread
//   for the panel and the information queries); nothing is shared between engines.
// - Every operation reports through EngineStatus (engine_status.h) and shows nothing itself.
// - `ready()` is the one sign that an engine is open; open sets it, close clears it.
// - An engine owns everything it opens: the index's objects, the running `locate` child and its
//   pipes. Destroying it closes them and kills and reaps a child that still runs, so an abandoned
//   search never leaves a process or a descriptor behind.
// - Settings are read at the moment of use through `env().Config`, never cached.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/registry_config.h"
#include "engines/engine_status.h"
#include "lng/messages.h"
#include "os/desktop_search.h"
#include "platform/registry_access.h"
#include "results/search_result.h"

namespace skimmer::platform {
struct HostTables;
}

namespace skimmer::engines {

// Language messages an engine's callers show.
using lng::kMsgEngineUnusable;
using lng::kMsgLocateError;

enum class EngineChoice { WindowsSearch, Locate32 };

// How an engine reaches the world outside it. The plug-in fills it from its context
// (EngineEnvironmentFor); tests fill it with fakes.
struct TEngineEnvironment {
    const config::TRegistryConfig* Config = nullptr;  // ESKSSearchEngine, ESKSLocate32Path
    // Below HKEY_CURRENT_USER: "Software\Update\Databases" for L32GetInfo. Null: no such key.
    platform::RegistryAccess* Registry = nullptr;
    // The desktop index's database file (Linux); empty: the index is not installed. Windows has
    // one system index and leaves it empty.
    std::filesystem::path IndexFile;
    // Opens the desktop search for the index engine, on the engine's thread. Empty: the system's
    // (os::search::openDesktopSearch over IndexFile); tests give a service of their own.
    std::function<std::unique_ptr<os::search::DesktopSearch>()> OpenDesktopSearch;
    // How the caller shows an engine's error box ("Skimmer Error") with one text, and the language
    // file's message by number. The engines never call ShowErrorText themselves: the named WDS* /
    // L32* functions and the callers' loops show what a status carries through it.
    std::function<void(const std::string&)> ShowErrorText;
    std::function<std::string(int)> GetMsg;
    // The locate engine waits for output at most this long per fetch (100 ms: a window key is never kept waiting longer).
    std::chrono::milliseconds PollStep{100};
    // The system's locate databases when the registry names none (see locate_database.h).
    std::vector<std::filesystem::path> SystemLocateDatabases;
};

class SearchEngine {
public:
    explicit SearchEngine(TEngineEnvironment env) : env_(std::move(env)) {}
    virtual ~SearchEngine() = default;
    SearchEngine(const SearchEngine&) = delete;
    SearchEngine& operator=(const SearchEngine&) = delete;

    virtual EngineChoice choice() const = 0;
    // Opens the engine. ready() tells whether it may be queried; a non-zero code with ready()
    // true is an engine that opened but is not to be used.
    virtual EngineStatus open() = 0;
    // Starts a query for `text`, restricted by the kind word `kind` (may be empty; locate has none).
    virtual EngineStatus query(std::string_view text, std::string_view kind) = 0;
    // Fills `batch` from slot 0 with the next hits; Count may be 0, Finished says no more will come.
    virtual EngineStatus fetch(results::TSearchResults& batch) = 0;
    // Ends the query: what it opened is released, a child still running is stopped. Never fails.
    virtual void endQuery() = 0;
    // Closes the engine; closing one that never became ready says message 44 where the engine does.
    virtual EngineStatus close() = 0;

    bool ready() const { return ready_; }
    const TEngineEnvironment& env() const { return env_; }

protected:
    TEngineEnvironment env_;
    bool ready_ = false;
};

// Makes the engine a caller uses; tests give their own, the plug-in MakeSearchEngine (engine_select.h).
using EngineFactory = std::function<std::unique_ptr<SearchEngine>(TEngineEnvironment)>;

// What the named functions (WDS*, L32*) do with a status: its text goes to env.ShowErrorText, a
// broken engine is raised as EngineError (nothing shown); returns the code.
int32_t DeliverStatus(const TEngineEnvironment& env, const EngineStatus& status);

// The environment of the plug-in: the host's error box and language strings, the settings table,
// the registry seam, the index at its default place and the system's locate databases.
TEngineEnvironment EngineEnvironmentFor(const platform::HostTables& host, const config::TRegistryConfig& config,
                                        platform::RegistryAccess* registry);

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
