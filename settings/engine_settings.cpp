#include "settings/engine_settings.h"

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "dialogs/registered_dialog.h"
#include "engines/engine_select.h"
#include "lng/messages.h"
#include "results/text_trunc.h"
#include "settings/dialog_support.h"
#include "settings/settings_dialogs.h"
#include "settings/settings_loop.h"

namespace skimmer::settings {

namespace {

constexpr std::string_view kEngineSetting = config::setting::kSearchEngine.Name;
constexpr std::string_view kPathSetting = config::setting::kLocate32Path.Name;
constexpr const char* kPathLabel = "LLocate32Path";
constexpr int kIndexOption = 0;

// The folder and its label are of use only with the locate engine: greyed out while the index
// engine's option is the chosen one (a value that picks no option counts as locate, as it does
// for the search).
const TEnableRule kEngineRules[] = {
    {.Controller = kEngineSetting, .Option = kIndexOption, .EnableWhenOn = false, .Dependents = {kPathLabel, kPathSetting}},
};

void followEngineChoice(dialogs::TRegisteredDialog& dialog) { ApplyEnableRules(dialog, kEngineRules); }

LONG_PTR FARAPI engineDialogProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    return FollowRulesProc(hDlg, Msg, Param1, Param2, kEngineRules);
}

}  // namespace

dialogs::TDialogDescription EngineSettingsDescription(const platform::HostTables& host,
                                                      const config::TRegistryConfig& config, TEngineButtons& buttons) {
    const DWORD disabled = engines::ChosenEngine(config) == engines::EngineChoice::WindowsSearch ? DIF_DISABLE : 0;
    const std::string pathLabel = platform::GetMsgStr(host, lng::kMsgLocatePath);
    const int32_t pathX = 5 + static_cast<int32_t>(results::CharCount(pathLabel));
    dialogs::TDialogDescription table(kEngineDialogWidth, kEngineDialogHeight);
    table.box(3, 1, 55, 8, 0, "Skimmer")
        .label(5, 2, 0, "LGroup", platform::GetMsgStr(host, lng::kMsgSearchEngine))
        .radioGroup(config::setting::kSearchEngine, {{5, 3, 0, "&WDS"}, {5, 4, 0, "&Locate32"}})
        .label(5, 5, disabled, kPathLabel, pathLabel)
        .edit(pathX, 5, kLocatePathWidth, disabled, config::setting::kLocate32Path)
        .separator(6)
        .button(5, 7, 0, platform::GetMsgStr(host, lng::kMsgSettingsOk), "BOK", &buttons.ok)
        .button(13, 7, 0, platform::GetMsgStr(host, lng::kMsgCancel), "BCancel", &buttons.cancel)
        .button(25, 7, 0, platform::GetMsgStr(host, lng::kMsgSettingsAbout), "BAbout", &buttons.about);
    return table;
}

bool RunEngineSettings(SettingsEnv& env) {
    if (!env.usable()) return false;
    TEngineButtons buttons;
    dialogs::TRegisteredDialog dialog;
    auto describe = [&] { return EngineSettingsDescription(*env.host, *env.config, buttons); };
    if (!RegisterSettingsDialog(env, dialog, describe)) return false;
    return RunSettingsLoop(env, dialog,
                           {.HelpTopic = "SKSConfig",
                            .Proc = &engineDialogProc,
                            .Cancel = buttons.cancel,
                            .About = buttons.about,
                            .beforeRun = followEngineChoice});
}

}  // namespace skimmer::settings
