// A dialog procedure finds the registered dialog it serves (and the host showing it) although
// DialogEx hands it no context: the innermost running one, and none outside a run.
#include <gtest/gtest.h>

#include <vector>

#include "dialogs/registered_dialog.h"
#include "tests/host/ui/ui_harness.h"

namespace skimmer::dialogs {
namespace {

// What each procedure call saw: the dialog and host it was given, per dialog.
struct Seen {
    const TRegisteredDialog* dialog;
    const platform::HostTables* host;
};
std::vector<Seen> gOuterSeen, gInnerSeen;
TRegisteredDialog* gInner = nullptr;
const platform::HostTables* gTables = nullptr;

void note(std::vector<Seen>& seen) {
    const TRunningDialog* running = RunningRegisteredDialog();
    seen.push_back({running ? running->Dialog : nullptr, running ? running->Host : nullptr});
}

LONG_PTR FARAPI innerProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (msg == DN_INITDIALOG) note(gInnerSeen);
    return host::ui::DefDlgProc(dlg, msg, param1, param2);
}

// The outer dialog runs the inner one from its own procedure (as a side button's dialog would),
// then looks again.
LONG_PTR FARAPI outerProc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (msg == DN_INITDIALOG) {
        note(gOuterSeen);
        RunRegisteredDialog(*gTables, *gInner, false, -1, 0, nullptr, &innerProc);
        note(gOuterSeen);
    }
    return host::ui::DefDlgProc(dlg, msg, param1, param2);
}

TEST(RunningDialog, IsTheInnermostRunOnThisThreadAndNoneOutside) {
    host::ui::test::UiHarness ui;
    FarStandardFunctions fsf{};
    PluginStartupInfo info{};
    info.StructSize = sizeof info;
    info.DialogEx = host::ui::DialogEx;
    info.SendDlgMessage = host::ui::SendDlgMessage;
    info.DefDlgProc = host::ui::DefDlgProc;
    info.FSF = &fsf;
    platform::HostTables tables;
    tables.copyFrom(info);
    gTables = &tables;

    config::TRegistryConfig settings;
    int32_t ok = -1;
    TRegisteredDialog outer, inner;
    std::string error;
    ASSERT_TRUE(RegisterDialog(outer, settings, TDialogDescription(30, 6).button(3, 2, 0, "&OK", "BOK", &ok), error));
    ASSERT_TRUE(RegisterDialog(inner, settings, TDialogDescription(20, 5).button(3, 2, 0, "&OK", "BOK", &ok), error));
    gInner = &inner;

    EXPECT_EQ(RunningRegisteredDialog(), nullptr);
    ui.events.key(KEY_ESC).key(KEY_ESC);  // the inner dialog closes first, then the outer
    EXPECT_EQ(RunRegisteredDialog(tables, outer, false, -1, 0, nullptr, &outerProc), -1);
    EXPECT_EQ(RunningRegisteredDialog(), nullptr) << "the run is over";

    ASSERT_EQ(gOuterSeen.size(), 2u);
    ASSERT_EQ(gInnerSeen.size(), 1u);
    EXPECT_EQ(gOuterSeen[0].dialog, &outer);
    EXPECT_EQ(gInnerSeen[0].dialog, &inner);
    EXPECT_EQ(gOuterSeen[1].dialog, &outer) << "the outer dialog is the running one again";
    for (const Seen& seen : {gOuterSeen[0], gInnerSeen[0], gOuterSeen[1]}) EXPECT_EQ(seen.host, &tables);
}

}  // namespace
}  // namespace skimmer::dialogs
