// File operations on a plug-in's panel in the manager, against the virtual-file-system test
// plug-in: F3 through a private temporary folder, F5/F6 both ways, F7 and F8 with the plug-in's
// own questions answered from the terminal.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>

#include "host/app/fetched_file.h"
#include "tests/host/app/vfs_screen.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;
using Lines = std::vector<std::string>;

bool listed(const VfsScreen& s, const std::string& name) {
    const Lines n = s.names();
    return std::find(n.begin(), n.end(), name) != n.end();
}

struct ViewCase {
    const char* name;
    const char* folder;  // "" for the root
    const char* item;
    int key;             // F3 or F4
    const char* logged;  // GetFiles' count, Move and OpMode as the plug-in saw them
};

class ViewPluginItem : public ::testing::TestWithParam<ViewCase> {};

// F3/F4: GetFiles (OPM_SILENT with OPM_VIEW or OPM_EDIT) into a private folder under TMPDIR, which
// is gone afterwards with whatever the plug-in wrote, also for names that hold '/' or "..". (The
// pager and editor cannot take this pseudo-terminal over; the end-to-end test shows the file.)
TEST_P(ViewPluginItem, FetchesIntoAPrivateFolderThatIsRemoved) {
    const ViewCase& c = GetParam();
    VfsScreen s;
    s.openVfs();
    if (*c.folder) s.enter(c.folder);
    s.manager->activePanel().setCurrent(c.item);
    s.key(static_cast<k::Code>(c.key));
    const Lines calls = s.calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), c.logged), calls.end());
    EXPECT_TRUE(fs::is_empty(getenv("TMPDIR")));
    for (const auto& e : fs::recursive_directory_iterator(s.home.root()))
        EXPECT_EQ(e.path().filename().string().find("escape"), std::string::npos) << e.path();
    for (const std::string& error : s.errors) EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Items, ViewPluginItem,
    ::testing::Values(ViewCase{"view", "", "readme.txt", static_cast<int>(k::F(3)), "GetFiles 1 0 5"},
                      ViewCase{"edit", "", "readme.txt", static_cast<int>(k::F(4)), "GetFiles 1 0 9"},
                      ViewCase{"slashes_and_dots", "hostile", "up/../../escape.txt", static_cast<int>(k::F(3)), "GetFiles 1 0 5"},
                      ViewCase{"escape_sequence", "hostile", "\x1b]0;pwned\x07\x1b[31mred.txt", static_cast<int>(k::F(3)), "GetFiles 1 0 5"}),
    [](const auto& info) { return std::string(info.param.name); });

// The file taken after GetFiles never lies outside the folder nor behind a link.
TEST(FetchedFile, StaysInsideTheFolder) {
    test::TempHome home;
    const fs::path d = home.root() / "t";
    fs::create_directories(d / "sub");
    std::ofstream(home.root() / "outside") << "x";
    EXPECT_EQ(fetchedFile(d, "../outside"), std::nullopt);
    fs::create_symlink(home.root() / "outside", d / "link");
    EXPECT_EQ(fetchedFile(d, "link"), std::nullopt);
    std::ofstream(d / "a_b") << "1";
    EXPECT_EQ(fetchedFile(d, "a/b"), d / "a_b");  // the one file written, under its own name
    std::ofstream(d / "two") << "2";
    EXPECT_EQ(fetchedFile(d, "a/b"), std::nullopt);  // two candidates: no guess
    EXPECT_EQ(fetchedFile(d, "two"), d / "two");
}

struct CopyCase {
    const char* name;
    bool move;
    bool cancel;
};

class CopyOut : public ::testing::TestWithParam<CopyCase> {};

