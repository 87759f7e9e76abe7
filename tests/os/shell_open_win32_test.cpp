// Opening with the default application on Windows: the shell's default verb starts a program and
// returns at once; what cannot be opened comes back Failed with the system's reason, and the shell
// shows no box of its own (the test would hang on one).
#include "os/default_open.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "os/wide_text.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;

std::string systemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    EXPECT_GT(length, 0u);
    return fromWide((fs::path(std::wstring(folder, length)) / name).wstring());
}

TEST(DefaultOpen, AProgramIsStartedAndNotWaitedFor) {
    // hostname.exe prints one line and ends: it is harmless to start in any prefix.
    const OpenResult result = openWithDefaultApplication(systemProgram(L"hostname.exe"), nullptr);
    EXPECT_EQ(result.status, OpenResult::Started) << result.error;
    EXPECT_TRUE(result.error.empty()) << result.error;
}

struct FailureCase {
    const char* name;
    const char* target;  // nullptr: a file in a folder that does not exist
};

class DefaultOpenFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DefaultOpenFailure, IsFailedWithAReason) {
    const std::string target =
        GetParam().target ? GetParam().target
                          : fromWide((fs::temp_directory_path() / L"skimmer-no-such-folder" / L"gone.txt").wstring());
    const OpenResult result = openWithDefaultApplication(target, nullptr);
    EXPECT_EQ(result.status, OpenResult::Failed);
    EXPECT_FALSE(result.error.empty());
    if (!target.empty()) {
        EXPECT_NE(result.error.find(target), std::string::npos) << result.error;
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, DefaultOpenFailure,
                         ::testing::Values(FailureCase{"missing_file", nullptr}, FailureCase{"empty", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::os
