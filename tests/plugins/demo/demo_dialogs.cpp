// The demos: each opens host windows through the service table exactly as a plug-in would, and
// reports what came back with showResult.
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/plugins/demo/demo.h"

namespace skimmer::demo {

namespace {

FarDialogItem item(int type, int x1, int y1, int x2, int y2, const char* text, DWORD flags = 0) {
    FarDialogItem out{};
    out.Type = type;
    out.X1 = x1;
    out.Y1 = y1;
    out.X2 = x2;
    out.Y2 = y2;
    out.Flags = flags;
    std::strncpy(out.Data, text, sizeof out.Data - 1);
    return out;
}

LONG_PTR send(HANDLE dlg, int msg, int param1, LONG_PTR param2) { return info().SendDlgMessage(dlg, msg, param1, param2); }

void setText(HANDLE dlg, int id, const std::string& text) {
    send(dlg, DM_SETTEXTPTR, id, reinterpret_cast<LONG_PTR>(text.c_str()));
}

// ---- Every item ----

enum EveryItem { kBox, kNameLabel, kName, kPassLabel, kPass, kSep1, kCheck, kThree, kFirst, kSecond, kColoured,
                 kDisabled, kUser, kSep2, kOk, kApply, kCancel, kEveryCount };

constexpr int kUserWidth = 20, kUserHeight = 2;
std::array<CHAR_INFO, kUserWidth * kUserHeight> userCells{};
int userKeys = 0;

void fillUserControl() {
    const std::string lines[2] = {"User control", "keys: " + std::to_string(userKeys)};
    for (int row = 0; row < kUserHeight; ++row)
        for (int col = 0; col < kUserWidth; ++col) {
            auto& cell = userCells[static_cast<size_t>(row * kUserWidth + col)];
            const std::string& line = lines[row];
            cell.Char.UnicodeChar = col < static_cast<int>(line.size()) ? static_cast<WCHAR>(line[static_cast<size_t>(col)]) : L' ';
            cell.Attributes = row == 0 ? 0x1E : 0x2F;
        }
}

LONG_PTR FARAPI everyItemProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (msg == DN_DRAWDLGITEM && param1 == kUser) fillUserControl();
    if (msg == DN_KEY && param1 == kUser && param2 != KEY_TAB && param2 != KEY_SHIFTTAB && param2 != KEY_ESC &&
        param2 != KEY_ENTER) {
        ++userKeys;
        send(dlg, DM_REDRAW, 0, 0);
        return TRUE;
    }
    if (msg == DN_BTNCLICK && param1 == kApply) {
        setText(dlg, kBox, "Applied");
        return TRUE;
    }
    return info().DefDlgProc(dlg, msg, param1, param2);
}

}  // namespace

void everyItemDialog() {
    userKeys = 0;
    std::vector<FarDialogItem> items = {
        item(DI_DOUBLEBOX, 3, 1, 56, 14, "Every item"),
        item(DI_TEXT, 5, 2, 0, 2, "&Name:"),
        item(DI_EDIT, 16, 2, 52, 2, "demo text"),
        item(DI_TEXT, 5, 3, 0, 3, "&Password:"),
        item(DI_PSWEDIT, 16, 3, 52, 3, "secret"),
        item(DI_TEXT, 0, 4, 0, 4, "Options", DIF_SEPARATOR | DIF_BOXCOLOR),
        item(DI_CHECKBOX, 5, 5, 0, 5, "&Check me"),
        item(DI_CHECKBOX, 5, 6, 0, 6, "&Three states", DIF_3STATE),
        item(DI_RADIOBUTTON, 5, 7, 0, 7, "&First", DIF_GROUP),
        item(DI_RADIOBUTTON, 5, 8, 0, 8, "&Second"),
        item(DI_TEXT, 30, 5, 0, 5, "Coloured", DIF_SETCOLOR | 0x4E),
        item(DI_TEXT, 30, 6, 0, 6, "Disabled", DIF_DISABLE),
        item(DI_USERCONTROL, 30, 7, 30 + kUserWidth - 1, 7 + kUserHeight - 1, ""),
        item(DI_TEXT, 0, 12, 0, 12, "", DIF_SEPARATOR),
        item(DI_BUTTON, 0, 13, 0, 13, "&OK", DIF_CENTERGROUP),
        item(DI_BUTTON, 0, 13, 0, 13, "&Apply", DIF_CENTERGROUP | DIF_BTNNOCLOSE),
        item(DI_BUTTON, 0, 13, 0, 13, "Cancel", DIF_CENTERGROUP),
    };
    items[kFirst].Selected = 1;
    items[kOk].DefaultButton = 1;
    items[kUser].VBuf = userCells.data();
    fillUserControl();
    int exit = info().DialogEx(info().ModuleNumber, -1, -1, 60, 16, "EveryItem", items.data(), kEveryCount, 0, 0,
                               everyItemProc, 0);
    showResult("exit=" + std::to_string(exit) + " name=" + items[kName].Data + " check=" +
               std::to_string(items[kCheck].Selected) + " radio=" + (items[kSecond].Selected ? "second" : "first") +
               " keys=" + std::to_string(userKeys));
}

// ---- Settings ----

