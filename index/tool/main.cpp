// skimmer-index: builds the desktop index, or refreshes it when a usable one exists, and prints
// its counts. See usageText() (command_line.h) for the command line and exit codes.
#include "index/query/query_command.h"
#include "index/sources/browser_items.h"
#include "index/crawl/crawl_lock.h"
#include "index/crawl/crawl_sources.h"
#include "index/crawl/crawler.h"
#include "index/storage/index_files.h"
#include "index/crawl/rebuild.h"
#include "index/storage/schema.h"
#include "index/tool/command_line.h"
#include "index/tool/progress_line.h"
#include "index/tool/reader_hooks.h"
#include "index/watch/held_index.h"
#include "index/watch/names_builder.h"
#include "index/watch/watch_loop.h"

#include <malloc.h>
#include <sys/ioctl.h>
#include <sys/signalfd.h>
#include <csignal>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace skimmer::index::tool {
namespace {

using query::escapeForTerminal;

constexpr int kExitOk = 0;
constexpr int kExitCrawlFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoIndex = 3;

int64_t steadyMillis() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void say(const std::string& text) {
    if (!text.empty()) std::fprintf(stderr, "skimmer-index: %s\n", escapeForTerminal(text).c_str());
}

store::CrawlOptions crawlOptions(const Args& args) {
    store::CrawlOptions options = store::defaultCrawlOptions([](const char* name) { return std::getenv(name); });
    if (!args.roots.empty()) options.roots = args.roots;
    const std::string config = store::defaultConfigPath([](const char* name) { return std::getenv(name); });
    if (!config.empty())
        for (const std::string& problem : store::loadIndexConfig(config, options, !args.roots.empty()))
            say(problem);
    options.excludes.insert(options.excludes.end(), args.excludes.begin(), args.excludes.end());
    return options;
}

int terminalColumns() {
    struct winsize size {};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 ? size.ws_col : 80;
}

bool damaged(const store::Status& status) {
    const int primary = status.code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// A refresh of the live index; a database found damaged part-way is moved aside and crawled anew
// once.
store::CrawlResult refresh(const Args& args, const store::CrawlOptions& options, store::CrawlHooks& hooks,
                          ProgressLine& line, bool& noIndex) {
    store::CrawlResult result;
    for (int attempt = 0; attempt < 2; ++attempt) {
        store::OpenedIndex index = store::openIndexForWriting(args.db);
        say(index.notice);
        if (!index.db) {
            noIndex = true;
            result.status = index.status;
            return result;
        }
        store::PosixCrawlFs fs;
        result = store::crawl(index.db.get(), options, fs, hooks);
        line.finish();
        if (result.status || !damaged(result.status) || attempt == 1) break;
        index.db.reset();
        std::filesystem::path movedTo;
        if (store::Status moved = store::moveDatabaseAside(args.db, movedTo); !moved) {
            result.status = moved;
            break;
        }
        say("the index is damaged (" + result.status.error + "); it was moved to " + movedTo.string() +
            " and is rebuilt");
    }
    return result;
}

int runCrawl(const Args& args) {
    const store::CrawlOptions options = crawlOptions(args);
    ProgressLine line(stdout, ::isatty(STDOUT_FILENO), terminalColumns(), steadyMillis);
    store::CrawlHooks hooks;
    hooks.progress = [&](const store::CrawlProgress& p) { line.update(p); };
    bool sidecarWritten = true;
    if (!args.storeOnly) hooks.afterCommit = searchStructureHook(sidecarWritten);
    const int64_t started = steadyMillis();
    bool noIndex = false;
    store::CrawlResult result;
    if (args.rebuild) {
        std::string notice;
        store::PosixCrawlFs fs;
        result = store::rebuildIndex(args.db, options, fs, hooks, notice);
        line.finish();
        say(notice);
    } else {
        result = refresh(args, options, hooks, line, noIndex);
    }
    if (!result.status) {
        say(result.status.error);
        return noIndex ? kExitNoIndex : kExitCrawlFailed;
    }
    const store::CrawlStats& s = result.stats;
    for (const std::string& note : s.notes) say(note);
    std::printf("indexed %lld items (%lld folders) in %.1f s; %lld unreadable, %lld skipped\n",
                static_cast<long long>(s.items + s.applications + s.browserItems + s.mail), static_cast<long long>(s.folders),
                static_cast<double>(steadyMillis() - started) / 1000.0, static_cast<long long>(s.unreadable),
                static_cast<long long>(s.skipped + s.vanished));
    return sidecarWritten ? kExitOk : kExitCrawlFailed;
}

// A descriptor that becomes readable when SIGINT, SIGTERM or SIGHUP arrives: the signals are
// blocked and read as data, so no handler runs and the loop stops between batches.
os::UniqueFd stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal);
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return os::UniqueFd();
    return os::UniqueFd(::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
}

// The name sidecar is built by `skimmer-index --names-only` in a child: its buffers (about 100 MB
// at a million entries) are never the watcher's, and batches go on while it runs.
std::vector<std::string> namesChildArgs(const Args& args) {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) self = "skimmer-index";  // found on PATH
    return {self.string(), "--names-only", "--db", args.db.string()};
}

