// A query restricted to kinds is planned from the sidecar's kind lists when they are shorter than
// its words' candidates: its hits must equal a brute-force scan's for every kind word and
// canonical kind, alone and with words, phrases, OR / NOT and the group runs' form, whichever side
// drives; a damaged kind list is reported like any other damage.
#include "index/query/connection.h"
#include "index/query/doc_streams.h"
#include "index/query/hit_stream.h"
#include "index/query/kind_filter.h"
#include "index/query/name_index_format.h"
#include "index/query/name_index_reader.h"
#include "index/query/query_parser.h"
#include "index/query/query_text.h"
#include "index/query/safecall_error.h"
#include "tests/index/query/test_index.h"

#include <fstream>
#include <map>

namespace skimmer::index::query::test {
namespace {

enum class Mode { DenseLists, AllLists, NoSidecar, StaleSidecar };

// How many of 4000 items get each kind: a few kinds so common that their lists are dense, many
// small ones, and codes the index does not define (counted as Unknown).
struct Share {
    int kind;
    int count;
};
constexpr Share kShares[] = {{2, 1900}, {0, 450}, {1, 330}, {3, 250}, {6, 160}, {9, 160}, {8, 90}, {23, 50},
                             {7, 40},   {4, 120}, {5, 100}, {30, 20}, {100, 15}, {200, 15}, {12, 300}};

// The kind a query counts an item as.
int countedKind(const TestItem& t) { return t.kind >= 0 && t.kind < store::kKindCount ? t.kind : 0; }

using Match = std::function<bool(const TestItem&)>;

// Every kind word the index knows, with the items it stands for.
std::vector<std::pair<std::string, Match>> kindWords() {
    auto of = [](std::initializer_list<int> codes) -> Match {
        return [v = std::vector<int>(codes)](const TestItem& t) {
            return std::find(v.begin(), v.end(), countedKind(t)) != v.end();
        };
    };
    std::vector<std::pair<std::string, Match>> words = {
        {"program", of({6})}, {"programs", of({6})}, {"favorites", of({8, 23})}, {"favorite", of({8, 23})},
        {"email", of({9})},   {"mail", of({9})},     {"emails", of({9})},
        {"files", [](const TestItem& t) { return t.dir != 0 && countedKind(t) != 6 && countedKind(t) != 9; }},
    };
    for (int code = 0; code < store::kKindCount; ++code) {  // "favorite" stays the kind word (with web history)
        const std::string name(store::kindName(code));
        if (std::none_of(words.begin(), words.end(), [&](const auto& w) { return w.first == name; }))
            words.push_back({name, of({code})});
    }
    return words;
}

class KindLists : public ::testing::TestWithParam<Mode> {
protected:
    void SetUp() override {
        std::mt19937 rng(4242);
        index_.addDir(2, "/home/user/Mail");
        index_.begin();
        for (const Share& share : kShares)
            for (int i = 0; i < share.count; ++i) {
                TestItem item;
                item.name = randomName(rng);
                item.kind = share.kind;
                item.dir = share.kind == 8 || share.kind == 23 || (share.kind == 6 && i % 2) ? 0 : 1 + i % 2;
                item.mtime = 1'700'000'000 + std::uniform_int_distribution<int64_t>(0, 900)(rng) * 3600;
                if (item.dir == 0) item.display = "app:" + item.name, item.url = "app://" + item.name;
                index_.add(std::move(item));
            }
        index_.bumpGeneration();
        index_.commit();
        const Mode mode = GetParam();
        if (mode == Mode::DenseLists || mode == Mode::StaleSidecar) index_.buildSidecar({16, 0});
        if (mode == Mode::AllLists) index_.buildSidecar({16, 1u << 30});
        if (mode == Mode::StaleSidecar) {  // a program the sidecar has not seen
            index_.begin();
            index_.add(TestItem{0, 1, "stale-only program e", 6, "", 5, 1'800'000'000});
            index_.bumpGeneration();
            index_.commit();
        }
        if (mode == Mode::DenseLists || mode == Mode::AllLists) {
            auto opened = NameIndex::open(nameIndexPathFor(index_.file()));
            ASSERT_EQ(opened.status, NameIndex::OpenStatus::Ok) << opened.error;
            names_ = std::move(opened.index);
        }
    }

    std::vector<int64_t> run(const std::string& text) { return hitIds(index_, names_.get(), text); }

    void check(const std::string& text, const Match& match, const std::string& lead) {
        EXPECT_EQ(run(text), bruteForce(index_, match, lead)) << "query: " << text;
    }

    // A piece of a random item's name: common (1 byte) to rare (4 bytes), so that either the
    // kinds or the words are the shorter side.
    std::string sampleWord(size_t length) {
        for (;;) {
            const auto& items = index_.items();
            const TestItem& item = items[std::uniform_int_distribution<size_t>(0, items.size() - 1)(rng_)];
            if (item.folded.size() < length) continue;
            const std::string word = item.folded.substr(
                std::uniform_int_distribution<size_t>(0, item.folded.size() - length)(rng_), length);
            if (word.find_first_of(" \"():/-") == std::string::npos && word.find('\0') == std::string::npos) return word;
        }
    }

    TestIndex index_;
    std::unique_ptr<NameIndex> names_;
    std::mt19937 rng_{17};
};

TEST_P(KindLists, EveryKindWordAloneAndAsTheGroupRunsSendIt) {
    for (const auto& entry : kindWords()) {
        const std::string& word = entry.first;
        const Match& kind = entry.second;  // a named copy: lambdas cannot capture a structured binding
        check("kind:" + word, kind, "");
        check("System.Kind:" + word + " System.Kind:(NOT folder)",
              [&](const TestItem& t) { return kind(t) && countedKind(t) != 1; }, "");
        for (size_t length : {1, 2, 4}) {
            const std::string text = sampleWord(length);
            check(text + " System.Kind:" + word + " System.Kind:(NOT folder)",
                  [&](const TestItem& t) { return nameHas(t, text) && kind(t) && countedKind(t) != 1; }, text);
        }
    }
}

TEST_P(KindLists, KindsWithPhrasesOrAndNot) {
    const auto words = kindWords();
    auto kind = [&](const std::string& word) {
        return std::find_if(words.begin(), words.end(), [&](const auto& w) { return w.first == word; })->second;
    };
    const Match program = kind("program"), email = kind("email"), favorites = kind("favorites"), folder = kind("folder");
    for (int i = 0; i < 6; ++i) {
        const std::string a = sampleWord(1 + i % 3), b = sampleWord(2);
        check("\"" + a + " \" kind:program", [&](const TestItem& t) { return nameHas(t, a + " ") && program(t); }, a + " ");
        check(a + " " + b + " kind:email", [&](const TestItem& t) { return nameHas(t, a) && nameHas(t, b) && email(t); }, a);
        check(a + " (kind:program OR kind:favorites)",
              [&](const TestItem& t) { return nameHas(t, a) && (program(t) || favorites(t)); }, a);
        check(a + " -" + b + " kind:favorites",
              [&](const TestItem& t) { return nameHas(t, a) && !nameHas(t, b) && favorites(t); }, a);
        check("(" + a + " OR " + b + ") kind:program",
              [&](const TestItem& t) { return (nameHas(t, a) || nameHas(t, b)) && program(t); }, "");
        check(a + " NOT kind:(program OR email OR picture OR folder OR unknown)",
              [&](const TestItem& t) { return nameHas(t, a) && !program(t) && !email(t) && !folder(t) &&
                                              countedKind(t) != 3 && countedKind(t) != 0; }, a);
        check(a + " kind:program kind:email", [](const TestItem&) { return false; }, a);
        check(a + " kind:email OR " + b + " kind:program",
              [&](const TestItem& t) { return (nameHas(t, a) && email(t)) || (nameHas(t, b) && program(t)); }, "");
        check(a + " -kind:files kind:program", [&](const TestItem& t) { return nameHas(t, a) && program(t); }, a);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, KindLists,
                         ::testing::Values(Mode::DenseLists, Mode::AllLists, Mode::NoSidecar, Mode::StaleSidecar));

// What the plan may skip: a mask too wide costs speed, one too narrow loses hits (the ground truth
// above catches that); these pin the width.
struct MaskCase {
    const char* text;
    KindMask mask;
};

class PossibleKinds : public ::testing::TestWithParam<MaskCase> {};

constexpr KindMask bit(int code) { return KindMask{1} << code; }

TEST_P(PossibleKinds, OfTheQueryTree) {
    EXPECT_EQ(possibleKinds(parseQuery(GetParam().text, 0).root), GetParam().mask) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Queries, PossibleKinds,
    ::testing::Values(MaskCase{"a", kEveryKind}, MaskCase{"a System.Kind:program System.Kind:(NOT folder)", bit(6)},
                      MaskCase{"a System.Kind:favorites System.Kind:(NOT folder)", bit(8) | bit(23)},
                      MaskCase{"a System.Kind:files System.Kind:(NOT folder)", kEveryKind & ~bit(6) & ~bit(9) & ~bit(1)},
                      MaskCase{"System.Kind:(NOT folder)", kEveryKind & ~bit(1)},
                      MaskCase{"kind:program OR kind:email", bit(6) | bit(9)},
                      MaskCase{"kind:program OR a", kEveryKind},
                      MaskCase{"a NOT (kind:program OR kind:email)", kEveryKind & ~bit(6) & ~bit(9)},
                      MaskCase{"-kind:files", kEveryKind},  // not a file may still be of any kind
                      MaskCase{"kind:program kind:email", 0}, MaskCase{"kind:nosuchkind", 0}));

// Which kind lists a sidecar keeps: a kind the group runs ask for is kept with its names however
// common it is; another kind is left out when more than one entry in 16 has it.
TEST(KindListLayout, CommonKindsAreDenseUnlessTheyKeepTheirNames) {
    TestIndex index;
    index.begin();
    const std::pair<int, int> shares[] = {{6, 600}, {2, 300}, {3, 50}, {9, 50}};  // of 1000
    int n = 0;
    for (const auto& [kind, count] : shares)
        for (int i = 0; i < count; ++i, ++n)
            index.add(TestItem{0, 1, "Item " + std::to_string(n), kind, "", 0, 1'700'000'000 + n});
    index.bumpGeneration();
    index.commit();
    index.buildSidecar({16, 0});
    auto opened = NameIndex::open(nameIndexPathFor(index.file()));
    ASSERT_EQ(opened.status, NameIndex::OpenStatus::Ok) << opened.error;
    NameIndex& names = *opened.index;
    std::map<int, KindList> lists;
    for (const KindList& kind : names.kindLists()) lists[kind.code] = kind;
    ASSERT_EQ(lists.size(), 4u);
    for (const auto& [kind, count] : shares) {
        const KindList& list = lists[kind];
        EXPECT_EQ(list.list.count, static_cast<uint32_t>(count)) << kind;
        EXPECT_EQ(list.list.dense, kind == 2) << kind;  // 300 > 1000 / 16; 50 is not
        EXPECT_EQ(list.names.bytes != nullptr, kind == 6 || kind == 9) << kind;
    }
    // The names come in the list's order: each is the name of the document it pairs with.
    KindStream stream(names, {lists[6], lists[9]});
    int met = 0;
    for (uint32_t doc; stream.next(doc); ++met) EXPECT_EQ(stream.knownName(), names.name(doc)) << doc;
    EXPECT_EQ(met, 650);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The bytes of the stored list (or names) of one kind code, found through the header and the gram
// table.
std::pair<size_t, size_t> kindListBytes(const std::string& file, sidecar::GramType type, int code) {
    sidecar::Header header;
    std::memcpy(&header, file.data(), sizeof header);
    for (uint64_t i = 0; i < header.gramCount; ++i) {
        sidecar::GramEntry entry;
        std::memcpy(&entry, file.data() + header.gramTableOffset + i * sizeof entry, sizeof entry);
        if (entry.key == (uint32_t{type} << 24 | uint32_t(code) << 16))
            return {header.postingsOffset + entry.offset, entry.length};
    }
    return {0, 0};
}

struct DamageCase {
    sidecar::GramType type;
    double place;  // 0 first byte .. 1 last byte
};

class DamagedKindList : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedKindList, IsReportedNotSearched) {
    TestIndex index;
    fillRandom(index, 2000, 31);
    index.buildSidecar({16, 0});
    const auto path = nameIndexPathFor(index.file());
    std::string bytes = readFile(path);
    const auto [at, length] = kindListBytes(bytes, GetParam().type, 6);
    ASSERT_GT(length, 2u) << "the random index has programs";
    bytes[at + static_cast<size_t>(GetParam().place * static_cast<double>(length - 1))] ^= 0x04;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    Connection connection;
    connection.open(connectionStringFor(index.file()));
    try {
        auto recordset = connection.execute(makeQueryText("System.ItemURL", "System.Kind:program System.Kind:(NOT folder)"));
        while (!recordset->eof()) recordset->getRows(64);
        ADD_FAILURE() << "a damaged kind list was searched";
    } catch (const SafecallError& error) {
        EXPECT_EQ(error.code(), kIndexDamaged) << error.detail();
    }
}

INSTANTIATE_TEST_SUITE_P(Places, DamagedKindList,
                         ::testing::Values(DamageCase{sidecar::kKindList, 0.0}, DamageCase{sidecar::kKindList, 0.5},
                                           DamageCase{sidecar::kKindList, 1.0}, DamageCase{sidecar::kKindNames, 0.0},
                                           DamageCase{sidecar::kKindNames, 1.0}));

}  // namespace
}  // namespace skimmer::index::query::test
