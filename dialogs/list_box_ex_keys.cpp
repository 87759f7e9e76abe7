#include "dialogs/list_box_ex_keys.h"

#include <optional>

#include "far/keys.h"

namespace skimmer::dialogs {
namespace {

bool selectable(const TListBoxExData& data, int32_t i) {
    return i >= 0 && i < data.Count() && (data.Items[static_cast<size_t>(i)].Flags & kLbxUnselectable) == 0;
}

// No row beyond `from` in that direction can take the cursor: a step that way has to wrap round.
// Hidden, highlighted and separator rows all count as none, however many of them there are.
bool lastSelectable(const TListBoxExData& data, int32_t from, bool down) {
    for (int32_t i = from + (down ? 1 : -1); i >= 0 && i < data.Count(); i += down ? 1 : -1)
        if (selectable(data, i)) return false;
    return true;
}

// The movement keys; nullopt for any other key. Returns whether to prefer moving down when the
// row reached must be made selectable.
std::optional<bool> moveKey(TListBoxExData& data, int key, int32_t height) {
    const int32_t page = std::max(height, 1) - 1;
    switch (key) {
        case KEY_PGUP: data.Current = StepWrap(data, data.Current, page, false); return false;
        case KEY_PGDN: data.Current = StepWrap(data, data.Current, page, true); return true;
        case KEY_END: data.Current = StepWrap(data, data.Count() - 1, 0, true); return true;
        case KEY_HOME:
            data.Current = StepWrap(data, 0, 0, true);
            if (data.Current == 0 && data.Current <= data.Top) data.Top = 0;  // and any title above row 1
            return true;
        case KEY_LEFT:
            if (data.HScroll > 0) --data.HScroll;
            return true;
        case KEY_RIGHT: ++data.HScroll; return true;
        case KEY_UP:
            // From the first selectable row the cursor wraps round to the last row.
            if (lastSelectable(data, data.Current, false))
                data.Current = StepWrap(data, data.Count() - 1, 0, false);
            else
                data.Current = StepWrap(data, data.Current, 1, false);
            return false;
        case KEY_DOWN:
            if (lastSelectable(data, data.Current, true)) {
                data.Current = 0;
                data.Top = 0;
                data.Current = StepWrap(data, 0, 0, true);
            } else {
                data.Current = StepWrap(data, data.Current, 1, true);
            }
            return true;
        default: return std::nullopt;
    }
}

// The first row, in index order, that is neither highlighted nor hidden and whose hot key is `c`
// or its counterpart in the other layout; -1 when none.
int32_t hotKeyRow(const TListBoxExData& data, uint32_t c, const TLbxCharServices& chars) {
    const bool alpha = chars.isAlpha(c);
    const uint32_t other = alpha ? NormaliseHotKey(chars, chars.xlat(c)) : c;
    // The host converts a character in place and never lengthens it, so a letter whose
    // counterpart takes more bytes comes back unconverted. The layouts map letter keys one to one
    // (converting twice gives the letter back), so the row's hot key is converted instead.
    const bool convertRows = alpha && other == c;
    for (int32_t i = 0; i < data.Count(); ++i) {
        const TListBoxExItem& item = data.Items[static_cast<size_t>(i)];
        if (item.Flags & (kLbxHighlighted | kLbxHidden) || item.HotKey == 0) continue;
        if (item.HotKey == c || item.HotKey == other) return i;
        if (convertRows && chars.isAlpha(item.HotKey) && NormaliseHotKey(chars, chars.xlat(item.HotKey)) == c) return i;
    }
    return -1;
}

}  // namespace

uint32_t NormaliseHotKey(const TLbxCharServices& chars, uint32_t c) { return chars.isAlpha(c) ? chars.upper(c) : c; }

TLbxKeyResult ListBoxExKey(TListBoxExData& data, int key, int32_t height, const TLbxCharServices& chars) {
    const TListBoxExData before{.Top = data.Top, .Current = data.Current, .HScroll = data.HScroll};
    TLbxKeyResult result = TLbxKeyResult::Moved;
    std::optional<bool> preferDown = moveKey(data, key, height);
    if (!preferDown) {
        if (key <= 0) return TLbxKeyResult::Unhandled;
        const int32_t row = hotKeyRow(data, NormaliseHotKey(chars, static_cast<uint32_t>(key)), chars);
        if (row < 0) return TLbxKeyResult::Unhandled;
        data.Current = row;
        preferDown = true;
        result = TLbxKeyResult::HotKey;
    }
    FixCurrent(data, *preferDown);
    FixTop(data, height);
    if (result == TLbxKeyResult::Moved && data.Current == before.Current && data.Top == before.Top &&
        data.HScroll == before.HScroll)
        return TLbxKeyResult::Unhandled;
    return result;
}

}  // namespace skimmer::dialogs
