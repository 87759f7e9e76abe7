// One FAR dialog while it runs: its items, focus, position and flags, the modal loop that feeds it
// input, the DM_* messages a plug-in sends it and the DN_* notifications it sends back.
//
// Contract:
// - The semantics are FAR 1.70's as the plug-in interface documents them: DN_KEY reaches the
//   dialog procedure before any default handling and a non-zero answer stops it; DN_CLOSE may
//   refuse a close; DM_ENABLEREDRAW is a counter and painting happens only at zero; messages the
//   dialog does not know (the plug-in's own, from DM_USER and 0x5000 up) go to the dialog
//   procedure. Deviations are named where they are made.
// - The caller's item array is read once at the start and written back (every item, as the dialog
//   holds it then) when the dialog ends, whatever ends it.
// - A DI_USERCONTROL item without a VBuf of its own gets one from the dialog: W x H cells, handed
//   out with the item (DM_GETDLGITEM, DN_DRAWDLGITEM), valid until the item's size changes or the
//   dialog ends. The procedure draws into it on DN_DRAWDLGITEM; a cell holding 0 right after a
//   double-width character is that character's right half.
// - An edit line with DIF_HISTORY keeps its lines in the context's history under its History name
//   (copied when the dialog starts or at DM_SETHISTORY): Ctrl+Up, Ctrl+Down or a click on the
//   arrow opens the list; a dialog that ends by anything but Esc/F10/-1 adds each such line's text,
//   unless the item has DIF_MANUALADDHISTORY (the plug-in adds with DM_ADDHISTORY). With
//   DIF_USELASTHISTORY an empty line starts with the history's newest entry.
// - Every method runs with the UI lock held (the modal loop holds it; SendDlgMessage takes it).
//   Painting happens only on the UI thread: a change made from another thread marks the dialog
//   dirty and wakes the loop, which paints.
// - The dialog lives on the UI thread's stack inside `run()`; it is in the registry of live
//   dialogs exactly while `run()` runs, so its handle dies with it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "far/dialog.h"
#include "host/ui/edit_line.h"
#include "host/ui/screen_stack.h"
#include "host/ui/ui_context.h"

namespace skimmer::host::ui {

struct DialogLayout {
    int x1 = -1, y1 = -1, x2 = 0, y2 = 0;  // as DialogEx takes them: -1 centres, then x2/y2 are sizes
    std::string helpTopic;
    FarDialogItem* items = nullptr;        // the caller's array, written back on close
    int itemCount = 0;
    DWORD flags = 0;                       // FDLG_*
    FARWINDOWPROC proc = nullptr;          // null: every notification gets DefDlgProc's answer
    LONG_PTR param = 0;                    // arrives with DN_INITDIALOG; DM_GETDLGDATA's first value
    int pluginNumber = -1;                 // whose module folder F1 looks for help in; -1 none
};

// The answer FAR's DefDlgProc gives to a notification (DN_KILLFOCUS -1, DN_CLOSE TRUE, colours
// unchanged, ...); 0 for anything else. `dialog` may be null (a closed dialog).
LONG_PTR defaultDialogAnswer(RunningDialog* dialog, int msg, int param1, LONG_PTR param2);

class RunningDialog : public Layer {
public:
    RunningDialog(UiContext& context, const DialogLayout& layout);
    ~RunningDialog() override;
    RunningDialog(const RunningDialog&) = delete;
    RunningDialog& operator=(const RunningDialog&) = delete;

    // Runs the modal loop on the UI thread; returns the closing item's index or -1. With
    // `paintOnly` the dialog is painted once, left on screen and -1 returned (FAR's message box
    // without buttons).
    int run(bool paintOnly = false);

    // SendDlgMessage, with the UI lock already held by the caller.
    LONG_PTR send(int msg, int param1, LONG_PTR param2);

    HANDLE handle() const { return handle_; }
    void paint(term::CellBuffer& cells) override;
    void paintIfDirty();

    int itemType(int id) const;

private:
    struct Item {
        FarDialogItem farItem{};  // not "far": Windows headers define that as an empty macro
        EditLine edit;
        LONG_PTR userData = 0;
        std::string history;  // the history name; empty: the line has none
        // A DI_USERCONTROL given no VBuf draws into this one, sized to the item on every hand-out
        // (DM_GETDLGITEM, DN_DRAWDLGITEM); it never reaches the caller's item array.
        mutable std::vector<CHAR_INFO> cells;
    };
    using Handler = LONG_PTR (RunningDialog::*)(int, LONG_PTR);

    // Lifecycle and the loop (running_dialog.cpp).
    void initItems();
    void startUp();
    void dispatch(const UiEvent& event);
    void onResize(const ResizeEvent& event);
    void writeBack();
    LONG_PTR notify(int msg, int param1, LONG_PTR param2);
    void markDirty();

    // Focus, buttons, closing (dialog_actions.cpp).
    bool valid(int id) const { return id >= 0 && id < static_cast<int>(items_.size()); }
    bool focusable(int id) const;
    bool isEdit(int id) const;
    int stepFocus(int from, int direction) const;
    bool setFocus(int id);
    bool tryClose(int exitCode);
    void press(int id);
    void toggleCheck(int id, int newState);
    void selectRadio(int id);
    std::pair<int, int> radioGroup(int id) const;
    void enterKey();
    bool hotkey(int key, bool needsAlt);
    void activateHotkeyItem(int id, int key);
    FarDialogItem exportItem(int id) const;
    CHAR_INFO* userCells(int id) const;
    std::string itemText(int id) const;
    void setItemText(int id, std::string_view text);
    void editChanged(int id);
    void help();

