// End-to-end runs of `skimmer` on a pseudo-terminal: the screen as a user sees it, and what must
// survive (escape injection, resize storms, suspend/resume, hang-up).
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kF10 = "\x1B[21~";

struct Fixture {
    TempHome home;
    fs::path files = home.root() / "files";

    Fixture() {
        fs::create_directories(files / "beta");
        std::ofstream(files / "alpha.txt") << "hello";
    }

    PtyOptions options(std::vector<std::string> args = {"--manager"}, int cols = 80, int rows = 24) {
        PtyOptions o;
        o.argv = {SKIMMER_BIN};
        o.argv.insert(o.argv.end(), args.begin(), args.end());
        o.cols = cols;
        o.rows = rows;
        o.cwd = files.string();
        o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"}};
        return o;
    }
};

void expectRestored(PtyProgram& p) {
    EXPECT_TRUE(sameModes(p.modes(), p.initialModes()));
    EXPECT_FALSE(p.screen().altScreen());
    EXPECT_TRUE(p.screen().cursorVisible());
    EXPECT_EQ(p.screen().mouseMode(), 0);
}

TEST(SkimmerE2E, PanelShowsAndF10QuitsWithTheTerminalRestored) {
    Fixture f;
    PtyProgram p(f.options());
    ASSERT_TRUE(p.waitForText("10Quit")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().altScreen());
    EXPECT_TRUE(p.screen().contains("alpha.txt"));
    EXPECT_TRUE(p.screen().contains("beta"));
    EXPECT_TRUE(p.screen().contains("10Quit"));
    EXPECT_FALSE(sameModes(p.modes(), p.initialModes()));  // raw mode while running
    // The panel frame is FAR's light cyan on blue.
    EXPECT_EQ(p.screen().attrAt(0, 0), 0x1B);
    p.send(kF10);
    const auto exit = p.waitExit();
    ASSERT_TRUE(exit.has_value());
    EXPECT_TRUE(exit->exited);
    EXPECT_EQ(exit->code, 0);
    p.waitFor([&] { return !p.screen().altScreen(); }, 1000);
    expectRestored(p);
}

TEST(SkimmerE2E, EnterOpensFoldersAndTextGoesToTheCommandLine) {
    Fixture f;
    std::ofstream(f.files / "beta" / "inside.txt") << "x";
    PtyProgram p(f.options({"--manager", "echo", "hi"}));
    ASSERT_TRUE(p.waitForText("echo hi")) << p.screen().screenText();
    p.send("\x19");  // Ctrl+Y clears the command line
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("echo hi"); }));
    p.send("\x1B[B\r");  // the order is "..", beta, alpha.txt: one down is beta
    ASSERT_TRUE(p.waitForText("inside.txt")) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

