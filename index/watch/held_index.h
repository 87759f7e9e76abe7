// The watcher's one connection to the index, and the proof that it is still the index: another
// skimmer-index that finds the database damaged moves the file aside and starts a new one at the
// same path, and a connection to the moved file would go on writing where no reader looks.
//
// Contract:
// - `open` opens the database at `path` for writing and records the identity (device, inode) of
//   the file it opened.
// - `check` compares that identity with the file now at the path; when they differ (or the file
//   is gone) it closes the old connection and opens the path again, and says so through
//   `reopened`. On failure `db()` is null and the next `check` tries again.
// - Nothing throws; errors are a Status, as in index/storage.
#pragma once

#include "index/storage/schema.h"

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace skimmer::index::watch {

class HeldIndex {
public:
    explicit HeldIndex(std::filesystem::path path) : path_(std::move(path)) {}

    store::Status open();
    store::Status check(bool& reopened);
    sqlite3* db() const { return index_.db.get(); }
    const std::string& notice() const { return index_.notice; }

private:
    struct Identity {
        dev_t dev = 0;
        ino_t ino = 0;
        bool exists = false;
        bool operator==(const Identity&) const = default;
    };
    Identity identityNow() const;

    std::filesystem::path path_;
    store::OpenedIndex index_;
    Identity held_;
};

}  // namespace skimmer::index::watch
