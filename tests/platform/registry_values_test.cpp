// Reading a whole key in one pass gives what reading its values one by one gives, behind both
// registries the plug-in runs on: the user's registry (the hive file on Linux, HKEY_CURRENT_USER
// on Windows) and the in-memory one of the tests.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "tests/support/memory_registry.h"
#include "tests/support/scratch_user_registry.h"

namespace skimmer::platform {
namespace {

struct Rig {
    virtual ~Rig() = default;
    virtual RegistryAccess& registry() = 0;
    virtual std::string path(const std::string& below) const = 0;
};

struct MemoryRig : Rig {
    MemoryRegistry memory;
    RegistryAccess& registry() override { return memory; }
    std::string path(const std::string& below) const override { return below; }
};

struct UserRig : Rig {
    test::ScratchUserRegistry user;
    RegistryAccess& registry() override { return user.registry(); }
    std::string path(const std::string& below) const override { return user.path(below); }
};

class RegistryValues : public ::testing::TestWithParam<bool> {
protected:
    std::unique_ptr<Rig> rig = GetParam() ? std::unique_ptr<Rig>(std::make_unique<UserRig>())
                                          : std::unique_ptr<Rig>(std::make_unique<MemoryRig>());
};

TEST_P(RegistryValues, OnePassGivesEveryValueOnceWithItsTypeAndBytes) {
    const std::string binary("\x00\xff\x01", 3);
    {
        auto key = rig->registry().createKey(rig->path("Software\\Test"));
        ASSERT_TRUE(key);
        ASSERT_TRUE(key->writeString("Text", "quarterly"));
        ASSERT_TRUE(key->writeString("", "default"));
        ASSERT_TRUE(key->writeDword("Count", 0x01020304));
        ASSERT_TRUE(key->writeBinary("Bytes", binary));
        ASSERT_TRUE(key->writeString("TEXT", "replaced, spelling kept"));
    }
    auto key = rig->registry().openKey(rig->path("software\\TEST"));
    ASSERT_TRUE(key);
    std::map<std::string, std::pair<RegistryValueType, std::string>> seen;
    key->readValues([&](const RegistryValue& v) {
        EXPECT_TRUE(seen.emplace(std::string(v.name), std::pair(v.type, std::string(v.data))).second) << v.name;
    });
    const std::map<std::string, std::pair<RegistryValueType, std::string>> expected = {
        {"", {RegistryValueType::String, "default"}},
        {"Bytes", {RegistryValueType::Binary, binary}},
        {"Count", {RegistryValueType::Dword, std::string("\x04\x03\x02\x01", 4)}},
        {"Text", {RegistryValueType::String, "replaced, spelling kept"}},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(key->readDword("Count"), 0x01020304u);
    EXPECT_EQ(key->readBinary("bytes"), binary);
    int calls = 0;
    if (auto missing = rig->registry().openKey(rig->path("Software\\Missing"))) missing->readValues([&](auto&) { ++calls; });
    EXPECT_EQ(calls, 0);
}

INSTANTIATE_TEST_SUITE_P(BothRegistries, RegistryValues, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "User" : "Memory"; });

}  // namespace
}  // namespace skimmer::platform
