// A private home must really be private: the system's own answer for the temporary folder lies
// inside it, every variable it sets comes back as it was, and nothing of it is left behind.
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>

#include "tests/support/home_environment.h"

namespace skimmer::test {
namespace {

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
    const auto relative = std::filesystem::weakly_canonical(path).lexically_relative(std::filesystem::weakly_canonical(folder));
    return !relative.empty() && *relative.begin() != "..";
}

TEST(TempHome, SystemTemporaryFolderAndEveryVariableLieInsideIt) {
    TempHome home;
    EXPECT_TRUE(isInside(std::filesystem::temp_directory_path(), home.root()))
        << std::filesystem::temp_directory_path() << " is outside " << home.root();
    for (const auto& [name, unused] : homeVariables(home.root())) {
        const auto value = readEnvironment(name);
        ASSERT_TRUE(value) << name;
        EXPECT_TRUE(std::filesystem::is_directory(*value)) << name << "=" << *value;
        EXPECT_TRUE(isInside(*value, home.root())) << name << "=" << *value;
    }
    for (const auto& folder : {home.config(), home.cache(), home.data()})
        EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
}

// Each row: whether the variables were set before the home (to folders of their own) or not at all.
class TempHomeRestores : public ::testing::TestWithParam<bool> {};

TEST_P(TempHomeRestores, EveryVariableAndRemovesItsFolder) {
    const auto names = homeVariables("unused");
    const std::filesystem::path outer = makeUniqueTestFolder();  // the folders the variables held before
    std::map<std::string, std::optional<std::filesystem::path>> before, previous;
    for (const auto& [name, unused] : names) {
        before[name] = readEnvironment(name);
        if (GetParam()) std::filesystem::create_directories(*(previous[name] = outer / name));
        else previous[name] = std::nullopt;
    }
    for (const auto& [name, value] : previous) writeEnvironment(name, value);

    std::filesystem::path root;
    {
        TempHome home;
        root = home.root();
        std::filesystem::create_directories(home.data() / "left" / "behind");
    }
    EXPECT_FALSE(std::filesystem::exists(root)) << root;
    for (const auto& [name, value] : previous) EXPECT_EQ(readEnvironment(name), value) << name;
    for (const auto& [name, value] : before) writeEnvironment(name, value);
    std::error_code ignored;  // Wine may still hold a folder just listed; what is left is the test's own
    std::filesystem::remove_all(outer, ignored);
}

INSTANTIATE_TEST_SUITE_P(Previously, TempHomeRestores, ::testing::Bool(),
                         [](const auto& info) { return info.param ? std::string("Set") : std::string("Unset"); });

TEST(TempHome, TwoHomesNeverShareAFolder) {
    TempHome first;
    TempHome second;
    EXPECT_NE(first.root(), second.root());
    EXPECT_FALSE(isInside(first.root(), second.root()));
}

}  // namespace
}  // namespace skimmer::test
