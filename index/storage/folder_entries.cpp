#include "index/storage/folder_entries.h"

#include "index/storage/item_ids.h"
#include "index/storage/kinds.h"

#include <algorithm>
#include <cstdint>

namespace skimmer::index::store {

namespace {

void putVarint(std::string& out, uint64_t value) {
    for (; value >= 0x80; value >>= 7) out.push_back(static_cast<char>(value | 0x80));
    out.push_back(static_cast<char>(value));
}

uint64_t zigzag(int64_t value) {
    return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63);
}
// Differences and sums of times in two's complement, so that every pair of times round-trips (and
// a damaged row decodes to some time rather than to undefined behaviour).
int64_t wrappingSub(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b)); }
int64_t wrappingAdd(int64_t a, int64_t b) { return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b)); }

int64_t unzigzag(uint64_t value) { return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1); }

class Reader {
public:
    explicit Reader(std::string_view blob) : at_(blob.data()), end_(blob.data() + blob.size()) {}
    bool done() const { return at_ == end_; }
    size_t consumed(std::string_view blob) const { return static_cast<size_t>(at_ - blob.data()); }

    bool varint(uint64_t& value) {
        value = 0;
        for (int shift = 0; shift < 64 && at_ != end_; shift += 7) {
            const auto byte = static_cast<unsigned char>(*at_++);
            value |= uint64_t{byte & 0x7Fu} << shift;
            if (byte < 0x80) return true;
        }
        return false;
    }

    // One entry, its name a view of the blob; `previousMtime` carries the delta base from entry
    // to entry.
    bool entry(EntryView& row, int64_t& previousMtime) {
        uint64_t length, kindAttrs, size, mtime, ctime;
        if (!varint(length) || length > static_cast<uint64_t>(end_ - at_)) return false;
        row.name = std::string_view(at_, length);
        at_ += length;
        if (!varint(kindAttrs) || !varint(size) || !varint(mtime) || !varint(ctime)) return false;
        if (kindAttrs > 0xFFFF || size > static_cast<uint64_t>(INT64_MAX)) return false;
        row.kind = static_cast<int>(kindAttrs >> 4);
        row.attrs = static_cast<int>(kindAttrs & 15);
        row.size = static_cast<int64_t>(size);
        row.mtime = wrappingAdd(previousMtime, unzigzag(mtime));
        row.ctime = wrappingAdd(row.mtime, unzigzag(ctime));
        previousMtime = row.mtime;
        return true;
    }

    bool entry(CrawledItem& row, int64_t& previousMtime, bool wantName) {
        EntryView view;
        if (!entry(view, previousMtime)) return false;
        if (wantName) row.name.assign(view.name);
        row.kind = view.kind;
        row.attrs = view.attrs;
        row.size = view.size;
        row.mtime = view.mtime;
        row.ctime = view.ctime;
        return true;
    }

private:
    const char* at_;
    const char* end_;
};

void finish(CrawledItem& row) {
    row.ext = entryExtension(row.name, row.kind);
    row.url.reset();
    row.display.reset();
}

uint32_t restartCount(uint32_t count) { return count == 0 ? 0 : (count - 1) / kRestartEvery; }

uint32_t loadOffset(const char* at) {
    uint32_t value = 0;
    for (size_t i = 0; i < kRestartOffsetBytes; ++i) value |= uint32_t{static_cast<unsigned char>(at[i])} << (8 * i);
    return value;
}

