#include "index/store/folder_entries.h"
#include "index/store/item_ids.h"
#include "index/store/kinds.h"
#include "index/store/schema.h"

#include <gtest/gtest.h>

namespace skimmer::index::store {
namespace {

CrawledItem entry(std::string name, int kind, int64_t size, int64_t mtime, int64_t ctime, int attrs) {
    CrawledItem row;
    row.name = std::move(name);
    row.kind = kind;
    row.size = size;
    row.mtime = mtime;
    row.ctime = ctime;
    row.attrs = attrs;
    row.ext = entryExtension(row.name, kind);
    return row;
}

std::vector<CrawledItem> sample() {
    return {entry("zeta.TXT", static_cast<int>(Kind::Document), 12, 1'700'000'000, 1'600'000'000, 0),
            entry("Alpha", static_cast<int>(Kind::Folder), 0, 1'700'000'100, 1'700'000'100, kAttrFolder | kAttrHidden),
            entry(std::string("n\0ul\xFF.mp3", 9), static_cast<int>(Kind::Music), int64_t{1} << 40, -5, 3, kAttrReadOnly),
            entry("link.pdf", static_cast<int>(Kind::Link), 7, 0, 0, kAttrLink),
            entry("Alpha", static_cast<int>(Kind::Document), 1, 2, 1, 0),
            entry("~extreme", static_cast<int>(Kind::Document), 0, INT64_MIN, INT64_MAX, 0)};
}

void expectSame(const CrawledItem& a, const CrawledItem& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_TRUE(a.sameData(b)) << a.name;
}

TEST(FolderEntries, RoundTripInNameOrderWithEqualNamesKeptInOrder) {
    const std::vector<CrawledItem> rows = sample();
    std::vector<CrawledItem> decoded;
    ASSERT_TRUE(decodeEntries(encodeEntries(rows), decoded));
    ASSERT_EQ(decoded.size(), rows.size());
    const size_t expected[] = {1, 4, 3, 2, 0, 5};  // byte order of the names; the two "Alpha" as given
    for (size_t i = 0; i < rows.size(); ++i) expectSame(decoded[i], rows[expected[i]]);
    EXPECT_EQ(decoded[4].ext, "txt") << "the extension is derived, lower-case";
    EXPECT_EQ(decoded[0].ext, "") << "folders have none";
    for (uint32_t pos = 0; pos < decoded.size(); ++pos) {
        CrawledItem one;
        ASSERT_TRUE(decodeEntryAt(encodeEntries(rows), pos, one));
        expectSame(one, decoded[pos]);
    }
    CrawledItem past;
    EXPECT_FALSE(decodeEntryAt(encodeEntries(rows), 6, past)) << "a position past the end is no entry";
}

TEST(FolderEntries, EveryTruncationAndOverlongLengthFailsCleanly) {
    const std::string blob = encodeEntries(sample());
    // Cutting inside an entry must fail; cutting exactly between entries decodes fewer entries.
    size_t whole = 0;
    for (size_t cut = 0; cut < blob.size(); ++cut) {
        std::vector<CrawledItem> out;
        if (decodeEntries(blob.substr(0, cut), out)) ++whole;
    }
    EXPECT_EQ(whole, 6u) << "the empty prefix and the five entry boundaries before the end";
    std::string overlong = blob;
    overlong[0] = '\x7F';  // first name claims 127 bytes
    std::vector<CrawledItem> out;
    EXPECT_FALSE(decodeEntries(overlong.substr(0, 40), out));
    EXPECT_FALSE(decodeEntries(std::string(11, '\xFF'), out)) << "a varint that never ends";
}

TEST(ItemIds, EntryAndItemIdsNeverCollideAndRoundTrip) {
    const int64_t id = entryId(45'000, kMaxFolderEntries - 1);
    EXPECT_TRUE(isEntryId(id));
    EXPECT_EQ(entryFolder(id), 45'000);
    EXPECT_EQ(entryPos(id), kMaxFolderEntries - 1);
    EXPECT_FALSE(isEntryId(kEntryTag - 1));
    EXPECT_GT(entryId(1, 0), int64_t{0}) << "ids stay positive";
}

}  // namespace
}  // namespace skimmer::index::store
