// The demo plug-in's entry points: FAR 1.70's exports with C linkage. A plug-ins-menu entry opens
// a menu of demos; the configuration entry opens the settings-style dialog.
#include <algorithm>
#include <cstring>
#include <exception>

#include "tests/plugins/demo/demo.h"

namespace skimmer::demo {

namespace {

PluginStartupInfo startupInfo{};
FarStandardFunctions standardFunctions{};

const char* const kMenuStrings[] = {"Demo dialogs"};
const char* const kConfigStrings[] = {"Demo configuration"};

// The demo chooser: one entry per demo, run until Esc.
void chooser() {
    using Demo = void (*)();
    struct Entry {
        const char* text;
        Demo run;
    };
    static const Entry entries[] = {
        {"&Dialog with every item", everyItemDialog}, {"&Settings dialog", settingsDialog},
        {"&Menu with break keys", menuWithBreakKeys},  {"M&essage boxes", messageBoxes},
        {"&Threaded dialog", threadedDialog},
    };
    constexpr int count = sizeof entries / sizeof entries[0];
    FarMenuItem items[count] = {};
    for (int i = 0; i < count; ++i) std::strncpy(items[i].Text, entries[i].text, sizeof items[i].Text - 1);
    int selected = 0;
    while (true) {
        for (int i = 0; i < count; ++i) items[i].Selected = i == selected;
        int breakCode = -1;
        selected = info().Menu(info().ModuleNumber, -1, -1, 0, FMENU_WRAPMODE, "Demos", "Esc to leave", "Contents",
                               nullptr, &breakCode, items, count);
        if (selected < 0) return;
        entries[selected].run();
    }
}

}  // namespace

const PluginStartupInfo& info() { return startupInfo; }

void keepInfo(const PluginStartupInfo& given) {
    std::memcpy(&startupInfo, &given, std::min<size_t>(sizeof startupInfo, static_cast<size_t>(given.StructSize)));
    if (given.FSF) {
        standardFunctions = *given.FSF;
        startupInfo.FSF = &standardFunctions;
    }
}

void showResult(const std::string& line) {
    const char* items[] = {"Result", line.c_str(), "OK"};
    info().Message(info().ModuleNumber, 0, "", items, 3, 1);
}

}  // namespace skimmer::demo

using namespace skimmer::demo;

FAR_EXPORT void FARAPI SetStartupInfo(const PluginStartupInfo* Info) {
    if (Info) keepInfo(*Info);
}

FAR_EXPORT void FARAPI GetPluginInfo(PluginInfo* Info) {
    if (!Info) return;
    Info->StructSize = sizeof(PluginInfo);
    Info->Flags = 0;
    Info->DiskMenuStringsNumber = 0;
    Info->PluginMenuStrings = kMenuStrings;
    Info->PluginMenuStringsNumber = 1;
    Info->PluginConfigStrings = kConfigStrings;
    Info->PluginConfigStringsNumber = 1;
    Info->CommandPrefix = "demo";
}

FAR_EXPORT HANDLE FARAPI OpenPlugin(int OpenFrom, INT_PTR) {
    try {
        if (OpenFrom == OPEN_PLUGINSMENU || OpenFrom == OPEN_COMMANDLINE) chooser();
    } catch (const std::exception&) {
        // Nothing may unwind into the host; a demo that failed simply ends.
    }
    return INVALID_HANDLE_VALUE;
}

FAR_EXPORT int FARAPI Configure(int) {
    try {
        settingsDialog();
        return TRUE;
    } catch (const std::exception&) {
        return FALSE;
    }
}

FAR_EXPORT void FARAPI ExitFAR() {}
