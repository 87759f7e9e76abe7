// The locate engine on Windows: Locate.exe (the stand-in of tests/support, installed in the
// engine's configured folder) run under Wine through os::Process, its hits, its errors, and
// children that flood or hang.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engines/l32_engine.h"
#include "engines/locate_run.h"
#include "os/locate_program.h"
#include "os/text_border.h"
#include "os/wide_text.h"
#include "tests/engines/engine_test_util.h"
#include "tests/support/fake_locate_exe.h"

namespace skimmer::engines {
namespace {

using namespace std::chrono_literals;

struct Fetched {
    std::vector<std::string> paths;
    int batches = 0;
    int largestBatch = 0;
    bool finished = false;
};

class WindowsLocate : public test::EngineFixture {
protected:
    WindowsLocate() : results(results::makeSearchResults()) {}

    // The stand-in as the engine's Locate.exe, told what to do by `control` (UTF-8 lines).
    void fakeLocate(const std::string& control) { skimmer::test::installFakeLocateExe(dir, control); }

    L32Engine& open() {
        engine = std::make_unique<L32Engine>(env);
        EXPECT_EQ(L32Init(*engine), 0);
        return *engine;
    }

    Fetched fetchAll(int maxCalls = 100000) {
        Fetched f;
        for (int calls = 0; calls < maxCalls && !f.finished; ++calls) {
            EXPECT_EQ(L32Fetch(*engine, *results), 0);
            for (int i = 0; i < results->Count; ++i) f.paths.push_back(results->Items[static_cast<size_t>(i)].Path);
            f.batches += results->Count > 0;
            f.largestBatch = std::max(f.largestBatch, results->Count);
            f.finished = results->Finished;
        }
        return f;
    }

