// skimmer-index --query: one hit per line, escaped for a terminal unless -0, malformed input
// reported on stderr, and exit codes that tell hits, no hits and index problems apart.
#include "index/query/query_command.h"
#include "tests/index/query/test_index.h"

#include <cstdio>

namespace skimmer::index::query::test {
namespace {

struct Output {
    int code;
    std::string out, err;
};

Output run(const std::filesystem::path& db, QueryCommand command) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Output result{runQueryCommand(command, db, out, err), {}, {}};
    for (auto [file, text] : {std::pair{out, &result.out}, std::pair{err, &result.err}}) {
        std::rewind(file);
        int c;
        while ((c = std::fgetc(file)) != EOF) text->push_back(static_cast<char>(c));
        std::fclose(file);
    }
    return result;
}

class QueryCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        index_.begin();
        index_.add(TestItem{0, 1, "plain.txt", 2, "txt", 1, 300});
        index_.add(TestItem{0, 1, "evil\x1b[2Jname\n\xC2\x9B\xFF.txt", 2, "txt", 1, 200});
        index_.add(TestItem{0, 0, "Bookmark txt", 8, "", 0, 100, 0, 0, "https://example.org/t.txt", "Bookmark txt"});
        index_.bumpGeneration();
        index_.commit();
        index_.buildSidecar();
    }
    TestIndex index_;
};

TEST_F(QueryCommandTest, PrintsPathsOrUrlsEscapedForTheTerminal) {
    const Output o = run(index_.file(), {"txt", "", -1, false});
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out, "/home/user/plain.txt\n/home/user/evil\\x1B[2Jname\\x0A\\xC2\\x9B\\xFF.txt\nhttps://example.org/t.txt\n");
    EXPECT_EQ(o.err, "");
}

TEST_F(QueryCommandTest, RawWithNulTerminatorsKindAndLimit) {
    const Output raw = run(index_.file(), {"evil", "", -1, true});
    EXPECT_EQ(raw.out, std::string("/home/user/evil\x1b[2Jname\n\xC2\x9B\xFF.txt") + '\0');
    EXPECT_EQ(run(index_.file(), {"txt", "favorites", -1, false}).out, "https://example.org/t.txt\n");
    EXPECT_EQ(run(index_.file(), {"txt", "", 1, false}).out, "/home/user/plain.txt\n");
}

TEST_F(QueryCommandTest, MalformedEmptyAndMissingAreReported) {
    const Output literal = run(index_.file(), {"(plain", "", -1, false});
    EXPECT_EQ(literal.code, 1);
    EXPECT_NE(literal.err.find("malformed"), std::string::npos);
    const Output empty = run(index_.file(), {"", "", -1, false});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("empty"), std::string::npos);
    const Output missing = run(index_.file().string() + ".gone", {"x", "", -1, false});
    EXPECT_EQ(missing.code, 3);
    EXPECT_EQ(missing.err, "skimmer-index: there is no index at " + index_.file().string() +
                               ".gone; build it with skimmer-index (error code 80070002)\n");
}

TEST(EscapeForTerminal, KeepsPrintableUtf8AndEscapesTheRest) {
    EXPECT_EQ(escapeForTerminal("Ёлка 水.txt"), "Ёлка 水.txt");
    EXPECT_EQ(escapeForTerminal("a\\b\x7f\t"), "a\\\\b\\x7F\\x09");
    EXPECT_EQ(escapeForTerminal("\xE2\x80"), "\\xE2\\x80");            // cut sequence
    EXPECT_EQ(escapeForTerminal("\xED\xA0\x80"), "\\xED\\xA0\\x80");   // surrogate
}

}  // namespace
}  // namespace skimmer::index::query::test
