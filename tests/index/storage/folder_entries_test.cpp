#include "index/storage/folder_entries.h"
#include "index/storage/item_ids.h"
#include "index/storage/kinds.h"
#include "index/storage/schema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <random>

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
    // The count says how many entries follow, so only the empty blob (a folder without entries)
    // decodes among the prefixes.
    size_t whole = 0;
    for (size_t cut = 0; cut < blob.size(); ++cut) {
        std::vector<CrawledItem> out;
        if (decodeEntries(blob.substr(0, cut), out)) ++whole;
        CrawledItem one;
        EXPECT_FALSE(decodeEntryAt(blob.substr(0, cut), 0, one)) << "cut at " << cut;
        EntrySlots slots;
        EXPECT_EQ(slotEntries(blob.substr(0, cut), slots), cut == 0) << "cut at " << cut;
    }
    EXPECT_EQ(whole, 1u) << "only the empty prefix";
    std::string overlong = blob;
    overlong[1] = '\x7F';  // first name claims 127 bytes
    std::vector<CrawledItem> out;
    EXPECT_FALSE(decodeEntries(overlong.substr(0, 40), out));
    EXPECT_FALSE(decodeEntries(std::string(11, '\xFF'), out)) << "a varint that never ends";
    EXPECT_FALSE(decodeEntries(std::string("\x81\x80\x80\x10", 4), out)) << "more entries than a folder may hold";
}

