// watch_bench: how soon a created file is found while `skimmer-index --watch` runs, what the
// watcher costs while nothing changes, and its memory, on a generated tree (bench/gen_tree).
//
//   watch_bench --tree DIR [--work DIR] [--bin DIR] [--creates N] [--bursts B] [--burst-size S]
//               [--interval MS] [--idle-seconds T] [--queries Q]
//
// 1. Starts the watcher on DIR (a fresh index in WORK) and waits until it says it is watching.
// 2. Idle: its CPU time (utime + stime from /proc/PID/stat) over T seconds (default 10) while
//    nothing changes; its resident memory (VmRSS, VmHWM from /proc/PID/status).
// 3. Samples overlap, so 1,000 of them take minutes, not an hour: a single file (N minus two
//    per burst, default N 1000) is created in a random folder every MS milliseconds (default
//    100), and B bursts (default 2) of S files (default 10,000) are written as fast as possible
//    into a new folder each, evenly spread over the singles and beside them (singles go on while
//    a burst is written). The first and the last file of each burst are samples. Every sample's
//    name holds "wbq" (the bursts' other files do not); one looker runs `skimmer-index --query wbq`
//    processes back to back, and a sample's latency is from its creation until the end of the
//    first query that printed it (so it includes one query's run time, as a searcher would).
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
#include <map>
#include <mutex>
#include <set>
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

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
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

double percentile(std::vector<double> values, double p);

// Creation times of the samples, and one looker that finds them: each query prints every sample
// created so far, and the first one that prints a sample ends its wait.
class Sampler {
public:
    Sampler(std::string tool, std::string db, int limit) : tool_(std::move(tool)), db_(std::move(db)), limit_(limit) {}

    void created(const std::string& name, bool burst) {
        std::lock_guard lock(mutex_);
        pending_[name] = {.created = Clock::now(), .burst = burst};
    }
    size_t pending() {
        std::lock_guard lock(mutex_);
        return pending_.size();
    }
    void finish() {
        std::lock_guard lock(mutex_);
        finishing_ = true;
        finishedAt_ = Clock::now();
    }
    // Runs queries until every sample was seen (or 30 s after the last creation).
    void look() {
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (finishing_ && (pending_.empty() || msSince(finishedAt_) > 30000)) break;
            }
            std::string out;
            const auto began = Clock::now();
            const int code = run({tool_, "--db", db_, "--query", "wbq", "--limit", std::to_string(limit_)}, &out);
            const auto ended = Clock::now();
            const double queryMs = std::chrono::duration<double, std::milli>(ended - began).count();
            std::set<std::string> printed;
            for (size_t at = 0; code == 0 && at < out.size();) {
                const size_t newline = std::min(out.find('\n', at), out.size());
                const size_t slash = out.rfind('/', newline);
                if (slash != std::string::npos && slash >= at) printed.insert(out.substr(slash + 1, newline - slash - 1));
                at = newline + 1;
            }
            std::lock_guard lock(mutex_);
            queries_.push_back(queryMs);
            for (auto it = pending_.begin(); it != pending_.end();) {
                if (!printed.count(it->first)) {
                    ++it;
                    continue;
                }
                const double ms = std::chrono::duration<double, std::milli>(ended - it->second.created).count();
                (it->second.burst ? bursts_ : singles_).push_back(ms);
                it = pending_.erase(it);
            }
        }
        std::lock_guard lock(mutex_);
        for (const auto& [name, sample] : pending_) (sample.burst ? bursts_ : singles_).push_back(30000);  // never seen
        pending_.clear();
    }
    std::vector<double> latencies(bool burst) {
        std::lock_guard lock(mutex_);
        return burst ? bursts_ : singles_;
    }
    std::vector<double> queryTimes() {
        std::lock_guard lock(mutex_);
        return queries_;
    }

private:
    struct Pending {
        Clock::time_point created;
        bool burst;
    };
    std::string tool_, db_;
    int limit_;
    std::mutex mutex_;
    std::map<std::string, Pending> pending_;
    std::vector<double> singles_, bursts_, queries_;
    bool finishing_ = false;
    Clock::time_point finishedAt_;
};

