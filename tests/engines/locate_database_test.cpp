#include <gtest/gtest.h>

#include "engines/locate_database.h"
#include "os/process.h"
#include "tests/engines/engine_test_util.h"

namespace skimmer::engines {
namespace {

std::string be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}
std::string z(const std::string& s) { return s + std::string(1, '\0'); }

// An mlocate file: root /r with a file and a folder, the folder with one file (3 entries).
std::string mlocate() {
    const std::string config = z("prunefs") + z("") ;
    std::string s = std::string("\0mlocate", 8) + be32(static_cast<uint32_t>(config.size())) + std::string(4, '\0') + z("/r") + config;
    s += std::string(16, '\0') + z("/r") + '\0' + z("a.txt") + '\1' + z("sub") + '\2';
    s += std::string(16, '\0') + z("/r/sub") + '\0' + z("b") + '\2';
    return s;
}

struct DbCase {
    const char* name;
    std::string bytes;
    LocateDbFormat format;
    int64_t entries;
};

class LocateDbHeaders : public ::testing::TestWithParam<DbCase> {};

TEST_P(LocateDbHeaders, CountAndSizeFromTheFilesOwnHeader) {
    const DbCase& c = GetParam();
    const LocateDbFacts facts = ReadLocateDbFacts(c.bytes, 12345);
    EXPECT_EQ(facts.format, c.format);
    EXPECT_EQ(facts.entries, c.entries);
    EXPECT_EQ(facts.bytes, 12345) << "the size is the file's length";
}

INSTANTIATE_TEST_SUITE_P(
    Formats, LocateDbHeaders,
    ::testing::Values(
        DbCase{"plocate", std::string("\0plocate", 8) + le32(1) + le32(64) + le32(16) + le32(10) + std::string(40, '\0'),
               LocateDbFormat::Plocate, 320},
        DbCase{"plocate_cut", std::string("\0plocate", 8) + le32(1) + le32(64), LocateDbFormat::Plocate, 0},
        DbCase{"mlocate", mlocate(), LocateDbFormat::Mlocate, 3},
        DbCase{"mlocate_cut_in_second_folder", mlocate().substr(0, mlocate().size() - 3), LocateDbFormat::Mlocate, 2},
        DbCase{"mlocate_bad_type", [] { auto s = mlocate(); s[s.find("a.txt") - 1] = '\7'; return s; }(),
               LocateDbFormat::Mlocate, 0},
        DbCase{"locatedb", "LOCATEDB" + std::string(3, '\0') + le32(15) + std::string(7, 'h') + le32(40) + le32(2),
               LocateDbFormat::LocateDb, 42},
        DbCase{"locatedb_header_past_end", "LOCATEDB" + std::string(3, '\0') + le32(0xFFFFFFF0u), LocateDbFormat::LocateDb, 0},
        DbCase{"foreign", "SQLite format 3", LocateDbFormat::Unknown, 0}, DbCase{"empty", "", LocateDbFormat::Unknown, 0}),
    [](const auto& info) { return std::string(info.param.name); });

class LocateDbFiles : public test::EngineFixture {};

// A database written by the system's own updatedb: its header's count is within one block.
TEST_F(LocateDbFiles, ARealPlocateDatabaseCountsItsEntriesWithinOneBlock) {
    const auto tree = dir / "tree";
    std::filesystem::create_directories(tree / "sub");
    for (int i = 0; i < 70; ++i) writeFile(tree / ("f" + std::to_string(i)), "x");
    writeFile(tree / "sub" / "g", "x");
    const auto db = dir / "p.db";
    std::string error;
    auto p = os::Process::start({.argv = {"updatedb", "-l", "0", "-o", db.string(), "-U", tree.string()}}, error);
    if (!p) GTEST_SKIP() << "updatedb is not installed: " << error;
    ASSERT_TRUE(p->waitUntilEnded().success());
    LocateDbFacts facts;
    ASSERT_TRUE(ReadLocateDbFile(db, facts, error)) << error;
    const int64_t actual = 73;  // the tree, sub, 70 files and g
    EXPECT_EQ(facts.format, LocateDbFormat::Plocate);
    EXPECT_GE(facts.entries, actual);
    EXPECT_LT(facts.entries, actual + 32);
    EXPECT_EQ(facts.bytes, static_cast<int64_t>(std::filesystem::file_size(db)));
}

TEST_F(LocateDbFiles, WhatCannotBeReadSaysWhy) {
    LocateDbFacts facts;
    std::string error;
    EXPECT_FALSE(ReadLocateDbFile(dir / "missing.db", facts, error));
    EXPECT_NE(error.find("missing.db"), std::string::npos);
    error.clear();
    EXPECT_FALSE(ReadLocateDbFile(dir, facts, error)) << "a folder is not a database";
    EXPECT_FALSE(error.empty());
    writeFile(dir / "m.db", mlocate());
    ASSERT_TRUE(ReadLocateDbFile(dir / "m.db", facts, error)) << error;
    EXPECT_EQ(facts.entries, 3) << "the whole file is walked";
}

}  // namespace
}  // namespace skimmer::engines
