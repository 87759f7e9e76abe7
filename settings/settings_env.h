// What every settings dialog works on: the plug-in's context (the host's tables, the live settings
// and user groups, the registry, the console, FAR's version and palette) and the chosen engine's
// environment.
//
// Contract: the environment points into the plug-in's state and owns nothing; it lives no longer
// than the configuration menu or the window that opened the dialog. Every dialog changes the
// settings table only when the user accepts, and saves through the table's own store.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "config/registry_config.h"
#include "config/sort_groups.h"
#include "engines/search_engine.h"
#include "far/win_types.h"
#include "os/system_info.h"
#include "platform/console.h"
#include "platform/host_tables.h"
#include "platform/plugin_context.h"
#include "platform/registry_access.h"

namespace skimmer::settings {

// The context's console checks the custom window size; its palette gives the About box's colours.
struct SettingsEnv : platform::PluginContext {
    // The chosen engine's environment, asked for when a dialog needs it (the About box).
    std::function<engines::TEngineEnvironment()> engineEnvironment;
    // What uname says, for the About box's system line; null: the running system.
    const os::SystemInfoSource* systemInfo = nullptr;

    bool usable() const { return host != nullptr && config != nullptr; }
};

}  // namespace skimmer::settings
