#include "index/query/matcher.h"

#include "index/query/kind_filter.h"

namespace skimmer::index::query {
namespace {

bool contains(std::string_view haystack, std::string_view needle) {
    return haystack.find(needle) != std::string_view::npos;
}

bool inFolder(std::string_view folder, std::string_view wanted) {
    if (wanted == "/") return folder.starts_with('/');
    return folder.starts_with(wanted) && (folder.size() == wanted.size() || folder[wanted.size()] == '/');
}

bool kindMatches(const Term& term, ItemFacts& item) {
    if (!kindIn(term.kindMask, item.kindCode())) return false;
    return !term.filesOnly || item.inFileSystem();
}

bool within(std::optional<int64_t> value, const Term& term, bool hiInclusive) {
    if (!value) return false;
    return *value >= term.lo && (hiInclusive ? *value <= term.hi : *value < term.hi);
}

bool termMatches(const Term& term, ItemFacts& item) {
    switch (term.field) {
        case Field::Name: return contains(item.foldedName(), term.text);
        case Field::Path: return contains(item.foldedPath(), term.text);
        case Field::Folder:
            return term.anchored ? inFolder(item.foldedFolder(), term.text) : contains(item.foldedFolder(), term.text);
        case Field::Kind: return kindMatches(term, item);
        case Field::Ext: return item.foldedExt() == term.text;
        case Field::Size: return within(item.size(), term, true);
        case Field::Date: return within(item.mtime(), term, false);
    }
    return false;
}

}  // namespace

bool matches(const Node& node, ItemFacts& item, const Node* holds) {
    if (&node == holds) return true;
    switch (node.op) {
        case Node::Op::True: return true;
        case Node::Op::False: return false;
        case Node::Op::Term: return termMatches(node.term, item);
        case Node::Op::Not: return !matches(node.children[0], item);
        case Node::Op::And:
            for (const Node& child : node.children)
                if (!matches(child, item, holds)) return false;
            return true;
        case Node::Op::Or:
            for (const Node& child : node.children)
                if (matches(child, item)) return true;
            return false;
    }
    return false;
}

const Node* requiredNameTerm(const Node& root, std::string_view word) {
    if (root.op == Node::Op::Term) return root.term.field == Field::Name && root.term.text == word ? &root : nullptr;
    if (root.op != Node::Op::And) return nullptr;
    for (const Node& child : root.children)
        if (child.op == Node::Op::Term && child.term.field == Field::Name && child.term.text == word) return &child;
    return nullptr;
}

std::vector<std::string_view> requiredNameWords(const Node& root) {
    std::vector<std::string_view> words;
    auto take = [&words](const Node& node) {
        if (node.op == Node::Op::Term && node.term.field == Field::Name) words.push_back(node.term.text);
    };
    if (root.op == Node::Op::And)
        for (const Node& child : root.children) take(child);
    else
        take(root);
    return words;
}

bool matchesNothing(const Node& root) {
    switch (root.op) {
        case Node::Op::False: return true;
        case Node::Op::And:
            for (const Node& child : root.children)
                if (matchesNothing(child)) return true;
            return false;
        case Node::Op::Or:
            for (const Node& child : root.children)
                if (!matchesNothing(child)) return false;
            return true;
        default: return false;
    }
}

}  // namespace skimmer::index::query
