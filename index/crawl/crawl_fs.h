// The file-system seam of the crawler: the few directory operations it needs, relative to
// directory descriptors, behind an interface that tests replace to count work and inject faults
// (a folder that cannot be read, an entry that vanishes or is renamed between listing and stat).
//
// Contract:
// - Folders are opened with O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK, relative to their parent's
//   descriptor: a symbolic link is never followed, a FIFO or device is never opened (and could not
//   block if a race made one appear), and no path longer than one name is handed to the kernel, so
//   trees deeper than PATH_MAX work.
// - Errors come back as errno values; nothing throws.
// - `os::UniqueFd` owns its descriptor and closes it once.
#pragma once

#include "os/unique_fd.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace skimmer::index::store {

enum class EntryType : uint8_t { File, Folder, Link, Other };

// What the crawler keeps of one stat.
struct EntryStat {
    EntryType type = EntryType::Other;
    uint32_t mode = 0;
    uint64_t size = 0;
    int64_t mtimeNs = 0;   // last modification
    int64_t ctimeNs = 0;   // last inode change
    int64_t createdS = 0;  // birth time where known, else inode change time (seconds)
    uint64_t dev = 0;
    uint64_t ino = 0;
};

class CrawlFs {
public:
    virtual ~CrawlFs() = default;
    // A root folder by absolute path (a link naming the root itself is followed).
    virtual os::UniqueFd openRoot(const std::string& path, int& error) = 0;
    // The folder `name` inside `parent`, never following a link.
    virtual os::UniqueFd openDir(int parent, const std::string& name, int& error) = 0;
    // Every entry name of the folder except "." and "..", in directory order.
    virtual bool list(int dir, std::vector<std::string>& names, int& error) = 0;
    // Stat of `name` inside `dir` without following a link; "" stats `dir` itself.
    virtual bool statAt(int dir, const std::string& name, EntryStat& out, int& error) = 0;
    // The file-system type (statfs f_type) holding `dir`.
    virtual bool fsType(int dir, int64_t& type, int& error) = 0;
};

// The real thing: openat, getdents64, statx, fstatfs.
class PosixCrawlFs : public CrawlFs {
public:
    os::UniqueFd openRoot(const std::string& path, int& error) override;
    os::UniqueFd openDir(int parent, const std::string& name, int& error) override;
    bool list(int dir, std::vector<std::string>& names, int& error) override;
    bool statAt(int dir, const std::string& name, EntryStat& out, int& error) override;
    bool fsType(int dir, int64_t& type, int& error) override;
};

// True for file systems the crawler never enters by default: kernel pseudo file systems (proc,
// sysfs, devpts, cgroup, debugfs, ...) and network or user-space ones (nfs, cifs/smb, fuse
// including sshfs, 9p, ceph, afs, ...). tmpfs, ext4, btrfs, xfs, overlay and the like are fine.
bool isAvoidedFsType(int64_t type);
// A short name for a type in the list above ("proc", "nfs"); "" for others.
const char* avoidedFsName(int64_t type);

}  // namespace skimmer::index::store
