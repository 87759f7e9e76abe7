// Applications and links from .desktop entries in the XDG applications folders: which entries
// the index shows, and the items they become.
//
// Contract:
// - An entry of Type=Application becomes a Program item named by its (localized) Name, with the
//   URL "application://<desktop-file-id>" and the .desktop file as its displayed path; one of
//   Type=Link becomes a Favorite item with the entry's URL.
// - Entries are left out when Hidden=true or NoDisplay=true, when OnlyShowIn does not name one of
//   the current desktops or NotShowIn does, and when TryExec names no executable (looked up on
//   $PATH unless it is a path). The first applications folder that holds a desktop-file-id decides
//   it: a later folder's entry with the same id is never shown, even when the first one is hidden.
// - Reading a .desktop file never opens a FIFO or device on purpose: it must be a regular file of
//   at most 1 MiB, checked before and after opening (non-blocking).
#pragma once

#include "index/storage/index_writer.h"
#include "os/desktop_file.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::index::store {

struct DesktopContext {
    std::string currentDesktop;              // $XDG_CURRENT_DESKTOP, a colon list
    std::string locale;                      // for Name[xx]
    std::vector<std::string> pathDirs;       // for TryExec
    std::function<bool(const std::string&)> isExecutable;  // a regular file we may execute
};

// The desktop-file-id of a file at `relative` below an applications folder ("kde/a.desktop"
// gives "kde-a.desktop").
std::string desktopFileId(std::string_view relative);

// The item an entry contributes, or none when it is not shown. `file` is the .desktop file's
// path; size and times are taken from `fileRow`.
std::optional<CrawledItem> desktopEntryItem(const os::DesktopFile& entry, const std::string& id, const std::string& file,
                                        const CrawledItem& fileRow, const DesktopContext& context);

// The file's text, or none when it is not a regular file of at most 1 MiB or cannot be read.
std::optional<std::string> readDesktopFile(const std::string& path);

// access(X_OK) on a regular file.
bool isExecutableFile(const std::string& path);

}  // namespace skimmer::index::store
