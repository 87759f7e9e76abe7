#include "index/sources/browser_sources.h"

#include "index/sources/applications.h"
#include "index/storage/folder_paths.h"
#include "os/dir_handle.h"
#include "os/utf8.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

namespace skimmer::index::store {

namespace {

bool isRegularFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The names in `dir`, sorted so that the outcome never depends on the listing order.
std::vector<std::string> namesIn(const std::string& dir) {
    std::vector<std::string> names;
    const os::DirHandle stream = os::openDirectory(dir);
    if (!stream) return names;
    while (const dirent* entry = ::readdir(stream.get())) names.emplace_back(entry->d_name);
    std::sort(names.begin(), names.end());
    return names;
}

struct IniSection {
    bool wanted = false;  // a [Profile*] or [Install*] section
    bool install = false;
    std::string path;     // Path= of a profile, Default= of an install
    bool relative = false;
};

void addProfile(const IniSection& section, const std::string& iniDir, std::vector<std::string>& out) {
    if (!section.wanted || section.path.empty()) return;
    const bool relative = section.relative || section.path.front() != '/';
    std::string path = normalizePath(relative ? iniDir + "/" + section.path : section.path);
    if (std::find(out.begin(), out.end(), path) == out.end()) out.push_back(std::move(path));
}

std::vector<BrowserSource> chromiumSources(const std::string& userData) {
    std::vector<BrowserSource> sources;
    for (const std::string& name : namesIn(userData)) {
        if (!isChromiumProfileName(name)) continue;
        const std::string profile = userData + "/" + name;
        if (isRegularFile(profile + "/Bookmarks"))
            sources.push_back({BrowserFormat::ChromiumBookmarks, profile + "/Bookmarks"});
        if (isRegularFile(profile + "/History")) sources.push_back({BrowserFormat::ChromiumHistory, profile + "/History"});
    }
    return sources;
}

}  // namespace

std::vector<std::string> firefoxProfileRoots(const BrowserPlaces& places) {
    std::vector<std::string> roots;
    if (places.home.empty()) return roots;
    roots.push_back(places.home + "/.mozilla/firefox");
    if (!places.configHome.empty()) roots.push_back(places.configHome + "/mozilla/firefox");
    roots.push_back(places.home + "/snap/firefox/common/.mozilla/firefox");
    roots.push_back(places.home + "/.var/app/org.mozilla.firefox/.mozilla/firefox");
    return roots;
}

std::vector<std::string> chromiumUserDataDirs(const BrowserPlaces& places) {
    std::vector<std::string> dirs;
    if (places.home.empty()) return dirs;
    if (!places.configHome.empty())
        for (const char* brand : {"chromium", "google-chrome", "google-chrome-beta", "google-chrome-unstable",
                                  "BraveSoftware/Brave-Browser", "vivaldi", "microsoft-edge"})
            dirs.push_back(places.configHome + "/" + brand);
    for (const char* app : {"org.chromium.Chromium/config/chromium", "com.google.Chrome/config/google-chrome",
                            "com.brave.Browser/config/BraveSoftware/Brave-Browser", "com.vivaldi.Vivaldi/config/vivaldi",
                            "com.microsoft.Edge/config/microsoft-edge"})
        dirs.push_back(places.home + "/.var/app/" + app);
    dirs.push_back(places.home + "/snap/chromium/common/chromium");
    return dirs;
}

std::vector<std::string> firefoxProfilesFromIni(std::string_view text, const std::string& iniDir) {
    std::vector<std::string> profiles;
    IniSection section;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = os::trimLine(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            addProfile(section, iniDir, profiles);
            const std::string_view name = line.substr(1, line.size() - 2);
            const bool install = name.starts_with("Install");
            // An install's Default= is always relative to the ini's folder.
            section = {.wanted = install || name.starts_with("Profile"), .install = install, .relative = install};
            continue;
        }
        const size_t equals = line.find('=');
        if (!section.wanted || equals == std::string_view::npos) continue;
        const std::string_view key = os::trimLine(line.substr(0, equals)), value = os::trimLine(line.substr(equals + 1));
        if (key == (section.install ? "Default" : "Path")) section.path = std::string(value);
        else if (key == "IsRelative" && !section.install) section.relative = value == "1";
    }
    addProfile(section, iniDir, profiles);
    return profiles;
}

bool isChromiumProfileName(std::string_view name) {
    if (name == "Default") return true;
    if (!name.starts_with("Profile ") || name.size() == 8) return false;
    return std::all_of(name.begin() + 8, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<BrowserSource> findBrowserSources(const BrowserPlaces& places) {
    std::vector<BrowserSource> sources;
    std::set<std::string> seen;
    for (const std::string& root : firefoxProfileRoots(places)) {
        const std::optional<std::string> ini = readDesktopFile(root + "/profiles.ini");
        if (!ini) continue;
        for (const std::string& profile : firefoxProfilesFromIni(*ini, root)) {
            const std::string places = profile + "/places.sqlite";
            if (isRegularFile(places) && seen.insert(places).second)
                sources.push_back({BrowserFormat::FirefoxPlaces, places});
        }
    }
    for (const std::string& dir : chromiumUserDataDirs(places))
        if (isDirectory(dir))
            for (BrowserSource& source : chromiumSources(dir))
                if (seen.insert(source.path).second) sources.push_back(std::move(source));
    return sources;
}

std::vector<std::string> browserWatchFiles(const BrowserPlaces& places) {
    std::vector<std::string> files;
    for (const std::string& root : firefoxProfileRoots(places)) files.push_back(root + "/profiles.ini");
    for (const BrowserSource& source : findBrowserSources(places)) {
        files.push_back(source.path);
        if (source.format != BrowserFormat::ChromiumBookmarks) {
            files.push_back(source.path + "-wal");
            files.push_back(source.path + "-journal");
        }
    }
    return files;
}

}  // namespace skimmer::index::store
