// SKSConfig, the search window's settings dialog, in process: its real table (laid out from the
// shipped language file) built, registered and shown by the host's DialogEx on a headless screen,
// then closed with Escape. The anchor, measured in the same run and interleaved with it, is
// DialogEx alone over the same items built beforehand. Then the cost on disk of accepting it: one
// settings save over the real hive file, counted through the file-system seam.
//
// Prints both medians, their ratio and the calls per save. Usage: bench_window_settings [RUNS]
// (default 1000).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "dialogs/registered_dialog.h"
#include "far/lng_format.h"
#include "os/registry.h"
#include "platform/hive_registry.h"
#include "settings/settings_dialogs.h"
#include "settings/window_settings.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_home.h"

namespace {

using namespace skimmer;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

// The shipped messages, for the host's GetMsg (a plain function: FAR's table carries no context).
std::vector<std::string> gMessages;
const char* FARAPI getMsg(int, int number) {
    return number >= 0 && static_cast<size_t>(number) < gMessages.size() ? gMessages[static_cast<size_t>(number)].c_str()
                                                                         : "";
}

bool loadMessages() {
    std::ifstream in(SKIMMER_LNG_FILE, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    gMessages = farapi::parseLng(bytes.str()).messages;
    return !gMessages.empty();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    if (!loadMessages()) {
        std::fprintf(stderr, "error: cannot read %s\n", SKIMMER_LNG_FILE);
        return 1;
    }
    test::TempHome home;
    const std::filesystem::path file = home.config() / "skimmer" / "registry.reg";
    std::filesystem::create_directories(file.parent_path());
    test::FaultFileSystem counting(os::realFileSystem());
    os::Hive hive(file, &counting, [](const std::string&) {});
    platform::HiveRegistry registry(hive);
    config::TRegistryConfig settings;
    settings.location_ = config::settingsLocation(&registry, "Software\\Far\\Plugins");
    settings.reportError_ = [](const std::string& e) { std::fprintf(stderr, "error: %s\n", e.c_str()); };
    config::configSetupCatalogue(settings);
    config::configSaveValues(settings);  // the file exists before the save that is counted

    host::ui::test::UiHarness ui;
    FarStandardFunctions fsf{};
    PluginStartupInfo info{};
    info.StructSize = sizeof info;
    info.DialogEx = host::ui::DialogEx;
    info.SendDlgMessage = host::ui::SendDlgMessage;
    info.DefDlgProc = host::ui::DefDlgProc;
    info.GetMsg = getMsg;
    info.FSF = &fsf;
    platform::HostTables tables;
    tables.copyFrom(info);
    settings::SettingsEnv env;
    env.host = &tables;
    env.config = &settings;
    env.registry = &registry;

    settings::WindowSettingsButtons buttons;
    dialogs::TRegisteredDialog built;
    std::string error;
    if (!dialogs::RegisterDialog(built, settings, settings::windowSettingsTable(tables, buttons), error)) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    const std::vector<FarDialogItem> anchorItems = built.Items;

    std::vector<double> opened, anchor;
    for (int i = 0; i < runs; ++i) {
        ui.events.key(KEY_ESC);
        auto start = Clock::now();
        if (settings::RunSearchWindowSettings(env)) {
            std::fprintf(stderr, "error: the dialog did not close as scripted\n");
            return 1;
        }
        opened.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());

        std::vector<FarDialogItem> items = anchorItems;
        ui.events.key(KEY_ESC);
        start = Clock::now();
        host::ui::DialogEx(0, -1, -1, 59, 24, "SKSConfig", items.data() + 1, static_cast<int>(items.size()) - 1, 0, 0,
                           nullptr, 0);
        anchor.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }

    // Accepting: Enter on the first item ends the dialog there, and the dialog saves once.
    counting.resetCounts();
    ui.events.key(KEY_ENTER);
    if (!settings::RunSearchWindowSettings(env)) {
        std::fprintf(stderr, "error: the dialog was not accepted as scripted\n");
        return 1;
    }
    const double reg = median(opened), base = median(anchor);
    std::printf("SKSConfig opened (%d items, table built and walked + DialogEx + Escape): median %.1f us over %d runs\n",
                built.ItemCount - 1, reg, runs);
    std::printf("anchor (DialogEx of the same items, built beforehand):                   median %.1f us\n", base);
    std::printf("ratio SKSConfig / anchor: %.2f; budget 1000 us: %s\n", base > 0 ? reg / base : 0.0,
                reg <= 1000 ? "met" : "MISSED");
    std::printf("accepting SKSConfig: %llu fsync, %llu directory sync, %llu rename (one atomic replacement)\n",
                static_cast<unsigned long long>(counting.count(test::FsOp::Fsync)),
                static_cast<unsigned long long>(counting.count(test::FsOp::SyncDirectory)),
                static_cast<unsigned long long>(counting.count(test::FsOp::Rename)));
    return 0;
}
