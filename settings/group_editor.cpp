#include "settings/group_editor.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <limits>
#include <utility>
#include <vector>

#include "dialogs/dialog_description.h"
#include "dialogs/dialog_record.h"
#include "dialogs/registered_dialog.h"
#include "far/messages.h"
#include "far/panel.h"
#include "far/vk.h"
#include "lng/messages.h"
#include "os/text_border.h"
#include "os/utf8.h"
#include "settings/dialog_support.h"
#include "settings/settings_loop.h"

namespace skimmer::settings {
namespace {

using config::TSKSSortGroup;
using config::TSKSSortGroups;

constexpr const char* kHelpTopic = "SKSEditGroups";
constexpr DWORD kMenuFlags = FMENU_SHOWAMPERSAND | FMENU_WRAPMODE | FMENU_CHANGECONSOLETITLE;
static_assert(kMenuFlags == 0x43);

constexpr int breakKey(int vk, int modifiers = 0) { return vk | (modifiers << 16); }
// The order gives the break codes the loop dispatches on.
enum BreakCode : int { kEdit = 0, kInsert, kDelete, kMoveUp, kMoveDown };
constexpr int kBreakKeys[] = {breakKey(VK_F4), breakKey(VK_INSERT), breakKey(VK_DELETE),
                              breakKey(VK_UP, PKF_CONTROL), breakKey(VK_DOWN, PKF_CONTROL), 0};
static_assert(kBreakKeys[kMoveDown] == 0x10028 && std::size(kBreakKeys) == 6);

// Where "Max" may go: a count of hits, so never below 0.
constexpr int32_t kMaxLowest = 0;
constexpr int32_t kMaxHighest = std::numeric_limits<int32_t>::max();

// The vertical line between a group's name and its kind: character 0xB3 of the console's OEM
// code page, which is U+2502 in ours.
constexpr std::u32string_view kColumnLine = U"\u2502";  // drawn in the console's code page

struct Menu {
    std::vector<FarMenuItem> items;
    int selected = 0;
};

Menu buildMenu(const platform::HostTables& host, const TSKSSortGroups& groups, int selected) {
    Menu menu;
    auto add = [&menu](const std::string& text) {
        FarMenuItem item{};
        const size_t length = os::utf8CutPoint(text, sizeof item.Text - 1);
        std::memcpy(item.Text, text.data(), length);
        menu.items.push_back(item);
    };
    for (int32_t i = 0; i < groups.SortGroupCount; ++i) add(GroupMenuText(groups.SortGroups[static_cast<size_t>(i)]));
    if (menu.items.empty()) add(platform::GetMsgStr(host, lng::kMsgNoGroups));
    menu.selected = std::clamp(selected, 0, static_cast<int>(menu.items.size()) - 1);
    menu.items[static_cast<size_t>(menu.selected)].Selected = 1;
    return menu;
}

// The user groups' editor over one list: each step changes the list and says which line to select.
class GroupListEditor {
public:
    explicit GroupListEditor(SettingsEnv& env) : env_(env), groups_(*env.groups) {}

    bool run() {
        int selected = 0;
        for (;;) {
            // The list as the registry holds it now: another process may have changed it.
            config::loadSortGroups(groups_, env_.config->location_);
            int breakCode = -1;
            const int chosen = show(selected, breakCode);
            const int n = std::max(chosen, 0);
            switch (breakCode) {
                case kEdit: selected = edit(n); break;
                case kInsert: selected = insert(chosen < 0 ? -1 : n); break;
                case kDelete: selected = remove(n); break;
                case kMoveUp: selected = move(n, n == 0 ? count() - 1 : n - 1); break;
                case kMoveDown: selected = move(n, n == count() - 1 ? 0 : n + 1); break;
                default: return changed_;  // Enter or Escape
            }
        }
    }

private:
    int32_t count() const { return groups_.SortGroupCount; }
    TSKSSortGroup& group(int n) { return groups_.SortGroups[static_cast<size_t>(n)]; }
    const platform::HostTables& host() const { return *env_.host; }
    std::string msg(int number) const { return platform::GetMsgStr(host(), number); }

    int show(int selected, int& breakCode) {
        const PluginStartupInfo& info = host().StartupInfo;
        if (!info.Menu) return -1;
        const Menu menu = buildMenu(host(), groups_, selected);
        const std::string title = msg(lng::kMsgGroupsTitle), bottom = msg(lng::kMsgGroupsKeys);
        return info.Menu(info.ModuleNumber, -1, -1, count() + 1, kMenuFlags, title.c_str(), bottom.c_str(),
                         kHelpTopic, kBreakKeys, &breakCode, menu.items.data(), static_cast<int>(menu.items.size()));
    }

