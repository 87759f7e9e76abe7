#include "host/app/sort_menu.h"

#include <array>

namespace skimmer::host::app {
namespace {

namespace k = term::key;

// The labels of the modes in the order of their keys, Ctrl+F3 … Ctrl+F11 (sortModeForKey).
constexpr std::array<const char*, 9> kModeLabels = {"&Name",          "E&xtension",   "&Modification time",
                                                    "&Size",          "&Unsorted",    "&Creation time",
                                                    "&Access time",   "&Description", "&Owner"};
constexpr int kSeparator = static_cast<int>(kModeLabels.size());
constexpr int kSelectedFirst = kSeparator + 1;

// The label, then its key in a column of its own (menus have no tab stops).
std::string withKey(const char* label, const std::string& key) {
    std::string text = label;
    const size_t shown = text.size() - (text.find('&') == std::string::npos ? 0 : 1);
    text.append(shown < 20 ? 20 - shown : 1, ' ');
    return text + key;
}

int modeAt(int index) { return *sortModeForKey(k::kCtrl | k::F(3 + index)); }

}  // namespace

MenuOffer sortMenu(const SortOrder& now) {
    const SortOrder order = normalised(now);
    MenuOffer menu{.title = "Sort by", .entries = {}, .breakKeys = {}};
    for (int i = 0; i < kSeparator; ++i) {
        ui::MenuEntry entry{.text = withKey(kModeLabels[static_cast<size_t>(i)], "Ctrl+F" + std::to_string(3 + i))};
        if (modeAt(i) == order.mode) {
            entry.selected = true;
            entry.checkMark = order.reverse ? U'-' : U'+';
        }
        menu.entries.push_back(entry);
    }
    menu.entries.push_back(ui::MenuEntry{.separator = true});
    menu.entries.push_back(ui::MenuEntry{.text = withKey("Show selected &first", "Shift+F12"),
                                         .checkMark = order.selectedFirst ? ui::kStandardCheckMark : U'\0'});
    return menu;
}

SortOrder chosenSort(const SortOrder& now, int index) {
    if (index >= 0 && index < kSeparator) return chooseSort(now, modeAt(index));
    if (index != kSelectedFirst) return now;
    SortOrder order = now;
    order.selectedFirst = !order.selectedFirst;
    return order;
}

}  // namespace skimmer::host::app
