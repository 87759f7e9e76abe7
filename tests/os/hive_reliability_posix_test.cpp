// What must survive: kills, power loss, failing disks, concurrent writers and damaged files
// (reliability rows S1 to S5), each asserted as invariants over every injection point.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <algorithm>
#include <fstream>
#include <random>

#include "os/registry.h"
#include "tests/os/hive_test_util.h"
#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;
using test::FsOp;

constexpr int kValues = 10;
const std::string kDataKey = "Software\\Skimmer\\Data";

// One "version" of the settings: every value carries the generation, so a mixed file shows.
RegStatus saveGeneration(Hive& hive, int generation) {
    Hive::Batch batch(hive);
    auto key = hive.createKey(kDataKey);
    for (int i = 0; i < kValues; ++i)
        key->writeString("v" + std::to_string(i), std::to_string(generation) + std::string(200 + i * 37, 'p'));
    key->writeDword("generation", static_cast<uint32_t>(generation));
    return batch.commit();
}

enum : int { kUnparseable = -2, kMixed = -3 };

// The generation a file holds: 0 when it has none, kMixed or kUnparseable when it is neither old nor new.
int generationIn(const std::optional<std::string>& text) {
    const std::optional<HiveKey> root = parsedTree(text);
    if (!root) return kUnparseable;
    const HiveKey* key = findKey(*root, *splitKeyPath(kDataKey));
    if (key == nullptr) return 0;
    const auto gen = key->values.find("GENERATION");
    if (gen == key->values.end() || key->values.size() != kValues + 1) return kMixed;
    const int g = static_cast<unsigned char>(gen->value.data[0]) | static_cast<unsigned char>(gen->value.data[1]) << 8;
    for (int i = 0; i < kValues; ++i) {
        const auto v = key->values.find("V" + std::to_string(i));
        if (v == key->values.end() || v->value.data != std::to_string(g) + std::string(200 + i * 37, 'p')) return kMixed;
    }
    return g;
}

std::optional<std::string> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// How many file-system calls one save of a new generation makes, first use of a Hive included.
uint64_t callsOfOneSave() {
    MemoryHiveRig rig;
    EXPECT_TRUE(saveGeneration(*rig.open(), 1));
    rig.faults.resetCounts();
    EXPECT_TRUE(saveGeneration(*rig.open(), 2));
    if (std::getenv("SKIMMER_TRACE")) for (FsOp op : rig.faults.trace()) fprintf(stderr, "%s ", fsOpName(op));
    return rig.faults.calls();
}

// ---- S1: a process killed during a save --------------------------------------------------------

// Simulated: the process stops after call N, for every N of one save.
TEST(S1ProcessKilled, StoppingAfterAnyCallLeavesOldOrNew) {
    const uint64_t total = callsOfOneSave();
    ASSERT_GT(total, 8u);
    for (uint64_t n = 0; n <= total; ++n) {
        MemoryHiveRig rig;
        ASSERT_TRUE(saveGeneration(*rig.open(), 1));
        rig.faults.dieAfter(n);
        {
            auto dying = rig.open();
            saveGeneration(*dying, 2);
        }
        rig.memory.crash();
        rig.faults.clearFaults();
        const int found = generationIn(rig.memory.contents(kMemFile));
        EXPECT_TRUE(found == 1 || found == 2) << "stopped after call " << n << ": " << found;
        auto next = rig.open();
        ASSERT_TRUE(saveGeneration(*next, 3)) << n;
        EXPECT_EQ(generationIn(rig.memory.contents(kMemFile)), 3) << n;
        EXPECT_TRUE(rig.temps().empty()) << n;  // a dead writer's temp file is cleared by the next save
        EXPECT_EQ(rig.memory.openDescriptors(), 1u) << n;  // only the hive's held file
    }
}

