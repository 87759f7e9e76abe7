// The run of a settings dialog with side buttons: shown again after each side button with what
// the user left in it, checked when accepted, saved once, and put back as it was when left
// without accepting.
//
// Contract: the dialog is registered by the caller (once) and run here as many times as the user
// goes round; values reach the live settings only through the toolkit's read-back; the disk only
// through one configSaveValues after `check` passed (a save the disk refuses is reported by the
// store, and the values stay in memory). Escape or the cancel item restores every value the
// dialog binds to what it was before the first run. Nothing here throws.
#pragma once

#include <cstdint>
#include <functional>

#include "dialogs/registered_dialog.h"
#include "settings/settings_env.h"

namespace skimmer::settings {

struct TSettingsRun {
    const char* HelpTopic = nullptr;
    FARWINDOWPROC Proc = nullptr;
    int32_t Cancel = -1;  // FAR index of "BCancel"
    int32_t About = -1;   // FAR index of "BAbout": the About box, then the dialog again
    int32_t Side = -1;    // FAR index of another side button (-1: none): `side`, then the dialog again
    std::function<void(SettingsEnv&)> side;
    // Called before every run: the items' enabled states from their controllers' current items.
    std::function<void(dialogs::TRegisteredDialog&)> beforeRun;
    // Called after an accepting run (values already read back): false refuses the values — the
    // check has reported why and focused the field — and the dialog is shown again.
    std::function<bool(dialogs::TRegisteredDialog&)> check;
};

// True when the user accepted (whether or not the disk took the save).
bool RunSettingsLoop(SettingsEnv& env, dialogs::TRegisteredDialog& dialog, const TSettingsRun& run);

}  // namespace skimmer::settings
