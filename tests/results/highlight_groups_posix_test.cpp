#include <gtest/gtest.h>

#include "host/services/far_registry_defaults.h"
#include "host/services/standard_functions.h"
#include "tests/support/memory_registry.h"
#include "results/highlight_groups.h"

namespace skimmer::results {
namespace {

using platform::MemoryRegistry;

MemoryRegistry::Value toMemory(const os::RegValue& v) {
    switch (v.type) {
        case os::RegType::Dword: return {MemoryRegistry::Type::Dword, v.data};
        case os::RegType::Binary: return MemoryRegistry::Value::binary(v.data);
        default: return MemoryRegistry::Value::string(v.data);
    }
}

// The registry as the host leaves it at its first start.
void writeHostDefaults(MemoryRegistry& registry) {
    for (const auto& d : host::services::defaultHighlightGroups("Software\\Far"))
        registry.setValue(d.key, d.name, toMemory(d.value));
}

TEST(HighlightGroups, ReadsTheHostsDefaultGroups) {
    MemoryRegistry registry;
    writeHostDefaults(registry);
    THLGroups table;
    LoadHighlightGroups(table, &registry, "Software\\Far");
    ASSERT_EQ(table.HLGroupCount(), 8);
    EXPECT_EQ(table.Groups[0], (THLGroup{0x13, 0x38, "*.*", "", 0x02, 0}));
    EXPECT_EQ(table.Groups[2].Mask, "*.*|..");  // exclusions after '|' are kept
    EXPECT_EQ(table.Groups[3], (THLGroup{0, 0, "..", "", 0x10, 0}));
    EXPECT_EQ(table.Groups[4].NormalColor, 0x1A);
    EXPECT_EQ(table.Groups[7].Mask, "");  // IgnoreMask: never matches a hit

    platform::HostTables host;
    host.StandardFunctions.ProcessName = host::services::ProcessName;
    const TMaskMatcher match = HostMaskMatcher(host);
    const THighlightColors panel{0x1B, 0x30};
    EXPECT_EQ(MatchHighlightGroups(table, match, "tool.exe", 0x80, panel)->Normal, 0x1A);
    EXPECT_EQ(MatchHighlightGroups(table, match, "old.bak", 0x80, panel)->Cursor, 0x36);
    EXPECT_EQ(MatchHighlightGroups(table, match, "a.tar", 0x80, panel)->Normal, 0x1D);
    EXPECT_EQ(MatchHighlightGroups(table, match, ".profile", 0x02, panel)->Normal, 0x13);
    EXPECT_FALSE(MatchHighlightGroups(table, match, "notes.txt", 0x80, panel).has_value());

    // A user's group of every file but backups colours the one and not the other.
    THLGroups own;
    own.Groups.push_back({.NormalColor = 0x1E, .Mask = "*.*|*.bak"});
    EXPECT_EQ(MatchHighlightGroups(own, match, "notes.txt", 0x80, panel)->Normal, 0x1E);
    EXPECT_FALSE(MatchHighlightGroups(own, match, "old.bak", 0x80, panel).has_value());
}

TEST(HighlightGroups, StopsAtAGapAndAtTheTablesBound) {
    MemoryRegistry registry;
    for (int n = 0; n < 120; ++n) {
        if (n == 3) continue;
        registry.setValue("F\\Colors\\Highlight\\Group" + std::to_string(n), "Mask",
                          MemoryRegistry::Value::string("*." + std::to_string(n)));
    }
    THLGroups table;
    LoadHighlightGroups(table, &registry, "F");
    EXPECT_EQ(table.HLGroupCount(), 3);

    registry.setValue("F\\Colors\\Highlight\\Group3", "Mask", MemoryRegistry::Value::string("a;b|c"));
    LoadHighlightGroups(table, &registry, "F");
    EXPECT_EQ(table.HLGroupCount(), kMaxHighlightGroups);
    EXPECT_EQ(table.Groups[3].Mask, "a,b|c");
    EXPECT_EQ(table.Groups[100].Mask, "*.100");
}

TEST(HighlightGroups, WithoutTheKeyTheTableStaysAndAHostWithoutMasksMatchesNothing) {
    MemoryRegistry registry;
    THLGroups table;
    table.Groups.push_back({1, 2, "*", "", 0, 0});
    LoadHighlightGroups(table, &registry, "Software\\Far");
    LoadHighlightGroups(table, nullptr, "Software\\Far");
    EXPECT_EQ(table.HLGroupCount(), 1);

    platform::HostTables bare;  // no ProcessName slot
    EXPECT_FALSE(HostMaskMatcher(bare)("*", "x"));
    EXPECT_FALSE(MatchHighlightGroups(table, TMaskMatcher{}, "x", 0, {}).has_value());
}

}  // namespace
}  // namespace skimmer::results
