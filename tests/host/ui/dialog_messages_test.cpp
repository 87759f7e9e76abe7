// The DM_* messages a plug-in sends to a running dialog, and what happens to messages the dialog
// does not know or that reach a dialog that has closed.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/ui/ui_harness.h"

namespace skimmer::host::ui::test {
namespace {

// Runs the standard dialog; `body` runs while it is open, with its handle; then Esc.
template <class F>
void whileOpen(UiHarness& ui, ProcScript& proc, std::vector<FarDialogItem>& items, F body) {
    ui.events.then([&] { body(proc.hDlg); }).key(KEY_ESC);
    runDialog(items, &proc);
}

TEST(DialogMessages, TextGoesInAndOutWithoutEditChange) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        char text[] = "new text";
        FarDialogItemData in{0, text};
        EXPECT_EQ(SendDlgMessage(dlg, DM_SETTEXT, kEdit, reinterpret_cast<LONG_PTR>(&in)), 8);
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETTEXT, kEdit, 0), 8) << "no buffer: the length";
        char out[5] = {};
        FarDialogItemData get{4, out};
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETTEXT, kEdit, reinterpret_cast<LONG_PTR>(&get)), 4);
        EXPECT_STREQ(out, "new ");
        FarDialogItemData title{3, text};
        EXPECT_EQ(SendDlgMessage(dlg, DM_SETTEXT, kFrame, reinterpret_cast<LONG_PTR>(&title)), 3);
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETTEXTLENGTH, kFrame, 0), 3);
        SendDlgMessage(dlg, DM_REDRAW, 0, 0);
        EXPECT_NE(ui.find(kDlgY + 1, " new "), -1);
        EXPECT_NE(ui.find(kDlgY + 3, "new text"), -1);
    });
    EXPECT_EQ(proc.count(DN_EDITCHANGE), 0);
    EXPECT_EQ(dataOf(items[kEdit]), "new text");
    EXPECT_EQ(dataOf(items[kFrame]), "new");
}

TEST(DialogMessages, GetTextNeverSplitsACharacter) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        SendDlgMessage(dlg, DM_SETTEXTPTR, kEdit, reinterpret_cast<LONG_PTR>("a\xE2\x82\xAC"));
        char out[4] = {};
        FarDialogItemData get{2, out};
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETTEXT, kEdit, reinterpret_cast<LONG_PTR>(&get)), 1);
        EXPECT_STREQ(out, "a");
    });
}

TEST(DialogMessages, ItemsCanBeReadAndReplacedButNotRetyped) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        FarDialogItem got{};
        ASSERT_TRUE(SendDlgMessage(dlg, DM_GETDLGITEM, kEdit, reinterpret_cast<LONG_PTR>(&got)));
        EXPECT_EQ(got.Type, DI_EDIT);
        EXPECT_EQ(got.Focus, 1);
        EXPECT_STREQ(got.Data, "hello");
        got.X2 = 20;
        std::strcpy(got.Data, "replaced");
        EXPECT_TRUE(SendDlgMessage(dlg, DM_SETDLGITEM, kEdit, reinterpret_cast<LONG_PTR>(&got)));
        got.Type = DI_BUTTON;
        EXPECT_FALSE(SendDlgMessage(dlg, DM_SETDLGITEM, kEdit, reinterpret_cast<LONG_PTR>(&got)));
        EXPECT_FALSE(SendDlgMessage(dlg, DM_GETDLGITEM, 99, reinterpret_cast<LONG_PTR>(&got)));
        SMALL_RECT rect{};
        EXPECT_TRUE(SendDlgMessage(dlg, DM_GETITEMPOSITION, kEdit, reinterpret_cast<LONG_PTR>(&rect)));
        EXPECT_EQ(rect.Left, 5);
        EXPECT_EQ(rect.Right, 20);
        EXPECT_EQ(rect.Top, 3);
    });
    EXPECT_EQ(dataOf(items[kEdit]), "replaced");
}

