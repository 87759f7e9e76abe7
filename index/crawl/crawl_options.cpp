#include "index/crawl/crawl_options.h"

#include "os/maildir.h"

#include "index/storage/index_files.h"
#include "os/paths.h"
#include "os/utf8.h"

#include <fnmatch.h>

#include <cstdlib>
#include <fstream>

namespace skimmer::index::store {

const std::vector<std::string> kDefaultExcludes = {
    // version-control internals and build caches, wherever they are
    ".git", ".hg", ".svn", ".bzr", "_darcs", "CVS", "node_modules", "__pycache__",
    // trash on other volumes
    ".Trash-*",
    // the user's caches and trash, and kernel views when a root is "/"
    "~/.cache", "~/.local/share/Trash", "/proc", "/sys", "/dev", "/run",
};

namespace {

std::string envOr(const Environment& env, const char* name) {
    const char* value = env(name);
    return value ? std::string(value) : std::string();
}

// An XDG base directory: absolute values only, else the default below $HOME.
std::string xdgDir(const Environment& env, const char* name, const std::string& home, const char* fallback) {
    const std::string value = envOr(env, name);
    if (!value.empty() && value[0] == '/') return normalizePath(value);
    return home.empty() ? std::string() : normalizePath(home + "/" + fallback);
}

std::vector<std::string> splitColons(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon - start));
        if (colon == std::string::npos) return parts;
        start = colon + 1;
    }
}

std::string expandHome(std::string_view glob, const std::string& home) {
    if (glob == "~") return home;
    if (glob.starts_with("~/") && !home.empty()) return home + std::string(glob.substr(1));
    return std::string(glob);
}

bool hasWildcard(std::string_view glob) { return glob.find_first_of("*?[\\") != std::string_view::npos; }

}  // namespace

CrawlOptions defaultCrawlOptions(const Environment& env) {
    CrawlOptions options;
    const std::string homeVar = envOr(env, "HOME");
    options.home = (!homeVar.empty() && homeVar[0] == '/') ? normalizePath(homeVar) : std::string();
    const std::string dataHome = xdgDir(env, "XDG_DATA_HOME", options.home, ".local/share");
    std::string dataDirs = envOr(env, "XDG_DATA_DIRS");
    if (dataDirs.empty()) dataDirs = "/usr/local/share:/usr/share";
    if (!dataHome.empty()) options.applicationDirs.push_back(dataHome + "/applications");
    for (const std::string& dir : splitColons(dataDirs))
        if (!dir.empty() && dir[0] == '/') options.applicationDirs.push_back(normalizePath(dir + "/applications"));
    if (!options.home.empty()) options.roots.push_back(options.home);
    options.mailRoots = os::conventionalMailRoots(options.home, dataHome);
    for (const std::string& dir : options.applicationDirs) options.roots.push_back(dir);
    for (const std::string& dir : splitColons(envOr(env, "PATH")))
        if (!dir.empty() && dir[0] == '/') options.pathDirs.push_back(normalizePath(dir));
    const std::string cacheHome = xdgDir(env, "XDG_CACHE_HOME", options.home, ".cache");
    if (!cacheHome.empty()) options.implicitExcludes.push_back(cacheHome);
    if (!dataHome.empty()) options.implicitExcludes.push_back(dataHome + "/Trash");
    options.browsers = {.home = options.home, .configHome = xdgDir(env, "XDG_CONFIG_HOME", options.home, ".config")};
    options.currentDesktop = envOr(env, "XDG_CURRENT_DESKTOP");
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        options.locale = envOr(env, name);
        if (!options.locale.empty()) break;
    }
    if (options.locale == "C" || options.locale == "POSIX" || options.locale.starts_with("C.")) options.locale.clear();
    return options;
}

std::string defaultConfigPath(const Environment& env) {
    const std::string home = envOr(env, "HOME");
    const std::string config = xdgDir(env, "XDG_CONFIG_HOME", home.empty() || home[0] != '/' ? "" : home, ".config");
    return config.empty() ? std::string() : config + "/skimmer/index.conf";
}

