// A dialog written as a flat table of tagged values: a six-value header, then items, each a type
// code followed by its values. TDialogDescription is the small builder callers write tables with;
// RegisterDialog (registered_dialog.h) is the one routine that walks them.
//
// Contract: the builder only appends values in the order the walker reads them; it checks
// nothing, so a table built by hand from raw values (code 2, a radio group of five) reaches the
// walker as written and is refused there. Texts are copied; a button's result variable is the
// caller's and must outlive RegisterDialog.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/setting.h"

namespace skimmer::dialogs {

// Item type codes of a description table. Code 2 is not defined.
enum TDescriptionCode : int32_t {
    dcBox = 0,
    dcSeparator = 1,
    dcRadioGroup = 3,
    dcButton = 4,
    dcEdit = 5,
    dcLabel = 6,
    dcCheckBox = 7,
};

// The header's fixed values: type -1 and both coordinates -1 (centred), flags 0.
inline constexpr int32_t kHeaderType = -1;
inline constexpr int32_t kCentred = -1;

// One value of a table: an integer (wide enough to hold DIF_DISABLE's 0x80000000 unchanged), a
// text, or the address a button's FAR index is stored into.
using TDescriptionValue = std::variant<int64_t, std::string, int32_t*>;

// One option of a radio group.
struct TRadioOption {
    int32_t X = 0;
    int32_t Y = 0;
    uint32_t Flags = 0;
    std::string Text;
};

class TDialogDescription {
public:
    // Starts a table with the header of a centred dialog of this size.
    TDialogDescription(int32_t width, int32_t height);

    TDialogDescription& box(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t flags, std::string_view title);
    TDialogDescription& separator(int32_t y, uint32_t flags = 0);
    TDialogDescription& radioGroup(std::string_view setting, const std::vector<TRadioOption>& options);
    TDialogDescription& button(int32_t x, int32_t y, uint32_t flags, std::string_view text, std::string_view name,
                               int32_t* result);
    TDialogDescription& edit(int32_t x, int32_t y, int32_t width, uint32_t flags, std::string_view setting);
    TDialogDescription& label(int32_t x, int32_t y, uint32_t flags, std::string_view name, std::string_view text);
    TDialogDescription& checkBox(int32_t x, int32_t y, uint32_t flags, std::string_view text,
                                 std::string_view setting);

    // The same items over a setting of the catalogue, named by its handle: the handle's type is
    // the one the item edits, so an item of the wrong kind does not compile.
    TDialogDescription& radioGroup(const config::TNumberSetting& setting, const std::vector<TRadioOption>& options) {
        return radioGroup(setting.Name, options);
    }
    TDialogDescription& edit(int32_t x, int32_t y, int32_t width, uint32_t flags, const config::TTextSetting& setting) {
        return edit(x, y, width, flags, setting.Name);
    }
    TDialogDescription& checkBox(int32_t x, int32_t y, uint32_t flags, std::string_view text,
                                 const config::TFlagSetting& setting) {
        return checkBox(x, y, flags, text, setting.Name);
    }

    // A table of exactly these values, header included: for tables written by hand.
    static TDialogDescription fromValues(std::vector<TDescriptionValue> values);

    // Appends one raw value: for tables the builder cannot express (and for tests of the walker).
    TDialogDescription& raw(TDescriptionValue value);

    const std::vector<TDescriptionValue>& values() const { return values_; }

private:
    TDialogDescription() = default;
    TDialogDescription& num(int64_t value);
    TDialogDescription& text(std::string_view value);

    std::vector<TDescriptionValue> values_;
};

}  // namespace skimmer::dialogs
