#include "host/ui/dialog_history.h"

#include <algorithm>

#include "os/utf8.h"

namespace skimmer::host::ui {

void DialogHistory::setStore(HistoryStore* store) {
    store_ = store;
    lists_.clear();
}

std::vector<HistoryEntry>& DialogHistory::list(std::string_view name) {
    auto [it, inserted] = lists_.try_emplace(os::asciiLower(name));
    if (inserted && store_ != nullptr) {
        it->second = store_->load(name);
        if (it->second.size() > kMaxEntries) it->second.resize(kMaxEntries);
    }
    return it->second;
}

void DialogHistory::changed(std::string_view name) {
    if (store_ != nullptr) store_->save(name, list(name));
}

const std::vector<HistoryEntry>& DialogHistory::entries(std::string_view name) { return list(name); }

std::optional<std::string> DialogHistory::newest(std::string_view name) {
    const auto& entries = list(name);
    if (entries.empty()) return std::nullopt;
    return entries.front().text;
}

bool DialogHistory::add(std::string_view name, std::string_view text) {
    if (text.empty()) return false;
    auto& entries = list(name);
    HistoryEntry entry{std::string(text)};
    const auto same = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e.text == text; });
    if (same != entries.end() && same == entries.begin()) return false;  // already the newest
    if (same != entries.end()) {
        entry.locked = same->locked;
        entries.erase(same);
    } else if (entries.size() >= kMaxEntries) {
        const auto oldest = std::find_if(entries.rbegin(), entries.rend(), [](const auto& e) { return !e.locked; });
        if (oldest == entries.rend()) return false;
        entries.erase(std::next(oldest).base());
    }
    entries.insert(entries.begin(), std::move(entry));
    changed(name);
    return true;
}

bool DialogHistory::remove(std::string_view name, size_t index) {
    auto& entries = list(name);
    if (index >= entries.size() || entries[index].locked) return false;
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
    changed(name);
    return true;
}

bool DialogHistory::clearUnlocked(std::string_view name) {
    auto& entries = list(name);
    if (std::erase_if(entries, [](const auto& e) { return !e.locked; }) == 0) return false;
    changed(name);
    return true;
}

bool DialogHistory::toggleLock(std::string_view name, size_t index) {
    auto& entries = list(name);
    if (index >= entries.size()) return false;
    entries[index].locked = !entries[index].locked;
    changed(name);
    return true;
}

}  // namespace skimmer::host::ui
