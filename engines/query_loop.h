// The one query loop: a text's query on an engine, its batches fetched one after another, each
// handed to the caller, until the engine is finished, the caller has enough, a newer text waits
// or the caller stops. The search window's group runs and the search-folder panel both run their
// queries through it; what differs between them is passed in.
//
// Contract:
// - Every status the engine returns is said through `say` as it comes (the window queues it for
//   its UI thread, the panel shows it at once), so both callers show an engine's errors the same
//   way; the loop itself never shows anything and never throws.
// - A query the engine refuses (a non-zero code) ends the loop as Refused with nothing fetched and
//   nothing to end. Once a query has started, it is ended (endQuery) on every way out.
// - A fetch that fails with a code counts as a finished, empty batch, so a failing engine can
//   never keep the loop spinning; a broken engine ends the loop as Broken at once.
// - `superseded` is asked before each fetch; `onBatch` after each one, also an empty one (the
//   locate engine returns empty batches while it waits), with Count and Finished as fetched.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "engines/search_engine.h"
#include "results/search_result.h"

namespace skimmer::engines {

enum class BatchVerdict {
    More,    // go on fetching (unless the engine is finished)
    Enough,  // the caller has what it wants: the query ends as Finished
    Stop,    // a close request: the query ends as Stopped at once
};

enum class QueryEnd { Finished, Refused, Superseded, Stopped, Broken };

struct QueryDriver {
    std::function<bool()> superseded;                                  // empty: never
    std::function<BatchVerdict(results::TSearchResults&)> onBatch;     // empty: More
    std::function<void(const std::string&)> say;                       // empty: nothing is shown
};

QueryEnd RunQuery(SearchEngine& engine, std::string_view text, std::string_view kind, results::TSearchResults& batch,
                  const QueryDriver& driver);

}  // namespace skimmer::engines
