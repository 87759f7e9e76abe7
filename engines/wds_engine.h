// The index engine: a typed text becomes a query on the desktop index (index/query's search
// manager, catalog manager, query helper, connection and record set) and its rows become hit
// records, five per batch.
//
// Contract:
// - Order of use: WDSInit → WDSQuery → WDSFetch until Finished → WDSEndQuery → (next query or
//   WDSDone). Every call is made by the thread that owns the record.
// - Codes as returned and shown: WDSInit 31 (no index, nothing shown), 1000 (indexer older than 3,
//   nothing shown), 30 and 51 (shown); WDSQuery 50, 62, 63 (shown); WDSFetch 101 (shown).
// - A failure of the index's connection or record set during WDSQuery or WDSFetch throws
//   EngineError ("Safecall error: '%X'"), which ends the search. WDSEndQuery and WDSDone never throw.
// - A batch fills at most kWdsBatchRows slots from slot 0; Count and Finished say what it holds.
//   File hits: Url is "file:" + path, Path the path with '/' kept as the separator, Folder the
//   part up to and including the last '/'. A ".lnk" hit (any case) is resolved through our reader
//   of the shell-link format; a hit of kind Link (a symbolic link) through its target. Either
//   way `Size` is the target's, -1 when it is gone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engines/search_engine.h"
#include "results/search_result.h"

namespace skimmer::index::query {
class RowTable;
}

namespace skimmer::engines {

constexpr int kWdsBatchRows = 5;
static_assert(kWdsBatchRows <= results::kSearchResultSlots);

// The select list: the path column twice (4: Path and Title, 5: Target).
inline constexpr const char* kWdsColumns =
    "System.ItemName,System.Size,System.Kind,System.ItemURL,System.ItemPathDisplay,System.ItemPathDisplay";

int32_t WDSInit(TSearchEngine& Engine);
int32_t WDSDone(TSearchEngine& Engine);
int32_t WDSQuery(TSearchEngine& Engine, std::string_view Text, std::string_view Kind);
int32_t WDSFetch(TSearchEngine& Engine, results::TSearchResults& Results);
void WDSEndQuery(TSearchEngine& Engine);

// Opens an engine record of its own for `env` and fills `Info`; Version "none" when the index
// cannot be opened (the other fields then keep their values, and message 44 is shown).
void WDSGetInfo(const TEngineEnvironment& env, TWDS3Info& Info);

// One row table (column × row, in the order of kWdsColumns) into the batch from slot 0: each slot
// is cleared, then filled column by column; a column the table lacks or a cell of another type
// leaves that field clear. Sets Count; leaves Finished alone. What WDSFetch does with each batch.
void WdsFillRows(const index::query::RowTable& table, results::TSearchResults& Results);

// WDSInit's check of the indexer version text: the decimal number before its first '.' must be
// at least 3 ("4.0.1" yes, "2.9" no, "x" no).
bool IndexerVersionAccepted(std::string_view version);

// The query text for a kind word: Text unchanged when Kind is empty, else
// Text + " System.Kind:" + Kind + " System.Kind:(NOT folder)".
std::string WdsQueryText(std::string_view Text, std::string_view Kind);

}  // namespace skimmer::engines
