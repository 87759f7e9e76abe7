#include "host/services/runtime_functions.h"

#include <gtest/gtest.h>

#include <cstring>

#include "host/services/standard_functions.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::services {
namespace {

FarStandardFunctions table() { return makeStandardFunctions(); }  // every slot, as plug-ins get them

TEST(RuntimeFunctions, EverySlotIsFilled) {
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

TEST(RuntimeFunctions, NumbersAndStrings) {
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

TEST(RuntimeFunctions, SortingAndClipboard) {
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

}  // namespace
}  // namespace skimmer::host::services
