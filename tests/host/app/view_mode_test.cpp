// The view-mode model alone: FAR's mode texts parsed, columns laid out, stripes found.
#include <gtest/gtest.h>

#include "host/app/view_mode.h"

namespace skimmer::host::app {
namespace {

struct ParseCase {
    const char* name;
    const char* types;
    const char* widths;
    const char* keptTypes;   // what is left, as columnTypesText gives it
    const char* keptWidths;  // widths after the natural ones fill the zeros
};

class ParseColumns : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseColumns, KeepsKnownTypesWithTheirWidths) {
    const ParseCase& c = GetParam();
    const std::vector<ColumnSpec> columns = parseColumns(c.types, c.widths);
    EXPECT_EQ(columnTypesText(columns), c.keptTypes);
    EXPECT_EQ(columnWidthsText(columns), c.keptWidths);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseColumns,
    ::testing::Values(ParseCase{"standard_full", "N,S,D,T", "0,0,0,0", "N,S,D,T", "0,10,10,5"},
                      ParseCase{"dates_and_custom", "N,DM,C3,Z", "0,0,7,0", "N,DM,C3,Z", "0,16,7,0"},
                      ParseCase{"unknown_types_go_with_their_widths", "N,A,X,C,CA,S", "0,5,6,7,8,4", "N,S", "0,4"},
                      ParseCase{"odd_widths_share", "N,S,Z", "x,-3,99999", "N,S,Z", "0,10,0"},
                      ParseCase{"fewer_widths_than_types", "N,O", "", "N,O", "0,0"},
                      ParseCase{"spaces_and_modifiers", " NM , SC ", "0, 12", "NM,SC", "0,12"},
                      ParseCase{"nothing_known", "Q,,R", "1,2,3", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseColumns, TitlesFollowTheTypesPositionsAndCommasAreAModifier) {
    const char* const titles[] = {"Who", "skipped", nullptr};
    const std::vector<ColumnSpec> columns = parseColumns("N,A,SC", "", titles);
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].title, "Who");
    EXPECT_EQ(columns[1].title, "Size");  // a null title: the standard one
    EXPECT_TRUE(columns[1].commas);
}

struct LayoutCase {
    const char* name;
    const char* types;
    const char* widths;
    int inner;
    std::vector<int> expected;
};

class LayoutColumns : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutColumns, FitsTheCellsLeavingOutFromTheRight) {
    const LayoutCase& c = GetParam();
    const std::vector<ColumnSpec> columns = parseColumns(c.types, c.widths);
    const std::vector<int> widths = layoutColumns(columns, c.inner);
    EXPECT_EQ(widths, c.expected);
    int used = -1;
    for (int w : widths) used += w > 0 ? w + 1 : 0;
    EXPECT_LE(used, c.inner);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, LayoutColumns,
    ::testing::Values(LayoutCase{"wide", "N,S", "", 28, {17, 10}},
                      LayoutCase{"size_left_out_when_the_name_would_get_too_little", "N,S", "", 23, {23, 0}},
                      LayoutCase{"shared_split_evenly_first_gets_the_rest", "N,N,N", "", 28, {9, 9, 8}},
                      LayoutCase{"full_drops_time_then_date", "N,S,D,T", "", 30, {19, 10, 0, 0}},
                      LayoutCase{"fixed_only_last_takes_the_rest", "S,T", "", 20, {10, 9}},
                      LayoutCase{"fixed_only_too_wide_is_cut", "S,DM", "", 15, {15, 0}},
                      LayoutCase{"no_room", "N,S", "", 0, {0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct StripeCase {
    const char* types;
    int length;
};

class Stripes : public ::testing::TestWithParam<StripeCase> {};

TEST_P(Stripes, RepeatedColumnsFormStripes) {
    EXPECT_EQ(stripeLength(parseColumns(GetParam().types, "")), GetParam().length);
}

INSTANTIATE_TEST_SUITE_P(Modes, Stripes,
                         ::testing::Values(StripeCase{"N,N,N", 1}, StripeCase{"N,S,N,S", 2}, StripeCase{"N,S,D", 3},
                                           StripeCase{"N,S,N", 3}, StripeCase{"", 0}));

}  // namespace
}  // namespace skimmer::host::app
