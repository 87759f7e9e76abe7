#include "index/sources/browser_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace skimmer::index::store {

namespace {

// What tells that a file changed: equal before and after the copy means it stood still.
struct Stamp {
    bool present = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    int64_t mtimeNs = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const struct stat& st) {
    return {true, st.st_dev, st.st_ino, st.st_size, int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

std::string reasonFor(const std::string& path, int error) { return path + ": " + std::strerror(error); }

// `missing` tells that nothing is at `path`, the one failure a companion may have; it is said
// here and not left in errno, which the refusal of a FIFO or a folder leaves stale.
os::UniqueFd openSource(const std::string& path, Status& status, struct stat& st, bool& missing) {
    os::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    missing = !fd.valid() && errno == ENOENT;
    if (!fd.valid()) {
        status = Status::failure(reasonFor(path, errno));
        return fd;
    }
    if (::fstat(fd.get(), &st) != 0) status = Status::failure(reasonFor(path, errno));
    else if (!S_ISREG(st.st_mode)) status = Status::failure(path + ": not a regular file");
    if (!status.ok) fd.reset();
    return fd;
}

Status copyBytes(int from, int to, const std::string& path) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got == 0) return {};
        if (got < 0) {
            if (errno == EINTR) continue;
            return Status::failure(reasonFor(path, errno));
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return Status::failure("copying " + path + ": " + std::strerror(put < 0 ? errno : ENOSPC));
            done += put;
        }
    }
}

// Copies one file into `dir` as `name`; `before` is its stamp when opened (absent: no such file).
Status copyOne(const std::string& path, os::TempDir& dir, const std::string& name, Stamp& before, bool required) {
    struct stat st;
    Status status;
    bool missing = false;
    os::UniqueFd from = openSource(path, status, st, missing);
    if (!from.valid()) return !required && missing ? Status{} : status;
    before = stampOf(st);
    std::string error;
    os::UniqueFd to = dir.createFile(name, error);
    if (!to.valid()) return Status::failure(error);
    return copyBytes(from.get(), to.get(), path);
}

Stamp currentStamp(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? stampOf(st) : Stamp{};
}

// One attempt: copies the database and its companions; `still` tells whether none changed.
Status copySet(const std::string& source, os::TempDir& dir, const std::string& copy, bool& still) {
    std::vector<std::pair<std::string, Stamp>> stamps;
    stamps.emplace_back(source, Stamp{});
    Status status = copyOne(source, dir, copy, stamps.back().second, true);
    for (const char* suffix : kDatabaseCompanions) {
        if (!status.ok) break;
        stamps.emplace_back(source + suffix, Stamp{});
        status = copyOne(source + suffix, dir, copy + suffix, stamps.back().second, false);
    }
    still = true;
    for (const auto& [path, stamp] : stamps) still = still && currentStamp(path) == stamp;
    return status;
}

}  // namespace

BrowserDbCopy openBrowserCopy(const std::string& source, os::TempDir& dir, std::string_view stem) {
    BrowserDbCopy out;
    std::string copy;
    bool still = false;
    for (int attempt = 0; attempt < kCopyAttempts && !still; ++attempt) {
        copy = std::string(stem) + "." + std::to_string(attempt);
        std::string error;
        for (const char* suffix : {"", "-wal", "-journal", "-shm"}) dir.adopt(copy + suffix, error);
        out.status = copySet(source, dir, copy, still);
        if (!out.status.ok) return out;
    }
    if (!still) {
        out.status = Status::failure(source + ": kept changing while it was copied");
        return out;
    }
    sqlite3* raw = nullptr;
    // Read-write on our own copy only: replaying its WAL or rolling back its hot journal writes
    // beside the copy. query_only then keeps every statement we run from writing.
    const int rc = sqlite3_open_v2(dir.pathOf(copy).c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    out.db.reset(raw);
    if (rc != SQLITE_OK) {
        out.status = sqliteFailure(raw, source);
        out.db.reset();
        return out;
    }
    out.status = execSql(raw, "PRAGMA query_only = 1");
    if (!out.status.ok) out.db.reset();
    return out;
}

Status readWholeFile(const std::string& path, size_t limit, std::string& out) {
    struct stat st;
    Status status;
    bool missing = false;
    os::UniqueFd fd = openSource(path, status, st, missing);
    if (!fd.valid()) return status;
    if (static_cast<uint64_t>(st.st_size) > limit) return Status::failure(path + ": larger than we read");
    out.clear();
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0) return {};
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Status::failure(reasonFor(path, errno));
        if (out.size() + static_cast<size_t>(got) > limit) return Status::failure(path + ": larger than we read");
        out.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace skimmer::index::store
