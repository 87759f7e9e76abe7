// Which engine a search uses, and making it.
//
// Contract: the choice is read from "ESKSSearchEngine" at the moment of the call (0: the index
// engine; any other value: the locate engine), never cached. A caller that runs a whole search
// makes its engine once at the start and keeps it, so one search never mixes the two engines.
#pragma once

#include <memory>
#include <string_view>

#include "config/registry_config.h"
#include "engines/search_engine.h"

namespace skimmer::engines {

// 0 (or a table without the setting): WindowsSearch; anything else: Locate32.
EngineChoice ChosenEngine(const config::TRegistryConfig& config);

// The name a Linux user knows the engine by: the desktop index stands in for the Windows desktop
// search and the system's `locate` for Locate32 (settings and code keep the original names).
inline constexpr std::string_view kIndexEngineName = "desktop index";
const char* EngineDisplayName(EngineChoice choice);

std::unique_ptr<SearchEngine> MakeSearchEngine(EngineChoice choice, TEngineEnvironment env);
// The engine env.Config chooses now (the index engine when there is no table).
std::unique_ptr<SearchEngine> MakeChosenEngine(TEngineEnvironment env);

}  // namespace skimmer::engines
