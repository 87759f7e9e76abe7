#include "index/query/kind_filter.h"

#include <optional>

namespace skimmer::index::query {
namespace {

// The kinds for which `node` holds, when its truth depends on the item's kind alone (a kind term
// without "files only", True, False, and AND / OR / NOT of those); none otherwise.
std::optional<KindMask> exactKinds(const Node& node) {
    switch (node.op) {
        case Node::Op::True: return kEveryKind;
        case Node::Op::False: return KindMask{0};
        case Node::Op::Term:
            if (node.term.field != Field::Kind || node.term.filesOnly) return std::nullopt;
            return node.term.kindMask & kEveryKind;
        case Node::Op::Not: {
            const auto inner = exactKinds(node.children[0]);
            if (!inner) return std::nullopt;
            return ~*inner & kEveryKind;
        }
        case Node::Op::And:
        case Node::Op::Or: {
            const bool all = node.op == Node::Op::And;
            KindMask mask = all ? kEveryKind : 0;
            for (const Node& child : node.children) {
                const auto kinds = exactKinds(child);
                if (!kinds) return std::nullopt;
                mask = all ? mask & *kinds : mask | *kinds;
            }
            return mask;
        }
    }
    return std::nullopt;
}

}  // namespace

KindMask possibleKinds(const Node& root) {
    if (const auto exact = exactKinds(root)) return *exact;
    switch (root.op) {
        case Node::Op::Term:  // "files only" narrows a kind term further; the mask still bounds it
            return root.term.field == Field::Kind ? root.term.kindMask & kEveryKind : kEveryKind;
        case Node::Op::And: {
            KindMask mask = kEveryKind;
            for (const Node& child : root.children) mask &= possibleKinds(child);
            return mask;
        }
        case Node::Op::Or: {
            KindMask mask = 0;
            for (const Node& child : root.children) mask |= possibleKinds(child);
            return mask;
        }
        default: return kEveryKind;  // a NOT of something that is not about kinds alone
    }
}

}  // namespace skimmer::index::query
