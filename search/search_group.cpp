#include "search/search_group.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "engines/query_loop.h"

namespace skimmer::search {

using results::kGroupModeNoHeaders;
using results::kSearchResultSlots;
namespace {

bool ask(const std::function<bool()>& hook) { return hook && hook(); }
void call(const std::function<void()>& hook) {
    if (hook) hook();
}

// Formats the node just filed into the batch's next row; false when the chain was full.
bool fileNode(TSearchRun& run, TDynamicSearchResult* node) {
    if (!node) return false;
    FormatLine(*node, run.Rows.emplace_back(), run.Format);
    return true;
}

// Adds the batch's rows to the list as lines firstIndex onwards, each with its node as index data.
void addToList(TSearchRun& run, int32_t firstIndex, TDynamicSearchResult* firstNode) {
    TDynamicSearchResult* node = firstNode;
    int32_t index = firstIndex;
    for (auto row = run.Rows.begin(); row != run.Rows.end() && node; ++row, ++index, node = node->Next)
        AddListLine(run.List, index, *row, node);
}

}  // namespace

int32_t FileHits(TSearchRun& run, TSearchResults& Results, int32_t LineLimit, int32_t& GroupCount,
                 const std::string& Title, int32_t Quota) {
    TResultChain& chain = *run.Chain;
    run.Rows.clear();
    int32_t added = 0;
    const int32_t count = Results.Count < 0 ? 0 : std::min(Results.Count, kSearchResultSlots);
    for (int32_t i = 0; i < count; ++i) {
        TSearchResult& row = Results.Items[static_cast<size_t>(i)];
        if (!Title.empty()) row.Kind = Title;
        if (row.Kind != chain.LastGroupTitle && run.GroupMode != kGroupModeNoHeaders) {
            chain.LastGroupTitle = row.Kind;
            if (!fileNode(run, chain.AppendHeader(chain.LastGroupTitle))) break;
            ++GroupCount;
            ++added;
        }
        if (!fileNode(run, chain.AppendHit(std::move(row)))) break;
        ++GroupCount;
        ++added;
        if (chain.LineCount() >= LineLimit || GroupCount >= Quota) break;
    }
    return added;
}

namespace {

// One group's batches as the query loop hands them over: filed, listed, counted, the window grown.
class GroupFiling {
public:
    GroupFiling(TSearchRun& run, const std::string& title, int32_t lineLimit, int32_t quota)
        : run_(run), title_(title), lineLimit_(lineLimit), quota_(quota), firstBatch_(run.Chain->LineCount() == 0) {}

    engines::BatchVerdict take(TSearchResults& results) {
        TResultChain& chain = *run_.Chain;
        if (results.Count > 0) {
            if (fileBatch(results) == engines::BatchVerdict::Stop) return engines::BatchVerdict::Stop;
        } else if (ask(run_.Hooks.StopRequested)) {
            return engines::BatchVerdict::Stop;
        }
        if (chain.LineCount() >= lineLimit_ || groupCount_ >= quota_ || chain.Full())
            return engines::BatchVerdict::Enough;
        return engines::BatchVerdict::More;
    }

private:
    engines::BatchVerdict fileBatch(TSearchResults& results) {
        TResultChain& chain = *run_.Chain;
        TDynamicSearchResult* last = chain.Last();
        const int32_t firstIndex = chain.LineCount();
        const int32_t added = FileHits(run_, results, lineLimit_, groupCount_, title_, quota_);
        EnableListRedraw(run_.List, false);
        if (added > 0) addToList(run_, firstIndex, last ? last->Next : chain.ResultChain());
        call(run_.Hooks.UpdateCounter);
        if (ask(run_.Hooks.StopRequested)) {
            EnableListRedraw(run_.List, true);
            return engines::BatchVerdict::Stop;
        }
        call(run_.Hooks.GrowWindow);
        if (firstBatch_ && run_.GroupMode != kGroupModeNoHeaders && added > 0) {
            SetListCursor(run_.List, 1, 0);
            firstBatch_ = false;
        }
        EnableListRedraw(run_.List, true);
        return engines::BatchVerdict::More;
    }

    TSearchRun& run_;
    const std::string& title_;
    int32_t lineLimit_;
    int32_t quota_;
    int32_t groupCount_ = 0;
    bool firstBatch_;
};

TRunEnd runEnd(engines::QueryEnd end) {
    switch (end) {
        case engines::QueryEnd::Superseded: return TRunEnd::NewText;
        case engines::QueryEnd::Stopped: return TRunEnd::Stopped;
        case engines::QueryEnd::Broken: return TRunEnd::Failed;
        case engines::QueryEnd::Finished:
        case engines::QueryEnd::Refused: return TRunEnd::Done;
    }
    return TRunEnd::Done;
}

}  // namespace

TRunEnd SearchGroup(TSearchRun& run, const std::string& KindWord, const std::string& Title, int32_t LineLimit,
                    int32_t Quota) {
    if (run.Chain->Full()) return TRunEnd::Done;  // nothing more could be filed
    run.Chain->LastGroupTitle.clear();
    GroupFiling filing(run, Title, LineLimit == 0 ? kNoLimit : LineLimit, Quota == 0 ? kNoLimit : Quota);
    engines::QueryDriver driver;
    driver.superseded = [&run] { return ask(run.Hooks.NewTextPending); };
    driver.onBatch = std::bind_front(&GroupFiling::take, &filing);
    driver.say = run.Say;
    return runEnd(engines::RunQuery(*run.Engine, run.CurrentQuery, KindWord, *run.Results, driver));
}

TRunEnd RunGroupPlan(TSearchRun& run, const std::vector<TGroupRun>& plan) {
    for (const TGroupRun& group : plan) {
        if (ask(run.Hooks.StopRequested)) return TRunEnd::Stopped;
        if (ask(run.Hooks.NewTextPending)) return TRunEnd::NewText;
        const TRunEnd end = SearchGroup(run, group.KindWord, group.Title, group.LineLimit,
                                        group.QuotaAt(run.Chain->LineCount()));
        if (end != TRunEnd::Done) return end;
    }
    return TRunEnd::Done;
}

}  // namespace skimmer::search
