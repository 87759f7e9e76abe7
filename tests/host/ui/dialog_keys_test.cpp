// Keys in a running dialog: DN_KEY first, then FAR's defaults (focus order, Enter and Esc, edit
// fields with their unchanged state, check boxes, radio groups, hot keys), and closing.
#include <gtest/gtest.h>

#include "tests/host/ui/ui_harness.h"

namespace skimmer::host::ui::test {
namespace {

TEST(DialogKeys, EnterClosesWithTheFocusedItemAndEscWithMinusOne) {
    {
        UiHarness ui;
        auto items = standardItems();
        ui.events.key(KEY_ENTER);
        EXPECT_EQ(runDialog(items), kEdit) << "no default button: the focused item's index";
    }
    {
        UiHarness ui;
        auto items = standardItems();
        items[kOk].DefaultButton = 1;
        ui.events.key(KEY_ENTER);
        EXPECT_EQ(runDialog(items), kOk) << "Enter outside a button chooses the default button";
    }
    {
        UiHarness ui;
        auto items = standardItems();
        ui.events.key(KEY_TAB).key(KEY_TAB).key(KEY_TAB).key(KEY_ENTER);
        EXPECT_EQ(runDialog(items), kCancel);
    }
    {
        UiHarness ui;
        auto items = standardItems();
        ui.events.key(KEY_ESC);
        EXPECT_EQ(runDialog(items), -1);
    }
}

TEST(DialogKeys, TabAndShiftTabSkipItemsThatCannotTakeTheFocus) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    items[kCheck].Flags |= DIF_DISABLE;
    items[kOk].Flags |= DIF_NOFOCUS;
    std::vector<LONG_PTR> focus;
    auto record = [&] { focus.push_back(SendDlgMessage(proc.hDlg, DM_GETFOCUS, 0, 0)); };
    ui.events.then(record).key(KEY_TAB).then(record).key(KEY_TAB).then(record).key(KEY_SHIFTTAB).then(record);
    ui.events.key(KEY_ESC);
    runDialog(items, &proc);
    EXPECT_EQ(focus, (std::vector<LONG_PTR>{kEdit, kCancel, kEdit, kCancel}));
    // Every move is announced: the item losing the focus first, then the one getting it.
    auto kills = proc.of(DN_KILLFOCUS);
    auto gots = proc.of(DN_GOTFOCUS);
    ASSERT_EQ(kills.size(), 3u);
    ASSERT_EQ(gots.size(), 4u) << "the first focused item hears DN_GOTFOCUS after DN_INITDIALOG";
    EXPECT_EQ(gots[0].param1, kEdit);
    EXPECT_EQ(kills[0].param1, kEdit);
    EXPECT_EQ(gots[1].param1, kCancel);
}

TEST(DialogKeys, TheFirstPrintableKeyReplacesAnUnchangedEdit) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    ui.events.type("ab").key(KEY_LEFT).type("X").key(KEY_ENTER);
    runDialog(items, &proc);
    EXPECT_EQ(dataOf(items[kEdit]), "aXb");
    ASSERT_EQ(proc.count(DN_EDITCHANGE), 3);
    auto first = proc.of(DN_EDITCHANGE)[0];
    EXPECT_EQ(first.param1, kEdit);
}

TEST(DialogKeys, ClearingTheUnchangedFlagMakesTypingContinueTheText) {
    UiHarness ui;
    ProcScript proc;
    proc.handler = [](HANDLE dlg, int msg, int id, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_GOTFOCUS && id == kEdit) {
            EXPECT_EQ(SendDlgMessage(dlg, DM_EDITUNCHANGEDFLAG, kEdit, -1), 1);
            EXPECT_EQ(SendDlgMessage(dlg, DM_EDITUNCHANGEDFLAG, kEdit, 0), 1);
        }
        return std::nullopt;
    };
    proc.handler = [inner = proc.handler](HANDLE dlg, int msg, int id, LONG_PTR p2) -> std::optional<LONG_PTR> {
        if (msg == DN_EDITCHANGE) {
            EXPECT_EQ(std::string(reinterpret_cast<const FarDialogItem*>(p2)->Data), "hello!");
            return TRUE;
        }
        return inner(dlg, msg, id, p2);
    };
    auto items = standardItems();
    ui.events.type("!").key(KEY_ENTER);
    runDialog(items, &proc);
    EXPECT_EQ(dataOf(items[kEdit]), "hello!");
}

TEST(DialogKeys, EditKeysMoveDeleteAndPaste) {
    UiHarness ui;
    ui.context.setClipboardReader([] { return std::string("12\n34"); });
    auto items = standardItems();
    ui.events.key(KEY_HOME).key(KEY_DEL).key(KEY_END).key(KEY_BS).key(KEY_CTRLV);
    ui.events.push(term::PasteEvent{"\xE2\x82\xAC\tz", false});  // a tab never reaches the field
    ui.events.key(KEY_ENTER);
    runDialog(items);
    EXPECT_EQ(dataOf(items[kEdit]), "ell12\xE2\x82\xACz");
}

