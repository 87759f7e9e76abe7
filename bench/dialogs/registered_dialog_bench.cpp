// Opening a registered dialog in process: the description table of a settings-sized dialog (a box,
// 2 radio groups, 5 edits with their labels, 14 check boxes, 5 buttons over the settings
// catalogue) walked into FAR items, then shown by the host's DialogEx on a headless screen and
// closed with Escape at once. The anchor, measured in the same run and interleaved with it,
// shows the items already built (DialogEx alone), so the ratio is what the toolkit adds.
//
// Prints the median of each and their ratio. Usage: bench_registered_dialog [RUNS] (default 2000).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "dialogs/registered_dialog.h"
#include "tests/host/ui/ui_harness.h"

namespace {

using namespace skimmer;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

dialogs::TDialogDescription settingsSized(int32_t& ok, int32_t& cancel) {
    dialogs::TDialogDescription t(59, 24);
    t.box(3, 1, 55, 22, 0, "Search window settings");
    t.radioGroup("SKSGroupMode", {{5, 3, 0, "&None"}, {5, 4, 0, "&Custom"}, {32, 3, 0, "&Kind"}, {32, 4, 0, "&Path"}});
    t.button(20, 4, DIF_DISABLE, "&Groups...", "BCustom", nullptr);
    t.separator(5);
    t.radioGroup("SKSWindowMode", {{5, 6, 0, "&Auto"}, {20, 6, 0, "&Full"}, {35, 6, 0, "&Size"}});
    t.label(5, 7, DIF_DISABLE, "LHeight", "&Height:").edit(13, 7, 4, DIF_DISABLE, "SKSWindowHeight");
    t.label(26, 7, DIF_DISABLE, "LWidth", "&Width:").edit(33, 7, 4, DIF_DISABLE, "SKSWindowWidth");
    t.label(5, 9, 0, "LColumns", "C&olumns:").edit(15, 9, 20, 0, "SKSFIColumns");
    t.label(5, 10, 0, "LWidths", "W&idths:").edit(15, 10, 20, 0, "SKSFIWidths");
    t.label(5, 11, 0, "LLetter", "Le&tter:").edit(15, 11, 2, 0, "SKPLetter");
    const char* checks[] = {"SKSFullInfo",        "SKSUseCL",          "SKSShowExtentions",  "SKSShowLnk",
                            "SKSCopyTemp",        "SKSHighlightFiles", "SKSHighlightKeyword", "SKSWindowAnimation",
                            "SKSUseSystemHistory", "SKSPositionW",     "SKSHideButtons",     "SKSRealShortcuts",
                            "SKSAllResults",      "SKSFIDontUse"};
    for (int i = 0; i < 14; ++i) t.checkBox(i % 2 ? 32 : 5, 13 + i / 2, 0, std::string("Option &") + char('a' + i), checks[i]);
    t.separator(20);
    t.button(5, 21, 0, "&About", "BAbout", nullptr).button(20, 21, 0, "&Full info", "BFull", nullptr);
    t.button(35, 21, 0, "&OK", "BOK", &ok).button(45, 21, 0, "&Cancel", "BCancel", &cancel);
    return t;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    config::TRegistryConfig settings;  // no registry: catalogue defaults, nothing reaches a disk
    settings.reportError_ = [](const std::string& e) { std::fprintf(stderr, "error: %s\n", e.c_str()); };
    config::configSetupCatalogue(settings);

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

    int32_t ok = 0, cancel = 0;
    const dialogs::TDialogDescription description = settingsSized(ok, cancel);
    dialogs::TRegisteredDialog built;
    std::string error;
    if (!dialogs::RegisterDialog(built, settings, description, error)) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    const std::vector<FarDialogItem> anchorItems = built.Items;

    std::vector<double> registered, anchor;
    registered.reserve(runs);
    anchor.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        ui.events.key(KEY_ESC);
        auto start = Clock::now();
        dialogs::TRegisteredDialog dialog;
        if (!dialogs::RegisterDialog(dialog, settings, description, error) ||
            dialogs::RunRegisteredDialog(tables, dialog, true, cancel, 0, "SKSConfig", nullptr) != -1) {
            std::fprintf(stderr, "error: the dialog did not open and close as scripted\n");
            return 1;
        }
        registered.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());

        std::vector<FarDialogItem> items = anchorItems;
        ui.events.key(KEY_ESC);
        start = Clock::now();
        host::ui::DialogEx(0, -1, -1, 59, 24, "SKSConfig", items.data() + 1, static_cast<int>(items.size()) - 1, 0, 0,
                           nullptr, 0);
        anchor.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    const double reg = median(registered), base = median(anchor);
    std::printf("registered dialog opened (%d items, table walked + DialogEx): median %.1f us over %d runs\n",
                built.ItemCount - 1, reg, runs);
    std::printf("anchor (DialogEx of the same items, built beforehand):        median %.1f us\n", base);
    std::printf("ratio registered / anchor: %.2f; budget 1000 us: %s\n", base > 0 ? reg / base : 0.0,
                reg <= 1000 ? "met" : "MISSED");
    return 0;
}
