// The parts of the start-up and exit that rest on Linux: the load stamp of a moment in a zone set
// through TZ, the temporary folder's mode bits and its removal behind the module's back, the
// notices about the hive file, and the search window over the `locate` stand-in.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "os/clock.h"
#include "plugin/load_stamp.h"
#include "far/panel.h"
#include "tests/plugin/plugin_fixture.h"
#include "tests/support/fake_locate.h"

namespace skimmer::plugin {
namespace {

namespace fs = std::filesystem;

TEST(LoadStamp, NoonOfADayInUtcIsHalfADay) {
    // 2023-03-15 12:00 in a UTC zone is OLE date 45000.5.
    setenv("TZ", "UTC0", 1);
    tzset();
    const auto ole = os::oleFromUnix({1678881600, 0});
    ASSERT_TRUE(ole.has_value());
    EXPECT_EQ(loadStampFromOleDate(*ole), "450005000");
}

TEST_F(PluginFixture, TemporaryFolderIsForItsOwnerOnly) {
    start();
    const std::filesystem::path folder = state.PluginTempDir();
    ASSERT_FALSE(folder.empty());
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// On Windows the folder cannot go behind the module's back: its owner marker is held open.
TEST_F(PluginFixture, ExitIsSilentWhenTheFolderIsGone) {
    start();
    PluginState again("45001");
    again.services.registry = std::make_unique<platform::MemoryRegistry>();
    test::TestHost::current().answerMessage(0);
    setStartupInfo(again, host.startupInfo());
    fs::remove_all(again.PluginTempDir());  // deleted behind our back
    host.clearCalls();
    exitFar(again);
    EXPECT_TRUE(host.calls().empty());
}


// What the plug-in finds in the settings file at start is told in one box whose text is a body (the
// host wraps it), never the one-button error box; a file of a newer version brings that box alone,
// since everything else it would explain (the palette) follows from it.
struct HiveNoticeCase {
    const char* name;
    std::string contents;
    std::vector<std::string> noticeNames;  // empty: no notice
    size_t boxes;                          // every Message shown at start
};

class HiveNotice : public ::testing::TestWithParam<HiveNoticeCase> {};

TEST_P(HiveNotice, OneBoxThatNamesTheFileAndTheReason) {
    const HiveNoticeCase& c = GetParam();
    test::TempHome home;
    const std::filesystem::path file = home.config() / "skimmer" / "registry.reg";
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << c.contents;
    test::TestHost host;
    PluginState state("45000");
    for (size_t i = 0; i < c.boxes; ++i) host.answerMessage(0);
    setStartupInfo(state, host.startupInfo());
    const auto shown = host.callsTo("Message");
    ASSERT_EQ(shown.size(), c.boxes);
    const auto isNotice = [](const test::HostCall& call) { return call.args[1] & FMSG_MB_OK; };
    const auto notices = std::count_if(shown.begin(), shown.end(), isNotice);
    ASSERT_EQ(notices, c.noticeNames.empty() ? 0 : 1);
    if (c.noticeNames.empty()) return;
    const test::HostCall& notice = *std::find_if(shown.begin(), shown.end(), isNotice);
    EXPECT_EQ(notice.args, (std::vector<long long>{host.moduleNumber, FMSG_WARNING | FMSG_LEFTALIGN | FMSG_MB_OK, 2, 0}));
    ASSERT_EQ(notice.texts.size(), 3u);
    EXPECT_EQ(notice.texts[1], "Skimmer");
    for (const std::string& part : c.noticeNames)
        EXPECT_NE(notice.texts[2].find(part), std::string::npos) << part << " in " << notice.texts[2];
}

const std::string kHiveEnd = "; End of Skimmer Registry Hive\n";

INSTANTIATE_TEST_SUITE_P(
    Files, HiveNotice,
    ::testing::Values(
        HiveNoticeCase{"NewerVersion", "Skimmer Registry Hive 9\n\n" + kHiveEnd,
                       {"registry.reg", "newer version", "Skimmer Registry Hive 9", "cannot be saved"}, 1},
        // The defaults replace it, and FAR's palette is among what is gone: the palette box follows.
        HiveNoticeCase{"Damaged", "Skimmer Registry Hive 1\n\n[HKEY_CURRENT_USER\\Software]\ngarbage\n",
                       {"registry.reg", "line 4", ".bad-", "defaults"}, 2},
        HiveNoticeCase{"Valid",
                       "Skimmer Registry Hive 1\n\n[HKEY_CURRENT_USER\\Software\\Far\\Colors]\n"
                       "\"CurrentPalette\"=hex:1b,1b\n\n" + kHiveEnd,
                       {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PluginFixture, SearchWindowNeedsTheConsoleSize) {
    const std::filesystem::path bin = home.root() / "bin";
    test::writeFakeLocate(bin);
    registry->setValue(kSettingsKey, "ESKSSearchEngine", regDword(1));
    registry->setValue(kSettingsKey, "ESKSLocate32Path", regSz(bin.string()));
    start();
    setConsole(std::nullopt);
    host.answerMessage(0);
    EXPECT_EQ(openPlugin(state, OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
    const auto shown = host.callsTo("Message");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].texts[2], "Error: 200");
    EXPECT_EQ(state.ConsoleWidth, 0);

    setConsole(platform::ConsoleSize{132, 50});
    host.clearCalls();
    host.answerDialog(-1);  // the search window, left with Esc
    EXPECT_EQ(openPlugin(state, OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
    EXPECT_TRUE(host.callsTo("Message").empty());
    EXPECT_EQ(state.ConsoleWidth, 132);
    EXPECT_EQ(state.ConsoleHeight, 50);
    // The window opens centred, content-sized: 54 wide, the console's height less 5.
    const auto windows = host.callsTo("DialogEx");
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].args, (std::vector<long long>{host.moduleNumber, -1, -1, 54, 45, 10}));
    EXPECT_EQ(windows[0].texts.at(0), "SKSWindow");
}

}  // namespace
}  // namespace skimmer::plugin
