#include "engines/query_loop.h"

namespace skimmer::engines {
namespace {

// Ends the engine's query on every way out of the loop.
class QueryScope {
public:
    explicit QueryScope(SearchEngine& engine) : engine_(engine) {}
    ~QueryScope() { engine_.endQuery(); }
    QueryScope(const QueryScope&) = delete;
    QueryScope& operator=(const QueryScope&) = delete;

private:
    SearchEngine& engine_;
};

const EngineStatus& said(const QueryDriver& driver, const EngineStatus& status) {
    if (!status.shown.empty() && driver.say) driver.say(status.shown);
    return status;
}

}  // namespace

QueryEnd RunQuery(SearchEngine& engine, std::string_view text, std::string_view kind, results::TSearchResults& batch,
                  const QueryDriver& driver) {
    const EngineStatus started = said(driver, engine.query(text, kind));
    if (started.broken) {
        engine.endQuery();
        return QueryEnd::Broken;
    }
    if (started.code != 0) return QueryEnd::Refused;
    QueryScope scope(engine);
    for (;;) {
        if (driver.superseded && driver.superseded()) return QueryEnd::Superseded;
        batch.Count = 0;
        batch.Finished = false;
        const EngineStatus fetched = said(driver, engine.fetch(batch));
        if (fetched.broken) return QueryEnd::Broken;
        if (fetched.code != 0) {
            batch.Count = 0;
            batch.Finished = true;
        }
        const BatchVerdict verdict = driver.onBatch ? driver.onBatch(batch) : BatchVerdict::More;
        if (verdict == BatchVerdict::Stop) return QueryEnd::Stopped;
        if (verdict == BatchVerdict::Enough || batch.Finished) return QueryEnd::Finished;
    }
}

}  // namespace skimmer::engines
