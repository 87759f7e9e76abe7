// watch_bench: how soon a created file is found while `skimmer-index --watch` runs, what the
// watcher costs while nothing changes, and its memory, on a generated tree (bench/gen_tree).
//
//   watch_bench --tree DIR [--work DIR] [--bin DIR] [--creates N] [--bursts B] [--burst-size S]
//               [--idle-seconds T] [--queries Q]
//
// 1. Starts the watcher on DIR (a fresh index in WORK) and waits until it says it is watching.
// 2. Idle: its CPU time (utime + stime from /proc/PID/stat) over T seconds (default 10) while
//    nothing changes; its resident memory (VmRSS, VmHWM from /proc/PID/status).
// 3. Singles: N files (default 1000 minus two per burst) created one at a time in random folders;
//    each one's latency is from its creation until a `skimmer-index --query` process (run back
//    to back) first prints it.
// 4. Bursts: B bursts (default 2) of S files (default 10,000) written as fast as possible into one
//    new folder; the first and the last file of each burst are samples, each from its own
//    creation.
// 5. Query cost as a process (`--query` with --limit 5, median of Q runs, default 30) right after
//    a batch (the names overlay in use), after the sidecar was rebuilt, and, with the watcher
//    stopped, after a --store-only refresh (the plain database path): the anchor.
// Prints median, p90, p99 and maximum of the latencies. Runnable by hand; not part of ctest.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Runs a command, its stdout captured; returns the exit code (-1 when it did not run).
int run(const std::vector<std::string>& args, std::string* out = nullptr) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        if (out) out->append(buffer, static_cast<size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    if (spawned != 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

struct Watcher {
    pid_t pid = -1;
    int err = -1;
    std::string said;
};

Watcher startWatcher(const std::string& tool, const std::string& tree, const std::string& db) {
    Watcher w;
    std::vector<std::string> args = {tool, "--watch", "--root", tree, "--db", db};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int errFds[2];
    if (::pipe2(errFds, O_CLOEXEC) != 0) return w;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errFds[1], 2);
    if (::posix_spawn(&w.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) w.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(errFds[1]);
    w.err = errFds[0];
    while (w.said.find("watching") == std::string::npos) {
        char buffer[4096];
        const ssize_t got = ::read(w.err, buffer, sizeof buffer);
        if (got <= 0) break;
        w.said.append(buffer, static_cast<size_t>(got));
    }
    ::fcntl(w.err, F_SETFL, O_NONBLOCK);  // later messages are read, never waited for
    return w;
}

// utime + stime of a process, in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::atoll(field.c_str());
        if (i == 15) stime = std::atoll(field.c_str());
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

std::string statusLine(pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(key, 0) == 0) return line;
    return std::string(key) + " ?";
}

void touchFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
}

// Runs queries back to back until one prints `name`; the time from `created`, or -1 after 30 s.
double waitVisible(const std::string& tool, const std::string& db, const std::string& word, const std::string& name,
                   Clock::time_point created) {
    while (msSince(created) < 30000) {
        std::string out;
        if (run({tool, "--db", db, "--query", word, "--limit", "50"}, &out) == 0 && out.find(name) != std::string::npos)
            return msSince(created);
    }
    return -1;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5));
    return values[at];
}

double medianQueryMs(const std::string& tool, const std::string& db, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        run({tool, "--db", db, "--query", "report", "--limit", "5"});
        times.push_back(msSince(start));
    }
    return percentile(times, 0.5);
}

}  // namespace