TEST(DialogKeys, DelOnAnUnchangedEditClearsIt) {
    UiHarness ui;
    auto items = standardItems();
    ui.events.key(KEY_DEL).key(KEY_ENTER);
    runDialog(items);
    EXPECT_EQ(dataOf(items[kEdit]), "");
}

TEST(DialogKeys, DnKeyHandledStopsTheDefaultAndUnhandledLetsItRun) {
    UiHarness ui;
    ProcScript proc;
    proc.handler = [](HANDLE, int msg, int, LONG_PTR key) -> std::optional<LONG_PTR> {
        if (msg == DN_KEY && key == 'q') return TRUE;
        return std::nullopt;
    };
    auto items = standardItems();
    ui.events.type("qz").key(KEY_ENTER);
    runDialog(items, &proc);
    EXPECT_EQ(dataOf(items[kEdit]), "z");
    auto keys = proc.of(DN_KEY);
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].param1, kEdit) << "Param1 is the focused item";
    EXPECT_EQ(keys[2].param2, KEY_ENTER);
}

TEST(DialogKeys, DnCloseCanRefuse) {
    UiHarness ui;
    ProcScript proc;
    int refusals = 1;
    proc.handler = [&](HANDLE, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_CLOSE) return refusals-- > 0 ? FALSE : TRUE;
        return std::nullopt;
    };
    auto items = standardItems();
    ui.events.key(KEY_ESC).then([&] { EXPECT_NE(ui.find(kDlgY + 1, "Title"), -1) << "still open"; });
    ui.events.key(KEY_TAB).key(KEY_TAB).key(KEY_ENTER);
    EXPECT_EQ(runDialog(items, &proc), kOk);
    auto closes = proc.of(DN_CLOSE);
    ASSERT_EQ(closes.size(), 2u);
    EXPECT_EQ(closes[0].param1, -1);
    EXPECT_EQ(closes[1].param1, kOk);
}

TEST(DialogKeys, ButtonsReportClicksAndBtnNoCloseKeepsTheDialogOpen) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    items[kOk].Flags |= DIF_BTNNOCLOSE;
    ui.events.key(KEY_TAB).key(KEY_TAB).key(KEY_SPACE).key(KEY_ENTER).key(KEY_TAB).key(KEY_ENTER);
    EXPECT_EQ(runDialog(items, &proc), kCancel);
    auto clicks = proc.of(DN_BTNCLICK);
    ASSERT_EQ(clicks.size(), 3u);
    EXPECT_EQ(clicks[0].param1, kOk);
    EXPECT_EQ(clicks[0].param2, 0);
}

TEST(DialogKeys, ButtonClickHandledByTheProcedureDoesNotClose) {
    UiHarness ui;
    ProcScript proc;
    proc.handler = [](HANDLE, int msg, int id, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_BTNCLICK && id == kOk) return TRUE;
        return std::nullopt;
    };
    auto items = standardItems();
    ui.events.key(KEY_TAB).key(KEY_TAB).key(KEY_ENTER).key(KEY_ESC);
    EXPECT_EQ(runDialog(items, &proc), -1);
}

TEST(DialogKeys, CheckBoxesToggleUnlessTheProcedureRefuses) {
    UiHarness ui;
    ProcScript proc;
    bool refuse = false;
    proc.handler = [&](HANDLE, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_BTNCLICK && refuse) return FALSE;
        return std::nullopt;
    };
    auto items = standardItems();
    ui.events.key(KEY_TAB).key(KEY_SPACE).then([&] {
        EXPECT_EQ(ui.find(kDlgY + 4, "[x] Check"), kDlgX + 5);
        refuse = true;
    });
    ui.events.key(KEY_SPACE).key(KEY_ENTER);
    runDialog(items, &proc);
    EXPECT_EQ(items[kCheck].Selected, 1);
    auto clicks = proc.of(DN_BTNCLICK);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].param2, 1) << "Param2 is the new state";
    EXPECT_EQ(clicks[1].param2, 0);
}

