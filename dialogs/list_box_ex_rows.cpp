#include "dialogs/list_box_ex_rows.h"

#include <algorithm>
#include <utility>

#include "dialogs/list_box_ex_text.h"

namespace skimmer::dialogs {
namespace {

// The bytes an attribute array left empty is filled with: normal, current, highlighted.
constexpr std::array<uint8_t, 3> kDefaultStateAttr = {1, 3, 5};
static_assert(kDefaultStateAttr[kLbxNormal] == 1 && kDefaultStateAttr[kLbxCurrent] == 3 &&
              kDefaultStateAttr[kLbxHighlight] == 5);

bool inList(const TListBoxExData& data, int32_t index) { return index >= 0 && index < data.Count(); }

bool selectable(const TListBoxExItem& item) { return (item.Flags & kLbxUnselectable) == 0; }

// A copy whose attribute arrays hold exactly one entry per column. An owner that supplies a
// short array loses nothing and draws nothing out of bounds: the rest takes the default.
TListBoxExItem normalised(const TListBoxExItem& given) {
    TListBoxExItem item = given;
    const auto columns = static_cast<size_t>(CountColumns(item.Text));
    for (size_t k = 0; k < item.Attr.size(); ++k) {
        TByteArray& attr = item.Attr[k];
        if (attr.size() != columns) attr.resize(columns, kDefaultStateAttr[k]);
    }
    return item;
}

// After a change to a row: the cursor leaves a row that cannot be current (one that just became
// unselectable, or a title it sat on while the list had nothing selectable).
void settle(TListBoxExData& data, int32_t height) {
    if (data.Current >= 0 && !selectable(data.Items[static_cast<size_t>(data.Current)])) FixCurrent(data, true);
    FixTop(data, height);
}

}  // namespace

std::array<uint8_t, kLbxColorCount> DefaultLbxColors(const std::array<uint16_t, 4>& listColors) {
    const auto low = [&](size_t word) { return static_cast<uint8_t>(listColors[word] & 0xFF); };
    return {low(0), low(0), low(0), low(1), low(1), low(2)};
}

bool SetRow(TListBoxExData& data, int32_t index, const TListBoxExItem& item, int32_t height) {
    if (!inList(data, index)) return false;
    data.Items[static_cast<size_t>(index)] = normalised(item);
    if (data.Current >= 0) settle(data, height);
    return true;
}

bool AddRows(TListBoxExData& data, const std::vector<TListBoxExItem>& items, int32_t height) {
    if (items.empty()) return false;
    const bool wasEmpty = data.Items.empty();
    // No exact reserve here: the list is filled a few rows per call, and reserving exactly each
    // time defeats the vector's geometric growth, making a long fill quadratic.
    for (const auto& item : items) data.Items.push_back(normalised(item));
    if (wasEmpty) {
        data.Top = 0;
        data.Current = 0;
        FixCurrent(data, true);
    } else if (!selectable(data.Items[static_cast<size_t>(data.Current)])) {
        // The list held only titles so far: the first selectable row that arrives takes the cursor.
        FixCurrent(data, true);
    }
    FixTop(data, height);
    return true;
}

bool InsertRow(TListBoxExData& data, int32_t index, const TListBoxExItem& item, int32_t height) {
    if (index < 0 || index > data.Count()) return false;
    const bool wasEmpty = data.Items.empty();
    data.Items.insert(data.Items.begin() + index, normalised(item));
    if (wasEmpty) {
        data.Top = 0;
        data.Current = 0;
    } else if (index <= data.Current) {
        ++data.Current;  // the cursor stays on the row it was on
    }
    FixCurrent(data, true);
    FixTop(data, height);
    return true;
}

bool DeleteRows(TListBoxExData& data, int32_t index, int32_t number, int32_t height) {
    if (!inList(data, index) || number < 0) return false;
    if (index == 0 && number == 0) number = data.Count();
    number = std::min(number, data.Count() - index);
    if (number == 0) return false;
    data.Items.erase(data.Items.begin() + index, data.Items.begin() + index + number);
    if (data.Items.empty()) data.Items.shrink_to_fit();  // an emptied list gives its memory back
    if (data.Current >= index + number) data.Current -= number;
    else if (data.Current >= index) data.Current = index;
    FixCurrent(data, true);
    FixTop(data, height);
    return true;
}

bool SetRowAttr(TListBoxExData& data, const TListBoxExAttr& attr) {
    if (!inList(data, attr.Index) || attr.State < 0 || attr.State >= kLbxHighlight + 1) return false;
    TByteArray& bytes = data.Items[static_cast<size_t>(attr.Index)].Attr[static_cast<size_t>(attr.State)];
    if (attr.Column < 0 || static_cast<size_t>(attr.Column) >= bytes.size()) return false;
    bytes[static_cast<size_t>(attr.Column)] = attr.Value;
    return true;
}

bool SetRowFlags(TListBoxExData& data, int32_t index, uint32_t flags, int32_t height) {
    if (!inList(data, index)) return false;
    data.Items[static_cast<size_t>(index)].Flags = flags;
    settle(data, height);
    return true;
}

bool ToggleRowMark(TListBoxExData& data, int32_t index) {
    if (!inList(data, index)) return false;
    data.Items[static_cast<size_t>(index)].Flags ^= kLbxMarked;
    return true;
}

bool SwapRow(TListBoxExData& data, int32_t index, bool up, int32_t height) {
    const int32_t other = up ? index - 1 : index + 1;
    if (!inList(data, index) || !inList(data, other)) return false;
    std::swap(data.Items[static_cast<size_t>(index)], data.Items[static_cast<size_t>(other)]);
    // The cursor keeps its index; a title or hidden row swapped under it sends it on.
    settle(data, height);
    return true;
}

bool SetLbxColors(TListBoxExData& data, const TListBoxExColors& colors) {
    if (colors.Bytes.empty()) return false;
    const size_t n = std::min({static_cast<size_t>(std::max(colors.N, 0)), data.Colors.size(), colors.Bytes.size()});
    std::copy_n(colors.Bytes.begin(), n, data.Colors.begin());
    return true;
}

bool SetIndexValue(TListBoxExData& data, int32_t index, LONG_PTR value) {
    // A value belongs to a row or extends the values by one: a stray index never makes the list
    // allocate gigabytes.
    if (index < 0 || (index >= data.Count() && static_cast<size_t>(index) > data.IndexData.size())) return false;
    if (static_cast<size_t>(index) >= data.IndexData.size()) data.IndexData.resize(static_cast<size_t>(index) + 1);
    data.IndexData[static_cast<size_t>(index)] = value;
    return true;
}

bool SelectRowAt(TListBoxExData& data, int32_t y, int32_t height) {
    if (y < 0 || data.Top < 0) return false;
    const int32_t row = y == 0 ? data.Top : Step(data, data.Top, y, true);
    if (row < 0) return false;
    data.Current = row;
    FixCurrent(data, true);
    FixTop(data, height);
    return true;
}

void SetPosition(TListBoxExData& data, int32_t current, int32_t top, int32_t height) {
    data.Current = current;
    FixCurrent(data, true);
    data.Top = top;
    FixTop(data, height);
}

}  // namespace skimmer::dialogs
