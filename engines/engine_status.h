// The one error convention of engines/: every operation of a SearchEngine returns an EngineStatus,
// carrying the numeric code its callers have always seen, the text the user is to be shown (if
// any) and the reason in plain words.
//
// Contract:
// - An engine never shows anything and never lets an exception out of its operations; the caller
//   shows `shown` through its own error box. A value, not an exception, because the window's
//   search thread may not open a box (it queues the text for the UI thread) while the panel and
//   the About box show it at once: a value crosses that hand-over as it is, and the one query
//   loop (query_loop.h) says every status the same way for both.
// - `broken` marks a failure of the index's own objects in the middle of a search (the "Safecall
//   error"): the search that met it ends, and its engine is closed and opened afresh.
// - EngineError exists only for the named WDS* functions, whose documented failure is a throw.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace skimmer::engines {

// Result codes of the engine operations (0 is success).
constexpr int32_t kEngineComInitFailed = 32;   // COM cannot be initialised (never on Linux: no COM)
constexpr int32_t kEngineNotInstalled = 31;    // the index or the search service is not there
constexpr int32_t kEngineTooOld = 1000;        // indexer major version below 3
constexpr int32_t kEngineNoCatalog = 30;       // catalog "systemindex" not available
constexpr int32_t kEngineNoQueryHelper = 51;   // no query helper
constexpr int32_t kEngineNotReady = 50;        // a query on an engine that is not open
constexpr int32_t kEngineEmptySql = 62;        // connection string or query text empty
constexpr int32_t kEngineNoConnection = 63;    // the connection object could not be made
constexpr int32_t kEngineCannotStart = 71;     // `locate` could not be started
constexpr int32_t kEngineRowCountUnknown = 101;  // a batch whose row count cannot be measured
constexpr int32_t kLocateMissing = 1;          // L32Init: no `locate` in ESKSLocate32Path

struct EngineStatus {
    int32_t code = 0;      // 0: the operation did what was asked
    std::string shown;     // the error box's text; empty: nothing to show
    std::string detail;    // why, in plain words (the index's own explanation when it has one)
    bool broken = false;   // the engine failed mid-search: end the search, reopen the engine

    bool ok() const { return code == 0 && !broken; }

    // A code shown as "Error: " + its decimal number.
    static EngineStatus shownCode(int32_t code, std::string detail = {});
    // A code nobody is shown (the caller decides what to say).
    static EngineStatus quiet(int32_t code, std::string detail = {});
    // Success with something to say (an error the engine met and has already ended its run for).
    static EngineStatus saying(std::string text);
    // The index's object failed: what() of the failure is shown, its code kept.
    static EngineStatus brokenBy(uint32_t code, std::string message, std::string detail);
};

// A failed call on the index's objects, as the WDS* functions raise it: what() is exactly
// "Safecall error: '%X'" with the failing code; detail() says what happened in plain words.
class EngineError : public std::runtime_error {
public:
    EngineError(uint32_t code, const std::string& message, std::string detail)
        : std::runtime_error(message), code_(code), detail_(std::move(detail)) {}
    uint32_t code() const { return code_; }
    const std::string& detail() const { return detail_; }

private:
    uint32_t code_;
    std::string detail_;
};

}  // namespace skimmer::engines
