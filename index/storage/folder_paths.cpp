#include "index/storage/folder_paths.h"

namespace skimmer::index::store {

std::string childPath(std::string_view parent, std::string_view name) {
    std::string path;
    path.reserve(parent.size() + 1 + name.size());
    if (parent != "/") path = parent;
    path += '/';
    path += name;
    return path;
}

Status readFolders(sqlite3* db, std::vector<FolderRow>& out) {
    Status status;
    Stmt stmt = prepare(db, "SELECT id, parent, name, mtime_ns, count FROM dirs", status);
    if (!stmt) return status;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        FolderRow row;
        row.id = sqlite3_column_int64(stmt.get(), 0);
        if (sqlite3_column_type(stmt.get(), 1) != SQLITE_NULL) row.parent = sqlite3_column_int64(stmt.get(), 1);
        row.name = columnBytes(stmt.get(), 2);
        row.stamp = sqlite3_column_int64(stmt.get(), 3);
        row.count = sqlite3_column_int64(stmt.get(), 4);
        out.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) return sqliteFailure(db, "reading folders");
    return {};
}

std::unordered_map<int64_t, std::string> folderPaths(const std::vector<FolderRow>& folders) {
    std::unordered_map<int64_t, const FolderRow*> byId;
    for (const FolderRow& row : folders) byId.emplace(row.id, &row);
    std::unordered_map<int64_t, std::string> paths;
    std::vector<const FolderRow*> chain;
    for (const FolderRow& row : folders) {
        // Climb until a root or a folder whose path is known, then come back down.
        chain.clear();
        const FolderRow* at = &row;
        std::string base;
        bool reached = false;
        while (chain.size() <= folders.size()) {
            if (auto known = paths.find(at->id); known != paths.end()) {
                base = known->second;
                reached = true;
                break;
            }
            chain.push_back(at);
            if (!at->parent) {
                reached = true;
                break;
            }
            const auto parent = byId.find(*at->parent);
            if (parent == byId.end()) break;
            at = parent->second;
        }
        if (!reached) continue;
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            base = (*it)->parent ? childPath(base, (*it)->name) : (*it)->name;
            paths.emplace((*it)->id, base);
        }
    }
    return paths;
}

std::string normalizePath(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) slash = path.size();
        const std::string_view part = path.substr(start, slash - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = slash + 1;
    }
    std::string out;
    for (std::string_view part : parts) (out += '/') += part;
    return out.empty() ? "/" : out;
}

}  // namespace skimmer::index::store
