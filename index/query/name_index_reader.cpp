#include "index/query/name_index_reader.h"

#include "index/query/safecall_error.h"

#include <sys/stat.h>

#include <algorithm>
#include <mutex>
#include <cstddef>
#include <cstring>

namespace skimmer::index::query {
namespace {

using namespace sidecar;

// Every section must lie in [sizeof(Header), checksumsOffset) and in order; sizes follow docCount.
bool sectionsFit(const Header& h, size_t fileSize, std::string& why) {
    if (h.checksumsOffset < sizeof(Header) || h.checksumsOffset > fileSize || h.gramCount > fileSize) {
        why = "the header's sizes are impossible";
        return false;
    }
    const uint64_t n = h.docCount;
    const uint64_t end = h.checksumsOffset;
    const uint64_t blocks = (end - sizeof(Header) + kBlockSize - 1) / kBlockSize;
    struct Range { uint64_t from, length; };
    const Range ranges[] = {{h.itemIdsOffset, n * 4},
                            {h.nameOffsetsOffset, (n + 1) * 4},
                            {h.namesOffset, 0},
                            {h.factsOffset, n * 4},
                            {h.extTableOffset, (uint64_t{h.extCount} + 1) * 4},
                            {h.gramTableOffset, h.gramCount * sizeof(GramEntry)},
                            {h.postingsOffset, 0}};
    uint64_t at = sizeof(Header);
    for (const Range& range : ranges) {
        if (range.from < at || range.from > end || range.length > end - range.from) {
            why = "a section lies outside the file";
            return false;
        }
        at = range.from + range.length;
    }
    if (h.fileSize != fileSize || end > fileSize || h.blockSize != kBlockSize || (fileSize - end) != blocks * 8) {
        why = "the file's size does not match its header";
        return false;
    }
    return true;
}

}  // namespace

NameIndex::Opened NameIndex::open(const std::filesystem::path& path) {
    Opened opened;
    std::error_code ignored;
    if (!std::filesystem::exists(path, ignored)) {
        opened.error = "no name index at " + path.string();
        return opened;  // Missing
    }
    opened.status = OpenStatus::Damaged;  // it exists, so anything short of a good file is damage
    MappedFile file;
    if (!file.open(path, opened.error)) return opened;
    Header header;
    if (file.size() < sizeof header) {
        opened.error = "too short";
        return opened;
    }
    std::memcpy(&header, file.data(), sizeof header);
    const uint64_t hash = blockHash(reinterpret_cast<const unsigned char*>(&header), offsetof(Header, headerHash));
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.formatVersion != kFormatVersion) {
        opened.error = "not a name sidecar of this version";
        return opened;
    }
    if (hash != header.headerHash) {
        opened.error = "the header's checksum is wrong";
        return opened;
    }
    if (!sectionsFit(header, file.size(), opened.error)) return opened;
    // The checksum table is not hashed here: that would read 8 bytes per block of the whole file
    // on every open (a short-lived query process pays for each page it touches). A damaged entry
    // is still met, as a mismatch when its block is first verified.
    try {
        opened.index.reset(new NameIndex(std::move(file), header, path));
    } catch (const SafecallError& error) {
        opened.error = error.detail();
        return opened;
    }
    opened.status = OpenStatus::Ok;
    return opened;
}

