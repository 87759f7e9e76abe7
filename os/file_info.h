// Small questions about one file by name, for the engines: its size (following symbolic links),
// the target a symbolic link names, and whether a program file exists.
//
// Contract: never follows more than the kernel does for one stat(); never blocks on a FIFO or a
// device (nothing is opened); answers "none" for anything that cannot be asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace skimmer::os {

// The size of what `path` names after following links; none when nothing is there.
std::optional<uint64_t> fileSizeFollowingLinks(const std::string& path);

// The text of a symbolic link (readlink), as stored; none when `path` is not a link.
std::optional<std::string> symlinkText(const std::string& path);

// The link's target as a path: a relative text is taken from the link's own folder.
std::optional<std::string> symlinkTargetPath(const std::string& path);

// True when `path` names something that exists (following links), of any type.
bool pathExists(const std::string& path);

}  // namespace skimmer::os
