#include "tests/settings/settings_disk.h"

#include <algorithm>
#include <vector>

#include "tests/support/scratch_user_registry.h"

namespace skimmer::settings::test {

namespace {

// Every key below `path` with its values, in name order, one line each: the registry keeps no
// file to compare, so this text stands for "what was kept".
void describeTree(platform::RegistryAccess& registry, const std::string& path, std::string& out) {
    const auto key = registry.openKey(path);
    if (!key) return;
    out += "[" + path + "]\n";
    std::vector<std::string> values;
    key->readValues([&](const platform::RegistryValue& value) {
        values.push_back(std::string(value.name) + "=" + std::to_string(static_cast<int>(value.type)) + ":" +
                         std::string(value.data));
    });
    std::sort(values.begin(), values.end());
    for (const std::string& value : values) out += value + "\n";
    std::vector<std::string> below = key->subkeys();
    std::sort(below.begin(), below.end());
    for (const std::string& name : below) describeTree(registry, path + "\\" + name, out);
}

}  // namespace

struct SettingsDisk::State {
    skimmer::test::ScratchUserRegistry scratch;
};

SettingsDisk::SettingsDisk(const skimmer::test::TempHome&) : state_(std::make_unique<State>()) {}

SettingsDisk::~SettingsDisk() = default;

std::unique_ptr<platform::RegistryAccess> SettingsDisk::open(os::FileSystem&) const { return state_->scratch.reopen(); }

std::string SettingsDisk::pluginsKey() const { return state_->scratch.path("Far\\Plugins"); }

std::string SettingsDisk::saved() const {
    std::string text;
    describeTree(state_->scratch.registry(), state_->scratch.path(), text);
    return text;
}

bool SettingsDisk::writesThroughFileSystem() const { return false; }

}  // namespace skimmer::settings::test
