// The list box's keys: movement with wrap-around over unselectable and hidden rows, sideways
// scrolling, and hot keys typed in either keyboard layout.
#include <gtest/gtest.h>

#include <map>

#include "dialogs/list_box_ex_keys.h"
#include "far/keys.h"
#include "tests/dialogs/list_fixture.h"

namespace skimmer::dialogs::test {
namespace {

// Two letter keys of the two layouts, enough to tell them apart: q/Q <-> й/Й, w/W <-> ц/Ц.
const std::map<uint32_t, uint32_t> kLayoutPairs = {{U'q', U'й'}, {U'Q', U'Й'}, {U'w', U'ц'}, {U'W', U'Ц'}};

uint32_t swapLayout(uint32_t c) {
    for (const auto& [latin, cyrillic] : kLayoutPairs) {
        if (c == latin) return cyrillic;
        if (c == cyrillic) return latin;
    }
    return c;
}

bool isLetter(uint32_t c) { return (c < 0x80 && std::isalpha(static_cast<int>(c))) || (c >= U'А' && c <= U'я'); }

uint32_t toUpper(uint32_t c) {
    if (c < 0x80) return static_cast<uint32_t>(std::toupper(static_cast<int>(c)));
    return (c >= U'а' && c <= U'я') ? c - 0x20 : c;
}

// `growing` false plays a host that converts in place and so cannot turn a one-byte letter into a
// two-byte one.
TLbxCharServices chars(bool growing = true) {
    return {isLetter, toUpper, [growing](uint32_t c) {
                const uint32_t other = swapLayout(c);
                return (!growing && c < 0x80 && other >= 0x80) ? c : other;
            }};
}

struct MoveCase {
    const char* shape;
    int32_t current, top, height;
    int key;
    int32_t expectCurrent, expectTop;
    TLbxKeyResult result = TLbxKeyResult::Moved;
};

class MoveKeyTest : public ::testing::TestWithParam<MoveCase> {};

TEST_P(MoveKeyTest, MovesTheCursorAndKeepsItShown) {
    const auto& c = GetParam();
    TListBoxExData data = listOf(c.shape, c.current, c.top);
    EXPECT_EQ(ListBoxExKey(data, c.key, c.height, chars()), c.result);
    EXPECT_EQ(data.Current, c.expectCurrent);
    EXPECT_EQ(data.Top, c.expectTop);
}

INSTANTIATE_TEST_SUITE_P(Keys, MoveKeyTest, ::testing::Values(
    MoveCase{"......", 2, 0, 3, KEY_DOWN, 3, 1},
    MoveCase{"..h...", 1, 0, 3, KEY_DOWN, 3, 0},          // a hidden row is stepped over, takes no row
    MoveCase{".s....", 0, 0, 3, KEY_DOWN, 2, 0},          // a separator is shown but not current
    MoveCase{"......", 5, 3, 3, KEY_DOWN, 0, 0},          // the last row wraps to the first, scrolled up
    MoveCase{"s.....", 5, 3, 3, KEY_DOWN, 1, 0},          // ... and to the first selectable one
    MoveCase{"......", 0, 0, 3, KEY_UP, 5, 3},            // the first row wraps to the last
    MoveCase{"s.....", 1, 0, 3, KEY_UP, 5, 3},            // under a title, row 1 counts as first
    MoveCase{"....hh", 0, 0, 3, KEY_UP, 3, 1},            // the last shown row
    MoveCase{"s.....", 2, 1, 3, KEY_UP, 1, 0},            // up onto row 1 shows the title above it
    MoveCase{"hl....", 2, 0, 3, KEY_UP, 5, 3},            // hidden and highlighted rows above: first still
    MoveCase{"lls...", 3, 1, 3, KEY_UP, 5, 3},            // however many unselectable rows lead the list
    MoveCase{"...lh", 2, 0, 3, KEY_DOWN, 0, 0},           // and trail it: the last selectable row wraps down
    MoveCase{"..........", 1, 0, 4, KEY_PGDN, 4, 1},
    MoveCase{"..........", 8, 6, 4, KEY_PGDN, 9, 6},      // clamped at the end
    MoveCase{"..........", 5, 4, 4, KEY_PGUP, 2, 2},
    MoveCase{"..........", 1, 0, 4, KEY_PGUP, 0, 0},
    MoveCase{"........hh", 0, 0, 4, KEY_END, 7, 4},
    MoveCase{"s.........", 7, 4, 4, KEY_HOME, 1, 0},
    MoveCase{"......", 0, 0, 3, KEY_HOME, 0, 0, TLbxKeyResult::Unhandled},   // nothing changed
    MoveCase{"......", 3, 1, 3, KEY_F2, 3, 1, TLbxKeyResult::Unhandled}));

struct ScrollCase {
    int32_t hscroll;
    int key;
    int32_t expect;
    TLbxKeyResult result;
};

class SideKeyTest : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(SideKeyTest, ScrollsSidewaysNeverBelowZero) {
    TListBoxExData data = listOf("...", 0, 0);
    data.HScroll = GetParam().hscroll;
    EXPECT_EQ(ListBoxExKey(data, GetParam().key, 3, chars()), GetParam().result);
    EXPECT_EQ(data.HScroll, GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(Keys, SideKeyTest, ::testing::Values(
    ScrollCase{0, KEY_RIGHT, 1, TLbxKeyResult::Moved}, ScrollCase{7, KEY_RIGHT, 8, TLbxKeyResult::Moved},
    ScrollCase{2, KEY_LEFT, 1, TLbxKeyResult::Moved}, ScrollCase{0, KEY_LEFT, 0, TLbxKeyResult::Unhandled}));

struct HotKeyCase {
    const char* shape;
    std::u32string hotKeys;  // row i's hot key, '-' for none
    int key;
    bool growingXlat;
    int32_t expectCurrent;   // -1: the key is not the list's
};

class HotKeyTest : public ::testing::TestWithParam<HotKeyCase> {};

TEST_P(HotKeyTest, SelectsTheFirstMatchingRowInEitherLayout) {
    const auto& c = GetParam();
    TListBoxExData data = listOf(c.shape, 0, 0);
    for (size_t i = 0; i < c.hotKeys.size(); ++i) data.Items[i].HotKey = c.hotKeys[i] == U'-' ? 0 : c.hotKeys[i];
    const TLbxKeyResult result = ListBoxExKey(data, c.key, 5, chars(c.growingXlat));
    if (c.expectCurrent < 0) {
        EXPECT_EQ(result, TLbxKeyResult::Unhandled);
        EXPECT_EQ(data.Current, 0);
    } else {
        EXPECT_EQ(result, TLbxKeyResult::HotKey);
        EXPECT_EQ(data.Current, c.expectCurrent);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, HotKeyTest, ::testing::Values(
    HotKeyCase{"....", U"-AQA", 'q', true, 2},     // the typed letter, normalised
    HotKeyCase{"....", U"-AQA", 'a', true, 1},     // the first match in index order
    HotKeyCase{"....", U"-AQ1", '1', true, 3},     // not a letter: as typed
    HotKeyCase{"....", U"--Й-", 'q', true, 2},   // the same key in the other layout
    HotKeyCase{"....", U"--Й-", 'q', false, 2},  // ... even when the host cannot lengthen it
    HotKeyCase{"....", U"--Q-", U'й', true, 2},
    HotKeyCase{"....", U"--Q-", U'й', false, 2},
    HotKeyCase{".lh.", U"-QQQ", 'q', true, 3},     // highlighted and hidden rows never match
    HotKeyCase{"....", U"--Q-", 'w', true, -1},
    HotKeyCase{"....", U"--Q-", KEY_CTRL | 'Q', true, -1}));

TEST(HotKeyTest, ASeparatorsHotKeyLeadsToTheNextSelectableRow) {
    TListBoxExData data = listOf("..s.", 0, 0);
    data.Items[2].HotKey = U'S';
    EXPECT_EQ(ListBoxExKey(data, 's', 5, chars()), TLbxKeyResult::HotKey);
    EXPECT_EQ(data.Current, 3);
}

}  // namespace
}  // namespace skimmer::dialogs::test
