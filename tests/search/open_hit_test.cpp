// The operations on a chosen hit, against the scripted host: what reaches the command line, the
// panel and the opener (that a path on the command line means exactly that path to the system's
// command interpreter: open_hit_posix_test.cpp, tests/os/shell_quote_win32_test.cpp).
#include "search/open_hit.h"

#include <gtest/gtest.h>

#include <regex>

#include "far/adv_control.h"
#include "far/keys.h"
#include "far/panel.h"
#include "host/services/macro_queue.h"
#include "os/path_syntax.h"
#include "tests/support/memory_registry.h"
#include "tests/support/test_host.h"

namespace skimmer::search {
namespace {

class HitFixture : public ::testing::Test {
protected:
    HitFixture() {
        tables.copyFrom(host.startupInfo());
        context.host = &tables;
        context.registry = &registry;
        context.FarRootKey = "Software\\Far";
        context.shellOpen = [this](std::string_view target) {
            opened.emplace_back(target);
            return openResult;
        };
        services.context = &context;
    }
    std::vector<test::HostCall> callsOf(const char* function, int command) {
        std::vector<test::HostCall> out;
        for (const auto& call : host.callsTo(function))
            if (call.args.size() > 1 && call.args[1] == command) out.push_back(call);
        return out;
    }

    test::TestHost host;
    platform::HostTables tables;
    platform::MemoryRegistry registry;
    platform::PluginContext context;
    HitServices services;
    std::vector<std::string> opened;
    os::OpenResult openResult{os::OpenResult::Started, {}, {}, false};
};

// Only a file by its path runs from the command line; a mail item or a URL has nothing to run.
struct RunCase {
    const char* name;
    const char* path;
    const char* url;
    const char* mailEntryId;
    bool runs;
};

class RunsFromCommandLineTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunsFromCommandLineTest, OnlyForAFileByItsPath) {
    results::TSearchResult hit;
    hit.Path = GetParam().path;
    hit.Url = GetParam().url;
    hit.MailEntryId = GetParam().mailEntryId;
    EXPECT_EQ(RunsFromCommandLine(hit), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Hits, RunsFromCommandLineTest,
    ::testing::Values(RunCase{"IndexFile", "/home/u/a.txt", "file:/home/u/a.txt", "", true},
                      RunCase{"LocateFileWithAColon", "/home/u/a:b", "/home/u/a:b", "", true},
                      RunCase{"MailByItsUrl", "mapi://{S-1-5}/Inbox/\uAC01", "mapi://{S-1-5}/Inbox/\uAC01", "", false},
                      RunCase{"MailByItsEntryId", "", "", "0102", false},
                      RunCase{"WebPage", "https://example.org/a?b=1", "https://example.org/a?b=1", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct GoToCase {
    const char* name;
    const char* path;
    const char* folder;  // nullptr: the panel folder is not changed
    const char* macro;
};

class GoToFileTest : public HitFixture, public ::testing::WithParamInterface<GoToCase> {};

TEST_P(GoToFileTest, SetsThePanelFolderAndPostsTheCursorMacro) {
    const GoToCase& c = GetParam();
    GoToFile(services, c.path);
    const auto folders = callsOf("Control", FCTL_SETPANELDIR);
    if (c.folder) {
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(folders[0].texts.at(0), c.folder);
    } else {
        EXPECT_TRUE(folders.empty());
    }
    const auto macros = callsOf("AdvControl", ACTL_KEYMACRO);
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(macros[0].args.at(2), MCMD_POSTMACROSTRING);
    EXPECT_EQ(macros[0].args.at(3), static_cast<long long>(KSFLAGS_DISABLEOUTPUT));
    EXPECT_EQ(macros[0].texts.at(0), c.macro);
}

INSTANTIATE_TEST_SUITE_P(Paths, GoToFileTest,
                         ::testing::Values(GoToCase{"file", "/work/report.doc", "/work/", "panel.setpos(0,\"report.doc\")"},
                                           GoToCase{"root_file", "/vmlinuz", "/", "panel.setpos(0,\"vmlinuz\")"},
                                           GoToCase{"blanks_kept", "/a b/c d.txt", "/a b/", "panel.setpos(0,\"c d.txt\")"},
                                           GoToCase{"no_folder", "loose", nullptr, "panel.setpos(0,\"loose\")"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    std::string fileName;
};

class GoToFileName : public HitFixture, public ::testing::WithParamInterface<NameCase> {};

// Whatever a file is called, the host's own macro parser reads the posted macro as exactly one
// panel action carrying the name byte for byte: no part of a name ever runs as macro code.
TEST_P(GoToFileName, IsOnePanelActionCarryingTheNameByteForByte) {
    const std::string& fileName = GetParam().fileName;
    if (fileName.find_first_of(os::folderEnds()) != std::string::npos)
        GTEST_SKIP() << "this system ends a folder there: no name holds it";
    GoToFile(services, "/srv/in/" + fileName);
    const auto macros = callsOf("AdvControl", ACTL_KEYMACRO);
    ASSERT_EQ(macros.size(), 1u);
    const host::services::MacroParse parsed = host::services::parseMacroText(macros[0].texts.at(0));
    ASSERT_TRUE(parsed.ok) << parsed.error << " in: " << macros[0].texts.at(0);
    ASSERT_EQ(parsed.actions.size(), 1u) << macros[0].texts.at(0);
    EXPECT_EQ(parsed.actions[0].kind, host::services::MacroAction::SetPanelPos);
    EXPECT_EQ(parsed.actions[0].panel, 0);
    EXPECT_EQ(parsed.actions[0].text, fileName);
    // FAR's own parser may read \x as C does, taking every hex digit that follows.
    EXPECT_FALSE(std::regex_search(macros[0].texts.at(0), std::regex(R"(\\x[0-9A-F]{2}[0-9A-Fa-f])")))
        << "a hex digit right after a \\x escape: " << macros[0].texts.at(0);
}

INSTANTIATE_TEST_SUITE_P(
    HostileNames, GoToFileName,
    ::testing::Values(NameCase{"ends_the_call_and_types_a_command",
                               "zqf10\") $Text \"touch PWNEDF10\" Enter panel.setpos(0,\"zz"},
                      NameCase{"closing_with_semicolon", "a\");b"}, NameCase{"quotes", "say \"hi\".txt"},
                      NameCase{"backslashes", "a\\b\\"}, NameCase{"escaped_quote_as_written", "x\\\")"},
                      NameCase{"macro_words", "$Text"}, NameCase{"key_names", "Enter CtrlF10 Esc"},
                      NameCase{"variable_and_call", "%r=panel.setpos(1,\"x\");"},
                      NameCase{"utf8", "\xc3\xa9t\xc3\xa9 \xe2\x82\xac"},
                      NameCase{"not_utf8", "bad\xff\xfe\x80\xc3"},
                      NameCase{"controls_before_hex_digits", "\x01" "a\x1b" "F7\x7f" "0\tb\nc\rd"},
                      NameCase{"blanks_at_both_ends", " lead and trail "}),
    [](const auto& info) { return std::string(info.param.name); });

// A header line, a line past the chain and a hit without a name go nowhere; a hit goes to its
// Folder + Title.
TEST_F(HitFixture, GoToLineUsesTheLinesFolderAndTitle) {
    std::vector<results::TSearchResult> chain(3);
    chain[0].IsGroupHeader = true;
    chain[0].Kind = "Files";
    chain[1].Folder = "/srv/";
    chain[1].Title = "notes.md";
    chain.resize(4);
    chain[3].Folder = "/srv/";
    chain[3].Title = "/srv/whole path.md";  // a locate hit: its Title is the path
    const LineLookup lines = [&chain](int32_t n) {
        return n >= 0 && n < static_cast<int32_t>(chain.size()) ? &chain[static_cast<size_t>(n)] : nullptr;
    };
    for (int32_t n : {0, 2, 4, -1}) GoToLine(services, lines, n);
    EXPECT_TRUE(host.callsTo("AdvControl").empty());
    GoToLine(services, lines, 1);
    const auto macros = callsOf("AdvControl", ACTL_KEYMACRO);
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_EQ(macros[0].texts.at(0), "panel.setpos(0,\"notes.md\")");
    EXPECT_EQ(callsOf("Control", FCTL_SETPANELDIR).at(0).texts.at(0), "/srv/");
    GoToLine(services, lines, 3);
    EXPECT_EQ(callsOf("AdvControl", ACTL_KEYMACRO).at(1).texts.at(0), "panel.setpos(0,\"whole path.md\")");
}

struct OpenCase {
    const char* name;
    os::OpenResult::Status status;
    bool mail;
    bool opens;            // the opener is asked
    const char* error;     // text of the error box, or nullptr
    const char* cmdLine;   // text put on the command line, or nullptr
};

class OpenHitTest : public HitFixture, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenHitTest, OpensTheUrlAndSaysWhatWentWrong) {
    const OpenCase& c = GetParam();
    openResult.status = c.status;
    openResult.error = "cannot start xdg-open: No such file or directory";
    openResult.command.argv = {"/usr/bin/vim", "/home/u/a b.txt"};
    results::TSearchResult hit;
    hit.Name = "a b.txt";
    hit.UrlW = "file:/home/u/a b.txt";
    if (c.mail) hit.MailEntryId = "00000000";
    host.answerMessage(-1);  // the notice: no buttons
    if (c.error) host.answerMessage(0);
    OpenHit(services, hit);

    const auto messages = host.callsTo("Message");
    ASSERT_GE(messages.size(), 1u);
    EXPECT_EQ(messages[0].args.at(1), static_cast<long long>(FMSG_LEFTALIGN));
    EXPECT_EQ(messages[0].args.at(3), 0) << "the notice has no buttons";
    EXPECT_EQ(messages[0].texts.at(1), "Skimmer");
    EXPECT_EQ(messages[0].texts.at(2), platform::GetMsgStr(tables, 73));
    EXPECT_EQ(opened, c.opens ? std::vector<std::string>{"file:/home/u/a b.txt"} : std::vector<std::string>{});
    if (c.error) {
        ASSERT_EQ(messages.size(), 2u);
        bool said = false;
        for (const auto& text : messages[1].texts) said = said || text.find(c.error) != std::string::npos;
        EXPECT_TRUE(said) << "the error box names the reason";
    } else {
        EXPECT_EQ(messages.size(), 1u);
    }
    const auto cmd = callsOf("Control", FCTL_SETCMDLINE);
    if (c.cmdLine) {
        ASSERT_EQ(cmd.size(), 1u);
        EXPECT_EQ(cmd[0].texts.at(0), c.cmdLine);
        const auto keys = callsOf("AdvControl", ACTL_POSTKEYSEQUENCE);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].args, (std::vector<long long>{tables.moduleNumber(), ACTL_POSTKEYSEQUENCE,
                                                        KSFLAGS_DISABLEOUTPUT, KEY_ENTER}));
    } else {
        EXPECT_TRUE(cmd.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, OpenHitTest,
    ::testing::Values(OpenCase{"started", os::OpenResult::Started, false, true, nullptr, nullptr},
                      OpenCase{"failed", os::OpenResult::Failed, false, true, "No such file or directory", nullptr},
                      OpenCase{"terminal_program", os::OpenResult::RunInTerminal, false, true, nullptr,
                               "/usr/bin/vim '/home/u/a b.txt'"},
                      OpenCase{"mail_without_store", os::OpenResult::Started, true, false, "no mail store", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HitFixture, TmpPanelPrefixIsReadWhenTheKeyExists) {
    std::string prefix = "kept";
    ReadTmpPanelPrefix(services, prefix);
    EXPECT_EQ(prefix, "kept");
    registry.setValue("Software\\Far\\Plugins\\TmpPanel", "Prefix", platform::MemoryRegistry::Value::string("tmp"));
    ReadTmpPanelPrefix(services, prefix);
    EXPECT_EQ(prefix, "tmp");
}

}  // namespace
}  // namespace skimmer::search
