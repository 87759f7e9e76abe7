#include "config/registry_config.h"
#include "os/utf8.h"

#include <charconv>
#include <limits>
#include <vector>

namespace skimmer::config {

namespace {

const char* const kNotFoundTail = " not found. USE configAddValue!";

std::optional<bool> textToBoolean(std::string_view text) {
    if (os::equalsAsciiCaseless(text, "True")) return true;
    if (os::equalsAsciiCaseless(text, "False")) return false;
    if (auto number = parseDecimal(text)) return *number != 0;
    return std::nullopt;
}

std::string valueAsText(const TConfigValue& value) {
    switch (value.Kind) {
        case cvkInteger: return std::to_string(value.IntValue);
        case cvkBoolean: return value.BoolValue ? "True" : "False";
        default: return value.StrValue;
    }
}

void report(const TRegistryConfig& config, const std::string& text) {
    if (config.reportError_) config.reportError_(text);
}

// The first element named exactly `name`, or null; an unknown non-empty name is reported with
// the caller's prefix.
template <typename Config>
auto findElement(Config& config, std::string_view name, std::string_view prefix) -> decltype(&config.Elements[0]) {
    for (auto& element : config.Elements) {
        if (element.Name == name) return &element;
    }
    if (!name.empty()) report(config, std::string(prefix) + std::string(name) + kNotFoundTail);
    return nullptr;
}

// Stores an already converted value as the element's current value.
void storeCurrent(TRegistryConfigElement& element, const TConfigValue& value) {
    switch (element.Kind) {
        case cvkString: element.StrValue = value.StrValue; break;
        case cvkInteger: element.IntValue = value.IntValue; break;
        case cvkBoolean: element.BoolValue = value.BoolValue; break;
        default: break;
    }
}

// Whether the current value differs from the one the registry held at the last read or write.
bool changedHere(const TRegistryConfigElement& element) {
    switch (element.Kind) {
        case cvkString: return element.StrValue != element.StrSaved;
        case cvkInteger: return element.IntValue != element.IntSaved;
        case cvkBoolean: return element.BoolValue != element.BoolSaved;
        default: return false;
    }
}

void markSaved(TRegistryConfigElement& element) {
    element.StrSaved = element.StrValue;
    element.IntSaved = element.IntValue;
    element.BoolSaved = element.BoolValue;
}

// The range `element` is held to now, if any (see TNumberRange::OnlyWhen).
const TNumberRange* rangeNow(const TRegistryConfig& config, const TRegistryConfigElement& element) {
    if (!element.Range) return nullptr;
    if (element.Range->OnlyWhen.empty()) return &*element.Range;
    for (const auto& other : config.Elements)
        if (other.Name == element.Range->OnlyWhen)
            return other.Kind == cvkInteger && other.IntValue == element.Range->OnlyWhenValue ? &*element.Range : nullptr;
    return nullptr;
}

// Whether the registry holds the element's value as a save would write it: of the type a read
// accepts, a switch as 0 or 1, a number kept as text within its range. Anything else is written.
bool storedAsSaved(const TRegistryConfig& config, const platform::RegistryKey* key,
                   const TRegistryConfigElement& element) {
    if (!key) return false;
    if (element.Kind == cvkString) {
        const auto text = key->readString(element.Name);
        const TNumberRange* range = rangeNow(config, element);
        return text && (!range || range->accepts(*text));
    }
    const auto number = key->readDword(element.Name);
    return number && (element.Kind != cvkBoolean || *number <= 1);
}

void writeElement(const SettingsLocation& where, const TRegistryConfigElement& element) {
    switch (element.Kind) {
        case cvkString: regWriteString(where, element.Name, element.StrValue); break;
        case cvkInteger: regWriteInteger(where, element.Name, element.IntValue); break;
        case cvkBoolean: regWriteInteger(where, element.Name, element.BoolValue ? 1 : 0); break;
        default: break;
    }
}

}  // namespace

bool TNumberRange::accepts(std::string_view text) const {
    text = os::trim(text, os::kSpaces);
    if (text.empty()) return BlankAllowed;
    const auto number = parseDecimal(text);
    return number && *number >= Low && *number <= High;
}

TConfigValue TConfigValue::str(std::string text) {
    TConfigValue v;
    v.Kind = cvkString;
    v.StrValue = std::move(text);
    return v;
}

TConfigValue TConfigValue::integer(int32_t value) {
    TConfigValue v;
    v.Kind = cvkInteger;
    v.IntValue = value;
    return v;
}

TConfigValue TConfigValue::boolean(bool value) {
    TConfigValue v;
    v.Kind = cvkBoolean;
    v.BoolValue = value;
    return v;
}

std::optional<int32_t> parseDecimal(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<TConfigValue> convertValue(const TConfigValue& value, TConfigValueKind kind) {
    if (kind == cvkString) return TConfigValue::str(valueAsText(value));
    if (kind == cvkInteger) {
        if (value.Kind == cvkInteger) return value;
        if (value.Kind == cvkBoolean) return TConfigValue::integer(value.BoolValue ? 1 : 0);
        if (auto number = parseDecimal(value.StrValue)) return TConfigValue::integer(*number);
        return std::nullopt;
    }
    if (kind == cvkBoolean) {
        if (value.Kind == cvkBoolean) return value;
        if (value.Kind == cvkInteger) return TConfigValue::boolean(value.IntValue != 0);
        if (auto flag = textToBoolean(value.StrValue)) return TConfigValue::boolean(*flag);
        return std::nullopt;
    }
    return std::nullopt;
}

void configAddValue(TRegistryConfig& config, std::string_view name, TConfigValueKind kind, bool stored,
                    const TConfigValue& defaultValue) {
    TRegistryConfigElement element;
    element.Name = std::string(name);
    element.Kind = kind;
    element.Stored = stored;
    // A default that does not convert leaves the zero value of the kind.
    const TConfigValue converted = convertValue(defaultValue, kind).value_or(TConfigValue{kind});
    switch (kind) {
        case cvkString: element.StrDefault = element.StrValue = converted.StrValue; break;
        case cvkInteger: element.IntDefault = element.IntValue = converted.IntValue; break;
        case cvkBoolean: element.BoolDefault = element.BoolValue = converted.BoolValue; break;
        default: break;
    }
    markSaved(element);  // a value never read counts as the registry's: nothing is changed yet
    config.Elements.push_back(std::move(element));
    config.Count = static_cast<int32_t>(config.Elements.size());
}

void configLoadValues(TRegistryConfig& config) {
    const SettingsLocation& where = config.location_;
    if (!where.registry) return;
    for (auto& element : config.Elements) {
        // A change made here and not yet saved is this process's to write: a read must not undo it.
        const bool keep = changedHere(element);
        switch (element.Kind) {
            case cvkString: element.StrSaved = regReadString(where, element.Name, element.StrDefault); break;
            case cvkInteger: element.IntSaved = regReadInteger(where, element.Name, element.IntDefault); break;
            case cvkBoolean:
                // Only the low byte counts: 5 is true, 256 is false.
                element.BoolSaved = (regReadInteger(where, element.Name, element.BoolDefault ? 1 : 0) & 0xFF) != 0;
                break;
            default: continue;
        }
        if (keep) continue;
        element.StrValue = element.StrSaved;
        element.IntValue = element.IntSaved;
        element.BoolValue = element.BoolSaved;
    }
    // After every value is in: a range may depend on another setting. A value out of range then
    // differs from the registry's, so the next save mends the registry.
    for (auto& element : config.Elements) {
        const TNumberRange* range = rangeNow(config, element);
        if (range && !changedHere(element) && !range->accepts(element.StrValue)) element.StrValue = element.StrDefault;
    }
}

void configSaveValues(TRegistryConfig& config) {
    const SettingsLocation& where = config.location_;
    if (!where.registry) return;
    // One save pass is one change on disk: a crash mid-pass never leaves half the settings. The
    // batch starts from the registry as it is now, and its commit replays these writes onto
    // whatever another process saved meanwhile, under the registry's lock.
    auto batch = where.registry->beginBatch();
    std::vector<TRegistryConfigElement*> written;
    {
        const auto key = where.registry->openKey(where.key);
        for (auto& element : config.Elements) {
            if (!element.Stored || element.Kind == cvkInactive) continue;
            // Rewriting an unchanged value would undo another process's later change of it.
            if (!changedHere(element) && storedAsSaved(config, key.get(), element)) continue;
            written.push_back(&element);
        }
    }
    for (const TRegistryConfigElement* element : written) writeElement(where, *element);
    const platform::RegistryCommit result = batch ? batch->commit() : platform::RegistryCommit{};
    if (!result.ok) {
        report(config, "Settings were not saved: " + result.error);
        return;  // the values stay changed here, so the next save writes them again
    }
    for (TRegistryConfigElement* element : written) markSaved(*element);
    configLoadValues(config);
}

bool getConfigValue(const TRegistryConfig& config, std::string_view name, TConfigValue& value) {
    const TRegistryConfigElement* element = findElement(config, name, "ConfigValue: ");
    if (!element) return false;
    switch (element->Kind) {
        case cvkString: value = TConfigValue::str(element->StrValue); break;
        case cvkInteger: value = TConfigValue::integer(element->IntValue); break;
        case cvkBoolean: value = TConfigValue::boolean(element->BoolValue); break;
        default: break;
    }
    return true;
}

bool setConfigValue(TRegistryConfig& config, std::string_view name, const TConfigValue& value) {
    TRegistryConfigElement* element = findElement(config, name, "ConfigValue: ");
    if (!element) return false;
    if (element->Kind == cvkInactive) return true;
    auto converted = convertValue(value, element->Kind);
    if (!converted) {
        report(config, "ConfigValue: " + element->Name + ": \"" + valueAsText(value) + "\" does not convert");
        return false;
    }
    storeCurrent(*element, *converted);
    return true;
}

TConfigValuePtr getConfigElementPtr(TRegistryConfig& config, std::string_view name) {
    TRegistryConfigElement* element = findElement(config, name, "getConfigElementPtr: ");
    if (!element) return std::monostate{};
    switch (element->Kind) {
        case cvkString: return &element->StrValue;
        case cvkInteger: return &element->IntValue;
        case cvkBoolean: return &element->BoolValue;
        default: return std::monostate{};
    }
}

}  // namespace skimmer::config
