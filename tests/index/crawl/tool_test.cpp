// skimmer-index as users and scripts see it: exit codes, the summary line, no terminal codes when
// the output is not a terminal, the config file, and a damaged index replaced with a message.
// The executable sits beside this test binary; the tests are skipped when it was not built.
#include "tests/index/crawl/store_test_util.h"
#include "tests/index/crawl/tool_run.h"
#include "tests/support/temp_home.h"

#include <sys/file.h>

#include <filesystem>
#include <fstream>
#include <regex>

namespace skimmer::index::store::test {
namespace {

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

struct RefusedLine {
    const char* name;
    std::vector<std::string> args;  // "TREE" stands for the test's tree
    const char* says;
};

class RefusedCommandLine : public ToolTest, public ::testing::WithParamInterface<RefusedLine> {};

// A command line that cannot mean what it says is refused with exit 2, a reason and the usage;
// nothing is crawled, printed or dropped silently.
TEST_P(RefusedCommandLine, IsRefusedWithItsReason) {
    std::vector<std::string> args = GetParam().args;
    for (std::string& arg : args)
        if (arg == "TREE") arg = tree;
    if (args[0] != "--db") args.insert(args.begin(), {"--db", db});  // unless the case is about --db itself
    const ToolRun run = runTool(args);
    EXPECT_EQ(run.exitCode, 2) << run.err;
    EXPECT_NE(run.err.find(std::string("skimmer-index: ") + GetParam().says), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("usage: skimmer-index"), std::string::npos);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(db)) << "nothing may be crawled";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, RefusedCommandLine,
    ::testing::Values(
        RefusedLine{"MissingRoot", {"--root", "/nonexistent/folder"}, "--root /nonexistent/folder is not a folder"},
        RefusedLine{"FileAsRoot", {"--root", "/etc/hostname"}, "--root /etc/hostname is not a folder"},
        RefusedLine{"EmptyRoot", {"--root", ""}, "--root needs a folder"},
        RefusedLine{"EmptyDb", {"--db", "", "--root", "TREE"}, "--db needs a file"},
        RefusedLine{"EmptyExclude", {"--root", "TREE", "--exclude", ""}, "--exclude needs a pattern"},
        RefusedLine{"EmptyLimit", {"--query", "a", "--limit", ""}, "--limit needs a whole number"},
        RefusedLine{"WordLimit", {"--query", "a", "--limit", "abc"}, "--limit needs a whole number"},
        RefusedLine{"NegativeLimit", {"--query", "a", "--limit", "-1"}, "--limit needs a whole number"},
        RefusedLine{"SignedLimit", {"--query", "a", "--limit", "+3"}, "--limit needs a whole number"},
        RefusedLine{"HugeLimit", {"--query", "a", "--limit", "99999999999999999999"}, "--limit needs a whole number"},
        RefusedLine{"EmptyKind", {"--query", "a", "--kind", ""}, "--kind needs a kind word"},
        RefusedLine{"StatsAndQuery", {"--stats", "--query", "a"}, "--stats and --query cannot be combined"},
        RefusedLine{"RebuildAndQuery", {"--rebuild", "--query", "a"}, "--query cannot be combined with"},
        RefusedLine{"RootAndQuery", {"--root", "TREE", "--query", "a"}, "--query cannot be combined with"},
        RefusedLine{"StatsAndRebuild", {"--stats", "--rebuild"}, "--stats cannot be combined with"},
        RefusedLine{"NamesOnlyAndWatch", {"--names-only", "--watch"}, "--names-only cannot be combined with"},
        RefusedLine{"NamesOnlyAndQuery", {"--names-only", "--query", "a"}, "--names-only cannot be combined with"},
        RefusedLine{"WatchAndRebuild", {"--watch", "--rebuild"}, "--watch and --rebuild cannot be combined"},
        RefusedLine{"WatchAndQuery", {"--watch", "--query", "a"}, "--query cannot be combined with"},
        RefusedLine{"WatchAndStats", {"--stats", "--watch"}, "--stats cannot be combined with"},
        RefusedLine{"QueryTwice", {"--query", "a", "--query", "b"}, "--query is given twice"},
        RefusedLine{"LimitTwice", {"--query", "a", "--limit", "1", "--limit", "2"}, "--limit is given twice"},
        RefusedLine{"QueryOptionAlone", {"--kind", "music"}, "--kind, --limit and -0 go with --query"},
        RefusedLine{"MissingValue", {"--root"}, "--root needs a value"},
        RefusedLine{"UnknownOption", {"--frobnicate"}, "unknown option '--frobnicate'"},
        RefusedLine{"StrayWord", {"hello"}, "unknown option 'hello'"}),
    [](const ::testing::TestParamInfo<RefusedLine>& info) { return std::string(info.param.name); });

struct CrawlHolder {
    const char* name;
    bool alive;
    const char* state;
};

class StatsCrawlState : public ToolTest, public ::testing::WithParamInterface<CrawlHolder> {};

// "running" is reported only while a crawler holds the lock; a crawl that was killed (the state
// left behind in the index) is reported as interrupted.
TEST_P(StatsCrawlState, RunningOnlyWhileTheLockIsHeld) {
    ASSERT_EQ(runTool({"--root", tree, "--db", db, "--store-only"}).exitCode, 0);
    {
        OpenedIndex index = openIndexForWriting(db);
        ASSERT_TRUE(index.status) << index.status.error;
        ASSERT_TRUE(writeMeta(index.db.get(), kMetaCrawlState, std::string_view("running")).ok);
    }
    const int lock = ::open((db + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(lock, 0);
    if (GetParam().alive) {
        ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    }
    const ToolRun stats = runTool({"--stats", "--db", db});
    ::close(lock);
    EXPECT_EQ(stats.exitCode, 0) << stats.err;
    EXPECT_NE(stats.out.find(std::string("crawl state: ") + GetParam().state), std::string::npos) << stats.out;
}

INSTANTIATE_TEST_SUITE_P(Holders, StatsCrawlState,
                         ::testing::Values(CrawlHolder{"Alive", true, "running\n"},
                                           CrawlHolder{"Killed", false, "interrupted"}),
                         [](const ::testing::TestParamInfo<CrawlHolder>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::index::store::test
