// When the watcher rebuilds the name sidecar, and what readers use until it has: the overlay of
// folders changed since the sidecar's generation (index/storage/names_overlay.h), the build that
// runs beside the batches (names_builder.h), its deadline and the back-off after failures.
//
// Contract:
// - Owns every decision about the sidecar and nothing else: the watcher tells it what each batch
//   changed (`changed`, and `overlayInBatch` inside the batch's transaction) and runs it when
//   `nextDue` has come. Time is passed in; nothing here sleeps or reads a clock.
// - After a change of folder entries only, the changed folders are written as the overlay and a
//   build is due once the changes have rested `delayMillis` (at the latest `maxDelayMillis` after
//   the first unbuilt change); it begins at once when the overlay holds more than `earlyFolders`
//   folders, would grow past store::kMaxOverlayFolders, or other items changed.
// - One build at a time. Until it ends the overlay keeps naming the old sidecar; afterwards the
//   folders changed since the generation the build read are the new overlay. A build still
//   running at its deadline (`buildMillis` plus `buildMillisPerMillion` per million items the
//   index held when it began) is stopped and counts as failed. A failed build leaves the old
//   sidecar and its overlay; each failure in a row makes the next try wait twice as long (from
//   `retryMillis`, at most `maxDelayMillis`). A build that outlives the database it read is void.
// - Failures go to `failed` (the watcher says them once); `recovered` is called when a build
//   succeeded. The builder is borrowed and must outlive the schedule; without one nothing is
//   ever due. Never throws.
#pragma once

#include "index/storage/names_overlay.h"
#include "index/storage/sqlite_handle.h"
#include "index/watch/names_builder.h"
#include "index/watch/pending_changes.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace skimmer::index::watch {

struct NamesTimings {
    int64_t delayMillis = 3000;
    int64_t maxDelayMillis = 300000;
    int64_t checkMillis = 100;  // how often a running build is asked for its outcome
    size_t earlyFolders = store::kMaxOverlayFolders / 2;
    int64_t buildMillis = 300000;
    int64_t buildMillisPerMillion = 300000;
    int64_t retryMillis = 2000;  // after a build that could not begin; the back-off's first step
};

struct NamesCounters {
    int64_t overlays = 0;  // names overlays written
    int64_t rebuilds = 0;  // builds begun
    int64_t stopped = 0;   // builds stopped for running past their deadline
};

struct NamesReports {
    std::function<void(const std::string& error)> failed;
    std::function<void()> recovered;
};

class NamesSchedule {
public:
    NamesSchedule(NamesBuilder* builder, NamesTimings timings, NamesReports reports);
    NamesSchedule(const NamesSchedule&) = delete;
    NamesSchedule& operator=(const NamesSchedule&) = delete;

    // Begins a build now (a sidecar that is current is only verified by it); `db` null means the
    // index could not be opened: the build is tried again after `retryMillis`.
    void begin(sqlite3* db, int64_t now);
    // A batch changed the index: `dirs` are the folders it wrote, `overlayable` when it changed
    // folder entries only.
    void changed(sqlite3* db, const std::vector<int64_t>& dirs, bool overlayable, int64_t now);
    // Inside a folder batch's transaction, before its commit at `generation`: writes the overlay
    // there, so no reader meets that generation without it. Nothing past the overlay's limit.
    store::Status overlayInBatch(sqlite3* db, int64_t generation, const std::vector<int64_t>& dirs);
    // `waitFd` was found readable: the running build is asked at once.
    void ready(int64_t now);
    // Asks a running build for its outcome, and begins a due one.
    void runDue(sqlite3* db, int64_t now);
    // The database was replaced: nothing is known of its sidecar, and a running build is void.
    void indexReplaced();

    int64_t nextDue() const { return std::min(due_, check_); }
    int waitFd() const { return building_ && builder_ != nullptr ? builder_->waitFd() : -1; }
    bool building() const { return building_; }
    const NamesCounters& counters() const { return counters_; }

private:
    struct Change {
        int64_t generation;  // the index's generation once the batch was written
        std::vector<int64_t> dirs;
        bool overlayable;
    };
    struct WrittenOverlay {
        int64_t generation = -1, base = -1;
    };

    void recordSinceBuild(sqlite3* db, const std::vector<int64_t>& dirs, bool overlayable);
    bool writeOverlay(sqlite3* db);
    void check(sqlite3* db, int64_t now);
    void built(sqlite3* db, const NamesBuilt& outcome, int64_t now);
    void failed(const NamesBuilt& outcome, int64_t now);
    void afterChange(sqlite3* db, int64_t now);
    void forgetBase();

    NamesBuilder* builder_;
    NamesTimings timings_;
    NamesReports reports_;
    int64_t base_ = -1;             // the generation the sidecar has; -1 unknown
    std::set<int64_t> staleDirs_;   // folders changed since then
    WrittenOverlay overlayAt_;      // the overlay the last batch wrote in its own transaction
    int64_t firstStale_ = kNever, due_ = kNever, check_ = kNever;
    bool building_ = false;
    bool buildIsVoid_ = false;      // the database was replaced while it ran: its outcome is void
    std::vector<Change> sinceBuild_;  // changes written while a build runs
    int64_t buildBegan_ = 0, deadline_ = kNever;  // the running build's; stopped at the deadline
    int failures_ = 0;              // builds failed in a row: each waits twice as long as the last
    NamesCounters counters_;
};

}  // namespace skimmer::index::watch
