#include "results/group_plan.h"

namespace skimmer::results {

int32_t TGroupRun::QuotaAt(int32_t lineCount) const {
    return QuotaLessLineCount ? QuotaBase - lineCount : QuotaBase;
}

int32_t ListLineCount(int32_t ConsoleHeight, int32_t WindowHeight, bool WindowAnimation, bool PositionW,
                      bool HideButtons) {
    if (WindowAnimation && PositionW) return ConsoleHeight;
    return HideButtons ? WindowHeight : WindowHeight - 2;
}

namespace {

// A line limit computed from a small window. 0 would mean "no limit" to a group run, so a window
// of exactly 10 (or 6) lines would let every group fill thousands of lines while one line fewer
// or more shows a header and one hit each; exactly 0 is taken like its negative neighbours.
int32_t computedLimit(int32_t lines) { return lines == 0 ? -1 : lines; }

std::vector<TGroupRun> builtInPlan(int32_t L, bool all) {
    const int32_t q = (L - 10) / 4;  // C++ division truncates toward zero
    if (all) {
        return {{kProgramsKind, kProgramsTitle, 0, 0, false},
                {kFavoritesKind, kFavoritesTitle, 0, 0, false},
                {kFilesKind, kFilesTitle, 0, 0, false},
                {kCommunicationKind, kCommunicationTitle, 0, 0, false}};
    }
    const int32_t limit = computedLimit(L - 10);
    return {{kProgramsKind, kProgramsTitle, limit, 0, false},
            {kFavoritesKind, kFavoritesTitle, limit, 2 * q, true},
            {kFilesKind, kFilesTitle, limit, 3 * q, true},
            {kCommunicationKind, kCommunicationTitle, computedLimit(L - 6), 0, false}};
}

std::vector<TGroupRun> userPlan(const config::TSKSSortGroups* groups) {
    std::vector<TGroupRun> runs;
    if (!groups) return runs;
    const int32_t count = groups->SortGroupCount < 0 ? 0
                          : groups->SortGroupCount > config::kMaxSortGroups ? config::kMaxSortGroups
                                                                             : groups->SortGroupCount;
    for (int32_t i = 0; i < count; ++i) {
        const auto& g = groups->SortGroups[static_cast<size_t>(i)];
        runs.push_back({g.Kind + " " + g.Ext, g.Name, 0, g.Max, false});
    }
    return runs;
}

}  // namespace

std::vector<TGroupRun> MakeGroupPlan(const TGroupPlanInput& input) {
    const int32_t L = input.ListLines;
    const int32_t rest = input.AllResults ? 0 : computedLimit(L - 6);
    if (input.LocateEngine) return {{"", kLocateTitle, rest, 0, false}};
    switch (input.GroupMode) {
        case kGroupModeUser: return userPlan(input.Groups);
        case kGroupModeKinds:
        case kGroupModeNoHeaders: return {{"", "", rest, rest, false}};
        default: return builtInPlan(L, input.AllResults);
    }
}

}  // namespace skimmer::results
