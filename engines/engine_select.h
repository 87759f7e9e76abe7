// Which engine a search uses, and the five operations of the chosen one as one table.
//
// Contract: the choice is read from "ESKSSearchEngine" at the moment of the call (0: the index
// engine; any other value: the locate engine), never cached. A caller that runs a whole search
// takes the table once at the start and keeps it, so one search never mixes the two engines.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/registry_config.h"
#include "engines/search_engine.h"
#include "results/search_result.h"

namespace skimmer::engines {

enum class EngineChoice { WindowsSearch, Locate32 };

// 0 (or a table without the setting): WindowsSearch; anything else: Locate32.
EngineChoice ChosenEngine(const config::TRegistryConfig& config);

// The open / query / fetch / end / close set of one engine.
struct TEngineOps {
    int32_t (*Init)(TSearchEngine& Engine);
    int32_t (*Query)(TSearchEngine& Engine, std::string_view Text, std::string_view Kind);
    int32_t (*Fetch)(TSearchEngine& Engine, results::TSearchResults& Results);
    void (*EndQuery)(TSearchEngine& Engine);
    int32_t (*Done)(TSearchEngine& Engine);
};

// The name a Linux user knows the engine by: the desktop index stands in for the Windows desktop
// search and the system's `locate` for Locate32 (settings and code keep the original names).
inline constexpr std::string_view kIndexEngineName = "desktop index";
const char* EngineDisplayName(EngineChoice choice);

const TEngineOps& EngineOps(EngineChoice choice);
inline const TEngineOps& EngineOps(const config::TRegistryConfig& config) { return EngineOps(ChosenEngine(config)); }

}  // namespace skimmer::engines
