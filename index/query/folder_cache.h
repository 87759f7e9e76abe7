// The packed entries of the folders a reader read last, each slotted entry by entry
// (folder_entries.h) and kept with the folder's path, so that the rows of a folder cost one read
// of its dirs row however many of its entries a query returns, and each row decodes one entry. A
// query's hits come newest first, spread over every folder, so without it a query of a million
// hits reads about a million rows.
//
// Contract: holds at most `budgetBytes` (2 GB at most) of blobs, slots and paths, in one ring that grows to that
// size as a query fills it (a query of millions of hits then costs no allocation per folder);
// when it is full the folders held longest are dropped first. A cache that ends leaves its ring
// to the next one the process makes (one ring waits at most): a query then starts with the ring
// the last one grew, its pages already in memory. A folder larger than the ring, or with an id
// past kMaxHeldId, is held alone, outside it, until the next insert (so its reader can use it
// once). A held folder is the one read within the reader's snapshot: the cache lives no longer
// than the record set that owns it. The texts a Folder views stay valid until the next insert;
// the Folder itself until the next find or insert.
#pragma once

#include "index/storage/folder_entries.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

class FolderCache {
public:
    // A held folder: its packed entries, path and slots (kSlotBytes each).
    struct Folder {
        std::string_view blob;
        std::string_view path;
        const char* slots = nullptr;
        uint32_t count = 0;
        // Entry `pos` as a view of the held bytes (valid while the folder is held); false when it
        // is past the end or does not decode.
        bool view(uint32_t pos, store::EntryView& out) const;
    };
    static constexpr size_t kSlotBytes = sizeof(uint32_t) + sizeof(int64_t);
    // Folder ids are dirs rowids, dense from 1: a flat table of this many places (4 bytes each)
    // finds a held folder with one memory access instead of a hash lookup.
    static constexpr int64_t kMaxHeldId = int64_t{1} << 24;
    // The table's places are offsets into the ring: it can be no longer than they count.
    static constexpr size_t kMaxBudget = size_t{1} << 31;

    explicit FolderCache(size_t budgetBytes) : budget_(std::min(budgetBytes, kMaxBudget)) {}
    // Leaves the ring to the process's next cache (see "spare ring" in folder_cache.cpp).
    ~FolderCache();
    FolderCache(const FolderCache&) = delete;
    FolderCache& operator=(const FolderCache&) = delete;

    // The held folder; null when not held. Valid until the next find or insert.
    const Folder* find(int64_t dir) {
        const char* at = placeOf(dir);
        if (at == nullptr) return nullptr;
        found_ = folderAt(at);
        return &found_;
    }
    // The path of a held folder, without making it the found one (a Folder already found stays
    // valid); none when not held. Valid until the next insert.
    std::optional<std::string_view> heldPath(int64_t dir) const {
        const char* at = placeOf(dir);
        if (at == nullptr) return std::nullopt;
        return folderAt(at).path;
    }
    // Slots `blob` and holds it with `path` as `dir`'s, dropping the oldest folders to make room.
    // Null when the blob is damaged (nothing is held). Valid until the next find or insert.
    const Folder* insert(int64_t dir, std::string_view blob, std::string_view path);

    size_t bytesHeld() const { return used_; }

private:
    // A folder in the ring: this header, its slots, its path, its packed entries. Every part of a
    // row is found from the folder's place alone or from the header beside it, so reading a row
    // of a folder held long ago costs a few memory accesses that can overlap (the ring is tens of
    // megabytes: most of them miss the caches).
    struct Header {
        uint32_t count;
        uint32_t pathBytes;
        uint64_t blobBytes;
    };
    static constexpr size_t kHeaderBytes = sizeof(Header);
    // Where a held folder lies in the ring; null when not held.
    const char* placeOf(int64_t dir) const {
        if (dir <= 0 || static_cast<size_t>(dir) >= tableSize_ || where_[static_cast<size_t>(dir)] == 0) return nullptr;
        return ring_.get() + where_[static_cast<size_t>(dir)] - 1;
    }
    static Folder folderAt(const char* at) {
        Header header;
        std::memcpy(&header, at, sizeof header);
        const char* slots = at + kHeaderBytes;
        const char* path = slots + size_t{header.count} * kSlotBytes;
        return Folder{.blob = {path + header.pathBytes, header.blobBytes},
                      .path = {path, header.pathBytes},
                      .slots = slots,
                      .count = header.count};
    }
    static size_t bytesFor(uint32_t count, std::string_view path, std::string_view blob) {
        return kHeaderBytes + size_t{count} * kSlotBytes + path.size() + blob.size();
    }
    void write(char* to, std::string_view path, std::string_view blob) const;

    struct Held {
        int64_t dir;
        size_t at, bytes;  // place in the ring
    };
    void dropOldest();
    void clear();

    size_t budget_;
    // Allocated on the first insert and never written before it is used: the pages of a ring
    // that a small query leaves untouched cost no memory and no time.
    std::unique_ptr<char[]> ring_;  // ringBytes_ long
    std::deque<Held> held_;         // oldest first
    struct Free {
        void operator()(uint32_t* table) const { std::free(table); }
    };
    // By folder id: 1 + its place in the ring, 0 when not held; grown (at least doubling) to the
    // largest id met.
    std::unique_ptr<uint32_t[], Free> where_;
    size_t tableSize_ = 0;
    void growTable(int64_t dir);
    // The ring starts at this size and grows to the budget only when a query fills it.
    static constexpr size_t kFirstRingBytes = size_t{1} << 16;
    size_t ringBytes_ = 0;
    size_t used_ = 0;
    store::EntrySlots scratch_;     // reused by every insert
    std::string oversize_;          // the last folder too large for the ring
    Folder found_;
};

}  // namespace skimmer::index::query
