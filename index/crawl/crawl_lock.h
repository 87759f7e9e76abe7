// The advisory lock that keeps two crawlers off one index: an exclusive flock on "<index>.lock",
// a file that is never replaced, held for as long as the `CrawlLock` object lives.
//
// Contract:
// - Opening the lock file never blocks and never follows a link: a FIFO, socket, folder or device
//   in its place is refused as "… is not a regular file".
// - `probeCrawlLock` tells a reader whether a crawler holds the lock right now, so a crawl that
//   was killed (its meta state still says "running") is told from one that is alive. It takes a
//   shared lock for an instant only when nobody holds it; `acquire` retries briefly so that such
//   an instant never makes a crawl fail.
// - Nothing throws.
#pragma once

#include "os/unique_fd.h"
#include "index/storage/sqlite_handle.h"

#include <filesystem>

namespace skimmer::index::store {

class CrawlLock {
public:
    // Locks the index at `database`; fails within about 0.1 s when another crawl holds it.
    Status acquire(const std::filesystem::path& database);
    bool held() const { return fd_.valid(); }

private:
    os::UniqueFd fd_;  // any descriptor closes the same way
};

enum class LockProbe { Held, Free, Unknown };

LockProbe probeCrawlLock(const std::filesystem::path& database);

}  // namespace skimmer::index::store
