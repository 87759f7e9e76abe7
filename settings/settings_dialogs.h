// The settings dialogs, one entry each: the configuration menu's four entries, the buttons of the
// search window's settings dialog, and F9 in the search window reach them through these.
//
// Contract: each shows its dialog over `env` (which must be usable()), changes the live settings
// only when the user accepts, and saves what the dialog binds; a value the dialog refuses is
// reported and nothing is saved. None of them throws.
#pragma once

#include "settings/settings_env.h"

namespace skimmer::settings {

// The engine settings dialog (configuration menu, entry 1). True when the user accepted.
bool RunEngineSettings(SettingsEnv& env);
// "SKSConfig", the search window's settings (entry 2, and F9 in the window). True when accepted.
bool RunSearchWindowSettings(SettingsEnv& env);
// "SKPConfig", the panel's settings (entry 3). True when accepted.
bool RunPanelSettings(SettingsEnv& env);
// The About box (entry 4, and every "BAbout" button).
void ShowAboutBox(SettingsEnv& env);
// "SKSEditGroups", the user-group editor. True when the user accepted.
bool RunGroupEditor(SettingsEnv& env);
// "SKSEditFullInfo", the full-information column editor. True when the user accepted.
bool RunColumnEditor(SettingsEnv& env);

}  // namespace skimmer::settings
