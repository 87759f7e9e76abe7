// Edit lines with a history: what dialogs remember, and the list under the line, driven by keys
// and the mouse and read back from the screen.
#include <gtest/gtest.h>

#include <utility>

#include "tests/host/ui/ui_harness.h"

namespace skimmer::host::ui::test {
namespace {

std::vector<FarDialogItem> namesDialog() {
    auto items = standardItems();
    items[kEdit].Flags |= DIF_HISTORY | DIF_USELASTHISTORY;
    items[kEdit].History = "Names";
    items[kEdit].Data[0] = '\0';
    return items;
}

// The screen rows, from the edit line down, that show `text`.
std::vector<int> rowsShowing(UiHarness& ui, std::string_view text) {
    std::vector<int> rows;
    for (int y = 10; y < 20; ++y)
        if (ui.row(y).find(text) != std::string::npos) rows.push_back(y);
    return rows;
}

TEST(DialogHistory, TheListUnderTheLineRecallsLocksAndDeletes) {
    UiHarness ui;
    for (auto [text, key] : {std::pair{"alpha", KEY_ENTER}, {"beta", KEY_ENTER}, {"gamma", KEY_ESC}}) {
        auto items = namesDialog();
        ui.events.type(text).key(key);
        runDialog(items);
    }
    ProcScript proc;
    auto items = namesDialog();
    std::string first, picked;
    char32_t arrow = 0;
    std::vector<int> listed, lockedRows, afterClear;
    LONG_PTR openDuring = -1, openAfter = -1;
    ui.events
        .then([&] {
            first = ui.row(10);
            arrow = ui.cells().at(55, 10).ch;
        })
        .key(KEY_CTRLDOWN)
        .then([&] {
            listed = rowsShowing(ui, "beta");
            for (int y : rowsShowing(ui, "alpha")) listed.push_back(y);
            openDuring = SendDlgMessage(proc.hDlg, DM_GETDROPDOWNOPENED, 0, 0);
        })
        .key(KEY_DOWN)
        .key(KEY_ENTER)
        .then([&] {
            picked = ui.row(10);
            openAfter = SendDlgMessage(proc.hDlg, DM_GETDROPDOWNOPENED, 0, 0);
        })
        .click(55, 10)  // the arrow right of the line
        .key(KEY_INS)
        .then([&] { lockedRows = rowsShowing(ui, "\u221A"); })
        .key(KEY_SHIFTDEL)  // refused: the entry is locked
        .key(KEY_DEL)       // every unlocked entry
        .then([&] { afterClear = rowsShowing(ui, "alpha"); })
        .key(KEY_ESC)
        .key(KEY_ENTER);
    EXPECT_EQ(runDialog(items, &proc), kEdit);

    EXPECT_NE(first.find("beta"), std::string::npos) << "DIF_USELASTHISTORY: the newest line, not Esc's gamma";
    EXPECT_EQ(arrow, U'\u2193') << "the history arrow";
    ASSERT_EQ(listed.size(), 3u) << "beta on the line and in the list, alpha in the list";
    EXPECT_GT(listed[1], 10) << "the list opens under the line";
    EXPECT_EQ(listed[2], listed[1] + 1) << "newest first";
    EXPECT_EQ(openDuring, TRUE);
    EXPECT_EQ(openAfter, FALSE);
    EXPECT_NE(picked.find("alpha"), std::string::npos) << "Enter puts the chosen line in";
    EXPECT_EQ(lockedRows.size(), 1u) << "Ins marks the entry";
    EXPECT_EQ(afterClear, std::vector<int>{10}) << "Del left only the locked entry (alpha is on the line only)";
    EXPECT_EQ(std::string(items[kEdit].Data), "alpha");
    EXPECT_EQ(ui.context.dialogHistory().entries("NAMES"),
              (std::vector<HistoryEntry>{{"alpha", false}, {"beta", true}}));
}

// The plug-in's side: DIF_MANUALADDHISTORY leaves adding to DM_ADDHISTORY, DM_SETHISTORY gives or
// takes a history (and its arrow), a password line never has one.
TEST(DialogHistory, MessagesAddAndSetHistories) {
    UiHarness ui;
    ProcScript proc;
    auto items = namesDialog();
    items[kEdit].Flags |= DIF_MANUALADDHISTORY;
    items.push_back(item(DI_PSWEDIT, 5, 5, 20, 5, "", DIF_HISTORY));
    items.back().History = "Names";
    const int password = static_cast<int>(items.size()) - 1;
    std::vector<LONG_PTR> answers;
    char32_t arrowBefore = 0, arrowWithout = 0;
    const auto send = [&](int msg, int id, const char* text) {
        answers.push_back(SendDlgMessage(proc.hDlg, msg, id, reinterpret_cast<LONG_PTR>(text)));
    };
    ui.events
        .then([&] {
            arrowBefore = ui.cells().at(55, 10).ch;
            send(DM_ADDHISTORY, kEdit, "added");
            send(DM_ADDHISTORY, password, "secret");
            send(DM_SETHISTORY, kEdit, nullptr);
            send(DM_ADDHISTORY, kEdit, "lost");
        })
        .type("typed")
        .then([&] {
            arrowWithout = ui.cells().at(55, 10).ch;
            send(DM_SETHISTORY, kEdit, "Other");
        })
        .key(KEY_ENTER);
    EXPECT_EQ(runDialog(items, &proc), kEdit);
    EXPECT_EQ(answers, (std::vector<LONG_PTR>{TRUE, FALSE, TRUE, FALSE, TRUE}));
    EXPECT_EQ(arrowBefore, U'\u2193');
    EXPECT_NE(arrowWithout, U'\u2193') << "no history, no arrow";
    EXPECT_EQ(ui.context.dialogHistory().entries("Names"), (std::vector<HistoryEntry>{{"added", false}}));
    EXPECT_TRUE(ui.context.dialogHistory().entries("Other").empty()) << "DIF_MANUALADDHISTORY: Enter adds nothing";
}

}  // namespace
}  // namespace skimmer::host::ui::test
