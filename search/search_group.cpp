#include "search/search_group.h"

#include <algorithm>
#include <utility>

namespace skimmer::search {
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

// Formats the node just filed into the batch's next row; false when the chain was full.
bool fileNode(TSearchRun& run, results::TDynamicSearchResult* node) {
    if (!node) return false;
    FormatLine(*node, run.Rows.emplace_back(), run.Format);
    return true;
}

// Adds the batch's rows to the list as lines firstIndex onwards, each with its node as index data.
void addToList(TSearchRun& run, int32_t firstIndex, results::TDynamicSearchResult* firstNode) {
    results::TDynamicSearchResult* node = firstNode;
    int32_t index = firstIndex;
    for (auto row = run.Rows.begin(); row != run.Rows.end() && node; ++row, ++index, node = node->Next)
        AddListLine(run.List, index, *row, node);
}

}  // namespace

int32_t FileHits(TSearchRun& run, results::TSearchResults& Results, int32_t LineLimit, int32_t& GroupCount,
                 const std::string& Title, int32_t Quota) {
    results::TResultChain& chain = *run.Chain;
    run.Rows.clear();
    int32_t added = 0;
    const int32_t count = Results.Count < 0 ? 0 : std::min(Results.Count, results::kSearchResultSlots);
    for (int32_t i = 0; i < count; ++i) {
        results::TSearchResult& row = Results.Items[static_cast<size_t>(i)];
        if (!Title.empty()) row.Kind = Title;
        if (row.Kind != chain.LastGroupTitle && run.GroupMode != results::kGroupModeNoHeaders) {
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
    results::TResultChain& chain = *run.Chain;
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
        results::TSearchResults& batch = *run.Results;
        batch.Count = 0;
        batch.Finished = false;
        run.Engine->Fetch(batch);
        if (batch.Count > 0) {
            results::TDynamicSearchResult* last = chain.Last();
            const int32_t firstIndex = chain.LineCount();
            const int32_t added = FileHits(run, batch, LineLimit, groupCount, Title, Quota);
            EnableListRedraw(run.List, false);
            if (added > 0) addToList(run, firstIndex, last ? last->Next : chain.ResultChain());
            call(run.Hooks.UpdateCounter);
            if (ask(run.Hooks.StopRequested)) {
                EnableListRedraw(run.List, true);
                return TRunEnd::Stopped;
            }
            call(run.Hooks.GrowWindow);
            if (firstBatch && run.GroupMode != results::kGroupModeNoHeaders && added > 0) {
                SetListCursor(run.List, 1, 0);
                firstBatch = false;
            }
            EnableListRedraw(run.List, true);
        } else if (ask(run.Hooks.StopRequested)) {
            return TRunEnd::Stopped;
        }
        if (chain.LineCount() >= LineLimit || groupCount >= Quota || chain.Full() || batch.Finished)
            return TRunEnd::Done;
    }
}

TRunEnd RunGroupPlan(TSearchRun& run, const std::vector<results::TGroupRun>& plan) {
    for (const results::TGroupRun& group : plan) {
        if (ask(run.Hooks.StopRequested)) return TRunEnd::Stopped;
        if (ask(run.Hooks.NewTextPending)) return TRunEnd::NewText;
        const TRunEnd end = SearchGroup(run, group.KindWord, group.Title, group.LineLimit,
                                        group.QuotaAt(run.Chain->LineCount()));
        if (end != TRunEnd::Done) return end;
    }
    return TRunEnd::Done;
}

}  // namespace skimmer::search
