// The changes the list box's messages make to its rows, as functions of the state alone (no host
// involved), so that the message handler only adds redrawing and notification around them.
//
// Contract: each returns true when it changed something (or, for the setters, when its arguments
// named a row of the list), false when an argument lay outside the list and nothing was done.
// Current and Top are left consistent (FixCurrent / FixTop with the given height) after every
// change that can move them. Items are copied in; nothing keeps a reference to the caller's data.
#pragma once

#include <cstdint>

#include "dialogs/list_box_ex.h"

namespace skimmer::dialogs {

// The colour table a new list starts with, from the plug-in's four style colour words.
std::array<uint8_t, kLbxColorCount> DefaultLbxColors(const std::array<uint16_t, 4>& listColors);

// Replaces row `index` with a copy of `item`: its attribute arrays are made one entry per column,
// missing entries (or a whole empty array) filled with the state's default byte 1, 3 or 5.
bool SetRow(TListBoxExData& data, int32_t index, const TListBoxExItem& item, int32_t height);
// Appends copies of `items`; a list that was empty gets its first selectable row as current.
bool AddRows(TListBoxExData& data, const std::vector<TListBoxExItem>& items, int32_t height);
// Inserts a copy of `item` at `index` (0..Count); rows from `index` on move down one.
bool InsertRow(TListBoxExData& data, int32_t index, const TListBoxExItem& item, int32_t height);
// Deletes `number` rows from `index` (cut to the end of the list); (0, 0) deletes every row.
bool DeleteRows(TListBoxExData& data, int32_t index, int32_t number, int32_t height);
bool SetRowAttr(TListBoxExData& data, const TListBoxExAttr& attr);
bool SetRowFlags(TListBoxExData& data, int32_t index, uint32_t flags, int32_t height);
bool ToggleRowMark(TListBoxExData& data, int32_t index);
// Swaps row `index` with its neighbour above (`up`) or below; the cursor keeps its index.
bool SwapRow(TListBoxExData& data, int32_t index, bool up, int32_t height);
bool SetLbxColors(TListBoxExData& data, const TListBoxExColors& colors);
// IndexData[index] := value, growing the values; refused (false) for a negative index or one
// that lies beyond both the rows and the end of the values.
bool SetIndexValue(TListBoxExData& data, int32_t index, LONG_PTR value);
// Makes the row drawn on screen row `y` (hidden rows are not drawn) current, or the nearest
// selectable one; false when no row is drawn there.
bool SelectRowAt(TListBoxExData& data, int32_t y, int32_t height);
// Current := `current` (made selectable, downward first), Top := `top`, then kept consistent.
void SetPosition(TListBoxExData& data, int32_t current, int32_t top, int32_t height);

}  // namespace skimmer::dialogs
