// Fuzz target: a folder's packed entries as read back from a (possibly damaged) index. Any input
// must decode or fail without reading past it; what decodes must encode and decode to the same
// entries, and entry-by-position reading must agree with whole decoding.
#include "index/storage/folder_entries.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using skimmer::index::store::CrawledItem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view blob(reinterpret_cast<const char*>(data), size);
    std::vector<CrawledItem> rows;
    if (!skimmer::index::store::decodeEntries(blob, rows)) return 0;
    // The first run whole, then positions spread over the later runs and their restart points.
    for (uint32_t pos = 0; pos < rows.size(); pos += pos < skimmer::index::store::kRestartEvery ? 1 : 61) {
        CrawledItem one;
        if (!skimmer::index::store::decodeEntryAt(blob, pos, one) || one.name != rows[pos].name || !one.sameData(rows[pos]))
            std::abort();
    }
    std::vector<CrawledItem> again;
    if (!skimmer::index::store::decodeEntries(skimmer::index::store::encodeEntries(rows), again) || again.size() != rows.size())
        std::abort();
    CrawledItem past;
    if (skimmer::index::store::decodeEntryAt(blob, static_cast<uint32_t>(rows.size()), past)) std::abort();
    return 0;
}
