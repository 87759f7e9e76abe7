// C1: a hostile tree. Odd names round-trip byte for byte, a tree deeper than PATH_MAX is walked,
// loops are not followed, FIFOs are never opened, and entries that vanish or move during the
// crawl are counted, never fatal.
#include "index/storage/kinds.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/support/temp_home.h"

#include <dirent.h>
#include <limits.h>
#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

namespace skimmer::index::store::test {
namespace {

const std::vector<std::string> kHostileNames = {
    "line\nbreak.txt", "esc\x1b[2Jclear.txt", "csi\x9b" "31m.txt", "bad\xff\xfe utf8.txt", "tab\there.txt",
    std::string(251, 'n') + ".txt",  // 255 bytes: the longest name Linux allows
    "-rf", " leading space", "trailing space ", "\xe2\x80\xae" "bidi.txt",
};

// Removes a tree with descriptors only: paths of the deep tree are longer than PATH_MAX.
void removeTree(int parent, const char* name) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        ::unlinkat(parent, name, 0);
        return;
    }
    DIR* dir = ::fdopendir(fd);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir))
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    for (const std::string& child : names) removeTree(::dirfd(dir), child.c_str());
    ::closedir(dir);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

class HostileTreeTest : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::string db = (home.cache() / "index.sqlite").string();

    void TearDown() override { removeTree(AT_FDCWD, tree.c_str()); }

    // Builds `levels` nested folders with 40-byte names; each level also holds a file and a
    // side folder, so the walk must climb back through folders whose descriptors it closed.
    std::string makeDeepTree(int levels) {
        const std::string link(39, 'd');
        int fd = ::open(tree.c_str(), O_RDONLY | O_DIRECTORY);
        std::string path = tree;
        for (int level = 0; level < levels; ++level) {
            const std::string name = link + static_cast<char>('a' + level % 26);
            EXPECT_EQ(::mkdirat(fd, name.c_str(), 0755), 0);
            EXPECT_EQ(::mkdirat(fd, "side", 0755), 0);
            const int file = ::openat(fd, "leaf.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            ::close(file);
            const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
            path += "/" + name;
        }
        const int bottom = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ::close(bottom);
        ::close(fd);
        return path + "/bottom.txt";
    }
};

TEST_F(HostileTreeTest, OddNamesRoundTripByteForByte) {
    makeDir(tree);
    for (const std::string& name : kHostileNames) writeFile(tree + "/" + name, name);
    makeDir(tree + "/dir\nwith\x1b" "newline");
    writeFile(tree + "/dir\nwith\x1b" "newline/inner\xc0.txt", "inner");
    const Crawled crawled = crawlInto(db, rootsOnly({tree}));
    ASSERT_TRUE(crawled.result.status) << crawled.result.status.error;
    EXPECT_EQ(crawled.rows.size(), kHostileNames.size() + 2);
    for (const auto& [path, row] : crawled.rows) {
        if (row.attrs & kAttrFolder) continue;
        // The path from the index opens the very file: its content is the name it was made with.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        ASSERT_GE(fd, 0) << "cannot open what the index holds: " << path;
        char content[300] = {};
        const ssize_t got = ::read(fd, content, sizeof content);
        ::close(fd);
        const std::string name = path.substr(path.rfind('/') + 1);
        EXPECT_EQ(std::string(content, static_cast<size_t>(got)), name == "inner\xc0.txt" ? "inner" : name);
    }
}

TEST_F(HostileTreeTest, TreeDeeperThanPathMaxIsWalkedToTheBottom) {
    makeDir(tree);
    const int levels = 150;  // 150 * 41 bytes: well past PATH_MAX and past the open-folder limit
    const std::string bottom = makeDeepTree(levels);
    ASSERT_GT(bottom.size(), static_cast<size_t>(PATH_MAX));
    TestFs first;
    const Crawled crawled = crawlInto(db, rootsOnly({tree}), first);
    ASSERT_TRUE(crawled.result.status) << crawled.result.status.error;
    EXPECT_EQ(crawled.rows.size(), static_cast<size_t>(levels * 3 + 1));
    EXPECT_GT(first.opens, crawled.result.stats.folders) << "closed ancestors were reopened by name";
    EXPECT_EQ(crawled.rows.count(bottom), 1u);
    EXPECT_EQ(crawled.result.stats.unreadable + crawled.result.stats.vanished, 0);
    TestFs fs;
    const Crawled again = crawlInto(db, rootsOnly({tree}), fs);
    EXPECT_EQ(fs.listings, 0) << "the deep tree refreshes without listing";
    EXPECT_EQ(again.rows, crawled.rows);
}

TEST_F(HostileTreeTest, LoopsFifosSocketsAndDevicesEndTheCrawlWithoutBeingOpened) {
    makeDir(tree);
    makeDir(tree + "/sub");
    ASSERT_EQ(::symlink("self", (tree + "/self").c_str()), 0);
    ASSERT_EQ(::symlink(".", (tree + "/sub/here").c_str()), 0);
    ASSERT_EQ(::symlink("..", (tree + "/sub/up").c_str()), 0);
    ASSERT_EQ(::mkfifo((tree + "/pipe.fifo").c_str(), 0644), 0);  // opening it for reading would block
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string sockPath = tree + "/sock";
    ASSERT_LT(sockPath.size(), sizeof address.sun_path);
    std::copy(sockPath.begin(), sockPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const bool device = ::mknod((tree + "/null-device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const Crawled crawled = crawlInto(db, rootsOnly({tree}));
    ::close(sock);
    ASSERT_TRUE(crawled.result.status);
    EXPECT_EQ(crawled.result.stats.skipped, device ? 3 : 2);
    EXPECT_EQ(crawled.rows.count(tree + "/pipe.fifo"), 0u);
    EXPECT_EQ(crawled.rows.at(tree + "/self").kind, static_cast<int>(Kind::Link));
    EXPECT_EQ(crawled.rows.count(tree + "/sub/here/here"), 0u);
    EXPECT_EQ(crawled.rows.size(), 4u) << "sub, self, sub/here, sub/up";
}

TEST_F(HostileTreeTest, EntriesVanishingOrMovingDuringTheCrawlAreCounted) {
    makeDir(tree);
    makeDir(tree + "/victim");
    makeDir(tree + "/victim/sub");
    writeFile(tree + "/victim/sub/x.txt", "x");
    writeFile(tree + "/victim/gone.txt", "g");
    writeFile(tree + "/victim/stays.txt", "s");
    TestFs fs;
    fs.afterList = [&](const std::string& path) {
        if (path != tree + "/victim") return;
        ::unlink((tree + "/victim/gone.txt").c_str());
        ::rename((tree + "/victim/sub").c_str(), (tree + "/victim/moved").c_str());
    };
    const Crawled crawled = crawlInto(db, rootsOnly({tree}), fs);
    ASSERT_TRUE(crawled.result.status) << crawled.result.status.error;
    EXPECT_GE(crawled.result.stats.vanished, 1);
    EXPECT_EQ(crawled.rows.count(tree + "/victim/gone.txt"), 0u);
    EXPECT_EQ(crawled.rows.count(tree + "/victim/stays.txt"), 1u);
    fs.afterList = nullptr;
    const Crawled settled = crawlInto(db, rootsOnly({tree}), fs);
    EXPECT_EQ(settled.rows.count(tree + "/victim/moved/x.txt"), 1u) << "the next crawl catches up";
    EXPECT_EQ(settled.rows.count(tree + "/victim/sub"), 0u);
}

}  // namespace
}  // namespace skimmer::index::store::test
