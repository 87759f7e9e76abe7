// SendDlgMessage from another thread while the UI thread runs the dialog: serialised with the
// dialog procedure, repainted by the UI thread, and harmless once the dialog has closed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/host/ui/ui_harness.h"

namespace skimmer::host::ui::test {
namespace {

TEST(DialogThreads, AnotherThreadsMessagesAreSerialisedRepaintedAndCanClose) {
    UiHarness ui;
    ui.events.blockWhenEmpty = true;
    ProcScript proc;
    std::atomic<HANDLE> handle{nullptr};
    std::atomic<int> insideProc{0};
    bool overlap = false;  // touched only inside the procedure, which the lock serialises
    int ownMessages = 0;
    proc.handler = [&](HANDLE dlg, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (insideProc.fetch_add(1) != 0) overlap = true;
        if (msg == DN_INITDIALOG) handle = dlg;
        if (msg == 0x5000) ++ownMessages;
        insideProc.fetch_sub(1);
        return msg == 0x5000 ? std::optional<LONG_PTR>(1) : std::nullopt;
    };
    constexpr int kRounds = 300;
    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
        while (!handle.load()) std::this_thread::yield();
        for (int i = 0; i < kRounds; ++i) {
            const std::string title = "Round " + std::to_string(i);
            SendDlgMessage(handle, DM_ENABLEREDRAW, FALSE, 0);
            SendDlgMessage(handle, DM_SETTEXTPTR, kFrame, reinterpret_cast<LONG_PTR>(title.c_str()));
            EXPECT_EQ(SendDlgMessage(handle, 0x5000, i, 0), 1);
            char buffer[64] = {};
            FarDialogItemData data{60, buffer};
            SendDlgMessage(handle, DM_GETTEXT, kEdit, reinterpret_cast<LONG_PTR>(&data));
            SendDlgMessage(handle, DM_ENABLEREDRAW, TRUE, 0);
        }
        workerDone = true;
        SendDlgMessage(handle, DM_CLOSE, kOk, 0);
        // The dialog is gone now (or about to be): further messages must be harmless.
        for (int i = 0; i < 50; ++i) SendDlgMessage(handle, DM_SETTEXTPTR, kEdit, reinterpret_cast<LONG_PTR>("late"));
    });
    // The UI thread types meanwhile; the script blocks when it runs dry until the worker closes.
    for (int i = 0; i < 100; ++i) ui.events.type(i % 2 ? "x" : "y");
    auto items = standardItems();
    const int result = runDialog(items, &proc);
    worker.join();
    EXPECT_EQ(result, kOk);
    EXPECT_TRUE(workerDone);
    EXPECT_FALSE(overlap) << "the procedure never ran on two threads at once";
    EXPECT_EQ(ownMessages, kRounds);
    EXPECT_EQ(dataOf(items[kFrame]), "Round " + std::to_string(kRounds - 1));
    EXPECT_GT(ui.events.wakeCount, 0) << "changes from the worker woke the UI loop";
}

TEST(DialogThreads, AChangeFromAnotherThreadIsPaintedByTheUiThread) {
    UiHarness ui;
    ui.events.blockWhenEmpty = true;
    ProcScript proc;
    std::atomic<HANDLE> handle{nullptr};
    proc.handler = [&](HANDLE dlg, int msg, int, LONG_PTR) -> std::optional<LONG_PTR> {
        if (msg == DN_INITDIALOG) handle = dlg;
        return std::nullopt;
    };
    std::thread worker([&] {
        while (!handle.load()) std::this_thread::yield();
        SendDlgMessage(handle, DM_SETTEXTPTR, kFrame, reinterpret_cast<LONG_PTR>("Changed"));
        // Once the UI thread has painted the change, the screen shows it; then close.
        ui.events.then([&] { EXPECT_NE(ui.find(kDlgY + 1, "Changed"), -1); }).key(KEY_ESC);
    });
    auto items = standardItems();
    runDialog(items, &proc);
    worker.join();
}

TEST(DialogThreads, ModalServicesRefuseOtherThreads) {
    UiHarness ui;
    int dialogResult = 0, menuResult = 0, messageResult = 0, breakCode = 7;
    std::thread other([&] {
        auto items = standardItems();
        dialogResult = runDialog(items);
        FarMenuItem menuItems[1] = {};
        menuResult = Menu(0, -1, -1, 0, 0, "", "", "", nullptr, &breakCode, menuItems, 1);
        const char* lines[] = {"T", "body"};
        messageResult = Message(0, FMSG_MB_OK, "", lines, 2, 0);
    });
    other.join();
    EXPECT_EQ(dialogResult, -1);
    EXPECT_EQ(menuResult, -1);
    EXPECT_EQ(breakCode, -1);
    EXPECT_EQ(messageResult, -1);
}

}  // namespace
}  // namespace skimmer::host::ui::test
