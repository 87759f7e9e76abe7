// The target path a shortcut (".lnk" file) holds: our own reader of the shell-link binary format,
// and the file-level call that Windows answers through the system's own ShellLink object.
//
// Contract: `readShellLinkFile` on Windows loads the file into the system's ShellLink object
// (IPersistFile::Load, then IShellLinkW::GetPath with the raw, unexpanded path) on a COM scope of
// its own, and gives the target in the ANSI code page; on Linux it reads the file with our parser.
// Either way it never resolves, searches for a moved target or writes, and a missing, unreadable
// or damaged file gives none and a reason.
// Our parser reads only the bytes given (or at most kShellLinkMaxBytes of a file), never follows
// anything, never writes. The target is taken from the LinkInfo structure (local base path + common
// path suffix, or the network share name + '\' + suffix), else from the environment-variables
// data block (the raw, unexpanded path), else none. A damaged or foreign file gives none and a
// reason; no input can make the reader crash or read out of bounds (fuzzed).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace skimmer::os {

constexpr size_t kShellLinkHeaderSize = 0x4C;
constexpr size_t kShellLinkMaxBytes = 1 << 20;

struct ShellLinkTarget {
    std::string path;   // as stored: the system's code page or UTF-16 decoded to UTF-8
    bool fromUnicode = false;
};

// From the file's bytes; none (and `why`) when they hold no target.
std::optional<ShellLinkTarget> parseShellLink(std::string_view bytes, std::string& why);

// The target of the shortcut file at `path` (see above); none (and `why`) when there is none.
std::optional<ShellLinkTarget> readShellLinkFile(const std::string& path, std::string& why);

}  // namespace skimmer::os
