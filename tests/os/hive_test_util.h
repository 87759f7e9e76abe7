// Helpers shared by the hive tests: a hive in memory, and a way to read a hive file's values back
// independently of any Hive object's cache.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/hive_format.h"
#include "os/registry.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/memory_file_system.h"

namespace skimmer::os {

inline const std::string kMemFolder = "/cfg/skimmer";
inline const std::string kMemFile = kMemFolder + "/registry.reg";

// A MemoryFileSystem behind a FaultFileSystem, with the hive's folder in place and every report kept.
struct MemoryHiveRig {
    test::MemoryFileSystem memory;
    test::FaultFileSystem faults{memory};
    std::vector<std::string> reports;

    MemoryHiveRig() {
        memory.mkdir("/cfg", 0700);
        memory.mkdir(kMemFolder, 0700);
    }
    std::unique_ptr<Hive> open() {
        return std::make_unique<Hive>(kMemFile, &faults, [this](const std::string& r) { reports.push_back(r); });
    }
    std::vector<std::string> temps() const {
        std::vector<std::string> out;
        for (const std::string& name : memory.list(kMemFolder))
            if (name.find(".tmp-") != std::string::npos) out.push_back(name);
        return out;
    }
    std::vector<std::string> bad() const {
        std::vector<std::string> out;
        for (const std::string& name : memory.list(kMemFolder))
            if (name.find(".bad-") != std::string::npos) out.push_back(name);
        return out;
    }
};

// The parsed content of a hive file's text; none when it does not parse.
inline std::optional<HiveKey> parsedTree(const std::optional<std::string>& text) {
    if (!text) return HiveKey{};
    HiveParse parsed = parseHive(*text);
    if (parsed.outcome != HiveParse::Outcome::Ok) return std::nullopt;
    return std::move(parsed.root);
}

}  // namespace skimmer::os