    // Keys and mouse (dialog_input.cpp).
    void processKey(int key, bool viaDnKey);
    bool defaultKey(int key);
    bool editKey(int id, int key);
    void moveModeKey(int key);
    void paste(const std::string& text);
    void processMouse(const term::MouseEvent& event);
    int itemAt(int x, int y) const;
    void clickItem(int id, MOUSE_EVENT_RECORD record);
    void dragTo(const term::MouseEvent& event);

    // Histories (dialog_history_list.cpp).
    void initHistory(int id);
    bool hasHistory(int id) const { return valid(id) && !items_[static_cast<size_t>(id)].history.empty(); }
    int historyArrowAt(int x, int y) const;  // the item whose history arrow is at screen (x, y), or -1
    void openHistory(int id);
    void rememberHistories();
    LONG_PTR dmAddHistory(int, LONG_PTR);
    LONG_PTR dmSetHistory(int, LONG_PTR);
    LONG_PTR dmGetDropDownOpened(int, LONG_PTR);

    // Messages (dialog_messages.cpp).
    static Handler handlerFor(int msg);
    LONG_PTR dmClose(int, LONG_PTR);
    LONG_PTR dmEnable(int, LONG_PTR);
    LONG_PTR dmEnableRedraw(int, LONG_PTR);
    LONG_PTR dmGetDlgData(int, LONG_PTR);
    LONG_PTR dmSetDlgData(int, LONG_PTR);
    LONG_PTR dmGetDlgItem(int, LONG_PTR);
    LONG_PTR dmSetDlgItem(int, LONG_PTR);
    LONG_PTR dmGetDlgRect(int, LONG_PTR);
    LONG_PTR dmGetText(int, LONG_PTR);
    LONG_PTR dmGetTextLength(int, LONG_PTR);
    LONG_PTR dmSetText(int, LONG_PTR);
    LONG_PTR dmGetTextPtr(int, LONG_PTR);
    LONG_PTR dmSetTextPtr(int, LONG_PTR);
    LONG_PTR dmSetMaxTextLength(int, LONG_PTR);
    LONG_PTR dmKey(int, LONG_PTR);
    LONG_PTR dmMoveDialog(int, LONG_PTR);
    LONG_PTR dmResizeDialog(int, LONG_PTR);
    LONG_PTR dmSetFocus(int, LONG_PTR);
    LONG_PTR dmGetFocus(int, LONG_PTR);
    LONG_PTR dmRedraw(int, LONG_PTR);
    LONG_PTR dmShowDialog(int, LONG_PTR);
    LONG_PTR dmShowItem(int, LONG_PTR);
    LONG_PTR dmGetCursorPos(int, LONG_PTR);
    LONG_PTR dmSetCursorPos(int, LONG_PTR);
    LONG_PTR dmGetCheck(int, LONG_PTR);
    LONG_PTR dmSetCheck(int, LONG_PTR);
    LONG_PTR dmGetItemPosition(int, LONG_PTR);
    LONG_PTR dmSetItemPosition(int, LONG_PTR);
    LONG_PTR dmSetMouseEventNotify(int, LONG_PTR);
    LONG_PTR dmEditUnchangedFlag(int, LONG_PTR);
    LONG_PTR dmGetItemData(int, LONG_PTR);
    LONG_PTR dmSetItemData(int, LONG_PTR);

    // Painting (dialog_paint.cpp).
    void paintItem(term::CellBuffer& cells, int id);
    void paintBox(term::CellBuffer& cells, int id, DWORD colors);
    void paintText(term::CellBuffer& cells, int id, DWORD colors);
    void paintVText(term::CellBuffer& cells, int id, DWORD colors);
    void paintSeparator(term::CellBuffer& cells, int id, DWORD colors);
    void paintEdit(term::CellBuffer& cells, int id, DWORD colors);
    void paintButton(term::CellBuffer& cells, int id, DWORD colors);
    void paintCheck(term::CellBuffer& cells, int id, DWORD colors);
    void paintUserControl(term::CellBuffer& cells, int id);
    void paintShadow(term::CellBuffer& cells);
    DWORD proposedColors(int id) const;
    int pal(int index) const;
    void layoutCenterGroups();

    UiContext& context_;
    FarDialogItem* callerItems_;
    std::vector<Item> items_;
    FARWINDOWPROC proc_;
    DWORD flags_;
    std::string helpTopic_;
    int pluginNumber_;
    LONG_PTR dlgData_;
    HANDLE handle_ = nullptr;

    int x_ = 0, y_ = 0, width_ = 0, height_ = 0;  // screen rectangle
    bool centredX_ = false, centredY_ = false;
    int focus_ = -1;
    int exitCode_ = -1;
    bool closed_ = false;
    bool shown_ = false;
    bool visible_ = true;          // DM_SHOWDIALOG
    bool dirty_ = false;
    int redrawCounter_ = 0;        // DM_ENABLEREDRAW; paint only at 0
    bool mouseNotify_ = false;     // DM_SETMOUSEEVENTNOTIFY
    bool moveMode_ = false;        // Ctrl+F5 keyboard move in progress
    bool dropDownOpen_ = false;    // a history list is open (DM_GETDROPDOWNOPENED)
    int moveFromX_ = 0, moveFromY_ = 0;
    bool dragging_ = false;        // mouse drag of the dialog in progress
    // Re-entry guards: a procedure that answers DN_CLOSE with DM_CLOSE, DN_KILLFOCUS with
    // DM_SETFOCUS or DN_DRAWDLGITEM with DM_REDRAW must not recurse until the stack runs out.
    bool closing_ = false;
    bool killingFocus_ = false;
    bool painting_ = false;
    int dragDx_ = 0, dragDy_ = 0;
};

}  // namespace skimmer::host::ui
