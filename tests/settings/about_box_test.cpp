// The About box: its item table and the operating system's display name (the box drawn for each
// engine state of the Linux stand-ins is in about_box_posix_test.cpp).
#include <gtest/gtest.h>

#include "dialogs/registered_dialog.h"
#include "far/colors.h"
#include "far/default_palette.h"
#include "tests/support/memory_registry.h"
#include "settings/about_box.h"
#include "settings/settings_dialogs.h"
#include "tests/settings/engine_about_fixture.h"

namespace skimmer::settings {
namespace {

// ---- The operating system's name ----

struct OsCase {
    std::string what;
    platform::OSVersionData data;
    std::string name;
};

class OsDisplayName : public ::testing::TestWithParam<OsCase> {};

TEST_P(OsDisplayName, NamesTheProductItsEditionAndTheSixtyFourBitMark) {
    EXPECT_EQ(osDisplayName(platform::TOSInfo(GetParam().data)), GetParam().name);
}

using platform::kPlatformLinux;
using platform::kPlatformWin9x;
using platform::kPlatformWinNT;
using platform::Wow64Probe;

INSTANTIATE_TEST_SUITE_P(Systems, OsDisplayName, ::testing::Values(
    OsCase{"XpServicePack2On64Bit", {kPlatformWinNT, 5, 1, "Service Pack 2", false, Wow64Probe::Yes}, "Windows XP (2) 64"},
    OsCase{"ShortEditionWhole", {kPlatformWinNT, 4, 0, "Service Pack 6", true, Wow64Probe::No}, "Windows NT 4 (SP 6a)"},
    OsCase{"ThirteenCharactersWhole", {kPlatformWinNT, 5, 0, "Service Pack ", false, Wow64Probe::No}, "Windows 2000 (Service Pack )"},
    OsCase{"NoEdition", {kPlatformWinNT, 6, 0, "", false, Wow64Probe::Unavailable}, "Windows Vista"},
    OsCase{"Win98Se", {kPlatformWin9x, 4, 10, "A", false, Wow64Probe::Unavailable}, "Windows 98 (SE)"},
    OsCase{"UnknownSystem", {kPlatformWinNT, 10, 0, "", false, Wow64Probe::Yes}, "Unknown 64"},
    OsCase{"LongKernelReleaseNotCut", platform::linuxVersionData(os::SystemInfo{.release = "6.1.0-28-cloud-amd64", .is64Bit = true}),
           "Linux (6.1.0-28-cloud-amd64) 64"},
    OsCase{"ThirtyTwoBitLinux", platform::linuxVersionData(os::SystemInfo{.release = "6.1.0-18-686-pae", .is64Bit = false}),
           "Linux (6.1.0-18-686-pae)"}),
    [](const auto& info) { return info.param.what; });

// ---- The item table ----

TEST(AboutTable, ItemsStandWhereTheBoxPutsThemWithThePalettesColours) {
    std::vector<uint8_t> palette(farapi::kFarDefaultPalette.begin(), farapi::kFarDefaultPalette.end());
    palette[COL_DIALOGDISABLED] = 0x5A;
    palette[COL_WARNDIALOGBOXTITLE] = 0x4E;
    const DWORD plain = DIF_SETCOLOR | 0x5A, warning = DIF_SETCOLOR | 0x4E;
    for (const bool noEngine : {false, true}) {
        const TAboutTexts texts{.Environment = "Env:", .FarLine = "FAR 1.70", .SystemLine = "OS: Linux",
                                .Engine = {.Line1 = "line one", .Caption2 = "Two: ", .Value2 = "2",
                                           .Caption3 = "Three: ", .Value3 = "3", .NoEngine = noEngine}};
        int32_t ok = -1;
        config::TRegistryConfig none;
        dialogs::TRegisteredDialog dialog;
        std::string error;
        ASSERT_TRUE(dialogs::RegisterDialog(dialog, none, AboutDescription(texts, palette, ok), error)) << error;
        EXPECT_EQ(dialog.Items[0].X2, 48);
        EXPECT_EQ(dialog.Items[0].Y2, 20);
        const std::vector<test::ItemRow> expected = {
            {DI_DOUBLEBOX, 3, 1, 0, "Skimmer"},
            {DI_TEXT, 6, 3, plain, "Skimmer v1.07-SR1 BETA"},
            {DI_TEXT, 0, 8, DIF_BOXCOLOR | DIF_SEPARATOR, ""},
            {DI_TEXT, 6, 9, plain, "Env:"},
            {DI_TEXT, 6, 10, plain, "FAR 1.70"},
            {DI_TEXT, 6, 11, plain, "OS: Linux"},
            {DI_TEXT, 6, 12, noEngine ? warning : 0, "line one"},
            {DI_TEXT, 6, 13, noEngine ? warning : plain, "Two: "},
            {DI_TEXT, 11, 13, 0, "2"},
            {DI_TEXT, 6, 14, plain, "Three: "},
            {DI_TEXT, 13, 14, 0, "3"},
            {DI_BUTTON, 6, 16, 0, "O&K"},
        };
        EXPECT_EQ(test::itemRows(dialog), expected);
        EXPECT_EQ(ok, 11);
        EXPECT_EQ(dialogs::ItemIndexByName(dialog, "BOK"), 11);
    }
}

TEST(AboutTable, NoLineRunsOverTheFrame) {
    const std::string longText(60, 'x');
    const TAboutTexts texts{.Environment = longText, .FarLine = longText,
                            .SystemLine = "OS: Linux (6.1.0-0.deb11.17-cloud-amd64-and-more) 64",
                            .Engine = {.Line1 = longText, .Caption2 = "Caption: ", .Value2 = longText,
                                       .Caption3 = longText, .Value3 = "9"}};
    std::vector<uint8_t> palette(farapi::kFarDefaultPalette.begin(), farapi::kFarDefaultPalette.end());
    int32_t ok = -1;
    config::TRegistryConfig none;
    dialogs::TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(dialogs::RegisterDialog(dialog, none, AboutDescription(texts, palette, ok), error)) << error;
    for (size_t i = 2; i < dialog.Items.size(); ++i)
        if (dialog.Items[i].Type == DI_TEXT && dialog.Items[i].X1 > 0) {
            EXPECT_LT(dialog.Items[i].X2, kAboutFrameX2) << dialog.Items[i].Data;
        }
    EXPECT_TRUE(std::string(dialog.Items[6].Data).ends_with(") 64")) << "the 64-bit mark survives the cut";
}

}  // namespace
}  // namespace skimmer::settings
