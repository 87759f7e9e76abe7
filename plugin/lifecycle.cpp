#include "config/catalogue.h"
#include "far/adv_control.h"
#include "os/temp_dir.h"
#include "panel/folder_store.h"
#include "panel/panel_entries.h"
#include "platform/far_palette.h"
#include "platform/user_registry.h"
#include "plugin/entry_points.h"

namespace skimmer::plugin {

namespace {

// The services the module uses outside tests: the user's registry (the hive file on Linux,
// HKEY_CURRENT_USER on Windows), the console and a private temporary folder. Only the missing
// ones are made.
void completeServices(PluginState& state) {
    PluginServices& services = state.services;
    if (!services.registry) {
        // Notices about the registry (a damaged hive file moved aside, a change that could not be
        // undone) name a place and a reason: a body the host can wrap, never the error box's
        // one-button line.
        auto report = [&state](const std::string& text) { platform::ShowNoticeText(state.host, text); };
        services.registry = platform::openUserRegistry(report);
    }
    if (!services.console) services.console = std::make_unique<platform::TerminalConsole>(1);
    if (!services.makeTempDir) {
        services.makeTempDir = [](const std::string& stamp) {
            std::string error;
            // Folders a killed host left behind would otherwise pile up in $TMPDIR.
            os::TempDir::reclaimStale("skimmer");
            return os::TempDir::createReclaimable("skimmer", stamp, error);
        };
    }
}

void setUpSettings(PluginState& state) {
    config::TRegistryConfig& config = state.PluginConfig;
    config.location_ = config::settingsLocation(state.services.registry.get(), state.PluginsRootKey);
    config.reportError_ = [&state](const std::string& text) { platform::ShowErrorText(state.host, text); };
    config::configSetupCatalogue(config);
    config::loadSortGroups(state.Groups, config.location_);
}

// The panel reaches the host, the settings and the registry through the state's own services.
void setUpPanel(PluginState& state) {
    panel::TPanelEnv& env = state.Panel.env;
    static_cast<platform::PluginContext&>(env) = state.Context();
    env.engineEnvironment = [&state] { return state.EngineEnvironment(); };
    env.mailAccess = [&state] { return state.Mail(); };
    panel::LoadFolderTree(state.Panel.tree, env.registry, state.PluginsRootKey);
}

}  // namespace

std::string farRootKeyFrom(const std::string& rootKey) {
    const size_t slash = rootKey.rfind('\\');
    return slash == std::string::npos ? std::string() : rootKey.substr(0, slash);
}

void setStartupInfo(PluginState& state, const PluginStartupInfo& info) {
    state.host.copyFrom(info);
    const PluginStartupInfo& host = state.host.StartupInfo;
    if (host.AdvControl) host.AdvControl(host.ModuleNumber, ACTL_GETFARVERSION, &state.FarVersion);
    state.PluginsRootKey = host.RootKey ? host.RootKey : "";
    state.FarRootKey = farRootKeyFrom(state.PluginsRootKey);
    completeServices(state);
    setUpSettings(state);
    state.Palette = platform::ReadFarPalette(state.host, state.services.registry.get(), state.FarRootKey);
    // A folder that cannot be made is not an error yet: nothing needs it until a hit is exported.
    if (!state.tempDir) state.tempDir = state.services.makeTempDir(state.LoadStamp);
    // Last: the panel keeps its own copy of the context, which now holds every service.
    setUpPanel(state);
}

void closePlugin(PluginState&, HANDLE) {
    // The panel instance and its position outlive ClosePlugin: the next opening returns there.
}

void exitFar(PluginState& state) {
    panel::ClosePanelInstance(state.Panel);
    if (state.tempDir) {
        // What cannot be removed (a file someone else put there) stays, and the folder with it.
        std::string ignored;
        state.tempDir->remove(ignored);
        state.tempDir.reset();
    }
}

}  // namespace skimmer::plugin
