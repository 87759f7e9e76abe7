// "SKSConfig": the search window's settings, with side buttons to the About box, the group list
// editor and the column editor, after each of which the dialog shows again as the user left it.
//
// Contract: accepting checks the custom window size (when "SKSWindowMode" is 2) against the
// console's size as it is at that moment — a height from kMinWindowHeight to the console's
// height, a width from kMinWindowWidth to its width — and then saves the changed settings once. A
// refused value is reported, the dialog shown again with the focus on it and nothing saved.
// Cancelling leaves this dialog's settings as they were when it opened (the side editors keep
// what they saved themselves); a side editor that saves never takes this dialog's unchecked
// values with it.
#pragma once

#include <cstdint>

#include "config/catalogue.h"
#include "dialogs/dialog_description.h"
#include "settings/settings_env.h"

namespace skimmer::settings {

// The same limits as a read from the registry checks (config/catalogue.h).
inline constexpr int32_t kMinWindowHeight = config::kLowestWindowHeight;
inline constexpr int32_t kMinWindowWidth = config::kLowestWindowWidth;

// The FAR indexes of the side and closing buttons, as the table's walk stores them.
struct WindowSettingsButtons {
    int32_t Custom = -1, Full = -1, Ok = -1, Cancel = -1, About = -1;
};

// The dialog's table, laid out from the lengths of its language messages.
dialogs::TDialogDescription windowSettingsTable(const platform::HostTables& host, WindowSettingsButtons& buttons);

// The dialog, until accepted (true, settings saved) or cancelled (false).
bool showSearchWindowSettings(SettingsEnv& env);

}  // namespace skimmer::settings
