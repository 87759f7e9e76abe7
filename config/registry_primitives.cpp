#include "config/registry_primitives.h"

namespace skimmer::config {

SettingsLocation settingsLocation(platform::RegistryAccess* registry, std::string_view pluginsRootKey) {
    return {registry, platform::joinKeyPath(pluginsRootKey, kSettingsKeyName)};
}

int32_t regReadInteger(const SettingsLocation& where, std::string_view name, int32_t defaultValue) {
    if (!where.registry) return defaultValue;
    auto key = where.registry->openKey(where.key);
    if (!key) return defaultValue;
    auto value = key->readDword(name);
    return value ? static_cast<int32_t>(*value) : defaultValue;
}

std::string regReadString(const SettingsLocation& where, std::string_view name, std::string_view defaultValue) {
    if (!where.registry) return std::string(defaultValue);
    auto key = where.registry->openKey(where.key);
    if (!key) return std::string(defaultValue);
    auto value = key->readString(name);
    return value ? *value : std::string(defaultValue);
}

void regWriteInteger(const SettingsLocation& where, std::string_view name, int32_t value) {
    if (!where.registry) return;
    if (auto key = where.registry->createKey(where.key)) key->writeDword(name, static_cast<uint32_t>(value));
}

void regWriteString(const SettingsLocation& where, std::string_view name, std::string_view value) {
    if (!where.registry) return;
    if (auto key = where.registry->createKey(where.key)) key->writeString(name, value);
}

}  // namespace skimmer::config
