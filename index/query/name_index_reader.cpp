#include "index/query/name_index_reader.h"

#include "index/query/safecall_error.h"
#include "index/storage/index_files.h"

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
    if (h.runCount > n || (n != 0 && h.runCount == 0)) {
        why = "the header's sizes are impossible";
        return false;
    }
    struct Range { uint64_t from, length; };
    const Range ranges[] = {{h.ordinalsOffset, n * 4},
                            {h.runOrdinalsOffset, uint64_t{h.runCount} * 4},
                            {h.runIdsOffset, uint64_t{h.runCount} * 8},
                            {h.runIndexOffset, runIndexCount(h.docCount) * 4},
                            {h.nameSamplesOffset, nameSampleCount(h.docCount) * 4},
                            {h.namesOffset, 0},
                            {h.factsOffset, n},
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

// An intact file of an earlier format (format 2: a 136-byte header hashed up to its hash at byte
// 128; format 3: this header, without kind lists; format 4: this layout, its names folded by the
// earlier fold; format 5: without 3-byte gram lists, whose absence would read as "no name holds
// the word"): left by an earlier version of this program, it is stale, not damaged. Anything else
// that is not the current format is damage.
bool isPreviousFormat(const MappedFile& file) {
    struct Earlier { uint32_t version; size_t hashAt; };
    constexpr Earlier kEarlier[] = {
        {2, 128}, {3, offsetof(Header, headerHash)}, {4, offsetof(Header, headerHash)}, {5, offsetof(Header, headerHash)}};
    static_assert(kFormatVersion == 6, "a new format lists the one it replaces here");
    if (file.size() < sizeof kMagic + 4 || std::memcmp(file.data(), kMagic, sizeof kMagic) != 0) return false;
    uint32_t version;
    std::memcpy(&version, file.data() + sizeof kMagic, 4);
    for (const Earlier& earlier : kEarlier) {
        if (version != earlier.version || file.size() < earlier.hashAt + 8) continue;
        uint64_t stored;
        std::memcpy(&stored, file.data() + earlier.hashAt, 8);
        return blockHash(file.data(), earlier.hashAt) == stored;
    }
    return false;
}

}  // namespace

NameIndex::Opened NameIndex::open(const std::filesystem::path& path) {
    Opened opened;
    if (store::inspectFile(path).shape == store::FileShape::Absent) {  // a dangling link is not absent: it is reported
        opened.error = "no name index at " + path.string();
        return opened;  // Missing
    }
    opened.status = OpenStatus::Damaged;  // it exists, so anything short of a good file is damage
    MappedFile file;
    if (!file.open(path, opened.error)) return opened;
    if (isPreviousFormat(file)) {
        opened.status = OpenStatus::OldFormat;
        opened.error = "a name sidecar of the previous format";
        return opened;
    }
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
    namesBytes_ = nameSample(nameSampleCount(header_.docCount) - 1);
    if (namesBytes_ > header_.factsOffset - header_.namesOffset) damaged("the names section overflows");
}

void NameIndex::damaged(const char* what) const {
    throw SafecallError(kIndexDamaged, "the name index " + path_.string() + " is damaged (" + what +
                                           "); run skimmer-index to rebuild it");
}

bool NameIndex::verifyBlock(uint64_t block) {
    const uint64_t from = sizeof(Header) + block * kBlockSize;
    const uint64_t size = std::min<uint64_t>(kBlockSize, header_.checksumsOffset - from);
    uint64_t stored;
    std::memcpy(&stored, file_.data() + header_.checksumsOffset + block * 8, 8);
    return blockHash(file_.data() + from, size) == stored;
}

