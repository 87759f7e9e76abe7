// GetMsg, CmpName, the viewer and editor, InputBox, and the services this host answers with FAR's
// "not available" values.
#include <algorithm>
#include <cstring>
#include <string>

#include "far/dialog.h"
#include "far/editor_viewer.h"
#include "host/app/host_context.h"
#include "host/service_guard.h"
#include "host/app/host_services.h"
#include "host/app/manager.h"
#include "host/app/plugin_set.h"
#include "host/app/terminal_console.h"
#include "host/services/standard_functions.h"
#include "host/services/viewer_editor.h"
#include "host/ui/far_services.h"

namespace skimmer::host::app {
namespace {

// Hands the terminal to the pager or editor and takes it back with a full repaint.
class ConsoleHandover : public services::TerminalHandover {
public:
    explicit ConsoleHandover(HostContext& host) : host_(host) {}
    void suspend() override { host_.console->handOver(); }
    void resume() override {
        host_.console->takeBack();
        if (host_.manager) host_.manager->repaint();
    }
    int terminalFd() const override { return host_.console->terminalFd(); }

private:
    HostContext& host_;
};

}  // namespace

const char* FARAPI GetMsg(int PluginNumber, int MsgId) {
    return guardedService<const char*>("", [&]() -> const char* {
        HostContext* host = hostContext();
        if (host == nullptr || host->plugins == nullptr) return "";
        return host->plugins->message(PluginNumber, MsgId);
    });
}

int FARAPI CmpName(const char* Pattern, const char* String, int SkipPath) {
    if (Pattern == nullptr || String == nullptr) return FALSE;
    char name[FAR_MAX_PATH];
    std::strncpy(name, String, sizeof name - 1);
    name[sizeof name - 1] = '\0';
    return services::ProcessName(Pattern, name, PN_CMPNAME | (SkipPath ? PN_SKIPPATH : 0));
}

int FARAPI Viewer(const char* FileName, const char*, int, int, int, int, DWORD) {
    return guardedService<int>(FALSE, [&]() -> int {
        HostContext* host = hostContext();
        if (host == nullptr || host->console == nullptr || FileName == nullptr) return FALSE;
        ConsoleHandover handover(*host);
        const services::ViewResult r = services::viewFile(FileName, handover);
        if (!r.ok && host->manager) host->manager->showError(r.error);
        return r.ok ? TRUE : FALSE;
    });
}

int FARAPI Editor(const char* FileName, const char*, int, int, int, int, DWORD, int StartLine, int) {
    return guardedService<int>(EEC_OPEN_ERROR, [&]() -> int {
        HostContext* host = hostContext();
        if (host == nullptr || host->console == nullptr || FileName == nullptr) return EEC_OPEN_ERROR;
        ConsoleHandover handover(*host);
        const services::EditResult r = services::editFile(FileName, StartLine, handover);
        if (r.outcome == services::EditOutcome::OpenError && host->manager) host->manager->showError(r.error);
        return static_cast<int>(r.outcome);
    });
}

int FARAPI InputBox(const char* Title, const char* SubTitle, const char*, const char* SrcText, char* DestText,
                    int DestLength, const char* HelpTopic, DWORD Flags) {
    return guardedService<int>(FALSE, [&]() -> int {
        if (DestText == nullptr || DestLength <= 0) return FALSE;
        FarDialogItem items[4]{};
        items[0] = FarDialogItem{DI_DOUBLEBOX, 3, 1, 72, 4};
        items[1] = FarDialogItem{DI_TEXT, 5, 2, 70, 2};
        items[2] = FarDialogItem{(Flags & FIB_PASSWORD) ? DI_PSWEDIT : DI_EDIT, 5, 3, 70, 3};
        items[2].Focus = TRUE;
        items[2].DefaultButton = TRUE;
        items[3] = FarDialogItem{DI_TEXT, 0, 0, 0, 0};
        std::strncpy(items[0].Data, Title ? Title : "", sizeof items[0].Data - 1);
        std::strncpy(items[1].Data, SubTitle ? SubTitle : "", sizeof items[1].Data - 1);
        std::strncpy(items[2].Data, SrcText ? SrcText : "", sizeof items[2].Data - 1);
        const int exitCode = ui::DialogEx(-1, -1, -1, 76, 6, HelpTopic, items, 3, 0, 0, nullptr, 0);
        if (exitCode != 2) return FALSE;
        if (!(Flags & FIB_ENABLEEMPTY) && items[2].Data[0] == '\0') return FALSE;
        std::strncpy(DestText, items[2].Data, static_cast<size_t>(DestLength) - 1);
        DestText[DestLength - 1] = '\0';
        return TRUE;
    });
}

// Directory lists for plug-ins are not offered by this host yet: FALSE, nothing allocated.
int FARAPI GetDirList(const char*, PluginPanelItem** pPanelItem, int* pItemsNumber) {
    if (pPanelItem) *pPanelItem = nullptr;
    if (pItemsNumber) *pItemsNumber = 0;
    return FALSE;
}

int FARAPI GetPluginDirList(int, HANDLE, const char* Dir, PluginPanelItem** pPanelItem, int* pItemsNumber) {
    return GetDirList(Dir, pPanelItem, pItemsNumber);
}

void FARAPI FreeDirList(const PluginPanelItem*) {}

// Text is UTF-8 everywhere here: there are no character tables to enumerate.
int FARAPI CharTable(int, char*, int) { return -1; }

// There is no internal editor or viewer (the user's own programs run instead).
int FARAPI EditorControl(int, void*) { return 0; }
int FARAPI ViewerControl(int, void*) { return 0; }

}  // namespace skimmer::host::app
