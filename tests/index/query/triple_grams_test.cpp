// Names made only of common pairs of letters, so that every 2-byte gram is dense and words are
// found through the lists of their 3-byte grams: the sidecar has an entry for exactly the 3-byte
// grams some name holds (of two dense 2-byte grams), stores exactly the lists under its divisor
// with exactly their documents, and a word with a 3-byte gram no name holds finds nothing — while
// every query still returns what a brute-force scan does.
#include "index/query/doc_streams.h"
#include "index/query/hit_stream.h"
#include "index/query/name_index_reader.h"
#include "index/query/query_parser.h"
#include "tests/index/query/test_index.h"

#include <fstream>
#include <iterator>

namespace skimmer::index::query::test {
namespace {

struct Layout {
    uint32_t tripleDivisor;  // 1: every list stored; huge: none (every one dense)
    uint32_t denseMinDocs;   // above the document count: nothing dense, so no 3-byte entries
};

class TripleGrams : public ::testing::TestWithParam<Layout> {
protected:
    static constexpr size_t kDocs = 3000;
    static constexpr const char* kMissing = "dcb";  // no name holds it; "dc" and "cb" are common

    void SetUp() override {
        std::mt19937 rng(11);
        std::discrete_distribution<int> letter({3, 3, 2, 2});
        index_.begin();
        while (index_.items().size() < kDocs) {
            std::string name(std::uniform_int_distribution<size_t>(4, 10)(rng), 'a');
            for (char& c : name) c = static_cast<char>('a' + letter(rng));
            if (name.find(kMissing) != std::string::npos) continue;
            if (rng() % 8 == 0) name[0] = static_cast<char>(name[0] - 'a' + 'A');  // folded like the rest
            index_.add(TestItem{0, 1, name, 2, "", 0, 1'700'000'000 + static_cast<int64_t>(rng() % 100'000)});
        }
        index_.bumpGeneration();
        index_.commit();
        index_.buildSidecar(options());
        auto opened = NameIndex::open(nameIndexPathFor(index_.file()));
        ASSERT_EQ(opened.status, NameIndex::OpenStatus::Ok) << opened.error;
        names_ = std::move(opened.index);
    }

    static NameIndexBuildOptions options() {
        NameIndexBuildOptions options{16, GetParam().denseMinDocs, true};
        options.tripleDenseDivisor = GetParam().tripleDivisor;
        return options;
    }

    std::vector<uint32_t> docsHolding(std::string_view gram) {
        std::vector<uint32_t> docs;
        for (uint32_t doc = 0; doc < names_->docCount(); ++doc)
            if (names_->name(doc).find(gram) != std::string_view::npos) docs.push_back(doc);
        return docs;
    }

    std::vector<int64_t> run(const std::string& text) { return hitIds(index_, names_.get(), text, 1'705'000'000); }

    TestIndex index_;
    std::unique_ptr<NameIndex> names_;
};

TEST_P(TripleGrams, EntriesFollowTheRuleAndListsHoldExactlyTheirDocuments) {
    const Layout layout = GetParam();
    const bool dense = kDocs >= layout.denseMinDocs;
    for (char a = 'a'; a <= 'd'; ++a)
        for (char b = 'a'; b <= 'd'; ++b)
            ASSERT_EQ(names_->gram(sidecar::kContains2, std::string{a, b}).dense, dense) << a << b << ": every pair is common";
    int stored = 0, left = 0;
    for (char a = 'a'; a <= 'd'; ++a)
        for (char b = 'a'; b <= 'd'; ++b)
            for (char c = 'a'; c <= 'd'; ++c) {
                const std::string gram{a, b, c};
                const std::vector<uint32_t> expected = docsHolding(gram);
                const GramList list = names_->gram(sidecar::kContains3, gram);
                if (!dense || expected.empty()) {
                    EXPECT_EQ(list.count, 0u) << gram << ": no entry";
                    continue;
                }
                EXPECT_EQ(list.count, expected.size()) << gram;
                EXPECT_EQ(list.dense, expected.size() > kDocs / layout.tripleDivisor) << gram;
                if (list.dense) {
                    ++left;
                    continue;
                }
                ++stored;
                std::vector<uint32_t> docs;
                PostingStream stream(*names_, list);
                for (uint32_t doc; stream.next(doc);) docs.push_back(doc);
                EXPECT_EQ(docs, expected) << gram;
            }
    EXPECT_EQ(names_->gram(sidecar::kContains3, kMissing).count, 0u);
    if (dense && layout.tripleDivisor == 1) {
        EXPECT_EQ(left, 0);
    }
    if (dense && layout.tripleDivisor == 8) {
        EXPECT_TRUE(stored > 0 && left > 0) << "the divisor splits the grams";
    }
}

TEST_P(TripleGrams, QueriesFindWhatAScanFinds) {
    std::mt19937 rng(3);
    std::vector<std::string> words = {kMissing, "adcba", "bbdcbaa", "abcabca", "cbad", "AbA", "dddd", "aaaaaaaaaaa"};
    for (int i = 0; i < 40; ++i) {
        const TestItem& item = index_.items()[rng() % index_.items().size()];
        const size_t length = std::min<size_t>(3 + i % 5, item.name.size());
        words.push_back(item.name.substr(rng() % (item.name.size() - length + 1), length));
    }
    for (const std::string& word : words) {
        EXPECT_EQ(run(word), bruteForce(index_, [&](const TestItem& t) { return nameHas(t, word); }, word)) << word;
        const std::string two = word + " " + words[rng() % words.size()];
        const std::string second = two.substr(word.size() + 1);
        EXPECT_EQ(run(two), bruteForce(index_, [&](const TestItem& t) { return nameHas(t, word) && nameHas(t, second); }, word))
            << two;
    }
    EXPECT_TRUE(run(std::string("x") + kMissing).empty());
}

// The 3-byte grams are counted in a pass of their own; their lists are filled window by window
// like the others, and the file is the same whatever the budget.
TEST_P(TripleGrams, ATinyBudgetWritesTheSameFile) {
    const auto path = nameIndexPathFor(index_.file());
    auto bytes = [&] {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const std::string whole = bytes();
    NameIndexBuildOptions small = options();
    small.memoryBudget = 1024;
    const NameIndexBuildResult built = buildNameIndex(index_.db(), small);
    ASSERT_TRUE(built.ok) << built.error;
    EXPECT_GE(built.postingWindows, 4u);
    EXPECT_TRUE(bytes() == whole);
}

INSTANTIATE_TEST_SUITE_P(Layouts, TripleGrams,
                         ::testing::Values(Layout{1, 0}, Layout{8, 0}, Layout{32, 0}, Layout{1u << 30, 0},
                                           Layout{32, 1u << 30}));

}  // namespace
}  // namespace skimmer::index::query::test
