#include "index/query/item_rows.h"

#include "index/query/safecall_error.h"
#include "index/storage/folder_entries.h"
#include "index/storage/folder_paths.h"
#include "index/storage/item_ids.h"

namespace skimmer::index::query {

namespace {

store::Stmt prepareLookup(sqlite3* db, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    if (rc != SQLITE_OK) throwSqlite(db, rc, "preparing the row lookup");
    return store::Stmt(raw);
}

// Steps a bound lookup: true on a row, false when there is none; throws when SQLite fails.
bool stepLookup(sqlite3* db, sqlite3_stmt* stmt, const char* what) {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) throwSqlite(db, rc, what);
    return false;
}

// A column's bytes, valid until the statement moves on.
std::string_view columnView(sqlite3_stmt* stmt, int index) {
    const void* data = sqlite3_column_blob(stmt, index);
    const int size = sqlite3_column_bytes(stmt, index);
    if (data == nullptr || size <= 0) return {};
    return {static_cast<const char*>(data), static_cast<size_t>(size)};
}

[[noreturn]] void throwDamaged(const std::string& what) { throw SafecallError(kIndexDamaged, what); }

}  // namespace

FetchedItem readerRow(const store::CrawledItem& stored, int64_t id, int64_t dir, const std::string* dirPath) {
    FetchedItem row;
    row.id = id;
    row.name = stored.name;
    row.kind = stored.kind;
    row.ext = stored.ext;
    row.size = stored.size;
    row.mtime = stored.mtime;
    row.ctime = stored.ctime;
    row.attrs = stored.attrs;
    row.url = stored.url;
    row.display = stored.display;
    row.words = stored.words;
    row.dir = dir;
    if (dirPath) row.dirPath = *dirPath;
    return row;
}

FetchedItem readerRow(store::CrawledItem&& stored, int64_t id, int64_t dir, const std::string* dirPath) {
    FetchedItem row;
    row.id = id;
    row.name = std::move(stored.name);
    row.kind = stored.kind;
    row.ext = std::move(stored.ext);
    row.size = stored.size;
    row.mtime = stored.mtime;
    row.ctime = stored.ctime;
    row.attrs = stored.attrs;
    row.url = std::move(stored.url);
    row.display = std::move(stored.display);
    row.words = std::move(stored.words);
    row.dir = dir;
    if (dirPath) row.dirPath = *dirPath;
    return row;
}

std::string FetchedItem::displayedPath() const {
    if (dir != 0 && dirPath) return store::childPath(*dirPath, name);
    return display ? *display : name;
}

std::string FetchedItem::itemUrl() const {
    if (url) return *url;
    return dir != 0 && dirPath ? "file:" + displayedPath() : displayedPath();
}

std::string FetchedItem::folder() const { return dir != 0 && dirPath ? *dirPath : std::string(); }

RowReader::RowReader(sqlite3* db, size_t heldBytes)
    : db_(db),
      folders_(prepareLookup(db, ("SELECT id, count, CASE WHEN length(entries) <= " + std::to_string(kWholeEntriesBytes) +
                                  " THEN entries END, parent, name FROM dirs WHERE id >= ?1 ORDER BY id")
                                     .c_str())),
      item_(prepareLookup(db, (std::string("SELECT ") + store::kItemDataColumns + " FROM items WHERE id = ?1").c_str())),
      folder_(prepareLookup(db, "SELECT parent, name FROM dirs WHERE id = ?1")),
      held_(heldBytes),
      largestHeld_(heldBytes / 8) {}

ItemView viewOf(const FetchedItem& row) {
    ItemView view{.name = row.name, .kind = row.kind, .size = row.size, .mtime = row.mtime, .ctime = row.ctime,
                  .attrs = row.attrs, .folder = {}, .url = {}, .display = {}, .ext = row.ext};
    if (row.dir != 0 && row.dirPath) view.folder = *row.dirPath;
    if (row.url) view.url = *row.url;
    if (row.display) view.display = *row.display;
    return view;
}

bool RowReader::read(int64_t id, FetchedItem& row) {
    if (!store::isEntryId(id)) return readItem(id, row);
    const FolderCache::Folder* folder = nullptr;
    store::EntryView entry;
    switch (entryOf(id, entry, folder, row)) {
        case Reach::Gone:
            return false;
        case Reach::Stored:
            return true;
        case Reach::Held:
            break;
    }
    const int64_t dir = store::entryFolder(id);
    // Assigned field by field: the strings of `row` keep their room from row to row.
    row.id = id;
    row.name.assign(entry.name);
    row.kind = entry.kind;
    row.ext = store::entryExtension(entry.name, entry.kind);
    row.size = entry.size;
    row.mtime = entry.mtime;
    row.ctime = entry.ctime;
    row.attrs = entry.attrs;
    row.url.reset();
    row.display.reset();
    row.words.clear();
    row.dir = dir;
    if (!row.dirPath) row.dirPath.emplace();
    row.dirPath->assign(folder->path);
    return true;
}

