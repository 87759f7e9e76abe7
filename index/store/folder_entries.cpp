#include "index/store/folder_entries.h"

#include "index/store/kinds.h"

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

    bool varint(uint64_t& value) {
        value = 0;
        for (int shift = 0; shift < 64 && at_ != end_; shift += 7) {
            const auto byte = static_cast<unsigned char>(*at_++);
            value |= uint64_t{byte & 0x7Fu} << shift;
            if (byte < 0x80) return true;
        }
        return false;
    }

    // One entry; `previousMtime` carries the delta base from entry to entry.
    bool entry(CrawledItem& row, int64_t& previousMtime, bool wantName) {
        uint64_t length, kindAttrs, size, mtime, ctime;
        if (!varint(length) || length > static_cast<uint64_t>(end_ - at_)) return false;
        if (wantName) row.name.assign(at_, length);
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

private:
    const char* at_;
    const char* end_;
};

void finish(CrawledItem& row) {
    row.ext = entryExtension(row.name, row.kind);
    row.url.reset();
    row.display.reset();
}

}  // namespace

std::string entryExtension(std::string_view name, int kind) {
    return kind == static_cast<int>(Kind::Folder) ? std::string() : extensionOf(name);
}

std::string encodeEntries(std::vector<CrawledItem> rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const CrawledItem& a, const CrawledItem& b) { return a.name < b.name; });
    std::string out;
    int64_t previousMtime = 0;
    for (const CrawledItem& row : rows) {
        putVarint(out, row.name.size());
        out += row.name;
        putVarint(out, static_cast<uint64_t>(row.kind) << 4 | static_cast<uint64_t>(row.attrs & 15));
        putVarint(out, static_cast<uint64_t>(std::max<int64_t>(row.size, 0)));
        putVarint(out, zigzag(wrappingSub(row.mtime, previousMtime)));
        putVarint(out, zigzag(wrappingSub(row.ctime, row.mtime)));
        previousMtime = row.mtime;
    }
    return out;
}

bool decodeEntries(std::string_view blob, std::vector<CrawledItem>& out) {
    Reader reader(blob);
    int64_t previousMtime = 0;
    while (!reader.done()) {
        CrawledItem row;
        if (!reader.entry(row, previousMtime, true)) return false;
        finish(row);
        out.push_back(std::move(row));
    }
    return true;
}

bool decodeEntryAt(std::string_view blob, uint32_t pos, CrawledItem& out) {
    Reader reader(blob);
    int64_t previousMtime = 0;
    for (uint32_t i = 0; i <= pos; ++i)
        if (reader.done() || !reader.entry(out, previousMtime, i == pos)) return false;
    finish(out);
    return true;
}

}  // namespace skimmer::index::store
