// Read access to the name sidecar (layout in name_index_format.h), mapped, never loaded whole.
//
// Contract:
// - `open` checks the header (magic, version, its hash, sizes and the place of every section);
//   nothing else is read until asked for. Every later access first verifies the hash of each
//   block it touches (once per block per reader), so damage anywhere is met as a
//   SafecallError(kIndexDamaged) — never as wrong results, a crash or a read outside the file.
// - Documents are numbered 0 .. docCount-1 in search order (newest first).
// - Thread-safe: apart from the record of verified blocks (atomics; two threads may each verify
//   the same block once) a reader only reads its mapping. `openShared` keeps the last file opened
//   for the whole process, so the blocks a keystroke verified stay verified for the next one; a
//   replaced file (another inode, size or time) is opened anew.
#pragma once

#include "index/query/name_index_format.h"
#include "index/query/sidecar_file.h"

#include <atomic>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

// A stored or dense posting list.
struct GramList {
    uint32_t count = 0;                // documents that hold the gram (0: none)
    bool dense = false;                // not stored: scan the names instead
    const unsigned char* bytes = nullptr;
    size_t length = 0;
};

// The documents of one kind code of the facts byte and, for some kinds, their folded names (each
// followed by NUL, in the list's order; `names.bytes` is null when not kept).
struct KindList {
    int code = 0;
    GramList list;
    GramList names;
};

// Where a document's name lies in the names section: [from, end), end just past its NUL.
struct NamePlace {
    uint32_t doc = UINT32_MAX;  // none
    uint64_t from = 0;
    uint64_t end = 0;
};

class NameIndex {
public:
    // OldFormat: an intact sidecar of the previous format, as stale as one of another generation.
    enum class OpenStatus { Ok, Missing, OldFormat, Damaged };
    struct Opened {
        std::unique_ptr<NameIndex> index;  // null unless status is Ok
        OpenStatus status = OpenStatus::Missing;
        std::string error;
    };
    static Opened open(const std::filesystem::path& path);

    struct SharedOpened {
        std::shared_ptr<NameIndex> index;  // null unless status is Ok
        OpenStatus status = OpenStatus::Missing;
        std::string error;
    };
    static SharedOpened openShared(const std::filesystem::path& path);

    uint64_t generation() const { return header_.generation; }
    uint64_t instance() const { return header_.instance; }
    uint32_t docCount() const { return header_.docCount; }

    uint64_t itemId(uint32_t doc);
    uint8_t facts(uint32_t doc) {
        if (doc >= header_.docCount) damaged("a document number is out of range");
        verify(header_.factsOffset + doc, 1);
        return file_.data()[header_.factsOffset + doc];
    }

    using NamePlace = query::NamePlace;
    // The folded name of `doc`. `near` is the place of a name found before (or a default
    // NamePlace): a later document of the same sample is reached by walking on from it, and
    // `near` is updated to `doc`'s place.
    std::string_view name(uint32_t doc, NamePlace& near);
    std::string_view name(uint32_t doc) {
        NamePlace place;
        return name(doc, place);
    }

    // Asks the CPU to start loading what name() and itemId() will read for these documents, so
    // that a batch of candidates spread over the file waits for memory once, not once each. Reads
    // only name offsets, which it does not trust (it checks nothing and reports nothing).
    void prefetch(const uint32_t* docs, size_t count) const;

    GramList gram(sidecar::GramType type, std::string_view bytes);
    // Every kind code's list, by ascending code; codes no document has are absent.
    std::vector<KindList> kindLists();

    // The packed names (each followed by NUL) from byte `from` of the names section on, at most
    // `want` bytes, verified; for scanning.
    std::string_view namesFrom(uint64_t from, size_t want);
    uint64_t namesBytes() const { return namesBytes_; }
    // The document whose name holds byte `offset` of the names section, and its place. Documents
    // before `after.doc` (when set) are not considered: scans move forward.
    NamePlace docAtNameOffset(uint64_t offset, const NamePlace& after = {});
    // The name at a place this index gave (already verified).
    std::string_view nameAt(const NamePlace& place) const {
        return {reinterpret_cast<const char*>(file_.data() + header_.namesOffset + place.from), place.end - place.from - 1};
    }

    // Verifies every block of the file against its checksum (reading it whole); false with `why`
    // set when one is damaged. A refresh calls it before it keeps a sidecar it would otherwise
    // find current, so damage is healed by the next refresh instead of failing every search.
    bool verifyWhole(std::string& why);

    // Throws SafecallError(kIndexDamaged) naming this file.
    [[noreturn]] void damaged(const char* what) const;

private:
    NameIndex(MappedFile file, const sidecar::Header& header, std::filesystem::path path);
    // Inline for the common case (one block, already verified): searches call it for every hit.
    void verify(uint64_t offset, uint64_t length) {
        const uint64_t end = header_.checksumsOffset;
        if (offset >= sizeof(sidecar::Header) && length != 0 && offset <= end && length <= end - offset) {
            const uint64_t first = (offset - sizeof(sidecar::Header)) / sidecar::kBlockSize;
            const uint64_t last = (offset + length - 1 - sizeof(sidecar::Header)) / sidecar::kBlockSize;
            if (first == last && verified_[first].load(std::memory_order_acquire)) return;
        }
        verifySlow(offset, length);
    }
    void verifySlow(uint64_t offset, uint64_t length);
    sidecar::GramEntry gramEntry(uint64_t at);
    uint64_t firstGramAtOrAfter(uint32_t key);
    GramList listOf(const sidecar::GramEntry& entry);
    bool verifyBlock(uint64_t block);
    template <typename T>
    T valueAt(uint64_t sectionOffset, uint64_t index) {
        const uint64_t at = sectionOffset + index * sizeof(T);
        verify(at, sizeof(T));
        T value;
        std::memcpy(&value, file_.data() + at, sizeof(T));
        return value;
    }
    uint64_t nameSample(uint64_t sample) { return valueAt<uint32_t>(header_.nameSamplesOffset, sample); }
    // The end of the name starting at `from` (just past its NUL).
    uint64_t walkName(uint64_t from);
    NamePlace sweepTo(uint64_t offset, const NamePlace& after);

    MappedFile file_;
    sidecar::Header header_;
    std::filesystem::path path_;
    std::unique_ptr<std::atomic<uint8_t>[]> verified_;
    std::atomic<bool> runsVerified_{false};
    uint64_t namesBytes_ = 0;
};

}  // namespace skimmer::index::query