bool RowReader::view(int64_t id, ItemView& out, FetchedItem& row) {
    if (store::isEntryId(id)) {
        const FolderCache::Folder* folder = nullptr;
        store::EntryView entry;
        switch (entryOf(id, entry, folder, row)) {
            case Reach::Gone:
                return false;
            case Reach::Stored:
                out = viewOf(row);
                return true;
            case Reach::Held:
                break;
        }
        out = ItemView{.name = entry.name, .kind = entry.kind, .size = entry.size, .mtime = entry.mtime,
                       .ctime = entry.ctime, .attrs = entry.attrs, .folder = folder->path, .url = {}, .display = {},
                       .ext = {}};
        return true;
    }
    if (!readItem(id, row)) return false;
    out = viewOf(row);
    return true;
}

RowReader::Reach RowReader::entryOf(int64_t id, store::EntryView& entry, const FolderCache::Folder*& folder,
                                    FetchedItem& row) {
    const int64_t dir = store::entryFolder(id);
    const uint32_t pos = store::entryPos(id);
    store::CrawledItem stored;
    const Reach reached = reach(dir, pos, folder, stored);
    if (reached == Reach::Stored) storedRow(std::move(stored), id, dir, row);
    if (reached == Reach::Held && !folder->view(pos, entry))
        throwDamaged("the entries of folder " + std::to_string(dir) + " are damaged");
    return reached;
}

// The first row of a large folder, read alone.
void RowReader::storedRow(store::CrawledItem&& stored, int64_t id, int64_t dir, FetchedItem& row) {
    const std::string path(folderPath(dir));
    row = readerRow(std::move(stored), id, dir, &path);
}

RowReader::Reach RowReader::reach(int64_t dir, uint32_t pos, const FolderCache::Folder*& folder,
                                  store::CrawledItem& stored) {
    folder = held_.find(dir);
    if (folder == nullptr) {
        // One row answers "gone" without touching the entries, and brings a small folder's
        // entries whole (length() of a BLOB reads no byte of it); a large folder's come back NULL.
        if (!toFolderRow(dir)) return Reach::Gone;  // the folder is gone
        sqlite3_stmt* stmt = folders_.get();
        const int64_t count = sqlite3_column_int64(stmt, 1);
        if (pos >= count) return Reach::Gone;  // the folder holds fewer entries now: the item is gone
        if (sqlite3_column_type(stmt, 2) != SQLITE_NULL) {
            const bool root = sqlite3_column_type(stmt, 3) == SQLITE_NULL;
            const int64_t parent = sqlite3_column_int64(stmt, 3);
            // The row brought the folder's own name: only its parent's path is looked up (with
            // the cursor still on this row, so a folder of the chain takes another statement).
            // The path is built in a buffer every folder reuses (the ring keeps its own copy).
            const std::string_view name = columnView(stmt, 4);
            std::string& path = pathScratch_;
            path.clear();
            if (!root) {
                const std::string_view parentPath = folderPath(parent);
                if (parentPath != "/") path.assign(parentPath);  // store::childPath's rule
                path += '/';
            }
            path += name;
            ++folderReads_;
            folder = holdFolder(dir, columnView(stmt, 2), path, count);
        } else {
            ++folderReads_;
            if (++largeMet_[dir] > 1) {
                std::string blob = readWholeLarge(dir);
                if (!blob.empty()) folder = holdFolder(dir, blob, folderPath(dir), count);
            }
            if (folder == nullptr) {
                switch (readLargeEntry(dir, pos, stored)) {
                    case store::EntryLookup::Found:
                        return Reach::Stored;
                    case store::EntryLookup::Past:
                        throwDamaged("folder " + std::to_string(dir) + " holds fewer entries than its count");
                    case store::EntryLookup::Damaged:
                        throwDamaged("the entries of folder " + std::to_string(dir) + " are damaged");
                }
            }
        }
    }
    if (pos >= folder->count) return Reach::Gone;  // a held folder's count is its row's
    return Reach::Held;
}

bool RowReader::toFolderRow(int64_t dir) {
    sqlite3_stmt* stmt = folders_.get();
    // A cursor a few rows short of `dir` steps on to it; any other place is sought afresh. A
    // cursor that is not busy was reset (its last row passed, or its transaction ended).
    const bool near = sqlite3_stmt_busy(stmt) != 0 && cursorAt_ <= dir && dir - cursorAt_ <= kStepAhead;
    if (!near) {
        sqlite3_reset(stmt);
        sqlite3_bind_int64(stmt, 1, dir);
        cursorAt_ = dir - 1;
    }
    while (cursorAt_ < dir) {
        if (!stepLookup(db_, stmt, "reading an item")) return false;  // no folder from `dir` on
        cursorAt_ = sqlite3_column_int64(stmt, 0);
    }
    return cursorAt_ == dir;  // past it: `dir` is gone
}

