#include "index/crawl/crawl_fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace skimmer::index::store {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;

int64_t toNs(const struct statx_timestamp& t) { return t.tv_sec * 1000000000LL + t.tv_nsec; }

EntryType typeOf(uint32_t mode) {
    if (S_ISREG(mode)) return EntryType::File;
    if (S_ISDIR(mode)) return EntryType::Folder;
    if (S_ISLNK(mode)) return EntryType::Link;
    return EntryType::Other;
}

struct AvoidedFs {
    int64_t type;
    const char* name;
};

// statfs(2) magic numbers (linux/magic.h and the file systems' own sources).
constexpr AvoidedFs kAvoided[] = {
    {0x9fa0, "proc"},          {0x62656572, "sysfs"},      {0x1cd1, "devpts"},
    {0x27e0eb, "cgroup"},      {0x63677270, "cgroup2"},    {0x64626720, "debugfs"},
    {0x74726163, "tracefs"},   {0x73636673, "securityfs"}, {0x6165676c, "pstore"},
    {0xcafe4a11, "bpf"},       {0x62656570, "configfs"},   {0x65735543, "fusectl"},
    {0x19800202, "mqueue"},    {0x42494e4d, "binfmt_misc"}, {0xf97cff8c, "selinuxfs"},
    {0x6e736673, "nsfs"},      {0xde5e81e4, "efivarfs"},   {0x67596969, "rpc_pipefs"},
    {0x0187, "autofs"},        {0x6969, "nfs"},            {0x517b, "smb"},
    {0xff534d42, "cifs"},      {0xfe534d42, "smb2"},       {0x65735546, "fuse"},
    {0x01021997, "9p"},        {0x00c36400, "ceph"},       {0x5346414f, "afs"},
    {0x73757245, "coda"},      {0x564c, "ncp"},            {0x47504653, "gpfs"},
    {0x0bd00bd0, "lustre"},
};

}  // namespace

os::UniqueFd PosixCrawlFs::openRoot(const std::string& path, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    error = fd < 0 ? errno : 0;
    return os::UniqueFd(fd);
}

os::UniqueFd PosixCrawlFs::openDir(int parent, const std::string& name, int& error) {
    const int fd = ::openat(parent, name.c_str(), kDirFlags);
    error = fd < 0 ? errno : 0;
    return os::UniqueFd(fd);
}

bool PosixCrawlFs::list(int dir, std::vector<std::string>& names, int& error) {
    // getdents64 on a private offset: the descriptor is fresh for every listing, so the position
    // starts at 0 and no DIR* (which would take ownership of the descriptor) is needed.
    alignas(8) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::getdents64(dir, buffer, sizeof buffer);
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        for (ssize_t pos = 0; pos < got;) {
            const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + pos);
            pos += entry->d_reclen;
            const char* n = entry->d_name;
            if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
            names.emplace_back(n);
        }
    }
}

bool PosixCrawlFs::statAt(int dir, const std::string& name, EntryStat& out, int& error) {
    struct statx sx;
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (name.empty() ? AT_EMPTY_PATH : 0);
    const unsigned mask = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_INO | STATX_BTIME;
    if (::statx(dir, name.c_str(), flags, mask, &sx) != 0) {
        error = errno;
        return false;
    }
    out.mode = sx.stx_mode;
    out.type = typeOf(sx.stx_mode);
    out.size = sx.stx_size;
    out.mtimeNs = toNs(sx.stx_mtime);
    out.ctimeNs = toNs(sx.stx_ctime);
    out.createdS = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec;
    out.dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    out.ino = sx.stx_ino;
    return true;
}

bool PosixCrawlFs::fsType(int dir, int64_t& type, int& error) {
    struct statfs fs;
    if (::fstatfs(dir, &fs) != 0) {
        error = errno;
        return false;
    }
    type = static_cast<int64_t>(static_cast<uint32_t>(fs.f_type));
    return true;
}

bool isAvoidedFsType(int64_t type) { return avoidedFsName(type)[0] != '\0'; }

const char* avoidedFsName(int64_t type) {
    for (const AvoidedFs& fs : kAvoided)
        if (fs.type == type) return fs.name;
    return "";
}

}  // namespace skimmer::index::store
