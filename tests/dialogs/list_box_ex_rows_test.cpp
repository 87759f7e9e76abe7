// The row edits behind the list box's messages: what each does to the rows, the cursor and the
// first shown row, and that arguments outside the list change nothing.
#include <gtest/gtest.h>

#include "dialogs/list_box_ex_rows.h"
#include "tests/dialogs/list_fixture.h"
#include "tests/support/system_text.h"

namespace skimmer::dialogs::test {
namespace {

std::string texts(const TListBoxExData& data) {
    std::string out;
    for (const auto& item : data.Items) out += item.Text.substr(3) + ",";
    return out;
}

struct DeleteCase {
    const char* shape;
    int32_t current, top, index, number;
    bool done;
    std::string rows;
    int32_t expectCurrent, expectTop;
};

class DeleteTest : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(DeleteTest, RemovesTheRangeAndKeepsTheCursorOnAShownRow) {
    const auto& c = GetParam();
    TListBoxExData data = listOf(c.shape, c.current, c.top);
    EXPECT_EQ(DeleteRows(data, c.index, c.number, 3), c.done);
    EXPECT_EQ(texts(data), c.rows);
    EXPECT_EQ(data.Current, c.expectCurrent);
    EXPECT_EQ(data.Top, c.expectTop);
}

INSTANTIATE_TEST_SUITE_P(Ranges, DeleteTest, ::testing::Values(
    DeleteCase{".....", 3, 2, 0, 0, true, "", -1, -1},               // (0, 0): every row
    DeleteCase{".....", 4, 2, 1, 2, true, "0,3,4,", 2, 2},           // after the range: moves up
    DeleteCase{".....", 2, 0, 1, 3, true, "0,4,", 1, 0},             // inside: the range's start
    DeleteCase{".....", 0, 0, 3, 9, true, "0,1,2,", 0, 0},           // cut to the end
    DeleteCase{".s...", 3, 1, 2, 2, true, "0,1,4,", 2, 1},
    DeleteCase{"..s..", 1, 0, 1, 1, true, "0,2,3,4,", 2, 0},         // lands on the separator: down
    DeleteCase{"....s", 1, 0, 2, 3, true, "0,1,", 1, 0},
    DeleteCase{"...", 1, 0, 3, 1, false, "0,1,2,", 1, 0},            // outside the list: nothing
    DeleteCase{"...", 1, 0, -1, 1, false, "0,1,2,", 1, 0},
    DeleteCase{"...", 1, 0, 1, -2, false, "0,1,2,", 1, 0},
    DeleteCase{"", -1, -1, 0, 0, false, "", -1, -1}));

TEST(RowsTest, AddingToAnEmptyListMakesTheFirstSelectableRowCurrent) {
    TListBoxExData data = listOf("", -1, -1);
    EXPECT_TRUE(AddRows(data, {row(0, kLbxSeparator), row(1), row(2)}, 3));
    EXPECT_EQ(data.Current, 1);
    EXPECT_EQ(data.Top, 0) << "the title stays in view";
    EXPECT_TRUE(AddRows(data, {row(3)}, 3));
    EXPECT_EQ(data.Current, 1) << "a list that had rows keeps its cursor";
    EXPECT_FALSE(AddRows(data, {}, 3));
}

TEST(RowsTest, RowsArrivingAfterATitleAloneTakeTheCursor) {
    TListBoxExData data = listOf("", -1, -1);
    AddRows(data, {row(0, kLbxSeparator)}, 3);
    EXPECT_EQ(data.Current, 0);
    AddRows(data, {row(1), row(2)}, 3);
    EXPECT_EQ(data.Current, 1);
}

struct AttrFillCase {
    std::string text;
    std::array<TByteArray, 3> given;
    std::array<TByteArray, 3> expect;
};

class SetRowTest : public ::testing::TestWithParam<AttrFillCase> {};

TEST_P(SetRowTest, AttributeArraysHoldOneEntryPerColumn) {
    if (!skimmer::test::pluginTextIsUtf8() && !skimmer::test::isAscii(GetParam().text))
        GTEST_SKIP() << skimmer::test::kNoMultiByteLetters;
    TListBoxExData data = listOf("..", 0, 0);
    TListBoxExItem item;
    item.Text = GetParam().text;
    item.Attr = GetParam().given;
    ASSERT_TRUE(SetRow(data, 1, item, 3));
    EXPECT_EQ(data.Items[1].Attr, GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(Arrays, SetRowTest, ::testing::Values(
    AttrFillCase{"abc", {}, {TByteArray{1, 1, 1}, TByteArray{3, 3, 3}, TByteArray{5, 5, 5}}},
    AttrFillCase{"ab", {TByteArray{9, 8}, TByteArray{7}, TByteArray{6, 6, 6}},
                 {TByteArray{9, 8}, TByteArray{7, 3}, TByteArray{6, 6}}},
    AttrFillCase{"ж漢", {TByteArray{0x1F, 0x2F}, {}, {}},                // columns are code points
                 {TByteArray{0x1F, 0x2F}, TByteArray{3, 3}, TByteArray{5, 5}}},
    AttrFillCase{"", {TByteArray{4}, {}, {}}, {TByteArray{}, TByteArray{}, TByteArray{}}}));

TEST(RowsTest, SettingOrFlaggingTheCurrentRowUnselectableMovesTheCursor) {
    TListBoxExData data = listOf("...", 1, 0);
    EXPECT_TRUE(SetRowFlags(data, 1, kLbxHidden, 3));
    EXPECT_EQ(data.Current, 2);
    EXPECT_TRUE(SetRow(data, 2, row(2, kLbxSeparator), 3));
    EXPECT_EQ(data.Current, 0);
    EXPECT_FALSE(SetRow(data, 3, row(3), 3));
    EXPECT_FALSE(SetRowFlags(data, -1, 0, 3));
}

TEST(RowsTest, InsertingAboveTheCursorKeepsItOnItsRow) {
    TListBoxExData data = listOf("...", 1, 0);
    EXPECT_TRUE(InsertRow(data, 0, row(9), 3));
    EXPECT_EQ(texts(data), "9,0,1,2,");
    EXPECT_EQ(data.Current, 2);
    EXPECT_TRUE(InsertRow(data, 4, row(8), 3));
    EXPECT_EQ(texts(data), "9,0,1,2,8,");
    EXPECT_FALSE(InsertRow(data, 6, row(7), 3));

    TListBoxExData empty = listOf("", -1, -1);
    EXPECT_TRUE(InsertRow(empty, 0, row(0), 3));
    EXPECT_EQ(empty.Current, 0);
    EXPECT_EQ(empty.Top, 0);
}

struct IndexCase {
    int32_t rows, values, index;
    bool accepted;
};

class IndexDataTest : public ::testing::TestWithParam<IndexCase> {};

TEST_P(IndexDataTest, ValuesGrowByRowOrByOneNeverWithoutBound) {
    TListBoxExData data = listOf(std::string(static_cast<size_t>(GetParam().rows), '.'), 0, 0);
    data.IndexData.assign(static_cast<size_t>(GetParam().values), 0);
    EXPECT_EQ(SetIndexValue(data, GetParam().index, 77), GetParam().accepted);
    if (GetParam().accepted) {
        EXPECT_EQ(data.IndexData[static_cast<size_t>(GetParam().index)], 77);
    } else {
        EXPECT_EQ(data.IndexData.size(), static_cast<size_t>(GetParam().values));
    }
}

INSTANTIATE_TEST_SUITE_P(Indexes, IndexDataTest, ::testing::Values(
    IndexCase{5, 0, 4, true}, IndexCase{0, 3, 3, true}, IndexCase{0, 3, 2, true}, IndexCase{5, 0, 6, false},
    IndexCase{0, 0, -1, false}, IndexCase{2, 2, 0x7FFFFFFF, false}));

struct AttrCase {
    int32_t index, state, column;
    bool done;
};

class SetAttrTest : public ::testing::TestWithParam<AttrCase> {};

TEST_P(SetAttrTest, ChangesOneCellOfOneStateInsideTheText) {
    TListBoxExData data;
    AddRows(data, {row(0), row(1)}, 3);
    const TListBoxExAttr attr{GetParam().index, GetParam().state, GetParam().column, 0x4E};
    EXPECT_EQ(SetRowAttr(data, attr), GetParam().done);
    if (!GetParam().done) return;
    const auto& item = data.Items[static_cast<size_t>(attr.Index)];
    EXPECT_EQ(item.Attr[static_cast<size_t>(attr.State)][static_cast<size_t>(attr.Column)], 0x4E);
}

INSTANTIATE_TEST_SUITE_P(Cells, SetAttrTest, ::testing::Values(
    AttrCase{1, 2, 3, true}, AttrCase{0, 0, 0, true}, AttrCase{2, 0, 0, false}, AttrCase{0, 3, 0, false},
    AttrCase{0, -1, 0, false}, AttrCase{0, 0, 4, false}, AttrCase{0, 0, -1, false}));

TEST(RowsTest, ColoursComeFromTheStyleWordsAndFromTheOwner) {
    const std::array<uint16_t, 4> words = {0x1B1B, 0x3031, 0x1E1E, 0x7070};
    TListBoxExData data;
    data.Colors = DefaultLbxColors(words);
    EXPECT_EQ(data.Colors, (std::array<uint8_t, 6>{0x1B, 0x1B, 0x1B, 0x31, 0x31, 0x1E}));
    EXPECT_TRUE(SetLbxColors(data, {2, {0xAA, 0xBB, 0xCC}}));
    EXPECT_EQ(data.Colors, (std::array<uint8_t, 6>{0xAA, 0xBB, 0x1B, 0x31, 0x31, 0x1E}));
    EXPECT_TRUE(SetLbxColors(data, {40, {0x01}}));  // never reads past what it was given
    EXPECT_EQ(data.Colors[0], 0x01);
    EXPECT_EQ(data.Colors[1], 0xBB);
    EXPECT_FALSE(SetLbxColors(data, {6, {}}));
}

TEST(RowsTest, SelectingAScreenRowCountsOnlyShownRows) {
    TListBoxExData data = listOf(".hh.s..", 0, 0);
    EXPECT_TRUE(SelectRowAt(data, 1, 5));
    EXPECT_EQ(data.Current, 3);
    EXPECT_TRUE(SelectRowAt(data, 2, 5));
    EXPECT_EQ(data.Current, 5) << "a separator under the pointer gives the row below";
    EXPECT_TRUE(SelectRowAt(data, 4, 5));
    EXPECT_EQ(data.Current, 6);
    EXPECT_FALSE(SelectRowAt(data, 5, 5)) << "below the last row";
    EXPECT_EQ(data.Current, 6);
}

}  // namespace
}  // namespace skimmer::dialogs::test
