#include "tests/support/home_environment.h"

#include <windows.h>

#include <stdlib.h>

#include <random>
#include <stdexcept>
#include <system_error>

#include "os/wide_text.h"

namespace skimmer::test {

std::vector<std::pair<std::string, std::filesystem::path>> homeVariables(const std::filesystem::path& root) {
    // GetTempPathW reads TMP first, then TEMP: both point at the same folder.
    return {{"USERPROFILE", root / "home"}, {"APPDATA", root / "config"}, {"LOCALAPPDATA", root / "cache"},
            {"TEMP", root / "tmp"},         {"TMP", root / "tmp"}};
}

std::filesystem::path makeUniqueTestFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = L"skimmer-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(random());
        // CreateDirectoryW fails on a name that exists, so a folder it made is this call's alone.
        if (CreateDirectoryW((base / name).c_str(), nullptr)) return base / name;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                            "CreateDirectoryW under " + base.string());
}

std::optional<std::filesystem::path> readEnvironment(const std::string& name) {
    const wchar_t* value = _wgetenv(os::wideFromUtf8(name).c_str());
    if (value == nullptr) return std::nullopt;
    return std::filesystem::path(value);
}

void writeEnvironment(const std::string& name, const std::optional<std::filesystem::path>& value) {
    // The C runtime keeps its own copy of the environment beside the process's: _wputenv changes
    // both (getenv and GetTempPathW agree); "NAME=" removes the variable.
    const std::wstring assignment = os::wideFromUtf8(name) + L"=" + (value ? value->wstring() : std::wstring());
    if (_wputenv(assignment.c_str()) != 0) throw std::runtime_error("_wputenv(" + name + ") failed");
}

}  // namespace skimmer::test
