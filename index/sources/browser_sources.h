// Where browsers keep bookmarks and history: every Firefox profile listed in a profiles.ini of
// the known install places, and every profile folder ("Default", "Profile N") of the known
// Chromium-family browsers.
//
// Contract:
// - Only looks: reads profiles.ini files (regular files of at most 1 MiB) and lists browser
//   folders; never opens a browser database and never writes anything.
// - A place that does not exist, or a profiles.ini that cannot be read, simply contributes
//   nothing. Each database appears once, by its path as found, in a stable order.
// - `browserWatchFiles` names every file whose change can change what the sources yield (the
//   profile lists, the databases and their -wal/-journal companions), for a watcher.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::store {

struct BrowserPlaces {
    std::string home;        // $HOME (absolute); empty: no browser is looked for
    std::string configHome;  // $XDG_CONFIG_HOME, else $HOME/.config
};

enum class BrowserFormat {
    FirefoxPlaces,      // places.sqlite: bookmarks and history
    ChromiumBookmarks,  // Bookmarks (JSON)
    ChromiumHistory,    // History (SQLite)
};

struct BrowserSource {
    BrowserFormat format;
    std::string path;
    bool operator==(const BrowserSource&) const = default;
};

// The folders that may hold a Firefox profiles.ini, in the order they are searched.
std::vector<std::string> firefoxProfileRoots(const BrowserPlaces& places);
// The user-data folders of Chromium-family browsers.
std::vector<std::string> chromiumUserDataDirs(const BrowserPlaces& places);

// The profile folders that profiles.ini text names ([Profile*] Path=, and [Install*] Default=),
// made absolute against `iniDir` when IsRelative=1 (or when the path is not absolute).
std::vector<std::string> firefoxProfilesFromIni(std::string_view text, const std::string& iniDir);

// True for the profile folder names Chromium uses for people's profiles.
bool isChromiumProfileName(std::string_view name);

std::vector<BrowserSource> findBrowserSources(const BrowserPlaces& places);

std::vector<std::string> browserWatchFiles(const BrowserPlaces& places);

}  // namespace skimmer::index::store
