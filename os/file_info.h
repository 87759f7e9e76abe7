// Small questions about one file by name, for the engines: its size (following symbolic links),
// the target a symbolic link names, and whether a program file exists.
//
// Contract: never follows more than the kernel does for one stat(); never blocks on a FIFO or a
// device (nothing is opened for reading but a regular file; on Windows a device name such as
// "CON" or "\\.\COM1" is never opened at all); answers "none" for anything that cannot be asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace skimmer::os {

// The size of what `path` names after following links; none when nothing is there.
std::optional<uint64_t> fileSizeFollowingLinks(const std::string& path);

// The text of a symbolic link (readlink), as stored; none when `path` is not a link. On Windows
// always none: the plug-in meets links there as shortcut files, and every open follows the file
// system's own links.
std::optional<std::string> symlinkText(const std::string& path);

// The link's target as a path: a relative text is taken from the link's own folder.
std::optional<std::string> symlinkTargetPath(const std::string& path);

// Reads at most `maxBytes` from the start of a regular file into `out` and gives the file's size.
// 0, or an errno value (EISDIR/EINVAL for something that is not a regular file; EFBIG is never
// returned: a longer file is simply cut). Never opens a FIFO or a device for reading.
int readFilePrefix(const std::string& path, size_t maxBytes, std::string& out, uint64_t& fileSize);

// The value of an environment variable; none when it is not set.
std::optional<std::string> environmentValue(const std::string& name);

// True when `path` names something that exists (following links), of any type.
bool pathExists(const std::string& path);

}  // namespace skimmer::os
