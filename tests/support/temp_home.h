// A private home for one test: a fresh folder with the variables through which the system names a
// user's folders pointing inside it. On Linux: HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME,
// XDG_DATA_HOME, XDG_RUNTIME_DIR and TMPDIR. On Windows: USERPROFILE, APPDATA (roaming settings,
// beside config()), LOCALAPPDATA (beside cache()), TEMP and TMP (so GetTempPathW answers inside it).
// The previous values come back and the folder is removed when the object goes away, so tests
// never touch the real user's files.
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
    // Each variable's value before the home was made; nullopt: it was not set. Kept as a path so a
    // Windows value keeps its wide characters.
    std::map<std::string, std::optional<std::filesystem::path>> saved_;
};

}  // namespace skimmer::test
