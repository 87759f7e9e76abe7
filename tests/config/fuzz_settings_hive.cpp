// Fuzz target: any bytes as the user's hive file. Loading the settings and groups never crashes,
// always gives the whole catalogue and at most seven groups, and what a save pass writes loads
// back as the same values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/catalogue.h"
#include "config/sort_groups.h"
#include "os/registry.h"
#include "platform/hive_registry.h"
#include "tests/support/memory_file_system.h"

namespace {

using namespace skimmer;

const std::string kFile = "/cfg/registry.reg";

struct Loaded {
    std::unique_ptr<os::Hive> hive;
    std::unique_ptr<platform::HiveRegistry> registry;
    config::TRegistryConfig config;
    config::TSKSSortGroups groups;

    explicit Loaded(test::MemoryFileSystem& fs) {
        hive = std::make_unique<os::Hive>(kFile, &fs, [](const std::string&) {});
        registry = std::make_unique<platform::HiveRegistry>(*hive);
        config.location_ = config::settingsLocation(registry.get(), "Software\\Far\\Plugins");
        config::configSetupCatalogue(config);
        config::loadSortGroups(groups, config.location_);
    }
};

bool sameStoredValues(const config::TRegistryConfig& a, const config::TRegistryConfig& b) {
    for (size_t i = 0; i < a.Elements.size(); ++i) {
        const auto& x = a.Elements[i];
        const auto& y = b.Elements[i];
        if (!x.Stored) continue;
        if (x.StrValue != y.StrValue || x.IntValue != y.IntValue || x.BoolValue != y.BoolValue) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    test::MemoryFileSystem fs;
    fs.mkdir("/cfg", 0700);
    fs.setContents(kFile, std::string(reinterpret_cast<const char*>(data), size));
    Loaded first(fs);
    if (first.config.Count != config::kCatalogueSize || first.config.Elements.size() != 34) std::abort();
    if (first.groups.SortGroupCount < 0 || first.groups.SortGroupCount > config::kMaxSortGroups) std::abort();
    config::configSaveValues(first.config);
    config::saveSortGroups(first.groups, first.config.location_);
    Loaded second(fs);
    if (!sameStoredValues(first.config, second.config)) std::abort();
    if (second.groups.SortGroupCount != first.groups.SortGroupCount) std::abort();
    for (int n = 0; n < first.groups.SortGroupCount; ++n) {
        if (!(second.groups.SortGroups[n] == first.groups.SortGroups[n])) std::abort();
    }
    return 0;
}
