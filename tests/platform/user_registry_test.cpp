// The user's registry as the module opens it, on the system the tests run on: the hive file on
// Linux, Wine's (or Windows') HKEY_CURRENT_USER on Windows. What a batch promises holds on both: an
// abandoned batch leaves every key and value it touched as it was, a committed one is there for
// the next start; subkeys list in case-insensitive order.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/scratch_user_registry.h"

namespace skimmer::platform {
namespace {

// Everything below `path`: each key's values (name -> type and bytes) and subkeys in listed order.
std::string dump(RegistryAccess& registry, const std::string& path) {
    auto key = registry.openKey(path);
    if (!key) return "<none>";
    std::map<std::string, std::string> values;
    key->readValues([&](const RegistryValue& v) {
        values[std::string(v.name)] = std::to_string(static_cast<int>(v.type)) + ":" + std::string(v.data);
    });
    std::string text = "{";
    for (const auto& [name, value] : values) text += name + "=" + value + ";";
    for (const std::string& child : key->subkeys()) text += child + dump(registry, joinKeyPath(path, child));
    return text + "}";
}

// The tree every case starts from: values of each type, a subtree two levels deep.
void plant(RegistryAccess& registry, const std::string& root) {
    auto top = registry.createKey(root);
    ASSERT_TRUE(top && top->writeString("Name", "kept") && top->writeDword("Count", 7) &&
                top->writeBinary("Bytes", std::string("\0\1\2", 3)));
    auto folder = registry.createKey(joinKeyPath(root, "Tree\\Folder"));
    ASSERT_TRUE(folder && folder->writeString("query", "report") && folder->writeDword("Type", 1));
    auto other = registry.createKey(joinKeyPath(root, "Tree\\Other"));
    ASSERT_TRUE(other && other->writeString("Desc", "second"));
}

struct BatchCase {
    const char* name;
    std::function<void(RegistryAccess&, const std::string& root)> writes;
};

void overwriteAndAdd(RegistryAccess& registry, const std::string& root) {
    auto key = registry.openKey(root);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->writeString("Name", "changed"));
    EXPECT_TRUE(key->writeString("Count", "now a string"));  // another type over the old one
    EXPECT_TRUE(key->writeDword("New", 1));
}

void createDeepKeys(RegistryAccess& registry, const std::string& root) {
    auto key = registry.createKey(joinKeyPath(root, "Made\\Two\\Three"));
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->writeString("x", "y"));
    EXPECT_TRUE(registry.createKey(joinKeyPath(root, "Tree\\Folder\\Below")));
}

void replaceTree(RegistryAccess& registry, const std::string& root) {
    ASSERT_TRUE(registry.deleteTree(joinKeyPath(root, "Tree")));
    auto key = registry.createKey(joinKeyPath(root, "Tree\\Folder"));
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->writeString("query", "rewritten"));
}

void innerCommittedThenMore(RegistryAccess& registry, const std::string& root) {
    {
        auto inner = registry.beginBatch();
        replaceTree(registry, root);
        EXPECT_TRUE(inner->commit().ok);  // only the outermost batch decides
    }
    overwriteAndAdd(registry, root);
}

class AbandonedBatch : public ::testing::TestWithParam<BatchCase> {};

TEST_P(AbandonedBatch, LeavesEveryKeyAndValueAsItWas) {
    test::ScratchUserRegistry user;
    plant(user.registry(), user.path());
    const std::string before = dump(user.registry(), user.path());
    {
        auto batch = user.registry().beginBatch();
        GetParam().writes(user.registry(), user.path());
        EXPECT_NE(dump(user.registry(), user.path()), before) << "the batch's reads see its own writes";
    }
    EXPECT_EQ(dump(user.registry(), user.path()), before);
    EXPECT_EQ(dump(*user.reopen(), user.path()), before);
    EXPECT_TRUE(user.reports.empty()) << user.reports.front();
}

INSTANTIATE_TEST_SUITE_P(Writes, AbandonedBatch,
                         ::testing::Values(BatchCase{"OverwriteAndAdd", overwriteAndAdd},
                                           BatchCase{"CreateDeepKeys", createDeepKeys},
                                           BatchCase{"ReplaceTree", replaceTree},
                                           BatchCase{"InnerCommittedThenMore", innerCommittedThenMore}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommittedBatch, IsThereForTheNextStartExceptWhatAnAbandonedInnerBatchWrote) {
    test::ScratchUserRegistry user;
    plant(user.registry(), user.path());
    {
        auto batch = user.registry().beginBatch();
        replaceTree(user.registry(), user.path());
        {
            auto inner = user.registry().beginBatch();
            overwriteAndAdd(user.registry(), user.path());
        }
        EXPECT_TRUE(batch->commit().ok);
    }
    auto next = user.reopen();
    EXPECT_EQ(dump(*next, user.path()), "{Bytes=2:" + std::string("\0\1\2", 3) +
                                            ";Count=1:" + std::string("\7\0\0\0", 4) +
                                            ";Name=0:kept;Tree{Folder{query=0:rewritten;}}}");
    EXPECT_TRUE(user.reports.empty());
}

TEST(UserRegistry, ListsSubkeysInCaseInsensitiveOrderAndFindsKeysWhateverTheirCase) {
    test::ScratchUserRegistry user;
    for (const char* name : {"beta", "Alpha", "gamma", "Beta2", "ALPHA2", "0first"})
        ASSERT_TRUE(user.registry().createKey(user.path(name)));
    auto root = user.registry().openKey(user.path());
    ASSERT_TRUE(root);
    EXPECT_EQ(root->subkeys(), (std::vector<std::string>{"0first", "Alpha", "ALPHA2", "beta", "Beta2", "gamma"}));
    EXPECT_TRUE(user.registry().openKey(user.path("BETA")));
    EXPECT_FALSE(user.registry().openKey(user.path("delta")));
    EXPECT_FALSE(user.registry().deleteTree(user.path("delta")));
}

}  // namespace
}  // namespace skimmer::platform
