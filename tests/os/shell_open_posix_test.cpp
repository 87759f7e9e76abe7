#include "os/shell_open.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <thread>

#include "tests/support/temp_home.h"

namespace skimmer::os {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

class FakePaths : public PathQuery {
public:
    std::map<std::string, PathFacts> entries;
    PathFacts facts(const std::string& path) const override {
        auto it = entries.find(path);
        return it == entries.end() ? PathFacts{} : it->second;
    }
    void file(const std::string& p, bool exec = false) { entries[p] = {true, false, exec}; }
    void dir(const std::string& p) { entries[p] = {true, true, false}; }
};

TEST(CommandLine, ExactlyOneExistingPathOrAUrl) {
    FakePaths files;
    files.file("/home/u/notes.txt");
    files.file("/home/u/my report.odt");
    files.file("/home/u/a; touch pwned");
    files.file("/home/u/$(id)", true);
    files.file("/usr/bin/tool", true);
    files.dir("/home/u/docs");
    struct Case {
        const char* line;
        CommandLineAction action;
        const char* target;
    };
    using A = CommandLineAction;
    for (auto c : {Case{"/home/u/notes.txt", A::OpenFile, "/home/u/notes.txt"},
                   Case{"  notes.txt  ", A::OpenFile, "/home/u/notes.txt"},
                   Case{"\"/home/u/my report.odt\"", A::OpenFile, "/home/u/my report.odt"},
                   Case{"/home/u/my report.odt", A::OpenFile, "/home/u/my report.odt"},
                   Case{"/home/u/a; touch pwned", A::OpenFile, "/home/u/a; touch pwned"},
                   Case{"$(id)", A::RunFile, "/home/u/$(id)"},
                   Case{"/usr/bin/tool", A::RunFile, "/usr/bin/tool"},
                   Case{"https://example.org/a?b=c", A::OpenUrl, "https://example.org/a?b=c"},
                   Case{"\"mailto:someone@example.org\"", A::OpenUrl, "mailto:someone@example.org"},
                   Case{"file:///home/u/notes.txt", A::OpenUrl, "file:///home/u/notes.txt"},
                   Case{"/home/u/docs", A::Command, ""},
                   Case{"/home/u/missing.txt", A::Command, ""},
                   Case{"/usr/bin/tool --help", A::Command, ""},
                   Case{"make:all", A::Command, ""},
                   Case{"https://example.org/ x", A::Command, ""},
                   Case{"\"/home/u/notes.txt\" \"x\"", A::Command, ""},
                   Case{"", A::Command, ""},
                   Case{"   ", A::Command, ""}}) {
        auto t = classifyCommandLine(c.line, "/home/u", files);
        EXPECT_EQ(t.action, c.action) << c.line;
        EXPECT_EQ(t.target, c.target) << c.line;
    }
    EXPECT_EQ(classifyCommandLine("notes.txt", "/home/u/", files).target, "/home/u/notes.txt");
}

TEST(DesktopFileIds, FirstDirectoryWinsAndDashesMayBeFolders) {
    FakePaths files;
    files.file("/user/applications/gedit.desktop");
    files.file("/sys/applications/gedit.desktop");
    files.file("/sys/applications/kde/kate.desktop");
    files.file("/sys/applications/org.x-y.desktop");
    Args dirs{"/user/applications", "/sys/applications"};
    EXPECT_EQ(findDesktopFile("gedit.desktop", dirs, files), "/user/applications/gedit.desktop");
    EXPECT_EQ(findDesktopFile("gedit", dirs, files), "/user/applications/gedit.desktop");
    EXPECT_EQ(findDesktopFile("kde-kate.desktop", dirs, files), "/sys/applications/kde/kate.desktop");
    EXPECT_EQ(findDesktopFile("org.x-y.desktop", dirs, files), "/sys/applications/org.x-y.desktop");
    for (const char* bad : {"", ".desktop", "../gedit.desktop", "kde/kate.desktop", "missing.desktop"})
        EXPECT_FALSE(findDesktopFile(bad, dirs, files)) << bad;
    EXPECT_FALSE(findDesktopFile("a-b-c-d-e-f-g-h-i-j-k.desktop", dirs, files)) << "many dashes: no blow-up";
}

TEST(DesktopFileIds, DirectoriesFollowXdg) {
    test::TempHome home;
    const char* old = std::getenv("XDG_DATA_DIRS");
    std::string saved = old ? old : "";
    setenv("XDG_DATA_DIRS", "/opt/share:relative:/usr/share", 1);
    auto dirs = applicationDirectories();
    if (old) setenv("XDG_DATA_DIRS", saved.c_str(), 1);
    else unsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(dirs, (Args{(home.data() / "applications").string(), "/opt/share/applications",
                          "/usr/share/applications"}));
}

// A private home with a recording program: it writes its arguments (NUL-separated), its session
// and where its standard descriptors point into a file, then exits with $FAKE_EXIT.
class ShellOpenTest : public ::testing::Test {
protected:
    void SetUp() override {
        bin_ = home_.root() / "bin";
        fs::create_directories(bin_);
        record_ = home_.root() / "record";
        writeScript("xdg-open");
        writeScript("recorder");
        savedPath_ = std::getenv("PATH");
        setenv("PATH", (bin_.string() + ":" + savedPath_).c_str(), 1);
        setenv("SKIMMER_RECORD", record_.c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        unsetenv("SKIMMER_RECORD");
        unsetenv("FAKE_EXIT");
    }

    void writeScript(const std::string& name) {
        std::ofstream(bin_ / name) << "#!/bin/sh\n"
                                      "fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2 | tr '\\n' ' ')\n"
                                      "{ for a in \"$@\"; do printf '%s\\0' \"$a\"; done\n"
                                      "  printf 'sid=%s\\0' \"$(cut -d' ' -f6 /proc/$$/stat)\"\n"
                                      "  printf 'fd=%s\\0' \"$fds\"\n"
                                      "} > \"$SKIMMER_RECORD.tmp\"\n"
                                      "mv \"$SKIMMER_RECORD.tmp\" \"$SKIMMER_RECORD\"\n"
                                      "exit ${FAKE_EXIT:-0}\n";
        fs::permissions(bin_ / name, fs::perms::owner_all);
    }

    // The recorded fields; waits (bounded) for a detached program to write them.
    Args recorded() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!fs::exists(record_) && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
        std::ifstream in(record_, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        Args fields;
        std::string field;
        while (std::getline(ss, field, '\0')) fields.push_back(field);
        return fields;
    }

    ShellOpener opener(ShellOpener::EntryLoader loader = {}) {
        return ShellOpener({.loadEntry = std::move(loader),
                            .applicationDirs = {(home_.data() / "applications").string()},
                            .openerWait = std::chrono::milliseconds(10000)});
    }

    test::TempHome home_;
    fs::path bin_;
    fs::path record_;
    std::string savedPath_;
};

TEST_F(ShellOpenTest, FilesGoToXdgOpenDetachedAsOneArgument) {
    const std::string hostile = (home_.root() / "a; touch pwned $(id) \"q\"\nx.txt").string();
    auto result = opener().open(hostile);
    EXPECT_EQ(result.status, OpenResult::Started) << result.error;
    auto fields = recorded();
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], hostile);
    EXPECT_NE(fields[1], "sid=" + std::to_string(getsid(0))) << "not in a session of its own";
    EXPECT_EQ(fields[2], "fd=/dev/null /dev/null /dev/null ");
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST_F(ShellOpenTest, FileUrlsGoToTheOpenerAsPaths) {
    auto raw = opener().open("file:/home/u/a b#1%41.txt");
    EXPECT_EQ(raw.status, OpenResult::Started) << raw.error;
    EXPECT_EQ(recorded().at(0), "/home/u/a b#1%41.txt");
    std::filesystem::remove(record_);
    auto standard = opener().open("file:///home/u/a%20b");
    EXPECT_EQ(standard.status, OpenResult::Started) << standard.error;
    EXPECT_EQ(recorded().at(0), "/home/u/a b");
    std::filesystem::remove(record_);
    EXPECT_EQ(opener().open("https://example.org/?q=a%20b").status, OpenResult::Started);
    EXPECT_EQ(recorded().at(0), "https://example.org/?q=a%20b") << "other URLs pass unchanged";
}

TEST_F(ShellOpenTest, AnOptionLikeNameIsNeverAnOption) {
    auto result = opener().open("-rf");
    EXPECT_EQ(result.status, OpenResult::Started) << result.error;
    EXPECT_EQ(recorded().at(0), "./-rf");
}

TEST_F(ShellOpenTest, OpenerFailuresAreReported) {
    setenv("FAKE_EXIT", "2", 1);
    auto result = opener().open("/no/such/file");
    EXPECT_EQ(result.status, OpenResult::Failed);
    EXPECT_EQ(result.error, "xdg-open: one of the files passed does not exist");

    auto missing = ShellOpener({.opener = "skimmer-no-such-opener"}).open("https://example.org");
    EXPECT_EQ(missing.status, OpenResult::Failed);
    EXPECT_NE(missing.error.find("cannot start skimmer-no-such-opener"), std::string::npos) << missing.error;
}

TEST_F(ShellOpenTest, ApplicationsStartFromTheirExecLine) {
    fs::create_directories(home_.data() / "applications" / "kde");
    std::ofstream(home_.data() / "applications" / "kde" / "rec.desktop") << "[Desktop Entry]\n";
    auto loader = [this](const std::string& path, DesktopLaunch& e, std::string&) {
        e.exec = (bin_ / "recorder").string() + " --from \"%k\" %f %i";
        e.icon = "rec-icon";
        EXPECT_EQ(path, (home_.data() / "applications" / "kde" / "rec.desktop").string());
        return true;
    };
    auto result = opener(loader).open("application://kde-rec.desktop");
    EXPECT_EQ(result.status, OpenResult::Started) << result.error;
    auto fields = recorded();
    ASSERT_EQ(fields.size(), 6u);  // %f had nothing to pass and went away
    EXPECT_EQ(Args(fields.begin(), fields.begin() + 4),
              (Args{"--from", (home_.data() / "applications/kde/rec.desktop").string(), "--icon", "rec-icon"}));
    EXPECT_EQ(fields[5], "fd=/dev/null /dev/null /dev/null ");

    auto unknown = opener(loader).open("application://nothing.desktop");
    EXPECT_EQ(unknown.status, OpenResult::Failed);
    EXPECT_EQ(unknown.error, "no application has the id \"nothing.desktop\"");
}

TEST_F(ShellOpenTest, DesktopFilesAndTerminalPrograms) {
    const fs::path entry = home_.root() / "top.desktop";
    std::ofstream(entry) << "[Desktop Entry]\n";
    auto terminal = [](const std::string&, DesktopLaunch& e, std::string&) {
        e = {.exec = "htop --tree", .path = "/tmp", .terminal = true};
        return true;
    };
    auto result = opener(terminal).open("file://" + entry.string());
    ASSERT_EQ(result.status, OpenResult::RunInTerminal) << result.error;
    EXPECT_EQ(result.command.argv, (Args{"htop", "--tree"}));
    EXPECT_EQ(result.command.workingDirectory, "/tmp");
    EXPECT_FALSE(fs::exists(record_)) << "nothing was started";

    auto broken = [](const std::string&, DesktopLaunch& e, std::string&) {
        e.exec = "app \"unterminated";
        return true;
    };
    auto bad = opener(broken).open(entry.string());
    EXPECT_EQ(bad.status, OpenResult::Failed);
    EXPECT_EQ(bad.error, entry.string() + ": an unterminated quote in the Exec line");

    auto unreadable = [](const std::string&, DesktopLaunch&, std::string& error) {
        error = "not a desktop entry";
        return false;
    };
    EXPECT_EQ(opener(unreadable).open(entry.string()).error, "not a desktop entry");
    EXPECT_EQ(opener().open(entry.string()).error, entry.string() + " is not an application entry")
        << "the default loader reads the file, which has no Exec line";
}

TEST_F(ShellOpenTest, DesktopEntriesAreReadFromTheirFiles) {
    const fs::path apps = home_.data() / "applications";
    fs::create_directories(apps);
    std::ofstream(apps / "rec.desktop") << "[Desktop Entry]\nType=Application\nName=Recorder\nName[de]=Rekorder\n"
                                           "Icon=rec\nExec=" << (bin_ / "recorder").string()
                                        << " \"a\\sb\" %k\nPath=/tmp\nTerminal=false\n";
    DesktopLaunch e;
    std::string error;
    ASSERT_TRUE(loadDesktopLaunch((apps / "rec.desktop").string(), e, error)) << error;
    EXPECT_EQ(e.icon, "rec");
    EXPECT_EQ(e.path, "/tmp");
    EXPECT_FALSE(e.terminal);
    EXPECT_EQ(e.location, (apps / "rec.desktop").string());

    // The default loader, end to end: the key-file escape \s and the Exec quoting both undone.
    auto result = ShellOpener({.applicationDirs = {apps.string()}}).open("application://rec.desktop");
    EXPECT_EQ(result.status, OpenResult::Started) << result.error;
    auto fields = recorded();
    ASSERT_GE(fields.size(), 2u);
    EXPECT_EQ(fields[0], "a b");
    EXPECT_EQ(fields[1], (apps / "rec.desktop").string());
}

TEST_F(ShellOpenTest, WhatIsNoApplicationEntryIsRefused) {
    const fs::path dir = home_.root();
    std::ofstream(dir / "link.desktop") << "[Desktop Entry]\nType=Link\nURL=https://example.org\n";
    std::ofstream(dir / "noexec.desktop") << "[Desktop Entry]\nType=Application\nName=x\n";
    std::ofstream(dir / "nogroup.desktop") << "Exec=x\n";
    std::ofstream(dir / "huge.desktop") << "[Desktop Entry]\nExec=x\n# " << std::string(kMaxDesktopFileSize, 'x');
    ASSERT_EQ(mkfifo((dir / "fifo.desktop").c_str(), 0600), 0);
    for (const char* name : {"link.desktop", "noexec.desktop", "nogroup.desktop", "huge.desktop", "fifo.desktop",
                             "missing.desktop"}) {
        DesktopLaunch e;
        std::string error;
        EXPECT_FALSE(loadDesktopLaunch((dir / name).string(), e, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace skimmer::os
