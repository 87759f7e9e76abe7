#include "settings/dialog_support.h"

#include "far/dialog.h"
#include "far/messages.h"
#include "lng/messages.h"
#include "os/utf8.h"

namespace skimmer::settings {
namespace {

// A label as the message names it: without its hot-key mark and the blank that leads to its field.
std::string labelText(std::string text) {
    if (const size_t amp = text.find('&'); amp != std::string::npos) text.erase(amp, 1);
    return std::string(os::trim(text, os::kSpaces));
}

std::string refusal(const platform::HostTables& host, const std::string& label, int32_t low, int32_t high) {
    auto msg = [&host](int number) { return platform::GetMsgStr(host, number); };
    return msg(lng::kMsgNumberInvalid) + " \"" + label + "\" " + msg(lng::kMsgNumberWhole) + " " +
           msg(lng::kMsgNumberFrom) + " " + std::to_string(low) + " " + msg(lng::kMsgNumberTo) + " " +
           std::to_string(high);
}

// Whether the controller of `rule` is on, judged from the items as they stand.
bool controllerOn(const dialogs::TRegisteredDialog& dialog, const TEnableRule& rule) {
    const int first = dialogs::ItemIndexByName(dialog, rule.Controller);
    if (first < 0) return false;
    const int option = rule.Option == kCheckBox ? 0 : rule.Option;
    const size_t at = static_cast<size_t>(first + option + 1);  // Items[0] is the header
    if (rule.Option != kCheckBox && dialogs::RadioOptionByName(dialog, rule.Controller, first + option) < 0)
        return false;
    return at < dialog.Items.size() && dialog.Items[at].Selected != 0;
}

}  // namespace

int32_t MessageLength(const platform::HostTables& host, int Number) {
    return static_cast<int32_t>(os::utf8CharacterCount(platform::GetMsgStr(host, Number)));
}

void ShowRefusal(const platform::HostTables& host, const std::string& Text) {
    const PluginStartupInfo& info = host.StartupInfo;
    if (!info.Message) return;
    const char* const items[] = {"Skimmer Error", Text.c_str()};
    info.Message(info.ModuleNumber, FMSG_WARNING | FMSG_LEFTALIGN | FMSG_MB_OK, "", items, 2, 0);
}

std::optional<int32_t> checkNumberSetting(const platform::HostTables& host, dialogs::TRegisteredDialog& Dialog,
                                          std::string_view Setting, std::string_view Label, int32_t Low,
                                          int32_t High) {
    // What the field wrote back to the value it is bound to (a setting or a record's field).
    std::optional<int32_t> number;
    const config::TConfigValuePtr bound = dialogs::BoundValue(Dialog, Setting);
    if (auto* text = std::get_if<std::string*>(&bound)) number = config::parseDecimal(os::trim(**text, os::kSpaces));
    if (number && *number >= Low && *number <= High) return number;
    ShowRefusal(host, refusal(host, labelText(dialogs::GetItemText(Dialog, Label)), Low, High));
    dialogs::SetFocusByName(Dialog, Setting);
    return std::nullopt;
}

void ApplyEnableRules(dialogs::TRegisteredDialog& Dialog, std::span<const TEnableRule> Rules) {
    for (const TEnableRule& rule : Rules) {
        const bool enabled = controllerOn(Dialog, rule) == rule.EnableWhenOn;
        for (std::string_view name : rule.Dependents) {
            const int index = dialogs::ItemIndexByName(Dialog, name);
            if (index < 0) continue;
            FarDialogItem& item = Dialog.Items[static_cast<size_t>(index) + 1];
            item.Flags = enabled ? item.Flags & ~DIF_DISABLE : item.Flags | DIF_DISABLE;
        }
    }
}

void FollowEnableRules(const dialogs::TRunningDialog& Running, HANDLE hDlg, int Param1, LONG_PTR Param2,
                       std::span<const TEnableRule> Rules) {
    if (!Running.Dialog || !Running.Host || !Running.Host->StartupInfo.SendDlgMessage) return;
    const dialogs::TRegisteredDialog& Dialog = *Running.Dialog;
    for (const TEnableRule& rule : Rules) {
        bool on = false;
        if (rule.Option == kCheckBox) {
            if (dialogs::ItemIndexByName(Dialog, rule.Controller) != Param1) continue;
            on = Param2 == 1;
        } else {
            const int option = dialogs::RadioOptionByName(Dialog, rule.Controller, Param1);
            if (option < 0 || Param2 != 1) continue;
            on = option == rule.Option;
        }
        const bool enabled = on == rule.EnableWhenOn;
        for (std::string_view name : rule.Dependents) {
            const int index = dialogs::ItemIndexByName(Dialog, name);
            if (index >= 0) Running.Host->StartupInfo.SendDlgMessage(hDlg, DM_ENABLE, index, enabled ? TRUE : FALSE);
        }
    }
}

LONG_PTR FollowRulesProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2, std::span<const TEnableRule> Rules) {
    const dialogs::TRunningDialog* running = dialogs::RunningRegisteredDialog();
    // Only RunRegisteredDialog runs these procedures, so the running dialog is always there.
    if (!running || !running->Host || !running->Host->StartupInfo.DefDlgProc) return 0;
    if (Msg == DN_BTNCLICK) FollowEnableRules(*running, hDlg, Param1, Param2, Rules);
    return running->Host->StartupInfo.DefDlgProc(hDlg, Msg, Param1, Param2);
}


}  // namespace skimmer::settings
