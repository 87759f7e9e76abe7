#include "settings/settings_snapshot.h"

#include <variant>

namespace skimmer::settings {

TSettingsSnapshot::TSettingsSnapshot(const dialogs::TRegisteredDialog& Dialog) {
    if (!Dialog.Config) return;
    for (const dialogs::TDialogBinding& binding : Dialog.Names) {
        // Only bindings that carry a value: labels and buttons bind none, and a name the store
        // does not know was reported when the dialog was registered.
        if (std::holds_alternative<std::monostate>(binding.Value)) continue;
        config::TConfigValue value;
        if (config::getConfigValue(*Dialog.Config, binding.Name, value)) values_.emplace_back(binding.Name, value);
    }
}

void TSettingsSnapshot::restore(config::TRegistryConfig& Config) const {
    for (const auto& [name, value] : values_) config::setConfigValue(Config, name, value);
}

}  // namespace skimmer::settings
