#include "index/storage/names_overlay.h"

#include <charconv>

namespace skimmer::index::store {
namespace {

// Reads one whole number followed by `end` (or the end of the text when `end` is 0).
template <typename T>
bool number(std::string_view& text, T& out, char end) {
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    if (ec != std::errc() || ptr == text.data()) return false;
    text.remove_prefix(static_cast<size_t>(ptr - text.data()));
    if (end == 0) return text.empty();
    if (text.empty() || text.front() != end) return false;
    text.remove_prefix(1);
    return true;
}

}  // namespace

std::string formatNamesOverlay(uint64_t generation, uint64_t base, uint64_t instance, const std::set<int64_t>& dirs) {
    std::string text = std::to_string(generation) + ' ' + std::to_string(base) + ' ' + std::to_string(instance) + '\n';
    for (int64_t dir : dirs) (text += std::to_string(dir)) += ' ';
    if (!dirs.empty()) text.pop_back();
    return text;
}

std::optional<NamesOverlay> parseNamesOverlay(std::string_view text, uint64_t generation, uint64_t instance) {
    uint64_t describes = 0, stamp = 0;
    NamesOverlay overlay;
    if (!number(text, describes, ' ') || !number(text, overlay.base, ' ') || !number(text, stamp, '\n'))
        return std::nullopt;
    if (describes != generation || stamp != instance || overlay.base >= generation) return std::nullopt;
    while (!text.empty()) {
        int64_t dir = 0;
        const bool last = text.find(' ') == std::string_view::npos;
        if (!number(text, dir, last ? 0 : ' ') || dir <= 0 || (!last && text.empty())) return std::nullopt;
        if (!overlay.dirs.empty() && dir <= overlay.dirs.back()) return std::nullopt;  // ascending, once each
        if (overlay.dirs.size() == kMaxOverlayFolders) return std::nullopt;
        overlay.dirs.push_back(dir);
    }
    return overlay;
}

}  // namespace skimmer::index::store