namespace {

// What tells one sidecar file from its replacement: atomic replacement gives a new inode.
struct FileIdentity {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::mutex sharedMutex;
FileIdentity sharedIdentity;
std::shared_ptr<NameIndex> sharedIndex;  // the last sidecar opened in this process

}  // namespace

NameIndex::SharedOpened NameIndex::openShared(const std::filesystem::path& path) {
    struct stat st {};
    FileIdentity identity{path.string()};
    if (::stat(path.c_str(), &st) == 0)
        identity = {path.string(), st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec};
    {
        std::lock_guard lock(sharedMutex);
        if (sharedIndex && identity.inode != 0 && identity == sharedIdentity) return {sharedIndex, OpenStatus::Ok, {}};
    }
    Opened opened = open(path);
    if (!opened.index) return {nullptr, opened.status, std::move(opened.error)};
    std::shared_ptr<NameIndex> index(std::move(opened.index));
    std::lock_guard lock(sharedMutex);
    sharedIdentity = identity;
    sharedIndex = index;
    return {index, OpenStatus::Ok, {}};
}

NameIndex::NameIndex(MappedFile file, const Header& header, std::filesystem::path path)
    : file_(std::move(file)), header_(header), path_(std::move(path)) {
    const uint64_t blocks = (header_.checksumsOffset - sizeof(Header) + kBlockSize - 1) / kBlockSize;
    verified_ = std::make_unique<std::atomic<uint8_t>[]>(blocks);  // value-initialised: all 0
    namesBytes_ = u32At(header_.nameOffsetsOffset, header_.docCount);
    if (namesBytes_ > header_.factsOffset - header_.namesOffset) damaged("the names section overflows");
}

void NameIndex::damaged(const char* what) const {
    throw SafecallError(kIndexDamaged, "the name index " + path_.string() + " is damaged (" + what +
                                           "); rebuild it with skimmer-index");
}

bool NameIndex::verifyBlock(uint64_t block) {
    const uint64_t from = sizeof(Header) + block * kBlockSize;
    const uint64_t size = std::min<uint64_t>(kBlockSize, header_.checksumsOffset - from);
    uint64_t stored;
    std::memcpy(&stored, file_.data() + header_.checksumsOffset + block * 8, 8);
    return blockHash(file_.data() + from, size) == stored;
}

void NameIndex::verifySlow(uint64_t offset, uint64_t length) {
    if (offset < sizeof(Header) || offset > header_.checksumsOffset || length > header_.checksumsOffset - offset)
        damaged("a reference points outside the file");
    if (length == 0) return;
    const uint64_t first = (offset - sizeof(Header)) / kBlockSize;
    const uint64_t last = (offset + length - 1 - sizeof(Header)) / kBlockSize;
    for (uint64_t block = first; block <= last; ++block) {
        if (verified_[block].load(std::memory_order_acquire)) continue;
        if (!verifyBlock(block)) damaged("a block's checksum is wrong");
        verified_[block].store(1, std::memory_order_release);
    }
}

std::string_view NameIndex::name(uint32_t doc) {
    const uint32_t from = u32At(header_.nameOffsetsOffset, doc);
    const uint32_t to = u32At(header_.nameOffsetsOffset, uint64_t{doc} + 1);
    if (from >= to || to > namesBytes_) damaged("a name's place is wrong");
    verify(header_.namesOffset + from, to - from);
    return {reinterpret_cast<const char*>(file_.data() + header_.namesOffset + from), to - from - 1u};
}

bool NameIndex::extension(uint16_t extId, std::string_view& ext) {
    if (extId == kExtUnknown) return false;
    if (extId >= header_.extCount) damaged("an extension id is out of range");
    const uint32_t from = u32At(header_.extTableOffset, extId);
    const uint32_t to = u32At(header_.extTableOffset, uint64_t{extId} + 1);
    const uint64_t bytesAt = header_.extTableOffset + (uint64_t{header_.extCount} + 1) * 4;
    if (from > to || bytesAt + to > header_.gramTableOffset) damaged("an extension's place is wrong");
    verify(bytesAt + from, to - from);
    ext = {reinterpret_cast<const char*>(file_.data() + bytesAt + from), to - from};
    return true;
}

GramList NameIndex::gram(GramType type, std::string_view bytes) {
    const uint32_t key = gramKey(type, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    uint64_t lo = 0, hi = header_.gramCount;
    GramEntry entry{};
    bool found = false;
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        const uint64_t at = header_.gramTableOffset + mid * sizeof(GramEntry);
        verify(at, sizeof(GramEntry));
        std::memcpy(&entry, file_.data() + at, sizeof entry);
        if (entry.key == key) { found = true; break; }
        if (entry.key < key) lo = mid + 1; else hi = mid;
    }
    GramList list;
    if (!found) return list;
    list.count = entry.count;
    if (entry.length == 0) {
        list.dense = true;
        return list;
    }
    const uint64_t at = header_.postingsOffset + entry.offset;
    if (entry.offset > header_.checksumsOffset - header_.postingsOffset) damaged("a posting list lies outside the file");
    verify(at, entry.length);
    list.bytes = file_.data() + at;
    list.length = entry.length;
    return list;
}

std::string_view NameIndex::namesFrom(uint64_t from, size_t want) {
    if (from > namesBytes_) damaged("a name's place is wrong");
    const uint64_t length = std::min<uint64_t>(want, namesBytes_ - from);
    verify(header_.namesOffset + from, length);
    return {reinterpret_cast<const char*>(file_.data() + header_.namesOffset + from), length};
}

uint32_t NameIndex::docAtNameOffset(uint32_t offset) {
    // Binary search over the name offsets: the last document starting at or before `offset`.
    uint32_t lo = 0, hi = header_.docCount;
    while (hi - lo > 1) {
        const uint32_t mid = lo + (hi - lo) / 2;
        if (u32At(header_.nameOffsetsOffset, mid) <= offset) lo = mid; else hi = mid;
    }
    return lo;
}

}  // namespace skimmer::index::query
