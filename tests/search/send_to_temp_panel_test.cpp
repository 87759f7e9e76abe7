// Sending the hits to the Temporary Panel, against the scripted host: the list file's bytes, the
// macro that the host's own parser turns back into exactly the typed command and the saved line,
// and the notice that stops for good once its box is ticked and accepted.
#include "search/send_to_temp_panel.h"

#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <fstream>

#include "config/catalogue.h"
#include "config/registry_primitives.h"
#include "far/adv_control.h"
#include "far/keys.h"
#include "far/panel.h"
#include "host/services/macro_queue.h"
#include "os/utf8.h"
#include "tests/support/memory_registry.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::search {
namespace {

namespace fs = std::filesystem;

struct ChainOf {
    // "#header" stands for a group header line.
    explicit ChainOf(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            results::TDynamicSearchResult& node = nodes.emplace_back();
            node.Result.IsGroupHeader = path == "#header";
            if (!node.Result.IsGroupHeader) node.Result.Path = path;
        }
        for (size_t i = 0; i + 1 < nodes.size(); ++i) nodes[i].Next = &nodes[i + 1];
    }
    const results::TDynamicSearchResult* first() const { return nodes.empty() ? nullptr : &nodes.front(); }
    std::deque<results::TDynamicSearchResult> nodes;
};

struct ListCase {
    const char* name;
    std::vector<std::string> paths;
    std::string bytes;
    size_t leftOut;
};

class ListText : public ::testing::TestWithParam<ListCase> {};

// Headers and empty paths never reach the file; every other path is written byte for byte, one
// per LF-ended line, unless a line cannot hold it.
TEST_P(ListText, WritesEachPathAsOneLine) {
    const ListCase& c = GetParam();
    const ChainOf chain(c.paths);
    const TempPanelListText list = tempPanelListText(chain.first());
    EXPECT_EQ(list.bytes, c.bytes);
    EXPECT_EQ(list.leftOut, c.leftOut);
}

INSTANTIATE_TEST_SUITE_P(
    Chains, ListText,
    ::testing::Values(ListCase{"empty", {}, "", 0},
                      ListCase{"headers_and_empty_paths", {"#header", "", "/a/b.txt", "#header", "/c"}, "/a/b.txt\n/c\n", 0},
                      ListCase{"blanks_kept", {" /lead", "/two  blanks ", "/tail "}, " /lead\n/two  blanks \n/tail \n", 0},
                      ListCase{"non_ascii_and_escapes",
                               {"/h/\xc3\xa9t\xc3\xa9.txt", "/h/\x1b[31mred", "/h/bad\xff\xfe", "/h/tab\there", "/h/cr\rmid"},
                               "/h/\xc3\xa9t\xc3\xa9.txt\n/h/\x1b[31mred\n/h/bad\xff\xfe\n/h/tab\there\n/h/cr\rmid\n", 0},
                      ListCase{"line_breaks_left_out", {"/h/new\nline", "/h/ok", "/h/ends\r"}, "/h/ok\n", 2}),
    [](const auto& info) { return std::string(info.param.name); });

// What the host types for a macro: the texts of Text actions and the characters of Key actions.
std::string replay(const std::vector<host::services::MacroAction>& actions, size_t& enters) {
    std::string typed;
    for (const auto& a : actions) {
        if (a.kind == host::services::MacroAction::Text) typed += a.text;
        else if (a.key == KEY_ENTER) ++enters, typed += "<Enter>";
        else if (a.key == KEY_SPACE) typed += ' ';
        else if (a.key > 0 && a.key < 0x80) typed.push_back(static_cast<char>(a.key));
        else if (a.key >= 0x80 && a.key < 0x110000) os::appendUtf8(typed, static_cast<char32_t>(a.key));  // one letter
        else typed += "<?>";
    }
    return typed;
}

struct MacroCase {
    const char* name;
    std::string command;
    std::string saved;
};

class KeySequence : public ::testing::TestWithParam<MacroCase> {};

