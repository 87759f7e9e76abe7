// The service table each plug-in receives (PluginStartupInfo): the dialog engine's dialogs, menus,
// messages and help (host/ui), and this layer's slots, which reach the application through the
// installed ServiceHosts (service_hosts.h).
//
// Contract: the table holds only function pointers, the module's name and the plug-ins' registry
// root; `fsf` must outlive it.
#pragma once

#include "far/plugin.h"

namespace skimmer::host::services {

// Where plug-ins keep their settings (RootKey): the hive's key, as FAR's own.
inline constexpr const char* kPluginsRootKey = "Software\\Far\\Plugins";

// The whole table for plug-in number `moduleNumber` loaded from `modulePath`.
PluginStartupInfo makeStartupInfo(int moduleNumber, const char* modulePath, FarStandardFunctions* fsf);

}  // namespace skimmer::host::services
