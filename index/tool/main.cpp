// skimmer-index: builds the desktop index, or refreshes it when a usable one exists, and prints
// its counts. See usage() for the command line and exit codes.
#include "index/store/crawler.h"
#include "index/store/schema.h"
#include "index/tool/progress_line.h"
#include "index/tool/reader_hooks.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace skimmer::index::tool {
namespace {

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
    "  --rebuild       start from an empty index\n"
    "  --store-only    update the database but not the reader side's search structure\n"
    "                  (for measurements; searches fall back to the slower plain database)\n"
    "  --stats         print the indexer version and the index's counts\n"
    "  --query TEXT    print one hit per line (path or URL); --kind WORD restricts to a kind,\n"
    "                  --limit N stops after N hits, -0 ends each hit with NUL instead of newline\n"
    "  --help          this text\n"
    "Config file: $XDG_CONFIG_HOME/skimmer/index.conf with lines 'root = DIR', 'exclude = GLOB',\n"
    "'default-excludes = yes|no' and '#' comments.\n"
    "Exit codes: 0 done (unreadable folders are counted, not fatal); 1 the crawl failed (the\n"
    "index keeps what was committed); 2 bad command line; 3 the index cannot be opened.\n";

struct Args {
    std::vector<std::string> roots, excludes;
    std::filesystem::path db;
    bool rebuild = false, stats = false, help = false, storeOnly = false;
    std::optional<QueryRequest> query;
    std::string kind, limit;
    bool nul = false;
};

int64_t steadyMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return store::normalizePath(path);
    std::string cwd(4096, '\0');
    if (::getcwd(cwd.data(), cwd.size()) == nullptr) return {};
    return store::normalizePath(std::string(cwd.c_str()) + "/" + path);
}

// Parses argv into `args`; an error text on failure.
std::optional<std::string> parseArgs(int argc, char** argv, Args& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (arg == "--help" || arg == "-h") args.help = true;
        else if (arg == "--rebuild") args.rebuild = true;
        else if (arg == "--store-only") args.storeOnly = true;
        else if (arg == "--stats") args.stats = true;
        else if (arg == "-0") args.nul = true;
        else if ((arg == "--root") && (v = value())) args.roots.push_back(v);
        else if ((arg == "--exclude") && (v = value())) args.excludes.push_back(v);
        else if ((arg == "--db") && (v = value())) args.db = v;
        else if ((arg == "--query") && (v = value())) args.query = QueryRequest{v};
        else if ((arg == "--kind") && (v = value())) args.kind = v;
        else if ((arg == "--limit") && (v = value())) args.limit = v;
        else return "unknown or incomplete option '" + arg + "'";
    }
    if (args.query) {
        args.query->kind = args.kind;
        args.query->nulTerminated = args.nul;
        if (!args.limit.empty()) {
            char* end = nullptr;
            args.query->limit = std::strtol(args.limit.c_str(), &end, 10);
            if (*end != '\0' || args.query->limit < 0) return "--limit needs a number";
        }
    } else if (!args.kind.empty() || !args.limit.empty() || args.nul) {
        return "--kind, --limit and -0 go with --query";
    }
    for (std::string& root : args.roots)
        if ((root = absolute(root)).empty()) return "cannot resolve a --root";
    return std::nullopt;
}

store::CrawlOptions crawlOptions(const Args& args) {
    store::CrawlOptions options = store::defaultCrawlOptions([](const char* name) { return std::getenv(name); });
    if (!args.roots.empty()) options.roots = args.roots;
    const std::string config = store::defaultConfigPath([](const char* name) { return std::getenv(name); });
    if (!config.empty())
        for (const std::string& problem : store::loadIndexConfig(config, options, !args.roots.empty()))
            std::fprintf(stderr, "skimmer-index: %s\n", problem.c_str());
    options.excludes.insert(options.excludes.end(), args.excludes.begin(), args.excludes.end());
    return options;
}

int terminalColumns() {
    struct winsize size {};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 80;
}

void removeIndexFiles(const std::filesystem::path& db) {
    std::error_code ignored;  // absent files are the goal
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(db.string() + suffix, ignored);
}

