// Painting a dialog into the cell buffer in FAR's look and palette, asking the dialog procedure
// for colours (DN_CTLCOLORDIALOG, DN_CTLCOLORDLGITEM) and for leave to draw (DN_DRAWDIALOG,
// DN_DRAWDLGITEM) as FAR does.
#include <algorithm>

#include "far/colors.h"
#include "host/term/text_width.h"
#include "host/ui/hotkey_text.h"
#include "host/ui/running_dialog.h"
#include "os/text_border.h"

namespace skimmer::host::ui {

namespace {

using term::Attr;

// The colour bytes an item's DN_CTLCOLORDLGITEM carries, lowest first.
DWORD pack(int b0, int b1, int b2 = 0, int b3 = 0) {
    return static_cast<DWORD>((b0 & 0xFF) | (b1 & 0xFF) << 8 | (b2 & 0xFF) << 16 | (b3 & 0xFF) << 24);
}
Attr byteOf(DWORD colors, int n) { return static_cast<Attr>((colors >> (8 * n)) & 0xFF); }

constexpr char32_t kShadowAttr = 0x08;  // dark grey on black: what FAR's shadow leaves of a cell

// Draws a label with its hot key in `hotAttr`; returns the column after it.
int putLabel(term::CellBuffer& cells, int x, int y, const HotkeyText& label, Attr attr, Attr hotAttr, int limitX) {
    x = cells.put(x, y, label.before, attr, limitX);
    x = cells.put(x, y, label.hot, hotAttr, limitX);
    return cells.put(x, y, label.after, attr, limitX);
}

int labelWidth(const HotkeyText& label) { return term::displayWidth(label.shown()); }

}  // namespace

int RunningDialog::pal(int index) const { return context_.color(index); }

// Widths FAR gives the self-sizing items, and the centring of DIF_CENTERGROUP rows.
void RunningDialog::layoutCenterGroups() {
    auto widthOf = [&](int id) {
        const auto& item = items_[static_cast<size_t>(id)].farItem;
        int w = labelWidth(parseHotkey(itemText(id), item.Flags & DIF_SHOWAMPERSAND));
        if (item.Type == DI_BUTTON) return w + ((item.Flags & DIF_NOBRACKETS) ? 0 : 4);
        if (item.Type == DI_CHECKBOX || item.Type == DI_RADIOBUTTON) return w + 4;
        return w;
    };
    const int n = static_cast<int>(items_.size());
    for (int id = 0; id < n; ++id) {
        auto& item = items_[static_cast<size_t>(id)].farItem;
        if (item.Type == DI_BUTTON || item.Type == DI_CHECKBOX || item.Type == DI_RADIOBUTTON)
            item.X2 = item.X1 + widthOf(id) - 1;
    }
    for (int id = 0; id < n;) {
        const auto& first = items_[static_cast<size_t>(id)].farItem;
        int end = id;
        while (end < n && (items_[static_cast<size_t>(end)].farItem.Flags & DIF_CENTERGROUP) &&
               items_[static_cast<size_t>(end)].farItem.Y1 == first.Y1)
            ++end;
        if (end == id) {
            ++id;
            continue;
        }
        int total = -1;
        for (int k = id; k < end; ++k) total += widthOf(k) + 1;
        int x = (width_ - total) / 2;
        for (int k = id; k < end; ++k) {
            auto& item = items_[static_cast<size_t>(k)].farItem;
            item.X1 = x;
            item.X2 = x + widthOf(k) - 1;
            x = item.X2 + 2;
        }
        id = end;
    }
}

DWORD RunningDialog::proposedColors(int id) const {
    const bool warn = flags_ & FDLG_WARNING;
    auto c = [&](int normal, int warning) { return pal(warn ? warning : normal); };
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    const bool disabled = item.Flags & DIF_DISABLE;
    const int disabledText = c(COL_DIALOGDISABLED, COL_WARNDIALOGDISABLED);
    switch (item.Type) {
        case DI_SINGLEBOX:
        case DI_DOUBLEBOX:
            return pack(c(COL_DIALOGBOXTITLE, COL_WARNDIALOGBOXTITLE),
                        c(COL_DIALOGHIGHLIGHTBOXTITLE, COL_WARNDIALOGHIGHLIGHTBOXTITLE), c(COL_DIALOGBOX, COL_WARNDIALOGBOX));
        case DI_EDIT: case DI_PSWEDIT: case DI_FIXEDIT: case DI_COMBOBOX:
            return pack(disabled ? c(COL_DIALOGEDITDISABLED, COL_WARNDIALOGEDITDISABLED) : c(COL_DIALOGEDIT, COL_WARNDIALOGEDIT),
                        c(COL_DIALOGEDITSELECTED, COL_WARNDIALOGEDITSELECTED),
                        c(COL_DIALOGEDITUNCHANGED, COL_WARNDIALOGEDITUNCHANGED), c(COL_DIALOGTEXT, COL_WARNDIALOGTEXT));
        case DI_BUTTON: {
            const bool focused = id == focus_;
            int text = focused ? c(COL_DIALOGSELECTEDBUTTON, COL_WARNDIALOGSELECTEDBUTTON) : c(COL_DIALOGBUTTON, COL_WARNDIALOGBUTTON);
            int hot = focused ? c(COL_DIALOGHIGHLIGHTSELECTEDBUTTON, COL_WARNDIALOGHIGHLIGHTSELECTEDBUTTON)
                              : c(COL_DIALOGHIGHLIGHTBUTTON, COL_WARNDIALOGHIGHLIGHTBUTTON);
            return disabled ? pack(disabledText, disabledText) : pack(text, hot);
        }
        case DI_USERCONTROL:
            return 0;
        default: break;
    }
    int text = c(COL_DIALOGTEXT, COL_WARNDIALOGTEXT);
    if (item.Flags & DIF_BOXCOLOR) text = c(COL_DIALOGBOX, COL_WARNDIALOGBOX);
    if (item.Flags & DIF_SETCOLOR) text = static_cast<int>(item.Flags & DIF_COLORMASK);
    if (disabled) text = disabledText;
    return pack(text, disabled ? disabledText : c(COL_DIALOGHIGHLIGHTTEXT, COL_WARNDIALOGHIGHLIGHTTEXT),
                c(COL_DIALOGBOX, COL_WARNDIALOGBOX));
}

void RunningDialog::paint(term::CellBuffer& cells) {
    struct Flag {
        bool& flag;
        explicit Flag(bool& f) : flag(f) { flag = true; }
        ~Flag() { flag = false; }
    } painting(painting_);
    if (!visible_ || !notify(DN_DRAWDIALOG, 0, 0)) return;
    const int proposed = pal((flags_ & FDLG_WARNING) ? COL_WARNDIALOGTEXT : COL_DIALOGTEXT);
    const auto background = static_cast<Attr>(notify(DN_CTLCOLORDIALOG, 0, proposed) & 0xFF);
    cells.fill(x_, y_, x_ + width_ - 1, y_ + height_ - 1, U' ', background);
    if (!(flags_ & FDLG_NODRAWSHADOW)) paintShadow(cells);
    for (int id = 0; id < static_cast<int>(items_.size()); ++id) {
        if (items_[static_cast<size_t>(id)].farItem.Flags & DIF_HIDDEN) continue;
        FarDialogItem state = exportItem(id);
        if (notify(DN_DRAWDLGITEM, id, reinterpret_cast<LONG_PTR>(&state))) paintItem(cells, id);
    }
    notify(DN_DRAWDIALOGDONE, 0, 0);
}

void RunningDialog::paintShadow(term::CellBuffer& cells) {
    cells.setAttr(x_ + width_, y_ + 1, x_ + width_ + 1, y_ + height_, kShadowAttr);
    cells.setAttr(x_ + 2, y_ + height_, x_ + width_ + 1, y_ + height_, kShadowAttr);
}

void RunningDialog::paintItem(term::CellBuffer& cells, int id) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    if (item.Type == DI_USERCONTROL) return paintUserControl(cells, id);
    const DWORD colors = static_cast<DWORD>(notify(DN_CTLCOLORDLGITEM, id, static_cast<LONG_PTR>(proposedColors(id))));
    switch (item.Type) {
        case DI_SINGLEBOX: case DI_DOUBLEBOX: return paintBox(cells, id, colors);
        case DI_TEXT:
            return (item.Flags & (DIF_SEPARATOR | DIF_SEPARATOR2)) ? paintSeparator(cells, id, colors) : paintText(cells, id, colors);
        case DI_VTEXT: return paintVText(cells, id, colors);
        case DI_EDIT: case DI_PSWEDIT: case DI_FIXEDIT: case DI_COMBOBOX: return paintEdit(cells, id, colors);
        case DI_BUTTON: return paintButton(cells, id, colors);
        case DI_CHECKBOX: case DI_RADIOBUTTON: return paintCheck(cells, id, colors);
        default: return;  // list boxes are not drawn by this host (no plug-in of ours uses them)
    }
}

