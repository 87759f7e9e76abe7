// Browsing, creating, editing and deleting through the entry points, as FAR calls them.
#include <algorithm>
#include <cstring>

#include "far/vk.h"
#include "panel/panel_dialogs.h"
#include "panel/panel_messages.h"
#include "tests/panel/panel_fixture.h"

namespace skimmer::panel {
namespace {

using test::PanelFixture;
using Names = std::vector<std::string>;

class PanelBrowse : public PanelFixture {
protected:
    std::string placeholder() { return platform::GetMsgStr(tables, kMsgEmptyLevel); }
};

TEST_F(PanelBrowse, LevelsTitlesAndTheWayBack) {
    EXPECT_EQ(list(), Names{placeholder()});  // an empty tree: the placeholder, no ".."
    std::string title;
    EXPECT_EQ(openPluginInfo(&title), "\\");
    EXPECT_EQ(title, "Skimmer");
    newDirectory("A");
    EXPECT_EQ(list(), Names{"A"});
    EXPECT_EQ(shown[0].FindData.dwFileAttributes, kAttributeDirectory);
    EXPECT_EQ(shown[0].Flags & kPanelItemMark, kPanelItemMark);
    ASSERT_TRUE(SetDirectory(panel, handle, "A", 0));
    EXPECT_EQ(list(), (Names{"..", placeholder()}));
    EXPECT_EQ(openPluginInfo(&title), "\\A");
    EXPECT_EQ(title, "SKV: \\A");
    newDirectory("B");
    newSearchFolder("report");
    ASSERT_TRUE(SetDirectory(panel, handle, "B", 0));
    EXPECT_EQ(openPluginInfo(&title), "\\A\\B");
    // Reopened from the drive menu, the panel stands where it was left.
    EXPECT_EQ(OpenPanel(panel), handle);
    EXPECT_EQ(openPluginInfo(), "\\A\\B");
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));
    EXPECT_EQ(list(), (Names{"..", "B", "report"}));
    EXPECT_EQ(shown[2].FindData.dwFileAttributes, 0u);  // a search folder is a file
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));
    host.clearCalls();
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));  // at the top: FAR is asked to close the panel
    const auto closes = host.callsTo("Control");
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].args[1], FCTL_CLOSEPLUGIN);
    EXPECT_EQ(stored(), "A{};");
    // A handle that is not the instance is refused.
    PluginPanelItem* items = nullptr;
    int count = 0;
    EXPECT_FALSE(GetFindData(panel, reinterpret_cast<HANDLE>(&count), &items, &count, 0));
}

// Every path that names a node refuses a name its level already has, and ".", "..".
struct Clash {
    const char* label;
    std::string name;
};

class NameClash : public PanelBrowse, public ::testing::WithParamInterface<Clash> {};

TEST_P(NameClash, RefusedWithMessageAndTheDialogComesBackUntilCancelled) {
    newDirectory("Docs");
    newSearchFolder("report");
    type({{test::kDirName, GetParam().name}}, test::kDirOk);
    type({}, test::kDirCancel);  // the dialog comes back with the typed name; the user gives up
    host.answerMessage(0);
    char buffer[FAR_MAX_PATH] = "x";
    EXPECT_EQ(MakeDirectory(panel, handle, buffer, 0), -1);
    EXPECT_STREQ(buffer, "");
    const auto dialogs = host.callsTo("DialogEx");
    EXPECT_EQ(dialogs.back().texts[1 + test::kDirName], GetParam().name);  // shown again as typed
    EXPECT_EQ(host.callsTo("Message").back().texts[2], platform::GetMsgStr(tables, kMsgNameTaken));
    EXPECT_EQ(list(), (Names{"Docs", "report"}));
}

INSTANTIATE_TEST_SUITE_P(Names, NameClash,
                         ::testing::Values(Clash{"Directory", "Docs"}, Clash{"SearchFolder", "report"},
                                           Clash{"Dots", ".."}),
                         [](const auto& info) { return info.param.label; });

