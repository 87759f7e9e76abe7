// window_bench: the search window's figures, measured as a user meets them.
//
//   window_bench [--entries N] [--tree DIR] [--work DIR] [--reps R] [--skimmer BIN]
//                [--index FILE] [--plocate-db FILE] [--word WORD]
//
// A generated tree (gen_tree, reused when --tree already holds one) is indexed by skimmer-index
// and by plocate's updatedb; or, with --index and --plocate-db, indexes made beforehand from it
// are used as they are (the window's index is a link to --index: at ten million entries indexing
// takes minutes, and an index made with `default-excludes = no` holds every entry). --word gives
// the query word instead of picking one from the tree. Then, side by side in one run:
// - keystroke to first hit: `skimmer` on a pseudo-terminal, read back through libvterm; for 1, 2,
//   3, 5 and 10 characters typed at 100 ms and at 10 ms intervals, the time from writing the last
//   key's byte to the first screen on which a hit row only the final text's result can have drawn
//   is shown (a row of its own first screen that no shorter text's first screen has); median and
//   p99, and how many runs drew an older text's line after the newer text's.
//   Anchor: `plocate -i -b -l 5` on the same tree as a whole process (spawn to exit).
// - stale work: 10 keys 10 ms apart; the time from the last key to the last text's hit on screen.
// - idle: CPU time the process uses over 10 s with the window open and nothing typed.
// - memory: peak resident set (VmHWM) after a 1-character query with "SKSAllResults" on.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/pty_harness.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using skimmer::test::PtyOptions;
using skimmer::test::PtyProgram;

struct Config {
    long entries = 1000000;
    fs::path tree;
    fs::path work = fs::temp_directory_path() / "skimmer-window-bench";
    int reps = 20;
    // The `skimmer` to measure: this build's by default, or another build's (an older commit's, to
    // compare two versions side by side on one tree and one anchor).
    std::string skimmer = SKIMMER_BIN;
    fs::path index;      // an index made beforehand (with its name sidecar beside it)
    fs::path plocateDb;  // a plocate database made beforehand
    std::string word;
};

int run(const std::vector<std::string>& argv, const std::vector<std::string>& env = {}, bool quiet = false) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e) envText.emplace_back(*e);
    envText.insert(envText.end(), env.begin(), env.end());
    std::vector<char*> envp;
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

struct Env {
    fs::path home, config, cache, data, tmp;
    std::string skimmer;
    std::vector<std::string> vars() const {
        return {"HOME=" + home.string(), "XDG_CONFIG_HOME=" + config.string(), "XDG_CACHE_HOME=" + cache.string(),
                "XDG_DATA_HOME=" + data.string(), "TMPDIR=" + tmp.string()};
    }
};

PtyOptions windowOptions(const Env& env) {
    PtyOptions o;
    o.argv = {env.skimmer};
    o.cols = 120;
    o.rows = 40;
    o.cwd = env.home.string();
    o.env = {{"TERM", "xterm-256color"},      {"HOME", env.home.string()},  {"XDG_CONFIG_HOME", env.config.string()},
             {"XDG_CACHE_HOME", env.cache.string()}, {"XDG_DATA_HOME", env.data.string()}, {"TMPDIR", env.tmp.string()}};
    return o;
}

// A word of the tree's file names, lower case letters only, 10 long when one exists, chosen so that
// its 10 letters find fewer names than its first 9: otherwise the full word's result would be the
// same as a shorter text's, and no screen could tell which text it belongs to.
std::string pickWord(const fs::path& tree) {
    std::vector<std::string> names;
    std::vector<std::string> candidates;
    for (auto it = fs::recursive_directory_iterator(tree); it != fs::recursive_directory_iterator(); ++it) {
        // A file: the index engine's groups leave folders out, so a folder's name finds nothing.
        // Links are left out: the tree has a few that loop.
        if (it->symlink_status().type() != fs::file_type::regular) continue;
        std::string name = it->path().filename().string();
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        size_t letters = 0;
        while (letters < name.size() && name[letters] >= 'a' && name[letters] <= 'z') ++letters;
        if (letters >= 10 && candidates.size() < 20) candidates.push_back(name.substr(0, 10));
        names.push_back(std::move(name));
    }
    std::string best;
    size_t bestShorter = 0;
    for (const auto& word : candidates) {
        size_t full = 0, shorter = 0;
        for (const auto& name : names) {
            if (name.find(word) != std::string::npos) ++full;
            else if (name.find(std::string_view(word).substr(0, 9)) != std::string::npos) ++shorter;
        }
        if (full > 0 && shorter > bestShorter) {
            best = word;
            bestShorter = shorter;
        }
    }
    if (best.empty() && !candidates.empty()) best = candidates.front();
    return best;
}

