// AdvControl answered in one place: the commands that need the application reach it through
// AdvControlHost, faked here; the macro queue's commands are keys_macros_test.cpp's.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "far/adv_control.h"
#include "far/colors.h"
#include "host/services/adv_control.h"

namespace skimmer::host::services {
namespace {

struct FakeHost : AdvControlHost {
    MacroQueue queue;
    bool hasPalette = true;
    int redraws = 0;
    std::vector<INT_PTR> waitedFor;

    MacroQueue& macros() override { return queue; }
    std::optional<BYTE> paletteColour(int index) const override {
        if (!hasPalette) return std::nullopt;
        return static_cast<BYTE>(0x10 + index);
    }
    void redrawAll() override { ++redraws; }
    void waitKey(INT_PTR key) override { waitedFor.push_back(key); }
};

INT_PTR answer(FakeHost& host, int command, void* param) {
    std::string error;
    return answerAdvControl(command, param, host, error);
}

void* asParam(INT_PTR value) { return reinterpret_cast<void*>(value); }

TEST(AnswerAdvControl, PaletteColourByIndexWithinThePalette) {
    struct Case {
        bool hasPalette;
        INT_PTR index;
        INT_PTR expected;
    };
    for (const Case c : {Case{true, 0, 0x10}, Case{true, 3, 0x13}, Case{true, -1, -1},
                         Case{true, farapi::kFarPaletteSize, -1}, Case{false, 3, -1}}) {
        FakeHost host;
        host.hasPalette = c.hasPalette;
        EXPECT_EQ(answer(host, ACTL_GETCOLOR, asParam(c.index)), c.expected) << c.index << " " << c.hasPalette;
    }
}

TEST(AnswerAdvControl, PaletteArrayIsFilledOnlyWhenThereIsOne) {
    for (const bool hasPalette : {true, false}) {
        FakeHost host;
        host.hasPalette = hasPalette;
        std::vector<BYTE> out(farapi::kFarPaletteSize, 0xEE);
        EXPECT_EQ(answer(host, ACTL_GETARRAYCOLOR, out.data()), farapi::kFarPaletteSize);
        EXPECT_EQ(out[2], hasPalette ? 0x12 : 0xEE);
        EXPECT_EQ(answer(host, ACTL_GETARRAYCOLOR, nullptr), farapi::kFarPaletteSize);
    }
}

TEST(AnswerAdvControl, ThePanelsAreTheOnlyWindow) {
    FakeHost host;
    EXPECT_EQ(answer(host, ACTL_GETWINDOWCOUNT, nullptr), 1);
    for (const int pos : {-1, 0, 1}) {
        WindowInfo info{};
        info.Pos = pos;
        const INT_PTR got = answer(host, ACTL_GETWINDOWINFO, &info);
        EXPECT_EQ(got, pos == 1 ? FALSE : TRUE) << pos;
        if (got) {
            EXPECT_EQ(std::string(info.TypeName), "Panels");
            EXPECT_EQ(info.Type, WTYPE_PANELS);
        }
    }
    EXPECT_EQ(answer(host, ACTL_GETWINDOWINFO, nullptr), FALSE);
    EXPECT_EQ(answer(host, ACTL_SETCURRENTWINDOW, asParam(0)), TRUE);
    EXPECT_EQ(answer(host, ACTL_SETCURRENTWINDOW, asParam(1)), FALSE);
}

TEST(AnswerAdvControl, WaitKeyAndRedrawReachTheApplication) {
    FakeHost host;
    EXPECT_EQ(answer(host, ACTL_WAITKEY, asParam(-1)), 0);
    EXPECT_EQ(answer(host, ACTL_REDRAWALL, nullptr), TRUE);
    EXPECT_EQ(host.waitedFor, std::vector<INT_PTR>{-1});
    EXPECT_EQ(host.redraws, 1);
}

TEST(AnswerAdvControl, WordDelimitersAndSettings) {
    FakeHost host;
    char buffer[80] = {};
    EXPECT_EQ(answer(host, ACTL_GETSYSWORDDIV, buffer), static_cast<INT_PTR>(std::strlen(kWordDiv)));
    EXPECT_STREQ(buffer, kWordDiv);
    EXPECT_EQ(answer(host, ACTL_GETINTERFACESETTINGS, nullptr), static_cast<INT_PTR>(FIS_MOUSE | FIS_SHOWKEYBAR));
    EXPECT_EQ(answer(host, ACTL_GETPANELSETTINGS, nullptr), 0) << "settings the host has not read as all off";
    EXPECT_EQ(answer(host, ACTL_GETFARVERSION, nullptr), static_cast<INT_PTR>(kHostFarVersion))
        << "the macro queue's commands are answered through the same entry";
}

}  // namespace
}  // namespace skimmer::host::services
