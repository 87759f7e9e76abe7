#include "search/search_group.h"

#include <algorithm>
#include <utility>

namespace skimmer::results {
namespace {

bool ask(const std::function<bool()>& hook) { return hook && hook(); }
void call(const std::function<void()>& hook) {
    if (hook) hook();
}

// Ends the engine's query on every way out of a group run, exceptions included.
class QueryScope {
public:
    explicit QueryScope(TGroupEngine& engine) : engine_(engine) {}
    ~QueryScope() { engine_.EndQuery(); }
    QueryScope(const QueryScope&) = delete;
    QueryScope& operator=(const QueryScope&) = delete;

private:
    TGroupEngine& engine_;
};

// Files one node into the chain's store; false when the chain is full.
bool fileNode(TSearchRun& run, TDynamicSearchResult* node) {
    if (!node) return false;
    FormatLine(*node, run.Chain->Slot(run.Chain->LineCount() - 1), run.Format);
    return true;
}

// Adds lines firstIndex .. LineCount - 1 to the list, each with its node as index data.
void addToList(TSearchRun& run, int32_t firstIndex, TDynamicSearchResult* firstNode) {
    TDynamicSearchResult* node = firstNode;
    for (int32_t i = firstIndex; i < run.Chain->LineCount() && node; ++i, node = node->Next)
        AddListLine(run.List, i, run.Chain->Slot(i), node);
}

}  // namespace

int32_t FileHits(TSearchRun& run, TSearchResults& Results, int32_t LineLimit, int32_t& GroupCount,
                 const std::string& Title, int32_t Quota) {
    TResultChain& chain = *run.Chain;
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

TRunEnd SearchGroup(TSearchRun& run, const std::string& KindWord, const std::string& Title, int32_t LineLimit,
                    int32_t Quota) {
    TResultChain& chain = *run.Chain;
    if (chain.Full()) return TRunEnd::Done;  // nothing more could be filed
    if (!run.Engine->Query(run.CurrentQuery, KindWord)) return TRunEnd::Done;
    QueryScope scope(*run.Engine);
    chain.LastGroupTitle.clear();
    int32_t groupCount = 0;
    if (Quota == 0) Quota = kNoLimit;
    if (LineLimit == 0) LineLimit = kNoLimit;
    bool firstBatch = chain.LineCount() == 0;
    while (true) {
        if (ask(run.Hooks.NewTextPending)) return TRunEnd::NewText;
        TSearchResults& results = *run.Results;
        results.Count = 0;
        results.Finished = false;
        run.Engine->Fetch(results);
        if (results.Count > 0) {
            TDynamicSearchResult* last = chain.Last();
            const int32_t firstIndex = chain.LineCount();
            const int32_t added = FileHits(run, results, LineLimit, groupCount, Title, Quota);
            EnableListRedraw(run.List, false);
            if (added > 0) addToList(run, firstIndex, last ? last->Next : chain.ResultChain());
            call(run.Hooks.UpdateCounter);
            if (ask(run.Hooks.StopRequested)) {
                EnableListRedraw(run.List, true);
                return TRunEnd::Stopped;
            }
            call(run.Hooks.GrowWindow);
            if (firstBatch && run.GroupMode != kGroupModeNoHeaders && added > 0) {
                SetListCursor(run.List, 1, 0);
                firstBatch = false;
            }
            EnableListRedraw(run.List, true);
        } else if (ask(run.Hooks.StopRequested)) {
            return TRunEnd::Stopped;
        }
        if (chain.LineCount() >= LineLimit || groupCount >= Quota || chain.Full() || results.Finished)
            return TRunEnd::Done;
    }
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

}  // namespace skimmer::results
