// Fuzz target: a folder's packed entries as read back from a (possibly damaged) index. Any input
// must decode or fail without reading past it; what decodes must encode and decode to the same
// entries, and entry-by-position reading must agree with whole decoding. Slotting (what a reader
// holding the folder uses) must accept exactly what whole decoding accepts, and every slotted
// entry must be the decoded one.
#include "index/storage/folder_entries.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

using skimmer::index::store::CrawledItem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view blob(reinterpret_cast<const char*>(data), size);
    std::vector<CrawledItem> rows;
    skimmer::index::store::EntrySlots slots;
    const bool slotted = skimmer::index::store::slotEntries(blob, slots);
    if (!skimmer::index::store::decodeEntries(blob, rows)) {
        if (slotted) std::abort();
        return 0;
    }
    if (!slotted || slots.count() != rows.size()) std::abort();
    for (uint32_t pos = 0; pos < rows.size(); ++pos) {
        CrawledItem one;
        if (!skimmer::index::store::decodeSlot(blob, slots, pos, one) || one.name != rows[pos].name ||
            !one.sameData(rows[pos]) || one.ext != rows[pos].ext)
            std::abort();
    }
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
