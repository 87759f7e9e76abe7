// Opening the About box in process: its texts gathered (FAR's version, uname, the chosen engine
// asked: the index opened and counted, or `locate --version` run and its database read), the
// table walked and shown by the host's DialogEx on a headless screen, closed with Enter at once.
// The anchor, measured in the same run and interleaved with it, shows the same box with its texts
// gathered beforehand, so the ratio is what asking the engine and the system costs.
//
// Prints the median of each per engine and their ratio. Usage: bench_about_box [RUNS] (default 300).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "config/catalogue.h"
#include "dialogs/registered_dialog.h"
#include "far/default_palette.h"
#include "index/storage/schema.h"
#include "settings/about_box.h"
#include "settings/settings_dialogs.h"
#include "tests/host/ui/ui_harness.h"

namespace {

using namespace skimmer;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

double since(Clock::time_point start) { return std::chrono::duration<double, std::micro>(Clock::now() - start).count(); }

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const fs::path dir = fs::temp_directory_path() / ("bench_about_box." + std::to_string(::getpid()));
    fs::create_directories(dir);

    // A fresh index (the schema, no items) and a locate that answers its version.
    index::store::OpenedIndex opened = index::store::openIndexForWriting(dir / "index.sqlite");
    if (!opened.db) {
        std::fprintf(stderr, "error: %s\n", opened.status.error.c_str());
        return 1;
    }
    opened.db.reset();
    std::ofstream(dir / "locate") << "#!/bin/sh\necho 'benchlocate 1.0'\n";
    fs::permissions(dir / "locate", fs::perms::owner_all, fs::perm_options::replace);

    config::TRegistryConfig settings;  // no registry: catalogue defaults, nothing reaches a disk
    settings.reportError_ = [](const std::string& e) { std::fprintf(stderr, "error: %s\n", e.c_str()); };
    config::configSetupCatalogue(settings);
    config::setConfigValue(settings, "ESKSLocate32Path", config::TConfigValue::str(dir.string()));

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

    int errors = 0;
    engines::TEngineEnvironment engineEnv;
    engineEnv.Config = &settings;
    engineEnv.IndexFile = dir / "index.sqlite";
    engineEnv.ShowErrorText = [&errors](const std::string&) { ++errors; };
    settings::SettingsEnv env;
    env.host = &tables;
    env.config = &settings;
    env.FarVersion = MAKEFARVERSION(1, 70, 2087);
    env.engineEnvironment = [&engineEnv] { return engineEnv; };
    const std::vector<uint8_t> palette(farapi::kFarDefaultPalette.begin(), farapi::kFarDefaultPalette.end());

    for (const int engine : {0, 1}) {
        config::setConfigValue(settings, "ESKSSearchEngine", config::TConfigValue::integer(engine));
        const settings::TAboutTexts texts{.Environment = "Environment:", .FarLine = "FAR Manager 1.70 (2087)",
                                          .SystemLine = "OS: Linux", .Engine = settings::EngineLines(tables, engineEnv)};
        std::vector<double> about, anchor;
        for (int i = 0; i < runs; ++i) {
            ui.events.key(KEY_ENTER);
            auto start = Clock::now();
            settings::ShowAboutBox(env);
            about.push_back(since(start));

            ui.events.key(KEY_ENTER);
            start = Clock::now();
            int32_t ok = -1;
            dialogs::TRegisteredDialog dialog;
            std::string error;
            dialogs::RegisterDialog(dialog, settings, settings::AboutDescription(texts, palette, ok), error);
            dialogs::RunRegisteredDialog(tables, dialog, false, -1, 0, nullptr, nullptr);
            anchor.push_back(since(start));
        }
        const double box = median(about), base = median(anchor);
        std::printf("%s engine: About box opened (texts gathered + table walked + DialogEx): median %.1f us over %d runs\n",
                    engine == 0 ? "index " : "locate", box, runs);
        std::printf("        anchor (the same box, texts gathered beforehand):                   median %.1f us; ratio %.1f\n",
                    base, base > 0 ? box / base : 0.0);
    }
    if (errors) std::fprintf(stderr, "error: the engine complained %d times\n", errors);
    fs::remove_all(dir);
    return errors ? 1 : 0;
}
