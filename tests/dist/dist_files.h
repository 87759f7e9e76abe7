// The files of dist/ in the source tree, for the tests that hold them against the programs.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace skimmer::dist::test {

inline std::filesystem::path distPath(const std::string& relative) {
    return std::filesystem::path(SKIMMER_SOURCE_DIR) / "dist" / relative;
}

// The whole file; a test fails (and reads as empty) when it is missing.
inline std::string readDistFile(const std::string& relative) {
    std::ifstream in(distPath(relative), std::ios::binary);
    EXPECT_TRUE(in.good()) << distPath(relative);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace skimmer::dist::test
