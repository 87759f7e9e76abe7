#include "platform/user_registry.h"

#include "os/registry.h"
#include "platform/hive_registry.h"

namespace skimmer::platform {

namespace {

// The hive is made before the adapter that refers to it and outlives it.
struct HiveOwner {
    explicit HiveOwner(std::function<void(const std::string&)> report)
        : hive(std::make_unique<os::Hive>(os::Hive::defaultPath(), nullptr, std::move(report))) {}
    std::unique_ptr<os::Hive> hive;
};

class UserHive final : private HiveOwner, public HiveRegistry {
public:
    explicit UserHive(std::function<void(const std::string&)> report)
        : HiveOwner(std::move(report)), HiveRegistry(*hive) {}
};

}  // namespace

std::unique_ptr<RegistryAccess> openUserRegistry(std::function<void(const std::string&)> report) {
    return std::make_unique<UserHive>(std::move(report));
}

}  // namespace skimmer::platform
