#include "host/services/far_registry_defaults.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "far/default_palette.h"
#include "host/services/name_mask.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::services {
namespace {

namespace fs = std::filesystem;

class FarRegistryDefaults : public ::testing::Test {
protected:
    test::TempHome home_;
    fs::path file_ = home_.config() / "skimmer" / "registry.reg";
};

TEST_F(FarRegistryDefaults, WritesWhatFarWouldOnFirstStart) {
    os::Hive hive(file_);
    auto outcome = writeFarRegistryDefaults(hive);
    ASSERT_TRUE(outcome.status) << outcome.status.error;
    EXPECT_EQ(outcome.valuesWritten, 30u);  // the palette, the prefix and 28 group values

    os::Hive reread(file_);  // from the disk, not from memory
    auto colors = reread.openKey("Software\\Far\\Colors");
    ASSERT_TRUE(colors);
    auto palette = colors->readValue("CurrentPalette");
    ASSERT_TRUE(palette);
    EXPECT_EQ(palette->type, os::RegType::Binary);
    ASSERT_EQ(palette->data.size(), 112u);
    EXPECT_EQ(static_cast<uint8_t>(palette->data[10]), 0x1B) << "COL_PANELTEXT";
    EXPECT_EQ(static_cast<uint8_t>(palette->data[14]), 0x30) << "COL_PANELCURSOR";

    EXPECT_EQ(reread.openKey("Software\\Far\\Plugins\\TmpPanel")->readString("Prefix"), "tmp");

    auto highlight = reread.openKey("Software\\Far\\Colors\\Highlight");
    ASSERT_TRUE(highlight);
    EXPECT_EQ(highlight->subkeys().size(), 8u);
    auto group2 = reread.openKey("Software\\Far\\Colors\\Highlight\\Group2");
    EXPECT_EQ(group2->readString("Mask"), "*.*|..");
    EXPECT_EQ(group2->readDword("IncludeAttributes"), 0x10u);
    EXPECT_EQ(group2->readDword("NormalColor"), 0x1Fu);
    EXPECT_EQ(group2->readDword("CursorColor"), 0x3Fu);
    EXPECT_FALSE(group2->readDword("IgnoreMask")) << "zero values are not written";
    EXPECT_FALSE(reread.openKey("Software\\Far\\Colors\\Highlight\\Group3")->readDword("NormalColor"));
    EXPECT_EQ(reread.openKey("Software\\Far\\Colors\\Highlight\\Group7")->readDword("IgnoreMask"), 1u);
}

TEST_F(FarRegistryDefaults, NeverOverwritesTheUsersValues) {
    {
        os::Hive hive(file_);
        ASSERT_TRUE(writeFarRegistryDefaults(hive).status);
        hive.createKey("Software\\Far\\Plugins\\TmpPanel")->writeString("Prefix", "t2");
        hive.createKey("Software\\Far\\Colors")->writeBinary("CurrentPalette", std::string(10, '\x07'));
        hive.deleteTree("Software\\Far\\Colors\\Highlight\\Group7");
    }
    auto before = fs::last_write_time(file_);
    std::ifstream in(file_);
    std::string contents((std::istreambuf_iterator<char>(in)), {});

    os::Hive hive(file_);
    auto again = writeFarRegistryDefaults(hive);
    EXPECT_TRUE(again.status);
    EXPECT_EQ(again.valuesWritten, 0u);
    EXPECT_EQ(fs::last_write_time(file_), before) << "nothing missing: the file is not rewritten";
    std::ifstream in2(file_);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in2)), {}), contents);
    EXPECT_EQ(hive.openKey("Software\\Far\\Plugins\\TmpPanel")->readString("Prefix"), "t2");
    EXPECT_EQ(hive.openKey("Software\\Far\\Colors")->readValue("CurrentPalette")->data, std::string(10, '\x07'));
    EXPECT_FALSE(hive.openKey("Software\\Far\\Colors\\Highlight\\Group7")) << "the user's own group list stays";

    hive.openKey("Software\\Far\\Plugins\\TmpPanel")->deleteValue("Prefix");
    auto refill = writeFarRegistryDefaults(hive);
    EXPECT_EQ(refill.valuesWritten, 1u);
    EXPECT_EQ(os::Hive(file_).openKey("Software\\Far\\Plugins\\TmpPanel")->readString("Prefix"), "tmp");
}

TEST_F(FarRegistryDefaults, AFailedWriteIsReported) {
    fs::create_directories(home_.root() / "blocked");
    std::ofstream(home_.root() / "blocked" / "file") << "x";
    os::Hive hive(home_.root() / "blocked" / "file" / "registry.reg");  // a folder that cannot exist
    auto outcome = writeFarRegistryDefaults(hive);
    EXPECT_FALSE(outcome.status);
    EXPECT_FALSE(outcome.status.error.empty());
    EXPECT_EQ(outcome.valuesWritten, 0u);
}

TEST(FarHighlightDefaults, MasksClassifyAsFarDoes) {
    auto groups = defaultHighlightGroups();
    auto mask = [&](int n) {
        for (const auto& d : groups) {
            if (d.key == "Software\\Far\\Colors\\Highlight\\Group" + std::to_string(n) && d.name == "Mask")
                return d.value.data;
        }
        return std::string();
    };
    EXPECT_TRUE(matchMaskList(mask(2), "docs"));
    EXPECT_FALSE(matchMaskList(mask(2), ".."));
    EXPECT_TRUE(matchMaskList(mask(4), "SETUP.EXE"));
    EXPECT_TRUE(matchMaskList(mask(5), "backup.tar"));
    EXPECT_TRUE(matchMaskList(mask(5), "photos.7z"));
    EXPECT_TRUE(matchMaskList(mask(5), "old.r01"));
    EXPECT_FALSE(matchMaskList(mask(5), "notes.txt"));
    EXPECT_TRUE(matchMaskList(mask(6), "x.BAK"));
    EXPECT_EQ(mask(8), "") << "eight groups, numbered from 0";
}

}  // namespace
}  // namespace skimmer::host::services
