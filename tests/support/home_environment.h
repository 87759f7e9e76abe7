// The system half of TempHome (tests/support/temp_home.h): which variables name a user's folders,
// a fresh private folder, and reading and writing a variable of this process's environment so
// that both the C runtime (getenv) and the system's own calls see the new value. One file per
// system: home_environment_posix.cpp, home_environment_win32.cpp. Failures throw with a text
// naming the call, since a test that cannot make its home must not run against the real one.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace skimmer::test {

// The variables a private home sets, each with the folder below `root` it points at.
std::vector<std::pair<std::string, std::filesystem::path>> homeVariables(const std::filesystem::path& root);

// A new folder that only this call made, under the system's temporary folder.
std::filesystem::path makeUniqueTestFolder();

std::optional<std::filesystem::path> readEnvironment(const std::string& name);
// Sets `name` to `value`, or removes it when `value` is nullopt.
void writeEnvironment(const std::string& name, const std::optional<std::filesystem::path>& value);

}  // namespace skimmer::test
