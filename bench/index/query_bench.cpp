// query_bench: in-process timings of the index's reader side on an existing index, as the engine
// drives it for every keystroke (search manager → catalog → query helper → connection → execute
// → eof → getRows(5)), plus the time to read every row, the index's size per entry and the
// process's resident memory while searching. Run by bench/index/query_bench (with plocate beside
// it); prints one tab-separated line per query class.
//
//   query_bench --db FILE [--queries-out FILE] [--queries-in FILE] [--reps N] [--kinds]
//   (--queries-in replays the queries a --queries-out wrote, so that two builds meet the same ones;
//   --kinds measures the same queries restricted to kinds, as the search window's group runs send
//   them, instead of the plain queries)
//   query_bench --db FILE --rebuild-sidecar [--dense-divisor N] [--triple-divisor N]
//                                 (rebuilds the name sidecar and says how long it took)
//   query_bench --db FILE --rows TEXT [--reps N]
//                                 (every row of TEXT: the hits alone, the rows read, the rows
//                                 through the record sets; medians, wall clock and CPU time)
//
// Query classes: 1, 2, 3, 5 and 10 characters, with hits (pieces of names sampled from the index)
// and without (texts checked to match nothing). Not part of ctest.
#include "index/query/connection.h"
#include "index/query/hit_stream.h"
#include "index/query/item_rows.h"
#include "index/query/name_index_builder.h"
#include "index/query/query_parser.h"
#include "index/query/search_manager.h"
#include "index/storage/item_scan.h"
#include "index/storage/sqlite_handle.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace skimmer::index::store;
using namespace skimmer::index::query;

