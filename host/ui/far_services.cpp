#include "host/ui/far_services.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "host/service_guard.h"
#include "host/ui/help_window.h"
#include "host/ui/menu_window.h"
#include "host/ui/message_box.h"
#include "host/ui/running_dialog.h"

namespace skimmer::host::ui {

namespace {

std::atomic<UiContext*> installed{nullptr};

// The context for a modal service, or null when there is none or the caller is not the UI thread.
UiContext* modalContext() {
    UiContext* context = installed.load();
    return (context && context->onUiThread()) ? context : nullptr;
}

MenuEntry entryFrom(const FarMenuItem& item) {
    MenuEntry entry;
    entry.text.assign(item.Text, strnlen(item.Text, sizeof item.Text));
    entry.selected = item.Selected != 0;
    entry.checkMark = item.Checked == 0 ? 0 : item.Checked == 1 ? kStandardCheckMark : static_cast<char32_t>(item.Checked);
    entry.separator = item.Separator != 0;
    return entry;
}

MenuEntry entryFrom(const FarMenuItemEx& item) {
    MenuEntry entry;
    if (item.Flags & MIF_USETEXTPTR) {
        if (item.Text.TextPtr) entry.text = item.Text.TextPtr;
    } else {
        entry.text.assign(item.Text.Text, strnlen(item.Text.Text, sizeof item.Text.Text));
    }
    // The low word may name the mark itself; 1, or 0 with MIF_CHECKED, is the standard one.
    const DWORD mark = item.Flags & 0xFFFF;
    if (mark > 1) entry.checkMark = static_cast<char32_t>(mark);
    else if (mark == 1 || (item.Flags & MIF_CHECKED)) entry.checkMark = kStandardCheckMark;
    entry.selected = item.Flags & MIF_SELECTED;
    entry.separator = item.Flags & MIF_SEPARATOR;
    entry.disabled = item.Flags & MIF_DISABLE;
    entry.hidden = item.Flags & MIF_HIDDEN;
    entry.accelKey = static_cast<int>(item.AccelKey);
    return entry;
}

}  // namespace

void installUiContext(UiContext* context) { installed.store(context); }

int FARAPI DialogEx(int PluginNumber, int X1, int Y1, int X2, int Y2, const char* HelpTopic, FarDialogItem* Item, int ItemsNumber,
                    DWORD, DWORD Flags, FARWINDOWPROC DlgProc, LONG_PTR Param) {
    UiContext* context = modalContext();
    if (!context || (!Item && ItemsNumber > 0) || ItemsNumber < 0) return -1;
    return guardedService(-1, [&] {
        DialogLayout layout{.x1 = X1,
                            .y1 = Y1,
                            .x2 = X2,
                            .y2 = Y2,
                            .helpTopic = HelpTopic ? HelpTopic : "",
                            .items = Item,
                            .itemCount = ItemsNumber,
                            .flags = Flags,
                            .proc = DlgProc,
                            .param = Param,
                            .pluginNumber = PluginNumber};
        RunningDialog dialog(*context, layout);
        return dialog.run();
    });
}

int FARAPI Dialog(int PluginNumber, int X1, int Y1, int X2, int Y2, const char* HelpTopic, FarDialogItem* Item,
                  int ItemsNumber) {
    return DialogEx(PluginNumber, X1, Y1, X2, Y2, HelpTopic, Item, ItemsNumber, 0, 0, nullptr, 0);
}

LONG_PTR FARAPI SendDlgMessage(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    UiContext* context = installed.load();
    if (!context) return 0;
    return guardedService<LONG_PTR>(0, [&]() -> LONG_PTR {
        std::lock_guard guard(context->lock());
        RunningDialog* dialog = context->registry().find(hDlg);
        return dialog ? dialog->send(Msg, Param1, Param2) : 0;
    });
}

LONG_PTR FARAPI DefDlgProc(HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    UiContext* context = installed.load();
    return guardedService<LONG_PTR>(0, [&]() -> LONG_PTR {
        if (!context) return defaultDialogAnswer(nullptr, Msg, Param1, Param2);
        std::lock_guard guard(context->lock());
        return defaultDialogAnswer(context->registry().find(hDlg), Msg, Param1, Param2);
    });
}

int FARAPI Menu(int PluginNumber, int X, int Y, int MaxHeight, DWORD Flags, const char* Title, const char* Bottom,
                const char* HelpTopic, const int* BreakKeys, int* BreakCode, const FarMenuItem* Item, int ItemsNumber) {
    if (BreakCode) *BreakCode = -1;
    UiContext* context = modalContext();
    if (!context || ItemsNumber < 0 || (!Item && ItemsNumber > 0)) return -1;
    return guardedService(-1, [&] {
        MenuRequest request{.x = X,
                            .y = Y,
                            .maxHeight = MaxHeight,
                            .flags = Flags,
                            .title = Title ? Title : "",
                            .bottom = Bottom ? Bottom : "",
                            .helpTopic = HelpTopic ? HelpTopic : "",
                            .pluginNumber = PluginNumber,
                            .entries = {},
                            .breakKeys = {}};
        for (int i = 0; i < ItemsNumber; ++i)
            request.entries.push_back((Flags & FMENU_USEEXT) ? entryFrom(reinterpret_cast<const FarMenuItemEx*>(Item)[i])
                                                            : entryFrom(Item[i]));
        for (int i = 0; BreakKeys && BreakKeys[i] != 0; ++i) request.breakKeys.push_back(BreakKeys[i]);
        MenuChoice choice = runMenu(*context, request);
        if (BreakCode) *BreakCode = choice.breakCode;
        return choice.index;
    });
}

int FARAPI Message(int PluginNumber, DWORD Flags, const char* HelpTopic, const char* const* Items, int ItemsNumber,
                   int ButtonsNumber) {
    const int savedErrno = errno;  // read before anything else can change it
    UiContext* context = modalContext();
    if (!context || (!Items && !(Flags & FMSG_ALLINONE) && ItemsNumber > 0)) return -1;
    return guardedService(-1, [&] {
        std::string error = (Flags & FMSG_ERRORTYPE) && savedErrno ? std::strerror(savedErrno) : "";
        MessageRequest request = messageFromItems(Flags, Items, ItemsNumber, ButtonsNumber, error);
        request.helpTopic = HelpTopic ? HelpTopic : "";
        request.pluginNumber = PluginNumber;
        return runMessage(*context, request);
    });
}

BOOL FARAPI ShowHelp(const char* ModuleName, const char* Topic, DWORD Flags) {
    UiContext* context = modalContext();
    if (!context) return FALSE;
    return guardedService<BOOL>(FALSE, [&]() -> BOOL {
        HelpRequest request;
        request.topic = Topic ? Topic : "";
        request.useContents = Flags & FHELP_USECONTENTS;
        request.showErrors = !(Flags & FHELP_NOSHOWERROR);
        const std::string module = ModuleName ? ModuleName : "";
        const DWORD kind = Flags & ~(FHELP_USECONTENTS | FHELP_NOSHOWERROR);
        // FAR's own help is asked for by the flag or by a topic written ":Topic"; this host has none,
        // and the viewer says so.
        if (kind == FHELP_FARHELP) request.topic = ":" + request.topic;
        else if (kind == FHELP_CUSTOMFILE) request.file = module;
        else if (kind == FHELP_CUSTOMPATH) request.folder = module;
        else if (kind == FHELP_SELFHELP) request.folder = std::filesystem::path(module).parent_path().string();
        else return FALSE;  // an unknown kind names nothing we can look in
        if (kind != FHELP_FARHELP && module.empty()) return FALSE;
        return showHelp(*context, request) ? TRUE : FALSE;
    });
}

}  // namespace skimmer::host::ui