// Holds a folder's whole packed entries; a blob that does not decode, or whose count differs
// from its row's, is damage, never a shorter folder.
const FolderCache::Folder* RowReader::holdFolder(int64_t dir, std::string_view blob, std::string_view path, int64_t count) {
    const FolderCache::Folder* folder = held_.insert(dir, blob, path);
    if (folder == nullptr) throwDamaged("the entries of folder " + std::to_string(dir) + " are damaged");
    if (folder->count != count)
        throwDamaged("folder " + std::to_string(dir) + " holds other than its count of entries");
    return folder;
}

// A large folder's whole packed entries, or nothing when it is too large to hold.
std::string RowReader::readWholeLarge(int64_t dir) {
    sqlite3_blob* raw = nullptr;
    const int rc = sqlite3_blob_open(db_, "main", "dirs", "entries", dir, 0, &raw);
    const std::unique_ptr<sqlite3_blob, BlobCloser> blob(raw);
    if (rc != SQLITE_OK) throwSqlite(db_, rc, "reading an item");
    const int size = sqlite3_blob_bytes(blob.get());
    if (size <= 0 || static_cast<size_t>(size) > largestHeld_) return {};
    std::string bytes(static_cast<size_t>(size), '\0');
    const int readRc = sqlite3_blob_read(blob.get(), bytes.data(), size, 0);
    if (readRc != SQLITE_OK) throwSqlite(db_, readRc, "reading an item");
    return bytes;
}

// Only the bytes the entry needs are read: in a folder of 100,000 entries the packed row is
// megabytes, and loading it whole for a query's first rows would cost what decoding it all did.
store::EntryLookup RowReader::readLargeEntry(int64_t dir, uint32_t pos, store::CrawledItem& stored) {
    sqlite3_blob* raw = nullptr;
    const int rc = sqlite3_blob_open(db_, "main", "dirs", "entries", dir, 0, &raw);
    const std::unique_ptr<sqlite3_blob, BlobCloser> blob(raw);
    if (rc != SQLITE_OK) throwSqlite(db_, rc, "reading an item");
    const store::BlobRead read = [&](size_t offset, size_t length, std::string& bytes) {
        bytes.resize(length);
        if (length == 0) return true;
        const int readRc = sqlite3_blob_read(blob.get(), bytes.data(), static_cast<int>(length), static_cast<int>(offset));
        if (readRc != SQLITE_OK) throwSqlite(db_, readRc, "reading an item");
        return true;
    };
    return store::readEntryAt(static_cast<size_t>(sqlite3_blob_bytes(blob.get())), read, pos, stored);
}

bool RowReader::readItem(int64_t id, FetchedItem& row) {
    sqlite3_stmt* s = item_.get();
    sqlite3_reset(s);
    sqlite3_bind_int64(s, 1, id);
    if (!stepLookup(db_, s, "reading an item")) return false;
    store::CrawledItem stored;
    store::readItemData(s, 0, stored);
    sqlite3_reset(s);
    row = readerRow(std::move(stored), id, 0, nullptr);
    return true;
}

std::string_view RowReader::folderPath(int64_t dir) {
    if (const auto known = paths_.find(dir)) return *known;
    // A folder read whole for its own rows knows its path already: its children's rows, which may
    // come long after, then cost no lookup of it.
    if (const auto held = held_.heldPath(dir)) return paths_.add(dir, *held);
    const auto knownPath = [this](int64_t id) {
        auto known = paths_.find(id);
        return known ? known : held_.heldPath(id);
    };
    // Climb to a root or a folder already known, then fill in the paths on the way down.
    std::vector<std::pair<int64_t, std::string>> chain;  // (id, name), leaf first
    std::string base;
    bool fromRoot = false;
    for (int64_t at = dir;;) {
        if (const auto known = knownPath(at)) {
            base = *known;
            break;
        }
        if (chain.size() > 100000) throwDamaged("the folders of the index form a loop");
        sqlite3_stmt* s = folder_.get();
        sqlite3_reset(s);
        sqlite3_bind_int64(s, 1, at);
        if (!stepLookup(db_, s, "reading a folder")) throwDamaged("a folder of the index is missing");
        const bool root = sqlite3_column_type(s, 0) == SQLITE_NULL;
        const int64_t parent = sqlite3_column_int64(s, 0);
        chain.emplace_back(at, store::columnBytes(s, 1));
        sqlite3_reset(s);
        if (root) {
            fromRoot = true;
            break;
        }
        at = parent;
    }
    std::string_view path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        base = fromRoot && it == chain.rbegin() ? it->second : store::childPath(base, it->second);
        path = paths_.add(it->first, base);
    }
    return path;
}

}  // namespace skimmer::index::query
