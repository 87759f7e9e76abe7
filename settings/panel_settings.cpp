#include "settings/panel_settings.h"

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "dialogs/registered_dialog.h"
#include "lng/messages.h"
#include "os/utf8.h"
#include "results/text_trunc.h"
#include "settings/dialog_support.h"
#include "settings/settings_dialogs.h"
#include "settings/settings_loop.h"

namespace skimmer::settings {

namespace {

constexpr std::string_view kGroupSetting = config::setting::kPanelGroupMode.Name;
constexpr std::string_view kLetterSetting = config::setting::kPanelLetter.Name;
constexpr const char* kCustomButton = "BCustom";
constexpr int kUserGroupsOption = 1;  // the option whose groups "BCustom" edits

// The seven options shown for reading, each with its message and place.
struct TPanelCheck {
    const config::TFlagSetting& setting;
    int message;
    int32_t x, y;
};
constexpr TPanelCheck kPanelChecks[] = {
    {config::setting::kPanelGroupsAsFolders, lng::kMsgPanelChecks + 0, 5, 9},
    {config::setting::kPanelUseCL, lng::kMsgPanelChecks + 1, 32, 9},
    {config::setting::kPanelFullPaths, lng::kMsgPanelChecks + 2, 5, 10},
    {config::setting::kPanelShowLnk, lng::kMsgPanelChecks + 3, 32, 10},
    {config::setting::kPanelShowFolders, lng::kMsgPanelChecks + 4, 32, 11},
    {config::setting::kPanelRealShortcuts, lng::kMsgPanelChecks + 5, 5, 11},
    {config::setting::kPanelHighlight, lng::kMsgPanelChecks + 6, 32, 12},
};
static_assert(std::size(kPanelChecks) == 7 && lng::kMsgPanelChecks + 6 == 117);

std::string msg(const platform::HostTables& host, int number) { return platform::GetMsgStr(host, number); }

// "BCustom" edits the user groups, so it is of use only while they are the chosen grouping.
const TEnableRule kPanelRules[] = {
    {.Controller = kGroupSetting, .Option = kUserGroupsOption, .EnableWhenOn = true, .Dependents = {kCustomButton}},
};

void followGroupChoice(dialogs::TRegisteredDialog& dialog) { ApplyEnableRules(dialog, kPanelRules); }

LONG_PTR FARAPI panelDialogProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    return FollowRulesProc(hDlg, Msg, Param1, Param2, kPanelRules);
}

// GetPluginInfo reads the number from the text's leading digits, so anything else in the field
// would silently become another number (letters: 0; " 7": 0): only blanks around the digits are
// forgiven, and dropped before the text is stored. A table without the setting has nothing to
// check (the store has reported the unknown name).
bool checkDriveMenuNumber(const platform::HostTables& host, dialogs::TRegisteredDialog& dialog,
                          config::TRegistryConfig& config) {
    const auto letter = config::setting::kPanelLetter.find(config);
    if (!letter) return true;
    const std::string trimmed(os::trim(*letter, os::kSpaces));
    if (!trimmed.empty() &&
        !checkNumberSetting(host, dialog, kLetterSetting, "LHotkey", kDriveMenuNumberLow, kDriveMenuNumberHigh))
        return false;
    config::setting::kPanelLetter.write(config, trimmed);
    return true;
}

}  // namespace

dialogs::TDialogDescription PanelSettingsDescription(const platform::HostTables& host,
                                                     const config::TRegistryConfig& config, TPanelButtons& buttons) {
    const int32_t mode = config::setting::kPanelGroupMode.read(config);
    const int32_t customX = static_cast<int32_t>(results::CharCount(msg(host, lng::kMsgPanelGroupOptions + 1))) + 9;
    std::vector<dialogs::TRadioOption> options;
    for (int i = 0; i < 4; ++i)
        options.push_back({.X = i < 2 ? 5 : 32, .Y = 3 + i % 2, .Flags = DIF_DISABLE,
                           .Text = msg(host, lng::kMsgPanelGroupOptions + i)});
    dialogs::TDialogDescription table(kPanelDialogWidth, kPanelDialogHeight);
    table.box(3, 1, 55, 15, 0, "Skimmer" + msg(host, lng::kMsgSettingsFrame) + msg(host, lng::kMsgPanelFrame))
        .label(5, 2, 0, "LGroup", msg(host, lng::kMsgPanelGroupLabel))
        .radioGroup(config::setting::kPanelGroupMode, options)
        .button(customX, 4, mode == kUserGroupsOption ? 0 : DIF_DISABLE,
                msg(host, lng::kMsgPanelEditGroups), kCustomButton, &buttons.custom)
        .separator(5)
        .separator(8)
        .edit(5, 6, kDriveMenuNumberWidth, 0, config::setting::kPanelLetter)
        .label(8, 6, 0, "LHotkey", msg(host, lng::kMsgPanelLetter))
        .label(8, 7, 0, "LHotkey2", msg(host, lng::kMsgPanelLetter2));
    for (const TPanelCheck& check : kPanelChecks)
        table.checkBox(check.x, check.y, DIF_DISABLE, msg(host, check.message), check.setting);
    table.separator(13)
        .button(5, 14, 0, msg(host, lng::kMsgSettingsOk), "BOK", &buttons.ok)
        .button(13, 14, 0, msg(host, lng::kMsgCancel), "BCancel", &buttons.cancel)
        .button(25, 14, 0, msg(host, lng::kMsgSettingsAbout), "BAbout", &buttons.about);
    return table;
}

bool RunPanelSettings(SettingsEnv& env) {
    if (!env.usable()) return false;
    TPanelButtons buttons;
    dialogs::TRegisteredDialog dialog;
    auto describe = [&] { return PanelSettingsDescription(*env.host, *env.config, buttons); };
    if (!RegisterSettingsDialog(env, dialog, describe)) return false;
    return RunSettingsLoop(env, dialog,
                           {.HelpTopic = "SKPConfig",
                            .Proc = &panelDialogProc,
                            .Cancel = buttons.cancel,
                            .About = buttons.about,
                            .Sides = {{buttons.custom, [](const TSettingsRound& r) { RunGroupEditor(r.env); }}},
                            .beforeRun = followGroupChoice,
                            .check = [&env](dialogs::TRegisteredDialog& d) {
                                return checkDriveMenuNumber(*env.host, d, *env.config);
                            }});
}

}  // namespace skimmer::settings
