// Settings load and save passes against the real hive file in a private folder.
//
// Prints medians over many runs of:
//   - the load pass (configSetupCatalogue: reset, 42 adds, 42 reads) on a hive object that has
//     the file cached, and on a fresh hive object each time (the file read and parsed again);
//   - the save pass (configSaveValues: 34 writes as one batch) with the real fsyncs;
// and how many fsync, folder-sync and rename calls one save pass makes (counted through the
// file-system seam). Usage: bench_settings [RUNS] (default 200).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "os/file_system.h"
#include "os/registry.h"
#include "platform/hive_registry.h"
#include "tests/support/fault_file_system.h"

namespace {

namespace fs = std::filesystem;
using namespace skimmer;
using Clock = std::chrono::steady_clock;

double medianMicros(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

template <typename Body>
double timeRuns(int runs, Body&& body) {
    std::vector<double> samples;
    samples.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body(i);
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return medianMicros(std::move(samples));
}

struct Store {
    std::unique_ptr<os::Hive> hive;
    std::unique_ptr<platform::HiveRegistry> registry;
    config::TRegistryConfig config;

    Store(const fs::path& file, os::FileSystem* fs) {
        hive = std::make_unique<os::Hive>(file, fs);
        registry = std::make_unique<platform::HiveRegistry>(*hive);
        config.location_ = config::settingsLocation(registry.get(), "Software\\Far\\Plugins");
        config.reportError_ = [](const std::string& e) { std::fprintf(stderr, "error: %s\n", e.c_str()); };
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::string folder = (fs::temp_directory_path() / "skimmer-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) return 1;
    const fs::path file = fs::path(folder) / "registry.reg";

    test::FaultFileSystem counting(os::realFileSystem());
    Store store(file, &counting);
    config::configSetupCatalogue(store.config);
    config::configSaveValues(store.config);  // a full settings file to load from

    const double loadWarm = timeRuns(runs, [&](int) { config::configSetupCatalogue(store.config); });
    const double loadCold = timeRuns(runs, [&](int) {
        Store fresh(file, nullptr);
        config::configSetupCatalogue(fresh.config);
    });
    counting.resetCounts();
    const double save = timeRuns(runs, [&](int i) {
        config::setConfigValue(store.config, "SKSStyle", config::TConfigValue::integer(i % 3));
        config::configSaveValues(store.config);
    });

    std::printf("settings passes over %d runs (hive %s, %ju bytes)\n", runs, file.c_str(),
                static_cast<uintmax_t>(fs::file_size(file)));
    std::printf("  load pass, hive cached:      median %8.1f us\n", loadWarm);
    std::printf("  load pass, fresh hive:       median %8.1f us\n", loadCold);
    std::printf("  save pass (34 values):       median %8.1f us\n", save);
    std::printf("  per save pass: %.2f fsync, %.2f folder sync, %.2f rename\n",
                static_cast<double>(counting.count(test::FsOp::Fsync)) / runs,
                static_cast<double>(counting.count(test::FsOp::SyncDirectory)) / runs,
                static_cast<double>(counting.count(test::FsOp::Rename)) / runs);
    fs::remove_all(folder);
    return 0;
}
