#include "index/watch/folder_tree.h"

#include <algorithm>

namespace skimmer::index::watch {
namespace {

// Calls `part` with each non-empty component of `path`, in order; stops when it returns false.
template <typename Part>
void components(std::string_view path, Part part) {
    size_t at = 0;
    while (at < path.size()) {
        const size_t slash = std::min(path.find('/', at), path.size());
        if (slash > at && !part(path.substr(at, slash - at))) return;
        at = slash + 1;
    }
}

}  // namespace

FolderTree::FolderTree() : index_(0, Hash{.tree = this}, Equal{.tree = this}) { nodes_.push_back(Node{}); }

FolderTree::Id FolderTree::child(Id parent, std::string_view name) const {
    const auto found = index_.find(Key{.parent = parent, .name = name});
    return found == index_.end() ? kNone : *found;
}

FolderTree::Id FolderTree::find(std::string_view path) const {
    Id at = kRoot;
    components(path, [&](std::string_view name) {
        at = child(at, name);
        return at != kNone;
    });
    return at;
}

FolderTree::Id FolderTree::add(std::string_view path) {
    Id at = kRoot;
    components(path, [&](std::string_view name) {
        if (const Id known = child(at, name); known != kNone) {
            at = known;
            return true;
        }
        Id id = static_cast<Id>(nodes_.size());
        if (free_.empty()) {
            nodes_.emplace_back();
        } else {
            id = free_.back();
            free_.pop_back();
        }
        nodes_[id] = Node{.name = std::string(name), .parent = at, .children = 0, .wd = -1, .flags = 0};
        ++nodes_[at].children;
        index_.insert(id);
        at = id;
        return true;
    });
    return at;
}

std::string FolderTree::path(Id id) const {
    if (id == kRoot) return "/";
    size_t length = 0;
    for (Id at = id; at != kRoot; at = nodes_[at].parent) length += nodes_[at].name.size() + 1;
    std::string out(length, '/');
    for (Id at = id; at != kRoot; at = nodes_[at].parent) {
        length -= nodes_[at].name.size();
        out.replace(length, nodes_[at].name.size(), nodes_[at].name);
        --length;  // its '/' stays
    }
    return out;
}

void FolderTree::set(Id id, Flag flag, bool on) {
    if (on) nodes_[id].flags |= flag;
    else nodes_[id].flags &= static_cast<uint8_t>(~flag);
}

bool FolderTree::held(Id id) const {
    const Node& node = nodes_[id];
    return id == kRoot || node.wd >= 0 || node.flags != 0 || node.children != 0;
}

void FolderTree::release(Id id) {
    while (id != kNone && !held(id)) {
        const Id parent = nodes_[id].parent;
        index_.erase(id);  // before the name goes: the hasher reads it
        --nodes_[parent].children;
        nodes_[id] = Node{};
        free_.push_back(id);
        id = parent;
    }
}

void FolderTree::each(Flag flag, const std::function<void(Id)>& visit) const {
    for (Id id = 0; id < nodes_.size(); ++id)
        if (nodes_[id].flags & flag) visit(id);
}

}  // namespace skimmer::index::watch
