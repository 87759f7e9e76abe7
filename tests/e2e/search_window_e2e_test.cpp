// The search window end to end: `skimmer` on a pseudo-terminal over an index of a generated home,
// typing a word, and what each key does to the chosen hit, as a user sees it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string_view>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEnter = "\r";
constexpr const char* kShiftEnter = "\x1B\r";  // Alt+Enter, the documented fallback
constexpr const char* kF10 = "\x1B[21~";
constexpr const char* kEsc = "\x1B";
constexpr const char* kF3 = "\x1BOR";
constexpr const char* kF4 = "\x1BOS";

// Esc closes the window, then F10 quits the host. Each key waits for the screen to settle: a
// redraw still in flight can hide the window's counter for a moment, and an Esc that reaches the
// host together with F10 reads as Alt+F10, which the window would take for itself.
void closeWindowAndQuit(PtyProgram& p, std::string_view windowText = "Hits:") {
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
    p.send(kEsc);
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains(windowText); })) << p.screen().screenText();
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
    ASSERT_FALSE(p.screen().contains(windowText)) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("10Quit")) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value()) << p.screen().screenText();
}

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

    // Settings of the plug-in, written to the hive before `skimmer` starts.
    void settings(const std::vector<std::pair<std::string, int>>& dwords) {
        fs::create_directories(temp.config() / "skimmer");
        std::ofstream hive(temp.config() / "skimmer" / "registry.reg");
        hive << "Skimmer Registry Hive 1\n\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Skimmer]\n";
        for (const auto& [name, value] : dwords) {
            char hex[9];
            std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(value));
            hive << '"' << name << "\"=dword:" << hex << "\n";
        }
        hive << "\n; End of Skimmer Registry Hive\n";
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
    // The list fills as the search runs: each part is waited for, not looked for once.
    EXPECT_TRUE(p.waitForText("Programs")) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("Files")) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("Reporter")) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("rep; touch pwned")) << p.screen().screenText();
    // The host's one writer shows a replacement character for each control byte.
    EXPECT_TRUE(p.waitForText("rep\xEF\xBF\xBD[2J\xEF\xBF\xBD]0;owned\xEF\xBF\xBD.txt")) << p.screen().screenText();
    EXPECT_EQ(p.output().find("\x1B]0;owned"), std::string::npos);
    EXPECT_EQ(p.output().find('\x07'), std::string::npos);
    closeWindowAndQuit(p, "Programs");
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
    // "Hits: 1" may be an intermediate text's (the text is typed a key at a time): a key sent while
    // the final text's search refills the list finds no hit under the cursor.
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
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
    // The posted line ran (its keys were posted with the output not shown): the command line is
    // empty again on screen, not left showing the path that ran, even while a message the run
    // raised is still open.
    const int commandRow = p.screen().rows() - 2;
    EXPECT_TRUE(p.waitFor([&] {
        const std::string row = p.screen().textAt(commandRow);
        return row.find('>') != std::string::npos && row.find_first_not_of(' ', row.find('>') + 1) == std::string::npos;
    })) << p.screen().screenText();
    if (c.screen) {
        EXPECT_TRUE(p.waitForText(c.screen)) << p.screen().screenText();
    }
    // Without a graphical display the host says the application may stay invisible; that box
    // stands over the emptied command line and is closed before leaving. It is drawn after the
    // opener started, so it may come after the marker: the screen settles before it is looked for.
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
    if (p.screen().contains("No graphical display")) {
        p.send(kEnter);
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("No graphical display"); })) << p.screen().screenText();
    }
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SearchWindowActions,
    ::testing::Values(ActionCase{"enter_runs_the_program_and_nothing_else", "touch", "rep; touch pwned", kEnter,
                                 "ran-marker", "ran\n", nullptr},
                      ActionCase{"enter_opens_a_document_through_the_command_line", "report.txt", "report.txt",
                                 kEnter, "opened", nullptr, nullptr},
                      ActionCase{"shift_enter_opens_with_the_default_application", "report.txt", "report.txt",
                                 kShiftEnter, "opened", nullptr, nullptr},
                      ActionCase{"f10_puts_the_panel_on_the_hit", "report.txt", "report.txt", kF10, nullptr, nullptr,
                                 "home/rep-docs/ "}),
    [](const auto& info) { return std::string(info.param.name); });

// Where the window's title row stands (a centred window's top border, a glued one's rule above its
// lines) and the columns of the corners on that row.
struct Frame {
    int title = -1;
    size_t left = 0;
    size_t right = 0;
};

Frame windowFrame(VtermScreen& screen) {
    for (int y = 0; y < screen.rows(); ++y) {
        const std::string row = screen.textAt(y);
        const size_t name = row.find(" Skimmer");
        if (name == std::string::npos) continue;
        // Corners are three bytes each; count columns, not bytes, up to each.
        const auto columns = [&row](size_t bytes) {
            size_t n = 0;
            for (size_t b = 0; b < bytes; ++b) n += (static_cast<unsigned char>(row[b]) & 0xC0) != 0x80;
            return n;
        };
        const size_t left = std::min(row.rfind("\u2554", name), row.rfind("\u255A", name));
        const size_t right = std::min(row.find("\u2557", name), row.find("\u255D", name));
        if (left == std::string::npos || right == std::string::npos) continue;
        return Frame{y, columns(left), columns(right)};
    }
    return {};
}

