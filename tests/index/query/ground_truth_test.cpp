// Every query's hits equal a brute-force scan's — nothing missing, nothing extra, in the defined
// order — on random names (mixed case, Latin-1, Greek, Cyrillic, CJK, bytes that are not UTF-8),
// through the sidecar with and without dense lists, and through the path without a sidecar.
#include "index/query/doc_streams.h"
#include "index/query/hit_stream.h"
#include "index/query/name_index_reader.h"
#include "index/query/query_parser.h"
#include "tests/index/query/test_index.h"

#include <cstdlib>
#include <ctime>

namespace skimmer::index::query::test {
namespace {

// Overlay: a sidecar built before two folders changed, with those folders named as changed since.
enum class Mode { DenseLists, AllLists, NoSidecar, StaleSidecar, Overlay };

struct Case {
    std::string text;
    std::function<bool(const TestItem&)> match;
    std::string lead;
};

// Folders have no extension (the index never gives them one).
std::string extOf(const TestItem& t) { return t.kind == 1 ? std::string() : t.ext; }

bool usableWord(const std::string& word) {
    if (word.empty() || word.front() == '-' || word == "OR" || word == "AND" || word == "NOT") return false;
    return word.find_first_of(" \"():/") == std::string::npos;
}

class GroundTruth : public ::testing::TestWithParam<Mode> {
protected:
    static constexpr int64_t kNow = 1'705'000'000;

    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        fillRandom(index_, 3000, 1234);
        ASSERT_TRUE(store::execSql(index_.db(), "UPDATE items SET ext = '' WHERE kind = 1").ok);
        const Mode mode = GetParam();
        if (mode == Mode::DenseLists) index_.buildSidecar({16, 0});
        if (mode == Mode::AllLists) index_.buildSidecar({16, 1u << 30});
        if (mode == Mode::StaleSidecar) {
            index_.buildSidecar({16, 0});
            index_.begin();
            index_.add(TestItem{0, 1, "stale-only report", 2, "", 5, kNow, kNow});
            index_.bumpGeneration();
            index_.commit();
        }
        if (mode == Mode::Overlay) {
            index_.buildSidecar({16, 0});
            // New entries sort in among the old ones, so most of the two folders' ids move.
            std::mt19937 rng(77);
            index_.begin();
            for (int i = 0; i < 400; ++i) {
                TestItem item{0, 2 + (i % 2), randomName(rng), std::uniform_int_distribution<int>(0, 23)(rng), "", i,
                              1'700'000'000 + std::uniform_int_distribution<int64_t>(0, 400)(rng) * 86'400 / 4, 0};
                index_.add(std::move(item));
            }
            index_.bumpGeneration();
            index_.commit();
            stale_ = {2, 3};
        }
        if (mode == Mode::DenseLists || mode == Mode::AllLists || mode == Mode::Overlay) {
            auto opened = NameIndex::open(nameIndexPathFor(index_.file()));
            ASSERT_EQ(opened.status, NameIndex::OpenStatus::Ok) << opened.error;
            names_ = std::move(opened.index);
        }
    }

    std::vector<int64_t> run(const std::string& text) {
        return hitIds(index_, names_.get(), text, kNow, stale_.empty() ? nullptr : &stale_);
    }

    void check(const Case& c) {
        EXPECT_EQ(run(c.text), bruteForce(index_, c.match, c.lead)) << "query: " << c.text;
    }

    // A piece of `length` bytes of a random name, with ASCII case flipped at random.
    std::string sampleWord(size_t length) {
        for (int attempt = 0; attempt < 1000; ++attempt) {
            const TestItem& item = index_.items()[std::uniform_int_distribution<size_t>(0, index_.items().size() - 1)(rng_)];
            if (item.name.size() < length) continue;
            std::string word = item.name.substr(std::uniform_int_distribution<size_t>(0, item.name.size() - length)(rng_), length);
            for (char& c : word)
                if (std::isalpha(static_cast<unsigned char>(c)) && (rng_() & 1)) c = static_cast<char>(c ^ 0x20);
            if (usableWord(word)) return word;
        }
        return "zz";
    }

