// Bookmarks and history in the index: the browsers' files as the readers see them, which pages
// become items and how they look, and a crawl over generated profiles, damaged ones included.
#include "index/sources/browser_copy.h"
#include "index/sources/browser_items.h"
#include "tests/index/sources/browser_fixtures.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/index/crawl/tool_run.h"
#include "tests/support/temp_home.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace skimmer::index::store::test {
namespace {

std::map<std::string, BrowserVisit> byUrl(const std::vector<BrowserVisit>& visits) {
    std::map<std::string, BrowserVisit> out;
    for (const BrowserVisit& v : visits) EXPECT_TRUE(out.emplace(v.url, v).second) << "twice: " << v.url;
    return out;
}

TEST(BrowserTimes, EachBrowsersEpochBecomesUnixSeconds) {
    EXPECT_EQ(unixFromChromiumTime(13345678901234567), 1701205301);
    EXPECT_EQ(unixFromFirefoxTime(1701205301999999), 1701205301);
    for (int64_t before1970 : {int64_t{0}, int64_t{-5}, kChromiumEpochOffset * 1000000 - 1})
        EXPECT_EQ(unixFromChromiumTime(before1970), 0) << before1970;
    EXPECT_EQ(unixFromFirefoxTime(-1), 0);
}

struct UrlCase {
    std::string url;
    bool accepted;
};
class BrowserUrls : public ::testing::TestWithParam<UrlCase> {};
TEST_P(BrowserUrls, OnlyPlainWebUrlsBecomeItems) { EXPECT_EQ(acceptedBrowserUrl(GetParam().url), GetParam().accepted); }
INSTANTIATE_TEST_SUITE_P(
    Cases, BrowserUrls,
    ::testing::Values(UrlCase{"https://example.org/a?b=c&d", true}, UrlCase{"HTTP://EXAMPLE.ORG/", true},
                      UrlCase{"https://例え.jp/パス", true}, UrlCase{"https://", false}, UrlCase{"place:sort=8", false},
                      UrlCase{"javascript:alert(1)", false}, UrlCase{"data:text/html,x", false},
                      UrlCase{"file:///etc/passwd", false}, UrlCase{"about:blank", false}, UrlCase{"ftp://x/", false},
                      UrlCase{"https://x/a b", false}, UrlCase{"https://x/\n$(id)", false},
                      UrlCase{"https://x/\x1b[2J", false}, UrlCase{"https://x/\xff", false},
                      UrlCase{"https://x/" + std::string(kMaxBrowserUrl, 'a'), false},
                      UrlCase{"https://x/" + std::string(kMaxBrowserUrl - 10, 'a'), true}));

struct TitleCase {
    std::string title, name;
};
class BrowserTitles : public ::testing::TestWithParam<TitleCase> {};
TEST_P(BrowserTitles, NameIsTheCleanedTitleOrTheUrl) {
    const std::optional<CrawledItem> row = browserItem({.url = "https://x.org/", .title = GetParam().title, .time = 7}, Kind::WebHistory);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->name, GetParam().name);
    EXPECT_EQ(row->url, "https://x.org/");
    EXPECT_EQ(row->display, "https://x.org/");
    EXPECT_EQ(row->mtime, 7);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, BrowserTitles,
    ::testing::Values(TitleCase{"News — Front page", "News — Front page"}, TitleCase{"", "https://x.org/"},
                      TitleCase{" \t\r\n ", "https://x.org/"}, TitleCase{"a\nb\tc\x1b[2Jd", "a b c [2Jd"},
                      TitleCase{std::string("nul\0byte", 8), "nul byte"}, TitleCase{"bad\xff\xfeutf", "bad\uFFFD\uFFFDutf"},
                      TitleCase{"c1\xc2\x9b" "31m", "c1 31m"}, TitleCase{"  spaced   out  ", "spaced out"},
                      TitleCase{std::string(5000, 'x'), std::string(kMaxBrowserTitle, 'x')},
                      TitleCase{std::string(kMaxBrowserTitle - 1, 'x') + "é", std::string(kMaxBrowserTitle - 1, 'x')}));

