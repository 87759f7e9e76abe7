#include "index/query/overlay_hits.h"

#include "index/query/item_facts.h"
#include "index/query/item_rows.h"
#include "index/query/matcher.h"
#include "index/query/safecall_error.h"
#include "index/storage/folder_entries.h"
#include "index/storage/item_ids.h"
#include "index/storage/sqlite_handle.h"
#include "os/paths.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>

namespace skimmer::index::query {
namespace {

// Where a hit falls in the search order: names that begin with the first word first, then
// newest first (unknown times last), then by id.
struct Key {
    bool rest = false;
    std::optional<int64_t> mtime;
    int64_t id = 0;
};

bool before(const Key& a, const Key& b) {
    if (a.rest != b.rest) return !a.rest;
    if (a.mtime.has_value() != b.mtime.has_value()) return a.mtime.has_value();
    if (a.mtime && *a.mtime != *b.mtime) return *a.mtime > *b.mtime;
    return a.id < b.id;
}

[[noreturn]] void failed(sqlite3* db, const char* what) {
    throw SafecallError(hresultFromSqlite(sqlite3_extended_errcode(db)), std::string(what) + ": " + sqlite3_errmsg(db));
}

class OverlayHits final : public HitStream {
public:
    OverlayHits(std::unique_ptr<HitStream> base, sqlite3* db, const Node& root, std::string_view lead,
                const std::vector<int64_t>& stale)
        : base_(std::move(base)), db_(db), rows_(db), lead_(lead) {
        store::Status status;
        folder_ = store::prepare(db, "SELECT parent, name, entries FROM dirs WHERE id = ?", status);
        if (!folder_) failed(db, "reading a changed folder");
        for (int64_t dir : stale) scanFolder(dir, root);
        std::sort(fresh_.begin(), fresh_.end(), before);
    }

    std::optional<int64_t> next() override {
        if (!head_ && !baseDone_) pullBase();
        const bool haveFresh = at_ < fresh_.size();
        if (!head_ && !haveFresh) return std::nullopt;
        if (head_ && (!haveFresh || before(*head_, fresh_[at_]))) {
            const int64_t id = head_->id;
            head_.reset();
            return id;
        }
        return fresh_[at_++].id;
    }

private:
    bool isRest(std::string_view foldedName) const { return lead_.empty() || !foldedName.starts_with(lead_); }

    void pullBase() {
        while (const std::optional<int64_t> id = base_->next()) {
            RowFacts facts;
            if (!rows_.read(*id, facts.row())) continue;  // gone: the record set would skip it too
            head_ = Key{isRest(facts.foldedName()), facts.row().mtime, *id};
            return;
        }
        baseDone_ = true;
    }

    // The folder's path from its parent chain (cached: stale folders often share ancestors).
    std::optional<std::string> pathOf(int64_t dir, int depth = 0) {
        if (const auto known = paths_.find(dir); known != paths_.end()) return known->second;
        if (depth > 4096) return std::nullopt;  // a loop: only damage makes one
        sqlite3_reset(folder_.get());
        sqlite3_bind_int64(folder_.get(), 1, dir);
        const int rc = sqlite3_step(folder_.get());
        if (rc == SQLITE_DONE) return std::nullopt;
        if (rc != SQLITE_ROW) failed(db_, "reading a changed folder");
        const bool isRoot = sqlite3_column_type(folder_.get(), 0) == SQLITE_NULL;
        const int64_t parent = sqlite3_column_int64(folder_.get(), 0);
        std::string name = store::columnBytes(folder_.get(), 1);
        std::optional<std::string> path = std::move(name);
        if (!isRoot) {
            std::optional<std::string> up = pathOf(parent, depth + 1);
            if (!up) return std::nullopt;
            path = os::joinPath(*up, *path);
        }
        paths_[dir] = *path;
        return path;
    }

    void scanFolder(int64_t dir, const Node& root) {
        const std::optional<std::string> path = pathOf(dir);
        if (!path) return;  // deleted since the sidecar was built: its old entries are left out, nothing more
        sqlite3_reset(folder_.get());
        sqlite3_bind_int64(folder_.get(), 1, dir);
        if (sqlite3_step(folder_.get()) != SQLITE_ROW) failed(db_, "reading a changed folder");
        const auto* data = static_cast<const char*>(sqlite3_column_blob(folder_.get(), 2));
        std::vector<store::CrawledItem> entries;
        if (!store::decodeEntries({data ? data : "", static_cast<size_t>(sqlite3_column_bytes(folder_.get(), 2))},
                                  entries))
            throw SafecallError(kIndexDamaged, "the entries of folder " + std::to_string(dir) + " are damaged");
        RowFacts facts;
        for (uint32_t pos = 0; pos < entries.size(); ++pos) {
            facts.reset();
            facts.row() = readerRow(entries[pos], store::entryId(dir, pos), dir, &*path);
            if (!matches(root, facts)) continue;
            fresh_.push_back(Key{isRest(facts.foldedName()), facts.row().mtime, store::entryId(dir, pos)});
        }
    }

    std::unique_ptr<HitStream> base_;
    sqlite3* db_;
    RowReader rows_;
    std::string lead_;
    store::Stmt folder_;
    std::unordered_map<int64_t, std::string> paths_;
    std::vector<Key> fresh_;  // the stale folders' hits, in search order
    size_t at_ = 0;
    std::optional<Key> head_;  // the sidecar's next hit
    bool baseDone_ = false;
};

}  // namespace

std::unique_ptr<HitStream> makeOverlayHits(std::unique_ptr<HitStream> base, sqlite3* db, const Node& root,
                                           std::string_view lead, const std::vector<int64_t>& staleFolders) {
    return std::make_unique<OverlayHits>(std::move(base), db, root, lead, staleFolders);
}

}  // namespace skimmer::index::query
