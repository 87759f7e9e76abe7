// The engine settings dialog's item table: the engine choice and the locate folder, 59 x 10.
//
// Contract: EngineSettingsDescription lays out the items from the language texts and the live
// settings (the locate folder and its label start disabled while the index engine is chosen);
// RunEngineSettings (settings_dialogs.h) runs it. The folder is stored as typed: whether it
// holds `locate` shows when the engine is used, and the About box says so.
#pragma once

#include <cstdint>

#include "config/registry_config.h"
#include "dialogs/dialog_description.h"
#include "platform/host_tables.h"

namespace skimmer::settings {

inline constexpr int32_t kEngineDialogWidth = 59;
inline constexpr int32_t kEngineDialogHeight = 10;
inline constexpr int32_t kLocatePathWidth = 32;

// The FAR indexes of the buttons, filled when the table is registered.
struct TEngineButtons {
    int32_t ok = -1, cancel = -1, about = -1;
};

dialogs::TDialogDescription EngineSettingsDescription(const platform::HostTables& host,
                                                      const config::TRegistryConfig& config, TEngineButtons& buttons);

}  // namespace skimmer::settings
