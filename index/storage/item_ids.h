// How an item is named by readers: one 64-bit id space for the two places items live.
//
// Contract:
// - A file-system entry is stored inside its folder's dirs row (folder_entries.h), so its id is
//   made of the folder's id and the entry's position in that row: kEntryTag | folder << 24 | pos.
//   Such an id names the same entry only while the folder's row is unchanged, i.e. within one
//   generation of the index; readers never keep ids across generations.
// - An item of another source (an application, a favourite) is a row of `items`; its id is that
//   row's id, always below kEntryTag, so the two kinds never collide.
#pragma once

#include <cstdint>

namespace skimmer::index::store {

inline constexpr int64_t kEntryTag = int64_t{1} << 62;
inline constexpr int kEntryPosBits = 24;
// Entries a folder can hold in the index; the crawler counts the rest as skipped.
inline constexpr uint32_t kMaxFolderEntries = uint32_t{1} << kEntryPosBits;

inline bool isEntryId(int64_t id) { return (id & kEntryTag) != 0; }
inline int64_t entryId(int64_t folder, uint32_t pos) { return kEntryTag | (folder << kEntryPosBits) | pos; }
inline int64_t entryFolder(int64_t id) { return (id & ~kEntryTag) >> kEntryPosBits; }
inline uint32_t entryPos(int64_t id) { return static_cast<uint32_t>(id & (kMaxFolderEntries - 1)); }

}  // namespace skimmer::index::store
