// The paths of the folders a row reader met, by folder id: each built once (from its parent's
// path and its own name) and kept while the reader lives, since a query's rows meet each folder
// many times. Every path's bytes lie in one string, found through an open-addressing table keyed
// by id: a lookup is a multiply and, mostly, one memory access (a node-based map cost two cache
// misses and a division per row of a new folder).
//
// Contract: memory follows the folders met, not the index. Views returned stay valid until the
// next `add`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::query {

class FolderPathTable {
public:
    std::optional<std::string_view> find(int64_t dir) const;
    // Keeps `path` as `dir`'s (which must not be known yet) and returns the kept copy.
    std::string_view add(int64_t dir, std::string_view path);

private:
    struct Slot {
        int64_t dir = 0;  // 0: free (folder ids start at 1)
        size_t offset = 0, size = 0;
    };
    size_t home(int64_t dir) const;
    void grow();

    std::vector<Slot> slots_;  // a power of two long, at most half full
    size_t used_ = 0;
    std::string bytes_;
};

}  // namespace skimmer::index::query
