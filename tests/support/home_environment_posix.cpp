#include "tests/support/home_environment.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace skimmer::test {

std::vector<std::pair<std::string, std::filesystem::path>> homeVariables(const std::filesystem::path& root) {
    return {{"HOME", root / "home"},           {"XDG_CONFIG_HOME", root / "config"},
            {"XDG_CACHE_HOME", root / "cache"}, {"XDG_DATA_HOME", root / "data"},
            {"XDG_RUNTIME_DIR", root / "run"}, {"TMPDIR", root / "tmp"}};
}

std::filesystem::path makeUniqueTestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "skimmer-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp(" + pattern + ") failed: " + std::strerror(errno));
    return pattern;
}

std::optional<std::filesystem::path> readEnvironment(const std::string& name) {
    const char* value = getenv(name.c_str());
    if (value == nullptr) return std::nullopt;
    return std::filesystem::path(value);
}

void writeEnvironment(const std::string& name, const std::optional<std::filesystem::path>& value) {
    const int rc = value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    if (rc != 0) throw std::runtime_error("setting " + name + " failed: " + std::strerror(errno));
}

}  // namespace skimmer::test
