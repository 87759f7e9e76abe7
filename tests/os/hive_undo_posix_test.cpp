// Taking changes back without a copy of the tree: every kind of change, applied and then undone
// newest first, leaves exactly the tree it started from, and applying with undo records changes
// the tree just as applyChange does. Also the registry's path lookups that reuse the keys of the
// previous path, and whole-file reads with a size hint that is wrong.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <vector>

#include "os/file_system.h"
#include "os/hive_tree.h"
#include "os/registry.h"
#include "tests/os/hive_test_util.h"
#include "tests/support/memory_file_system.h"

namespace skimmer::os {
namespace {

using Kind = HiveChange::Kind;

HiveKey startTree() {
    HiveKey root;
    applyChange(root, {Kind::SetValue, {"Soft", "App"}, "Width", RegValue::dword(80)});
    applyChange(root, {Kind::SetValue, {"Soft", "App", "Deep"}, "Text", RegValue::string("kept")});
    applyChange(root, {Kind::SetValue, {}, "RootValue", RegValue::binary("\x01\x02")});
    applyChange(root, {Kind::CreateKey, {"Soft", "Empty"}, {}, {}});
    return root;
}

struct UndoCase {
    const char* what;
    std::vector<HiveChange> changes;
};

class HiveUndo : public ::testing::TestWithParam<UndoCase> {};

TEST_P(HiveUndo, UndoingNewestFirstRestoresTheTreeExactly) {
    const HiveKey start = startTree();
    HiveKey plain = start;
    HiveKey tree = start;
    std::vector<os::HiveUndo> undo;
    for (const HiveChange& change : GetParam().changes) {
        applyChange(plain, change);
        undo.push_back(applyChangeUndoable(tree, change));
    }
    EXPECT_EQ(tree, plain) << "applying with undo records must change the tree as applyChange does";
    for (size_t i = undo.size(); i-- > 0;) undoChange(tree, GetParam().changes[i], std::move(undo[i]));
    EXPECT_EQ(tree, start);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, HiveUndo,
    ::testing::Values(
        UndoCase{"NewValue", {{Kind::SetValue, {"Soft", "App"}, "Height", RegValue::dword(25)}}},
        // Another spelling of an existing name: the old value comes back under its old spelling.
        UndoCase{"Overwrite", {{Kind::SetValue, {"soft", "APP"}, "WIDTH", RegValue::string("wide")}}},
        UndoCase{"ValueInNewKeys", {{Kind::SetValue, {"Soft", "New", "Newer"}, "X", RegValue::dword(1)}}},
        UndoCase{"CreateExisting", {{Kind::CreateKey, {"SOFT", "app"}, {}, {}}}},
        UndoCase{"CreateNew", {{Kind::CreateKey, {"Other", "Branch"}, {}, {}}}},
        UndoCase{"DeleteValue", {{Kind::DeleteValue, {"Soft", "App"}, "width", {}}}},
        UndoCase{"DeleteMissing", {{Kind::DeleteValue, {"Soft", "Gone"}, "x", {}},
                                   {Kind::DeleteTree, {"Soft", "Gone", "Too"}, {}, {}}}},
        UndoCase{"DeleteSubtree", {{Kind::DeleteTree, {"Soft", "App"}, {}, {}}}},
        UndoCase{"DeleteRoot", {{Kind::DeleteTree, {}, {}, {}}}},
        // Later changes build on earlier ones: each is undone on the tree its application left.
        UndoCase{"Sequence",
                 {{Kind::SetValue, {"Soft", "App"}, "Width", RegValue::dword(1)},
                  {Kind::DeleteTree, {"Soft", "App"}, {}, {}},
                  {Kind::SetValue, {"Soft", "App", "Deep"}, "Text", RegValue::string("new")},
                  {Kind::DeleteValue, {}, "RootValue", {}},
                  {Kind::DeleteTree, {}, {}, {}},
                  {Kind::CreateKey, {"Soft"}, {}, {}},
                  {Kind::SetValue, {"Soft", "Empty"}, "", RegValue::string("default")}}}),
    [](const auto& info) { return std::string(info.param.what); });

// Lookups start from the keys the previous path shared with it; every kind of path must still
// give what a lookup from the root gives, also after the tree changed under the remembered keys.
TEST(RegistryLookup, PathsSharingComponentsResolveAsFromTheRoot) {
    test::MemoryFileSystem memory;
    Hive hive("/cfg/registry.reg", &memory);
    Hive::Batch batch(hive);
    ASSERT_TRUE(hive.createKey("A\\B\\C"));
    ASSERT_TRUE(hive.createKey("A\\Bc"));
    struct Probe {
        const char* path;
        bool found;
    };
    const Probe probes[] = {
        {"A\\B\\C", true}, {"A\\B", true},   {"A\\Bc", true},   {"A\\B\\C\\D", false}, {"a\\b\\c", true},
        {"A\\B\\", false}, {"A\\\\B", false}, {"A\\B\\C", true}, {"", true},          {"\\A", false},
        {"A\\Bc\\C", false}, {"A", true},
    };
    for (const Probe& probe : probes) EXPECT_EQ(hive.openKey(probe.path).has_value(), probe.found) << probe.path;
    ASSERT_TRUE(hive.deleteTree("A\\B"));
    EXPECT_FALSE(hive.openKey("A\\B\\C"));
    EXPECT_FALSE(hive.openKey("A\\B"));
    EXPECT_TRUE(hive.openKey("A\\Bc"));
    std::string deep;
    for (size_t i = 0; i <= kMaxKeyDepth; ++i) deep += (i ? "\\K" : "K");
    EXPECT_FALSE(hive.createKey(deep)) << "a path deeper than the limit is refused";
}

// Our unsaved change lives in the tree read from the file; when another writer replaces the file,
// the fresh tree gets the change back, and rolling a batch back afterwards takes off only ours.
TEST(RegistryReplay, AnUnsavedChangeSurvivesAnotherWritersReplacement) {
    MemoryHiveRig rig;
    auto mine = rig.open();
    auto other = rig.open();
    ASSERT_TRUE(mine->createKey("A")->writeDword("base", 1));
    rig.faults.failCall(1, ENOSPC, false, test::FsOp::Fsync);
    EXPECT_FALSE(mine->openKey("A")->writeDword("mine", 2));
    ASSERT_TRUE(other->createKey("A")->writeDword("theirs", 3));
    {
        Hive::Batch batch(*mine);  // reads the replaced file and replays "mine" onto it
        auto key = mine->openKey("A");
        EXPECT_EQ(key->readDword("theirs"), 3u);
        EXPECT_EQ(key->readDword("mine"), 2u);
        ASSERT_TRUE(key->writeDword("dropped", 4));
        ASSERT_TRUE(mine->deleteTree("A"));
    }  // discarded
    auto key = mine->openKey("A");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->valueNames(), (std::vector<std::string>{"base", "mine", "theirs"}));
    ASSERT_TRUE(mine->flush());
    const auto tree = parsedTree(rig.memory.contents(kMemFile));
    ASSERT_TRUE(tree);
    EXPECT_EQ(findKey(*tree, {"A"})->values.size(), 3u);
}

// The size fstat gave is only a hint: a file that grew or shrank since is still read whole, and
// the limit holds whatever the hint says.
struct ReadCase {
    size_t size;
    size_t hint;
    size_t limit;
    bool tooLarge;
};

class ReadAllHint : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadAllHint, ReadsTheWholeFileOrReportsItTooLarge) {
    const ReadCase c = GetParam();
    test::MemoryFileSystem memory;
    std::string content(c.size, '\0');
    for (size_t i = 0; i < c.size; ++i) content[i] = static_cast<char>('a' + i % 26);
    int fd = -1;
    ASSERT_EQ(memory.open("/f", O_WRONLY | O_CREAT, 0600, fd), 0);
    ASSERT_EQ(writeAll(memory, fd, content), 0);
    memory.close(fd);
    ASSERT_EQ(memory.open("/f", O_RDONLY, 0, fd), 0);
    std::string out = "untouched";
    bool tooLarge = false;
    EXPECT_EQ(readAll(memory, fd, out, c.limit, tooLarge, c.hint), 0);
    EXPECT_EQ(tooLarge, c.tooLarge);
    EXPECT_EQ(out, c.tooLarge ? std::string("untouched") : content);
    memory.close(fd);
}

INSTANTIATE_TEST_SUITE_P(Hints, ReadAllHint,
                         ::testing::Values(ReadCase{200000, 200000, 1 << 20, false},  // exact
                                           ReadCase{200000, 10, 1 << 20, false},      // grew
                                           ReadCase{200000, 900000, 1 << 20, false},  // shrank
                                           ReadCase{0, 0, 100, false},                // empty
                                           ReadCase{100, 100, 100, false},            // at the limit
                                           ReadCase{101, 100, 100, true},             // one past it
                                           ReadCase{300000, 0, 100000, true}));       // no hint, too big

}  // namespace
}  // namespace skimmer::os
