#include "settings/column_editor.h"

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "dialogs/dialog_description.h"
#include "dialogs/registered_dialog.h"
#include "far/dialog.h"
#include "lng/messages.h"
#include "settings/dialog_support.h"
#include "settings/settings_loop.h"

namespace skimmer::settings {
namespace {

namespace setting = config::setting;

constexpr const char* kHelpTopic = "SKSEditFullInfo";
constexpr std::string_view kColumnCodes = ",DNPST";

// The built-in layout, when ticked, makes the codes and widths meaningless: they are greyed out.
const TEnableRule kColumnRules[] = {
    {setting::kFIDontUse.Name, kCheckBox, false,
     {"TColumns", setting::kFIColumns.Name, "TWidths", setting::kFIWidths.Name}},
};

dialogs::TDialogDescription columnDialog(const platform::HostTables& host, int32_t& ok, int32_t& cancel) {
    auto msg = [&host](int number) { return platform::GetMsgStr(host, number); };
    dialogs::TDialogDescription table(46, 14);
    table.box(3, 1, 42, 12, 0, msg(lng::kMsgColumnsTitle));
    table.label(5, 6, 0, "TColumns", msg(lng::kMsgColumnsLabel)).edit(5, 7, 36, 0, setting::kFIColumns);
    table.label(5, 8, 0, "TWidths", msg(lng::kMsgWidthsLabel)).edit(5, 9, 36, 0, setting::kFIWidths);
    table.separator(10).separator(5);
    table.checkBox(5, 2, 0, msg(lng::kMsgBuiltInColumns), setting::kFIDontUse);
    table.label(5, 3, 0, "", msg(lng::kMsgColumnCodes1)).label(5, 4, 0, "", msg(lng::kMsgColumnCodes2));
    table.button(5, 11, 0, "O&K", "BOK", &ok).button(13, 11, 0, msg(lng::kMsgCancel), "BCancel", &cancel);
    return table;
}

LONG_PTR FARAPI columnProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    return FollowRulesProc(hDlg, Msg, Param1, Param2, kColumnRules);
}

// Whether the values now in the settings may be saved; a refusal has been shown and the focus put
// on the field to mend.
bool acceptable(const platform::HostTables& host, dialogs::TRegisteredDialog& dialog) {
    // A table without these settings (reported when the dialog was registered) reads as empty.
    const config::TRegistryConfig& config = *dialog.Config;
    const std::string codes = setting::kFIColumns.find(config).value_or("");
    if (setting::kFIDontUse.find(config).value_or(false) || codes.empty()) return true;
    if (!validColumnCodes(codes)) {
        ShowRefusal(host, platform::GetMsgStr(host, lng::kMsgBadColumnCode));
        dialogs::SetFocusByName(dialog, setting::kFIColumns.Name);
        return false;
    }
    if (!validColumnWidths(setting::kFIWidths.find(config).value_or(""))) {
        ShowRefusal(host, platform::GetMsgStr(host, lng::kMsgBadColumnWidths) + " " +
                                          std::to_string(kMaxColumnWidth));
        dialogs::SetFocusByName(dialog, setting::kFIWidths.Name);
        return false;
    }
    return true;
}

}  // namespace

bool validColumnCodes(std::string_view codes) {
    for (char c : codes) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (kColumnCodes.find(upper) == std::string_view::npos) return false;
    }
    return true;
}

bool validColumnWidths(std::string_view widths) {
    for (size_t start = 0;;) {
        const size_t comma = widths.find(',', start);
        std::string_view entry = widths.substr(start, comma == std::string_view::npos ? widths.npos : comma - start);
        while (!entry.empty() && entry.front() == ' ') entry.remove_prefix(1);
        while (!entry.empty() && entry.back() == ' ') entry.remove_suffix(1);
        const auto width = config::parseDecimal(entry);
        if (!width || *width < 1 || *width > kMaxColumnWidth) return false;
        if (comma == std::string_view::npos) return true;
        start = comma + 1;
    }
}

bool editFullInfoColumns(SettingsEnv& env) {
    if (!env.usable()) return false;
    int32_t ok = -1, cancel = -1;
    dialogs::TRegisteredDialog dialog;
    if (!RegisterSettingsDialog(env, dialog, [&] { return columnDialog(*env.host, ok, cancel); })) return false;
    // A refused attempt copies its values into the settings; cancelling takes them back.
    return RunSettingsLoop(env, dialog,
                           {.HelpTopic = kHelpTopic,
                            .Proc = &columnProc,
                            .Cancel = cancel,
                            .beforeRun = [](dialogs::TRegisteredDialog& d) { ApplyEnableRules(d, kColumnRules); },
                            .check = [&env](dialogs::TRegisteredDialog& d) { return acceptable(*env.host, d); }});
}

bool RunColumnEditor(SettingsEnv& env) {
    try {
        return editFullInfoColumns(env);
    } catch (const std::exception& error) {
        if (env.host) platform::ShowErrorText(*env.host, error.what());
        return false;
    }
}

}  // namespace skimmer::settings
