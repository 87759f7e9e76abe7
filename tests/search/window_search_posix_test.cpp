// The window's search over the real locate engine, closed at any moment 500 times while `locate`
// floods its pipe or hangs: every thread joined, every child killed and reaped, no descriptor left.
#include "search/window_search.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "config/catalogue.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"
#include "tests/support/open_descriptors.h"

namespace skimmer::search {
namespace {

namespace fs = std::filesystem;

struct LocateCase {
    const char* name;
    const char* script;  // the body of the fake `locate`
};

class CloseDuringLocate : public ::testing::TestWithParam<LocateCase> {};

TEST_P(CloseDuringLocate, EveryCloseJoinsKillsAndReaps) {
    test::TestHost host;
    test::TempHome home;
    platform::HostTables tables;
    tables.copyFrom(host.startupInfo());
    const fs::path bin = home.root() / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "locate") << "#!/bin/sh\n" << GetParam().script << "\n";
    fs::permissions(bin / "locate", fs::perms::owner_all);
    config::TRegistryConfig config;
    config::configSetupCatalogue(config);
    config::setConfigValue(config, "ESKSSearchEngine", config::TConfigValue::integer(1));
    config::setConfigValue(config, "ESKSLocate32Path", config::TConfigValue::str(bin.string()));
    config::TSKSSortGroups groups;
    std::vector<uint8_t> palette(112, 0x1F);

    const size_t descriptorsBefore = ::skimmer::test::openDescriptorCount();
    std::mt19937 random(7);
    for (int round = 0; round < 500; ++round) {
        WindowShared shared;
        shared.ConsoleHeight = 30;
        shared.H.store(25);
        shared.W.store(54);
        WindowSearchServices services;
        services.host = &tables;
        services.config = &config;
        services.groups = &groups;
        services.palette = &palette;
        services.engineEnvironment.Config = &config;
        services.engineEnvironment.PollStep = std::chrono::milliseconds(5);
        WindowSearch work(std::move(services), shared);
        {
            TSearchThread thread(work);
            thread.resume();
            thread.setPendingQuery("word " + std::to_string(round), 4);
            for (int y = static_cast<int>(random() % 3000); y > 0; --y) std::this_thread::yield();
        }
    }
    int status = 0;
    EXPECT_EQ(waitpid(-1, &status, WNOHANG), -1) << "a locate child was left unreaped";
    EXPECT_EQ(::skimmer::test::openDescriptorCount(), descriptorsBefore) << "a pipe was left open";
}

INSTANTIATE_TEST_SUITE_P(Locates, CloseDuringLocate,
                         ::testing::Values(LocateCase{"floods", "while :; do echo /data/flood/file.txt; done"},
                                           LocateCase{"hangs_silent", "exec sleep 1000"},
                                           LocateCase{"closes_stdout_and_runs_on", "exec >&-; exec sleep 1000"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::search
