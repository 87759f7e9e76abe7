// What this process last knew of the search-folder tree in the registry: for every stored node,
// by the node's id, its parent, its key name, its name and its values as the registry held them.
//
// Contract: pure data, filled by the tree's load and by each save that reached the registry. A
// save compares the tree in memory with it to find exactly what this process changed (added,
// deleted, renamed, moved, edited) and applies only that to the tree as the registry holds it
// then, so another process's changes survive. A tree without an image (never loaded nor saved)
// has no changes of its own to find: its save replaces the stored tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace skimmer::panel {

// A node's values as its key holds them; a value that is missing or of another type is none.
struct TStoredValues {
    std::optional<std::string> name, desc, aqs, query, max;
    std::optional<uint32_t> groupsAsFolders, advanced, type;
    std::optional<std::string> created, modified, accessed;  // the raw bytes
    bool operator==(const TStoredValues&) const = default;
};

struct TStoredNode {
    uint64_t Parent = 0;  // the parent node's id; 0 at the top level
    std::string KeyName;  // the key's name below the parent's key
    std::string Name;     // the node's name as this process held it
    TStoredValues Values;
};

struct TStoredImage {
    bool Known = false;
    std::unordered_map<uint64_t, TStoredNode> Nodes;
};

}  // namespace skimmer::panel
