#include "os/registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>

#include <fstream>

#include "tests/os/hive_test_util.h"
#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;

class RegistryTest : public ::testing::Test {
protected:
    std::unique_ptr<Hive> freshHive() { return std::make_unique<Hive>(Hive::defaultPath()); }

    test::TempHome home_;
    Hive hive_{Hive::defaultPath()};
};

TEST_F(RegistryTest, LivesUnderXdgConfigHome) {
    EXPECT_EQ(Hive::defaultPath(), home_.config() / "skimmer" / "registry.reg");
    EXPECT_EQ(hive_.file(), Hive::defaultPath());
}

TEST_F(RegistryTest, MissingKeysAndValuesAreNone) {
    EXPECT_FALSE(hive_.openKey("Software\\Far"));
    auto key = hive_.createKey("Software\\Far");
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->readDword("x"));
    EXPECT_FALSE(key->readString("x"));
    EXPECT_FALSE(key->dataSize("x"));
    EXPECT_FALSE(hive_.openKey("Software\\Far\\Nope"));
    EXPECT_FALSE(hive_.openKey("Software\\\\Far"));  // empty component
    EXPECT_FALSE(hive_.createKey("\\Software"));
    EXPECT_FALSE(fs::exists(Hive::defaultPath().string() + ".tmp"));
}

TEST_F(RegistryTest, ValuesRoundTripThroughTheFileWithTheirTypes) {
    auto key = hive_.createKey("Software\\Skimmer");
    ASSERT_TRUE(key->writeDword("Width", 76));
    ASSERT_TRUE(key->writeString("Editor", "vim"));
    ASSERT_TRUE(key->writeBinary("Created", std::string("\x00\x01\xff", 3)));
    ASSERT_TRUE(key->writeString("", "default"));

    auto other = freshHive();
    auto read = other->openKey("software\\SKIMMER");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->readDword("width"), 76u);
    EXPECT_EQ(read->readString("EDITOR"), "vim");
    EXPECT_EQ(read->readValue("Created"), RegValue::binary(std::string("\x00\x01\xff", 3)));
    EXPECT_EQ(read->readString(""), "default");
    // Reading with the wrong type gives none; sizes are Windows': REG_SZ counts its terminator.
    EXPECT_FALSE(read->readString("Width"));
    EXPECT_FALSE(read->readDword("Editor"));
    EXPECT_EQ(read->dataSize("Editor"), 4u);
    EXPECT_EQ(read->dataSize("Width"), 4u);
    EXPECT_EQ(read->dataSize("Created"), 3u);
}

TEST_F(RegistryTest, NamesAreCaseInsensitiveAndCasePreserving) {
    auto key = hive_.createKey("Software\\Skimmer");
    ASSERT_TRUE(key->writeString("MixedCase", "1"));
    ASSERT_TRUE(key->writeString("MIXEDCASE", "2"));  // the same value: keeps its first spelling
    ASSERT_TRUE(hive_.createKey("SOFTWARE\\skimmer\\Ünïcode"));
    EXPECT_EQ(key->valueNames(), std::vector<std::string>{"MixedCase"});
    EXPECT_EQ(key->readString("mixedcase"), "2");
    ASSERT_TRUE(hive_.openKey("software\\skimmer\\üNÏCODE"));  // non-ASCII letters fold too
    EXPECT_EQ(freshHive()->openKey("Software")->subkeys(), std::vector<std::string>{"Skimmer"});
}

TEST_F(RegistryTest, SubkeysEnumerateInCaseInsensitiveSortedOrder) {
    for (const char* name : {"beta", "Alpha", "gamma", "ALPHA2", "_x", "Group10", "Group2"})
        ASSERT_TRUE(hive_.createKey(std::string("Root\\") + name));
    const std::vector<std::string> expected = {"Alpha", "ALPHA2", "beta", "gamma", "Group10", "Group2", "_x"};
    auto other = freshHive();
    auto root = other->openKey("Root");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->subkeys(), expected);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(root->subkey(i), expected[i]);
    EXPECT_FALSE(root->subkey(expected.size()));
}

