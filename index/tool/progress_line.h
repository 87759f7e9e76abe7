// The one-line progress display of skimmer-index on a terminal.
//
// Contract: draws only when constructed for a terminal; redraws at most every 100 ms by the
// given clock; the folder name is made terminal-safe and cut to the terminal width, so data never
// reaches the terminal as control characters. `finish` erases the line.
#pragma once

#include "index/crawl/crawler.h"

#include <cstdint>
#include <cstdio>
#include <functional>

namespace skimmer::index::tool {

class ProgressLine {
public:
    ProgressLine(std::FILE* out, bool terminal, int columns, std::function<int64_t()> nowMillis);
    void update(const store::CrawlProgress& progress);
    void finish();

private:
    std::FILE* out_;
    bool terminal_;
    int columns_;
    std::function<int64_t()> now_;
    int64_t started_ = 0, lastDraw_ = -1000;
    bool drawn_ = false;
};

}  // namespace skimmer::index::tool
