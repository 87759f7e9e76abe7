// The folders of the index as rows, and their full paths rebuilt from the parent chains (a
// folder's row keeps only its own name, so a path is never stored twice).
//
// Contract: reads only the small columns of `dirs` (never the entries). A folder whose chain
// does not end at a root (a missing parent or a loop, which only damage can make) has no path.
#pragma once

#include "index/storage/sqlite_handle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace skimmer::index::store {

struct FolderRow {
    int64_t id = 0;
    std::optional<int64_t> parent;  // none for a root
    std::string name;               // a root's is its absolute path
    int64_t stamp = 0;
    int64_t count = 0;
};

Status readFolders(sqlite3* db, std::vector<FolderRow>& out);

std::unordered_map<int64_t, std::string> folderPaths(const std::vector<FolderRow>& folders);

// "<parent>/<name>" without doubling the root's slash.
std::string childPath(std::string_view parent, std::string_view name);

// Removes ".", "..", repeated and trailing '/' lexically; "/" stays "/". Not for relative paths.
std::string normalizePath(std::string_view path);

}  // namespace skimmer::index::store
