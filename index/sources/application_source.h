// The applications and links of the .desktop entries in the applications folders, as a source of
// the crawl (item_source.h). It reads the .desktop files the walk found (desktop_items.h), so it
// needs the walk's folders; it watches the applications folders.
#pragma once

#include "index/sources/applications.h"
#include "index/sources/item_source.h"

#include <string>
#include <vector>

namespace skimmer::index::store {

class ApplicationSource final : public ItemSource {
public:
    ApplicationSource(std::vector<std::string> applicationDirs, DesktopContext context)
        : applicationDirs_(std::move(applicationDirs)), context_(std::move(context)) {}
    std::string_view name() const override { return "applications"; }
    bool readsFolders() const override { return true; }
    SourceOutcome sync(const SourceRun& run) const override;
    std::vector<std::string> watched() const override { return applicationDirs_; }

private:
    std::vector<std::string> applicationDirs_;  // highest precedence first
    DesktopContext context_;
};

}  // namespace skimmer::index::store