TEST_F(PanelBrowse, EditRenamesButNeverOntoASibling) {
    newDirectory("Docs");
    newDirectory("Mail");
    cursorOn("Docs");
    type({{test::kDirName, "Mail"}}, test::kDirOk);
    type({{test::kDirName, "Docs"}, {test::kDirDesc, "my papers"}}, test::kDirOk);  // its own name is fine
    host.answerMessage(0);
    ASSERT_TRUE(ProcessKey(panel, handle, VK_F4, 0));
    EXPECT_EQ(list(), (Names{"Docs", "Mail"}));
    EXPECT_EQ(descriptions[0], "my papers");
    TFolderTree tree;
    LoadFolderTree(tree, &registry, test::kRoot);
    EXPECT_EQ(tree.PanelRoot->Desc, "my papers");
}

TEST_F(PanelBrowse, SearchFolderDialogNamesAChecksAndStores) {
    // A simple folder is named after its query; an empty query and name is refused (message 132).
    type({}, test::kSearchOk);
    type({{test::kSearchQuery, "kind:doc report"}, {test::kSearchMax, "lots"}}, test::kSearchOk);
    host.answerMessage(0);
    ASSERT_TRUE(ProcessKey(panel, handle, VK_F4, PKF_SHIFT | PKF_CONTROL));
    EXPECT_EQ(host.callsTo("Message").back().texts[2], platform::GetMsgStr(tables, kMsgNeedQueryOrName));
    EXPECT_EQ(list(), Names{"kind:doc report"});
    TFolderTree tree;
    LoadFolderTree(tree, &registry, test::kRoot);
    ASSERT_TRUE(tree.PanelRoot);
    EXPECT_EQ(tree.PanelRoot->query, "kind:doc report");
    EXPECT_EQ(tree.PanelRoot->Max, "0");  // letters in simple mode store 0
    EXPECT_EQ(tree.PanelRoot->Type, kTypeSearchFolder);
    EXPECT_NE(tree.PanelRoot->Item.Created, 0u);
}

struct MaxCase {
    const char* text;
    std::optional<int32_t> value;
};
class MaxText : public ::testing::TestWithParam<MaxCase> {};
TEST_P(MaxText, ParsesAsTheDialogAccepts) { EXPECT_EQ(ParseMaxText(GetParam().text), GetParam().value); }
INSTANTIATE_TEST_SUITE_P(Texts, MaxText,
                         ::testing::Values(MaxCase{"12", 12}, MaxCase{"  -7", -7}, MaxCase{"0x10", 16},
                                           MaxCase{"$ff", 255}, MaxCase{"x1A", 26}, MaxCase{"", std::nullopt},
                                           MaxCase{"12 ", std::nullopt}, MaxCase{"abc", std::nullopt},
                                           MaxCase{"0x", std::nullopt}, MaxCase{"99999999999", std::nullopt}));

TEST_F(PanelBrowse, DeleteAsksThenRemovesTheSubtreeForGood) {
    newDirectory("Docs");
    ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    newSearchFolder("inner");
    ASSERT_TRUE(SetDirectory(panel, handle, "..", 0));
    newSearchFolder("other");
    PluginPanelItem docs = item("Docs");
    host.answerMessage(1);  // declined
    EXPECT_FALSE(DeleteFiles(panel, handle, &docs, 1, 0));
    EXPECT_EQ(stored(), "Docs{};other;");
    host.answerMessage(0);
    EXPECT_TRUE(DeleteFiles(panel, handle, &docs, 1, 0));
    EXPECT_EQ(host.callsTo("Message").back().texts[3], "Docs");
    EXPECT_EQ(list(), Names{"other"});
    EXPECT_EQ(stored(), "other;");
    // A stale item (the node is gone) deletes nothing else.
    EXPECT_TRUE(DeleteFiles(panel, handle, &docs, 1, OPM_SILENT));
    EXPECT_EQ(stored(), "other;");
    PluginPanelItem other = item("other");
    EXPECT_TRUE(DeleteFiles(panel, handle, &other, 1, OPM_SILENT));
    EXPECT_EQ(list(), Names{platform::GetMsgStr(tables, kMsgEmptyLevel)});
    EXPECT_EQ(stored(), "");
}

