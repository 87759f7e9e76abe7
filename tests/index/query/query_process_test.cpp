// The query path as a short-lived process sees it: the sidecar is opened without reading its
// checksum table, yet a damaged table entry is still met as damage when its block is used; and
// skimmer-index --query, run as its own executable (linked as shipped), still notices a stale
// sidecar and a damaged one. The process cases are skipped when the executable was not built.
#include "index/query/name_index_reader.h"
#include "index/query/safecall_error.h"
#include "tests/index/query/test_index.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>

extern char** environ;

namespace skimmer::index::query::test {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

uint64_t blockOf(uint64_t offset) { return (offset - sizeof(sidecar::Header)) / sidecar::kBlockSize; }

class ChecksumTable : public ::testing::Test {
protected:
    void SetUp() override {
        fillRandom(index_, 1500, 11);
        index_.buildSidecar();
        path_ = nameIndexPathFor(index_.file());
        good_ = readFile(path_);
        std::memcpy(&header_, good_.data(), sizeof header_);
    }

    void flipEntry(uint64_t block) {
        std::string bytes = good_;
        bytes[header_.checksumsOffset + block * 8] ^= 0x10;
        writeFile(path_, bytes);
    }

    TestIndex index_;
    std::filesystem::path path_;
    std::string good_;
    sidecar::Header header_{};
};

TEST_F(ChecksumTable, AFlippedEntryIsMetWhenItsBlockIsRead) {
    NameIndex::Opened intact = NameIndex::open(path_);
    ASSERT_EQ(intact.status, NameIndex::OpenStatus::Ok) << intact.error;
    const uint64_t namesEnd = header_.namesOffset + intact.index->namesBytes() - 1;
    // Opening reads the last name sample: where the names end.
    const uint64_t lastSample = (uint64_t{header_.docCount} + sidecar::kNameSample - 1) / sidecar::kNameSample;
    const uint64_t openReads = blockOf(header_.nameSamplesOffset + lastSample * 4);
    ASSERT_NE(blockOf(namesEnd), openReads) << "the test index is too small to tell the blocks apart";

    flipEntry(blockOf(namesEnd));
    NameIndex::Opened opened = NameIndex::open(path_);
    ASSERT_EQ(opened.status, NameIndex::OpenStatus::Ok) << "opening reads no names: " << opened.error;
    try {
        opened.index->namesFrom(0, opened.index->namesBytes());
        ADD_FAILURE() << "names read through a damaged checksum entry";
    } catch (const SafecallError& error) {
        EXPECT_EQ(error.code(), kIndexDamaged);
    }

    flipEntry(openReads);  // the block that opening itself reads
    EXPECT_EQ(NameIndex::open(path_).status, NameIndex::OpenStatus::Damaged);
}

TEST_F(ChecksumTable, EveryFlippedEntryIsReportedOrHarmlessWhenAllIsRead) {
    const uint64_t blocks = blockOf(header_.checksumsOffset - 1) + 1;
    for (uint64_t block = 0; block < blocks; ++block) {
        flipEntry(block);
        NameIndex::Opened opened = NameIndex::open(path_);
        if (opened.status != NameIndex::OpenStatus::Ok) {
            EXPECT_EQ(opened.status, NameIndex::OpenStatus::Damaged) << "block " << block;
            continue;
        }
        bool damaged = false;
        try {  // everything a search can reach: every document's id, name and facts
            for (uint32_t doc = 0; doc < opened.index->docCount(); ++doc) {
                opened.index->itemId(doc);
                opened.index->name(doc);
                opened.index->facts(doc);
            }
        } catch (const SafecallError& error) {
            EXPECT_EQ(error.code(), kIndexDamaged);
            damaged = true;
        }
        const bool holdsDocuments = block <= blockOf(header_.factsOffset + uint64_t{header_.docCount} - 1);  // a facts byte each
        if (holdsDocuments) {
            EXPECT_TRUE(damaged) << "block " << block << " was read through a damaged entry";
        }
    }
}

struct ProcessRun {
    int exitCode = -1;
    std::string out, err;
};

std::filesystem::path toolPath() {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / "skimmer-index";
}

// Runs the tool with stdout and stderr sent to files beside `db`, and waits for it.
ProcessRun runTool(const std::filesystem::path& db, std::vector<std::string> args) {
    const std::filesystem::path outFile = db.string() + ".out", errFile = db.string() + ".err";
    args.insert(args.begin(), {toolPath().string(), "--db", db.string()});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    ProcessRun run;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argv[0];
        return run;
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    run.out = readFile(outFile);
    run.err = readFile(errFile);
    return run;
}

class QueryProcess : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(toolPath())) GTEST_SKIP() << "skimmer-index was not built";
        index_.begin();
        index_.add(TestItem{0, 1, "alpha.txt", 2, "txt", 1, 300});
        index_.bumpGeneration();
        index_.commit();
        index_.buildSidecar();
    }
    TestIndex index_;
};

TEST_F(QueryProcess, AStaleSidecarIsNoticedEvenWhenItKnowsNoHit) {
    index_.begin();  // a commit the sidecar has not seen: its answer for "zeta" would be "none"
    index_.add(TestItem{0, 1, "zeta.txt", 2, "txt", 1, 400});
    index_.bumpGeneration();
    index_.commit();
    const ProcessRun found = runTool(index_.file(), {"--query", "zeta", "--limit", "5"});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "/home/user/zeta.txt\n");
    const ProcessRun none = runTool(index_.file(), {"--query", "xqz", "--limit", "5"});
    EXPECT_EQ(none.exitCode, 1) << none.err;
    EXPECT_EQ(none.out, "");
}

TEST_F(QueryProcess, ADamagedSidecarIsReportedNotAnswered) {
    const std::filesystem::path names = nameIndexPathFor(index_.file());
    std::string bytes = readFile(names);
    bytes[sizeof(sidecar::Header) + 1] ^= 0x01;  // the first block, which every open reads
    writeFile(names, bytes);
    const ProcessRun run = runTool(index_.file(), {"--query", "alpha", "--limit", "5"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("damaged"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace skimmer::index::query::test
