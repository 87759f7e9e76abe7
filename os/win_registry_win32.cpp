#include "os/win_registry.h"

#include <windows.h>

#include <algorithm>

#include "os/wide_text.h"

namespace skimmer::os {

namespace {

// Keys are opened for reading and writing: the plug-in's keys are the user's own.
constexpr REGSAM kAccess = KEY_READ | KEY_WRITE;

std::string systemText(LONG code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message(text ? text : L"", length);
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
        message.pop_back();
    if (message.empty()) return "error " + std::to_string(code);
    return fromWide(message);
}

RegStatus failure(std::string_view what, std::string_view path, LONG code) {
    return {false, std::string(what) + " HKEY_CURRENT_USER\\" + std::string(path) + ": " + systemText(code)};
}

// REG_SZ text up to its first terminator (a value written without one keeps all its units).
std::string textOf(std::string_view bytes) {
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    std::copy_n(bytes.data(), wide.size() * sizeof(wchar_t), reinterpret_cast<char*>(wide.data()));
    wide.resize(std::min(wide.size(), wide.find(L'\0')));
    return fromWide(wide);
}

std::optional<RegValue> valueOf(const WinRegRawValue& raw) {
    switch (raw.type) {
        case REG_SZ: return RegValue{RegType::String, textOf(raw.bytes)};
        case REG_DWORD:
            if (raw.bytes.size() != sizeof(DWORD)) return std::nullopt;
            return RegValue{RegType::Dword, raw.bytes};
        case REG_BINARY: return RegValue{RegType::Binary, raw.bytes};
        default: return std::nullopt;
    }
}

WinRegRawValue rawOf(const RegValue& value) {
    switch (value.type) {
        case RegType::String: {
            const std::wstring text = toWide(value.data);
            // The terminator is part of a REG_SZ's data.
            return {REG_SZ, std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t))};
        }
        case RegType::Dword: return {REG_DWORD, value.data};
        case RegType::Binary: break;
    }
    return {REG_BINARY, value.data};
}

// The order the seam promises: UTF-16 units compared after the system's upper-casing, as the
// registry itself compares key names, so the order does not depend on the ANSI code page.
bool lessIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

}  // namespace

std::optional<WinRegKey> WinRegKey::open(std::string_view path) {
    const std::wstring wide = toWide(path);
    HKEY key = nullptr;
    LONG code = RegOpenKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, kAccess, &key);
    // A key the user may only read (set by a policy) is still read; its writes then fail with
    // the system's reason instead of the key looking missing.
    if (code == ERROR_ACCESS_DENIED) code = RegOpenKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, KEY_READ, &key);
    if (code != ERROR_SUCCESS) return std::nullopt;
    return WinRegKey(key, std::string(path));
}

std::optional<WinRegKey> WinRegKey::create(std::string_view path, RegStatus* status) {
    HKEY key = nullptr;
    const LONG code = RegCreateKeyExW(HKEY_CURRENT_USER, toWide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      kAccess, nullptr, &key, nullptr);
    if (code != ERROR_SUCCESS) {
        if (status) *status = failure("cannot create", path, code);
        return std::nullopt;
    }
    return WinRegKey(key, std::string(path));
}

