#include "settings/window_settings.h"

#include <optional>
#include <string>

#include "config/registry_config.h"
#include "dialogs/registered_dialog.h"
#include "far/dialog.h"
#include "lng/messages.h"
#include "settings/dialog_support.h"
#include "settings/settings_snapshot.h"
#include "settings/settings_dialogs.h"

namespace skimmer::settings {
namespace {

constexpr const char* kHelpTopic = "SKSConfig";
constexpr int32_t kCustomSize = 2;      // the third "SKSWindowMode" option
constexpr int32_t kUserGroups = 1;      // the second "SKSGroupMode" option
constexpr int32_t kConsoleUnreadable = 201;
static_assert(kCustomSize == 2 && kUserGroups == 1 && kConsoleUnreadable == 201);

const TEnableRule kWindowRules[] = {
    {"SKSPositionW", kCheckBox, true, {"SKSWindowAnimation"}},
    {"SKSFullInfo", kCheckBox, true, {"BFull"}},
    {"SKSWindowMode", kCustomSize, true, {"LWidth", "LHeight", "SKSWindowWidth", "SKSWindowHeight"}},
    {"SKSGroupMode", kUserGroups, true, {"BCustom"}},
};

LONG_PTR FARAPI windowSettingsProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    return FollowRulesProc(hDlg, Msg, Param1, Param2, kWindowRules);
}

int32_t settingInteger(const config::TRegistryConfig& config, const char* name) {
    config::TConfigValue value = config::TConfigValue::integer(0);
    config::getConfigValue(config, name, value);
    return value.IntValue;
}

// Whether the custom size fits the console as it is now; a refusal has been reported.
bool sizeAccepted(SettingsEnv& env, dialogs::TRegisteredDialog& dialog) {
    if (settingInteger(*env.config, "SKSWindowMode") != kCustomSize) return true;
    const auto console = env.console ? env.console->screenBufferSize() : std::nullopt;
    if (!console) {
        platform::ShowErrorCode(*env.host, kConsoleUnreadable);
        return false;
    }
    return checkNumberSetting(*env.host, dialog, "SKSWindowHeight", "LHeight", kMinWindowHeight, console->height) &&
           checkNumberSetting(*env.host, dialog, "SKSWindowWidth", "LWidth", kMinWindowWidth, console->width);
}

// The column editor saves every setting when accepted: this dialog's values, not yet checked,
// stay out of that save and come back afterwards.
void runColumnEditorAside(SettingsEnv& env, const TSettingsSnapshot& onEntry, const dialogs::TRegisteredDialog& dialog) {
    const TSettingsSnapshot pending(dialog);
    onEntry.restore(*env.config);
    RunColumnEditor(env);
    pending.restore(*env.config);
}

}  // namespace

