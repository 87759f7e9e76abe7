#include "engines/engine_select.h"

#include "config/catalogue.h"
#include "engines/l32_engine.h"
#include "engines/wds_engine.h"

namespace skimmer::engines {
namespace {

constexpr TEngineOps kWdsOps{WDSInit, WDSQuery, WDSFetch, WDSEndQuery, WDSDone};
constexpr TEngineOps kL32Ops{L32Init, L32Query, L32Fetch, L32EndQuery, L32Done};

}  // namespace

EngineChoice ChosenEngine(const config::TRegistryConfig& config) {
    // Looked up without the error report of a lookup: a table without the setting (a test's, or
    // one set up before the catalogue) means the default, the index engine.
    const int32_t choice = config::setting::kSearchEngine.peek(config).value_or(0);
    return choice == 0 ? EngineChoice::WindowsSearch : EngineChoice::Locate32;
}

const TEngineOps& EngineOps(EngineChoice choice) {
    return choice == EngineChoice::WindowsSearch ? kWdsOps : kL32Ops;
}

const char* EngineDisplayName(EngineChoice choice) {
    return choice == EngineChoice::WindowsSearch ? kIndexEngineName.data() : kLocateProgram;
}

}  // namespace skimmer::engines
