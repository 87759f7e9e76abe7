// Applications and links from .desktop entries, executables on $PATH, and shortcut-like files.
#include "index/sources/applications.h"
#include "index/storage/kinds.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/support/temp_home.h"

namespace skimmer::index::store::test {
namespace {

std::string entry(const std::string& body) { return "[Desktop Entry]\n" + body; }

class ApplicationsTest : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    std::string root = home.root().string();
    std::string user = root + "/data/applications";  // highest precedence
    std::string system = root + "/sys/applications";
    std::string bin = root + "/bin";
    std::string db = (home.cache() / "index.sqlite").string();
    CrawlOptions options;

    void SetUp() override {
        makeDir(user);
        makeDir(root + "/sys");
        makeDir(system);
        makeDir(bin);
        writeFile(bin + "/tool", "#!/bin/sh\n", 0755);
        writeFile(bin + "/readme.txt", "not a program", 0644);
        writeFile(root + "/data/script", "#!/bin/sh\n", 0755);
        options = rootsOnly({user, system, bin});
        options.applicationDirs = {user, system};
        options.pathDirs = {bin};
        options.currentDesktop = "X-Test:GNOME";
        options.locale = "de_AT.UTF-8";
    }

    // The derived items, by URL.
    std::map<std::string, Row> apps() {
        std::map<std::string, Row> out;
        const Crawled crawled = crawlInto(db, options);
        EXPECT_TRUE(crawled.result.status) << crawled.result.status.error;
        for (const auto& [key, row] : crawled.rows)
            if (!row.url.empty()) out[row.url] = row;
        return out;
    }

