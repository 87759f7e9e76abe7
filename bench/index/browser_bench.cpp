// Bookmarks and history into the index: 100,000 generated history entries (50,000 in a Firefox
// places.sqlite, 50,000 in a Chromium History, both with the real tables' columns) plus 2,000
// bookmarks, in a private home. Timed: a first crawl that indexes them all into a fresh index, a
// refresh after one page's title changed (both databases re-read, one row written), and a refresh
// with nothing changed. The anchor, measured in the same run, is reading the same rows straight
// out of the two databases with SQLite and nothing else. Run with --benchmark_repetitions=N and
// compare medians.
#include "index/sources/browser_readers.h"
#include "index/crawl/crawler.h"
#include "index/storage/schema.h"
#include "os/temp_dir.h"
#include "tests/index/sources/browser_fixtures.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

namespace {

using namespace skimmer::index::store;
using skimmer::index::store::test::FakePage;

constexpr int kHistoryPerBrowser = 50000;
constexpr int kBookmarksPerBrowser = 1000;

std::vector<FakePage> pages(const std::string& site, int count, int64_t firstTime) {
    std::vector<FakePage> out;
    out.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        out.push_back({.url = "https://" + site + std::to_string(i % 700) + ".example.com/articles/" + std::to_string(i) +
                              "?ref=feed&utm_source=bench",
                       .title = "Article " + std::to_string(i) + " on " + site + " about search engines and terminals",
                       .time = firstTime + i});
    return out;
}

class Home {
public:
    Home() {
        std::string error;
        dir_ = skimmer::os::TempDir::create("skimmer-browser-bench", std::to_string(::getpid()), error);
        if (!dir_) throw std::runtime_error(error);
        root_ = dir_->path().string();
        const std::string profile = root_ + "/home/.mozilla/firefox/p.default";
        const std::string chrome = root_ + "/config/chromium/Default";
        std::filesystem::create_directories(profile);
        std::filesystem::create_directories(chrome);
        std::filesystem::create_directories(root_ + "/empty");
        test::writeText(root_ + "/home/.mozilla/firefox/profiles.ini", "[Profile0]\nIsRelative=1\nPath=p.default\n");
        places_ = profile + "/places.sqlite";
        test::writeFirefoxPlaces(places_, pages("fox", kHistoryPerBrowser, 1600000000),
                                 pages("foxmark", kBookmarksPerBrowser, 1500000000));
        history_ = chrome + "/History";
        test::writeChromiumHistory(history_, pages("chrome", kHistoryPerBrowser, 1650000000));
        test::writeText(chrome + "/Bookmarks", test::chromiumBookmarksJson(pages("chromemark", kBookmarksPerBrowser, 1550000000)));
        options_.roots = {root_ + "/empty"};
        options_.browsers = {.home = root_ + "/home", .configHome = root_ + "/config"};
        db_ = root_ + "/index.sqlite";
    }
    ~Home() { std::filesystem::remove_all(root_); }

    const CrawlOptions& options() const { return options_; }
    const std::string& db() const { return db_; }
    const std::string& places() const { return places_; }
    const std::string& history() const { return history_; }
    void freshIndex() {
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(db_ + suffix);
    }

private:
    std::unique_ptr<skimmer::os::TempDir> dir_;
    std::string root_, places_, history_, db_;
    CrawlOptions options_;
};

Home& home() {
    static Home instance;
    return instance;
}

CrawlResult crawlOnce() {
    OpenedIndex index = openIndexForWriting(home().db());
    if (!index.db) throw std::runtime_error(index.status.error);
    PosixCrawlFs fs;
    CrawlResult result = crawl(index.db.get(), home().options(), fs, {});
    if (!result.status) throw std::runtime_error(result.status.error);
    return result;
}

void readRows(const std::string& path, BrowserRead& read, bool firefox) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db db(raw);
    const Status status = firefox ? readFirefoxPlaces(db.get(), read) : readChromiumHistory(db.get(), read);
    if (!status.ok) throw std::runtime_error(status.error);
}

void BM_Anchor_SqliteReadsTheRows(benchmark::State& state) {
    home();
    for (auto _ : state) {
        BrowserRead read;
        readRows(home().places(), read, true);
        readRows(home().history(), read, false);
        benchmark::DoNotOptimize(read.history.data());
    }
}

void BM_FirstCrawl_100kHistory(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        home().freshIndex();
        state.ResumeTiming();
        const CrawlResult result = crawlOnce();
        state.counters["items"] = static_cast<double>(result.stats.browserItems);
    }
}

void BM_Refresh_OneTitleChanged(benchmark::State& state) {
    home().freshIndex();
    crawlOnce();
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Db db = test::openForWriting(home().history());
        test::run(db.get(), "UPDATE urls SET title = 'renamed " + std::to_string(++round) + "' WHERE id = 7");
        db.reset();
        state.ResumeTiming();
        crawlOnce();
    }
}

void BM_Refresh_NothingChanged(benchmark::State& state) {
    home().freshIndex();
    crawlOnce();
    for (auto _ : state) crawlOnce();
}

BENCHMARK(BM_Anchor_SqliteReadsTheRows)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FirstCrawl_100kHistory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Refresh_OneTitleChanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Refresh_NothingChanged)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
