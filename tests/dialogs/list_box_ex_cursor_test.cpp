// The cursor arithmetic: stepping over hidden rows, keeping the cursor on selectable rows and the
// first shown row where the cursor stays visible.
#include <gtest/gtest.h>

#include "tests/dialogs/list_fixture.h"

namespace skimmer::dialogs::test {
namespace {

struct StepCase {
    const char* shape;
    int32_t from, n;
    bool down;
    int32_t step, stepWrap;
};

class StepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepTest, CountsOnlyShownRowsAndWrapsToTheEnds) {
    const auto& c = GetParam();
    const TListBoxExData data = listOf(c.shape);
    EXPECT_EQ(Step(data, c.from, c.n, c.down), c.step);
    EXPECT_EQ(StepWrap(data, c.from, c.n, c.down), c.stepWrap);
}

INSTANTIATE_TEST_SUITE_P(Lists, StepTest, ::testing::Values(
    // n = 0: the first shown row at or after the start.
    StepCase{"....", 0, 0, true, 0, 0}, StepCase{"hh..", 0, 0, true, 2, 2}, StepCase{"..hh", 3, 0, false, 1, 1},
    // counted moves skip hidden rows; separators and highlighted rows count.
    StepCase{".h.h.", 0, 2, true, 4, 4}, StepCase{".s.l.", 4, 3, false, 1, 1}, StepCase{".h.h.", 4, 1, false, 2, 2},
    // leaving the list: -1, or the end row in that direction (stepping back off a hidden one).
    StepCase{"....", 2, 5, true, -1, 3}, StepCase{"...h", 1, 5, true, -1, 2}, StepCase{"h...", 2, 5, false, -1, 1},
    StepCase{"hhhh", 0, 0, true, -1, -1}, StepCase{"", 0, 0, true, -1, -1}));

struct FixCurrentCase {
    const char* shape;
    int32_t current, top;
    bool preferDown;
    int32_t expectCurrent, expectTop;
};

class FixCurrentTest : public ::testing::TestWithParam<FixCurrentCase> {};

TEST_P(FixCurrentTest, LandsOnTheNearestSelectableRow) {
    const auto& c = GetParam();
    TListBoxExData data = listOf(c.shape, c.current, c.top);
    FixCurrent(data, c.preferDown);
    EXPECT_EQ(data.Current, c.expectCurrent);
    EXPECT_EQ(data.Top, c.expectTop);
}

INSTANTIATE_TEST_SUITE_P(Lists, FixCurrentTest, ::testing::Values(
    FixCurrentCase{"", 3, 0, true, -1, 0},          // empty list: no current row
    FixCurrentCase{"...", 7, 0, true, 2, 0},        // clamped into the list
    FixCurrentCase{"...", -4, 0, true, 0, 0},
    FixCurrentCase{".s.", 1, 0, true, 2, 0},        // preferred direction first
    FixCurrentCase{".s.", 1, 0, false, 0, 0},
    FixCurrentCase{".ss", 2, 0, true, 0, 0},        // then the other one
    FixCurrentCase{"shl", 1, 0, true, 1, 0},        // nothing selectable: stays
    FixCurrentCase{"s..", 1, 1, false, 1, 0}));     // moving up under a title shows the title

struct FixTopCase {
    const char* shape;
    int32_t current, top, height;
    int32_t expectTop;
};

class FixTopTest : public ::testing::TestWithParam<FixTopCase> {};

TEST_P(FixTopTest, KeepsTheCurrentRowInTheWindow) {
    const auto& c = GetParam();
    TListBoxExData data = listOf(c.shape, c.current, c.top);
    FixTop(data, c.height);
    EXPECT_EQ(data.Top, c.expectTop);
    EXPECT_EQ(data.Current, c.current);
}

INSTANTIATE_TEST_SUITE_P(Lists, FixTopTest, ::testing::Values(
    FixTopCase{"", -1, 4, 3, -1},
    FixTopCase{"..........", 5, 4, 3, 4},    // visible: kept
    FixTopCase{"..........", 8, 2, 3, 6},    // below the window: it becomes the last row
    FixTopCase{"..........", 1, 5, 3, 1},    // above: it becomes the first row
    FixTopCase{"..hh......", 5, 0, 3, 1},    // hidden rows take no screen row
    FixTopCase{"h.........", 1, 0, 3, 1},    // the first shown row at or after Top
    FixTopCase{"..........", 9, 42, 3, 9},   // clamped, then not after the current row
    FixTopCase{".....", 2, 0, 1, 2}));

}  // namespace
}  // namespace skimmer::dialogs::test