namespace {

constexpr const char* kColumns =
    "System.ItemName,System.Size,System.Kind,System.ItemURL,System.ItemPathDisplay,System.ItemPathDisplay";

double millisSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Timing {
    double firstRows;
    double allRows;
    long hits;
};

// The text one group run of the search window sends for a kind word.
std::string restricted(const std::string& text, const char* kind) {
    return text + " System.Kind:" + kind + " System.Kind:(NOT folder)";
}

// One keystroke as the engine runs it; optionally all rows after the first five.
Timing keystroke(const std::filesystem::path& db, const std::string& text, bool all) {
    const auto start = std::chrono::steady_clock::now();
    SearchManager manager(db);
    auto helper = manager.getCatalog("systemindex")->getQueryHelper();
    helper->putQuerySelectColumns(kColumns);
    Connection connection;
    connection.open(helper->connectionString());
    auto recordset = connection.execute(helper->generateSqlFromUserQuery(text));
    long hits = 0;
    if (!recordset->eof()) hits += static_cast<long>(recordset->getRows(5).rowCount());
    Timing timing{millisSince(start), 0, hits};
    if (all) {
        while (!recordset->eof()) hits += static_cast<long>(recordset->getRows(5).rowCount());
        timing.allRows = millisSince(start);
        timing.hits = hits;
    }
    return timing;
}

// All hits found (item ids only, no rows read): the search structure's own cost. With `shared`
// the sidecar is the process-wide one the engine's connections use, so blocks verified by an
// earlier run stay verified (the search window's case from the second keystroke on); without it
// every run maps and verifies afresh (a new process's first query).
double allHitsFound(const std::filesystem::path& db, const std::string& text, long& hits, bool shared = false) {
    const auto start = std::chrono::steady_clock::now();
    sqlite3* raw = nullptr;
    sqlite3_open_v2(db.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db handle(raw);
    std::shared_ptr<NameIndex> opened;
    if (shared) opened = NameIndex::openShared(nameIndexPathFor(db)).index;
    else opened = NameIndex::open(nameIndexPathFor(db)).index;
    const ParsedQuery parsed = parseQuery(text, 0);
    sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
    auto stream = openHitStream(raw, opened.get(), parsed.root);
    hits = 0;
    while (stream->next()) ++hits;
    sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
    return millisSince(start);
}

// The search window's default group plan for one text: four kind-restricted runs, one after the
// other, each read 5 rows at a time up to its line limit (a 25-line window: L - 10 lines, the last
// L - 6), each through the engine's whole chain.
struct GroupRun {
    const char* kind;
    int limit;
};
constexpr GroupRun kGroupPlan[] = {{"program", 15}, {"favorites", 15}, {"files", 15}, {"email", 19}};

double groupPlan(const std::filesystem::path& db, const std::string& text) {
    const auto start = std::chrono::steady_clock::now();
    for (const GroupRun& run : kGroupPlan) {
        SearchManager manager(db);
        auto helper = manager.getCatalog("systemindex")->getQueryHelper();
        helper->putQuerySelectColumns(kColumns);
        Connection connection;
        connection.open(helper->connectionString());
        auto recordset = connection.execute(helper->generateSqlFromUserQuery(restricted(text, run.kind)));
        for (int rows = 0; rows < run.limit && !recordset->eof();)
            rows += static_cast<int>(recordset->getRows(std::min(5, run.limit - rows)).rowCount());
    }
    return millisSince(start);
}

bool usable(const std::string& word) {
    if (word.front() == '-' || word == "OR" || word == "AND" || word == "NOT") return false;
    return word.find_first_of(" \"():/\t,{}") == std::string::npos;
}

std::vector<std::string> sampleNames(const std::filesystem::path& db, int count) {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(db.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Db handle(raw);
    // A uniform sample kept as the items stream by (reservoir sampling), so that the benchmark's
    // own memory does not hold every name while it measures the reader's.
    std::vector<std::string> names;
    std::mt19937_64 rng(20261208);
    uint64_t seen = 0;
    const Status scanned = forEachItem(raw, false, [&](const ScannedItem& item) {
        if (item.dir == 0) return;
        if (names.size() < static_cast<size_t>(count)) names.push_back(item.row.name);
        else if (const uint64_t slot = std::uniform_int_distribution<uint64_t>(0, seen)(rng); slot < names.size())
            names[slot] = item.row.name;
        ++seen;
    });
    if (!scanned) std::fprintf(stderr, "query_bench: %s\n", scanned.error.c_str());
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    return names;
}

std::vector<std::string> withHits(const std::vector<std::string>& names, size_t length, std::mt19937& rng) {
    std::vector<std::string> queries;
    for (const std::string& name : names) {
        if (name.size() < length) continue;
        const std::string piece = name.substr(std::uniform_int_distribution<size_t>(0, name.size() - length)(rng), length);
        if (usable(piece)) queries.push_back(piece);
        if (queries.size() == 20) break;
    }
    return queries;
}

// Texts that match nothing: rare letters and letters of other scripts, checked against the index.
std::vector<std::string> withoutHits(const std::filesystem::path& db, size_t length) {
    static const char* const kAlphabet[] = {"q", "ж", "水", "ψ", "#", "@", "x", "j", "z", "k", "€", "ß"};
    std::vector<std::string> queries;
    std::mt19937 rng(static_cast<unsigned>(length));
    for (int attempt = 0; attempt < 400 && queries.size() < 10; ++attempt) {
        std::string text;
        for (size_t i = 0; i < length; ++i) text += kAlphabet[std::uniform_int_distribution<size_t>(0, 11)(rng)];
        if (length == 1 && attempt >= 12) break;
        if (length == 1) text = kAlphabet[attempt];
        long hits = 0;
        allHitsFound(db, text, hits);
        if (hits == 0 && std::find(queries.begin(), queries.end(), text) == queries.end()) queries.push_back(text);
    }
    return queries;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5))];
}

