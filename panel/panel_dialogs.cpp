#include "panel/panel_dialogs.h"

#include <charconv>

#include "config/catalogue.h"
#include "dialogs/dialog_record.h"
#include "dialogs/registered_dialog.h"
#include "os/text_border.h"
#include "panel/panel_messages.h"

namespace skimmer::panel {

namespace {

constexpr int kDialogWidth = 76;
constexpr int kEditWidth = 66;
constexpr const char* kOkText = "O&K";
constexpr const char* kSearchFolderTopic = "SKPCreateSF";
constexpr const char* kDirectoryTopic = "SKPCreateDirectory";

// The names the dialogs' items carry, and their record binds.
constexpr std::string_view kQueryField = "EQuery", kNameField = "EName", kDescField = "EDesc", kMaxField = "EMax",
                           kAqsField = "EAqs", kAdvancedField = "CAdvanced", kSpecialField = "CSpecial",
                           kGroupsField = "CGroups";
// The items the advanced check box switches, in the order they are switched.
constexpr std::string_view kAdvancedItems[] = {kNameField, kDescField, kMaxField, kAqsField, kSpecialField,
                                               kGroupsField, "l1", "l2", "l3", "l4"};

// What the panel's dialogs edit: one record per dialog, kept across its showings so that each
// shows again what the user last typed.
struct NodeFields {
    std::string query, name, desc, max, aqs;
    bool advanced = false, special = false, groupsAsFolders = false;

