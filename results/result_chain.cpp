#include "results/result_chain.h"

#include <utility>

namespace skimmer::results {

TDynamicSearchResult* TResultChain::append(TSearchResult&& result) {
    if (Full()) return nullptr;
    TDynamicSearchResult* previous = Last();
    nodes_.push_back(TDynamicSearchResult{std::move(result), nullptr});
    TDynamicSearchResult* node = &nodes_.back();
    if (previous) previous->Next = node;
    return node;
}

TDynamicSearchResult* TResultChain::AppendHeader(const std::string& title) {
    TSearchResult header;
    header.IsGroupHeader = true;
    header.Kind = title;
    return append(std::move(header));
}

TDynamicSearchResult* TResultChain::AppendHit(const TSearchResult& hit) {
    if (Full()) return nullptr;
    return AppendHit(TSearchResult(hit));
}

TDynamicSearchResult* TResultChain::AppendHit(TSearchResult&& hit) {
    if (Full()) return nullptr;
    hit.IsGroupHeader = false;
    TDynamicSearchResult* node = append(std::move(hit));
    ++hitCount_;
    return node;
}

void TResultChain::Clear() {
    nodes_.clear();
    hitCount_ = 0;
}

}  // namespace skimmer::results
