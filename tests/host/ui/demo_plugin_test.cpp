// The demo plug-in loaded into this process and driven through the FAR services of the dialog
// engine, headless: the same module the end-to-end harness runs in a terminal.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "tests/host/ui/ui_harness.h"

namespace skimmer::host::ui::test {
namespace {

struct ModuleCloser {
    void operator()(void* handle) const { dlclose(handle); }
};
using Module = std::unique_ptr<void, ModuleCloser>;

// The module lands in bin/test-plugins/demo/ beside this test binary, outside the plug-ins folder
// that the host searches, so users never see it.
std::filesystem::path demoPath() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "test-plugins" / "demo" / "demo.so";
}

class DemoPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        const auto path = demoPath();
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "demo plug-in not built: " << path;
        module_.reset(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
        ASSERT_TRUE(module_) << dlerror();
        auto setStartupInfo = reinterpret_cast<void (*)(const PluginStartupInfo*)>(dlsym(module_.get(), "SetStartupInfo"));
        openPlugin = reinterpret_cast<HANDLE (*)(int, INT_PTR)>(dlsym(module_.get(), "OpenPlugin"));
        configure = reinterpret_cast<int (*)(int)>(dlsym(module_.get(), "Configure"));
        ASSERT_TRUE(setStartupInfo && openPlugin && configure);
        PluginStartupInfo info{};
        info.StructSize = sizeof info;
        info.Menu = &Menu;
        info.Dialog = &Dialog;
        info.Message = &Message;
        info.DialogEx = &DialogEx;
        info.SendDlgMessage = &SendDlgMessage;
        info.DefDlgProc = &DefDlgProc;
        setStartupInfo(&info);
    }

    // Reads the line of the "Result" box the demos end with, then dismisses it.
    void expectResult(const std::string& expected) {
        ui.events.then([this, expected] {
            bool found = false;
            for (int y = 0; y < 25 && !found; ++y) found = ui.row(y).find(expected) != std::string::npos;
            EXPECT_TRUE(found) << "no \"" << expected << "\" on screen";
        });
        ui.events.key(KEY_ENTER);
    }

    UiHarness ui;
    Module module_;
    HANDLE (*openPlugin)(int, INT_PTR) = nullptr;
    int (*configure)(int) = nullptr;
};

TEST_F(DemoPlugin, EveryItemDialogEditsChecksAndCloses) {
    ui.events.key(KEY_ENTER);  // the first demo
    ui.events.type("typed").key(KEY_ALT | 'C').key(KEY_ALT | 'S').key(KEY_ALT | 'A').then([&] {
        bool applied = false;
        for (int y = 0; y < 25; ++y) applied |= ui.row(y).find(" Applied ") != std::string::npos;
        EXPECT_TRUE(applied) << "Apply renamed the frame and left the dialog open";
    });
    ui.events.key(KEY_ALT | 'O');
    expectResult("exit=14 name=typed check=1 radio=second keys=0");
    ui.events.key(KEY_ESC);
    EXPECT_EQ(openPlugin(OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
}

TEST_F(DemoPlugin, MenuBreakKeysAndMessageBoxes) {
    ui.events.key(KEY_DOWN).key(KEY_DOWN).key(KEY_ENTER);  // the menu demo
    ui.events.key(KEY_DOWN).key(KEY_F4);
    expectResult("break=0 item=1");
    ui.events.key(KEY_ENTER);
    expectResult("chosen=1");
    ui.events.key(KEY_DOWN).key(KEY_ENTER);  // the message demo
    ui.events.type("n");
    ui.events.key(KEY_TAB).key(KEY_ENTER);
    expectResult("yesno=1 warning=1");
    ui.events.key(KEY_ESC);
    openPlugin(OPEN_PLUGINSMENU, 0);
}

TEST_F(DemoPlugin, SettingsEnablesTheFieldAndRefusesNo) {
    ui.events.key(KEY_SPACE).key(KEY_TAB).type("no").key(KEY_ALT | 'O').then([&] {
        bool warned = false;
        for (int y = 0; y < 25; ++y) warned |= ui.row(y).find("is not accepted") != std::string::npos;
        EXPECT_TRUE(warned);
    });
    ui.events.key(KEY_ENTER).key(KEY_SHIFTTAB).key(KEY_CTRLY).type("yes").key(KEY_ENTER);
    expectResult("exit=3 enabled=1 extra=yes");
    EXPECT_EQ(configure(0), TRUE);
}

TEST_F(DemoPlugin, ThreadedDialogTakesTypingWhileItsThreadSends) {
    ui.events.key(KEY_END).key(KEY_ENTER);  // the threaded demo, last in the chooser
    ui.events.type("abc").key(KEY_ESC);
    expectResult("typed=abc");
    ui.events.key(KEY_ESC);
    openPlugin(OPEN_PLUGINSMENU, 0);
}

}  // namespace
}  // namespace skimmer::host::ui::test
