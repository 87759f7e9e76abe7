// A typed handle on one setting of the table: its name, the type its value has, its default and,
// for a number kept as text, the range the dialogs accept. The catalogue (catalogue.h) declares one
// handle per setting, so a name is spelled once and a caller never picks a field of TConfigValue.
//
// Contract: read() gives the setting's current value, or the handle's default when the table has
// no such setting; find() gives none instead, for the callers whose own fallback differs; both
// report an unknown name through the table's error sink, as every lookup does, and peek() is
// find() without that report. write() stores in memory only, as setConfigValue does. A handle
// owns nothing and is a compile-time constant.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/registry_config.h"

namespace skimmer::config {

// What a handle of each value type stores as its default, and the table kind it names.
template <typename T>
struct TSettingKind;
template <>
struct TSettingKind<bool> {
    using Default = bool;
    static constexpr TConfigValueKind kKind = cvkBoolean;
};
template <>
struct TSettingKind<int32_t> {
    using Default = int32_t;
    static constexpr TConfigValueKind kKind = cvkInteger;
};
template <>
struct TSettingKind<std::string> {
    using Default = std::string_view;
    static constexpr TConfigValueKind kKind = cvkString;
};

template <typename T>
struct TSetting {
    static constexpr TConfigValueKind kKind = TSettingKind<T>::kKind;

    std::string_view Name;
    typename TSettingKind<T>::Default Default{};
    bool Stored = true;  // false: the save pass never writes it
    std::optional<TNumberRange> Range = std::nullopt;

    T read(const TRegistryConfig& config) const { return find(config).value_or(T(Default)); }
    std::optional<T> find(const TRegistryConfig& config) const;
    std::optional<T> peek(const TRegistryConfig& config) const;
    bool write(TRegistryConfig& config, const T& value) const;
    // The default as the table's configAddValue takes it.
    TConfigValue defaultValue() const;
};

using TFlagSetting = TSetting<bool>;
using TNumberSetting = TSetting<int32_t>;
using TTextSetting = TSetting<std::string>;

extern template struct TSetting<bool>;
extern template struct TSetting<int32_t>;
extern template struct TSetting<std::string>;

}  // namespace skimmer::config
