// panel_bench: the search-folder panel's figures on the real file system, in a private temporary
// folder. A tree of 10,000 search folders in 1,000 directories is written to a hive file; then
//   BM_LoadTree            start-up: a fresh hive opened and parsed, the tree built from it
//   BM_HiveParseOnly       the part of that spent reading and parsing the hive file
//   BM_FreeTree            exit: the tree and the hive freed
//   BM_SaveAfterOneChange  one folder's description changed and the whole tree saved (one atomic
//                          replacement; fsyncs per pass counted through the seam)
//   BM_EnterSearchFolder   Enter on a search folder to its hits listed (the query through the index
//                          engine, the hit nodes with their disk entries, GetFindData), over the
//                          index named by SKIMMER_BENCH_INDEX, with SKIMMER_BENCH_QUERY as the query
//                          (skipped without them). Build the index with bench/gen_tree and
//                          skimmer-index --root TREE --db FILE.
// Run with --benchmark_repetitions=N --benchmark_report_aggregates_only=true for medians.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "config/catalogue.h"
#include "config/registry_primitives.h"
#include "engines/engine_select.h"
#include "engines/query_loop.h"
#include "os/registry.h"
#include "os/temp_dir.h"
#include "panel/folder_store.h"
#include "panel/panel_entries.h"
#include "platform/hive_registry.h"
#include "tests/support/memory_registry.h"
#include "tests/support/fault_file_system.h"

