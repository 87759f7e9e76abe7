// The command line of skimmer-index: its options, the usage text, and the checks that refuse a
// line that cannot mean what it says.
//
// Contract: `kOptions` is the one list of the options: the usage text's option lines come from
// it, `parseArgs` walks it, and the manual page (dist/man/skimmer-index.1) and the shell
// completions (dist/completion/) list the same options, as tests/dist checks. `parseArgs` either
// fills `Args` completely (roots made absolute and checked to be folders) or returns the reason
// for refusing the line; it never drops an option silently: each value option may be given once
// (--root and --exclude may repeat), and --stats, --query and the crawl options are never mixed.
// Nothing here opens the index.
#pragma once

#include "index/tool/reader_hooks.h"
#include "os/option_table.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace skimmer::index::tool {

inline constexpr os::ProgramOption kOptions[] = {
    {"--root", "", "DIR", os::Completion::Folder,
     "crawl DIR (repeatable); without it: $HOME and the XDG applications folders plus the roots of the "
     "config file"},
    {"--exclude", "", "GLOB", os::Completion::None,
     "leave out entries whose name (GLOB without '/') or path (GLOB with '/') matches (repeatable); "
     "added to the defaults and the config file's"},
    {"--db", "", "FILE", os::Completion::File, "the index file (default $XDG_CACHE_HOME/skimmer/index.sqlite)"},
    {"--rebuild", "", "", os::Completion::None,
     "build a new index beside the live one, then put it in place at once (searches meanwhile see the "
     "old index, afterwards the new one)"},
    {"--watch", "", "", os::Completion::None,
     "refresh, then keep the index current until stopped (SIGTERM, SIGINT): changed folders are "
     "refreshed within about a second"},
    {"--store-only", "", "", os::Completion::None,
     "update the database but not the reader side's search structure (for measurements; searches fall "
     "back to the slower plain database)"},
    {"--names-only", "", "", os::Completion::None,
     "rebuild only the search structure beside the index and print the generation it carries (--watch "
     "runs this in a child process)"},
    {"--stats", "", "", os::Completion::None, "print the indexer version and the index's counts"},
    {"--query", "", "TEXT", os::Completion::None,
     "print the hits of the query TEXT, one a line: a path, or a URL for an item that is not a file"},
    {"--kind", "", "WORD", os::Completion::Words,
     "with --query: only hits of this kind (file, program, document, picture, music, mail, ...)"},
    {"--limit", "", "N", os::Completion::None, "with --query: stop after N hits"},
    {"--null", "-0", "", os::Completion::None,
     "with --query: end each hit with NUL instead of a newline, and write it exactly as stored"},
    {"--help", "-h", "", os::Completion::None, "show this help and exit"},
    {"--version", "", "", os::Completion::None, "show the version and exit"},
};

// The words offered for --kind: those of the query language's kind: property, singular.
std::vector<std::string> kindWords();

// The text of --help (and, after a refused line, of stderr).
std::string usageText();
// "skimmer-index VERSION", from the build's one version number.
std::string versionText();

struct Args {
    std::vector<std::string> roots, excludes;
    std::filesystem::path db;
    bool rebuild = false, stats = false, help = false, version = false, storeOnly = false, watch = false,
         namesOnly = false;
    std::optional<QueryRequest> query;
    std::optional<std::string> kind, limit;
    bool nul = false;
};

// Parses argv into `args`; the reason for refusing the line otherwise.
std::optional<std::string> parseArgs(int argc, char** argv, Args& args);

}  // namespace skimmer::index::tool
