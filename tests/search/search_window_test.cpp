// The search window headless: the host's own dialog engine draws it into a cell buffer, keys are
// scripted, the rest of the host is the scriptable test host, and the engine is the locate engine
// over a fake `locate` that prints a fixed set of paths.
#include "search/search_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "config/catalogue.h"
#include "far/adv_control.h"
#include "far/keys.h"
#include "far/panel.h"
#include "host/ui/far_services.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::search {
namespace {

namespace fs = std::filesystem;
using host::ui::test::UiHarness;

// A `locate` that answers every query with the same hits, whatever it is asked.
void writeFakeLocate(const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path program = folder / "locate";
    std::ofstream(program) << "#!/bin/sh\n"
                              "[ \"$1\" = --version ] && { echo 'fake locate 1.0'; exit 0; }\n"
                              "printf '%s\\n' /data/docs/report.txt '/data/docs/a; touch pwned' /data/reply.doc\n";
    fs::permissions(program, fs::perms::owner_all);
}

class SearchWindowTest : public ::testing::Test {
protected:
    SearchWindowTest() : ui(100, 30) {
        ui.events.blockWhenEmpty = true;
        PluginStartupInfo info = host.startupInfo();
        info.DialogEx = host::ui::DialogEx;
        info.SendDlgMessage = host::ui::SendDlgMessage;
        info.DefDlgProc = host::ui::DefDlgProc;
        info.Message = host::ui::Message;
        tables.copyFrom(info);
        config::configSetupCatalogue(config);
        writeFakeLocate(home.root() / "bin");
        config::setConfigValue(config, "ESKSSearchEngine", config::TConfigValue::integer(1));
        config::setConfigValue(config, "ESKSLocate32Path", config::TConfigValue::str((home.root() / "bin").string()));
        palette.assign(112, 0x1F);
        env.host = &tables;
        env.config = &config;
        env.groups = &groups;
        env.console = &console;
        env.FarRootKey = "Software\\Far";
        env.palette = &palette;
        env.NoDateText = "-";
        env.engineEnvironment.Config = &config;
        env.engineEnvironment.PollStep = std::chrono::milliseconds(20);
        env.shellOpen = [this](std::string_view target) {
            opened.emplace_back(target);
            return os::OpenResult{os::OpenResult::Started, {}, {}, false};
        };
    }

    // Runs `check` on the UI thread once the screen shows `text` (the loop is woken and repaints
    // between looks); fails the test if it never does.
    void whenShown(const std::string& text, std::function<void()> check) {
        auto look = std::make_shared<std::function<void()>>();
        auto rounds = std::make_shared<int>(0);
        *look = [this, text, check, look, rounds] {
            if (screenHas(text)) return check();
            if (++*rounds > 200000) {
                ADD_FAILURE() << "never shown: " << text << "\n" << screen();
                return check();
            }
            ui.events.push(host::ui::WakeEvent{}).then(*look);
        };
        ui.events.then(*look);
    }
    bool screenHas(const std::string& text) { return screen().find(text) != std::string::npos; }
    std::string screen() {
        std::string all;
        for (int y = 0; y < 30; ++y) all += ui.row(y) + "\n";
        return all;
    }
    std::vector<test::HostCall> callsOf(const char* function, int command) {
        std::vector<test::HostCall> out;
        for (const auto& call : host.callsTo(function))
            if (call.args.size() > 1 && call.args[1] == command) out.push_back(call);
        return out;
    }

    struct FixedConsole : platform::Console {
        std::optional<platform::ConsoleSize> screenBufferSize() const override { return platform::ConsoleSize{100, 30}; }
    };

    UiHarness ui;
    test::TestHost host;
    test::TempHome home;
    platform::HostTables tables;
    config::TRegistryConfig config;
    config::TSKSSortGroups groups;
    FixedConsole console;
    std::vector<uint8_t> palette;
    SearchWindowEnv env;
    std::vector<std::string> opened;
};

TEST_F(SearchWindowTest, TypedTextShowsTheHeaderHitsAndCounter) {
    ui.events.type("rep");
    whenShown("reply.doc", [&] {
        EXPECT_TRUE(screenHas("Items by Locate32")) << screen();
        EXPECT_TRUE(screenHas("report.txt")) << screen();
        EXPECT_TRUE(screenHas("Hits: 3")) << screen();
        ui.events.key(KEY_ESC);
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    EXPECT_TRUE(opened.empty());
}

}  // namespace
}  // namespace skimmer::search
