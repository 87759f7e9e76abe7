// A file descriptor that closes itself. Owns exactly one descriptor (or none, -1); moving transfers
// ownership. close() is called once and never retried: after EINTR the descriptor is already gone
// on Linux, and retrying could close a descriptor another thread just opened. On Windows the
// descriptor is the C runtime's (_wopen, _open_osfhandle), closed by _close.
#pragma once

#include <utility>

namespace skimmer::os {

// The system's close of one descriptor: 0, or -1 with errno set. Never retried.
int closeDescriptor(int fd);

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(std::exchange(other.fd_, -1));
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0) closeDescriptor(fd_);
        fd_ = fd;
    }
    // Closes now and returns close()'s result (0 when nothing was open, else 0 or -1 with errno):
    // for a file just written, a write error may only show here. Not retried either.
    int close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 ? 0 : closeDescriptor(fd);
    }

private:
    int fd_ = -1;
};

}  // namespace skimmer::os
