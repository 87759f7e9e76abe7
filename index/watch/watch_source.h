// Where a watcher's events come from: one watch per folder, events read without blocking, and a
// descriptor to wait on. The real source is inotify; tests wrap it to make a limit or a lost
// event happen on cue.
//
// Contract:
// - `add` watches one folder (never following a link) and returns its watch id, or -1 with
//   `error` set (ENOSPC: the per-user watch limit is reached). Adding a folder that is already
//   watched (the same inode under any name) returns the id it already has.
// - `read` appends every event waiting now and returns at once; false with `error` only when the
//   source itself failed. An event with `kWatchOverflow` in its mask says events were lost.
// - Nothing throws.
#pragma once

#include "os/unique_fd.h"

#include <cstdint>
#include <string>
#include <vector>

namespace skimmer::index::watch {

// The event bits a watcher acts on, with inotify's values so the real source passes them on as
// they are.
inline constexpr uint32_t kWatchChanged = 0x00000002u | 0x00000004u | 0x00000008u;  // modify, attrib, close-write
inline constexpr uint32_t kWatchMovedFrom = 0x00000040u;
inline constexpr uint32_t kWatchMovedTo = 0x00000080u;
inline constexpr uint32_t kWatchCreate = 0x00000100u;
inline constexpr uint32_t kWatchDelete = 0x00000200u;
inline constexpr uint32_t kWatchDeleteSelf = 0x00000400u;
inline constexpr uint32_t kWatchMoveSelf = 0x00000800u;
inline constexpr uint32_t kWatchUnmount = 0x00002000u;
inline constexpr uint32_t kWatchOverflow = 0x00004000u;
inline constexpr uint32_t kWatchIgnored = 0x00008000u;  // the watch is gone (its folder was deleted or unmounted)
inline constexpr uint32_t kWatchIsFolder = 0x40000000u;

struct WatchEvent {
    int wd = -1;        // -1 for an overflow
    uint32_t mask = 0;
    std::string name;   // the entry inside the watched folder; empty for the folder itself
};

class WatchSource {
public:
    virtual ~WatchSource() = default;
    virtual int add(const std::string& folder, int& error) = 0;
    virtual void remove(int wd) = 0;
    virtual bool read(std::vector<WatchEvent>& out, int& error) = 0;
    virtual int pollFd() const = 0;  // readable when events wait; -1 when there is nothing to wait on
};

// inotify, non-blocking and close-on-exec.
class InotifySource final : public WatchSource {
public:
    // False with `error` when the kernel refuses an inotify instance (EMFILE: the instance limit).
    bool open(int& error);
    int add(const std::string& folder, int& error) override;
    void remove(int wd) override;
    bool read(std::vector<WatchEvent>& out, int& error) override;
    int pollFd() const override { return fd_.get(); }

private:
    os::UniqueFd fd_;
};

}  // namespace skimmer::index::watch
