#include "index/tool/command_line.h"

#include "index/crawl/crawl_options.h"
#include "index/storage/kinds.h"
#include "skimmer_version.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace skimmer::index::tool {

std::vector<std::string> kindWords() {
    // The canonical kind names (store::kindName) and the two words query::kindFilterFor takes
    // besides them; tests/dist checks that the query language accepts each. --kind leaves folders
    // out, as the engine's kind filter does, so "folder" would find nothing (kind:folder in the
    // query text finds folders).
    std::vector<std::string> words{"file", "mail"};
    for (int code = 0; code < store::kKindCount; ++code)
        if (static_cast<store::Kind>(code) != store::Kind::Folder) words.emplace_back(store::kindName(code));
    return words;
}

std::string usageText() {
    return "usage: skimmer-index [--root DIR]... [--exclude GLOB]... [--db FILE] [--rebuild | --watch]\n"
           "       skimmer-index --stats [--db FILE]\n"
           "       skimmer-index --query TEXT [--kind WORD] [--limit N] [-0] [--db FILE]\n"
           "\n"
           "Builds the desktop index, or refreshes it when a usable one exists.\n" +
           os::helpLines(kOptions) +
           "Each option is given at most once (--root and --exclude may repeat); --OPTION=VALUE is the same\n"
           "as --OPTION VALUE. --stats, --names-only and --query take only --db (and --query its own\n"
           "options); crawl options with them are refused, as are a --root that is not a folder, an\n"
           "empty --root, --exclude, --db or --kind, and a --limit that is not a whole number.\n"
           "Output of --query: the hits in order (names beginning with the first word first, then the\n"
           "most recently modified first). Without -0 a name with a control character, a backslash or\n"
           "bytes that are not UTF-8 is shown escaped (\\xHH, \\\\); scripts should use -0.\n"
           "Config file: $XDG_CONFIG_HOME/skimmer/index.conf with lines 'root = DIR', 'maildir = DIR',\n"
           "'exclude = GLOB', 'default-excludes = yes|no' and '#' comments.\n"
           "Exit codes: 0 done (unreadable folders are counted, not fatal); 1 the crawl failed, or the\n"
           "name index beside it could not be written (the index keeps what was committed); 2 bad\n"
           "command line; 3 the index cannot be opened. --query: 0 hits printed, 1 none, 3 no index.\n";
}

std::string versionText() { return std::string("skimmer-index ") + kVersion + "\n"; }

namespace {

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return store::normalizePath(path);
    std::string cwd(4096, '\0');
    if (::getcwd(cwd.data(), cwd.size()) == nullptr) return {};
    return store::normalizePath(std::string(cwd.c_str()) + "/" + path);
}

// Stores a value option that may be given once; an error text when it is repeated.
std::optional<std::string> once(std::optional<std::string>& slot, const std::string& option, const std::string& value) {
    if (slot) return option + " is given twice";
    slot = value;
    return std::nullopt;
}

// Sets what `option` asks for; a value option that may be given once refuses a second one. An
// option of the table that has no meaning here yet is refused, never ignored.
std::optional<std::string> apply(const os::ProgramOption& option, std::string&& value, Args& args,
                                 std::optional<std::string>& db, std::optional<std::string>& query) {
    const std::string name(option.name);
    if (name == "--help") args.help = true;
    else if (name == "--version") args.version = true;
    else if (name == "--rebuild") args.rebuild = true;
    else if (name == "--store-only") args.storeOnly = true;
    else if (name == "--watch") args.watch = true;
    else if (name == "--stats") args.stats = true;
    else if (name == "--names-only") args.namesOnly = true;
    else if (name == "--null") args.nul = true;
    else if (name == "--root") args.roots.push_back(std::move(value));
    else if (name == "--exclude") args.excludes.push_back(std::move(value));
    else if (name == "--db") return once(db, name, value);
    else if (name == "--query") return once(query, name, value);
    else if (name == "--kind") return once(args.kind, name, value);
    else if (name == "--limit") return once(args.limit, name, value);
    else return name + " is not handled";
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
    const std::vector<std::string> words(argv + 1, argv + argc);
    for (size_t i = 0; i < words.size();) {
        os::OptionMatch match = os::matchOption(kOptions, words, i);
        if (!match.option) return match.error;
        if (auto error = apply(*match.option, std::move(match.value), args, db, query)) return error;
    }
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
