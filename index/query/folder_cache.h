// The packed entries of the folders a reader read last, each slotted entry by entry
// (folder_entries.h) and kept with the folder's path, so that the rows of a folder cost one read
// of its dirs row however many of its entries a query returns, and each row decodes one entry. A
// query's hits come newest first, spread over every folder, so without it a query of a million
// hits reads about a million rows.
//
// Contract: holds at most `budgetBytes` of blobs, slots and paths; when full, folders not used
// since the clock hand last passed are dropped first. A folder larger than the whole budget, or
// with an id past kMaxHeldId, is held alone, outside it, until the next insert (so its reader can
// use it once). A held folder is the one read within the reader's snapshot: the cache lives no
// longer than the record set that owns it. Pointers it returns stay valid until the next insert.
#pragma once

#include "index/storage/folder_entries.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace skimmer::index::query {

class FolderCache {
public:
    struct Folder {
        int64_t dir = 0;
        std::string blob;
        store::EntrySlots slots;
        std::string path;
        bool used = false;  // looked up since the clock hand last passed
        size_t bytes() const {
            return blob.size() + path.size() + slots.count() * (sizeof(uint32_t) + sizeof(int64_t));
        }
    };
    // Folder ids are dirs rowids, dense from 1: a flat table of this many slots (4 bytes each,
    // grown as ids are met) finds a held folder with one memory access instead of a hash lookup.
    static constexpr int64_t kMaxHeldId = int64_t{1} << 24;

    explicit FolderCache(size_t budgetBytes) : budget_(budgetBytes) {}

    // The held folder, marked as used; null when not held.
    const Folder* find(int64_t dir) {
        if (dir <= 0 || dir >= static_cast<int64_t>(where_.size()) || where_[static_cast<size_t>(dir)] == 0) return nullptr;
        Folder& folder = pool_[where_[static_cast<size_t>(dir)] - 1];
        folder.used = true;
        return &folder;
    }
    // Slots `blob` and holds it with `path` as `dir`'s, dropping others to stay in the budget.
    // Null when the blob is damaged (nothing is held).
    const Folder* insert(int64_t dir, std::string blob, std::string path);

    size_t bytesHeld() const { return held_; }

private:
    void drop(size_t slot);

    std::vector<uint32_t> where_;  // by folder id: 1 + its place in pool_, 0 when not held
    std::vector<Folder> pool_;     // a place whose dir is 0 is free
    std::vector<uint32_t> free_;
    size_t hand_ = 0;
    size_t budget_;
    size_t held_ = 0;
    Folder oversize_;
};

}  // namespace skimmer::index::query
