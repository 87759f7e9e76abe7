#include "search/send_to_temp_panel.h"

#include <algorithm>
#include <cstring>

#include "config/catalogue.h"
#include "dialogs/registered_dialog.h"
#include "far/adv_control.h"
#include "far/dialog.h"
#include "far/panel.h"
#include "lng/messages.h"
#include "os/utf8.h"
#include "platform/host_tables.h"
#include "platform/macro_string.h"

namespace skimmer::search {

namespace {

// FAR documents FCTL_GETCMDLINE's buffer as at least 1 KB; the line is cut at its first zero.
constexpr size_t kCommandLineBuffer = 1024;

// The notice's language messages: four lines of text, then the check box.

bool writableAsLine(const std::string& path) {
    return path.find('\n') == std::string::npos && (path.empty() || path.back() != '\r');
}

// A character the macro language reads as itself when it stands alone between blanks.
bool typedAsKey(unsigned char c) { return c > ' ' && c != 0x7F && c != '"' && c != '$' && c != '%'; }

void appendTyped(std::string& out, std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c == ' ') {
            out += "Space ";
            ++at;
        } else if (c >= 0x80) {
            // A letter of several bytes is typed as one key; a stray byte as itself.
            char32_t cp = 0;
            const size_t n = std::max<size_t>(os::decodeUtf8(text, at, cp), 1);
            out.append(text.substr(at, n)).push_back(' ');
            at += n;
        } else if (typedAsKey(c)) {
            out.push_back(static_cast<char>(c));
            out.push_back(' ');
            ++at;
        } else {
            out += "$Text " + platform::macroStringLiteral(text.substr(at, 1)) + " ";
            ++at;
        }
    }
}

}  // namespace

TempPanelListText tempPanelListText(const results::TDynamicSearchResult* first) {
    TempPanelListText list;
    for (const results::TDynamicSearchResult* node = first; node; node = node->Next) {
        const results::TSearchResult& hit = node->Result;
        if (hit.IsGroupHeader || hit.Path.empty()) continue;
        if (!writableAsLine(hit.Path)) {
            ++list.leftOut;
            continue;
        }
        list.bytes += hit.Path;
        list.bytes.push_back('\n');
        ++list.written;
    }
    return list;
}

std::string tempPanelKeySequence(std::string_view command, std::string_view savedLine) {
    std::string out;
    appendTyped(out, command);
    out += "Enter ";
    appendTyped(out, savedLine);
    return out;
}

int ShowTempPanelNotice(const platform::HostTables& host, config::TRegistryConfig& config) {
    int32_t okIndex = -1;
    dialogs::TDialogDescription table(56, 12);
    table.box(3, 1, 52, 10, 0, "Skimmer");
    for (int line = 0; line < 4; ++line)
        table.label(5, 2 + line, 0, "", platform::GetMsgStr(host, lng::kMsgNoticeFirstLine + line));
    table.separator(6)
        .checkBox(5, 7, 0, platform::GetMsgStr(host, lng::kMsgNoticeCheckBox), config::setting::kShowTPW)
        .separator(8)
        .button(5, 9, 0, "O&K", "BOK", &okIndex);
    dialogs::TRegisteredDialog dialog;
    std::string error;
    if (!dialogs::RegisterDialog(dialog, config, table, error)) {
        platform::ShowErrorText(host, error);
        return -1;
    }
    // The notice has one button: only Escape (-1) leaves it without storing.
    return dialogs::RunRegisteredDialog(host, dialog, true, -1, FDLG_WARNING, nullptr, nullptr);
}

int32_t SendToTempPanel(const TempPanelEnv& env, const results::TDynamicSearchResult* first) {
    const platform::PluginContext& context = *env.hits.context;
    const platform::HostTables& host = *context.host;
    const PluginStartupInfo& info = host.StartupInfo;
    if (context.config) {
        if (!config::setting::kShowTPW.read(*context.config)) ShowTempPanelNotice(host, *context.config);
    }
    char saved[kCommandLineBuffer] = {};
    if (info.Control) info.Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, saved);
    const std::string savedLine(saved, strnlen(saved, sizeof saved));
    std::string prefix;
    ReadTmpPanelPrefix(env.hits, prefix);

    if (context.tempDir == nullptr) {
        platform::ShowErrorText(host, "The hits cannot be listed: the plug-in has no temporary folder.");
        return kTempPanelNoFolder;
    }
    const TempPanelListText list = tempPanelListText(first);
    std::string error;
    if (!context.tempDir->replaceFile(kTempPanelListName, list.bytes, error)) {
        platform::ShowErrorText(host, error);
        return kTempPanelWriteFailed;
    }
    if (list.leftOut > 0) {
        platform::ShowErrorText(host, std::to_string(list.leftOut) +
                                          " hit(s) with a line break in the path cannot be listed and were left out.");
    }
    const std::string command = prefix + ":" + context.tempDir->pathTextOf(kTempPanelListName);
    const std::string sequence = tempPanelKeySequence(command, savedLine);

    if (info.Control) info.Control(INVALID_HANDLE_VALUE, FCTL_SETCMDLINE, const_cast<char*>(""));
    ActlKeyMacro macro{};
    macro.Command = MCMD_POSTMACROSTRING;
    macro.Param.PlainText.SequenceText = sequence.c_str();
    macro.Param.PlainText.Flags = KSFLAGS_DISABLEOUTPUT;
    if (!info.AdvControl || !info.AdvControl(info.ModuleNumber, ACTL_KEYMACRO, &macro)) {
        // The command line was cleared for the macro; give it back as it was.
        if (info.Control) info.Control(INVALID_HANDLE_VALUE, FCTL_SETCMDLINE, const_cast<char*>(savedLine.c_str()));
        platform::ShowErrorText(host, "The host refused the key macro that opens the Temporary Panel.");
        return kTempPanelMacroRefused;
    }
    return 0;
}

}  // namespace skimmer::search
