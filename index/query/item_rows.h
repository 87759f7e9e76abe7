// One item's row as the reader needs it, read from SQLite by id, and the texts derived from it
// (displayed path, URL, folder) by the rules of the schema.
//
// Contract: `RowReader` owns its prepared statements on a connection it does not own; `read`
// returns false when the item is gone and throws SafecallError when SQLite fails or a folder's
// row is damaged.
#pragma once

#include "index/query/folder_cache.h"
#include "index/query/folder_path_table.h"
#include "index/storage/folder_entries.h"
#include "index/storage/index_writer.h"
#include "index/storage/sqlite_handle.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace skimmer::index::query {

struct FetchedItem {
    int64_t id = 0;
    std::string name;
    int kind = 0;
    std::string ext;
    std::optional<int64_t> size, mtime, ctime;
    int64_t attrs = 0;
    std::optional<std::string> url, display;
    std::string words;  // searched beside the name, never shown (store::searchedText)
    int64_t dir = 0;
    std::optional<std::string> dirPath;

    // dirs.path + "/" + name for files, else the stored display text (or the name).
    std::string displayedPath() const;
    // "file:" + the displayed path for files, else the stored URL (or the displayed path).
    std::string itemUrl() const;
    // The folder's path for files; empty for items outside the file system.
    std::string folder() const;
};

// An item's row as its cells are made from it: every text a view (of a held folder's bytes, or of
// a FetchedItem), valid until the reader's next read.
struct ItemView {
    std::string_view name;
    int kind = 0;
    std::optional<int64_t> size, mtime, ctime;
    int64_t attrs = 0;
    // An entry of the file system: its folder's path (its path is that + "/" + name, its URL
    // "file:" + its path). None for items of other sources.
    std::optional<std::string_view> folder;
    // What an item of another source stores beside its name.
    std::optional<std::string_view> url, display;
    // The extension (no dot) when the row carries it; none: derived from name and kind
    // (store::entryExtension), as an entry's is.
    std::optional<std::string_view> ext;
};

ItemView viewOf(const FetchedItem& row);

// The reader's row for an item the store produced (entry or item of another source); `dirPath` is
// the folder's path for entries (dir != 0).
FetchedItem readerRow(const store::CrawledItem& stored, int64_t id, int64_t dir, const std::string* dirPath);
FetchedItem readerRow(store::CrawledItem&& stored, int64_t id, int64_t dir, const std::string* dirPath);

// Reads single items by id: an entry from its folder's row, an item of another source from
// `items`. A folder's packed entries are read once and held (folder_cache.h) while the reader
// lives, within a byte budget; so a query's rows read each folder's row about once, not once per
// hit. The first row of a large folder reads only the run of entries that holds it
// (folder_entries.h), so the first rows of a query never wait for a megabyte-sized folder; its
// second row brings it whole. Folder paths are rebuilt from the parent chain once per folder and
// kept for the reader's life.
class RowReader {
public:
    // Bytes of packed entries, slots and paths a reader holds: those of a million-entry index fit
    // (48.2 MB on the generated trees: 39.7 entries and slots, 8.5 paths), so every row of its
    // commonest query reads each folder once.
    static constexpr size_t kDefaultHeldBytes = size_t{56} << 20;
    static_assert(kDefaultHeldBytes <= FolderCache::kMaxBudget);

    explicit RowReader(sqlite3* db, size_t heldBytes = kDefaultHeldBytes);
    bool read(int64_t id, FetchedItem& row);
    // The same row as a view, for making its cells: an entry of a held folder is viewed where it
    // lies (nothing copied; valid until the next read), anything else is read into `row` and
    // viewed there.
    bool view(int64_t id, ItemView& out, FetchedItem& row);

    // Reads of a folder's packed entries from SQLite so far (whole or one run): for measurements
    // and tests of the "once per folder" promise.
    uint64_t folderReads() const { return folderReads_; }

private:
    // Where entry `pos` of folder `dir` is read from: its held folder, or `stored` (the first row
    // of a large folder, read alone); Gone when the folder or the entry is gone.
    enum class Reach { Held, Stored, Gone };
    Reach reach(int64_t dir, uint32_t pos, const FolderCache::Folder*& folder, store::CrawledItem& stored);
    // Entry `id` reached: Held with `entry` viewed in its held folder (damage throws), Stored with
    // the row read alone into `row`, or Gone.
    Reach entryOf(int64_t id, store::EntryView& entry, const FolderCache::Folder*& folder, FetchedItem& row);
    void storedRow(store::CrawledItem&& stored, int64_t id, int64_t dir, FetchedItem& row);
    bool readItem(int64_t id, FetchedItem& row);
    std::string_view folderPath(int64_t dir);
    const FolderCache::Folder* holdFolder(int64_t dir, std::string_view blob, std::string_view path, int64_t count);
    std::string readWholeLarge(int64_t dir);

    sqlite3* db_;
    struct BlobCloser {
        void operator()(sqlite3_blob* blob) const { sqlite3_blob_close(blob); }
    };

    // Folders whose packed entries are at most this long are read whole with their first row (a
    // page or two); longer ones only from their second row on.
    static constexpr size_t kWholeEntriesBytes = 16384;

    store::EntryLookup readLargeEntry(int64_t dir, uint32_t pos, store::CrawledItem& stored);

    // Folder rows are read through one cursor in id order (`folders_`, left on the last row read):
    // a query's hits meet folders in runs of near ids, and stepping a cursor a few rows on costs a
    // fraction of seeking the row afresh. The cursor stays open while the reader reads; ending
    // the transaction resets it (Session::endTransaction resets every busy statement).
    bool toFolderRow(int64_t dir);  // true with `folders_` on `dir`'s row; false when it is gone
    static constexpr int64_t kStepAhead = 8;
    store::Stmt folders_, item_, folder_;
    int64_t cursorAt_ = 0;  // the id of the row `folders_` is on, while it is busy
    FolderPathTable paths_;
    std::string pathScratch_;  // the path of the folder being read
    FolderCache held_;
    size_t largestHeld_;                        // folders longer than this are never held
    std::unordered_map<int64_t, int> largeMet_;  // large folders read one run at a time so far
    uint64_t folderReads_ = 0;
};

}  // namespace skimmer::index::query
