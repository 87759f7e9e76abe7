// The Temporary Panel end to end: hits found in the search window go to the host's temporary
// panel with F5, the panel lists exactly their paths, Enter opens one, Ctrl+PgUp goes to one's
// folder, and the command line holds again what it held before.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEnter = "\r";
constexpr const char* kDown = "\x1B[B";
constexpr const char* kF5 = "\x1B[15~";
constexpr const char* kF10 = "\x1B[21~";
constexpr const char* kCtrlPgUp = "\x1B[5;5~";

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Three documents whose names hold the word "zq" and a blank, a non-ASCII letter and an escape
// sequence; indexed before `skimmer` starts. `xdg-open` records what it was asked to open.
struct PanelHome {
    TempHome temp;
    fs::path home = temp.root() / "home";
    fs::path docs = home / "docs";
    fs::path bin = temp.root() / "fakebin";
    std::vector<std::string> names{"zq report.txt", "zq\xc3\xa9t\xc3\xa9.txt", "zq\x1B[1m.txt"};
    // How the panel shows each name (control bytes escaped).
    std::vector<std::string> shown{"zq report.txt", "zq\xc3\xa9t\xc3\xa9.txt", "zq\\x1B[1m.txt"};

    PanelHome() {
        fs::create_directories(docs);
        fs::create_directories(bin);
        for (const std::string& name : names) std::ofstream(docs / name) << name << "\n";
        const fs::path opener = bin / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$HOME/opened\"\n";
        fs::permissions(opener, fs::perms::owner_all);
        // The notice is off (its rules are tested headless) and the window does not take the
        // command line as its text, so the line is kept as typed.
        fs::create_directories(temp.config() / "skimmer");
        std::ofstream(temp.config() / "skimmer" / "registry.reg")
            << "Skimmer Registry Hive 1\n\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Skimmer]\n"
               "\"ESKSShowTPW\"=dword:00000001\n\"SKSUseCL\"=dword:00000000\n\n; End of Skimmer Registry Hive\n";
        PtyOptions index;
        index.argv = {SKIMMER_INDEX_BIN};
        index.cwd = home.string();
        PtyProgram indexer(index);
        const auto done = indexer.waitExit(30000);
        if (!done || !done->exited || done->code != 0) ADD_FAILURE() << "the index was not built";
    }

    PtyOptions options() {
        PtyOptions o;
        o.argv = {SKIMMER_BIN, "echo kept"};
        o.cols = 200;  // each of the two panels shows the whole paths
        o.rows = 30;
        o.cwd = home.string();
        o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"},
                 {"PATH", bin.string() + ":" + std::string(getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin")}};
        return o;
    }

    // The rows of the screen that show one of the documents.
    int rowsShowingDocs(VtermScreen& screen) const {
        int n = 0;
        for (int y = 0; y < screen.rows() - 4; ++y)
            if (screen.textAt(y).find(docs.string() + "/zq") != std::string::npos) ++n;
        return n;
    }
};

TEST(TempPanelE2E, F5ListsTheHitsEnterOpensOneAndTheLineComesBack) {
    PanelHome h;
    PtyProgram p(h.options());
    ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
    p.send("zq");
    ASSERT_TRUE(p.waitForText("Hits: 3")) << p.screen().screenText();
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
    p.send(kF5);
    ASSERT_TRUE(p.waitForText("Temporary panel")) << p.screen().screenText();
    // The macro types the old line back after the panel's command.
    ASSERT_TRUE(p.waitForText(">echo kept")) << p.screen().screenText();
    for (const std::string& shown : h.shown)
        EXPECT_TRUE(p.screen().contains((h.docs / shown).string())) << shown << "\n" << p.screen().screenText();
    EXPECT_EQ(h.rowsShowingDocs(p.screen()), 3) << p.screen().screenText();
    EXPECT_EQ(p.output().find("\x1B[1m.txt"), std::string::npos) << "an escape sequence of a name reached the terminal";

    // Enter with a command on the line runs the line; the cursor's file is opened once it is gone.
    const int commandRow = p.screen().rows() - 2;
    p.send(std::string(9, '\x7F'));  // Backspace over "echo kept"
    ASSERT_TRUE(p.waitFor([&] { return p.screen().textAt(commandRow).find("kept") == std::string::npos; }))
        << p.screen().screenText();
    p.send(kDown);
    p.send(kEnter);
    const fs::path opened = h.home / "opened";
    ASSERT_TRUE(p.waitFor([&] { return fs::exists(opened) && !readFile(opened).empty(); }, 5000))
        << p.screen().screenText();
    const std::string path = readFile(opened);
    bool one = false;
    for (const std::string& name : h.names) one |= path == (h.docs / name).string() + "\n";
    EXPECT_TRUE(one) << path;
    ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();
    if (p.screen().contains("No graphical display")) {
        p.send(kEnter);
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("No graphical display"); })) << p.screen().screenText();
    }

    // Ctrl+PgUp leaves the temporary panel for the file's folder, the cursor on the file.
    p.send(kCtrlPgUp);
    ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Temporary panel"); })) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains(h.docs.string() + " ")) << p.screen().screenText();
    p.send(kF10);
    ASSERT_TRUE(p.waitExit().has_value());
}

}  // namespace
}  // namespace skimmer::test
