// What the events of a coalescing window ask for: the folders to refresh (and whether whole),
// the extra sources to refresh, or everything when events were lost or too many folders wait.
//
// Contract:
// - The first change after an empty state opens a window of `windowMillis`; `dueAt` is its end.
//   Later changes join the open window, so a burst of events costs one refresh.
// - Bounded: more than `maxFolders` distinct folders turn into one full refresh, never an
//   ever-growing set.
// - Time comes in as numbers; nothing here reads a clock or blocks.
#pragma once

#include "index/crawl/crawler.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace skimmer::index::watch {

inline constexpr int64_t kNever = std::numeric_limits<int64_t>::max();

struct ChangeBatch {
    bool everything = false;                    // a full refresh instead of `folders`
    std::vector<store::FolderRequest> folders;  // sorted by path
    std::vector<size_t> extras;                 // indexes of extra sources, ascending
    bool empty() const { return !everything && folders.empty() && extras.empty(); }
};

class PendingChanges {
public:
    PendingChanges(int64_t windowMillis, size_t maxFolders) : window_(windowMillis), maxFolders_(maxFolders) {}

    void folder(const std::string& path, bool subtree, int64_t now);
    void everything(int64_t now);
    void extra(size_t index, int64_t now);
    // Puts a batch that could not be applied back, to be tried again after `retryMillis`.
    void retry(ChangeBatch batch, int64_t now, int64_t retryMillis);

    bool empty() const { return !everything_ && folders_.empty() && extras_.empty(); }
    int64_t dueAt() const { return empty() ? kNever : dueAt_; }
    ChangeBatch take();

private:
    void opened(int64_t now);

    int64_t window_;
    size_t maxFolders_;
    int64_t dueAt_ = kNever;
    bool everything_ = false;
    std::map<std::string, bool> folders_;  // path -> whole subtree
    std::set<size_t> extras_;
};

}  // namespace skimmer::index::watch
