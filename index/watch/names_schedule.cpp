#include "index/watch/names_schedule.h"

#include "index/storage/schema.h"

#include <algorithm>

namespace skimmer::index::watch {
namespace {

int64_t generationOf(sqlite3* db) { return store::readMetaInt(db, store::kMetaGeneration).value_or(-1); }

constexpr int kMaxDoublings = 20;  // the back-off's exponent; maxDelayMillis caps the wait long before

}  // namespace

NamesSchedule::NamesSchedule(NamesBuilder* builder, NamesTimings timings, NamesReports reports)
    : builder_(builder), timings_(timings), reports_(std::move(reports)) {}

// Readers keep the sidecar when they are told which folders it no longer knows; the build
// (seconds at a million entries) waits until the changes rest.
void NamesSchedule::changed(sqlite3* db, const std::vector<int64_t>& dirs, bool overlayable, int64_t now) {
    if (builder_ == nullptr) return;
    if (building_) recordSinceBuild(db, dirs, overlayable);
    if (overlayable && base_ >= 0) {
        staleDirs_.insert(dirs.begin(), dirs.end());
        if (staleDirs_.size() <= store::kMaxOverlayFolders && writeOverlay(db)) {
            if (firstStale_ == kNever) firstStale_ = now;
            afterChange(db, now);
            return;
        }
    }
    // No overlay can describe this change: readers take the plain path until a build has read it.
    forgetBase();
    begin(db, now);
}

// More folders than an overlay may hold need another build anyway: one marker stands for them, so
// a build that takes long never makes this list grow without bound.
void NamesSchedule::recordSinceBuild(sqlite3* db, const std::vector<int64_t>& dirs, bool overlayable) {
    sinceBuild_.push_back({.generation = generationOf(db), .dirs = dirs, .overlayable = overlayable});
    size_t folders = 0;
    for (const Change& change : sinceBuild_) folders += change.dirs.size();
    if (folders > store::kMaxOverlayFolders)
        sinceBuild_ = {{.generation = generationOf(db), .dirs = {}, .overlayable = false}};
}

// An overlay that fills past `earlyFolders` begins a build at once: it runs while the overlay
// still has room, so a steady stream of changes never leaves readers without one (the plain path
// costs hundreds of milliseconds a search at a million entries).
void NamesSchedule::afterChange(sqlite3* db, int64_t now) {
    if (staleDirs_.size() > timings_.earlyFolders) {
        begin(db, now);  // nothing when one runs already: its outcome decides
        return;
    }
    const int64_t first = firstStale_ == kNever ? now : firstStale_;
    due_ = std::min(now + timings_.delayMillis, first + timings_.maxDelayMillis);
}

void NamesSchedule::forgetBase() {
    base_ = -1;
    staleDirs_.clear();
}

store::Status NamesSchedule::overlayInBatch(sqlite3* db, int64_t generation, const std::vector<int64_t>& dirs) {
    overlayAt_ = {};
    if (builder_ == nullptr || base_ < 0) return {};
    std::set<int64_t> stale = staleDirs_;
    stale.insert(dirs.begin(), dirs.end());
    const auto instance = store::readMetaInt(db, store::kMetaInstance);
    if (stale.size() > store::kMaxOverlayFolders || !instance || generation <= base_) return {};
    const std::string text = store::formatNamesOverlay(static_cast<uint64_t>(generation), static_cast<uint64_t>(base_),
                                                       static_cast<uint64_t>(*instance), stale);
    store::Status written = store::writeMeta(db, store::kMetaNamesOverlay, text);
    if (written) overlayAt_ = {.generation = generation, .base = base_};
    return written;
}

bool NamesSchedule::writeOverlay(sqlite3* db) {
    const auto instance = store::readMetaInt(db, store::kMetaInstance);
    const int64_t generation = generationOf(db);
    if (!instance || generation <= base_) return false;
    if (overlayAt_.generation == generation && overlayAt_.base == base_) {  // the batch wrote this one
        ++counters_.overlays;
        return true;
    }
    const std::string text = store::formatNamesOverlay(static_cast<uint64_t>(generation), static_cast<uint64_t>(base_),
                                                       static_cast<uint64_t>(*instance), staleDirs_);
    if (store::Status written = store::writeMeta(db, store::kMetaNamesOverlay, text); !written) {
        if (reports_.failed) reports_.failed(written.error);  // readers take the plain path until the rebuild
        return false;
    }
    ++counters_.overlays;
    return true;
}

// One build at a time: asked for while one runs, the changes recorded meanwhile decide on its
// outcome whether another is needed.
void NamesSchedule::begin(sqlite3* db, int64_t now) {
    due_ = kNever;
    if (builder_ == nullptr || building_) return;
    if (db == nullptr) {  // a replaced index that could not be opened yet
        due_ = now + timings_.retryMillis;
        return;
    }
    ++counters_.rebuilds;
    sinceBuild_.clear();
    buildIsVoid_ = false;
    std::string error;
    if (!builder_->begin(error)) {
        if (reports_.failed) reports_.failed(error);
        due_ = now + timings_.retryMillis;
        return;
    }
    building_ = true;
    const int64_t items = store::readMetaInt(db, store::kMetaItemCount).value_or(0);
    buildBegan_ = now;
    deadline_ = now + timings_.buildMillis + timings_.buildMillisPerMillion * std::max<int64_t>(items, 0) / 1000000;
    check(db, now);  // an inline build has ended already
}

void NamesSchedule::ready(int64_t now) {
    if (building_) check_ = now;
}

void NamesSchedule::runDue(sqlite3* db, int64_t now) {
    if (check_ <= now) check(db, now);
    if (due_ <= now) begin(db, now);
}

void NamesSchedule::check(sqlite3* db, int64_t now) {
    check_ = kNever;
    if (!building_) return;
    std::optional<NamesBuilt> outcome = builder_->outcome();
    if (!outcome && now >= deadline_) {
        // A hung build would hold every later one back for ever: readers stay on the old sidecar
        // and its overlay, and another build is tried later.
        builder_->stop();
        ++counters_.stopped;
        outcome = NamesBuilt{.ok = false, .generation = -1,
                             .error = "the name index build was stopped, still running after " +
                                      std::to_string((now - buildBegan_) / 1000) + " s"};
    }
    if (!outcome) {
        check_ = now + timings_.checkMillis;
        return;
    }
    building_ = false;
    if (buildIsVoid_) outcome = NamesBuilt{.ok = false, .generation = -1, .error = "the index was replaced meanwhile"};
    built(db, *outcome, now);
}

void NamesSchedule::built(sqlite3* db, const NamesBuilt& outcome, int64_t now) {
    std::vector<Change> since = std::move(sinceBuild_);
    sinceBuild_.clear();
    if (!outcome.ok || db == nullptr) {
        failed(outcome, now);
        return;
    }
    failures_ = 0;
    // The sidecar on disk now carries `outcome.generation`: the folders changed after it are the
    // overlay from now on. A change no overlay can describe needs another build.
    std::set<int64_t> stale;
    bool overlayable = true;
    for (const Change& change : since) {
        if (change.generation <= outcome.generation) continue;
        overlayable = overlayable && change.overlayable;
        stale.insert(change.dirs.begin(), change.dirs.end());
    }
    if (reports_.recovered) reports_.recovered();
    base_ = outcome.generation;
    staleDirs_ = std::move(stale);
    firstStale_ = kNever;
    if (overlayable && generationOf(db) <= base_) return;  // current
    if (overlayable && staleDirs_.size() <= store::kMaxOverlayFolders && writeOverlay(db)) {
        firstStale_ = now;
        afterChange(db, now);
        return;
    }
    forgetBase();
    begin(db, now);
}

// The old sidecar stays, with the overlay written for it (when there is one). A build that keeps
// failing (a full disk) is not started every few seconds for ever.
void NamesSchedule::failed(const NamesBuilt& outcome, int64_t now) {
    if (buildIsVoid_) {
        due_ = now + timings_.retryMillis;
        return;
    }
    if (reports_.failed) reports_.failed(outcome.error);
    failures_ = std::min(failures_ + 1, kMaxDoublings);
    due_ = now + std::min(timings_.retryMillis << failures_, timings_.maxDelayMillis);
}

void NamesSchedule::indexReplaced() {
    forgetBase();
    firstStale_ = kNever;
    buildIsVoid_ = building_;
}

}  // namespace skimmer::index::watch
