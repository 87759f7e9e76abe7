// The settings table: every user setting by name, with its kind, default and current value, and
// the load and save passes that move it to and from the registry.
//
// Contract: names are exact, case-sensitive byte strings; the first element of a name wins.
// Elements are only appended (a pointer from getConfigElementPtr stays valid until the next
// configAddValue) and the table is reset only by the catalogue set-up. Reads of the registry
// fall back to defaults and are never reported; a save pass reaches the disk as one change and
// a save that the disk refused is reported once through the table's error sink. Lookups of an
// unknown non-empty name are reported through the same sink. The table does not own the registry.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/registry_primitives.h"

namespace skimmer::config {

enum TConfigValueKind : int32_t {
    cvkString = 0,
    cvkInteger = 1,
    cvkBoolean = 2,
    cvkInactive = 7,
};

// A value tagged with its kind, as configAddValue, getConfigValue and setConfigValue pass it.
struct TConfigValue {
    TConfigValueKind Kind = cvkString;
    std::string StrValue;
    int32_t IntValue = 0;
    bool BoolValue = false;

    static TConfigValue str(std::string text);
    static TConfigValue integer(int32_t value);
    static TConfigValue boolean(bool value);
    bool operator==(const TConfigValue&) const = default;
};

struct TRegistryConfigElement {
    std::string Name;
    TConfigValueKind Kind = cvkInactive;
    int32_t IntValue = 0;
    int32_t IntDefault = 0;
    bool BoolValue = false;
    bool BoolDefault = false;
    std::string StrValue;
    std::string StrDefault;
    bool Stored = false;
};

// The address of an element's current value, by its kind; monostate when there is none.
using TConfigValuePtr = std::variant<std::monostate, std::string*, int32_t*, bool*>;

using ErrorSink = std::function<void(const std::string&)>;

struct TRegistryConfig {
    int32_t Count = 0;
    std::vector<TRegistryConfigElement> Elements;  // always Count long
    // Where the settings live and where lookup and save failures are shown; set by the frame.
    SettingsLocation location_;
    ErrorSink reportError_;
};

void configAddValue(TRegistryConfig& config, std::string_view name, TConfigValueKind kind, bool stored,
                    const TConfigValue& defaultValue);
void configLoadValues(TRegistryConfig& config);
void configSaveValues(TRegistryConfig& config);

// False (and a report, unless the name is empty) when no element has this name; `value` then
// keeps what the caller put in it.
bool getConfigValue(const TRegistryConfig& config, std::string_view name, TConfigValue& value);
// Converts `value` to the element's kind and stores it in memory only. False when the name is
// unknown or the value cannot be converted (both reported); the element is then unchanged.
bool setConfigValue(TRegistryConfig& config, std::string_view name, const TConfigValue& value);
TConfigValuePtr getConfigElementPtr(TRegistryConfig& config, std::string_view name);

// Conversions between kinds: "True"/"False" for booleans, decimal text for integers. An integer
// is true when non-zero; a text converts to a boolean when it is "True" or "False" (any case)
// or a decimal number. None when the text does not convert.
std::optional<int32_t> parseDecimal(std::string_view text);
std::optional<TConfigValue> convertValue(const TConfigValue& value, TConfigValueKind kind);

}  // namespace skimmer::config