    // Applies one change to the groups as the registry holds them now (another process may have
    // changed them since the list was shown) and writes it at once; `change` finds its groups by
    // what they hold and answers false when there is nothing left for it to do.
    void save(const std::function<bool(TSKSSortGroups&)>& change) {
        std::string error;
        bool made = false;
        const bool ok = config::changeSortGroups(
            groups_, env_.config->location_, [&](TSKSSortGroups& fresh) { return made = change(fresh); }, &error);
        changed_ = changed_ || made;
        if (!ok) ShowRefusal(host(), msg(lng::kMsgGroupsNotSaved) + error);
    }

    void refuseFull() {
        ShowRefusal(host(), msg(lng::kMsgGroupsFull) + " " + std::to_string(config::kMaxSortGroups));
    }

    int edit(int n) {
        if (n >= count()) return n;
        const TSKSSortGroup shown = group(n);
        TSKSSortGroup copy = shown;
        if (!editSortGroup(env_, copy)) return n;
        int at = n;
        bool full = false;
        save([&](TSKSSortGroups& fresh) {
            at = config::findSortGroup(fresh, shown, n);
            if (at < 0) {  // changed or removed elsewhere meanwhile: the edit becomes a group of its own
                full = fresh.SortGroupCount >= config::kMaxSortGroups;
                if (full) return false;
                at = fresh.SortGroupCount++;
            }
            fresh.SortGroups[static_cast<size_t>(at)] = copy;
            return true;
        });
        if (full) refuseFull();
        return std::min(at, std::max(count() - 1, 0));
    }

    // The new group goes after line n (first when the list is empty or nothing was selected).
    int insert(int n) {
        if (count() >= config::kMaxSortGroups) {
            refuseFull();
            return n;
        }
        const std::optional<TSKSSortGroup> anchor = n >= 0 && n < count() ? std::optional(group(n)) : std::nullopt;
        TSKSSortGroup fresh;
        if (!editSortGroup(env_, fresh)) return n;
        int at = 0;
        bool full = false;
        save([&](TSKSSortGroups& list) {
            const int32_t total = list.SortGroupCount;
            full = total >= config::kMaxSortGroups;
            if (full) return false;
            const int32_t after = anchor ? config::findSortGroup(list, *anchor, n) : -1;
            at = after >= 0 ? after + 1 : std::clamp(n + 1, 0, total);
            for (int32_t i = total; i > at; --i)
                list.SortGroups[static_cast<size_t>(i)] = std::move(list.SortGroups[static_cast<size_t>(i - 1)]);
            list.SortGroups[static_cast<size_t>(at)] = std::move(fresh);
            ++list.SortGroupCount;
            return true;
        });
        if (full) refuseFull();
        return at;
    }

    int remove(int n) {
        const PluginStartupInfo& info = host().StartupInfo;
        if (n >= count() || !info.Message) return n;
        const TSKSSortGroup shown = group(n);
        const std::string title = msg(lng::kMsgDeleteGroupTitle), text = msg(lng::kMsgDeleteGroupText);
        const std::string name = "\"" + os::ansiToOem(shown.Name) + "\" ?";
        const char* lines[] = {title.c_str(), text.c_str(), name.c_str()};
        if (info.Message(info.ModuleNumber, FMSG_MB_YESNO, "", lines, 3, 0) != 0) return n;
        save([&](TSKSSortGroups& list) {
            const int32_t at = config::findSortGroup(list, shown, n);
            if (at < 0) return false;  // already gone
            for (int32_t i = at; i + 1 < list.SortGroupCount; ++i)
                list.SortGroups[static_cast<size_t>(i)] = std::move(list.SortGroups[static_cast<size_t>(i + 1)]);
            --list.SortGroupCount;
            list.SortGroups[static_cast<size_t>(list.SortGroupCount)] = TSKSSortGroup{};
            return true;
        });
        return n > 0 ? n - 1 : 0;
    }

    int move(int n, int target) {
        if (count() == 0 || n >= count() || target < 0) return n;
        const TSKSSortGroup moved = group(n), other = group(target);
        save([&](TSKSSortGroups& list) {
            const int32_t from = config::findSortGroup(list, moved, n);
            const int32_t to = config::findSortGroup(list, other, target);
            if (from < 0 || to < 0 || from == to) return false;
            std::swap(list.SortGroups[static_cast<size_t>(from)], list.SortGroups[static_cast<size_t>(to)]);
            return true;
        });
        return target;
    }

    SettingsEnv& env_;
    TSKSSortGroups& groups_;
    bool changed_ = false;
};

// The group edit dialog's own fields, as the console shows them (OEM text, the maximum as typed).
struct GroupFields {
    std::string Name, Kind, Ext, Max;