void RunningDialog::paintBox(term::CellBuffer& cells, int id, DWORD colors) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    const int x1 = x_ + item.X1, y1 = y_ + item.Y1, x2 = x_ + item.X2, y2 = y_ + item.Y2;
    cells.box(x1, y1, x2, y2, item.Type == DI_DOUBLEBOX ? term::BoxStyle::Double : term::BoxStyle::Single, byteOf(colors, 2));
    HotkeyText title = parseHotkey(itemText(id), item.Flags & DIF_SHOWAMPERSAND);
    if (title.shown().empty()) return;
    const int room = x2 - x1 - 3;
    if (room <= 0) return;
    const int w = std::min(labelWidth(title), room);
    const int x = (item.Flags & DIF_LEFTTEXT) ? x1 + 2 : x1 + (x2 - x1 + 1 - (w + 2)) / 2;
    HotkeyText padded{" " + title.before, title.hot, title.after + " ", title.key};
    putLabel(cells, x, y1, padded, byteOf(colors, 0), byteOf(colors, 1), std::min(x + w + 2, x2));
}

void RunningDialog::paintText(term::CellBuffer& cells, int id, DWORD colors) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    HotkeyText label = parseHotkey(itemText(id), item.Flags & DIF_SHOWAMPERSAND);
    const int w = labelWidth(label);
    int x = item.X1;
    if (item.X1 == -1) x = (width_ - w) / 2;
    else if ((item.Flags & DIF_CENTERTEXT) && item.X2 > item.X1) x = item.X1 + std::max(0, (item.X2 - item.X1 + 1 - w) / 2);
    // A label with a right edge stops there; one without stops at the dialog's edge.
    const int limit = (item.X1 >= 0 && item.X2 >= item.X1) ? x_ + item.X2 + 1 : x_ + width_;
    putLabel(cells, x_ + x, y_ + item.Y1, label, byteOf(colors, 0), byteOf(colors, 1), std::min(limit, x_ + width_));
}

