// Focus, buttons, check boxes, radio groups, hot keys and closing: what a dialog does on its own
// when the dialog procedure lets it.
#include <algorithm>
#include <cstring>

#include "far/keys.h"
#include "host/term/text_width.h"
#include "host/ui/hotkey_text.h"
#include "host/ui/running_dialog.h"
#include "os/utf8.h"

namespace skimmer::host::ui {

namespace {

constexpr DWORD kUnreachable = DIF_DISABLE | DIF_NOFOCUS | DIF_HIDDEN;

bool takesFocus(int type) {
    switch (type) {
        case DI_EDIT: case DI_PSWEDIT: case DI_FIXEDIT: case DI_BUTTON: case DI_CHECKBOX:
        case DI_RADIOBUTTON: case DI_COMBOBOX: case DI_LISTBOX: case DI_USERCONTROL:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool RunningDialog::focusable(int id) const {
    if (!valid(id)) return false;
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    return takesFocus(item.Type) && (item.Flags & kUnreachable) == 0;
}

bool RunningDialog::isEdit(int id) const {
    int type = itemType(id);
    return type == DI_EDIT || type == DI_PSWEDIT || type == DI_FIXEDIT || type == DI_COMBOBOX;
}

int RunningDialog::stepFocus(int from, int direction) const {
    const int n = static_cast<int>(items_.size());
    for (int k = 1; k <= n; ++k) {
        int id = ((from + direction * k) % n + n) % n;
        if (focusable(id)) return id;
    }
    return from;
}

bool RunningDialog::setFocus(int id) {
    if (!focusable(id) || killingFocus_) return false;
    if (id == focus_) return true;
    if (valid(focus_)) {
        killingFocus_ = true;
        LONG_PTR redirect = notify(DN_KILLFOCUS, focus_, 0);
        killingFocus_ = false;
        if (redirect >= 0) {  // the item keeps the focus, or names the one to get it instead
            if (redirect == focus_ || !focusable(static_cast<int>(redirect))) return false;
            id = static_cast<int>(redirect);
        }
    }
    focus_ = id;
    auto& item = items_[static_cast<size_t>(id)].farItem;
    if (item.Type == DI_RADIOBUTTON && (item.Flags & DIF_MOVESELECT)) selectRadio(id);
    notify(DN_GOTFOCUS, id, 0);
    markDirty();
    return true;
}

bool RunningDialog::tryClose(int exitCode) {
    if (closed_) return true;
    if (closing_) return false;
    closing_ = true;
    const bool allowed = notify(DN_CLOSE, exitCode, 0) != 0;
    closing_ = false;
    if (!allowed) return false;
    closed_ = true;
    exitCode_ = exitCode;
    return true;
}

void RunningDialog::press(int id) {
    // FALSE from the procedure lets the kernel go on: a button closes the dialog unless it says not to.
    if (!notify(DN_BTNCLICK, id, 0) && !(items_[static_cast<size_t>(id)].farItem.Flags & DIF_BTNNOCLOSE))
        tryClose(id);
    markDirty();
}

void RunningDialog::toggleCheck(int id, int newState) {
    if (notify(DN_BTNCLICK, id, newState)) items_[static_cast<size_t>(id)].farItem.Selected = newState;
    markDirty();
}

std::pair<int, int> RunningDialog::radioGroup(int id) const {
    int first = id;
    while (first > 0 && !(items_[static_cast<size_t>(first)].farItem.Flags & DIF_GROUP) &&
           itemType(first - 1) == DI_RADIOBUTTON)
        --first;
    int last = id;
    while (itemType(last + 1) == DI_RADIOBUTTON && !(items_[static_cast<size_t>(last + 1)].farItem.Flags & DIF_GROUP))
        ++last;
    return {first, last};
}

// FAR tells the procedure about both ends of the change: the button that loses the selection
// (Param2 0) and the one that gets it (Param2 1). Either may refuse, and then nothing changes.
void RunningDialog::selectRadio(int id) {
    auto [first, last] = radioGroup(id);
    int previous = -1;
    for (int i = first; i <= last; ++i)
        if (items_[static_cast<size_t>(i)].farItem.Selected) previous = i;
    bool allowed = (previous < 0 || previous == id || notify(DN_BTNCLICK, previous, 0)) &&
                   notify(DN_BTNCLICK, id, 1);
    if (allowed)
        for (int i = first; i <= last; ++i) items_[static_cast<size_t>(i)].farItem.Selected = (i == id);
    markDirty();
}

void RunningDialog::enterKey() {
    if (itemType(focus_) == DI_BUTTON) return press(focus_);
    int exitCode = focus_;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].farItem.DefaultButton) {
            exitCode = static_cast<int>(i);
            break;
        }
    tryClose(exitCode);
}

bool RunningDialog::hotkey(int key, bool needsAlt) {
    const int mods = farapi::keyModifiers(key);
    if (!farapi::isCharacterKey(key)) return false;
    if (needsAlt ? (mods & ~KEY_SHIFT) != KEY_ALT : (mods & ~KEY_SHIFT) != 0) return false;
    const char32_t wanted = foldKey(static_cast<char32_t>(farapi::keyBase(key)));
    for (size_t i = 0; i < items_.size(); ++i) {
        const auto& item = items_[i].farItem;
        if ((item.Flags & (DIF_DISABLE | DIF_HIDDEN)) || isEdit(static_cast<int>(i)) || item.Type == DI_USERCONTROL)
            continue;
        if (parseHotkey(itemText(static_cast<int>(i)), item.Flags & DIF_SHOWAMPERSAND).key != wanted) continue;
        activateHotkeyItem(static_cast<int>(i), key);
        return true;
    }
    return false;
}

// A label's hot key moves to the item after it (the edit field it names); a control's hot key
// focuses it and works it as Space would.
void RunningDialog::activateHotkeyItem(int id, int key) {
    int type = itemType(id);
    int target = id;
    if (type == DI_TEXT || type == DI_VTEXT || type == DI_SINGLEBOX || type == DI_DOUBLEBOX) {
        target = stepFocus(id, +1);
        if (target <= id && !focusable(target)) return;
    }
    if (!notify(DN_HOTKEY, target, key)) return;
    if (!setFocus(target) || target != id) return;
    if (type == DI_BUTTON) press(id);
    else if (type == DI_CHECKBOX) toggleCheck(id, items_[static_cast<size_t>(id)].farItem.Selected ? 0 : 1);
    else if (type == DI_RADIOBUTTON) selectRadio(id);
}

std::string RunningDialog::itemText(int id) const {
    const auto& item = items_[static_cast<size_t>(id)];
    if (isEdit(id)) return item.edit.text();
    return std::string(item.farItem.Data, strnlen(item.farItem.Data, sizeof item.farItem.Data));
}

void RunningDialog::setItemText(int id, std::string_view text) {
    auto& item = items_[static_cast<size_t>(id)];
    if (isEdit(id)) return item.edit.setText(text);
    size_t n = os::utf8CutPoint(text, sizeof item.farItem.Data - 1);
    std::memcpy(item.farItem.Data, text.data(), n);
    item.farItem.Data[n] = '\0';
}

CHAR_INFO* RunningDialog::userCells(int id) const {
    const auto& item = items_[static_cast<size_t>(id)];
    if (item.farItem.Type != DI_USERCONTROL) return nullptr;
    if (item.farItem.VBuf) return item.farItem.VBuf;
    const int w = item.farItem.X2 - item.farItem.X1 + 1, h = item.farItem.Y2 - item.farItem.Y1 + 1;
    if (w <= 0 || h <= 0) return nullptr;
    const auto size = static_cast<size_t>(w) * static_cast<size_t>(h);
    if (item.cells.size() != size) {
        CHAR_INFO blank{};
        blank.Char.UnicodeChar = L' ';
        item.cells.assign(size, blank);
    }
    return item.cells.data();
}

FarDialogItem RunningDialog::exportItem(int id) const {
    FarDialogItem out = items_[static_cast<size_t>(id)].farItem;
    out.Focus = (id == focus_);
    if (out.Type == DI_USERCONTROL) out.VBuf = userCells(id);
    if (isEdit(id)) {
        std::string text = items_[static_cast<size_t>(id)].edit.text();
        size_t n = os::utf8CutPoint(text, sizeof out.Data - 1);
        std::memcpy(out.Data, text.data(), n);
        out.Data[n] = '\0';
    }
    return out;
}

void RunningDialog::editChanged(int id) {
    FarDialogItem state = exportItem(id);
    notify(DN_EDITCHANGE, id, reinterpret_cast<LONG_PTR>(&state));
    markDirty();
}

}  // namespace skimmer::host::ui
