#include "plugin/plugin_state.h"

#include "os/registry.h"
#include "os/temp_dir.h"

namespace skimmer::plugin {

PluginServices::PluginServices() = default;
PluginServices::~PluginServices() = default;
PluginServices::PluginServices(PluginServices&&) noexcept = default;
PluginServices& PluginServices::operator=(PluginServices&&) noexcept = default;

PluginState::PluginState(std::string loadStamp) : LoadStamp(std::move(loadStamp)) {}
PluginState::~PluginState() = default;

std::string PluginState::PluginTempDir() const { return tempDir ? tempDir->pathText() : std::string(); }

const platform::PluginContext& PluginState::Context() {
    context_.host = &host;
    context_.config = &PluginConfig;
    context_.groups = &Groups;
    context_.registry = services.registry.get();
    context_.console = services.console.get();
    context_.FarVersion = FarVersion;
    context_.FarRootKey = FarRootKey;
    context_.PluginsRootKey = PluginsRootKey;
    context_.palette = &Palette;
    context_.NoDateText = NoDateText;
    context_.tempDir = tempDir.get();
    context_.shellOpen = services.shellOpen;
    return context_;
}

engines::TEngineEnvironment PluginState::EngineEnvironment() const {
    if (services.engineEnvironment) return services.engineEnvironment(*this);
    return engines::EngineEnvironmentFor(host, PluginConfig, services.registry.get());
}

const search::MailAccess& PluginState::Mail() {
    if (!mail_.client) mail_ = services.mailAccess ? services.mailAccess() : search::DefaultMailAccess();
    return mail_;
}

}  // namespace skimmer::plugin
