// The packed entries of the folders a reader read last, each slotted entry by entry
// (folder_entries.h), so that the rows of a folder cost one read of its dirs row however many of
// its entries a query returns, and each row decodes one entry. A query's hits come newest first,
// spread over every folder, so without it a query of a million hits reads about a million rows.
//
// Contract: holds at most `budgetBytes` of blobs and slots; the least recently used folders are
// dropped first. A folder larger than the whole budget is held alone, outside it, until the next
// insert (so its reader can still use it once). A held folder is the one read
// within the reader's snapshot: the cache lives no longer than the record set that owns it.
// Pointers it returns stay valid until the next `insert`.
#pragma once

#include "index/storage/folder_entries.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <unordered_map>

namespace skimmer::index::query {

class FolderCache {
public:
    struct Folder {
        std::string blob;
        store::EntrySlots slots;
        size_t bytes() const { return blob.size() + slots.count() * (sizeof(uint32_t) + sizeof(int64_t)); }
    };

    explicit FolderCache(size_t budgetBytes) : budget_(budgetBytes) {}

    // The held folder, now the most recently used; null when not held.
    const Folder* find(int64_t dir);
    // Slots `blob` and holds it as `dir`'s, dropping older folders to stay in the budget. Null
    // when the blob is damaged (nothing is held).
    const Folder* insert(int64_t dir, std::string blob);

    size_t bytesHeld() const { return held_; }
    size_t budget() const { return budget_; }

private:
    using Order = std::list<std::pair<int64_t, Folder>>;  // most recently used first
    Order order_;
    std::unordered_map<int64_t, Order::iterator> where_;
    size_t budget_;
    size_t held_ = 0;
    Folder oversize_;  // the last folder too large for the budget
};

}  // namespace skimmer::index::query
