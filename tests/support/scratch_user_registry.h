// The user's registry as the module opens it (platform/user_registry.h), with a root key of its
// own for one test: on Linux the hive file in a private home, on Windows a key
// HKEY_CURRENT_USER\Software\SkimmerTest-<unique> that is removed with everything below it at the
// end (no parent key is shared, so nothing is left behind and no test removes another's).
// Notices the registry gives (a failed undo, a damaged hive) are collected in `reports`.
#pragma once

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/user_registry.h"
#include "tests/support/temp_home.h"

namespace skimmer::test {

class ScratchUserRegistry {
public:
    ScratchUserRegistry()
        : registry_(platform::openUserRegistry([this](const std::string& text) { reports.push_back(text); })) {}
    ~ScratchUserRegistry() { registry_->deleteTree(root_); }
    ScratchUserRegistry(const ScratchUserRegistry&) = delete;
    ScratchUserRegistry& operator=(const ScratchUserRegistry&) = delete;

    platform::RegistryAccess& registry() { return *registry_; }
    // A key path below the test's own root ("" is the root itself).
    std::string path(const std::string& below = "") const { return below.empty() ? root_ : root_ + "\\" + below; }
    // The same store opened a second time, as the next start of the module opens it.
    std::unique_ptr<platform::RegistryAccess> reopen() {
        return platform::openUserRegistry([this](const std::string& text) { reports.push_back(text); });
    }

    std::vector<std::string> reports;

private:
    // Tests run in parallel against one registry under Wine: every root is its own.
    static std::string uniqueRoot() {
        std::random_device device;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        return "Software\\SkimmerTest-" + std::to_string(device()) + "-" + std::to_string(now);
    }

    TempHome home_;
    std::string root_ = uniqueRoot();
    std::unique_ptr<platform::RegistryAccess> registry_;
};

}  // namespace skimmer::test
