#include "index/query/folder_cache.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

namespace skimmer::index::query {

namespace {

// The spare ring: the ring of the last cache that ended, kept for the next one. A query's folders
// then land in pages the last query already faulted in and zeroed (tens of megabytes when every
// row of a one-letter query is read: a tenth of that query's time), and the ring starts at the
// size the last one grew to instead of growing four times over, dropping what it held each time.
// One ring waits at most, so the process keeps no more than the largest ring a query used.
// Record sets may live on several threads: the spare is taken and left under a lock. The spare is
// freed when the program ends or the module holding this code is unloaded (a plug-in's module is);
// a cache that ends after that frees its own ring.
bool spareGone = false;  // trivially destructible: still readable after the spare's destruction

struct SpareRing {
    std::mutex lock;
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
    ~SpareRing() { spareGone = true; }
};

constinit SpareRing spare;  // constant-initialised, so in place before any cache can use it

// The spare when its size is within [least, most]; null (and the spare kept) otherwise.
std::unique_ptr<char[]> takeSpare(size_t least, size_t most, size_t& size) {
    if (spareGone) return nullptr;
    const std::lock_guard<std::mutex> held(spare.lock);
    if (!spare.bytes || spare.size < least || spare.size > most) return nullptr;
    size = spare.size;
    spare.size = 0;
    return std::move(spare.bytes);
}

void leaveSpare(std::unique_ptr<char[]> ring, size_t size) {
    if (spareGone) return;  // `ring` is freed here
    const std::lock_guard<std::mutex> held(spare.lock);
    if (size <= spare.size) return;
    spare.bytes = std::move(ring);
    spare.size = size;
}

struct Slot {
    uint32_t offset;
    int64_t mtimeBase;
};

Slot slotAt(const char* slots, uint32_t pos) {
    Slot slot;
    std::memcpy(&slot.offset, slots + size_t{pos} * FolderCache::kSlotBytes, sizeof slot.offset);
    std::memcpy(&slot.mtimeBase, slots + size_t{pos} * FolderCache::kSlotBytes + sizeof slot.offset, sizeof slot.mtimeBase);
    return slot;
}

}  // namespace

bool FolderCache::Folder::view(uint32_t pos, store::EntryView& out) const {
    if (pos >= count) return false;
    const Slot slot = slotAt(slots, pos);
    return store::viewEntryFrom(blob, slot.offset, slot.mtimeBase, out);
}

FolderCache::~FolderCache() {
    if (ring_) leaveSpare(std::move(ring_), ringBytes_);
}

void FolderCache::dropOldest() {
    const Held& oldest = held_.front();
    where_[static_cast<size_t>(oldest.dir)] = 0;
    used_ -= oldest.bytes;
    held_.pop_front();
}

void FolderCache::growTable(int64_t dir) {
    if (static_cast<size_t>(dir) < tableSize_) return;
    const size_t size = static_cast<size_t>(std::min(kMaxHeldId, std::max<int64_t>(dir + 1, 2 * static_cast<int64_t>(tableSize_))));
    // calloc: a large table comes zeroed from the system, page by page as it is touched.
    std::unique_ptr<uint32_t[], Free> table(static_cast<uint32_t*>(std::calloc(size, sizeof(uint32_t))));
    if (!table) throw std::bad_alloc();
    if (tableSize_ != 0) std::memcpy(table.get(), where_.get(), tableSize_ * sizeof(uint32_t));
    where_ = std::move(table);
    tableSize_ = size;
}

void FolderCache::clear() {
    while (!held_.empty()) dropOldest();
}

void FolderCache::write(char* to, std::string_view path, std::string_view blob) const {
    const uint32_t count = scratch_.count();
    const Header header{.count = count, .pathBytes = static_cast<uint32_t>(path.size()), .blobBytes = blob.size()};
    std::memcpy(to, &header, sizeof header);
    char* slots = to + kHeaderBytes;
    for (uint32_t i = 0; i < count; ++i) {
        std::memcpy(slots + size_t{i} * kSlotBytes, &scratch_.offsets[i], sizeof(uint32_t));
        std::memcpy(slots + size_t{i} * kSlotBytes + sizeof(uint32_t), &scratch_.mtimeBases[i], sizeof(int64_t));
    }
    char* pathAt = slots + size_t{count} * kSlotBytes;
    if (!path.empty()) std::memcpy(pathAt, path.data(), path.size());
    if (!blob.empty()) std::memcpy(pathAt + path.size(), blob.data(), blob.size());
}

const FolderCache::Folder* FolderCache::insert(int64_t dir, std::string_view blob, std::string_view path) {
    if (!store::slotEntries(blob, scratch_)) return nullptr;
    // A path longer than a header counts cannot be held (no real folder's is); it is read as damage.
    if (path.size() > UINT32_MAX) return nullptr;
    const size_t bytes = bytesFor(scratch_.count(), path, blob);
    if (bytes > budget_ || dir <= 0 || dir >= kMaxHeldId) {
        oversize_.resize(bytes);
        write(oversize_.data(), path, blob);
        found_ = folderAt(oversize_.data());
        return &found_;
    }
    growTable(dir);
    if (find(dir) != nullptr) clear();  // held twice would leave a stale place behind
    // The next place: after the newest folder, or at the ring's start when it does not fit;
    // wrapping drops what is left of the previous lap (the oldest folders, past `end`) first.
    const size_t end = held_.empty() ? 0 : held_.back().at + held_.back().bytes;
    size_t at = end;
    if (at + bytes > ringBytes_ && ringBytes_ < budget_) {
        // A ring that is not yet as large as the budget grows (four times over) instead of
        // wrapping: the held folders are dropped and read again when asked for, at most a few
        // times in a query, while a query of a few rows never maps the whole budget.
        clear();
        size_t grown = ringBytes_;
        do {
            grown = std::min(budget_, std::max(kFirstRingBytes, grown * 4));
        } while (grown < bytes);
        size_t spareBytes = 0;
        if (auto spare = takeSpare(grown, budget_, spareBytes)) {
            ring_ = std::move(spare);
            ringBytes_ = spareBytes;
        } else {
            ring_.reset(new char[grown]);
            ringBytes_ = grown;
        }
        at = 0;
    } else if (at + bytes > ringBytes_) {
        while (!held_.empty() && held_.front().at >= end) dropOldest();
        at = 0;
    }
    // Then the oldest folders of this lap while they overlap [at, at + bytes).
    while (!held_.empty()) {
        const Held& oldest = held_.front();
        const bool overlaps = oldest.at < at + bytes && at < oldest.at + oldest.bytes;
        if (!overlaps) break;
        dropOldest();
    }
    held_.push_back(Held{.dir = dir, .at = at, .bytes = bytes});
    where_[static_cast<size_t>(dir)] = static_cast<uint32_t>(at + 1);
    used_ += bytes;
    write(ring_.get() + at, path, blob);
    found_ = folderAt(ring_.get() + at);
    return &found_;
}

}  // namespace skimmer::index::query
