// The histories of dialog edit lines (FAR's DIF_HISTORY): for each history name, the lines entered
// under it, newest first, with no line twice and at most kMaxEntries of them. Lines the user
// locked (Ins in the list) are never pushed out by new ones and never deleted by Del.
//
// Contract:
// - Names compare without regard to ASCII case, as the registry keys FAR keeps them under do;
//   lines compare byte for byte. An empty line is never added.
// - A history is read from the store the first time its name is used, and written back whole
//   after every change; a store that fails to read or write reports it itself and the history in
//   memory stays as it is (the next change writes it again).
// - Without a store the histories live for the process only.
// - Used on the UI thread only (the dialog engine's lock covers it).
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skimmer::host::ui {

struct HistoryEntry {
    std::string text;
    bool locked = false;
    bool operator==(const HistoryEntry&) const = default;
};

// Where histories persist. load() answers the entries stored under `name`, newest first (entries
// it cannot use are its own to report and leave out); save() replaces them whole.
class HistoryStore {
public:
    virtual ~HistoryStore() = default;
    virtual std::vector<HistoryEntry> load(std::string_view name) = 0;
    virtual void save(std::string_view name, const std::vector<HistoryEntry>& entries) = 0;
};

class DialogHistory {
public:
    // Our choice of bound: FAR 1.70 keeps a fixed number of lines per dialog history; we keep 64.
    static constexpr size_t kMaxEntries = 64;

    // `store` (or none) must outlive the history's use of it; replacing it forgets what was read.
    void setStore(HistoryStore* store);

    const std::vector<HistoryEntry>& entries(std::string_view name);
    std::optional<std::string> newest(std::string_view name);

    // Puts `text` first (an entry already there moves up, keeping its lock). When the history is
    // full the oldest unlocked entry goes; when every entry is locked the line is not kept. False
    // when nothing changed.
    bool add(std::string_view name, std::string_view text);
    // Shift+Del in the list: the entry at `index`, unless it is locked.
    bool remove(std::string_view name, size_t index);
    // Del in the list: every unlocked entry.
    bool clearUnlocked(std::string_view name);
    // Ins in the list.
    bool toggleLock(std::string_view name, size_t index);

private:
    std::vector<HistoryEntry>& list(std::string_view name);
    void changed(std::string_view name);

    HistoryStore* store_ = nullptr;
    std::map<std::string, std::vector<HistoryEntry>> lists_;  // by the name in lower case
};

}  // namespace skimmer::host::ui