int main(int argc, char** argv) {
    std::string tree, work = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/skimmer-watch-bench";
    std::string bin = fs::path(argv[0]).parent_path().string();
    int creates = 1000, bursts = 2, burstSize = 10000, idleSeconds = 10, queries = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--tree") tree = value;
        else if (option == "--work") work = value;
        else if (option == "--bin") bin = value;
        else if (option == "--creates") creates = std::atoi(value.c_str());
        else if (option == "--bursts") bursts = std::atoi(value.c_str());
        else if (option == "--burst-size") burstSize = std::atoi(value.c_str());
        else if (option == "--idle-seconds") idleSeconds = std::atoi(value.c_str());
        else if (option == "--queries") queries = std::atoi(value.c_str());
        else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    if (tree.empty() || !fs::is_directory(tree)) {
        std::fprintf(stderr, "usage: watch_bench --tree DIR (from bench/gen_tree) [options; see the source]\n");
        return 2;
    }
    const std::string tool = bin + "/skimmer-index";
    fs::create_directories(work);
    ::setenv("XDG_CONFIG_HOME", (work + "/config").c_str(), 1);  // no personal config changes the crawl
    const std::string db = work + "/index.sqlite";
    for (const char* suffix : {"", "-wal", "-shm", ".names", ".lock"}) fs::remove(db + suffix);
    fs::remove_all(tree + "/_watch_bench");
    fs::create_directories(tree + "/_watch_bench");  // bursts go here; removed at the end

    std::vector<std::string> folders;
    for (auto it = fs::recursive_directory_iterator(tree); it != fs::recursive_directory_iterator(); ++it)
        if (it->symlink_status().type() == fs::file_type::directory) folders.push_back(it->path().string());

    const auto started = Clock::now();
    Watcher w = startWatcher(tool, tree, db);
    if (w.pid < 0 || w.said.find("watching") == std::string::npos) {
        std::fprintf(stderr, "the watcher did not start: %s\n", w.said.c_str());
        return 1;
    }
    std::printf("tree: %s (%zu folders)\nstart (first crawl, sidecar, watches): %.1f s; %s", tree.c_str(),
                folders.size(), msSince(started) / 1000, w.said.substr(w.said.rfind("skimmer-index: watching")).c_str());
    std::this_thread::sleep_for(std::chrono::seconds(4));  // the startup's own settling
    const double cpuBefore = cpuSeconds(w.pid);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    const double idleCpu = cpuSeconds(w.pid) - cpuBefore;
    std::printf("idle: %.3f s of CPU over %d s (%.2f %% of one core)\n", idleCpu, idleSeconds,
                100.0 * idleCpu / idleSeconds);
    std::printf("memory after start: %s, %s\n", statusLine(w.pid, "VmRSS").c_str(), statusLine(w.pid, "VmHWM").c_str());

    std::mt19937 rng(7);
    std::vector<double> singles, burstSamples;
    std::vector<std::string> created;  // removed at the end, so the tree stays as generated
    const int singleCount = std::max(0, creates - 2 * bursts);
    double overlayQuery = 0;
    for (int i = 0; i < singleCount; ++i) {
        const std::string& folder = folders[std::uniform_int_distribution<size_t>(0, folders.size() - 1)(rng)];
        const std::string word = "wbq" + std::to_string(i) + "z";
        const std::string name = word + ".txt";
        touchFile(folder + "/" + name);
        created.push_back(folder + "/" + name);
        const double ms = waitVisible(tool, db, word, name, Clock::now());
        singles.push_back(ms < 0 ? 30000 : ms);
        if (i == 0) overlayQuery = medianQueryMs(tool, db, queries);  // right after a batch
    }
    for (int b = 0; b < bursts; ++b) {
        const std::string folder = tree + "/_watch_bench/burst" + std::to_string(b);
        fs::create_directories(folder);
        const std::string first = "wbf" + std::to_string(b) + "first", last = "wbf" + std::to_string(b) + "last";
        touchFile(folder + "/" + first + ".txt");
        const auto firstCreated = Clock::now();
        double firstMs = -1;  // looked for while the rest of the burst is written
        std::thread looker([&] { firstMs = waitVisible(tool, db, first, first + ".txt", firstCreated); });
        for (int k = 1; k + 1 < burstSize; ++k) touchFile(folder + "/wbfill" + std::to_string(b) + "-" + std::to_string(k) + ".txt");
        touchFile(folder + "/" + last + ".txt");
        const auto lastCreated = Clock::now();
        const double burstMs = msSince(firstCreated);
        const double lastMs = waitVisible(tool, db, last, last + ".txt", lastCreated);
        looker.join();
        burstSamples.push_back(firstMs < 0 ? 30000 : firstMs);
        burstSamples.push_back(lastMs < 0 ? 30000 : lastMs);
        std::printf("burst %d: %d files written in %.0f ms; last visible %.0f ms after its creation, first %.0f ms\n", b,
                    burstSize, burstMs, lastMs, firstMs);
    }
    std::vector<double> all = singles;
    all.insert(all.end(), burstSamples.begin(), burstSamples.end());
    std::printf("create -> visible in --query, %zu samples (%zu single, %zu from bursts): median %.0f ms, p90 %.0f, "
                "p99 %.0f, max %.0f\n",
                all.size(), singles.size(), burstSamples.size(), percentile(all, 0.5), percentile(all, 0.9),
                percentile(all, 0.99), percentile(all, 1.0));
    std::printf("memory after the creates: %s, %s\n", statusLine(w.pid, "VmRSS").c_str(),
                statusLine(w.pid, "VmHWM").c_str());
    std::this_thread::sleep_for(std::chrono::seconds(5));  // the sidecar's delayed rebuild
    const double currentQuery = medianQueryMs(tool, db, queries);

    ::kill(w.pid, SIGTERM);
    int status = 0;
    ::waitpid(w.pid, &status, 0);
    touchFile(tree + "/_watch_bench/after-stop.txt");
    run({tool, "--root", tree, "--db", db, "--store-only"});
    const double slowQuery = medianQueryMs(tool, db, queries);
    std::printf("--query --limit 5 (process), median of %d: with the names overlay %.1f ms, sidecar current %.1f ms, "
                "plain database path %.1f ms\n",
                queries, overlayQuery, currentQuery, slowQuery);
    std::printf("watcher exit code after SIGTERM: %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    fs::remove_all(tree + "/_watch_bench");
    for (const std::string& path : created) fs::remove(path);
    return 0;
}