void storeOffset(std::string& out, uint32_t value) {
    for (size_t i = 0; i < kRestartOffsetBytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// The count varint at the start of a blob (`prefix` holds at least its first bytes); false when it
// is malformed or larger than a folder may hold. `length` is its size in bytes.
bool readCount(std::string_view prefix, uint32_t& count, size_t& length) {
    Reader reader(prefix);
    uint64_t value;
    if (!reader.varint(value) || value > kMaxFolderEntries) return false;
    count = static_cast<uint32_t>(value);
    length = reader.consumed(prefix);
    return true;
}

// Longest count varint: kMaxFolderEntries takes 4 bytes.
constexpr size_t kMaxCountBytes = 4;
static_assert(kMaxFolderEntries < (uint64_t{1} << (7 * kMaxCountBytes)));

}  // namespace

std::string entryExtension(std::string_view name, int kind) {
    return kind == static_cast<int>(Kind::Folder) ? std::string() : extensionOf(name);
}

std::string encodeEntries(std::vector<CrawledItem> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const CrawledItem& a, const CrawledItem& b) { return a.name < b.name; });
    if (rows.empty()) return {};
    std::string entries, table;
    int64_t previousMtime = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const CrawledItem& row = rows[i];
        if (i % kRestartEvery == 0) {
            if (i != 0) storeOffset(table, static_cast<uint32_t>(entries.size()));
            previousMtime = 0;
        }
        putVarint(entries, row.name.size());
        entries += row.name;
        putVarint(entries, static_cast<uint64_t>(row.kind) << 4 | static_cast<uint64_t>(row.attrs & 15));
        putVarint(entries, static_cast<uint64_t>(std::max<int64_t>(row.size, 0)));
        putVarint(entries, zigzag(wrappingSub(row.mtime, previousMtime)));
        putVarint(entries, zigzag(wrappingSub(row.ctime, row.mtime)));
        previousMtime = row.mtime;
    }
    std::string out;
    putVarint(out, rows.size());
    out.reserve(out.size() + table.size() + entries.size());
    out += table;
    out += entries;
    return out;
}

namespace {

// Where a non-empty blob's parts lie: its entry count, its restart table and the entries after it.
struct BlobLayout {
    uint32_t count = 0;
    const char* table = nullptr;
    size_t entriesStart = 0;
};

bool readLayout(std::string_view blob, BlobLayout& layout) {
    size_t countBytes;
    if (!readCount(blob, layout.count, countBytes)) return false;
    const uint32_t restarts = restartCount(layout.count);
    if (uint64_t{restarts} * kRestartOffsetBytes > blob.size() - countBytes) return false;
    layout.table = blob.data() + countBytes;
    layout.entriesStart = countBytes + size_t{restarts} * kRestartOffsetBytes;
    return true;
}

}  // namespace

bool decodeEntries(std::string_view blob, std::vector<CrawledItem>& out) {
    if (blob.empty()) return true;
    BlobLayout layout;
    if (!readLayout(blob, layout)) return false;
    const uint32_t count = layout.count;
    const char* table = layout.table;
    const std::string_view entries = blob.substr(layout.entriesStart);
    Reader reader(entries);
    int64_t previousMtime = 0;
    out.reserve(out.size() + count);
    for (uint32_t i = 0; i < count; ++i) {
        if (i % kRestartEvery == 0 && i != 0) {
            if (loadOffset(table + kRestartOffsetBytes * (i / kRestartEvery - 1)) != reader.consumed(entries)) return false;
            previousMtime = 0;
        }
        if (reader.done()) return false;
        CrawledItem row;
        if (!reader.entry(row, previousMtime, true)) return false;
        finish(row);
        out.push_back(std::move(row));
    }
    return reader.done();
}

bool slotEntries(std::string_view blob, EntrySlots& out) {
    out.offsets.clear();
    out.mtimeBases.clear();
    if (blob.empty()) return true;
    BlobLayout layout;
    if (!readLayout(blob, layout)) return false;
    const uint32_t count = layout.count;
    const char* table = layout.table;
    const size_t entriesStart = layout.entriesStart;
    const std::string_view entries = blob.substr(entriesStart);
    Reader reader(entries);
    int64_t previousMtime = 0;
    out.offsets.reserve(count);
    out.mtimeBases.reserve(count);
    CrawledItem skipped;
    for (uint32_t i = 0; i < count; ++i) {
        if (i % kRestartEvery == 0 && i != 0) {
            if (loadOffset(table + kRestartOffsetBytes * (i / kRestartEvery - 1)) != reader.consumed(entries)) return false;
            previousMtime = 0;
        }
        if (reader.done()) return false;
        out.offsets.push_back(static_cast<uint32_t>(entriesStart + reader.consumed(entries)));
        out.mtimeBases.push_back(previousMtime);
        if (!reader.entry(skipped, previousMtime, false)) return false;
    }
    return reader.done();
}