TEST_F(RegistryTest, DeleteTreeRemovesEverythingBelowOnly) {
    ASSERT_TRUE(hive_.createKey("A\\B\\C")->writeDword("v", 1));
    ASSERT_TRUE(hive_.createKey("A\\B2")->writeDword("v", 2));
    ASSERT_TRUE(hive_.createKey("A")->writeDword("v", 3));
    ASSERT_TRUE(hive_.deleteTree("a\\b"));
    auto other = freshHive();
    EXPECT_FALSE(other->openKey("A\\B"));
    EXPECT_FALSE(other->openKey("A\\B\\C"));
    EXPECT_EQ(other->openKey("A\\B2")->readDword("v"), 2u);
    EXPECT_EQ(other->openKey("A")->readDword("v"), 3u);
    EXPECT_FALSE(hive_.deleteTree("A\\B"));  // already gone
    EXPECT_FALSE(hive_.deleteTree(""));      // the root stays
}

TEST_F(RegistryTest, DeleteValue) {
    auto key = hive_.createKey("K");
    ASSERT_TRUE(key->writeDword("a", 1));
    ASSERT_TRUE(key->writeDword("b", 2));
    ASSERT_TRUE(key->deleteValue("A"));
    EXPECT_FALSE(key->deleteValue("a"));
    EXPECT_EQ(freshHive()->openKey("K")->valueNames(), std::vector<std::string>{"b"});
}

TEST_F(RegistryTest, ReadsSeeWritesOfAnotherHive) {
    auto other = freshHive();
    ASSERT_TRUE(hive_.createKey("K")->writeDword("n", 1));
    auto seen = other->openKey("K");
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->readDword("n"), 1u);
    for (uint32_t i = 2; i < 40; ++i) {  // same size each time: identity must not rely on size
        ASSERT_TRUE(hive_.openKey("K")->writeDword("n", i));
        ASSERT_EQ(seen->readDword("n"), i);
    }
    ASSERT_TRUE(hive_.deleteTree("K"));
    EXPECT_FALSE(seen->readDword("n"));
    EXPECT_FALSE(other->openKey("K"));
}

TEST_F(RegistryTest, WritesMergeWithWhatOthersWroteMeanwhile) {
    auto other = freshHive();
    auto mine = hive_.createKey("K");
    auto theirs = other->createKey("K");
    ASSERT_TRUE(mine->writeDword("mine", 1));
    ASSERT_TRUE(theirs->writeDword("theirs", 2));
    ASSERT_TRUE(mine->writeDword("mine2", 3));
    auto reader = freshHive();
    auto check = reader->openKey("K");
    EXPECT_EQ(check->valueNames(), (std::vector<std::string>{"mine", "mine2", "theirs"}));
}

TEST_F(RegistryTest, RejectsInvalidData) {
    auto key = hive_.createKey("K");
    EXPECT_FALSE(key->writeString(std::string(kMaxNameBytes + 1, 'n'), "x"));
    EXPECT_FALSE(key->writeBinary("big", std::string(kMaxValueBytes + 1, 'x')));
    EXPECT_TRUE(key->writeBinary("max", std::string(kMaxValueBytes, 'x')));
    std::string deep = "k";
    for (size_t i = 1; i < kMaxKeyDepth; ++i) deep += "\\k";
    EXPECT_TRUE(hive_.createKey(deep));
    EXPECT_FALSE(hive_.createKey(deep + "\\k"));
    EXPECT_TRUE(freshHive()->openKey(deep));
}

TEST_F(RegistryTest, TheFileIsPrivateAndLooksLikeAnExport) {
    ASSERT_TRUE(hive_.createKey("Software\\Far")->writeDword("Count", 42));
    const fs::path file = Hive::defaultPath();
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text,
              "Skimmer Registry Hive 1\n\n[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Far]\n\"Count\"=dword:0000002a\n\n; End of Skimmer Registry Hive\n");
}

