// The About box drawn headless for each engine state of the Linux stand-ins — a generated index,
// no index, a fake locate with a database, no locate — with the lines and colours the user sees.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "far/colors.h"
#include "far/default_palette.h"
#include "settings/about_box.h"
#include "settings/settings_dialogs.h"
#include "tests/index/query/test_index.h"
#include "tests/settings/engine_about_fixture.h"
#include "tests/support/memory_registry.h"

namespace skimmer::settings {
namespace {

namespace fs = std::filesystem;

class FakeUname final : public os::SystemInfoSource {
public:
    explicit FakeUname(os::SystemInfo info) : info_(std::move(info)) {}
    os::SystemInfo query() const override { return info_; }

private:
    os::SystemInfo info_;
};

// ---- The box on the screen, per engine ----

enum class EngineState { IndexBuilt, IndexMissing, LocateFound, LocateMissing };

struct ScreenCase {
    std::string what;
    EngineState state;
    bool warning;  // lines 1 and 2 in the warning colour
};

// The box is 48 x 20, centred on the 80 x 25 screen: its top row is the screen's row 2.
constexpr int kY0 = 2;

class AboutScreen : public test::EngineAboutTest, public ::testing::WithParamInterface<ScreenCase> {
protected:
    AboutScreen()
        : uname({.sysname = "Linux", .release = "6.1.0-28-cloud-amd64", .machine = "x86_64", .is64Bit = true}) {
        env.systemInfo = &uname;
        palette.assign(farapi::kFarDefaultPalette.begin(), farapi::kFarDefaultPalette.end());
        palette[COL_DIALOGDISABLED] = 0x5A;
        palette[COL_WARNDIALOGBOXTITLE] = 0x4E;
        env.palette = &palette;
        locateDir = home.root() / "locate";
        fs::create_directories(locateDir);
        engineEnv.Config = &store->config;
        engineEnv.Registry = &noDatabasesKey;
        engineEnv.IndexFile = index.file();
        engineEnv.ShowErrorText = [this](const std::string& text) { engineErrors.push_back(text); };
        engineEnv.GetMsg = [this](int n) { return msg(n); };
        env.engineEnvironment = [this] { return engineEnv; };
    }

    void prepare(EngineState state) {
        const bool locate = state == EngineState::LocateFound || state == EngineState::LocateMissing;
        set("ESKSSearchEngine", config::TConfigValue::integer(locate ? 1 : 0));
        set("ESKSLocate32Path", config::TConfigValue::str(locateDir.string()));
        if (state == EngineState::IndexBuilt) {
            index.begin();
            for (int i = 0; i < 5; ++i) index.add({.name = "note" + std::to_string(i) + ".txt", .kind = 2});
            index.bumpGeneration();
            index.commit();
            index.buildSidecar();
        }
        if (state == EngineState::IndexMissing) engineEnv.IndexFile = home.root() / "absent.sqlite";
        if (state == EngineState::LocateFound) {
            const fs::path program = locateDir / "locate";
            std::ofstream(program) << "#!/bin/sh\necho 'fakelocate 2.5'\necho 'second line'\n";
            fs::permissions(program, fs::perms::owner_all, fs::perm_options::replace);
        }
        // A database of 99 blocks of 32 names, 64 bytes long.
        auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
        std::ofstream(locateDir / "files.db", std::ios::binary)
            << std::string("\0plocate", 8) + le32(1) + le32(64) + le32(0) + le32(99) + std::string(40, '\0');
        engineEnv.SystemLocateDatabases = {locateDir / "files.db"};
    }

    // The 38 columns of a row between the lines' start and the frame: the frame's left edge is
    // at the box's column 3, the lines start at its column 6 (and hold only ASCII here).
    std::string lineAt(int row) {
        const std::string text = ui.row(kY0 + row);
        const size_t frame = text.find("\u2551");
        if (frame == std::string::npos) return text;
        return text.substr(frame + std::string("\u2551").size() + 2, 38);
    }

    FakeUname uname;
    std::vector<uint8_t> palette;
    fs::path locateDir;
    index::query::test::TestIndex index;
    platform::MemoryRegistry noDatabasesKey;
    engines::TEngineEnvironment engineEnv;
    std::vector<std::string> engineErrors;
    int x0 = -1;  // the box's left screen column, found from the product line
};

TEST_P(AboutScreen, ShowsFarTheSystemAndWhatTheChosenEngineReports) {
    prepare(GetParam().state);
    std::vector<std::string> lines;
    std::vector<int> colours;
    ui.events.then([&] {
        x0 = ui.find(kY0 + 3, kProductLine) - 6;
        for (int row = 3; row <= 14; ++row) lines.push_back(lineAt(row));
        for (int row : {3, 9, 10, 11, 12, 13, 14}) colours.push_back(ui.attr(x0 + 6, kY0 + row));
    });
    ui.events.key(KEY_ENTER);
    ShowAboutBox(env);
    ASSERT_EQ(lines.size(), 12u);

    auto starts = [&](int row, const std::string& text) {
        EXPECT_TRUE(lines[static_cast<size_t>(row - 3)].starts_with(text)) << "row " << row << ": "
                                                                           << lines[static_cast<size_t>(row - 3)];
    };
    starts(3, "Skimmer v1.07-SR1 BETA");
    starts(9, msg(52));
    starts(10, msg(53) + " 1.70 (2087)");
    starts(11, msg(54) + " Linux (6.1.0-28-cloud-amd64) 64");
    switch (GetParam().state) {
        case EngineState::IndexBuilt:
            starts(12, "WDS v3.");
            EXPECT_NE(lines[9].find(" " + msg(47)), std::string::npos) << lines[9];
            starts(13, msg(48) + "5 ");
            starts(14, msg(50) + "0 ");
            EXPECT_TRUE(engineErrors.empty());
            break;
        case EngineState::IndexMissing:
            starts(12, msg(45));
            starts(13, msg(46));
            EXPECT_EQ(lines[11], std::string(38, ' ')) << "line 3 is empty";
            EXPECT_EQ(engineErrors, std::vector<std::string>{msg(44)}) << "the index engine says it cannot be used";
            break;
        case EngineState::LocateFound:
            starts(12, "fakelocate 2.5 " + msg(47));
            starts(13, msg(49) + "3168 ");
            starts(14, msg(51) + "64 ");
            break;
        case EngineState::LocateMissing:
            starts(12, msg(101));
            starts(13, msg(49) + "3168 ");
            starts(14, msg(51) + "64 ");
            break;
    }
    // Rows 3, 9, 10, 11 in the text colour; line 1 in the warning colour or the dialog's own;
    // line 2's caption in the warning or the text colour; line 3's caption (when there is one)
    // in the text colour.
    const bool warning = GetParam().warning;
    const bool line3 = GetParam().state != EngineState::IndexMissing;
    EXPECT_EQ(colours, (std::vector<int>{0x5A, 0x5A, 0x5A, 0x5A, warning ? 0x4E : colours[4], warning ? 0x4E : 0x5A,
                                         line3 ? 0x5A : colours[6]}));
    if (!warning) {
        EXPECT_NE(colours[4], 0x5A) << "engine line 1 keeps the dialog's own colour";
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, AboutScreen, ::testing::Values(
    ScreenCase{"GeneratedIndex", EngineState::IndexBuilt, false},
    ScreenCase{"NoIndex", EngineState::IndexMissing, true},
    ScreenCase{"FakeLocate", EngineState::LocateFound, false},
    ScreenCase{"NoLocate", EngineState::LocateMissing, true}),
    [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace skimmer::settings
