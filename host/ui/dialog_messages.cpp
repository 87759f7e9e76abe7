// The DM_* messages a running dialog answers itself, one small function each, found through a
// table by message number. Anything not in the table goes to the dialog procedure.
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "host/ui/running_dialog.h"
#include "os/utf8.h"

namespace skimmer::host::ui {

namespace {

template <class T>
T* as(LONG_PTR param2) {
    return reinterpret_cast<T*>(param2);
}

}  // namespace

RunningDialog::Handler RunningDialog::handlerFor(int msg) {
    static const auto table = [] {
        std::array<Handler, DM_GETCOMBOBOXEVENT + 1> t{};
        t[DM_CLOSE] = &RunningDialog::dmClose;
        t[DM_ENABLE] = &RunningDialog::dmEnable;
        t[DM_ENABLEREDRAW] = &RunningDialog::dmEnableRedraw;
        t[DM_GETDLGDATA] = &RunningDialog::dmGetDlgData;
        t[DM_SETDLGDATA] = &RunningDialog::dmSetDlgData;
        t[DM_GETDLGITEM] = &RunningDialog::dmGetDlgItem;
        t[DM_SETDLGITEM] = &RunningDialog::dmSetDlgItem;
        t[DM_GETDLGRECT] = &RunningDialog::dmGetDlgRect;
        t[DM_GETTEXT] = &RunningDialog::dmGetText;
        t[DM_GETTEXTLENGTH] = &RunningDialog::dmGetTextLength;
        t[DM_SETTEXT] = &RunningDialog::dmSetText;
        t[DM_GETTEXTPTR] = &RunningDialog::dmGetTextPtr;
        t[DM_SETTEXTPTR] = &RunningDialog::dmSetTextPtr;
        t[DM_SETMAXTEXTLENGTH] = &RunningDialog::dmSetMaxTextLength;
        t[DM_KEY] = &RunningDialog::dmKey;
        t[DM_MOVEDIALOG] = &RunningDialog::dmMoveDialog;
        t[DM_RESIZEDIALOG] = &RunningDialog::dmResizeDialog;
        t[DM_SETFOCUS] = &RunningDialog::dmSetFocus;
        t[DM_GETFOCUS] = &RunningDialog::dmGetFocus;
        t[DM_REDRAW] = &RunningDialog::dmRedraw;
        t[DM_SHOWDIALOG] = &RunningDialog::dmShowDialog;
        t[DM_SHOWITEM] = &RunningDialog::dmShowItem;
        t[DM_GETCURSORPOS] = &RunningDialog::dmGetCursorPos;
        t[DM_SETCURSORPOS] = &RunningDialog::dmSetCursorPos;
        t[DM_GETCHECK] = &RunningDialog::dmGetCheck;
        t[DM_SETCHECK] = &RunningDialog::dmSetCheck;
        t[DM_GETITEMPOSITION] = &RunningDialog::dmGetItemPosition;
        t[DM_SETITEMPOSITION] = &RunningDialog::dmSetItemPosition;
        t[DM_SETMOUSEEVENTNOTIFY] = &RunningDialog::dmSetMouseEventNotify;
        t[DM_EDITUNCHANGEDFLAG] = &RunningDialog::dmEditUnchangedFlag;
        t[DM_GETITEMDATA] = &RunningDialog::dmGetItemData;
        t[DM_SETITEMDATA] = &RunningDialog::dmSetItemData;
        t[DM_ADDHISTORY] = &RunningDialog::dmAddHistory;
        t[DM_SETHISTORY] = &RunningDialog::dmSetHistory;
        t[DM_GETDROPDOWNOPENED] = &RunningDialog::dmGetDropDownOpened;
        return t;
    }();
    return (msg >= 0 && msg < static_cast<int>(table.size())) ? table[static_cast<size_t>(msg)] : nullptr;
}

// Param1 -1 closes "with the focused item", as FAR reports it. The answer is DN_CLOSE's.
LONG_PTR RunningDialog::dmClose(int id, LONG_PTR) {
    bool closedNow = tryClose(id == -1 ? focus_ : id);
    if (closedNow && !context_.onUiThread()) context_.events().wake();
    return closedNow;
}

LONG_PTR RunningDialog::dmEnable(int id, LONG_PTR state) {
    if (!valid(id)) return FALSE;
    auto& flags = items_[static_cast<size_t>(id)].farItem.Flags;
    const LONG_PTR previous = (flags & DIF_DISABLE) ? FALSE : TRUE;
    if (state == -1) return previous;
    flags = state ? (flags & ~DIF_DISABLE) : (flags | DIF_DISABLE);
    markDirty();
    return previous;
}

// A counter, not a switch: TRUE adds one, FALSE takes one away, and painting resumes only when it
// is back at zero, so nested "disable ... enable" pairs compose.
LONG_PTR RunningDialog::dmEnableRedraw(int enable, LONG_PTR) {
    const int previous = redrawCounter_;
    if (enable == -1) return previous;
    redrawCounter_ += enable ? 1 : -1;
    if (redrawCounter_ == 0) markDirty();
    return previous;
}

LONG_PTR RunningDialog::dmGetDlgData(int, LONG_PTR) { return dlgData_; }

LONG_PTR RunningDialog::dmSetDlgData(int, LONG_PTR value) { return std::exchange(dlgData_, value); }

LONG_PTR RunningDialog::dmGetDlgItem(int id, LONG_PTR out) {
    if (!valid(id) || !out) return FALSE;
    *as<FarDialogItem>(out) = exportItem(id);
    return TRUE;
}

// Everything but the type may change; an edit field takes the new text with its cursor at the end.
LONG_PTR RunningDialog::dmSetDlgItem(int id, LONG_PTR in) {
    if (!valid(id) || !in) return FALSE;
    const FarDialogItem& given = *as<const FarDialogItem>(in);
    auto& item = items_[static_cast<size_t>(id)];
    if (given.Type != item.farItem.Type) return FALSE;
    const bool ownCells = item.farItem.Type == DI_USERCONTROL && !item.cells.empty() && given.VBuf == item.cells.data();
    item.farItem = given;
    if (ownCells) item.farItem.VBuf = nullptr;  // the dialog's own buffer handed back: it stays the dialog's
    if (isEdit(id)) item.edit.setText(std::string_view(given.Data, strnlen(given.Data, sizeof given.Data)));
    if (!focusable(focus_)) focus_ = stepFocus(focus_, +1);
    markDirty();
    return TRUE;
}

LONG_PTR RunningDialog::dmGetDlgRect(int, LONG_PTR out) {
    if (!out) return FALSE;
    *as<SMALL_RECT>(out) = {static_cast<SHORT>(x_), static_cast<SHORT>(y_), static_cast<SHORT>(x_ + width_ - 1),
                            static_cast<SHORT>(y_ + height_ - 1)};
    return TRUE;
}

// FAR's contract: PtrLength bytes at most are copied and a NUL follows them, so the buffer must
// hold PtrLength + 1 bytes. A character is never cut in half.
LONG_PTR RunningDialog::dmGetText(int id, LONG_PTR out) {
    if (!valid(id)) return 0;
    std::string text = itemText(id);
    auto* data = as<FarDialogItemData>(out);
    if (!data || !data->PtrData) return static_cast<LONG_PTR>(text.size());
    const size_t n = os::utf8CutPoint(text, static_cast<size_t>(std::max(data->PtrLength, 0)));
    std::memcpy(data->PtrData, text.data(), n);
    data->PtrData[n] = '\0';
    data->PtrLength = static_cast<int>(n);
    return static_cast<LONG_PTR>(n);
}

LONG_PTR RunningDialog::dmGetTextLength(int id, LONG_PTR) {
    return valid(id) ? static_cast<LONG_PTR>(itemText(id).size()) : 0;
}

// PtrLength 0 means "up to the NUL". DN_EDITCHANGE is not sent: the plug-in knows what it set.
LONG_PTR RunningDialog::dmSetText(int id, LONG_PTR in) {
    auto* data = as<const FarDialogItemData>(in);
    if (!valid(id) || !data) return 0;
    std::string_view text;
    if (data->PtrData)
        text = data->PtrLength > 0 ? std::string_view(data->PtrData, strnlen(data->PtrData, static_cast<size_t>(data->PtrLength)))
                                   : std::string_view(data->PtrData);
    setItemText(id, text);
    markDirty();
    return static_cast<LONG_PTR>(itemText(id).size());
}

LONG_PTR RunningDialog::dmGetTextPtr(int id, LONG_PTR out) {
    if (!valid(id)) return 0;
    std::string text = itemText(id);
    if (out) std::memcpy(as<char>(out), text.c_str(), text.size() + 1);
    return static_cast<LONG_PTR>(text.size());
}

LONG_PTR RunningDialog::dmSetTextPtr(int id, LONG_PTR in) {
    FarDialogItemData data{0, as<char>(in)};
    return dmSetText(id, reinterpret_cast<LONG_PTR>(&data));
}

LONG_PTR RunningDialog::dmSetMaxTextLength(int id, LONG_PTR length) {
    if (!isEdit(id)) return 0;
    auto& edit = items_[static_cast<size_t>(id)].edit;
    const auto previous = static_cast<LONG_PTR>(edit.maxBytes());
    if (length > 0) edit.setMaxBytes(std::min<size_t>(static_cast<size_t>(length), EditLine::kDefaultMaxBytes));
    markDirty();
    return previous;
}

// Keys as if typed, without DN_KEY.
LONG_PTR RunningDialog::dmKey(int count, LONG_PTR keys) {
    const auto* list = as<const DWORD>(keys);
    for (int i = 0; list && i < count && !closed_; ++i) processKey(static_cast<int>(list[i]), false);
    return 0;
}

// Param1 > 0: absolute (-1,-1 centres); 0: relative. The place reached is written back.
LONG_PTR RunningDialog::dmMoveDialog(int absolute, LONG_PTR in) {
    auto* where = as<COORD>(in);
    if (!where) return 0;
    if (absolute < 0) return dmResizeDialog(0, in);
    auto& cells = context_.surface().cells();
    if (absolute == 0) {
        x_ += where->X;
        y_ += where->Y;
    } else {
        x_ = where->X == -1 ? (cells.width() - width_) / 2 : where->X;
        y_ = where->Y == -1 ? (cells.height() - height_) / 2 : where->Y;
    }
    centredX_ = absolute > 0 && where->X == -1;
    centredY_ = absolute > 0 && where->Y == -1;
    *where = {static_cast<SHORT>(x_), static_cast<SHORT>(y_)};
    markDirty();
    return in;
}

// The size is cut to the screen and the dialog moved, if it must, to stay on it; the size applied
// is written back.
LONG_PTR RunningDialog::dmResizeDialog(int, LONG_PTR in) {
    auto* size = as<COORD>(in);
    if (!size) return 0;
    auto& cells = context_.surface().cells();
    width_ = std::clamp<int>(size->X, 1, std::max(cells.width(), 1));
    height_ = std::clamp<int>(size->Y, 1, std::max(cells.height(), 1));
    if (centredX_) x_ = (cells.width() - width_) / 2;
    if (centredY_) y_ = (cells.height() - height_) / 2;
    x_ = std::clamp(x_, 0, std::max(cells.width() - width_, 0));
    y_ = std::clamp(y_, 0, std::max(cells.height() - height_, 0));
    *size = {static_cast<SHORT>(width_), static_cast<SHORT>(height_)};
    markDirty();
    return in;
}

LONG_PTR RunningDialog::dmSetFocus(int id, LONG_PTR) { return setFocus(id) ? TRUE : FALSE; }

LONG_PTR RunningDialog::dmGetFocus(int, LONG_PTR) { return focus_; }

LONG_PTR RunningDialog::dmRedraw(int, LONG_PTR) {
    markDirty();
    if (context_.onUiThread()) paintIfDirty();
    return 0;
}

LONG_PTR RunningDialog::dmShowDialog(int show, LONG_PTR) {
    visible_ = show != 0;
    markDirty();
    return 0;
}

LONG_PTR RunningDialog::dmShowItem(int id, LONG_PTR state) {
    if (!valid(id)) return 0;
    auto& flags = items_[static_cast<size_t>(id)].farItem.Flags;
    const LONG_PTR previous = (flags & DIF_HIDDEN) ? 0 : 1;
    if (state == -1) return previous;
    flags = state ? (flags & ~DIF_HIDDEN) : (flags | DIF_HIDDEN);
    markDirty();
    return previous;
}

LONG_PTR RunningDialog::dmGetCursorPos(int id, LONG_PTR out) {
    auto* pos = as<COORD>(out);
    if (!pos || !(isEdit(id) || itemType(id) == DI_USERCONTROL)) return FALSE;
    *pos = {static_cast<SHORT>(isEdit(id) ? items_[static_cast<size_t>(id)].edit.cursor() : 0), 0};
    return TRUE;
}

LONG_PTR RunningDialog::dmSetCursorPos(int id, LONG_PTR in) {
    auto* pos = as<const COORD>(in);
    if (!pos || !isEdit(id)) return FALSE;
    items_[static_cast<size_t>(id)].edit.setCursor(pos->X);
    markDirty();
    return TRUE;
}

LONG_PTR RunningDialog::dmGetCheck(int id, LONG_PTR) {
    int type = itemType(id);
    return (type == DI_CHECKBOX || type == DI_RADIOBUTTON) ? items_[static_cast<size_t>(id)].farItem.Selected : 0;
}

// Radio buttons answer with the previously checked member of their group.
LONG_PTR RunningDialog::dmSetCheck(int id, LONG_PTR state) {
    int type = itemType(id);
    if (type == DI_RADIOBUTTON) {
        auto [first, last] = radioGroup(id);
        LONG_PTR previous = -1;
        for (int i = first; i <= last; ++i) {
            auto& selected = items_[static_cast<size_t>(i)].farItem.Selected;
            if (selected) previous = i;
            selected = (i == id);
        }
        markDirty();
        return previous;
    }
    if (type != DI_CHECKBOX) return 0;
    auto& selected = items_[static_cast<size_t>(id)].farItem.Selected;
    const int previous = selected;
    selected = state == BSTATE_TOGGLE ? ((items_[static_cast<size_t>(id)].farItem.Flags & DIF_3STATE) ? (previous + 1) % 3 : !previous)
                                      : static_cast<int>(state);
    markDirty();
    return previous;
}

LONG_PTR RunningDialog::dmGetItemPosition(int id, LONG_PTR out) {
    auto* rect = as<SMALL_RECT>(out);
    if (!valid(id) || !rect) return FALSE;
    const auto& item = items_[static_cast<size_t>(id)].farItem;
    *rect = {static_cast<SHORT>(item.X1), static_cast<SHORT>(item.Y1), static_cast<SHORT>(item.X2),
             static_cast<SHORT>(item.Y2)};
    return TRUE;
}

LONG_PTR RunningDialog::dmSetItemPosition(int id, LONG_PTR in) {
    auto* rect = as<const SMALL_RECT>(in);
    if (!valid(id) || !rect) return FALSE;
    auto& item = items_[static_cast<size_t>(id)].farItem;
    item.X1 = rect->Left;
    item.Y1 = rect->Top;
    item.X2 = rect->Right;
    item.Y2 = rect->Bottom;
    markDirty();
    return TRUE;
}

LONG_PTR RunningDialog::dmSetMouseEventNotify(int on, LONG_PTR) {
    const LONG_PTR previous = mouseNotify_;
    if (on != -1) mouseNotify_ = on != 0;
    return previous;
}

LONG_PTR RunningDialog::dmEditUnchangedFlag(int id, LONG_PTR state) {
    if (!isEdit(id)) return -1;
    auto& edit = items_[static_cast<size_t>(id)].edit;
    const LONG_PTR previous = edit.unchanged();
    if (state != -1) edit.setUnchanged(state != 0);
    markDirty();
    return previous;
}

LONG_PTR RunningDialog::dmGetItemData(int id, LONG_PTR) { return valid(id) ? items_[static_cast<size_t>(id)].userData : 0; }

LONG_PTR RunningDialog::dmSetItemData(int id, LONG_PTR value) {
    return valid(id) ? std::exchange(items_[static_cast<size_t>(id)].userData, value) : 0;
}

}  // namespace skimmer::host::ui