// What the sources of items watch (all of them, or only those whose list may grow), each path
// refreshing its source; a source's paths are one group, refreshed once a batch.
std::vector<watch::ExtraSource> watchedSources(const store::CrawlSources& sources, const store::CrawlOptions& options,
                                               bool growingOnly) {
    std::vector<watch::ExtraSource> extras;
    for (const store::CrawlSource& source : sources) {
        if (growingOnly && !source.source->watchesMore()) continue;
        const auto refresh = [&options, &source](sqlite3* db) { return store::refreshSource(db, options, {}, source).status; };
        for (std::string& path : source.source->watched())
            extras.push_back({.path = std::move(path), .refresh = refresh, .group = std::string(source.source->name())});
    }
    return extras;
}

// --watch: the usual refresh (with its repairs and progress, but not the sidecar: the watcher's
// first build makes it), then the watcher until a signal.

int runWatch(const Args& args) {
    os::UniqueFd stop = stopSignals();
    if (!stop.valid()) {
        say(std::string("cannot take the stop signals: ") + std::strerror(errno));
        return kExitCrawlFailed;
    }
    Args crawlArgs = args;
    crawlArgs.storeOnly = true;
    if (const int refreshed = runCrawl(crawlArgs); refreshed != kExitOk) return refreshed;
    ::malloc_trim(0);  // the first refresh's buffers are not needed again
    const store::CrawlOptions options = crawlOptions(args);
    watch::HeldIndex held(args.db);
    if (store::Status opened = held.open(); !opened) {
        say(opened.error);
        return kExitNoIndex;
    }
    say(held.notice());
    watch::InotifySource source;
    if (int error = 0; !source.open(error)) {
        say(std::string("cannot watch the file system (inotify: ") + std::strerror(error) +
            "); raise fs.inotify.max_user_instances or run skimmer-index from time to time instead");
        return kExitCrawlFailed;
    }
    store::PosixCrawlFs fs;
    watch::ChildNamesBuilder names(namesChildArgs(args), store::indexFilePath(args.db, store::IndexFile::Sidecar));
    watch::WatchContext context{.db = held.db(), .options = &options, .fs = &fs, .source = &source,
                                .rebuildNames = nullptr, .namesBuilder = args.storeOnly ? nullptr : &names,
                                .say = say, .extras = {}, .settings = {}, .held = &held};
    // The applications folders, the browsers' files, the Maildir folders (and those made while it
    // runs): a change brings that source in step.
    const store::CrawlSources sources = store::crawlSources(options);
    context.extras = watchedSources(sources, options, false);
    context.moreExtras = [&sources, &options] { return watchedSources(sources, options, true); };
    watch::Watcher watcher(std::move(context));
    if (store::Status started = watcher.start(steadyMillis(), false); !started) {
        say(started.error);
        return kExitCrawlFailed;
    }
    std::fprintf(stderr, "skimmer-index: watching %zu folders for changes\n", watcher.watched());
    return watch::runWatchLoop(watcher, source, stop.get(), steadyMillis, say) == 0 ? kExitOk : kExitCrawlFailed;
}

// "running" in meta is only true while a crawler holds the lock: a killed crawl leaves it behind.
std::string crawlState(sqlite3* db, const std::filesystem::path& file) {
    const std::string stored = store::readMetaText(db, store::kMetaCrawlState).value_or("unknown");
    if (stored != "running") return stored;
    switch (store::probeCrawlLock(file)) {
        case store::LockProbe::Held: return "running";
        case store::LockProbe::Free: return "interrupted (the last crawl ended without finishing; run skimmer-index)";
        case store::LockProbe::Unknown: break;
    }
    return "running (unconfirmed: the lock file cannot be checked)";
}

