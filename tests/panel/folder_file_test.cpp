// The search-folder file: the ten lines written, every field and the three times read back, and
// the reader's answers for truncated, foreign, binary and hostile files (row V1).
#include <gtest/gtest.h>

#include <fstream>

#include "os/export_file.h"
#include "panel/folder_file.h"
#include "tests/panel/tree_util.h"
#include "tests/support/temp_home.h"

namespace skimmer::panel {
namespace {

std::string readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(FolderFile, WritesTheTenLinesAndReadsBackEveryFieldAndTheThreeTimes) {
    skimmer::test::TempHome home;
    auto folder = tree::node("Docs", kTypeSpecialSearchFolder, 132'000'000'000'000'000);
    const std::string path = (home.root() / "Docs.skvfinder").string();
    std::string error;
    ASSERT_EQ(WriteFolderFile(os::realFileSystem(), *folder, path, false, error), 0) << error;
    const auto entry = os::findEntry(path);  // before reading: a read may move the access time
    EXPECT_EQ(readAll(path),
              "****** Skimmer v1.07-SR1 BETA Search Folder ******\r\nSKVSFR1.0\r\nDocs\r\nq:Docs\r\nd:Docs\r\n"
              "kind:doc\r\nTRUE\r\n12\r\nFALSE\r\n4\r\n");
    const TFolderFileRead read = ReadFolderFile(path);
    EXPECT_FALSE(read.ReadError);
    EXPECT_TRUE(read.MagicOk);
    read.Node->Item = folder->Item;  // the times come from the file's entry, below
    EXPECT_EQ(tree::dump(read.Node.get()), tree::dump(folder.get()));
    ASSERT_TRUE(entry);
    // Creation time travels in an extended attribute; without one it reads as the write time.
    EXPECT_TRUE(entry->times.created == folder->Item.Created || entry->times.created == folder->Item.Modified);
    EXPECT_EQ(entry->times.accessed, folder->Item.Accessed);
    EXPECT_EQ(entry->times.modified, folder->Item.Modified);
    // Never replaced without being told to.
    EXPECT_EQ(WriteFolderFile(os::realFileSystem(), *folder, path, false, error), EEXIST);
    EXPECT_EQ(WriteFolderFile(os::realFileSystem(), *folder, path, true, error), 0);
}

struct ReadCase {
    const char* label;
    std::string bytes;
    bool readError;
    bool magicOk;
    std::string name;
    int32_t type;
    bool advanced;
};

class FolderFileReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(FolderFileReader, AnswersAsTheFormatSays) {
    const ReadCase& c = GetParam();
    const TFolderFileRead read = ReadFolderFileText(c.bytes);
    EXPECT_EQ(read.ReadError, c.readError);
    EXPECT_EQ(read.MagicOk, c.magicOk);
    EXPECT_EQ(read.Node->Name, c.name);
    EXPECT_EQ(read.Node->Type, c.type);
    EXPECT_EQ(read.Node->Advanced, c.advanced);
}

const std::string kHead = "any header\r\nSKVSFR1.0\r\nN\r\nq\r\nd\r\na\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, FolderFileReader,
    ::testing::Values(
        ReadCase{"OtherHeaderRightMagic", kHead + "True\r\n0\r\nFALSE\r\n2\r\n", false, true, "N", 2, true},
        ReadCase{"LfOnly", "h\nSKVSFR1.0\nN\nq\nd\na\nTRUE\n0\nFALSE\n4\n", false, true, "N", 4, true},
        ReadCase{"CrOnly", "h\rSKVSFR1.0\rN\rq\rd\ra\rtrue\r0\rFALSE\r-3\r", false, true, "N", -3, true},
        ReadCase{"DigitOneIsFalse", kHead + "1\r\n0\r\nFALSE\r\n2\r\n", false, true, "N", 2, false},
        ReadCase{"TypeAfterBlankLines", kHead + "x\r\n0\r\nx\r\n\r\n\r\n  7 trailing\r\nextra\r\n", false, true, "N", 7,
                 false},
        ReadCase{"TypeNotANumber", kHead + "x\r\n0\r\nx\r\n7x\r\n", true, true, "N", 0, false},
        ReadCase{"TypeTooLong", kHead + "x\r\n0\r\nx\r\n" + std::string(33, '1') + "\r\n", true, true, "N", 0, false},
        ReadCase{"TypeOverflows", kHead + "x\r\n0\r\nx\r\n99999999999\r\n", true, true, "N", 0, false},
        ReadCase{"TruncatedAfterName", "h\r\nSKVSFR1.0\r\nN", false, true, "N", 0, false},
        ReadCase{"Empty", "", false, false, "", 0, false},
        ReadCase{"WrongMagic", "h\r\nSKVSFR2.0\r\nN\r\n", false, false, "N", 0, false},
        ReadCase{"Binary", std::string("\x7f" "ELF\0\0\x01\x02\r\n\0\0", 12), false, false, "", 0, false},
        ReadCase{"NulAndEscapesInName", std::string("h\r\nSKVSFR1.0\r\n\x1b[2Ja\0b\xff\r\n", 24), false, true,
                 "\x1b[2Ja_b\xff", 0, false},
        ReadCase{"HugeName", "h\r\nSKVSFR1.0\r\n" + std::string(10000, 'z') + "\r\n", false, true,
                 std::string(kMaxNodeName, 'z'), 0, false}),
    [](const auto& info) { return info.param.label; });

TEST(FolderFileReaderLimits, FilesPastTheLimitAreReadErrorsAndUnreadableFilesToo) {
    skimmer::test::TempHome home;
    const auto big = home.root() / "big.skvfinder";
    std::ofstream(big, std::ios::binary) << "h\r\nSKVSFR1.0\r\nN\r\n" << std::string(10 << 20, 'q') << "\r\n";
    const TFolderFileRead read = ReadFolderFile(big.string());
    EXPECT_TRUE(read.ReadError);
    EXPECT_EQ(read.Node->Name, "N");
    EXPECT_LE(read.Node->query.size(), kMaxFolderFileBytes);
    EXPECT_TRUE(ReadFolderFile((home.root() / "missing").string()).ReadError);
    EXPECT_TRUE(ReadFolderFile(home.root().string()).ReadError);  // a folder
}

}  // namespace
}  // namespace skimmer::panel
