// skimmer-index as users and scripts see it: exit codes, the summary line, no terminal codes when
// the output is not a terminal, the config file, and a damaged index replaced with a message.
// The executable sits beside this test binary; the tests are skipped when it was not built.
#include "tests/index/store/store_test_util.h"
#include "tests/support/temp_home.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <regex>

extern char** environ;

namespace skimmer::index::store::test {
namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out, err;
};

std::string toolPath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / "skimmer-index").string();
}

// Drains both pipes until the child closes them, then reaps it.
ToolRun runTool(std::vector<std::string> args) {
    args.insert(args.begin(), toolPath());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    ToolRun run;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    for (int open = spawned == 0 ? 2 : 0; open > 0;) {
        ::poll(fds, 2, -1);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) sinks[i]->append(buffer, static_cast<size_t>(got));
            else ::close(fds[i].fd), fds[i].fd = -1, --open;
        }
    }
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

class ToolTest : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::string db = (home.cache() / "index.sqlite").string();

    void SetUp() override {
        if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "skimmer-index was not built";
        makeDir(tree);
        makeDir(tree + "/sub");
        writeFile(tree + "/sub/a.txt", "a");
        writeFile(tree + "/b.iso", "b");
        writeFile(tree + "/esc\x1b[2J.txt", "e");
    }
};

TEST_F(ToolTest, BuildPrintsOneSummaryLineAndNoTerminalCodesIntoAPipe) {
    const ToolRun run = runTool({"--root", tree, "--db", db, "--store-only"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex("indexed 4 items \\(2 folders\\) in [0-9.]+ s; 0 unreadable, 0 skipped\n")))
        << run.out;
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    const ToolRun stats = runTool({"--stats", "--db", db});
    EXPECT_EQ(stats.exitCode, 0);
    EXPECT_NE(stats.out.find("indexer version: 3.1.0 (skimmer-index 0.1)\n"), std::string::npos) << stats.out;
    EXPECT_NE(stats.out.find("items: 4\n"), std::string::npos) << stats.out;
    EXPECT_NE(stats.out.find("crawl state: idle\n"), std::string::npos) << stats.out;
}

TEST_F(ToolTest, ExitCodesForBadCommandLinesAndMissingIndexes) {
    EXPECT_EQ(runTool({"--frobnicate"}).exitCode, 2);
    EXPECT_EQ(runTool({"--root"}).exitCode, 2);
    EXPECT_EQ(runTool({"--limit", "3"}).exitCode, 2) << "--limit belongs to --query";
    const ToolRun help = runTool({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Exit codes"), std::string::npos);
    EXPECT_EQ(runTool({"--stats", "--db", db + ".none"}).exitCode, 3);
    EXPECT_EQ(runTool({"--root", tree, "--db", "/proc/no/such/index.sqlite"}).exitCode, 3);
}

TEST_F(ToolTest, ConfigFileExcludesAndReportsBadLines) {
    std::filesystem::create_directories(home.config() / "skimmer");
    std::ofstream(home.config() / "skimmer" / "index.conf") << "exclude = *.iso\nnonsense\n";
    const ToolRun run = runTool({"--root", tree, "--db", db, "--store-only", "--exclude", "sub"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("index.conf:2:"), std::string::npos) << run.err;
    const Snapshot rows = snapshotOf(db);
    EXPECT_EQ(rows.size(), 1u) << "b.iso excluded by the config file, sub by --exclude";
}

TEST_F(ToolTest, DamagedIndexIsReplacedWithAMessage) {
    std::ofstream(db) << std::string(8192, 'x');
    const ToolRun run = runTool({"--root", tree, "--db", db, "--store-only"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("damaged"), std::string::npos) << run.err;
    EXPECT_EQ(snapshotOf(db).size(), 4u);
}

}  // namespace
}  // namespace skimmer::index::store::test
