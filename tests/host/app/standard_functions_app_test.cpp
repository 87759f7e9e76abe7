#include "host/app/standard_functions_app.h"

#include <gtest/gtest.h>

#include <cstring>

#include "host/app/host_services.h"
#include "host/app/lng_messages.h"
#include "tests/support/temp_home.h"

#include <fstream>

namespace skimmer::host::app {
namespace {

FarStandardFunctions table() { return makeStandardFunctions(); }

TEST(AppStandardFunctions, EverySlotIsFilled) {
    const FarStandardFunctions f = table();
    EXPECT_EQ(f.StructSize, static_cast<int>(sizeof f));
    const auto* slots = reinterpret_cast<const unsigned char*>(&f);
    // Every pointer-sized slot after StructSize, except FAR 1.70's reserved block, is set.
    const size_t begin = offsetof(FarStandardFunctions, atoi), reservedBegin = offsetof(FarStandardFunctions, Reserved),
                 reservedEnd = offsetof(FarStandardFunctions, LIsLower);
    for (size_t off = begin; off < sizeof f; off += sizeof(void*)) {
        if (off >= reservedBegin && off < reservedEnd) continue;
        void* p;
        std::memcpy(&p, slots + off, sizeof p);
        EXPECT_NE(p, nullptr) << "slot at offset " << off;
    }
}

TEST(AppStandardFunctions, NumbersAndStrings) {
    const FarStandardFunctions f = table();
    char buf[128];
    EXPECT_STREQ(f.itoa(-42, buf, 10), "-42");
    EXPECT_STREQ(f.itoa64(255, buf, 16), "ff");
    EXPECT_EQ(f.atoi64("-9000000000"), -9000000000LL);
    std::strcpy(buf, "  a b \t");
    EXPECT_STREQ(f.Trim(buf), "a b");
    std::strcpy(buf, "\"quo\"ted\"");
    f.Unquote(buf);
    EXPECT_STREQ(buf, "quoted");
    std::strcpy(buf, "has space");
    EXPECT_STREQ(f.QuoteSpaceOnly(buf), "\"has space\"");
    std::strcpy(buf, "nospace");
    EXPECT_STREQ(f.QuoteSpaceOnly(buf), "nospace");
    EXPECT_STREQ(f.PointToName("/a/b/c.txt"), "c.txt");
    std::strcpy(buf, "/a");
    f.AddEndSlash(buf);
    EXPECT_STREQ(buf, "/a/");
    f.AddEndSlash(buf);
    EXPECT_STREQ(buf, "/a/");
    std::strcpy(buf, "абвгдежзик");  // ten Cyrillic letters, cut by code points
    EXPECT_STREQ(f.TruncStr(buf, 6), "...зик");
    std::strcpy(buf, "/home/user/very/deep/folder/file.txt");
    EXPECT_STREQ(f.TruncPathStr(buf, 20), "/home/...er/file.txt");
    EXPECT_EQ(std::strlen(buf), 20u);
}

TEST(AppStandardFunctions, SortingAndClipboard) {
    const FarStandardFunctions f = table();
    int v[] = {3, 1, 2};
    int descending = -1;
    f.qsortex(v, 3, sizeof(int), [](const void* a, const void* b, void* dir) {
        return *static_cast<int*>(dir) * (*static_cast<const int*>(a) - *static_cast<const int*>(b));
    }, &descending);
    EXPECT_EQ(v[0], 3);
    EXPECT_EQ(v[2], 1);
    EXPECT_TRUE(f.CopyToClipboard("copied"));
    char* pasted = f.PasteFromClipboard();
    ASSERT_NE(pasted, nullptr);
    EXPECT_STREQ(pasted, "copied");
    f.DeleteBuffer(pasted);
    EXPECT_EQ(clipboardText(), "copied");
}

TEST(LngMessages, ChoosesTheUserLanguageThenEnglish) {
    test::TempHome home;
    const auto dir = home.root() / "plugin";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "a_eng.lng") << ".Language=English,English\n\"Hello\"\n\"Bye\"\n";
    std::ofstream(dir / "b_rus.lng") << ".Language=Russian,Russian (Русский)\n\"Привет\"\n";
    LngMessages m;
    m.load(dir, farLanguageFor("ru_RU.UTF-8"));
    EXPECT_STREQ(m.message(0), "Привет");
    EXPECT_STREQ(m.message(1), "");  // past the end: empty, never a crash
    m.load(dir, farLanguageFor("de_DE.UTF-8"));
    EXPECT_EQ(m.language(), "English");
    EXPECT_STREQ(m.message(1), "Bye");
    EXPECT_STREQ(m.message(-1), "");
    m.load(home.root() / "none", "English");
    EXPECT_STREQ(m.message(0), "");
}

TEST(HostServices, WithoutAHostTheyFailAsFarDoes) {
    char buf[1024] = "x";
    EXPECT_EQ(Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, buf), FALSE);
    EXPECT_EQ(SaveScreen(0, 0, -1, -1), nullptr);
    RestoreScreen(reinterpret_cast<HANDLE>(0x1234));  // a foreign handle is ignored, not freed
    EXPECT_STREQ(GetMsg(0, 1), "");
    EXPECT_EQ(CharTable(0, buf, sizeof buf), -1);
    PluginPanelItem* items = reinterpret_cast<PluginPanelItem*>(1);
    int count = 5;
    EXPECT_EQ(GetDirList("/", &items, &count), FALSE);
    EXPECT_EQ(items, nullptr);
    EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace skimmer::host::app
