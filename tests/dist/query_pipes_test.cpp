// `skimmer-index --query` as other tools use it (docs/command-line-use.md): its hits piped with -0
// into xargs and into the real fzf keep every name whole (blanks, a newline, bytes that are not
// UTF-8), and as a file manager's panelize command it prints one absolute path a line and nothing
// else on stdout. The pipelines run in sh with the paths as positional parameters, never as text
// of the script.
#include "tests/index/crawl/tool_run.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace skimmer::dist::test {
namespace {

using index::store::test::runProgram;
using index::store::test::runTool;
using index::store::test::toolPath;
using index::store::test::ToolRun;

class QueryPipes : public ::testing::Test {
protected:
    skimmer::test::TempHome home;
    std::string tree = (home.root() / "tree").string();
    std::string db = (home.cache() / "index.sqlite").string();

    // Each file holds one letter, so what a consumer opened shows in what it read.
    void SetUp() override {
        if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "skimmer-index was not built";
        std::filesystem::create_directories(tree + "/zz folder");
        for (const auto& [name, letter] : {std::pair{"zz one two.txt", "A"}, {"zz\nnewline.txt", "B"},
                                           {"zz\xff\xfe.txt", "C"}, {"zz back\\slash.txt", "D"}})
            std::ofstream(tree + "/" + name) << letter;
        const ToolRun built = runTool({"--root", tree, "--db", db, "--store-only"});
        ASSERT_EQ(built.exitCode, 0) << built.err;
    }

    // `sh -c SCRIPT sh TOOL DB`: the script names the tool "$1" and the index "$2".
    ToolRun pipeline(const std::string& script) { return runProgram({"sh", "-c", script, "sh", toolPath(), db}); }
};

TEST_F(QueryPipes, XargsOpensEveryHitWithNul) {
    const ToolRun run = pipeline(R"("$1" --query zz --kind file -0 --db "$2" | xargs -0 cat)");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::string letters = run.out;
    std::sort(letters.begin(), letters.end());
    EXPECT_EQ(letters, "ABCD") << "each of the four files was opened by its exact name";
    EXPECT_EQ(run.err, "");
}

TEST_F(QueryPipes, FzfFiltersNulSeparatedHitsAndKeepsTheNames) {
    if (runProgram({"fzf", "--version"}).exitCode != 0) GTEST_SKIP() << "fzf is not installed (scripts/setup installs it)";
    for (const auto& [typed, name] : {std::pair{"newline", "zz\nnewline.txt"}, {"one two", "zz one two.txt"}}) {
        const ToolRun run = pipeline(R"("$1" --query zz --kind file -0 --db "$2" | fzf --read0 --print0 --filter=")" +
                                     std::string(typed) + "\"");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, tree + "/" + name + std::string(1, '\0')) << typed;
    }
}

// Panelize: one absolute path a line; a name a line could not carry comes escaped, still on one line.
TEST_F(QueryPipes, PanelizeGetsOnePathALineAndNothingElse) {
    const ToolRun run = runTool({"--query", "zz", "--kind", "file", "--db", db});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    std::vector<std::string> lines;
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{tree + "/zz back\\\\slash.txt", tree + "/zz one two.txt",
                                               tree + "/zz\\x0Anewline.txt", tree + "/zz\\xFF\\xFE.txt"}));
    EXPECT_TRUE(std::filesystem::exists(tree + "/zz one two.txt")) << "a plain name is the path itself";
    const ToolRun none = runTool({"--query", "nothing-has-this-name", "--db", db});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");
    const ToolRun missing = runTool({"--query", "zz", "--db", db + ".gone"});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("skimmer-index: "), std::string::npos);
}

}  // namespace
}  // namespace skimmer::dist::test
