// `skimmer-index --query TEXT [--kind WORD] [--limit N] [-0]`: runs one query through the same
// objects the plug-in's engine uses and prints one hit per line.
//
// Contract:
// - A hit prints as its path (file-system items) or its URL (everything else). Without -0 the
//   line is escaped for a terminal: control bytes, C1 controls, backslashes and bytes that are not
//   UTF-8 become \xHH / \\, and the characters that reorder or break a line (bidi embeddings,
//   overrides, isolates and marks, U+2028/U+2029) become \uXXXX, so no control from a name reaches
//   the terminal and no name is shown reversed or split; with -0 the exact bytes are written, each
//   hit ended by NUL.
// - Failures print a sentence saying what is wrong and what helps, then the error code.
// - With a kind word the query is TEXT System.Kind:WORD System.Kind:(NOT folder), as the engine
//   builds it.
// - Malformed or empty input is reported on `err` (searched literally / matching nothing).
// - Exit codes: 0 hits printed, 1 no hits, 3 the index is missing, damaged or busy. Never throws.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace skimmer::index::query {

struct QueryCommand {
    std::string text;
    std::string kind;
    long limit = -1;  // -1: all
    bool nulTerminated = false;
};

int runQueryCommand(const QueryCommand& command, const std::filesystem::path& database, std::FILE* out,
                    std::FILE* err);

// The terminal-safe form of bytes described above.
std::string escapeForTerminal(std::string_view bytes);

}  // namespace skimmer::index::query
