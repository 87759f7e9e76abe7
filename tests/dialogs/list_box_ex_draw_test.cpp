// Drawing into the user control's cells: text and colour of every cell, separators, marks, hidden
// rows, the scroll bar, fixed columns under sideways scrolling and double-width characters.
#include <gtest/gtest.h>

#include "dialogs/list_box_ex_draw.h"
#include "dialogs/list_box_ex_text.h"
#include "os/text_border.h"
#include "tests/dialogs/list_fixture.h"
#include "tests/support/system_text.h"

namespace skimmer::dialogs::test {
namespace {

struct Canvas {
    Canvas(int32_t w, int32_t h) : width(w), height(h), cells(static_cast<size_t>(w * h)) {
        for (auto& cell : cells) cell.Char.UnicodeChar = L'#';  // anything the list fails to draw shows
    }
    TLbxCanvas canvas(bool focused = true, uint16_t scroll = 0x70) {
        return {cells.data(), width, height, focused, scroll};
    }
    // The row as UTF-8, a double-width character's right half (0) left out.
    std::string textAt(int32_t y) const {
        std::string out;
        for (int32_t x = 0; x < width; ++x) {
            const char32_t cp = os::unicodeOfConsoleCell(at(x, y).Char.UnicodeChar);
            if (cp != 0) os::appendUtf8(out, cp);
        }
        return out;
    }
    const CHAR_INFO& at(int32_t x, int32_t y) const { return cells[static_cast<size_t>(y * width + x)]; }
    uint16_t attrAt(int32_t x, int32_t y) const { return at(x, y).Attributes; }