TEST(DialogMessages, RectMoveAndResizeReportWhatTheyDid) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        SMALL_RECT rect{};
        ASSERT_TRUE(SendDlgMessage(dlg, DM_GETDLGRECT, 0, reinterpret_cast<LONG_PTR>(&rect)));
        EXPECT_EQ(rect.Left, kDlgX);
        EXPECT_EQ(rect.Top, kDlgY);
        EXPECT_EQ(rect.Right, kDlgX + 39);
        EXPECT_EQ(rect.Bottom, kDlgY + 9);
        COORD by{-5, 2};
        EXPECT_EQ(SendDlgMessage(dlg, DM_MOVEDIALOG, 0, reinterpret_cast<LONG_PTR>(&by)), reinterpret_cast<LONG_PTR>(&by));
        EXPECT_EQ(by.X, kDlgX - 5);
        EXPECT_EQ(by.Y, kDlgY + 2);
        COORD to{1, 1};
        SendDlgMessage(dlg, DM_MOVEDIALOG, 1, reinterpret_cast<LONG_PTR>(&to));
        SendDlgMessage(dlg, DM_REDRAW, 0, 0);
        EXPECT_EQ(ui.find(2, "\u2554"), 4) << "the frame follows the dialog";
        EXPECT_EQ(ui.find(kDlgY + 1, "\u2554"), -1) << "nothing is left where it was";
        COORD size{200, 12};
        SendDlgMessage(dlg, DM_RESIZEDIALOG, 0, reinterpret_cast<LONG_PTR>(&size));
        EXPECT_EQ(size.X, 80) << "cut to the screen";
        EXPECT_EQ(size.Y, 12);
        SendDlgMessage(dlg, DM_GETDLGRECT, 0, reinterpret_cast<LONG_PTR>(&rect));
        EXPECT_EQ(rect.Left, 0) << "moved to stay on screen";
        EXPECT_EQ(rect.Right, 79);
    });
}

TEST(DialogMessages, FocusCanBeSetAndKillFocusCanRedirectOrRefuse) {
    UiHarness ui;
    ProcScript proc;
    LONG_PTR killAnswer = -1;
    proc.handler = [&](HANDLE, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_KILLFOCUS) return killAnswer;
        return std::nullopt;
    };
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        EXPECT_TRUE(SendDlgMessage(dlg, DM_SETFOCUS, kOk, 0));
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETFOCUS, 0, 0), kOk);
        killAnswer = kCancel;
        EXPECT_TRUE(SendDlgMessage(dlg, DM_SETFOCUS, kEdit, 0));
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETFOCUS, 0, 0), kCancel);
        killAnswer = kCancel;  // the item keeps the focus
        EXPECT_FALSE(SendDlgMessage(dlg, DM_SETFOCUS, kEdit, 0));
        EXPECT_FALSE(SendDlgMessage(dlg, DM_SETFOCUS, kLabel, 0)) << "a label cannot take the focus";
    });
}

TEST(DialogMessages, EnableDisablesAndDisabledItemsAreSkipped) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    ui.events.then([&] {
        EXPECT_EQ(SendDlgMessage(proc.hDlg, DM_ENABLE, kCheck, FALSE), TRUE);
        EXPECT_EQ(SendDlgMessage(proc.hDlg, DM_ENABLE, kCheck, -1), FALSE);
        SendDlgMessage(proc.hDlg, DM_REDRAW, 0, 0);
        EXPECT_EQ(ui.attr(kDlgX + 9, kDlgY + 4), farapi::kFarDefaultPalette[COL_DIALOGDISABLED]);
    });
    ui.events.key(KEY_TAB).key(KEY_ENTER);
    EXPECT_EQ(runDialog(items, &proc), kOk);
    EXPECT_NE(items[kCheck].Flags & DIF_DISABLE, 0u);
}

