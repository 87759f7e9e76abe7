// The list box running headless in the host's dialog engine: keys and the mouse go in as a user
// would give them, the screen's cells (text and colour) come out, and another thread fills the
// list while the dialog runs.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dialogs/list_box_ex.h"
#include "host/services/standard_functions.h"
#include "platform/host_tables.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/system_text.h"

namespace skimmer::dialogs::test {
namespace {

using host::ui::test::item;
using host::ui::test::kDlgX;
using host::ui::test::kDlgY;

constexpr int kList = 1;  // item 0 is an edit field
constexpr int kListX = kDlgX + 2, kListY = kDlgY + 2, kListWidth = 20;

TListBoxExItem line(std::string text, uint32_t flags = 0, uint32_t hotKey = 0) {
    TListBoxExItem out;
    out.Text = std::move(text);
    out.Flags = flags;
    out.HotKey = hotKey;
    return out;
}

// A 40x10 dialog at (20, 7): an edit field on its row 1 and a list box of `height` rows, 20 cells
// wide, from its row 2, focused. The procedure answers DN_LBX_ISLISTBOX for the list, fills it on
// DN_INITDIALOG, frees it on DN_CLOSE and hands everything else to the list box.
struct ListDialog {
    explicit ListDialog(int height, std::vector<TListBoxExItem> rows) : initial(std::move(rows)) {
        fsf.StructSize = sizeof fsf;
        host::services::fillStandardFunctions(fsf);
        PluginStartupInfo info{};
        info.StructSize = sizeof info;
        info.SendDlgMessage = host::ui::SendDlgMessage;
        info.DefDlgProc = host::ui::DefDlgProc;
        info.Message = host::ui::Message;
        info.FSF = &fsf;
        tables.copyFrom(info);
        env = {&tables, {0x1B, 0x30, 0x1E, 0x70}};
        items = {item(DI_EDIT, 2, 1, 30, 1, "query"), item(DI_USERCONTROL, 2, 2, 2 + kListWidth - 1, 2 + height - 1)};
        items[kList].Focus = 1;
        proc.handler = [this](HANDLE dlg, int msg, int p1, LONG_PTR p2) -> std::optional<LONG_PTR> {
            if (msg == DN_LBX_ISLISTBOX) return p1 == kList ? 1 : 0;
            if (msg == DN_INITDIALOG) {
                handle = dlg;
                send(DM_LBX_INIT, 0);
                TListBoxExAddItem add{initial};
                send(DM_LBX_ADDITEMS, reinterpret_cast<LONG_PTR>(&add));
                return TRUE;
            }
            if (msg == DN_CLOSE) {
                send(DM_LBX_FREE, 0);
                return TRUE;
            }
            return ListBoxExProc(env, dlg, msg, p1, p2);
        };
    }

    LONG_PTR send(int msg, LONG_PTR param2) { return host::ui::SendDlgMessage(handle, msg, kList, param2); }
    int run() { return host::ui::test::runDialog(items, &proc); }

    // Row r of the list as it is on screen: its cells' characters, a wide one's right half left out.
    std::string row(int r) {
        std::string out;
        for (int x = kListX; x < kListX + kListWidth; ++x) {
            const char32_t ch = ui.cells().at(x, kListY + r).ch;
            if (ch != host::term::kWideTail) host::term::appendUtf8(out, ch);
        }
        return out;
    }
    // The row left of the scroll-bar column, without the blanks around it.
    std::string text(int r) {
        std::string out;
        for (int x = kListX; x < kListX + kListWidth - 1; ++x) {
            const char32_t ch = ui.cells().at(x, kListY + r).ch;
            if (ch != host::term::kWideTail) host::term::appendUtf8(out, ch);
        }
        const size_t first = out.find_first_not_of(' ');
        return first == std::string::npos ? "" : out.substr(first, out.find_last_not_of(' ') - first + 1);
    }
    host::term::Attr attr(int x, int r) { return ui.attr(kListX + x, kListY + r); }
    int current() { return static_cast<int>(send(DM_LBX_GETCURPOS, 0)); }
    std::vector<LONG_PTR> notices(int msg) {
        std::vector<LONG_PTR> out;
        for (const auto& n : proc.of(msg)) out.push_back(n.param2);
        return out;
    }