// CPU time of this thread: on a machine shared with other work it tells what a change costs
// where wall time also counts the waits for a core.
double cpuMillis() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Where the time of reading every row of one query goes: the hits alone (ids), the hits with each
// item's row read (RowReader, no cells) and every row through the record sets (cells included),
// each `reps` times; prints each median, wall time and CPU time. For comparing two ways of
// building rows on one index.
int rowsSplit(const std::filesystem::path& db, const std::string& text, int reps) {
    std::vector<double> wall[3], cpu[3];
    long hits = 0;
    uint64_t folderReads = 0;
    const auto measure = [&](int stage, const auto& run) {
        const double cpuStart = cpuMillis();
        const auto start = std::chrono::steady_clock::now();
        run();
        wall[stage].push_back(millisSince(start));
        cpu[stage].push_back(cpuMillis() - cpuStart);
    };
    for (int r = 0; r < reps; ++r) {
        measure(0, [&] { allHitsFound(db, text, hits, true); });
        measure(1, [&] {
            sqlite3* raw = nullptr;
            sqlite3_open_v2(db.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
            Db handle(raw);
            const auto opened = NameIndex::openShared(nameIndexPathFor(db)).index;
            const ParsedQuery parsed = parseQuery(text, 0);
            sqlite3_exec(raw, "BEGIN", nullptr, nullptr, nullptr);
            auto stream = openHitStream(raw, opened.get(), parsed.root);
            RowReader rows(raw);
            FetchedItem row;
            while (const auto id = stream->next()) rows.read(*id, row);
            folderReads = rows.folderReads();
            sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
        });
        measure(2, [&] { keystroke(db, text, true); });
    }
    std::printf("%s: %ld hits, %llu folder reads; medians of %d, wall (CPU) ms: hits found %.1f (%.1f), rows read "
                "%.1f (%.1f), rows through the record sets %.1f (%.1f); p99 of the last %.1f (%.1f)\n",
                text.c_str(), hits, static_cast<unsigned long long>(folderReads), reps, percentile(wall[0], 0.5),
                percentile(cpu[0], 0.5), percentile(wall[1], 0.5), percentile(cpu[1], 0.5), percentile(wall[2], 0.5),
                percentile(cpu[2], 0.5), percentile(wall[2], 0.99), percentile(cpu[2], 0.99));
    return 0;
}

long statusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

void runClass(const std::filesystem::path& db, const std::string& label, const std::vector<std::string>& queries,
              int reps, std::ofstream& queriesOut) {
    std::vector<double> first, all, found, foundCold;
    long hitsTotal = 0;
    for (const std::string& text : queries) {
        keystroke(db, text, false);  // warm
        for (int r = 0; r < reps; ++r) first.push_back(keystroke(db, text, false).firstRows);
        const Timing whole = keystroke(db, text, true);
        all.push_back(whole.allRows);
        hitsTotal += whole.hits;
        long hits = 0;
        foundCold.push_back(allHitsFound(db, text, hits, false));
        allHitsFound(db, text, hits, true);  // the shared sidecar verifies what this query reads
        found.push_back(allHitsFound(db, text, hits, true));
        queriesOut << label << '\t' << text << '\n';
    }
    std::printf("%s\t%zu\t%.3f\t%.3f\t%.3f\t%.3f\t%ld\t%.3f\n", label.c_str(), queries.size(), percentile(first, 0.5),
                percentile(first, 0.99), percentile(found, 0.5), percentile(all, 0.5),
                queries.empty() ? 0 : hitsTotal / static_cast<long>(queries.size()), percentile(foundCold, 0.5));
    std::fflush(stdout);
}

// The same queries restricted to one small kind ("program", "email"): first 5 rows through the
// engine's chain and every hit found (the end of the query), and the four runs of the group plan.
void runKindClass(const std::filesystem::path& db, const std::string& label, const std::vector<std::string>& queries,
                  int reps) {
    std::printf("%s\t%zu", label.c_str(), queries.size());
    for (const char* kind : {"program", "email"}) {
        std::vector<double> first, end;
        long hitsTotal = 0;
        for (const std::string& text : queries) {
            const std::string query = restricted(text, kind);
            keystroke(db, query, false);  // warm
            long hits = 0;
            allHitsFound(db, query, hits, true);
            hitsTotal += hits;
            for (int r = 0; r < reps; ++r) {
                first.push_back(keystroke(db, query, false).firstRows);
                end.push_back(allHitsFound(db, query, hits, true));
            }
        }
        std::printf("\t%.3f\t%.3f\t%.3f\t%.3f\t%ld", percentile(first, 0.5), percentile(first, 0.99),
                    percentile(end, 0.5), percentile(end, 0.99),
                    queries.empty() ? 0 : hitsTotal / static_cast<long>(queries.size()));
    }
    std::vector<double> plan;
    for (const std::string& text : queries) {
        groupPlan(db, text);  // warm
        for (int r = 0; r < reps; ++r) plan.push_back(groupPlan(db, text));
    }
    std::printf("\t%.3f\t%.3f\n", percentile(plan, 0.5), percentile(plan, 0.99));
    std::fflush(stdout);
}

// "label<TAB>text" lines as --queries-out writes them, grouped by label in the order first met.
std::vector<std::pair<std::string, std::vector<std::string>>> readQueries(const std::filesystem::path& file) {
    std::vector<std::pair<std::string, std::vector<std::string>>> classes;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        const std::string label = line.substr(0, tab);
        if (classes.empty() || classes.back().first != label) classes.push_back({label, {}});
        classes.back().second.push_back(line.substr(tab + 1));
    }
    return classes;
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path db, queriesFile = "/dev/null", queriesIn;
    int reps = 10;
    bool rebuild = false, kinds = false;
    NameIndexBuildOptions options;
    options.force = true;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--rebuild-sidecar") == 0) rebuild = true;
        else if (std::strcmp(argv[i], "--kinds") == 0) kinds = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rebuild-sidecar") == 0 || std::strcmp(argv[i], "--kinds") == 0) { --i; continue; }
        if (std::strcmp(argv[i], "--db") == 0) db = argv[i + 1];
        else if (std::strcmp(argv[i], "--queries-out") == 0) queriesFile = argv[i + 1];
        else if (std::strcmp(argv[i], "--queries-in") == 0) queriesIn = argv[i + 1];
        else if (std::strcmp(argv[i], "--dense-divisor") == 0) options.denseDivisor = static_cast<uint32_t>(std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--triple-divisor") == 0) options.tripleDenseDivisor = static_cast<uint32_t>(std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--reps") == 0) reps = std::atoi(argv[i + 1]);
    }
    // --rows TEXT: where reading every row of TEXT goes (rowsSplit), --reps times.
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--rows") == 0 && !db.empty()) return rowsSplit(db, argv[i + 1], reps);
    // --profile TEXT: only find all hits of TEXT, 20 times with the shared sidecar (for a
    // profiler); prints the median.
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--profile") == 0 && !db.empty()) {
            std::vector<double> times;
            long hits = 0;
            for (int r = 0; r < 20; ++r) times.push_back(allHitsFound(db, argv[i + 1], hits, true));
            std::printf("%s: %ld hits, all found in %.2f ms (median)\n", argv[i + 1], hits, percentile(times, 0.5));
            return 0;
        }
    if (db.empty()) {
        std::fprintf(stderr, "usage: query_bench --db FILE [--queries-out FILE] [--queries-in FILE] [--reps N] [--kinds]\n");
        return 2;
    }
    if (kinds && queriesIn.empty()) {
        std::fprintf(stderr, "query_bench: --kinds replays the queries of --queries-in\n");
        return 2;
    }
    try {
        if (rebuild) {
            sqlite3* raw = nullptr;
            sqlite3_open_v2(db.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
            Db handle(raw);
            const auto start = std::chrono::steady_clock::now();
            const NameIndexBuildResult built = buildNameIndex(raw, options);
            std::printf("# name sidecar rebuilt in %.0f ms: %s, %u documents, %.1f bytes per document\n",
                        millisSince(start), built.ok ? "ok" : built.error.c_str(), built.documents,
                        built.documents ? static_cast<double>(built.bytes) / built.documents : 0.0);
            return built.ok ? 0 : 1;
        }
        std::ofstream queriesOut(queriesFile);
        std::mt19937 rng(7);
        if (kinds) {
            std::printf("class\tqueries\tprogram_first5_median_ms\tprogram_first5_p99_ms\tprogram_end_median_ms"
                        "\tprogram_end_p99_ms\tprogram_hits_avg\temail_first5_median_ms\temail_first5_p99_ms"
                        "\temail_end_median_ms\temail_end_p99_ms\temail_hits_avg\tplan_median_ms\tplan_p99_ms\n");
            for (const auto& [label, queries] : readQueries(queriesIn)) runKindClass(db, label, queries, reps);
            return 0;
        }
        const auto names = sampleNames(db, 2000);
        std::printf("class\tqueries\tfirst5_median_ms\tfirst5_p99_ms\tallhits_found_median_ms\tallrows_read_median_ms\thits_avg"
                    "\tallhits_fresh_open_median_ms\n");
        for (const auto& [label, queries] : readQueries(queriesIn)) runClass(db, label, queries, reps, queriesOut);
        for (size_t length : {1, 2, 3, 5, 10}) {
            if (!queriesIn.empty()) break;
            runClass(db, std::to_string(length) + "-hit", withHits(names, length, rng), reps, queriesOut);
            runClass(db, std::to_string(length) + "-none", withoutHits(db, length), reps, queriesOut);
        }
        std::printf("# resident memory while searching: VmRSS %ld kB (mapped files %ld kB, heap and stacks %ld kB), "
                    "peak VmHWM %ld kB\n",
                    statusKb("VmRSS:"), statusKb("RssFile:"), statusKb("RssAnon:"), statusKb("VmHWM:"));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "query_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
