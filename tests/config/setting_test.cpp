#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/setting.h"

namespace skimmer::config {
namespace {

// A table set up from the catalogue, with no registry: every setting holds its default.
class SettingTest : public ::testing::Test {
protected:
    SettingTest() {
        config.reportError_ = [this](const std::string& text) { errors.push_back(text); };
        configSetupCatalogue(config);
    }
    TRegistryConfig config;
    std::vector<std::string> errors;
};

TEST_F(SettingTest, HandlesReadTheTypedValueTheTableHolds) {
    setConfigValue(config, "SKSStyle", TConfigValue::integer(1));
    setConfigValue(config, "SKSFullInfo", TConfigValue::boolean(true));
    setConfigValue(config, "SKPLetter", TConfigValue::str("7"));
    EXPECT_EQ(setting::kStyle.read(config), 1);
    EXPECT_TRUE(setting::kFullInfo.read(config));
    EXPECT_EQ(setting::kPanelLetter.read(config), "7");
    EXPECT_TRUE(errors.empty());
}

TEST_F(SettingTest, EveryHandleReadsItsOwnDefaultFromAFreshTable) {
    EXPECT_EQ(setting::kWindowWidth.read(config), setting::kWindowWidth.Default);
    EXPECT_EQ(setting::kStyle.read(config), setting::kStyle.Default);
    EXPECT_EQ(setting::kFIDontUse.read(config), setting::kFIDontUse.Default);
    EXPECT_EQ(setting::kLocate32Path.read(config), "/usr/bin");
    EXPECT_TRUE(errors.empty());
}

TEST_F(SettingTest, WriteConvertsLikeTheTableAndStaysInMemory) {
    EXPECT_TRUE(setting::kWindowHeight.write(config, "40"));
    EXPECT_TRUE(setting::kUseCL.write(config, false));
    EXPECT_TRUE(setting::kKeySequence.write(config, 1));
    TConfigValue value;
    ASSERT_TRUE(getConfigValue(config, "SKSWindowHeight", value));
    EXPECT_EQ(value, TConfigValue::str("40"));
    EXPECT_FALSE(setting::kUseCL.read(config));
    EXPECT_EQ(setting::kKeySequence.read(config), 1);
}

TEST(SettingWithoutTableTest, ReadFallsBackToTheCataloguesDefaultAndReportsTheName) {
    TRegistryConfig config;
    std::vector<std::string> errors;
    config.reportError_ = [&](const std::string& text) { errors.push_back(text); };
    EXPECT_EQ(setting::kStyle.read(config), 2);
    EXPECT_EQ(setting::kFIColumns.read(config), "N,S,P");
    EXPECT_EQ(errors.size(), 2u);
}

// A table without the setting (one built by hand, before the catalogue): find() gives none and
// reports the name, as every lookup does; peek() reports nothing.
struct MissingCase {
    const char* name;
    std::optional<int32_t> (*lookUp)(const TRegistryConfig&);
    bool reported;
};

class MissingSettingTest : public ::testing::TestWithParam<MissingCase> {};

TEST_P(MissingSettingTest, ATableWithoutTheSettingGivesNoneAndReportsAsTheLookupDoes) {
    TRegistryConfig config;
    std::vector<std::string> errors;
    config.reportError_ = [&](const std::string& text) { errors.push_back(text); };
    EXPECT_EQ(GetParam().lookUp(config), std::nullopt);
    ASSERT_EQ(errors.size(), GetParam().reported ? 1u : 0u);
    if (GetParam().reported) {
        EXPECT_NE(errors[0].find("SKSStyle"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, MissingSettingTest,
    ::testing::Values(MissingCase{"find", [](const TRegistryConfig& c) { return setting::kStyle.find(c); }, true},
                      MissingCase{"peek", [](const TRegistryConfig& c) { return setting::kStyle.peek(c); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::config
