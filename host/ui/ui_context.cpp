#include "host/ui/ui_context.h"

#include <algorithm>
#include <mutex>

#include "far/default_palette.h"
#include "host/ui/running_dialog.h"

namespace skimmer::host::ui {

HANDLE DialogRegistry::add(RunningDialog& dialog) {
    auto handle = reinterpret_cast<HANDLE>(next_);
    next_ += 0x10;
    live_[handle] = &dialog;
    return handle;
}

void DialogRegistry::remove(HANDLE handle) { live_.erase(handle); }

RunningDialog* DialogRegistry::find(HANDLE handle) const {
    auto it = live_.find(handle);
    return it == live_.end() ? nullptr : it->second;
}

void DialogRegistry::forEach(const std::function<void(RunningDialog&)>& visit) const {
    // A visit may close a dialog (and so remove it); walk a copy.
    auto snapshot = live_;
    for (auto& [handle, dialog] : snapshot)
        if (live_.count(handle)) visit(*dialog);
}

UiContext::UiContext(Surface& surface, EventSource& events)
    : surface_(surface), events_(events), screen_(surface), uiThread_(std::this_thread::get_id()),
      palette_(farapi::kFarDefaultPalette) {}

UiEvent UiContext::waitEvent() {
    UiEvent event;
    lock_.releasedWhile([&] { event = events_.next(); });
    return event;
}

void UiContext::paintDirtyDialogs() {
    registry_.forEach([](RunningDialog& dialog) { dialog.paintIfDirty(); });
}

void UiContext::setPalette(std::span<const uint8_t> bytes) {
    std::lock_guard guard(lock_);
    palette_ = farapi::kFarDefaultPalette;
    std::copy_n(bytes.begin(), std::min(bytes.size(), palette_.size()), palette_.begin());
}

uint8_t UiContext::color(int index) const {
    return (index >= 0 && index < static_cast<int>(palette_.size())) ? palette_[static_cast<size_t>(index)] : 0x07;
}

void UiContext::setClipboardReader(std::function<std::string()> reader) {
    std::lock_guard guard(lock_);
    clipboard_ = std::move(reader);
}

std::string UiContext::clipboardText() const { return clipboard_ ? clipboard_() : std::string(); }

void UiContext::setModuleResolver(std::function<std::string(int)> resolver) { modules_ = std::move(resolver); }

std::string UiContext::modulePath(int pluginNumber) const { return modules_ ? modules_(pluginNumber) : std::string(); }

}  // namespace skimmer::host::ui
