// skimmer-index: builds the desktop index, or refreshes it when a usable one exists, and prints
// its counts. See usage() for the command line and exit codes.
#include "index/query/query_command.h"
#include "index/store/crawl_lock.h"
#include "index/store/crawler.h"
#include "index/store/index_files.h"
#include "index/store/rebuild.h"
#include "index/store/schema.h"
#include "index/tool/progress_line.h"
#include "index/tool/reader_hooks.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace skimmer::index::tool {
namespace {

using query::escapeForTerminal;

constexpr int kExitOk = 0;
constexpr int kExitCrawlFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoIndex = 3;

const char* const kUsage =
    "usage: skimmer-index [--root DIR]... [--exclude GLOB]... [--db FILE] [--rebuild]\n"
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
    "  --store-only    update the database but not the reader side's search structure\n"
    "                  (for measurements; searches fall back to the slower plain database)\n"
    "  --stats         print the indexer version and the index's counts\n"
    "  --query TEXT    print one hit per line (path or URL); --kind WORD restricts to a kind,\n"
    "                  --limit N stops after N hits, -0 ends each hit with NUL instead of newline\n"
    "  --help          this text\n"
    "Each option is given at most once (--root and --exclude may repeat). --stats and --query\n"
    "take only --db (and --query its own options); crawl options with them are refused, as are\n"
    "an empty or missing --root folder, an empty --db and a --limit that is not a whole number.\n"
    "Config file: $XDG_CONFIG_HOME/skimmer/index.conf with lines 'root = DIR', 'exclude = GLOB',\n"
    "'default-excludes = yes|no' and '#' comments.\n"
    "Exit codes: 0 done (unreadable folders are counted, not fatal); 1 the crawl failed, or the\n"
    "name index beside it could not be written (the index keeps what was committed); 2 bad\n"
    "command line; 3 the index cannot be opened. --query: 0 hits printed, 1 none, 3 no index.\n";

struct Args {
    std::vector<std::string> roots, excludes;
    std::filesystem::path db;
    bool rebuild = false, stats = false, help = false, storeOnly = false;
    std::optional<QueryRequest> query;
    std::optional<std::string> kind, limit;
    bool nul = false;
};

int64_t steadyMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return normalizePath(path);
    std::string cwd(4096, '\0');
    if (::getcwd(cwd.data(), cwd.size()) == nullptr) return {};
    return normalizePath(std::string(cwd.c_str()) + "/" + path);
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
    else if (arg == "--stats") args.stats = true;
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
    const bool crawlOptions = !args.roots.empty() || !args.excludes.empty() || args.rebuild || args.storeOnly;
    const bool queryOptions = args.kind || args.limit || args.nul;
    if (args.stats && args.query) return "--stats and --query cannot be combined";
    if ((args.stats || args.query) && crawlOptions)
        return std::string(args.stats ? "--stats" : "--query") +
               " cannot be combined with --root, --exclude, --rebuild or --store-only";
    if (!args.query && queryOptions) return "--kind, --limit and -0 go with --query";
    return std::nullopt;
}

std::optional<std::string> parseLimit(const std::string& text, long& limit) {
    errno = 0;
    char* end = nullptr;
    limit = std::strtol(text.c_str(), &end, 10);
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || *end != '\0' || errno == ERANGE) return "--limit needs a whole number of hits, not '" + text + "'";
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

// Parses argv into `args`; an error text on failure.
std::optional<std::string> parseArgs(int argc, char** argv, Args& args) {
    std::optional<std::string> db, query;
    for (int i = 1; i < argc; ++i)
        if (auto error = parseOption(argc, argv, i, args, db, query)) return error;
    if (db && db->empty()) return "--db needs a file, not an empty text";
    if (db) args.db = *db;
    if (query) args.query = QueryRequest{*query};
    if (auto error = checkModes(args)) return error;
    if (args.kind && args.kind->empty()) return "--kind needs a kind word, not an empty text";
    if (args.query) {
        args.query->kind = args.kind.value_or("");
        args.query->nulTerminated = args.nul;
        if (args.limit)
            if (auto error = parseLimit(*args.limit, args.query->limit)) return error;
    }
    return resolveRoots(args.roots);
}

