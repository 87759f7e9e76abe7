#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engines/locate_lines.h"

namespace skimmer::engines {
namespace {

std::vector<std::string> split(const std::vector<std::string>& pieces, size_t maxLine = 1000, bool finish = true) {
    LocateLineSplitter splitter(maxLine);
    std::vector<std::string> lines;
    auto take = [&](std::string_view line) { lines.emplace_back(line); };
    for (const auto& piece : pieces) splitter.feed(piece, take);
    if (finish) splitter.finish(take);
    return lines;
}

struct OutputCase {
    const char* what;
    std::string output;
    std::vector<std::string> lines;
};

class LocateOutput : public ::testing::TestWithParam<OutputCase> {};

// Whatever the pieces are cut like, the same lines come out.
TEST_P(LocateOutput, SameLinesWhereverThePiecesAreCut) {
    const OutputCase& c = GetParam();
    EXPECT_EQ(split({c.output}), c.lines) << "one piece";
    for (size_t cut = 0; cut <= c.output.size(); ++cut)
        EXPECT_EQ(split({c.output.substr(0, cut), c.output.substr(cut)}), c.lines) << "cut at " << cut;
    std::vector<std::string> bytes;
    for (char ch : c.output) bytes.emplace_back(1, ch);
    EXPECT_EQ(split(bytes), c.lines) << "a byte at a time";
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, LocateOutput,
    ::testing::Values(
        OutputCase{"lf", "/a/b\n/c d/e\n", {"/a/b", "/c d/e"}},
        OutputCase{"crlf", "/a/b\r\n/c\r\n", {"/a/b", "/c"}},
        OutputCase{"mixed ends", "/a\r\n/b\n/c\r\n", {"/a", "/b", "/c"}},
        OutputCase{"blank lines", "\n\r\n/a\n\n\n/b\n\r\n", {"/a", "/b"}},
        OutputCase{"lone cr stays", "/a\rb\n", {"/a\rb"}},
        OutputCase{"no last line end", "/a\n/b", {"/a", "/b"}},
        OutputCase{"nul lines dropped", std::string("/a\n/b\0c\n/d\n", 11), {"/a", "/d"}},
        OutputCase{"invalid utf-8 kept", "/\xFF\xC3(\n/\xE2\x82\n", {"/\xFF\xC3(", "/\xE2\x82"}},
        // Cut anywhere, the line after a dropped one is kept: in the same piece as the end of
        // the long line, in the same piece as all of it, or in a later one.
        OutputCase{"line after an overlong one", "/a\n" + std::string(1001, 'x') + "\n/b\n/c", {"/a", "/b", "/c"}},
        OutputCase{"nothing", "", {}}),
    [](const auto& info) {
        std::string n = info.param.what;
        for (char& ch : n) if (ch == ' ' || ch == '-') ch = '_';
        return n;
    });

TEST(LocateOutputBounds, ALineLongerThanTheBoundIsDroppedAndMemoryStaysBounded) {
    LocateLineSplitter splitter(16);
    std::vector<std::string> lines;
    auto take = [&](std::string_view line) { lines.emplace_back(line); };
    splitter.feed("/ok\n/0123456789abcdef", take);  // 17 bytes, no end yet
    for (int i = 0; i < 1000; ++i) {
        splitter.feed(std::string(4096, 'x'), take);  // a program that never ends its line
        ASSERT_LE(splitter.pendingBytes(), 16u);
    }
    splitter.feed("tail\n/next\n/0123456789abcde\n", take);  // 16 bytes: exactly the bound
    splitter.finish(take);
    EXPECT_EQ(lines, (std::vector<std::string>{"/ok", "/next", "/0123456789abcde"}));
    EXPECT_EQ(splitter.dropped(), 1u);
}

TEST(LocateOutputBounds, CarriedTextWaitsForItsEnd) {
    EXPECT_EQ(split({"/a\n/b"}, 1000, false), std::vector<std::string>{"/a"});
}

}  // namespace
}  // namespace skimmer::engines