void quit(PtyProgram& p) {
    p.send("\x1B");
    p.waitFor([&] { return p.screen().contains("10Quit") && !p.screen().contains("Hits:"); }, 2000);
    p.send("\x1B[21~");
    p.waitExit(5000);
}

// The hit rows on screen, lower-cased: hit lines are indented by three blanks inside the window's
// frame (headers are rules, the edit line starts at the frame). The panel's frame is on the same
// rows, so every border is tried, not only the first.
std::vector<std::string> hitRows(PtyProgram& p) {
    std::vector<std::string> rows;
    const std::string screen = p.screen().screenText();
    size_t start = 0;
    while (start < screen.size()) {
        size_t end = screen.find('\n', start);
        if (end == std::string::npos) end = screen.size();
        const std::string row = screen.substr(start, end - start);
        for (size_t hit = row.find("\u2551   "); hit != std::string::npos; hit = row.find("\u2551   ", hit + 1)) {
            std::string rest = row.substr(hit + 6);
            if (rest.empty() || rest[0] == ' ') continue;
            rest = rest.substr(0, rest.find("\u2551"));
            while (!rest.empty() && rest.back() == ' ') rest.pop_back();
            for (char& c : rest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            rows.push_back(rest);
        }
        start = end + 1;
    }
    return rows;
}

// The counter as drawn ("Hits: N", with " *" when the list may be cut); empty when none is shown.
std::string counterOf(PtyProgram& p) {
    const std::string screen = p.screen().screenText();
    const size_t at = screen.find("Hits: ");
    if (at == std::string::npos) return {};
    size_t end = at + 6;
    while (end < screen.size() && std::isdigit(static_cast<unsigned char>(screen[end]))) ++end;
    if (screen.compare(end, 2, " *") == 0) end += 2;
    return screen.substr(at, end - at);
}

// What a text's own result draws: the hit rows on screen and the counter once its search, typed in
// one write, has settled. The top of the list is the same every time for one text on one index.
struct Settled {
    std::vector<std::string> rows;
    std::string counter;
};

Settled settle(const Env& env, const std::string& text) {
    PtyProgram p(windowOptions(env));
    if (!p.waitForText("Skimmer", 10000)) return {};
    p.send(text);
    p.waitFor([&] { return false; }, 3000);
    Settled s{hitRows(p), counterOf(p)};
    quit(p);
    return s;
}

// How the clock knows the final text's result is on screen, never a leftover of an older text:
// - `own`: rows of the final text's first screen that hold the text and that no first screen of a
//   shorter text has; the first of them drawn stops the clock (first hit on screen).
// - when there are none (the final text's hits all head a shorter text's list too), the whole
//   settled screen of the final text with its own counter, which no shorter text settles on; this
//   is the complete result on screen, so it errs on the slow side.
struct Target {
    std::string text;
    std::set<std::string> own;
    Settled settled;
    bool wholeResult = false;  // measured by the settled screen and counter
    bool measurable() const { return !own.empty() || wholeResult; }
};

Target targetFor(const Env& env, const std::string& text) {
    Target t{text, {}, settle(env, text), false};
    std::set<std::string> older;
    std::set<std::string> olderCounters;
    for (size_t n = 1; n < text.size(); ++n) {
        const Settled s = settle(env, text.substr(0, n));
        older.insert(s.rows.begin(), s.rows.end());
        olderCounters.insert(s.counter);
    }
    for (const auto& row : t.settled.rows)
        if (row.find(text) != std::string::npos && !older.count(row)) t.own.insert(row);
    t.wholeResult = t.own.empty() && !t.settled.rows.empty() && !t.settled.counter.empty() &&
                    !olderCounters.count(t.settled.counter);
    return t;
}

bool finalShown(PtyProgram& p, const Target& target) {
    const auto rows = hitRows(p);
    if (!target.own.empty()) {
        for (const auto& row : rows)
            if (target.own.count(row)) return true;
        return false;
    }
    return rows == target.settled.rows && counterOf(p) == target.settled.counter;
}

struct Timing {
    double ms = -1;       // last key to the first row only the final text can have drawn; -1: never
    bool stale = false;   // a row not holding the final text was drawn after one of its own rows
};

// Types the text key by key and times the last key to the first frame holding one of the final
// text's own rows; then watches `settleMs` more for any row that does not hold the final text
// (an older text's line drawn after the newer text's).
Timing typeAndWait(PtyProgram& p, const Target& target, int intervalMs, int settleMs = 300) {
    const std::string& text = target.text;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        p.send(std::string(1, text[i]));
        std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    }
    Timing timing;
    const auto start = Clock::now();
    p.send(std::string(1, text.back()));
    const bool seen = p.waitFor([&] { return finalShown(p, target); }, 10000);
    if (!seen) {
        std::fprintf(stderr, "no hit of \"%s\" on screen:\n%s\n", text.c_str(), p.screen().screenText().c_str());
        return timing;
    }
    timing.ms = ms(Clock::now() - start);
    p.waitFor(
        [&] {
            for (const auto& row : hitRows(p))
                if (row.find(text) == std::string::npos) timing.stale = true;
            return timing.stale;
        },
        settleMs);
    return timing;
}

