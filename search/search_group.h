// Running the group plan of one search: each group runs the engine's query for the text with the
// group's kind word through the one query loop (engines/query_loop.h), files every batch into the
// result chain (with a header line where the group title changes) and adds the new lines to the
// window's list, until the group's line limit or quota is met, the engine is finished, or a newer
// text or a close request arrives.
//
// Contract: runs on the search thread only. The window is reached through the hooks and the list
// target below. The engine's errors are said through `Say` as the loop meets them; a broken
// engine (its "Safecall error") ends the plan as Failed, after its query was ended, and the
// caller closes the engine. The chain never grows past kLineStoreSlots lines: a group that meets
// the bound ends as if its line limit were met.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "dialogs/list_box_ex_item.h"
#include "engines/search_engine.h"
#include "results/group_plan.h"
#include "results/result_chain.h"
#include "results/search_result.h"
#include "search/line_format.h"
#include "search/list_filing.h"

namespace skimmer::search {

using results::TDynamicSearchResult;
using results::TGroupRun;
using results::TResultChain;
using results::TSearchResult;
using results::TSearchResults;

// What the window and the thread supply; empty functions count as "no" / do nothing.
struct TSearchGroupHooks {
    std::function<bool()> NewTextPending;  // a newer text waits: end the run after this batch
    std::function<bool()> StopRequested;   // close requested or thread terminated: return at once
    std::function<void()> UpdateCounter;   // after each batch: the counter text
    std::function<void()> GrowWindow;      // after each batch: the growing window's height
};

// One search: its text, its chain and batch, where lines go, and how they look.
struct TSearchRun {
    std::string CurrentQuery;
    int32_t GroupMode = 0;  // "SKSGroupMode"
    TResultChain* Chain = nullptr;
    TSearchResults* Results = nullptr;
    engines::SearchEngine* Engine = nullptr;  // open; the run's queries go to it
    TListTarget List;
    TLineFormatContext Format;
    TSearchGroupHooks Hooks;
    std::function<void(const std::string&)> Say;  // the engine's error texts; empty: not shown
    // The rows FileHits formatted for the lines it filed, in order, until the batch's lines are in
    // the list. The list box keeps its own copies, so no row outlives its batch here.
    std::vector<dialogs::TListBoxExItem> Rows;
};

enum class TRunEnd {
    Done,        // every run of the plan finished
    NewText,     // a newer text is pending
    Stopped,     // close requested or terminated
    Failed,      // the engine broke (said through Say): the search ends, the engine is reopened
};

// What a limit or quota of 0 becomes.
constexpr int32_t kNoLimit = std::numeric_limits<int32_t>::max();

// Files rows 0 .. Count - 1 of `Results` and returns the number of lines added (headers included);
// run.Rows then holds their formatted rows. GroupCount is the running count of the group's lines
// and is updated in place.
int32_t FileHits(TSearchRun& run, TSearchResults& Results, int32_t LineLimit, int32_t& GroupCount,
                 const std::string& Title, int32_t Quota);

// One group run. Returns why it ended (Done when its limits were met or the engine finished).
TRunEnd SearchGroup(TSearchRun& run, const std::string& KindWord, const std::string& Title, int32_t LineLimit,
                    int32_t Quota);

// Every run of `plan` in order, each quota resolved when its run starts; stops at a newer text or
// a stop request.
TRunEnd RunGroupPlan(TSearchRun& run, const std::vector<TGroupRun>& plan);

}  // namespace skimmer::search