// F5/F6 on the plug-in panel: FAR's copy dialog offers the other panel's folder; GetFiles writes
// there; both panels are listed again. Cancel calls nothing.
TEST_P(CopyOut, GetFilesIntoTheOtherPanelsFolder) {
    const CopyCase& c = GetParam();
    VfsScreen s;
    s.openVfs();
    s.enter("docs");
    s.manager->activePanel().setCurrent("a.txt");
    if (!c.cancel) s.copyAnswers.push_back(s.dir.string());
    else s.copyAnswers.push_back(std::nullopt);
    s.key(k::F(c.move ? 6 : 5));
    ASSERT_EQ(s.copyPrompts.size(), 1u);
    EXPECT_EQ(s.copyPrompts[0], std::string(c.move ? "Move" : "Copy") + " \"a.txt\" to:|" + s.dir.string());
    const Lines calls = s.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), std::string("GetFiles 1 ") + (c.move ? "1" : "0") + " 1"),
              c.cancel ? 0 : 1);
    EXPECT_EQ(fs::exists(s.dir / "a.txt"), !c.cancel);
    EXPECT_EQ(listed(s, "a.txt"), c.cancel || !c.move);
    EXPECT_EQ(s.manager->passivePanel().entries().size(), c.cancel ? 3u : 4u);  // the file panel re-read
}

// A destination longer than the plug-in's buffer is refused whole, never cut to another folder.
TEST(CopyOutLong, ADestinationTooLongIsRefused) {
    VfsScreen s;
    s.openVfs();
    s.manager->activePanel().setCurrent("readme.txt");
    s.copyAnswers.push_back(s.dir.string() + "/" + std::string(FAR_MAX_PATH, 'x'));
    s.key(k::F(5));
    ASSERT_EQ(s.errors.size(), 1u);
    EXPECT_NE(s.errors[0].find("too long"), std::string::npos);
    const Lines calls = s.calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& l) { return l.rfind("GetFiles", 0) == 0; }), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, CopyOut,
                         ::testing::Values(CopyCase{"copy", false, false}, CopyCase{"move", true, false},
                                           CopyCase{"cancel", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

class CopyIn : public ::testing::TestWithParam<CopyCase> {};

// F5/F6 on the file panel with the plug-in panel beside it: PutFiles with the name relative to the
// file panel's folder.
TEST_P(CopyIn, PutFilesFromTheFilePanel) {
    const CopyCase& c = GetParam();
    VfsScreen s;
    s.openVfs(1);
    s.key(k::TAB);
    ASSERT_EQ(s.manager->activeSide(), 0);
    s.manager->activePanel().setCurrent("one.txt");
    if (!c.cancel) s.copyAnswers.push_back("");
    else s.copyAnswers.push_back(std::nullopt);
    s.key(k::F(c.move ? 6 : 5));
    const Lines calls = s.calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), std::string("PutFiles 1 ") + (c.move ? "1" : "0") + " 0"),
              c.cancel ? 0 : 1);
    const auto& other = s.manager->passivePanel().entries();
    EXPECT_EQ(std::any_of(other.begin(), other.end(), [](const PanelEntry& e) { return e.name == "one.txt"; }),
              !c.cancel);
    EXPECT_EQ(fs::exists(s.dir / "one.txt"), c.cancel || !c.move);
    EXPECT_TRUE(s.errors.empty()) << s.errors[0];
}

