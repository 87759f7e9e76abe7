#include "index/query/folder_path_table.h"

namespace skimmer::index::query {

namespace {
constexpr size_t kFirstSlots = 1024;
}

size_t FolderPathTable::home(int64_t dir) const {
    // Fibonacci hashing: the top bits of the product, so neighbouring ids spread over the table.
    const uint64_t mixed = static_cast<uint64_t>(dir) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(mixed >> 32) & (slots_.size() - 1);
}

std::optional<std::string_view> FolderPathTable::find(int64_t dir) const {
    if (slots_.empty() || dir == 0) return std::nullopt;
    for (size_t at = home(dir);; at = (at + 1) & (slots_.size() - 1)) {
        const Slot& slot = slots_[at];
        if (slot.dir == dir) return std::string_view(bytes_).substr(slot.offset, slot.size);
        if (slot.dir == 0) return std::nullopt;
    }
}

void FolderPathTable::grow() {
    std::vector<Slot> old(slots_.empty() ? kFirstSlots : slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.dir == 0) continue;
        size_t at = home(slot.dir);
        while (slots_[at].dir != 0) at = (at + 1) & (slots_.size() - 1);
        slots_[at] = slot;
    }
}

std::string_view FolderPathTable::add(int64_t dir, std::string_view path) {
    if (2 * (used_ + 1) > slots_.size()) grow();
    size_t at = home(dir);
    while (slots_[at].dir != 0 && slots_[at].dir != dir) at = (at + 1) & (slots_.size() - 1);
    if (slots_[at].dir == 0) ++used_;
    slots_[at] = Slot{dir, bytes_.size(), path.size()};
    bytes_.append(path);
    return std::string_view(bytes_).substr(slots_[at].offset, path.size());
}

}  // namespace skimmer::index::query
