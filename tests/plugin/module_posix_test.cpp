// The built module, loaded as FAR loads it: by file, with its entry points found by name.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>

#include "far/panel.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::test {
namespace {

namespace fs = std::filesystem;

std::set<std::string> exportedSymbols(const fs::path& module) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + module.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return names;
    char line[512];
    while (fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
        const size_t space = text.rfind(' ');
        const std::string type = text.size() > 2 && space != std::string::npos ? text.substr(space - 1, 1) : "";
        if (type == "T" || type == "W" || type == "D" || type == "B" || type == "V")
            names.insert(text.substr(space + 1));
    }
    pclose(pipe);
    return names;
}

TEST(LoadedModule, ExportsExactlyTheEntryPoints) {
    const auto names = exportedSymbols(builtModuleFile());
    EXPECT_EQ(names, (std::set<std::string>{"SetStartupInfo", "GetPluginInfo", "OpenPlugin", "Configure",
                                            "ClosePlugin", "ExitFAR", "GetMinFarVersion", "GetOpenPluginInfo", "GetFindData",
                                            "FreeFindData", "SetDirectory", "ProcessEvent", "GetFiles", "PutFiles",
                                            "DeleteFiles", "MakeDirectory", "ProcessKey"}));
}

TEST(LoadedModule, RunsThroughItsLifecycleWhenLoadedByFile) {
    TempHome home;
    TestHost host;
    Module module(builtModuleFile());
    ASSERT_TRUE(module.loaded()) << module.error();
    auto setStartupInfo = module.entry<farapi::SetStartupInfoFn>("SetStartupInfo");
    auto getPluginInfo = module.entry<farapi::GetPluginInfoFn>("GetPluginInfo");
    auto openPlugin = module.entry<farapi::OpenPluginFn>("OpenPlugin");
    auto configure = module.entry<farapi::ConfigureFn>("Configure");
    auto closePlugin = module.entry<farapi::ClosePluginFn>("ClosePlugin");
    auto exitFar = module.entry<farapi::ExitFARFn>("ExitFAR");
    ASSERT_TRUE(setStartupInfo && getPluginInfo && openPlugin && configure && closePlugin && exitFar);

    host.answerMessage(0);  // a fresh hive has no FAR palette: the error box says so once
    setStartupInfo(&host.startupInfo());
    ASSERT_EQ(host.callsTo("Message").size(), 1u);
    EXPECT_EQ(host.callsTo("Message")[0].texts[2], host.messages()[1]);

    const fs::path tmp = home.root() / "tmp";
    std::vector<fs::path> folders(fs::directory_iterator(tmp), fs::directory_iterator{});
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].filename().string().rfind("skimmer.", 0), 0u);

    PluginInfo info{};
    getPluginInfo(&info);
    EXPECT_STREQ(info.PluginMenuStrings[0], "Skimmer");
    ASSERT_NE(info.DiskMenuNumbers, nullptr);
    EXPECT_EQ(*info.DiskMenuNumbers, 0);

    host.answerMessage(0);  // the palette is read again at every opening
    EXPECT_EQ(openPlugin(OPEN_COMMANDLINE, 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(host.callsTo("Message").size(), 2u);
    host.answerMenu(-1);
    EXPECT_EQ(configure(0), 0);
    closePlugin(INVALID_HANDLE_VALUE);
    exitFar();
    EXPECT_FALSE(fs::exists(folders[0]));
    // The first start wrote the groups key into the user's hive file, nothing else of ours.
    EXPECT_TRUE(fs::exists(home.config() / "skimmer" / "registry.reg"));
}

TEST(LoadedModule, TwoCopiesInOneProcessKeepSeparateState) {
    TempHome home;
    TestHost host;
    const fs::path first = home.root() / "one.so";
    const fs::path second = home.root() / "two.so";
    fs::copy_file(builtModuleFile(), first);
    fs::copy_file(builtModuleFile(), second);
    Module a(first), b(second);
    ASSERT_TRUE(a.loaded() && b.loaded()) << a.error() << b.error();
    ASSERT_NE(a.symbol("SetStartupInfo"), b.symbol("SetStartupInfo"));

    host.answerMessage(0);
    host.answerMessage(0);  // each copy reports the missing palette itself
    a.entry<farapi::SetStartupInfoFn>("SetStartupInfo")(&host.startupInfo());
    b.entry<farapi::SetStartupInfoFn>("SetStartupInfo")(&host.startupInfo());
    const fs::path tmp = home.root() / "tmp";
    std::vector<fs::path> folders(fs::directory_iterator(tmp), fs::directory_iterator{});
    ASSERT_EQ(folders.size(), 2u);  // same load stamp or not, never the same folder

    a.entry<farapi::ExitFARFn>("ExitFAR")();
    std::vector<fs::path> left(fs::directory_iterator(tmp), fs::directory_iterator{});
    ASSERT_EQ(left.size(), 1u);
    b.entry<farapi::ExitFARFn>("ExitFAR")();
    EXPECT_TRUE(fs::is_empty(tmp));
}

}  // namespace
}  // namespace skimmer::test
