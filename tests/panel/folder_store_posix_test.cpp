// The search-folder tree in the registry: round trips over both registries, odd and hostile keys,
// names that cannot be key names as they stand, and saves that fail, crash or are killed (rows
// S1, S3, V2).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include "os/registry.h"
#include "panel/folder_store.h"
#include "platform/hive_registry.h"
#include "tests/support/memory_registry.h"
#include "tests/panel/tree_util.h"
#include "tests/support/fault_file_system.h"
#include "tests/support/temp_home.h"

namespace skimmer::panel {
namespace {

using tree::add;
using tree::dump;
using tree::node;
constexpr std::string_view kRoot = "Software\\Far\\Plugins";
const std::string kTreeKey = "Software\\Far\\Plugins\\Skimmer\\SKPanel";

// Every kind, nested directories of each directory kind, a search folder with hits, and names a
// registry key could not carry as they stand.
TFolderTree sampleTree() {
    TFolderTree tree;
    TFiles* docs = add(tree.PanelRoot, node("Docs", kTypeDirectory, 100));
    TFiles* inner = add(docs->Children, node("Inner", kTypeDirectory, 200));
    add(inner->Children, node("deep search", kTypeSearchFolder, 300));
    TFiles* session = add(tree.PanelRoot, node("Session", kTypeSessionDirectory, 400));
    add(session->Children, node("kept", kTypeSpecialSearchFolder, 500));
    TFiles* foreign = add(tree.PanelRoot, node("Foreign", kTypeForeignDirectory, 600));
    add(foreign->Children, node("also kept", kTypeSearchFolder, 700));
    TFiles* folder = add(tree.PanelRoot, node("docs", kTypeSearchFolder, 800));  // differs only in case
    folder->Children = node("hit.txt", kTypeHit);                               // hits are never stored
    add(tree.PanelRoot, node("a\\b", kTypeSearchFolder, 900));
    add(tree.PanelRoot, node("#1", kTypeSearchFolder, 1000));
    add(tree.PanelRoot, node("\x1b[2J\x9b" "bad\xff utf8", kTypeSearchFolder, 1100));
    add(tree.PanelRoot, node(std::string(kMaxNodeName, 'n'), kTypeSearchFolder, 1200));
    return tree;
}

// What a reload gives: the sample in the registry's order, without hits.
std::string expectedReload(const TFolderTree& tree) {
    std::string all = dump(tree.PanelRoot.get());
    std::string out;
    size_t pos = 0;
    while (pos < all.size()) {
        const size_t end = all.find('\n', pos) + 1;
        const std::string line = all.substr(pos, end - pos);
        if (line.find("|5|") == std::string::npos) out += line;
        pos = end;
    }
    return out;
}

// The dumped lines in sorted order: siblings come back in the registry's order, not ours.
std::vector<std::string> sortedLines(const std::string& dumped) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < dumped.size()) {
        const size_t end = dumped.find('\n', pos) + 1;
        lines.push_back(dumped.substr(pos, end - pos));
        pos = end;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

struct RegistryRig {
    skimmer::test::TempHome home;
    os::Hive hive{os::Hive::defaultPath()};
    platform::HiveRegistry hiveRegistry{hive};
    platform::MemoryRegistry memory;
};

class StoreRoundTrip : public ::testing::TestWithParam<bool> {
protected:
    RegistryRig rig;
    platform::RegistryAccess& registry() {
        return GetParam() ? static_cast<platform::RegistryAccess&>(rig.hiveRegistry) : rig.memory;
    }
};

TEST_P(StoreRoundTrip, EveryFieldKindAndHostileNameComesBackWithoutHits) {
    TFolderTree tree = sampleTree();
    ASSERT_TRUE(SaveFolderTree(tree, &registry(), kRoot).ok);
    TFolderTree loaded;
    LoadFolderTree(loaded, &registry(), kRoot);
    const std::string want = expectedReload(tree);
    const std::string got = dump(loaded.PanelRoot.get());
    EXPECT_EQ(sortedLines(got), sortedLines(want));
    EXPECT_NE(got.find("  Inner|"), std::string::npos);
    EXPECT_NE(got.find("    deep search|q:deep search|d:deep search|kind:doc|12|01|2|301,302,303|1234"), std::string::npos);
    EXPECT_NE(got.find("  kept|"), std::string::npos);
    EXPECT_NE(got.find("  also kept|"), std::string::npos);
    EXPECT_EQ(got.find("hit.txt"), std::string::npos);

    // A second save of what was loaded stores the same tree again.
    ASSERT_TRUE(SaveFolderTree(loaded, &registry(), kRoot).ok);
    TFolderTree again;
    LoadFolderTree(again, &registry(), kRoot);
    EXPECT_EQ(sortedLines(dump(again.PanelRoot.get())), sortedLines(got));

    // Deleting the last node and reloading gives an empty tree, and no stale key stays behind.
    TFolderTree empty;
    ASSERT_TRUE(SaveFolderTree(empty, &registry(), kRoot).ok);
    LoadFolderTree(again, &registry(), kRoot);
    EXPECT_EQ(again.PanelRoot, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Registries, StoreRoundTrip, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Hive" : "Memory"; });

// Keys a hand-edited or foreign hive may hold: each loads, the rest of the tree loads, and
// loading writes nothing.
struct OddKey {
    const char* label;
    std::function<void(platform::MemoryRegistry&)> plant;
    const char* expected;  // a line of the loaded dump
};

class OddKeys : public ::testing::TestWithParam<OddKey> {};

TEST_P(OddKeys, LoadWhatCanBeReadAndChangeNothing) {
    platform::MemoryRegistry registry;
    TFolderTree good;
    add(good.PanelRoot, node("Good", kTypeSearchFolder, 10));
    ASSERT_TRUE(SaveFolderTree(good, &registry, kRoot).ok);
    GetParam().plant(registry);
    registry.resetChanges();
    TFolderTree loaded;
    LoadFolderTree(loaded, &registry, kRoot);
    EXPECT_EQ(registry.changes(), 0);
    const std::string got = dump(loaded.PanelRoot.get());
    EXPECT_NE(got.find("Good|q:Good|d:Good|kind:doc|12|01|2|11,12,13|1234"), std::string::npos) << got;
    EXPECT_NE(got.find(GetParam().expected), std::string::npos) << got;
}

using V = platform::MemoryRegistry::Value;
INSTANTIATE_TEST_SUITE_P(
    Keys, OddKeys,
    ::testing::Values(
        OddKey{"NoValuesAtAll", [](auto& r) { r.createKey(kTreeKey + "\\Bare"); }, "Bare|||||00|0|0,0,0|1234"},
        OddKey{"WrongTypesAndSizes",
               [](auto& r) {
                   r.setValue(kTreeKey + "\\Odd", "Type", V::string("2"));
                   r.setValue(kTreeKey + "\\Odd", "Created", V::binary("123"));
                   r.setValue(kTreeKey + "\\Odd", "Modified", V::dword(5));
                   r.setValue(kTreeKey + "\\Odd", "query", V::dword(7));
                   r.setValue(kTreeKey + "\\Odd", "Advanced", V::dword(77));
               },
               "Odd|||||10|0|0,0,0|1234"},
        OddKey{"DuplicateNameValue",
               [](auto& r) { r.setValue(kTreeKey + "\\~9", "Name", V::string("Good")); }, "Good (2)|||||00|0|0,0,0|1234"},
        OddKey{"NulAndOverlongName",
               [](auto& r) { r.setValue(kTreeKey + "\\#8", "Name", V::string(std::string("a\0b", 3) + std::string(9000, 'x'))); },
               "a_bxxxx"},
        OddKey{"ChildOfSearchFolder", [](auto& r) { r.createKey(kTreeKey + "\\Good\\Child"); }, "  Child|"}),
    [](const auto& info) { return info.param.label; });

TEST(StoreSave, RefusedWriteCommitsNothingAndKeepsTheStoredTree) {
    platform::MemoryRegistry registry;
    TFolderTree tree = sampleTree();
    ASSERT_TRUE(SaveFolderTree(tree, &registry, kRoot).ok);
    TFolderTree before;
    LoadFolderTree(before, &registry, kRoot);
    registry.refuseWrites(true);
    TFolderTree changed;
    add(changed.PanelRoot, node("Only", kTypeSearchFolder));
    const platform::RegistryCommit result = SaveFolderTree(changed, &registry, kRoot);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.empty());
    registry.refuseWrites(false);
    TFolderTree after;
    LoadFolderTree(after, &registry, kRoot);
    EXPECT_EQ(dump(after.PanelRoot.get()), dump(before.PanelRoot.get()));
}

// A tree of `count` search folders in directories of ten, every text carrying `generation`.
TFolderTree generationTree(int generation, int count) {
    TFolderTree tree;
    TFiles* dir = nullptr;
    for (int i = 0; i < count; ++i) {
        if (i % 10 == 0) dir = add(tree.PanelRoot, node("dir" + std::to_string(i / 10), kTypeDirectory, generation));
        add(dir->Children, node("f" + std::to_string(i), kTypeSearchFolder, generation));
    }
    return tree;
}

// The generation of a loaded tree: -1 when its nodes disagree or some are missing (a partial tree).
int generationOf(const TFolderTree& tree, int count) {
    int generation = -2, nodes = 0;
    for (TFiles* d = tree.PanelRoot.get(); d; d = d->Next.get())
        for (TFiles* n = d; n; n = (n == d ? d->Children.get() : n->Next.get())) {
            ++nodes;
            const int g = static_cast<int>(n->Item.Created) - 1;
            if (generation == -2) generation = g;
            if (g != generation) return -1;
        }
    if (nodes == 0) return 0;
    return nodes == count + count / 10 ? generation : -1;
}

// Row V2 with a failing disk: whatever call of the save fails, the stored tree is the old or the
// new one, and a later save works.
class FailingDisk : public ::testing::TestWithParam<int> {};

TEST_P(FailingDisk, OldOrNewTreeAndTheNextSaveWorks) {
    skimmer::test::TempHome home;
    skimmer::test::FaultFileSystem faults(os::realFileSystem());
    constexpr int kNodes = 100;
    {
        os::Hive hive(os::Hive::defaultPath(), &faults);
        platform::HiveRegistry registry(hive);
        ASSERT_TRUE(SaveFolderTree(generationTree(1, kNodes), &registry, kRoot).ok);
    }
    for (uint64_t n = 1; n <= 12; ++n) {
        os::Hive hive(os::Hive::defaultPath(), &faults);
        platform::HiveRegistry registry(hive);
        faults.failCall(n, GetParam(), true);
        const bool saved = SaveFolderTree(generationTree(2, kNodes), &registry, kRoot).ok;
        faults.clearFaults();
        os::Hive fresh(os::Hive::defaultPath());
        platform::HiveRegistry reader(fresh);
        TFolderTree stored;
        LoadFolderTree(stored, &reader, kRoot);
        const int g = generationOf(stored, kNodes);
        EXPECT_TRUE(g == 1 || g == 2) << "call " << n << " gave " << g;
        if (saved) {
            EXPECT_EQ(g, 2) << n;
        }
        ASSERT_TRUE(SaveFolderTree(generationTree(1, kNodes), &reader, kRoot).ok) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Errors, FailingDisk, ::testing::Values(ENOSPC, EIO, EFBIG));

// Rows S1 and V2: a child saving a 1,000-node tree in a loop, killed at random moments.
TEST(KilledWhileSaving, ThousandNodeTreeIsOldOrNewNeverPartial) {
    skimmer::test::TempHome home;
    constexpr int kNodes = 1000;
    std::mt19937 rng(1107);
    int lastSeen = 0;
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            os::Hive hive(os::Hive::defaultPath());
            platform::HiveRegistry registry(hive);
            for (int g = lastSeen + 1;; ++g)
                if (!SaveFolderTree(generationTree(g, kNodes), &registry, kRoot).ok) _exit(3);
        }
        volatile uint32_t spin = 2'000'000 + rng() % 40'000'000;  // a random moment, without sleeping
        while (spin > 0) spin = spin - 1;
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself: " << WEXITSTATUS(status);
        os::Hive hive(os::Hive::defaultPath());
        platform::HiveRegistry registry(hive);
        TFolderTree stored;
        LoadFolderTree(stored, &registry, kRoot);
        const int g = generationOf(stored, kNodes);
        ASSERT_GE(g, lastSeen) << "round " << round << ": a partial or older tree";
        lastSeen = g;
    }
    os::Hive hive(os::Hive::defaultPath());
    platform::HiveRegistry registry(hive);
    EXPECT_TRUE(SaveFolderTree(generationTree(lastSeen + 1, kNodes), &registry, kRoot).ok);
}

}  // namespace
}  // namespace skimmer::panel