void say(const std::string& text) {
    if (!text.empty()) std::fprintf(stderr, "skimmer-index: %s\n", escapeForTerminal(text).c_str());
}

CrawlOptions crawlOptions(const Args& args) {
    CrawlOptions options = defaultCrawlOptions([](const char* name) { return std::getenv(name); });
    if (!args.roots.empty()) options.roots = args.roots;
    const std::string config = defaultConfigPath([](const char* name) { return std::getenv(name); });
    if (!config.empty())
        for (const std::string& problem : loadIndexConfig(config, options, !args.roots.empty()))
            say(problem);
    options.excludes.insert(options.excludes.end(), args.excludes.begin(), args.excludes.end());
    return options;
}

int terminalColumns() {
    struct winsize size {};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 80;
}

bool damaged(const Status& status) {
    const int primary = status.code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}


// A refresh of the live index; a database found damaged part-way is moved aside and crawled anew
// once.
CrawlResult refresh(const Args& args, const CrawlOptions& options, CrawlHooks& hooks, bool& noIndex) {
    CrawlResult result;
    for (int attempt = 0; attempt < 2; ++attempt) {
        OpenedIndex index = openIndexForWriting(args.db);
        say(index.notice);
        if (!index.db) {
            noIndex = true;
            result.status = index.status;
            return result;
        }
        PosixCrawlFs fs;
        result = crawl(index.db.get(), options, fs, hooks);
        if (result.status || !damaged(result.status) || attempt == 1) break;
        index.db.reset();
        std::filesystem::path movedTo;
        if (Status moved = moveDatabaseAside(args.db, movedTo); !moved) {
            result.status = moved;
            break;
        }
        say("the index is damaged (" + result.status.error + "); it was moved to " + movedTo.string() +
            " and is rebuilt");
    }
    return result;
}

int runCrawl(const Args& args) {
    const CrawlOptions options = crawlOptions(args);
    ProgressLine line(stdout, ::isatty(STDOUT_FILENO), terminalColumns(), steadyMillis);
    CrawlHooks hooks;
    hooks.progress = [&](const CrawlProgress& p) { line.update(p); };
    bool sidecarWritten = true;
    if (!args.storeOnly) hooks.afterCommit = searchStructureHook(sidecarWritten);
    const int64_t started = steadyMillis();
    bool noIndex = false;
    CrawlResult result;
    if (args.rebuild) {
        std::string notice;
        PosixCrawlFs fs;
        result = rebuildIndex(args.db, options, fs, hooks, notice);
        line.finish();
        say(notice);
    } else {
        result = refresh(args, options, hooks, noIndex);
        line.finish();
    }
    if (!result.status) {
        say(result.status.error);
        return noIndex ? kExitNoIndex : kExitCrawlFailed;
    }
    const CrawlStats& s = result.stats;
    std::printf("indexed %lld items (%lld folders) in %.1f s; %lld unreadable, %lld skipped\n",
                static_cast<long long>(s.items + s.applications), static_cast<long long>(s.folders),
                static_cast<double>(steadyMillis() - started) / 1000.0, static_cast<long long>(s.unreadable),
                static_cast<long long>(s.skipped + s.vanished));
    return sidecarWritten ? kExitOk : kExitCrawlFailed;
}

// "running" in meta is only true while a crawler holds the lock: a killed crawl leaves it behind.
std::string crawlState(sqlite3* db, const std::filesystem::path& file) {
    const std::string stored = readMetaText(db, kMetaCrawlState).value_or("unknown");
    if (stored != "running") return stored;
    switch (probeCrawlLock(file)) {
        case LockProbe::Held: return "running";
        case LockProbe::Free: return "interrupted (the last crawl ended without finishing; run skimmer-index)";
        case LockProbe::Unknown: break;
    }
    return "running (unconfirmed: the lock file cannot be checked)";
}