void RunningDialog::paintVText(term::CellBuffer& cells, int id, DWORD colors) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    std::string text = parseHotkey(itemText(id), item.Flags & DIF_SHOWAMPERSAND).shown();
    int y = y_ + item.Y1;
    for (size_t i = 0; i < text.size() && y < y_ + height_; ++y) {
        auto step = term::decodeUtf8(text, i);
        cells.putChar(x_ + item.X1, y, step.cp, byteOf(colors, 0));
        i += step.length;
    }
}

// A separator spans the standard frame (columns 3 .. width-4, or the whole width of a small
// dialog) and joins it with T-pieces; its text, if any, sits in the middle.
void RunningDialog::paintSeparator(term::CellBuffer& cells, int id, DWORD colors) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    const bool small = flags_ & FDLG_SMALLDIALOG;
    const int x1 = x_ + (small ? 0 : 3), x2 = x_ + width_ - 1 - (small ? 0 : 3), y = y_ + item.Y1;
    const bool twoLines = item.Flags & DIF_SEPARATOR2;
    const Attr attr = byteOf(colors, 0);
    cells.hline(x1, x2, y, twoLines ? term::BoxStyle::Double : term::BoxStyle::Single, attr);
    cells.putChar(x1, y, twoLines ? U'\u2560' : U'\u255F', attr);
    cells.putChar(x2, y, twoLines ? U'\u2563' : U'\u2562', attr);
    HotkeyText label = parseHotkey(itemText(id), item.Flags & DIF_SHOWAMPERSAND);
    if (label.shown().empty()) return;
    HotkeyText padded{" " + label.before, label.hot, label.after + " ", label.key};
    const int w = labelWidth(padded);
    putLabel(cells, x1 + std::max(1, (x2 - x1 + 1 - w) / 2), y, padded, attr, byteOf(colors, 1), x2);
}

