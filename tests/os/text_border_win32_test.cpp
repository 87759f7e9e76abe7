// The OEM and ANSI borders against the system's two code pages, whichever they are.
#include "os/text_border.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace skimmer::os {
namespace {

// Whether the ANSI byte `c` names a character the OEM page has too (no best fit, no default).
bool inBothPages(char c) {
    wchar_t wide = 0;
    if (::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &c, 1, &wide, 1) != 1) return false;
    char oem = 0;
    BOOL usedDefault = FALSE;
    if (::WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, &wide, 1, &oem, 1, nullptr, &usedDefault) != 1)
        return false;
    return !usedDefault;
}

TEST(TextBorderWin, EveryCharacterOfBothPagesComesBack) {
    int shared = 0;
    for (int b = 1; b < 256; ++b) {
        const char c = static_cast<char>(b);
        if (!inBothPages(c)) continue;
        ++shared;
        const std::string oem = ansiToOem(std::string(1, c));
        ASSERT_EQ(oem.size(), 1u);
        EXPECT_EQ(oemToAnsi(oem), std::string(1, c)) << "ANSI byte " << b;
    }
    EXPECT_GE(shared, 127) << "ASCII at least";
}

TEST(TextBorderWin, KeepsEveryBytesPlaceAndAsciiAsItIs) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string oem = ansiToOem(all), ansi = oemToAnsi(all);
    ASSERT_EQ(oem.size(), all.size());
    ASSERT_EQ(ansi.size(), all.size());
    EXPECT_EQ(oem.substr(31, 96), all.substr(31, 96));  // printable ASCII
    EXPECT_EQ(ansiToOem(std::string("a\0b", 3)), std::string("a\0b", 3)) << "a NUL cuts nothing";
}

TEST(TextBorderWin, BufferFormsMatchTheStringForms) {
    std::string all;
    for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::string buffer = all;
    ansiToOem(buffer.c_str(), buffer.data());  // in place
    EXPECT_EQ(buffer, ansiToOem(all));
    std::string other(all.size() + 1, '\0');
    oemToAnsi(buffer.c_str(), other.data());
    other.pop_back();
    EXPECT_EQ(other, oemToAnsi(ansiToOem(all)));
}

// On the pages a Western European system has, the conversion is the one everybody knows.
TEST(TextBorderWin, WesternPagesMapAccentedLetters) {
    if (::GetACP() != 1252 || (::GetOEMCP() != 437 && ::GetOEMCP() != 850)) GTEST_SKIP() << "other code pages";
    EXPECT_EQ(ansiToOem("\xE9"), "\x82");  // é
    EXPECT_EQ(oemToAnsi("\x82"), "\xE9");
}

}  // namespace
}  // namespace skimmer::os
