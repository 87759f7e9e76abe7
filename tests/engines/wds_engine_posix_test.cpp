#include <gtest/gtest.h>

#include <filesystem>

#include "engines/wds_engine.h"
#include "index/storage/kinds.h"
#include "tests/engines/engine_test_util.h"
#include "tests/index/query/test_index.h"
#include "tests/support/shell_link_bytes.h"

namespace skimmer::engines {
namespace {

using index::query::test::TestIndex;
using index::query::test::TestItem;

constexpr int kDocument = static_cast<int>(index::store::Kind::Document);
constexpr int kProgram = static_cast<int>(index::store::Kind::Program);
constexpr int kLink = static_cast<int>(index::store::Kind::Link);
constexpr int kEmail = static_cast<int>(index::store::Kind::Email);

std::string hangul(unsigned byte) {
    const char32_t c = 0xAC00 + byte;
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

// A small real index over a real folder: documents, programs, shortcuts, symbolic links and a mail
// item, so that the engine's whole chain runs and its shortcut and link resolution meet real files.
class IndexEngine : public test::EngineFixture {
protected:
    IndexEngine() : results(results::makeSearchResults()) {
        env.IndexFile = idx.file();
        writeFile(dir / "target.bin", "1234567");
        writeFile(dir / "shortcut.LNK", skimmer::test::shellLinkBytes({.localBase = (dir / "target.bin").string()}));
        writeFile(dir / "damaged.lnk", "LNK?");
        std::filesystem::create_symlink("target.bin", dir / "symlinked");
        std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");
        idx.addDir(2, dir.string());
        idx.begin();
        for (int i = 1; i <= 7; ++i) add(2, "alpha" + std::to_string(i) + ".txt", kDocument, 100 + i);
        add(2, "beta tool", kProgram, 5);
        add(2, "beta notes.txt", kDocument, 6);
        add(2, "shortcut.LNK", kLink, 99);
        add(2, "damaged.lnk", kLink, 4);
        add(2, "symlinked", kLink, 10);
        add(2, "dangling", kLink, 41);
        TestItem mail;
        mail.dir = 0;
        mail.name = "Invoice March";
        mail.kind = kEmail;
        mail.size = 2048;
        std::string id;
        for (unsigned b = 0; b < 24; ++b) id += hangul(b * 11);
        mail.url = "mapi://{S-1}/Inbox/" + id;
        mail.display = "Invoice March";
        idx.add(mail);
        idx.bumpGeneration();
        idx.commit();
        idx.buildSidecar();
    }

    void add(int64_t dirId, const std::string& name, int kind, int64_t size) {
        TestItem item;
        item.dir = dirId;
        item.name = name;
        item.kind = kind;
        item.size = size;
        idx.add(std::move(item));
    }

    WdsEngine& open() {
        engine = std::make_unique<WdsEngine>(env);
        EXPECT_EQ(WDSInit(*engine), 0);
        return *engine;
    }

    // Every batch's rows for one query, with the batch sizes.
    std::vector<results::TSearchResult> queryAll(const std::string& text, const std::string& kind,
                                                 std::vector<int>* sizes = nullptr) {
        EXPECT_EQ(WDSQuery(*engine, text, kind), 0);
        std::vector<results::TSearchResult> rows;
        for (int calls = 0; calls < 1000; ++calls) {
            EXPECT_EQ(WDSFetch(*engine, *results), 0);
            if (sizes && (results->Count > 0 || !results->Finished)) sizes->push_back(results->Count);
            for (int i = 0; i < results->Count; ++i) rows.push_back(results->Items[static_cast<size_t>(i)]);
            if (results->Finished) break;
        }
        WDSEndQuery(*engine);
        return rows;
    }

    const results::TSearchResult* find(const std::vector<results::TSearchResult>& rows, const std::string& url) {
        for (const auto& r : rows)
            if (r.Url == url) return &r;
        ADD_FAILURE() << "no row for " << url;
        return nullptr;
    }

    TestIndex idx;
    std::unique_ptr<results::TSearchResults> results;
    std::unique_ptr<WdsEngine> engine;
};

TEST_F(IndexEngine, SevenRowsArriveAsFiveThenTwoAndStaleSlotsAreNeverRead) {
    open();
    std::vector<int> sizes;
    const auto rows = queryAll("alpha", "", &sizes);
    EXPECT_EQ(sizes, (std::vector<int>{5, 2}));
    EXPECT_EQ(rows.size(), 7u);
    EXPECT_TRUE(results->Finished);
    sizes.clear();
    EXPECT_TRUE(queryAll("zzzz-nothing", "", &sizes).empty());
    EXPECT_TRUE(sizes.empty()) << "no match: the first fetch is Finished with Count 0";
    EXPECT_TRUE(shown.empty());
}

// The whole chain's columns land where the row mapping puts them (the mapping itself: wds_rows_test).
TEST_F(IndexEngine, AFileRowCarriesItsPathSizeAndKindThroughTheChain) {
    open();
    const auto rows = queryAll("alpha3", "");
    ASSERT_EQ(rows.size(), 1u);
    const std::string path = (dir / "alpha3.txt").string();
    EXPECT_EQ(rows[0].Url, "file:" + path);
    EXPECT_EQ(rows[0].Path, path);
    EXPECT_EQ(rows[0].Folder, dir.string() + "/");
    EXPECT_EQ(rows[0].Name, "alpha3.txt");
    EXPECT_EQ(rows[0].Target, path) << "the second path column";
    EXPECT_EQ(rows[0].Kind, "Document");
    EXPECT_EQ(rows[0].Size, 103);
}

TEST_F(IndexEngine, ShortcutsAndSymbolicLinksStandForTheirTargets) {
    open();
    const auto rows = queryAll("shortcut OR damaged OR symlinked OR dangling", "");
    const std::string target = (dir / "target.bin").string();
    if (const auto* r = find(rows, "file:" + (dir / "shortcut.LNK").string())) {
        EXPECT_EQ(r->Title, "target.bin");
        EXPECT_EQ(r->NameW, "target.bin");
        EXPECT_EQ(r->Folder, dir.string() + "/");
        EXPECT_EQ(r->Path, target);
        EXPECT_EQ(r->Target, target);
        EXPECT_EQ(r->Size, 7) << "the target's size, not the shortcut's";
        EXPECT_EQ(r->Ext, ".LNK");
    }
    if (const auto* r = find(rows, "file:" + (dir / "damaged.lnk").string())) {
        EXPECT_EQ(r->Title, "");
        EXPECT_EQ(r->Path, "");
        EXPECT_EQ(r->Target, "");
        EXPECT_EQ(r->Size, -1);
    }
    if (const auto* r = find(rows, "file:" + (dir / "symlinked").string())) {
        EXPECT_EQ(r->Path, target);
        EXPECT_EQ(r->Title, "target.bin");
        EXPECT_EQ(r->Size, 7);
    }
    if (const auto* r = find(rows, "file:" + (dir / "dangling").string())) {
        EXPECT_EQ(r->Path, (dir / "nowhere").string());
        EXPECT_EQ(r->Size, -1) << "the target is gone";
    }
}

TEST_F(IndexEngine, AMailItemKeepsItsUrlAsPathAndGetsItsEntryId) {
    open();
    const auto rows = queryAll("invoice", "email");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Path, rows[0].Url);
    EXPECT_TRUE(rows[0].Url.starts_with("mapi://"));
    std::string expected;
    for (unsigned b = 0; b < 24; ++b) {
        static const char* hex = "0123456789ABCDEF";
        expected += hex[(b * 11) >> 4];
        expected += hex[(b * 11) & 15];
    }
    EXPECT_EQ(rows[0].MailEntryId, expected);
}

struct KindCase {
    const char* kind;
    std::vector<std::string> names;
};

class IndexEngineKinds : public IndexEngine, public ::testing::WithParamInterface<KindCase> {};

TEST_P(IndexEngineKinds, AKindWordNarrowsTheGroup) {
    open();
    std::vector<std::string> names;
    for (const auto& r : queryAll("beta", GetParam().kind)) names.push_back(r.Name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(Words, IndexEngineKinds,
                         ::testing::Values(KindCase{"", {"beta notes.txt", "beta tool"}},
                                           KindCase{"program", {"beta tool"}},
                                           KindCase{"email", {}}));

TEST(WdsQueryText, KindWordsAreAppendedAndFoldersExcluded) {
    EXPECT_EQ(WdsQueryText("invoice", ""), "invoice");
    EXPECT_EQ(WdsQueryText("invoice", "email"), "invoice System.Kind:email System.Kind:(NOT folder)");
}

TEST_F(IndexEngine, OpeningFailuresGiveTheirCodes) {
    TEngineEnvironment elsewhere = env;
    elsewhere.IndexFile = dir / "no-index.sqlite";
    WdsEngine missing(elsewhere);
    const EngineStatus opened = missing.open();
    EXPECT_EQ(opened.code, kEngineNotInstalled);
    EXPECT_FALSE(opened.detail.empty()) << "the reason comes with the code";
    EXPECT_EQ(WDSInit(missing), kEngineNotInstalled);
    EXPECT_TRUE(shown.empty()) << "31 is returned without a message";
    EXPECT_EQ(WDSQuery(missing, "x", ""), kEngineNotReady);
    EXPECT_EQ(shown, std::vector<std::string>{"Error: 50"});
    EXPECT_EQ(WDSDone(missing), 0);
    EXPECT_EQ(shown.back(), "<44>") << "closing an engine that never opened";
}

TEST(IndexerVersion, MajorNumberBeforeTheFirstDotMustBeThreeOrMore) {
    for (const char* yes : {"3.1.0 (skimmer-index 0.1)", "4.0", "10.2", "7"}) EXPECT_TRUE(IndexerVersionAccepted(yes)) << yes;
    for (const char* no : {"2.9", "0.3", "", "x.5", " 4.0"}) EXPECT_FALSE(IndexerVersionAccepted(no)) << no;
}

TEST_F(IndexEngine, AnIndexThatVanishesEndsTheSearchWithASafecallError) {
    open();
    std::filesystem::remove(idx.file());
    std::filesystem::remove(idx.file().string() + ".names");
    try {
        queryAll("alpha", "");
        FAIL() << "no error";
    } catch (const EngineError& e) {
        EXPECT_TRUE(std::string(e.what()).starts_with("Safecall error: '8007")) << e.what();
        EXPECT_FALSE(e.detail().empty());
    }
    WDSEndQuery(*engine);
    EXPECT_EQ(WDSDone(*engine), 0);
}

TEST_F(IndexEngine, InformationComesFromTheCatalog) {
    TWDS3Info info;
    WDSGetInfo(env, info);
    EXPECT_TRUE(info.Version.starts_with("3.")) << info.Version;
    EXPECT_EQ(info.ItemCount, static_cast<int32_t>(idx.items().size()));
    EXPECT_EQ(info.HighPriorityQueue, 0);
    EXPECT_TRUE(shown.empty());

    TEngineEnvironment none = env;
    none.IndexFile = dir / "absent.sqlite";
    info.ItemCount = 77;
    WDSGetInfo(none, info);
    EXPECT_EQ(info.Version, "none");
    EXPECT_EQ(info.ItemCount, 77) << "the other fields keep their values";
    EXPECT_EQ(shown, std::vector<std::string>{"<44>"});
}

}  // namespace
}  // namespace skimmer::engines
