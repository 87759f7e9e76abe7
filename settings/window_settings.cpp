#include "settings/window_settings.h"

#include <optional>
#include <string>

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "dialogs/registered_dialog.h"
#include "far/dialog.h"
#include "lng/messages.h"
#include "settings/dialog_support.h"
#include "settings/settings_dialogs.h"
#include "settings/settings_loop.h"

namespace skimmer::settings {
namespace {

namespace setting = config::setting;

constexpr const char* kHelpTopic = "SKSConfig";
constexpr int32_t kCustomSize = setting::kCustomWindowSize;  // the third window mode option
constexpr int32_t kUserGroups = 1;      // the second grouping option
constexpr int32_t kConsoleUnreadable = 201;
static_assert(kCustomSize == 2);

const TEnableRule kWindowRules[] = {
    {setting::kPositionW.Name, kCheckBox, true, {setting::kWindowAnimation.Name}},
    {setting::kFullInfo.Name, kCheckBox, true, {"BFull"}},
    {setting::kWindowMode.Name, kCustomSize, true,
     {"LWidth", "LHeight", setting::kWindowWidth.Name, setting::kWindowHeight.Name}},
    {setting::kGroupMode.Name, kUserGroups, true, {"BCustom"}},
};

LONG_PTR FARAPI windowSettingsProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    return FollowRulesProc(hDlg, Msg, Param1, Param2, kWindowRules);
}

// Whether the custom size fits the console as it is now; a refusal has been reported.
bool sizeAccepted(SettingsEnv& env, dialogs::TRegisteredDialog& dialog) {
    if (setting::kWindowMode.read(*env.config) != kCustomSize) return true;
    const auto console = env.console ? env.console->screenBufferSize() : std::nullopt;
    if (!console) {
        platform::ShowErrorCode(*env.host, kConsoleUnreadable);
        return false;
    }
    return checkNumberSetting(*env.host, dialog, setting::kWindowHeight.Name, "LHeight", kMinWindowHeight,
                              console->height) &&
           checkNumberSetting(*env.host, dialog, setting::kWindowWidth.Name, "LWidth", kMinWindowWidth, console->width);
}

// The column editor saves every setting when accepted: this dialog's values, not yet checked,
// stay out of that save and come back afterwards.
void runColumnEditorAside(const TSettingsRound& round) {
    const TSettingsSnapshot pending(round.dialog);
    round.onEntry.restore();
    RunColumnEditor(round.env);
    pending.restore();
}

}  // namespace

