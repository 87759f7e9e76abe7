// A private home for one test: a fresh folder with HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME,
// XDG_DATA_HOME, XDG_RUNTIME_DIR and TMPDIR pointing inside it. The previous values come back and
// the folder is removed when the object goes away, so tests never touch the real user's files.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace skimmer::test {

class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path config() const { return root_ / "config"; }
    std::filesystem::path cache() const { return root_ / "cache"; }
    std::filesystem::path data() const { return root_ / "data"; }

private:
    std::filesystem::path root_;
    std::map<std::string, std::optional<std::string>> saved_;
};

}  // namespace skimmer::test
