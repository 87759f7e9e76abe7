// The index engine: a typed text becomes a query on the system's desktop search (the desktop
// search seam, os/desktop_search.h: the system's search service on Windows, the desktop index on
// Linux) and its rows become hit records, five per batch.
//
// Contract:
// - WdsEngine is the SearchEngine over the seam: search manager → catalog manager → query helper
//   → connection → record set, the same calls on both systems. It opens the seam on the thread
//   that opens the engine and keeps it (on Windows: COM for that thread) until it is closed.
//   WDSInit, WDSQuery, WDSFetch, WDSEndQuery and WDSDone are its operations under their own names:
//   they show what the status carries through Env.ShowErrorText and return its code.
// - Codes: open 32 (the thread cannot use the service, shown), 31 (no index or no search service,
//   nothing shown), 1000 (indexer older than 3, nothing shown), 30 and 51 (shown); query 50, 62,
//   63 (shown); fetch 101 (shown). Closing an engine that never became ready says message 44.
// - A failure of the service's connection or record set during a query or a fetch is a broken
//   status ("Safecall error: '%X'"), which ends the search; WDSQuery and WDSFetch raise it as
//   EngineError. endQuery and close never fail.
// - A batch fills at most kWdsBatchRows slots from slot 0; Count and Finished say what it holds.
//   File hits: Url is "file:" + path, Path the path the URL names in the system's form (Linux:
//   '/' kept; Windows: '/' becomes '\'), Folder the part up to and including the last separator
//   (os::search::hitConventions). A ".lnk" hit (any case) is resolved through os/shell_link.h; a
//   hit of the service's symbolic-link kind through its target. Either way `Size` is the
//   target's, -1 when it is gone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engines/search_engine.h"
#include "os/desktop_search.h"
#include "results/search_result.h"

namespace skimmer::engines {

constexpr int kWdsBatchRows = 5;
static_assert(kWdsBatchRows <= results::kSearchResultSlots);

// The select list: the path column twice (4: Path and Title, 5: Target).
// Columns 6 to 8 give a file hit its disk entry (TSearchResult::Entry), so that a listing of many
// hits need not look at the disk for each.
inline constexpr const char* kWdsColumns =
    "System.ItemName,System.Size,System.Kind,System.ItemURL,System.ItemPathDisplay,System.ItemPathDisplay,"
    "System.DateModified,System.DateCreated,System.FileAttributes";

class WdsEngine final : public SearchEngine {
public:
    explicit WdsEngine(TEngineEnvironment env = {});
    ~WdsEngine() override;

    EngineChoice choice() const override { return EngineChoice::WindowsSearch; }
    EngineStatus open() override;
    EngineStatus query(std::string_view text, std::string_view kind) override;
    EngineStatus fetch(results::TSearchResults& batch) override;
    void endQuery() override;
    EngineStatus close() override;

    // The catalog's figures into `Info` (an open engine only); false when the index cannot answer.
    bool readInfo(TWDS3Info& Info);

private:
    void release();

    // Children after parents, so that they are destroyed first: the record set before its
    // connection, the helper before its catalog, and everything before the service itself.
    std::unique_ptr<os::search::DesktopSearch> service_;
    std::unique_ptr<os::search::SearchManager> searchManager_;
    std::unique_ptr<os::search::CatalogManager> catalogManager_;
    std::unique_ptr<os::search::QueryHelper> queryHelper_;
    std::string connectionString_;
    std::string sql_;
    std::unique_ptr<os::search::Connection> connection_;
    std::unique_ptr<os::search::Recordset> recordset_;
};

int32_t WDSInit(WdsEngine& Engine);
int32_t WDSDone(WdsEngine& Engine);
int32_t WDSQuery(WdsEngine& Engine, std::string_view Text, std::string_view Kind);
int32_t WDSFetch(WdsEngine& Engine, results::TSearchResults& Results);
void WDSEndQuery(WdsEngine& Engine);

// Opens an engine of its own for `env` and fills `Info`; Version "none" when the index cannot be
// opened (the other fields then keep their values, and message 44 is shown).
void WDSGetInfo(const TEngineEnvironment& env, TWDS3Info& Info);

// One row table (column × row, in the order of kWdsColumns) into the batch from slot 0: each slot
// is cleared, then filled column by column; a column the table lacks or a cell of another type
// leaves that field clear. Sets Count; leaves Finished alone. What WDSFetch does with each batch.
void WdsFillRows(const os::search::RowTable& table, results::TSearchResults& Results);

// WDSInit's check of the indexer version text: the decimal number before its first '.' must be
// at least 3 ("4.0.1" yes, "2.9" no, "x" no).
bool IndexerVersionAccepted(std::string_view version);

// The query text for a kind word: Text unchanged when Kind is empty, else
// Text + " System.Kind:" + Kind + " System.Kind:(NOT folder)".
std::string WdsQueryText(std::string_view Text, std::string_view Kind);

}  // namespace skimmer::engines
