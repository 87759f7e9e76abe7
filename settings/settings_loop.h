// The one run of every settings dialog: shown again after each side button with what the user
// left in it, checked when accepted, saved once, and put back as it was when left without
// accepting.
//
// Contract: the dialog is registered by the caller (once; RegisterSettingsDialog for a dialog over
// the live settings) and run here as many times as the user goes round; values reach what the
// dialog binds only through the toolkit's read-back; the disk only through one configSaveValues
// after `check` passed, and only when the run saves (a save the disk refuses is reported by the
// store, and the values stay in memory). Escape or the cancel item restores every value the
// dialog binds to what it was before the first run. Nothing here throws.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "dialogs/dialog_description.h"
#include "dialogs/registered_dialog.h"
#include "settings/settings_env.h"
#include "settings/settings_snapshot.h"

namespace skimmer::settings {

// What a side button's action works on: the dialog as the user left it, and the values it bound
// before the first run.
struct TSettingsRound {
    SettingsEnv& env;
    dialogs::TRegisteredDialog& dialog;
    const TSettingsSnapshot& onEntry;
};

// A button that leaves the dialog for another task and then shows the dialog again.
struct TSideButton {
    int32_t Index = -1;  // its FAR index
    std::function<void(const TSettingsRound&)> action;
};

struct TSettingsRun {
    const char* HelpTopic = nullptr;
    FARWINDOWPROC Proc = nullptr;
    int32_t Cancel = -1;  // FAR index of "BCancel"
    int32_t About = -1;   // FAR index of "BAbout" (-1: none): the About box, then the dialog again
    std::vector<TSideButton> Sides;
    // Called before every run: the items' enabled states from their controllers' current items.
    std::function<void(dialogs::TRegisteredDialog&)> beforeRun;
    // Called after an accepting run (values already read back): false refuses the values — the
    // check has reported why and focused the field — and the dialog is shown again.
    std::function<bool(dialogs::TRegisteredDialog&)> check;
    // False for a dialog over its own record: accepting writes nothing to the disk.
    bool Save = true;
};

// Loads the live settings as the registry holds them now (another process may have saved since),
// then lays out the table with `describe` from them and registers it over them. False, with the
// reason shown, when the table is refused.
bool RegisterSettingsDialog(SettingsEnv& env, dialogs::TRegisteredDialog& dialog,
                            const std::function<dialogs::TDialogDescription()>& describe);

// True when the user accepted (whether or not the disk took the save).
bool RunSettingsLoop(SettingsEnv& env, dialogs::TRegisteredDialog& dialog, const TSettingsRun& run);

}  // namespace skimmer::settings