// Files of one test: a private folder and the pages that go into generated browser files.
class BrowserFiles : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    std::string root = home.root().string();
    std::vector<FakePage> history = {{"https://a.example/", "Alpha page", 1600000000},
                                     {"https://hidden.example/", "Hidden", 1600000001, true},
                                     {"http://b.example/x", "", 1600000002},
                                     {"place:type=6", "Recent tags", 1600000003}};
    std::vector<FakePage> bookmarks = {{"https://bm.example/", "My bookmark", 1500000000},
                                       {"https://untitled.example/", "", 1500000001}};

    BrowserRead readCopy(const std::string& path, BrowserFormat format) {
        std::string error;
        auto temp = os::TempDir::create("t", "1", error, root);
        BrowserDbCopy copy = openBrowserCopy(path, *temp, "db");
        EXPECT_TRUE(copy.db) << copy.status.error;
        BrowserRead read;
        const Status status = format == BrowserFormat::FirefoxPlaces ? readFirefoxPlaces(copy.db.get(), read)
                                                                     : readChromiumHistory(copy.db.get(), read);
        EXPECT_TRUE(status.ok) << status.error;
        return read;
    }
};

TEST_F(BrowserFiles, FirefoxPlacesGiveBookmarksWithoutTagsAndVisitedPagesThatAreNotHidden) {
    writeFirefoxPlaces(root + "/places.sqlite", history, bookmarks, {{"https://tagged.example/", "tag entry", 1}});
    const BrowserRead read = readCopy(root + "/places.sqlite", BrowserFormat::FirefoxPlaces);
    const auto marks = byUrl(read.bookmarks);
    ASSERT_EQ(marks.size(), 2u) << "tag entries, folders and separators are not bookmarks";
    EXPECT_EQ(marks.at("https://bm.example/").title, "My bookmark");
    EXPECT_EQ(marks.at("https://bm.example/").time, 1500000000);
    EXPECT_EQ(marks.at("https://untitled.example/").title, "page title") << "an untitled bookmark shows its page's title";
    const auto pages = byUrl(read.history);
    EXPECT_EQ(pages.size(), 3u) << "hidden and never-visited places are not history";
    EXPECT_EQ(pages.count("https://hidden.example/"), 0u);
    EXPECT_EQ(pages.at("https://a.example/").time, 1600000000);
}

TEST_F(BrowserFiles, ChromiumHistoryAndBookmarksKeepTitlesAndConvertTimes) {
    writeChromiumHistory(root + "/History", history);
    const auto pages = byUrl(readCopy(root + "/History", BrowserFormat::ChromiumHistory).history);
    EXPECT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages.at("https://a.example/").title, "Alpha page");
    EXPECT_EQ(pages.at("http://b.example/x").time, 1600000002);
    BrowserRead read;
    ASSERT_TRUE(parseChromiumBookmarks(chromiumBookmarksJson(bookmarks), read).ok);
    const auto marks = byUrl(read.bookmarks);
    ASSERT_EQ(marks.size(), 2u) << "nested folders are walked";
    EXPECT_EQ(marks.at("https://untitled.example/").time, 1500000001);
    std::string deep = "{\"version\": 1, \"roots\": {\"other\": ";
    for (int i = 0; i < 100000; ++i) deep += "{\"type\": \"folder\", \"children\": [";
    deep += "{\"type\": \"url\", \"url\": \"https://deep.example/\", \"name\": \"Deep\"}";
    for (int i = 0; i < 100000; ++i) deep += "]}";
    BrowserRead nested;
    ASSERT_TRUE(parseChromiumBookmarks(deep + "}}", nested).ok) << "depth costs memory, not stack";
    ASSERT_EQ(nested.bookmarks.size(), 1u);
    EXPECT_EQ(nested.bookmarks[0].title, "Deep");
}

// A companion of the database that is not a regular file is refused for what it is, at once:
// a FIFO is never waited on, and none of them reads as a file that kept changing.
class SpecialCompanion : public BrowserFiles,
                         public ::testing::WithParamInterface<std::pair<const char*, bool /* fifo, else folder */>> {};

TEST_P(SpecialCompanion, IsRefusedAsNotARegularFile) {
    const auto [suffix, fifo] = GetParam();
    const std::string places = root + "/places.sqlite";
    writeFirefoxPlaces(places, history, bookmarks, {});
    const std::string companion = places + suffix;
    if (fifo) ASSERT_EQ(::mkfifo(companion.c_str(), 0600), 0);
    else std::filesystem::create_directory(companion);
    std::string error;
    auto temp = os::TempDir::create("t", "1", error, root);
    ASSERT_TRUE(temp) << error;
    errno = ENOENT;  // what an earlier lookup of a missing file leaves behind
    const BrowserDbCopy copy = openBrowserCopy(places, *temp, "db");
    EXPECT_FALSE(copy.db);
    EXPECT_EQ(copy.status.error, companion + ": not a regular file");
}
INSTANTIATE_TEST_SUITE_P(Shapes, SpecialCompanion,
                         ::testing::Values(std::pair{"-wal", true}, std::pair{"-journal", true},
                                           std::pair{"-wal", false}));

