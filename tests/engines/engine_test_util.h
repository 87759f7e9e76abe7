// What the engine tests share: an engine environment whose error box and language strings are
// recorded, and a private folder for fake programs, databases and shortcut files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/catalogue.h"
#include "config/registry_config.h"
#include "engines/search_engine.h"
#include "tests/support/temp_home.h"

namespace skimmer::engines::test {

class EngineFixture : public ::testing::Test {
protected:
    EngineFixture() {
        dir = home.root() / "work";
        std::filesystem::create_directories(dir);
        config::configAddValue(config, config::setting::kSearchEngine.Name, config::cvkInteger, false,
                               config::TConfigValue::integer(0));
        config::configAddValue(config, config::setting::kLocate32Path.Name, config::cvkString, false,
                               config::TConfigValue::str(dir.string()));
        env.Config = &config;
        env.IndexFile = home.cache() / "skimmer" / "index.sqlite";
        env.ShowErrorText = [this](const std::string& text) { shown.push_back(text); };
        env.GetMsg = [](int number) { return "<" + std::to_string(number) + ">"; };
        env.PollStep = std::chrono::milliseconds(20);
    }

    void writeFile(const std::filesystem::path& path, const std::string& bytes, bool executable = false) {
        std::ofstream(path, std::ios::binary) << bytes;
        if (executable)
            std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    }

    skimmer::test::TempHome home;
    std::filesystem::path dir;
    config::TRegistryConfig config;
    TEngineEnvironment env;
    std::vector<std::string> shown;  // texts of the error boxes, in order
};

}  // namespace skimmer::engines::test
