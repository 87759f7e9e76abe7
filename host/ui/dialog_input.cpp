// Keys, pasted text and the mouse: DN_KEY / DN_MOUSEEVENT / DN_MOUSECLICK first, then FAR's
// default handling.
#include <algorithm>

#include "far/keys.h"
#include "host/term/text_width.h"
#include "host/ui/help_window.h"
#include "host/ui/running_dialog.h"

namespace skimmer::host::ui {

namespace {

MOUSE_EVENT_RECORD toRecord(const term::MouseEvent& event, int dx = 0, int dy = 0) {
    MOUSE_EVENT_RECORD record{};
    record.dwMousePosition = {static_cast<SHORT>(event.x - dx), static_cast<SHORT>(event.y - dy)};
    record.dwButtonState = event.buttons;
    // Windows puts the wheel's direction in the high word of the button state (+120 away from the user).
    if (event.flags & term::kMouseWheeled)
        record.dwButtonState |= static_cast<DWORD>(static_cast<uint16_t>(event.wheel > 0 ? 120 : -120)) << 16;
    record.dwControlKeyState = event.controlKeys;
    record.dwEventFlags = event.flags;
    return record;
}

// A one-line field takes the first line of a paste; the rest is not typed anywhere.
std::string firstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

bool isPress(const term::MouseEvent& event) {
    return event.buttons != 0 && (event.flags & (term::kMouseMoved | term::kMouseWheeled)) == 0;
}

}  // namespace

void RunningDialog::processKey(int key, bool viaDnKey) {
    markDirty();
    if (moveMode_) {
        moveModeKey(key);
        return;
    }
    if (viaDnKey) {
        const int before = focus_;
        if (notify(DN_KEY, focus_, key) || closed_) return;
        // The procedure moved the focus to a user control and left the key alone: the key is
        // meant for that control (FAR's way of handing a list the arrow that left an edit field),
        // and a user control hears keys only through DN_KEY.
        if (focus_ != before && itemType(focus_) == DI_USERCONTROL && notify(DN_KEY, focus_, key)) return;
    }
    defaultKey(key);
}

bool RunningDialog::defaultKey(int key) {
    if (key == KEY_ESC || key == KEY_F10) {
        tryClose(-1);
        return true;
    }
    if (key == KEY_ENTER) {
        enterKey();
        return true;
    }
    if (key == KEY_TAB) {
        setFocus(stepFocus(focus_, +1));
        return true;
    }
    if (key == KEY_SHIFTTAB) {
        setFocus(stepFocus(focus_, -1));
        return true;
    }
    if (key == KEY_F1) {
        help();
        return true;
    }
    if (key == KEY_CTRLF5) {
        if (notify(DN_DRAGGED, 0, 0)) {
            moveMode_ = true;
            moveFromX_ = x_;
            moveFromY_ = y_;
        }
        return true;
    }
    if ((key == KEY_CTRLDOWN || key == KEY_CTRLUP) && hasHistory(focus_)) {
        openHistory(focus_);
        return true;
    }
    if (isEdit(focus_) && editKey(focus_, key)) return true;
    if (key == KEY_UP || key == KEY_LEFT) {
        setFocus(stepFocus(focus_, -1));
        return true;
    }
    if (key == KEY_DOWN || key == KEY_RIGHT) {
        setFocus(stepFocus(focus_, +1));
        return true;
    }
    const int type = itemType(focus_);
    if (key == KEY_SPACE && type == DI_BUTTON) {
        press(focus_);
        return true;
    }
    if (key == KEY_SPACE && type == DI_RADIOBUTTON) {
        selectRadio(focus_);
        return true;
    }
    if (type == DI_CHECKBOX && (key == KEY_SPACE || key == '+' || key == '-')) {
        const auto& item = items_[static_cast<size_t>(focus_)].farItem;
        int next = key == '+' ? 1 : key == '-' ? 0 : (item.Flags & DIF_3STATE) ? (item.Selected + 1) % 3 : !item.Selected;
        if (next != item.Selected) toggleCheck(focus_, next);
        return true;
    }
    return hotkey(key, true) || (!isEdit(focus_) && hotkey(key, false));
}

// F1: DN_HELP offers the dialog's topic to the procedure, which answers the topic to show (the
// same, another one of its own) or null for none; then the help window opens over the dialog and
// Esc there brings the dialog back as it was.
void RunningDialog::help() {
    const LONG_PTR answer = notify(DN_HELP, focus_, reinterpret_cast<LONG_PTR>(helpTopic_.c_str()));
    // A procedure that answers TRUE or a small number by mistake gives no pointer to read from.
    if (answer == 0 || static_cast<uintptr_t>(answer) < 0x10000 || closed_) return;
    const std::string topic(reinterpret_cast<const char*>(answer));
    if (!topic.empty()) showPluginHelp(context_, pluginNumber_, topic);
    markDirty();
}

bool RunningDialog::editKey(int id, int key) {
    auto& item = items_[static_cast<size_t>(id)];
    EditLine& edit = item.edit;
    const bool readOnly = item.farItem.Flags & DIF_READONLY;
    const auto before = edit.codePoints();
    if (key == KEY_HOME) edit.home();
    else if (key == KEY_END) edit.end();
    else if (key == KEY_LEFT) edit.left();
    else if (key == KEY_RIGHT) edit.right();
    else if (key == KEY_CTRLLEFT) edit.wordLeft();
    else if (key == KEY_CTRLRIGHT) edit.wordRight();
    else if (readOnly) return false;
    else if (key == KEY_BS) edit.backspace();
    else if (key == KEY_DEL) edit.deleteForward();
    else if (key == KEY_CTRLY) edit.clear();
    else if (key == KEY_CTRLV || key == KEY_SHIFTINS) edit.insert(firstLine(context_.clipboardText()));
    else if (farapi::isCharacterKey(key) && (farapi::keyModifiers(key) & ~KEY_SHIFT) == 0) {
        std::string utf8;
        term::appendUtf8(utf8, static_cast<char32_t>(farapi::keyBase(key)));
        edit.insert(utf8);
    } else {
        return false;
    }
    if (edit.codePoints() != before) editChanged(id);
    return true;
}

void RunningDialog::paste(const std::string& text) {
    if (!isEdit(focus_) || (items_[static_cast<size_t>(focus_)].farItem.Flags & DIF_READONLY)) return;
    if (items_[static_cast<size_t>(focus_)].edit.insert(firstLine(text))) editChanged(focus_);
}

// Ctrl+F5: arrows move the dialog, Enter keeps the place, Esc puts it back.
void RunningDialog::moveModeKey(int key) {
    auto& cells = context_.surface().cells();
    if (key == KEY_LEFT) x_ = std::max(x_ - 1, -width_ + 1);
    else if (key == KEY_RIGHT) x_ = std::min(x_ + 1, cells.width() - 1);
    else if (key == KEY_UP) y_ = std::max(y_ - 1, -height_ + 1);
    else if (key == KEY_DOWN) y_ = std::min(y_ + 1, cells.height() - 1);
    else if (key == KEY_ENTER || key == KEY_CTRLF5 || key == KEY_ESC) {
        const bool cancelled = key == KEY_ESC;
        if (cancelled) {
            x_ = moveFromX_;
            y_ = moveFromY_;
        }
        moveMode_ = false;
        notify(DN_DRAGGED, 1, cancelled ? 1 : 0);
    }
    centredX_ = centredY_ = false;
}

int RunningDialog::itemAt(int x, int y) const {
    // Controls first (they sit inside boxes), then anything else that lies under the pointer.
    for (int pass = 0; pass < 2; ++pass)
        for (int id = static_cast<int>(items_.size()) - 1; id >= 0; --id) {
            const auto& item = items_[static_cast<size_t>(id)].farItem;
            if (item.Flags & DIF_HIDDEN) continue;
            if (pass == 0 && !focusable(id)) continue;
            int x2 = std::max(item.X2, item.X1), y2 = std::max(item.Y2, item.Y1);
            if (x - x_ >= item.X1 && x - x_ <= x2 && y - y_ >= item.Y1 && y - y_ <= y2) return id;
        }
    return -1;
}

void RunningDialog::processMouse(const term::MouseEvent& event) {
    markDirty();
    if (event.flags & term::kMouseWheeled) return processKey(event.wheel > 0 ? KEY_MSWHEEL_UP : KEY_MSWHEEL_DOWN, true);
    MOUSE_EVENT_RECORD record = toRecord(event);
    if (mouseNotify_ && !notify(DN_MOUSEEVENT, 0, reinterpret_cast<LONG_PTR>(&record))) return;
    if (dragging_) return dragTo(event);
    if (!isPress(event)) return;
    const bool inside = event.x >= x_ && event.x < x_ + width_ && event.y >= y_ && event.y < y_ + height_;
    if (!inside) {
        if (notify(DN_MOUSECLICK, -1, reinterpret_cast<LONG_PTR>(&record))) return;
        // Unhandled, a left click outside is Esc and a right click Enter.
        if (event.buttons & term::kLeftButton) tryClose(-1);
        else if (event.buttons & term::kRightButton) enterKey();
        return;
    }
    if (const int arrow = historyArrowAt(event.x, event.y); arrow >= 0) {
        if (setFocus(arrow) && !closed_) openHistory(arrow);
        return;
    }
    const int id = itemAt(event.x, event.y);
    if (id >= 0 && focusable(id)) {
        clickItem(id, record);
        return;
    }
    // A frame or a label hears its click; the dialog's bare background hears none (-1 would mean
    // "outside"). Either way, unhandled, the left button starts dragging the dialog.
    if (id >= 0 && notify(DN_MOUSECLICK, id, reinterpret_cast<LONG_PTR>(&record))) return;
    if ((event.buttons & term::kLeftButton) && notify(DN_DRAGGED, 0, 0)) {
        dragging_ = true;
        dragDx_ = event.x - x_;
        dragDy_ = event.y - y_;
    }
}

void RunningDialog::clickItem(int id, MOUSE_EVENT_RECORD record) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    // A user control hears where in itself it was clicked; every other item hears screen cells.
    if (item.Type == DI_USERCONTROL) {
        record.dwMousePosition.X = static_cast<SHORT>(record.dwMousePosition.X - x_ - item.X1);
        record.dwMousePosition.Y = static_cast<SHORT>(record.dwMousePosition.Y - y_ - item.Y1);
    }
    const int screenX = x_ + item.X1;
    const int clickX = item.Type == DI_USERCONTROL ? record.dwMousePosition.X : record.dwMousePosition.X - screenX;
    if (notify(DN_MOUSECLICK, id, reinterpret_cast<LONG_PTR>(&record))) return;
    if (!setFocus(id) || closed_) return;
    if (item.Type == DI_BUTTON) press(id);
    else if (item.Type == DI_CHECKBOX) toggleCheck(id, (item.Flags & DIF_3STATE) ? (item.Selected + 1) % 3 : !item.Selected);
    else if (item.Type == DI_RADIOBUTTON) selectRadio(id);
    else if (isEdit(id)) {
        auto& edit = items_[static_cast<size_t>(id)].edit;
        edit.setUnchanged(false);
        edit.setCursor(edit.scrollFor(item.X2 - item.X1 + 1) + clickX);
    }
}

void RunningDialog::dragTo(const term::MouseEvent& event) {
    if (event.buttons & term::kLeftButton) {
        x_ = event.x - dragDx_;
        y_ = event.y - dragDy_;
        centredX_ = centredY_ = false;
        return;
    }
    dragging_ = false;
    notify(DN_DRAGGED, 1, 0);
}

}  // namespace skimmer::host::ui
