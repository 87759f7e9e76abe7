#include "host/ui/ui_lock.h"

namespace skimmer::host::ui {

void UiLock::lock() {
    mutex_.lock();
    ++depth_;
}

void UiLock::unlock() {
    --depth_;
    mutex_.unlock();
}

bool UiLock::try_lock() {
    if (!mutex_.try_lock()) return false;
    ++depth_;
    return true;
}

void UiLock::releasedWhile(const std::function<void()>& wait) {
    if (depth_ != 1) {
        wait();
        return;
    }
    unlock();
    try {
        wait();
    } catch (...) {
        lock();
        throw;
    }
    lock();
}

}  // namespace skimmer::host::ui
