// Fuzz target: a folder's packed entries as read back from a (possibly damaged) index. Any input
// must decode or fail without reading past it; what decodes must encode and decode to the same
// entries, and entry-by-position reading must agree with whole decoding.
#include "index/store/folder_entries.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using skimmer::index::store::CrawledItem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view blob(reinterpret_cast<const char*>(data), size);
    std::vector<CrawledItem> rows;
    if (!skimmer::index::store::decodeEntries(blob, rows)) return 0;
    for (uint32_t pos = 0; pos < rows.size() && pos < 64; ++pos) {
        CrawledItem one;
        if (!skimmer::index::store::decodeEntryAt(blob, pos, one) || one.name != rows[pos].name || !one.sameData(rows[pos]))
            std::abort();
    }
    std::vector<CrawledItem> again;
    if (!skimmer::index::store::decodeEntries(skimmer::index::store::encodeEntries(rows), again) || again.size() != rows.size())
        std::abort();
    return 0;
}