WinRegKey& WinRegKey::operator=(WinRegKey&& other) noexcept {
    if (this != &other) {
        if (key_) RegCloseKey(key_);
        key_ = std::exchange(other.key_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

WinRegKey::~WinRegKey() {
    if (key_) RegCloseKey(key_);
}

std::optional<WinRegRawValue> WinRegKey::readRaw(std::string_view name) const {
    const std::wstring wide = toWide(name);
    DWORD type = 0;
    DWORD size = 0;
    // Asked again when the value grew between the two calls; a third change in a row is a miss.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (RegQueryValueExW(key_, wide.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
        std::string bytes(size, '\0');
        const LONG code =
            RegQueryValueExW(key_, wide.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size);
        if (code == ERROR_MORE_DATA) continue;
        if (code != ERROR_SUCCESS) return std::nullopt;
        bytes.resize(size);
        return WinRegRawValue{type, std::move(bytes)};
    }
    return std::nullopt;
}

std::optional<RegValue> WinRegKey::readValue(std::string_view name) const {
    const auto raw = readRaw(name);
    return raw ? valueOf(*raw) : std::nullopt;
}

std::vector<std::pair<std::string, WinRegRawValue>> WinRegKey::rawValues() const {
    DWORD longestName = 0, longestData = 0;
    std::vector<std::pair<std::string, WinRegRawValue>> found;
    if (RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return found;
    std::vector<wchar_t> name(longestName + 1);
    std::string data(longestData, '\0');
    for (DWORD index = 0;;) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG code = RegEnumValueW(key_, index, name.data(), &nameLength, nullptr, &type,
                                        reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (code == ERROR_MORE_DATA) {  // written meanwhile: grow and ask for the same index again
            name.resize(name.size() * 2);
            data.resize(std::max<size_t>(data.size() * 2, dataSize));
            continue;
        }
        if (code != ERROR_SUCCESS) break;  // ERROR_NO_MORE_ITEMS, or the key went away
        found.emplace_back(fromWide({name.data(), nameLength}), WinRegRawValue{type, data.substr(0, dataSize)});
        ++index;
    }
    return found;
}

std::vector<std::pair<std::string, RegValue>> WinRegKey::values() const {
    std::vector<std::pair<std::string, RegValue>> found;
    for (auto& [name, raw] : rawValues())
        if (auto value = valueOf(raw)) found.emplace_back(std::move(name), std::move(*value));
    return found;
}

std::vector<std::string> WinRegKey::subkeys() const {
    DWORD longest = 0;
    std::vector<std::wstring> names;
    if (RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    std::vector<wchar_t> name(longest + 1);
    for (DWORD index = 0;;) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG code = RegEnumKeyExW(key_, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (code == ERROR_MORE_DATA) {  // a longer name was added meanwhile
            name.resize(name.size() * 2);
            continue;
        }
        if (code != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), length);
        ++index;
    }
    std::sort(names.begin(), names.end(), lessIgnoringCase);
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const std::wstring& wide : names) sorted.push_back(fromWide(wide));
    return sorted;
}

RegStatus WinRegKey::writeValue(std::string_view name, const RegValue& value) {
    if (value.type == RegType::Dword && value.data.size() != sizeof(DWORD))
        return {false, "a REG_DWORD value needs exactly 4 bytes"};
    return writeRaw(name, rawOf(value));
}

RegStatus WinRegKey::writeRaw(std::string_view name, const WinRegRawValue& value) {
    if (value.bytes.size() > MAXDWORD) return {false, "a registry value cannot hold that many bytes"};
    const LONG code = RegSetValueExW(key_, toWide(name).c_str(), 0, value.type,
                                     reinterpret_cast<const BYTE*>(value.bytes.data()),
                                     static_cast<DWORD>(value.bytes.size()));
    if (code != ERROR_SUCCESS) return failure("cannot write \"" + std::string(name) + "\" in", path_, code);
    return {};
}

RegStatus WinRegKey::deleteValue(std::string_view name) {
    const LONG code = RegDeleteValueW(key_, toWide(name).c_str());
    if (code != ERROR_SUCCESS) return failure("cannot delete \"" + std::string(name) + "\" in", path_, code);
    return {};
}

bool winRegKeyExists(std::string_view path) { return WinRegKey::open(path).has_value(); }

RegStatus deleteWinRegTree(std::string_view path) {
    if (path.find_first_not_of('\\') == std::string_view::npos) return {false, "HKEY_CURRENT_USER itself is never deleted"};
    const LONG code = RegDeleteTreeW(HKEY_CURRENT_USER, toWide(path).c_str());
    if (code != ERROR_SUCCESS) return failure("cannot delete", path, code);
    return {};
}

}  // namespace skimmer::os
