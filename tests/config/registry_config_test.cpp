#include <gtest/gtest.h>

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "tests/support/memory_registry.h"

namespace skimmer::config {
namespace {

using platform::MemoryRegistry;

constexpr const char* kKey = "Software\\Far\\Plugins\\Skimmer";

MemoryRegistry::Value dword(uint32_t v) { return MemoryRegistry::Value::dword(v); }
MemoryRegistry::Value sz(std::string text) { return MemoryRegistry::Value::string(std::move(text)); }

class ConfigTest : public ::testing::Test {
protected:
    ConfigTest() {
        config.location_ = settingsLocation(&registry, "Software\\Far\\Plugins");
        config.reportError_ = [this](const std::string& text) { errors.push_back(text); };
    }
    TConfigValue get(const char* name) {
        TConfigValue value = TConfigValue::str("untouched");
        EXPECT_TRUE(getConfigValue(config, name, value)) << name;
        return value;
    }
    MemoryRegistry registry;
    TRegistryConfig config;
    std::vector<std::string> errors;
};

TEST_F(ConfigTest, FirstStartGivesDefaultsAndCreatesNoKey) {
    configSetupCatalogue(config);
    EXPECT_EQ(config.Count, kCatalogueSize);
    EXPECT_EQ(config.Elements.size(), 34u);
    EXPECT_FALSE(registry.keyExists(kKey));
    EXPECT_EQ(registry.changes(), 0);
    EXPECT_EQ(get("SKSWindowWidth"), TConfigValue::str("50"));  // text, not a number
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(2));
    EXPECT_EQ(get("SKSFIDontUse"), TConfigValue::boolean(true));
    EXPECT_EQ(get("SKSFIWidths"), TConfigValue::str("26,6,30"));
    EXPECT_EQ(get("ESKSLocate32Path"), TConfigValue::str("/usr/bin"));
    EXPECT_EQ(get("SKPLetter"), TConfigValue::str("0"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(ConfigTest, CatalogueOrderKindsAndStoredFlags) {
    configSetupCatalogue(config);
    const auto& e = config.Elements;
    EXPECT_EQ(e.front().Name, "SKSGroupMode");
    EXPECT_EQ(e[22].Name, "ESKSShowTPW");
    EXPECT_EQ(e[23].Name, "ESKSSearchEngine");
    EXPECT_EQ(e[24].Name, "ESKSLocate32Path");
    EXPECT_EQ(e[25].Name, "SKPGroupMode");
    EXPECT_EQ(e.back().Name, "SKPLetter");
    size_t stored = 0;
    for (const auto& element : e) stored += element.Stored;
    EXPECT_EQ(stored, 34u);
    EXPECT_EQ(e[26].Kind, cvkBoolean);  // SKPGroupsAsFolders
    EXPECT_EQ(e[3].StrDefault, "50");
    EXPECT_EQ(e[3].IntDefault, 0);  // only the pair the kind names is used
}

TEST_F(ConfigTest, BooleansLoadFromTheLowByteAndSaveAsZeroOrOne) {
    registry.setValue(kKey, "SKSFullInfo", dword(5));
    registry.setValue(kKey, "SKSUseCL", dword(256));
    configSetupCatalogue(config);
    EXPECT_EQ(get("SKSFullInfo"), TConfigValue::boolean(true));
    EXPECT_EQ(get("SKSUseCL"), TConfigValue::boolean(false));
    configSaveValues(config);
    EXPECT_EQ(registry.value(kKey, "SKSFullInfo")->data, dword(1).data);
    EXPECT_EQ(registry.value(kKey, "SKSUseCL")->data, dword(0).data);
}

TEST_F(ConfigTest, WrongRegistryTypeKeepsTheDefaultUntilTheNextSave) {
    registry.setValue(kKey, "SKSStyle", sz("1"));
    registry.setValue(kKey, "SKSWindowWidth", dword(80));
    configSetupCatalogue(config);
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(2));
    EXPECT_EQ(get("SKSWindowWidth"), TConfigValue::str("50"));
    EXPECT_EQ(registry.value(kKey, "SKSStyle")->type, MemoryRegistry::Type::String);
    configSaveValues(config);
    EXPECT_EQ(registry.value(kKey, "SKSStyle")->type, MemoryRegistry::Type::Dword);
}

TEST_F(ConfigTest, ValuesAreFoundWhateverTheirRegistryCase) {
    registry.setValue(kKey, "skpletter", sz("7"));  // the registry's names are case-insensitive
    configSetupCatalogue(config);
    EXPECT_EQ(get("SKPLetter"), TConfigValue::str("7"));
}

TEST_F(ConfigTest, ValuesOutsideTheCatalogueAreNeitherLoadedNorWritten) {
    registry.setValue(kKey, "tmp1", sz("by hand"));  // a dialog's scratch value of an older release
    configSetupCatalogue(config);
    TConfigValue value;
    EXPECT_FALSE(getConfigValue(config, "tmp1", value));
    configSaveValues(config);
    EXPECT_EQ(registry.value(kKey, "tmp1")->data, "by hand");
    EXPECT_EQ(registry.valueCount(kKey), 35u);  // 34 stored settings + the hand-made tmp1
}

TEST_F(ConfigTest, SavePassIsOneChangeAndWritesEverythingStoredThatIsMissingOrChanged) {
    configSetupCatalogue(config);
    registry.resetChanges();
    configSaveValues(config);
    EXPECT_EQ(registry.changes(), 1);
    EXPECT_EQ(registry.valueCount(kKey), 34u);
    EXPECT_EQ(registry.value(kKey, "SKPLetter")->data, "0");
    // Unchanged values are not written again: that would undo another process's later change.
    registry.setValue(kKey, "SKSStyle", dword(0));
    registry.resetChanges();
    configSaveValues(config);
    EXPECT_EQ(registry.changes(), 0);
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(0)) << "a save reads the others again";
    setConfigValue(config, "SKSStyle", TConfigValue::integer(1));
    configSaveValues(config);
    EXPECT_EQ(registry.changes(), 1);
    EXPECT_EQ(registry.value(kKey, "SKSStyle")->data, dword(1).data);
    EXPECT_TRUE(errors.empty());
}

TEST_F(ConfigTest, RefusedSaveIsReportedOnceAndLeavesTheRegistryAlone) {
    configSetupCatalogue(config);
    registry.setValue(kKey, "SKSStyle", dword(1));
    registry.resetChanges();
    setConfigValue(config, "SKSStyle", TConfigValue::integer(0));
    registry.refuseWrites(true);
    configSaveValues(config);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("not saved"), std::string::npos);
    EXPECT_EQ(registry.changes(), 0);
    EXPECT_EQ(registry.value(kKey, "SKSStyle")->data, dword(1).data);
}

TEST_F(ConfigTest, UnknownNamesAreReportedAndChangeNothing) {
    configSetupCatalogue(config);
    TConfigValue value = TConfigValue::integer(99);
    EXPECT_FALSE(getConfigValue(config, "sksstyle", value));
    EXPECT_EQ(value, TConfigValue::integer(99));
    EXPECT_FALSE(setConfigValue(config, "SKSstyle", TConfigValue::integer(1)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(getConfigElementPtr(config, "SKSSTYLE")));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "ConfigValue: sksstyle not found. USE configAddValue!");
    EXPECT_EQ(errors[1], "ConfigValue: SKSstyle not found. USE configAddValue!");
    EXPECT_EQ(errors[2], "getConfigElementPtr: SKSSTYLE not found. USE configAddValue!");
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(2));
}

