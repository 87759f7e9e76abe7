// The result chain of one search: the shown lines in display order (group headers and hits) and
// the counts the window reads. How a line looks in the list is the search window's business: the
// chain holds data only, so the engines and the panel can share it without the dialog toolkit.
//
// Contract: the chain owns its nodes; a node's address stays valid until Clear() or the chain's
// destruction, so list rows may carry it as their index data. Nodes are appended at the tail
// only. The chain never holds more than kLineStoreSlots lines: an append past the bound is
// refused (returns null) and nothing else changes, so memory stays bounded whatever the
// engines deliver. Only the search thread changes a chain; it is not locked.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "results/search_result.h"

namespace skimmer::results {

// Lines one search may show. Filing stops when the chain is full (the rest of the engine's rows
// are dropped, the run ends as though its line limit had been met): memory stays bounded even
// when "SKSAllResults" lifts every limit.
constexpr int32_t kLineStoreSlots = 5001;

// One node: the hit (or header) copied with all its texts, and the following node.
struct TDynamicSearchResult {
    TSearchResult Result;
    TDynamicSearchResult* Next = nullptr;
};

class TResultChain {
public:
    TResultChain() = default;
    TResultChain(const TResultChain&) = delete;
    TResultChain& operator=(const TResultChain&) = delete;

    // The first node (line 1), or null.
    TDynamicSearchResult* ResultChain() const { return nodes_.empty() ? nullptr : const_cast<TDynamicSearchResult*>(&nodes_.front()); }
    TDynamicSearchResult* Last() const { return nodes_.empty() ? nullptr : const_cast<TDynamicSearchResult*>(&nodes_.back()); }
    int32_t LineCount() const { return static_cast<int32_t>(nodes_.size()); }
    int32_t HitCount() const { return hitCount_; }
    bool Full() const { return LineCount() >= kLineStoreSlots; }

    // Appends a header line whose text is `title`; null when the chain is full.
    TDynamicSearchResult* AppendHeader(const std::string& title);
    // Appends a copy of `hit` as a hit line (IsGroupHeader cleared); null when the chain is full.
    TDynamicSearchResult* AppendHit(const TSearchResult& hit);
    // The same, taking the texts over from `hit` (the filing moves rows out of the engine's
    // batch, which the next fetch overwrites anyway). `hit` is left unchanged when refused.
    TDynamicSearchResult* AppendHit(TSearchResult&& hit);

    // Frees every node; LineCount and HitCount become 0. LastGroupTitle is left as is.
    void Clear();

    // The header text of the group being filed; cleared by each group run.
    std::string LastGroupTitle;

private:
    TDynamicSearchResult* append(TSearchResult&& result);

    std::deque<TDynamicSearchResult> nodes_;  // stable addresses on push_back
    int32_t hitCount_ = 0;
};

}  // namespace skimmer::results
