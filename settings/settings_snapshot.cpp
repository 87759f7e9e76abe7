#include "settings/settings_snapshot.h"

#include <variant>

namespace skimmer::settings {
namespace {

// Helpers for std::visit over a bound address.
template <typename... Ts>
struct Overload : Ts... {
    using Ts::operator()...;
};
template <typename... Ts>
Overload(Ts...) -> Overload<Ts...>;  // clang 14 does not deduce an aggregate's arguments by itself

config::TConfigValue valueAt(const config::TConfigValuePtr& where) {
    return std::visit(Overload{[](std::monostate) { return config::TConfigValue{}; },
                               [](std::string* text) { return config::TConfigValue::str(*text); },
                               [](int32_t* number) { return config::TConfigValue::integer(*number); },
                               [](bool* flag) { return config::TConfigValue::boolean(*flag); }},
                      where);
}

void store(const config::TConfigValuePtr& where, const config::TConfigValue& value) {
    std::visit(Overload{[](std::monostate) {},
                        [&](std::string* text) { *text = value.StrValue; },
                        [&](int32_t* number) { *number = value.IntValue; },
                        [&](bool* flag) { *flag = value.BoolValue; }},
               where);
}

}  // namespace

TSettingsSnapshot::TSettingsSnapshot(const dialogs::TRegisteredDialog& Dialog) {
    for (const dialogs::TDialogBinding& binding : Dialog.Names) {
        // Only bindings that carry a value: labels and buttons bind none, and a name that is
        // neither a setting nor a field of the record was reported when the dialog was registered.
        if (std::holds_alternative<std::monostate>(binding.Value)) continue;
        values_.emplace_back(binding.Value, valueAt(binding.Value));
    }
}

void TSettingsSnapshot::restore() const {
    for (const auto& [where, value] : values_) store(where, value);
}

}  // namespace skimmer::settings
