// The databases of the locate program and what their own headers say: how many entries, how many
// bytes. Three formats are recognised by their magic:
//   plocate  "\0plocate" then a little-endian header: version u32, hash table size u32, extra
//            slots u32, num_docids u32, ... The entry count is not stored: num_docids counts the
//            compressed blocks of names, and plocate 1.1 fills each block with 32 names (the last
//            one with the rest). The count we give is num_docids × 32: never below the true count
//            and at most 31 above it (exact for every block count at 100,000 generated entries).
//   mlocate  "\0mlocate" then a big-endian u32 configuration size, version u8, visibility u8, two
//            padding bytes, the root path (NUL-ended) and the configuration block. The header holds
//            no count; the entries are counted by walking the directory records that follow
//            (16-byte directory header, its path, then entries: type byte 0 file, 1 folder, 2 end,
//            each with a NUL-ended name), bounded by the file's size.
//   LOCATEDB "LOCATEDB" (the classic format): header length H at offset 11 (u32 LE), two counts at
//            H + 7 and H + 11; the entry count is their sum.
// Any other file counts 0 entries and its length in bytes.
//
// Contract: reads through os/ only; a file that cannot be opened or read gives an error text and
// contributes nothing. Never reads more than the file holds; a damaged file gives what could be
// read, never a crash.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::engines {

enum class LocateDbFormat { Plocate, Mlocate, LocateDb, Unknown };

struct LocateDbFacts {
    LocateDbFormat format = LocateDbFormat::Unknown;
    int64_t entries = 0;
    int64_t bytes = 0;
};

// From the file's bytes (its whole content for mlocate; the first 64 bytes suffice otherwise).
LocateDbFacts ReadLocateDbFacts(std::string_view content, int64_t fileBytes);

// Reads the file; false with `error` set when it cannot be read.
bool ReadLocateDbFile(const std::filesystem::path& file, LocateDbFacts& facts, std::string& error);

// The system's own databases, those that exist: $LOCATE_PATH (':'-separated), then
// /var/lib/plocate/plocate.db and /var/lib/mlocate/mlocate.db.
std::vector<std::filesystem::path> SystemLocateDatabases();

}  // namespace skimmer::engines
