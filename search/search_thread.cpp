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
    return pending_.has_value();
}

bool TSearchThread::stopRequested() const {
    std::lock_guard lock(mutex_);
    return stoppingLocked();
}

bool TSearchThread::checkpoint() {
    std::unique_lock lock(mutex_);
    parkWhileSuspended(lock);
    return !stoppingLocked() && !pending_;
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
        wake_.wait(lock, [this] { return stoppingLocked() || (!suspendRequested_ && pending_); });
        isParked_ = false;
        if (stoppingLocked()) return false;
        // OEM and ANSI are both UTF-8 here: the text goes to the engine as typed.
        current_ = std::move(*pending_);
        pending_.reset();
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
        if (searching()) runSearch();
        {
            std::lock_guard lock(mutex_);
            current_.clear();
        }
        if (stopRequested()) break;
        work_.searchEnded(*this);
    }
}

// Runs one step of the work; an exception is shown once and turned into false, and the caller
// decides what it ends (a search, never the thread while texts may still come).
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

// Before a search whose engine is closed (the first one, or one after a failure): a failed open
// is said and closed again, and the next text tries anew.
bool TSearchThread::openEngine() {
    bool recordReady = false;
    int32_t opened = -1;
    if (!guardedStep(work_, [&] { opened = work_.openEngine(recordReady); })) recordReady = false;
    EngineReady.store(recordReady && opened == 0);
    if (EngineReady.load()) return true;
    if (!recordReady) guardedStep(work_, [&] { work_.reportEngineMissing(); });
    else guardedStep(work_, [&] { work_.reportOpenFailed(); });
    guardedStep(work_, [&] { work_.closeEngine(); });
    return false;
}

void TSearchThread::closeEngine() {
    EngineReady.store(false);
    guardedStep(work_, [&] { work_.closeEngine(); });
}

void TSearchThread::runSearch() {
    if (!EngineReady.load() && !openEngine()) return;
    bool completed = false;
    if (guardedStep(work_, [&] { completed = work_.runPlan(*this); }) && completed) return;
    // The lines already filed stay (the list and the chain still agree); the engine may be left
    // in any state by its failure (a record set half read, an index moved away), so it is closed
    // and the next text opens it again.
    guardedStep(work_, [&] { work_.searchFailed(*this); });
    closeEngine();
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
    // The engine is opened by the first text that needs it (runSearch), so that an engine that
    // cannot be used is said once per text that asked for it, never twice for one.
    guardedStep(work_, [&] { searchLoop(); });
    {
        std::lock_guard lock(mutex_);
        current_.clear();
    }
    guardedStep(work_, [&] { work_.freeResults(*this); });
    if (EngineReady.load()) closeEngine();
    markEnded(true);
    if (CloseRequested.load()) guardedStep(work_, [&] { work_.closeWindow(); });
}

}  // namespace skimmer::search