// S files as fast as possible into a new folder; the first and the last are samples.
void writeBurst(const std::string& tree, int b, int size, Sampler& sampler) {
    const std::string folder = tree + "/_watch_bench/burst" + std::to_string(b);
    fs::create_directories(folder);
    const std::string first = "wbq-burst" + std::to_string(b) + "-first.txt";
    const std::string last = "wbq-burst" + std::to_string(b) + "-last.txt";
    const auto began = Clock::now();
    touchFile(folder + "/" + first);
    sampler.created(first, true);
    for (int k = 1; k + 1 < size; ++k) touchFile(folder + "/wbfill" + std::to_string(b) + "-" + std::to_string(k) + ".txt");
    touchFile(folder + "/" + last);
    sampler.created(last, true);
    std::printf("burst %d: %d files written in %.0f ms\n", b, size, msSince(began));
}

}  // namespace

int main(int argc, char** argv) {
    std::string tree, work = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/skimmer-watch-bench";
    std::string bin = fs::path(argv[0]).parent_path().string();
    int creates = 1000, bursts = 2, burstSize = 10000, interval = 100, idleSeconds = 10, queries = 30;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i], value = argv[i + 1];
        if (option == "--tree") tree = value;
        else if (option == "--work") work = value;
        else if (option == "--bin") bin = value;
        else if (option == "--creates") creates = std::atoi(value.c_str());
        else if (option == "--bursts") bursts = std::atoi(value.c_str());
        else if (option == "--burst-size") burstSize = std::atoi(value.c_str());
        else if (option == "--interval") interval = std::max(1, std::atoi(value.c_str()));
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

    std::printf("load average at the start: %s\n", loadAverage().c_str());
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
    std::vector<std::string> created;  // removed at the end, so the tree stays as generated
    Sampler sampler(tool, db, creates + 16);
    std::thread looker([&] { sampler.look(); });
    const int singleCount = std::max(0, creates - 2 * bursts);
    const int burstEvery = bursts > 0 ? std::max(1, singleCount / (bursts + 1)) : 0;
    std::vector<std::thread> writers;
    double overlayQuery = 0;
    const auto pace = Clock::now();
    for (int i = 0; i < singleCount; ++i) {
        std::this_thread::sleep_until(pace + std::chrono::milliseconds(static_cast<int64_t>(interval) * i));
        const std::string& folder = folders[std::uniform_int_distribution<size_t>(0, folders.size() - 1)(rng)];
        const std::string name = "wbq" + std::to_string(i) + "z.txt";
        touchFile(folder + "/" + name);
        sampler.created(name, false);
        created.push_back(folder + "/" + name);
        if (i == 0) {  // right after the first batch: the names overlay is in use
            while (sampler.pending() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            overlayQuery = medianQueryMs(tool, db, queries);
        }
        const int b = burstEvery > 0 ? i / burstEvery - 1 : -1;
        if (burstEvery > 0 && i % burstEvery == 0 && b >= 0 && b < bursts)
            writers.emplace_back([&, b] { writeBurst(tree, b, burstSize, sampler); });
    }
    for (std::thread& writer : writers) writer.join();
    sampler.finish();
    looker.join();
    const std::vector<double> singles = sampler.latencies(false), burstSamples = sampler.latencies(true);
    std::vector<double> all = singles;
    all.insert(all.end(), burstSamples.begin(), burstSamples.end());
    std::printf("create -> visible in --query, %zu samples (%zu single, %zu from bursts): median %.0f ms, p90 %.0f, "
                "p99 %.0f, max %.0f\n",
                all.size(), singles.size(), burstSamples.size(), percentile(all, 0.5), percentile(all, 0.9),
                percentile(all, 0.99), percentile(all, 1.0));
    std::string burstText;
    for (double ms : burstSamples) burstText += " " + std::to_string(static_cast<int>(ms));
    std::printf("burst samples (first, last of each), ms:%s\n", burstText.c_str());
    const std::vector<double> lookups = sampler.queryTimes();
    std::printf("the looker's %zu queries (each prints every sample so far): median %.0f ms, p90 %.0f, p99 %.0f, "
                "max %.0f\n",
                lookups.size(), percentile(lookups, 0.5), percentile(lookups, 0.9), percentile(lookups, 0.99),
                percentile(lookups, 1.0));
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
    std::printf("watcher exit code after SIGTERM: %d\nload average at the end: %s\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, loadAverage().c_str());
    fs::remove_all(tree + "/_watch_bench");
    for (const std::string& path : created) fs::remove(path);
    return 0;
}