TEST_F(ConfigTest, EmptyNameReportsNothing) {
    configSetupCatalogue(config);
    TConfigValue value;
    EXPECT_FALSE(getConfigValue(config, "", value));
    EXPECT_FALSE(setConfigValue(config, "", TConfigValue::integer(1)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(getConfigElementPtr(config, "")));
    EXPECT_TRUE(errors.empty());
}

TEST_F(ConfigTest, SetConvertsToTheElementsKind) {
    configSetupCatalogue(config);
    EXPECT_TRUE(setConfigValue(config, "SKSWindowWidth", TConfigValue::integer(77)));
    EXPECT_EQ(get("SKSWindowWidth"), TConfigValue::str("77"));
    EXPECT_TRUE(setConfigValue(config, "SKSFIColumns", TConfigValue::boolean(true)));
    EXPECT_EQ(get("SKSFIColumns"), TConfigValue::str("True"));
    EXPECT_TRUE(setConfigValue(config, "SKSStyle", TConfigValue::str("-1")));
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(-1));
    EXPECT_TRUE(setConfigValue(config, "SKSFullInfo", TConfigValue::str("True")));
    EXPECT_EQ(get("SKSFullInfo"), TConfigValue::boolean(true));
    EXPECT_TRUE(setConfigValue(config, "SKSFullInfo", TConfigValue::integer(0)));
    EXPECT_EQ(get("SKSFullInfo"), TConfigValue::boolean(false));
    EXPECT_TRUE(errors.empty());

    EXPECT_FALSE(setConfigValue(config, "SKSStyle", TConfigValue::str("two")));
    EXPECT_FALSE(setConfigValue(config, "SKSFullInfo", TConfigValue::str("yes")));
    EXPECT_EQ(get("SKSStyle"), TConfigValue::integer(-1));
    EXPECT_EQ(errors.size(), 2u);
}