TEST(SkimmerE2E, MouseWheelAndDoubleClickDriveThePanel) {
    Fixture f;
    std::ofstream(f.files / "beta" / "inside.txt") << "x";
    PtyOptions o = f.options();
    PtyProgram p(o);
    ASSERT_TRUE(p.waitForText("10Quit"));
    EXPECT_NE(p.screen().mouseMode(), 0);  // mouse reporting is on while we run
    p.send("\x1B[<65;10;10M");               // wheel down: the cursor moves to "beta"
    ASSERT_TRUE(p.waitFor([&] { return p.screen().attrAt(1, 3) == 0x30; })) << p.screen().screenText();
    // Row 4 (1-based) is "beta": a double click there enters it.
    p.send("\x1B[<0;3;4M\x1B[<0;3;4m\x1B[<0;3;4M\x1B[<0;3;4m");
    ASSERT_TRUE(p.waitForText("inside.txt")) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

TEST(SkimmerE2E, EscapeSequencesInNamesNeverReachTheTerminal) {
    Fixture f;
    std::ofstream(f.files / "evil\x1B[2J\x1B]0;owned\x07\xE2\x80\xAE.txt") << "x";
    std::ofstream(f.files / "bad\xFF\xFEname") << "x";
    PtyProgram p(f.options({"--manager"}, 120));  // each of the two panels shows the whole name
    ASSERT_TRUE(p.waitForText("evil\\x1B[2J\\x1B]0;owned\\x07\\u202E.txt")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("bad\\xFF\\xFEname"));
    EXPECT_EQ(p.output().find("\x1B]"), std::string::npos);
    EXPECT_EQ(p.output().find('\x07'), std::string::npos);
    EXPECT_EQ(p.output().find("\xE2\x80\xAE"), std::string::npos);
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

TEST(SkimmerE2E, ResizeStormAndExtremeSizes) {
    Fixture f;
    PtyProgram p(f.options());
    ASSERT_TRUE(p.waitForText("alpha.txt"));
    const int sizes[][2] = {{1, 1}, {20, 5}, {500, 200}, {2, 3}, {80, 2}, {133, 41}, {1, 50}, {300, 1}};
    for (int round = 0; round < 5; ++round)
        for (const auto& s : sizes) p.resize(s[0], s[1]);
    p.resize(20, 5);
    ASSERT_TRUE(p.waitFor([&] { return p.screen().textAt(4).rfind("1", 0) == 0 && p.screen().textAt(0).find("╔") == 0; }))
        << p.screen().screenText();
    p.resize(1, 1);
    p.resize(500, 200);
    ASSERT_TRUE(p.waitFor([&] { return p.screen().textAt(199).find("10Quit") != std::string::npos; }, 10000))
        << p.screen().textAt(199) << "|" << p.screen().textAt(0).substr(0, 100) << "|" << p.screen().rows();
    EXPECT_TRUE(p.screen().contains("alpha.txt"));
    EXPECT_NE(p.state(), 0);  // still alive
    p.send(kF10);
    const auto exit = p.waitExit();
    ASSERT_TRUE(exit.has_value());
    EXPECT_EQ(exit->code, 0);
}

TEST(SkimmerE2E, SuspendRestoresModesAndResumeRedrawsEverything) {
    Fixture f;
    PtyProgram p(f.options());
    ASSERT_TRUE(p.waitForText("alpha.txt"));
    kill(p.pid(), SIGTSTP);
    ASSERT_TRUE(p.waitFor([&] { return p.state() == 'T'; })) << "state " << p.state();
    p.waitFor([&] { return !p.screen().altScreen(); }, 1000);
    expectRestored(p);
    const size_t before = p.output().size();
    kill(p.pid(), SIGCONT);
    ASSERT_TRUE(p.waitFor([&] { return p.screen().altScreen() && p.screen().contains("alpha.txt"); }))
        << p.screen().screenText();
    // The whole screen came again, not just a difference: the frame's corner is in the new bytes.
    EXPECT_NE(p.output().find("╔", before), std::string::npos);
    EXPECT_FALSE(sameModes(p.modes(), p.initialModes()));
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

TEST(SkimmerE2E, HangUpEndsCleanlyWithoutBusyLoop) {
    Fixture f;
    PtyProgram p(f.options());
    ASSERT_TRUE(p.waitForText("alpha.txt"));
    p.closeMaster();
    const auto exit = p.waitExit(5000);
    ASSERT_TRUE(exit.has_value()) << "still running after the hang-up";
    EXPECT_TRUE(exit->exited) << "signal " << exit->signal;
    EXPECT_LT(exit->cpuMs, 1000);
}

TEST(SkimmerE2E, CommandLineRunsThroughTheShellAndCtrlOShowsItsOutput) {
    Fixture f;
    PtyProgram p(f.options());
    ASSERT_TRUE(p.waitForText("10Quit"));
    // The quotes make what the shell produces differ from what the command line shows.
    p.send("printf 'shell output' > ma''de.txt; echo visible-on-user-scr''een\r");
    ASSERT_TRUE(p.waitFor([&] { return p.screen().altScreen() && p.screen().contains("made.txt"); }))
        << p.screen().screenText();
    EXPECT_TRUE(std::filesystem::exists(f.files / "made.txt"));
    p.send("\x0F");  // Ctrl+O: the user screen, with the command and its output
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().altScreen(); }));
    EXPECT_TRUE(p.screen().contains("visible-on-user-screen")) << p.screen().screenText();
    p.send("\x0F");
    ASSERT_TRUE(p.waitFor([&] { return p.screen().altScreen() && p.screen().contains("made.txt"); }));
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

// A terminal that loses the end of a bracketed paste must not take the keyboard with it: what was
// pasted lands on the command line and F10 still quits. Both cut points matter: after text, and
// inside a half-sent end marker.
class UnterminatedPaste : public ::testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(UnterminatedPaste, EndsByItselfAndLaterKeysWork) {
    Fixture f;
    PtyProgram p(f.options());
    ASSERT_TRUE(p.waitForText("10Quit")) << p.screen().screenText();
    p.send(std::string("\x1B[200~") + GetParam().first);
    ASSERT_TRUE(p.waitForText(GetParam().second, 3000)) << p.screen().screenText();
    p.send(kF10);
    const auto exit = p.waitExit(3000);
    ASSERT_TRUE(exit.has_value()) << "F10 was swallowed: " << p.screen().screenText();
    EXPECT_TRUE(exit->exited);
    EXPECT_EQ(exit->code, 0);
}

INSTANTIATE_TEST_SUITE_P(CutPoints, UnterminatedPaste,
                         ::testing::Values(std::pair{"echo pasted", "echo pasted"},
                                           std::pair{"echo half\x1B[20", "echo half"}));

// Started from a shell with its output or input redirected, skimmer refuses at once with a reason
// that names the stream, and draws nothing into the file or pipe.
struct RedirectCase {
    const char* name;
    const char* script;  // $0 is skimmer, $1 the file that receives any output
    const char* reason;
};

class Redirected : public ::testing::TestWithParam<RedirectCase> {};

TEST_P(Redirected, RefusesClearlyAndWritesNothing) {
    Fixture f;
    PtyOptions o = f.options();
    const std::string out = (f.home.root() / "screen.out").string();
    o.argv = {"/bin/sh", "-c", GetParam().script, SKIMMER_BIN, out};
    PtyProgram p(o);
    ASSERT_TRUE(p.waitForText("exit=1")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains(GetParam().reason)) << p.screen().screenText();
    EXPECT_FALSE(p.screen().altScreen());
    ASSERT_TRUE(p.waitExit().has_value());  // the shell, and with it any pipe into the file, is done
    std::error_code ec;
    EXPECT_EQ(fs::file_size(out, ec), 0u) << "nothing drawn into the redirected output";
}

INSTANTIATE_TEST_SUITE_P(
    Streams, Redirected,
    ::testing::Values(
        RedirectCase{"OutputToAFile", "\"$0\" --manager > \"$1\"; echo exit=$?", "standard output is not a terminal"},
        RedirectCase{"OutputToAPipe", "{ \"$0\" --manager; echo exit=$? > /dev/tty; } | cat > \"$1\"",
                     "standard output is not a terminal"},
        RedirectCase{"InputFromAFile", ": > \"$1\"; \"$0\" --manager < /dev/null; echo exit=$?",
                     "standard input is not a terminal"}),
    [](const auto& info) { return std::string(info.param.name); });

// After the terminal shrinks until only the cursor's entry fits and grows back, the entries above
// the cursor are in view again.
TEST(SkimmerE2E, ShrinkAndGrowBringsTheTopEntriesBack) {
    Fixture f;
    PtyProgram p(f.options());
    ASSERT_TRUE(p.waitForText("alpha.txt")) << p.screen().screenText();
    p.send("\x1B[B\x1B[B");  // the cursor on alpha.txt, the last entry
    for (int rows : {7, 6, 5}) p.resize(80, rows);
    ASSERT_TRUE(p.waitFor([&] { return p.screen().contains("alpha.txt") && !p.screen().contains("beta"); }))
        << p.screen().screenText();
    p.resize(80, 24);
    EXPECT_TRUE(p.waitFor([&] {
        return p.screen().textAt(2).find("..") != std::string::npos && p.screen().contains("beta") &&
               p.screen().contains("alpha.txt");
    })) << p.screen().screenText();
    p.send(kF10);
    EXPECT_TRUE(p.waitExit().has_value());
}

TEST(SkimmerE2E, HelpAndBadOptions) {
    Fixture f;
    PtyProgram help(f.options({"--help"}));
    const auto helpExit = help.waitExit();
    ASSERT_TRUE(helpExit.has_value());
    EXPECT_EQ(helpExit->code, 0);
    EXPECT_NE(help.output().find("--manager"), std::string::npos);
    EXPECT_NE(help.output().find("Alt+Enter"), std::string::npos);
    PtyProgram bad(f.options({"--bogus"}));
    EXPECT_EQ(bad.waitExit()->code, 2);
}

}  // namespace
}  // namespace skimmer::test