// ---- batches, counted through the file-system seam --------------------------------------------

TEST(RegistryBatch, ManyWritesMakeOneReplacement) {
    MemoryHiveRig rig;
    auto hive = rig.open();
    {
        Hive::Batch batch(*hive);
        auto key = hive->createKey("Software\\Skimmer");
        for (int i = 0; i < 42; ++i) ASSERT_TRUE(key->writeDword("v" + std::to_string(i), i));
        EXPECT_EQ(rig.faults.count(test::FsOp::Fsync), 0u);
        EXPECT_FALSE(rig.memory.contents(kMemFile));  // nothing on disk before commit
        EXPECT_EQ(key->readDword("v41"), 41u);         // but visible to this hive
        ASSERT_TRUE(batch.commit());
    }
    EXPECT_EQ(rig.faults.count(test::FsOp::Fsync), 1u);
    EXPECT_EQ(rig.faults.count(test::FsOp::SyncDirectory), 1u);
    EXPECT_EQ(rig.faults.count(test::FsOp::Rename), 1u);
    EXPECT_EQ(parsedTree(rig.memory.contents(kMemFile))->subkeys.begin()->second.subkeys.begin()->second.values.size(), 42u);
}

TEST(RegistryBatch, NestedBatchesWriteOnceAtTheOutermostCommit) {
    MemoryHiveRig rig;
    auto hive = rig.open();
    Hive::Batch outer(*hive);
    {
        Hive::Batch inner(*hive);
        ASSERT_TRUE(hive->createKey("A")->writeDword("x", 1));
        ASSERT_TRUE(inner.commit());
    }
    EXPECT_EQ(rig.faults.count(test::FsOp::Rename), 0u);
    ASSERT_TRUE(outer.commit());
    EXPECT_EQ(rig.faults.count(test::FsOp::Rename), 1u);
    EXPECT_EQ(rig.open()->openKey("A")->readDword("x"), 1u);
}

// Inside a batch the file is looked at once: another writer's save shows after the batch, and the
// batch's commit still merges onto it.
TEST_F(RegistryTest, ABatchReadsOneViewAndItsCommitMerges) {
    ASSERT_TRUE(hive_.createKey("K")->writeDword("n", 1));
    auto other = freshHive();
    {
        Hive::Batch batch(hive_);
        ASSERT_TRUE(other->openKey("K")->writeDword("n", 2));
        EXPECT_EQ(hive_.openKey("K")->readDword("n"), 1u);  // the view the batch began with
        ASSERT_TRUE(hive_.openKey("K")->writeDword("mine", 3));
        EXPECT_EQ(hive_.openKey("K")->readDword("mine"), 3u);
        ASSERT_TRUE(batch.commit());
    }
    EXPECT_EQ(hive_.openKey("K")->readDword("n"), 2u);
    EXPECT_EQ(freshHive()->openKey("K")->readDword("mine"), 3u);
}

TEST(RegistryBatch, ABatchDroppedWithoutCommitChangesNothing) {
    MemoryHiveRig rig;
    auto hive = rig.open();
    ASSERT_TRUE(hive->createKey("A")->writeDword("keep", 1));
    {
        Hive::Batch outer(*hive);
        ASSERT_TRUE(hive->openKey("A")->writeDword("outer", 2));
        {
            Hive::Batch inner(*hive);
            ASSERT_TRUE(hive->openKey("A")->writeDword("inner", 3));
            ASSERT_TRUE(hive->deleteTree("A"));
        }  // inner dropped: A is back, "outer" stays pending
        EXPECT_EQ(hive->openKey("A")->valueNames(), (std::vector<std::string>{"keep", "outer"}));
        ASSERT_TRUE(outer.commit());
    }
    EXPECT_EQ(rig.open()->openKey("A")->valueNames(), (std::vector<std::string>{"keep", "outer"}));
    {
        Hive::Batch dropped(*hive);
        ASSERT_TRUE(hive->openKey("A")->writeDword("gone", 4));
    }
    EXPECT_FALSE(hive->openKey("A")->readDword("gone"));
    EXPECT_FALSE(hive->hasUnsavedChanges());
}