TEST_F(PanelBrowse, ASaveTheRegistryRefusesIsShownAndTheTreeKeepsTheChange) {
    registry.refuseWrites(true);
    host.answerMessage(0);
    newDirectory("Docs");
    EXPECT_FALSE(host.callsTo("Message").empty());
    EXPECT_EQ(list(), Names{"Docs"});
    registry.refuseWrites(false);
    newDirectory("Mail");
    EXPECT_EQ(stored(), "Docs;Mail;");
}

// After Shift+F4 makes a search folder, or F4 renames one, FAR's cursor rests on it: at its place
// in FAR's own (here sorted) listing when FAR lists it at once, else at its place in ours.
struct CursorCase {
    const char* label;
    bool inDirectory;  // below the top level, where ".." is item 0
    bool farSorts;     // FAR's answer after the update lists the new name, sorted by name
    bool rename;       // F4 renames "mango" instead of Shift+F4 making "kiwi"
    int expected;      // the CurrentItem FAR is asked to show
};

class CursorAfterKey : public PanelBrowse, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(CursorAfterKey, RestsOnTheNewOrRenamedItem) {
    const CursorCase& c = GetParam();
    newDirectory("Docs");
    if (c.inDirectory) {
        ASSERT_TRUE(SetDirectory(panel, handle, "Docs", 0));
    }
    newSearchFolder("mango");
    newSearchFolder("apple");
    list();  // what FAR shows before the key: "kiwi" or "zebra" is not in it
    if (c.farSorts)
        host.panelInfo = [this](PanelInfo& info) {
            const std::string atCursor = shown.at(cursor).FindData.cFileName;
            list();
            std::sort(shown.begin() + (shown[0].FindData.cFileName == std::string("..") ? 1 : 0), shown.end(),
                      [](const auto& a, const auto& b) { return std::strcmp(a.FindData.cFileName, b.FindData.cFileName) < 0; });
            for (size_t i = 0; i < shown.size(); ++i)
                if (atCursor == shown[i].FindData.cFileName) cursor = static_cast<int>(i);
            info.PanelItems = shown.data();
            info.ItemsNumber = static_cast<int>(shown.size());
            info.CurrentItem = cursor;
            info.TopPanelItem = 1;
        };
    host.clearCalls();
    if (c.rename) {
        cursorOn("mango");
        type({{test::kSearchQuery, "zebra"}}, test::kSearchOk);
        ASSERT_TRUE(ProcessKey(panel, handle, VK_F4, 0));
    } else {
        newSearchFolder("kiwi");
    }
    std::vector<skimmer::test::HostCall> redraws;
    for (const auto& call : host.callsTo("Control"))
        if (call.args.at(1) == FCTL_REDRAWPANEL) redraws.push_back(call);
    ASSERT_EQ(redraws.size(), 1u);
    ASSERT_EQ(redraws[0].args.size(), 4u) << "no PanelRedrawInfo";
    EXPECT_EQ(redraws[0].args[2], c.expected);
    EXPECT_EQ(redraws[0].args[3], c.farSorts ? 1 : 0);  // FAR's scroll position is kept
}

INSTANTIATE_TEST_SUITE_P(
    Keys, CursorAfterKey,
    ::testing::Values(CursorCase{"NewAtTheTop", false, false, false, 3},          // Docs mango apple kiwi
                      CursorCase{"NewInADirectory", true, false, false, 3},       // .. mango apple kiwi
                      CursorCase{"NewWhereFarSorts", false, true, false, 2},      // Docs apple kiwi mango
                      CursorCase{"RenamedInADirectory", true, false, true, 1},    // .. zebra apple
                      CursorCase{"RenamedWhereFarSorts", true, true, true, 2}),   // .. apple zebra
    [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace skimmer::panel
