// A typed word finds a name exactly when the one fold (os/utf8.h) says it occurs in it: the shared
// table of scripts and special letters, searched through the sidecar and through SQLite alone.
#include "index/query/hit_stream.h"
#include "index/query/name_index_reader.h"
#include "index/query/query_parser.h"
#include "tests/index/query/test_index.h"
#include "tests/support/fold_cases.h"

#include <algorithm>

namespace skimmer::index::query::test {
namespace {

class FoldMatch : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        index_.begin();
        for (const skimmer::test::FoldCase& c : skimmer::test::kFoldCases) index_.add(TestItem{.name = c.name, .mtime = 1});
        index_.bumpGeneration();
        index_.commit();
        if (!GetParam()) return;  // SQLite alone
        index_.buildSidecar();
        auto opened = NameIndex::open(nameIndexPathFor(index_.file()));
        ASSERT_EQ(opened.status, NameIndex::OpenStatus::Ok) << opened.error;
        names_ = std::move(opened.index);
    }

    std::vector<int64_t> run(const std::string& text) { return hitIds(index_, names_.get(), text); }

    TestIndex index_;
    std::unique_ptr<NameIndex> names_;
};

TEST_P(FoldMatch, EachWordFindsItsNameExactlyWhenTheFoldMatches) {
    for (const skimmer::test::FoldCase& c : skimmer::test::kFoldCases) {
        const auto item = std::find_if(index_.items().begin(), index_.items().end(),
                                       [&](const TestItem& t) { return t.name == c.name; });
        ASSERT_NE(item, index_.items().end());
        const std::vector<int64_t> hits = run(c.word);
        const bool found = std::find(hits.begin(), hits.end(), item->id) != hits.end();
        EXPECT_EQ(found, c.first >= 0) << c.label;
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, FoldMatch, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "sidecar" : "sqlite"; });

}  // namespace
}  // namespace skimmer::index::query::test
