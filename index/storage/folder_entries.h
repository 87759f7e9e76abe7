// The packed form of a folder's entries, stored as one BLOB in its dirs row. A million files cost
// one SQLite row per folder instead of one per file: no per-row header, rowid or cell pointer, and
// no index to find a folder's items (the crawler reads and replaces a folder's row whole).
//
// Layout (an empty BLOB is a folder without entries):
//     count                       LEB128 varint, the number of entries (at most kMaxFolderEntries)
//     restart offsets             (count - 1) / kRestartEvery little-endian uint32: where entries
//                                 kRestartEvery, 2 * kRestartEvery, ... start, counted from the
//                                 first entry's first byte
//     entries                     in ascending byte order of their names, each as LEB128 varints:
//         name length, name bytes, kind << 4 | attrs, size,
//         zigzag(mtime - previous entry's mtime), zigzag(ctime - mtime)
// Times are Unix seconds; the deltas keep them to a few bytes in a folder written at one time. An
// entry at a restart point (every kRestartEvery-th, the first included) has no previous entry: its
// mtime is stored whole, so decoding can begin there. Reading one entry of a folder of any size
// therefore reads the count, at most two offsets and one run of at most kRestartEvery entries.
//
// Contract:
// - `encodeEntries` sorts its copy of the rows by name (stably: equal names keep their order);
//   `decodeEntries` returns them in stored order, so an entry's position is its index in the
//   decoded vector (item_ids.h).
// - The extension is not stored: it is derived from the name and kind (`entryExtension`), and
//   url/display are never set for entries.
// - Decoding checks every length and offset against the blob and fails (false / Damaged, `out`
//   then partial) on a truncated or malformed blob instead of reading past it. Whole decoding also
//   checks that the count and every restart offset agree with the entries; reading one entry checks
//   that its run of entries ends exactly where the next begins.
#pragma once

#include "index/storage/index_writer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::store {

// Entries between restart points: the most one entry's read decodes. A power of two, and small
// enough that decoding a run costs about what SQLite's lookup of the row does.
inline constexpr uint32_t kRestartEvery = 64;
static_assert(kRestartEvery > 1 && (kRestartEvery & (kRestartEvery - 1)) == 0);
// Bytes of one restart offset.
inline constexpr size_t kRestartOffsetBytes = 4;
static_assert(kRestartOffsetBytes == sizeof(uint32_t));

std::string encodeEntries(std::vector<CrawledItem> rows);
bool decodeEntries(std::string_view blob, std::vector<CrawledItem>& out);

enum class EntryLookup {
    Found,
    Past,     // the folder holds no entry at that position
    Damaged,  // the blob is malformed
};

// Reads `length` bytes at `offset` of a blob into `out` (replacing its contents); false when the
// blob ends before. May throw: the exception passes through `readEntryAt` untouched.
using BlobRead = std::function<bool(size_t offset, size_t length, std::string& out)>;

// Reads entry `pos` of a blob of `blobSize` bytes through `read`, touching only the bytes above.
EntryLookup readEntryAt(size_t blobSize, const BlobRead& read, uint32_t pos, CrawledItem& out);

// The same over a blob in memory; false when the entry is past the end or the blob is malformed.
bool decodeEntryAt(std::string_view blob, uint32_t pos, CrawledItem& out);

// Where every entry of a blob starts and the mtime its delta counts from: with these any entry is
// decoded from its own first byte, so a reader holding a folder pays one entry per row, not a run.
// 12 bytes per entry beside the blob.
struct EntrySlots {
    std::vector<uint32_t> offsets;    // from the blob's first byte
    std::vector<int64_t> mtimeBases;  // the previous entry's mtime; 0 at a restart point
    uint32_t count() const { return static_cast<uint32_t>(offsets.size()); }
};

// Fills `out` for a whole blob, checking it as decodeEntries does; false (and `out` partial) when
// the blob is malformed.
bool slotEntries(std::string_view blob, EntrySlots& out);

// The entry starting at byte `offset` of a blob, its mtime delta counted from `mtimeBase` (a slot
// slotEntries gave); false when it does not decode inside the blob.
bool decodeEntryFrom(std::string_view blob, uint32_t offset, int64_t mtimeBase, CrawledItem& out);

// An entry as it lies in its blob, for readers that take its bytes from there: the name is a view
// of the blob (valid while the blob is), and nothing is derived (no extension).
struct EntryView {
    std::string_view name;
    int kind = 0, attrs = 0;
    int64_t size = 0, mtime = 0, ctime = 0;
};

// decodeEntryFrom without copying the name.
bool viewEntryFrom(std::string_view blob, uint32_t offset, int64_t mtimeBase, EntryView& out);

// Entry `pos` of a blob slotted by slotEntries; false when it is past the end or does not decode.
inline bool decodeSlot(std::string_view blob, const EntrySlots& slots, uint32_t pos, CrawledItem& out) {
    return pos < slots.count() && decodeEntryFrom(blob, slots.offsets[pos], slots.mtimeBases[pos], out);
}

// The lower-case extension an entry of this name and kind carries: none for folders.
std::string entryExtension(std::string_view name, int kind);

}  // namespace skimmer::index::store
