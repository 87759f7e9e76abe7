// The temporary panel's command, list file and entries: every name a line can hold comes back
// exactly, and a list that cannot be used is refused whole with a reason.
#include "host/app/temp_panel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "host/app/temp_panel_list.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::app {
namespace {

namespace fs = std::filesystem;

struct CommandCase {
    const char* name;
    const char* line;
    const char* prefix;
    const char* file;     // nullptr: not a temporary panel command
    const char* error;    // a part of the error, or "" for none
    const char* options;  // the options taken: each set one as +name or -name, in a fixed order
};

std::string optionsText(const TempPanelOptions& o) {
    std::string out = o.number ? "+" + std::to_string(*o.number) : "";
    const auto add = [&](const char* name, const std::optional<bool>& v) {
        if (v) out += std::string(out.empty() ? "" : " ") + (*v ? "+" : "-") + name;
    };
    add("full", o.full);
    add("safe", o.safe);
    add("any", o.any);
    add("menu", o.menu);
    add("replace", o.replace);
    return out;
}

class TempPanelCommands : public ::testing::TestWithParam<CommandCase> {};

TEST_P(TempPanelCommands, NamesTheListFileAndOptionsOrIsNoCommand) {
    const CommandCase& c = GetParam();
    std::string error;
    const std::optional<TempPanelCommand> command = tempPanelCommand(c.line, c.prefix, error);
    ASSERT_EQ(command.has_value(), c.file != nullptr);
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(error.empty(), *c.error == '\0') << error;
    if (command && error.empty()) {
        EXPECT_EQ(command->listFile, c.file);
        EXPECT_EQ(optionsText(command->options), c.options);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TempPanelCommands,
    ::testing::Values(CommandCase{"plain", "tmp:/t/TempPanel.temp", "tmp", "/t/TempPanel.temp", "", ""},
                      CommandCase{"prefix_case_and_blanks", "TMP:  /t/a b/list ", "tmp", "/t/a b/list ", "", ""},
                      CommandCase{"quoted", "tmp:\"/t/a b/list\"", "tmp", "/t/a b/list", "", ""},
                      CommandCase{"relative", "tmp:list.temp", "tmp", "list.temp", "", ""},
                      CommandCase{"other_prefix", "mine:/t/l", "mine", "/t/l", "", ""},
                      CommandCase{"longer_word", "tmpx:/t/l", "tmp", nullptr, "", ""},
                      CommandCase{"no_colon", "tmp /t/l", "tmp", nullptr, "", ""},
                      CommandCase{"shell_line", "ls -l", "tmp", nullptr, "", ""},
                      CommandCase{"empty_prefix_opens_nothing", ":/t/l", "", nullptr, "", ""},
                      CommandCase{"no_file", "tmp:  ", "tmp", "", "", ""},
                      CommandCase{"every_option_any_case", "tmp:+FULL -safe +Any -menu +replace /t/l", "tmp", "/t/l",
                                  "", "+full -safe +any -menu +replace"},
                      CommandCase{"options_alone", "tmp: +full\t-replace", "tmp", "", "", "+full -replace"},
                      CommandCase{"the_last_word_counts", "tmp:+safe -safe l", "tmp", "l", "", "-safe"},
                      CommandCase{"ansi_taken_as_bytes", "tmp:+ansi l", "tmp", "l", "", ""},
                      CommandCase{"quoted_name_is_no_option", "tmp:+full \"-safe\"", "tmp", "-safe", "", "+full"},
                      CommandCase{"numbered_panel", "tmp:+3 l", "tmp", "l", "", "+3"},
                      CommandCase{"the_last_number_counts", "tmp:+3 +full +7", "tmp", "", "", "+7 +full"},
                      CommandCase{"minus_number_refused", "tmp:-3 l", "tmp", "", "does not take the option -3", ""},
                      CommandCase{"two_digits_refused", "tmp:+10 l", "tmp", "", "+10", ""},
                      CommandCase{"unknown_option_refused", "tmp:+fast l", "tmp", "", "does not take the option +fast", ""},
                      CommandCase{"minus_ansi_refused", "tmp:-ansi l", "tmp", "", "-ansi", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ParseCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> paths;
};

class ListParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ListParse, GivesEachLineBackExactly) { EXPECT_EQ(parseTempPanelList(GetParam().bytes), GetParam().paths); }

INSTANTIATE_TEST_SUITE_P(
    Bytes, ListParse,
    ::testing::Values(ParseCase{"lf", "/a\n/b\n", {"/a", "/b"}},
                      ParseCase{"crlf", "/a\r\n/b\r\n", {"/a", "/b"}},
                      ParseCase{"mixed_and_no_last_end", "/a\r\n/b\n/c", {"/a", "/b", "/c"}},
                      ParseCase{"empty_lines_skipped", "\n\r\n/a\n\n\n/b\r\n\r\n", {"/a", "/b"}},
                      ParseCase{"blanks_kept", " /lead\n/two  in\n/tail \n", {" /lead", "/two  in", "/tail "}},
                      ParseCase{"non_ascii_and_bad_bytes", "/\xc3\xa9t\xc3\xa9\n/bad\xff\xfe\n", {"/\xc3\xa9t\xc3\xa9", "/bad\xff\xfe"}},
                      ParseCase{"escapes_and_tabs", "/e\x1b[2J\x07\n/t\tab\n", {"/e\x1b[2J\x07", "/t\tab"}},
                      ParseCase{"only_one_cr_dropped", "/cr\r\r\n/mid\rdle\n", {"/cr\r", "/mid\rdle"}},
                      ParseCase{"quotes_and_backslashes_kept", "\"/q\"\n/b\\s\n", {"\"/q\"", "/b\\s"}},
                      ParseCase{"empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ListFolder {
    test::TempHome home;
    fs::path dir = home.root() / "lists";
    ListFolder() { fs::create_directories(dir); }
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    }
};

struct BadListCase {
    const char* name;
    const char* says;  // a piece of the reason
};

class BadList : public ::testing::TestWithParam<BadListCase> {};

// A missing, special, binary or huge list is refused with its reason; a panel that held a good
// list keeps it.
TEST_P(BadList, IsRefusedWholeAndThePanelStays) {
    const BadListCase& c = GetParam();
    ListFolder f;
    std::ofstream(f.dir / "kept") << "";
    TempPanel panel;
    std::string error;
    ASSERT_TRUE(panel.load(f.write("good", "kept\n"), error)) << error;
    const std::string bad = (f.dir / "bad").string();
    const std::string kind = c.name;
    if (kind == "binary") f.write("bad", std::string("/a\n/b\0c\n", 7));
    if (kind == "huge") {
        f.write("bad", "/a\n");
        ASSERT_EQ(::truncate(bad.c_str(), static_cast<off_t>(kMaxListBytes + 1)), 0);
    }
    if (kind == "folder") fs::create_directories(bad);
    if (kind == "fifo") {
        ASSERT_EQ(::mkfifo(bad.c_str(), 0600), 0);
    }
    EXPECT_FALSE(panel.load(bad, error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
    EXPECT_EQ(panel.listFile(), (f.dir / "good").string());
    ASSERT_EQ(panel.entries().size(), 2u);
    EXPECT_EQ(panel.entries()[1].name, (f.dir / "kept").string());
}

INSTANTIATE_TEST_SUITE_P(Lists, BadList,
                         ::testing::Values(BadListCase{"missing", "No such file"}, BadListCase{"folder", "not a regular"},
                                           BadListCase{"fifo", "not a regular"}, BadListCase{"binary", "zero byte"},
                                           BadListCase{"huge", "larger than 64 MB"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The entries follow the list: ".." first, then each path in order, described as it is on disk
// (folder, program, file, missing, dangling link); a relative line is below the list's folder.
TEST(TempPanel, ListsThePathsInOrderAndMarksTheMissing) {
    ListFolder f;
    const fs::path data = f.home.root() / "data";
    fs::create_directories(data / "sub dir");
    std::ofstream(data / "run.sh") << "#!/bin/sh\n";
    fs::permissions(data / "run.sh", fs::perms::owner_exec, fs::perm_options::add);
    std::ofstream(data / "na\xc3\xafve \x1b[1m.txt") << "12345";
    std::ofstream(f.dir / "beside.txt") << "1";
    fs::create_symlink(data / "gone", data / "dangling");
    const std::string list = (data / "na\xc3\xafve \x1b[1m.txt").string() + "\r\n" + (data / "sub dir").string() + "\n" +
                             (data / "nothing here").string() + "\n" + (data / "run.sh").string() + "\n\nbeside.txt\n" +
                             (data / "dangling").string() + "\n";
    TempPanel panel;
    std::string error;
    ASSERT_TRUE(panel.load(f.write("list.temp", list), error)) << error;
    const auto& e = panel.entries();
    ASSERT_EQ(e.size(), 7u);
    EXPECT_EQ(e[0].name, "..");
    EXPECT_EQ(e[1].name, (data / "na\xc3\xafve \x1b[1m.txt").string());
    EXPECT_EQ(e[1].size, 5u);
    EXPECT_TRUE(e[2].isDir);
    EXPECT_TRUE(e[3].isMissing);
    EXPECT_EQ(e[3].name, (data / "nothing here").string());
    EXPECT_TRUE(e[4].isExecutable);
    EXPECT_EQ(e[5].name, (f.dir / "beside.txt").string());
    EXPECT_FALSE(e[5].isMissing);
    EXPECT_TRUE(e[6].isLink);
    EXPECT_FALSE(e[6].isMissing);
    EXPECT_EQ(panel.currentPath(), "");  // the cursor starts on ".."
    panel.moveTo(3);
    EXPECT_EQ(panel.currentPath(), (data / "nothing here").string());
    // A file that appears later is found by reload(); the cursor stays.
    std::ofstream(data / "nothing here") << "now";
    panel.reload();
    EXPECT_FALSE(panel.entries()[3].isMissing);
    EXPECT_EQ(panel.current(), 3);
}

}  // namespace
}  // namespace skimmer::host::app
