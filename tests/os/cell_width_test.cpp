#include "os/cell_width.h"

#include <gtest/gtest.h>

namespace skimmer::os {
namespace {

struct WidthCase {
    char32_t cp;
    int cells;
};

class CellWidthOf : public ::testing::TestWithParam<WidthCase> {};

TEST_P(CellWidthOf, MatchesTheConsole) { EXPECT_EQ(cellWidth(GetParam().cp), GetParam().cells); }

INSTANTIATE_TEST_SUITE_P(
    Characters, CellWidthOf,
    ::testing::Values(WidthCase{U'A', 1}, WidthCase{U'\u00E9', 1}, WidthCase{U'\u0436', 1},
                      WidthCase{U'\u0301', 1},       // a combining mark is drawn in a cell of its own
                      WidthCase{U'\u0007', 1},       // a control, drawn as a placeholder
                      WidthCase{U'\u1100', 2},       // the first wide character
                      WidthCase{U'\u3042', 2},       // hiragana
                      WidthCase{U'\uAC00', 2},       // hangul
                      WidthCase{U'\uFF21', 2},       // fullwidth A
                      WidthCase{U'\U0001F600', 2},   // an emoji
                      WidthCase{U'\U00020000', 2},   // CJK extension B
                      WidthCase{U'\uFFFD', 1}, WidthCase{char32_t{0x110000}, 1}));

TEST(TextCells, CountsWideCharactersTwiceAndBrokenBytesOnce) {
    EXPECT_EQ(textCells(""), 0u);
    EXPECT_EQ(textCells("abc"), 3u);
    EXPECT_EQ(textCells("a\xE3\x81\x82" "b"), 4u);  // a, あ, b
    EXPECT_EQ(textCells("\xFF\xFE"), 2u);
}

}  // namespace
}  // namespace skimmer::os
