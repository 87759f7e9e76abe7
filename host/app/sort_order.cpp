#include "host/app/sort_order.h"

#include <algorithm>
#include <numeric>
#include <string_view>

#include "host/app/panel_list.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;

// Letters after FAR's sort menu, indexed by SM_* (SM_DEFAULT shows as name).
constexpr char kLetters[] = "nunxmcaszopl";
static_assert(sizeof kLetters - 1 == SM_NUMLINKS + 1, "one letter per sort mode");

std::string_view extensionOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string_view() : std::string_view(name).substr(dot + 1);
}

// <0, 0, >0 on the mode's own key, before any tie-break; "larger first" keys are turned here.
int compareKey(const PanelEntry& a, const PanelEntry& b, int mode) {
    const auto descending = [](auto x, auto y) { return x > y ? -1 : x < y ? 1 : 0; };
    switch (mode) {
        case SM_EXT: return extensionOf(a.name).compare(extensionOf(b.name));
        case SM_MTIME: return descending(a.mtime, b.mtime);
        case SM_CTIME: return descending(a.ctime, b.ctime);
        case SM_ATIME: return descending(a.atime, b.atime);
        case SM_SIZE:
        case SM_COMPRESSEDSIZE: return descending(a.size, b.size);
        case SM_DESCR: return a.description.compare(b.description);
        case SM_OWNER: return a.owner.compare(b.owner);
        case SM_NUMLINKS: return descending(a.links, b.links);
        default: return 0;  // SM_NAME: the tie-break is the key
    }
}

}  // namespace

bool isSortMode(int mode) { return mode >= SM_UNSORTED && mode <= SM_NUMLINKS; }

SortOrder normalised(SortOrder order) {
    if (!isSortMode(order.mode)) order.mode = SM_NAME;
    return order;
}

std::vector<size_t> sortPermutation(const std::vector<PanelEntry>& entries, SortOrder order) {
    order = normalised(order);
    std::vector<size_t> perm(entries.size());
    std::iota(perm.begin(), perm.end(), size_t{0});
    // Group: ".." 0, folders 1, files 2 (unsorted keeps folders among the files); with the
    // selected first, the unselected ones take groups 3 and 4.
    const auto group = [&](size_t i) {
        const PanelEntry& e = entries[i];
        if (e.name == "..") return 0;
        const int kind = order.mode != SM_UNSORTED && e.isDir ? 1 : 2;
        return order.selectedFirst && !e.selected ? kind + 2 : kind;
    };
    const auto before = [&](size_t x, size_t y) {
        if (group(x) != group(y)) return group(x) < group(y);
        if (order.mode == SM_UNSORTED) return order.reverse ? x > y : x < y;
        int c = compareKey(entries[x], entries[y], order.mode);
        if (c == 0) c = entries[x].name.compare(entries[y].name);
        if (c == 0) return x < y;  // equal entries keep their given order whichever way
        return order.reverse ? c > 0 : c < 0;
    };
    std::sort(perm.begin(), perm.end(), before);
    return perm;
}

char sortLetter(SortOrder order) {
    order = normalised(order);
    const char c = kLetters[order.mode];
    return order.reverse ? static_cast<char>(c - 'a' + 'A') : c;
}

std::optional<int> sortModeForKey(k::Code key) {
    constexpr int kModes[] = {SM_NAME, SM_EXT, SM_MTIME, SM_SIZE, SM_UNSORTED, SM_CTIME, SM_ATIME, SM_DESCR, SM_OWNER};
    for (int i = 0; i < static_cast<int>(std::size(kModes)); ++i)
        if (key == (k::kCtrl | k::F(3 + i))) return kModes[i];
    return std::nullopt;
}

SortOrder chooseSort(SortOrder now, int mode) {
    now = normalised(now);
    if (!isSortMode(mode)) mode = SM_NAME;
    now.reverse = mode == now.mode && !now.reverse;
    now.mode = mode;
    return now;
}

}  // namespace skimmer::host::app
