// The service table's slots that reach the application through its installed hosts: without a host
// each gives FAR's failure answer; Control's protocol (parameters, the side a command addresses,
// the arrays it hands out) against a fake ControlHost. The real hosts over the manager are the app
// tests' (tests/host/app/control_service_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "far/adv_control.h"
#include "far/editor_viewer.h"
#include "host/services/adv_control.h"
#include "host/services/control.h"
#include "host/services/plugin_messages.h"
#include "host/services/screen.h"
#include "host/services/service_hosts.h"
#include "host/services/viewer_editor_slots.h"

namespace skimmer::host::services {
namespace {

TEST(ServiceSlots, WithoutAHostTheyFailAsFarDoes) {
    installServiceHosts(nullptr);
    char buf[1024] = "x";
    EXPECT_EQ(Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, buf), FALSE);
    EXPECT_EQ(SaveScreen(0, 0, -1, -1), nullptr);
    RestoreScreen(reinterpret_cast<HANDLE>(0x1234));  // a foreign handle is ignored, not freed
    RestoreScreen(nullptr);
    Text(0, 0, 7, "nowhere");
    EXPECT_STREQ(GetMsg(0, 1), "");
    EXPECT_EQ(AdvControl(0, ACTL_GETFARVERSION, nullptr), 0);
    EXPECT_EQ(Viewer("/etc/hostname", nullptr, 0, 0, -1, -1, 0), FALSE);
    EXPECT_EQ(Editor("/etc/hostname", nullptr, 0, 0, -1, -1, 0, 0, 0), EEC_OPEN_ERROR);
}

// Records which panel each request addressed; two items, the second selected, the first current.
struct FakeControl : ControlHost {
    bool callerOnPassive = false;
    std::vector<bool> asked;  // `passive` of every panel request, in order
    std::vector<bool> selection;
    int repaints = 0;
    std::string line = "cmd";

