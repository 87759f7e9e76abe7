#include "engines/locate_lines.h"

#include "os/path_syntax.h"

namespace skimmer::engines {

bool IsLocateHitLine(std::string_view line) { return os::isAbsolutePathWithName(line); }

void LocateLineSplitter::emit(std::string_view text, const std::function<void(std::string_view)>& line) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    if (text.empty() || text.find('\0') != std::string_view::npos) {
        ++dropped_;
        return;
    }
    line(text);
}

void LocateLineSplitter::feed(std::string_view piece, const std::function<void(std::string_view)>& line) {
    while (!piece.empty()) {
        const size_t end = piece.find('\n');
        const std::string_view chunk = piece.substr(0, end);
        if (overflowing_) {
            // The rest of a line already dropped: discard up to its end.
            if (end != std::string_view::npos) overflowing_ = false;
        } else if (pending_.size() + chunk.size() > maxLine_) {
            pending_.clear();
            ++dropped_;
            overflowing_ = end == std::string_view::npos;
        } else if (end == std::string_view::npos) {
            pending_.append(chunk);
        } else if (pending_.empty()) {
            emit(chunk, line);  // the common case: no copy
        } else {
            pending_.append(chunk);
            emit(pending_, line);
            pending_.clear();
        }
        if (end == std::string_view::npos) return;
        piece.remove_prefix(end + 1);
    }
}

void LocateLineSplitter::finish(const std::function<void(std::string_view)>& line) {
    if (!pending_.empty()) emit(pending_, line);
    pending_.clear();
    overflowing_ = false;
}

}  // namespace skimmer::engines
