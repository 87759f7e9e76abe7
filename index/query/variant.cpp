#include "index/query/variant.h"

#include <algorithm>
#include <ctime>

namespace skimmer::index::query {

double oleDateFromUnix(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    const double local = static_cast<double>(seconds) + static_cast<double>(tm.tm_gmtoff);
    return local / 86400.0 + 25569.0;  // 25569 days from 1899-12-30 to 1970-01-01
}

char* CellTexts::room(size_t bytes) {
    if (bytes > free_) {
        // A text longer than a block gets a block of its own size. One allocation for the block
        // and its count, left unwritten (every row of a large query fills thousands of blocks).
        const size_t size = std::max(kBlockBytes, bytes);
        std::shared_ptr<char[]> block = std::make_shared_for_overwrite<char[]>(size);
        next_ = block.get();
        free_ = size;
        written_.push_back(std::move(block));
    }
    char* at = next_;
    next_ += bytes;
    free_ -= bytes;
    return at;
}

void CellTexts::keepIn(RowTable& table) {
    for (const auto& block : written_) table.keepAlive(block);
    if (written_.size() > 1) written_.erase(written_.begin(), written_.end() - 1);
}

}  // namespace skimmer::index::query