TEST(DialogKeys, RadioGroupsSelectOneAndReportBothEnds) {
    UiHarness ui;
    ProcScript proc;
    std::vector<FarDialogItem> items = {
        item(DI_RADIOBUTTON, 5, 2, 0, 2, "&One", DIF_GROUP), item(DI_RADIOBUTTON, 5, 3, 0, 3, "&Two"),
        item(DI_RADIOBUTTON, 5, 4, 0, 4, "T&hree"),          item(DI_RADIOBUTTON, 5, 5, 0, 5, "&Four", DIF_GROUP),
        item(DI_RADIOBUTTON, 5, 6, 0, 6, "&Five"),
    };
    items[0].Selected = 1;
    items[3].Selected = 1;
    ui.events.key(KEY_ALT | 'H').then([&] { EXPECT_EQ(ui.find(kDlgY + 4, "(\u2022) Three"), kDlgX + 5); });
    ui.events.key(KEY_ESC);
    runDialog(items, &proc);
    EXPECT_EQ(items[0].Selected, 0);
    EXPECT_EQ(items[2].Selected, 1);
    EXPECT_EQ(items[3].Selected, 1) << "the other group is untouched";
    auto clicks = proc.of(DN_BTNCLICK);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].param1, 0);
    EXPECT_EQ(clicks[0].param2, 0);
    EXPECT_EQ(clicks[1].param1, 2);
    EXPECT_EQ(clicks[1].param2, 1);
}

TEST(DialogKeys, HotKeysWorkWithAltEverywhereAndPlainOutsideEdits) {
    {
        UiHarness ui;
        auto items = standardItems();
        ui.events.key(KEY_ALT | 'O');
        EXPECT_EQ(runDialog(items), kOk) << "Alt+O presses OK";
    }
    {
        UiHarness ui;
        auto items = standardItems();
        ui.events.type("o").key(KEY_ENTER);
        EXPECT_EQ(runDialog(items), kEdit) << "in an edit field a letter is typed";
        EXPECT_EQ(dataOf(items[kEdit]), "o");
    }
    {
        UiHarness ui;
        ProcScript proc;
        auto items = standardItems();
        ui.events.key(KEY_TAB).type("c").type("o");
        EXPECT_EQ(runDialog(items, &proc), kOk) << "outside an edit a plain letter is a hot key";
        EXPECT_EQ(items[kCheck].Selected, 1);
        ASSERT_GE(proc.count(DN_HOTKEY), 2);
        EXPECT_EQ(proc.of(DN_HOTKEY)[0].param1, kCheck);
    }
    {
        UiHarness ui;
        ProcScript proc;
        auto items = standardItems();
        ui.events.key(KEY_TAB).key(KEY_ALT | 'N').then([&] {
            EXPECT_EQ(SendDlgMessage(proc.hDlg, DM_GETFOCUS, 0, 0), kEdit) << "a label's hot key focuses the next item";
        });
        ui.events.key(KEY_ESC);
        runDialog(items, &proc);
    }
}

TEST(DialogKeys, ArrowLeftToAUserControlByTheProcedureReachesIt) {
    UiHarness ui;
    ProcScript proc;
    std::array<CHAR_INFO, 4> buffer{};
    std::vector<FarDialogItem> items = {item(DI_EDIT, 2, 1, 20, 1, ""), item(DI_USERCONTROL, 2, 3, 5, 3)};
    items[1].VBuf = buffer.data();
    proc.handler = [](HANDLE dlg, int msg, int id, LONG_PTR key) -> std::optional<LONG_PTR> {
        if (msg == DN_KEY && id == 0 && key == KEY_DOWN) {
            SendDlgMessage(dlg, DM_SETFOCUS, 1, 0);
            return FALSE;
        }
        if (msg == DN_KEY && id == 1) return TRUE;
        return std::nullopt;
    };
    ui.events.key(KEY_DOWN).key(KEY_ESC);
    runDialog(items, &proc);
    auto keys = proc.of(DN_KEY);
    ASSERT_GE(keys.size(), 2u);
    EXPECT_EQ(keys[0].param1, 0);
    EXPECT_EQ(keys[1].param1, 1);
    EXPECT_EQ(keys[1].param2, KEY_DOWN);
}

TEST(DialogKeys, InitDialogGetsTheParamAndTheEndOfInputCancels) {
    UiHarness ui;
    ProcScript proc;
    auto items = standardItems();
    EXPECT_EQ(runDialog(items, &proc, 0, 1234), -1);
    auto inits = proc.of(DN_INITDIALOG);
    ASSERT_EQ(inits.size(), 1u);
    EXPECT_EQ(inits[0].param1, kEdit);
    EXPECT_EQ(inits[0].param2, 1234);
    EXPECT_EQ(proc.log.front().msg, DN_INITDIALOG);
    ASSERT_EQ(proc.count(DN_CLOSE), 1) << "the procedure may still clean up";
    EXPECT_EQ(proc.of(DN_CLOSE)[0].param1, -1);
}

TEST(DialogKeys, TheEndOfInputClosesEvenWhenDnCloseRefuses) {
    UiHarness ui;
    ProcScript proc;
    proc.handler = [](HANDLE, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_CLOSE) return FALSE;
        return std::nullopt;
    };
    auto items = standardItems();
    EXPECT_EQ(runDialog(items, &proc), -1);
}

}  // namespace
}  // namespace skimmer::host::ui::test
