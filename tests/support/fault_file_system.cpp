#include "tests/support/fault_file_system.h"

#include <cerrno>
#include <iterator>

namespace skimmer::test {

const char* fsOpName(FsOp op) {
    static constexpr const char* kNames[] = {"open",   "close", "read",  "write",    "fsync",
                                             "fstat",  "stat",  "rename", "unlink",  "mkdir",
                                             "lock",   "makeTemp", "syncDirectory", "listDirectory",
                                             "readLink"};
    static_assert(std::size(kNames) == static_cast<size_t>(FsOp::Count));
    return op < FsOp::Count ? kNames[static_cast<size_t>(op)] : "?";
}

void FaultFileSystem::failCall(uint64_t n, int err, bool forGood, std::optional<FsOp> only) {
    failAt_ = n;
    seen_ = 0;
    err_ = err;
    forGood_ = forGood;
    only_ = only;
    failing_ = false;
    hit_ = false;
}

void FaultFileSystem::dieAfter(uint64_t n) {
    dieAt_ = calls_ + n;
    dead_ = n == 0;
}

void FaultFileSystem::clearFaults() {
    failAt_ = dieAt_ = 0;
    failing_ = dead_ = false;
    only_.reset();
}

void FaultFileSystem::resetCounts() {
    calls_ = 0;
    counts_.fill(0);
    trace_.clear();
}

int FaultFileSystem::enter(FsOp op) {
    if (dead_) return EIO;
    ++calls_;
    ++counts_[static_cast<size_t>(op)];
    trace_.push_back(op);
    if (dieAt_ != 0 && calls_ >= dieAt_) dead_ = true;  // this call still happens, none after it
    if (failing_) return err_;
    if (failAt_ == 0 || (only_ && *only_ != op)) return 0;
    if (++seen_ != failAt_) return 0;
    hit_ = true;
    failing_ = forGood_;
    if (!forGood_) failAt_ = 0;
    return err_;
}

int FaultFileSystem::open(const std::string& path, int flags, unsigned mode, int& fd) {
    if (const int err = enter(FsOp::Open)) return err;
    return inner_.open(path, flags, mode, fd);
}

int FaultFileSystem::close(int fd) {
    // A dead process's descriptors are still closed by the kernel (releasing its locks); a failing
    // close still closes on Linux, so the descriptor is released either way.
    const int err = enter(FsOp::Close);
    const int rc = inner_.close(fd);
    return err != 0 && !dead_ ? err : dead_ ? EIO : rc;
}

int FaultFileSystem::read(int fd, void* buffer, size_t size, size_t& got) {
    if (const int err = enter(FsOp::Read)) return err;
    return inner_.read(fd, buffer, size, got);
}

int FaultFileSystem::write(int fd, const void* data, size_t size, size_t& written) {
    if (const int err = enter(FsOp::Write)) return err;
    return inner_.write(fd, data, size, written);
}

int FaultFileSystem::fsync(int fd) {
    if (const int err = enter(FsOp::Fsync)) return err;
    return inner_.fsync(fd);
}

int FaultFileSystem::fstat(int fd, os::FileStat& st) {
    if (const int err = enter(FsOp::Fstat)) return err;
    return inner_.fstat(fd, st);
}

int FaultFileSystem::stat(const std::string& path, os::FileStat& st) {
    if (const int err = enter(FsOp::Stat)) return err;
    return inner_.stat(path, st);
}

int FaultFileSystem::rename(const std::string& from, const std::string& to) {
    if (const int err = enter(FsOp::Rename)) return err;
    return inner_.rename(from, to);
}

int FaultFileSystem::unlink(const std::string& path) {
    if (const int err = enter(FsOp::Unlink)) return err;
    return inner_.unlink(path);
}

int FaultFileSystem::mkdir(const std::string& path, unsigned mode) {
    if (const int err = enter(FsOp::Mkdir)) return err;
    return inner_.mkdir(path, mode);
}

int FaultFileSystem::lock(int fd, std::chrono::milliseconds timeout) {
    if (const int err = enter(FsOp::Lock)) return err;
    return inner_.lock(fd, timeout);
}

int FaultFileSystem::makeTemp(std::string& pathTemplate, int& fd) {
    if (const int err = enter(FsOp::MakeTemp)) return err;
    return inner_.makeTemp(pathTemplate, fd);
}

int FaultFileSystem::syncDirectory(const std::string& path) {
    if (const int err = enter(FsOp::SyncDirectory)) return err;
    return inner_.syncDirectory(path);
}

int FaultFileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
    if (const int err = enter(FsOp::ListDirectory)) return err;
    return inner_.listDirectory(path, names);
}

int FaultFileSystem::readLink(const std::string& path, std::string& target) {
    if (const int err = enter(FsOp::ReadLink)) return err;
    return inner_.readLink(path, target);
}

}  // namespace skimmer::test