TEST(DialogMessages, EnableRedrawIsACounterAndPaintsOnlyAtZero) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        auto setTitle = [&](const char* text) { SendDlgMessage(dlg, DM_SETTEXTPTR, kFrame, reinterpret_cast<LONG_PTR>(text)); };
        EXPECT_EQ(SendDlgMessage(dlg, DM_ENABLEREDRAW, FALSE, 0), 0);
        EXPECT_EQ(SendDlgMessage(dlg, DM_ENABLEREDRAW, FALSE, 0), -1);
        setTitle("First");
        SendDlgMessage(dlg, DM_REDRAW, 0, 0);
        EXPECT_EQ(ui.find(kDlgY + 1, "First"), -1) << "locked twice";
        EXPECT_EQ(SendDlgMessage(dlg, DM_ENABLEREDRAW, TRUE, 0), -2);
        SendDlgMessage(dlg, DM_REDRAW, 0, 0);
        EXPECT_EQ(ui.find(kDlgY + 1, "First"), -1) << "still locked once";
        EXPECT_EQ(SendDlgMessage(dlg, DM_ENABLEREDRAW, -1, 0), -1);
        EXPECT_EQ(SendDlgMessage(dlg, DM_ENABLEREDRAW, TRUE, 0), -1);
        SendDlgMessage(dlg, DM_REDRAW, 0, 0);
        EXPECT_NE(ui.find(kDlgY + 1, "First"), -1) << "back at zero";
    });
}

TEST(DialogMessages, CursorUnchangedFlagItemDataAndChecks) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        COORD pos{};
        EXPECT_TRUE(SendDlgMessage(dlg, DM_GETCURSORPOS, kEdit, reinterpret_cast<LONG_PTR>(&pos)));
        EXPECT_EQ(pos.X, 5);
        EXPECT_EQ(pos.Y, 0);
        EXPECT_FALSE(SendDlgMessage(dlg, DM_GETCURSORPOS, kOk, reinterpret_cast<LONG_PTR>(&pos)));
        EXPECT_EQ(SendDlgMessage(dlg, DM_EDITUNCHANGEDFLAG, kEdit, -1), 1);
        EXPECT_EQ(SendDlgMessage(dlg, DM_SETITEMDATA, kOk, 0x1234), 0);
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETITEMDATA, kOk, 0), 0x1234);
        EXPECT_EQ(SendDlgMessage(dlg, DM_SETCHECK, kCheck, BSTATE_CHECKED), BSTATE_UNCHECKED);
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETCHECK, kCheck, 0), BSTATE_CHECKED);
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETDLGDATA, 0, 0), 0);
        EXPECT_EQ(SendDlgMessage(dlg, DM_SETDLGDATA, 0, 77), 0);
        EXPECT_EQ(SendDlgMessage(dlg, DM_GETDLGDATA, 0, 0), 77);
    });
}

TEST(DialogMessages, UnknownMessagesGoToTheDialogProcedure) {
    UiHarness ui;
    ProcScript proc;
    proc.handler = [](HANDLE, int msg, int p1, LONG_PTR p2) -> std::optional<LONG_PTR> {
        if (msg == 0x5000) return p1 + p2;
        return std::nullopt;
    };
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        EXPECT_EQ(SendDlgMessage(dlg, 0x5000, 2, 40), 42);
        EXPECT_EQ(SendDlgMessage(dlg, DM_USER + 7, 0, 0), 0) << "DefDlgProc answers 0 to what it does not know";
    });
    EXPECT_EQ(proc.count(0x5000), 1);
}

TEST(DialogMessages, MessagesToAClosedOrUnknownDialogAreHarmless) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    ui.events.key(KEY_ESC);
    runDialog(items, &proc);
    const auto before = proc.log.size();
    EXPECT_EQ(SendDlgMessage(proc.hDlg, DM_SETTEXTPTR, kEdit, reinterpret_cast<LONG_PTR>("x")), 0);
    EXPECT_EQ(SendDlgMessage(proc.hDlg, 0x5000, 0, 0), 0);
    EXPECT_EQ(SendDlgMessage(nullptr, DM_GETFOCUS, 0, 0), 0);
    EXPECT_EQ(SendDlgMessage(reinterpret_cast<HANDLE>(1), DM_CLOSE, 0, 0), 0);
    EXPECT_EQ(proc.log.size(), before) << "nothing reached the dead dialog's procedure";
}

TEST(DialogMessages, CloseFromTheProcedureReportsTheFocusedItemForMinusOne) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    ui.events.key(KEY_TAB).then([&] { EXPECT_TRUE(SendDlgMessage(proc.hDlg, DM_CLOSE, -1, 0)); });
    EXPECT_EQ(runDialog(items, &proc), kCheck);
    ProcScript second;
    auto again = standardItems();
    ui.events.then([&] { SendDlgMessage(second.hDlg, DM_CLOSE, kCancel, 0); });
    EXPECT_EQ(runDialog(again, &second), kCancel);
}

