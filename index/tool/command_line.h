// The command line of skimmer-index: its options, the usage text, and the checks that refuse a
// line that cannot mean what it says.
//
// Contract: `parseArgs` either fills `Args` completely (roots made absolute and checked to be
// folders) or returns the reason for refusing the line; it never drops an option silently: each
// value option may be given once (--root and --exclude may repeat), and --stats, --query and the
// crawl options are never mixed. Nothing here opens the index.
#pragma once

#include "index/tool/reader_hooks.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace skimmer::index::tool {

extern const char* const kUsage;

struct Args {
    std::vector<std::string> roots, excludes;
    std::filesystem::path db;
    bool rebuild = false, stats = false, help = false, storeOnly = false, watch = false, namesOnly = false;
    std::optional<QueryRequest> query;
    std::optional<std::string> kind, limit;
    bool nul = false;
};

// Parses argv into `args`; the reason for refusing the line otherwise.
std::optional<std::string> parseArgs(int argc, char** argv, Args& args);

}  // namespace skimmer::index::tool
