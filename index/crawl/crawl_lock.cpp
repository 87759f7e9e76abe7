#include "index/crawl/crawl_lock.h"

#include "index/storage/index_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>
#include <cstring>

namespace skimmer::index::store {
namespace {

constexpr int kLockAttempts = 5;
constexpr long kLockRetryNs = 20'000'000;  // 5 x 20 ms: far longer than a probe holds the lock

// The lock file opened without blocking, or an invalid descriptor with `error` set.
os::UniqueFd openLockFile(const std::filesystem::path& path, int flags, std::string& error) {
    os::UniqueFd fd(::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600));
    if (!fd.valid()) {
        const int saved = errno;
        const FileLook look = inspectFile(path);
        error = look.shape == FileShape::Special ? notRegularText(path, look)
                                                 : "cannot open " + path.string() + ": " + std::strerror(saved);
        return fd;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = notRegularText(path, inspectFile(path));
        fd.reset();
    }
    return fd;
}

}  // namespace

Status CrawlLock::acquire(const std::filesystem::path& database) {
    const std::filesystem::path path = indexFilePath(database, IndexFile::Lock);
    std::string error;
    fd_ = openLockFile(path, O_RDWR | O_CREAT, error);
    if (!fd_.valid()) return Status::failure(error);
    // A reader probing whether a crawl is alive holds a shared lock for an instant: a few short
    // retries tell that apart from a crawler that holds the lock for its whole run.
    for (int attempt = 0; ::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0; ++attempt) {
        if (errno != EWOULDBLOCK || attempt == kLockAttempts - 1) {
            fd_.reset();
            return Status::failure("another crawl is updating " + database.string());
        }
        const timespec pause{0, kLockRetryNs};
        ::nanosleep(&pause, nullptr);
    }
    return {};
}

LockProbe probeCrawlLock(const std::filesystem::path& database) {
    const std::filesystem::path path = indexFilePath(database, IndexFile::Lock);
    if (inspectFile(path).shape == FileShape::Absent) return LockProbe::Free;  // no crawl ever locked it
    std::string error;
    const os::UniqueFd fd = openLockFile(path, O_RDONLY, error);
    if (!fd.valid()) return LockProbe::Unknown;
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) return LockProbe::Free;  // released when fd closes
    return errno == EWOULDBLOCK ? LockProbe::Held : LockProbe::Unknown;
}

}  // namespace skimmer::index::store