TEST(RegistryBatch, AFailedWriteIsKeptAndCarriedByTheNextOne) {
    MemoryHiveRig rig;
    auto hive = rig.open();
    auto key = hive->createKey("A");
    rig.faults.failCall(1, ENOSPC, false, test::FsOp::Fsync);
    const RegStatus failed = key->writeDword("first", 1);
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.error.find("disk full"), std::string::npos) << failed.error;
    EXPECT_TRUE(hive->hasUnsavedChanges());
    EXPECT_EQ(key->readDword("first"), 1u);  // still in this hive's view
    ASSERT_TRUE(key->writeDword("second", 2));
    auto other = rig.open();
    EXPECT_EQ(other->openKey("A")->readDword("first"), 1u);
    EXPECT_EQ(other->openKey("A")->readDword("second"), 2u);
}

TEST(RegistryBatch, CreateKeyReportsAFailedWrite) {
    MemoryHiveRig rig;
    auto hive = rig.open();
    rig.faults.failCall(1, EIO, false, test::FsOp::Rename);
    RegStatus status;
    ASSERT_TRUE(hive->createKey("A\\B", &status));
    EXPECT_FALSE(status);
    EXPECT_TRUE(hive->openKey("A\\B"));
    ASSERT_TRUE(hive->flush());
    EXPECT_TRUE(rig.open()->openKey("A\\B"));
}

TEST(RegistryVersion, ANewerFileIsNeverTouched) {
    MemoryHiveRig rig;
    const std::string newer = "Skimmer Registry Hive 2\nwhatever comes next\n";
    rig.memory.setContents(kMemFile, newer);
    auto hive = rig.open();
    EXPECT_FALSE(hive->openKey("A"));
    RegStatus status;
    hive->createKey("A", &status);
    EXPECT_FALSE(status);
    EXPECT_NE(status.error.find("newer version"), std::string::npos);
    EXPECT_EQ(rig.memory.contents(kMemFile), newer);
    EXPECT_EQ(rig.reports.size(), 1u);
    EXPECT_TRUE(rig.bad().empty());
}

}  // namespace
}  // namespace skimmer::os

namespace skimmer::os {
namespace {

TEST(RegistryLock, ABusyLockFailsTheWriteWithoutTouchingTheFile) {
    MemoryHiveRig rig;
    auto hive = rig.open();
    ASSERT_TRUE(hive->createKey("A")->writeDword("x", 1));
    const std::optional<std::string> before = rig.memory.contents(kMemFile);
    rig.faults.failCall(1, ETIMEDOUT, false, test::FsOp::Lock);
    const RegStatus status = hive->openKey("A")->writeDword("x", 2);
    EXPECT_FALSE(status);
    EXPECT_NE(status.error.find("locked by another process"), std::string::npos) << status.error;
    EXPECT_EQ(rig.memory.contents(kMemFile), before);
    EXPECT_TRUE(rig.temps().empty());
}

TEST(RegistryLock, TheRealLockGivesUpAfterItsTimeout) {
    test::TempHome home;
    const std::string path = (home.root() / "lockfile").string();
    FileSystem& fs = realFileSystem();
    int first = -1, second = -1;
    ASSERT_EQ(fs.open(path, O_RDWR | O_CREAT, 0600, first), 0);
    ASSERT_EQ(fs.open(path, O_RDWR, 0, second), 0);
    const FileHandle a(fs, first), b(fs, second);
    ASSERT_EQ(fs.lock(first, std::chrono::milliseconds(0)), 0);
    EXPECT_EQ(fs.lock(second, std::chrono::milliseconds(0)), ETIMEDOUT);  // another open file: excluded
    // The descriptors are close-on-exec, so a spawned child never inherits (and holds) the lock.
    EXPECT_TRUE(fcntl(first, F_GETFD) & FD_CLOEXEC);
}

}  // namespace
}  // namespace skimmer::os
