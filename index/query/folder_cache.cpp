#include "index/query/folder_cache.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace skimmer::index::query {

bool FolderCache::Folder::entry(uint32_t pos, store::CrawledItem& out) const {
    if (pos >= count) return false;
    uint32_t offset;
    int64_t base;
    std::memcpy(&offset, slots + size_t{pos} * kSlotBytes, sizeof offset);
    std::memcpy(&base, slots + size_t{pos} * kSlotBytes + sizeof offset, sizeof base);
    return store::decodeEntryFrom(blob, offset, base, out);
}

void FolderCache::dropOldest() {
    const Held& oldest = held_.front();
    where_[static_cast<size_t>(oldest.dir)] = 0;
    used_ -= oldest.bytes;
    held_.pop_front();
    ++first_;
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
    first_ = 0;
}

const FolderCache::Folder* FolderCache::insert(int64_t dir, std::string_view blob, std::string_view path) {
    if (!store::slotEntries(blob, scratch_)) return nullptr;
    const uint32_t count = scratch_.count();
    const size_t bytes = size_t{count} * kSlotBytes + path.size() + blob.size();
    char* to = nullptr;
    Folder* view = nullptr;
    if (bytes > budget_ || dir <= 0 || dir >= kMaxHeldId) {
        oversize_.resize(bytes);
        to = oversize_.data();
        view = &oversizeView_;
    } else {
        growTable(dir);
        if (find(dir) != nullptr) clear();  // held twice would leave a stale place behind
        // Sequence numbers name places in where_: start again before they run out.
        if (first_ + held_.size() >= std::numeric_limits<uint32_t>::max() - 1) clear();
        // The next place: after the newest folder, or at the ring's start when it does not fit;
        // wrapping drops what is left of the previous lap (the oldest folders, past `end`) first.
        const size_t end = held_.empty() ? 0 : held_.back().at + held_.back().bytes;
        size_t at = end;
        if (at + bytes > ringBytes_ && ringBytes_ < budget_) {
            // A ring that is not yet as large as the budget grows (four times over) instead of
            // wrapping: the held folders are dropped and read again when asked for, at most a few
            // times in a query, while a query of a few rows never maps the whole budget.
            clear();
            do {
                ringBytes_ = std::min(budget_, std::max(kFirstRingBytes, ringBytes_ * 4));
            } while (ringBytes_ < bytes);
            ring_.reset(new char[ringBytes_]);
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
        held_.push_back(Held{.dir = dir, .at = at, .bytes = bytes, .view = {}});
        where_[static_cast<size_t>(dir)] = first_ + static_cast<uint32_t>(held_.size());
        used_ += bytes;
        to = ring_.get() + at;
        view = &held_.back().view;
    }
    for (uint32_t i = 0; i < count; ++i) {
        std::memcpy(to + size_t{i} * kSlotBytes, &scratch_.offsets[i], sizeof(uint32_t));
        std::memcpy(to + size_t{i} * kSlotBytes + sizeof(uint32_t), &scratch_.mtimeBases[i], sizeof(int64_t));
    }
    char* pathAt = to + size_t{count} * kSlotBytes;
    if (!path.empty()) std::memcpy(pathAt, path.data(), path.size());
    char* blobAt = pathAt + path.size();
    if (!blob.empty()) std::memcpy(blobAt, blob.data(), blob.size());
    *view = Folder{.blob = {blobAt, blob.size()}, .path = {pathAt, path.size()}, .slots = to, .count = count};
    return view;
}

}  // namespace skimmer::index::query
