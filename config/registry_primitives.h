// The four registry primitives of the settings store. Each opens the settings key
// (PluginsRootKey + "\Skimmer"), does one thing and closes it again.
//
// Contract: reads return the default when the key or value is missing or of another type, and
// never create the key; writes create the key when missing and drop the value silently when the
// registry refuses (a save pass groups them in a batch, whose commit tells whether they reached
// the disk). A location without a registry reads defaults and writes nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry_access.h"

namespace skimmer::config {

// Where the plug-in's own settings live.
struct SettingsLocation {
    platform::RegistryAccess* registry = nullptr;  // not owned
    std::string key;                                // PluginsRootKey + "\Skimmer"
};

constexpr std::string_view kSettingsKeyName = "Skimmer";

SettingsLocation settingsLocation(platform::RegistryAccess* registry, std::string_view pluginsRootKey);

int32_t regReadInteger(const SettingsLocation& where, std::string_view name, int32_t defaultValue);
std::string regReadString(const SettingsLocation& where, std::string_view name, std::string_view defaultValue);
void regWriteInteger(const SettingsLocation& where, std::string_view name, int32_t value);
void regWriteString(const SettingsLocation& where, std::string_view name, std::string_view value);

}  // namespace skimmer::config
