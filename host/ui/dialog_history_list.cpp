// Edit lines with a history (DIF_HISTORY): the list that Ctrl+Up, Ctrl+Down or the arrow opens
// under the line, the lines a dialog remembers when it ends, and the history messages.
//
// The list is FAR's: Enter puts the chosen line into the edit line, Esc closes, Ins locks or
// unlocks an entry (a check mark; locked entries are never pushed out or deleted), Shift+Del
// deletes the current entry unless it is locked, Del deletes every unlocked one.
#include <algorithm>

#include "far/keys.h"
#include "far/messages.h"
#include "host/ui/menu_window.h"
#include "host/ui/running_dialog.h"

namespace skimmer::host::ui {
namespace {

bool takesHistory(int type) { return type == DI_EDIT || type == DI_FIXEDIT; }

enum ListKey { kClearKey, kDeleteKey, kLockKey };

MenuRequest historyMenu(const std::vector<HistoryEntry>& entries, size_t current, int x, int y) {
    MenuRequest request;
    request.x = x;
    request.y = y;
    request.maxHeight = 10;
    request.flags = FMENU_SHOWAMPERSAND | FMENU_WRAPMODE;
    for (size_t i = 0; i < entries.size(); ++i) {
        MenuEntry entry{.text = entries[i].text, .selected = i == current};
        if (entries[i].locked) entry.checkMark = kStandardCheckMark;
        request.entries.push_back(std::move(entry));
    }
    // In ListKey order.
    request.breakKeys = {breakKeyOf(KEY_DEL), breakKeyOf(KEY_SHIFTDEL), breakKeyOf(KEY_INS)};
    return request;
}

}  // namespace

void RunningDialog::initHistory(int id) {
    auto& item = items_[static_cast<size_t>(id)];
    const FarDialogItem& source = item.farItem;
    if (!(source.Flags & DIF_HISTORY) || !takesHistory(source.Type) || source.History == nullptr) return;
    item.history = source.History;
    if ((source.Flags & DIF_USELASTHISTORY) && item.edit.codePoints().empty())
        if (auto newest = context_.dialogHistory().newest(item.history)) item.edit.setText(*newest);
}

int RunningDialog::historyArrowAt(int x, int y) const {
    for (int id = 0; id < static_cast<int>(items_.size()); ++id) {
        const auto& item = items_[static_cast<size_t>(id)].farItem;
        if (!hasHistory(id) || (item.Flags & (DIF_HIDDEN | DIF_DISABLE))) continue;
        if (x == x_ + std::max(item.X2, item.X1) + 1 && y == y_ + item.Y1) return id;
    }
    return -1;
}

void RunningDialog::openHistory(int id) {
    if (!hasHistory(id) || !context_.onUiThread()) return;
    DialogHistory& history = context_.dialogHistory();
    const std::string name = items_[static_cast<size_t>(id)].history;
    const FarDialogItem& source = items_[static_cast<size_t>(id)].farItem;
    size_t current = 0;
    dropDownOpen_ = true;
    while (!history.entries(name).empty()) {
        const auto& entries = history.entries(name);
        const MenuChoice choice = runMenu(context_, historyMenu(entries, current, x_ + source.X1, y_ + source.Y1 + 1));
        if (choice.index < 0) break;
        current = static_cast<size_t>(choice.index);
        if (choice.breakCode == kClearKey) history.clearUnlocked(name);
        else if (choice.breakCode == kDeleteKey) history.remove(name, current);
        else if (choice.breakCode == kLockKey) history.toggleLock(name, current);
        if (choice.breakCode >= 0) continue;
        EditLine& edit = items_[static_cast<size_t>(id)].edit;
        edit.setText(entries[current].text);
        edit.setUnchanged(false);
        editChanged(id);
        break;
    }
    dropDownOpen_ = false;
    markDirty();
}

void RunningDialog::rememberHistories() {
    for (int id = 0; id < static_cast<int>(items_.size()); ++id) {
        const Item& item = items_[static_cast<size_t>(id)];
        if (hasHistory(id) && !(item.farItem.Flags & DIF_MANUALADDHISTORY))
            context_.dialogHistory().add(item.history, item.edit.text());
    }
}

// TRUE when the item has a history and the text is taken (the newest already: nothing to move).
LONG_PTR RunningDialog::dmAddHistory(int id, LONG_PTR text) {
    if (!hasHistory(id) || text == 0) return FALSE;
    context_.dialogHistory().add(items_[static_cast<size_t>(id)].history, reinterpret_cast<const char*>(text));
    return TRUE;
}

// A name gives the line that history (and its arrow); NULL takes the history away.
LONG_PTR RunningDialog::dmSetHistory(int id, LONG_PTR name) {
    if (!valid(id) || !takesHistory(itemType(id))) return FALSE;
    auto& item = items_[static_cast<size_t>(id)];
    const char* text = reinterpret_cast<const char*>(name);
    item.history = text != nullptr ? text : "";
    item.farItem.History = text;
    item.farItem.Flags = text != nullptr ? (item.farItem.Flags | DIF_HISTORY) : (item.farItem.Flags & ~DIF_HISTORY);
    markDirty();
    return TRUE;
}

LONG_PTR RunningDialog::dmGetDropDownOpened(int, LONG_PTR) { return dropDownOpen_ ? TRUE : FALSE; }

}  // namespace skimmer::host::ui
