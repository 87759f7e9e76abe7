#include "search/open_hit.h"

#include "far/adv_control.h"
#include "far/keys.h"
#include "far/messages.h"
#include "far/panel.h"
#include "lng/messages.h"
#include "os/desktop_exec.h"
#include "os/path_syntax.h"
#include "os/shell_quote.h"
#include "platform/macro_string.h"

namespace skimmer::search {

namespace {

const PluginStartupInfo& info(const HitServices& services) { return services.context->host->StartupInfo; }

void postMacro(const HitServices& services, const std::string& text) {
    if (!info(services).AdvControl) return;
    ActlKeyMacro macro{};
    macro.Command = MCMD_POSTMACROSTRING;
    macro.Param.PlainText.SequenceText = text.c_str();
    macro.Param.PlainText.Flags = KSFLAGS_DISABLEOUTPUT;
    info(services).AdvControl(info(services).ModuleNumber, ACTL_KEYMACRO, &macro);
}

void setCommandLine(const HitServices& services, const std::string& text) {
    if (info(services).Control)
        info(services).Control(INVALID_HANDLE_VALUE, FCTL_SETCMDLINE, const_cast<char*>(text.c_str()));
}

void showOpeningNotice(const HitServices& services) {
    if (!info(services).Message) return;
    const std::string notice = platform::GetMsgStr(*services.context->host, lng::kMsgOpening);
    const char* items[] = {"Skimmer", notice.c_str()};
    info(services).Message(info(services).ModuleNumber, FMSG_LEFTALIGN, nullptr, items, 2, 0);
}

os::OpenResult openWithDefault(const HitServices& services, std::string_view target, void* farWindow) {
    if (services.context->shellOpen) return services.context->shellOpen(target);
    return os::openWithDefaultApplication(target, farWindow);
}

// FAR's main window, the owner of whatever the shell shows; null when FAR gives none.
void* farWindow(const HitServices& services) {
    if (!info(services).AdvControl) return nullptr;
    return reinterpret_cast<void*>(info(services).AdvControl(info(services).ModuleNumber, ACTL_GETFARHWND, nullptr));
}

}  // namespace

std::optional<std::string> commandLineFor(const std::string& path, std::string& error) {
    std::string line;
    if (!os::commandLineToRun(path, line, error)) return std::nullopt;
    return line;
}

std::optional<std::string> commandLineArgumentFor(const std::string& path, std::string& error) {
    std::string word;
    if (!os::commandLineArgument(path, word, error)) return std::nullopt;
    return word;
}

bool RunsFromCommandLine(const results::TSearchResult& Hit) {
    return Hit.MailEntryId.empty() && !Hit.Url.starts_with("mapi://") && !os::looksLikeUrl(Hit.Path);
}

void runThroughCommandLine(const HitServices& services, const std::string& text) {
    setCommandLine(services, text);
    if (!info(services).AdvControl) return;
    const DWORD enter = KEY_ENTER;
    KeySequence keys{};
    keys.Flags = KSFLAGS_DISABLEOUTPUT;
    keys.Count = 1;
    keys.Sequence = &enter;
    info(services).AdvControl(info(services).ModuleNumber, ACTL_POSTKEYSEQUENCE, &keys);
}

void OpenHit(const HitServices& services, const results::TSearchResult& Hit) {
    void* const window = farWindow(services);
    showOpeningNotice(services);
    if (!Hit.MailEntryId.empty()) {
        if (const std::string error = OpenMailItem(services, Hit.MailEntryId); !error.empty())
            platform::ShowErrorText(*services.context->host, error);
        return;
    }
    // A locate hit carries its path but no URL: the shell is given the path then.
    const std::string& target = Hit.UrlW.empty() ? Hit.Path : Hit.UrlW;
    if (target.empty()) return;
    const os::OpenResult result = openWithDefault(services, target, window);
    switch (result.status) {
        case os::OpenResult::Started: break;
        case os::OpenResult::RunInTerminal:
            runThroughCommandLine(services, os::shellQuote(result.command.argv));
            break;
        case os::OpenResult::Failed: platform::ShowErrorText(*services.context->host, result.error); break;
    }
}

std::string OpenMailItem(const HitServices& services, const std::string& EntryId) {
    if (!services.mail.client) return "there is no mail store to show the mail item " + EntryId;
    const MailItemShow shown = services.mail.client->show(EntryId);
    if (!shown.error.empty()) return shown.error;
    if (!shown.argv.empty()) {
        runThroughCommandLine(services, os::shellQuote(shown.argv));
        return {};
    }
    if (!shown.viewerFile.empty() && info(services).Viewer)
        info(services).Viewer(shown.viewerFile.c_str(), nullptr, 0, 0, -1, -1, 0);
    return {};
}

void GoToFile(const HitServices& services, const std::string& FullPath) {
    const std::string folder(os::pathFolder(FullPath));
    const std::string name(os::pathName(FullPath));
    if (!folder.empty() && info(services).Control)
        info(services).Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, const_cast<char*>(folder.c_str()));
    // The name is data: written as a string literal, it can never end the call and become macro code.
    postMacro(services, "panel.setpos(0," + platform::macroStringLiteral(name) + ")");
}

void GoToLine(const HitServices& services, const LineLookup& lines, int32_t n) {
    const results::TSearchResult* hit = lines ? lines(n) : nullptr;
    if (hit == nullptr || hit->IsGroupHeader || hit->Title.empty()) return;
    // A locate hit's Title is already its whole path; an index hit's is the name in Folder.
    GoToFile(services, os::isAbsolutePathWithName(hit->Title) ? hit->Title : hit->Folder + hit->Title);
}

void ReadTmpPanelPrefix(const HitServices& services, std::string& Prefix) {
    const platform::PluginContext& context = *services.context;
    if (context.registry == nullptr) return;
    const auto key = context.registry->openKey(platform::joinKeyPath(context.FarRootKey, "Plugins\\TmpPanel"));
    if (!key) return;
    if (auto value = key->readString("Prefix")) Prefix = *value;
}

}  // namespace skimmer::search
