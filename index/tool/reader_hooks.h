// The two places where skimmer-index hands over to the reader side of the index (index/query/).
// The reader side owns reader_hooks.cpp and fills these in; the tool owns this interface.
//
// Contract:
// - `runQuery` answers `--query`: prints one hit per line (path or URL; NUL-terminated with -0)
//   to `out`, problems to `err`, and returns the process exit code.
// - `searchStructureHook` returns what the crawler calls after every crawl that ends normally
//   (see index/crawl/crawler.h): it verifies the name sidecar and rebuilds it when it is stale or
//   damaged. It reports a failure on stderr and sets `written` to false, so the run does not
//   claim success while searches would fail.
// - `runBuildNames` answers `--names-only`: builds the name sidecar from a read-only connection
//   and prints "generation N" (the generation it carries) as its last line; exit code 0 when the
//   sidecar is current, 1 when it could not be built, 3 when there is no index.
// - None of them throws.
#pragma once

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

namespace skimmer::index::tool {

struct QueryRequest {
    std::string text;
    std::string kind;        // "" for none
    long limit = -1;         // -1: no limit
    bool nulTerminated = false;
};

int runQuery(const QueryRequest& request, const std::filesystem::path& database, std::FILE* out, std::FILE* err);

std::function<void(sqlite3*)> searchStructureHook(bool& written);

int runBuildNames(const std::filesystem::path& database, std::FILE* out, std::FILE* err);

}  // namespace skimmer::index::tool