namespace {

using namespace skimmer;
using test::FaultFileSystem;
using test::FsOp;

constexpr const char* kRoot = "Software\\Far\\Plugins";
constexpr int kDirectories = 1000;
constexpr int kFoldersPerDirectory = 10;

std::unique_ptr<panel::TFiles> makeNode(std::string name, int32_t type, int i) {
    auto n = std::make_unique<panel::TFiles>();
    n->Name = std::move(name);
    n->Type = type;
    n->query = "kind:document report " + std::to_string(i);
    n->Desc = "quarterly figures " + std::to_string(i);
    n->Max = "0";
    n->Item = {.Created = 133'000'000'000'000'000ull + i, .Accessed = 133'000'000'000'000'001ull + i,
               .Modified = 133'000'000'000'000'002ull + i, .Flags = panel::kPanelItemMark};
    return n;
}

panel::TFolderTree bigTree() {
    panel::TFolderTree tree;
    std::unique_ptr<panel::TFiles>* top = &tree.PanelRoot;
    for (int d = 0; d < kDirectories; ++d) {
        auto dir = makeNode("Projects " + std::to_string(d), panel::kTypeDirectory, d);
        std::unique_ptr<panel::TFiles>* child = &dir->Children;
        for (int f = 0; f < kFoldersPerDirectory; ++f) {
            *child = makeNode("search " + std::to_string(d * kFoldersPerDirectory + f), panel::kTypeSearchFolder, f);
            child = &(*child)->Next;
        }
        *top = std::move(dir);
        top = &(*top)->Next;
    }
    return tree;
}

class Fixture {
public:
    Fixture() {
        std::string error;
        dir_ = os::TempDir::create("skimmer-panel-bench", std::to_string(getpid()), error);
        if (!dir_) throw std::runtime_error(error);
        for (const char* name : {"registry.reg", "registry.reg.lock"}) dir_->adopt(name, error);
        file_ = dir_->pathOf("registry.reg");
        os::Hive hive(file_, &counting_);
        platform::HiveRegistry registry(hive);
        if (!panel::SaveFolderTree(bigTree(), &registry, kRoot).ok) throw std::runtime_error("cannot write the tree");
    }
    const std::filesystem::path& file() const { return file_; }
    FaultFileSystem& fs() { return counting_; }

private:
    FaultFileSystem counting_{os::realFileSystem()};
    std::unique_ptr<os::TempDir> dir_;
    std::filesystem::path file_;
};

// What start-up pays: the hive read and the tree built. Freeing both happens at exit, so it is
// left out of the timing (and reported on its own by BM_FreeTree).
void BM_LoadTree(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state) {
        auto hive = std::make_unique<os::Hive>(fixture.file(), &fixture.fs());
        auto registry = std::make_unique<platform::HiveRegistry>(*hive);
        auto tree = std::make_unique<panel::TFolderTree>();
        panel::LoadFolderTree(*tree, registry.get(), kRoot);
        if (!tree->PanelRoot) state.SkipWithError("nothing loaded");
        state.PauseTiming();
        tree.reset();
        registry.reset();
        hive.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadTree)->Unit(benchmark::kMillisecond);

void BM_FreeTree(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state) {
        state.PauseTiming();
        auto hive = std::make_unique<os::Hive>(fixture.file(), &fixture.fs());
        auto registry = std::make_unique<platform::HiveRegistry>(*hive);
        auto tree = std::make_unique<panel::TFolderTree>();
        panel::LoadFolderTree(*tree, registry.get(), kRoot);
        state.ResumeTiming();
        tree.reset();
        registry.reset();
        hive.reset();
    }
}
BENCHMARK(BM_FreeTree)->Unit(benchmark::kMillisecond);

// What the load's time is made of: opening the hive and parsing its file, without the walk.
void BM_HiveParseOnly(benchmark::State& state) {
    Fixture fixture;
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(fixture.file()));
    for (auto _ : state) {
        auto hive = std::make_unique<os::Hive>(fixture.file(), &fixture.fs());
        benchmark::DoNotOptimize(hive->openKey(kRoot));
        state.PauseTiming();
        hive.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HiveParseOnly)->Unit(benchmark::kMillisecond);

void BM_SaveAfterOneChange(benchmark::State& state) {
    Fixture fixture;
    os::Hive hive(fixture.file(), &fixture.fs());
    platform::HiveRegistry registry(hive);
    panel::TFolderTree tree;
    panel::LoadFolderTree(tree, &registry, kRoot);
    fixture.fs().resetCounts();
    int change = 0;
    for (auto _ : state) {
        tree.PanelRoot->Children->Desc = "changed " + std::to_string(++change);
        if (!panel::SaveFolderTree(tree, &registry, kRoot).ok) state.SkipWithError("save failed");
    }
    const double passes = static_cast<double>(state.iterations());
    state.counters["fsyncs_per_pass"] =
        static_cast<double>(fixture.fs().count(FsOp::Fsync) + fixture.fs().count(FsOp::SyncDirectory)) / passes;
    state.counters["renames_per_pass"] = static_cast<double>(fixture.fs().count(FsOp::Rename)) / passes;
}
BENCHMARK(BM_SaveAfterOneChange)->Unit(benchmark::kMillisecond);

void BM_EnterSearchFolder(benchmark::State& state) {
    const char* index = std::getenv("SKIMMER_BENCH_INDEX");
    const char* query = std::getenv("SKIMMER_BENCH_QUERY");
    if (!index || !query) {
        state.SkipWithError("set SKIMMER_BENCH_INDEX and SKIMMER_BENCH_QUERY");
        return;
    }
    platform::HostTables host;  // no services: nothing is drawn, no box is shown
    platform::MemoryRegistry memory;
    config::TRegistryConfig config;
    config.location_ = config::settingsLocation(&memory, kRoot);
    config::configSetupCatalogue(config);
    panel::TPanel panel;
    panel.env = {};
    panel.env.host = &host;
    panel.env.config = &config;
    panel.env.registry = &memory;
    panel.env.PluginsRootKey = kRoot;
    panel.env.engineEnvironment = [&] {
        engines::TEngineEnvironment env;
        env.Config = &config;
        env.IndexFile = index;
        env.ShowErrorText = [&state](const std::string& text) { state.SkipWithError(text.c_str()); };
        env.GetMsg = [](int) { return std::string(); };
        return env;
    };
    const HANDLE handle = panel::OpenPanel(panel);
    auto folder = makeNode(query, panel::kTypeSearchFolder, 0);
    folder->query = query;
    panel::TPanelInstance& at = *panel.PanelInstance;
    panel::TFiles& node = *panel::LinkAtEnd(panel.tree, at, std::move(folder));
    int64_t hits = 0;
    for (auto _ : state) {
        at.Parent = nullptr;
        panel::SyncInstance(panel);
        panel::EnterSearchFolder(panel, node);
        PluginPanelItem* items = nullptr;
        int count = 0;
        panel::GetFindData(panel, handle, &items, &count, 0);
        hits = count - 1;
        panel::FreeFindData(panel, handle, items, count);
    }
    // The panel shows a failed query in a box this host does not draw: an index of another
    // schema would otherwise be timed as a quick search that found nothing.
    if (hits <= 0) state.SkipWithError("the query found nothing; is the index current (skimmer-index --stats)?");
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_EnterSearchFolder)->Unit(benchmark::kMillisecond);

// What Enter cannot go below: the index engine opened, the query run and every batch fetched,
// with no node made and nothing listed.
void BM_FolderQueryOnly(benchmark::State& state) {
    const char* index = std::getenv("SKIMMER_BENCH_INDEX");
    const char* query = std::getenv("SKIMMER_BENCH_QUERY");
    if (!index || !query) {
        state.SkipWithError("set SKIMMER_BENCH_INDEX and SKIMMER_BENCH_QUERY");
        return;
    }
    engines::TEngineEnvironment env;
    env.IndexFile = index;
    auto batch = results::makeSearchResults();
    int64_t hits = 0;
    for (auto _ : state) {
        auto engine = engines::MakeSearchEngine(engines::EngineChoice::WindowsSearch, env);
        engine->open();
        hits = 0;
        engines::QueryDriver driver;
        driver.onBatch = [&](results::TSearchResults& b) {
            hits += b.Count;
            return engines::BatchVerdict::More;
        };
        engines::RunQuery(*engine, query, "", *batch, driver);
        engine->close();
    }
    if (hits <= 0) state.SkipWithError("the query found nothing; is the index current (skimmer-index --stats)?");
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_FolderQueryOnly)->Unit(benchmark::kMillisecond);

// The part of that spent opening and closing the engine (the index's files), with no query.
void BM_EngineOpenOnly(benchmark::State& state) {
    const char* index = std::getenv("SKIMMER_BENCH_INDEX");
    if (!index) {
        state.SkipWithError("set SKIMMER_BENCH_INDEX");
        return;
    }
    engines::TEngineEnvironment env;
    env.IndexFile = index;
    for (auto _ : state) {
        auto engine = engines::MakeSearchEngine(engines::EngineChoice::WindowsSearch, env);
        engine->open();
        if (!engine->ready()) state.SkipWithError("the index cannot be opened");
        engine->close();
    }
}
BENCHMARK(BM_EngineOpenOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
