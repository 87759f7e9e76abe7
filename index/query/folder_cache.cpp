#include "index/query/folder_cache.h"

namespace skimmer::index::query {

const FolderCache::Folder* FolderCache::find(int64_t dir) {
    const auto at = where_.find(dir);
    if (at == where_.end()) return nullptr;
    if (at->second != order_.begin()) order_.splice(order_.begin(), order_, at->second);
    return &at->second->second;
}

const FolderCache::Folder* FolderCache::insert(int64_t dir, std::string blob) {
    Folder folder;
    folder.blob = std::move(blob);
    if (!store::slotEntries(folder.blob, folder.slots)) return nullptr;
    const size_t bytes = folder.bytes();
    if (bytes > budget_) {
        oversize_ = std::move(folder);
        return &oversize_;
    }
    if (const auto old = where_.find(dir); old != where_.end()) {
        held_ -= old->second->second.bytes();
        order_.erase(old->second);
        where_.erase(old);
    }
    while (held_ + bytes > budget_ && !order_.empty()) {
        held_ -= order_.back().second.bytes();
        where_.erase(order_.back().first);
        order_.pop_back();
    }
    order_.emplace_front(dir, std::move(folder));
    where_[dir] = order_.begin();
    held_ += bytes;
    return &order_.front().second;
}

}  // namespace skimmer::index::query
