// The search-folder panel end to end, with the real plug-in over an index of a generated home:
// Alt+F1 opens it from the drive menu, F7 makes a directory through its dialog, Shift+F4 saves a
// search, Enter runs it and lists the hit, F5 copies the hit and exports the search folder into
// the other panel's folder, F8 deletes with its question, and a restart with --panel starts on the
// panel and shows the tree that was saved.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/e2e/pty_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAltF1 = "\x1B[1;3P";
constexpr const char* kDown = "\x1B[B";
constexpr const char* kShiftF4 = "\x1B[1;2S";
constexpr const char* kCtrlPgUp = "\x1B[5;5~";
constexpr const char* kF5 = "\x1B[15~";
constexpr const char* kF7 = "\x1B[18~";
constexpr const char* kF8 = "\x1B[19~";
constexpr const char* kF10 = "\x1B[21~";

constexpr const char* kHitBytes = "striped\0bytes\r\n";
constexpr size_t kHitSize = 15;

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A home holding one file the saved search finds, indexed before `skimmer` starts; "out" is the
// folder of the file panel beside the plug-in's panel.
struct PanelHome {
    TempHome temp;
    fs::path home = temp.root() / "home";
    fs::path out = temp.root() / "out";

    PanelHome() {
        fs::create_directories(home / "docs");
        fs::create_directories(out);
        std::ofstream(home / "docs" / "zebra-notes.txt", std::ios::binary).write(kHitBytes, kHitSize);
        PtyOptions index;
        index.argv = {SKIMMER_INDEX_BIN};
        index.cwd = home.string();
        PtyProgram indexer(index);
        const auto done = indexer.waitExit(30000);
        if (!done || !done->exited || done->code != 0) ADD_FAILURE() << "the index was not built";
    }

    PtyOptions options(const char* start) const {
        PtyOptions o;
        o.argv = {SKIMMER_BIN, start};
        o.cols = 100;
        o.rows = 30;
        o.cwd = out.string();
        o.env = {{"TERM", "xterm-256color"}, {"SHELL", "/bin/sh"}};
        return o;
    }
};

void quit(PtyProgram& p) {
    p.send(kF10);
    const auto exit = p.waitExit();
    ASSERT_TRUE(exit.has_value()) << p.screen().screenText();
    EXPECT_TRUE(exit->exited);
    EXPECT_EQ(exit->code, 0);
}

