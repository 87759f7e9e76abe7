// What the settings dialogs share: the lengths their tables are laid out with, the number check
// that refuses a value with a message and puts the focus back on its field, the rules that enable
// and disable items as the user changes others.
//
// Contract: nothing here saves; the check shows its message (ShowRefusal) and moves the focus
// only when the value is refused. The rules change items only through DM_ENABLE on a
// running dialog, or the DIF_DISABLE flag of items not yet shown. Nothing here throws.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/registered_dialog.h"
#include "platform/host_tables.h"

namespace skimmer::settings {

// Characters (not bytes) of language message `Number`, the hot-key mark included: positions in
// the dialogs' tables are worked out from these.
int32_t MessageLength(const platform::HostTables& host, int Number);

// The error box's looks ("Skimmer Error", warning colours) with `Text` as its body, which the host
// wraps, and an OK button: a refusal names the field and the allowed range, which must be read
// whole, and a text as the box's only button would be cut at the screen's edge.
void ShowRefusal(const platform::HostTables& host, const std::string& Text);

// The text of the field bound under `Setting` (a setting or a record's field), as the dialog wrote
// it back, as a whole number from `Low` to `High` (both allowed; blanks around it are allowed).
// Otherwise shows "<msg 56> "<label>" <msg 57> <msg 58> Low <msg 59> High" with ShowRefusal, puts
// the dialog's focus on the field and answers none.
std::optional<int32_t> checkNumberSetting(const platform::HostTables& host, dialogs::TRegisteredDialog& Dialog,
                                          std::string_view Setting, std::string_view Label, int32_t Low,
                                          int32_t High);

// Which option of a radio group or which state of a check box enables a set of items: the items
// named in Dependents are enabled while the controller is on and disabled otherwise (the other
// way round with EnableWhenOn false). A check box is on when ticked, a radio group when Option is
// the chosen one.
inline constexpr int32_t kCheckBox = -1;
struct TEnableRule {
    std::string_view Controller;
    int32_t Option = kCheckBox;
    bool EnableWhenOn = true;
    std::vector<std::string_view> Dependents;
};

// Sets DIF_DISABLE on the dependents from the controllers' current items (before a run).
void ApplyEnableRules(dialogs::TRegisteredDialog& Dialog, std::span<const TEnableRule> Rules);
// DN_BTNCLICK of item `Param1` with its new state `Param2`: enables or disables the dependents of
// the rules it controls (a radio option only when it becomes chosen).
void FollowEnableRules(const dialogs::TRunningDialog& Running, HANDLE hDlg, int Param1, LONG_PTR Param2,
                       std::span<const TEnableRule> Rules);

// The procedure of a registered dialog whose only work is to follow `Rules`: every message then
// goes to FAR's default dialog procedure, whose answer is returned.
LONG_PTR FollowRulesProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2, std::span<const TEnableRule> Rules);


}  // namespace skimmer::settings
