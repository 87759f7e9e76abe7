// The search window's background search: one thread per opening of the window that takes the
// newest typed text from a one-slot hand-over and runs the group plan for it, batch by batch,
// while the user keeps typing.
//
// Contract:
// - The window (FAR's main thread) writes every new text with setPendingQuery; a text not yet
//   taken is replaced, so only the newest one is ever searched. Each write gets a generation;
//   between batches the work asks superseded(), and a batch of an older text is never filed
//   after a newer text was taken (the thread files and takes, in that order, itself).
// - Idle costs nothing: the thread sleeps on a condition variable and wakes only for a new text,
//   a close request, a suspend or resume, or termination.
// - Suspending is cooperative: suspend() returns once the thread is parked at a safe point
//   (idle, between batches, or inside a host call it makes, after which it parks before doing
//   anything else); resume() lets it go on. The thread is never stopped from outside.
// - Destroying the object terminates the thread and joins it; the work's engine is closed by the
//   thread itself before it ends. No exception leaves the thread.
// - A failure ends the search that met it, never the thread: an engine that cannot be opened is
//   said (message 44, or code 120) and that text gets no lines; an engine that fails in the
//   middle of a search (runPlan returns false after its "Safecall error" was said, or the work
//   throws, which is said once by the thread) ends that search, the lines filed so far
//   stay with the counter that counts them, and the engine is closed so that the next text opens
//   it afresh. Every text taken after a failure is searched again.
// - An empty text is not a search: it supersedes the running one, and the thread empties the list
//   and the chain for it (clearResults) without asking the engine.
// - Every TSearchWork callback runs on the search thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace skimmer::search {

class TSearchThread;

// What the thread does with a text: the engine, the list and the group plan, provided by the
// window so that the thread itself knows nothing of engines, results or dialogs.
class TSearchWork {
public:
    virtual ~TSearchWork() = default;
    // Opens the engine chosen by the settings: 0 when this thread opened it. `recordReady` tells
    // whether the engine record is usable at all (false: message 44, and this text is not searched).
    // Called again for a later text after a failed open or a failed search.
    virtual int32_t openEngine(bool& recordReady) = 0;
    virtual void closeEngine() = 0;
    virtual void reportEngineMissing() = 0;  // language message 44 in a message box
    virtual void reportOpenFailed() = 0;     // error box with code 120
    // A text was taken (an empty one too): empty the window's list, then the result chain (the
    // list's rows point at the chain's nodes), and show the counter of nothing.
    virtual void clearResults(TSearchThread& thread) = 0;
    // Runs the group plan for thread.CurrentQuery(); returns early when thread.superseded() or
    // thread.stopRequested(), calling thread.checkpoint() between batches. False: the engine
    // failed part-way and the search ends (the failure has been said).
    virtual bool runPlan(TSearchThread& thread) = 0;
    // runPlan failed part-way: the lines it filed stay; make the counter count them.
    virtual void searchFailed(TSearchThread& thread) = 0;
    // A search ended (finished or superseded): repaint the list and the edit field.
    virtual void searchEnded(TSearchThread& thread) = 0;
    // The thread is ending: empty the window's list (when a dialog is shown), then free the chain.
    virtual void freeResults(TSearchThread& thread) = 0;
    // The window asked the thread to close it (DM_CLOSE with 0).
    virtual void closeWindow() = 0;
    // The work threw (nothing the engines do: they report through their status): its text, shown once.
    virtual void reportFailure(const std::string& what) = 0;
};

class TSearchThread {
public:
    // Created parked: nothing runs before resume(), as a thread created suspended.
    explicit TSearchThread(TSearchWork& work);
    ~TSearchThread();
    TSearchThread(const TSearchThread&) = delete;
    TSearchThread& operator=(const TSearchThread&) = delete;

    // The window's side.
    // An empty text asks for an empty list, not for a search.
    void setPendingQuery(const std::string& text, int32_t cursorX);
    void setCursorX(int32_t cursorX) { cursorX_.store(cursorX); }
    void requestClose();      // CloseRequested: the thread stops and closes the window itself
    void requestResize() { ForceResize.store(true); }
    void suspend();           // returns once the thread is parked (or has ended)
    void resume();            // also the first start of a freshly created thread
    bool finished() const { return Finished.load(); }
    bool ended() const;       // Execute has returned (with or without a search loop)
    bool searching() const;   // CurrentQuery is not empty
    std::string CurrentQuery() const;
    std::string HighlightQuery() const;
    int32_t CursorX() const { return cursorX_.load(); }
    // The caller is this object's search thread (a host call it makes reaches the window there).
    bool isSearchThread() const { return std::this_thread::get_id() == thread_.get_id(); }

    // The work's side (search thread only).
    bool superseded() const;     // a newer text (an empty one too) waits in the slot
    bool stopRequested() const;  // CloseRequested or terminating
    // Between batches: parks while suspended. False when the search should stop (a newer text,
    // a close request or termination).
    bool checkpoint();
    // Wrap every host call the thread makes: a suspend may count it as parked, because the host
    // serialises it with the window, and the thread parks as soon as it returns.
    class HostCall {
    public:
        explicit HostCall(TSearchThread& thread);
        ~HostCall();
        HostCall(const HostCall&) = delete;
        HostCall& operator=(const HostCall&) = delete;

    private:
        TSearchThread& thread_;
    };
    uint64_t generation() const;  // of the text being searched

    std::atomic<bool> EngineReady{false};
    std::atomic<int32_t> LineCount{0};
    std::atomic<int32_t> HitCount{0};
    std::atomic<bool> Finished{false};
    std::atomic<bool> CloseRequested{false};
    std::atomic<bool> ForceResize{false};

private:
    void Execute();
    void searchLoop();
    void runSearch();          // the current text, opening the engine first when it is closed
    bool openEngine();         // false: it could not be opened (said) and is closed again
    void closeEngine();
    bool takeText();                           // false: stop
    void parkWhileSuspended(std::unique_lock<std::mutex>& lock);
    void markEnded(bool finished);
    bool stoppingLocked() const { return terminated_ || CloseRequested.load(); }

    TSearchWork& work_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;     // the thread waits on it: text, close, resume, terminate
    std::condition_variable parked_;   // suspend() waits on it
    std::optional<std::string> pending_;  // PendingQuery; "" asks for an empty list
    uint64_t pendingGeneration_ = 0;   // generation of the newest text written
    uint64_t takenGeneration_ = 0;     // generation of the text being searched
    std::string current_;              // CurrentQuery
    std::string highlight_;            // HighlightQuery
    bool suspendRequested_ = true;     // created suspended
    bool isParked_ = false;
    int inHostCall_ = 0;
    bool terminated_ = false;
    bool ended_ = false;               // Execute has returned
    std::atomic<int32_t> cursorX_{0};
    std::thread thread_;               // last: started once every member above exists
};

}  // namespace skimmer::search
