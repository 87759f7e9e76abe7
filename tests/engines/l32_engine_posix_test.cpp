#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engines/engine_select.h"
#include "engines/l32_engine.h"
#include "engines/wds_engine.h"
#include "engines/locate_run.h"
#include "mail/mail_store.h"
#include "os/process.h"
#include "tests/support/memory_registry.h"
#include "tests/engines/engine_test_util.h"
#include "tests/support/fake_locate.h"
#include "tests/support/open_descriptors.h"

namespace skimmer::engines {
namespace {

using namespace std::chrono_literals;

struct Fetched {
    std::vector<std::vector<std::string>> batches;  // the paths of each batch that held hits
    std::vector<std::string> paths;
    bool finished = false;
    int calls = 0;
};

class LocateEngine : public test::EngineFixture {
protected:
    LocateEngine() : results(results::makeSearchResults()) {}

    // A fake `locate` in the engine's folder: a shell script with this body. Run with plocate's
    // "-i -l N --", it answers as plocate does: what the same search prints, cut after N lines
    // and held back until it ends (plocate's output to a pipe is buffered), exit code 1 when it
    // printed nothing.
    void fakeLocate(const std::string& body) {
        const std::string limited =
            "if [ \"$2\" = -l ]; then n=$3; shift 3; kept=\"$0.first.$$\"; \"$0\" -i \"$@\" | head -n \"$n\" > \"$kept\"; "
            "[ -s \"$kept\" ]; status=$?; cat \"$kept\"; rm -f \"$kept\"; exit $status; fi\n";
        writeFile(dir / "locate", "#!/bin/sh\n" + limited + body + "\n", true);
    }

    L32Engine& open() {
        engine = std::make_unique<L32Engine>(env);
        EXPECT_EQ(L32Init(*engine), 0);
        return *engine;
    }

    // Fetches until Finished or `maxCalls` calls; each call is bounded by the engine's poll step.
    Fetched fetchAll(int maxCalls = 500) {
        Fetched f;
        while (f.calls < maxCalls && !f.finished) {
            ++f.calls;
            EXPECT_EQ(L32Fetch(*engine, *results), 0);
            std::vector<std::string> batch;
            for (int i = 0; i < results->Count; ++i) batch.push_back(results->Items[static_cast<size_t>(i)].Path);
            if (!batch.empty()) f.batches.push_back(batch);
            f.paths.insert(f.paths.end(), batch.begin(), batch.end());
            f.finished = results->Finished;
        }
        return f;
    }

    // The full run's child once it has started, the limited run's before; -1 when neither runs.
    pid_t childPid() const {
        const TLocateRun* run = engine->run();
        if (!run) return -1;
        if (run->Process) return run->Process->pid();
        return run->FirstHits ? run->FirstHits->Process->pid() : -1;
    }

