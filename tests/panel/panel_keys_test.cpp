// The panel's keys with a search engine behind it: Enter runs a folder's query and lists its hits,
// Enter on a hit puts the file panel on it, Ctrl+F puts its path on the command line.

#include "far/vk.h"
#include "os/path_syntax.h"
#include "os/shell_quote.h"
#include "panel/panel_messages.h"
#include "tests/panel/panel_fixture.h"
#include "tests/support/printing_locate.h"

namespace skimmer::panel {
namespace {

namespace fs = std::filesystem;
using test::PanelFixture;
using Names = std::vector<std::string>;

// The locate engine with a locate program that lists fixed paths.
class PanelKeys : public PanelFixture {
protected:
    PanelKeys() {
        bin = home.root() / "bin";
        fs::create_directories(bin);
        config::setConfigValue(config, "ESKSSearchEngine", config::TConfigValue::integer(1));
        config::setConfigValue(config, "ESKSLocate32Path", config::TConfigValue::str(bin.string()));
    }
    void fakeLocate(const Names& paths) { skimmer::test::writePrintingLocate(bin, paths); }
    std::string file(const std::string& name, size_t size) {
        const fs::path path = home.root() / "files" / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << std::string(size, 'x');
        return path.string();
    }
    fs::path bin;
};

TEST_F(PanelKeys, EnterRunsTheQueryAndListsTheHitsEachTimeAnew) {
    const std::string a = file("a; touch pwned", 7), b = file("b.txt", 300);
    fakeLocate({a, b, home.root().string() + "/gone.txt"});
    newSearchFolder("anything");
    cursorOn("anything");
    ASSERT_TRUE(ProcessKey(panel, handle, VK_RETURN, 0));
    EXPECT_EQ(list(), (Names{"..", "a; touch pwned", "b.txt", "gone.txt"}));
    EXPECT_EQ(shown[1].FindData.nFileSizeLow, 7u);
    EXPECT_EQ(shown[2].FindData.nFileSizeLow, 300u);
    EXPECT_EQ(shown[3].FindData.nFileSizeLow, 0u);  // not on disk: listed under its own name
    EXPECT_NE(shown[2].FindData.ftLastWriteTime.dwHighDateTime, 0u);
    std::string title;
    EXPECT_EQ(openPluginInfo(&title), "\\anything");
    // The progress title was drawn on the panel's top line; hits are never stored.
    EXPECT_FALSE(host.callsTo("Text").empty());
    EXPECT_EQ(stored(), "anything;");

    // Ctrl+F: the hit's whole path, quoted for the system's command interpreter, after what the
    // line held.
    host.commandLine = "copy";
    cursorOn("a; touch pwned");
    ASSERT_TRUE(ProcessKey(panel, handle, 'F', PKF_CONTROL));
    std::string word, error;
    ASSERT_TRUE(os::commandLineArgument(a, word, error)) << error;
    EXPECT_EQ(host.commandLine, "copy " + word);
    // Enter on a hit: the file panel goes to its folder.
    host.clearCalls();
    cursorOn("b.txt");
    ASSERT_TRUE(ProcessKey(panel, handle, VK_RETURN, 0));
    bool wentThere = false;
    for (const auto& call : host.callsTo("Control"))
        if (call.args[1] == FCTL_SETPANELDIR && call.texts.at(0) == os::pathInFolder((home.root() / "files").string(), "")) wentThere = true;
    EXPECT_TRUE(wentThere);

    // Up, and in again: the query runs anew and the old hits are gone.
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));
    fakeLocate({b});
    cursorOn("anything");
    ASSERT_TRUE(ProcessKey(panel, handle, VK_RETURN, 0));
    EXPECT_EQ(list(), (Names{"..", "b.txt"}));
}

TEST_F(PanelKeys, AFolderThatFindsNothingListsOnlyTheWayBack) {
    fakeLocate({});
    newSearchFolder("nothing");
    cursorOn("nothing");
    ASSERT_TRUE(ProcessKey(panel, handle, VK_RETURN, 0));
    EXPECT_EQ(list(), Names{".."});
    EXPECT_TRUE(host.callsTo("Message").empty()) << "finding nothing is no error";
}

TEST_F(PanelKeys, AnEngineThatCannotRunSaysSo) {
    newSearchFolder("q");
    cursorOn("q");
    host.answerMessage(0);
    ASSERT_TRUE(ProcessKey(panel, handle, VK_RETURN, 0));  // no `locate` in its folder
    EXPECT_EQ(host.callsTo("Message").back().texts[2], platform::GetMsgStr(tables, kMsgEngineUnusable));
    EXPECT_EQ(list(), Names{".."});
}

// A folder lists at most kMaxFolderHits hits; when the query found more, a notice from the
// language file says so, with the number listed.
class HitCap : public PanelKeys, public ::testing::WithParamInterface<int> {};

TEST_P(HitCap, MoreHitsThanListedAreSaid) {
    const int found = GetParam();
    Names hits;
    for (int i = 1; i <= found; ++i) hits.push_back((home.root() / "nowhere" / ("hit" + std::to_string(i))).string());
    fakeLocate(hits);
    newSearchFolder("many");
    cursorOn("many");
    const bool cut = found > kMaxFolderHits;
    if (cut) host.answerMessage(0);
    host.clearCalls();
    ASSERT_TRUE(ProcessKey(panel, handle, VK_RETURN, 0));
    EXPECT_EQ(list().size(), static_cast<size_t>(std::min(found, kMaxFolderHits)) + 1);  // with ".."
    const auto notices = host.callsTo("Message");
    ASSERT_EQ(notices.size(), cut ? 1u : 0u);
    if (cut) {
        EXPECT_EQ(notices[0].texts.at(2),
                  platform::GetMsgStr(tables, kMsgFolderHitsCut) + " " + std::to_string(kMaxFolderHits));
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, HitCap, ::testing::Values(kMaxFolderHits, kMaxFolderHits + 1));

// Keys the panel leaves to FAR, unless the search window's thread is busy.
struct KeyCase {
    int key;
    unsigned state;
    bool busy;
    int handled;
};
class OtherKeys : public PanelKeys, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(OtherKeys, LeftToFarUnlessBusy) {
    newDirectory("Docs");
    cursorOn("Docs");
    panel.SearchBusy = GetParam().busy;
    EXPECT_EQ(ProcessKey(panel, handle, GetParam().key, GetParam().state), GetParam().handled);
}

INSTANTIATE_TEST_SUITE_P(Keys, OtherKeys,
                         ::testing::Values(KeyCase{VK_RETURN, 0, false, FALSE}, KeyCase{VK_RETURN, 0, true, TRUE},
                                           KeyCase{VK_F5, 0, false, FALSE}, KeyCase{VK_F5, 0, true, TRUE},
                                           KeyCase{'F', PKF_CONTROL | PKF_SHIFT, false, FALSE},
                                           KeyCase{VK_F4 | PKF_PREPROCESS, 0, true, FALSE}));

}  // namespace
}  // namespace skimmer::panel
