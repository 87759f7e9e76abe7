// Running the group plan of one search: each group asks the engine for the text with the group's
// kind word, files every batch into the result chain (with a header line where the group title
// changes) and adds the new lines to the window's list, until the group's line limit or quota is
// met, the engine is finished, or a newer text or a close request arrives.
//
// Contract: runs on the search thread only. The engine and the window are reached through the
// interfaces below, so this file includes neither. The engine's query is ended on every way out
// of a group run, also when the engine throws (its "Safecall error" ends the search: the
// exception goes on to the caller, after the query was ended). The chain never grows past
// kLineStoreSlots lines: a group that meets the bound ends as if its line limit were met.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "dialogs/list_box_ex_item.h"
#include "results/group_plan.h"
#include "results/result_chain.h"
#include "results/search_result.h"
#include "search/line_format.h"
#include "search/list_filing.h"

namespace skimmer::search {

// The chosen engine's query, fetch and end, as one group run uses them.
class TGroupEngine {
public:
    virtual ~TGroupEngine() = default;
    // Starts a query for `text` restricted by `kindWord` (may be empty). False: the engine could
    // not start it; the group run then files nothing (the engine has said why).
    virtual bool Query(const std::string& text, const std::string& kindWord) = 0;
    // Fills `results` from slot 0 with the next batch (Count may be 0; Finished when no more).
    virtual void Fetch(results::TSearchResults& results) = 0;
    virtual void EndQuery() = 0;
};

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
    results::TResultChain* Chain = nullptr;
    results::TSearchResults* Results = nullptr;
    TGroupEngine* Engine = nullptr;
    TListTarget List;
    TLineFormatContext Format;
    TSearchGroupHooks Hooks;
    // The rows FileHits formatted for the lines it filed, in order, until the batch's lines are in
    // the list. The list box keeps its own copies, so no row outlives its batch here.
    std::vector<dialogs::TListBoxExItem> Rows;
};

enum class TRunEnd {
    Done,        // every run of the plan finished
    NewText,     // a newer text is pending
    Stopped,     // close requested or terminated
};

// What a limit or quota of 0 becomes.
constexpr int32_t kNoLimit = std::numeric_limits<int32_t>::max();

// Files rows 0 .. Count - 1 of `Results` and returns the number of lines added (headers included);
// run.Rows then holds their formatted rows. GroupCount is the running count of the group's lines
// and is updated in place.
int32_t FileHits(TSearchRun& run, results::TSearchResults& Results, int32_t LineLimit, int32_t& GroupCount,
                 const std::string& Title, int32_t Quota);

// One group run. Returns why it ended (Done when its limits were met or the engine finished).
TRunEnd SearchGroup(TSearchRun& run, const std::string& KindWord, const std::string& Title, int32_t LineLimit,
                    int32_t Quota);

// Every run of `plan` in order, each quota resolved when its run starts; stops at a newer text or
// a stop request.
TRunEnd RunGroupPlan(TSearchRun& run, const std::vector<results::TGroupRun>& plan);

}  // namespace skimmer::search
