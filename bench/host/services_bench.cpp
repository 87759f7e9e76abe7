// Medians of: one name against all of FAR's default highlight groups (as the plug-in colours a
// result line), one name against the archive group's 43-mask list, and a Temporary Panel macro.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "host/services/far_registry_defaults.h"
#include "host/services/macro_queue.h"
#include "host/services/name_mask.h"

using namespace skimmer::host::services;

namespace {

std::vector<std::string> groupMasks() {
    std::vector<std::string> masks;
    for (const auto& d : defaultHighlightGroups()) {
        if (d.name == "Mask") masks.push_back(d.value.data);
    }
    return masks;
}

const std::vector<std::string> kNames = {"report-2024-final.docx", "IMG_20240101_120000.jpg", "backup.tar.gz",
                                         "Журнал работ.odt", "README", "setup.exe", "notes.bak", ".."};

void AllHighlightGroups(benchmark::State& state) {
    auto masks = groupMasks();
    size_t i = 0;
    for (auto _ : state) {
        const std::string& name = kNames[i++ % kNames.size()];
        for (const auto& m : masks) benchmark::DoNotOptimize(matchMaskList(m, name));
    }
}
BENCHMARK(AllHighlightGroups)->Repetitions(9)->ReportAggregatesOnly(true);

void ArchiveGroup(benchmark::State& state) {
    auto masks = groupMasks();
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(matchMaskList(masks[5], kNames[i++ % kNames.size()]));
}
BENCHMARK(ArchiveGroup)->Repetitions(9)->ReportAggregatesOnly(true);

void TempPanelMacro(benchmark::State& state) {
    std::string text;
    for (char c : std::string("tmp:/tmp/skimmer-1234/TempPanel.temp")) text += std::string(1, c) + " ";
    text += " ENTER ";
    for (char c : std::string("ls -l /home/user/Documents")) text += c == ' ' ? "Space " : std::string(1, c) + " ";
    for (auto _ : state) benchmark::DoNotOptimize(parseMacroText(text));
}
BENCHMARK(TempPanelMacro)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
