// What a crawl covers: its roots, its exclusions, the applications folders and $PATH folders that
// decide kinds, and how it batches its writes. Also the config file that adds to the defaults.
//
// Contract:
// - `defaultCrawlOptions` reads only the environment it is given (HOME, XDG_*, PATH,
//   XDG_CURRENT_DESKTOP and the locale variables), so tests pass their own.
// - `loadIndexConfig` never fails the crawl: an unreadable or malformed line is reported in the
//   returned messages and skipped; a missing file is not an error.
// - `Excluder` matches a glob without '/' against the name of every entry and a glob with '/'
//   against the entry's whole path (fnmatch, '*' crossing '/'); "~/" at the start means $HOME/.
//   Paths are plain bytes.
#pragma once

#include "index/sources/browser_sources.h"
#include "index/storage/folder_paths.h"  // normalizePath, for paths as given

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace skimmer::index::store {

using Environment = std::function<const char*(const char*)>;  // getenv-shaped

struct CrawlOptions {
    std::vector<std::string> roots;            // absolute folders, as given
    std::vector<std::string> excludes;         // globs, as given (stored in meta 'excludes')
    bool defaultExcludes = true;               // add kDefaultExcludes and `implicitExcludes` when matching
    std::vector<std::string> implicitExcludes; // $XDG_CACHE_HOME and $XDG_DATA_HOME/Trash when set
    std::vector<std::string> applicationDirs;  // XDG applications folders, highest precedence first
    std::vector<std::string> mailRoots;        // folders searched for Maildir folders (os/maildir.h)
    std::vector<std::string> pathDirs;         // $PATH folders: executables there are programs
    std::string currentDesktop;                // $XDG_CURRENT_DESKTOP (colon list)
    std::string locale;                        // messages locale for localized Names
    std::string home;                          // for "~/" in globs
    BrowserPlaces browsers;                    // where bookmarks and history are looked for
    bool enterAvoidedFs = false;               // cross into pseudo/network file systems
    size_t batchChanges = 20000;               // commit after this many written rows ...
    int64_t batchMillis = 1000;                // ... or this long after the batch began
};

// The default exclusions (documented in docs/index.md), in the glob syntax above.
extern const std::vector<std::string> kDefaultExcludes;

// Roots $HOME plus each applications folder; browsers under $HOME and $XDG_CONFIG_HOME; applications folders $XDG_DATA_HOME/applications and
// $XDG_DATA_DIRS/*/applications; mail roots the conventional places (os::conventionalMailRoots);
// $PATH; the current desktop and locale.
CrawlOptions defaultCrawlOptions(const Environment& env);

// $XDG_CONFIG_HOME/skimmer/index.conf (or $HOME/.config/...); empty without a usable base.
std::string defaultConfigPath(const Environment& env);

// Applies the config file at `path` to `options`. Lines:
//   # comment
//   root = DIR            another root (ignored when roots were given on the command line)
//   maildir = DIR         another mail root (kept even when roots were given on the command line:
//                         mail is not found by walking the roots)
//   exclude = GLOB        another exclusion
//   default-excludes = no  drop the built-in exclusions
// Returns the problems found, one line each (with "path:line:"), empty when all is well.
std::vector<std::string> loadIndexConfig(const std::string& path, CrawlOptions& options, bool rootsFixed);

// The mail roots a crawl started from this process's environment would use: the conventional
// places and the config file's `maildir` lines (its problems are not reported here: the crawl
// reports them).
std::vector<std::string> configuredMailRoots();

class Excluder {
public:
    Excluder(const CrawlOptions& options);
    // `path` is the full path of the entry, `name` its last component.
    bool excluded(std::string_view path, std::string_view name) const;
    // The same for `name` inside folder `dir`; builds the full path only when a path glob could
    // match (the crawler calls this once per entry).
    bool excludedIn(std::string_view dir, std::string_view name) const;

private:
    // Transparent hashing: names are looked up as string_views, without a copy per entry.
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_set<std::string, Hash, std::equal_to<>> nameLiterals_, pathLiterals_;
    std::unordered_set<std::string, Hash, std::equal_to<>> pathLiteralNames_;  // their last components
    std::vector<std::string> nameGlobs_, pathGlobs_;
};

}  // namespace skimmer::index::store
