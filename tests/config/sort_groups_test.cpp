#include <gtest/gtest.h>

#include "config/sort_groups.h"
#include "tests/support/memory_registry.h"

namespace skimmer::config {
namespace {

using platform::MemoryRegistry;

constexpr const char* kGroups = "Software\\Far\\Plugins\\Skimmer\\SKSGroups";

MemoryRegistry::Value dword(uint32_t v) { return MemoryRegistry::Value::dword(v); }
MemoryRegistry::Value sz(std::string text) { return MemoryRegistry::Value::string(std::move(text)); }

class SortGroupsTest : public ::testing::Test {
protected:
    std::string group(int n) { return std::string(kGroups) + "\\Group" + std::to_string(n); }
    void putGroup(int n, const char* name) {
        registry.setValue(group(n), "Name", sz(name));
        registry.setValue(group(n), "Kind", sz(std::string("kind") + name));
        registry.setValue(group(n), "Ext", sz(std::string("ext") + name));
        registry.setValue(group(n), "Max", dword(10u + n));
    }
    MemoryRegistry registry;
    SettingsLocation where = settingsLocation(&registry, "Software\\Far\\Plugins");
    TSKSSortGroups groups;
};

TEST_F(SortGroupsTest, FirstLoadCreatesAnEmptyGroupsKey) {
    loadSortGroups(groups, where);
    EXPECT_TRUE(registry.keyExists(kGroups));
    EXPECT_TRUE(registry.keyExists("Software\\Far\\Plugins\\Skimmer"));
    EXPECT_EQ(registry.valueCount(kGroups), 0u);
    EXPECT_EQ(groups.SortGroupCount, 0);
}

TEST_F(SortGroupsTest, LoadsEveryGroupInUse) {
    registry.setValue(kGroups, "num", dword(2));
    putGroup(0, "A");
    putGroup(1, "B");
    putGroup(2, "Stale");
    loadSortGroups(groups, where);
    ASSERT_EQ(groups.SortGroupCount, 2);
    EXPECT_EQ(groups.SortGroups[0], (TSKSSortGroup{"A", "kindA", "extA", 10}));
    EXPECT_EQ(groups.SortGroups[1], (TSKSSortGroup{"B", "kindB", "extB", 11}));
    EXPECT_EQ(groups.SortGroups[2], TSKSSortGroup{});
}

TEST_F(SortGroupsTest, CountStoredAsTextGivesAnEmptyList) {
    registry.setValue(kGroups, "num", sz("2"));
    putGroup(0, "A");
    loadSortGroups(groups, where);
    EXPECT_EQ(groups.SortGroupCount, 0);
}

TEST_F(SortGroupsTest, GroupWithOnlyANameAndMistypedValues) {
    registry.setValue(kGroups, "num", dword(2));
    registry.setValue(group(0), "Name", sz("Only name"));
    registry.setValue(group(1), "Name", dword(3));
    registry.setValue(group(1), "Kind", sz("k"));
    registry.setValue(group(1), "Max", sz("12"));
    loadSortGroups(groups, where);
    EXPECT_EQ(groups.SortGroups[0], (TSKSSortGroup{"Only name", "", "", 0}));
    EXPECT_EQ(groups.SortGroups[1], (TSKSSortGroup{"", "k", "", 0}));
}

TEST_F(SortGroupsTest, MissingSubkeyKeepsTheRecord) {
    registry.setValue(kGroups, "num", dword(1));
    groups.SortGroups[0] = {"Kept", "k", "e", 3};
    loadSortGroups(groups, where);
    EXPECT_EQ(groups.SortGroupCount, 1);
    EXPECT_EQ(groups.SortGroups[0], (TSKSSortGroup{"Kept", "k", "e", 3}));
}

TEST_F(SortGroupsTest, CountIsClampedToSeven) {
    registry.setValue(kGroups, "num", dword(50));
    for (int n = 0; n < 9; ++n) putGroup(n, std::to_string(n).c_str());
    loadSortGroups(groups, where);
    EXPECT_EQ(groups.SortGroupCount, 7);
    EXPECT_EQ(groups.SortGroups[6].Name, "6");
    groups.SortGroupCount = 9;  // a caller that overran the list: still only seven are written
    ASSERT_TRUE(saveSortGroups(groups, where));
    EXPECT_EQ(registry.value(kGroups, "num")->data, dword(7).data);
    registry.setValue(kGroups, "num", dword(0xFFFFFFFFu));  // -1 as a signed count
    loadSortGroups(groups, where);
    EXPECT_EQ(groups.SortGroupCount, 0);
}

TEST_F(SortGroupsTest, DeletingTheLastOfThreeLeavesGroup2Behind) {
    registry.setValue(kGroups, "num", dword(3));
    putGroup(0, "A");
    putGroup(1, "B");
    putGroup(2, "C");
    loadSortGroups(groups, where);
    groups.SortGroupCount = 2;
    registry.resetChanges();
    ASSERT_TRUE(saveSortGroups(groups, where));
    EXPECT_EQ(registry.changes(), 1);  // one change on disk for the whole list
    EXPECT_EQ(registry.value(kGroups, "num")->data, dword(2).data);
    EXPECT_EQ(registry.value(group(2), "Name")->data, "C");
    TSKSSortGroups again;
    loadSortGroups(again, where);
    EXPECT_EQ(again.SortGroupCount, 2);
    EXPECT_EQ(again.SortGroups[2], TSKSSortGroup{});
}

TEST_F(SortGroupsTest, SaveWritesNothingWithoutTheGroupsKey) {
    groups.SortGroupCount = 1;
    groups.SortGroups[0] = {"A", "k", "e", 1};
    EXPECT_TRUE(saveSortGroups(groups, where));
    EXPECT_FALSE(registry.keyExists(kGroups));
    EXPECT_EQ(registry.changes(), 0);
}

TEST_F(SortGroupsTest, SaveRoundTripsAndReportsRefusal) {
    loadSortGroups(groups, where);
    groups.SortGroupCount = 1;
    groups.SortGroups[0] = {"Docs", "kind:document", "ext:pdf", 25};
    ASSERT_TRUE(saveSortGroups(groups, where));
    TSKSSortGroups again;
    loadSortGroups(again, where);
    EXPECT_EQ(again.SortGroups[0], groups.SortGroups[0]);

    registry.refuseWrites(true);
    groups.SortGroups[0].Name = "Lost";
    std::string error;
    EXPECT_FALSE(saveSortGroups(groups, where, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(registry.value(group(0), "Name")->data, "Docs");
}

}  // namespace
}  // namespace skimmer::config