std::vector<std::string> loadIndexConfig(const std::string& path, CrawlOptions& options, bool rootsFixed) {
    std::vector<std::string> problems;
    // Looked at before it is opened: a FIFO in its place would block the open until a writer came.
    if (const FileLook look = inspectFile(path); look.shape != FileShape::Regular) {
        if (look.shape == FileShape::Special) problems.push_back(notRegularText(path, look) + "; it is ignored");
        return problems;  // no config file: the defaults stand
    }
    std::ifstream in(path);
    if (!in) return problems;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string_view text = os::trimLine(line);
        if (text.empty() || text.front() == '#') continue;
        const size_t eq = text.find('=');
        const std::string_view key = eq == std::string_view::npos ? text : os::trimLine(text.substr(0, eq));
        const std::string value(eq == std::string_view::npos ? std::string_view() : os::trimLine(text.substr(eq + 1)));
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (key == "root" && !value.empty()) {
            const std::string dir = expandHome(value, options.home);
            if (dir.empty() || dir[0] != '/') problems.push_back(where + "a root must be an absolute folder");
            else if (!rootsFixed) options.roots.push_back(normalizePath(dir));
        } else if (key == "maildir" && !value.empty()) {
            const std::string dir = expandHome(value, options.home);
            if (dir.empty() || dir[0] != '/') problems.push_back(where + "a mail root must be an absolute folder");
            else options.mailRoots.push_back(normalizePath(dir));
        } else if (key == "exclude" && !value.empty()) {
            options.excludes.push_back(value);
        } else if (key == "default-excludes" && (value == "yes" || value == "no")) {
            options.defaultExcludes = value == "yes";
        } else {
            problems.push_back(where + "not understood (expected root = DIR, maildir = DIR, exclude = GLOB or default-excludes = yes|no)");
        }
    }
    if (in.bad()) problems.push_back(path + ": read error");
    return problems;
}

Excluder::Excluder(const CrawlOptions& options) {
    std::vector<std::string> all = options.excludes;
    if (options.defaultExcludes) {
        all.insert(all.end(), kDefaultExcludes.begin(), kDefaultExcludes.end());
        all.insert(all.end(), options.implicitExcludes.begin(), options.implicitExcludes.end());
    }
    for (const std::string& given : all) {
        std::string glob = expandHome(given, options.home);
        if (glob.empty() || (glob.starts_with("~/") && options.home.empty())) continue;
        const bool isPath = glob.find('/') != std::string::npos;
        if (isPath && glob.size() > 1 && glob.back() == '/') glob.pop_back();
        if (hasWildcard(glob)) (isPath ? pathGlobs_ : nameGlobs_).push_back(glob);
        else (isPath ? pathLiterals_ : nameLiterals_).insert(glob);
        if (isPath && !hasWildcard(glob)) pathLiteralNames_.insert(glob.substr(glob.rfind('/') + 1));
    }
}

bool Excluder::excluded(std::string_view path, std::string_view name) const {
    if (nameLiterals_.find(name) != nameLiterals_.end()) return true;
    if (!nameGlobs_.empty()) {
        const std::string n(name);
        for (const std::string& glob : nameGlobs_)
            if (::fnmatch(glob.c_str(), n.c_str(), 0) == 0) return true;
    }
    if (pathLiterals_.find(path) != pathLiterals_.end()) return true;
    if (pathGlobs_.empty()) return false;
    const std::string p(path);
    for (const std::string& glob : pathGlobs_)
        if (::fnmatch(glob.c_str(), p.c_str(), 0) == 0) return true;
    return false;
}

bool Excluder::excludedIn(std::string_view dir, std::string_view name) const {
    if (pathGlobs_.empty() && pathLiteralNames_.find(name) == pathLiteralNames_.end())
        return excluded({}, name);  // no path rule can match: names decide alone
    return excluded(os::joinPath(dir, name), name);
}

std::vector<std::string> configuredMailRoots() {
    const Environment env = [](const char* name) -> const char* { return std::getenv(name); };
    CrawlOptions options = defaultCrawlOptions(env);
    const std::string config = defaultConfigPath(env);
    if (!config.empty()) loadIndexConfig(config, options, true);
    return options.mailRoots;
}

}  // namespace skimmer::index::store
