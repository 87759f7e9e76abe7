// The message handler: finds the list's state on its dialog item, dispatches the message through
// a table to one small function, redraws and tells the owner when the current row moved. The
// host is reached only through the plug-in's copy of its tables.
#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <string>

#include "dialogs/list_box_ex.h"
#include "dialogs/list_box_ex_draw.h"
#include "dialogs/list_box_ex_keys.h"
#include "dialogs/list_box_ex_rows.h"
#include "dialogs/list_box_ex_text.h"
#include "os/utf8.h"
#include "platform/host_tables.h"

namespace skimmer::dialogs {
namespace {

// One message on its way through the handler.
struct Call {
    const TListBoxExHost& env;
    HANDLE hDlg;
    int msg;
    int id;
    LONG_PTR param2;
    TListBoxExData* data;
    int32_t notified = -1;  // the Current the owner last heard of in this call

    LONG_PTR send(int message, int param1, LONG_PTR value) const {
        const auto& info = env.host->StartupInfo;
        return info.SendDlgMessage ? info.SendDlgMessage(hDlg, message, param1, value) : 0;
    }
    LONG_PTR passOn() const {
        const auto& info = env.host->StartupInfo;
        return info.DefDlgProc ? info.DefDlgProc(hDlg, msg, id, param2) : 0;
    }
    bool item(FarDialogItem& out) const { return send(DM_GETDLGITEM, id, reinterpret_cast<LONG_PTR>(&out)) != 0; }
    int32_t height() const {
        FarDialogItem it{};
        return item(it) ? std::max(it.Y2 - it.Y1 + 1, 1) : 1;
    }
    void redraw() const { send(DM_REDRAW, 0, 0); }
    template <class T>
    T* arg() const {
        return reinterpret_cast<T*>(param2);
    }
    // Tells the owner now (rather than at the end of the call) that Current moved.
    void notifyCurrent() {
        if (data->Current == notified) return;
        notified = data->Current;
        send(DN_LBX_CURCHANGED, id, notified);
    }
    // The common ending of a message that changes the list: redraw when it did, answer 1 or 0.
    LONG_PTR changed(bool done) const {
        if (done) redraw();
        return done ? 1 : 0;
    }
};

TLbxCharServices charServices(const platform::HostTables& host) {
    const FarStandardFunctions& fsf = host.StandardFunctions;
    TLbxCharServices chars;
    chars.isAlpha = [&fsf](uint32_t c) { return fsf.LIsAlpha && fsf.LIsAlpha(c) != 0; };
    chars.upper = [&fsf](uint32_t c) { return fsf.LUpper ? fsf.LUpper(c) : c; };
    chars.xlat = [&fsf](uint32_t c) -> uint32_t {
        if (!fsf.XLat || c > 0x10FFFF) return c;
        std::string buffer;
        os::appendUtf8(buffer, static_cast<char32_t>(c));
        fsf.XLat(buffer.data(), 0, 1, nullptr, 0);  // converts in place, never lengthening
        const std::u32string converted = DecodeColumns(buffer.c_str());
        return converted.empty() ? c : converted.front();
    };
    return chars;
}

bool validIndex(const TListBoxExData& data, LONG_PTR index) { return index >= 0 && index < data.Count(); }

// ---- Messages, one function each ----

LONG_PTR onFree(Call& c) {
    delete c.data;
    c.data = nullptr;
    c.send(DM_SETITEMDATA, c.id, 0);
    return 1;
}

LONG_PTR onReserved(Call& c) {
    if (c.msg != DM_LBX_RESERVED1 || c.param2 != 0) platform::ShowErrorCode(*c.env.host, kLbxReservedErrorCode);
    return 0;
}

LONG_PTR onGetUserData(Call& c) { return c.data->UserData; }

LONG_PTR onSetUserData(Call& c) {
    c.data->UserData = c.param2;
    return 1;
}

LONG_PTR onAddItems(Call& c) {
    const auto* add = c.arg<const TListBoxExAddItem>();
    return c.changed(add && AddRows(*c.data, add->Items, c.height()));
}

LONG_PTR onGetCurPos(Call& c) {
    if (auto* pos = c.arg<TListBoxExPos>()) *pos = {c.data->Current, c.data->Top};
    return c.data->Current;
}

LONG_PTR onSetCurPos(Call& c) {
    const auto* pos = c.arg<const TListBoxExPos>();
    if (!pos) return 0;
    SetPosition(*c.data, pos->Current, pos->Top, c.height());
    c.redraw();
    return c.data->Current;
}

LONG_PTR onGetItem(Call& c) {
    auto* manage = c.arg<TListBoxExManageItem>();
    if (!manage || !validIndex(*c.data, manage->Index)) return 0;
    manage->Item = c.data->Items[static_cast<size_t>(manage->Index)];
    return 1;
}

LONG_PTR onDelete(Call& c) {
    const auto* range = c.arg<const TListBoxExRange>();
    return c.changed(range && DeleteRows(*c.data, range->Index, range->Number, c.height()));
}

LONG_PTR onSetItem(Call& c) {
    const auto* manage = c.arg<const TListBoxExManageItem>();
    return c.changed(manage && SetRow(*c.data, manage->Index, manage->Item, c.height()));
}

LONG_PTR onInsert(Call& c) {
    const auto* manage = c.arg<const TListBoxExManageItem>();
    return c.changed(manage && InsertRow(*c.data, manage->Index, manage->Item, c.height()));
}

LONG_PTR onSetColors(Call& c) {
    const auto* colors = c.arg<const TListBoxExColors>();
    if (!colors) return 0;
    SetLbxColors(*c.data, *colors);
    c.redraw();
    return 1;
}

LONG_PTR onGetIndexData(Call& c) {
    const auto& values = c.data->IndexData;
    return (c.param2 >= 0 && static_cast<size_t>(c.param2) < values.size()) ? values[static_cast<size_t>(c.param2)] : 0;
}

LONG_PTR onSetIndexData(Call& c) {
    const auto* value = c.arg<const TListBoxExIndexData>();
    return (value && SetIndexValue(*c.data, value->Index, value->Value)) ? value->Value : 0;
}

LONG_PTR onSetAttr(Call& c) {
    const auto* attr = c.arg<const TListBoxExAttr>();
    return c.changed(attr && SetRowAttr(*c.data, *attr));
}

LONG_PTR onSetHotKey(Call& c) {
    const auto* hot = c.arg<const TListBoxExHotKey>();
    if (!hot || !validIndex(*c.data, hot->Index)) return 0;
    c.data->Items[static_cast<size_t>(hot->Index)].HotKey = NormaliseHotKey(*c.env.host, hot->Char);
    return 1;
}

LONG_PTR onGetFlags(Call& c) {
    return validIndex(*c.data, c.param2) ? c.data->Items[static_cast<size_t>(c.param2)].Flags : 0;
}

LONG_PTR onSetFlags(Call& c) {
    const auto* flags = c.arg<const TListBoxExFlags>();
    return c.changed(flags && SetRowFlags(*c.data, flags->Index, flags->Flags, c.height()));
}

LONG_PTR onToggleMark(Call& c) {
    return c.changed(validIndex(*c.data, c.param2) && ToggleRowMark(*c.data, static_cast<int32_t>(c.param2)));
}

LONG_PTR onMove(Call& c) {
    return c.changed(validIndex(*c.data, c.param2) && SwapRow(*c.data, static_cast<int32_t>(c.param2), c.msg == DM_LBX_MOVEUP, c.height()));
}

LONG_PTR onSelectAt(Call& c) {
    const auto* at = c.arg<const COORD>();
    return c.changed(at && SelectRowAt(*c.data, at->Y, c.height()));
}

LONG_PTR onKey(Call& c) {
    const TLbxKeyResult result = ListBoxExKey(*c.data, static_cast<int>(c.param2), c.height(), charServices(*c.env.host));
    if (result == TLbxKeyResult::Unhandled) return c.passOn();
    if (result == TLbxKeyResult::HotKey) c.send(DN_LBX_HOTKEY, c.id, c.data->Current);
    c.redraw();
    return TRUE;
}

LONG_PTR onDraw(Call& c) {
    FarDialogItem item{};
    if (!c.item(item) || !item.VBuf) return c.passOn();
    TLbxCanvas canvas{item.VBuf, item.X2 - item.X1 + 1, item.Y2 - item.Y1 + 1, item.Focus != 0, c.env.ListColors[3]};
    DrawListBoxEx(*c.data, canvas);
    return TRUE;
}

LONG_PTR onFocus(Call&) { return -1; }

// A left click chooses the row under the pointer and closes the dialog; the owner's close
// handling decides what choosing means. The row is selected here too, so a click that no
// pointer movement announced still chooses what it points at.
LONG_PTR onMouseClick(Call& c) {
    const auto* record = c.arg<const MOUSE_EVENT_RECORD>();
    if (!record || !(record->dwButtonState & FROM_LEFT_1ST_BUTTON_PRESSED)) return c.passOn();
    FarDialogItem item{};
    if (c.item(item)) {
        const int32_t width = item.X2 - item.X1 + 1, height = item.Y2 - item.Y1 + 1;
        const COORD at = record->dwMousePosition;
        const bool onScrollBar = c.data->Count() > height && at.X == width - 1;
        if (at.X >= 0 && at.X < width && at.Y >= 0 && at.Y < height && !onScrollBar && SelectRowAt(*c.data, at.Y, height))
            c.redraw();
    }
    c.notifyCurrent();  // before the close, whose handling may free the list
    c.send(DM_CLOSE, -1, 0);
    return TRUE;
}

struct Route {
    int msg;
    LONG_PTR (*handler)(Call&);
};

constexpr std::array kRoutes = {
    Route{DM_LBX_FREE, onFree},           Route{DM_LBX_RESERVED1, onReserved},
    Route{DM_LBX_GETUSERDATA, onGetUserData}, Route{DM_LBX_SETUSERDATA, onSetUserData},
    Route{DM_LBX_ADDITEMS, onAddItems},   Route{DM_LBX_GETCURPOS, onGetCurPos},
    Route{DM_LBX_SETCURPOS, onSetCurPos}, Route{DM_LBX_GETITEM, onGetItem},
    Route{DM_LBX_DELETE, onDelete},       Route{DM_LBX_SETITEM, onSetItem},
    Route{DM_LBX_INSERT, onInsert},       Route{DM_LBX_SETCOLORS, onSetColors},
    Route{DM_LBX_GETINDEXDATA, onGetIndexData}, Route{DM_LBX_SETINDEXDATA, onSetIndexData},
    Route{DM_LBX_SETATTR, onSetAttr},     Route{DM_LBX_SETHOTKEY, onSetHotKey},
    Route{DM_LBX_GETFLAGS, onGetFlags},   Route{DM_LBX_SETFLAGS, onSetFlags},
    Route{DM_LBX_TOGGLEMARK, onToggleMark}, Route{DM_LBX_MOVEUP, onMove},
    Route{DM_LBX_MOVEDOWN, onMove},       Route{DM_LBX_RESERVED2, onReserved},
    Route{DM_LBX_RESERVED3, onReserved},  Route{DM_LBX_SELECTAT, onSelectAt},
    Route{DN_KEY, onKey},                 Route{DN_DRAWDLGITEM, onDraw},
    Route{DN_GOTFOCUS, onFocus},          Route{DN_KILLFOCUS, onFocus},
    Route{DN_MOUSECLICK, onMouseClick},
};

// A pointer movement selects the row under it in whichever list it is over (the notification
// belongs to the whole dialog, not to one item); the dialog then handles the event as usual.
LONG_PTR onMouseEvent(const TListBoxExHost& env, HANDLE hDlg, int Param1, LONG_PTR Param2) {
    Call c{env, hDlg, DN_MOUSEEVENT, Param1, Param2, nullptr};
    const auto* record = c.arg<const MOUSE_EVENT_RECORD>();
    SMALL_RECT dialog{};
    if (record && (record->dwEventFlags & MOUSE_MOVED) && c.send(DM_GETDLGRECT, 0, reinterpret_cast<LONG_PTR>(&dialog))) {
        const int px = record->dwMousePosition.X - dialog.Left, py = record->dwMousePosition.Y - dialog.Top;
        SMALL_RECT pos{};
        for (int id = 0; c.send(DM_GETITEMPOSITION, id, reinterpret_cast<LONG_PTR>(&pos)); ++id) {
            if (!c.send(DN_LBX_ISLISTBOX, id, 0)) continue;
            const auto* data = reinterpret_cast<const TListBoxExData*>(c.send(DM_GETITEMDATA, id, 0));
            if (!data) continue;
            const int x = px - pos.Left, y = py - pos.Top, width = pos.Right - pos.Left + 1, height = pos.Bottom - pos.Top + 1;
            const bool onScrollBar = data->Count() > height && x == width - 1;
            if (x < 0 || x >= width || y < 0 || y >= height || onScrollBar) continue;
            const COORD at{static_cast<SHORT>(x), static_cast<SHORT>(y)};
            c.send(DM_LBX_SELECTAT, id, reinterpret_cast<LONG_PTR>(&at));
        }
    }
    return c.passOn();
}

LONG_PTR onInit(Call& c, bool isList) {
    if (!isList || c.data) return 0;
    auto* given = c.arg<TListBoxExData>();
    std::unique_ptr<TListBoxExData> data(given ? given : new TListBoxExData{});
    if (!given) data->Colors = DefaultLbxColors(c.env.ListColors);
    c.send(DM_SETITEMDATA, c.id, reinterpret_cast<LONG_PTR>(data.release()));
    c.send(DM_SETMOUSEEVENTNOTIFY, 1, 0);
    return 1;
}

LONG_PTR dispatch(const TListBoxExHost& env, HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    if (Msg == DN_MOUSEEVENT) return onMouseEvent(env, hDlg, Param1, Param2);
    Call c{env, hDlg, Msg, Param1, Param2, nullptr};
    if (Msg == DN_LBX_ISLISTBOX) return c.passOn();  // the owner's question, never ours to answer
    const bool isList = c.send(DN_LBX_ISLISTBOX, Param1, 0) != 0;
    if (isList) c.data = reinterpret_cast<TListBoxExData*>(c.send(DM_GETITEMDATA, Param1, 0));
    if (Msg == DM_LBX_INIT) return onInit(c, isList);
    const auto route = std::find_if(kRoutes.begin(), kRoutes.end(), [&](const Route& r) { return r.msg == Msg; });
    if (!c.data || route == kRoutes.end()) return c.passOn();
    c.notified = c.data->Current;
    const LONG_PTR result = route->handler(c);
    // A nested message (the owner's answer to a notification, a close) may have freed the list.
    const bool alive = c.data && c.send(DM_GETITEMDATA, Param1, 0) == reinterpret_cast<LONG_PTR>(c.data);
    if (alive) c.notifyCurrent();
    return result;
}

}  // namespace

uint32_t NormaliseHotKey(const platform::HostTables& host, uint32_t c) { return NormaliseHotKey(charServices(host), c); }

LONG_PTR ListBoxExProc(const TListBoxExHost& env, HANDLE hDlg, int Msg, int Param1, LONG_PTR Param2) {
    if (!env.host) return 0;
    try {
        return dispatch(env, hDlg, Msg, Param1, Param2);
    } catch (const std::exception& e) {
        // Only allocation can fail here; the list keeps what it had and the user is told.
        platform::ShowErrorText(*env.host, std::string("List box: ") + e.what());
        return 0;
    }
}

}  // namespace skimmer::dialogs
