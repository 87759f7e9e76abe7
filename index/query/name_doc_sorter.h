// Puts the name sidecar's documents into the search's order — newest modification first, then by
// item id — within a bounded amount of memory. Documents and their folded names are gathered up to
// a budget; when it is full they are sorted and written as one sorted run to a temporary file
// beside the sidecar, and at the end the runs are merged. An index whose documents fit the budget
// is sorted in memory and writes nothing.
//
// Contract:
// - add() takes one document and its folded name (which holds no NUL); merge() then visits every
//   document added exactly once, in order (mtime descending, item id ascending; ids are unique),
//   with the name it was added with. The name passed to `visit` is valid during the call only.
// - Memory: while adding, at most about `budget` bytes (32 per document plus its name; a single
//   name longer than the budget is taken alone); the merge holds one read buffer per run, together
//   about the budget, at least 16 KB each.
// - The temporary file has no name (or loses it as soon as it is made), so a build that is killed
//   leaves nothing.
// - A failure to make, write or read the file makes add() or merge() return false with `error`
//   set; nothing is visited after it.
#pragma once

#include "os/unique_fd.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

struct SortedDoc {
    int64_t mtime = 0;
    uint64_t itemId = 0;
    uint32_t readIndex = 0;  // the caller's own number for the document, handed back by merge()
    uint8_t facts = 0;
};

class NameDocSorter {
public:
    // `spillFile`: where the temporary file goes when the documents outgrow `budget` bytes. It is
    // made without a name in that folder where the file system allows, else under this name
    // (a leftover of it removed first) and unlinked at once.
    NameDocSorter(std::filesystem::path spillFile, size_t budget);
    NameDocSorter(const NameDocSorter&) = delete;
    NameDocSorter& operator=(const NameDocSorter&) = delete;

    bool add(const SortedDoc& doc, std::string_view name, std::string& error);
    bool merge(const std::function<void(const SortedDoc&, std::string_view name)>& visit, std::string& error);

    size_t runsSpilled() const { return runs_.size(); }

private:
    // One document held in memory; on disk the same 32 bytes (nameAt unused) and then the name.
    struct Held {
        int64_t mtime;
        uint64_t itemId;
        uint32_t readIndex;
        uint32_t nameAt;
        uint32_t nameSize;
        uint8_t facts;
    };
    static_assert(sizeof(Held) == 32);
    struct Run {
        uint64_t offset;
        uint64_t bytes;
    };
    class RunReader;

    static bool before(const Held& a, const Held& b) {
        return a.mtime != b.mtime ? a.mtime > b.mtime : a.itemId < b.itemId;
    }
    void sortHeld();
    bool openSpill();
    bool spill(std::string& error);
    void release();

    std::filesystem::path spillFile_;
    size_t budget_;
    std::vector<Held> held_;
    std::string names_;
    std::vector<Run> runs_;
    os::UniqueFd spill_;     // made on the first spill
    uint64_t spilled_ = 0;   // bytes written to it
};

}  // namespace skimmer::index::query