TEST(DialogMessages, ProceduresThatAnswerWithTheSameRequestDoNotRecurse) {
    UiHarness ui;
    ProcScript proc;
    proc.handler = [](HANDLE dlg, int msg, int id, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_CLOSE) return SendDlgMessage(dlg, DM_CLOSE, id, 0) || TRUE;
        if (msg == DN_KILLFOCUS) return SendDlgMessage(dlg, DM_SETFOCUS, kCancel, 0) ? kCancel : -1;
        if (msg == DN_DRAWDLGITEM) SendDlgMessage(dlg, DM_REDRAW, 0, 0);
        return std::nullopt;
    };
    auto items = standardItems();
    ui.events.key(KEY_TAB).then([&] { EXPECT_EQ(SendDlgMessage(proc.hDlg, DM_GETFOCUS, 0, 0), kCheck); });
    ui.events.key(KEY_ESC);
    EXPECT_EQ(runDialog(items, &proc), -1);
    EXPECT_EQ(proc.count(DN_CLOSE), 1);
}

TEST(DialogMessages, DmKeyTypesWithoutDnKey) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    whileOpen(ui, proc, items, [&](HANDLE dlg) {
        DWORD keys[] = {'a', 'b'};
        SendDlgMessage(dlg, DM_KEY, 2, reinterpret_cast<LONG_PTR>(keys));
    });
    EXPECT_EQ(dataOf(items[kEdit]), "ab");
    EXPECT_EQ(proc.count(DN_KEY), 1) << "only the Esc that closed it";
}

TEST(DialogMessages, MouseEventsAreOfferedWhenAskedForAndClicksPressButtons) {
    UiHarness ui;
    ProcScript proc;
    proc.handler = [&](HANDLE dlg, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_INITDIALOG) {
            EXPECT_EQ(SendDlgMessage(dlg, DM_SETMOUSEEVENTNOTIFY, 1, 0), 0);
        }
        return std::nullopt;
    };
    auto items = standardItems();
    ui.events.click(kDlgX + 7, kDlgY + 6);
    EXPECT_EQ(runDialog(items, &proc), kOk);
    ASSERT_EQ(proc.count(DN_MOUSEEVENT), 1) << "the press; the dialog was gone before the release";
    auto clicks = proc.of(DN_MOUSECLICK);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].param1, kOk);
}

TEST(DialogMessages, ClickOutsideCancelsAndUserControlsHearRelativeClicks) {
    {
        UiHarness ui;
        auto items = standardItems();
        ui.events.click(1, 1);
        EXPECT_EQ(runDialog(items), -1);
    }
    UiHarness ui;
    ProcScript proc;
    std::array<CHAR_INFO, 20> buffer{};
    std::vector<FarDialogItem> items = {item(DI_USERCONTROL, 4, 2, 13, 3), item(DI_BUTTON, 4, 5, 0, 5, "B")};
    items[0].VBuf = buffer.data();
    COORD seen{-1, -1};
    proc.handler = [&](HANDLE, int msg, int id, LONG_PTR p2) -> std::optional<LONG_PTR> {
        if (msg == DN_MOUSECLICK && id == 0) {
            seen = reinterpret_cast<MOUSE_EVENT_RECORD*>(p2)->dwMousePosition;
            return TRUE;
        }
        return std::nullopt;
    };
    ui.events.click(kDlgX + 7, kDlgY + 3).key(KEY_ESC);
    runDialog(items, &proc);
    EXPECT_EQ(seen.X, 3);
    EXPECT_EQ(seen.Y, 1);
}

TEST(DialogMessages, ResizeConsoleIsAnnouncedAndACentredDialogFollows) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    COORD announced{};
    proc.handler = [&](HANDLE, int msg, int, LONG_PTR p2) -> std::optional<LONG_PTR> {
        if (msg == DN_RESIZECONSOLE) announced = *reinterpret_cast<COORD*>(p2);
        return std::nullopt;
    };
    ui.events.then([&] { ui.cells().resize(100, 30); }).push(ResizeEvent{100, 30}).then([&] {
        EXPECT_EQ(ui.find(11, "\u2554"), 33) << "re-centred: (100 - 40) / 2 + 3, row (30 - 10) / 2 + 1";
        EXPECT_EQ(ui.row(29), std::string(100, '.')) << "the application redrew the background";
    });
    ui.events.key(KEY_ESC);
    runDialog(items, &proc);
    EXPECT_EQ(announced.X, 100);
    EXPECT_EQ(announced.Y, 30);
}

