#include "engines/engine_select.h"

#include "config/catalogue.h"
#include "engines/l32_engine.h"
#include "engines/wds_engine.h"
#include "os/locate_program.h"

namespace skimmer::engines {

EngineChoice ChosenEngine(const config::TRegistryConfig& config) {
    // Looked up without the error report of a lookup: a table without the setting (a test's, or
    // one set up before the catalogue) means the default, the index engine.
    const int32_t choice = config::setting::kSearchEngine.peek(config).value_or(0);
    return choice == 0 ? EngineChoice::WindowsSearch : EngineChoice::Locate32;
}

const char* EngineDisplayName(EngineChoice choice) {
    return choice == EngineChoice::WindowsSearch ? kIndexEngineName.data() : os::locateEngineName();
}

std::unique_ptr<SearchEngine> MakeSearchEngine(EngineChoice choice, TEngineEnvironment env) {
    if (choice == EngineChoice::WindowsSearch) return std::make_unique<WdsEngine>(std::move(env));
    return std::make_unique<L32Engine>(std::move(env));
}

std::unique_ptr<SearchEngine> MakeChosenEngine(TEngineEnvironment env) {
    const EngineChoice choice = env.Config ? ChosenEngine(*env.Config) : EngineChoice::WindowsSearch;
    return MakeSearchEngine(choice, std::move(env));
}

}  // namespace skimmer::engines
