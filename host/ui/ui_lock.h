// The one lock that serialises every dialog of the process: the UI thread holds it whenever it runs
// a dialog procedure, handles an event or draws; another thread holds it while it sends a dialog
// message. The UI thread lets go only while its outermost modal loop waits for input, so a message
// from another thread can never slip in while a dialog procedure is in the middle of its work, not
// even while that procedure runs a nested dialog, menu or message box.
//
// Hazard (owner: the plug-in): a dialog procedure must not block waiting for a thread that may be
// blocked in SendDlgMessage; such a thread is as good as suspended until the procedure returns.
#pragma once

#include <functional>
#include <mutex>

namespace skimmer::host::ui {

class UiLock {
public:
    void lock();
    void unlock();
    bool try_lock();

    // Runs `wait` with the lock released when the caller holds it exactly once, and with the lock
    // held otherwise (a nested loop keeps the outer dialog's procedure serialised).
    void releasedWhile(const std::function<void()>& wait);

private:
    std::recursive_mutex mutex_;
    int depth_ = 0;  // how often the owning thread holds the mutex; touched only under it
};

}  // namespace skimmer::host::ui
