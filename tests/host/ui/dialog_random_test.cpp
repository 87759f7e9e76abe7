// Many random keys, clicks, pastes and resizes through a dialog with every item type and a
// procedure that answers messages of its own: nothing may crash (the sanitizer builds watch),
// the focus stays on an item that can hold it, and the write-back stays within Data.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

#include "tests/host/ui/ui_harness.h"

namespace skimmer::host::ui::test {
namespace {

std::vector<int> keyPool() {
    return {KEY_TAB, KEY_SHIFTTAB, KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_HOME, KEY_END, KEY_BS, KEY_DEL,
            KEY_SPACE, KEY_CTRLY, KEY_CTRLV, KEY_CTRLF5, KEY_ENTER, KEY_F1, KEY_MSWHEEL_UP, '+', '-', 'a', 'Z',
            0x416, 0x1F600, KEY_ALT | 'O', KEY_ALT | 'C', KEY_ALT | 'F', KEY_ALT | 'S', 'c', 'x', KEY_CTRLLEFT,
            KEY_CTRLRIGHT, KEY_SHIFTINS, KEY_F10};
}

TEST(DialogRandom, SurvivesRandomInputAndKeepsItsInvariants) {
    std::mt19937 random(20261208);
    const auto keys = keyPool();
    for (int round = 0; round < 20; ++round) {
        UiHarness ui;
        ui.context.setClipboardReader([] { return std::string(600, 'q'); });
        std::array<CHAR_INFO, 12> cells{};
        std::vector<FarDialogItem> items = {
            item(DI_DOUBLEBOX, 3, 1, 36, 8, "&Random"),
            item(DI_EDIT, 5, 2, 20, 2, "text", DIF_HISTORY),
            item(DI_PSWEDIT, 22, 2, 34, 2, "pw"),
            item(DI_FIXEDIT, 5, 3, 10, 3, "fix"),
            item(DI_CHECKBOX, 5, 4, 0, 4, "&Check", DIF_3STATE),
            item(DI_RADIOBUTTON, 5, 5, 0, 5, "&First", DIF_GROUP | DIF_MOVESELECT),
            item(DI_RADIOBUTTON, 20, 5, 0, 5, "&Second"),
            item(DI_USERCONTROL, 25, 3, 30, 4),
            item(DI_TEXT, 0, 6, 0, 6, "sep", DIF_SEPARATOR2),
            item(DI_VTEXT, 34, 3, 34, 5, "vt"),
            item(DI_BUTTON, 0, 7, 0, 7, "&OK", DIF_CENTERGROUP | DIF_BTNNOCLOSE),
            item(DI_BUTTON, 0, 7, 0, 7, "Cancel", DIF_CENTERGROUP | DIF_DISABLE),
        };
        items[7].VBuf = cells.data();
        ProcScript proc;
        int refusals = 0;
        proc.handler = [&](HANDLE dlg, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
            if (msg == DN_CLOSE) return refusals++ % 3 != 0;
            if (msg == DN_EDITCHANGE && random() % 4 == 0) {
                SendDlgMessage(dlg, DM_SETFOCUS, static_cast<int>(random() % 12), 0);
                SendDlgMessage(dlg, DM_ENABLE, static_cast<int>(random() % 12), random() % 2);
            }
            if (msg == DN_KEY && random() % 10 == 0) return TRUE;
            return std::nullopt;
        };
        for (int i = 0; i < 300; ++i) {
            const unsigned pick = random() % 10;
            if (pick < 7) {
                ui.events.key(keys[random() % keys.size()]);
            } else if (pick == 7) {
                ui.events.click(static_cast<int>(random() % 80), static_cast<int>(random() % 25),
                                random() % 2 ? term::kLeftButton : term::kRightButton);
            } else if (pick == 8) {
                ui.events.push(term::PasteEvent{std::string("p\xFF\n", 3), false});
            } else {
                ui.events.then([&] {
                    const int w = 20 + static_cast<int>(random() % 80), h = 5 + static_cast<int>(random() % 30);
                    ui.cells().resize(w, h);
                }).push(ResizeEvent{});
            }
            ui.events.then([&] {
                const auto focus = SendDlgMessage(proc.hDlg, DM_GETFOCUS, 0, 0);
                FarDialogItem state{};
                ASSERT_TRUE(SendDlgMessage(proc.hDlg, DM_GETDLGITEM, static_cast<int>(focus), reinterpret_cast<LONG_PTR>(&state)));
                EXPECT_NE(state.Type, DI_TEXT);
                EXPECT_NE(state.Type, DI_DOUBLEBOX);
            });
        }
        runDialog(items, &proc);
        for (const auto& written : items) EXPECT_LT(strnlen(written.Data, sizeof written.Data), sizeof written.Data);
    }
}

}  // namespace
}  // namespace skimmer::host::ui::test
