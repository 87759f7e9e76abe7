// What the engine settings, panel settings and About box tests add to the shared settings
// fixture: FAR's version as the host reports it, setting a value and saving it as a start point,
// one value as a fresh start would read it, and the language texts by number.
#pragma once

#include <string>

#include "tests/settings/settings_fixture.h"

namespace skimmer::settings::test {

inline std::string slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class EngineAboutTest : public SettingsDialogTest {
protected:
    EngineAboutTest() { env.FarVersion = host.farVersion; }
    void set(const char* name, const config::TConfigValue& value) {
        EXPECT_TRUE(config::setConfigValue(store->config, name, value)) << name;
    }
    // Writes the settings as they are now, so that the file exists to be compared with.
    void saveNow() {
        config::configSaveValues(store->config);
        faults.resetCounts();
    }
    config::TConfigValue stored(const char* name) const { return fresh().get(name); }
    std::string msg(int number) const { return host.messages().at(static_cast<size_t>(number)); }
};

}  // namespace skimmer::settings::test