// Folders of many entries, with times far apart so that a restart point decoded with the wrong
// base would show.
std::vector<CrawledItem> largeFolder(uint32_t count, uint32_t seed) {
    std::mt19937_64 random(seed);
    std::vector<CrawledItem> rows;
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t mtime = static_cast<int64_t>(random() % 4'000'000'000) - 1'000'000'000;
        rows.push_back(entry("f" + std::to_string(random() % 1'000'000) + (i % 3 ? ".txt" : ""),
                             static_cast<int>(i % 3 ? Kind::Document : Kind::Folder), static_cast<int64_t>(random() % 100'000),
                             mtime, mtime + static_cast<int64_t>(random() % 1000), static_cast<int>(random() % 16)));
    }
    return rows;
}

// Reads through a counting reader, so that what one entry costs is seen.
struct CountingRead {
    std::string_view blob;
    size_t bytes = 0;
    BlobRead reader() {
        return [this](size_t offset, size_t length, std::string& out) {
            if (offset > blob.size() || length > blob.size() - offset) return false;
            bytes += length;
            out.assign(blob.substr(offset, length));
            return true;
        };
    }
};

class LargeFolder : public ::testing::TestWithParam<uint32_t> {};

TEST_P(LargeFolder, EntriesAtRandomPositionsMatchTheWholeDecodeAndReadOnlyTheirRun) {
    const uint32_t count = GetParam();
    const std::string blob = encodeEntries(largeFolder(count, count));
    std::vector<CrawledItem> all;
    ASSERT_TRUE(decodeEntries(blob, all));
    ASSERT_EQ(all.size(), count);
    size_t longest = 0;  // the longest run of kRestartEvery entries, in bytes
    for (uint32_t first = 0; first < count; first += kRestartEvery) {
        size_t run = 0;
        for (uint32_t i = first; i < std::min(count, first + kRestartEvery); ++i) run += encodeEntries({all[i]}).size();
        longest = std::max(longest, run);
    }
    std::mt19937 random(count);
    std::vector<uint32_t> positions = {0, count - 1, std::min(count - 1, kRestartEvery), std::min(count - 1, kRestartEvery - 1)};
    for (int i = 0; i < 200; ++i) positions.push_back(static_cast<uint32_t>(random() % count));
    for (const uint32_t pos : positions) {
        CountingRead counting{blob};
        CrawledItem one;
        ASSERT_EQ(readEntryAt(blob.size(), counting.reader(), pos, one), EntryLookup::Found) << pos;
        expectSame(one, all[pos]);
        EXPECT_EQ(one.ext, all[pos].ext);
        EXPECT_LE(counting.bytes, longest + 4 + 2 * kRestartOffsetBytes) << "entry " << pos << " read more than its run";
    }
    // Slotted, every entry decodes on its own to what the whole decode gave.
    EntrySlots slots;
    ASSERT_TRUE(slotEntries(blob, slots));
    ASSERT_EQ(slots.count(), count);
    for (uint32_t pos = 0; pos < count; ++pos) {
        CrawledItem one;
        ASSERT_TRUE(decodeSlot(blob, slots, pos, one)) << pos;
        expectSame(one, all[pos]);
        ASSERT_EQ(one.ext, all[pos].ext) << pos;
    }
    CrawledItem past;
    EXPECT_FALSE(decodeSlot(blob, slots, count, past));
    CountingRead counting{blob};
    EXPECT_EQ(readEntryAt(blob.size(), counting.reader(), count, past), EntryLookup::Past);
    std::vector<CrawledItem> again;
    ASSERT_TRUE(decodeEntries(encodeEntries(all), again));
    EXPECT_EQ(encodeEntries(again), blob) << "decoding and encoding again changes nothing";
}

INSTANTIATE_TEST_SUITE_P(Sizes, LargeFolder,
                         ::testing::Values(1u, kRestartEvery - 1, kRestartEvery, kRestartEvery + 1, 2 * kRestartEvery + 1, 5000u, 100'000u));

// A damage to the count or the restart offsets, as (what, how it changes the blob).
struct Damage {
    const char* what;
    std::function<void(std::string&)> apply;
};

// The blob of 1,000 entries: count in 2 bytes, then 15 restart offsets.
constexpr uint32_t kDamagedCount = 1000;
constexpr size_t kTableAt = 2;
static_assert(kDamagedCount >= 128 && kDamagedCount < (1u << 14), "the count takes two bytes");

void addToOffset(std::string& blob, size_t slot, int delta) {
    unsigned char* at = reinterpret_cast<unsigned char*>(blob.data() + kTableAt + slot * kRestartOffsetBytes);
    at[0] = static_cast<unsigned char>(at[0] + delta);
}

class DamagedRestarts : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedRestarts, AreDetectedByWholeDecodingAndByEveryReadOfTheRunsTheyTouch) {
    std::string blob = encodeEntries(largeFolder(kDamagedCount, 7));
    std::vector<CrawledItem> all;
    ASSERT_TRUE(decodeEntries(blob, all));
    GetParam().apply(blob);
    std::vector<CrawledItem> out;
    EXPECT_FALSE(decodeEntries(blob, out));
    EntrySlots slots;
    EXPECT_FALSE(slotEntries(blob, slots)) << "slotting checks the blob as whole decoding does";
    // Every read either finds the very entry it found before, or reports damage (or, for a count
    // made smaller, that the entry is past the end): never another entry.
    size_t damaged = 0;
    for (uint32_t pos = 0; pos < kDamagedCount; ++pos) {
        CrawledItem one;
        CountingRead counting{blob};
        const EntryLookup found = readEntryAt(blob.size(), counting.reader(), pos, one);
        if (found == EntryLookup::Found) {
            EXPECT_EQ(one.name, all[pos].name) << pos;
            EXPECT_TRUE(one.sameData(all[pos])) << pos;
        } else {
            ++damaged;
        }
    }
    EXPECT_GT(damaged, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedRestarts,
    ::testing::Values(Damage{"offset one byte later", [](std::string& b) { addToOffset(b, 3, 1); }},
                      Damage{"offset one byte earlier", [](std::string& b) { addToOffset(b, 3, -1); }},
                      Damage{"last offset moved", [](std::string& b) { addToOffset(b, 14, 5); }},
                      Damage{"offsets swapped",
                             [](std::string& b) {
                                 std::swap_ranges(b.begin() + kTableAt, b.begin() + kTableAt + kRestartOffsetBytes,
                                                  b.begin() + kTableAt + kRestartOffsetBytes);
                             }},
                      Damage{"offset past the end", [](std::string& b) { b[kTableAt + 3] = '\x7F'; }},
                      Damage{"count one more", [](std::string& b) { b[0] = static_cast<char>(b[0] + 1); }},
                      Damage{"count one less", [](std::string& b) { b[0] = static_cast<char>(b[0] - 1); }},
                      Damage{"count a run less", [](std::string& b) { b[0] = static_cast<char>(b[0] - kRestartEvery); }},
                      Damage{"last entry cut", [](std::string& b) { b.pop_back(); }}),
    [](const ::testing::TestParamInfo<Damage>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

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
