// Runs the skimmer-index executable built beside the test binary (or another program), capturing
// its output, and kills it when it outlives a deadline (a hang must fail the test, not stall the suite).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace skimmer::index::store::test {

struct ToolRun {
    int exitCode = -1;
    bool timedOut = false;
    std::string out, err;
};

inline std::string toolPath() {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path() / "skimmer-index").string();
}

// Runs args[0] (looked up on PATH when it holds no slash) with args[1...], draining both pipes until the child closes them or `deadline`
// passes (then kills it), and reaps it.
inline ToolRun runProgram(std::vector<std::string> args,
                          std::chrono::milliseconds deadline = std::chrono::milliseconds(60000)) {
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int out[2], err[2];
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    pid_t pid = -1;
    const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    ToolRun run;
    const auto end = std::chrono::steady_clock::now() + deadline;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    for (int open = spawned == 0 ? 2 : 0; open > 0;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(fds, 2, static_cast<int>(left.count())) == 0) {
            run.timedOut = true;
            ::kill(pid, SIGKILL);
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) sinks[i]->append(buffer, static_cast<size_t>(got));
            else ::close(fds[i].fd), fds[i].fd = -1, --open;
        }
    }
    for (const pollfd& fd : fds)
        if (fd.fd >= 0) ::close(fd.fd);
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    return run;
}

inline ToolRun runTool(std::vector<std::string> args,
                       std::chrono::milliseconds deadline = std::chrono::milliseconds(60000)) {
    args.insert(args.begin(), toolPath());
    return runProgram(std::move(args), deadline);
}

}  // namespace skimmer::index::store::test
