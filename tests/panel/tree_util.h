// Helpers of the panel tests: building trees and writing one down as text, so that two trees can
// be compared field by field in one assertion.
#pragma once

#include <memory>
#include <string>

#include "panel/folder_node.h"

namespace skimmer::panel::tree {

inline std::unique_ptr<TFiles> node(std::string name, int32_t type, uint64_t stamp = 0) {
    auto n = std::make_unique<TFiles>();
    n->Name = std::move(name);
    n->Type = type;
    n->query = "q:" + n->Name;
    n->Desc = "d:" + n->Name;
    n->AQS = "kind:doc";
    n->Max = "12";
    n->Advanced = type == kTypeSpecialSearchFolder;
    n->GroupsAsFolders = type == kTypeSearchFolder;
    n->Item = {.Created = stamp + 1, .Accessed = stamp + 2, .Modified = stamp + 3, .Flags = kPanelItemMark};
    return n;
}

// Appends `child` to the end of `parent`'s children (or of a top-level list when parent is null).
inline TFiles* add(std::unique_ptr<TFiles>& head, std::unique_ptr<TFiles> child) {
    std::unique_ptr<TFiles>* link = &head;
    while (*link) link = &(*link)->Next;
    *link = std::move(child);
    return link->get();
}

inline void dump(const TFiles* n, std::string& out, int depth) {
    for (; n; n = n->Next.get()) {
        out += std::string(depth * 2, ' ') + n->Name + "|" + n->query + "|" + n->Desc + "|" + n->AQS + "|" + n->Max +
               "|" + std::to_string(n->Advanced) + std::to_string(n->GroupsAsFolders) + "|" + std::to_string(n->Type) +
               "|" + std::to_string(n->Item.Created) + "," + std::to_string(n->Item.Accessed) + "," +
               std::to_string(n->Item.Modified) + "|" + std::to_string(n->Item.Flags) + "\n";
        dump(n->Children.get(), out, depth + 1);
    }
}

inline std::string dump(const TFiles* head) {
    std::string out;
    dump(head, out, 0);
    return out;
}

}  // namespace skimmer::panel::tree
