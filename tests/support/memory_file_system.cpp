#include "tests/support/memory_file_system.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace skimmer::test {

// Windows' C runtime has no O_DIRECTORY: no caller there asks for it, so the check never applies.
#ifdef O_DIRECTORY
constexpr int kDirectoryOnly = O_DIRECTORY;
#else
constexpr int kDirectoryOnly = 0;
#endif

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

MemoryFileSystem::MemoryFileSystem() {
    entries_["/"] = makeInode(true);
    durableEntries_ = entries_;
}

std::shared_ptr<MemoryFileSystem::Inode> MemoryFileSystem::makeInode(bool directory) {
    auto inode = std::make_shared<Inode>();
    inode->number = nextInode_++;
    inode->directory = directory;
    touch(*inode);
    return inode;
}

bool MemoryFileSystem::parentIsFolder(const std::string& path) const {
    const auto it = entries_.find(parentOf(path));
    return it != entries_.end() && it->second->directory;
}

void MemoryFileSystem::powerLoss() {
    entries_ = durableEntries_;
    for (auto& [path, inode] : entries_) inode->data = inode->durable;
    fds_.clear();
    locks_.clear();
}

void MemoryFileSystem::crash() {
    fds_.clear();
    locks_.clear();
}

std::optional<std::string> MemoryFileSystem::contents(const std::string& path) const {
    const auto it = entries_.find(path);
    if (it == entries_.end() || it->second->directory) return std::nullopt;
    return it->second->data;
}

void MemoryFileSystem::setContents(const std::string& path, const std::string& data) {
    auto& inode = entries_[path];
    if (!inode) inode = makeInode(false);
    inode->data = inode->durable = data;
    touch(*inode);
    durableEntries_[path] = inode;
}

std::vector<std::string> MemoryFileSystem::list(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& [path, inode] : entries_)
        if (path != "/" && parentOf(path) == folder) names.push_back(path.substr(path.rfind('/') + 1));
    return names;
}

int MemoryFileSystem::open(const std::string& path, int flags, unsigned, int& fd) {
    auto it = entries_.find(path);
    if (it == entries_.end()) {
        if (!(flags & O_CREAT)) return ENOENT;
        if (!parentIsFolder(path)) return ENOENT;
        it = entries_.emplace(path, makeInode(false)).first;
    } else if (flags & O_CREAT && flags & O_EXCL) {
        return EEXIST;
    }
    if ((flags & kDirectoryOnly) && !it->second->directory) return ENOTDIR;
    if (flags & O_TRUNC) {
        it->second->data.clear();
        touch(*it->second);
    }
    fd = nextFd_++;
    fds_[fd] = Open{it->second, 0};
    return 0;
}

int MemoryFileSystem::close(int fd) {
    const auto it = fds_.find(fd);
    if (it == fds_.end()) return EBADF;
    const auto lock = locks_.find(it->second.inode.get());
    if (lock != locks_.end() && lock->second == fd) locks_.erase(lock);
    fds_.erase(it);
    return 0;
}

int MemoryFileSystem::read(int fd, void* buffer, size_t size, size_t& got) {
    const auto it = fds_.find(fd);
    if (it == fds_.end()) return EBADF;
    const std::string& data = it->second.inode->data;
    const size_t start = std::min(it->second.position, data.size());
    got = std::min(size, data.size() - start);
    std::memcpy(buffer, data.data() + start, got);
    it->second.position = start + got;
    return 0;
}

int MemoryFileSystem::write(int fd, const void* data, size_t size, size_t& written) {
    const auto it = fds_.find(fd);
    if (it == fds_.end()) return EBADF;
    std::string& target = it->second.inode->data;
    const size_t position = it->second.position;
    if (target.size() < position + size) target.resize(position + size);
    target.replace(position, size, static_cast<const char*>(data), size);
    it->second.position += size;
    touch(*it->second.inode);
    written = size;
    return 0;
}

int MemoryFileSystem::fsync(int fd) {
    const auto it = fds_.find(fd);
    if (it == fds_.end()) return EBADF;
    it->second.inode->durable = it->second.inode->data;
    return 0;
}

int MemoryFileSystem::fstat(int fd, os::FileStat& st) {
    const auto it = fds_.find(fd);
    if (it == fds_.end()) return EBADF;
    const Inode& inode = *it->second.inode;
    st = {1, inode.number, inode.data.size(), inode.mtime, inode.mtime, inode.directory, !inode.directory};
    return 0;
}

int MemoryFileSystem::stat(const std::string& path, os::FileStat& st) {
    const auto it = entries_.find(path);
    if (it == entries_.end()) return ENOENT;
    const Inode& inode = *it->second;
    st = {1, inode.number, inode.data.size(), inode.mtime, inode.mtime, inode.directory, !inode.directory};
    return 0;
}

int MemoryFileSystem::rename(const std::string& from, const std::string& to) {
    const auto it = entries_.find(from);
    if (it == entries_.end()) return ENOENT;
    if (!parentIsFolder(to)) return ENOENT;
    auto inode = it->second;
    entries_.erase(it);
    entries_[to] = std::move(inode);
    return 0;
}

int MemoryFileSystem::unlink(const std::string& path) {
    const auto it = entries_.find(path);
    if (it == entries_.end()) return ENOENT;
    if (it->second->directory) return EISDIR;
    entries_.erase(it);
    return 0;
}

int MemoryFileSystem::mkdir(const std::string& path, unsigned) {
    if (entries_.count(path)) return EEXIST;
    if (!parentIsFolder(path)) return ENOENT;
    entries_[path] = makeInode(true);
    durableEntries_[path] = entries_[path];
    return 0;
}

int MemoryFileSystem::lock(int fd, std::chrono::milliseconds) {
    const auto it = fds_.find(fd);
    if (it == fds_.end()) return EBADF;
    const auto [lock, added] = locks_.emplace(it->second.inode.get(), fd);
    return added || lock->second == fd ? 0 : ETIMEDOUT;  // nobody else can release it meanwhile
}

int MemoryFileSystem::makeTemp(std::string& pathTemplate, int& fd) {
    const std::string suffix = "XXXXXX";
    if (pathTemplate.size() < suffix.size() || pathTemplate.compare(pathTemplate.size() - 6, 6, suffix) != 0)
        return EINVAL;
    std::string number = std::to_string(++tempCounter_);
    number.insert(0, 6 - std::min<size_t>(6, number.size()), '0');
    pathTemplate.replace(pathTemplate.size() - 6, 6, number.substr(number.size() - 6));
    return open(pathTemplate, O_RDWR | O_CREAT | O_EXCL, 0600, fd);
}

int MemoryFileSystem::syncDirectory(const std::string& path) {
    const auto folder = entries_.find(path);
    if (folder == entries_.end() || !folder->second->directory) return ENOENT;
    for (auto it = durableEntries_.begin(); it != durableEntries_.end();) {
        const bool inFolder = parentOf(it->first) == path && it->first != "/";
        it = inFolder && !entries_.count(it->first) ? durableEntries_.erase(it) : std::next(it);
    }
    for (const auto& [name, inode] : entries_)
        if (name != "/" && parentOf(name) == path) durableEntries_[name] = inode;
    return 0;
}

int MemoryFileSystem::listDirectory(const std::string& path, std::vector<std::string>& names) {
    const auto folder = entries_.find(path);
    if (folder == entries_.end() || !folder->second->directory) return ENOENT;
    names = list(path);
    return 0;
}

int MemoryFileSystem::readLink(const std::string& path, std::string&) {
    return entries_.count(path) ? EINVAL : ENOENT;
}

}  // namespace skimmer::test
