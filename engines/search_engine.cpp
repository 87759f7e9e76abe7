#include "engines/search_engine.h"

#include "engines/locate_database.h"
#include "os/desktop_search.h"
#include "platform/host_tables.h"

namespace skimmer::engines {

int32_t DeliverStatus(const TEngineEnvironment& env, const EngineStatus& status) {
    if (status.broken) throw EngineError(static_cast<uint32_t>(status.code), status.shown, status.detail);
    if (!status.shown.empty() && env.ShowErrorText) env.ShowErrorText(status.shown);
    return status.code;
}

TEngineEnvironment EngineEnvironmentFor(const platform::HostTables& host, const config::TRegistryConfig& config,
                                        platform::RegistryAccess* registry) {
    TEngineEnvironment env;
    env.Config = &config;
    env.Registry = registry;
    env.IndexFile = os::search::defaultIndexFile();
    // The tables live as long as the plug-in's state, which outlives every engine.
    env.ShowErrorText = [&host](const std::string& text) { platform::ShowErrorText(host, text); };
    env.GetMsg = [&host](int number) { return platform::GetMsgStr(host, number); };
    env.SystemLocateDatabases = SystemLocateDatabases();
    return env;
}

}  // namespace skimmer::engines
