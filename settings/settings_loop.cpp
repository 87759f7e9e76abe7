#include "settings/settings_loop.h"

#include "settings/settings_dialogs.h"
#include "settings/settings_snapshot.h"

namespace skimmer::settings {

bool RunSettingsLoop(SettingsEnv& env, dialogs::TRegisteredDialog& dialog, const TSettingsRun& run) {
    const TSettingsSnapshot before(dialog);
    while (true) {
        if (run.beforeRun) run.beforeRun(dialog);
        const int result = dialogs::RunRegisteredDialog(*env.host, dialog, false, run.Cancel, 0, run.HelpTopic, run.Proc);
        if (result == -1 || result == run.Cancel) {
            before.restore(*env.config);
            return false;
        }
        if (result == run.About) {
            ShowAboutBox(env);
            continue;
        }
        if (result == run.Side && run.side) {
            run.side(env);
            continue;
        }
        if (run.check && !run.check(dialog)) continue;
        config::configSaveValues(*env.config);
        return true;
    }
}

}  // namespace skimmer::settings
