// The plug-in's context: the one record of what every part reaches outside itself (the host's
// tables, the live settings and user groups, the registry seam, the console, FAR's keys, version
// and palette, the temporary folder, the desktop's opener), built once by plugin/ from its state.
//
// Contract: the context points into the plug-in's state and owns nothing; everything it points at
// outlives every window, dialog and panel that reads it. The parts' own environments (the search
// window's, the settings dialogs', the panel's, the Temporary Panel's) are this record plus what
// only that part needs, so a part is handed the context whole rather than field by field, and a
// function that needs no more than the context takes it by reference. Declared here, below
// config/, so the settings types it points at are only named, never included.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "far/win_types.h"
#include "os/default_open.h"
#include "platform/console.h"
#include "platform/host_tables.h"
#include "platform/registry_access.h"

namespace skimmer::config {
struct TRegistryConfig;
struct TSKSSortGroups;
}  // namespace skimmer::config

namespace skimmer::os {
class TempDir;
}

namespace skimmer::platform {

struct PluginContext {
    const HostTables* host = nullptr;
    config::TRegistryConfig* config = nullptr;  // the live settings; written on FAR's main thread only
    config::TSKSSortGroups* groups = nullptr;   // the live user groups
    RegistryAccess* registry = nullptr;
    const Console* console = nullptr;
    DWORD FarVersion = 0;                       // as AdvControl(ACTL_GETFARVERSION) gave it
    std::string FarRootKey;
    std::string PluginsRootKey;
    const std::vector<uint8_t>* palette = nullptr;  // FAR's current palette; null: FAR's default
    std::string NoDateText;                     // the language's text for a hit without a date
    os::TempDir* tempDir = nullptr;             // PluginTempDir; null: there is none
    // Opens a hit with its default application; empty: the desktop's opener.
    std::function<os::OpenResult(std::string_view)> shellOpen;
};

}  // namespace skimmer::platform
