#include "host/services/name_mask.h"

#include <gtest/gtest.h>

namespace skimmer::host::services {
namespace {

struct Case {
    const char* mask;
    const char* name;
    bool match;
};

void check(std::initializer_list<Case> cases, bool list) {
    for (const auto& c : cases) {
        bool got = list ? matchMaskList(c.mask, c.name) : matchMask(c.mask, c.name);
        EXPECT_EQ(got, c.match) << "mask '" << c.mask << "' name '" << c.name << "'";
    }
}

TEST(NameMask, StarsAndQuestionMarks) {
    check({{"*", "anything.txt", true},
           {"*.txt", "notes.txt", true},
           {"*.txt", "notes.txt.bak", false},
           {"*.txt", "txt", false},
           {"n?tes.*", "notes.md", true},
           {"n?tes.*", "ntes.md", false},
           {"a*b*c", "aXXbYYbZZc", true},
           {"a*b*c", "aXXbYYbZZ", false},
           {"**x", "x", true},
           {"?", "", false},
           {"", "", false},
           {"*", "", true}},
          false);
}

TEST(NameMask, DotRulesOfFar) {
    check({{"*.*", "README", true},
           {"*.*", "a.b.c", true},
           {"*.", "README", true},
           {"*.", "a.b", false},
           {"x*.*", "xyz", true},
           {"*.*", "dir.d/README", true},
           {"..", "..", true},
           {"..", "a", false}},
          false);
}

TEST(NameMask, SetsAndRanges) {
    check({{"*.[zj]", "a.z", true},
           {"*.[zj]", "a.j", true},
           {"*.[zj]", "a.x", false},
           {"*.r[0-9][0-9]", "arc.r07", true},
           {"*.r[0-9][0-9]", "arc.rx7", false},
           {"*.[bg7]z", "a.7z", true},
           {"[a-c]*", "Beta", true},
           {"[a-c]*", "delta", false},
           {"*.[", "a.[", true},
           {"[x", "[x", true},
           {"[]]", "]", true}},
          false);
}

TEST(NameMask, CaseInsensitiveOverCodePoints) {
    check({{"*.TXT", "notes.txt", true},
           {"ОТЧЁТ*", "отчёт 2024.odt", true},
           {"?.txt", "ж.txt", true},
           {"??.txt", "ж.txt", false},
           {"[А-Я]*", "журнал", true},
           {"ΟΔΟΣ", "οδος", true},
           {"*\xff*", "a\xff" "b", true},
           {"?", "\xff", true},
           {"\xfe", "\xff", false}},
          false);
}

TEST(NameMask, ListsQuotesAndExclusions) {
    check({{"*.exe,*.com;*.bat", "run.BAT", true},
           {"*.exe, *.com", "x.com", true},
           {"*.exe,*.com", "x.txt", false},
           {"\"my,file.txt\",*.md", "my,file.txt", true},
           {"\"my,file.txt\"", "my", false},
           {" \"a b\" ,c", "a b", true},
           {"*.*|..", "..", false},
           {"*.*|..", "file.txt", true},
           {"*.*|*.bak,*.tmp", "x.tmp", false},
           {"|*.bak", "x.txt", true},
           {"|*.bak", "x.bak", false},
           {"", "x", false},
           {",;,", "x", false},
           {"\"a|b\"", "a|b", true}},
          true);
    MaskList parsed = parseMaskList(" *.a ; \"x, y\" |*.b,  \"|\" ");
    EXPECT_EQ(parsed.include, (std::vector<std::string>{"*.a", "x, y"}));
    EXPECT_EQ(parsed.exclude, (std::vector<std::string>{"*.b", "|"}));
}

TEST(NameMask, FarDefaultArchiveGroup) {
    const char* archives =
        "*.rar,*.zip,*.[zj],*.[bg7]z,*.[bg]zip,*.tar,*.t[ag]z,*.ar[cj],*.r[0-9][0-9],*.a[0-9][0-9],*.bz2";
    check({{archives, "backup.tgz", true},
           {archives, "backup.TAZ", true},
           {archives, "x.gzip", true},
           {archives, "x.r99", true},
           {archives, "x.txt", false}},
          true);
}

TEST(NameMask, PathlessNames) {
    EXPECT_EQ(nameOfPath("/home/u/a.txt"), "a.txt");
    EXPECT_EQ(nameOfPath("a.txt"), "a.txt");
    EXPECT_EQ(nameOfPath("/home/"), "");
}

TEST(NameMask, HostileMaskStaysLinear) {
    std::string mask(2000, '*');
    for (int i = 0; i < 200; ++i) mask += "a*";
    std::string name(20000, 'a');
    EXPECT_FALSE(matchMask(mask + "b", name));
    EXPECT_TRUE(matchMask(mask, name));
}

TEST(NameMask, GenerateName) {
    EXPECT_EQ(generateName("report.doc", "*.bak"), "report.bak");
    EXPECT_EQ(generateName("report.doc", "*.*"), "report.doc");
    EXPECT_EQ(generateName("report.doc", "*"), "report.doc");
    EXPECT_EQ(generateName("report.doc", "??x*"), "rexort.doc");
    EXPECT_EQ(generateName("report.doc", "new_*.?"), "new_rt.d") << "literals replace characters, as on Windows";
    EXPECT_EQ(generateName("README", "*.*"), "README");
    EXPECT_EQ(generateName("README", "*.txt"), "README.txt");
    EXPECT_EQ(generateName("report.doc", "fixed.txt"), "fixed.txt");
    EXPECT_EQ(generateName("отчёт.doc", "?*.txt"), "отчёт.txt");
    EXPECT_EQ(generateName("отчёт.doc", "??"), "от");
    EXPECT_EQ(generateName("dir/sub/file", "*.old", 3), "dir.old/sub/file");
}

}  // namespace
}  // namespace skimmer::host::services
