// One hit (or one group header line) and the fixed batch an engine fills: the record every
// stage of a search shares, from the engines through the filing and the line formatting to the
// opening of a hit and the search-folder panel.
//
// Contract: plain values, no behaviour. A batch is filled from slot 0 and read up to `Count`;
// whatever later slots hold from an earlier batch is never meaningful. Texts are UTF-8. File names
// are bytes: a name that is not valid UTF-8 is kept byte for byte, so the "wide" copies (`UrlW`,
// `PathW`) hold the same bytes as their narrow twins here rather than a lossy re-encoding; on a
// Windows build they become real wide strings at the border.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace skimmer::results {

// An item's disk entry as the engine's index recorded it: what a listing of many hits shows
// without asking the disk for each one. As fresh as the index; it has no access time.
struct THitEntry {
    uint32_t Attributes = 0;  // Windows attribute bits (read-only 0x1, hidden 0x2, directory 0x10)
    uint64_t Created = 0;     // FILETIME ticks, UTC
    uint64_t Modified = 0;
    uint64_t Size = 0;
    bool operator==(const THitEntry&) const = default;
};

struct TSearchResult {
    std::string Name;         // name shown for the hit
    std::string Url;          // the engine's address of the item (locate: the full path)
    std::string Ext;          // extension of Url, with its dot
    std::string UrlW;         // Url again, for the calls that take the wide form
    std::string MailEntryId;  // mail items only; never coloured by the highlight groups
    bool DateKnown = false;   // Date has been looked up
    bool AttrKnown = false;   // Attributes has been looked up
    double Date = 0;          // OLE automation date: days since 1899-12-30, local time
    std::string Path;         // full path used to open the hit
    std::string PathW;        // Path again; attributes are read through it
    std::string Title;        // file name matched against the highlight masks
    std::string Folder;       // folder of the hit, with its trailing separator
    std::string NameW;        // file name again (for a shortcut: the target's)
    std::string FolderW;      // folder again (for a shortcut: the target's)
    int32_t Size = 0;         // low 32 bits of the size; -1 when no file was found
    std::string Kind;         // the engine's kind text, or the group's title once filed
    bool IsGroupHeader = false;  // a header line: only Kind (its text) is meaningful
    uint32_t Attributes = 0;  // file attributes, valid when AttrKnown
    std::string Target;       // text of the path column
    std::optional<THitEntry> Entry;  // the index engine's, for a file hit that is not a link; none otherwise
};

// Rows one engine batch can hold; an engine never returns more in one call.
constexpr int32_t kSearchResultSlots = 6001;

// One batch: overwritten by every fetch, so it is filed before the next one is asked for. Large
// (several hundred kilobytes), so it lives on the heap with the running search.
struct TSearchResults {
    std::array<TSearchResult, kSearchResultSlots> Items;
    int32_t Count = 0;
    bool Finished = false;
};

inline std::unique_ptr<TSearchResults> makeSearchResults() { return std::make_unique<TSearchResults>(); }

}  // namespace skimmer::results