// A console resize while the window is open closes it and opens it again laid out for the new
// console, with the text it had searched again.
TEST(SearchWindowE2E, ConsoleResizeLaysTheWindowOutAgain) {
    WindowHome h;
    h.settings({{"SKSWindowMode", 1}});  // as large as the console
    PtyProgram p(h.options());
    ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
    p.send("report.txt");
    ASSERT_TRUE(p.waitForText("Hits: 1")) << p.screen().screenText();
    const Frame before = windowFrame(p.screen());
    ASSERT_GE(before.title, 0) << p.screen().screenText();
    p.resize(130, 44);
    ASSERT_TRUE(p.waitFor([&] { return windowFrame(p.screen()).right > before.right + 20; }))
        << p.screen().screenText();
    const Frame after = windowFrame(p.screen());
    EXPECT_LT(after.right, 130u);
    EXPECT_NEAR(static_cast<double>(after.left + after.right) / 2, 65.0, 2.0) << p.screen().screenText();
    EXPECT_TRUE(p.waitForText("Hits: 1")) << p.screen().screenText();
    p.send("x");  // typing goes on from the kept text: "report.txtx" finds nothing
    EXPECT_TRUE(p.waitForText("Hits: 0")) << p.screen().screenText();
    closeWindowAndQuit(p);
}

struct HandOverCase {
    const char* name;
    const char* key;
    const char* variable;  // the program the host hands the file to
};

class SearchWindowHandOver : public ::testing::TestWithParam<HandOverCase> {};

// F3 and F4 hand the chosen hit to the host's viewer and editor; the program gets the hit's path,
// takes the terminal (it clears it and writes on it), and the window comes back with its lines and counter.
TEST_P(SearchWindowHandOver, TheHostsProgramGetsTheHitAndTheWindowComesBack) {
    const HandOverCase& c = GetParam();
    WindowHome h;
    const fs::path program = h.bin / "record-and-clear";
    std::ofstream(program) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$HOME/handed\"\nprintf '\\033[2J\\033[Hhanded over'\n";
    fs::permissions(program, fs::perms::owner_all);
    PtyOptions o = h.options();
    o.env[c.variable] = program.string();
    PtyProgram p(o);
    ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
    p.send("report.txt");
    ASSERT_TRUE(p.waitForText("Hits: 1")) << p.screen().screenText();
    // "Hits: 1" may be an intermediate text's (the text is typed a key at a time): a key sent while
    // the final text's search refills the list finds no hit under the cursor.
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
    p.send(c.key);
    const fs::path marker = h.home / "handed";
    ASSERT_TRUE(p.waitFor([&] { return fs::exists(marker) && !readFile(marker).empty(); }))
        << p.screen().screenText();
    EXPECT_EQ(readFile(marker), (h.docs / "report.txt").string() + "\n");
    // The program cleared the screen and wrote on it; the window draws itself again over that,
    // with the same hit.
    ASSERT_TRUE(p.waitFor([&] {
        return !p.screen().contains("handed over") && p.screen().contains("Hits: 1") &&
               p.screen().contains("report.txt");
    }))
        << p.screen().screenText();
    closeWindowAndQuit(p);
}

INSTANTIATE_TEST_SUITE_P(Keys, SearchWindowHandOver,
                         ::testing::Values(HandOverCase{"f3_views_with_the_pager", kF3, "PAGER"},
                                           HandOverCase{"f4_edits_with_the_editor", kF4, "VISUAL"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct GrowthCase {
    const char* name;
    int animation;   // "SKSWindowAnimation"
    bool grows;      // the glued window starts small and grows upward with its lines
};

class SearchWindowGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(SearchWindowGrowth, TheGluedWindowFollowsItsLines) {
    const GrowthCase& c = GetParam();
    WindowHome h;
    h.settings({{"SKSPositionW", 1}, {"SKSWindowAnimation", c.animation}});
    PtyProgram p(h.options());
    ASSERT_TRUE(p.waitFor([&] { return windowFrame(p.screen()).title >= 0; })) << p.screen().screenText();
    const Frame empty = windowFrame(p.screen());
    p.send("rep");
    // Two headers and five hits: seven lines.
    ASSERT_TRUE(p.waitForText("Hits: 5")) << p.screen().screenText();
    ASSERT_TRUE(p.waitForText("reporter.desktop")) << p.screen().screenText();
    const Frame full = windowFrame(p.screen());
    if (c.grows) {
        EXPECT_GE(empty.title, p.screen().rows() - 6) << "a fresh glued window is a few rows high";
        EXPECT_EQ(full.title, empty.title - 7) << p.screen().screenText();
    } else {
        EXPECT_EQ(full.title, empty.title) << p.screen().screenText();
    }
    closeWindowAndQuit(p);
}

INSTANTIATE_TEST_SUITE_P(Settings, SearchWindowGrowth,
                         ::testing::Values(GrowthCase{"animation_on_grows_upward", 1, true},
                                           GrowthCase{"animation_off_keeps_its_size", 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::test
