// The layout of the name sidecar ("<index file>.names"): everything the as-you-type search needs
// that SQLite cannot answer fast — every item's case-folded name, packed, in the search's
// document order (newest modification first), with posting lists of the names' 1- and 2-byte
// grams, of the 3-byte grams made of two common 2-byte grams, and of their first 1 and 2 bytes
// ("starts with" grams). A longer word is found through the lists of its 2- and 3-byte grams and
// checked against the name itself.
//
// Contract:
// - All integers are little-endian and fixed-width; every section starts at an offset named by
//   the header and lies inside the file. The file is read through mmap and never loaded whole.
// - The header carries the index's 'generation' and 'instance' (a random stamp an index gets when
//   it is created): a reader compares both with the database's and treats a mismatch as "stale"
//   (correct results then come from SQLite alone). The instance keeps a sidecar left over from an
//   index that was deleted and made anew from being taken for the new one when their generations
//   happen to meet.
// - Integrity: the header has its own hash; the file before the checksum table is cut into
//   kBlockSize blocks, each with a 64-bit hash, so a reader verifies each block the first time it
//   touches it. Any change confined to one 8-byte word of a block always changes its hash.
// - A contains-gram list holding more than docCount / kDenseDivisor documents is not stored
//   ("dense"): such a gram is so common that scanning the packed names finds hits at once.
//   Starts-with lists are always stored.
// - A 3-byte gram has an entry (type kContains3) exactly when some name holds it and both its
//   2-byte grams are dense; its list is stored unless it holds more than docCount /
//   kTripleDenseDivisor documents. So where a word has two dense 2-byte grams in a row, the 3-byte
//   gram they make narrows its candidates, and a missing entry proves that no name holds the word.
//   An index too small for dense lists has no 3-byte entries, consistently with the rule.
// - Item ids are 64-bit but stored as each document's rank in ascending id order (its ordinal)
//   plus the runs of consecutive ids: ids come in long runs (the entries of one folder), so this
//   costs a little over 4 bytes per document.
// - Names are found from one offset per kNameSample documents and a walk over the NULs between.
// - Every kind code met gets a list of its documents in the gram table (type kKindList, the code
//   as its one byte), so that a query restricted to a small kind walks that kind, not the hits of
//   its words. A kind list is dense (not stored) under the same rule as a contains-gram list: a
//   kind that common is found as fast through the words. The builder names a few kinds whose
//   lists are always stored together with a copy of their documents' folded names (type
//   kKindNames: NUL-terminated, in the order of the kind's list): a search runs over these kinds
//   on every keystroke, and reading their names in a row costs no walk to each name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace skimmer::index::query::sidecar {

inline constexpr char kMagic[8] = {'S', 'K', 'N', 'A', 'M', 'E', 'S', '1'};
// 6: 3-byte gram lists (5 had none: a sidecar of 5 is stale, so the next crawl rebuilds it).
// 5: names folded by os::foldCase (4 folded İ to ı and left ſ, µ and the Greek symbol letters
// as they were).
inline constexpr uint32_t kFormatVersion = 6;
inline constexpr uint32_t kBlockSize = 1024;  // small: a search checks the block of every candidate name it reads
inline constexpr uint32_t kDenseDivisor = 16;
// A 3-byte gram in more than one name in 32 is not stored: such a word's hits are common enough
// for a scan to meet them at once. Measured on a generated tree of a million names: 1 in 32 keeps
// 237 lists for 3.0 bytes per document and finds "plond" 6.7 times faster; 1 in 64 keeps 176 for
// 1.3 bytes but, its "plo" left out, barely changes "plond" (the lists then hold too many names
// that are no hits).
inline constexpr uint32_t kTripleDenseDivisor = 32;
inline constexpr uint32_t kNameSample = 16;        // documents per stored name offset
inline constexpr uint32_t kRunBucketShift = 8;     // ordinals per entry of the run index: 256

// Gram kinds, stored in the top byte of a gram key. kKindList and kKindNames entries are keyed by
// the facts byte's kind code (0 .. kKindCodes-1) and sort after every name gram; a kKindNames
// entry's count is its kind's, its list is the names block.
enum GramType : uint32_t { kContains1 = 1, kContains2 = 2, kContains3 = 3, kStarts1 = 4, kStarts2 = 5, kKindList = 6, kKindNames = 7 };

