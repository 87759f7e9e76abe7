#include "dialogs/dialog_description.h"

namespace skimmer::dialogs {

TDialogDescription::TDialogDescription(int32_t width, int32_t height)
    : values_{int64_t{kHeaderType}, int64_t{kCentred}, int64_t{kCentred}, int64_t{width}, int64_t{height}, int64_t{0}} {}

TDialogDescription TDialogDescription::fromValues(std::vector<TDescriptionValue> values) {
    TDialogDescription table;
    table.values_ = std::move(values);
    return table;
}

TDialogDescription& TDialogDescription::raw(TDescriptionValue value) {
    values_.push_back(std::move(value));
    return *this;
}

// Built in place: gcc 12 otherwise warns (wrongly) about a moved-from temporary variant.
TDialogDescription& TDialogDescription::num(int64_t value) {
    values_.emplace_back(std::in_place_type<int64_t>, value);
    return *this;
}

TDialogDescription& TDialogDescription::text(std::string_view value) {
    values_.emplace_back(std::in_place_type<std::string>, value);
    return *this;
}

TDialogDescription& TDialogDescription::box(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t flags,
                                            std::string_view title) {
    return num(dcBox).num(x1).num(y1).num(x2).num(y2)
        .num(flags).text(title);
}

TDialogDescription& TDialogDescription::separator(int32_t y, uint32_t flags) {
    return num(dcSeparator).num(y).num(flags);
}

TDialogDescription& TDialogDescription::radioGroup(std::string_view setting, const std::vector<TRadioOption>& options) {
    num(dcRadioGroup).num(static_cast<int64_t>(options.size())).text(setting);
    for (const TRadioOption& option : options)
        num(option.X).num(option.Y).num(option.Flags).text(option.Text);
    return *this;
}

TDialogDescription& TDialogDescription::button(int32_t x, int32_t y, uint32_t flags, std::string_view text,
                                               std::string_view name, int32_t* result) {
    return num(dcButton).num(x).num(y).num(flags).text(text)
        .text(name).raw(result);
}

TDialogDescription& TDialogDescription::edit(int32_t x, int32_t y, int32_t width, uint32_t flags,
                                             std::string_view setting) {
    return num(dcEdit).num(x).num(y).num(width).num(flags)
        .text(setting);
}

TDialogDescription& TDialogDescription::label(int32_t x, int32_t y, uint32_t flags, std::string_view name,
                                              std::string_view text) {
    return num(dcLabel).num(x).num(y).num(flags).text(name)
        .text(text);
}

TDialogDescription& TDialogDescription::checkBox(int32_t x, int32_t y, uint32_t flags, std::string_view text,
                                                 std::string_view setting) {
    return num(dcCheckBox).num(x).num(y).num(flags).text(text)
        .text(setting);
}

}  // namespace skimmer::dialogs
