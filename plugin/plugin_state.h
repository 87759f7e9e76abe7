// The plug-in's process-wide state: everything the entry points set up and the search window, dialogs and panel read, in
// one object per loaded module (no other mutable globals), with the services it reaches the
// system through.
//
// Contract: the state owns its services (registry, console, temporary folder); the module makes
// them real in SetStartupInfo, tests inject fakes before calling the entry-point functions. Only
// FAR's main thread touches the state, except that the search thread reads PluginConfig.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/registry_config.h"
#include "config/sort_groups.h"
#include "engines/search_engine.h"
#include "os/default_open.h"
#include "panel/panel_state.h"
#include "platform/console.h"
#include "platform/host_tables.h"
#include "platform/plugin_context.h"
#include "platform/registry_access.h"
#include "search/mail_items.h"
#include "results/highlight_groups.h"

namespace skimmer::os {
class TempDir;
}  // namespace skimmer::os

namespace skimmer::plugin {

struct PluginState;

// How the state reaches the system; each member may be replaced before SetStartupInfo.
struct PluginServices {
    std::unique_ptr<platform::RegistryAccess> registry;
    std::unique_ptr<platform::Console> console;
    // Creates the private temporary folder named "skimmer." + the load stamp; null on failure.
    std::function<std::unique_ptr<os::TempDir>(const std::string& stamp)> makeTempDir;
    // The search engines' environment; empty: the index at its default place and the system's
    // locate (tests point it at their own).
    std::function<engines::TEngineEnvironment(const PluginState&)> engineEnvironment;
    // Opens a hit with its default application; empty: the desktop's opener.
    std::function<os::OpenResult(std::string_view)> shellOpen;
    // The mail client; empty: search::DefaultMailAccess().
    std::function<search::MailAccess()> mailAccess;

    PluginServices();
    ~PluginServices();
    PluginServices(PluginServices&&) noexcept;
    PluginServices& operator=(PluginServices&&) noexcept;
};

struct PluginState {
    platform::HostTables host;  // StartupInfo and StandardFunctions
    DWORD FarVersion = 0;
    std::string FarRootKey;
    std::string PluginsRootKey;
    std::vector<uint8_t> Palette;
    std::array<uint16_t, 4> ListColors{};
    int32_t ConsoleWidth = 0;
    int32_t ConsoleHeight = 0;
    std::string NoDateText;
    results::THLGroups HighlightGroups;  // FAR's file highlight groups, reloaded at each OpenPlugin
    std::string LoadStamp;
    int DiskMenuNumber = 0;  // FAR keeps a pointer to it after GetPluginInfo returns
    config::TRegistryConfig PluginConfig;
    config::TSKSSortGroups Groups;

    PluginServices services;
    std::unique_ptr<os::TempDir> tempDir;  // PluginTempDir, while it exists
    panel::TPanel Panel;  // the search-folder tree, PanelInstance and PanelSavedPosition

    explicit PluginState(std::string loadStamp);
    ~PluginState();

    // PluginTempDir: the folder this instance created (empty path when it could not).
    std::string PluginTempDir() const;
    // The plug-in's context, pointing into this state: the one record every part is handed.
    // Brought up to date at each call (the temporary folder, the palette and the language's texts
    // change after SetStartupInfo); a reference stays valid as long as the state.
    const platform::PluginContext& Context();
    // The search engines' environment: services.engineEnvironment's when a test gives one,
    // otherwise the index at its default place and the system's locate.
    engines::TEngineEnvironment EngineEnvironment() const;
    // The one mail client of this instance, shared by the search window and the panel (so what a
    // Maildir listing taught serves both), made when first asked for.
    const search::MailAccess& Mail();

private:
    search::MailAccess mail_;
    platform::PluginContext context_;
};

}  // namespace skimmer::plugin
