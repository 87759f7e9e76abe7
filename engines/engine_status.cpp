#include "engines/engine_status.h"

namespace skimmer::engines {

EngineStatus EngineStatus::shownCode(int32_t code, std::string detail) {
    return {code, "Error: " + std::to_string(code), std::move(detail), false};
}

EngineStatus EngineStatus::quiet(int32_t code, std::string detail) { return {code, {}, std::move(detail), false}; }

EngineStatus EngineStatus::saying(std::string text) { return {0, std::move(text), {}, false}; }

EngineStatus EngineStatus::brokenBy(uint32_t code, std::string message, std::string detail) {
    return {static_cast<int32_t>(code), std::move(message), std::move(detail), true};
}

}  // namespace skimmer::engines