INSTANTIATE_TEST_SUITE_P(Ways, CopyIn,
                         ::testing::Values(CopyCase{"copy", false, false}, CopyCase{"move", true, false},
                                           CopyCase{"cancel", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AskCase {
    const char* name;
    int key;             // F7 or F8
    const char* logged;  // the call as the plug-in saw it
};

class PluginAsks : public ::testing::TestWithParam<AskCase> {};

// F7 and F8 call MakeDirectory / DeleteFiles without OPM_SILENT, so the plug-in asks itself; here
// no dialog can be answered, the plug-in takes that as a refusal, and the host changes and says
// nothing. (The end-to-end test answers the questions.)
TEST_P(PluginAsks, WithoutSilentTheRefusalChangesNothing) {
    const AskCase& c = GetParam();
    VfsScreen s;
    s.openVfs();
    s.manager->activePanel().setCurrent("readme.txt");
    const Lines before = s.names();
    const size_t start = s.calls().size();
    s.key(static_cast<k::Code>(c.key));
    EXPECT_TRUE(s.errors.empty()) << s.errors[0];
    EXPECT_EQ(s.names(), before);
    const Lines tail = s.calls(start);
    ASSERT_GE(tail.size(), 2u);
    EXPECT_EQ(tail[1], c.logged);
    EXPECT_EQ(tail.size(), c.key == static_cast<int>(k::F(8)) ? 3u : 2u);  // DeleteFiles' "Items" line
}

INSTANTIATE_TEST_SUITE_P(Answers, PluginAsks,
                         ::testing::Values(AskCase{"mkdir", static_cast<int>(k::F(7)), "MakeDirectory  0"},
                                           AskCase{"delete", static_cast<int>(k::F(8)), "DeleteFiles 1 0"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::app

namespace skimmer::host::app {
namespace {

struct EditCase {
    const char* name;
    bool change;      // the editor appends to the file
    bool refuse;      // SKIMMER_VFS_REFUSE_PUT
    bool putBack;     // PutFiles(OPM_EDIT) called
    const char* size; // readme.txt's size in the panel afterwards
    bool kept;        // the private folder kept (the edit could not go back)
};

class EditPutBack : public ::testing::TestWithParam<EditCase> {};

// F4: a file changed in the editor goes back with PutFiles(OPM_EDIT) and the panel is re-read; an
// unchanged one does not; one the plug-in refuses stays in its folder and the user is told where.
TEST_P(EditPutBack, AChangedFileGoesBack) {
    const EditCase& c = GetParam();
    if (c.refuse) setenv("SKIMMER_VFS_REFUSE_PUT", "1", 1);
    VfsScreen s;
    std::string edited;
    s.editor = [&](const std::string& path) {
        edited = path;
        if (!c.change) return EEC_NOT_MODIFIED;
        std::ofstream(path, std::ios::app) << "more\n";
        return EEC_MODIFIED;
    };
    s.openVfs();
    s.manager->activePanel().setCurrent("readme.txt");
    const size_t start = s.callCount();
    s.key(k::F(4));
    EXPECT_EQ(fs::path(edited).filename(), "readme.txt");
    const Lines calls = s.calls(start);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "PutFiles 1 0 8"), c.putBack ? 1 : 0);
    if (c.putBack) {
        EXPECT_NE(std::find(calls.begin(), calls.end(), "Items readme.txt"), calls.end());
    }
    s.manager->activePanel().setCurrent("readme.txt");
    ASSERT_NE(s.manager->activePanel().currentEntry(), nullptr);
    EXPECT_EQ(std::to_string(s.manager->activePanel().currentEntry()->size), c.size);
    EXPECT_EQ(fs::exists(edited), c.kept);
    EXPECT_EQ(fs::is_empty(getenv("TMPDIR")), !c.kept);
    ASSERT_EQ(s.errors.size(), c.kept ? 1u : 0u) << (s.errors.empty() ? "" : s.errors[0]);
    if (c.kept) {
        EXPECT_NE(s.errors[0].find("kept in"), std::string::npos) << s.errors[0];
        for (const auto& e : fs::directory_iterator(getenv("TMPDIR"))) fs::remove_all(e.path());
    }
}

INSTANTIATE_TEST_SUITE_P(Edits, EditPutBack,
                         ::testing::Values(EditCase{"changed", true, false, true, "13", false},
                                           EditCase{"unchanged", false, false, false, "8", false},
                                           EditCase{"refused", true, true, true, "8", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// An update asked for inside GetFiles, while the plug-in holds the panel's items, waits for the
// call to return: the plug-in still sees the list it was handed, and the new one comes after.
TEST(CopyOutUpdate, AnUpdateAskedInsideGetFilesWaitsForItToReturn) {
    setenv("SKIMMER_VFS_UPDATE_IN_GET", "1", 1);
    VfsScreen s;
    s.openVfs();
    s.manager->activePanel().setCurrent("readme.txt");
    s.copyAnswers.push_back(s.dir.string());
    s.key(k::F(5));
    const Lines calls = s.calls();
    // Four items and "..": the list before the file was added.
    const auto info = std::find(calls.begin(), calls.end(), "PanelInfo ok=1 plugin=1 items=5 current=4 curdir=");
    ASSERT_NE(info, calls.end());
    EXPECT_NE(std::find(info, calls.end(), "FreeFindData 5"), calls.end()) << "the update after it";
    EXPECT_TRUE(listed(s, "added1.txt"));
    EXPECT_EQ(s.currentName(), "readme.txt");
}

}  // namespace
}  // namespace skimmer::host::app
