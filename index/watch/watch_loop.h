// The watcher's main loop: waits on the event source and a stop descriptor, never longer than
// until the next batch is due, hands events to the watcher and runs its batches.
//
// Contract: returns 0 when `stopFd` became readable (a signal was delivered to it) and 1 when the
// source failed for good (said through `say`). The wait is the only place that blocks; with no
// events and nothing due it sleeps in poll() without a timeout, so an idle watcher costs no CPU.
#pragma once

#include "index/watch/watch_source.h"
#include "index/watch/watcher.h"

#include <cstdint>
#include <functional>
#include <string>

namespace skimmer::index::watch {

int runWatchLoop(Watcher& watcher, WatchSource& source, int stopFd, const std::function<int64_t()>& clockMillis,
                 const std::function<void(const std::string&)>& say);

}  // namespace skimmer::index::watch
