#include "engines/engine_select.h"

#include "engines/l32_engine.h"
#include "engines/wds_engine.h"

namespace skimmer::engines {
namespace {

constexpr TEngineOps kWdsOps{WDSInit, WDSQuery, WDSFetch, WDSEndQuery, WDSDone};
constexpr TEngineOps kL32Ops{L32Init, L32Query, L32Fetch, L32EndQuery, L32Done};

}  // namespace

EngineChoice ChosenEngine(const config::TRegistryConfig& config) {
    // Looked up without the error report of getConfigValue: a table without the setting (a test's,
    // or one set up before the catalogue) means the default, the index engine.
    for (const auto& element : config.Elements)
        if (element.Name == kSettingSearchEngine)
            return element.IntValue == 0 ? EngineChoice::WindowsSearch : EngineChoice::Locate32;
    return EngineChoice::WindowsSearch;
}

const TEngineOps& EngineOps(EngineChoice choice) {
    return choice == EngineChoice::WindowsSearch ? kWdsOps : kL32Ops;
}

const char* EngineDisplayName(EngineChoice choice) {
    return choice == EngineChoice::WindowsSearch ? kIndexEngineName.data() : kLocateProgram;
}

}  // namespace skimmer::engines