    bool addressesPassive(HANDLE) override { return callerOnPassive; }
    void describePanel(bool passive, PanelInfo& info) override {
        asked.push_back(passive);
        info.ItemsNumber = 2;
    }
    Items panelItems(bool) override {
        Items shown{std::vector<PluginPanelItem>(2), {}, 0};
        shown.items[1].Flags = PPIF_SELECTED;
        shown.selected = selection.empty() ? std::vector<int>{} : std::vector<int>{1};
        return shown;
    }
    int selectedCount(bool) override { return 0; }
    bool setSelection(bool passive, const std::vector<bool>& selected) override {
        asked.push_back(passive);
        selection = selected;
        return selected.size() == 2;
    }
    void updatePanel(bool passive, bool) override { asked.push_back(passive); }
    bool setViewMode(bool passive, int) override { return asked.push_back(passive), true; }
    bool setSortMode(bool passive, int) override { return asked.push_back(passive), true; }
    void setSortReverse(bool passive, bool) override { asked.push_back(passive); }
    void redrawPanel(bool passive, const PanelRedrawInfo*) override { asked.push_back(passive); }
    bool closePlugin(bool passive, const std::optional<std::string>&) override { return asked.push_back(passive), true; }
    bool setPanelDir(bool passive, const std::string&) override { return asked.push_back(passive), true; }
    std::string commandLine() override { return line; }
    void setCommandLine(const std::string& text, bool insert) override { line = insert ? line + text : text; }
    int commandLinePos() override { return 0; }
    void setCommandLinePos(int) override {}
    void repaint() override { ++repaints; }
};

class InstalledControl : public ::testing::Test {
protected:
    void SetUp() override { installServiceHosts(&table); }
    void TearDown() override { installServiceHosts(nullptr); }
    FakeControl host;
    ServiceHosts table{.control = &host};
};

struct SideCase {
    int command;
    bool callerOnPassive;
    bool addressed;  // the `passive` the host is asked with
};

class ControlSides : public InstalledControl, public ::testing::WithParamInterface<SideCase> {};

// A plain command addresses the caller's panel, an "another" command the other one, whichever side
// the caller's panel is on.
TEST_P(ControlSides, CommandAddressesTheCallersPanelOrTheOther) {
    host.callerOnPassive = GetParam().callerOnPassive;
    PanelInfo info{};
    int mode = 0;
    void* param = &info;
    if (GetParam().command == FCTL_SETVIEWMODE || GetParam().command == FCTL_SETANOTHERVIEWMODE) param = &mode;
    ASSERT_EQ(Control(INVALID_HANDLE_VALUE, GetParam().command, param), TRUE);
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(host.asked[0], GetParam().addressed);
}

INSTANTIATE_TEST_SUITE_P(Commands, ControlSides,
                         ::testing::Values(SideCase{FCTL_GETPANELINFO, false, false},
                                           SideCase{FCTL_GETPANELINFO, true, true},
                                           SideCase{FCTL_GETANOTHERPANELINFO, false, true},
                                           SideCase{FCTL_GETANOTHERPANELSHORTINFO, true, false},
                                           SideCase{FCTL_SETVIEWMODE, true, true},
                                           SideCase{FCTL_SETANOTHERVIEWMODE, true, false},
                                           SideCase{FCTL_UPDATEANOTHERPANEL, false, true},
                                           SideCase{FCTL_REDRAWPANEL, false, false}));

TEST_F(InstalledControl, NullParametersAndUnknownCommandsAreRefused) {
    for (int command : {FCTL_GETPANELINFO, FCTL_GETCMDLINE, FCTL_SETCMDLINE, FCTL_SETVIEWMODE, FCTL_SETSORTMODE,
                        FCTL_SETPANELDIR, FCTL_SETSELECTION, FCTL_GETCMDLINEPOS})
        EXPECT_EQ(Control(INVALID_HANDLE_VALUE, command, nullptr), FALSE) << command;
    int any = 0;
    EXPECT_EQ(Control(INVALID_HANDLE_VALUE, 9999, &any), FALSE);
    EXPECT_EQ(host.repaints, 0);
}

// With nothing selected the current item is handed out as the selection, without the flag.
TEST_F(InstalledControl, SelectionIsTheSelectedItemsOrTheCurrentOne) {
    PanelInfo info{};
    ASSERT_EQ(Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &info), TRUE);
    ASSERT_EQ(info.SelectedItemsNumber, 1);
    EXPECT_EQ(info.SelectedItems[0].Flags & PPIF_SELECTED, 0u);
    ASSERT_EQ(Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, &info), TRUE);
    EXPECT_EQ(host.selection, (std::vector<bool>{false, true}));
    ASSERT_EQ(Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &info), TRUE);
    ASSERT_EQ(info.SelectedItemsNumber, 1);
    EXPECT_NE(info.SelectedItems[0].Flags & PPIF_SELECTED, 0u);
    info.ItemsNumber = 1;  // read before the panel changed: refused
    EXPECT_EQ(Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, &info), FALSE);
    info.ItemsNumber = -1;
    EXPECT_EQ(Control(INVALID_HANDLE_VALUE, FCTL_SETSELECTION, &info), FALSE);
}

TEST_F(InstalledControl, ShortInfoCountsTheCurrentItemAsTheSelection) {
    PanelInfo info{};
    ASSERT_EQ(Control(INVALID_HANDLE_VALUE, FCTL_GETPANELSHORTINFO, &info), TRUE);
    EXPECT_EQ(info.SelectedItemsNumber, 1);
    EXPECT_EQ(info.PanelItems, nullptr);
}

struct Messages : MessageHost {
    const char* message(int plugin, int id) const override { return plugin == 2 && id == 5 ? "five" : ""; }
};

TEST(ServiceSlots, GetMsgAsksTheInstalledHost) {
    Messages messages;
    const ServiceHosts table{.messages = &messages};
    installServiceHosts(&table);
    EXPECT_STREQ(GetMsg(2, 5), "five");
    EXPECT_STREQ(GetMsg(1, 5), "");
    installServiceHosts(nullptr);
    EXPECT_STREQ(GetMsg(2, 5), "");
}

}  // namespace
}  // namespace skimmer::host::services
