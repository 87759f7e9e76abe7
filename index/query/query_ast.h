// The parsed form of a user query: a tree of AND / OR / NOT over terms, each term a test of one
// property of an item. Produced by query_parser.h, evaluated by matcher.h.
//
// Contract: texts in terms are already case-folded (fold.h); size bounds are inclusive bytes;
// date bounds are Unix seconds, from inclusive, to exclusive. A tree owns its children by value.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace skimmer::index::query {

enum class Field {
    Name,    // `text` occurs in the item's name
    Path,    // `text` occurs in the item's full displayed path
    Folder,  // `text` occurs in the item's folder; with `anchored`: the folder is `text` or inside it
    Kind,    // the item's kind is in `kindMask` (and it is a file-system item when `filesOnly`)
    Ext,     // the item's extension equals `text`
    Size,    // lo <= size <= hi
    Date,    // lo <= modification time < hi
};

struct Term {
    Field field = Field::Name;
    std::string text;
    bool anchored = false;
    uint32_t kindMask = 0;
    bool filesOnly = false;
    int64_t lo = std::numeric_limits<int64_t>::min();
    int64_t hi = std::numeric_limits<int64_t>::max();
};

struct Node {
    enum class Op { And, Or, Not, Term, True, False };
    Op op = Op::True;
    std::vector<Node> children;
    Term term;

    static Node leaf(Term term) {
        Node node;
        node.op = Op::Term;
        node.term = std::move(term);
        return node;
    }
    static Node of(Op op, std::vector<Node> children = {}) {
        Node node;
        node.op = op;
        node.children = std::move(children);
        return node;
    }
};

}  // namespace skimmer::index::query
