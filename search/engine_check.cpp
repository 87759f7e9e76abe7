#include "search/engine_check.h"

namespace skimmer::search {

std::optional<std::string> EngineUnusable(const engines::TEngineEnvironment& env, const engines::TEngineOps& ops,
                                          const std::string& unusableText) {
    engines::TSearchEngine engine(env);
    const int32_t opened = ops.Init(engine);
    if (engine.Ready) {
        ops.Done(engine);
        engines::ResetSearchEngine(engine);
        if (opened == 0) return std::nullopt;
    }
    // Not closed through Done: closing an engine that never became ready would say message 44
    // a second time.
    std::string text = unusableText;
    if (!engine.LastError.empty()) text += "\n" + engine.LastError;
    engines::ResetSearchEngine(engine);
    return text;
}

}  // namespace skimmer::search
