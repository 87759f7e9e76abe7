// The command-line quoting on Windows, checked by really running the produced line through the
// system's (Wine's) cmd.exe: a hostile file name runs that file and nothing else, or is refused.
#include "os/shell_quote.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "os/wide_text.h"
#include "tests/support/cmd_exe_win32.h"
#include "tests/support/fake_locate_exe.h"
#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;

// A script that leaves `marker` in its own folder when it runs.
void writeScript(const fs::path& file, const char* marker) {
    std::ofstream(file, std::ios::binary) << "@echo off\r\necho ran>\"%~dp0" << marker << "\"\r\n";
}

fs::path ansiPath(const std::string& ansi) { return fs::path(toWide(ansi)); }

class CmdQuoting : public ::testing::TestWithParam<std::string> {
protected:
    // The folder of the hit, with the script named by the parameter and a decoy named by the
    // part of that name before its first character cmd.exe would act on, which is what a line
    // cut short there would run.
    void SetUp() override {
        fs::create_directories(folder);
        const std::string& name = GetParam();
        writeScript(folder / ansiPath(name), "ran.txt");
        const std::string stem = name.substr(0, name.find_first_of(" &^(),;=@!%'"));
        if (!stem.empty() && stem != name) writeScript(folder / ansiPath(stem + ".cmd"), "decoy.txt");
    }
    void expectOnlyTheHitRan(const test::CmdRun& run, const char* form) {
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.exitCode, 0u) << form << ": " << run.output;
        EXPECT_TRUE(fs::exists(folder / "ran.txt")) << form << ": " << run.output;
        EXPECT_FALSE(fs::exists(folder / "decoy.txt")) << form;
        fs::remove(folder / "ran.txt");
        fs::remove(folder / "decoy.txt");
    }

    test::TempHome home;
    fs::path folder = home.root() / "hits";
};

// The line in a command's place runs the script whatever its name holds, whether cmd.exe gets it
// after "/c" as it is or wrapped in quotes after "/s /c".
TEST_P(CmdQuoting, TheLineRunsThatFileAndNothingElse) {
    const std::string path = fromWide((folder / ansiPath(GetParam())).wstring());
    std::string line, error;
    ASSERT_TRUE(commandLineToRun(path, line, error)) << error;
    expectOnlyTheHitRan(test::runThroughCmd(L"/c", toWide(line), home.root() / "out.txt"), "/c");
    expectOnlyTheHitRan(test::runThroughCmd(L"/s /c", L"\"" + toWide(line) + L"\"", home.root() / "out.txt"),
                        "/s /c");
}

// The word after a program reaches it as one argument, the path unchanged.
TEST_P(CmdQuoting, TheArgumentReachesTheProgramUnchanged) {
    const std::string program = test::installFakeLocateExe(home.root() / "program", "echo\n").string();
    const std::string path = fromWide((folder / ansiPath(GetParam())).wstring());
    std::string word, error, programWord;
    ASSERT_TRUE(commandLineArgument(path, word, error)) << error;
    ASSERT_TRUE(commandLineToRun(program, programWord, error)) << error;
    const test::CmdRun run = test::runThroughCmd(L"/c", toWide(programWord + " " + word), home.root() / "out.txt");
    ASSERT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output, path + std::string(1, '\0'));
    EXPECT_FALSE(fs::exists(folder / "ran.txt"));
}

INSTANTIATE_TEST_SUITE_P(HostileNames, CmdQuoting,
                         ::testing::Values("plain.cmd", "two words.cmd", "a&b.cmd", "x ^y (1).cmd",
                                           "it's; a,b=c.cmd", "100% sure.cmd", "@at.cmd", "caf\xE9 !bang.cmd",
                                           "and&&or.cmd", "x=(y).cmd"));

TEST(CmdQuotingArgument, ATrailingBackslashStaysOneArgument) {
    std::string word, error;
    ASSERT_TRUE(commandLineArgument("C:\\My Files\\", word, error)) << error;
    EXPECT_EQ(word, "\"C:\\My Files\\\\\"");
    ASSERT_TRUE(commandLineArgument("C:\\plain\\", word, error)) << error;
    EXPECT_EQ(word, "C:\\plain\\");
}

struct RefusalCase {
    const char* name;
    std::string path;
    std::string says;  // a part of the message
};

class CmdRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CmdRefusals, APathCmdCannotCarryIsRefusedWithAReason) {
    std::string line = "untouched", error;
    EXPECT_FALSE(commandLineToRun(GetParam().path, line, error));
    EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
    error.clear();
    EXPECT_FALSE(commandLineArgument(GetParam().path, line, error));
    EXPECT_NE(error.find(GetParam().says), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Paths, CmdRefusals,
                         ::testing::Values(RefusalCase{"variable", "C:\\%PATH%.txt", "'%'"},
                                           RefusalCase{"two_percents", "C:\\50% of 80%.txt", "'%'"},
                                           RefusalCase{"quote", "C:\\say \"hi\".txt", "double quote"},
                                           RefusalCase{"line_break", "C:\\a\r\nb.txt", "control character"},
                                           RefusalCase{"empty", "", "empty"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::os
