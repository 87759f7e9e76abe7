// Shortcut targets on Windows come from the system's ShellLink object: a shortcut the system wrote
// gives back its target (raw, in the ANSI code page), and a missing or damaged file gives none with
// a reason. The shortcuts are written here with the system's own IShellLinkW.
#include "os/shell_link.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>

#include "os/com_scope.h"
#include "os/wide_text.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;

// A private folder for one test, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() : path_(fs::temp_directory_path() / ("skimmer-link-" + std::to_string(GetCurrentProcessId()) + "-" +
                                                         std::to_string(counter_++))) {
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;  // a leftover folder in the temporary folder harms nothing
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    std::string ansi(const std::wstring& name) const { return fromWide((path_ / name).wstring()); }

private:
    static inline int counter_ = 0;
    fs::path path_;
};

// Writes a shortcut to `target` with the system's ShellLink object; false when the system cannot.
bool writeShortcut(const std::wstring& file, const std::wstring& target) {
    ComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.putVoid())))
        return false;
    if (FAILED(link->SetPath(target.c_str()))) return false;
    ComPtr<IPersistFile> persist;
    if (FAILED(link.query(IID_IPersistFile, persist))) return false;
    return SUCCEEDED(persist->Save(file.c_str(), TRUE));
}

struct TargetCase {
    const char* name;
    const wchar_t* fileName;  // of the target, in the scratch folder
};

class ShellLinkTarget : public ::testing::TestWithParam<TargetCase> {};

TEST_P(ShellLinkTarget, AShortcutTheSystemWroteGivesItsTarget) {
    ScratchFolder folder;
    const fs::path target = folder.path() / GetParam().fileName;
    std::ofstream(target).put('x');
    const fs::path link = folder.path() / L"shortcut.lnk";
    ASSERT_TRUE(writeShortcut(link.wstring(), target.wstring()));
    std::string why;
    const auto read = readShellLinkFile(fromWide(link.wstring()), why);
    ASSERT_TRUE(read) << why;
    EXPECT_TRUE(why.empty()) << why;
    EXPECT_EQ(read->path, fromWide(target.wstring()));
    EXPECT_FALSE(read->fromUnicode);
}

INSTANTIATE_TEST_SUITE_P(Targets, ShellLinkTarget,
                         ::testing::Values(TargetCase{"plain", L"report.txt"},
                                           TargetCase{"blanks_and_dots", L"my report v1.2 (final).doc"},
                                           // é is in every Western ANSI code page: it comes back as that byte.
                                           TargetCase{"ansi_letter", L"r\u00e9sum\u00e9.txt"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BrokenCase {
    const char* name;
    const char* bytes;  // the file's content; nullptr: there is no file
    size_t size;
};

class ShellLinkBroken : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(ShellLinkBroken, GivesNoTargetAndSaysWhy) {
    ScratchFolder folder;
    const fs::path link = folder.path() / L"broken.lnk";
    if (GetParam().bytes) std::ofstream(link, std::ios::binary).write(GetParam().bytes, static_cast<std::streamsize>(GetParam().size));
    std::string why;
    EXPECT_FALSE(readShellLinkFile(fromWide(link.wstring()), why));
    EXPECT_FALSE(why.empty());
}

// The first bytes of a shortcut's header (its size and class id), then nothing: a cut-off file.
constexpr char kCutHeader[] = "\x4C\x00\x00\x00\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";

INSTANTIATE_TEST_SUITE_P(Files, ShellLinkBroken,
                         ::testing::Values(BrokenCase{"missing", nullptr, 0}, BrokenCase{"empty", "", 0},
                                           BrokenCase{"text", "not a shortcut at all\r\n", 23},
                                           BrokenCase{"cut_header", kCutHeader, sizeof kCutHeader - 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShellLinkFile, AMissingFileIsNamedInTheReason) {
    ScratchFolder folder;
    const std::string missing = folder.ansi(L"gone.lnk");
    std::string why;
    EXPECT_FALSE(readShellLinkFile(missing, why));
    EXPECT_NE(why.find(missing), std::string::npos) << why;
}

}  // namespace
}  // namespace skimmer::os