    int32_t width, height;
    std::vector<CHAR_INFO> cells;
};

TListBoxExItem textRow(std::string text, uint32_t flags = 0) {
    TListBoxExItem item;
    item.Text = std::move(text);
    item.Flags = flags;
    for (size_t k = 0; k < 3; ++k) item.Attr[k].assign(static_cast<size_t>(CountColumns(item.Text)), static_cast<uint8_t>(1 + 2 * k));
    return item;
}

TListBoxExData dataOf(std::vector<TListBoxExItem> items, int32_t current = 0) {
    TListBoxExData data;
    data.Items = std::move(items);
    data.Current = current;
    data.Top = data.Items.empty() ? -1 : 0;
    data.Colors = {0x07, 0x07, 0x07, 0x30, 0x30, 0x1E};
    return data;
}

TEST(DrawTest, EachColumnTakesItsOwnAttribute) {
    TListBoxExItem item = textRow("abc");
    item.Attr[kLbxNormal] = {0x1A, 0x2B, 0x3C};
    TListBoxExData data = dataOf({textRow("x"), item});
    Canvas out(7, 2);
    DrawListBoxEx(data, out.canvas());
    EXPECT_EQ(out.attrAt(3, 1), 0x1A);
    EXPECT_EQ(out.attrAt(4, 1), 0x2B);
    EXPECT_EQ(out.attrAt(5, 1), 0x3C);
    EXPECT_EQ(out.attrAt(0, 1), 0x1A) << "outside the text: the first entry";
    EXPECT_EQ(out.attrAt(6, 1), 0x1A);
}

struct SeparatorCase {
    int32_t width;
    std::string title;
    std::string expect;
};

class SeparatorTest : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(SeparatorTest, TitleSitsInTheMiddleOfALine) {
    const auto& c = GetParam();
    if (!skimmer::test::pluginTextIsUtf8() && !skimmer::test::isAscii(c.title))
        GTEST_SKIP() << skimmer::test::kNoMultiByteLetters;
    TListBoxExData data = dataOf({textRow(c.title, kLbxSeparator)}, -1);
    Canvas out(c.width, 1);
    DrawListBoxEx(data, out.canvas());
    EXPECT_EQ(out.textAt(0), c.expect);
    const uint16_t colour = c.title.empty() ? 0x07 : 1;  // an empty row has no colour of its own
    EXPECT_EQ(out.attrAt(0, 0), colour);
    EXPECT_EQ(out.attrAt(c.width - 1, 0), colour);
}

INSTANTIATE_TEST_SUITE_P(Titles, SeparatorTest, ::testing::Values(
    SeparatorCase{20, "Files", "────── Files ───────"},
    SeparatorCase{10, "Programs", " Programs "},
    SeparatorCase{6, "Programs", " Progr"},
    SeparatorCase{12, "文書", "─── 文書 ───"},
    SeparatorCase{8, "", "───  ───"}));

TEST(DrawTest, MarksHiddenRowsAndUnselectableRows) {
    TListBoxExItem marked = textRow("m", kLbxMarked);
    TListBoxExItem star = textRow("s", kLbxMarked);
    star.MarkChar = U'*';
    TListBoxExData data = dataOf({textRow("a"), textRow("gone", kLbxHidden), marked, star, textRow("z")});
    Canvas out(5, 5);
    DrawListBoxEx(data, out.canvas());
    EXPECT_EQ(out.textAt(0), "   a ");
    EXPECT_EQ(out.textAt(1), "?  m ");
    EXPECT_EQ(out.textAt(2), "*  s ");
    EXPECT_EQ(out.textAt(3), "   z ");
    EXPECT_EQ(out.textAt(4), "     ");
}

struct ThumbCase {
    int32_t height, count, current, row;
};

class ThumbTest : public ::testing::TestWithParam<ThumbCase> {};

TEST_P(ThumbTest, ThumbRowRoundsToNearestTiesToEven) {
    const auto& c = GetParam();
    EXPECT_EQ(ScrollThumbRow(c.height, c.count, c.current), c.row);
}

INSTANTIATE_TEST_SUITE_P(Rows, ThumbTest, ::testing::Values(
    ThumbCase{5, 10, 0, 0}, ThumbCase{5, 10, 1, 0}, ThumbCase{5, 10, 2, 1}, ThumbCase{5, 10, 5, 2},
    ThumbCase{5, 10, 9, 4}, ThumbCase{3, 4, 1, 0}, ThumbCase{3, 4, 3, 2}, ThumbCase{20, 5001, 5000, 19}));

TEST(DrawTest, ScrollBarOnlyWhenTheListIsLongerThanTheWindow) {
    std::vector<TListBoxExItem> rows;
    for (int i = 0; i < 6; ++i) rows.push_back(textRow("r" + std::to_string(i)));
    TListBoxExData data = dataOf(rows, 3);
    data.Top = 2;
    Canvas out(7, 4);
    DrawListBoxEx(data, out.canvas(true, 0x4F));
    EXPECT_EQ(out.textAt(0), "   r2 ▲");
    EXPECT_EQ(out.textAt(1), "   r3 ░");
    EXPECT_EQ(out.textAt(2), "   r4 ▓");  // round(3 * 3 / 6): 1.5, to even

    EXPECT_EQ(out.textAt(3), "   r5 ▼");
    EXPECT_EQ(out.attrAt(6, 2), 0x4F);

    TListBoxExData shorter = dataOf({textRow("a"), textRow("b")});
    Canvas whole(7, 4);
    DrawListBoxEx(shorter, whole.canvas());
    EXPECT_EQ(whole.textAt(0), "   a   ");
}

struct ScrollCase {
    int32_t fixedColumns, hscroll;
    std::string expect;
};

class FixedColumnsTest : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(FixedColumnsTest, LeadingColumnsStayWhileTheRestScrolls) {
    TListBoxExData data = dataOf({textRow("0123456789")});
    data.FixedColumns = GetParam().fixedColumns;
    data.HScroll = GetParam().hscroll;
    Canvas out(12, 1);
    DrawListBoxEx(data, out.canvas());
    EXPECT_EQ(out.textAt(0), GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(Columns, FixedColumnsTest, ::testing::Values(
    ScrollCase{0, 0, "   012345678"}, ScrollCase{0, 2, "   23456789 "}, ScrollCase{2, 3, "   0156789  "},
    ScrollCase{4, 100, "   0123     "}, ScrollCase{-3, 5, "23456789    "}));

struct WideCase {
    int32_t width;
    std::string text;
    std::string expect;
};

class WideTest : public ::testing::TestWithParam<WideCase> {};

TEST_P(WideTest, ADoubleWidthCharacterTakesTwoCellsAndIsNeverSplit) {
    if (!skimmer::test::pluginTextIsUtf8()) GTEST_SKIP() << skimmer::test::kNoMultiByteLetters;
    TListBoxExData data = dataOf({textRow(GetParam().text)});
    Canvas out(GetParam().width, 1);
    DrawListBoxEx(data, out.canvas());
    EXPECT_EQ(out.textAt(0), GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(Texts, WideTest, ::testing::Values(
    WideCase{8, "a漢b", "   a漢b "}, WideCase{6, "ab漢", "   ab "}, WideCase{5, "漢字", "   漢"},
    WideCase{4, "漢", "    "}));

TEST(DrawTest, WideCharacterHalvesShareTheAttribute) {
    if (!skimmer::test::pluginTextIsUtf8()) GTEST_SKIP() << skimmer::test::kNoMultiByteLetters;
    TListBoxExItem item = textRow("漢x");
    item.Attr[kLbxCurrent] = {0x2E, 0x1F};
    TListBoxExData data = dataOf({item});
    Canvas out(7, 1);
    DrawListBoxEx(data, out.canvas());
    EXPECT_EQ(out.at(4, 0).Char.UnicodeChar, 0);
    EXPECT_EQ(out.attrAt(3, 0), 0x2E);
    EXPECT_EQ(out.attrAt(4, 0), 0x2E);
    EXPECT_EQ(out.attrAt(5, 0), 0x1F);
}

TEST(DrawTest, StateOutsideTheListDrawsBlanksNotGarbage) {
    TListBoxExData data = dataOf({textRow("a")});
    data.Top = 57;
    data.Current = -9;
    data.Items[0].Attr[kLbxNormal].clear();
    Canvas out(5, 2);
    DrawListBoxEx(data, out.canvas());
    EXPECT_EQ(out.textAt(0), "     ");
    data.Top = 0;
    DrawListBoxEx(data, out.canvas());
    EXPECT_EQ(out.textAt(0), "   a ");
    EXPECT_EQ(out.attrAt(3, 0), 0x07) << "a row without an attribute array falls back to Colors[0]";
}

}  // namespace
}  // namespace skimmer::dialogs::test
