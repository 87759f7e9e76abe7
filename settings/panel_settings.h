// "SKPConfig", the panel settings dialog's item table, 59 x 17: the drive-menu number is the one
// field the user can change; the grouping choice and the seven panel options are shown greyed
// out, for reading only.
//
// Contract: PanelSettingsDescription lays out the items from the language texts and the live
// settings ("BCustom" starts enabled only when "SKPGroupMode" is 1); RunPanelSettings
// (settings_dialogs.h) runs it, and refuses a drive-menu number other than nothing or one digit.
#pragma once

#include <cstdint>

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "dialogs/dialog_description.h"
#include "platform/host_tables.h"

namespace skimmer::settings {

inline constexpr int32_t kPanelDialogWidth = 59;
inline constexpr int32_t kPanelDialogHeight = 17;
// The same limits as a read from the registry checks (config/catalogue.h).
inline constexpr int32_t kDriveMenuNumberLow = config::kLowestDriveMenuNumber;
inline constexpr int32_t kDriveMenuNumberHigh = config::kHighestDriveMenuNumber;
inline constexpr int32_t kDriveMenuNumberWidth = 2;

struct TPanelButtons {
    int32_t custom = -1, ok = -1, cancel = -1, about = -1;
};

dialogs::TDialogDescription PanelSettingsDescription(const platform::HostTables& host,
                                                     const config::TRegistryConfig& config, TPanelButtons& buttons);

}  // namespace skimmer::settings
