#include "settings/settings_loop.h"

#include <string>

#include "settings/settings_dialogs.h"

namespace skimmer::settings {
namespace {

const TSideButton* sideButton(const TSettingsRun& run, int result) {
    for (const TSideButton& side : run.Sides)
        if (side.Index == result && side.action) return &side;
    return nullptr;
}

}  // namespace

bool RegisterSettingsDialog(SettingsEnv& env, dialogs::TRegisteredDialog& dialog,
                            const std::function<dialogs::TDialogDescription()>& describe) {
    config::configLoadValues(*env.config);
    std::string error;
    if (dialogs::RegisterDialog(dialog, *env.config, describe(), error)) return true;
    platform::ShowErrorText(*env.host, error);
    return false;
}

bool RunSettingsLoop(SettingsEnv& env, dialogs::TRegisteredDialog& dialog, const TSettingsRun& run) {
    const TSettingsSnapshot onEntry(dialog);
    while (true) {
        if (run.beforeRun) run.beforeRun(dialog);
        const int result = dialogs::RunRegisteredDialog(*env.host, dialog, false, run.Cancel, 0, run.HelpTopic, run.Proc);
        if (result == -1 || result == run.Cancel) {
            onEntry.restore();
            return false;
        }
        if (result == run.About) {
            ShowAboutBox(env);
            continue;
        }
        if (const TSideButton* side = sideButton(run, result)) {
            side->action({env, dialog, onEntry});
            continue;
        }
        if (run.check && !run.check(dialog)) continue;
        if (run.Save) config::configSaveValues(*env.config);
        return true;
    }
}

}  // namespace skimmer::settings