class BadBookmarks : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};
TEST_P(BadBookmarks, AreRefusedWithAReason) {
    BrowserRead read;
    const Status status = parseChromiumBookmarks(GetParam().first, read);
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.error.find(GetParam().second), std::string::npos) << status.error;
    EXPECT_TRUE(read.bookmarks.empty());
}
INSTANTIATE_TEST_SUITE_P(
    Cases, BadBookmarks,
    ::testing::Values(std::pair{"", "not valid JSON"}, std::pair{"{\"roots\": {", "not valid JSON"},
                      std::pair{"[1,2]", "not a bookmarks file"}, std::pair{"{\"version\": 1}", "no roots"},
                      std::pair{"{\"version\": 2, \"roots\": {}}", "version 2"},
                      std::pair{"{\"version\": \"1\", \"roots\": {}}", "version \"1\""},
                      std::pair{std::string(100000, '[') , "not valid JSON"}));

TEST(BrowserSources, ProfilesIniNamesRelativeAndAbsoluteProfilesOnce) {
    const std::string ini =
        "[Install4F96D1932A9F858E]\r\nDefault=Profiles/abc.default-release\r\nLocked=1\r\n\r\n"
        "[Profile1]\nName=default\nIsRelative=1\nPath=Profiles/xyz.default\n\n"
        "[Profile0]\nName=release\nIsRelative=1\nPath=Profiles/abc.default-release\nDefault=1\n\n"
        "[Profile2]\nIsRelative=0\nPath=/data/ff/other\n[General]\nPath=not-a-profile\n[Profile3]\nName=no path\n";
    EXPECT_EQ(firefoxProfilesFromIni(ini, "/h/.mozilla/firefox"),
              (std::vector<std::string>{"/h/.mozilla/firefox/Profiles/abc.default-release",
                                        "/h/.mozilla/firefox/Profiles/xyz.default", "/data/ff/other"}));
    for (auto [name, profile] : {std::pair{"Default", true}, {"Profile 1", true}, {"Profile 12", true},
                                 {"Profile ", false}, {"Profile 1a", false}, {"System Profile", false},
                                 {"Guest Profile", false}, {"Crashpad", false}})
        EXPECT_EQ(isChromiumProfileName(name), profile) << name;
}

// A home with browsers of both families; each test crawls an empty root into its own index.
class BrowserCrawl : public BrowserFiles {
protected:
    std::string db = (home.cache() / "index.sqlite").string();
    std::string user = (home.root() / "home").string();  // $HOME, as TempHome sets it
    std::string firefox = user + "/.mozilla/firefox/Profiles/p.default";
    std::string places = firefox + "/places.sqlite";
    std::string chrome = root + "/config/google-chrome/Profile 2";
    CrawlOptions options;

    void SetUp() override {
        std::filesystem::create_directories(firefox);
        std::filesystem::create_directories(chrome);
        std::filesystem::create_directories(root + "/empty");
        writeText(user + "/.mozilla/firefox/profiles.ini", "[Profile0]\nIsRelative=1\nPath=Profiles/p.default\n");
        writeFirefoxPlaces(places, history, bookmarks);
        writeChromiumHistory(chrome + "/History", {{"https://a.example/", "Alpha, newer", 1700000000},
                                                   {"https://c.example/", "Gamma", 1700000001},
                                                   {"https://d.example/", "\xff\x1b[1m" + std::string(5000, 'x'), 1700000002}});
        writeText(chrome + "/Bookmarks", chromiumBookmarksJson({{"https://bm.example/", "Older title", 1400000000},
                                                                {"https://a.example/", "A as bookmark", 1400000001}}));
        options = rootsOnly({root + "/empty"});
        options.browsers = {.home = user, .configHome = root + "/config"};
    }

    // The browser items by "kind url", with their names.
    std::map<std::string, std::string> items(const CrawlResult* result = nullptr) {
        Crawled crawled = crawlInto(db, options);
        EXPECT_TRUE(crawled.result.status) << crawled.result.status.error;
        if (result) const_cast<CrawlResult&>(*result) = crawled.result;
        std::map<std::string, std::string> out;
        OpenedIndex index = openIndexForWriting(db);
        Status status;
        Stmt stmt = prepare(index.db.get(), "SELECT kind, url, name, mtime FROM items WHERE dir = 0", status);
        while (sqlite3_step(stmt.get()) == SQLITE_ROW)
            out[std::string(kindName(sqlite3_column_int(stmt.get(), 0))) + " " + columnBytes(stmt.get(), 1)] =
                columnBytes(stmt.get(), 2) + " @" + std::to_string(sqlite3_column_int64(stmt.get(), 3));
        return out;
    }

