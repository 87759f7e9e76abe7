// The registry seam over the hive file of os/registry.h: what the plug-in uses in the module.
// Contract: a thin translation — types, case rules, batching and durability are the hive's. Reads
// of another type give none; a write the hive could not make durable returns false (the hive keeps
// it in memory and retries it with the next write); a batch commit carries the hive's reason.
// The adapter does not own the hive.
#pragma once

#include <string_view>

#include "os/registry.h"
#include "platform/registry_access.h"

namespace skimmer::platform {

class HiveRegistry : public RegistryAccess {
public:
    explicit HiveRegistry(os::Hive& hive) : hive_(hive) {}
    std::unique_ptr<RegistryKey> openKey(std::string_view path) override;
    std::unique_ptr<RegistryKey> createKey(std::string_view path) override;
    std::unique_ptr<RegistryBatch> beginBatch() override;
    bool deleteTree(std::string_view path) override { return hive_.deleteTree(path).ok; }
    bool unusableAndReported() const override { return hive_.writtenByNewerVersion(); }
    // The hive's keys are in memory: the walk reads them in place, with no lookup or copy per key.
    bool readTree(std::string_view path, const TreeVisit& visit) override;

private:
    os::Hive& hive_;
};

}  // namespace skimmer::platform
