// The crawl's sources of items as a list: a crawl brings each in step and reports its items in its
// own count; one refreshed alone (as a watcher does) reports only its own; each names what a
// watcher of it watches.
#include "index/crawl/crawl_sources.h"
#include "index/crawl/crawler.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/support/maildir_maker.h"
#include "tests/support/temp_home.h"

#include <algorithm>

namespace skimmer::index::store::test {
namespace {

class CrawlSourcesTest : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::string apps = tree + "/apps";
    std::string mailRoot = (home.root() / "mail").string();
    std::string db = (home.cache() / "index.sqlite").string();
    CrawlOptions options;

    void SetUp() override {
        makeDir(tree);
        makeDir(apps);
        writeFile(apps + "/editor.desktop", "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor\n");
        makeDir(mailRoot);
        skimmer::test::makeMaildir(mailRoot + "/Inbox");
        skimmer::test::writeMessage(mailRoot + "/Inbox", "cur", "1.a:2,S", "Subject: one\n\n");
        options = rootsOnly({tree});
        options.applicationDirs = {apps};
        options.mailRoots = {mailRoot};  // no browser: BrowserPlaces without a home looks nowhere
    }
};

TEST_F(CrawlSourcesTest, ACrawlBringsEverySourceInStepAndCountsItsItems) {
    const Crawled crawled = crawlInto(db, options);
    ASSERT_TRUE(crawled.result.status) << crawled.result.status.error;
    EXPECT_EQ(crawled.result.stats.applications, 1);
    EXPECT_EQ(crawled.result.stats.mail, 1);
    EXPECT_EQ(crawled.result.stats.browserItems, 0);
    EXPECT_TRUE(crawled.result.stats.notes.empty());
}

struct AloneCase {
    const char* name;
    int64_t applications, browserItems, mail;
};

class ASourceAlone : public CrawlSourcesTest, public ::testing::WithParamInterface<AloneCase> {};

TEST_P(ASourceAlone, CountsOnlyItsOwnItems) {
    ASSERT_TRUE(crawlInto(db, options).result.status);
    OpenedIndex index = openIndexForWriting(db);
    ASSERT_TRUE(index.db) << index.status.error;
    const CrawlSources sources = crawlSources(options);
    const auto source = std::find_if(sources.begin(), sources.end(),
                                     [](const CrawlSource& s) { return s.source->name() == GetParam().name; });
    ASSERT_NE(source, sources.end());
    const CrawlResult result = refreshSource(index.db.get(), options, {}, *source);
    ASSERT_TRUE(result.status) << result.status.error;
    EXPECT_EQ(result.stats.applications, GetParam().applications);
    EXPECT_EQ(result.stats.browserItems, GetParam().browserItems);
    EXPECT_EQ(result.stats.mail, GetParam().mail);
    EXPECT_EQ(result.stats.folders, 0) << "no walk";
}

INSTANTIATE_TEST_SUITE_P(Sources, ASourceAlone,
                         ::testing::Values(AloneCase{"applications", 1, 0, 0}, AloneCase{"browsers", 0, 0, 0},
                                           AloneCase{"mail", 0, 0, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CrawlSourcesTest, EachNamesWhatAWatcherOfItWatchesInTheCrawlsOrder) {
    const CrawlSources sources = crawlSources(options);
    ASSERT_EQ(sources.size(), 3u);
    EXPECT_EQ(sources[0].source->name(), "applications");
    EXPECT_EQ(sources[0].source->watched(), std::vector<std::string>{apps});
    EXPECT_EQ(sources[1].source->name(), "browsers");
    EXPECT_TRUE(sources[1].source->watched().empty());
    EXPECT_EQ(sources[2].source->name(), "mail");
    const std::vector<std::string> mail = sources[2].source->watched();
    ASSERT_GE(mail.size(), 3u);
    EXPECT_EQ(mail[0], mailRoot + "/Inbox/new");
    EXPECT_EQ(mail[1], mailRoot + "/Inbox/cur");
    EXPECT_NE(std::find(mail.begin(), mail.end(), mailRoot), mail.end()) << "where a new Maildir folder appears";
    EXPECT_TRUE(sources[2].source->watchesMore());
}

}  // namespace
}  // namespace skimmer::index::store::test
