// The temporary panel: the files a list file names, shown as a panel over the file panel. Each
// entry's name is its whole path; ".." comes first and leads back to the file panel.
//
// Contract:
// - Entries keep the list's order until the user sorts them (the panel starts unsorted); a path
//   that names nothing is listed, marked missing, never dropped (the user sees what the list
//   held), unless the list was read with `any` set: true keeps such a line as an item of text
//   (FAR's "+any": its text, not a path), false leaves it out (FAR's "-any"). A path is described
//   without following a final symbolic link first: a dangling link is listed as the link.
// - load() changes the panel only when the list could be read; otherwise the panel is left as it
//   was and `error` says why. With `add` the list's items follow those listed (FAR's "-replace").
//   reload() describes the same items again (files come and go).
// - The modes FAR's options set: full screen (the panel's view mode covers the screen) and safe
//   ("(R)" in the title; the view refuses to run, open, edit or copy from it).
// - The panel's number among FAR's ten common panels (temp_panel_set.h) is in its title.
// - Reaches the system directly (the host may); draws through the shared panel list.
#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "host/app/panel_list.h"

namespace skimmer::host::app {

class TempPanel : public PanelList {
public:
    explicit TempPanel(int number = 0) : number_(number) { setSortOrder({SM_UNSORTED, false}); }
    bool load(const std::string& listFile, std::string& error, bool add = false, std::optional<bool> any = {});
    void reload();

    const std::string& listFile() const { return listFile_; }
    std::string title() const override;
    int number() const { return number_; }
    bool namesAreWholePaths() const override { return true; }
    ViewMode viewMode() const override;

    bool fullScreen() const { return fullScreen_; }
    void setFullScreen(bool on) { fullScreen_ = on; }
    bool safe() const { return safe_; }
    void setSafe(bool on) { safe_ = on; }

    // The current entry's path; empty on "..", when there is none, or on an item of text.
    std::string currentPath() const;
    // The current entry's text when it is an item of text (a "+any" line naming nothing), else empty.
    std::string currentText() const;

private:
    struct Item {
        std::string name;  // a whole path, or the line as written for an item of text
        bool text = false;
    };

    std::string listFile_;
    std::vector<Item> items_;
    std::unordered_set<std::string> texts_;  // the names of the items of text, as listed
    int number_;
    bool fullScreen_ = false;
    bool safe_ = false;
};

// A path's entry as the panel shows it (name = the whole path).
PanelEntry describePath(const std::string& path);

}  // namespace skimmer::host::app
