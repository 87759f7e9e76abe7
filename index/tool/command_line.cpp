#include "index/tool/command_line.h"

#include "index/crawl/crawl_options.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace skimmer::index::tool {

const char* const kUsage =
    "usage: skimmer-index [--root DIR]... [--exclude GLOB]... [--db FILE] [--rebuild | --watch]\n"
    "       skimmer-index --stats [--db FILE]\n"
    "       skimmer-index --query TEXT [--kind WORD] [--limit N] [-0] [--db FILE]\n"
    "\n"
    "Builds the desktop index, or refreshes it when a usable one exists.\n"
    "  --root DIR      crawl DIR (repeatable); without it: $HOME and the XDG applications folders\n"
    "                  plus the roots of the config file\n"
    "  --exclude GLOB  leave out entries whose name (GLOB without '/') or path (GLOB with '/')\n"
    "                  matches (repeatable); added to the defaults and the config file's\n"
    "  --db FILE       the index file (default $XDG_CACHE_HOME/skimmer/index.sqlite)\n"
    "  --rebuild       build a new index beside the live one, then put it in place at once\n"
    "                  (searches meanwhile see the old index, afterwards the new one)\n"
    "  --watch         refresh, then keep the index current until stopped (SIGTERM, SIGINT):\n"
    "                  changed folders are refreshed within about a second\n"
    "  --store-only    update the database but not the reader side's search structure\n"
    "                  (for measurements; searches fall back to the slower plain database)\n"
    "  --names-only    rebuild only the search structure beside the index and print the\n"
    "                  generation it carries (--watch runs this in a child process)\n"
    "  --stats         print the indexer version and the index's counts\n"
    "  --query TEXT    print one hit per line (path or URL); --kind WORD restricts to a kind,\n"
    "                  --limit N stops after N hits, -0 ends each hit with NUL instead of newline\n"
    "  --help          this text\n"
    "Each option is given at most once (--root and --exclude may repeat). --stats, --names-only\n"
    "and --query take only --db (and --query its own options); crawl options with them are refused, as are\n"
    "a --root that is not a folder, an empty --root, --exclude, --db or --kind, and a --limit\n"
    "that is not a whole number.\n"
    "Config file: $XDG_CONFIG_HOME/skimmer/index.conf with lines 'root = DIR', 'exclude = GLOB',\n"
    "'default-excludes = yes|no' and '#' comments.\n"
    "Exit codes: 0 done (unreadable folders are counted, not fatal); 1 the crawl failed, or the\n"
    "name index beside it could not be written (the index keeps what was committed); 2 bad\n"
    "command line; 3 the index cannot be opened. --query: 0 hits printed, 1 none, 3 no index.\n";

namespace {

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return store::normalizePath(path);
    std::string cwd(4096, '\0');
    if (::getcwd(cwd.data(), cwd.size()) == nullptr) return {};
    return store::normalizePath(std::string(cwd.c_str()) + "/" + path);
}

// Stores a value option that may be given once; an error text when it is repeated.
std::optional<std::string> once(std::optional<std::string>& slot, const std::string& option, const char* value) {
    if (slot) return option + " is given twice";
    slot = value;
    return std::nullopt;
}

// Reads one option (and its value) at argv[i]; an error text when it is unknown or incomplete.
std::optional<std::string> parseOption(int argc, char** argv, int& i, Args& args, std::optional<std::string>& db,
                                       std::optional<std::string>& query) {
    const std::string arg = argv[i];
    const bool takesValue = arg == "--root" || arg == "--exclude" || arg == "--db" || arg == "--query" ||
                            arg == "--kind" || arg == "--limit";
    if (takesValue && i + 1 >= argc) return arg + " needs a value";
    const char* v = takesValue ? argv[++i] : nullptr;
    if (arg == "--help" || arg == "-h") args.help = true;
    else if (arg == "--rebuild") args.rebuild = true;
    else if (arg == "--store-only") args.storeOnly = true;
    else if (arg == "--watch") args.watch = true;
    else if (arg == "--stats") args.stats = true;
    else if (arg == "--names-only") args.namesOnly = true;
    else if (arg == "-0") args.nul = true;
    else if (arg == "--root") args.roots.push_back(v);
    else if (arg == "--exclude") args.excludes.push_back(v);
    else if (arg == "--db") return once(db, arg, v);
    else if (arg == "--query") return once(query, arg, v);
    else if (arg == "--kind") return once(args.kind, arg, v);
    else if (arg == "--limit") return once(args.limit, arg, v);
    else return "unknown option '" + arg + "'";
    return std::nullopt;
}

// Which of the three modes the options ask for, refusing a mix: each mode takes only its own
// options (and --db), so nothing given is ever dropped silently.
std::optional<std::string> checkModes(const Args& args) {
    const bool crawlOptions =
        !args.roots.empty() || !args.excludes.empty() || args.rebuild || args.storeOnly || args.watch;
    const bool queryOptions = args.kind || args.limit || args.nul;
    if (args.stats && args.query) return "--stats and --query cannot be combined";
    if (args.namesOnly && (args.stats || args.query)) return "--names-only cannot be combined with --stats or --query";
    if ((args.stats || args.query || args.namesOnly) && crawlOptions)
        return std::string(args.stats ? "--stats" : args.query ? "--query" : "--names-only") +
               " cannot be combined with --root, --exclude, --rebuild, --store-only or --watch";
    if (args.watch && args.rebuild) return "--watch and --rebuild cannot be combined (run --rebuild first)";
    if (!args.query && queryOptions) return "--kind, --limit and -0 go with --query";
    return std::nullopt;
}

std::optional<std::string> parseLimit(const std::string& text, long& limit) {
    errno = 0;
    char* end = nullptr;
    limit = std::strtol(text.c_str(), &end, 10);
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || *end != '\0' || errno == ERANGE)
        return "--limit needs a whole number of hits, not '" + text + "'";
    return std::nullopt;
}

// Every --root must name an existing folder: a typo would otherwise crawl nothing and succeed.
std::optional<std::string> resolveRoots(std::vector<std::string>& roots) {
    for (std::string& root : roots) {
        if (root.empty()) return "--root needs a folder, not an empty text";
        const std::string given = root;
        if ((root = absolute(root)).empty()) return "cannot resolve --root " + given;
        std::error_code error;
        if (!std::filesystem::is_directory(root, error)) return "--root " + given + " is not a folder";
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> parseArgs(int argc, char** argv, Args& args) {
    std::optional<std::string> db, query;
    for (int i = 1; i < argc; ++i)
        if (auto error = parseOption(argc, argv, i, args, db, query)) return error;
    if (db && db->empty()) return "--db needs a file, not an empty text";
    if (db) args.db = *db;
    if (query) args.query = QueryRequest{*query};
    if (auto error = checkModes(args)) return error;
    if (args.kind && args.kind->empty()) return "--kind needs a kind word, not an empty text";
    for (const std::string& exclude : args.excludes)
        if (exclude.empty()) return "--exclude needs a pattern, not an empty text";
    if (args.query) {
        args.query->kind = args.kind.value_or("");
        args.query->nulTerminated = args.nul;
        if (args.limit)
            if (auto error = parseLimit(*args.limit, args.query->limit)) return error;
    }
    return resolveRoots(args.roots);
}

}  // namespace skimmer::index::tool
