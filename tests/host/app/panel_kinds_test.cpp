// What differs between the kinds of panel a side shows (file, temporary, a plug-in's), through the
// one interface the screen dispatches to: the key bar it names and what Ctrl+Enter takes from it.
#include <gtest/gtest.h>

#include "host/app/panel.h"
#include "os/desktop_exec.h"
#include "tests/host/app/vfs_screen.h"

namespace skimmer::host::app {
namespace {

namespace k = term::key;

enum class Kind { File, Temp, Plugin };

struct KindScreen : VfsScreen {
    KindScreen() : VfsScreen(120, 20) { manager->setTempPanelPrefix([] { return std::string("tmp"); }); }

    void show(Kind kind, int side) {
        if (kind == Kind::Plugin) {
            openVfs(side);
        } else if (kind == Kind::Temp) {
            const fs::path list = home.root() / "list.temp";
            std::ofstream(list) << (dir / "one.txt").string() << "\n";
            manager->commandLine().setText("tmp:" + list.string());
            key(k::ENTER);
        }
    }
    std::string keyBar() {
        manager->paint();
        return console->cells().textAt(console->cells().height() - 1);
    }
};

struct KeyBarCase {
    Kind active;
    Kind passive;
    bool copies;       // F5/F6 named
    bool makesFolder;  // F7/F8 named
};

class KeyBarPerKind : public ::testing::TestWithParam<KeyBarCase> {};

TEST_P(KeyBarPerKind, NamesWhatTheShownPanelsOffer) {
    const KeyBarCase c = GetParam();
    KindScreen s;
    s.show(c.passive, 1);
    if (s.manager->activeSide() != 0) s.key(k::TAB);  // its drive menu made the right side active
    s.show(c.active, 0);
    ASSERT_EQ(s.manager->activeSide(), 0);
    ASSERT_EQ(s.manager->shownPanel().plugin() != nullptr, c.active == Kind::Plugin);
    ASSERT_EQ(s.manager->shownPanel(true).plugin() != nullptr, c.passive == Kind::Plugin);
    const std::string bar = s.keyBar();
    EXPECT_EQ(bar.find("5Copy") != std::string::npos, c.copies) << bar;
    EXPECT_EQ(bar.find("7MkFold") != std::string::npos, c.makesFolder) << bar;
    EXPECT_NE(bar.find("10Quit"), std::string::npos) << bar;
}

INSTANTIATE_TEST_SUITE_P(Panels, KeyBarPerKind,
                         ::testing::Values(KeyBarCase{Kind::File, Kind::File, false, false},
                                           KeyBarCase{Kind::Temp, Kind::File, false, false},
                                           KeyBarCase{Kind::File, Kind::Plugin, true, false},
                                           KeyBarCase{Kind::Temp, Kind::Plugin, true, false},
                                           KeyBarCase{Kind::Plugin, Kind::File, true, true}));

class CtrlEnterPerKind : public ::testing::TestWithParam<Kind> {};

// The name as the file panel and the plug-in list it, the whole path on the temporary panel.
TEST_P(CtrlEnterPerKind, PutsTheCurrentEntryOnTheCommandLine) {
    KindScreen s;
    s.show(GetParam(), 0);
    s.manager->activePanel().moveTo(1);  // past ".."
    const PanelEntry* e = s.manager->activePanel().currentEntry();
    ASSERT_NE(e, nullptr);
    const std::string expected = e->name;  // on the temporary panel, the whole path
    s.key(k::CTRLENTER);
    EXPECT_EQ(s.manager->commandLine().text(), os::shellQuote({expected}) + " ");
    s.manager->commandLine().setText("");
    s.manager->activePanel().moveTo(0);
    s.key(k::CTRLENTER);
    EXPECT_EQ(s.manager->commandLine().text(), "") << "nothing for \"..\"";
}

INSTANTIATE_TEST_SUITE_P(Panels, CtrlEnterPerKind, ::testing::Values(Kind::File, Kind::Temp, Kind::Plugin));

}  // namespace
}  // namespace skimmer::host::app