void RunningDialog::paintEdit(term::CellBuffer& cells, int id, DWORD colors) {
    auto& entry = items_[static_cast<size_t>(id)];
    const auto& item = entry.farItem;
    const int x1 = x_ + item.X1, x2 = x_ + std::max(item.X2, item.X1), y = y_ + item.Y1;
    const bool focused = id == focus_;
    const Attr attr = byteOf(colors, (focused && entry.edit.unchanged()) ? 2 : 0);
    cells.fill(x1, y, x2, y, U' ', attr);
    const auto& text = entry.edit.codePoints();
    const int first = entry.edit.scrollFor(x2 - x1 + 1);
    int x = x1;
    int cursorX = x1;
    for (int i = first; i <= static_cast<int>(text.size()) && x <= x2; ++i) {
        if (i == entry.edit.cursor()) cursorX = x;
        if (i == static_cast<int>(text.size())) break;
        char32_t cp = item.Type == DI_PSWEDIT ? U'*' : text[static_cast<size_t>(i)];
        if (x + term::charWidth(cp) - 1 > x2) break;
        x = cells.putChar(x, y, cp, attr);
    }
    if (hasHistory(id)) cells.putChar(x2 + 1, y, U'\u2193', byteOf(colors, 3));
    if (focused) cells.setCursor(std::min(cursorX, x2), y, true);
}

void RunningDialog::paintButton(term::CellBuffer& cells, int id, DWORD colors) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    HotkeyText label = parseHotkey(itemText(id), item.Flags & DIF_SHOWAMPERSAND);
    if (!(item.Flags & DIF_NOBRACKETS)) {
        label.before = (item.DefaultButton ? "{ " : "[ ") + label.before;
        label.after += item.DefaultButton ? " }" : " ]";
    }
    putLabel(cells, x_ + item.X1, y_ + item.Y1, label, byteOf(colors, 0), byteOf(colors, 1), x_ + width_);
}

void RunningDialog::paintCheck(term::CellBuffer& cells, int id, DWORD colors) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    const bool radio = item.Type == DI_RADIOBUTTON;
    std::string mark = radio ? (item.Selected ? "(\u2022) " : "( ) ")
                             : (item.Selected == 2 ? "[?] " : item.Selected ? "[x] " : "[ ] ");
    HotkeyText label = parseHotkey(itemText(id), item.Flags & DIF_SHOWAMPERSAND);
    label.before = mark + label.before;
    putLabel(cells, x_ + item.X1, y_ + item.Y1, label, byteOf(colors, 0), byteOf(colors, 1), x_ + width_);
    if (id == focus_) cells.setCursor(x_ + item.X1 + 1, y_ + item.Y1, true);
}

// The procedure filled the control's CHAR_INFO buffer (on DN_DRAWDLGITEM); it is shown cell by
// cell, each character through the cell buffer's own filter. A double-width character takes its
// cell and the next, which holds 0 (its right half); a wide character on the control's last column
// becomes the placeholder rather than spill out. A combining mark alone in a cell sits on a blank.
void RunningDialog::paintUserControl(term::CellBuffer& cells, int id) {
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    const CHAR_INFO* buffer = userCells(id);
    if (!buffer) return;
    const int w = item.X2 - item.X1 + 1, h = item.Y2 - item.Y1 + 1;
    const int left = x_ + item.X1, limit = left + w;
    for (int row = 0; row < h; ++row) {
        const int y = y_ + item.Y1 + row;
        for (int col = 0; col < w;) {
            const CHAR_INFO& cell = buffer[row * w + col];
            const char32_t cp = os::unicodeOfConsoleCell(cell.Char.UnicodeChar);  // as FAR reads a cell
            const auto attr = static_cast<Attr>(cell.Attributes & 0xFF);
            std::string text = term::isCombining(cp) ? " " : "";
            term::appendUtf8(text, cp ? cp : U' ');
            cells.put(left + col, y, text, attr, limit);
            const bool wide = term::charWidth(cp) == 2;
            col += (wide && col + 1 < w && buffer[row * w + col + 1].Char.UnicodeChar == 0) ? 2 : 1;
        }
    }
}

}  // namespace skimmer::host::ui