// Per-document facts byte: kind code in the low 7 bits, the in-file-system flag on top.
inline constexpr uint8_t kFactInFileSystem = 0x80;
inline uint8_t packFacts(int kind, bool inFileSystem) {
    return static_cast<uint8_t>((kind >= 0 && kind < 0x80 ? kind : 0) | (inFileSystem ? kFactInFileSystem : 0));
}
inline int factsKind(uint8_t facts) { return facts & 0x7F; }
inline constexpr uint32_t kKindCodes = 0x80;  // kind codes a facts byte can hold
static_assert(kKindCodes - 1 == (~kFactInFileSystem & 0xFF), "a kind code is the facts byte without its flag");
inline bool factsInFileSystem(uint8_t facts) { return (facts & kFactInFileSystem) != 0; }

struct Header {
    char magic[8];
    uint32_t formatVersion;
    uint32_t docCount;
    uint64_t generation;
    uint64_t instance;             // meta 'instance' at build time (0 when absent)
    uint64_t fileSize;
    uint32_t blockSize;
    uint32_t runCount;             // runs of consecutive item ids
    uint64_t ordinalsOffset;       // uint32_t[docCount]: rank of each document's item id
    uint64_t runOrdinalsOffset;    // uint32_t[runCount]: ordinal of each run's first id, ascending
    uint64_t runIdsOffset;         // uint64_t[runCount]: each run's first item id
    uint64_t runIndexOffset;       // uint32_t[(docCount >> kRunBucketShift) + 1]: the run holding
                                   //   ordinal k << kRunBucketShift
    uint64_t nameSamplesOffset;    // uint32_t[ceil(docCount / kNameSample) + 1]: start of the name
                                   //   of every kNameSample-th document, then the names' length
    uint64_t namesOffset;          // folded names, each followed by one NUL byte
    uint64_t factsOffset;          // uint8_t[docCount], see packFacts
    uint64_t gramTableOffset;      // GramEntry[gramCount], sorted by key
    uint64_t gramCount;
    uint64_t postingsOffset;       // the stored lists: first document, then gaps, as LEB128 varints
    uint64_t checksumsOffset;      // uint64_t per block of [0, checksumsOffset)
    uint64_t checksumsHash;        // hash of the checksum table
    uint64_t headerHash;           // hash of every byte above
};
static_assert(sizeof(Header) == 152);

inline uint64_t nameSampleCount(uint32_t docCount) { return (uint64_t{docCount} + kNameSample - 1) / kNameSample + 1; }
inline uint64_t runIndexCount(uint32_t docCount) { return (uint64_t{docCount} >> kRunBucketShift) + 1; }

struct GramEntry {
    uint32_t key;     // type << 24 | gram bytes, left-aligned
    uint32_t count;   // documents holding the gram
    uint64_t offset;  // from postingsOffset; the list is dense (not stored) when length is 0
    uint32_t length;  // bytes of the encoded list
    uint32_t reserved;
};
static_assert(sizeof(GramEntry) == 24);

inline uint32_t gramKey(GramType type, const unsigned char* bytes, size_t n) {
    uint32_t key = uint32_t{type} << 24;
    for (size_t i = 0; i < n && i < 3; ++i) key |= uint32_t{bytes[i]} << (16 - 8 * i);
    return key;
}

// A fast 64-bit hash over four independent lanes (so the CPU runs them in parallel). Every step of
// a lane is a bijection of its state and the lanes are combined by XOR after a bijective finish,
// so a change to one 8-byte word of the input always changes the result.
inline uint64_t blockHash(const unsigned char* data, size_t size) {
    uint64_t lane[4] = {0x9E3779B97F4A7C15ULL ^ size, 0xC2B2AE3D27D4EB4FULL, 0x165667B19E3779F9ULL, 0x27D4EB2F165667C5ULL};
    auto mix = [](uint64_t h, uint64_t word) {
        h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
        return (h << 29) | (h >> 35);
    };
    size_t i = 0;
    for (; i + 32 <= size; i += 32) {
        uint64_t words[4];
        std::memcpy(words, data + i, 32);
        for (int k = 0; k < 4; ++k) lane[k] = mix(lane[k], words[k]);
    }
    for (int k = 0; i < size; i += 8, k = (k + 1) & 3) {
        uint64_t word = 0;
        std::memcpy(&word, data + i, size - i < 8 ? size - i : 8);
        lane[k] = mix(lane[k], word);
    }
    return lane[0] ^ ((lane[1] << 17) | (lane[1] >> 47)) ^ ((lane[2] << 31) | (lane[2] >> 33)) ^
           ((lane[3] << 47) | (lane[3] >> 17));
}

}  // namespace skimmer::index::query::sidecar
