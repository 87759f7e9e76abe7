#include "engines/search_engine.h"

#include "engines/locate_database.h"
#include "engines/locate_run.h"
#include "index/query/connection.h"
#include "index/query/search_manager.h"
#include "index/storage/schema.h"
#include "platform/host_tables.h"

namespace skimmer::engines {

TSearchEngine::TSearchEngine(TEngineEnvironment env) : Env(std::move(env)) {}
TSearchEngine::~TSearchEngine() = default;
TSearchEngine::TSearchEngine(TSearchEngine&&) noexcept = default;
TSearchEngine& TSearchEngine::operator=(TSearchEngine&&) noexcept = default;

void ResetSearchEngine(TSearchEngine& Engine) {
    // Children before parents: the record set before its connection, the helper before its catalog.
    Engine.Recordset.reset();
    Engine.Connection.reset();
    Engine.QueryHelper.reset();
    Engine.CatalogManager.reset();
    Engine.SearchManager.reset();
    Engine.ConnectionString.clear();
    Engine.Sql.clear();
    Engine.Locate.reset();
    Engine.Ready = false;
}

int32_t ShowEngineErrorCode(const TEngineEnvironment& env, int32_t code) {
    if (env.ShowErrorText) env.ShowErrorText("Error: " + std::to_string(code));
    return code;
}

TEngineEnvironment EngineEnvironmentFor(const platform::HostTables& host, const config::TRegistryConfig& config,
                                        platform::RegistryAccess* registry) {
    TEngineEnvironment env;
    env.Config = &config;
    env.Registry = registry;
    env.IndexFile = index::store::defaultIndexPath();
    // The tables live as long as the plug-in's state, which outlives every engine record.
    env.ShowErrorText = [&host](const std::string& text) { platform::ShowErrorText(host, text); };
    env.GetMsg = [&host](int number) { return platform::GetMsgStr(host, number); };
    env.SystemLocateDatabases = SystemLocateDatabases();
    return env;
}

}  // namespace skimmer::engines