    std::unique_ptr<results::TSearchResults> results;
    std::unique_ptr<L32Engine> engine;
};

bool processGone(pid_t pid) { return pid > 0 && kill(pid, 0) != 0 && errno == ESRCH; }

// ---- arguments: an argument vector, byte for byte, never a shell ----------------------------------

struct ArgsCase {
    std::string text;
    std::vector<std::string> words;
};

class LocateArgs : public LocateEngine, public ::testing::WithParamInterface<ArgsCase> {};

TEST_P(LocateArgs, TheProgramReceivesDashIDashDashAndTheWordsExactly) {
    // It prints nothing, so it ends as the real one does when nothing matched.
    fakeLocate("for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$0.args\"; exit 1");
    open();
    ASSERT_EQ(L32Query(*engine, GetParam().text, "program"), 0);
    const Fetched f = fetchAll();
    ASSERT_TRUE(f.finished);
    EXPECT_TRUE(f.paths.empty());
    std::ifstream in(dir / "locate.args", std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    std::vector<std::string> got;
    std::string arg;
    for (char ch : all.str()) {
        if (ch == '\0') got.push_back(std::exchange(arg, {}));
        else arg += ch;
    }
    std::vector<std::string> expected{"-i", "--"};
    expected.insert(expected.end(), GetParam().words.begin(), GetParam().words.end());
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "pwned"));
}

INSTANTIATE_TEST_SUITE_P(
    Injection, LocateArgs,
    ::testing::Values(ArgsCase{"-rf", {"-rf"}}, ArgsCase{"--help", {"--help"}},
                      ArgsCase{"$(touch pwned)", {"$(touch", "pwned)"}},
                      ArgsCase{"`id`;x|y&z>o", {"`id`;x|y&z>o"}},
                      ArgsCase{"it's \"quoted\"", {"it's", "\"quoted\""}},
                      ArgsCase{"  two   words ", {"two", "words"}},
                      ArgsCase{"new\nline\ttab", {"new\nline\ttab"}},
                      ArgsCase{"\xFF\xFE \xC3", {"\xFF\xFE", "\xC3"}},
                      ArgsCase{"*.txt ?", {"*.txt", "?"}}));

TEST(LocateArguments, VectorIsProgramDashIDashDashThenWords) {
    EXPECT_EQ(LocateArguments("/usr/bin/locate", "a  b"),
              (std::vector<std::string>{"/usr/bin/locate", "-i", "--", "a", "b"}));
    EXPECT_EQ(LocateArguments("locate", "   ").size(), 3u);
}

// ---- output shapes through a real pipe --------------------------------------------------------

struct OutputCase {
    const char* name;
    std::string script;
    std::vector<std::string> paths;
};

class LocateOutputs : public LocateEngine, public ::testing::WithParamInterface<OutputCase> {};

TEST_P(LocateOutputs, EveryCompleteLineBecomesOneHit) {
    fakeLocate(GetParam().script);
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    const Fetched f = fetchAll();
    EXPECT_TRUE(f.finished);
    EXPECT_EQ(f.paths, GetParam().paths);
    EXPECT_TRUE(shown.empty()) << shown.front();
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LocateOutputs,
    ::testing::Values(
        OutputCase{"lf", "printf '/a/b\\n/c d/e\\n'", {"/a/b", "/c d/e"}},
        OutputCase{"crlf", "printf '/a\\r\\n/b\\r\\n'", {"/a", "/b"}},
        OutputCase{"split_across_reads", "printf '/first/pa'; sleep 0.05; printf 'rt\\n/second\\n'",
                   {"/first/part", "/second"}},
        OutputCase{"blank_lines", "printf '\\n\\n/a\\n\\r\\n\\n/b\\n\\n'", {"/a", "/b"}},
        OutputCase{"nul_and_invalid_utf8", "printf '/a\\000b\\n/\\377\\303(\\n'", {"/\xFF\xC3("}},
        OutputCase{"last_line_without_end", "printf '/a\\n/b'", {"/a", "/b"}},
        OutputCase{"stderr_spam_never_blocks",
                   "head -c 1000000 /dev/zero | tr '\\0' e >&2; printf '/after\\n'", {"/after"}},
        OutputCase{"nothing", "exit 1", {}},
        // Only an absolute path with a name is a hit: a relative line would run as a command.
        OutputCase{"not_paths", "printf '   \\n/\\n//\\nrelative/x\\nls\\n /lead\\n/ok\\n/dir/\\n'", {"/ok"}},
        OutputCase{"overlong_line_then_next",
                   "{ head -c 70000 /dev/zero | tr '\\0' x; printf '\\n/next\\n'; } | cat", {"/next"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LocateEngine, HitFieldsFollowThePath) {
    writeFile(dir / "seven.txt", "1234567");
    fakeLocate("printf '%s\\n' '" + (dir / "seven.txt").string() + "' /gone/away");
    open();
    ASSERT_EQ(L32Query(*engine, "seven", ""), 0);
    const Fetched f = fetchAll();
    ASSERT_EQ(f.paths.size(), 2u);
    // The last batch was the one that held both (one piece).
    const results::TSearchResult& r = results->Items[0];
    const std::string path = (dir / "seven.txt").string();
    EXPECT_EQ(r.Name, "seven.txt");
    EXPECT_EQ(r.Url, path);
    EXPECT_EQ(r.Title, path);
    EXPECT_EQ(r.Folder, dir.string() + "/");
    EXPECT_EQ(r.FolderW, r.Folder);
    EXPECT_EQ(r.Target, r.Folder);
    EXPECT_EQ(r.Size, 7);
    EXPECT_EQ(r.Kind, "");
    EXPECT_EQ(results->Items[1].Size, -1);
}

TEST_F(LocateEngine, AFloodArrivesInPiecesOfAtMost2400BytesAndIsKilledWhenAbandoned) {
    fakeLocate("exec yes /flooding/the/pipe/with/one/path");
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    const size_t lineBytes = std::string("/flooding/the/pipe/with/one/path\n").size();
    int64_t hits = 0;
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(L32Fetch(*engine, *results), 0);
        ASSERT_FALSE(results->Finished);
        // A batch may be empty when the program got no time within the step (a loaded machine).
        ASSERT_LE(static_cast<size_t>(results->Count), kL32PieceBytes / lineBytes + 1);
        hits += results->Count;
    }
    EXPECT_GT(hits, 200) << "the flood arrives";
    const pid_t pid = childPid();
    L32EndQuery(*engine);
    EXPECT_TRUE(processGone(pid)) << "killed and reaped, no zombie";
}

TEST_F(LocateEngine, AProgramThatNeverExitsNeverHoldsAFetchLongerThanItsStep) {
    fakeLocate("exec sleep 600");
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    const pid_t limited = childPid();
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(L32Fetch(*engine, *results), 0);
        EXPECT_EQ(results->Count, 0);
        EXPECT_FALSE(results->Finished);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "bounded by the poll step, not the program";
    }
    const pid_t full = childPid();
    EXPECT_NE(full, limited) << "the full run started, though the limited one never ended";
    L32EndQuery(*engine);
    EXPECT_TRUE(processGone(limited));
    EXPECT_TRUE(processGone(full));
}

TEST_F(LocateEngine, AProgramThatClosesItsOutputAndRunsOnEndsTheSearch) {
    fakeLocate("printf '/one\\n'; exec >&-; exec sleep 600");
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    const Fetched f = fetchAll();
    const pid_t pid = childPid();
    EXPECT_TRUE(f.finished);
    EXPECT_EQ(f.paths, std::vector<std::string>{"/one"});
    EXPECT_FALSE(processGone(pid)) << "still running: ended only by L32EndQuery";
    L32EndQuery(*engine);
    EXPECT_TRUE(processGone(pid));
}

// ---- the limited run that brings the first hits ----------------------------------------------------

struct FirstHitsCase {
    const char* name;
    std::string limited;  // what the program does when asked for its first N hits ("-i -l N --")
    std::string full;     // and when asked for all of them
    std::vector<std::vector<std::string>> batches;
};

class FirstHits : public LocateEngine, public ::testing::WithParamInterface<FirstHitsCase> {};

// The batches show which run each hit came from: the full run prints all its lines in one piece.
TEST_P(FirstHits, EveryHitComesOnceInTheFullRunsOrder) {
    writeFile(dir / "locate",
              "#!/bin/sh\nif [ \"$2\" = -l ]; then\n" + GetParam().limited + "\nelse\n" + GetParam().full + "\nfi\n", true);
    open();
    ASSERT_EQ(L32Query(*engine, "p", ""), 0);
    const Fetched f = fetchAll();
    EXPECT_TRUE(f.finished);
    EXPECT_EQ(f.batches, GetParam().batches);
    EXPECT_TRUE(shown.empty()) << shown.front();
    EXPECT_EQ(engine->run()->FirstHits, nullptr) << "the limited run has ended or was killed";
}

const std::string kSevenPaths = "printf '/p1\\n/p2\\n/p3\\n/p4\\n/p5\\n/p6\\n/p7\\n'";

INSTANTIATE_TEST_SUITE_P(
    Runs, FirstHits,
    ::testing::Values(
        // The full run holds its output back until it has read everything (as plocate does into a
        // pipe): the limited run's five come first, the full run's copies of them are dropped.
        FirstHitsCase{"limited_first",
                      "printf '/p1\\n/p2\\n/p3\\n/p4\\n/p5\\n'",
                      "sleep 0.3; " + kSevenPaths,
                      {{"/p1", "/p2", "/p3", "/p4", "/p5"}, {"/p6", "/p7"}}},
        // The full run prints before the limited one has: it alone brings every hit.
        FirstHitsCase{"full_overtakes", "sleep 600", kSevenPaths,
                      {{"/p1", "/p2", "/p3", "/p4", "/p5", "/p6", "/p7"}}},
        // Fewer hits than the limit, then nothing more from the full run.
        FirstHitsCase{"all_in_the_first", "printf '/p1\\n/p2\\n'", "sleep 0.3; printf '/p1\\n/p2\\n'",
                      {{"/p1", "/p2"}}},
        // The database changed between the two runs: a hit the full run does not repeat stays,
        // and a repeated one is still given once.
        FirstHitsCase{"databases_differ", "printf '/gone\\n/p1\\n'", "sleep 0.3; printf '/p1\\n/p2\\n'",
                      {{"/gone", "/p1"}, {"/p2"}}},
        // A limited run that fails says nothing: the full run's status is the search's.
        FirstHitsCase{"limited_fails", "echo 'no database' >&2; exit 1", kSevenPaths,
                      {{"/p1", "/p2", "/p3", "/p4", "/p5", "/p6", "/p7"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LocateEngine, AbandoningTheSearchKillsTheLimitedRunToo) {
    writeFile(dir / "locate", "#!/bin/sh\nexec sleep 600\n", true);
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    ASSERT_NE(engine->run()->FirstHits, nullptr);
    const pid_t limited = engine->run()->FirstHits->Process->pid();
    ASSERT_EQ(L32Fetch(*engine, *results), 0);
    L32EndQuery(*engine);
    EXPECT_TRUE(processGone(limited));
}

struct FailureCase {
    const char* name;
    std::string script;
    std::vector<std::string> paths;
    std::vector<std::string> shown;
};

class LocateFailures : public LocateEngine, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LocateFailures, AFailureWithoutPathsShowsItsFirstErrorLineWithMessage165) {
    fakeLocate(GetParam().script);
    open();
    ASSERT_EQ(L32Query(*engine, "x", ""), 0);
    const Fetched f = fetchAll();
    EXPECT_TRUE(f.finished);
    EXPECT_EQ(f.paths, GetParam().paths);
    EXPECT_EQ(shown, GetParam().shown);
    EXPECT_EQ(L32Fetch(*engine, *results), 0);
    EXPECT_TRUE(results->Finished) << "a finished search stays finished";
    EXPECT_EQ(results->Count, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Exits, LocateFailures,
    ::testing::Values(
        // plocate's and mlocate's texts for a missing database, with their exit code 1.
        FailureCase{"no_database", "printf '/var/lib/plocate/plocate.db: No such file or directory\\n' >&2; exit 1",
                    {}, {"<165> /var/lib/plocate/plocate.db: No such file or directory"}},
        FailureCase{"only_the_first_error_line",
                    "printf \"locate: can not stat () \\`/var/lib/mlocate/mlocate.db': No such file or directory\\r\\n"
                    "second line\\n\" >&2; exit 1",
                    {}, {"<165> locate: can not stat () `/var/lib/mlocate/mlocate.db': No such file or directory"}},
        FailureCase{"exit_1_with_a_blank_error_line", "echo >&2; exit 1", {}, {"<165>"}},
        FailureCase{"fails_silently", "exit 3", {}, {"<165>"}},
        FailureCase{"fails_after_paths", "printf '/a\\n'; echo oops >&2; exit 1", {"/a"}, {}},
        FailureCase{"no_match_is_not_an_error", "exit 1", {}, {}},
        FailureCase{"success_with_chatter", "echo chatter >&2; exit 0", {}, {}},
        FailureCase{"error_prefix", "printf 'Error: database damaged\\n/x\\n'", {}, {"<165> Error: database damaged"}},
        FailureCase{"killed", "kill -9 $$", {}, {"<165>"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the real program and the tests' stand-in, side by side -----------------------------------

enum class Locator { Fake, Real };
enum class Database { Built, Missing, Corrupt };

struct RealCase {
    const char* name;
    std::string text;
    Database database;
    std::vector<std::string> paths;  // below the tree
    std::string error;               // after "<165> " + the database's path; empty: nothing shown
};

class SameAsTheRealLocate : public LocateEngine,
                            public ::testing::WithParamInterface<std::tuple<Locator, RealCase>> {
protected:
    // The engine's `locate` searches the database beside it, "locate.db": the stand-in does so
    // itself, the real program is handed it with -d by a two-line script.
    void prepare(Locator locator, Database database) {
        tree = dir / "tree";
        std::filesystem::create_directories(tree / "sub");
        writeFile(tree / "hello.txt", "x");
        writeFile(tree / "sub" / "World", "x");
        // More hits than the limited run brings: its first ones and the full run's rest meet.
        std::filesystem::create_directories(tree / "many");
        for (int i = 1; i <= 7; ++i) writeFile(tree / "many" / ("n" + std::to_string(i)), "x");
        if (locator == Locator::Fake) {
            ::skimmer::test::writeFakeLocate(dir);
            std::vector<std::string> paths{tree.string(), (tree / "hello.txt").string(), (tree / "many").string()};
            for (int i = 1; i <= 7; ++i) paths.push_back((tree / "many" / ("n" + std::to_string(i))).string());
            paths.insert(paths.end(), {(tree / "sub").string(), (tree / "sub" / "World").string()});
            if (database == Database::Built) ::skimmer::test::writeFakeLocateDatabase(db(), paths);
        } else {
            fakeLocate("exec locate -d \"$0.db\" \"$@\"");
            if (database == Database::Built) buildRealDatabase();
        }
        if (database == Database::Corrupt) writeFile(db(), std::string(4000, 'x'));
    }
    void buildRealDatabase() {
        std::string error;
        auto p = os::Process::start({.argv = {"updatedb", "--require-visibility", "0", "--prunefs", "",
                                              "--prunepaths", "", "--prunenames", "", "-o", db().string(),
                                              "-U", tree.string()}},
                                    error);
        ASSERT_TRUE(p) << error;
        ASSERT_TRUE(p->waitUntilEnded().success());
    }
    std::filesystem::path db() const { return dir / "locate.db"; }
    std::filesystem::path tree;
};

// No match, a match and a database that is missing or damaged give the same hits and boxes with
// the real plocate as with the stand-in the other tests use.
TEST_P(SameAsTheRealLocate, HitsAndErrorBoxes) {
    const auto& [locator, c] = GetParam();
    if (locator == Locator::Real && (!mail::installedProgram("locate") || !mail::installedProgram("updatedb")))
        GTEST_SKIP() << "locate or updatedb is not installed";
    prepare(locator, c.database);
    open();
    ASSERT_EQ(L32Query(*engine, c.text, ""), 0);
    const Fetched f = fetchAll();
    EXPECT_TRUE(f.finished);
    std::vector<std::string> expected;
    for (const std::string& path : c.paths) expected.push_back((tree / path).string());
    EXPECT_EQ(f.paths, expected);
    if (c.error.empty()) {
        EXPECT_TRUE(shown.empty()) << shown.front();
    } else {
        EXPECT_EQ(shown, std::vector<std::string>{"<165> " + db().string() + c.error});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Queries, SameAsTheRealLocate,
    ::testing::Combine(
        ::testing::Values(Locator::Fake, Locator::Real),
        ::testing::Values(
            RealCase{"match_any_case", "HELLO", Database::Built, {"hello.txt"}, ""},
            RealCase{"every_word", "tree world", Database::Built, {"sub/World"}, ""},
            RealCase{"glob_over_the_whole_path", "*.TXT", Database::Built, {"hello.txt"}, ""},
            RealCase{"no_match", "nomatchqx", Database::Built, {}, ""},
            RealCase{"more_than_the_first_hits", "many", Database::Built,
                     {"many", "many/n1", "many/n2", "many/n3", "many/n4", "many/n5", "many/n6", "many/n7"}, ""},
            RealCase{"missing_database", "hello", Database::Missing, {}, ": No such file or directory"},
            RealCase{"corrupt_database", "hello", Database::Corrupt, {},
                     ": database is corrupt or not a plocate database; please rebuild it."})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param) == Locator::Real ? "real_" : "fake_") + std::get<1>(info.param).name;
    });

TEST_F(LocateEngine, MissingOrUnusableProgram) {
    L32Engine missing(env);
    EXPECT_EQ(L32Init(missing), kLocateMissing);
    EXPECT_FALSE(missing.ready());
    EXPECT_EQ(L32Query(missing, "x", ""), kEngineNotReady);
    EXPECT_EQ(shown, std::vector<std::string>{"Error: 50"});

    shown.clear();
    writeFile(dir / "locate", "#!/bin/sh\necho /x\n", false);  // there, but not executable
    open();
    EXPECT_EQ(L32Query(*engine, "x", ""), kEngineCannotStart);
    EXPECT_EQ(shown, std::vector<std::string>{"Error: 71"});
    EXPECT_TRUE(fetchAll(1).finished) << "a query that did not start fetches as finished";
}

TEST_F(LocateEngine, AnEmptyTextStartsNothing) {
    fakeLocate("touch \"$0.ran\"; echo /x");
    open();
    ASSERT_EQ(L32Query(*engine, "   ", ""), 0);
    EXPECT_EQ(childPid(), -1);
    const Fetched f = fetchAll(1);
    EXPECT_TRUE(f.finished);
    EXPECT_FALSE(std::filesystem::exists(dir / "locate.ran"));
}

TEST_F(LocateEngine, ANewQueryEndsTheRunningProgram) {
    fakeLocate("exec sleep 600");
    open();
    ASSERT_EQ(L32Query(*engine, "a", ""), 0);
    const pid_t first = childPid();
    ASSERT_EQ(L32Query(*engine, "b", ""), 0);
    EXPECT_TRUE(processGone(first));
    const pid_t second = childPid();
    ASSERT_EQ(L32Done(*engine), 0);
    EXPECT_TRUE(processGone(second));
}

// Searches abandoned at every stage, many times over: no descriptor and no child is left behind,
// whether the query is ended, replaced, or its engine simply destroyed.
TEST_F(LocateEngine, AbandonedRunsLeaveNoDescriptorAndNoChild) {
    fakeLocate("printf '/a\\n'; exec sleep 600");
    const size_t before = ::skimmer::test::openDescriptorCount();
    for (int i = 0; i < 60; ++i) {
        open();
        ASSERT_EQ(L32Query(*engine, "x", ""), 0);
        if (i % 3 >= 1) {
            ASSERT_EQ(L32Fetch(*engine, *results), 0);
        }
        if (i % 3 == 2) {
            ASSERT_EQ(L32Query(*engine, "y", ""), 0);
        }
        if (i % 2 == 0) L32EndQuery(*engine);
        engine.reset();
    }
    EXPECT_EQ(::skimmer::test::openDescriptorCount(), before);
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "a child is left: it would be a zombie";
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(LocateEngine, ChoiceFollowsTheSettingAtEachUse) {
    EXPECT_EQ(ChosenEngine(config), EngineChoice::WindowsSearch);
    for (int value : {1, 2, -1}) {
        config::setConfigValue(config, config::setting::kSearchEngine.Name, config::TConfigValue::integer(value));
        EXPECT_EQ(ChosenEngine(config), EngineChoice::Locate32) << value;
        EXPECT_NE(dynamic_cast<L32Engine*>(MakeChosenEngine(env).get()), nullptr) << value;
    }
    config::setConfigValue(config, config::setting::kSearchEngine.Name, config::TConfigValue::integer(0));
    EXPECT_NE(dynamic_cast<WdsEngine*>(MakeChosenEngine(env).get()), nullptr);
}

// ---- RunAndCapture and the information query ---------------------------------------------------

TEST_F(LocateEngine, RunAndCaptureReadsWhileItWaitsAndGivesUpAtItsLimits) {
    const std::string program = (dir / "locate").string();
    fakeLocate("head -c 300000 /dev/zero | tr '\\0' a; echo; echo noise >&2");
    EXPECT_EQ(RunAndCapture({program}, 60s, 1 << 20).size(), 300001u) << "more than a pipe holds";
    fakeLocate("printf 'partial'; exec sleep 600");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunAndCapture({program}, 100ms, 1 << 20), "partial");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    // A flood ends the capture at its byte limit, long before its time limit.
    fakeLocate("exec yes flood");
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(RunAndCapture({program}, 20s, 10000).size(), 10000u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s) << "read on after the byte limit";
    EXPECT_EQ(RunAndCapture({(dir / "absent").string()}, 60s, 1 << 20), "");
}

struct VersionCase {
    const char* name;
    const char* script;
    std::string version;
};

class VersionQuery : public LocateEngine, public ::testing::WithParamInterface<VersionCase> {};

// The About box asks on the UI thread: a `locate --version` that hangs or floods is cut off at
// kL32VersionWait or kL32VersionBytes, and the box still gets the first line.
TEST_P(VersionQuery, IsBoundedWhateverTheProgramDoes) {
    fakeLocate(GetParam().script);
    platform::MemoryRegistry registry;
    env.Registry = &registry;
    TL32Info info;
    const auto start = std::chrono::steady_clock::now();
    L32GetInfo(env, info);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(info.Version, GetParam().version);
    EXPECT_TRUE(shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Programs, VersionQuery,
    ::testing::Values(VersionCase{"answers", "printf 'v 1\\nmore\\n'", "v 1"},
                      VersionCase{"hangs", "printf 'v 2\\n'; exec sleep 600", "v 2"},
                      VersionCase{"floods", "exec yes 'v 3'", "v 3"},
                      VersionCase{"floods_one_line", "yes v | tr -d '\\n'", std::string(kL32VersionBytes, 'v')}),
    [](const auto& info) { return std::string(info.param.name); });

std::string le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

TEST_F(LocateEngine, InformationFromVersionAndTheRegisteredDatabases) {
    fakeLocate("[ \"$1\" = --version ] && printf 'fakelocate 2.5\\r\\nCopyright\\n'");
    // LOCATEDB: header length 20 at offset 11, counts 3 and 4 at 27 and 31.
    std::string classic = "LOCATEDB" + std::string(3, '\0') + le32(20) + std::string(12, 'h') + le32(3) + le32(4);
    writeFile(dir / "a.dbs", classic);
    std::string plocate = std::string("\0plocate", 8) + le32(1) + le32(64) + le32(0) + le32(1234) + std::string(40, '\0');
    writeFile(dir / "b.db", plocate);
    platform::MemoryRegistry registry;
    registry.setValue("Software\\Update\\Databases\\1_first", "ArchiveName", platform::MemoryRegistry::Value::string((dir / "a.dbs").string()));
    registry.setValue("Software\\Update\\Databases\\2_second", "ArchiveName", platform::MemoryRegistry::Value::string((dir / "b.db").string()));
    registry.setValue("Software\\Update\\Databases\\3_no_archive", "Other", platform::MemoryRegistry::Value::string("x"));
    env.Registry = &registry;
    TL32Info info;
    L32GetInfo(env, info);
    EXPECT_EQ(info.Version, "fakelocate 2.5");
    EXPECT_EQ(info.ItemCount, 7 + 1234 * 32) << "LOCATEDB's two counts, plocate's blocks of 32 names";
    EXPECT_EQ(info.DatabaseSize, static_cast<int32_t>(classic.size() + plocate.size()));
    EXPECT_TRUE(shown.empty());

    // A database that is absent or cannot be read counts as none, silently; the others still count.
    registry.setValue("Software\\Update\\Databases\\0_absent", "ArchiveName", platform::MemoryRegistry::Value::string((dir / "none.db").string()));
    registry.setValue("Software\\Update\\Databases\\4_unreadable", "ArchiveName", platform::MemoryRegistry::Value::string(dir.string()));
    L32GetInfo(env, info);
    EXPECT_EQ(info.ItemCount, 7 + 1234 * 32);
    EXPECT_EQ(info.DatabaseSize, static_cast<int32_t>(classic.size() + plocate.size()));
    EXPECT_TRUE(shown.empty()) << shown.front();
}

TEST_F(LocateEngine, WithoutTheRegistryKeyTheSystemDatabasesCount) {
    fakeLocate("echo 'fakelocate 1'");
    std::string plocate = std::string("\0plocate", 8) + le32(1) + le32(64) + le32(0) + le32(99) + std::string(40, '\0');
    writeFile(dir / "system.db", plocate);
    platform::MemoryRegistry registry;
    env.Registry = &registry;
    // The system's database is readable by the plocate group only: for everyone else it is as
    // unreadable as a folder in its place (root reads every file, so a folder stands for it).
    env.SystemLocateDatabases = {dir, dir / "system.db", dir / "gone.db"};
    TL32Info info;
    L32GetInfo(env, info);
    EXPECT_EQ(info.Version, "fakelocate 1");
    EXPECT_EQ(info.ItemCount, 99 * 32);
    EXPECT_EQ(info.DatabaseSize, static_cast<int32_t>(plocate.size()));
    EXPECT_TRUE(shown.empty()) << shown.front();
}

}  // namespace
}  // namespace skimmer::engines
