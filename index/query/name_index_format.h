// The layout of the name sidecar ("<index file>.names"): everything the as-you-type search needs
// that SQLite cannot answer fast — every item's case-folded name, packed, in the search's
// document order (newest modification first), with posting lists of the names' 1-, 2- and 3-byte
// grams and of their first 1, 2 and 3 bytes ("starts with" grams).
//
// Contract:
// - All integers are little-endian and fixed-width; every section starts at an offset named by
//   the header and lies inside the file. The file is read through mmap and never loaded whole.
// - The header carries the index's 'generation' and its largest item id at build time: a reader
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
inline constexpr uint32_t kFormatVersion = 2;
inline constexpr uint32_t kBlockSize = 4 * 1024;  // small: searches touch names at random
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
    int64_t maxItemId;           // largest items.id (0 when empty): tells a rebuilt index apart
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
