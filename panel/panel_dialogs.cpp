#include "panel/panel_dialogs.h"

#include <charconv>

#include "dialogs/registered_dialog.h"
#include "panel/panel_messages.h"

namespace skimmer::panel {

namespace {

constexpr int kDialogWidth = 76;
constexpr int kEditWidth = 66;
constexpr const char* kOkText = "O&K";
constexpr const char* kSearchFolderTopic = "SKPCreateSF";
constexpr const char* kDirectoryTopic = "SKPCreateDirectory";
// The items the advanced check box switches, in the order they are switched.
constexpr const char* kAdvancedItems[] = {"tmp2", "tmp3", "tmp4", "tmp6", "tmp7", "tmp8", "l1", "l2", "l3", "l4"};

void setString(TPanel& panel, const char* name, const std::string& text) {
    config::setConfigValue(*panel.env.config, name, config::TConfigValue::str(text));
}
void setBool(TPanel& panel, const char* name, bool value) {
    config::setConfigValue(*panel.env.config, name, config::TConfigValue::boolean(value));
}
std::string getString(const TPanel& panel, const char* name) {
    config::TConfigValue value = config::TConfigValue::str("");
    config::getConfigValue(*panel.env.config, name, value);
    return value.StrValue;
}
bool getBool(const TPanel& panel, const char* name) {
    config::TConfigValue value = config::TConfigValue::boolean(false);
    config::getConfigValue(*panel.env.config, name, value);
    return value.BoolValue;
}

int length(const std::string& text) { return static_cast<int>(text.size()); }

// The running dialog, for its dialog procedure (FAR's procedure has no context argument; only
// the main thread runs dialogs, one at a time).
thread_local dialogs::TRegisteredDialog* g_running = nullptr;

LONG_PTR FARAPI searchFolderProc(HANDLE dlg, int msg, int param1, LONG_PTR param2);

struct RunningDialog {
    explicit RunningDialog(dialogs::TRegisteredDialog& dialog) { g_running = &dialog; }
    ~RunningDialog() { g_running = nullptr; }
};

const platform::HostTables* g_host = nullptr;

LONG_PTR FARAPI searchFolderProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    const PluginStartupInfo& info = g_host->StartupInfo;
    if (msg == DN_BTNCLICK && g_running && param1 == dialogs::ItemIndexByName(*g_running, "tmp5")) {
        info.SendDlgMessage(dlg, DM_ENABLEREDRAW, 0, 0);
        for (const char* name : kAdvancedItems)
            info.SendDlgMessage(dlg, DM_ENABLE, dialogs::ItemIndexByName(*g_running, name), param2 == 1 ? 1 : 0);
        info.SendDlgMessage(dlg, DM_ENABLEREDRAW, 1, 0);
    }
    return info.DefDlgProc(dlg, msg, param1, param2);
}

// Shows the dialog; true when it closed with anything but Cancel or Esc.
bool run(TPanel& panel, const dialogs::TDialogDescription& description, const char* topic, FARWINDOWPROC proc,
         const int32_t& cancelIndex) {
    dialogs::TRegisteredDialog dialog;
    std::string error;
    if (!dialogs::RegisterDialog(dialog, *panel.env.config, description, error)) {
        platform::ShowErrorText(*panel.env.host, error);
        return false;
    }
    RunningDialog running(dialog);
    g_host = panel.env.host;
    const int result = dialogs::RunRegisteredDialog(*panel.env.host, dialog, false, cancelIndex, 0, topic, proc);
    return result != -1 && result != cancelIndex;
}

bool showSearchFolderDialog(TPanel& panel, bool advanced) {
    const uint32_t a = advanced ? 0 : DIF_DISABLE;
    const std::string l126 = Msg(panel, kMsgNameLabel), l127 = Msg(panel, kMsgDescLabel);
    const std::string l129 = Msg(panel, kMsgMaxLabel), l128 = Msg(panel, kMsgAqsLabel);
    int32_t ok = 0, cancel = 0;
    dialogs::TDialogDescription d(kDialogWidth, 18);
    d.box(3, 1, 72, 16, 0, "Skimmer " + Msg(panel, kMsgSearchFolder))
        .label(5, 2, 0, "", Msg(panel, kMsgSearchFor))
        .edit(5, 3, kEditWidth, 0, "tmp1")
        .separator(4)
        .checkBox(5, 5, DIF_DISABLE, Msg(panel, kMsgAdvancedMode) + " \u2193", "tmp5")
        .separator(6)
        .label(5, 7, a, "l1", l126)
        .edit(5 + length(l126), 7, kEditWidth - length(l126), a, "tmp2")
        .label(5, 8, a, "l2", l127)
        .edit(5 + length(l127), 8, kEditWidth - length(l127), a, "tmp3")
        .label(5, 9, a, "l3", l129)
        .edit(5 + length(l129), 9, kEditWidth - length(l129), a, "tmp4")
        .label(5, 10, a, "l4", l128)
        .edit(5 + length(l128), 10, kEditWidth - length(l128), a, "tmp6")
        .separator(11)
        .checkBox(5, 12, a, Msg(panel, kMsgSpecialFolder), "tmp7")
        .checkBox(5, 13, a, Msg(panel, kMsgGroupsAsFolders), "tmp8")
        .separator(14)
        .button(5, 15, 0, kOkText, "BOK", &ok)
        .button(13, 15, 0, Msg(panel, kMsgCancel), "BCancel", &cancel);
    return run(panel, d, kSearchFolderTopic, searchFolderProc, cancel);
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
    setString(panel, "tmp1", isNew ? "" : node.query);
    setString(panel, "tmp2", isNew ? "" : node.Name);
    setString(panel, "tmp3", isNew ? "" : node.Desc);
    setString(panel, "tmp4", isNew ? "" : node.Max);
    setString(panel, "tmp6", isNew ? "" : node.AQS);
    setBool(panel, "tmp5", !isNew && node.Advanced);
    setBool(panel, "tmp7", !isNew && node.Type == kTypeSpecialSearchFolder);
    if (isNew) {
        config::TConfigValue groups = config::TConfigValue::boolean(false);
        config::getConfigValue(*panel.env.config, "SKPGroupsAsFolders", groups);
        setBool(panel, "tmp8", groups.BoolValue);
    } else {
        setBool(panel, "tmp8", node.GroupsAsFolders);
    }
    // Each new showing keeps what the user last typed: the scratch settings hold it.
    for (;;) {
        if (!showSearchFolderDialog(panel, !isNew && node.Advanced)) {
            edited->Name.clear();
            return edited;
        }
        const std::string query = getString(panel, "tmp1");
        const std::string nameText = getString(panel, "tmp2");
        std::string name = nameText.empty() ? query : nameText;
        if (name.empty()) {
            platform::ShowErrorText(*panel.env.host, Msg(panel, kMsgNeedQueryOrName));
            continue;
        }
        const std::string maxText = getString(panel, "tmp4");
        const auto max = ParseMaxText(maxText);
        const bool advanced = getBool(panel, "tmp5");
        if (!max && advanced) {
            platform::ShowErrorText(*panel.env.host, Msg(panel, kMsgInvalidValue) + " " + Msg(panel, kMsgWholeNumber));
            continue;
        }
        edited->query = query;
        edited->Max = max ? maxText : "0";
        edited->Desc = getString(panel, "tmp3");
        edited->Advanced = advanced;
        edited->Name = FitNodeName(advanced ? name : query.empty() ? name : query);
        edited->AQS = getString(panel, "tmp6");
        edited->Type = getBool(panel, "tmp7") ? kTypeSpecialSearchFolder : kTypeSearchFolder;
        edited->GroupsAsFolders = getBool(panel, "tmp8");
        return edited;
    }
}

std::unique_ptr<TFiles> DirectoryDialog(TPanel& panel, const TFiles& node) {
    auto edited = CopyNode(node);
    const bool isNew = node.Name.empty();
    setString(panel, "tmp1", node.Name);
    setString(panel, "tmp2", node.Desc);
    setString(panel, "tmp3", "");
    setString(panel, "tmp4", "");
    setString(panel, "tmp6", "");
    setBool(panel, "tmp5", node.Type == kTypeSessionDirectory);
    int32_t ok = 0, cancel = 0;
    dialogs::TDialogDescription d(kDialogWidth, 12);
    d.box(3, 1, 72, 10, 0, Msg(panel, isNew ? kMsgNewDirectoryTitle : kMsgRenameTitle))
        .label(5, 2, 0, "", Msg(panel, isNew ? kMsgNewDirectoryLabel : kMsgRenameLabel))
        .edit(5, 3, kEditWidth, 0, "tmp1")
        .label(5, 4, 0, "", Msg(panel, kMsgDescriptionLabel))
        .edit(5, 5, kEditWidth, 0, "tmp2")
        .separator(6)
        .checkBox(5, 7, 0, Msg(panel, kMsgSessionOnly), "tmp5")
        .separator(8)
        .button(5, 9, 0, kOkText, "BOK", &ok)
        .button(13, 9, 0, Msg(panel, kMsgCancel), "BCancel", &cancel);
    if (!run(panel, d, kDirectoryTopic, nullptr, cancel)) {
        edited->Name.clear();
        return edited;
    }
    edited->Name = FitNodeName(getString(panel, "tmp1"));
    edited->Desc = getString(panel, "tmp2");
    edited->Type = getBool(panel, "tmp5") ? kTypeSessionDirectory : kTypeDirectory;
    return edited;
}

std::string DestinationDialog(TPanel& panel, const std::string& dest, bool move) {
    setString(panel, "tmp1", dest);
    int32_t ok = 0, cancel = 0;
    dialogs::TDialogDescription d(kDialogWidth, 8);
    d.box(3, 1, 72, 6, 0, Msg(panel, move ? kMsgMoveTitle : kMsgCopyTitle) + " " + Msg(panel, kMsgSearchFolders))
        .label(5, 2, 0, "", Msg(panel, move ? kMsgMoveLabel : kMsgCopyLabel) + " " + Msg(panel, kMsgToFolder))
        .edit(5, 3, kEditWidth, 0, "tmp1")
        .separator(4)
        .button(5, 5, 0, kOkText, "BOK", &ok)
        .button(13, 5, 0, Msg(panel, kMsgCancel), "BCancel", &cancel);
    return run(panel, d, kDirectoryTopic, nullptr, cancel) ? getString(panel, "tmp1") : std::string();
}

}  // namespace skimmer::panel