    std::unique_ptr<results::TSearchResults> results;
    std::unique_ptr<L32Engine> engine;
};

// A UTF-8 text as the plug-in's ANSI string.
std::string ansi(const std::string& utf8) { return os::fromWide(os::wideFromUtf8(utf8)); }

// ---- the typed words reach Locate.exe as typed, one argument each -----------------------------

struct WordsCase {
    const char* name;
    std::string text;
    std::vector<std::string> words;
};

class TypedWords : public WindowsLocate, public ::testing::WithParamInterface<WordsCase> {};

TEST_P(TypedWords, ReachLocateExeOneArgumentEachWithNothingInterpreted) {
    fakeLocate("echo-file\n");
    open();
    ASSERT_EQ(L32Query(*engine, GetParam().text, "program"), 0);
    const Fetched f = fetchAll();
    EXPECT_TRUE(f.finished);
    EXPECT_TRUE(f.paths.empty());
    EXPECT_TRUE(shown.empty()) << shown.front();
    std::ifstream in(dir / "fake_locate.args", std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::vector<std::string> got;
    std::string word;
    for (char c : all.str()) {
        if (c == '\0') got.push_back(std::exchange(word, {}));
        else word += c;
    }
    EXPECT_EQ(got, GetParam().words);
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TypedWords,
    ::testing::Values(WordsCase{"one", "report", {"report"}}, WordsCase{"blanks", "  two   words ", {"two", "words"}},
                      WordsCase{"quotes", "it's \"quoted\" \"", {"it's", "\"quoted\"", "\""}},
                      WordsCase{"backslashes", "C:\\dir\\ a\\\"b \\\\", {"C:\\dir\\", "a\\\"b", "\\\\"}},
                      WordsCase{"command_interpreter", "%PATH% a&b|c ^x (y)>pwned", {"%PATH%", "a&b|c", "^x", "(y)>pwned"}},
                      WordsCase{"options", "/? -r", {"/?", "-r"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- hits -----------------------------------------------------------------------------------

struct HitsCase {
    const char* name;
    std::vector<std::string> database;  // UTF-8
    std::string text;
    std::vector<std::string> hits;  // UTF-8, shown in the ANSI code page
};

class Hits : public WindowsLocate, public ::testing::WithParamInterface<HitsCase> {};

TEST_P(Hits, EveryPrintedPathIsOneHitInTheAnsiCodePage) {
    std::string control = "match\n";
    for (const auto& line : GetParam().database) control += line + "\n";
    fakeLocate(control);
    open();
    ASSERT_EQ(L32Query(*engine, GetParam().text, ""), 0);
    const Fetched f = fetchAll();
    EXPECT_TRUE(f.finished);
    std::vector<std::string> expected;
    for (const auto& hit : GetParam().hits) expected.push_back(ansi(hit));
    EXPECT_EQ(f.paths, expected);
    EXPECT_TRUE(shown.empty()) << shown.front();
}

INSTANTIATE_TEST_SUITE_P(
    Names, Hits,
    ::testing::Values(
        HitsCase{"match", {"C:\\Data\\hello.txt", "C:\\Data\\world.txt"}, "HELLO", {"C:\\Data\\hello.txt"}},
        HitsCase{"every_word", {"C:\\a\\one two.txt", "C:\\a\\one.txt"}, "one two", {"C:\\a\\one two.txt"}},
        HitsCase{"none", {"C:\\a.txt"}, "zzz", {}},
        HitsCase{"shell_characters",
                 {"C:\\x\\100% & 'it' ^ (1) !bang!.txt", "C:\\x\\\"q\";,=.txt"},
                 "x",
                 {"C:\\x\\100% & 'it' ^ (1) !bang!.txt", "C:\\x\\\"q\";,=.txt"}},
        // Printed in the OEM code page, shown in the ANSI one.
        HitsCase{"non_ascii", {"C:\\Caf\xC3\xA9\\na\xC3\xAFve \xC3\x89t\xC3\xA9.txt"}, "caf",
                 {"C:\\Caf\xC3\xA9\\na\xC3\xAFve \xC3\x89t\xC3\xA9.txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowsLocate, HitFieldsSplitAtTheBackslash) {
    fakeLocate("print\nC:\\Data\\Sub\\report.txt\n");
    open();
    ASSERT_EQ(L32Query(*engine, "report", ""), 0);
    const Fetched f = fetchAll();
    ASSERT_EQ(f.paths.size(), 1u);
    const results::TSearchResult& r = results->Items[0];
    EXPECT_EQ(r.Name, "report.txt");
    EXPECT_EQ(r.Folder, "C:\\Data\\Sub\\");
    EXPECT_EQ(r.Url, "C:\\Data\\Sub\\report.txt");
    EXPECT_EQ(r.Size, -1) << "no such file";
}

// ---- errors, as the engine's contract says ---------------------------------------------------

struct ErrorCase {
    const char* name;
    std::string control;
    std::vector<std::string> paths;
    std::vector<std::string> shown;
};

class Errors : public WindowsLocate, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(Errors, AFailureWithoutPathsShowsItsFirstErrorLineWithMessage165) {
    fakeLocate(GetParam().control);
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    const Fetched f = fetchAll();
    EXPECT_TRUE(f.finished);
    EXPECT_EQ(f.paths, GetParam().paths);
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(L32Fetch(*engine, *results), 0);
    EXPECT_TRUE(results->Finished) << "a finished search stays finished";
}

INSTANTIATE_TEST_SUITE_P(
    Exits, Errors,
    ::testing::Values(ErrorCase{"exit_code_and_message", "fail 2 cannot open C:\\db\\files.dbs\n", {},
                                {"<165> cannot open C:\\db\\files.dbs"}},
                      ErrorCase{"exit_code_alone", "fail 5\n", {}, {"<165>"}},
                      ErrorCase{"error_prefix", "print\nError: database damaged\nC:\\x\n", {},
                                {"<165> Error: database damaged"}},
                      ErrorCase{"fails_after_paths", "fail 3 oops\nC:\\a\n", {"C:\\a"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowsLocate, MissingProgramOpensNothingAndSaysNothing) {
    L32Engine missing(env);
    EXPECT_EQ(L32Init(missing), kLocateMissing);
    EXPECT_TRUE(shown.empty());
}

// ---- nothing blocks -------------------------------------------------------------------------

TEST_F(WindowsLocate, AFloodOfHundredsOfThousandsOfLinesArrivesWholeInPieces) {
    fakeLocate("flood 300000\n");
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    const Fetched f = fetchAll();
    EXPECT_TRUE(f.finished);
    ASSERT_EQ(f.paths.size(), 300000u);
    EXPECT_EQ(f.paths.back(), "C:\\flood\\299999\\file.txt");
    EXPECT_LE(static_cast<size_t>(f.largestBatch), kL32PieceBytes / std::string("C:\\flood\\0\\file.txt\r\n").size() + 1);
    EXPECT_TRUE(shown.empty());
}

TEST_F(WindowsLocate, AHangingProgramIsEndedWithItsChildWhenTheEngineCloses) {
    fakeLocate("hang\nC:\\first.txt\n");
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    const std::vector<unsigned long> pids = skimmer::test::hangingPids(dir);
    ASSERT_EQ(pids.size(), 2u);
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(L32Fetch(*engine, *results), 0);
        EXPECT_FALSE(results->Finished);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "bounded by the poll step, not the program";
        for (int j = 0; j < results->Count; ++j) paths.push_back(results->Items[static_cast<size_t>(j)].Path);
    }
    EXPECT_EQ(paths, std::vector<std::string>{"C:\\first.txt"});
    EXPECT_TRUE(skimmer::test::processRunning(pids[0]));
    ASSERT_EQ(L32Done(*engine), 0);
    EXPECT_FALSE(skimmer::test::processRunning(pids[0]));
    EXPECT_FALSE(skimmer::test::processRunning(pids[1]));
}

TEST_F(WindowsLocate, ANewQueryEndsTheHangingOne) {
    fakeLocate("hang\n");
    open();
    ASSERT_EQ(L32Query(*engine, "a", ""), 0);
    const std::vector<unsigned long> first = skimmer::test::hangingPids(dir);
    ASSERT_EQ(first.size(), 2u);
    std::filesystem::remove(dir / "fake_locate.pids");
    ASSERT_EQ(L32Query(*engine, "b", ""), 0);
    EXPECT_FALSE(skimmer::test::processRunning(first[0]));
    EXPECT_FALSE(skimmer::test::processRunning(first[1]));
    const std::vector<unsigned long> second = skimmer::test::hangingPids(dir);
    ASSERT_EQ(second.size(), 2u);
    L32EndQuery(*engine);
    EXPECT_FALSE(skimmer::test::processRunning(second[0]));
    EXPECT_FALSE(skimmer::test::processRunning(second[1]));
}

// ---- the information query --------------------------------------------------------------------

// The version comes from the usage text "/?" prints. Asked with a long limit: under Wine a program
// takes longer to start than the About box's kL32VersionWait (L32GetInfo's bounds are tested on
// Linux, where starting takes milliseconds as it does on Windows).
TEST_F(WindowsLocate, VersionIsTheFirstLineOfTheUsageText) {
    fakeLocate("match\n");
    const std::string usage = RunAndCapture(os::locateVersionArguments(LocateProgramPath(env)), 30s, kL32VersionBytes);
    EXPECT_EQ(usage.substr(0, usage.find_first_of("\r\n")), "Locate stand-in 1.0 (a test program)");
    EXPECT_EQ(RunAndCapture(os::locateVersionArguments((dir / "absent.exe").string()), 30s, 4096), "");
}

}  // namespace
}  // namespace skimmer::engines