TEST(SearchFolderPanelE2E, SaveRunCopyExportDeleteAndRestart) {
    PanelHome h;
    {
        PtyProgram p(h.options("--manager"));
        ASSERT_TRUE(p.waitForText("10Quit")) << p.screen().screenText();
        p.send(kAltF1);
        ASSERT_TRUE(p.waitForText("Skimmer")) << p.screen().screenText();
        p.send(kDown);
        p.send(kDown);
        p.send("\r");
        ASSERT_TRUE(p.waitForText("<empty>")) << p.screen().screenText();

        p.send(kF7);
        ASSERT_TRUE(p.waitForText("Name of the new directory:")) << p.screen().screenText();
        p.send("projects\r");
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Name of the new directory:"); }))
            << p.screen().screenText();
        ASSERT_TRUE(p.waitForText("projects")) << p.screen().screenText();

        p.send("\r");
        ASSERT_TRUE(p.waitForText("SKV: \\projects")) << p.screen().screenText();
        p.send(kShiftF4);
        ASSERT_TRUE(p.waitForText("Search for:")) << p.screen().screenText();
        p.send("zebra\r");
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Search for:"); })) << p.screen().screenText();
        ASSERT_TRUE(p.waitForText("zebra")) << p.screen().screenText();

        p.send("\r");  // the cursor rests on the new search folder
        ASSERT_TRUE(p.waitForText("SKV: \\projects\\zebra")) << p.screen().screenText();
        ASSERT_TRUE(p.waitForText("zebra-notes.txt", 10000)) << p.screen().screenText();
        ASSERT_TRUE(p.waitForQuiet()) << p.screen().screenText();

        p.send(kDown);  // from ".." to the hit
        p.send(kF5);
        ASSERT_TRUE(p.waitForText("zebra-notes.txt\" to:")) << p.screen().screenText();
        EXPECT_TRUE(p.screen().contains(h.out.string())) << p.screen().screenText();
        p.send("\r");
        ASSERT_TRUE(p.waitFor([&] { return readFile(h.out / "zebra-notes.txt").size() == kHitSize; }))
            << p.screen().screenText();
        EXPECT_EQ(readFile(h.out / "zebra-notes.txt"), std::string(kHitBytes, kHitSize));
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("\" to:"); })) << p.screen().screenText();

        // A second copy onto a file of the user's asks first; Skip keeps the user's bytes.
        std::ofstream(h.out / "zebra-notes.txt", std::ios::binary | std::ios::trunc) << "mine";
        p.send(kF5);
        ASSERT_TRUE(p.waitForText("zebra-notes.txt\" to:")) << p.screen().screenText();
        p.send("\r");
        ASSERT_TRUE(p.waitForText("The target already exists:")) << p.screen().screenText();
        p.send("s");  // &Skip
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("The target already exists:"); }))
            << p.screen().screenText();
        EXPECT_EQ(readFile(h.out / "zebra-notes.txt"), "mine");

        p.send(kCtrlPgUp);  // back to "projects", the cursor on the search folder left
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("SKV: \\projects\\zebra"); }))
            << p.screen().screenText();
        p.send(kF5);
        ASSERT_TRUE(p.waitForText("Copy \"zebra\" to:")) << p.screen().screenText();
        p.send("\r");
        const fs::path exported = h.out / "zebra.skvfinder";
        ASSERT_TRUE(p.waitFor([&] { return fs::exists(exported); })) << p.screen().screenText();
        EXPECT_EQ(readFile(exported),
                  "****** Skimmer v1.07-SR1 BETA Search Folder ******\r\nSKVSFR1.0\r\nzebra\r\nzebra\r\n\r\n\r\n"
                  "FALSE\r\n0\r\nTRUE\r\n2\r\n");

        p.send(kCtrlPgUp);
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("SKV: "); })) << p.screen().screenText();
        p.send(kF7);
        ASSERT_TRUE(p.waitForText("Name of the new directory:")) << p.screen().screenText();
        p.send("scratch\r");
        ASSERT_TRUE(p.waitForText("scratch")) << p.screen().screenText();
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("Name of the new directory:"); }));
        p.send(kF8);  // the cursor is on the new directory
        ASSERT_TRUE(p.waitForText("Do you want to delete")) << p.screen().screenText();
        p.send("\r");
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("scratch"); })) << p.screen().screenText();
        EXPECT_TRUE(p.screen().contains("projects"));

        // The exported file copied back from the file panel is imported at the top level.
        p.send("\t");
        p.send(kDown);  // "zebra-notes.txt"
        p.send(kDown);  // "zebra.skvfinder"
        p.send(kF5);
        ASSERT_TRUE(p.waitForText("Copy \"zebra.skvfinder\" to:")) << p.screen().screenText();
        p.send("\r");
        ASSERT_TRUE(p.waitFor([&] { return !p.screen().contains("\" to:"); })) << p.screen().screenText();
        ASSERT_TRUE(p.waitForText("zebra    ")) << p.screen().screenText();
        quit(p);
    }

    // The tree is read back from the hive: "projects" holding "zebra", the imported "zebra" beside
    // it, and no "scratch".
    PtyProgram p(h.options("--panel"));
    ASSERT_TRUE(p.waitForText("projects")) << p.screen().screenText();
    EXPECT_TRUE(p.screen().contains("zebra    ")) << p.screen().screenText();
    EXPECT_FALSE(p.screen().contains("scratch")) << p.screen().screenText();
    p.send("\r");  // --panel starts with the panel active
    ASSERT_TRUE(p.waitForText("SKV: \\projects")) << p.screen().screenText();
    ASSERT_TRUE(p.waitForText("zebra")) << p.screen().screenText();
    quit(p);
}

}  // namespace
}  // namespace skimmer::test
