#include "index/query/folder_cache.h"

#include <algorithm>

namespace skimmer::index::query {

void FolderCache::drop(size_t slot) {
    Folder& folder = pool_[slot];
    held_ -= folder.bytes();
    where_[static_cast<size_t>(folder.dir)] = 0;
    folder = Folder{};
    free_.push_back(static_cast<uint32_t>(slot));
}

const FolderCache::Folder* FolderCache::insert(int64_t dir, std::string blob, std::string path) {
    Folder folder;
    folder.dir = dir;
    folder.blob = std::move(blob);
    folder.path = std::move(path);
    if (!store::slotEntries(folder.blob, folder.slots)) return nullptr;
    const size_t bytes = folder.bytes();
    if (bytes > budget_ || dir <= 0 || dir >= kMaxHeldId) {
        oversize_ = std::move(folder);
        return &oversize_;
    }
    if (dir < static_cast<int64_t>(where_.size()) && where_[static_cast<size_t>(dir)] != 0)
        drop(where_[static_cast<size_t>(dir)] - 1);
    // The clock: a folder used since the hand last passed gets another round; the rest go.
    while (held_ + bytes > budget_ && held_ > 0) {
        hand_ = hand_ < pool_.size() ? hand_ : 0;
        Folder& candidate = pool_[hand_];
        if (candidate.dir != 0 && !candidate.used) drop(hand_);
        else candidate.used = false;
        ++hand_;
    }
    if (dir >= static_cast<int64_t>(where_.size())) where_.resize(static_cast<size_t>(std::min(kMaxHeldId, dir + dir / 2 + 1)), 0);
    size_t slot;
    if (!free_.empty()) {
        slot = free_.back();
        free_.pop_back();
    } else {
        slot = pool_.size();
        pool_.emplace_back();
    }
    held_ += bytes;
    pool_[slot] = std::move(folder);
    where_[static_cast<size_t>(dir)] = static_cast<uint32_t>(slot + 1);
    return &pool_[slot];
}

}  // namespace skimmer::index::query