TEST_F(ConfigTest, ElementPointerReachesTheCurrentValue) {
    configSetupCatalogue(config);
    auto ptr = getConfigElementPtr(config, "SKSWindowHeight");
    ASSERT_TRUE(std::holds_alternative<std::string*>(ptr));
    *std::get<std::string*>(ptr) = "30";
    EXPECT_EQ(get("SKSWindowHeight"), TConfigValue::str("30"));
    ASSERT_TRUE(std::holds_alternative<bool*>(getConfigElementPtr(config, "SKSFullInfo")));
    ASSERT_TRUE(std::holds_alternative<int32_t*>(getConfigElementPtr(config, "SKSStyle")));
}

TEST_F(ConfigTest, DuplicatesAndInactiveElements) {
    configAddValue(config, "A", cvkInteger, true, TConfigValue::str("1"));
    configAddValue(config, "A", cvkInteger, true, TConfigValue::str("2"));
    configAddValue(config, "Off", cvkInactive, true, TConfigValue::integer(5));
    EXPECT_EQ(get("A"), TConfigValue::integer(1));  // the first of a name wins
    TConfigValue value = TConfigValue::str("kept");
    EXPECT_TRUE(getConfigValue(config, "Off", value));
    EXPECT_EQ(value, TConfigValue::str("kept"));
    EXPECT_TRUE(setConfigValue(config, "Off", TConfigValue::integer(1)));
    configSaveValues(config);
    EXPECT_FALSE(registry.value(kKey, "Off").has_value());
    EXPECT_EQ(registry.value(kKey, "A")->data, dword(2).data);  // each element is written, in order
}

TEST_F(ConfigTest, NegativeAndLargeIntegersRoundTrip) {
    configSetupCatalogue(config);
    setConfigValue(config, "SKSGroupMode", TConfigValue::integer(-5));
    configSaveValues(config);
    EXPECT_EQ(registry.value(kKey, "SKSGroupMode")->data, dword(0xFFFFFFFBu).data);
    registry.setValue(kKey, "SKSWindowMode", dword(0x80000000u));
    configLoadValues(config);
    EXPECT_EQ(get("SKSGroupMode"), TConfigValue::integer(-5));
    EXPECT_EQ(get("SKSWindowMode"), TConfigValue::integer(INT32_MIN));
}

TEST(Conversions, DecimalParsing) {
    EXPECT_EQ(parseDecimal("42"), 42);
    EXPECT_EQ(parseDecimal("-7"), -7);
    EXPECT_EQ(parseDecimal("+7"), 7);
    EXPECT_EQ(parseDecimal("2147483647"), INT32_MAX);
    EXPECT_FALSE(parseDecimal("2147483648"));
    EXPECT_FALSE(parseDecimal(""));
    EXPECT_FALSE(parseDecimal("4x"));
    EXPECT_FALSE(parseDecimal(" 4"));
}

}  // namespace
}  // namespace skimmer::config
