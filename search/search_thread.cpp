#include "search/search_thread.h"

#include <exception>

namespace skimmer::search {

TSearchThread::TSearchThread(TSearchWork& work) : work_(work), thread_([this] { Execute(); }) {}

TSearchThread::~TSearchThread() {
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
        suspendRequested_ = false;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void TSearchThread::setPendingQuery(const std::string& text, int32_t cursorX) {
    {
        std::lock_guard lock(mutex_);
        pending_ = text;
        ++pendingGeneration_;
        cursorX_.store(cursorX);
    }
    wake_.notify_all();
}

void TSearchThread::requestClose() {
    {
        std::lock_guard lock(mutex_);
        CloseRequested.store(true);
    }
    wake_.notify_all();
}

void TSearchThread::suspend() {
    std::unique_lock lock(mutex_);
    suspendRequested_ = true;
    wake_.notify_all();
    parked_.wait(lock, [this] { return isParked_ || inHostCall_ > 0 || ended_; });
}

void TSearchThread::resume() {
    {
        std::lock_guard lock(mutex_);
        suspendRequested_ = false;
    }
    wake_.notify_all();
}

bool TSearchThread::ended() const {
    std::lock_guard lock(mutex_);
    return ended_;
}

bool TSearchThread::searching() const {
    std::lock_guard lock(mutex_);
    return !current_.empty();
}

std::string TSearchThread::CurrentQuery() const {
    std::lock_guard lock(mutex_);
    return current_;
}

std::string TSearchThread::HighlightQuery() const {
    std::lock_guard lock(mutex_);
    return highlight_;
}

uint64_t TSearchThread::generation() const {
    std::lock_guard lock(mutex_);
    return takenGeneration_;
}

bool TSearchThread::superseded() const {
    std::lock_guard lock(mutex_);
    return !pending_.empty();
}

bool TSearchThread::stopRequested() const {
    std::lock_guard lock(mutex_);
    return stoppingLocked();
}

bool TSearchThread::checkpoint() {
    std::unique_lock lock(mutex_);
    parkWhileSuspended(lock);
    return !stoppingLocked() && pending_.empty();
}

TSearchThread::HostCall::HostCall(TSearchThread& thread) : thread_(thread) {
    {
        std::lock_guard lock(thread_.mutex_);
        ++thread_.inHostCall_;
    }
    // A suspend already waiting may now count this thread as parked.
    thread_.parked_.notify_all();
}

TSearchThread::HostCall::~HostCall() {
    std::unique_lock lock(thread_.mutex_);
    --thread_.inHostCall_;
    // The window may be relying on this call as the safe point: go no further until resumed.
    thread_.parkWhileSuspended(lock);
}

void TSearchThread::parkWhileSuspended(std::unique_lock<std::mutex>& lock) {
    if (!suspendRequested_ || terminated_) return;
    isParked_ = true;
    parked_.notify_all();
    wake_.wait(lock, [this] { return !suspendRequested_ || terminated_; });
    isParked_ = false;
}

bool TSearchThread::takeText() {
    std::unique_lock lock(mutex_);
    for (;;) {
        // Idle: parked as far as a suspend is concerned, so a suspend never waits for a text.
        isParked_ = true;
        parked_.notify_all();
        wake_.wait(lock, [this] { return stoppingLocked() || (!suspendRequested_ && !pending_.empty()); });
        isParked_ = false;
        if (stoppingLocked()) return false;
        // OEM and ANSI are both UTF-8 here: the text goes to the engine as typed.
        current_ = std::move(pending_);
        pending_.clear();
        highlight_ = current_;
        takenGeneration_ = pendingGeneration_;
        return true;
    }
}

void TSearchThread::searchLoop() {
    while (takeText()) {
        LineCount.store(0);
        HitCount.store(0);
        work_.clearResults(*this);
        work_.runPlan(*this);
        {
            std::lock_guard lock(mutex_);
            current_.clear();
        }
        if (stopRequested()) break;
        work_.searchEnded(*this);
    }
}

// Runs one step of the work; an exception ends the search as a failed engine call does, with
// the lines as they were, and is shown once. False when it failed.
template <typename Step>
static bool guardedStep(TSearchWork& work, Step step) {
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        work.reportFailure(error.what());
    } catch (...) {
        work.reportFailure("unknown error");
    }
    return false;
}

void TSearchThread::markEnded(bool finished) {
    Finished.store(finished);
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    parked_.notify_all();
}

void TSearchThread::Execute() {
    {
        // Created suspended: wait for the window's first resume (or an early end).
        std::unique_lock lock(mutex_);
        parkWhileSuspended(lock);
        if (terminated_) {
            lock.unlock();
            markEnded(true);
            return;
        }
    }
    bool recordReady = false;
    int32_t opened = -1;
    if (!guardedStep(work_, [&] { opened = work_.openEngine(recordReady); })) recordReady = false;
    EngineReady.store(opened == 0);
    if (!recordReady) {
        guardedStep(work_, [&] { work_.reportEngineMissing(); });
        guardedStep(work_, [&] { work_.closeEngine(); });
        // Finished stays false: the window stays open and typing has no effect.
        markEnded(false);
        return;
    }
    if (EngineReady.load()) {
        guardedStep(work_, [&] { searchLoop(); });
        {
            std::lock_guard lock(mutex_);
            current_.clear();
        }
    } else {
        guardedStep(work_, [&] { work_.reportOpenFailed(); });
    }
    guardedStep(work_, [&] { work_.freeResults(*this); });
    guardedStep(work_, [&] { work_.closeEngine(); });
    markEnded(true);
    if (CloseRequested.load()) guardedStep(work_, [&] { work_.closeWindow(); });
}

}  // namespace skimmer::search