dialogs::TDialogDescription windowSettingsTable(const platform::HostTables& host, WindowSettingsButtons& b) {
    auto msg = [&host](int number) { return platform::GetMsgStr(host, number); };
    auto L = [&host](int number) { return MessageLength(host, number); };
    using lng::kMsgGroupOptions, lng::kMsgSizeOptions, lng::kMsgRunOptions, lng::kMsgStyleOptions;
    dialogs::TDialogDescription t(59, 24);
    t.box(3, 1, 55, 22, 0, "Skimmer" + msg(lng::kMsgSettingsFrame) + msg(lng::kMsgWindowSettingsTitle));
    t.label(5, 2, 0, "LGroup", msg(lng::kMsgGroupLabel));
    t.radioGroup(setting::kGroupMode, {{5, 3, 0, msg(kMsgGroupOptions)}, {5, 4, 0, msg(kMsgGroupOptions + 1)},
                                       {32, 3, 0, msg(kMsgGroupOptions + 2)}, {32, 4, 0, msg(kMsgGroupOptions + 3)}});
    t.button(L(kMsgGroupOptions + 1) + 9, 4, 0, msg(lng::kMsgPanelEditGroups), "BCustom", &b.Custom);
    t.separator(5);
    t.label(5, 6, 0, "LSize", msg(lng::kMsgSizeLabel));
    const int32_t x1 = 5 + L(lng::kMsgSizeLabel);
    const int32_t x1b = x1 + L(kMsgSizeOptions) + 4;
    t.radioGroup(setting::kWindowMode, {{x1, 6, 0, msg(kMsgSizeOptions)}, {x1b, 6, 0, msg(kMsgSizeOptions + 1)},
                                        {x1b + L(kMsgSizeOptions + 1) + 4, 6, 0, msg(kMsgSizeOptions + 2)}});
    t.label(5, 7, 0, "LHeight", msg(lng::kMsgHeightLabel));
    t.edit(5 + L(lng::kMsgHeightLabel), 7, 4, 0, setting::kWindowHeight);
    t.label(26, 7, 0, "LWidth", msg(lng::kMsgWidthLabel));
    t.edit(26 + L(lng::kMsgWidthLabel), 7, 4, 0, setting::kWindowWidth);
    t.separator(8);
    t.label(5, 9, 0, "LRun", msg(lng::kMsgRunLabel));
    const int32_t x2 = 6 + L(lng::kMsgRunLabel);
    t.radioGroup(setting::kKeySequence,
                 {{x2, 9, 0, msg(kMsgRunOptions)}, {x2 + L(kMsgRunOptions) + 4, 9, 0, msg(kMsgRunOptions + 1)}});
    t.separator(10);
    t.label(5, 11, 0, "LStyle", msg(lng::kMsgStyleLabel));
    const int32_t x3 = 5 + L(lng::kMsgStyleLabel);
    const int32_t x3b = x3 + L(kMsgStyleOptions) + 4;
    t.radioGroup(setting::kStyle, {{x3, 11, 0, msg(kMsgStyleOptions)}, {x3b, 11, 0, msg(kMsgStyleOptions + 1)},
                                   {x3b + L(kMsgStyleOptions + 1) + 4, 11, 0, msg(kMsgStyleOptions + 2)}});
    t.separator(12);
    t.checkBox(5, 13, 0, msg(lng::kMsgFullInfo), setting::kFullInfo);
    t.button(L(lng::kMsgFullInfo) + 10, 13, 0, msg(lng::kMsgColumnsButton), "BFull", &b.Full);
    t.checkBox(32, 14, 0, msg(lng::kMsgUseCL), setting::kUseCL);
    t.checkBox(32, 15, 0, msg(lng::kMsgAllResults), setting::kAllResults);
    t.checkBox(5, 14, 0, msg(lng::kMsgShowExtentions), setting::kShowExtentions);
    t.checkBox(5, 15, 0, msg(lng::kMsgShowLnk), setting::kShowLnk);
    t.checkBox(32, 17, 0, msg(lng::kMsgCopyTemp), setting::kCopyTemp);
    t.checkBox(32, 16, 0, msg(lng::kMsgHighlightFiles), setting::kHighlightFiles);
    t.checkBox(5, 17, 0, msg(lng::kMsgHighlightKeyword), setting::kHighlightKeyword);
    t.checkBox(32, 19, 0, msg(lng::kMsgWindowAnimation), setting::kWindowAnimation);
    t.checkBox(32, 13, 0, msg(lng::kMsgRealShortcuts), setting::kRealShortcuts).separator(18);
    t.checkBox(5, 19, 0, msg(lng::kMsgPositionW), setting::kPositionW);
    t.checkBox(5, 16, 0, msg(lng::kMsgHideButtons), setting::kHideButtons).separator(20);
    t.button(5, 21, 0, msg(lng::kMsgSettingsOk), "BOK", &b.Ok);
    t.button(13, 21, 0, msg(lng::kMsgCancel), "BCancel", &b.Cancel);
    t.button(25, 21, 0, msg(lng::kMsgSettingsAbout), "BAbout", &b.About);
    return t;
}

bool showSearchWindowSettings(SettingsEnv& env) {
    if (!env.usable()) return false;
    WindowSettingsButtons buttons;
    dialogs::TRegisteredDialog dialog;
    if (!RegisterSettingsDialog(env, dialog, [&] { return windowSettingsTable(*env.host, buttons); })) return false;
    return RunSettingsLoop(
        env, dialog,
        {.HelpTopic = kHelpTopic,
         .Proc = &windowSettingsProc,
         .Cancel = buttons.Cancel,
         .About = buttons.About,
         .Sides = {{buttons.Custom, [](const TSettingsRound& r) { RunGroupEditor(r.env); }},
                   {buttons.Full, runColumnEditorAside}},
         .beforeRun = [](dialogs::TRegisteredDialog& d) { ApplyEnableRules(d, kWindowRules); },
         .check = [&env](dialogs::TRegisteredDialog& d) { return sizeAccepted(env, d); }});
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
