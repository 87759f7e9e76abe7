// locate_bench: the locate engine's first batch against `plocate -i -l 5` as a whole process, on
// the same database, side by side in one run (alternating, so both see the same machine load).
//
//   locate_bench --folder DIR [--db FILE] --plocate PATH [--runs R] QUERY...
//
// DIR holds the engine's `locate` (bench/engines/locate_on_db, plocate on FILE). For each query:
//   ours    L32Init + L32Query + L32Fetch until the first batch with hits (or Finished); the
//           search is then abandoned (L32EndQuery), as a newer keystroke would
//   anchor  posix_spawn of `plocate [-d FILE] -i -l 5 -- QUERY`, stdout read to its end, reaped
//   first   posix_spawn of `plocate [-d FILE] -i -- QUERY` until its first complete line: what any
//           reader of an unlimited locate run can at best see (plocate without a limit prints its
//           first line later than a limited run takes in all)
// Without --db, `locate` in DIR and plocate both read the system's database (the script binds the
// benchmark's database there in a private mount namespace); with it, DIR/locate is locate_on_db.
// Prints one line per query (medians in ms, ratio ours / anchor) and the median over queries.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "engines/l32_engine.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace skimmer;

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2);
}

double ours(const engines::TEngineEnvironment& env, const std::string& query, int& hits) {
    auto results = results::makeSearchResults();
    const auto start = Clock::now();
    engines::L32Engine engine(env);
    if (engines::L32Init(engine) != 0 || engines::L32Query(engine, query, "") != 0) {
        std::fprintf(stderr, "the engine could not start locate\n");
        std::exit(1);
    }
    do {
        engines::L32Fetch(engine, *results);
    } while (results->Count == 0 && !results->Finished);
    const auto end = Clock::now();
    hits = results->Count;
    engines::L32EndQuery(engine);
    return ms(end - start);
}

// `plocate [-d db] ARGS... -- query` as a process with its stdout on a pipe. Returns the time to
// its first complete line (`firstLine`) or to its end (read to the end and reaped).
double plocateRun(const std::string& plocate, const std::string& db, std::vector<std::string> extra,
                  const std::string& query, bool firstLine) {
    const auto start = Clock::now();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) std::exit(1);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], 1);
    std::vector<std::string> args{plocate};
    if (!db.empty()) args.insert(args.end(), {"-d", db});
    args.insert(args.end(), extra.begin(), extra.end());
    args.insert(args.end(), {"--", query});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, plocate.c_str(), &fa, nullptr, argv.data(), environ) != 0) std::exit(1);
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    char buffer[4096];
    double at = -1;
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
        if (firstLine && std::memchr(buffer, '\n', static_cast<size_t>(n))) {
            at = ms(Clock::now() - start);
            kill(pid, SIGKILL);
            break;
        }
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return at >= 0 ? at : ms(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder, db, plocate;
    int runs = 15;
    std::vector<std::string> queries;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--folder" && i + 1 < argc) folder = argv[++i];
        else if (a == "--db" && i + 1 < argc) db = argv[++i];
        else if (a == "--plocate" && i + 1 < argc) plocate = argv[++i];
        else if (a == "--runs" && i + 1 < argc) runs = std::atoi(argv[++i]);
        else queries.push_back(a);
    }
    if (folder.empty() || plocate.empty() || queries.empty() || runs < 1) {
        std::fprintf(stderr, "usage: locate_bench --folder DIR [--db FILE] --plocate PATH [--runs R] QUERY...\n");
        return 2;
    }
    if (!db.empty()) {
        setenv("SKIMMER_BENCH_LOCATE_DB", db.c_str(), 1);
        setenv("SKIMMER_BENCH_PLOCATE", plocate.c_str(), 1);
    }
    config::TRegistryConfig config;
    config::configAddValue(config, config::setting::kLocate32Path.Name, config::cvkString, false,
                           config::TConfigValue::str(folder));
    engines::TEngineEnvironment env;
    env.Config = &config;
    env.ShowErrorText = [](const std::string& text) { std::fprintf(stderr, "error box: %s\n", text.c_str()); };
    env.GetMsg = [](int n) { return "message " + std::to_string(n); };

    std::printf("%-12s %9s %11s %6s %14s %6s %5s\n", "query", "ours ms", "-l 5 ms", "ratio", "first line ms",
                "ratio", "hits");
    std::vector<double> ourMedians, anchorMedians, ratios, firstMedians, firstRatios;
    for (const auto& q : queries) {
        std::vector<double> a, b, c;
        int hits = 0;
        ours(env, q, hits);  // warm-up of all three
        plocateRun(plocate, db, {"-i", "-l", "5"}, q, false);
        plocateRun(plocate, db, {"-i"}, q, true);
        for (int r = 0; r < runs; ++r) {
            b.push_back(plocateRun(plocate, db, {"-i", "-l", "5"}, q, false));
            a.push_back(ours(env, q, hits));
            c.push_back(plocateRun(plocate, db, {"-i"}, q, true));
        }
        const double ma = median(a), mb = median(b), mc = median(c);
        ourMedians.push_back(ma);
        anchorMedians.push_back(mb);
        firstMedians.push_back(mc);
        ratios.push_back(ma / mb);
        firstRatios.push_back(ma / mc);
        std::printf("%-12s %9.2f %11.2f %6.2f %14.2f %6.2f %5d\n", q.c_str(), ma, mb, ma / mb, mc, ma / mc, hits);
    }
    std::printf("%-12s %9.2f %11.2f %6.2f %14.2f %6.2f\n", "median", median(ourMedians), median(anchorMedians),
                median(ratios), median(firstMedians), median(firstRatios));
    return 0;
}
