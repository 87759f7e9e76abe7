// What a dialog looks like: frame, title, labels, edit fields, buttons and user controls, in the
// palette's colours or in the colours the dialog procedure answers.
#include <gtest/gtest.h>

#include "tests/host/ui/ui_harness.h"

namespace skimmer::host::ui::test {
namespace {

std::array<uint8_t, 112> customPalette() {
    std::array<uint8_t, 112> p{};
    for (size_t i = 0; i < p.size(); ++i) p[i] = farapi::kFarDefaultPalette[i];
    p[COL_DIALOGBOX] = 0x1F;
    p[COL_DIALOGBOXTITLE] = 0x2E;
    p[COL_DIALOGTEXT] = 0x70;
    p[COL_DIALOGHIGHLIGHTTEXT] = 0x74;
    return p;
}

TEST(DialogPaint, DrawsFrameTitleAndItemsInThePalettesColours) {
    UiHarness ui;
    auto palette = customPalette();
    ui.context.setPalette(palette);
    auto items = standardItems();
    ui.events.then([&] {
        EXPECT_EQ(ui.find(kDlgY + 1, "\u2554"), kDlgX + 3);
        const int title = ui.find(kDlgY + 1, "Title");
        EXPECT_EQ(title, kDlgX + 17);  // " Title " centred on the 34-cell frame from column 3
        EXPECT_EQ(ui.attr(title, kDlgY + 1), 0x2E);
        EXPECT_EQ(ui.attr(kDlgX + 3, kDlgY + 1), 0x1F);
        EXPECT_EQ(ui.find(kDlgY + 2, "Name:"), kDlgX + 5);
        EXPECT_EQ(ui.attr(kDlgX + 5, kDlgY + 2), 0x74);  // hot key N
        EXPECT_EQ(ui.attr(kDlgX + 6, kDlgY + 2), 0x70);
        EXPECT_EQ(ui.find(kDlgY + 4, "[ ] Check"), kDlgX + 5);
        EXPECT_EQ(ui.find(kDlgY + 6, "[ OK ]"), kDlgX + 5);
        EXPECT_EQ(ui.find(kDlgY + 6, "[ Cancel ]"), kDlgX + 15);
        EXPECT_EQ(ui.attr(kDlgX, kDlgY), 0x70);  // background of the dialog
        EXPECT_EQ(ui.attr(kDlgX + 40, kDlgY + 1), 0x08);  // shadow, right
        EXPECT_EQ(ui.attr(kDlgX + 5, kDlgY + 10), 0x08);  // shadow, below
        EXPECT_EQ(ui.attr(kDlgX - 1, kDlgY), FakeSurface::kBackground);
    });
    ui.events.key(KEY_ESC);
    EXPECT_EQ(runDialog(items), -1);
    EXPECT_EQ(ui.row(kDlgY + 1), std::string(80, '.')) << "the screen beneath comes back";
}

TEST(DialogPaint, FocusedUnchangedEditUsesTheUnchangedColourUntilTyping) {
    UiHarness ui;
    auto items = standardItems();
    ui.events.then([&] {
        EXPECT_EQ(ui.find(kDlgY + 3, "hello"), kDlgX + 5);
        EXPECT_EQ(ui.attr(kDlgX + 5, kDlgY + 3), farapi::kFarDefaultPalette[COL_DIALOGEDITUNCHANGED]);
        EXPECT_EQ(ui.attr(kDlgX + 34, kDlgY + 3), farapi::kFarDefaultPalette[COL_DIALOGEDITUNCHANGED]);
        EXPECT_EQ(ui.cells().cursor(), (term::CursorState{kDlgX + 10, kDlgY + 3, true}));
    });
    ui.events.key(KEY_END).then([&] {
        EXPECT_EQ(ui.attr(kDlgX + 5, kDlgY + 3), farapi::kFarDefaultPalette[COL_DIALOGEDIT]);
    });
    ui.events.key(KEY_ESC);
    runDialog(items);
}

TEST(DialogPaint, TextFlagsChooseColoursAndSeparatorsSpanTheFrame) {
    UiHarness ui;
    std::vector<FarDialogItem> items = {
        item(DI_DOUBLEBOX, 3, 1, 36, 8, "T"),
        item(DI_TEXT, 5, 2, 0, 2, "own colour", DIF_SETCOLOR | 0x4E),
        item(DI_TEXT, 5, 3, 0, 3, "box colour", DIF_BOXCOLOR),
        item(DI_TEXT, 5, 4, 0, 4, "disabled", DIF_DISABLE),
        item(DI_TEXT, 0, 5, 0, 5, "Sep", DIF_SEPARATOR | DIF_BOXCOLOR),
        item(DI_TEXT, -1, 6, 0, 6, "centred"),
        item(DI_BUTTON, 5, 7, 0, 7, "Go"),
    };
    ui.events.then([&] {
        EXPECT_EQ(ui.attr(kDlgX + 5, kDlgY + 2), 0x4E);
        EXPECT_EQ(ui.attr(kDlgX + 5, kDlgY + 3), farapi::kFarDefaultPalette[COL_DIALOGBOX]);
        EXPECT_EQ(ui.attr(kDlgX + 5, kDlgY + 4), farapi::kFarDefaultPalette[COL_DIALOGDISABLED]);
        EXPECT_EQ(ui.find(kDlgY + 5, "\u255F"), kDlgX + 3);
        EXPECT_EQ(ui.find(kDlgY + 5, "\u2562"), kDlgX + 36);
        EXPECT_NE(ui.find(kDlgY + 5, "\u2500 Sep \u2500"), -1);
        EXPECT_EQ(ui.find(kDlgY + 6, "centred"), kDlgX + (40 - 7) / 2);
    });
    ui.events.key(KEY_ESC);
    runDialog(items);
}

TEST(DialogPaint, WarningDialogsUseTheWarningColours) {
    UiHarness ui;
    auto items = standardItems();
    ui.events.then([&] {
        EXPECT_EQ(ui.attr(kDlgX, kDlgY), farapi::kFarDefaultPalette[COL_WARNDIALOGTEXT]);
        EXPECT_EQ(ui.attr(kDlgX + 3, kDlgY + 1), farapi::kFarDefaultPalette[COL_WARNDIALOGBOX]);
    });
    ui.events.key(KEY_ESC);
    runDialog(items, nullptr, FDLG_WARNING);
}

TEST(DialogPaint, ColourNotificationsReplaceTheProposedColours) {
    UiHarness ui;
    ProcScript proc;
    proc.handler = [](HANDLE, int msg, int id, LONG_PTR colors) -> std::optional<LONG_PTR> {
        if (msg == DN_CTLCOLORDIALOG) return 0xF0;
        // Button colours: low byte text, next byte hot key.
        if (msg == DN_CTLCOLORDLGITEM && id == kOk) return 0x0F | (0x04 << 8);
        if (msg == DN_CTLCOLORDLGITEM && id == kEdit) return (colors & ~0xFF0000) | (0x5A << 16);
        return std::nullopt;
    };
    auto items = standardItems();
    ui.events.then([&] {
        EXPECT_EQ(ui.attr(kDlgX, kDlgY), 0xF0);
        EXPECT_EQ(ui.attr(kDlgX + 7, kDlgY + 6), 0x04);  // the O of [ OK ]
        EXPECT_EQ(ui.attr(kDlgX + 8, kDlgY + 6), 0x0F);
        EXPECT_EQ(ui.attr(kDlgX + 5, kDlgY + 3), 0x5A);  // unchanged edit colour is the third byte
    });
    ui.events.key(KEY_ESC);
    runDialog(items, &proc);
    // The edit's proposal packs (edit, selected, unchanged, history).
    auto notes = proc.of(DN_CTLCOLORDLGITEM);
    auto edit = std::find_if(notes.begin(), notes.end(), [](const Notice& n) { return n.param1 == kEdit; });
    ASSERT_NE(edit, notes.end());
    const auto& pal = farapi::kFarDefaultPalette;
    EXPECT_EQ(static_cast<DWORD>(edit->param2), static_cast<DWORD>(pal[COL_DIALOGEDIT] | pal[COL_DIALOGEDITSELECTED] << 8 |
                                                                   pal[COL_DIALOGEDITUNCHANGED] << 16 | pal[COL_DIALOGTEXT] << 24));
}

TEST(DialogPaint, UserControlShowsItsCellBufferAfterDrawDlgItem) {
    UiHarness ui;
    std::array<CHAR_INFO, 6> cells{};
    const wchar_t text[] = L"abcdef";
    for (size_t i = 0; i < cells.size(); ++i) {
        cells[i].Char.UnicodeChar = text[i];
        cells[i].Attributes = static_cast<WORD>(0x20 + i);
    }
    std::vector<FarDialogItem> items = {item(DI_USERCONTROL, 2, 2, 4, 3), item(DI_BUTTON, 2, 5, 0, 5, "B")};
    items[0].VBuf = cells.data();
    ProcScript proc;
    bool allowDraw = true;
    proc.handler = [&](HANDLE, int msg, int id, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_DRAWDLGITEM && id == 0) {
            cells[0].Char.UnicodeChar = L'Z';  // the procedure fills the buffer while asked to draw
            return allowDraw;
        }
        return std::nullopt;
    };
    ui.events.then([&] {
        EXPECT_EQ(ui.find(kDlgY + 2, "Zbc"), kDlgX + 2);
        EXPECT_EQ(ui.find(kDlgY + 3, "def"), kDlgX + 2);
        EXPECT_EQ(ui.attr(kDlgX + 3, kDlgY + 2), 0x21);
        EXPECT_EQ(ui.attr(kDlgX + 4, kDlgY + 3), 0x25);
        allowDraw = false;
        cells[1].Char.UnicodeChar = L'Q';
        SendDlgMessage(proc.hDlg, DM_REDRAW, 0, 0);
        EXPECT_EQ(ui.find(kDlgY + 2, "Q"), -1) << "DN_DRAWDLGITEM answered FALSE: the item is not drawn";
    });
    ui.events.key(KEY_ESC);
    runDialog(items, &proc);
}

}  // namespace
}  // namespace skimmer::host::ui::test
