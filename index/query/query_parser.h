// The query language of the index: a documented subset of Advanced Query Syntax (see
// docs/query-language.md). Words must each occur in the item's name (case-insensitively), a word
// holding '/' in its path; "quoted phrases" are words with blanks; OR, NOT, '-', AND and
// parentheses combine them; kind:, ext:, name:, folder:, path:, size:, date: restrict properties.
//
// Contract:
// - Never fails and never throws: input the grammar does not accept is searched as its
//   blank-separated words taken literally (`status` Literal), and input that can match nothing
//   (empty, longer than kMaxQueryBytes) gives a tree that matches nothing (`status` Nothing).
//   `message` then says so in one line; `notes` lists parts that match nothing (an unknown kind).
// - Relative dates ("today", "last week", ...) are computed from `now` (Unix seconds) in local
//   time; weeks start on Monday.
#pragma once

#include "index/query/query_ast.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

inline constexpr size_t kMaxQueryBytes = 4096;
inline constexpr int kMaxQueryDepth = 64;

struct ParsedQuery {
    enum class Status { Ok, Literal, Nothing };
    Node root;
    Status status = Status::Ok;
    std::string message;
    std::vector<std::string> notes;
};

ParsedQuery parseQuery(std::string_view text, int64_t now);

}  // namespace skimmer::index::query
