// Evaluates a parsed query (query_ast.h) on one item, asking the item only for what the terms
// need, so that a test answerable from the name sidecar never costs a database read.
//
// Contract: `matches` is pure apart from the calls it makes on `ItemFacts`; the folded texts an
// ItemFacts returns stay valid until its next call. Items with an unknown size or time never
// satisfy a size or date term (but do satisfy its negation).
#pragma once

#include "index/query/query_ast.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

class ItemFacts {
public:
    virtual ~ItemFacts() = default;
    virtual std::string_view foldedName() = 0;
    virtual int kindCode() = 0;
    virtual bool inFileSystem() = 0;
    virtual std::string_view foldedExt() = 0;
    virtual std::optional<int64_t> size() = 0;
    virtual std::optional<int64_t> mtime() = 0;
    virtual std::string_view foldedFolder() = 0;  // the folder's displayed path, no trailing '/'
    virtual std::string_view foldedPath() = 0;    // the item's displayed path
};

// `holds`, when given, is a node of the tree already known to be true for this item (a name term
// the candidate stream guarantees): it is not tested again.
bool matches(const Node& node, ItemFacts& item, const Node* holds = nullptr);

// The name term of `word` among the terms every match needs (the root, or a child of a top-level
// AND), or null.
const Node* requiredNameTerm(const Node& root, std::string_view word);

// The words every hit's name must contain (positive name terms joined by AND at the top), in the
// order written; the first one is the word that "the name begins with" ranks by.
std::vector<std::string_view> requiredNameWords(const Node& root);

// True when the query can match no item at all (a False at the top or in every alternative).
bool matchesNothing(const Node& root);

}  // namespace skimmer::index::query
