#include "index/storage/index_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace skimmer::index::store {
namespace {

const char* suffixOf(IndexFile which) {
    switch (which) {
        case IndexFile::Database: return "";
        case IndexFile::Wal: return kWalSuffix;
        case IndexFile::Shm: return kShmSuffix;
        case IndexFile::Sidecar: return kSidecarSuffix;
        case IndexFile::Lock: return kLockSuffix;
        case IndexFile::Damaged: return kDamagedSuffix;
    }
    return "";
}

const char* shapeName(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    return "not a plain file";
}

bool isFree(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

bool isRegularNoFollow(const std::filesystem::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Where `path` goes: "<path>.damaged" when free, or when it holds an older regular copy that a
// regular file may replace; otherwise the first free "<path>.damaged.N".
std::filesystem::path asideName(const std::filesystem::path& path, bool movingRegular) {
    std::filesystem::path target = path.string() + kDamagedSuffix;
    if (isFree(target) || (movingRegular && isRegularNoFollow(target))) return target;
    for (int n = 1; n < 1000; ++n) {
        target = path.string() + kDamagedSuffix + "." + std::to_string(n);
        if (isFree(target)) return target;
    }
    return {};
}

}  // namespace

std::filesystem::path indexFilePath(const std::filesystem::path& database, IndexFile which) {
    return database.string() + suffixOf(which);
}

FileLook inspectFile(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return {};
        return {FileShape::Special, std::string("unreadable: ") + std::strerror(errno)};
    }
    if (S_ISREG(st.st_mode)) return {FileShape::Regular, {}};
    if (!S_ISLNK(st.st_mode)) return {FileShape::Special, shapeName(st.st_mode)};
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) return {FileShape::Special, "a dangling symbolic link"};
    if (S_ISREG(target.st_mode)) return {FileShape::Regular, {}};
    return {FileShape::Special, std::string("a symbolic link to ") + shapeName(target.st_mode)};
}

std::string notRegularText(const std::filesystem::path& path, const FileLook& look) {
    return path.string() + " is not a regular file (" + look.what + ")";
}

Status moveAside(const std::filesystem::path& path, std::filesystem::path& movedTo) {
    movedTo = asideName(path, isRegularNoFollow(path));
    if (movedTo.empty()) return Status::failure("cannot move " + path.string() + " aside: no free name beside it");
    if (std::rename(path.c_str(), movedTo.c_str()) != 0)
        return Status::failure("cannot move " + path.string() + " aside: " + std::strerror(errno));
    return {};
}

Status moveDatabaseAside(const std::filesystem::path& database, std::filesystem::path& movedTo) {
    if (Status s = moveAside(database, movedTo); !s) return s;
    for (IndexFile companion : {IndexFile::Wal, IndexFile::Shm}) {
        const std::filesystem::path path = indexFilePath(database, companion);
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return Status::failure("cannot remove " + path.string() + ": " + std::strerror(errno));
    }
    return {};
}

}  // namespace skimmer::index::store