bool NameIndex::verifyWhole(std::string& why) {
    const uint64_t blocks = (header_.checksumsOffset - sizeof(Header) + kBlockSize - 1) / kBlockSize;
    // The pass reads the whole file (440 MB at ten million entries) once; each stretch read is
    // handed back as it is done, so a refresh that keeps its sidecar does not count it all in its
    // resident memory.
    constexpr uint64_t kBlocksPerRelease = 256;
    for (uint64_t block = 0; block < blocks; ++block) {
        if (!verified_[block].load(std::memory_order_acquire)) {
            if (!verifyBlock(block)) {
                why = "the checksum of block " + std::to_string(block) + " is wrong";
                return false;
            }
            verified_[block].store(1, std::memory_order_release);
        }
        if ((block + 1) % kBlocksPerRelease == 0 || block + 1 == blocks) {
            const uint64_t first = block - block % kBlocksPerRelease;
            file_.releasePages(sizeof(Header) + first * kBlockSize, (block + 1 - first) * kBlockSize);
        }
    }
    return true;
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

uint64_t NameIndex::itemId(uint32_t doc) {
    if (doc >= header_.docCount) damaged("a document number is out of range");
    const uint32_t ordinal = valueAt<uint32_t>(header_.ordinalsOffset, doc);
    if (ordinal >= header_.docCount) damaged("an item's rank is out of range");
    // This runs for every hit: the run tables (about half a byte per document) are verified whole
    // on first use and then read in place.
    if (!runsVerified_.load(std::memory_order_acquire)) {
        verify(header_.runOrdinalsOffset, header_.nameSamplesOffset - header_.runOrdinalsOffset);
        runsVerified_.store(true, std::memory_order_release);
    }
    auto load32 = [this](uint64_t at) {
        uint32_t value;
        std::memcpy(&value, file_.data() + at, 4);
        return value;
    };
    // The run index narrows the search to the few runs that start near the ordinal's bucket.
    const uint64_t bucket = ordinal >> kRunBucketShift;
    const uint64_t lo = load32(header_.runIndexOffset + bucket * 4);
    const uint64_t hi = bucket + 1 >= runIndexCount(header_.docCount)
                            ? header_.runCount
                            : uint64_t{load32(header_.runIndexOffset + bucket * 4 + 4)} + 1;
    if (lo >= hi || hi > header_.runCount) damaged("the run index is wrong");
    uint64_t run = lo;
    for (uint64_t top = hi; top - run > 16;) {  // rare: a bucket with very many short runs
        const uint64_t mid = run + (top - run) / 2;
        if (load32(header_.runOrdinalsOffset + mid * 4) <= ordinal) run = mid; else top = mid;
    }
    // A bucket's few run starts share a cache line or two: a linear pass costs one miss, where a
    // binary search waits on each load in turn.
    while (run + 1 < hi && load32(header_.runOrdinalsOffset + (run + 1) * 4) <= ordinal) ++run;
    const uint32_t first = load32(header_.runOrdinalsOffset + run * 4);
    if (first > ordinal) damaged("the run index is wrong");
    uint64_t id;
    std::memcpy(&id, file_.data() + header_.runIdsOffset + run * 8, 8);
    return id + (ordinal - first);
}

uint64_t NameIndex::walkName(uint64_t from) {
    // Reading before verifying is safe (the bytes lie in the mapping); nothing is trusted before.
    if (from >= namesBytes_) damaged("a name is not terminated");
    const auto* names = file_.data() + header_.namesOffset;
    const void* nul = std::memchr(names + from, 0, namesBytes_ - from);
    if (nul == nullptr) damaged("a name is not terminated");
    const uint64_t end = static_cast<uint64_t>(static_cast<const unsigned char*>(nul) - names) + 1;
    verify(header_.namesOffset + from, end - from);
    return end;
}

std::string_view NameIndex::name(uint32_t doc, NamePlace& near) {
    if (doc >= header_.docCount) damaged("a document number is out of range");
    NamePlace place = near;
    if (place.doc > doc || place.doc / kNameSample != doc / kNameSample) {
        place.doc = doc - doc % kNameSample;
        place.from = nameSample(doc / kNameSample);
        place.end = walkName(place.from);
    }
    for (; place.doc < doc; ++place.doc) place.from = place.end, place.end = walkName(place.from);
    near = place;
    return nameAt(place);
}

void NameIndex::prefetch(const uint32_t* docs, size_t count) const {
    const unsigned char* const samples = file_.data() + header_.nameSamplesOffset;
    const unsigned char* const names = file_.data() + header_.namesOffset;
    const unsigned char* const ordinals = file_.data() + header_.ordinalsOffset;
    for (size_t i = 0; i < count; ++i) {
        if (docs[i] >= header_.docCount) continue;
        __builtin_prefetch(samples + uint64_t{docs[i] / kNameSample} * 4);
        __builtin_prefetch(ordinals + uint64_t{docs[i]} * 4);
    }
    // A name lies up to kNameSample - 1 names (a few hundred bytes) past its sample's offset.
    constexpr uint64_t kLine = 64, kLines = 5;
    for (size_t i = 0; i < count; ++i) {
        if (docs[i] >= header_.docCount) continue;
        uint32_t from;
        std::memcpy(&from, samples + uint64_t{docs[i] / kNameSample} * 4, 4);
        for (uint64_t line = 0; line < kLines && from + line * kLine < namesBytes_; ++line)
            __builtin_prefetch(names + from + line * kLine);
    }
}

GramEntry NameIndex::gramEntry(uint64_t at) {
    const uint64_t offset = header_.gramTableOffset + at * sizeof(GramEntry);
    verify(offset, sizeof(GramEntry));
    GramEntry entry;
    std::memcpy(&entry, file_.data() + offset, sizeof entry);
    return entry;
}

uint64_t NameIndex::firstGramAtOrAfter(uint32_t key) {
    uint64_t lo = 0, hi = header_.gramCount;
    while (lo < hi) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (gramEntry(mid).key < key) lo = mid + 1; else hi = mid;
    }
    return lo;
}

