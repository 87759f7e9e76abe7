#include "index/query/name_index_lists.h"

#include "index/storage/kinds.h"

#include <algorithm>
#include <cstring>

namespace skimmer::index::query {
namespace {

using namespace sidecar;

// Slots of a flat counting array: one per possible gram of each type, then two per kind code (its
// documents, its names).
constexpr uint32_t kSlotBase[8] = {0, 0, 256, 0, 256 + 65536, 2 * 256 + 65536, 2 * (256 + 65536),
                                   2 * (256 + 65536) + kKindCodes};
constexpr uint32_t kSlotCount = kSlotBase[kKindNames] + kKindCodes;

// The kinds whose names are copied beside their list: those the search window's group runs ask
// for on every keystroke (programs, favorites and history, mail) and links.
constexpr bool keepsNames(uint32_t code) {
    using store::Kind;
    for (Kind kind : {Kind::Program, Kind::Link, Kind::Favorite, Kind::Email, Kind::WebHistory})
        if (code == static_cast<uint32_t>(kind)) return true;
    return false;
}

// Calls slot(s) for every gram slot of one folded name and its kind's slots, repeats included
// (the passes skip a list's repeats by its last document, which is cheaper than sorting every
// name's slots). Called twice for every name, so it collects nothing.
template <typename Slot>
void forEachSlot(std::string_view name, uint8_t facts, Slot&& slot) {
    const auto kind = static_cast<uint32_t>(factsKind(facts));
    slot(kSlotBase[kKindList] + kind);
    if (keepsNames(kind)) slot(kSlotBase[kKindNames] + kind);
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const size_t size = name.size();
    if (size == 0) return;
    slot(kSlotBase[kStarts1] + p[0]);
    for (size_t i = 0; i < size; ++i) slot(kSlotBase[kContains1] + p[i]);
    if (size == 1) return;
    slot(kSlotBase[kStarts2] + (uint32_t{p[0]} << 8 | p[1]));
    for (size_t i = 0; i + 1 < size; ++i) slot(kSlotBase[kContains2] + (uint32_t{p[i]} << 8 | p[i + 1]));
}

bool isKindNamesSlot(uint32_t slot) { return slot >= kSlotBase[kKindNames]; }

uint32_t slotKey(uint32_t slot) {
    uint32_t type = kKindNames;
    while (type == 3 || slot < kSlotBase[type]) --type;
    const uint32_t value = slot - kSlotBase[type];
    const uint32_t n = type >= kKindList ? 1 : type > 3 ? type - 3 : type;
    return (type << 24) | (value << (8 * (3 - n)));
}

// Lists that may be left out as dense: a word's contains-grams and the kinds without names
// (starts-with lists are always kept: they rank the first hits).
bool mayBeDense(uint32_t slot) {
    if (slot < kSlotBase[kStarts1]) return true;
    return slot >= kSlotBase[kKindList] && slot < kSlotBase[kKindNames] && !keepsNames(slot - kSlotBase[kKindList]);
}

size_t varintSize(uint32_t value) {
    size_t size = 1;
    for (; value >= 0x80; value >>= 7) ++size;
    return size;
}

unsigned char* putVarint(unsigned char* out, uint32_t value) {
    for (; value >= 0x80; value >>= 7) *out++ = static_cast<unsigned char>(value | 0x80);
    *out++ = static_cast<unsigned char>(value);
    return out;
}

}  // namespace

void NameListBuilder::count(uint32_t doc, std::string_view name, uint8_t facts) {
    if (table_.empty()) table_.assign(kSlotCount, 0);
    forEachSlot(name, facts, [&](uint32_t slot) {
        uint32_t& index = table_[slot];
        if (index == 0) {
            lists_.push_back(List{slot});
            index = static_cast<uint32_t>(lists_.size());
        }
        List& list = lists_[index - 1];
        if (list.count != 0 && list.last == doc) return;  // a repeat within this name
        list.bytes += isKindNamesSlot(slot) ? name.size() + 1 : varintSize(list.count == 0 ? doc : doc - list.last);
        list.count++;
        list.last = doc;
    });
}

uint64_t NameListBuilder::place(uint32_t docCount, const NameIndexBuildOptions& options) {
    const bool capDense = docCount >= options.denseMinDocs && options.denseDivisor > 0;
    order_.resize(lists_.size());
    for (uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return lists_[a].slot < lists_[b].slot; });
    uint64_t offset = 0;
    for (uint32_t i : order_) {
        List& list = lists_[i];
        list.dense = capDense && mayBeDense(list.slot) && list.count > docCount / options.denseDivisor;
        list.offset = list.cursor = offset;
        if (!list.dense) offset += list.bytes;
    }
    return offset;
}

// Slots ascend in the same order as keys.
std::string NameListBuilder::table() const {
    std::string out;
    out.reserve(order_.size() * sizeof(GramEntry));
    for (uint32_t i : order_) {
        const List& list = lists_[i];
        const GramEntry entry{slotKey(list.slot), list.count, list.dense ? 0 : list.offset,
                              static_cast<uint32_t>(list.dense ? 0 : list.bytes), 0};
        out.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    }
    return out;
}

// Lists lie in the postings in key order, so a window is a run of consecutive lists.
std::vector<NameListBuilder::Window> NameListBuilder::windows(uint64_t budget) const {
    std::vector<Window> windows;
    for (uint32_t i : order_) {
        const List& list = lists_[i];
        if (list.dense || list.bytes == 0) continue;
        if (windows.empty() || (windows.back().end > windows.back().begin && list.offset + list.bytes - windows.back().begin > budget))
            windows.push_back(Window{list.offset, list.offset});
        windows.back().end = list.offset + list.bytes;
    }
    return windows;
}

// Gaps as varints (a kind's names as they are), each list at its place in the window.
bool NameListBuilder::fill(uint32_t doc, std::string_view name, uint8_t facts, const Window& window, unsigned char* out) {
    bool fits = true;
    forEachSlot(name, facts, [&](uint32_t slot) {
        List& list = lists_[table_[slot] - 1];
        if (list.dense || list.offset < window.begin || list.offset >= window.end) return;
        const bool started = list.cursor != list.offset;
        if (started && list.last == doc) return;
        const uint64_t room = list.offset + list.bytes - list.cursor;
        unsigned char* at = out + (list.cursor - window.begin);
        if (isKindNamesSlot(slot)) {
            if (room < name.size() + 1) {
                fits = false;
                return;
            }
            std::memcpy(at, name.data(), name.size());
            at[name.size()] = 0;
            list.cursor += name.size() + 1;
        } else {
            const uint32_t value = started ? doc - list.last : doc;
            if (room < varintSize(value)) {
                fits = false;
                return;
            }
            list.cursor += static_cast<uint64_t>(putVarint(at, value) - at);
        }
        list.last = doc;
    });
    return fits;
}

}  // namespace skimmer::index::query
