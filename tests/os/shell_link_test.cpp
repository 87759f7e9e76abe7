#include "os/shell_link.h"

#include <gtest/gtest.h>

#include "tests/support/shell_link_bytes.h"

namespace skimmer::os {
namespace {

using test::ShellLinkParts;
using test::shellLinkBytes;

struct LinkCase {
    const char* name;
    ShellLinkParts parts;
    std::string target;
};

class ShellLinkTargets : public ::testing::TestWithParam<LinkCase> {};

TEST_P(ShellLinkTargets, TheTargetComesFromWhereTheFileKeepsIt) {
    std::string why;
    const auto link = parseShellLink(shellLinkBytes(GetParam().parts), why);
    ASSERT_TRUE(link) << why;
    EXPECT_EQ(link->path, GetParam().target);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, ShellLinkTargets,
    ::testing::Values(
        LinkCase{"local_ansi", {.localBase = "C:\\Program Files\\App\\app.exe"}, "C:\\Program Files\\App\\app.exe"},
        LinkCase{"local_with_suffix", {.localBase = "C:\\Docs\\", .suffix = "a b.txt"}, "C:\\Docs\\a b.txt"},
        LinkCase{"local_unicode_wins", {.localBase = "C:\\??", .localBaseW = u"C:\\Документы\\水.txt"},
                 "C:\\Документы\\水.txt"},
        LinkCase{"after_an_item_id_list", {.localBase = "/home/u/x", .idList = std::string(40, '\x07')}, "/home/u/x"},
        LinkCase{"network_share", {.suffix = "dir\\f.doc", .netShare = "\\\\server\\share"}, "\\\\server\\share\\dir\\f.doc"},
        LinkCase{"environment_block", {.environment = "%ProgramFiles%\\x.exe", .relativePath = "..\\x.exe"},
                 "%ProgramFiles%\\x.exe"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShellLinkDamage, EveryTruncationAndForeignFileGivesNoTargetOrTheWholeOne) {
    const std::string full = shellLinkBytes({.localBase = "C:\\Docs\\", .suffix = "report.txt", .idList = "\x05\x00\x01"});
    for (size_t cut = 0; cut < full.size(); ++cut) {
        std::string why;
        const auto link = parseShellLink(std::string_view(full).substr(0, cut), why);
        if (link) EXPECT_EQ(link->path, "C:\\Docs\\report.txt") << cut;
        else EXPECT_FALSE(why.empty()) << cut;
    }
    std::string why;
    std::string wrongClass = full;
    wrongClass[5] ^= 1;
    EXPECT_FALSE(parseShellLink(wrongClass, why));
    EXPECT_FALSE(parseShellLink("not a link at all", why));
    EXPECT_FALSE(parseShellLink(shellLinkBytes({.relativePath = "x"}), why)) << "no LinkInfo and no block: no target";
}

TEST(ShellLinkDamage, OffsetsPointingOutsideTheFileAreRefusedNotFollowed) {
    std::string bytes = shellLinkBytes({.localBase = "C:\\a"});
    // LinkInfo starts at 76: make its local base path offset point far away.
    bytes[76 + 16] = '\xFF';
    bytes[76 + 17] = '\xFF';
    bytes[76 + 18] = '\xFF';
    std::string why;
    const auto link = parseShellLink(bytes, why);
    EXPECT_FALSE(link);
}

}  // namespace
}  // namespace skimmer::os
