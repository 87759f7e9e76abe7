#include "index/tool/progress_line.h"

#include "index/storage/display_text.h"

#include <string>

namespace skimmer::index::tool {

ProgressLine::ProgressLine(std::FILE* out, bool terminal, int columns, std::function<int64_t()> nowMillis)
    : out_(out), terminal_(terminal), columns_(columns < 20 ? 80 : columns), now_(std::move(nowMillis)),
      started_(now_()) {}

void ProgressLine::update(const store::CrawlProgress& progress) {
    if (!terminal_) return;
    const int64_t now = now_();
    if (now - lastDraw_ < 100) return;
    lastDraw_ = now;
    const double seconds = static_cast<double>(now - started_) / 1000.0;
    const double rate = seconds > 0 ? static_cast<double>(progress.stats.items) / seconds : 0;
    char head[96];
    std::snprintf(head, sizeof head, "%lld items, %.0f/s: ", static_cast<long long>(progress.stats.items), rate);
    const std::string folder = store::terminalSafe(progress.folder);
    const size_t room = static_cast<size_t>(columns_ - 1) > std::string(head).size()
                            ? static_cast<size_t>(columns_ - 1) - std::string(head).size()
                            : 0;
    std::fprintf(out_, "\r\x1b[K%s%s", head, store::keepEnd(folder, room).c_str());
    std::fflush(out_);
    drawn_ = true;
}

void ProgressLine::finish() {
    if (!drawn_) return;
    std::fputs("\r\x1b[K", out_);
    std::fflush(out_);
    drawn_ = false;
}

}  // namespace skimmer::index::tool
