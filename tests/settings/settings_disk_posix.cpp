#include "tests/settings/settings_disk.h"

#include <fstream>
#include <sstream>

#include "os/registry.h"
#include "platform/hive_registry.h"

namespace skimmer::settings::test {

namespace {

// The hive is made before the adapter that refers to it and outlives it.
struct HiveOwner {
    HiveOwner(const std::filesystem::path& file, os::FileSystem& files)
        : hive(std::make_unique<os::Hive>(file, &files, [](const std::string&) {})) {}
    std::unique_ptr<os::Hive> hive;
};

class OpenedHive final : private HiveOwner, public platform::HiveRegistry {
public:
    OpenedHive(const std::filesystem::path& file, os::FileSystem& files)
        : HiveOwner(file, files), HiveRegistry(*hive) {}
};

}  // namespace

struct SettingsDisk::State {
    std::filesystem::path file;
};

SettingsDisk::SettingsDisk(const skimmer::test::TempHome& home)
    : state_(std::make_unique<State>(State{home.config() / "skimmer" / "registry.reg"})) {
    std::filesystem::create_directories(state_->file.parent_path());
}

SettingsDisk::~SettingsDisk() = default;

std::unique_ptr<platform::RegistryAccess> SettingsDisk::open(os::FileSystem& files) const {
    return std::make_unique<OpenedHive>(state_->file, files);
}

std::string SettingsDisk::pluginsKey() const { return "Software\\Far\\Plugins"; }

std::string SettingsDisk::saved() const {
    std::ifstream in(state_->file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool SettingsDisk::writesThroughFileSystem() const { return true; }

}  // namespace skimmer::settings::test
