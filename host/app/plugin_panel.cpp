#include "host/app/plugin_panel.h"

#include <string_view>

#include <algorithm>
#include <cstring>

namespace skimmer::host::app {
namespace {

constexpr int64_t kFileTimeToUnix = 11644473600LL;  // seconds from 1601-01-01 to 1970-01-01
constexpr uint64_t kTicksPerSecond = 10000000ULL;   // FILETIME counts 100 ns

int64_t unixSeconds(const FILETIME& t) {
    const uint64_t ticks = (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return ticks == 0 ? 0 : static_cast<int64_t>(ticks / kTicksPerSecond) - kFileTimeToUnix;
}

// A fixed buffer's text up to its first NUL, never past its end (a plug-in may fill it whole).
std::string boundedText(const char* text, size_t size) {
    return std::string(text, strnlen(text, size));
}

// A mode the plug-in gives: none when it names no column this host shows.
std::optional<ViewMode> modeOf(const PanelMode& m) {
    if (m.ColumnTypes == nullptr) return std::nullopt;
    ViewMode mode{.columns = parseColumns(m.ColumnTypes, m.ColumnWidths ? m.ColumnWidths : "", m.ColumnTitles),
                  .status = {},
                  .fullScreen = m.FullScreen != FALSE};
    if (mode.columns.empty()) return std::nullopt;
    if (m.StatusColumnTypes != nullptr)
        mode.status = parseColumns(m.StatusColumnTypes, m.StatusColumnWidths ? m.StatusColumnWidths : "");
    return mode;
}

// The last component of a plug-in folder such as "\docs\deep" ("deep").
std::string lastComponent(const std::string& dir) {
    const size_t cut = dir.find_last_of('\\');
    return cut == std::string::npos ? dir : dir.substr(cut + 1);
}

}  // namespace

PluginPanel::PluginPanel(int plugin, const EntryPoints& entry, HANDLE handle, PluginCallGuard guard)
    : plugin_(plugin), entry_(entry), handle_(handle), guard_(std::move(guard)) {}

PluginPanel::~PluginPanel() { close(); }

bool PluginPanel::guarded(const char* name, const std::function<void()>& body) {
    if (failed_) return false;
    running_.push_back(name);
    const bool ok = guard_(name, body);
    running_.pop_back();
    if (!ok) failed_ = true;
    return ok;
}

bool PluginPanel::mayRefreshNow() const {
    if (running_.empty()) return true;
    const std::string_view innermost = running_.back();
    return innermost == "ProcessKey" || innermost == "ProcessEvent";
}

void PluginPanel::close() {
    if (closed_) return;
    closed_ = true;
    if (!failed_ && entry_.ClosePlugin) guarded("ClosePlugin", [&] { entry_.ClosePlugin(handle_); });
}

void PluginPanel::readInfo() {
    if (entry_.GetOpenPluginInfo == nullptr) return;
    OpenPluginInfo info{};
    info.StructSize = sizeof info;
    // Everything is copied at once: the strings are the plug-in's only until its next call.
    guarded("GetOpenPluginInfo", [&] {
        entry_.GetOpenPluginInfo(handle_, &info);
        flags_ = info.Flags;
        curDir_ = info.CurDir ? info.CurDir : "";
        hostFile_ = info.HostFile ? info.HostFile : "";
        title_ = info.PanelTitle ? info.PanelTitle : curDir_;
        keyBar_ = {};
        if (info.KeyBar != nullptr)
            for (size_t i = 0; i < keyBar_.size(); ++i)
                if (info.KeyBar->Titles[i] != nullptr) keyBar_[i] = info.KeyBar->Titles[i];
        modes_ = {};
        const int given = info.PanelModesArray ? std::clamp(info.PanelModesNumber, 0, kViewModeCount) : 0;
        for (int i = 0; i < given; ++i) modes_[static_cast<size_t>(i)] = modeOf(info.PanelModesArray[i]);
        if (!started_ && info.StartPanelMode >= '0' && info.StartPanelMode <= '9')
            setViewModeIndex(info.StartPanelMode - '0');
        if (!started_ && isSortMode(info.StartSortMode))
            setSortOrder({info.StartSortMode, info.StartSortOrder != 0});
        started_ = true;
    });
}

bool PluginPanel::refresh(std::string& error) {
    const PanelEntry* cur = currentEntry();
    std::string keep = cur ? cur->name : std::string();
    const std::string dirBefore = curDir_;
    readInfo();
    if (curDir_ != dirBefore) {
        // The plug-in moved to another folder by itself (a search folder entered with Enter, say):
        // its list starts at the top with nothing selected, as after SetDirectory.
        keep.clear();
        clearSelection();
        resetCursor();
    }
    if (failed_ || entry_.GetFindData == nullptr) {
        error = "The plug-in cannot list its panel.";
        return false;
    }
    PluginPanelItem* given = nullptr;
    int count = 0;
    int listed = FALSE;
    guarded("GetFindData", [&] { listed = entry_.GetFindData(handle_, &given, &count, 0); });
    if (listed && !failed_) {
        // The copy may throw (memory); the plug-in gets its array back all the same.
        struct FreeOnExit {
            PluginPanel& panel;
            PluginPanelItem* items;
            int count;
            ~FreeOnExit() {
                if (panel.entry_.FreeFindData)
                    panel.guarded("FreeFindData", [&] { panel.entry_.FreeFindData(panel.handle_, items, count); });
            }
        } freeOnExit{*this, given, count};
        takeItems(given, count);
    } else {
        takeItems(nullptr, 0);
        error = "The plug-in could not list " + (curDir_.empty() ? std::string("its panel") : curDir_) + ".";
    }
    if (!keep.empty()) setCurrent(keep);
    return error.empty();
}

void PluginPanel::entriesReordered(const std::vector<size_t>& order) {
    if (order.size() != items_.size()) return;  // takeItems builds both from the same list
    std::vector<PluginPanelItem> sorted;
    sorted.reserve(items_.size());
    for (size_t from : order) sorted.push_back(items_[from]);
    items_ = std::move(sorted);
}

void PluginPanel::addDots() {
    PluginPanelItem up{};
    std::strcpy(up.FindData.cFileName, "..");
    up.FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    items_.push_back(up);
}

void PluginPanel::takeItems(const PluginPanelItem* given, int count) {
    items_.clear();
    strings_.clear();
    customColumns_.clear();
    std::vector<PanelEntry> entries;
    bool hasDots = false;
    for (int i = 0; given != nullptr && i < count; ++i)
        hasDots = hasDots || boundedText(given[i].FindData.cFileName, sizeof given[i].FindData.cFileName) == "..";
    if ((flags_ & OPIF_ADDDOTS) && !hasDots) addDots();
    for (int i = 0; given != nullptr && i < count; ++i) {
        PluginPanelItem item = given[i];
        item.Description = item.Owner = nullptr;
        item.CustomColumnData = nullptr;
        item.CustomColumnNumber = 0;
        item.Flags &= ~PPIF_SELECTED;  // the host's selection, not the plug-in's, is what counts
        if (given[i].Description) item.Description = strings_.emplace_back(given[i].Description).data();
        if (given[i].Owner) item.Owner = strings_.emplace_back(given[i].Owner).data();
        if (given[i].CustomColumnData != nullptr && given[i].CustomColumnNumber > 0) {
            std::vector<char*>& texts = customColumns_.emplace_back();
            for (int c = 0; c < std::min(given[i].CustomColumnNumber, kViewModeCount); ++c) {
                const char* text = given[i].CustomColumnData[c];
                texts.push_back(strings_.emplace_back(text ? text : "").data());
            }
            item.CustomColumnData = texts.data();
            item.CustomColumnNumber = static_cast<int>(texts.size());
        }
        if ((item.Flags & PPIF_USERDATA) && item.UserData != 0) {
            // A block whose first DWORD is its size: FAR copies it, and so do we.
            DWORD size = 0;
            std::memcpy(&size, reinterpret_cast<const void*>(item.UserData), sizeof size);
            const std::string& block =
                strings_.emplace_back(reinterpret_cast<const char*>(item.UserData), std::max<size_t>(size, sizeof size));
            item.UserData = reinterpret_cast<DWORD_PTR>(block.data());
        }
        items_.push_back(item);
    }
    for (const PluginPanelItem& item : items_) {
        const FAR_FIND_DATA& f = item.FindData;
        PanelEntry e{
            .name = boundedText(f.cFileName, sizeof f.cFileName),
            .isDir = (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            .size = (static_cast<uint64_t>(f.nFileSizeHigh) << 32) | f.nFileSizeLow,
            .mtime = unixSeconds(f.ftLastWriteTime),
            .ctime = unixSeconds(f.ftCreationTime),
            .atime = unixSeconds(f.ftLastAccessTime),
            .links = item.NumberOfLinks,
            .description = item.Description ? item.Description : "",
            .owner = item.Owner ? item.Owner : "",
        };
        for (int c = 0; c < item.CustomColumnNumber; ++c) e.custom.emplace_back(item.CustomColumnData[c]);
        entries.push_back(std::move(e));
    }
    setEntries(std::move(entries));
}

PluginPanel::Move PluginPanel::setDirectory(std::string dir, std::string& error) {
    if (dir == ".." && curDir_.empty()) return Move::LeftRoot;
    if (entry_.SetDirectory == nullptr) return Move::Refused;
    const std::string left = lastComponent(curDir_);
    int ok = FALSE;
    guarded("SetDirectory", [&] { ok = entry_.SetDirectory(handle_, dir.c_str(), 0); });
    if (!ok) return Move::Refused;
    clearSelection();  // names selected in one folder mean nothing in another
    resetCursor();
    refresh(error);
    if (dir == ".." && !left.empty()) setCurrent(left);
    return Move::Done;
}

bool PluginPanel::processKey(int vk, unsigned state) {
    if (entry_.ProcessKey == nullptr) return false;
    int taken = FALSE;
    guarded("ProcessKey", [&] { taken = entry_.ProcessKey(handle_, vk, state); });
    return taken != FALSE;
}

bool PluginPanel::processEvent(int event, void* param) {
    if (entry_.ProcessEvent == nullptr) return false;
    int answer = FALSE;
    guarded("ProcessEvent", [&] { answer = entry_.ProcessEvent(handle_, event, param); });
    return answer != FALSE;
}

int PluginPanel::call(const char* name, const std::function<int(const EntryPoints&)>& body, int failure) {
    int result = failure;
    if (!guarded(name, [&] { result = body(entry_); })) return failure;
    return result;
}

const std::vector<PluginPanelItem>& PluginPanel::items() {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (isSelected(static_cast<int>(i))) items_[i].Flags |= PPIF_SELECTED;
        else items_[i].Flags &= ~PPIF_SELECTED;
    }
    return items_;
}

std::vector<PluginPanelItem> PluginPanel::operationItems() const {
    std::vector<PluginPanelItem> chosen;
    for (int i : selectedIndices()) {
        chosen.push_back(items_[static_cast<size_t>(i)]);
        chosen.back().Flags |= PPIF_SELECTED;
    }
    if (!chosen.empty()) return chosen;
    const size_t i = static_cast<size_t>(current());
    if (i < items_.size() && entries()[i].name != "..") {
        chosen.push_back(items_[i]);
        chosen.back().Flags &= ~PPIF_SELECTED;
    }
    return chosen;
}

ViewMode PluginPanel::viewMode() const {
    const std::optional<ViewMode>& own = modes_[static_cast<size_t>(viewModeIndex())];
    return own ? *own : PanelList::viewMode();
}

}  // namespace skimmer::host::app
