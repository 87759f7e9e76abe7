// The file panel: one folder's entries, a cursor, and how it looks on screen (FAR's blue panel).
//
// Contract:
// - Names are kept as raw bytes and only escaped for display (display_name.h); entering a folder
//   uses the raw bytes, so any name that exists can be entered.
// - Order: the panel's sort order (sort_order.h); by name at first: ".." first (except at "/"),
//   then folders, then files, each by name (byte order).
// - A folder that cannot be read leaves the panel where it was and reports why; the panel never
//   shows a half-read folder as complete.
// - Cursor, scrolling and drawing are the shared panel list's (panel_list.h).
#pragma once

#include <filesystem>
#include <string>

#include "host/app/panel_list.h"

namespace skimmer::host::app {

class FilePanel : public PanelList {
public:
    // Reads `dir`; on failure the panel stays as it was and `error` says why.
    bool open(const std::filesystem::path& dir, std::string& error);
    bool reload(std::string& error);  // same folder, the cursor stays on the same name if it still exists

    const std::filesystem::path& dir() const { return dir_; }
    std::string title() const override { return dir_.string(); }

    // Enter on the current entry: a folder (or "..") is opened and true returned; for anything else
    // false with `error` empty. A folder that cannot be opened: false and `error`.
    bool enterCurrent(std::string& error);

private:
    bool load(const std::filesystem::path& dir, std::string& error);

    std::filesystem::path dir_;
};

}  // namespace skimmer::host::app