    static std::string bytesOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

const std::map<std::string, std::string> kAllItems = {
    {"favorite https://a.example/", "A as bookmark @1400000001"},
    {"favorite https://bm.example/", "My bookmark @1500000000"},
    {"favorite https://untitled.example/", "page title @1500000001"},
    {"webhistory https://a.example/", "Alpha, newer @1700000000"},
    {"webhistory http://b.example/x", "http://b.example/x @1600000002"},
    {"webhistory https://c.example/", "Gamma @1700000001"},
    {"webhistory https://d.example/", "\uFFFD [1m" + std::string(kMaxBrowserTitle - 7, 'x') + " @1700000002"},
};

TEST_F(BrowserCrawl, EveryProfileBecomesOneItemPerUrlAndKindWithTheNewestDate) {
    CrawlResult result;
    EXPECT_EQ(items(&result), kAllItems);
    EXPECT_EQ(result.stats.browserItems, 7);
    EXPECT_TRUE(result.stats.notes.empty());
    for (const auto& entry : std::filesystem::directory_iterator(home.cache()))
        EXPECT_EQ(entry.path().filename().string().find("skimmer-browsers"), std::string::npos) << "copies are removed";
    const std::vector<std::string> watched = browserWatchFiles(options.browsers);
    for (const std::string& file : {user + "/.mozilla/firefox/profiles.ini", places, places + "-wal",
                                    chrome + "/History", chrome + "/Bookmarks"})
        EXPECT_NE(std::find(watched.begin(), watched.end(), file), watched.end()) << file;
}

TEST_F(BrowserCrawl, RefreshFollowsChangesAndSkipsUnchangedFiles) {
    ASSERT_EQ(items(), kAllItems);
    OpenedIndex index = openIndexForWriting(db);
    IndexWriter writer(index.db.get());
    ASSERT_TRUE(writer.begin().ok);
    const BrowserSyncResult again = syncBrowserItems(writer, index.db.get(), findBrowserSources(options.browsers));
    ASSERT_TRUE(writer.commit({}).ok);
    EXPECT_TRUE(again.unchanged) << "files as at the last sync are not read again";
    EXPECT_EQ(again.items, 7);
    std::filesystem::remove(chrome + "/History");
    writeText(chrome + "/Bookmarks", chromiumBookmarksJson({}));
    auto expected = kAllItems;
    expected.erase("favorite https://a.example/");
    expected.erase("webhistory https://c.example/");
    expected.erase("webhistory https://d.example/");
    expected["webhistory https://a.example/"] = "Alpha page @1600000000";
    EXPECT_EQ(items(), expected) << "entries that are gone are removed";
}

TEST_F(BrowserCrawl, AFileThatCannotBeCopiedIsTriedAgainAtEverySync) {
    OpenedIndex index = openIndexForWriting(db);
    IndexWriter writer(index.db.get());
    const std::vector<BrowserSource> gone = {{BrowserFormat::FirefoxPlaces, root + "/vanished/places.sqlite"}};
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(writer.begin().ok);
        const BrowserSyncResult result = syncBrowserItems(writer, index.db.get(), gone);
        ASSERT_TRUE(writer.commit({}).ok);
        EXPECT_FALSE(result.unchanged) << round;
        ASSERT_EQ(result.notes.size(), 1u) << round;
        EXPECT_NE(result.notes[0].find("No such file"), std::string::npos) << result.notes[0];
    }
}

TEST_F(BrowserCrawl, NoEntriesGiveNoItemsAndNoNotes) {
    writeFirefoxPlaces(root + "/ff-empty.sqlite", {}, {});
    std::filesystem::rename(root + "/ff-empty.sqlite", places);
    writeChromiumHistory(root + "/h-empty", {});
    std::filesystem::rename(root + "/h-empty", chrome + "/History");
    writeText(chrome + "/Bookmarks", chromiumBookmarksJson({}));
    CrawlResult result;
    EXPECT_TRUE(items(&result).empty());
    EXPECT_TRUE(result.stats.notes.empty());
}

// Faults of the Firefox database: each is skipped with a note naming it; Chromium's items are
// still indexed, Firefox's items from before are kept, and no browser file changes.
enum class Fault { Corrupt, Truncated, NewerSchema };
class BrowserFaults : public BrowserCrawl, public ::testing::WithParamInterface<std::pair<Fault, const char*>> {};

