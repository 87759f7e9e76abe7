#include "host/app/plugin_set.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <fstream>

#include "tests/support/temp_home.h"

namespace skimmer::host::app {
namespace {

struct Reports {
    std::vector<std::string> lines;
    PluginSet::Reporter reporter() {
        return [this](const std::string& text) { lines.push_back(text); };
    }
};

TEST(PluginSet, ExceptionsStopAtTheBoundaryAndDisableThePlugin) {
    Reports reports;
    PluginSet set(reports.reporter());
    set.load({SKIMMER_CRASHY_PLUGIN}, "English");
    ASSERT_EQ(set.size(), 1u);
    EXPECT_TRUE(reports.lines.empty());
    const auto menu = set.menuItems();
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].text, "Throw");
    EXPECT_EQ(menu[1].item, 1);
    ASSERT_EQ(set.configItems().size(), 1u);
    set.open(menu[0]);
    ASSERT_EQ(reports.lines.size(), 1u);
    EXPECT_NE(reports.lines[0].find("OpenPlugin"), std::string::npos);
    EXPECT_NE(reports.lines[0].find("thrown on purpose"), std::string::npos);
    // Disabled: not called again, so its menu is empty and nothing more is reported.
    EXPECT_TRUE(set.menuItems().empty());
    set.open(menu[1]);  // would crash the process if it were called
    EXPECT_EQ(reports.lines.size(), 1u);
    set.exitAll();
    set.exitAll();
    EXPECT_EQ(set.size(), 0u);
}

TEST(PluginSet, ConfigureThrowingANonException) {
    Reports reports;
    PluginSet set(reports.reporter());
    set.load({SKIMMER_CRASHY_PLUGIN}, "English");
    set.configure(set.configItems().at(0));
    ASSERT_EQ(reports.lines.size(), 1u);
    EXPECT_NE(reports.lines[0].find("Configure"), std::string::npos);
}

TEST(PluginSet, ModulesThatAreNotPluginsAreReportedAndSkipped) {
    test::TempHome home;
    std::ofstream(home.root() / "garbage.so") << "not an ELF file";
    Reports reports;
    PluginSet set(reports.reporter());
    Dl_info libm{};  // a real shared library that is not a plug-in
    ASSERT_NE(dladdr(reinterpret_cast<void*>(static_cast<double (*)(double)>(&::cos)), &libm), 0);
    set.load({home.root() / "missing.so", home.root() / "garbage.so", libm.dli_fname}, "English");
    EXPECT_EQ(set.size(), 0u);
    ASSERT_EQ(reports.lines.size(), 3u);
    EXPECT_NE(reports.lines[0].find("cannot load"), std::string::npos);
    EXPECT_NE(reports.lines[2].find("not a FAR plug-in"), std::string::npos);
    EXPECT_FALSE(set.openAtStart("skimmer"));
}

TEST(PluginSet, FindsModulesInThePluginsFolders) {
    test::TempHome home;
    const auto bin = home.root() / "bin";
    std::filesystem::create_directories(bin / "plugins" / "b");
    std::filesystem::create_directories(bin / "plugins" / "a");
    std::ofstream(bin / "plugins" / "b" / "two.so") << "";
    std::ofstream(bin / "plugins" / "a" / "one.so") << "";
    std::ofstream(bin / "plugins" / "a" / "readme.txt") << "";
    const auto found = findPluginModules(bin);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].filename(), "one.so");
    EXPECT_EQ(found[1].filename(), "two.so");
}

}  // namespace
}  // namespace skimmer::host::app
