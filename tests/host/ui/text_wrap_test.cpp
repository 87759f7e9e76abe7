#include "host/ui/text_wrap.h"

#include <gtest/gtest.h>

#include "host/term/text_width.h"

namespace skimmer::host::ui {
namespace {

struct WrapCase {
    const char* name;
    std::string text;
    int width;
    std::vector<std::string> lines;
};

class WrapText : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapText, BreaksAtBlanksWithinTheWidthAndLosesNothing) {
    const WrapCase& c = GetParam();
    const std::vector<std::string> got = wrapText(c.text, c.width);
    EXPECT_EQ(got, c.lines);
    std::string kept, expected;
    for (const std::string& line : got) {
        EXPECT_LE(term::displayWidth(line), std::max(c.width, 1)) << line;
        for (char ch : line) if (ch != ' ') kept += ch;
    }
    for (char ch : c.text) if (ch != ' ') expected += ch;
    EXPECT_EQ(kept, expected) << "every non-blank byte once, in order";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrapText,
    ::testing::Values(
        WrapCase{"FitsAsItStands", "  two words", 11, {"  two words"}},
        WrapCase{"BreaksAtTheLastBlankThatFits", "moved to registry.reg.bad-1 and the defaults", 20,
                 {"moved to", "registry.reg.bad-1", "and the defaults"}},
        WrapCase{"RunsOfBlanksAtABreakAreDropped", "alpha    beta", 6, {"alpha", "beta"}},
        WrapCase{"AWordWiderThanTheWidthIsSplit", "/a/very/long/path/name", 8, {"/a/very/", "long/pat", "h/name"}},
        WrapCase{"WideCharactersCountTwoCells", "中文中文中", 4, {"中文", "中文", "中"}},
        WrapCase{"CombiningMarksStayWithTheirBase", "e\u0301e\u0301e\u0301", 2, {"e\u0301e\u0301", "e\u0301"}},
        WrapCase{"OnlyBlanks", "      ", 3, {""}},
        WrapCase{"ZeroWidthMeansOneCell", "ab", 0, {"a", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::ui
