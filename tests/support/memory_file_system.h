// An in-memory file system with a power-loss model, for crash and durability tests of code that
// goes through os::FileSystem.
//
// Model: every file has its current bytes and its durable bytes (what fsync last saved); every
// folder has its current entries and its durable entries (what syncDirectory last saved). A
// power loss throws away everything not durable: unsynced data, and creations, renames and
// unlinks in folders that were not synced afterwards. crash() models a killed process instead:
// descriptors and locks go, the page cache (current state) stays. Folders made by mkdir are
// durable at once (the code under test never creates the folder it syncs). Single-threaded.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace skimmer::test {

class MemoryFileSystem final : public os::FileSystem {
public:
    MemoryFileSystem();

    void powerLoss();
    void crash();
    std::optional<std::string> contents(const std::string& path) const;
    void setContents(const std::string& path, const std::string& data);  // durable at once
    std::vector<std::string> list(const std::string& folder) const;
    size_t openDescriptors() const { return fds_.size(); }

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
    int readLink(const std::string& path, std::string& target) override;  // it holds no links

private:
    struct Inode {
        uint64_t number = 0;
        bool directory = false;
        std::string data;
        std::string durable;
        int64_t mtime = 0;
    };
    struct Open {
        std::shared_ptr<Inode> inode;
        size_t position = 0;
    };
    using Entries = std::map<std::string, std::shared_ptr<Inode>>;

    std::shared_ptr<Inode> makeInode(bool directory);
    bool parentIsFolder(const std::string& path) const;
    void touch(Inode& inode) { inode.mtime = ++tick_; }

    Entries entries_;
    Entries durableEntries_;
    std::map<int, Open> fds_;
    std::map<const Inode*, int> locks_;
    int nextFd_ = 3;
    uint64_t nextInode_ = 1;
    int64_t tick_ = 0;
    uint64_t tempCounter_ = 0;
};

std::string parentOf(const std::string& path);

}  // namespace skimmer::test