    dialogs::TDialogRecord record() {
        dialogs::TDialogRecord fields;
        fields.text(kQueryField, query).text(kNameField, name).text(kDescField, desc).text(kMaxField, max);
        fields.text(kAqsField, aqs).flag(kAdvancedField, advanced).flag(kSpecialField, special);
        fields.flag(kGroupsField, groupsAsFolders);
        return fields;
    }
};

int length(const std::string& text) { return static_cast<int>(text.size()); }

// The advanced check box enables or disables the fields it governs as it is clicked.
LONG_PTR FARAPI searchFolderProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    const dialogs::TRunningDialog* running = dialogs::RunningRegisteredDialog();
    // Only RunRegisteredDialog runs this procedure, so the running dialog is always there.
    if (!running || !running->Dialog || !running->Host) return 0;
    const PluginStartupInfo& info = running->Host->StartupInfo;
    const dialogs::TRegisteredDialog& dialog = *running->Dialog;
    if (msg == DN_BTNCLICK && param1 == dialogs::ItemIndexByName(dialog, kAdvancedField)) {
        info.SendDlgMessage(dlg, DM_ENABLEREDRAW, 0, 0);
        for (std::string_view name : kAdvancedItems)
            info.SendDlgMessage(dlg, DM_ENABLE, dialogs::ItemIndexByName(dialog, name), param2 == 1 ? 1 : 0);
        info.SendDlgMessage(dlg, DM_ENABLEREDRAW, 1, 0);
    }
    return info.DefDlgProc(dlg, msg, param1, param2);
}

// Shows the dialog over `fields`; true when it closed with anything but Cancel or Esc.
bool run(TPanel& panel, NodeFields& fields, const dialogs::TDialogDescription& description, const char* topic,
         FARWINDOWPROC proc, const int32_t& cancelIndex) {
    const dialogs::TDialogRecord record = fields.record();
    dialogs::TRegisteredDialog dialog;
    std::string error;
    if (!dialogs::RegisterDialog(dialog, *panel.env.config, record, description, error)) {
        platform::ShowErrorText(*panel.env.host, error);
        return false;
    }
    const int result = dialogs::RunRegisteredDialog(*panel.env.host, dialog, false, cancelIndex, 0, topic, proc);
    return result != -1 && result != cancelIndex;
}

bool showSearchFolderDialog(TPanel& panel, NodeFields& fields, bool advanced) {
    const uint32_t a = advanced ? 0 : DIF_DISABLE;
    const std::string l126 = Msg(panel, kMsgNameLabel), l127 = Msg(panel, kMsgDescLabel);
    const std::string l129 = Msg(panel, kMsgMaxLabel), l128 = Msg(panel, kMsgAqsLabel);
    int32_t ok = 0, cancel = 0;
    dialogs::TDialogDescription d(kDialogWidth, 18);
    d.box(3, 1, 72, 16, 0, "Skimmer " + Msg(panel, kMsgSearchFolder))
        .label(5, 2, 0, "", Msg(panel, kMsgSearchFor))
        .edit(5, 3, kEditWidth, 0, kQueryField)
        .separator(4)
        .checkBox(5, 5, DIF_DISABLE, Msg(panel, kMsgAdvancedMode) + " " + os::oemFromUnicode(U"\u2193"), kAdvancedField)
        .separator(6)
        .label(5, 7, a, "l1", l126)
        .edit(5 + length(l126), 7, kEditWidth - length(l126), a, kNameField)
        .label(5, 8, a, "l2", l127)
        .edit(5 + length(l127), 8, kEditWidth - length(l127), a, kDescField)
        .label(5, 9, a, "l3", l129)
        .edit(5 + length(l129), 9, kEditWidth - length(l129), a, kMaxField)
        .label(5, 10, a, "l4", l128)
        .edit(5 + length(l128), 10, kEditWidth - length(l128), a, kAqsField)
        .separator(11)
        .checkBox(5, 12, a, Msg(panel, kMsgSpecialFolder), kSpecialField)
        .checkBox(5, 13, a, Msg(panel, kMsgGroupsAsFolders), kGroupsField)
        .separator(14)
        .button(5, 15, 0, kOkText, "BOK", &ok)
        .button(13, 15, 0, Msg(panel, kMsgCancel), "BCancel", &cancel);
    return run(panel, fields, d, kSearchFolderTopic, searchFolderProc, cancel);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<int32_t> ParseMaxText(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    int base = 10;
    if (text.substr(pos, 1) == "$" || text.substr(pos, 1) == "x" || text.substr(pos, 1) == "X") {
        base = 16;
        pos += 1;
    } else if (text.substr(pos, 2) == "0x" || text.substr(pos, 2) == "0X") {
        base = 16;
        pos += 2;
    }
    if (pos == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = base == 16 ? hexDigit(text[pos]) : (text[pos] >= '0' && text[pos] <= '9' ? text[pos] - '0' : -1);
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(value);
}

bool UsableNodeName(std::string_view name) { return !name.empty() && name != "." && name != ".."; }

std::unique_ptr<TFiles> SearchFolderDialog(TPanel& panel, const TFiles& node) {
    auto edited = CopyNode(node);
    const bool isNew = node.Name.empty();
    NodeFields fields;
    if (!isNew) {
        fields = {.query = node.query, .name = node.Name, .desc = node.Desc, .max = node.Max, .aqs = node.AQS,
                  .advanced = node.Advanced, .special = node.Type == kTypeSpecialSearchFolder,
                  .groupsAsFolders = node.GroupsAsFolders};
    } else {
        // A table without the setting (reported) starts a new folder without groups as folders.
        fields.groupsAsFolders = config::setting::kPanelGroupsAsFolders.find(*panel.env.config).value_or(false);
    }
    // Each new showing keeps what the user last typed: the record holds it.
    for (;;) {
        if (!showSearchFolderDialog(panel, fields, !isNew && node.Advanced)) {
            edited->Name.clear();
            return edited;
        }
        std::string name = fields.name.empty() ? fields.query : fields.name;
        if (name.empty()) {
            platform::ShowErrorText(*panel.env.host, Msg(panel, kMsgNeedQueryOrName));
            continue;
        }
        const auto max = ParseMaxText(fields.max);
        if (!max && fields.advanced) {
            platform::ShowErrorText(*panel.env.host,
                                    Msg(panel, lng::kMsgNumberInvalid) + " " + Msg(panel, lng::kMsgNumberWhole));
            continue;
        }
        edited->query = fields.query;
        edited->Max = max ? fields.max : "0";
        edited->Desc = fields.desc;
        edited->Advanced = fields.advanced;
        edited->Name = FitNodeName(fields.advanced ? name : fields.query.empty() ? name : fields.query);
        edited->AQS = fields.aqs;
        edited->Type = fields.special ? kTypeSpecialSearchFolder : kTypeSearchFolder;
        edited->GroupsAsFolders = fields.groupsAsFolders;
        return edited;
    }
}

std::unique_ptr<TFiles> DirectoryDialog(TPanel& panel, const TFiles& node) {
    auto edited = CopyNode(node);
    const bool isNew = node.Name.empty();
    NodeFields fields{.name = node.Name, .desc = node.Desc, .advanced = node.Type == kTypeSessionDirectory};
    int32_t ok = 0, cancel = 0;
    dialogs::TDialogDescription d(kDialogWidth, 12);
    d.box(3, 1, 72, 10, 0, Msg(panel, isNew ? kMsgNewDirectoryTitle : kMsgRenameTitle))
        .label(5, 2, 0, "", Msg(panel, isNew ? kMsgNewDirectoryLabel : kMsgRenameLabel))
        .edit(5, 3, kEditWidth, 0, kNameField)
        .label(5, 4, 0, "", Msg(panel, kMsgDescriptionLabel))
        .edit(5, 5, kEditWidth, 0, kDescField)
        .separator(6)
        .checkBox(5, 7, 0, Msg(panel, kMsgSessionOnly), kAdvancedField)
        .separator(8)
        .button(5, 9, 0, kOkText, "BOK", &ok)
        .button(13, 9, 0, Msg(panel, kMsgCancel), "BCancel", &cancel);
    if (!run(panel, fields, d, kDirectoryTopic, nullptr, cancel)) {
        edited->Name.clear();
        return edited;
    }
    edited->Name = FitNodeName(fields.name);
    edited->Desc = fields.desc;
    edited->Type = fields.advanced ? kTypeSessionDirectory : kTypeDirectory;
    return edited;
}

std::string DestinationDialog(TPanel& panel, const std::string& dest, bool move) {
    NodeFields fields{.name = dest};
    int32_t ok = 0, cancel = 0;
    dialogs::TDialogDescription d(kDialogWidth, 8);
    d.box(3, 1, 72, 6, 0, Msg(panel, move ? kMsgMoveTitle : kMsgCopyTitle) + " " + Msg(panel, kMsgSearchFolders))
        .label(5, 2, 0, "", Msg(panel, move ? kMsgMoveLabel : kMsgCopyLabel) + " " + Msg(panel, kMsgToFolder))
        .edit(5, 3, kEditWidth, 0, kNameField)
        .separator(4)
        .button(5, 5, 0, kOkText, "BOK", &ok)
        .button(13, 5, 0, Msg(panel, kMsgCancel), "BCancel", &cancel);
    return run(panel, fields, d, kDirectoryTopic, nullptr, cancel) ? fields.name : std::string();
}

}  // namespace skimmer::panel
