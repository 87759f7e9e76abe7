#include "index/sources/desktop_items.h"

#include "index/storage/folder_paths.h"
#include "index/storage/schema.h"
#include "os/paths.h"

#include <algorithm>
#include <map>
#include <unordered_set>

namespace skimmer::index::store {

namespace {

struct Wanted {
    int64_t dir;
    CrawledItem row;
};

// Visited folders at or below `appDir`, sorted by path so that the outcome never depends on
// hash order.
std::vector<std::pair<std::string, int64_t>> foldersBelow(const std::unordered_map<std::string, StoredDir>& dirs,
                                                          const std::string& appDir) {
    std::vector<std::pair<std::string, int64_t>> found;
    const std::string prefix = appDir == "/" ? "/" : appDir + "/";
    for (const auto& [path, dir] : dirs)
        if (dir.visited && (path == appDir || path.starts_with(prefix))) found.emplace_back(path, dir.id);
    std::sort(found.begin(), found.end());
    return found;
}

void collectFolder(IndexWriter& writer, const std::string& appDir, const std::string& path, int64_t dirId,
                   const DesktopContext& context, std::unordered_set<std::string>& claimed, std::vector<Wanted>& wanted) {
    std::vector<CrawledItem> files;  // stored in name order
    bool damaged = false;
    if (!writer.readEntries(dirId, files, damaged)) return;
    const std::string relativeFolder = path.size() > appDir.size() ? path.substr(appDir.size() + 1) + "/" : "";
    for (const CrawledItem& file : files) {
        if (file.ext != "desktop" || (file.attrs & kAttrFolder)) continue;
        const std::string id = desktopFileId(relativeFolder + file.name);
        if (!claimed.insert(id).second) continue;  // an earlier folder decided this id
        const std::string filePath = os::joinPath(path, file.name);
        const std::optional<std::string> text = readDesktopFile(filePath);
        if (!text) continue;
        const os::DesktopFile entry = os::parseDesktopFile(*text);
        if (std::optional<CrawledItem> row = desktopEntryItem(entry, id, filePath, file, context))
            wanted.push_back({dirId, std::move(*row)});
    }
}

}  // namespace

int64_t syncDesktopItems(IndexWriter& writer, const std::unordered_map<std::string, StoredDir>& dirs,
                         const std::vector<std::string>& applicationDirs, const DesktopContext& context) {
    std::vector<Wanted> wanted;
    std::unordered_set<std::string> claimed;
    for (const std::string& given : applicationDirs) {
        const std::string appDir = normalizePath(given);
        for (const auto& [path, id] : foldersBelow(dirs, appDir))
            collectFolder(writer, appDir, path, id, context, claimed, wanted);
    }
    std::vector<StoredItem> existing;
    std::vector<int64_t> existingDirs;
    if (!writer.derivedItems(existing, existingDirs)) return 0;
    std::map<std::pair<int64_t, std::string>, const StoredItem*> byPlace;
    for (size_t i = 0; i < existing.size(); ++i)
        byPlace[{existingDirs[i], existing[i].row.display.value_or("")}] = &existing[i];
    for (const Wanted& item : wanted) {
        const auto found = byPlace.find({item.dir, *item.row.display});
        if (found == byPlace.end()) {
            writer.insertItem(item.dir, item.row);
            continue;
        }
        if (!item.row.sameData(found->second->row) || item.row.name != found->second->row.name)
            writer.updateItem(found->second->id, item.row);
        byPlace.erase(found);
    }
    for (const auto& [place, item] : byPlace) writer.deleteItem(item->id);
    return static_cast<int64_t>(wanted.size());
}

}  // namespace skimmer::index::store
