#include "index/watch/pending_changes.h"

namespace skimmer::index::watch {

void PendingChanges::opened(int64_t now) {
    if (empty()) dueAt_ = now + window_;
}

void PendingChanges::folder(const std::string& path, bool subtree, int64_t now) {
    opened(now);
    if (everything_) return;
    folders_[path] |= subtree;
    if (folders_.size() > maxFolders_) everything(now);
}

void PendingChanges::everything(int64_t now) {
    opened(now);
    everything_ = true;
    folders_.clear();  // a full refresh covers them
}

void PendingChanges::extra(size_t index, int64_t now) {
    opened(now);
    extras_.insert(index);
}

void PendingChanges::retry(ChangeBatch batch, int64_t now, int64_t retryMillis) {
    const bool wasEmpty = empty();
    if (batch.everything) everything(now);
    for (const store::FolderRequest& request : batch.folders) folder(request.path, request.subtree, now);
    for (size_t index : batch.extras) extra(index, now);
    if (wasEmpty || dueAt_ < now + retryMillis) dueAt_ = now + retryMillis;
}

ChangeBatch PendingChanges::take() {
    ChangeBatch batch;
    batch.everything = everything_;
    for (auto& [path, subtree] : folders_) batch.folders.push_back({.path = path, .subtree = subtree});
    batch.extras.assign(extras_.begin(), extras_.end());
    everything_ = false;
    folders_.clear();
    extras_.clear();
    dueAt_ = kNever;
    return batch;
}

}  // namespace skimmer::index::watch