    TestIndex index_;
    std::unique_ptr<NameIndex> names_;
    std::vector<int64_t> stale_;  // Overlay: the folders changed since the sidecar
    std::mt19937 rng_{99};
};

TEST_P(GroundTruth, SingleWordsOfEveryLengthWithAndWithoutHits) {
    for (size_t length : {1, 2, 3, 5, 10})
        for (int i = 0; i < 12; ++i) {
            const std::string word = sampleWord(length);
            check({word, [word](const TestItem& t) { return nameHas(t, word); }, word});
        }
    for (const std::string word : {"q", "qz", "qzq", "水水水水", "жжжжж", "Σς", "ΑΣ", "\xFF\xFF", "é", "ÉÄ", "reportxq"})
        check({word, [word](const TestItem& t) { return nameHas(t, word); }, word});
}

// Words of 3+ bytes are planned from their 2-byte grams: the grams of a word glued from the ends
// of two names all occur, mostly in names that do not hold the word; those must not come back.
TEST_P(GroundTruth, LongWordsWhoseGramsAllOccurButNotTogether) {
    for (int i = 0; i < 40; ++i) {
        const std::string word = sampleWord(2 + i % 3) + sampleWord(1 + i % 4);
        if (!usableWord(word)) continue;
        check({word, [word](const TestItem& t) { return nameHas(t, word); }, word});
        const std::string two = word + " " + sampleWord(3);
        check({two, [&](const TestItem& t) { return nameHas(t, word) && nameHas(t, two.substr(word.size() + 1)); }, word});
    }
}

TEST_P(GroundTruth, SeveralWordsPhrasesOrAndNot) {
    for (int i = 0; i < 15; ++i) {
        const std::string a = sampleWord(2), b = sampleWord(1 + i % 3);
        check({a + " " + b, [=](const TestItem& t) { return nameHas(t, a) && nameHas(t, b); }, a});
        check({a + " OR " + b, [=](const TestItem& t) { return nameHas(t, a) || nameHas(t, b); }, ""});
        check({a + " -" + b, [=](const TestItem& t) { return nameHas(t, a) && !nameHas(t, b); }, a});
        check({a + " NOT " + b, [=](const TestItem& t) { return nameHas(t, a) && !nameHas(t, b); }, a});
        check({"(" + a + " OR " + b + ") AND e", [=](const TestItem& t) { return (nameHas(t, a) || nameHas(t, b)) && nameHas(t, "e"); }, "e"});
    }
    check({"\"e r\"", [](const TestItem& t) { return nameHas(t, "e r"); }, "e r"});
    check({"\"port \" img", [](const TestItem& t) { return nameHas(t, "port ") && nameHas(t, "img"); }, "port "});
}

TEST_P(GroundTruth, KindWordsAsTheEngineSendsThem) {
    auto kindIs = [](std::initializer_list<int> codes) {
        return [v = std::vector<int>(codes)](const TestItem& t) { return std::find(v.begin(), v.end(), t.kind) != v.end(); };
    };
    const auto program = kindIs({6}), favorite = kindIs({8, 23}), email = kindIs({9}), folder = kindIs({1});
    for (int i = 0; i < 6; ++i) {
        const std::string w = sampleWord(1 + i % 2);
        check({w + " System.Kind:program System.Kind:(NOT folder)", [=](const TestItem& t) { return nameHas(t, w) && program(t) && !folder(t); }, w});
        check({w + " System.Kind:favorites System.Kind:(NOT folder)", [=](const TestItem& t) { return nameHas(t, w) && favorite(t) && !folder(t); }, w});
        check({w + " System.Kind:email System.Kind:(NOT folder)", [=](const TestItem& t) { return nameHas(t, w) && email(t); }, w});
        check({w + " System.Kind:files System.Kind:(NOT folder)", [=](const TestItem& t) {
                   return nameHas(t, w) && t.dir != 0 && !program(t) && !email(t) && !folder(t); }, w});
        check({w + " System.Kind:music ext:mp3 System.Kind:(NOT folder)", [=](const TestItem& t) { return nameHas(t, w) && t.kind == 4 && extOf(t) == "mp3"; }, w});
    }
    check({"kind:pictures", kindIs({3}), ""});
    check({"kind:(document OR video) e", [](const TestItem& t) { return (t.kind == 2 || t.kind == 5) && nameHas(t, "e"); }, "e"});
}

TEST_P(GroundTruth, ExtensionSizeDateAndPathRestrictions) {
    check({"ext:mp3", [](const TestItem& t) { return extOf(t) == "mp3"; }, ""});
    check({"a ext:.PDF", [](const TestItem& t) { return nameHas(t, "a") && extOf(t) == "pdf"; }, "a"});
    check({"System.FileExtension:(gz OR doc)", [](const TestItem& t) { return extOf(t) == "gz" || extOf(t) == "doc"; }, ""});
    check({"e size:>1MB", [](const TestItem& t) { return nameHas(t, "e") && t.size > 1048576; }, "e"});
    check({"size:1k..2MB s", [](const TestItem& t) { return nameHas(t, "s") && t.size >= 1024 && t.size <= 2097152; }, "s"});
    check({"r size:<=100k", [](const TestItem& t) { return nameHas(t, "r") && t.size <= 102400; }, "r"});
    check({"date:2023-11-20", [](const TestItem& t) { return t.mtime >= 1700438400 && t.mtime < 1700524800; }, ""});
    check({"t date:2023-11-20..2023-11-24", [](const TestItem& t) { return nameHas(t, "t") && t.mtime >= 1700438400 && t.mtime < 1700870400; }, "t"});
    check({"o date:>2024-01-01", [](const TestItem& t) { return nameHas(t, "o") && t.mtime >= 1704153600; }, "o"});
    // kNow is 2024-01-11 19:06:40 UTC, a Thursday: this week = Mon 8 Jan .. Mon 15 Jan.
    check({"modified:this week", [](const TestItem& t) { return t.mtime >= 1704672000 && t.mtime < 1705276800; }, ""});
    check({"date:last month", [](const TestItem& t) { return t.mtime >= 1701388800 && t.mtime < 1704067200; }, ""});
    auto path = [this](const TestItem& t) { return t.dir == 0 ? *t.display : index_.dirPath(t.dir) + "/" + t.name; };
    check({"user/муз", [=](const TestItem& t) { return os::foldText(path(t)).find(os::foldText("user/муз")) != std::string::npos; }, ""});
    check({"folder:/srv/data e", [](const TestItem& t) { return t.dir == 3 && nameHas(t, "e"); }, "e"});
    check({"folder:/srv/dat", [](const TestItem&) { return false; }, ""});
    check({"path:reports/", [=](const TestItem& t) { return os::foldText(path(t)).find("reports/") != std::string::npos; }, ""});
}

// A scan reads the names in windows of 256 KB and finds several hits in one window: every hit,
// on either side of a window's edge, is found exactly once and in order.
TEST(ScanStreamWindows, EveryHitAcrossWindowEdgesIsFoundOnce) {
    TestIndex index;
    index.begin();
    for (int i = 0; i < 9000; ++i) {
        TestItem item;
        item.name = "item-" + std::to_string(i) + (i % 3 == 0 ? "-needle-" : "-noodle-") + std::string(24, 'x');
        item.mtime = 1'700'000'000 - i;
        index.add(item);
    }
    index.bumpGeneration();
    index.commit();
    index.buildSidecar({16, 0});
    auto opened = NameIndex::open(nameIndexPathFor(index.file()));
    ASSERT_EQ(opened.status, NameIndex::OpenStatus::Ok) << opened.error;
    NameIndex& names = *opened.index;
    ASSERT_GT(names.namesBytes(), 256u * 1024);
    for (const std::string word : {"needle", "x", "-", "99-", "le-xx"}) {
        std::vector<uint32_t> expected, found;
        for (uint32_t d = 0; d < names.docCount(); ++d)
            if (names.name(d).find(word) != std::string_view::npos) expected.push_back(d);
        ScanStream scan(names, word);
        for (uint32_t doc; scan.next(doc);) found.push_back(doc);
        EXPECT_EQ(found, expected) << word;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, GroundTruth,
                         ::testing::Values(Mode::DenseLists, Mode::AllLists, Mode::NoSidecar, Mode::StaleSidecar,
                                           Mode::Overlay));

}  // namespace
}  // namespace skimmer::index::query::test
