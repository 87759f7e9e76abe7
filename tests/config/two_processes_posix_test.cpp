// Two starts of the plug-in on one hive file, each with its own Hive (as two processes have): a
// save writes only what its process changed, so neither undoes the other's settings or groups,
// and a fresh read shows what the other saved. Also the range checks a read applies.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "config/catalogue.h"
#include "config/sort_groups.h"
#include "os/registry.h"
#include "platform/hive_registry.h"
#include "tests/support/temp_home.h"

namespace skimmer::config {
namespace {

namespace fs = std::filesystem;

// One process: its own Hive over the shared file, its settings table and its groups.
struct Process {
    explicit Process(const fs::path& file)
        : hive(std::make_unique<os::Hive>(file)), registry(std::make_unique<platform::HiveRegistry>(*hive)) {
        config.location_ = settingsLocation(registry.get(), "Software\\Far\\Plugins");
        config.reportError_ = [this](const std::string& e) { errors.push_back(e); };
        configSetupCatalogue(config);
        loadSortGroups(groups, config.location_);
    }
    TConfigValue get(const char* name) const {
        TConfigValue value;
        EXPECT_TRUE(getConfigValue(config, name, value)) << name;
        return value;
    }
    std::unique_ptr<os::Hive> hive;
    std::unique_ptr<platform::HiveRegistry> registry;
    TRegistryConfig config;
    TSKSSortGroups groups;
    std::vector<std::string> errors;
};

class TwoProcesses : public ::testing::Test {
protected:
    TwoProcesses() { fs::create_directories(file().parent_path()); }
    fs::path file() const { return home.config() / "skimmer" / "registry.reg"; }
    test::TempHome home;
};

TEST_F(TwoProcesses, EachSaveKeepsTheOthersSettingsAndAReadShowsThem) {
    Process a(file()), b(file());
    setConfigValue(a.config, "SKSStyle", TConfigValue::integer(0));
    configSaveValues(a.config);
    setConfigValue(b.config, "SKSFullInfo", TConfigValue::boolean(true));
    setConfigValue(b.config, "SKSWindowWidth", TConfigValue::str("60"));
    configSaveValues(b.config);  // b still holds the style it read at start
    // a holds an unsaved change while it reads again: the read keeps it and shows b's.
    setConfigValue(a.config, "SKPLetter", TConfigValue::str("4"));
    configLoadValues(a.config);
    EXPECT_EQ(a.get("SKSFullInfo"), TConfigValue::boolean(true));
    EXPECT_EQ(a.get("SKSWindowWidth"), TConfigValue::str("60"));
    EXPECT_EQ(a.get("SKPLetter"), TConfigValue::str("4"));
    configSaveValues(a.config);

    Process later(file());
    EXPECT_EQ(later.get("SKSStyle"), TConfigValue::integer(0));
    EXPECT_EQ(later.get("SKSFullInfo"), TConfigValue::boolean(true));
    EXPECT_EQ(later.get("SKSWindowWidth"), TConfigValue::str("60"));
    EXPECT_EQ(later.get("SKPLetter"), TConfigValue::str("4"));
    EXPECT_EQ(b.get("SKSStyle"), TConfigValue::integer(0)) << "b's save showed a's style";
    setConfigValue(a.config, "SKSStyle", TConfigValue::integer(1));
    configSaveValues(a.config);
    configSaveValues(b.config);  // nothing changed in b: the file keeps a's later style
    EXPECT_EQ(Process(file()).get("SKSStyle"), TConfigValue::integer(1));
    EXPECT_TRUE(a.errors.empty());
    EXPECT_TRUE(b.errors.empty());
}

// One change of the list by the second process, made on the list it read at start, after the first
// process inserted "X" at the top; the list both leave.
struct GroupChange {
    std::string what;
    std::function<bool(TSKSSortGroups&)> change;
    std::vector<std::string> after;
};

void PrintTo(const GroupChange& c, std::ostream* out) { *out << c.what; }

std::vector<std::string> names(const TSKSSortGroups& groups) {
    std::vector<std::string> out;
    for (int32_t n = 0; n < groups.SortGroupCount; ++n) out.push_back(groups.SortGroups[static_cast<size_t>(n)].Name);
    return out;
}

class TwoProcessesOnGroups : public TwoProcesses, public ::testing::WithParamInterface<GroupChange> {};

const TSKSSortGroup kB{"B", "k:B", "", 1};

TEST_P(TwoProcessesOnGroups, AChangeIsMadeOnTheListAsTheFileHoldsIt) {
    {
        Process first(file());
        first.groups.SortGroupCount = 2;
        first.groups.SortGroups[0] = {"A", "k:A", "", 1};
        first.groups.SortGroups[1] = kB;
        ASSERT_TRUE(saveSortGroups(first.groups, first.config.location_));
    }
    Process a(file()), b(file());
    ASSERT_TRUE(changeSortGroups(a.groups, a.config.location_, [](TSKSSortGroups& list) {
        for (int32_t i = list.SortGroupCount; i > 0; --i) list.SortGroups[static_cast<size_t>(i)] = list.SortGroups[static_cast<size_t>(i - 1)];
        list.SortGroups[0] = {"X", "k:X", "", 3};
        ++list.SortGroupCount;
        return true;
    }));
    ASSERT_EQ(names(b.groups), (std::vector<std::string>{"A", "B"})) << "b read before a's change";
    std::string error;
    EXPECT_TRUE(changeSortGroups(b.groups, b.config.location_, GetParam().change, &error)) << error;
    EXPECT_EQ(names(b.groups), GetParam().after);
    TSKSSortGroups stored;
    loadSortGroups(stored, Process(file()).config.location_);
    EXPECT_EQ(names(stored), GetParam().after);
    EXPECT_EQ(stored.SortGroups[0], (TSKSSortGroup{"X", "k:X", "", 3})) << "a's group whole";
}

INSTANTIATE_TEST_SUITE_P(Changes, TwoProcessesOnGroups, ::testing::Values(
    GroupChange{"edit_of_a_group_that_moved", [](TSKSSortGroups& l) {
        const int32_t at = findSortGroup(l, kB, 1);
        if (at < 0) return false;
        l.SortGroups[static_cast<size_t>(at)].Name = "B2";
        return true;
    }, {"X", "A", "B2"}},
    GroupChange{"delete_of_a_group_that_moved", [](TSKSSortGroups& l) {
        const int32_t at = findSortGroup(l, kB, 1);
        if (at < 0) return false;
        l.SortGroups[static_cast<size_t>(at)] = {};
        --l.SortGroupCount;
        return true;
    }, {"X", "A"}},
    GroupChange{"append", [](TSKSSortGroups& l) {
        l.SortGroups[static_cast<size_t>(l.SortGroupCount++)] = {"Y", "", "", 0};
        return true;
    }, {"X", "A", "B", "Y"}},
    GroupChange{"nothing_to_do", [](TSKSSortGroups&) { return false; }, {"X", "A", "B"}}),
    [](const auto& info) { return info.param.what; });

// A text setting read from the file gets the dialog's check: outside it the default is used (and
// the next save writes the default back); inside it, the text as stored.
struct StoredText {
    const char* setting;
    std::string stored;
    std::string used;
    uint32_t windowMode = 2;  // the custom size, whose sides are checked
};

class RangeOnRead : public TwoProcesses, public ::testing::WithParamInterface<StoredText> {};

TEST_P(RangeOnRead, ValuesTheDialogWouldRefuseFallBackToTheDefault) {
    {
        os::Hive hive(file());
        auto key = hive.createKey("Software\\Far\\Plugins\\Skimmer");
        ASSERT_TRUE(key->writeString(GetParam().setting, GetParam().stored));
        ASSERT_TRUE(key->writeDword("SKSWindowMode", GetParam().windowMode));
    }
    Process p(file());
    EXPECT_EQ(p.get(GetParam().setting), TConfigValue::str(GetParam().used));
    configSaveValues(p.config);
    EXPECT_EQ(Process(file()).get(GetParam().setting), TConfigValue::str(GetParam().used));
    os::Hive hive(file());
    EXPECT_EQ(hive.openKey("Software\\Far\\Plugins\\Skimmer")->readString(GetParam().setting), GetParam().used);
}

INSTANTIATE_TEST_SUITE_P(Texts, RangeOnRead, ::testing::Values(
    StoredText{"SKSWindowHeight", "-5", "23"}, StoredText{"SKSWindowHeight", "7", "23"},
    StoredText{"SKSWindowHeight", "8", "8"}, StoredText{"SKSWindowHeight", " 40 ", " 40 "},
    StoredText{"SKSWindowHeight", "12x", "23"}, StoredText{"SKSWindowHeight", "", "23"},
    StoredText{"SKSWindowWidth", "29", "50"}, StoredText{"SKSWindowWidth", "9999", "9999"},
    StoredText{"SKSWindowWidth", "10000", "50"}, StoredText{"SKSWindowHeight", "-5", "-5", 0},
    StoredText{"SKPLetter", "", ""},
    StoredText{"SKPLetter", "9", "9"}, StoredText{"SKPLetter", "10", "0"}, StoredText{"SKPLetter", "-1", "0"}));

}  // namespace
}  // namespace skimmer::config
