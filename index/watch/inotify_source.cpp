#include "index/watch/watch_source.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace skimmer::index::watch {

static_assert(kWatchMovedFrom == IN_MOVED_FROM && kWatchMovedTo == IN_MOVED_TO && kWatchCreate == IN_CREATE &&
              kWatchDelete == IN_DELETE && kWatchDeleteSelf == IN_DELETE_SELF && kWatchMoveSelf == IN_MOVE_SELF &&
              kWatchUnmount == IN_UNMOUNT && kWatchOverflow == IN_Q_OVERFLOW && kWatchIgnored == IN_IGNORED &&
              kWatchIsFolder == IN_ISDIR && kWatchChanged == (IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE));

namespace {

// IN_MODIFY is left out: a file being written raises it for every write, and the close that
// follows (IN_CLOSE_WRITE) says the same once. IN_EXCL_UNLINK keeps a deleted file that is still
// open from reporting its later writes here.
constexpr uint32_t kMask = IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE | IN_DELETE |
                           IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW | IN_EXCL_UNLINK;

}  // namespace

bool InotifySource::open(int& error) {
    fd_.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    error = fd_.valid() ? 0 : errno;
    return fd_.valid();
}

int InotifySource::add(const std::string& folder, int& error) {
    const int wd = ::inotify_add_watch(fd_.get(), folder.c_str(), kMask);
    error = wd < 0 ? errno : 0;
    return wd;
}

void InotifySource::remove(int wd) {
    // EINVAL means the kernel dropped the watch already (its folder went): nothing left to undo.
    ::inotify_rm_watch(fd_.get(), wd);
}

bool InotifySource::read(std::vector<WatchEvent>& out, int& error) {
    // Large enough for many events per call; one event is at most sizeof(inotify_event) + NAME_MAX + 1.
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd_.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) return true;
            error = errno;
            return false;
        }
        if (got == 0) return true;
        for (ssize_t at = 0; at < got;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            out.push_back({.wd = event.wd, .mask = event.mask, .name = std::string(name, ::strnlen(name, event.len))});
            at += static_cast<ssize_t>(sizeof event + event.len);
        }
    }
}

}  // namespace skimmer::index::watch
