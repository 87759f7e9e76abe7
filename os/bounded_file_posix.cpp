#include "os/bounded_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "os/unique_fd.h"

namespace skimmer::os {
namespace {

using Status = BoundedRead::Status;

BoundedRead failed(Status status, int error = 0) { return BoundedRead{.status = status, .error = error, .text = {}}; }

// The type and size test, made on the path before opening and again on the open descriptor.
Status admit(const struct stat& st, size_t maxBytes) {
    if (!S_ISREG(st.st_mode)) return Status::NotRegular;
    return static_cast<uint64_t>(st.st_size) > maxBytes ? Status::TooLarge : Status::Ok;
}

}  // namespace

BoundedRead readBoundedFile(const std::string& path, size_t maxBytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return failed(Status::OpenFailed, errno);
    if (const Status status = admit(st, maxBytes); status != Status::Ok) return failed(status);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) return failed(Status::OpenFailed, errno);
    if (const Status status = admit(st, maxBytes); status != Status::Ok) return failed(status);
    BoundedRead out;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got == 0) return out;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failed(Status::ReadFailed, errno);
        if (out.text.size() + static_cast<size_t>(got) > maxBytes) return failed(Status::Grew);
        out.text.append(buffer, static_cast<size_t>(got));
    }
}

}  // namespace skimmer::os
