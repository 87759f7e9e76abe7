// Registry hive costs on the real file system, in a private temporary folder: opening a hive and
// reading one value (what each settings lookup after another process's save costs), a warm read,
// writing one value, and a batch of 42 writes (one settings save). Each reports the fsyncs per
// pass, counted through the file-system seam. Run with --benchmark_repetitions=N for medians.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "os/registry.h"
#include "os/temp_dir.h"
#include "tests/support/fault_file_system.h"

namespace {

using skimmer::os::Hive;
using skimmer::test::FaultFileSystem;
using skimmer::test::FsOp;

const std::string kSettingsKey = "Software\\Far\\Plugins\\Skimmer";
constexpr int kSettings = 42;

// A hive of realistic size: the 42 settings, 7 groups and a search-folder tree of 30 nodes.
class Fixture {
public:
    Fixture() {
        std::string error;
        dir_ = skimmer::os::TempDir::create("skimmer-bench", std::to_string(getpid()), error);
        if (!dir_) throw std::runtime_error(error);
        for (const char* name : {"registry.reg", "registry.reg.lock"}) dir_->adopt(name, error);
        file_ = dir_->pathOf("registry.reg");
        Hive hive(file_, &counting_);
        Hive::Batch batch(hive);
        auto settings = hive.createKey(kSettingsKey);
        for (int i = 0; i < kSettings; ++i) settings->writeDword("Setting" + std::to_string(i), static_cast<uint32_t>(i));
        for (int g = 0; g < 7; ++g) {
            auto group = hive.createKey(kSettingsKey + "\\SKSGroups\\Group" + std::to_string(g));
            group->writeString("Name", "Group " + std::to_string(g));
            group->writeDword("Max", 10);
        }
        for (int n = 0; n < 30; ++n) {
            auto node = hive.createKey(kSettingsKey + "\\SKPanel\\Folder" + std::to_string(n));
            node->writeString("query", "kind:document report " + std::to_string(n));
            node->writeBinary("Created", std::string(8, '\x01'));
            node->writeDword("Type", 2);
        }
        if (!batch.commit()) throw std::runtime_error("cannot write the benchmark hive");
    }
    const std::filesystem::path& file() const { return file_; }
    FaultFileSystem& fs() { return counting_; }

private:
    FaultFileSystem counting_{skimmer::os::realFileSystem()};
    std::unique_ptr<skimmer::os::TempDir> dir_;
    std::filesystem::path file_;
};

void reportFsyncs(benchmark::State& state, FaultFileSystem& fs) {
    const double passes = static_cast<double>(state.iterations());
    state.counters["fsyncs_per_pass"] = static_cast<double>(fs.count(FsOp::Fsync) + fs.count(FsOp::SyncDirectory)) / passes;
    state.counters["fs_calls_per_pass"] = static_cast<double>(fs.calls()) / passes;
}

void BM_HiveOpenAndReadOneValue(benchmark::State& state) {
    Fixture fixture;
    fixture.fs().resetCounts();
    for (auto _ : state) {
        Hive hive(fixture.file(), &fixture.fs());
        benchmark::DoNotOptimize(hive.openKey(kSettingsKey)->readDword("Setting7"));
    }
    reportFsyncs(state, fixture.fs());
}
BENCHMARK(BM_HiveOpenAndReadOneValue)->Unit(benchmark::kMicrosecond);

void BM_HiveWarmReadOneValue(benchmark::State& state) {
    Fixture fixture;
    Hive hive(fixture.file(), &fixture.fs());
    auto key = hive.openKey(kSettingsKey);
    fixture.fs().resetCounts();
    for (auto _ : state) benchmark::DoNotOptimize(key->readDword("Setting7"));
    reportFsyncs(state, fixture.fs());
}
BENCHMARK(BM_HiveWarmReadOneValue)->Unit(benchmark::kMicrosecond);

void BM_HiveWriteOneValue(benchmark::State& state) {
    Fixture fixture;
    Hive hive(fixture.file(), &fixture.fs());
    auto key = hive.openKey(kSettingsKey);
    fixture.fs().resetCounts();
    uint32_t value = 0;
    for (auto _ : state)
        if (!key->writeDword("Setting7", ++value)) state.SkipWithError("write failed");
    reportFsyncs(state, fixture.fs());
}
BENCHMARK(BM_HiveWriteOneValue)->Unit(benchmark::kMicrosecond);

void BM_HiveBatchOf42Writes(benchmark::State& state) {
    Fixture fixture;
    Hive hive(fixture.file(), &fixture.fs());
    auto key = hive.openKey(kSettingsKey);
    fixture.fs().resetCounts();
    uint32_t value = 0;
    for (auto _ : state) {
        Hive::Batch batch(hive);
        ++value;
        for (int i = 0; i < kSettings; ++i) key->writeDword("Setting" + std::to_string(i), value);
        if (!batch.commit()) state.SkipWithError("save failed");
    }
    reportFsyncs(state, fixture.fs());
}
BENCHMARK(BM_HiveBatchOf42Writes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
