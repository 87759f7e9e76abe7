// The real `skimmer-index --watch` end to end: a file created while it runs is found by a
// `--query` within a bounded wait, and SIGTERM ends it cleanly. The only test here that waits on
// real time, and only with a bounded poll for a result.
#include "tests/index/crawl/store_test_util.h"
#include "tests/index/crawl/tool_run.h"
#include "tests/support/maildir_maker.h"
#include "tests/support/temp_home.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <vector>

namespace skimmer::index::store::test {
namespace {

using Clock = std::chrono::steady_clock;

// A running watcher whose stderr is read until a line appears; killed and reaped on destruction.
class WatcherProcess {
public:
    explicit WatcherProcess(std::vector<std::string> args) {
        args.insert(args.begin(), toolPath());
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int err[2];
        EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        EXPECT_EQ(::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(err[1]);
        err_ = err[0];
    }
    ~WatcherProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (err_ >= 0) ::close(err_);
    }

    // Reads stderr until `text` shows up or `deadline` passes.
    bool waitFor(const std::string& text, std::chrono::milliseconds deadline) {
        const auto end = Clock::now() + deadline;
        while (stderr_.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            pollfd fd{.fd = err_, .events = POLLIN, .revents = 0};
            if (left <= 0 || ::poll(&fd, 1, static_cast<int>(left)) <= 0) return false;
            char buffer[4096];
            const ssize_t got = ::read(err_, buffer, sizeof buffer);
            if (got <= 0) return false;
            stderr_.append(buffer, static_cast<size_t>(got));
        }
        return true;
    }

    // Sends `signal` and returns the exit code, or -1 when it did not end within `deadline`.
    int stop(int signal, std::chrono::milliseconds deadline) {
        ::kill(pid_, signal);
        const auto end = Clock::now() + deadline;
        int status = 0;
        while (Clock::now() < end) {
            const pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            pollfd none{.fd = -1, .events = 0, .revents = 0};
            ::poll(&none, 1, 20);  // the child's exit is what is waited for; nothing else to read
        }
        return -1;
    }

    const std::string& err() const { return stderr_; }

private:
    pid_t pid_ = -1;
    int err_ = -1;
    std::string stderr_;
};

TEST(WatchProcess, ACreatedFileIsFoundWhileItRunsAndSigtermEndsIt) {
    skimmer::test::TempHome home;
    const std::string tree = (home.root() / "tree").string();
    const std::string db = (home.cache() / "index.sqlite").string();
    makeDir(tree);
    makeDir(tree + "/docs");
    WatcherProcess watcher({"--watch", "--root", tree, "--db", db});
    ASSERT_TRUE(watcher.waitFor("watching", std::chrono::seconds(60))) << watcher.err();
    writeFile(tree + "/docs/quarterly-zebra-report.txt", "x");
    const auto created = Clock::now();
    bool found = false;
    while (!found && Clock::now() - created < std::chrono::seconds(20)) {
        const ToolRun run = runTool({"--db", db, "--query", "zebra"});
        found = run.exitCode == 0 && run.out.find("quarterly-zebra-report.txt") != std::string::npos;
    }
    EXPECT_TRUE(found) << watcher.err();
    EXPECT_EQ(watcher.stop(SIGTERM, std::chrono::seconds(20)), 0) << watcher.err();
}

// Mail that arrives in a Maildir outside the crawled roots is found by a word of its subject:
// the watcher watches the folder's new/ and cur/ and refreshes the mail items.
TEST(WatchProcess, ArrivingMailIsFoundByItsSubject) {
    skimmer::test::TempHome home;
    const std::string tree = (home.root() / "tree").string();
    const std::string db = (home.cache() / "index.sqlite").string();
    makeDir(tree);
    const auto inbox = skimmer::test::makeMaildir(home.root() / "home" / "Maildir");
    WatcherProcess watcher({"--watch", "--root", tree, "--db", db});
    ASSERT_TRUE(watcher.waitFor("watching", std::chrono::seconds(60))) << watcher.err();
    skimmer::test::writeMessage(inbox, "new", "1700000000.1_1.host",
                                "From: Ann <ann@example.org>\nSubject: walrus quarterly figures\n\nbody\n");
    const auto arrived = Clock::now();
    bool found = false;
    while (!found && Clock::now() - arrived < std::chrono::seconds(20)) {
        const ToolRun run = runTool({"--db", db, "--query", "walrus", "--kind", "email"});
        found = run.exitCode == 0 && run.out.find("mapi://") != std::string::npos;
    }
    EXPECT_TRUE(found) << watcher.err();
    EXPECT_EQ(watcher.stop(SIGTERM, std::chrono::seconds(20)), 0) << watcher.err();
}

// A Maildir folder made while the watcher runs (a Maildir++ subfolder of the root, or an account's
// folder in a new plain folder) is watched at once: mail delivered into it is found by its subject,
// not only by the next full crawl.
struct NewFolderCase {
    const char* name;
    const char* folder;  // below ~/Maildir
};

class WatchProcessNewMaildir : public ::testing::TestWithParam<NewFolderCase> {};

TEST_P(WatchProcessNewMaildir, MailDeliveredIntoItIsFound) {
    skimmer::test::TempHome home;
    const std::string tree = (home.root() / "tree").string();
    const std::string db = (home.cache() / "index.sqlite").string();
    makeDir(tree);
    const auto root = skimmer::test::makeMaildir(home.root() / "home" / "Maildir");
    WatcherProcess watcher({"--watch", "--root", tree, "--db", db});
    ASSERT_TRUE(watcher.waitFor("watching", std::chrono::seconds(60))) << watcher.err();
    const auto found = [&](const char* word) {
        const auto arrived = Clock::now();
        while (Clock::now() - arrived < std::chrono::seconds(20)) {
            const ToolRun run = runTool({"--db", db, "--query", word, "--kind", "email"});
            if (run.exitCode == 0 && run.out.find("mapi://") != std::string::npos) return true;
        }
        return false;
    };
    // The first message comes with the folder (the event of its parent finds both); the second
    // is seen only through the new folder's own watches.
    const auto folder = skimmer::test::makeMaildir(root / GetParam().folder);
    skimmer::test::writeMessage(folder, "new", "1700000000.2_1.host",
                                "From: Bo <bo@example.org>\nSubject: narwhal budget draft\n\nbody\n");
    EXPECT_TRUE(found("narwhal")) << watcher.err();
    skimmer::test::writeMessage(folder, "new", "1700000001.3_1.host",
                                "From: Cy <cy@example.org>\nSubject: orca second delivery\n\nbody\n");
    EXPECT_TRUE(found("orca")) << watcher.err();
    EXPECT_EQ(watcher.stop(SIGTERM, std::chrono::seconds(20)), 0) << watcher.err();
}

INSTANTIATE_TEST_SUITE_P(Folders, WatchProcessNewMaildir,
                         ::testing::Values(NewFolderCase{.name = "MaildirPlusPlus", .folder = ".Work"},
                                           NewFolderCase{.name = "AccountFolder", .folder = "acct/deep/INBOX"}),
                         [](const ::testing::TestParamInfo<NewFolderCase>& info) { return info.param.name; });

}  // namespace
}  // namespace skimmer::index::store::test
