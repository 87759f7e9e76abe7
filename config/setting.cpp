#include "config/setting.h"

namespace skimmer::config {
namespace {

// The field of `value` a handle of type T reads; a value of another kind gives that field as it
// stands (zero, false or empty), as a caller reading the field of getConfigValue's answer did.
template <typename T>
T fieldOf(const TConfigValue& value) {
    if constexpr (std::is_same_v<T, bool>) return value.BoolValue;
    else if constexpr (std::is_same_v<T, int32_t>) return value.IntValue;
    else return value.StrValue;
}

template <typename T>
TConfigValue tagged(const T& value) {
    if constexpr (std::is_same_v<T, bool>) return TConfigValue::boolean(value);
    else if constexpr (std::is_same_v<T, int32_t>) return TConfigValue::integer(value);
    else return TConfigValue::str(std::string(value));
}

}  // namespace

template <typename T>
std::optional<T> TSetting<T>::find(const TRegistryConfig& config) const {
    TConfigValue value;
    if (!getConfigValue(config, Name, value)) return std::nullopt;
    return fieldOf<T>(value);
}

template <typename T>
std::optional<T> TSetting<T>::peek(const TRegistryConfig& config) const {
    for (const TRegistryConfigElement& element : config.Elements) {
        if (element.Name != Name) continue;
        TConfigValue value;
        getConfigValue(config, Name, value);  // found: no report
        return fieldOf<T>(value);
    }
    return std::nullopt;
}

template <typename T>
bool TSetting<T>::write(TRegistryConfig& config, const T& value) const {
    return setConfigValue(config, Name, tagged(value));
}

template <typename T>
TConfigValue TSetting<T>::defaultValue() const {
    return tagged(Default);
}

template struct TSetting<bool>;
template struct TSetting<int32_t>;
template struct TSetting<std::string>;

}  // namespace skimmer::config
