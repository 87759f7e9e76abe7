#include "tests/support/temp_home.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace skimmer::test {

namespace {

std::filesystem::path makeUniqueFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "skimmer-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

}  // namespace

TempHome::TempHome() : root_(makeUniqueFolder()) {
    const std::map<std::string, std::filesystem::path> vars = {
        {"HOME", root_ / "home"},           {"XDG_CONFIG_HOME", root_ / "config"},
        {"XDG_CACHE_HOME", root_ / "cache"}, {"XDG_DATA_HOME", root_ / "data"},
        {"XDG_RUNTIME_DIR", root_ / "run"}, {"TMPDIR", root_ / "tmp"},
    };
    for (const auto& [name, path] : vars) {
        const char* old = std::getenv(name.c_str());
        saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        std::filesystem::create_directories(path);
        setenv(name.c_str(), path.c_str(), 1);
    }
}

TempHome::~TempHome() {
    for (const auto& [name, value] : saved_) {
        if (value) setenv(name.c_str(), value->c_str(), 1);
        else unsetenv(name.c_str());
    }
    std::error_code ignored;  // a test that failed half-way may leave odd modes; best effort only
    std::filesystem::remove_all(root_, ignored);
}

}  // namespace skimmer::test
