// The search window end to end: `skimmer` on a pseudo-terminal over an index of a generated home,
// typing a word, and what each key does to the chosen hit, as a user sees it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEnter = "\r";
constexpr const char* kShiftEnter = "\x1B\r";  // Alt+Enter, the documented fallback
constexpr const char* kF10 = "\x1B[21~";
constexpr const char* kEsc = "\x1B";

std::string readFile(const fs::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A home with an application, a document, a program with shell metacharacters in its name and a
// name full of escape sequences, indexed before `skimmer` starts; `xdg-open` is a fake that
// records what it was asked to open.
struct WindowHome {
    TempHome temp;
    fs::path home = temp.root() / "home";
    fs::path docs = home / "rep-docs";
    fs::path bin = temp.root() / "fakebin";

    WindowHome() {
        fs::create_directories(docs);
        fs::create_directories(bin);
        fs::create_directories(temp.root() / "data" / "applications");
        std::ofstream(docs / "report.txt") << "the report\n";
        const fs::path program = docs / "rep; touch pwned";
        std::ofstream(program) << "#!/bin/sh\necho ran > \"$HOME/ran-marker\"\n";
        fs::permissions(program, fs::perms::owner_all);
        std::ofstream(docs / "rep\x1B[2J\x1B]0;owned\x07.txt") << "x";
        std::ofstream(temp.root() / "data" / "applications" / "reporter.desktop")
            << "[Desktop Entry]\nType=Application\nName=Reporter\nExec=/bin/true\n";
        const fs::path opener = bin / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$HOME/opened\"\n";
        fs::permissions(opener, fs::perms::owner_all);
        PtyOptions index;
        index.argv = {SKIMMER_INDEX_BIN};
        index.cwd = home.string();
        PtyProgram indexer(index);
        const auto done = indexer.waitExit(30000);
        if (!done || !done->exited || done->code != 0) ADD_FAILURE() << "the index was not built";
    }

    PtyOptions options(std::vector<std::string> args = {}) {
        PtyOptions o;
        o.argv = {SKIMMER_BIN};
        o.argv.insert(o.argv.end(), args.begin(), args.end());
        o.cols = 100;
        o.rows = 30;
        o.cwd = home.string();
        o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"},
                 {"PATH", bin.string() + ":" + std::string(getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin")}};
        return o;
    }
};

// Typing shows the groups and the hits; a name with escape sequences shows a placeholder and
// none of its bytes reaches the terminal; Esc leaves for the panel.
TEST(SearchWindowE2E, TypingShowsGroupedHitsAndEscLeaves) {
    WindowHome h;
    PtyProgram p(h.options());
    ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
    p.send("rep");
    ASSERT_TRUE(p.waitForText("report.txt")) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("Programs")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("Files")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("Reporter")) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("rep; touch pwned")) << p.screen().screenText();
    // The host's one writer shows a replacement character for each control byte.
    EXPECT_TRUE(p.waitForText("rep\xEF\xBF\xBD[2J\xEF\xBF\xBD]0;owned\xEF\xBF\xBD.txt")) << p.screen().screenText();
    EXPECT_EQ(p.output().find("\x1B]0;owned"), std::string::npos);
    EXPECT_EQ(p.output().find('\x07'), std::string::npos);
    p.send(kEsc);
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Programs"); })) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("10Quit"));
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

struct ActionCase {
    const char* name;
    const char* typed;   // a text whose first hit (where the cursor starts) is the wanted one
    const char* hit;
    const char* key;
    const char* marker;  // a file in HOME the action leaves behind, or nullptr
    const char* content; // what it holds (nullptr: the document's path, as the opener got it)
    const char* screen;  // what the screen shows afterwards, or nullptr
};

class SearchWindowActions : public ::testing::TestWithParam<ActionCase> {};

TEST_P(SearchWindowActions, TheKeyActsOnTheChosenHit) {
    const ActionCase& c = GetParam();
    WindowHome h;
    PtyProgram p(h.options());
    ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
    p.send(c.typed);
    ASSERT_TRUE(p.waitForText(c.hit)) << p.screen().screenText();
    ASSERT_TRUE(p.waitForText("Hits: 1")) << p.screen().screenText();
    p.send(c.key);
    if (c.marker) {
        const fs::path marker = h.home / c.marker;
        ASSERT_TRUE(p.waitFor([&] { return fs::exists(marker) && !readFile(marker).empty(); }, 5000))
            << p.screen().screenText();
        const std::string expected =
            c.content ? std::string(c.content) : (h.docs / "report.txt").string() + "\n";
        EXPECT_EQ(readFile(marker), expected);
    }
    EXPECT_FALSE(fs::exists(h.home / "pwned")) << "only the chosen file ran";
    if (c.screen) {
        EXPECT_TRUE(p.waitForText(c.screen)) << p.screen().screenText();
    }
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SearchWindowActions,
    ::testing::Values(ActionCase{"enter_runs_the_program_and_nothing_else", "touch", "rep; touch pwned", kEnter,
                                 "ran-marker", "ran\n", nullptr},
                      ActionCase{"shift_enter_opens_with_the_default_application", "report.txt", "report.txt",
                                 kShiftEnter, "opened", nullptr, nullptr},
                      ActionCase{"f10_puts_the_panel_on_the_hit", "report.txt", "report.txt", kF10, nullptr, nullptr,
                                 "home/rep-docs/ "}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::test
