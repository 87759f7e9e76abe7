// The sidecar's compact per-document sections read back exactly what was written: 64-bit item ids
// kept as ranks plus runs of consecutive ids, names found from one offset per sample of documents,
// the facts byte and the extension derived from the name, and the instance stamp that makes a
// sidecar of another index stale.
#include "index/query/doc_streams.h"
#include "index/query/item_facts.h"
#include "index/query/name_index_reader.h"
#include "tests/index/query/test_index.h"

#include <cstring>
#include <fstream>
#include <map>
#include <set>

namespace skimmer::index::query::test {
namespace {

std::unique_ptr<NameIndex> openSidecar(const TestIndex& index) {
    auto opened = NameIndex::open(nameIndexPathFor(index.file()));
    EXPECT_EQ(opened.status, NameIndex::OpenStatus::Ok) << opened.error;
    return std::move(opened.index);
}

// Items whose ids come in runs of many lengths (1, 2, around 256 = one run-index bucket, and
// long ones), far apart in the 64-bit range, with times that shuffle them in search order.
void fillRuns(TestIndex& index, std::mt19937& rng) {
    const size_t runLengths[] = {1, 2, 255, 256, 257, 1, 1, 3, 600, 1, 511, 17};
    index.begin();
    int64_t folder = 1;
    int serial = 0;
    for (size_t length : runLengths) {
        for (size_t i = 0; i < length; ++i) {
            TestItem item;
            item.id = (folder << 24) | static_cast<int64_t>(i + 1);
            item.name = "f" + std::to_string(folder) + "-" + std::to_string(i) + (serial % 5 == 0 ? ".TXT" : "");
            item.mtime = 1'700'000'000 + std::uniform_int_distribution<int64_t>(0, 5000)(rng);
            ++serial;
            index.add(item);
        }
        folder += 1 + static_cast<int64_t>(rng() % 40'000);  // gaps up to far beyond 32 bits
    }
    for (int64_t derived = 3; derived < 9; derived += 2)  // small ids of items outside the file system
        index.add(TestItem{derived, 0, "app " + std::to_string(derived), 6, "desktop", 0, 1'600'000'000});
    index.bumpGeneration();
    index.commit();
}

TEST(SidecarIds, EveryDocumentMapsToItsOwnItemAcrossRunsAndBuckets) {
    std::mt19937 rng(5);
    TestIndex index;
    fillRuns(index, rng);
    index.buildSidecar();
    auto names = openSidecar(index);
    ASSERT_TRUE(names);
    ASSERT_EQ(names->docCount(), index.items().size());
    std::map<int64_t, const TestItem*> byId;
    for (const TestItem& item : index.items()) byId[item.id] = &item;
    std::set<uint64_t> seen;
    for (uint32_t doc = 0; doc < names->docCount(); ++doc) {
        const uint64_t id = names->itemId(doc);
        ASSERT_TRUE(byId.count(static_cast<int64_t>(id))) << "doc " << doc << " id " << id;
        EXPECT_EQ(names->name(doc), byId[static_cast<int64_t>(id)]->folded) << "doc " << doc;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), index.items().size());
    EXPECT_GT(byId.rbegin()->first, int64_t{1} << 32);
}

// Sidecars of 0 .. 40 documents: every count on either side of a name sample's edge.
TEST(SidecarNames, NamesAndOffsetsAtEverySampleEdge) {
    for (size_t count : {0, 1, 15, 16, 17, 31, 32, 33, 40}) {
        TestIndex index;
        index.begin();
        for (size_t i = 0; i < count; ++i)
            index.add(TestItem{0, 1, std::string(1 + i % 7, static_cast<char>('a' + i % 26)) + std::to_string(i), 2, "", 0,
                               static_cast<int64_t>(1'700'000'000 - i)});
        index.bumpGeneration();
        index.commit();
        index.buildSidecar();
        auto names = openSidecar(index);
        ASSERT_TRUE(names);
        ASSERT_EQ(names->docCount(), count);
        std::vector<uint64_t> starts;  // search order is insertion order here (times descend)
        uint64_t offset = 0;
        NameIndex::NamePlace walking;
        for (uint32_t doc = 0; doc < count; ++doc) {
            starts.push_back(offset);
            EXPECT_EQ(names->name(doc), index.items()[doc].folded) << count << " docs, doc " << doc;
            EXPECT_EQ(names->name(doc, walking), index.items()[doc].folded) << count << " docs, walked to doc " << doc;
            offset += index.items()[doc].folded.size() + 1;
        }
        ASSERT_EQ(names->namesBytes(), offset);
        NameIndex::NamePlace after;
        for (uint64_t at = 0; at < offset; ++at) {
            const uint32_t expected = static_cast<uint32_t>(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin() - 1);
            const NameIndex::NamePlace fresh = names->docAtNameOffset(at);
            EXPECT_EQ(fresh.doc, expected) << count << " docs, byte " << at;
            EXPECT_EQ(fresh.from, starts[expected]);
            after = names->docAtNameOffset(at, after.doc <= expected ? after : NameIndex::NamePlace{});
            EXPECT_EQ(after.doc, expected) << count << " docs, byte " << at << " walking on";
        }
        // Backwards and at random, the remembered place must not mislead.
        NameIndex::NamePlace near;
        for (uint32_t doc = static_cast<uint32_t>(count); doc-- > 0;)
            EXPECT_EQ(names->name(doc, near), index.items()[doc].folded);
    }
}

TEST(SidecarFacts, KindFlagAndExtensionComeFromTheFactsByteAndTheName) {
    TestIndex index;
    index.begin();
    index.add(TestItem{0, 1, "Song.MP3", 4, "mp3", 1, 9});
    index.add(TestItem{0, 1, "Photos.2023", 1, "", 1, 8});       // a folder: no extension
    index.add(TestItem{0, 0, "Editor", 6, "desktop", 1, 7});      // outside the file system: its row's
    index.add(TestItem{0, 1, ".bashrc", 23, "", 1, 6});           // a leading dot starts no extension
    index.add(TestItem{0, 1, "Archive.tar.GZ", 22, "gz", 1, 5});
    index.bumpGeneration();
    index.commit();
    index.buildSidecar();
    auto names = openSidecar(index);
    ASSERT_TRUE(names);
    RowReader rows(index.db());
    SidecarFacts facts(*names, rows);
    const struct { int kind; bool inFileSystem; const char* ext; } expected[] = {
        {4, true, "mp3"}, {1, true, ""}, {6, false, "desktop"}, {23, true, ""}, {22, true, "gz"}};
    ASSERT_EQ(names->docCount(), 5u);
    for (uint32_t doc = 0; doc < 5; ++doc) {
        facts.reset(doc);
        EXPECT_EQ(facts.kindCode(), expected[doc].kind) << doc;
        EXPECT_EQ(facts.inFileSystem(), expected[doc].inFileSystem) << doc;
        EXPECT_EQ(facts.foldedExt(), expected[doc].ext) << doc;
    }
}

TEST(SidecarInstance, AnotherInstanceMakesTheSidecarStaleAndRebuilt) {
    TestIndex index;
    fillRandom(index, 50, 3);
    index.buildSidecar();
    EXPECT_EQ(openSidecar(index)->instance(), static_cast<uint64_t>(store::readMetaInt(index.db(), store::kMetaInstance).value_or(-1)))
        << "a new index gets a random instance stamp, which the sidecar carries";
    EXPECT_TRUE(buildNameIndex(index.db()).skipped);
    ASSERT_TRUE(store::writeMeta(index.db(), store::kMetaInstance, int64_t{0x1234'5678'9ABC}).ok);
    const NameIndexBuildResult rebuilt = buildNameIndex(index.db());
    ASSERT_TRUE(rebuilt.ok) << rebuilt.error;
    EXPECT_FALSE(rebuilt.skipped);
    EXPECT_EQ(openSidecar(index)->instance(), 0x1234'5678'9ABCu);
    EXPECT_TRUE(buildNameIndex(index.db()).skipped);
}

// A sidecar left by an earlier format is stale: searches answer from the database, the next build
// replaces it. The same bytes with a damaged header hash are damage.
struct EarlierFormat {
    uint32_t version;
    size_t headerSize, hashAt;
};

class SidecarOfEarlierFormat : public ::testing::TestWithParam<EarlierFormat> {};

TEST_P(SidecarOfEarlierFormat, IsStaleNotDamaged) {
    TestIndex index;
    fillRandom(index, 40, 8);
    const EarlierFormat format = GetParam();
    std::string previous(format.headerSize, '\0');
    std::memcpy(previous.data(), sidecar::kMagic, 8);
    std::memcpy(previous.data() + 8, &format.version, 4);
    const uint64_t hash = sidecar::blockHash(reinterpret_cast<const unsigned char*>(previous.data()), format.hashAt);
    std::memcpy(previous.data() + format.hashAt, &hash, 8);
    const auto path = nameIndexPathFor(index.file());
    std::ofstream(path, std::ios::binary) << previous;
    EXPECT_EQ(NameIndex::open(path).status, NameIndex::OpenStatus::OldFormat);
    const NameIndexBuildResult built = buildNameIndex(index.db());
    ASSERT_TRUE(built.ok) << built.error;
    EXPECT_FALSE(built.skipped);
    EXPECT_NE(rebuildNotice(built).find("older format"), std::string::npos) << rebuildNotice(built);
    EXPECT_EQ(NameIndex::open(path).status, NameIndex::OpenStatus::Ok);
    EXPECT_EQ(rebuildNotice(buildNameIndex(index.db())), "") << "a current sidecar needs no word";
    previous[format.hashAt - 1] ^= 1;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << previous;
    EXPECT_EQ(NameIndex::open(path).status, NameIndex::OpenStatus::Damaged);
}

// Format 2: a 136-byte header; format 3: today's header, without kind lists; format 4: today's
// layout with names folded by the earlier fold; format 5: without 3-byte gram lists.
INSTANTIATE_TEST_SUITE_P(Formats, SidecarOfEarlierFormat,
                         ::testing::Values(EarlierFormat{2, 136, 128}, EarlierFormat{3, 152, 144},
                                           EarlierFormat{4, 152, 144}, EarlierFormat{5, 152, 144}));

}  // namespace
}  // namespace skimmer::index::query::test
