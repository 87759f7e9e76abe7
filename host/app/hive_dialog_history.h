// The dialog edit lines' histories kept where FAR keeps them, below its registry root in
// `SavedDialogHistory\<history name>`: one REG_SZ value `Line<n>` per line (Line0 the newest) and a
// REG_DWORD `Locked<n>` of 1 for each locked one, here in the host's hive file.
//
// Contract:
// - A save replaces the history's key whole in one atomic replacement of the hive file (os::Hive's
//   Batch: the file is never torn, and other processes' settings written meanwhile are kept).
// - A value the history cannot use (a Line that is empty, not text, or holds a zero byte or a line break,
//   a Locked that is no DWORD, a line given twice) is left out and reported once per load, naming
//   the history and the value; the rest of the history loads. Nothing here is fatal.
// - A failed save is reported with its reason (the hive keeps the change for its next write),
//   except for a hive written by a newer version, which the plug-ins already report at start.
#pragma once

#include <functional>
#include <string>

#include "host/ui/dialog_history.h"
#include "os/registry.h"

namespace skimmer::host::app {

class HiveDialogHistory : public ui::HistoryStore {
public:
    // `hive` must outlive this store; `root` is FAR's registry root ("Software\Far").
    HiveDialogHistory(os::Hive& hive, std::string root, std::function<void(const std::string&)> report);

    std::vector<ui::HistoryEntry> load(std::string_view name) override;
    void save(std::string_view name, const std::vector<ui::HistoryEntry>& entries) override;

private:
    std::string keyOf(std::string_view name) const;

    os::Hive& hive_;
    std::string root_;
    std::function<void(const std::string&)> report_;
};

}  // namespace skimmer::host::app