// The database opened read-only after its files were looked at: SQLite would block opening a
// FIFO, and a folder in place of the WAL or shared memory makes it fail obscurely.
store::Db openForStats(const std::filesystem::path& file, std::string& why) {
    for (store::IndexFile which : {store::IndexFile::Database, store::IndexFile::Wal, store::IndexFile::Shm}) {
        const std::filesystem::path path = store::indexFilePath(file, which);
        const store::FileLook look = store::inspectFile(path);
        if (look.shape == store::FileShape::Special) {
            why = store::notRegularText(path, look) + "; running skimmer-index moves it aside and rebuilds the index";
            return nullptr;
        }
        if (which == store::IndexFile::Database && look.shape == store::FileShape::Absent) {
            why = "there is none; build it with skimmer-index";
            return nullptr;
        }
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    store::Db db(raw);
    if (rc != SQLITE_OK) {
        why = db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc);
        return nullptr;
    }
    if (store::checkSchema(db.get(), why) != store::SchemaState::Current) return nullptr;
    return db;
}

// The files --stats does not need can still be wrong; it says so, as the one command that
// diagnoses the index.
void reportOtherSpecialFiles(const std::filesystem::path& file) {
    for (store::IndexFile which : {store::IndexFile::Sidecar, store::IndexFile::Lock}) {
        const std::filesystem::path path = store::indexFilePath(file, which);
        if (const store::FileLook look = store::inspectFile(path); look.shape == store::FileShape::Special)
            say(store::notRegularText(path, look) + "; running skimmer-index moves it aside");
    }
}

int runStats(const Args& args) {
    std::string why;
    store::Db db = openForStats(args.db, why);
    if (!db) {
        say("no usable index at " + args.db.string() + (why.empty() ? "" : ": ") + why);
        return kExitNoIndex;
    }
    reportOtherSpecialFiles(args.db);
    sqlite3_busy_timeout(db.get(), 2000);
    const auto count = [&](const char* sql) {
        return static_cast<long long>(store::queryInt(db.get(), sql).value_or(0));
    };
    const auto meta = [&](const char* key) {
        return static_cast<long long>(store::readMetaInt(db.get(), key).value_or(0));
    };
    const std::string version =
        store::readMetaText(db.get(), store::kMetaIndexerVersion).value_or(store::kIndexerVersion);
    std::printf("indexer version: %s\n", escapeForTerminal(version).c_str());
    std::printf("index: %s\n", escapeForTerminal(args.db.string()).c_str());
    std::printf("items: %lld\n", meta(store::kMetaItemCount));
    std::printf("folders crawled: %lld\n", count("SELECT count(*) FROM dirs"));
    std::printf("items from applications folders: %lld\n", count("SELECT count(*) FROM items WHERE dir > 0 AND ext = 'desktop'"));
    std::printf("bookmarks and history pages: %lld\n", static_cast<long long>(store::countBrowserItems(db.get())));
    std::printf("mail items: %lld\n", count("SELECT count(*) FROM mail"));
    std::printf("items waiting to be indexed: %lld\n", meta(store::kMetaItemsPending));
    std::printf("folders waiting to be indexed: %lld\n", meta(store::kMetaFoldersPending));
    std::printf("crawl state: %s\n", escapeForTerminal(crawlState(db.get(), args.db)).c_str());
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
        say(*error);
        std::fputs(usageText().c_str(), stderr);
        return kExitUsage;
    }
    if (args.help || args.version) {
        std::fputs((args.help ? usageText() : versionText()).c_str(), stdout);
        return kExitOk;
    }
    if (args.db.empty()) args.db = store::defaultIndexPath();
    if (args.db.empty()) {
        say("set HOME or XDG_CACHE_HOME (an absolute folder), or give --db");
        return kExitUsage;
    }
    if (args.stats) return runStats(args);
    if (args.query) return runQuery(*args.query, args.db, stdout, stderr);  // the reader side's (reader_hooks.cpp)
    if (args.namesOnly) return runBuildNames(args.db, stdout, stderr);
    if (args.watch) return runWatch(args);
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
