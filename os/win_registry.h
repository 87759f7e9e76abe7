// The Windows registry below HKEY_CURRENT_USER: keys opened and created by path, REG_SZ,
// REG_DWORD and REG_BINARY values read and written, subkeys listed, trees removed.
//
// Contract:
// - Key paths are relative to HKEY_CURRENT_USER and separated by '\'; key names, value names and
//   REG_SZ texts are in the plug-in's ANSI code page and converted at this border with
//   os/wide_text.h (the registry itself stores them as UTF-16).
// - A WinRegKey owns its HKEY and closes it when destroyed; it can be moved, never copied.
// - Reads never fail loudly: a missing key or value, or a value of another type, is "none".
//   Writes and removals answer a RegStatus whose error names the key and the system's reason.
// - subkeys() lists the direct subkeys in case-insensitive sorted order (the order the plug-in's
//   registry seam promises), whatever order the registry enumerates them in.
// - values() lists every REG_SZ, REG_DWORD and REG_BINARY value once; values of other types are
//   not listed, as reading them gives none. The raw calls see and write every type exactly as
//   stored (REG_SZ as UTF-16 bytes), so a key can be saved and put back without loss.
// Built on Windows only (win_registry_win32.cpp); the Linux build keeps the hive of os/registry.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "os/registry.h"  // RegValue, RegType, RegStatus: the registry's value model, shared with the hive

struct HKEY__;  // <windows.h>'s HKEY is HKEY__*; the header stays free of <windows.h>

namespace skimmer::os {

// A value of any registry type, its bytes exactly as the registry stores them.
struct WinRegRawValue {
    uint32_t type = 0;  // REG_*
    std::string bytes;
    bool operator==(const WinRegRawValue&) const = default;
};

class WinRegKey {
public:
    // None when the key does not exist or cannot be read; a key the user may only read opens
    // for reading (its writes fail).
    static std::optional<WinRegKey> open(std::string_view path);
    // Creates the missing keys on the way. None when refused; `status`, if given, says why.
    static std::optional<WinRegKey> create(std::string_view path, RegStatus* status = nullptr);

    WinRegKey(WinRegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)), path_(std::move(other.path_)) {}
    WinRegKey& operator=(WinRegKey&& other) noexcept;
    WinRegKey(const WinRegKey&) = delete;
    WinRegKey& operator=(const WinRegKey&) = delete;
    ~WinRegKey();

    const std::string& path() const { return path_; }

    std::optional<RegValue> readValue(std::string_view name) const;
    std::vector<std::pair<std::string, RegValue>> values() const;
    std::vector<std::string> subkeys() const;

    RegStatus writeValue(std::string_view name, const RegValue& value);

    std::optional<WinRegRawValue> readRaw(std::string_view name) const;
    std::vector<std::pair<std::string, WinRegRawValue>> rawValues() const;
    RegStatus writeRaw(std::string_view name, const WinRegRawValue& value);

    RegStatus deleteValue(std::string_view name);  // a missing value is a failed status

private:
    WinRegKey(HKEY__* key, std::string path) : key_(key), path_(std::move(path)) {}
    HKEY__* key_;
    std::string path_;
};

// True when the key exists (it is opened for reading and closed again).
bool winRegKeyExists(std::string_view path);

// Removes the key, its values and every subkey. A missing key is a failed status; so is the
// empty path (HKEY_CURRENT_USER itself is never removed).
RegStatus deleteWinRegTree(std::string_view path);

}  // namespace skimmer::os
