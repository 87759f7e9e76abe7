// FAR's Control and screen services against a real screen: the manager on a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "host/services/control.h"
#include "host/services/screen.h"
#include "host/app/manager.h"
#include "host/app/terminal_console.h"
#include "tests/host/app/screen_on_pty.h"

namespace skimmer::host::app {
namespace {

namespace fs = std::filesystem;
using services::Control;
using services::RestoreScreen;
using services::SaveScreen;
using services::Text;

TEST(ControlService, CommandLineRoundTrip) {
    ScreenOnPty s;
    EXPECT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_SETCMDLINE, const_cast<char*>("find me")));
    char buf[1024];
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, buf));
    EXPECT_STREQ(buf, "find me");
    int pos = 4;
    EXPECT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_SETCMDLINEPOS, &pos));
    EXPECT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_INSERTCMDLINE, const_cast<char*>("X")));
    EXPECT_EQ(s.manager->commandLine().text(), "findX me");
    int got = 0;
    EXPECT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINEPOS, &got));
    EXPECT_EQ(got, 5);
    EXPECT_FALSE(Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, nullptr));
    // A line longer than FAR's 1 KB buffer is cut, never overflowing it.
    const std::string longLine(5000, 'x');
    Control(INVALID_HANDLE_VALUE, FCTL_SETCMDLINE, const_cast<char*>(longLine.c_str()));
    char exact[1024];
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, exact));
    EXPECT_EQ(std::strlen(exact), 1023u);
}

TEST(ControlService, PanelInfoAndPanelDirectory) {
    ScreenOnPty s;
    s.manager->paint();
    PanelInfo info{};
    ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &info));
    EXPECT_EQ(info.PanelType, PTYPE_FILEPANEL);
    EXPECT_EQ(info.ItemsNumber, 3);  // .., sub, one.txt
    EXPECT_STREQ(info.CurDir, s.dir.c_str());
    EXPECT_STREQ(info.PanelItems[1].FindData.cFileName, "sub");
    EXPECT_TRUE(info.PanelItems[1].FindData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(info.PanelItems[2].FindData.nFileSizeLow, 1u);
    ASSERT_EQ(info.SelectedItemsNumber, 1);  // nothing selected: the current item
    EXPECT_STREQ(info.SelectedItems[0].FindData.cFileName, "..");
    EXPECT_EQ(info.PanelRect.right, 29);  // the left half of 60 columns
    PanelRedrawInfo redraw{2, 0};
    EXPECT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, &redraw));
    EXPECT_EQ(s.manager->panel().currentEntry()->name, "one.txt");
    EXPECT_TRUE(Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, const_cast<char*>((s.dir / "sub").c_str())));
    EXPECT_EQ(s.manager->panel().dir(), s.dir / "sub");
    EXPECT_FALSE(Control(INVALID_HANDLE_VALUE, FCTL_SETPANELDIR, const_cast<char*>("/no/such/folder")));
    EXPECT_EQ(s.manager->panel().dir(), s.dir / "sub");
    EXPECT_FALSE(Control(INVALID_HANDLE_VALUE, 9999, &info));
}

struct SideCase {
    const char* name;
    bool passive;  // the FCTL_*ANOTHER* commands
};

class TwoPanels : public ::testing::TestWithParam<SideCase> {};

// Each command acts on its panel and leaves the other alone, before and after Tab and Ctrl+U.
TEST_P(TwoPanels, CommandsActOnTheActiveOrThePassivePanel) {
    const bool passive = GetParam().passive;
    ScreenOnPty s;
    s.manager->paint();
    const auto command = [passive](int active, int another) { return passive ? another : active; };
    for (int round = 0; round < 3; ++round) {
        const fs::path other = s.manager->panel(!passive).dir();
        const fs::path target = s.manager->panel(passive).dir() == s.dir ? s.dir / "sub" : s.dir;
        ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, command(FCTL_SETPANELDIR, FCTL_SETANOTHERPANELDIR),
                            const_cast<char*>(target.c_str())));
        EXPECT_EQ(s.manager->panel(passive).dir(), target);
        EXPECT_EQ(s.manager->panel(!passive).dir(), other);
        s.manager->paint();
        PanelInfo info{};
        ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, command(FCTL_GETPANELINFO, FCTL_GETANOTHERPANELINFO), &info));
        EXPECT_STREQ(info.CurDir, target.c_str());
        EXPECT_EQ(info.Focus, passive ? FALSE : TRUE);
        const bool onLeft = (s.manager->activeSide() == 0) != passive;
        EXPECT_EQ(info.PanelRect.left, onLeft ? 0 : 30);
        // A new file shows after the update, and the cursor goes where the redraw says.
        std::ofstream(target / ("new" + std::to_string(round))) << "";
        const int before = info.ItemsNumber;
        EXPECT_TRUE(Control(INVALID_HANDLE_VALUE, command(FCTL_UPDATEPANEL, FCTL_UPDATEANOTHERPANEL), nullptr));
        ASSERT_TRUE(Control(INVALID_HANDLE_VALUE, command(FCTL_GETPANELSHORTINFO, FCTL_GETANOTHERPANELSHORTINFO), &info));
        EXPECT_EQ(info.ItemsNumber, before + 1);
        PanelRedrawInfo redraw{1, 0};
        EXPECT_TRUE(Control(INVALID_HANDLE_VALUE, command(FCTL_REDRAWPANEL, FCTL_REDRAWANOTHERPANEL), &redraw));
        EXPECT_EQ(s.manager->panel(passive).current(), 1);
        // Tab: the other panel is active and each kept its folder; Ctrl+U: the panels change sides
        // and the active one stays active.
        const fs::path active = s.manager->panel().dir();
        const int side = s.manager->activeSide();
        if (round == 0) {
            s.manager->handleKey(term::key::TAB);
            EXPECT_EQ(s.manager->panel(true).dir(), active);
        } else {
            s.manager->handleKey(term::key::kCtrl | 'U');
            EXPECT_EQ(s.manager->panel().dir(), active);
        }
        EXPECT_EQ(s.manager->activeSide(), 1 - side);
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, TwoPanels, ::testing::Values(SideCase{"active", false}, SideCase{"another", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ScreenServices, TextDrawsSafelyAndSaveRestorePutsBackExactly) {
    ScreenOnPty s;
    s.manager->paint();
    term::CellBuffer& cells = s.console->cells();
    const std::string before = cells.textAt(3);
    HANDLE saved = SaveScreen(0, 0, -1, -1);
    ASSERT_NE(saved, nullptr);
    Text(2, 3, 0x4F, "\x1B[2Jhi");
    EXPECT_NE(cells.textAt(3).find("\uFFFD[2Jhi"), std::string::npos);
    EXPECT_EQ(cells.attrAt(2, 3), 0x4F);
    Text(0, 0, 0, nullptr);  // flush: presents
    RestoreScreen(saved);
    EXPECT_EQ(cells.textAt(3), before);
    RestoreScreen(saved);  // a second restore of the same handle is ignored
    EXPECT_EQ(cells.textAt(3), before);
}

}  // namespace
}  // namespace skimmer::host::app
