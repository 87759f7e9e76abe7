#include "host/services/standard_functions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "far/keys.h"

namespace skimmer::host::services {
namespace {

FarStandardFunctions filled() {
    FarStandardFunctions fsf{};
    fsf.StructSize = sizeof fsf;
    fillStandardFunctions(fsf);
    return fsf;
}

TEST(StandardFunctions, FillsOnlyItsSlots) {
    FarStandardFunctions fsf{};
    fsf.Unquote = reinterpret_cast<FARSTDUNQUOTE>(0x1234);
    fillStandardFunctions(fsf);
    EXPECT_EQ(fsf.Unquote, reinterpret_cast<FARSTDUNQUOTE>(0x1234));
    EXPECT_EQ(fsf.atoi, nullptr);
    for (auto slot : {reinterpret_cast<void*>(fsf.LIsLower), reinterpret_cast<void*>(fsf.LStrnicmp),
                      reinterpret_cast<void*>(fsf.FarKeyToName), reinterpret_cast<void*>(fsf.FarNameToKey),
                      reinterpret_cast<void*>(fsf.XLat), reinterpret_cast<void*>(fsf.ProcessName)})
        EXPECT_NE(slot, nullptr);
}

TEST(StandardFunctions, ProcessNameModes) {
    auto fsf = filled();
    char name[FAR_MAX_PATH] = "/home/u/Backup.TGZ";
    EXPECT_TRUE(fsf.ProcessName("*.tgz", name, PN_CMPNAME));
    EXPECT_FALSE(fsf.ProcessName("b*", name, PN_CMPNAME)) << "without PN_SKIPPATH the path counts";
    EXPECT_TRUE(fsf.ProcessName("b*", name, PN_CMPNAME | PN_SKIPPATH));
    EXPECT_TRUE(fsf.ProcessName("*.rar,*.t[ag]z", name, PN_CMPNAMELIST | PN_SKIPPATH));
    EXPECT_FALSE(fsf.ProcessName("*.*|*.tgz", name, PN_CMPNAMELIST | PN_SKIPPATH));
    EXPECT_FALSE(fsf.ProcessName("*.rar,*.t[ag]z", name, PN_CMPNAME | PN_SKIPPATH)) << "one mask, not a list";

    char mask[FAR_MAX_PATH] = "*.bak";
    EXPECT_TRUE(fsf.ProcessName("/home/u/report.doc", mask, PN_GENERATENAME | PN_SKIPPATH));
    EXPECT_STREQ(mask, "report.bak");
    std::strcpy(mask, "*.old");
    EXPECT_TRUE(fsf.ProcessName("dir/sub", mask, PN_GENERATENAME | 3));
    EXPECT_STREQ(mask, "dir.old/sub");

    std::string huge(FAR_MAX_PATH, 'x');
    std::strcpy(mask, "*");
    EXPECT_FALSE(fsf.ProcessName(huge.c_str(), mask, PN_GENERATENAME)) << "a name that does not fit";
    EXPECT_STREQ(mask, "*");
    EXPECT_FALSE(fsf.ProcessName(nullptr, name, PN_CMPNAME));
    EXPECT_FALSE(fsf.ProcessName("*", nullptr, PN_CMPNAME));
}

TEST(StandardFunctions, KeyNameSlots) {
    auto fsf = filled();
    EXPECT_EQ(fsf.FarNameToKey("CtrlF10"), KEY_CTRLF10);
    EXPECT_EQ(fsf.FarNameToKey("NoKey"), -1);
    EXPECT_EQ(fsf.FarNameToKey(nullptr), -1);
    char buf[16];
    EXPECT_TRUE(fsf.FarKeyToName(KEY_SHIFTENTER, buf, sizeof buf));
    EXPECT_STREQ(buf, "ShiftEnter");
    EXPECT_FALSE(fsf.FarKeyToName(KEY_SHIFTENTER, buf, 10)) << "10 bytes cannot hold it with its terminator";
    EXPECT_TRUE(fsf.FarKeyToName(KEY_SHIFTENTER, buf, 11));
    EXPECT_FALSE(fsf.FarKeyToName(KEY_ENTER, nullptr, 16));
}

TEST(StandardFunctions, XLatNeverGrowsTheBuffer) {
    auto fsf = filled();
    char cyr[] = "привет";
    EXPECT_EQ(fsf.XLat(cyr, 0, 6, nullptr, 0), cyr);
    EXPECT_STREQ(cyr, "ghbdtn");
    char lat[] = "ghbdtn";
    fsf.XLat(lat, 0, 1, nullptr, XLAT_SWITCHKEYBLAYOUT);
    EXPECT_STREQ(lat, "ghbdtn") << "Latin to Cyrillic needs more bytes than the buffer is known to have";
    char one[] = "ж";
    fsf.XLat(one, 0, 1, nullptr, 0);
    EXPECT_STREQ(one, ";");
    EXPECT_EQ(fsf.XLat(nullptr, 0, 1, nullptr, 0), nullptr);
}

TEST(StandardFunctions, LocaleSlots) {
    auto fsf = filled();
    EXPECT_TRUE(fsf.LIsAlpha(U'ж'));
    EXPECT_FALSE(fsf.LIsAlpha('1'));
    EXPECT_TRUE(fsf.LIsAlphanum('1'));
    EXPECT_EQ(fsf.LUpper(U'ж'), unsigned(U'Ж'));
    EXPECT_EQ(fsf.LLower('Q'), unsigned('q'));
    EXPECT_TRUE(fsf.LIsUpper(U'Ж'));
    EXPECT_TRUE(fsf.LIsLower(U'ж'));
    char s[] = "Журнал";
    fsf.LStrupr(s);
    EXPECT_STREQ(s, "ЖУРНАЛ");
    fsf.LLowerBuf(s, 2);
    EXPECT_STREQ(s, "жУРНАЛ");
    EXPECT_EQ(fsf.LStricmp("ЖУРНАЛ", "журнал"), 0);
    EXPECT_NE(fsf.LStricmp(nullptr, "x"), 0);
    EXPECT_EQ(fsf.LStrnicmp("abX", "ABy", 2), 0);
}

}  // namespace
}  // namespace skimmer::host::services