// Real: a child saves in a loop and is killed with SIGKILL at random moments.
TEST(S1ProcessKilled, SigkillAtRandomMomentsLeavesOldOrNew) {
    test::TempHome home;
    std::mt19937 rng(4242);
    int acknowledged = 0;
    for (int round = 0; round < 40; ++round) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            Hive hive(Hive::defaultPath());
            for (int gen = acknowledged + 1; gen < acknowledged + 100000; ++gen) {
                if (!saveGeneration(hive, gen)) _exit(3);
                if (write(pipeFds[1], "x", 1) != 1) _exit(4);
            }
            _exit(0);
        }
        close(pipeFds[1]);
        char ack[4];
        const size_t wanted = rng() % 3;
        size_t got = 0;
        while (got < wanted && read(pipeFds[0], ack, 1) == 1) ++got;
        volatile uint32_t spin = rng() % 3'000'000;  // a random moment, without sleeping
        while (spin > 0) spin = spin - 1;
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "child ended by itself: " << WEXITSTATUS(status);
        while (read(pipeFds[0], ack, 1) == 1) ++got;  // saves that finished before the kill
        close(pipeFds[0]);
        acknowledged += static_cast<int>(got);
        const int found = generationIn(readFile(Hive::defaultPath()));
        ASSERT_GE(found, acknowledged) << "round " << round;  // never older than an acknowledged save
        ASSERT_LE(found, acknowledged + 1) << "round " << round;
        acknowledged = found;
    }
    Hive after(Hive::defaultPath());
    ASSERT_TRUE(saveGeneration(after, acknowledged + 1));
    EXPECT_EQ(generationIn(readFile(Hive::defaultPath())), acknowledged + 1);
    for (const auto& entry : fs::directory_iterator(Hive::defaultPath().parent_path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
}

// ---- Saving through a symbolic link ------------------------------------------------------------

// Settings kept in a dotfiles repository and linked into place: a save replaces the link's final
// target atomically in the target's own folder and leaves the link a link; when that cannot be
// done the save fails, says why, and changes neither the link nor its target.
struct LinkCase {
    const char* name;
    // Builds the links under `root`; returns the final target, which holds generation 1 if `seed`.
    std::function<fs::path(const fs::path& root, const fs::path& link)> build;
    bool seed;
    const char* errorNames;                   // nullptr: the save works
    std::optional<std::pair<FsOp, int>> fault;  // a call of this kind fails for good
};

struct LinkRun {
    fs::path link, target, linkTo;
    test::FaultFileSystem faults{realFileSystem()};
};

void prepareLinkRun(const LinkCase& c, const fs::path& root, LinkRun& run) {
    run.link = root / "config" / "skimmer" / "registry.reg";
    fs::create_directories(run.link.parent_path());
    fs::create_directories(root / "dotfiles");
    run.target = c.build(root, run.link);
    run.linkTo = fs::read_symlink(run.link);
    if (c.seed) {
        Hive direct(run.target);
        ASSERT_TRUE(saveGeneration(direct, 1));
    }
}

void expectLinkKept(const LinkRun& run, const std::string& when) {
    EXPECT_TRUE(fs::is_symlink(run.link)) << when;
    EXPECT_EQ(fs::read_symlink(run.link), run.linkTo) << when;
    for (const fs::path& folder : {run.link.parent_path(), run.target.parent_path()}) {
        std::error_code ec;
        if (!fs::is_directory(folder, ec)) continue;
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << when << entry.path();
    }
}

class HiveThroughALink : public ::testing::TestWithParam<LinkCase> {};

TEST_P(HiveThroughALink, TargetReplacedAtomicallyOrNothingChanges) {
    const LinkCase& c = GetParam();
    test::TempHome home;
    const int before = c.seed ? 1 : 0;
    if (c.errorNames != nullptr) {
        LinkRun run;
        prepareLinkRun(c, home.root(), run);
        if (c.fault) run.faults.failCall(1, c.fault->second, true, c.fault->first);
        Hive hive(run.link, &run.faults);
        const RegStatus status = saveGeneration(hive, 2);
        EXPECT_FALSE(status);
        EXPECT_NE(status.error.find(c.errorNames), std::string::npos) << status.error;
        std::error_code ec;
        if (fs::is_regular_file(run.target, ec)) {
            EXPECT_EQ(generationIn(readFile(run.target)), before);
        }
        expectLinkKept(run, "refused: ");
        return;
    }
    // How many calls one save through the link makes, then: the process stops after call n of the
    // save, for every n; the target is old or new, the link is kept, and the next save works.
    uint64_t total = 0;
    {
        LinkRun run;
        prepareLinkRun(c, home.root() / "calibration", run);
        Hive hive(run.link, &run.faults);
        const RegStatus status = saveGeneration(hive, 2);
        ASSERT_TRUE(status) << status.error;
        total = run.faults.calls();
        ASSERT_GT(total, 8u);
        EXPECT_EQ(generationIn(readFile(run.target)), 2);
        expectLinkKept(run, "uninterrupted: ");
    }
    for (uint64_t n = 0; n <= total; ++n) {
        LinkRun run;
        prepareLinkRun(c, home.root() / ("run" + std::to_string(n)), run);
        const std::string when = "stopped after call " + std::to_string(n) + ": ";
        run.faults.dieAfter(n);
        {
            Hive dying(run.link, &run.faults);
            saveGeneration(dying, 2);
        }
        run.faults.clearFaults();
        const int found = generationIn(readFile(run.target));
        EXPECT_TRUE(found == before || found == 2) << when << found;
        Hive next(run.link, &run.faults);
        ASSERT_TRUE(saveGeneration(next, 3)) << when;
        EXPECT_EQ(generationIn(readFile(run.target)), 3) << when;
        expectLinkKept(run, when);
    }
}

fs::path relativeLink(const fs::path& root, const fs::path& link) {
    fs::create_symlink("../../dotfiles/registry.reg", link);
    return root / "dotfiles" / "registry.reg";
}

INSTANTIATE_TEST_SUITE_P(
    Links, HiveThroughALink,
    ::testing::Values(
        LinkCase{"RelativeLinkIntoAnotherFolder", relativeLink, true, nullptr, std::nullopt},
        LinkCase{"AbsoluteChainOfTwoLinks",
                 [](const fs::path& root, const fs::path& link) {
                     fs::create_symlink(root / "dotfiles" / "settings", link);
                     fs::create_directories(root / "dotfiles" / "real");
                     fs::create_symlink("real/registry.reg", root / "dotfiles" / "settings");
                     return root / "dotfiles" / "real" / "registry.reg";
                 },
                 true, nullptr, std::nullopt},
        LinkCase{"DanglingLinkGetsItsTargetCreated", relativeLink, false, nullptr, std::nullopt},
        LinkCase{"TargetFolderCannotBeWritten", relativeLink, true, "permission denied",
                 std::pair{FsOp::MakeTemp, EACCES}},
        LinkCase{"TargetFolderMissing",
                 [](const fs::path& root, const fs::path& link) {
                     fs::create_symlink("../../nowhere/registry.reg", link);
                     return root / "nowhere" / "registry.reg";
                 },
                 false, "whose folder does not exist", std::nullopt},
        LinkCase{"LinkLoop",
                 [](const fs::path& root, const fs::path& link) {
                     fs::create_symlink(root / "dotfiles" / "b", link);
                     fs::create_symlink(link, root / "dotfiles" / "b");
                     return root / "dotfiles" / "b";
                 },
                 false, "following its link", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// A damaged file behind the link is moved aside beside the target, not in the link's folder, and
// the save that follows writes the target and keeps the link.
TEST(HiveThroughALinkDamaged, TheTargetIsMovedAsideInItsOwnFolder) {
    test::TempHome home;
    LinkRun run;
    prepareLinkRun(LinkCase{"", relativeLink, false, nullptr, std::nullopt}, home.root(), run);
    std::ofstream(run.target, std::ios::binary) << "Skimmer Registry Hive 1\n\ngarbage\n";
    std::vector<std::string> reports;
    Hive hive(run.link, &run.faults, [&](const std::string& r) { reports.push_back(r); });
    const RegStatus status = saveGeneration(hive, 2);
    ASSERT_TRUE(status) << status.error;
    EXPECT_EQ(generationIn(readFile(run.target)), 2);
    expectLinkKept(run, "");
    const auto movedAside = [](const fs::path& folder) {
        int n = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            n += entry.path().filename().string().find(".bad-") != std::string::npos;
        return n;
    };
    EXPECT_EQ(movedAside(run.target.parent_path()), 1);
    EXPECT_EQ(movedAside(run.link.parent_path()), 0);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("dotfiles/registry.reg.bad-"), std::string::npos) << reports[0];
}

// ---- S2: power loss ---------------------------------------------------------------------------

// Power fails after call N; whatever was not synced is gone. A save that reported success must
// survive; any other point leaves the old or the new version. Dropping either fsync (the temp
// file's or the folder's) from HiveStore::commit makes this test fail.
TEST(S2PowerLoss, AfterAnyCallTheFileIsOldOrNewAndASuccessIsDurable) {
    const uint64_t total = callsOfOneSave();
    for (uint64_t n = 0; n <= total + 1; ++n) {
        MemoryHiveRig rig;
        ASSERT_TRUE(saveGeneration(*rig.open(), 1));
        rig.faults.dieAfter(n);
        bool reportedSuccess = false;
        {
            auto hive = rig.open();
            reportedSuccess = static_cast<bool>(saveGeneration(*hive, 2));
        }
        rig.memory.powerLoss();
        rig.faults.clearFaults();
        const int found = generationIn(rig.memory.contents(kMemFile));
        EXPECT_TRUE(found == 1 || found == 2) << "power lost after call " << n << ": " << found;
        if (reportedSuccess) {
            EXPECT_EQ(found, 2) << "a save reported done was lost, call " << n;
        }
        auto next = rig.open();
        ASSERT_TRUE(saveGeneration(*next, 3)) << n;
        rig.memory.powerLoss();
        EXPECT_EQ(generationIn(rig.memory.contents(kMemFile)), 3) << n;
    }
}

// ---- S3: disk full, I/O error, file too large ------------------------------------------------

struct DiskFault {
    int err;
    bool forGood;
    const char* words;  // what the error text must say
};

class S3DiskFault : public ::testing::TestWithParam<DiskFault> {};

TEST_P(S3DiskFault, ErrorReportedOriginalIntactTempGoneLaterSaveWorks) {
    const DiskFault fault = GetParam();
    const uint64_t total = callsOfOneSave();
    for (uint64_t n = 1; n <= total; ++n) {
        MemoryHiveRig rig;
        ASSERT_TRUE(saveGeneration(*rig.open(), 1));
        const std::string original = *rig.memory.contents(kMemFile);
        rig.faults.resetCounts();
        rig.faults.failCall(n, fault.err, fault.forGood);
        auto hive = rig.open();
        const RegStatus status = saveGeneration(*hive, 2);
        if (!rig.faults.faultHit()) continue;  // call n lies beyond this save
        const std::vector<FsOp>& trace = rig.faults.trace();
        const FsOp failed = trace.at(n - 1);
        const bool renamed = std::find(trace.begin(), trace.begin() + static_cast<long>(n - 1), FsOp::Rename) !=
                             trace.begin() + static_cast<long>(n - 1);
        rig.faults.clearFaults();
        const std::string now = *rig.memory.contents(kMemFile);
        if (status || renamed) {
            // Past the rename the new file is in place; only its durability can still fail (reported).
            EXPECT_EQ(generationIn(now), 2) << "call " << n << " (" << fsOpName(failed) << ")";
        } else {
            EXPECT_NE(status.error.find(fault.words), std::string::npos) << status.error;
            EXPECT_TRUE(now == original) << "call " << n << " (" << fsOpName(failed) << ")";
        }
        if (!status && failed == FsOp::SyncDirectory) {
            EXPECT_NE(status.error.find("power loss"), std::string::npos) << status.error;
        }
        if (!fault.forGood) {
            EXPECT_TRUE(rig.temps().empty()) << "call " << n << " (" << fsOpName(failed) << ")";
        }
        // The same hive still holds the change and writes it with the next save.
        ASSERT_TRUE(hive->flush()) << n;
        EXPECT_EQ(generationIn(rig.memory.contents(kMemFile)), 2) << n;
        EXPECT_TRUE(rig.temps().empty()) << n;
        EXPECT_TRUE(rig.bad().empty()) << n;  // an I/O error is never taken for damage
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, S3DiskFault,
                         ::testing::Values(DiskFault{ENOSPC, false, "disk full"}, DiskFault{ENOSPC, true, "disk full"},
                                           DiskFault{EIO, false, "I/O error"}, DiskFault{EIO, true, "I/O error"},
                                           DiskFault{EFBIG, false, "file too large"},
                                           DiskFault{EFBIG, true, "file too large"}),
                         [](const auto& info) {
                             return std::string(info.param.err == ENOSPC ? "Enospc" : info.param.err == EIO ? "Eio" : "Efbig") +
                                    (info.param.forGood ? "ForGood" : "Once");
                         });

// A real kernel limit: the child may not write files beyond a size the new hive exceeds.
TEST(S3DiskFault, FileSizeLimitOfTheProcess) {
    test::TempHome home;
    {
        Hive hive(Hive::defaultPath());
        ASSERT_TRUE(saveGeneration(hive, 1));
    }
    const std::string original = *readFile(Hive::defaultPath());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);  // write() then fails with EFBIG instead of killing us
        const rlimit limit{original.size() + 512, original.size() + 512};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(10);
        Hive hive(Hive::defaultPath());
        Hive::Batch batch(hive);
        hive.createKey("Big")->writeBinary("blob", std::string(64 * 1024, 'b'));
        const RegStatus status = batch.commit();
        _exit(status ? 11 : status.error.find("file too large") == std::string::npos ? 12 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(readFile(Hive::defaultPath()) == original);
    for (const auto& entry : fs::directory_iterator(Hive::defaultPath().parent_path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
    Hive later(Hive::defaultPath());
    ASSERT_TRUE(saveGeneration(later, 2));
    EXPECT_EQ(generationIn(readFile(Hive::defaultPath())), 2);
}

// ---- S4: several processes writing at once -----------------------------------------------------

TEST(S4ConcurrentWriters, FourProcessesTimes250KeysLoseNothing) {
    test::TempHome home;
    constexpr int kProcesses = 4;
    constexpr int kKeys = 250;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Hive hive(Hive::defaultPath());
            int failures = 0;
            for (int k = 0; k < kKeys; ++k) {
                auto key = hive.createKey("S4\\P" + std::to_string(p));
                if (!key || !key->writeDword("k" + std::to_string(k), static_cast<uint32_t>(p * 1000 + k))) ++failures;
            }
            _exit(std::min(failures, 100));
        }
        children.push_back(child);
    }
    // Meanwhile the file must parse every time we look at it.
    int unparseable = 0, looks = 0;
    for (size_t running = children.size(); running > 0;) {
        const std::optional<std::string> text = readFile(Hive::defaultPath());
        if (text && !parsedTree(text)) ++unparseable;
        ++looks;
        int status = 0;
        const pid_t done = waitpid(-1, &status, WNOHANG);
        if (done > 0) {
            --running;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer failed " << WEXITSTATUS(status) << " times";
        }
    }
    EXPECT_EQ(unparseable, 0) << "of " << looks << " looks";
    Hive check(Hive::defaultPath());
    for (int p = 0; p < kProcesses; ++p) {
        auto key = check.openKey("S4\\P" + std::to_string(p));
        ASSERT_TRUE(key);
        EXPECT_EQ(key->valueNames().size(), static_cast<size_t>(kKeys));
        for (int k = 0; k < kKeys; ++k) EXPECT_EQ(key->readDword("k" + std::to_string(k)), static_cast<uint32_t>(p * 1000 + k));
    }
}

// ---- S5: corrupt, truncated or hostile files ---------------------------------------------------

// Reads see defaults, the file is moved aside unchanged and reported once, and writing works.
void expectQuarantined(MemoryHiveRig& rig, const std::string& damaged, const std::string& what) {
    auto hive = rig.open();
    EXPECT_FALSE(hive->openKey("Software")) << what;
    EXPECT_FALSE(hive->openKey("Software")) << what;  // a second look does not report again
    ASSERT_EQ(rig.reports.size(), 1u) << what;
    ASSERT_EQ(rig.bad().size(), 1u) << what;
    EXPECT_NE(rig.reports[0].find(rig.bad()[0]), std::string::npos) << rig.reports[0];
    EXPECT_EQ(rig.memory.contents(kMemFolder + "/" + rig.bad()[0]), damaged) << what;
    EXPECT_FALSE(rig.memory.contents(kMemFile)) << what;
    ASSERT_TRUE(hive->createKey("After")->writeString("s", "ok")) << what;
    EXPECT_EQ(rig.open()->openKey("After")->readString("s"), "ok") << what;
    EXPECT_EQ(rig.reports.size(), 1u) << what;
}

TEST(S5DamagedFile, TruncatedAtEveryByte) {
    std::string valid;
    {
        MemoryHiveRig rig;
        auto hive = rig.open();
        ASSERT_TRUE(saveGeneration(*hive, 7));
        ASSERT_TRUE(hive->createKey("Software\\x]\"\n")->writeBinary("b\\", std::string("\0\xff", 2)));
        valid = *rig.memory.contents(kMemFile);
    }
    for (size_t length = 0; length < valid.size(); ++length) {
        MemoryHiveRig rig;
        rig.memory.setContents(kMemFile, valid.substr(0, length));
        expectQuarantined(rig, valid.substr(0, length), "truncated to " + std::to_string(length));
    }
    MemoryHiveRig whole;
    whole.memory.setContents(kMemFile, valid);
    EXPECT_EQ(generationIn(whole.memory.contents(kMemFile)), 7);
    EXPECT_TRUE(whole.open()->openKey("Software\\x]\"\n"));
    EXPECT_TRUE(whole.reports.empty());
}

TEST(S5DamagedFile, HostileContents) {
    const std::string head = "Skimmer Registry Hive 1\n[HKEY_CURRENT_USER\\Software]\n";
    const std::string tail = "\n; End of Skimmer Registry Hive\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"NUL bytes", head + std::string("\"a\"=\"\0\0\"", 8) + tail},
        {"invalid UTF-8", head + "\"a\"=\"\xc3\x28\"" + tail},
        {"duplicate keys", head + "[HKEY_CURRENT_USER\\Software]" + tail},
        {"duplicate values", head + "\"a\"=dword:00000001\n\"A\"=dword:00000002" + tail},
        {"wrong type", head + "\"a\"=hex(7):00,00" + tail},
        {"huge line", head + "\"a\"=\"" + std::string(3 << 20, 'x') + "\"" + tail},
        {"huge line without end", head + std::string(5 << 20, 'y')},
        {"binary garbage", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10)},
    };
    for (const auto& [what, content] : cases) {
        MemoryHiveRig rig;
        rig.memory.setContents(kMemFile, content);
        expectQuarantined(rig, content, what);
    }
}

