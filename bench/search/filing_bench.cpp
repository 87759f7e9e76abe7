// Filing result lines: what one search costs the search thread between the engine's rows and the
// list box's rows, with no list box attached (the messages themselves are the host's cost).
//
// Prints medians over RUNS runs of:
//   - anchor: copying 5001 hit records into a vector (the least any filing must do);
//   - filing 5001 lines through SearchGroup, in batches of 6001 rows, short layout (style 2);
//   - the same in the full-information layout (N,S,P,D,T) with FAR's default highlight groups
//     matched through the host's masks (style 1) and the typed text marked;
//   - one batch of 5 rows (what the index engine delivers) filed into an empty chain;
// and the peak resident memory after a full store was filed with every limit off.
// Usage: bench_filing [RUNS] (default 30).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "host/services/standard_functions.h"
#include "search/search_group.h"

namespace {

using namespace skimmer::results;
using namespace skimmer::search;
using Clock = std::chrono::steady_clock;

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples.empty() ? 0 : samples[samples.size() / 2];
}

template <typename Body>
double medianMicros(int runs, Body&& body) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        body();
        samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return median(std::move(samples));
}

TSearchResult makeHit(int n) {
    TSearchResult r;
    const std::string dir = "/home/ann/projects/area" + std::to_string(n % 97) + "/module" + std::to_string(n % 13) + "/";
    r.Name = r.Title = r.NameW = "report-" + std::to_string(n) + (n % 3 ? ".txt" : ".tar.gz");
    r.Path = r.PathW = r.Target = dir + r.Name;
    r.Url = r.UrlW = "file:" + r.Path;
    r.Folder = r.FolderW = dir;
    r.Ext = n % 3 ? ".txt" : ".gz";
    r.Size = 1000 + n * 37;
    r.Kind = "Document";
    r.Date = 46000.5;
    r.DateKnown = true;
    return r;
}

// Rows without end, batchSize at a time.
class EndlessEngine : public skimmer::engines::SearchEngine {
public:
    explicit EndlessEngine(int batchSize) : SearchEngine({}), batchSize_(batchSize) {}
    skimmer::engines::EngineChoice choice() const override { return skimmer::engines::EngineChoice::WindowsSearch; }
    skimmer::engines::EngineStatus open() override { return {}; }
    skimmer::engines::EngineStatus close() override { return {}; }
    skimmer::engines::EngineStatus query(std::string_view, std::string_view) override { return {}; }
    skimmer::engines::EngineStatus fetch(TSearchResults& results) override {
        for (int i = 0; i < batchSize_; ++i) results.Items[static_cast<size_t>(i)] = hits_[static_cast<size_t>(i % 6001)];
        results.Count = batchSize_;
        results.Finished = false;
        return {};
    }
    void endQuery() override {}

private:
    int batchSize_;
    std::vector<TSearchResult> hits_ = [] {
        std::vector<TSearchResult> v;
        for (int i = 0; i < 6001; ++i) v.push_back(makeHit(i));
        return v;
    }();
};

THLGroups farDefaultGroups() {
    THLGroups t;
    t.Groups = {{0x13, 0x38, "*.*", "", 0x02, 0},
                {0x13, 0x38, "*.*", "", 0x04, 0},
                {0x1F, 0x3F, "*.*,..", "", 0x10, 0},
                {0, 0, "..", "", 0x10, 0},
                {0x1A, 0x3A, "*.exe,*.com,*.bat,*.cmd", "", 0, 0},
                {0x1D, 0x3D, "*.rar,*.zip,*.[zj],*.[bg7]z,*.[bg]zip,*.tar,*.t[ag]z,*.bz2,*.cab,*.jar,*.rpm", "", 0, 0},
                {0x16, 0x36, "*.bak,*.tmp", "", 0, 0}};
    return t;
}

long peakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

struct Search {
    TResultChain chain;
    std::unique_ptr<TSearchResults> batch = makeSearchResults();
    TSearchRun run;
    Search(skimmer::engines::SearchEngine& engine, const TLineFormatContext& format) {
        run.CurrentQuery = "rep";
        run.Chain = &chain;
        run.Results = batch.get();
        run.Engine = &engine;
        run.Format = format;
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::vector<uint8_t> palette(112, 0x1B);
    const THLGroups groups = farDefaultGroups();
    skimmer::platform::HostTables host;
    host.StandardFunctions.ProcessName = skimmer::host::services::ProcessName;

    TLineFormatContext shortLayout;
    shortLayout.Palette = &palette;
    shortLayout.WindowWidth = 54;
    shortLayout.NameCells = 42;  // the centred window's list: 54 less frame, margins and scroll bar
    TLineFormatContext fullLayout = shortLayout;
    fullLayout.WindowWidth = 110;
    fullLayout.NameCells = 98;
    fullLayout.Settings.Style = 1;
    fullLayout.Settings.FullInfo = true;
    fullLayout.Settings.FIDontUse = false;
    fullLayout.Settings.FIColumns = "N,S,P,D,T";
    fullLayout.Settings.FIWidths = "30,6,40,10,8";
    fullLayout.Settings.HighlightKeyword = true;
    fullLayout.HighlightQuery = "rep";
    fullLayout.HighlightGroups = &groups;
    fullLayout.MatchMask = HostMaskMatcher(host);

    EndlessEngine big(6001), five(5);
    std::vector<TSearchResult> source;
    for (int i = 0; i < kLineStoreSlots; ++i) source.push_back(makeHit(i));

    // First, before any timing has filed anything: the peak with one full store alive.
    const long before = peakRssKb();
    {
        Search s(big, fullLayout);
        SearchGroup(s.run, "", "Files", 0, 0);
    }
    const long after = peakRssKb();

    const double anchor = medianMicros(runs, [&] {
        std::vector<TSearchResult> copy;
        for (const auto& hit : source) copy.push_back(hit);
    });
    const auto fileAll = [&](const TLineFormatContext& format) {
        return medianMicros(runs, [&] {
            Search s(big, format);
            SearchGroup(s.run, "", "Files", 0, 0);
            if (s.chain.LineCount() != kLineStoreSlots) std::abort();
        });
    };
    const double shortUs = fileAll(shortLayout);
    const double fullUs = fileAll(fullLayout);
    const double batchUs = medianMicros(runs * 20, [&] {
        Search s(five, fullLayout);
        SearchGroup(s.run, "", "Files", 6, 0);
    });


    std::printf("runs %d, %d lines per store\n", runs, kLineStoreSlots);
    std::printf("anchor: copy 5001 hits          %9.0f us  (%.2f us/line)\n", anchor, anchor / kLineStoreSlots);
    std::printf("file 5001, short layout         %9.0f us  (%.2f us/line, %.1fx anchor)\n", shortUs,
                shortUs / kLineStoreSlots, shortUs / anchor);
    std::printf("file 5001, full info + groups   %9.0f us  (%.2f us/line, %.1fx anchor)\n", fullUs,
                fullUs / kLineStoreSlots, fullUs / anchor);
    std::printf("one batch of 5 into a new chain %9.1f us\n", batchUs);
    std::printf("peak RSS %ld KiB before the first full store, %ld KiB with it (+%ld KiB: 5001 lines and the\n"
                "6001-row batch of the search)\n", before, after, after - before);
    return 0;
}