bool decodeEntryFrom(std::string_view blob, uint32_t offset, int64_t mtimeBase, CrawledItem& out) {
    if (offset >= blob.size()) return false;
    Reader reader(blob.substr(offset));
    int64_t previousMtime = mtimeBase;
    if (!reader.entry(out, previousMtime, true)) return false;
    finish(out);
    return true;
}

bool viewEntryFrom(std::string_view blob, uint32_t offset, int64_t mtimeBase, EntryView& out) {
    if (offset >= blob.size()) return false;
    Reader reader(blob.substr(offset));
    int64_t previousMtime = mtimeBase;
    return reader.entry(out, previousMtime);
}

EntryLookup readEntryAt(size_t blobSize, const BlobRead& read, uint32_t pos, CrawledItem& out) {
    if (blobSize == 0) return EntryLookup::Past;
    std::string bytes;
    if (!read(0, std::min(blobSize, kMaxCountBytes), bytes)) return EntryLookup::Damaged;
    uint32_t count;
    size_t countBytes;
    if (!readCount(bytes, count, countBytes)) return EntryLookup::Damaged;
    if (pos >= count) return EntryLookup::Past;
    const uint32_t restarts = restartCount(count);
    const uint64_t entriesStart = countBytes + uint64_t{restarts} * kRestartOffsetBytes;
    if (entriesStart >= blobSize) return EntryLookup::Damaged;  // a folder with entries has their bytes
    const uint64_t entriesSize = blobSize - entriesStart;

    // The run holding `pos`: from its restart point (the first entry's for run 0) to the next one
    // (the blob's end for the last run).
    const uint32_t run = pos / kRestartEvery;
    uint64_t begin = 0, end = entriesSize;
    if (run > 0 || run < restarts) {
        const uint32_t first = run > 0 ? run - 1 : 0;
        const uint32_t slots = (run > 0 ? 1u : 0u) + (run < restarts ? 1u : 0u);
        if (!read(countBytes + size_t{first} * kRestartOffsetBytes, slots * kRestartOffsetBytes, bytes)) return EntryLookup::Damaged;
        if (run > 0) begin = loadOffset(bytes.data());
        if (run < restarts) end = loadOffset(bytes.data() + (run > 0 ? kRestartOffsetBytes : 0));
    }
    if (begin >= end || end > entriesSize) return EntryLookup::Damaged;
    if (!read(static_cast<size_t>(entriesStart + begin), static_cast<size_t>(end - begin), bytes)) return EntryLookup::Damaged;

    Reader reader(bytes);
    int64_t previousMtime = 0;
    const uint32_t inRun = std::min(kRestartEvery, count - run * kRestartEvery);
    for (uint32_t i = 0; i < inRun; ++i) {
        const bool wanted = run * kRestartEvery + i == pos;
        CrawledItem skipped;
        if (reader.done() || !reader.entry(wanted ? out : skipped, previousMtime, wanted)) return EntryLookup::Damaged;
    }
    if (!reader.done()) return EntryLookup::Damaged;
    finish(out);
    return EntryLookup::Found;
}

bool decodeEntryAt(std::string_view blob, uint32_t pos, CrawledItem& out) {
    const BlobRead fromMemory = [blob](size_t offset, size_t length, std::string& bytes) {
        if (offset > blob.size() || length > blob.size() - offset) return false;
        bytes.assign(blob.substr(offset, length));
        return true;
    };
    return readEntryAt(blob.size(), fromMemory, pos, out) == EntryLookup::Found;
}

}  // namespace skimmer::index::store
