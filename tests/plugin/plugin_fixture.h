// A plug-in state wired to test doubles: the scripted host, an in-memory registry, a console of
// a chosen size (or none) and a private home whose $TMPDIR receives the temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/memory_registry.h"
#include "plugin/entry_points.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::plugin {

class FakeConsole : public platform::Console {
public:
    explicit FakeConsole(std::optional<platform::ConsoleSize> size) : size_(size) {}
    std::optional<platform::ConsoleSize> screenBufferSize() const override { return size_; }

private:
    std::optional<platform::ConsoleSize> size_;
};

inline platform::MemoryRegistry::Value regDword(uint32_t v) { return platform::MemoryRegistry::Value::dword(v); }
inline platform::MemoryRegistry::Value regSz(std::string text) {
    return platform::MemoryRegistry::Value::string(std::move(text));
}
inline platform::MemoryRegistry::Value regBinary(std::string bytes) {
    return platform::MemoryRegistry::Value::binary(std::move(bytes));
}

constexpr const char* kSettingsKey = "Software\\Far\\Plugins\\Skimmer";
constexpr const char* kColorsKey = "Software\\Far\\Colors";

class PluginFixture : public ::testing::Test {
protected:
    PluginFixture() : state("45000") {
        auto memory = std::make_unique<platform::MemoryRegistry>();
        registry = memory.get();
        state.services.registry = std::move(memory);
        setConsole(platform::ConsoleSize{120, 40});
        // FAR's own keys, as FAR (or our host) writes them at its first start.
        registry->setValue(kColorsKey, "CurrentPalette", regBinary(std::string(112, '\x1B')));
    }
    void setConsole(std::optional<platform::ConsoleSize> size) {
        state.services.console = std::make_unique<FakeConsole>(size);
    }
    void start() {
        setStartupInfo(state, host.startupInfo());
        host.clearCalls();
    }

    test::TempHome home;
    test::TestHost host;
    PluginState state;
    platform::MemoryRegistry* registry = nullptr;
};

}  // namespace skimmer::plugin