// The database opened read-only after its files were looked at: SQLite would block opening a
// FIFO, and a folder in place of the WAL or shared memory makes it fail obscurely.
Db openForStats(const std::filesystem::path& file, std::string& why) {
    for (IndexFile which : {IndexFile::Database, IndexFile::Wal, IndexFile::Shm}) {
        const std::filesystem::path path = indexFilePath(file, which);
        const FileLook look = inspectFile(path);
        if (look.shape == FileShape::Special) {
            why = notRegularText(path, look) + "; running skimmer-index moves it aside and rebuilds the index";
            return nullptr;
        }
        if (which == IndexFile::Database && look.shape == FileShape::Absent) {
            why = "there is none; build it with skimmer-index";
            return nullptr;
        }
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        why = db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc);
        return nullptr;
    }
    if (checkSchema(db.get(), why) != SchemaState::Current) return nullptr;
    return db;
}

// The files --stats does not need can still be wrong; it says so, as the one command that
// diagnoses the index.
void reportOtherSpecialFiles(const std::filesystem::path& file) {
    for (IndexFile which : {IndexFile::Sidecar, IndexFile::Lock, IndexFile::Damaged}) {
        const std::filesystem::path path = indexFilePath(file, which);
        if (const FileLook look = inspectFile(path); look.shape == FileShape::Special)
            say(notRegularText(path, look) + "; running skimmer-index moves it aside");
    }
}

int runStats(const Args& args) {
    std::string why;
    Db db = openForStats(args.db, why);
    if (!db) {
        say("no usable index at " + args.db.string() + (why.empty() ? "" : ": ") + why);
        return kExitNoIndex;
    }
    reportOtherSpecialFiles(args.db);
    sqlite3_busy_timeout(db.get(), 2000);
    const auto count = [&](const char* sql) { return static_cast<long long>(queryInt(db.get(), sql).value_or(0)); };
    const auto meta = [&](const char* key) { return static_cast<long long>(readMetaInt(db.get(), key).value_or(0)); };
    const std::string version = readMetaText(db.get(), kMetaIndexerVersion).value_or(kIndexerVersion);
    std::printf("indexer version: %s\n", escapeForTerminal(version).c_str());
    std::printf("index: %s\n", escapeForTerminal(args.db.string()).c_str());
    std::printf("items: %lld\n", meta(kMetaItemCount));
    std::printf("folders crawled: %lld\n", count("SELECT count(*) FROM dirs"));
    std::printf("items from applications folders: %lld\n", count("SELECT count(*) FROM items"));
    std::printf("items waiting to be indexed: %lld\n", meta(kMetaItemsPending));
    std::printf("folders waiting to be indexed: %lld\n", meta(kMetaFoldersPending));
    std::printf("crawl state: %s\n", escapeForTerminal(crawlState(db.get(), args.db)).c_str());
    const std::time_t finished = static_cast<std::time_t>(meta(kMetaCrawlFinished));
    char when[64] = "never";
    if (finished > 0) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&finished));
    std::printf("last crawl finished: %s\n", when);
    std::printf("generation: %lld\n", meta(kMetaGeneration));
    return kExitOk;
}

int run(int argc, char** argv) {
    Args args;
    if (const auto error = parseArgs(argc, argv, args)) {
        say(*error);
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (args.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (args.db.empty()) args.db = defaultIndexPath();
    if (args.db.empty()) {
        say("set HOME or XDG_CACHE_HOME (an absolute folder), or give --db");
        return kExitUsage;
    }
    if (args.stats) return runStats(args);
    if (args.query) return runQuery(*args.query, args.db, stdout, stderr);  // the reader side's (reader_hooks.cpp)
    return runCrawl(args);
}

}  // namespace
}  // namespace skimmer::index::tool

int main(int argc, char** argv) {
    try {
        return skimmer::index::tool::run(argc, argv);
    } catch (const std::exception& e) {  // e.g. out of memory: report, never abort with a trace
        std::fprintf(stderr, "skimmer-index: the run stopped: %s\n", e.what());
        return 1;
    }
}
