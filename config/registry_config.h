// The settings table: every user setting by name, with its kind, default and current value, and
// the load and save passes that move it to and from the registry.
//
// Contract: names are exact, case-sensitive byte strings; the first element of a name wins.
// Elements are only appended (a pointer from getConfigElementPtr stays valid until the next
// configAddValue) and the table is reset only by the catalogue set-up. Reads of the registry
// fall back to defaults and are never reported; a save pass reaches the disk as one change and
// a save that the disk refused is reported once through the table's error sink. Lookups of an
// unknown non-empty name are reported through the same sink. The table does not own the registry.
// Several processes share one registry: each element remembers the value the registry held when
// this process last read or wrote it, so a load takes over what others saved without dropping
// this process's unsaved changes, and a save writes only what this process changed (and what the
// registry lacks), never undoing another process's change of another setting.
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

// The numbers a setting kept as text may hold, as the settings dialogs check them: blanks around
// the number are allowed, and an empty text when `BlankAllowed`. With `OnlyWhen` the check applies
// only while that integer setting holds `OnlyWhenValue` (the custom window size is checked only
// while the custom size is chosen, as the dialog does).
struct TNumberRange {
    int32_t Low = 0;
    int32_t High = 0;
    bool BlankAllowed = false;
    std::string_view OnlyWhen = {};
    int32_t OnlyWhenValue = 0;
    bool accepts(std::string_view text) const;
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
    // For a number kept as text: what the dialogs accept. A value read from the registry outside
    // it was never accepted by a dialog (edited by hand, or damaged), so its meaning is unknown and
    // the default is used instead — a clamped guess could be as wrong as the value; the next save
    // then writes the default back.
    std::optional<TNumberRange> Range;
    // The value as the registry held it when this process last read or wrote it: the current
    // value differs from it only by a change made here and not yet saved.
    int32_t IntSaved = 0;
    bool BoolSaved = false;
    std::string StrSaved;
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
// Reads every element from the registry as it is now; an element changed here and not yet saved
// keeps its value. A table without a registry keeps its values.
void configLoadValues(TRegistryConfig& config);
// Writes, in one batch, every stored element changed here since it was last read or written, and
// every stored element the registry lacks or holds otherwise than a save writes it (another type,
// a switch other than 0 or 1, a text outside its range); then reads the others again, so the table
// shows what other processes saved meanwhile.
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