    host::ui::test::UiHarness ui;
    host::ui::test::ProcScript proc;
    FarStandardFunctions fsf{};
    platform::HostTables tables;
    TListBoxExHost env;
    std::vector<TListBoxExItem> initial;
    std::vector<FarDialogItem> items;
    HANDLE handle = nullptr;
};

std::vector<TListBoxExItem> groups() {
    return {line("Programs", kLbxSeparator), line("editor"), line("ghost", kLbxHidden), line("terminal"),
            line("Files", kLbxSeparator), line("notes.txt"), line("plan.odt")};
}

struct KeyCase {
    std::vector<int> keys;
    int current;
    std::vector<std::string> rows;  // the list's rows on screen after the keys, margins cut
};

class ListKeysTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ListKeysTest, ArrowsWrapAroundOverTitlesAndHiddenRows) {
    ListDialog d(4, groups());
    for (int key : GetParam().keys) d.ui.events.key(key);
    d.ui.events.then([&] {
        EXPECT_EQ(d.current(), GetParam().current);
        for (size_t r = 0; r < GetParam().rows.size(); ++r) EXPECT_EQ(d.text(static_cast<int>(r)), GetParam().rows[r]) << "row " << r;
    });
    d.ui.events.key(KEY_ESC);
    d.run();
}

INSTANTIATE_TEST_SUITE_P(Keys, ListKeysTest, ::testing::Values(
    KeyCase{{}, 1, {"──── Programs ─────", "editor", "terminal", "────── Files ──────"}},
    KeyCase{{KEY_DOWN, KEY_DOWN}, 5, {"editor", "terminal", "────── Files ──────", "notes.txt"}},
    KeyCase{{KEY_UP}, 6, {"terminal", "────── Files ──────", "notes.txt", "plan.odt"}},
    KeyCase{{KEY_END, KEY_UP, KEY_UP}, 3, {"terminal", "────── Files ──────", "notes.txt", "plan.odt"}},
    KeyCase{{KEY_PGDN, KEY_HOME}, 1, {"──── Programs ─────", "editor", "terminal", "────── Files ──────"}}));

TEST(ListDialogTest, RowsWithoutColoursUseTheDefaultAttributesAndTheCursorMovesThem) {
    ListDialog d(4, {line("one"), line("two", kLbxHighlighted), line("three")});
    d.ui.events.then([&] {
        EXPECT_EQ(d.attr(0, 0), 3) << "current, focused";
        EXPECT_EQ(d.attr(3, 0), 3);
        EXPECT_EQ(d.attr(3, 1), 5) << "highlighted";
        EXPECT_EQ(d.attr(3, 2), 1) << "normal";
        EXPECT_EQ(d.attr(3, 3), 0x1B) << "below the rows: the style's normal colour";
    });
    d.ui.events.key(KEY_DOWN).then([&] {
        EXPECT_EQ(d.current(), 2) << "the highlighted row is skipped";
        EXPECT_EQ(d.attr(3, 0), 1);
        EXPECT_EQ(d.attr(3, 2), 3);
    });
    d.ui.events.key(KEY_SHIFTTAB).then([&] {
        EXPECT_EQ(d.attr(3, 2), 1) << "without the focus the current row is drawn as normal";
    });
    d.ui.events.key(KEY_ESC);
    d.run();
    EXPECT_EQ(d.notices(DN_LBX_CURCHANGED), (std::vector<LONG_PTR>{0, 2})) << "filling the list made row 0 current";
}

struct HotCase {
    int key;
    int current;
};

class ListHotKeyTest : public ::testing::TestWithParam<HotCase> {};

TEST_P(ListHotKeyTest, HotKeysMatchInBothKeyboardLayoutsThroughTheHost) {
    ListDialog d(5, {line("zero"), line("ku", 0, U'Q'), line("tse", 0, U'Ц'), line("hidden", kLbxHidden, U'W'),
                     line("last", 0, U'W')});
    d.ui.events.key(GetParam().key).then([&] { EXPECT_EQ(d.current(), GetParam().current); });
    d.ui.events.key(KEY_ESC);
    d.run();
    if (GetParam().current > 0) {
        EXPECT_EQ(d.notices(DN_LBX_HOTKEY), std::vector<LONG_PTR>{GetParam().current});
    } else {
        EXPECT_TRUE(d.notices(DN_LBX_HOTKEY).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ListHotKeyTest, ::testing::Values(
    HotCase{'q', 1}, HotCase{'Q', 1}, HotCase{U'й', 1}, HotCase{U'Й', 1},   // a Latin hot key
    HotCase{U'ц', 2}, HotCase{'w', 2},                                        // a Cyrillic one
    HotCase{'x', 0}));

TEST(ListDialogTest, DeletingEverythingLeavesAnEmptyListWithNoCurrentRow) {
    ListDialog d(3, groups());
    d.ui.events.then([&] {
        TListBoxExRange all{0, 0};
        EXPECT_EQ(d.send(DM_LBX_DELETE, reinterpret_cast<LONG_PTR>(&all)), 1);
        TListBoxExPos pos;
        EXPECT_EQ(d.send(DM_LBX_GETCURPOS, reinterpret_cast<LONG_PTR>(&pos)), -1);
        EXPECT_EQ(pos.Top, -1);
    });
    d.ui.events.key(KEY_NONE).then([&] {  // a key that does nothing: the loop paints
        for (int r = 0; r < 3; ++r) EXPECT_EQ(d.row(r), std::string(kListWidth, ' '));
        EXPECT_EQ(d.attr(5, 1), 0x1B);
    });
    d.ui.events.key(KEY_DOWN).key(KEY_ESC);
    d.run();
    EXPECT_EQ(d.notices(DN_LBX_CURCHANGED), (std::vector<LONG_PTR>{1, -1}));
}

struct ThumbCase {
    int current;
    int thumbRow;
};

class ListThumbTest : public ::testing::TestWithParam<ThumbCase> {};

TEST_P(ListThumbTest, TheScrollBarsThumbFollowsTheCursor) {
    std::vector<TListBoxExItem> rows;
    for (int i = 0; i < 12; ++i) rows.push_back(line("r" + std::to_string(i)));
    ListDialog d(5, rows);
    d.ui.events.then([&] {
        TListBoxExPos pos{GetParam().current, 0};
        d.send(DM_LBX_SETCURPOS, reinterpret_cast<LONG_PTR>(&pos));
    });
    d.ui.events.key(KEY_NONE).then([&] {
        for (int r = 0; r < 5; ++r) {
            const char32_t ch = d.ui.cells().at(kListX + kListWidth - 1, kListY + r).ch;
            const char32_t expect = r == GetParam().thumbRow ? U'▓' : r == 0 ? U'▲' : r == 4 ? U'▼' : U'░';
            EXPECT_EQ(ch, expect) << "row " << r;
            EXPECT_EQ(d.attr(kListWidth - 1, r), 0x70);
        }
    });
    d.ui.events.key(KEY_ESC);
    d.run();
}

INSTANTIATE_TEST_SUITE_P(Positions, ListThumbTest, ::testing::Values(
    ThumbCase{0, 0}, ThumbCase{2, 1}, ThumbCase{11, 4}));

TEST(ListDialogTest, FixedColumnsStayWhileArrowsScrollTheRestSideways) {
    ListDialog d(2, {line("01|abcdefgh"), line("02|ijklmnop")});
    d.ui.events.then([&] {
        TListBoxExData* data = reinterpret_cast<TListBoxExData*>(host::ui::SendDlgMessage(d.handle, DM_GETITEMDATA, kList, 0));
        data->FixedColumns = 3;
    });
    d.ui.events.key(KEY_RIGHT).key(KEY_RIGHT).then([&] {
        EXPECT_EQ(d.text(0), "01|cdefgh");
        EXPECT_EQ(d.text(1), "02|klmnop");
    });
    d.ui.events.key(KEY_LEFT).then([&] { EXPECT_EQ(d.text(0), "01|bcdefgh"); });
    d.ui.events.key(KEY_LEFT).then([&] { EXPECT_EQ(d.text(0), "01|abcdefgh"); });
    d.ui.events.key(KEY_LEFT).then([&] { EXPECT_EQ(d.text(0), "01|abcdefgh") << "never below zero"; });
    d.ui.events.key(KEY_ESC);
    d.run();
}

TEST(ListDialogTest, WideCharactersKeepTheirCellsAndColours) {
    if (!skimmer::test::pluginTextIsUtf8()) GTEST_SKIP() << skimmer::test::kNoMultiByteLetters;
    TListBoxExItem wide = line("文書x");
    wide.Attr[kLbxNormal] = {0x2E, 0x2E, 0x1F};
    ListDialog d(2, {line("a"), wide});
    d.ui.events.then([&] {
        EXPECT_EQ(d.text(1), "文書x");
        EXPECT_EQ(d.ui.cells().at(kListX + 4, kListY + 1).ch, host::term::kWideTail);
        EXPECT_EQ(d.attr(7, 1), 0x1F);
    });
    d.ui.events.key(KEY_ESC);
    d.run();
}

TEST(ListDialogTest, PointerMovementSelectsAndAClickChoosesAndCloses) {
    ListDialog d(4, groups());
    auto move = [&](int row, int column = 5) {
        d.ui.events.push(host::term::MouseEvent{kListX + column, kListY + row, 0, 0, host::term::kMouseMoved, 0});
    };
    move(2);
    d.ui.events.then([&] { EXPECT_EQ(d.current(), 3) << "the row under the pointer"; });
    move(0);
    d.ui.events.then([&] { EXPECT_EQ(d.current(), 1) << "a title under the pointer: the row below it"; });
    move(2, -4);
    d.ui.events.then([&] { EXPECT_EQ(d.current(), 1) << "outside the list nothing changes"; });
    d.ui.events.click(kListX + 5, kListY + 3);
    EXPECT_EQ(d.run(), kList) << "the click closed the dialog with the list";
    EXPECT_EQ(d.notices(DN_LBX_CURCHANGED), (std::vector<LONG_PTR>{1, 3, 1, 5}));
}

TEST(ListDialogTest, TheScrollBarColumnDoesNotSelect) {
    std::vector<TListBoxExItem> rows;
    for (int i = 0; i < 8; ++i) rows.push_back(line("r" + std::to_string(i)));
    ListDialog d(3, rows);
    d.ui.events.push(host::term::MouseEvent{kListX + kListWidth - 1, kListY + 2, 0, 0, host::term::kMouseMoved, 0});
    d.ui.events.then([&] { EXPECT_EQ(d.current(), 0); });
    d.ui.events.push(host::term::MouseEvent{kListX + kListWidth - 2, kListY + 2, 0, 0, host::term::kMouseMoved, 0});
    d.ui.events.then([&] { EXPECT_EQ(d.current(), 2); });
    d.ui.events.key(KEY_ESC);
    d.run();
}

TEST(ListDialogTest, AnotherThreadFillsTheListWhileTheDialogRuns) {
    ListDialog d(4, {});
    d.ui.events.blockWhenEmpty = true;
    std::atomic<HANDLE> ready{nullptr};
    auto init = d.proc.handler;
    d.proc.handler = [&](HANDLE dlg, int msg, int p1, LONG_PTR p2) {
        auto answer = init(dlg, msg, p1, p2);
        if (msg == DN_INITDIALOG) ready = dlg;
        return answer;
    };
    std::thread worker([&] {
        while (!ready.load()) std::this_thread::yield();
        for (int batch = 0; batch < 50; ++batch) {
            host::ui::SendDlgMessage(ready, DM_ENABLEREDRAW, FALSE, 0);
            TListBoxExAddItem add{{line("hit " + std::to_string(2 * batch)), line("hit " + std::to_string(2 * batch + 1))}};
            EXPECT_EQ(host::ui::SendDlgMessage(ready, DM_LBX_ADDITEMS, kList, reinterpret_cast<LONG_PTR>(&add)), 1);
            host::ui::SendDlgMessage(ready, DM_ENABLEREDRAW, TRUE, 0);
        }
        d.ui.events.then([&] {
            EXPECT_EQ(d.text(0), "hit 0");
            EXPECT_EQ(d.text(3), "hit 3");
            EXPECT_EQ(d.current(), 0);
        }).key(KEY_END).then([&] { EXPECT_EQ(d.text(3), "hit 99"); }).key(KEY_ESC);
    });
    d.run();
    worker.join();
}

}  // namespace
}  // namespace skimmer::dialogs::test
