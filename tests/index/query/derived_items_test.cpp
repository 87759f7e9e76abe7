// Items the crawler makes from .desktop entries, read back through the engine's objects: they are
// not files of the folder they were found in, whichever path (name sidecar or database alone)
// answers the query.
#include "index/query/connection.h"
#include "index/query/name_index_builder.h"
#include "index/query/search_manager.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace skimmer::index::query {
namespace {

class DerivedItems : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        store::test::makeDir(apps_);
        store::test::writeFile(apps_ + "/zed.desktop", "[Desktop Entry]\nType=Application\nName=Zebra Editor\nExec=zed %f\n");
        store::test::writeFile(apps_ + "/site.desktop", "[Desktop Entry]\nType=Link\nName=Zebra Site\nURL=https://example.org/\n");
        store::test::writeFile(apps_ + "/zebra notes.txt", "a file");
        store::CrawlOptions options = store::test::rootsOnly({apps_});
        options.applicationDirs = {apps_};
        ASSERT_TRUE(store::test::crawlInto(db_.string(), options).result.status);
        std::filesystem::remove(nameIndexPathFor(db_));
        if (GetParam()) {
            store::OpenedIndex opened = store::openIndexForWriting(db_);
            ASSERT_TRUE(buildNameIndex(opened.db.get()).ok);
        }
    }

    // Displayed paths of the hits of `text`, in order.
    std::vector<std::string> paths(const std::string& text) {
        SearchManager manager(db_);
        auto helper = manager.getCatalog("systemindex")->getQueryHelper();
        helper->putQuerySelectColumns("System.ItemPathDisplay");
        Connection connection;
        connection.open(helper->connectionString());
        auto recordset = connection.execute(helper->generateSqlFromUserQuery(text));
        std::vector<std::string> out;
        while (!recordset->eof()) {
            const RowTable rows = recordset->getRows(5);
            for (size_t row = 0; row < rows.rowCount(); ++row) out.push_back(rows.cell(0, row).text);
        }
        return out;
    }

    skimmer::test::TempHome home_;
    std::string apps_ = (home_.root() / "applications").string();
    std::filesystem::path db_ = home_.cache() / "index.sqlite";
};

TEST_P(DerivedItems, ShowTheirDesktopFileAndAreNotFiles) {
    EXPECT_EQ(paths("zebra editor"), std::vector<std::string>{apps_ + "/zed.desktop"});
    EXPECT_EQ(paths("zebra site"), std::vector<std::string>{apps_ + "/site.desktop"});
    EXPECT_EQ(paths("zebra System.Kind:files"), std::vector<std::string>{apps_ + "/zebra notes.txt"})
        << "a link made from a .desktop entry is a favourite, not a file of its folder";
    EXPECT_EQ(paths("zebra System.Kind:favorites"), std::vector<std::string>{apps_ + "/site.desktop"});
}

INSTANTIATE_TEST_SUITE_P(Paths, DerivedItems, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "WithSidecar" : "DatabaseAlone"; });

}  // namespace
}  // namespace skimmer::index::query