TEST(DialogMessages, DraggingWithCtrlF5AsksFirstAndReportsTheEnd) {
    UiHarness ui;
    ProcScript proc;
    bool allow = false;
    proc.handler = [&](HANDLE, int msg, int p1, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_DRAGGED && p1 == 0) return allow;
        return std::nullopt;
    };
    auto items = standardItems();
    SMALL_RECT rect{};
    auto readRect = [&] { SendDlgMessage(proc.hDlg, DM_GETDLGRECT, 0, reinterpret_cast<LONG_PTR>(&rect)); };
    ui.events.key(KEY_CTRLF5).key(KEY_LEFT).then(readRect).then([&] {
        EXPECT_EQ(rect.Left, kDlgX) << "refused: no move mode; Left went to the edit";
        allow = true;
    });
    ui.events.key(KEY_CTRLF5).key(KEY_LEFT).key(KEY_DOWN).key(KEY_ENTER).then(readRect).then([&] {
        EXPECT_EQ(rect.Left, kDlgX - 1);
        EXPECT_EQ(rect.Top, kDlgY + 1);
    });
    ui.events.key(KEY_ESC);
    EXPECT_EQ(runDialog(items, &proc), -1);
    auto drags = proc.of(DN_DRAGGED);
    ASSERT_EQ(drags.size(), 3u);
    EXPECT_EQ(drags[2].param1, 1);
    EXPECT_EQ(drags[2].param2, 0);
}

TEST(DialogMessages, DraggingWithTheMouseMovesTheDialog) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    SMALL_RECT rect{};
    ui.events.push(term::MouseEvent{kDlgX + 1, kDlgY, term::kLeftButton, 0, 0, 0});
    ui.events.push(term::MouseEvent{kDlgX + 5, kDlgY + 3, term::kLeftButton, 0, term::kMouseMoved, 0});
    ui.events.push(term::MouseEvent{kDlgX + 5, kDlgY + 3, 0, 0, 0, 0});
    ui.events.then([&] { SendDlgMessage(proc.hDlg, DM_GETDLGRECT, 0, reinterpret_cast<LONG_PTR>(&rect)); });
    ui.events.key(KEY_ESC);
    runDialog(items, &proc);
    EXPECT_EQ(rect.Left, kDlgX + 4);
    EXPECT_EQ(rect.Top, kDlgY + 3);
    EXPECT_EQ(proc.count(DN_MOUSECLICK), 0) << "the bare background is not an item";
    auto drags = proc.of(DN_DRAGGED);
    ASSERT_EQ(drags.size(), 2u);
    EXPECT_EQ(drags[1].param1, 1);
}

TEST(DialogMessages, ANestedDialogRunsInsideTheProcedureAndRestoresTheScreen) {
    UiHarness ui;
    ProcScript outer;
    int innerResult = -2;
    std::string underInner;
    outer.handler = [&](HANDLE, int msg, int, LONG_PTR key) -> std::optional<LONG_PTR> {
        if (msg == DN_KEY && key == KEY_F2) {
            std::vector<FarDialogItem> inner = {item(DI_DOUBLEBOX, 3, 1, 16, 4, "Inner"), item(DI_BUTTON, 5, 2, 0, 2, "Yes")};
            innerResult = DialogEx(0, -1, -1, 20, 6, "", inner.data(), 2, 0, 0, nullptr, 0);
            underInner = ui.row(kDlgY + 1);
            return TRUE;
        }
        return std::nullopt;
    };
    auto items = standardItems();
    ui.events.key(KEY_F2).then([&] { EXPECT_NE(ui.find(10, "Inner"), -1); }).key(KEY_ENTER).key(KEY_ESC);
    EXPECT_EQ(runDialog(items, &outer), -1);
    EXPECT_EQ(innerResult, 1);
    EXPECT_NE(underInner.find("Title"), std::string::npos) << "the outer dialog shows again";
}

}  // namespace
}  // namespace skimmer::host::ui::test
