// The search-folder file (".skvfinder"): ten text lines, each ended by CR LF — a header, the magic
// "SKVSFR1.0", Name, query, Desc, AQS, Advanced ("TRUE"/"FALSE"), Max, GroupsAsFolders, Type — with
// the node's three times as the file's own times.
//
// Contract:
// - The writer writes exactly those ten lines and puts the file in place in one step: no partial
//   file ever stands under the target's name, and an existing file is replaced only when the caller
//   says so (it asked the user first).
// - The reader never trusts the file: it reads at most kMaxFolderFileBytes (a longer file is a read
//   error, read as far as the limit), accepts CR LF, LF or a lone CR as a line end, ignores lines
//   after the tenth, leaves fields of missing lines empty, and fits the name to a node name. It
//   reports a read error and whether the magic matched; the caller decides what to ask.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "os/export_file.h"
#include "os/file_system.h"
#include "panel/folder_node.h"

namespace skimmer::panel {

inline constexpr std::string_view kFolderFileExtension = ".skvfinder";
inline constexpr std::string_view kFolderFileMagic = "SKVSFR1.0";
inline constexpr std::string_view kFolderFileHeader = "****** Skimmer v1.07-SR1 BETA Search Folder ******";
inline constexpr size_t kFolderFileLines = 10;
inline constexpr size_t kMaxTypeDigits = 32;
inline constexpr size_t kMaxFolderFileBytes = 256 * 1024;
static_assert(kMaxFolderFileBytes < (size_t{1} << 20), "every field must fit a registry value");

std::string FolderFileText(const TFiles& node);

struct TFolderFileRead {
    std::unique_ptr<TFiles> Node;  // always set: the fields as far as they could be read
    bool ReadError = false;
    bool MagicOk = false;
};

TFolderFileRead ReadFolderFileText(std::string_view bytes);
// Reads the file `path`; a file that cannot be opened or is too long is a read error.
TFolderFileRead ReadFolderFile(const std::string& path);

// Writes the node's file to `path` with its three times.
int WriteFolderFile(os::FileSystem& fs, const TFiles& node, const std::string& path, bool replace, std::string& error);

}  // namespace skimmer::panel