GramList NameIndex::listOf(const GramEntry& entry) {
    GramList list;
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

GramList NameIndex::gram(GramType type, std::string_view bytes) {
    const uint32_t key = gramKey(type, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    const uint64_t at = firstGramAtOrAfter(key);
    if (at >= header_.gramCount) return {};
    const GramEntry entry = gramEntry(at);
    return entry.key == key ? listOf(entry) : GramList{};
}

std::vector<KindList> NameIndex::kindLists() {
    std::vector<KindList> lists;
    uint64_t at = firstGramAtOrAfter(uint32_t{kKindList} << 24);
    // The kinds' lists by ascending code, then the names blocks of some of them, by ascending code.
    for (const uint32_t type : {uint32_t{kKindList}, uint32_t{kKindNames}}) {
        size_t matched = 0;
        for (int last = -1; at < header_.gramCount; ++at) {
            const GramEntry entry = gramEntry(at);
            if (entry.key >> 24 != type) break;
            const auto code = static_cast<int>((entry.key >> 16) & 0xFF);
            if (code >= static_cast<int>(kKindCodes) || (entry.key & 0xFFFF) != 0 || code <= last)
                damaged("the kind lists are malformed");
            last = code;
            if (type == kKindList) {
                lists.push_back({code, listOf(entry), {}});
                continue;
            }
            while (matched < lists.size() && lists[matched].code < code) ++matched;
            if (matched == lists.size() || lists[matched].code != code || lists[matched].list.dense ||
                entry.count != lists[matched].list.count || entry.length == 0)
                damaged("a kind's names do not match its list");
            lists[matched].names = listOf(entry);
        }
    }
    return lists;
}

std::string_view NameIndex::namesFrom(uint64_t from, size_t want) {
    if (from > namesBytes_) damaged("a name's place is wrong");
    const uint64_t length = std::min<uint64_t>(want, namesBytes_ - from);
    verify(header_.namesOffset + from, length);
    return {reinterpret_cast<const char*>(file_.data() + header_.namesOffset + from), length};
}

namespace {

// The number of zero bytes in [from, to), eight at a time.
uint64_t countZeros(const unsigned char* from, const unsigned char* to) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    uint64_t zeros = 0;
    for (; to - from >= 8; from += 8) {
        uint64_t word;
        std::memcpy(&word, from, 8);
        // The top bit of a byte ends up set exactly when the byte is zero; the multiplication
        // sums the eight flags into the top byte (no popcount instruction is assumed).
        const uint64_t flags = ~(((word & kLow7) + kLow7) | word | kLow7) >> 7;
        zeros += (flags * 0x0101010101010101ULL) >> 56;
    }
    for (; from < to; ++from) zeros += *from == 0;
    return zeros;
}

}  // namespace

// The names between `after` and `offset`, counted in one sweep instead of a call per name.
NameIndex::NamePlace NameIndex::sweepTo(uint64_t offset, const NamePlace& after) {
    verify(header_.namesOffset + after.end, offset - after.end);
    const auto* names = file_.data() + header_.namesOffset;
    NamePlace place{after.doc + 1, after.end, 0};
    if (const void* last = memrchr(names + after.end, 0, offset - after.end)) {
        const auto* nul = static_cast<const unsigned char*>(last);
        place.doc += static_cast<uint32_t>(countZeros(names + after.end, nul + 1));
        place.from = static_cast<uint64_t>(nul - names) + 1;
    }
    if (place.doc >= header_.docCount) damaged("a name's place is wrong");
    place.end = walkName(offset);
    return place;
}

NameIndex::NamePlace NameIndex::docAtNameOffset(uint64_t offset, const NamePlace& after) {
    if (offset >= namesBytes_) damaged("a name's place is wrong");
    constexpr uint64_t kNear = 256;  // about ten names: a sweep beats the search below
    if (after.doc != UINT32_MAX && after.end <= offset && offset - after.end <= kNear) return sweepTo(offset, after);
    // The last sample starting at or before `offset`, galloping from the one `after` lies in.
    const uint64_t samples = nameSampleCount(header_.docCount) - 1;  // the last entry is the end
    uint64_t lo = after.doc == UINT32_MAX ? 0 : after.doc / kNameSample, step = 1;
    uint64_t hi = lo + 1;
    while (hi < samples && nameSample(hi) <= offset) {
        lo = hi;
        step *= 2;
        hi = std::min(samples, lo + step);
    }
    while (hi - lo > 1) {
        const uint64_t mid = lo + (hi - lo) / 2;
        if (nameSample(mid) <= offset) lo = mid; else hi = mid;
    }
    NamePlace place = after;
    const bool walkOn = after.doc != UINT32_MAX && after.doc / kNameSample == lo && after.from <= offset;
    if (!walkOn) place = {static_cast<uint32_t>(lo * kNameSample), nameSample(lo), walkName(nameSample(lo))};
    if (place.from > offset) damaged("a name's place is wrong");
    while (place.end <= offset) {
        if (++place.doc >= header_.docCount) damaged("a name's place is wrong");
        place.from = place.end;
        place.end = walkName(place.from);
    }
    return place;
}

}  // namespace skimmer::index::query