dialogs::TDialogDescription windowSettingsTable(const platform::HostTables& host, WindowSettingsButtons& b) {
    auto msg = [&host](int number) { return platform::GetMsgStr(host, number); };
    auto L = [&host](int number) { return MessageLength(host, number); };
    using lng::kMsgGroupOptions, lng::kMsgSizeOptions, lng::kMsgRunOptions, lng::kMsgStyleOptions;
    dialogs::TDialogDescription t(59, 24);
    t.box(3, 1, 55, 22, 0, "Skimmer" + msg(lng::kMsgSettingsFrame) + msg(lng::kMsgWindowSettingsTitle));
    t.label(5, 2, 0, "LGroup", msg(lng::kMsgGroupLabel));
    t.radioGroup("SKSGroupMode", {{5, 3, 0, msg(kMsgGroupOptions)}, {5, 4, 0, msg(kMsgGroupOptions + 1)},
                                  {32, 3, 0, msg(kMsgGroupOptions + 2)}, {32, 4, 0, msg(kMsgGroupOptions + 3)}});
    t.button(L(kMsgGroupOptions + 1) + 9, 4, 0, msg(lng::kMsgPanelEditGroups), "BCustom", &b.Custom);
    t.separator(5);
    t.label(5, 6, 0, "LSize", msg(lng::kMsgSizeLabel));
    const int32_t x1 = 5 + L(lng::kMsgSizeLabel);
    const int32_t x1b = x1 + L(kMsgSizeOptions) + 4;
    t.radioGroup("SKSWindowMode", {{x1, 6, 0, msg(kMsgSizeOptions)}, {x1b, 6, 0, msg(kMsgSizeOptions + 1)},
                                   {x1b + L(kMsgSizeOptions + 1) + 4, 6, 0, msg(kMsgSizeOptions + 2)}});
    t.label(5, 7, 0, "LHeight", msg(lng::kMsgHeightLabel)).edit(5 + L(lng::kMsgHeightLabel), 7, 4, 0, "SKSWindowHeight");
    t.label(26, 7, 0, "LWidth", msg(lng::kMsgWidthLabel)).edit(26 + L(lng::kMsgWidthLabel), 7, 4, 0, "SKSWindowWidth");
    t.separator(8);
    t.label(5, 9, 0, "LRun", msg(lng::kMsgRunLabel));
    const int32_t x2 = 6 + L(lng::kMsgRunLabel);
    t.radioGroup("SKSKeySequence", {{x2, 9, 0, msg(kMsgRunOptions)}, {x2 + L(kMsgRunOptions) + 4, 9, 0, msg(kMsgRunOptions + 1)}});
    t.separator(10);
    t.label(5, 11, 0, "LStyle", msg(lng::kMsgStyleLabel));
    const int32_t x3 = 5 + L(lng::kMsgStyleLabel);
    const int32_t x3b = x3 + L(kMsgStyleOptions) + 4;
    t.radioGroup("SKSStyle", {{x3, 11, 0, msg(kMsgStyleOptions)}, {x3b, 11, 0, msg(kMsgStyleOptions + 1)},
                              {x3b + L(kMsgStyleOptions + 1) + 4, 11, 0, msg(kMsgStyleOptions + 2)}});
    t.separator(12);
    t.checkBox(5, 13, 0, msg(lng::kMsgFullInfo), "SKSFullInfo");
    t.button(L(lng::kMsgFullInfo) + 10, 13, 0, msg(lng::kMsgColumnsButton), "BFull", &b.Full);
    t.checkBox(32, 14, 0, msg(lng::kMsgUseCL), "SKSUseCL").checkBox(32, 15, 0, msg(lng::kMsgAllResults), "SKSAllResults");
    t.checkBox(5, 14, 0, msg(lng::kMsgShowExtentions), "SKSShowExtentions");
    t.checkBox(5, 15, 0, msg(lng::kMsgShowLnk), "SKSShowLnk").checkBox(32, 17, 0, msg(lng::kMsgCopyTemp), "SKSCopyTemp");
    t.checkBox(32, 16, 0, msg(lng::kMsgHighlightFiles), "SKSHighlightFiles");
    t.checkBox(5, 17, 0, msg(lng::kMsgHighlightKeyword), "SKSHighlightKeyword");
    t.checkBox(32, 19, 0, msg(lng::kMsgWindowAnimation), "SKSWindowAnimation");
    t.checkBox(32, 13, 0, msg(lng::kMsgRealShortcuts), "SKSRealShortcuts").separator(18);
    t.checkBox(5, 19, 0, msg(lng::kMsgPositionW), "SKSPositionW");
    t.checkBox(5, 16, 0, msg(lng::kMsgHideButtons), "SKSHideButtons").separator(20);
    t.button(5, 21, 0, msg(lng::kMsgSettingsOk), "BOK", &b.Ok).button(13, 21, 0, msg(lng::kMsgSettingsCancel), "BCancel", &b.Cancel);
    t.button(25, 21, 0, msg(lng::kMsgSettingsAbout), "BAbout", &b.About);
    return t;
}

bool showSearchWindowSettings(SettingsEnv& env) {
    if (!env.usable()) return false;
    WindowSettingsButtons buttons;
    dialogs::TRegisteredDialog dialog;
    std::string error;
    // The dialog shows what the registry holds now: another process may have saved since.
    config::configLoadValues(*env.config);
    if (!dialogs::RegisterDialog(dialog, *env.config, windowSettingsTable(*env.host, buttons), error)) {
        platform::ShowErrorText(*env.host, error);
        return false;
    }
    const TSettingsSnapshot onEntry(dialog);
    for (;;) {
        ApplyEnableRules(dialog, kWindowRules);
        const int result =
            dialogs::RunRegisteredDialog(*env.host, dialog, false, buttons.Cancel, 0, kHelpTopic, &windowSettingsProc);
        if (result == -1 || result == buttons.Cancel) {
            onEntry.restore(*env.config);
            return false;
        }
        if (result == buttons.About) {
            ShowAboutBox(env);
        } else if (result == buttons.Custom) {
            RunGroupEditor(env);
        } else if (result == buttons.Full) {
            runColumnEditorAside(env, onEntry, dialog);
        } else if (sizeAccepted(env, dialog)) {
            config::configSaveValues(*env.config);  // a refused save is reported by the store
            return true;
        }
    }
}

bool RunSearchWindowSettings(SettingsEnv& env) {
    try {
        return showSearchWindowSettings(env);
    } catch (const std::exception& error) {
        if (env.host) platform::ShowErrorText(*env.host, error.what());
        return false;
    }
}

}  // namespace skimmer::settings
