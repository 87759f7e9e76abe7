// The tool's hand-over points to the reader side: --query runs through the query library, and the
// crawler's after-commit hook rebuilds the name sidecar.
#include "index/tool/reader_hooks.h"

#include "index/query/name_index_builder.h"
#include "index/query/query_command.h"
#include "index/store/schema.h"

namespace skimmer::index::tool {

int runQuery(const QueryRequest& request, const std::filesystem::path& database, std::FILE* out, std::FILE* err) {
    query::QueryCommand command{request.text, request.kind, request.limit, request.nulTerminated};
    return query::runQueryCommand(command, database.empty() ? defaultIndexPath() : database, out, err);
}

std::function<void(sqlite3*)> searchStructureHook() {
    return [](sqlite3* db) {
        const query::NameIndexBuildResult built = query::buildNameIndex(db);
        if (!built.ok) std::fprintf(stderr, "skimmer-index: the name index was not rebuilt: %s\n", built.error.c_str());
    };
}

}  // namespace skimmer::index::tool
