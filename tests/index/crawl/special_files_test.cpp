// Every file of the index replaced by something that is not a regular file (FIFO, socket, folder,
// dangling link, device): no command blocks, each one that needs the file says it "is not a
// regular file", and a refresh or rebuild moves it aside and leaves an index that answers.
#include "index/storage/index_files.h"
#include "tests/index/crawl/store_test_util.h"
#include "tests/index/crawl/tool_run.h"
#include "tests/support/temp_home.h"

#include <sys/socket.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <cstring>
#include <filesystem>

namespace skimmer::index::store::test {
namespace {

enum class Shape { Fifo, Socket, Folder, DanglingLink, Device };

// Long enough for any of these commands on the tiny tree, far too short for a blocked open.
constexpr std::chrono::milliseconds kWithinASecond{1000};

void makeSpecial(const std::filesystem::path& path, Shape shape) {
    std::filesystem::remove_all(path);
    switch (shape) {
        case Shape::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path; break;
        case Shape::Folder: ASSERT_EQ(::mkdir(path.c_str(), 0700), 0) << path; break;
        case Shape::DanglingLink: ASSERT_EQ(::symlink("no-such-target", path.c_str()), 0) << path; break;
        case Shape::Device:  // the null device's numbers; only a privileged user may make one
            if (::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0) GTEST_SKIP() << "cannot make a device here";
            break;
        case Shape::Socket: {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            ASSERT_GE(fd, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            ASSERT_LT(path.string().size(), sizeof address.sun_path) << path;
            std::strcpy(address.sun_path, path.c_str());
            const int bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            ::close(fd);  // the socket file stays
            ASSERT_EQ(bound, 0) << path;
            break;
        }
    }
}

// What each command needs: the database and its WAL and shared memory are opened by every reader;
// the sidecar by --query; the lock only by a crawl; the moved-aside copy by nobody but a crawl.
bool queryNeeds(IndexFile file) {
    return file == IndexFile::Database || file == IndexFile::Wal || file == IndexFile::Shm ||
           file == IndexFile::Sidecar;
}
bool statsNeeds(IndexFile file) {
    return file == IndexFile::Database || file == IndexFile::Wal || file == IndexFile::Shm;
}

class SpecialIndexFile : public ::testing::TestWithParam<std::tuple<IndexFile, Shape>> {
protected:
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::filesystem::path db = home.cache() / "index.sqlite";
    std::filesystem::path special;

    void SetUp() override {
        if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "skimmer-index was not built";
        makeDir(tree);
        writeFile(tree + "/findme.txt", "x");
        const ToolRun built = runTool({"--root", tree, "--db", db.string()});
        ASSERT_EQ(built.exitCode, 0) << built.err;
        special = indexFilePath(db, std::get<0>(GetParam()));
        makeSpecial(special, std::get<1>(GetParam()));
        if (IsSkipped()) return;
    }

    ToolRun run(std::vector<std::string> args) {
        args.push_back("--db");
        args.push_back(db.string());
        const ToolRun result = runTool(args, kWithinASecond);
        EXPECT_FALSE(result.timedOut) << "blocked: skimmer-index " << args[0];
        return result;
    }

    bool reported(const ToolRun& run) const {
        return run.err.find(special.string() + " is not a regular file") != std::string::npos;
    }

    void expectWorkingIndex() {
        const ToolRun query = run({"--query", "findme"});
        EXPECT_EQ(query.exitCode, 0) << query.err;
        EXPECT_EQ(query.out, tree + "/findme.txt\n");
        EXPECT_EQ(inspectFile(special).shape == FileShape::Special, false) << "still in place: " << special;
    }
};

TEST_P(SpecialIndexFile, QueryAndStatsReportItWithoutBlocking) {
    const IndexFile file = std::get<0>(GetParam());
    if (file == IndexFile::Damaged) {  // nobody reads what was moved aside
        EXPECT_EQ(run({"--query", "findme"}).exitCode, 0);
        const ToolRun stats = run({"--stats"});
        EXPECT_EQ(stats.exitCode, 0);
        EXPECT_EQ(stats.err, "");
        return;
    }
    const ToolRun query = run({"--query", "findme"});
    if (queryNeeds(file)) {
        EXPECT_EQ(query.exitCode, 3) << query.out;
        EXPECT_TRUE(reported(query)) << query.err;
    } else {
        EXPECT_EQ(query.exitCode, 0) << query.err;
    }
    const ToolRun stats = run({"--stats"});
    EXPECT_EQ(stats.exitCode, statsNeeds(file) ? 3 : 0) << stats.err;
    EXPECT_TRUE(reported(stats)) << stats.err;
}

// A special file where a damaged database is to be moved: the database goes to a free name beside
// it ("<index>.damaged.1") and the special file is left as it is.
void expectDatabaseMovedBeside(const ToolRun& run, const std::filesystem::path& db) {
    EXPECT_NE(run.err.find("it was moved to " + db.string() + ".damaged.1 and is rebuilt"), std::string::npos)
        << run.err;
}

TEST_P(SpecialIndexFile, RefreshMovesItAsideAndLeavesAWorkingIndex) {
    const bool damagedCopy = std::get<0>(GetParam()) == IndexFile::Damaged;
    if (damagedCopy) writeFile(db.string(), std::string(8192, 'x'));  // a database to move aside
    const ToolRun refresh = run({"--root", tree});
    EXPECT_EQ(refresh.exitCode, 0) << refresh.err;
    if (damagedCopy) {
        expectDatabaseMovedBeside(refresh, db);
        EXPECT_EQ(inspectFile(special).shape, FileShape::Special) << "left as it is";
        EXPECT_EQ(run({"--query", "findme"}).out, tree + "/findme.txt\n");
        return;
    }
    EXPECT_TRUE(reported(refresh)) << refresh.err;
    expectWorkingIndex();
}

TEST_P(SpecialIndexFile, RebuildMovesItAsideAndLeavesAWorkingIndex) {
    const bool damagedCopy = std::get<0>(GetParam()) == IndexFile::Damaged;
    if (damagedCopy) writeFile(db.string(), std::string(8192, 'x'));
    const ToolRun rebuild = run({"--root", tree, "--rebuild"});
    EXPECT_EQ(rebuild.exitCode, 0) << rebuild.err;
    if (damagedCopy) {
        expectDatabaseMovedBeside(rebuild, db);
        EXPECT_EQ(run({"--query", "findme"}).out, tree + "/findme.txt\n");
        return;
    }
    EXPECT_TRUE(reported(rebuild)) << rebuild.err;
    expectWorkingIndex();
}

class SpecialConfigFile : public ::testing::TestWithParam<Shape> {};

// The optional config file read by every crawl is the same hazard: the crawl says so and goes on
// with the defaults.
TEST_P(SpecialConfigFile, IsReportedAndIgnoredWithoutBlocking) {
    skimmer::test::TempHome home;
    if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "skimmer-index was not built";
    const std::string tree = (home.root() / "tree").string();
    makeDir(tree);
    writeFile(tree + "/findme.txt", "x");
    const std::filesystem::path config = home.config() / "skimmer" / "index.conf";
    std::filesystem::create_directories(config.parent_path());
    makeSpecial(config, GetParam());
    if (IsSkipped()) return;
    const std::string db = (home.cache() / "index.sqlite").string();
    const ToolRun refresh = runTool({"--root", tree, "--db", db}, kWithinASecond);
    EXPECT_FALSE(refresh.timedOut);
    EXPECT_EQ(refresh.exitCode, 0) << refresh.err;
    EXPECT_NE(refresh.err.find(config.string() + " is not a regular file"), std::string::npos) << refresh.err;
    EXPECT_EQ(runTool({"--query", "findme", "--db", db}, kWithinASecond).out, tree + "/findme.txt\n");
}

INSTANTIATE_TEST_SUITE_P(EveryShape, SpecialConfigFile,
                         ::testing::Values(Shape::Fifo, Shape::Socket, Shape::Folder, Shape::DanglingLink,
                                           Shape::Device));

std::string caseName(const ::testing::TestParamInfo<std::tuple<IndexFile, Shape>>& info) {
    static const char* const kFiles[] = {"Database", "Wal", "Shm", "Sidecar", "Lock", "Damaged"};
    static const char* const kShapes[] = {"Fifo", "Socket", "Folder", "DanglingLink", "Device"};
    return std::string(kFiles[static_cast<int>(std::get<0>(info.param))]) + "_" +
           kShapes[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(EveryFileEveryShape, SpecialIndexFile,
                         ::testing::Combine(::testing::Values(IndexFile::Database, IndexFile::Wal, IndexFile::Shm,
                                                              IndexFile::Sidecar, IndexFile::Lock,
                                                              IndexFile::Damaged),
                                            ::testing::Values(Shape::Fifo, Shape::Socket, Shape::Folder,
                                                              Shape::DanglingLink, Shape::Device)),
                         caseName);

}  // namespace
}  // namespace skimmer::index::store::test
