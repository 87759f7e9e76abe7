// The keys that select entries and change the view mode, on every kind of panel, as FAR has them:
// Ins, Shift+arrows and Shift+PgUp/PgDn/Home/End select; Gray + and Gray - ask for file masks and
// select or deselect what matches, Gray * inverts the files' selection ('+', '-' and '*' on an
// empty command line do the same, for terminals that send the keypad's keys as plain characters);
// Shift+Gray + / Shift+Gray - select all files / deselect everything; Ctrl+0 … Ctrl+9 pick the
// view mode; Ctrl+F3 … Ctrl+F11 pick the sort order, Ctrl+F12 from a menu, Shift+F12 shows the
// selected entries first; Left/Right move between stripes of a mode with several (Brief, Medium).
#include "host/app/manager.h"
#include "host/app/sort_menu.h"
#include "host/services/name_mask.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;

}  // namespace

bool Manager::selectionKey(k::Code key) {
    PanelList& panel = activePanel();
    const bool lineEmpty = commandLine_.text().empty();
    const int cur = panel.current();
    const int last = static_cast<int>(panel.entries().size()) - 1;
    const int page = std::max(1, panel.pageRows() - 1);
    // Shift with a move: every entry passed over takes the state the run's first entry did not have.
    const auto sweep = [&](int target) {
        target = std::clamp(target, 0, std::max(last, 0));
        if (!sweepState_) sweepState_ = !panel.isSelected(cur);
        const bool on = *sweepState_;
        panel.setSelectedRange(cur, target == cur ? cur : target + (target > cur ? -1 : 1), on);
        panel.moveTo(target);
    };
    switch (key) {
        case k::INS:
            panel.toggleSelected(cur);
            panel.move(1);
            return true;
        case k::kShift | k::DOWN: sweep(cur + 1); return true;
        case k::kShift | k::UP: sweep(cur - 1); return true;
        case k::kShift | k::PGDN: sweep(cur + page); return true;
        case k::kShift | k::PGUP: sweep(cur - page); return true;
        case k::kShift | k::END: panel.setSelectedRange(cur, last, !panel.isSelected(cur)); panel.moveTo(last); return true;
        case k::kShift | k::HOME: panel.setSelectedRange(cur, 0, !panel.isSelected(cur)); panel.moveTo(0); return true;
        case KEY_ADD: selectByMasks(true); return true;
        case KEY_SUBTRACT: selectByMasks(false); return true;
        case k::kShift | KEY_ADD: panel.selectAll(true, false); return true;
        case k::kShift | KEY_SUBTRACT: panel.selectAll(false, true); return true;
        case KEY_MULTIPLY: panel.invertSelection(false); return true;
        case '+': if (!lineEmpty) return false; selectByMasks(true); return true;
        case '-': if (!lineEmpty) return false; selectByMasks(false); return true;
        case '*': if (!lineEmpty) return false; panel.invertSelection(false); return true;
        case k::LEFT:
        case k::RIGHT:
            if (!lineEmpty || panel.pageRows() <= panel.stripeRows()) return false;
            panel.move(key == k::LEFT ? -panel.stripeRows() : panel.stripeRows());
            return true;
        default: return false;
    }
}

// Gray + / Gray -: FAR's Select / Deselect box, holding the masks used last ("*.*" at first). The
// entries whose names match are selected (files only, FAR's default) or deselected (folders too).
// The temporary panel's names are whole paths: their last part is matched, as FAR matches a name.
void Manager::selectByMasks(bool on) {
    if (!dialogs_.masks) return;
    const std::optional<std::string> masks = dialogs_.masks(on ? "Select" : "Deselect", lastMasks_);
    if (!masks) return;
    lastMasks_ = *masks;
    PanelList& panel = activePanel();
    const bool wholePaths = panel.namesAreWholePaths();
    panel.selectMatching(on, false, [&](const PanelEntry& e) {
        return services::matchMaskList(*masks, wholePaths ? services::nameOfPath(e.name) : std::string_view(e.name));
    });
}

bool Manager::viewModeKey(k::Code key) {
    if ((key & k::kModifierMask) != k::kCtrl) return false;
    const k::Code base = k::baseOf(key);
    if (base < '0' || base > '9') return false;
    setViewMode(static_cast<int>(base - '0'));
    return true;
}

// Ctrl+F3 … Ctrl+F11: the active panel's sort mode; the mode's own key again reverses it. Ctrl+F12
// chooses from FAR's menu; Shift+F12 turns "show selected first" on or off.
bool Manager::sortKey(k::Code key) {
    PanelList& panel = activePanel();
    SortOrder order = panel.sortOrder();
    if (const std::optional<int> mode = sortModeForKey(key)) {
        order = chooseSort(order, *mode);
    } else if (key == (k::kCtrl | k::F(12))) {
        if (!dialogs_.menu) return true;
        order = chosenSort(order, dialogs_.menu(sortMenu(order)).index);
    } else if (key == (k::kShift | k::F(12))) {
        order.selectedFirst = !order.selectedFirst;
    } else {
        return false;
    }
    panel.setSortOrder(order);
    return true;
}

bool Manager::setViewMode(int mode, bool passive) {
    if (mode < 0 || mode >= kViewModeCount) return false;
    Panel& panel = shownPanel(passive);
    panel.list().setViewModeIndex(mode);
    panel.viewModeChanged();
    return true;
}

}  // namespace skimmer::host::app
