// The temporary panel: the files a list file names, shown as a panel over the file panel. Each
// entry's name is its whole path; ".." comes first and leads back to the file panel.
//
// Contract:
// - Entries keep the list's order until the user sorts them (the panel starts unsorted); a path that names nothing is listed, marked missing, never
//   dropped (the user sees what the list held). A path is described without following a final
//   symbolic link first: a dangling link is listed as the link.
// - load() replaces everything only when the list could be read; otherwise the panel is left as
//   it was and `error` says why. reload() describes the same paths again (files come and go).
// - Reaches the system directly (the host may); draws through the shared panel list.
#pragma once

#include <string>
#include <vector>

#include "host/app/panel_list.h"

namespace skimmer::host::app {

class TempPanel : public PanelList {
public:
    TempPanel() { setSortOrder({SM_UNSORTED, false}); }
    bool load(const std::string& listFile, std::string& error);
    void reload();

    const std::string& listFile() const { return listFile_; }
    std::string title() const override { return "Temporary panel"; }
    bool namesAreWholePaths() const override { return true; }

    // The current entry's path; empty on ".." or when there is none.
    std::string currentPath() const;

private:
    std::string listFile_;
    std::vector<std::string> paths_;
};

// A path's entry as the panel shows it (name = the whole path).
PanelEntry describePath(const std::string& path);

}  // namespace skimmer::host::app
