// The layout of the name sidecar ("<index file>.names"): everything the as-you-type search needs
// that SQLite cannot answer fast — every item's case-folded name, packed, in the search's
// document order (newest modification first), with posting lists of the names' 1-, 2- and 3-byte
// grams and of their first 1, 2 and 3 bytes ("starts with" grams).
//
// Contract:
// - All integers are little-endian and fixed-width; every section starts at an offset named by
//   the header and lies inside the file. The file is read through mmap and never loaded whole.
// - The header carries the index's 'generation' and 'crawl_started' at build time: a reader
//   compares both with the database's and treats a mismatch as "stale" (correct results then come
//   from SQLite alone). The second value keeps a sidecar left over from an index that was deleted
//   and rebuilt from being taken for the new one when their generations happen to meet.
// - Integrity: the header has its own hash; the file before the checksum table is cut into
//   kBlockSize blocks, each with a 64-bit hash, so a reader verifies each block the first time it
//   touches it. Any change confined to one 8-byte word of a block always changes its hash.
// - A contains-gram list holding more than docCount / kDenseDivisor documents is not stored
//   ("dense"): such a gram is so common that scanning the packed names finds hits at once.
//   Starts-with lists are always stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace skimmer::index::query::sidecar {

inline constexpr char kMagic[8] = {'S', 'K', 'N', 'A', 'M', 'E', 'S', '1'};
inline constexpr uint32_t kFormatVersion = 1;
inline constexpr uint32_t kBlockSize = 64 * 1024;
inline constexpr uint32_t kDenseDivisor = 16;
inline constexpr uint16_t kExtUnknown = 0xFFFF;  // extension not in the table: ask SQLite

// Gram kinds, stored in the top byte of a gram key.
enum GramType : uint32_t { kContains1 = 1, kContains2 = 2, kContains3 = 3, kStarts1 = 4, kStarts2 = 5, kStarts3 = 6 };

// Per-document facts word: kind code, flags, extension id.
inline constexpr uint32_t kFlagInFileSystem = 1;
inline uint32_t packFacts(uint8_t kind, uint8_t flags, uint16_t extId) {
    return uint32_t{kind} | (uint32_t{flags} << 8) | (uint32_t{extId} << 16);
}
inline uint8_t factsKind(uint32_t facts) { return static_cast<uint8_t>(facts); }
inline uint8_t factsFlags(uint32_t facts) { return static_cast<uint8_t>(facts >> 8); }
inline uint16_t factsExt(uint32_t facts) { return static_cast<uint16_t>(facts >> 16); }

struct Header {
    char magic[8];
    uint32_t formatVersion;
    uint32_t docCount;
    uint64_t generation;
    int64_t crawlStarted;        // meta 'crawl_started' (0 when absent): tells a rebuilt index apart
    uint64_t fileSize;
    uint32_t blockSize;
    uint32_t extCount;
    uint64_t itemIdsOffset;      // uint32_t[docCount]: items.id of each document
    uint64_t nameOffsetsOffset;  // uint32_t[docCount + 1]: start of each name in the names section
    uint64_t namesOffset;        // folded names, each followed by one NUL byte
    uint64_t factsOffset;        // uint32_t[docCount], see packFacts
    uint64_t extTableOffset;     // uint32_t[extCount + 1] offsets, then the folded extensions' bytes
    uint64_t gramTableOffset;    // GramEntry[gramCount], sorted by key
    uint64_t gramCount;
    uint64_t postingsOffset;     // the stored lists: first document, then gaps, as LEB128 varints
    uint64_t checksumsOffset;    // uint64_t per block of [0, checksumsOffset)
    uint64_t checksumsHash;      // hash of the checksum table
    uint64_t headerHash;         // hash of every byte above
};
static_assert(sizeof(Header) == 136);

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

// A fast 64-bit hash whose every step is a bijection of the running state, so a change to one
// 8-byte word of the input is always seen.
inline uint64_t blockHash(const unsigned char* data, size_t size) {
    uint64_t h = 0x9E3779B97F4A7C15ULL ^ size;
    auto mix = [&h](uint64_t word) {
        h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
        h = (h << 29) | (h >> 35);
    };
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        mix(word);
    }
    uint64_t tail = 0;
    std::memcpy(&tail, data + i, size - i);
    mix(tail);
    return h ^ (h >> 32);
}

}  // namespace skimmer::index::query::sidecar
