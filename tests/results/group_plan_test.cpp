#include <gtest/gtest.h>

#include "results/group_plan.h"

namespace skimmer::results {
namespace {

TEST(ListLines, GrowingWindowUsesTheConsoleElseTheWindowLessTheButtons) {
    EXPECT_EQ(ListLineCount(40, 20, true, true, false), 40);
    EXPECT_EQ(ListLineCount(40, 20, true, false, false), 18);
    EXPECT_EQ(ListLineCount(40, 20, false, true, true), 20);
    EXPECT_EQ(ListLineCount(40, 20, false, false, false), 18);
}

TEST(GroupPlan, BuiltInGroupsWithThirtyLines) {
    const auto plan = MakeGroupPlan({false, kGroupModeBuiltIn, false, 30, nullptr});
    ASSERT_EQ(plan.size(), 4u);
    // Q = (30 - 10) / 4 = 5
    EXPECT_EQ(plan[0], (TGroupRun{"program", "Programs", 20, 0, false}));
    EXPECT_EQ(plan[1], (TGroupRun{"favorites", "Favorites&History", 20, 10, true}));
    EXPECT_EQ(plan[2], (TGroupRun{"files", "Files", 20, 15, true}));
    EXPECT_EQ(plan[3], (TGroupRun{"email", "Communication", 24, 0, false}));
    // "Programs" used 8 lines: the favourites get 2; the files 15 less what is shown by then.
    EXPECT_EQ(plan[1].QuotaAt(8), 2);
    EXPECT_EQ(plan[2].QuotaAt(11), 4);
    EXPECT_EQ(plan[1].QuotaAt(10), 0);   // exactly 0: no quota (SearchGroup takes 0 as none)
    EXPECT_EQ(plan[1].QuotaAt(13), -3);  // negative: header and one hit
}

TEST(GroupPlan, ALimitThatWorksOutToZeroStaysALimit) {
    for (const int32_t L : {9, 10, 11}) {
        const auto plan = MakeGroupPlan({false, kGroupModeBuiltIn, false, L, nullptr});
        EXPECT_LT(plan[0].LineLimit, L) << L;
        EXPECT_NE(plan[0].LineLimit, 0) << L;
    }
    EXPECT_EQ(MakeGroupPlan({false, kGroupModeBuiltIn, false, 10, nullptr})[0].LineLimit, -1);
    EXPECT_EQ(MakeGroupPlan({false, kGroupModeBuiltIn, false, 6, nullptr})[3].LineLimit, -1);
    EXPECT_EQ(MakeGroupPlan({false, kGroupModeKinds, false, 6, nullptr})[0].LineLimit, -1);
    EXPECT_EQ(MakeGroupPlan({true, kGroupModeBuiltIn, false, 6, nullptr})[0].LineLimit, -1);
}

TEST(GroupPlan, QuotaDividesTowardZero) {
    // L = 7: Q = (7 - 10) / 4 = 0 (not -1), so both quotas start at 0 less the lines shown.
    const auto plan = MakeGroupPlan({false, kGroupModeBuiltIn, false, 7, nullptr});
    EXPECT_EQ(plan[1].QuotaBase, 0);
    EXPECT_EQ(plan[0].LineLimit, -3);
}

struct ModeCase {
    TGroupPlanInput input;
    std::vector<TGroupRun> runs;
};

class PlanModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(PlanModes, Runs) { EXPECT_EQ(MakeGroupPlan(GetParam().input), GetParam().runs); }

config::TSKSSortGroups twoGroups() {
    config::TSKSSortGroups g;
    g.SortGroups[0] = {"Docs", "document", "ext:pdf", 5};
    g.SortGroups[1] = {"Music", "music", "", 0};
    g.SortGroups[2] = {"Unused", "x", "y", 3};
    g.SortGroupCount = 2;
    return g;
}
const config::TSKSSortGroups kTwoGroups = twoGroups();

INSTANTIATE_TEST_SUITE_P(
    Modes, PlanModes,
    ::testing::Values(
        ModeCase{{false, kGroupModeBuiltIn, true, 30, nullptr},
                 {{"program", "Programs", 0, 0, false},
                  {"favorites", "Favorites&History", 0, 0, false},
                  {"files", "Files", 0, 0, false},
                  {"email", "Communication", 0, 0, false}}},
        ModeCase{{false, kGroupModeUser, false, 30, &kTwoGroups},
                 {{"document ext:pdf", "Docs", 0, 5, false}, {"music ", "Music", 0, 0, false}}},
        ModeCase{{false, kGroupModeUser, false, 30, nullptr}, {}},
        ModeCase{{false, kGroupModeKinds, false, 30, nullptr}, {{"", "", 24, 24, false}}},
        ModeCase{{false, kGroupModeNoHeaders, true, 30, nullptr}, {{"", "", 0, 0, false}}},
        // the locate engine ignores the group mode and the user groups
        ModeCase{{true, kGroupModeUser, false, 30, &kTwoGroups}, {{"", "Items by Locate32", 24, 0, false}}},
        ModeCase{{true, kGroupModeBuiltIn, true, 30, nullptr}, {{"", "Items by Locate32", 0, 0, false}}},
        // a damaged mode plans as the built-in groups
        ModeCase{{false, 9, true, 30, nullptr},
                 {{"program", "Programs", 0, 0, false},
                  {"favorites", "Favorites&History", 0, 0, false},
                  {"files", "Files", 0, 0, false},
                  {"email", "Communication", 0, 0, false}}}));

}  // namespace
}  // namespace skimmer::results
