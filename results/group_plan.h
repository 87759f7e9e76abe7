// The group plan: which group runs a search makes, in which order, with which kind word, title,
// line limit and quota, for both engines and every "SKSGroupMode".
//
// Contract: pure arithmetic over the values passed in (no settings are read here, so the caller
// reads them at the moment of use). A limit or quota of 0 means "none", as SearchGroup takes it.
// Quotas that depend on the lines earlier groups used are resolved by QuotaAt when the run
// starts, never when the plan is made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/sort_groups.h"

namespace skimmer::results {

// The built-in groups' titles and kind words.
inline constexpr const char* kProgramsTitle = "Programs";
inline constexpr const char* kFavoritesTitle = "Favorites&History";
inline constexpr const char* kFilesTitle = "Files";
inline constexpr const char* kCommunicationTitle = "Communication";
inline constexpr const char* kLocateTitle = "Items by Locate32";
inline constexpr const char* kProgramsKind = "program";
inline constexpr const char* kFavoritesKind = "favorites";
inline constexpr const char* kFilesKind = "files";
inline constexpr const char* kCommunicationKind = "email";

// "SKSGroupMode" values.
inline constexpr int32_t kGroupModeBuiltIn = 0;
inline constexpr int32_t kGroupModeUser = 1;
inline constexpr int32_t kGroupModeKinds = 2;      // headers where the engine's kind changes
inline constexpr int32_t kGroupModeNoHeaders = 3;

struct TGroupRun {
    std::string KindWord;  // passed to the engine; may be empty
    std::string Title;     // replaces each hit's Kind when not empty
    int32_t LineLimit = 0; // 0: none
    // The quota is QuotaBase, minus the chain's LineCount at the run's start when
    // QuotaLessLineCount is set. A result of 0 means none; a negative one still admits the
    // header and one hit.
    int32_t QuotaBase = 0;
    bool QuotaLessLineCount = false;

    int32_t QuotaAt(int32_t lineCount) const;
    bool operator==(const TGroupRun&) const = default;
};

// What the plan depends on.
struct TGroupPlanInput {
    bool LocateEngine = false;  // "ESKSSearchEngine" not 0
    int32_t GroupMode = 0;      // "SKSGroupMode"
    bool AllResults = false;    // "SKSAllResults"
    int32_t ListLines = 0;      // L, from ListLineCount
    const config::TSKSSortGroups* Groups = nullptr;  // mode 1 only; null counts as no groups
};

// L, the screen lines the list may use: the console height when both the growing window and the
// command-line position are on; otherwise the window height, less the 2 lines of the buttons
// when they are shown.
int32_t ListLineCount(int32_t ConsoleHeight, int32_t WindowHeight, bool WindowAnimation, bool PositionW,
                      bool HideButtons);

// The runs of one search, in order. A group mode outside 0..3 (a damaged setting) plans as mode 0.
// A line limit that works out to exactly 0 from a small window is planned as -1 (a header and one
// hit), never as 0, which would lift the limit.
std::vector<TGroupRun> MakeGroupPlan(const TGroupPlanInput& input);

}  // namespace skimmer::results
