#include "index/query/name_index_lists.h"

#include "index/storage/kinds.h"

#include <algorithm>
#include <cstring>
#include <memory>

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

// 3-byte grams' slots follow all the others, one per gram (only those met are ever made).
constexpr uint32_t kTripleSlotBase = kSlotCount;
static_assert(kTripleSlotBase + (uint32_t{1} << 24) > kTripleSlotBase, "every 3-byte gram has a slot");

bool isKindNamesSlot(uint32_t slot) { return slot >= kSlotBase[kKindNames] && slot < kTripleSlotBase; }

uint32_t slotKey(uint32_t slot) {
    if (slot >= kTripleSlotBase) return (uint32_t{kContains3} << 24) | (slot - kTripleSlotBase);
    uint32_t type = kKindNames;
    while (type == kContains3 || slot < kSlotBase[type]) --type;
    const uint32_t value = slot - kSlotBase[type];
    const uint32_t n = type >= kKindList ? 1 : type > kContains3 ? type - kContains3 : type;
    return (type << 24) | (value << (8 * (3 - n)));
}

// The divisor under which a list may be left out as dense; 0 when it is always kept. A word's
// contains-grams and the kinds without names may be (starts-with lists are always kept: they rank
// the first hits).
uint32_t denseDivisor(uint32_t slot, const NameIndexBuildOptions& options) {
    if (slot >= kTripleSlotBase) return options.tripleDenseDivisor;
    if (slot < kSlotBase[kStarts1]) return options.denseDivisor;
    const bool kindList = slot >= kSlotBase[kKindList] && slot < kSlotBase[kKindNames];
    return kindList && !keepsNames(slot - kSlotBase[kKindList]) ? options.denseDivisor : 0;
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

inline void NameListBuilder::note(uint32_t& index, uint32_t slot, uint32_t doc, size_t nameSize) {
    if (index == 0) {
        lists_.push_back(List{slot});
        index = static_cast<uint32_t>(lists_.size());
    }
    List& list = lists_[index - 1];
    if (list.count != 0 && list.last == doc) return;  // a repeat within this name
    list.bytes += isKindNamesSlot(slot) ? nameSize + 1 : varintSize(list.count == 0 ? doc : doc - list.last);
    list.count++;
    list.last = doc;
}

void NameListBuilder::count(uint32_t doc, std::string_view name, uint8_t facts) {
    if (table_.empty()) table_.assign(kSlotCount, 0);
    forEachSlot(name, facts, [&](uint32_t slot) { note(table_[slot], slot, doc, name.size()); });
}

template <typename Found>
void NameListBuilder::forEachTriple(std::string_view name, bool make, Found&& found) {
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    uint32_t second = name.size() > 2 ? denseRank_[uint32_t{p[0]} << 8 | p[1]] : 0;
    for (size_t i = 0; i + 2 < name.size(); ++i) {
        const uint32_t first = second;
        second = denseRank_[uint32_t{p[i + 1]} << 8 | p[i + 2]];
        if (first == 0 || second == 0) continue;
        std::unique_ptr<uint32_t[]>& block = triples_[first - 1];
        if (!block) {
            if (!make) {
                found(nullptr, 0);
                continue;
            }
            block = std::make_unique<uint32_t[]>(256);  // value-initialised: no lists yet
        }
        found(&block[p[i + 2]], uint32_t{p[i]} << 16 | uint32_t{p[i + 1]} << 8 | p[i + 2]);
    }
}

bool NameListBuilder::chooseDense(uint32_t docCount, const NameIndexBuildOptions& options) {
    const bool capDense = docCount >= options.denseMinDocs;
    uint32_t denseGrams = 0;
    denseRank_.assign(65536, 0);
    for (List& list : lists_) {
        const uint32_t divisor = denseDivisor(list.slot, options);
        list.dense = capDense && divisor > 0 && list.count > docCount / divisor;
        if (list.dense && list.slot >= kSlotBase[kContains2] && list.slot < kSlotBase[kStarts1])
            denseRank_[list.slot - kSlotBase[kContains2]] = ++denseGrams;
    }
    triples_.resize(denseGrams);
    return denseGrams != 0;
}

void NameListBuilder::countTriples(uint32_t doc, std::string_view name) {
    forEachTriple(name, true, [&](uint32_t* index, uint32_t gram) { note(*index, kTripleSlotBase + gram, doc, name.size()); });
}

uint64_t NameListBuilder::place(uint32_t docCount, const NameIndexBuildOptions& options) {
    order_.resize(lists_.size());
    for (uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
    std::sort(order_.begin(), order_.end(), [&](uint32_t a, uint32_t b) { return slotKey(lists_[a].slot) < slotKey(lists_[b].slot); });
    uint64_t offset = 0;
    for (uint32_t i : order_) {
        List& list = lists_[i];
        if (list.slot >= kTripleSlotBase)
            list.dense = options.tripleDenseDivisor > 0 && list.count > docCount / options.tripleDenseDivisor;
        list.offset = list.cursor = offset;
        if (!list.dense) offset += list.bytes;
    }
    // The passes that fill the postings skip what they need not look at: the dense 3-byte grams,
    // and all of them in a window that holds none of their lists (those lie together, in key order).
    triplesFrom_ = offset;
    triplesTo_ = 0;
    for (std::unique_ptr<uint32_t[]>& block : triples_)
        for (uint32_t third = 0; block && third < 256; ++third) {
            if (block[third] == 0) continue;
            const List& list = lists_[block[third] - 1];
            if (list.dense) {
                block[third] = kDenseTriple;
            } else {
                triplesFrom_ = std::min(triplesFrom_, list.offset);
                triplesTo_ = std::max(triplesTo_, list.offset + list.bytes);
            }
        }
    return offset;
}

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
inline bool NameListBuilder::put(uint32_t index, uint32_t doc, std::string_view name, const Window& window, unsigned char* out) {
    if (index == 0) return false;  // a gram count() never met
    List& list = lists_[index - 1];
    if (list.dense || list.offset < window.begin || list.offset >= window.end) return true;
    const bool started = list.cursor != list.offset;
    if (started && list.last == doc) return true;
    const uint64_t room = list.offset + list.bytes - list.cursor;
    unsigned char* at = out + (list.cursor - window.begin);
    if (isKindNamesSlot(list.slot)) {
        if (room < name.size() + 1) return false;
        std::memcpy(at, name.data(), name.size());
        at[name.size()] = 0;
        list.cursor += name.size() + 1;
    } else {
        const uint32_t value = started ? doc - list.last : doc;
        if (room < varintSize(value)) return false;
        list.cursor += static_cast<uint64_t>(putVarint(at, value) - at);
    }
    list.last = doc;
    return true;
}

bool NameListBuilder::fill(uint32_t doc, std::string_view name, uint8_t facts, const Window& window, unsigned char* out) {
    bool fits = true;
    forEachSlot(name, facts, [&](uint32_t slot) { fits = put(table_[slot], doc, name, window, out) && fits; });
    if (window.end <= triplesFrom_ || window.begin >= triplesTo_) return fits;
    forEachTriple(name, false, [&](const uint32_t* index, uint32_t) {
        if (index != nullptr && *index == kDenseTriple) return;
        fits = index != nullptr && *index != 0 && put(*index, doc, name, window, out) && fits;
    });
    return fits;
}

}  // namespace skimmer::index::query