// The host's macro parser reads the sequence back as exactly: the command, one Enter, the saved
// line — whatever bytes either holds.
TEST_P(KeySequence, TypesTheCommandEnterAndTheSavedLine) {
    const MacroCase& c = GetParam();
    const std::string sequence = tempPanelKeySequence(c.command, c.saved);
    const host::services::MacroParse parsed = host::services::parseMacroText(sequence);
    ASSERT_TRUE(parsed.ok) << parsed.error << " in: " << sequence;
    size_t enters = 0;
    EXPECT_EQ(replay(parsed.actions, enters), c.command + "<Enter>" + c.saved);
    EXPECT_EQ(enters, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, KeySequence,
    ::testing::Values(MacroCase{"plain", "tmp:/tmp/skimmer.1/TempPanel.temp", ""},
                      MacroCase{"blanks", "tmp:/tmp/my dir/TempPanel.temp", "ls  -l "},
                      MacroCase{"syntax_characters", "x:\"$%\\", "echo \"$HOME\" %PATH% $Text"},
                      MacroCase{"non_ascii", "tmp:/tmp/\xc3\xa9t\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "caf\xc3\xa9"},
                      MacroCase{"control_and_bad_bytes", "tmp:/t/\x1b[1m\x7f", "a\tb\xff\xc3"},
                      MacroCase{"key_names_as_text", "Enter", "Space Esc panel.setpos(0,\"x\")"}),
    [](const auto& info) { return std::string(info.param.name); });

// The whole hand-over against the scripted host, with the settings in a memory registry.
class SendFixture : public ::testing::Test {
protected:
    SendFixture() {
        tables.copyFrom(host.startupInfo());
        location = config::settingsLocation(&registry, "Software\\Far\\Plugins");
        settings = freshSettings();
        std::string error;
        tempDir = os::TempDir::create("skimmer", "send", error, home.root());
        EXPECT_TRUE(tempDir) << error;
        hitContext.host = &tables;
        hitContext.registry = &registry;
        hitContext.FarRootKey = "Software\\Far";
        hitContext.config = settings.get();
        hitContext.tempDir = tempDir.get();
        env.hits.context = &hitContext;
        host.commandLine = "make -j2";
    }
    std::unique_ptr<config::TRegistryConfig> freshSettings() {
        auto table = std::make_unique<config::TRegistryConfig>();
        table->location_ = location;
        table->reportError_ = [](const std::string& e) { ADD_FAILURE() << e; };
        config::configSetupCatalogue(*table);
        return table;
    }
    bool storedShowTPW() {
        auto reloaded = freshSettings();
        config::TConfigValue value = config::TConfigValue::boolean(false);
        EXPECT_TRUE(config::getConfigValue(*reloaded, "ESKSShowTPW", value));
        return value.BoolValue;
    }
    size_t noticesShown() { return host.callsTo("DialogEx").size(); }
    std::vector<test::HostCall> macros() {
        std::vector<test::HostCall> out;
        for (const auto& call : host.callsTo("AdvControl"))
            if (call.args.at(1) == ACTL_KEYMACRO) out.push_back(call);
        return out;
    }
    std::string listFile() {
        std::ifstream in(tempDir->pathOf(kTempPanelListName), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void tickTheBox(bool tick) {
        host.fillNextDialog([tick](FarDialogItem* items, int count) {
            for (int i = 0; i < count; ++i)
                if (items[i].Type == DI_CHECKBOX) items[i].Selected = tick ? 1 : 0;
        });
    }

    test::TempHome home;
    test::TestHost host;
    platform::HostTables tables;
    platform::MemoryRegistry registry;
    config::SettingsLocation location;
    std::unique_ptr<config::TRegistryConfig> settings;
    std::unique_ptr<os::TempDir> tempDir;
    platform::PluginContext hitContext;  // what the hand-over refers to
    TempPanelEnv env;
    ChainOf chain{{"#header", "/w/a b.txt", "/w/\xc3\xa9\x1b.md", ""}};
};

TEST_F(SendFixture, WritesTheListAndPostsTheCommandMacroOnce) {
    registry.createKey("Software\\Far\\Plugins\\TmpPanel")->writeString("Prefix", "tmp");
    host.answerDialog(-1);  // the notice, escaped
    ASSERT_EQ(SendToTempPanel(env, chain.first()), 0);
    EXPECT_EQ(listFile(), "/w/a b.txt\n/w/\xc3\xa9\x1b.md\n");
    const auto posted = macros();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].args.at(2), MCMD_POSTMACROSTRING);
    EXPECT_EQ(posted[0].args.at(3), static_cast<long long>(KSFLAGS_DISABLEOUTPUT));
    EXPECT_EQ(posted[0].texts.at(0),
              tempPanelKeySequence("tmp:" + tempDir->pathOf("TempPanel.temp").string(), "make -j2"));
    // The line is cleared before the macro types on it.
    const auto lines = host.callsTo("Control");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().args.at(1), FCTL_SETCMDLINE);
    EXPECT_EQ(host.commandLine, "");
}

TEST_F(SendFixture, WithoutThePrefixKeyTheCommandStartsWithTheColon) {
    host.answerDialog(-1);
    ASSERT_EQ(SendToTempPanel(env, chain.first()), 0);
    const std::string text = macros().at(0).texts.at(0);
    // The keys typed: the colon, then the list file's path (its first character here).
    const std::string listPath = tempDir->pathOf(kTempPanelListName).string();
    EXPECT_EQ(text.rfind(": " + listPath.substr(0, 1) + " ", 0), 0u) << text;
}

struct NoticeCase {
    const char* name;
    int answer;       // -1 Escape, else the FAR index of "BOK" (the dialog's last item)
    bool tick;
    bool stored;      // "ESKSShowTPW" on disk afterwards
    size_t secondly;  // notices shown by a second send
};

class NoticeRule : public SendFixture, public ::testing::WithParamInterface<NoticeCase> {};

// Only a ticked box closed with "O&K" stops the notice, and it is saved at once; Escape keeps
// nothing, ticked or not.
TEST_P(NoticeRule, ShowsTheNoticeUntilItsBoxIsAccepted) {
    const NoticeCase& c = GetParam();
    tickTheBox(c.tick);
    host.answerDialog(c.answer);
    ASSERT_EQ(SendToTempPanel(env, chain.first()), 0);
    ASSERT_EQ(noticesShown(), 1u);
    const test::HostCall notice = host.callsTo("DialogEx").at(0);
    EXPECT_EQ(notice.args.at(3), 56);  // x2 as the width of a centred dialog
    EXPECT_EQ(notice.args.at(4), 12);
    EXPECT_EQ(storedShowTPW(), c.stored);
    for (size_t i = 0; i < c.secondly; ++i) host.answerDialog(-1);
    ASSERT_EQ(SendToTempPanel(env, chain.first()), 0);
    EXPECT_EQ(noticesShown(), 1u + c.secondly);
    EXPECT_EQ(macros().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Answers, NoticeRule,
                         ::testing::Values(NoticeCase{"ticked_ok", 8, true, true, 0},
                                           NoticeCase{"unticked_ok", 8, false, false, 1},
                                           NoticeCase{"ticked_escape", -1, true, false, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// The notice's items in order: the double box, four lines of text, a separator, the check box
// bound to "ESKSShowTPW" (NoticeRule shows the binding), a separator and "O&K".
TEST_F(SendFixture, NoticeItemsStandWhereTheyBelong) {
    std::vector<std::array<int, 3>> items;  // type, x1, y1
    std::string box, button;
    std::vector<std::string> overflowing;  // texts that would run over the box's right side
    host.fillNextDialog([&](FarDialogItem* all, int count) {
        for (int i = 0; i < count; ++i) {
            items.push_back({all[i].Type, all[i].X1, all[i].Y1});
            if (i > 0 && all[i].X1 > 0 &&
                all[i].X1 + static_cast<int>(os::utf8CharacterCount(all[i].Data)) > all[0].X2)
                overflowing.emplace_back(all[i].Data);
        }
        box = all[0].Data;
        button = all[count - 1].Data;
    });
    host.answerDialog(-1);
    ASSERT_EQ(ShowTempPanelNotice(tables, *settings), -1);
    EXPECT_EQ(items, (std::vector<std::array<int, 3>>{{DI_DOUBLEBOX, 3, 1},
                                                      {DI_TEXT, 5, 2},
                                                      {DI_TEXT, 5, 3},
                                                      {DI_TEXT, 5, 4},
                                                      {DI_TEXT, 5, 5},
                                                      {DI_TEXT, 0, 6},
                                                      {DI_CHECKBOX, 5, 7},
                                                      {DI_TEXT, 0, 8},
                                                      {DI_BUTTON, 5, 9}}));
    EXPECT_EQ(box, "Skimmer");
    EXPECT_EQ(button, "O&K");
    EXPECT_TRUE(overflowing.empty()) << overflowing.front();
}

struct FailureCase {
    const char* name;
    bool noFolder;
    bool folderGone;
    bool refuseMacro;
    int32_t code;
};

class SendFailure : public SendFixture, public ::testing::WithParamInterface<FailureCase> {};

// Each failure is shown, returns its code, and leaves the command line as it was.
TEST_P(SendFailure, SaysWhyAndKeepsTheCommandLine) {
    const FailureCase& c = GetParam();
    config::setConfigValue(*settings, "ESKSShowTPW", config::TConfigValue::boolean(true));
    if (c.noFolder) hitContext.tempDir = nullptr;
    if (c.folderGone) {
        std::string error;
        ASSERT_TRUE(tempDir->remove(error)) << error;
    }
    host.acceptMacros = !c.refuseMacro;
    host.answerMessage(0);  // the error box
    EXPECT_EQ(SendToTempPanel(env, chain.first()), c.code);
    EXPECT_EQ(host.commandLine, "make -j2");
    EXPECT_EQ(macros().size(), c.refuseMacro ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Failures, SendFailure,
                         ::testing::Values(FailureCase{"no_folder", true, false, false, kTempPanelNoFolder},
                                           FailureCase{"folder_gone", false, true, false, kTempPanelWriteFailed},
                                           FailureCase{"macro_refused", false, false, true, kTempPanelMacroRefused}),
                         [](const auto& info) { return std::string(info.param.name); });

// Hits that no line can hold are counted in an error box; the others are still sent.
TEST_F(SendFixture, LeftOutPathsAreReported) {
    config::setConfigValue(*settings, "ESKSShowTPW", config::TConfigValue::boolean(true));
    ChainOf odd{{"/w/new\nline", "/w/fine"}};
    host.answerMessage(0);
    ASSERT_EQ(SendToTempPanel(env, odd.first()), 0);
    EXPECT_EQ(listFile(), "/w/fine\n");
    const auto boxes = host.callsTo("Message");
    ASSERT_EQ(boxes.size(), 1u);
    bool mentions = false;
    for (const std::string& text : boxes[0].texts) mentions |= text.find("1 hit") != std::string::npos;
    EXPECT_TRUE(mentions);
}

}  // namespace
}  // namespace skimmer::search
