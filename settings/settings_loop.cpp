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

void SetItemDisabled(dialogs::TRegisteredDialog& dialog, std::string_view name, bool disabled) {
    const int index = dialogs::ItemIndexByName(dialog, name);
    if (index < 0) return;
    DWORD& flags = dialog.Items[static_cast<size_t>(index) + 1].Flags;
    flags = disabled ? (flags | DIF_DISABLE) : (flags & ~DIF_DISABLE);
}

void EnableRunningItem(const dialogs::TRunningDialog& running, HANDLE hDlg, std::string_view name, bool enabled) {
    const int index = dialogs::ItemIndexByName(*running.Dialog, name);
    const PluginStartupInfo& info = running.Host->StartupInfo;
    if (index >= 0 && info.SendDlgMessage) info.SendDlgMessage(hDlg, DM_ENABLE, index, enabled ? TRUE : FALSE);
}

int SelectedOption(const dialogs::TRegisteredDialog& dialog, std::string_view name) {
    const int first = dialogs::ItemIndexByName(dialog, name);
    if (first < 0) return -1;
    for (int index = first; index < dialog.ItemCount - 1; ++index) {
        const int option = dialogs::RadioOptionByName(dialog, name, index);
        if (option < 0) break;
        if (dialog.Items[static_cast<size_t>(index) + 1].Selected) return option;
    }
    return -1;
}

}  // namespace skimmer::settings