TEST_P(BrowserFaults, AreNotesAndLoseNothing) {
    ASSERT_EQ(items(), kAllItems);
    const auto [fault, said] = GetParam();
    if (fault == Fault::Corrupt) writeText(places, "SQLite format 3" + std::string(8192, '\x5a'));
    if (fault == Fault::Truncated) std::filesystem::resize_file(places, std::filesystem::file_size(places) / 2);
    if (fault == Fault::NewerSchema) {
        Db newer = openForWriting(places);
        run(newer.get(), "ALTER TABLE moz_places RENAME COLUMN last_visit_date TO last_visit_local; PRAGMA user_version = 99");
    }
    const std::string before = bytesOf(places), beforeChrome = bytesOf(chrome + "/History");
    writeText(chrome + "/Bookmarks", chromiumBookmarksJson({{"https://new.example/", "New", 1800000000}}));
    CrawlResult result;
    const auto now = items(&result);
    ASSERT_EQ(result.stats.notes.size(), 1u);
    EXPECT_NE(result.stats.notes[0].find(places), std::string::npos) << result.stats.notes[0];
    EXPECT_NE(result.stats.notes[0].find(said), std::string::npos) << result.stats.notes[0];
    EXPECT_EQ(now.at("favorite https://new.example/"), "New @1800000000") << "readable sources are still indexed";
    EXPECT_EQ(now.count("favorite https://bm.example/"), 1u) << "the skipped source's items are kept";
    EXPECT_EQ(now.count("webhistory https://a.example/"), 1u);
    EXPECT_EQ(bytesOf(places), before);
    EXPECT_EQ(bytesOf(chrome + "/History"), beforeChrome);
    EXPECT_FALSE(std::filesystem::exists(places + "-wal")) << "nothing is created beside the browser's files";
    CrawlResult again;
    EXPECT_EQ(items(&again), now);
    EXPECT_TRUE(again.stats.notes.empty()) << "an unchanged refused file is reported once";
}
INSTANTIATE_TEST_SUITE_P(Cases, BrowserFaults,
                         ::testing::Values(std::pair{Fault::Corrupt, "not a database"},
                                           std::pair{Fault::Truncated, "malformed"},
                                           std::pair{Fault::NewerSchema, "schema we do not read (version 99)"}));

TEST_F(BrowserCrawl, ABrowserHoldingExclusiveLocksNeverBlocksAndIsStillRead) {
    Db ff = openForWriting(places);
    run(ff.get(), "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; UPDATE moz_places SET title = 'uncommitted'");
    Db ch = openForWriting(chrome + "/History");
    run(ch.get(), "PRAGMA cache_size = 1; BEGIN EXCLUSIVE; UPDATE urls SET title = 'uncommitted' || randomblob(4000)");
    const std::string before = bytesOf(places);
    CrawlResult result;
    EXPECT_EQ(items(&result), kAllItems) << "the committed content is read; the open transactions are not";
    EXPECT_TRUE(result.stats.notes.empty()) << result.stats.notes.front();
    EXPECT_EQ(bytesOf(places), before);
}

TEST_F(BrowserCrawl, PagesARunningFirefoxHasOnlyInItsWalAreRead) {
    Db running = openForWriting(places);
    run(running.get(), "PRAGMA wal_autocheckpoint = 0; INSERT INTO moz_places (id, url, title, hidden, last_visit_date, guid) "
                       "VALUES (5, 'https://fresh.example/', 'Fresh', 0, " + std::to_string(firefoxTime(1800000000)) + ", 'fresh')");
    ASSERT_GT(std::filesystem::file_size(places + "-wal"), 0u) << "the new page is only in the WAL";
    const std::string wal = bytesOf(places + "-wal");
    EXPECT_EQ(items().at("webhistory https://fresh.example/"), "Fresh @1800000000");
    EXPECT_EQ(bytesOf(places + "-wal"), wal) << "the browser's WAL is never checkpointed by us";
}

TEST_F(BrowserCrawl, TheKindWordFavoritesFindsBookmarksAndHistory) {
    if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "skimmer-index was not built";
    const ToolRun crawled = runTool({"--root", root + "/empty", "--db", db});
    ASSERT_EQ(crawled.exitCode, 0) << crawled.err;
    EXPECT_EQ(crawled.err, "") << "every browser file was read";
    const ToolRun found = runTool({"--query", "bookmark OR gamma", "--kind", "favorites", "--db", db});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    std::multiset<std::string> lines;
    std::istringstream out(found.out);
    for (std::string line; std::getline(out, line);) lines.insert(line);
    EXPECT_EQ(lines, (std::multiset<std::string>{"https://a.example/", "https://bm.example/", "https://c.example/"}));
}

}  // namespace
}  // namespace skimmer::index::store::test
