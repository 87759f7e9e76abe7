// Item kinds of the desktop index: the canonical kind names of the desktop search this index stands
// in for, each with a stable integer code that is stored in items.kind.
//
// Contract:
// - Codes never change once released: a new kind gets a new number at the end; the schema version
//   does not have to change for that. Readers map an unknown code to Kind::Unknown.
// - `kindName` gives the canonical lower-case name ("program"); `kindDisplayName` the same word with
//   a capital first letter ("Program"), which is what the index reports as an item's kind.
// - `kindFromExtension` decides the kind of a plain file from its extension alone, by the table in
//   kinds.cpp (documented in docs/index.md). Folders, applications, executables on $PATH and
//   symbolic links are decided by the crawler, not here.
// - Nothing here allocates except the returned strings; all functions are pure and thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::index::store {

enum class Kind : uint8_t {
    Unknown = 0,
    Folder = 1,
    Document = 2,
    Picture = 3,
    Music = 4,
    Video = 5,
    Program = 6,
    Link = 7,
    Favorite = 8,
    Email = 9,
    Calendar = 10,
    Communication = 11,
    Contact = 12,
    Feed = 13,
    Game = 14,
    InstantMessage = 15,
    Journal = 16,
    Movie = 17,
    Note = 18,
    Playlist = 19,
    RecordedTv = 20,
    SearchFolder = 21,
    Task = 22,
    WebHistory = 23,
};

inline constexpr int kKindCount = 24;  // codes 0 .. kKindCount-1 are defined

// Canonical lower-case name ("instantmessage"); "unknown" for a code outside the table.
std::string_view kindName(Kind kind);
std::string_view kindName(int code);

// The canonical name with a capital first letter ("Instantmessage").
std::string kindDisplayName(Kind kind);
std::string kindDisplayName(int code);

// The kind whose canonical name equals `name`, ignoring ASCII case; none for other words.
std::optional<Kind> kindFromCanonicalName(std::string_view name);

// The lower-case extension of a file name without the dot: the bytes after the last '.', provided
// that dot is not the name's first byte (".bashrc" has no extension, "a.tar.gz" has "gz").
// Only ASCII letters are lowered; other bytes are kept as they are.
std::string extensionOf(std::string_view fileName);

// The kind of a plain file by its extension (see the table in kinds.cpp); Unknown when not listed.
Kind kindFromExtension(std::string_view lowerExt);

}  // namespace skimmer::index::store