// Beyond the size limit the file is not even read.
TEST(S5DamagedFile, OversizedFileOnDisk) {
    test::TempHome home;
    const fs::path file = Hive::defaultPath();
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "Skimmer Registry Hive 1\n";
    fs::resize_file(file, kMaxHiveFileBytes + 1);  // sparse: costs no disk
    std::vector<std::string> reports;
    Hive hive(file, nullptr, [&](const std::string& r) { reports.push_back(r); });
    EXPECT_FALSE(hive.openKey("Software"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("larger than"), std::string::npos) << reports[0];
    EXPECT_FALSE(fs::exists(file));
    ASSERT_TRUE(hive.createKey("Software")->writeDword("x", 1));
    EXPECT_EQ(Hive(file).openKey("Software")->readDword("x"), 1u);
}

// Something that is not a file at all: reading it must not block, and it is moved aside.
TEST(S5DamagedFile, AFifoInPlaceOfTheFile) {
    test::TempHome home;
    const fs::path file = Hive::defaultPath();
    fs::create_directories(file.parent_path());
    ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
    std::vector<std::string> reports;
    Hive hive(file, nullptr, [&](const std::string& r) { reports.push_back(r); });
    EXPECT_FALSE(hive.openKey("Software"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("not a regular file"), std::string::npos) << reports[0];
    ASSERT_TRUE(hive.createKey("Software")->writeDword("x", 1));
    EXPECT_TRUE(fs::is_regular_file(file));
}

// The real kernel's "disk full" surfaces from the write path unchanged.
TEST(S3DiskFault, DevFullReportsDiskFull) {
    FileSystem& real = realFileSystem();
    int fd = -1;
    if (real.open("/dev/full", O_WRONLY, 0, fd) != 0) GTEST_SKIP() << "no /dev/full";
    const FileHandle full(real, fd);
    EXPECT_EQ(writeAll(real, fd, std::string(1 << 16, 'x')), ENOSPC);
}

// A damaged file found only at save time is moved aside too, never overwritten.
TEST(S5DamagedFile, DamageFoundWhileSaving) {
    MemoryHiveRig rig;
    auto hive = rig.open();
    EXPECT_FALSE(hive->openKey("A"));  // reads the (missing) file now
    const std::string garbage = "Skimmer Registry Hive 1\n[HKEY_CURRENT_USER\\A\n";
    rig.memory.setContents(kMemFile, garbage);
    ASSERT_TRUE(hive->createKey("B")->writeDword("x", 1));
    ASSERT_EQ(rig.bad().size(), 1u);
    EXPECT_EQ(rig.memory.contents(kMemFolder + "/" + rig.bad()[0]), garbage);
    EXPECT_EQ(rig.reports.size(), 1u);
    EXPECT_EQ(rig.open()->openKey("B")->readDword("x"), 1u);
}

}  // namespace
}  // namespace skimmer::os
