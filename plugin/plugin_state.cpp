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

std::string PluginState::PluginTempDir() const { return tempDir ? tempDir->path().string() : std::string(); }

const search::MailAccess& PluginState::Mail() {
    if (!mail_.store) mail_ = services.mailAccess ? services.mailAccess() : search::DefaultMailAccess();
    return mail_;
}

}  // namespace skimmer::plugin