long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string s((std::istreambuf_iterator<char>(in)), {});
    const size_t close = s.rfind(')');
    if (close == std::string::npos) return -1;
    std::vector<std::string> fields;
    size_t pos = close + 2;
    while (pos < s.size()) {
        size_t blank = s.find(' ', pos);
        fields.push_back(s.substr(pos, blank - pos));
        if (blank == std::string::npos) break;
        pos = blank + 1;
    }
    return fields.size() > 12 ? std::stol(fields[11]) + std::stol(fields[12]) : -1;
}

// A field of /proc/PID/status in kB; -1 when absent.
long statusKb(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
    return -1;
}


}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    Config cfg;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--entries") cfg.entries = std::atol(argv[i + 1]);
        else if (a == "--tree") cfg.tree = argv[i + 1];
        else if (a == "--work") cfg.work = argv[i + 1];
        else if (a == "--reps") cfg.reps = std::atoi(argv[i + 1]);
        else if (a == "--skimmer") cfg.skimmer = argv[i + 1];
        else if (a == "--index") cfg.index = argv[i + 1];
        else if (a == "--plocate-db") cfg.plocateDb = argv[i + 1];
        else if (a == "--word") cfg.word = argv[i + 1];
        else {
            std::fprintf(stderr, "usage: window_bench [--entries N] [--tree DIR] [--work DIR] [--reps R] [--skimmer BIN]"
                                 " [--index FILE] [--plocate-db FILE] [--word WORD]\n");
            return 2;
        }
    }
    if (cfg.tree.empty()) cfg.tree = cfg.work / "tree";
    Env env{cfg.work / "home", cfg.work / "config", cfg.work / "cache", cfg.work / "data", cfg.work / "tmp", cfg.skimmer};
    for (const auto& d : {env.home, env.config, env.cache, env.data, env.tmp}) fs::create_directories(d);
    // Every figure but the last is taken with the default settings. The memory figure writes
    // "SKSAllResults" into this work folder's hive, so a run that reuses the folder would otherwise
    // time its keystrokes with every result listed (a different search) without saying so.
    fs::remove(env.config / "skimmer" / "registry.reg");
    if (!fs::exists(cfg.tree) || fs::is_empty(cfg.tree)) {
        std::printf("generating %ld entries in %s\n", cfg.entries, cfg.tree.c_str());
        if (run({GEN_TREE_BIN, "--entries", std::to_string(cfg.entries), cfg.tree.string()}) != 0) return 1;
    }
    if (cfg.index.empty()) {
        std::printf("indexing\n");
        if (run({SKIMMER_INDEX_BIN, "--root", cfg.tree.string()}, env.vars()) != 0) return 1;
    } else {
        // The window opens the index at its default place: links to the one given (SQLite puts the
        // WAL beside the file a link names).
        const fs::path place = env.cache / "skimmer" / "index.sqlite";
        fs::create_directories(place.parent_path());
        for (const char* suffix : {"", ".names"}) {
            fs::path link = place;
            link += suffix;
            fs::path target = fs::absolute(cfg.index);
            target += suffix;
            fs::remove(link);
            fs::create_symlink(target, link);
        }
    }
    const fs::path plocateDb = cfg.plocateDb.empty() ? cfg.work / "plocate.db" : cfg.plocateDb;
    if (cfg.plocateDb.empty() && run({"updatedb", "-l", "0", "-U", cfg.tree.string(), "-o", plocateDb.string()}) != 0)
        return 1;
    const std::string word = cfg.word.empty() ? pickWord(cfg.tree) : cfg.word;
    std::printf("query word: %s\n\n", word.c_str());

    std::printf("%-28s %10s %10s %12s %8s\n", "keystroke to first hit", "median ms", "p99 ms", "plocate ms", "stale");
    std::map<size_t, Target> targets;  // each text's own rows, found once for both intervals
    const auto targetOf = [&](size_t length) -> const Target& {
        auto found = targets.find(length);
        if (found == targets.end()) found = targets.emplace(length, targetFor(env, word.substr(0, length))).first;
        return found->second;
    };
    for (int interval : {100, 10}) {
        for (size_t length : {1, 2, 3, 5, 10}) {
            if (length > word.size()) continue;
            const Target& target = targetOf(length);
            if (!target.measurable()) {
                std::printf("%zu chars: neither a row nor a counter of its own; not measured\n", length);
                continue;
            }
            std::vector<double> ours, anchor;
            int stale = 0;
            for (int rep = 0; rep < cfg.reps; ++rep) {
                PtyProgram p(windowOptions(env));
                if (!p.waitForText("Skimmer", 10000)) return 1;
                const Timing t = typeAndWait(p, target, interval);
                if (t.ms >= 0) ours.push_back(t.ms);
                stale += t.stale ? 1 : 0;
                quit(p);
                const auto start = Clock::now();
                run({"plocate", "-i", "-b", "-l", "5", "-d", plocateDb.string(), target.text}, {}, true);
                anchor.push_back(ms(Clock::now() - start));
            }
            char label[80];
            std::snprintf(label, sizeof label, "%zu chars at %d ms%s", length, interval,
                          target.own.empty() ? " (whole)" : "");
            std::printf("%-28s %10.1f %10.1f %12.1f %8d   (%zu/%d runs)\n", label, percentile(ours, 0.5),
                        percentile(ours, 0.99), percentile(anchor, 0.5), stale, ours.size(), cfg.reps);
        }
    }

    {
        std::vector<double> times;
        int stale = 0;
        const Target& target = targetOf(std::min<size_t>(10, word.size()));
        for (int rep = 0; rep < cfg.reps && target.measurable(); ++rep) {
            PtyProgram p(windowOptions(env));
            if (!p.waitForText("Skimmer", 10000)) return 1;
            const Timing t = typeAndWait(p, target, 10, 1000);
            if (t.ms >= 0) times.push_back(t.ms);
            stale += t.stale ? 1 : 0;
            quit(p);
        }
        std::printf("\nstale work (10 keys 10 ms apart): last key to its own hits%s: median %.1f ms, p99 %.1f ms; "
                    "runs with an older line after the newer text's: %d of %zu\n",
                    target.own.empty() ? " (whole result)" : "", percentile(times, 0.5), percentile(times, 0.99),
                    stale, times.size());
    }

    {
        PtyProgram p(windowOptions(env));
        if (!p.waitForText("Skimmer", 10000)) return 1;
        const long before = cpuTicks(p.pid());
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const long after = cpuTicks(p.pid());
        const double percent = 100.0 * static_cast<double>(after - before) / static_cast<double>(sysconf(_SC_CLK_TCK)) / 10.0;
        std::printf("idle, window open 10 s: %.2f %% of one core\n", percent);
        quit(p);
    }

    {
        fs::create_directories(env.config / "skimmer");
        std::ofstream(env.config / "skimmer" / "registry.reg")
            << "Skimmer Registry Hive 1\n\n[HKEY_CURRENT_USER\\Software\\Far\\Plugins\\Skimmer]\n"
               "\"SKSAllResults\"=dword:00000001\n\n; End of Skimmer Registry Hive\n";
        PtyProgram p(windowOptions(env));
        if (!p.waitForText("Skimmer", 10000)) return 1;
        p.send(word.substr(0, 1));
        // The search runs until every run of the plan is done or the store's bound is met.
        p.waitFor([&] { return false; }, 8000);
        std::printf("peak RSS, \"SKSAllResults\" on, 1-character query: %ld kB (resident at the end %ld kB: mapped "
                    "files %ld kB, heap and stacks %ld kB)\n",
                    statusKb(p.pid(), "VmHWM:"), statusKb(p.pid(), "VmRSS:"), statusKb(p.pid(), "RssFile:"),
                    statusKb(p.pid(), "RssAnon:"));
        quit(p);
    }
    return 0;
}
