// A whole subtree read in one walk (RegistryAccess::readTree): the hive's walk in place and the
// general walk through open keys give the same keys, depths, values and order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/registry.h"
#include "platform/hive_registry.h"
#include "tests/support/memory_registry.h"
#include "tests/support/temp_home.h"

namespace skimmer::platform {
namespace {

enum class Store { Memory, Hive };

class RegistryTree : public ::testing::TestWithParam<Store> {
protected:
    RegistryTree() : hive_(home_.root() / "registry.reg") {
        if (GetParam() == Store::Hive) registry_ = std::make_unique<HiveRegistry>(hive_);
        else registry_ = std::make_unique<MemoryRegistry>();
    }
    RegistryAccess& registry() { return *registry_; }
    // Every key the walk gives, as "depth name: value=data ...".
    std::vector<std::string> walk(std::string_view path, bool& found) {
        std::vector<std::string> keys;
        found = registry().readTree(path, [&](const RegistryTreeKey& key) {
            std::string line = std::to_string(key.depth) + " " + std::string(key.name) + ":";
            for (const RegistryValue& v : key.values) line += " " + std::string(v.name) + "=" + std::string(v.data);
            keys.push_back(line);
        });
        return keys;
    }

private:
    test::TempHome home_;
    os::Hive hive_;
    std::unique_ptr<RegistryAccess> registry_;
};

TEST_P(RegistryTree, ParentsBeforeChildrenInTheRegistrysOrderWithAllValues) {
    const std::string root = "Software\\Tree";
    for (const char* path : {"b", "a", "a\\y", "a\\X", "a\\X\\deep", "c"}) {
        auto key = registry().createKey(root + "\\" + path);
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->writeString("text", std::string("t-") + path));
    }
    ASSERT_TRUE(registry().createKey(root + "\\b")->writeBinary("Bytes", std::string("\x01\x00", 2)));
    ASSERT_TRUE(registry().createKey("Software\\Other")->writeString("text", "not below the root"));
    bool found = false;
    EXPECT_EQ(walk(root, found), (std::vector<std::string>{
                                     "1 a: text=t-a", "2 X: text=t-a\\X", "3 deep: text=t-a\\X\\deep", "2 y: text=t-a\\y",
                                     "1 b: Bytes=" + std::string("\x01\x00", 2) + " text=t-b", "1 c: text=t-c"}));
    EXPECT_TRUE(found);
}

TEST_P(RegistryTree, AMissingKeyIsFalseAndVisitsNothing) {
    bool found = true;
    EXPECT_TRUE(walk("Software\\Missing", found).empty());
    EXPECT_FALSE(found);
}

INSTANTIATE_TEST_SUITE_P(Stores, RegistryTree, ::testing::Values(Store::Memory, Store::Hive),
                         [](const auto& info) { return std::string(info.param == Store::Hive ? "hive" : "memory"); });

}  // namespace
}  // namespace skimmer::platform
