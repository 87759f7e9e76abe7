// A file system that forwards to another one and injects faults: the Nth call fails with a chosen
// errno, once or for good; or the "process dies" after call N, so that nothing after it reaches
// the file system (every later call fails with EIO and has no effect, except that close() still
// releases the descriptor, as the kernel does for a dead process). Counts calls per operation, so
// tests and benchmarks can assert how many fsyncs a save costs. Single-threaded.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace skimmer::test {

enum class FsOp {
    Open, Close, Read, Write, Fsync, Fstat, Stat, Rename, Unlink, Mkdir, Lock, MakeTemp, SyncDirectory,
    ListDirectory, ReadLink, Count
};
const char* fsOpName(FsOp op);

class FaultFileSystem final : public os::FileSystem {
public:
    explicit FaultFileSystem(os::FileSystem& inner) : inner_(inner) {}

    // The `n`th call from now (1-based; counting only calls of `only` when given) fails with `err`;
    // with `forGood`, every call after it fails too.
    void failCall(uint64_t n, int err, bool forGood, std::optional<FsOp> only = std::nullopt);
    // Calls after the next `n` ones never happen.
    void dieAfter(uint64_t n);
    void clearFaults();
    bool dead() const { return dead_; }
    bool faultHit() const { return hit_; }

    uint64_t calls() const { return calls_; }
    uint64_t count(FsOp op) const { return counts_[static_cast<size_t>(op)]; }
    void resetCounts();
    const std::vector<FsOp>& trace() const { return trace_; }

    int open(const std::string& path, int flags, unsigned mode, int& fd) override;
    int close(int fd) override;
    int read(int fd, void* buffer, size_t size, size_t& got) override;
    int write(int fd, const void* data, size_t size, size_t& written) override;
    int fsync(int fd) override;
    int fstat(int fd, os::FileStat& st) override;
    int stat(const std::string& path, os::FileStat& st) override;
    int rename(const std::string& from, const std::string& to) override;
    int unlink(const std::string& path) override;
    int mkdir(const std::string& path, unsigned mode) override;
    int lock(int fd, std::chrono::milliseconds timeout) override;
    int makeTemp(std::string& pathTemplate, int& fd) override;
    int syncDirectory(const std::string& path) override;
    int listDirectory(const std::string& path, std::vector<std::string>& names) override;
    int readLink(const std::string& path, std::string& target) override;

private:
    // 0: let the call through; otherwise the errno to fail it with.
    int enter(FsOp op);

    os::FileSystem& inner_;
    uint64_t calls_ = 0;
    std::array<uint64_t, static_cast<size_t>(FsOp::Count)> counts_{};
    std::vector<FsOp> trace_;
    // Fault plan.
    std::optional<FsOp> only_;
    uint64_t failAt_ = 0;  // 0: none
    uint64_t seen_ = 0;
    int err_ = 0;
    bool forGood_ = false;
    bool failing_ = false;
    uint64_t dieAt_ = 0;  // 0: never
    bool dead_ = false;
    bool hit_ = false;
};

}  // namespace skimmer::test
