#include "index/watch/watch_loop.h"

#include <malloc.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace skimmer::index::watch {
namespace {

// poll()'s timeout for a batch due at `due`: -1 (no timeout) when nothing is due.
int timeoutFor(int64_t due, int64_t now) {
    if (due == kNever) return -1;
    if (due <= now) return 0;
    constexpr int64_t kMaxWait = 24LL * 3600 * 1000;  // an int's worth of milliseconds, with room
    return static_cast<int>(std::min(due - now, kMaxWait));
}

}  // namespace

int runWatchLoop(Watcher& watcher, WatchSource& source, int stopFd, const std::function<int64_t()>& clockMillis,
                 const std::function<void(const std::string&)>& say) {
    std::vector<WatchEvent> events;
    for (;;) {
        pollfd fds[3] = {{.fd = stopFd, .events = POLLIN, .revents = 0},
                         {.fd = source.pollFd(), .events = POLLIN, .revents = 0},
                         {.fd = watcher.namesFd(), .events = POLLIN, .revents = 0}};
        const int ready = ::poll(fds, 3, timeoutFor(watcher.nextDue(), clockMillis()));
        if (ready < 0 && errno != EINTR) {
            say(std::string("waiting for changes failed: ") + std::strerror(errno));
            return 1;
        }
        if (fds[0].revents != 0) return 0;
        if (fds[1].revents & POLLIN) {
            events.clear();
            int error = 0;
            if (!source.read(events, error)) {
                say(std::string("reading the watch events failed: ") + std::strerror(error));
                return 1;
            }
            watcher.take(events, clockMillis());
        }
        const int64_t batches = watcher.counters().batches + watcher.counters().namesRebuilds;
        // failures are said by the watcher and retried
        watcher.runDue(clockMillis(), (fds[2].revents & (POLLIN | POLLHUP)) != 0);
        // A batch's buffers (a listing of a large folder, the folders reloaded) are handed back
        // to the system, so a long-running watcher holds what it keeps, not its peaks.
        if (watcher.counters().batches + watcher.counters().namesRebuilds != batches) ::malloc_trim(0);
    }
}

}  // namespace skimmer::index::watch