    std::string nameOf(const std::string& url) {
        OpenedIndex index = openIndexForWriting(db);
        Status status;
        Stmt stmt = prepare(index.db.get(), "SELECT name FROM items WHERE url = ?1", status);
        bindBlob(stmt.get(), 1, url);
        return sqlite3_step(stmt.get()) == SQLITE_ROW ? columnBytes(stmt.get(), 0) : "<none>";
    }
};

TEST_F(ApplicationsTest, ApplicationBecomesAProgramWithItsLocalizedName) {
    writeFile(system + "/editor.desktop",
              entry("Type=Application\nName=Editor\nName[de]=Bearbeiter\nName[de_AT]=Editor (AT)\nExec=ed %f\n"));
    const auto items = apps();
    ASSERT_EQ(items.count("application://editor.desktop"), 1u);
    const Row& app = items.at("application://editor.desktop");
    EXPECT_EQ(app.kind, static_cast<int>(Kind::Program));
    EXPECT_EQ(app.display, system + "/editor.desktop");
    EXPECT_EQ(app.ext, "desktop");
    EXPECT_EQ(nameOf("application://editor.desktop"), "Editor (AT)");
    options.locale = "fr_FR.UTF-8";
    apps();
    EXPECT_EQ(nameOf("application://editor.desktop"), "Editor");
}

TEST_F(ApplicationsTest, HiddenNoDisplayAndDesktopFiltersLeaveEntriesOut) {
    writeFile(system + "/hidden.desktop", entry("Type=Application\nName=H\nHidden=true\n"));
    writeFile(system + "/nodisplay.desktop", entry("Type=Application\nName=N\nNoDisplay=true\n"));
    writeFile(system + "/kde-only.desktop", entry("Type=Application\nName=K\nOnlyShowIn=KDE;\n"));
    writeFile(system + "/gnome-only.desktop", entry("Type=Application\nName=G\nOnlyShowIn=KDE;GNOME;\n"));
    writeFile(system + "/not-gnome.desktop", entry("Type=Application\nName=NG\nNotShowIn=GNOME;\n"));
    writeFile(system + "/not-kde.desktop", entry("Type=Application\nName=NK\nNotShowIn=KDE;\n"));
    writeFile(system + "/dir.desktop", entry("Type=Directory\nName=D\n"));
    writeFile(system + "/broken.desktop", "no group at all\nName=B\n");
    const auto items = apps();
    EXPECT_EQ(items.size(), 2u);
    EXPECT_EQ(items.count("application://gnome-only.desktop"), 1u);
    EXPECT_EQ(items.count("application://not-kde.desktop"), 1u);
}

TEST_F(ApplicationsTest, TryExecMustNameAnExecutable) {
    writeFile(system + "/on-path.desktop", entry("Type=Application\nName=A\nTryExec=tool\n"));
    writeFile(system + "/absolute.desktop", entry("Type=Application\nName=B\nTryExec=" + bin + "/tool\n"));
    writeFile(system + "/missing.desktop", entry("Type=Application\nName=C\nTryExec=no-such-tool\n"));
    writeFile(system + "/not-exec.desktop", entry("Type=Application\nName=D\nTryExec=readme.txt\n"));
    writeFile(system + "/relative.desktop", entry("Type=Application\nName=E\nTryExec=bin/tool\n"));
    const auto items = apps();
    EXPECT_EQ(items.size(), 2u);
    EXPECT_EQ(items.count("application://on-path.desktop"), 1u);
    EXPECT_EQ(items.count("application://absolute.desktop"), 1u);
}

TEST_F(ApplicationsTest, EarlierFolderDecidesAnIdEvenWhenItHidesIt) {
    writeFile(system + "/shared.desktop", entry("Type=Application\nName=System copy\n"));
    writeFile(user + "/shared.desktop", entry("Type=Application\nName=User copy\n"));
    writeFile(system + "/removed.desktop", entry("Type=Application\nName=Removed\n"));
    writeFile(user + "/removed.desktop", entry("Type=Application\nName=Removed\nHidden=true\n"));
    const auto items = apps();
    EXPECT_EQ(items.size(), 1u);
    EXPECT_EQ(items.at("application://shared.desktop").display, user + "/shared.desktop");
    EXPECT_EQ(nameOf("application://shared.desktop"), "User copy");
}

TEST_F(ApplicationsTest, SubfoldersGiveDashedIdsAndLinksBecomeFavorites) {
    makeDir(system + "/kde");
    writeFile(system + "/kde/konsole.desktop", entry("Type=Application\nName=Konsole\n"));
    writeFile(system + "/site.desktop", entry("Type=Link\nName=Project site\nURL=https://example.org/a b\n"));
    const auto items = apps();
    ASSERT_EQ(items.count("application://kde-konsole.desktop"), 1u);
    EXPECT_EQ(items.at("application://kde-konsole.desktop").display, system + "/kde/konsole.desktop");
    ASSERT_EQ(items.count("https://example.org/a b"), 1u);
    EXPECT_EQ(items.at("https://example.org/a b").kind, static_cast<int>(Kind::Favorite));
    EXPECT_EQ(desktopFileId("a/b/c.desktop"), "a-b-c.desktop");
}

TEST_F(ApplicationsTest, EntriesFollowChangesAndRemovalOnRefresh) {
    writeFile(system + "/a.desktop", entry("Type=Application\nName=First\n"));
    writeFile(system + "/b.desktop", entry("Type=Application\nName=Second\n"));
    ASSERT_EQ(apps().size(), 2u);
    const int64_t settled = crawlInto(db, options).generation;
    EXPECT_EQ(crawlInto(db, options).generation, settled) << "unchanged entries write nothing";
    ::unlink((system + "/b.desktop").c_str());
    writeFile(system + "/a.desktop", entry("Type=Application\nName=Renamed\n"));
    const auto items = apps();
    EXPECT_EQ(items.size(), 1u);
    EXPECT_EQ(nameOf("application://a.desktop"), "Renamed");
}

TEST_F(ApplicationsTest, ExecutablesOnPathAreProgramsAndShortcutFilesHaveTheirKinds) {
    writeFile(user + "/site.url", "[InternetShortcut]\nURL=https://example.org\n");
    writeFile(user + "/old.lnk", "L");
    ASSERT_EQ(::symlink("tool", (bin + "/tool-link").c_str()), 0);
    options.roots.push_back(root + "/data");
    const Crawled crawled = crawlInto(db, options);
    ASSERT_TRUE(crawled.result.status);
    EXPECT_EQ(crawled.rows.at(bin + "/tool").kind, static_cast<int>(Kind::Program));
    EXPECT_EQ(crawled.rows.at(bin + "/readme.txt").kind, static_cast<int>(Kind::Document));
    EXPECT_EQ(crawled.rows.at(bin + "/tool-link").kind, static_cast<int>(Kind::Link));
    EXPECT_EQ(crawled.rows.at(root + "/data/script").kind, static_cast<int>(Kind::Unknown)) << "not on $PATH";
    EXPECT_EQ(crawled.rows.at(user + "/site.url").kind, static_cast<int>(Kind::Favorite));
    EXPECT_EQ(crawled.rows.at(user + "/old.lnk").kind, static_cast<int>(Kind::Link));
}

TEST_F(ApplicationsTest, FoldersOutsideTheRootsContributeNothing) {
    writeFile(system + "/a.desktop", entry("Type=Application\nName=A\n"));
    options.roots = {user};
    EXPECT_TRUE(apps().empty());
}

}  // namespace
}  // namespace skimmer::index::store::test