    explicit GroupFields(const TSKSSortGroup& group)
        : Name(os::ansiToOem(group.Name)), Kind(os::ansiToOem(group.Kind)), Ext(os::ansiToOem(group.Ext)),
          Max(std::to_string(group.Max)) {}
    dialogs::TDialogRecord record() {
        dialogs::TDialogRecord fields;
        fields.text(kNameField, Name).text(kKindField, Kind).text(kExtField, Ext).text(kMaxField, Max);
        return fields;
    }

    static constexpr std::string_view kNameField = "EName", kKindField = "EKind", kExtField = "EExt",
                                      kMaxField = "EMax";
};

dialogs::TDialogDescription groupDialog(const platform::HostTables& host, int32_t& ok, int32_t& cancel) {
    auto msg = [&host](int number) { return platform::GetMsgStr(host, number); };
    dialogs::TDialogDescription table(64, 15);
    table.box(3, 1, 60, 13, 0, msg(lng::kMsgGroupTitle));
    table.label(5, 2, 0, "", msg(lng::kMsgGroupName)).edit(5, 3, 54, 0, GroupFields::kNameField).separator(4);
    table.label(5, 5, 0, "", msg(lng::kMsgGroupKind)).edit(5, 6, 54, 0, GroupFields::kKindField);
    table.label(5, 7, 0, "", msg(lng::kMsgGroupExt)).edit(5, 8, 54, 0, GroupFields::kExtField);
    table.label(5, 9, 0, "LMax", msg(lng::kMsgGroupMax)).edit(5, 10, 10, 0, GroupFields::kMaxField).separator(11);
    table.button(5, 12, 0, "O&K", "BOK", &ok).button(13, 12, 0, msg(lng::kMsgCancel), "BCancel", &cancel);
    return table;
}

bool blank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

// Whether the typed name is one; a refusal has been shown and the focus put on the field.
bool namedGroup(const platform::HostTables& host, dialogs::TRegisteredDialog& dialog, const GroupFields& fields) {
    if (!blank(fields.Name)) return true;
    ShowRefusal(host, platform::GetMsgStr(host, lng::kMsgGroupNameEmpty));
    dialogs::SetFocusByName(dialog, GroupFields::kNameField);
    return false;
}

}  // namespace

std::string FitText(std::string_view text, size_t width) {
    const size_t count = os::utf8CharacterCount(text);
    if (count <= width) return std::string(text) + std::string(width - count, ' ');
    const size_t keep = width >= 3 ? width - 3 : 0;
    return std::string(text.substr(0, os::utf8CharacterOffset(text, keep))) + std::string("...").substr(0, width - keep);
}

std::string GroupMenuText(const config::TSKSSortGroup& group) {
    return FitText(os::ansiToOem(group.Name), kGroupNameColumn) + " " + os::oemFromUnicode(kColumnLine) +
           FitText("\"" + os::ansiToOem(group.Kind) + "\"", kGroupKindColumn);
}

bool editSortGroup(SettingsEnv& env, config::TSKSSortGroup& group) {
    GroupFields fields(group);
    const dialogs::TDialogRecord record = fields.record();
    int32_t ok = -1, cancel = -1;
    dialogs::TRegisteredDialog dialog;
    std::string error;
    if (!dialogs::RegisterDialog(dialog, *env.config, record, groupDialog(*env.host, ok, cancel), error)) {
        platform::ShowErrorText(*env.host, error);
        return false;
    }
    std::optional<int32_t> max;
    auto check = [&](dialogs::TRegisteredDialog& d) {
        max = checkNumberSetting(*env.host, d, GroupFields::kMaxField, "LMax", kMaxLowest, kMaxHighest);
        return max && namedGroup(*env.host, d, fields);
    };
    // The group's own fields: nothing is saved here, the list editor writes the accepted group.
    if (!RunSettingsLoop(env, dialog, {.HelpTopic = kHelpTopic, .Cancel = cancel, .check = check, .Save = false}))
        return false;
    group.Name = os::oemToAnsi(fields.Name);
    group.Kind = os::oemToAnsi(fields.Kind);
    group.Ext = os::oemToAnsi(fields.Ext);
    group.Max = *max;
    return true;
}

bool editSortGroups(SettingsEnv& env) {
    if (!env.usable() || !env.groups) return false;
    return GroupListEditor(env).run();
}

bool RunGroupEditor(SettingsEnv& env) {
    try {
        return editSortGroups(env);
    } catch (const std::exception& error) {
        if (env.host) platform::ShowErrorText(*env.host, error.what());
        return false;
    }
}

}  // namespace skimmer::settings
