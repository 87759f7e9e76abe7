// The folders a watcher knows, each held as one name under its parent: a path costs the bytes
// of its last component, however deep it is, and the state a watcher keeps per folder (its watch
// id, whether the index holds it, whether it waits to be watched) lives beside that name.
//
// Contract:
// - Paths are absolute and normalised ("/a/b", "/"); empty components are skipped. `add` makes a
//   folder (and its ancestors) known and returns its id; `find` never adds.
// - An id stays valid while its folder is held: while it has a watch, a flag or a known child.
//   `release` drops a folder holding none of those, and then each ancestor that holds nothing
//   more; "/" is never dropped. Ids of dropped folders are used again.
// - `path` builds the full path on demand; nothing else keeps full paths.
// - Nothing throws but std::bad_alloc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace skimmer::index::watch {

class FolderTree {
public:
    using Id = uint32_t;
    static constexpr Id kNone = std::numeric_limits<Id>::max();
    static constexpr Id kRoot = 0;  // "/"
    enum Flag : uint8_t {
        kCrawled = 1,    // the index holds the folder
        kUnwatched = 2,  // left unwatched (the limit, a refusal, a root that is missing): polled
    };

    FolderTree();
    FolderTree(const FolderTree&) = delete;  // the index's hasher points at this object
    FolderTree& operator=(const FolderTree&) = delete;

    Id find(std::string_view path) const;
    Id add(std::string_view path);
    std::string path(Id id) const;

    int wd(Id id) const { return nodes_[id].wd; }
    void setWd(Id id, int wd) { nodes_[id].wd = wd; }
    bool has(Id id, Flag flag) const { return (nodes_[id].flags & flag) != 0; }
    void set(Id id, Flag flag, bool on);
    void release(Id id);

    // Calls `visit` with every folder that has `flag`.
    void each(Flag flag, const std::function<void(Id)>& visit) const;
    size_t size() const { return nodes_.size() - free_.size(); }  // "/" included

private:
    struct Node {
        std::string name;  // empty: a free slot, or "/"
        Id parent = kNone;
        uint32_t children = 0;
        int wd = -1;
        uint8_t flags = 0;
    };
    // The child index holds ids; it is searched by (parent, name) without building a node.
    struct Key {
        Id parent;
        std::string_view name;
    };
    struct Hash {
        using is_transparent = void;
        const FolderTree* tree;
        size_t operator()(Id id) const { return (*this)(tree->keyOf(id)); }
        size_t operator()(const Key& key) const {
            return std::hash<std::string_view>()(key.name) ^ (static_cast<size_t>(key.parent) * 0x9E3779B97F4A7C15ull);
        }
    };
    struct Equal {
        using is_transparent = void;
        const FolderTree* tree;
        bool operator()(Id a, Id b) const { return a == b; }
        bool operator()(const Key& a, Id b) const { return same(a, tree->keyOf(b)); }
        bool operator()(Id a, const Key& b) const { return same(tree->keyOf(a), b); }
        static bool same(const Key& a, const Key& b) { return a.parent == b.parent && a.name == b.name; }
    };

    Key keyOf(Id id) const { return {.parent = nodes_[id].parent, .name = nodes_[id].name}; }
    Id child(Id parent, std::string_view name) const;
    bool held(Id id) const;

    std::vector<Node> nodes_;
    std::vector<Id> free_;
    std::unordered_set<Id, Hash, Equal> index_;  // every folder but "/"
};

}  // namespace skimmer::index::watch