bool damaged(const store::Status& status) {
    const int primary = status.code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

int runCrawl(const Args& args) {
    if (args.rebuild) removeIndexFiles(args.db);
    const store::CrawlOptions options = crawlOptions(args);
    ProgressLine line(stdout, ::isatty(STDOUT_FILENO), terminalColumns(), steadyMillis);
    store::CrawlHooks hooks;
    hooks.progress = [&](const store::CrawlProgress& p) { line.update(p); };
    if (!args.storeOnly) hooks.afterCommit = searchStructureHook();
    const int64_t started = steadyMillis();
    store::CrawlResult result;
    for (int attempt = 0; attempt < 2; ++attempt) {
        store::OpenedIndex index = store::openIndexForWriting(args.db);
        if (!index.notice.empty()) std::fprintf(stderr, "skimmer-index: %s\n", index.notice.c_str());
        if (!index.db) {
            std::fprintf(stderr, "skimmer-index: %s\n", index.status.error.c_str());
            return kExitNoIndex;
        }
        store::PosixCrawlFs fs;
        result = store::crawl(index.db.get(), options, fs, hooks);
        line.finish();
        if (result.status || !damaged(result.status) || attempt == 1) break;
        std::fprintf(stderr, "skimmer-index: the index is damaged (%s); rebuilding it\n", result.status.error.c_str());
        index.db.reset();
        std::error_code error;
        std::filesystem::rename(args.db, args.db.string() + ".damaged", error);
        if (error) {
            std::fprintf(stderr, "skimmer-index: cannot move %s aside: %s\n", args.db.c_str(), error.message().c_str());
            return kExitCrawlFailed;
        }
        removeIndexFiles(args.db);
    }
    if (!result.status) {
        std::fprintf(stderr, "skimmer-index: %s\n", result.status.error.c_str());
        return kExitCrawlFailed;
    }
    const store::CrawlStats& s = result.stats;
    std::printf("indexed %lld items (%lld folders) in %.1f s; %lld unreadable, %lld skipped\n",
                static_cast<long long>(s.items + s.applications), static_cast<long long>(s.folders),
                static_cast<double>(steadyMillis() - started) / 1000.0, static_cast<long long>(s.unreadable),
                static_cast<long long>(s.skipped + s.vanished));
    return kExitOk;
}

int runStats(const Args& args) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(args.db.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    store::Db db(raw);
    std::string why;
    if (rc != SQLITE_OK || store::checkSchema(db.get(), why) != store::SchemaState::Current) {
        std::fprintf(stderr, "skimmer-index: no usable index at %s%s%s\n", args.db.c_str(), why.empty() ? "" : ": ",
                     why.c_str());
        return kExitNoIndex;
    }
    sqlite3_busy_timeout(db.get(), 2000);
    const auto count = [&](const char* sql) { return static_cast<long long>(store::queryInt(db.get(), sql).value_or(0)); };
    const auto meta = [&](const char* key) { return static_cast<long long>(store::readMetaInt(db.get(), key).value_or(0)); };
    std::printf("indexer version: %s\n", store::readMetaText(db.get(), store::kMetaIndexerVersion).value_or(store::kIndexerVersion).c_str());
    std::printf("index: %s\n", args.db.c_str());
    std::printf("items: %lld\n", meta(store::kMetaItemCount));
    std::printf("folders crawled: %lld\n", count("SELECT count(*) FROM dirs"));
    std::printf("items from applications folders: %lld\n", count("SELECT count(*) FROM items"));
    std::printf("items waiting to be indexed: %lld\n", meta(store::kMetaItemsPending));
    std::printf("folders waiting to be indexed: %lld\n", meta(store::kMetaFoldersPending));
    std::printf("crawl state: %s\n", store::readMetaText(db.get(), store::kMetaCrawlState).value_or("unknown").c_str());
    const std::time_t finished = static_cast<std::time_t>(meta(store::kMetaCrawlFinished));
    char when[64] = "never";
    if (finished > 0) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&finished));
    std::printf("last crawl finished: %s\n", when);
    std::printf("generation: %lld\n", meta(store::kMetaGeneration));
    return kExitOk;
}

int run(int argc, char** argv) {
    Args args;
    if (const auto error = parseArgs(argc, argv, args)) {
        std::fprintf(stderr, "skimmer-index: %s\n%s", error->c_str(), kUsage);
        return kExitUsage;
    }
    if (args.help) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (args.db.empty()) args.db = store::defaultIndexPath();
    if (args.db.empty()) {
        std::fputs("skimmer-index: set HOME or XDG_CACHE_HOME (an absolute folder), or give --db\n", stderr);
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
        std::fprintf(stderr, "skimmer-index: %s\n", e.what());
        return 1;
    }
}
