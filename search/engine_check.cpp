#include "search/engine_check.h"

namespace skimmer::search {

std::optional<std::string> EngineUnusable(engines::SearchEngine& engine,
                                          const std::function<void(const std::string&)>& say,
                                          const std::string& unusableText) {
    const engines::EngineStatus opened = engine.open();
    if (!opened.shown.empty() && say) say(opened.shown);
    if (engine.ready()) {
        const engines::EngineStatus closed = engine.close();
        if (!closed.shown.empty() && say) say(closed.shown);
        if (opened.code == 0) return std::nullopt;
    }
    // Not closed through close() when it never became ready: that would say message 44 a second
    // time. The caller destroys the engine, which releases whatever it holds.
    std::string text = unusableText;
    if (!opened.detail.empty()) text += "\n" + opened.detail;
    return text;
}

}  // namespace skimmer::search