namespace {

enum Settings { kSBox, kEnable, kExtraLabel, kExtra, kSOk, kSCancel, kSettingsCount };

LONG_PTR FARAPI settingsProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (msg == DN_BTNCLICK && param1 == kEnable) {
        send(dlg, DM_ENABLE, kExtraLabel, param2 != 0);
        send(dlg, DM_ENABLE, kExtra, param2 != 0);
    }
    // A close on OK with "no" in the field is refused, and the dialog says why.
    if (msg == DN_CLOSE && param1 == kSOk) {
        char text[16] = {};
        FarDialogItemData data{sizeof text - 1, text};
        send(dlg, DM_GETTEXT, kExtra, reinterpret_cast<LONG_PTR>(&data));
        if (std::strcmp(text, "no") == 0) {
            const char* lines[] = {"Settings", "\"no\" is not accepted", "OK"};
            info().Message(info().ModuleNumber, FMSG_WARNING, "", lines, 3, 1);
            return FALSE;
        }
    }
    return info().DefDlgProc(dlg, msg, param1, param2);
}

}  // namespace

void settingsDialog() {
    std::vector<FarDialogItem> items = {
        item(DI_DOUBLEBOX, 3, 1, 46, 7, "Demo settings"),
        item(DI_CHECKBOX, 5, 2, 0, 2, "&Enable extra"),
        item(DI_TEXT, 5, 3, 0, 3, "E&xtra:", DIF_DISABLE),
        item(DI_EDIT, 13, 3, 44, 3, "", DIF_DISABLE),
        item(DI_BUTTON, 0, 5, 0, 5, "&OK", DIF_CENTERGROUP),
        item(DI_BUTTON, 0, 5, 0, 5, "Cancel", DIF_CENTERGROUP),
    };
    int exit = info().DialogEx(info().ModuleNumber, -1, -1, 50, 9, "Settings", items.data(), kSettingsCount, 0, 0,
                               settingsProc, 0);
    showResult("exit=" + std::to_string(exit) + " enabled=" + std::to_string(items[kEnable].Selected) +
               " extra=" + items[kExtra].Data);
}

// ---- Menu ----

void menuWithBreakKeys() {
    std::vector<FarMenuItem> items(30);
    for (int i = 0; i < 30; ++i) {
        std::string text = i == 0 ? "&Alpha" : i == 1 ? "&Beta" : "Item " + std::to_string(i);
        std::strncpy(items[static_cast<size_t>(i)].Text, text.c_str(), sizeof items[0].Text - 1);
    }
    items[2].Checked = 1;
    items[5].Separator = 1;
    const int breakKeys[] = {VK_F4, VK_INSERT, VK_DELETE, VK_UP | (PKF_CONTROL << 16), 0};
    int selected = 0;
    while (true) {
        for (auto& entry : items) entry.Selected = 0;
        items[static_cast<size_t>(selected)].Selected = 1;
        int breakCode = -1;
        int chosen = info().Menu(info().ModuleNumber, -1, -1, 10, FMENU_WRAPMODE, "Long menu", "F4 Ins Del Ctrl+Up",
                                 "", breakKeys, &breakCode, items.data(), static_cast<int>(items.size()));
        if (breakCode < 0) {
            showResult("chosen=" + std::to_string(chosen));
            return;
        }
        selected = chosen < 0 ? 0 : chosen;
        showResult("break=" + std::to_string(breakCode) + " item=" + std::to_string(chosen));
    }
}

// ---- Messages ----

void messageBoxes() {
    const char* question[] = {"Question", "Do you like dialogs?"};
    int answer = info().Message(info().ModuleNumber, FMSG_MB_YESNO, "", question, 2, 0);
    const char* warning[] = {"Warning", "Something odd happened", "\x01", "Left-aligned detail", "&Retry", "&Skip",
                             "&Cancel"};
    int pressed = info().Message(info().ModuleNumber, FMSG_WARNING | FMSG_LEFTALIGN, "", warning, 7, 3);
    const char* working[] = {"Working", "Please wait..."};
    info().Message(info().ModuleNumber, 0, "", working, 2, 0);  // returns at once and stays on screen
    showResult("yesno=" + std::to_string(answer) + " warning=" + std::to_string(pressed));
}

// ---- Threaded ----

namespace {

enum Threaded { kTBox, kCounter, kTEdit, kTClose, kThreadedCount };

std::atomic<HANDLE> threadedHandle{nullptr};

LONG_PTR FARAPI threadedProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (msg == DN_INITDIALOG) threadedHandle = dlg;
    return info().DefDlgProc(dlg, msg, param1, param2);
}

}  // namespace

// A second thread counts to 100 in the dialog's text through SendDlgMessage while the user may
// type in the edit field; the host serialises the two. The thread's messages after the dialog
// closed are harmless by the host's contract.
void threadedDialog() {
    std::vector<FarDialogItem> items = {
        item(DI_DOUBLEBOX, 3, 1, 36, 6, "Threaded"),
        item(DI_TEXT, 5, 2, 0, 2, "Count: 0"),
        item(DI_EDIT, 5, 3, 34, 3, ""),
        item(DI_BUTTON, 0, 4, 0, 4, "&Close", DIF_CENTERGROUP),
    };
    threadedHandle = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<int> sent{0};
    std::thread counter([&] {
        while (!threadedHandle.load() && !stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        for (int i = 1; i <= 100 && !stop; ++i) {
            setText(threadedHandle, kCounter, i == 100 ? "Count: 100 done" : "Count: " + std::to_string(i));
            ++sent;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    int exit = info().DialogEx(info().ModuleNumber, -1, -1, 40, 8, "Threaded", items.data(), kThreadedCount, 0, 0,
                               threadedProc, 0);
    stop = true;
    counter.join();
    showResult("exit=" + std::to_string(exit) + " sent=" + std::to_string(sent.load()) + " typed=" + items[kTEdit].Data);
}

}  // namespace skimmer::demo
