// The help viewer headless: F1 in a dialog, menu or message box with a help topic shows that topic
// from the .hlf file beside the plug-in's module; links are walked and followed, Backspace goes
// back, Esc gives back the window exactly as it was; missing files and topics are told, and the
// ShowHelp service keeps FAR's flags.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "far/colors.h"
#include "far/plugin.h"
#include "host/ui/help_window.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::ui::test {
namespace {

constexpr int kPlugin = 7;

std::string helpText() {
    std::string text =
        ".Language=English,English\n"
        "@Contents\n$Contents page\n contents body\n"
        "@Main\n$^Main topic\n First ~Second~@Second@ then ~Third~@Third@.\n Bad ~broken~@Nowhere@ link.\n"
        " Escape: \x1b[31m red\n"
        "@Second\n$Second topic\n You reached the second topic.\n"
        "@Third\n$Third topic\n third\n"
        "@Help\n$Help on help\n keys\n"
        "@Long\n$Long topic\n";
    for (int i = 0; i < 60; ++i) text += " line " + std::to_string(i) + "\n";
    return text;
}

// A plug-in module folder holding the help file, known to the UI as plug-in kPlugin's.
struct HelpUi : UiHarness {
    HelpUi() {
        std::filesystem::create_directories(folder());
        std::ofstream(folder() / "plug_en.hlf", std::ios::binary) << helpText();
        context.setModuleResolver([this](int n) { return n == kPlugin ? (folder() / "plug.so").string() : std::string(); });
    }
    std::filesystem::path folder() const { return home.root() / "plugins" / "plug"; }
    std::vector<std::string> screen() {
        std::vector<std::string> rows;
        for (int y = 0; y < cells().height(); ++y) rows.push_back(row(y));
        return rows;
    }
    bool shows(std::string_view text) {
        for (const auto& r : screen())
            if (r.find(text) != std::string::npos) return true;
        return false;
    }
    skimmer::test::TempHome home;
};

int runDialog(const char* topic, int plugin = kPlugin) {
    std::vector<FarDialogItem> items = {item(DI_DOUBLEBOX, 3, 1, 36, 6, "Settings"), item(DI_EDIT, 5, 2, 30, 2, "typed"),
                                        item(DI_BUTTON, 5, 4, 0, 4, "OK")};
    return DialogEx(plugin, -1, -1, 40, 8, topic, items.data(), static_cast<int>(items.size()), 0, 0, nullptr, 0);
}

int runMenu(const char* topic) {
    FarMenuItem entries[2] = {};
    std::strcpy(entries[0].Text, "&First");
    std::strcpy(entries[1].Text, "&Second");
    return Menu(kPlugin, -1, -1, 0, 0, "Menu", "", topic, nullptr, nullptr, entries, 2);
}

int runMessage(const char* topic) {
    const char* lines[] = {"Title", "Body line", "Ok"};
    return Message(kPlugin, 0, topic, lines, 3, 1);
}

struct WindowCase {
    const char* name;
    int (*run)(const char* topic);
};

class HelpFromWindow : public testing::TestWithParam<WindowCase> {};

TEST_P(HelpFromWindow, F1ShowsTheTopicAndEscGivesTheWindowBackUnchanged) {
    HelpUi ui;
    std::vector<std::string> before, during, after;
    ui.events.then([&] { before = ui.screen(); })
        .key(KEY_F1)
        .then([&] { during = ui.screen(); })
        .key(KEY_ESC)
        .then([&] { after = ui.screen(); })
        .key(KEY_ESC);
    GetParam().run("Main");
    ASSERT_EQ(during.size(), 25u);
    EXPECT_NE(during[0].find("Help"), std::string::npos) << during[0];
    EXPECT_NE(during[1].find("Main topic"), std::string::npos) << during[1];
    EXPECT_NE(during[2].find("First Second then Third."), std::string::npos) << during[2];
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(Windows, HelpFromWindow,
                         testing::Values(WindowCase{"Dialog", [](const char* t) { return runDialog(t); }},
                                         WindowCase{"Menu", runMenu}, WindowCase{"Message", runMessage}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HelpViewer, WalksLinksFollowsThemGoesBackAndScrolls) {
    HelpUi ui;
    auto selected = [&](std::string_view word) {
        const int x = ui.find(2, word);
        return x >= 0 && ui.attr(x, 2) == ui.context.color(COL_HELPSELECTEDTOPIC);
    };
    std::vector<std::string> log;
    auto note = [&](std::string what) { log.push_back(what); };
    ui.events.key(KEY_F1)
        .then([&] { note(selected("Second") ? "first link selected" : "no selection"); })
        .then([&] { note(ui.row(4).find('\x1b') == std::string::npos ? "no escape byte" : "escape byte drawn"); })
        .key(KEY_TAB)
        .then([&] { note(selected("Third") && !selected("Second") ? "tab to Third" : "tab failed"); })
        .key(KEY_SHIFTTAB)
        .key(KEY_ENTER)
        .then([&] { note(ui.shows("You reached the second topic.") ? "followed" : "not followed"); })
        .key(KEY_BS)
        .then([&] { note(ui.shows("Main topic") && selected("Second") ? "back where left" : "back failed"); })
        .key(KEY_TAB)
        .key(KEY_TAB)
        .key(KEY_ENTER)
        .then([&] { note(ui.shows("Help topic not found:") ? "broken link told" : "broken link silent"); })
        .key(KEY_ENTER)
        .then([&] { note(ui.shows("Main topic") ? "still on Main" : "lost Main"); })
        .key(KEY_F1)
        .then([&] { note(ui.shows("Help on help") ? "help on help" : "no help on help"); })
        .key(KEY_ALTF1)
        .click(21, 2)  // on "Third": the body's first row, text from column 2, indented by one
        .then([&] { note(ui.shows("Third topic") ? "clicked" : "click missed"); })
        .key(KEY_BS)
        .key(KEY_ESC)
        .then([&] { note(ui.shows("typed") && !ui.shows("Main topic") ? "dialog back" : "dialog lost"); })
        .key(KEY_ESC);
    runDialog("Main");
    EXPECT_EQ(log, (std::vector<std::string>{"first link selected", "no escape byte", "tab to Third", "followed",
                                             "back where left", "broken link told", "still on Main", "help on help",
                                             "clicked", "dialog back"}));
}

TEST(HelpViewer, ScrollsTheBodyUnderAFixedHeader) {
    HelpUi ui;
    std::vector<std::string> rows;
    auto note = [&] { rows.push_back(ui.row(1) + "|" + ui.row(2) + "|" + ui.row(23)); };
    ui.events.key(KEY_F1).then(note).key(KEY_DOWN).then(note).key(KEY_PGDN).then(note).key(KEY_END).then(note)
        .key(KEY_HOME).then(note).key(KEY_ESC).key(KEY_ESC);
    runDialog("Long");
    ASSERT_EQ(rows.size(), 5u);
    // 80x25: frame rows 0 and 24, header on row 1, body rows 2..23 (22 rows), a page is 21 rows.
    const char* firstRows[] = {" line 0", " line 1", " line 22", " line 38", " line 0"};
    const char* lastRows[] = {" line 21", " line 22", " line 43", " line 59", " line 21"};
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NE(rows[i].find("Long topic"), std::string::npos) << i;
        EXPECT_NE(rows[i].find(std::string(firstRows[i]) + " "), std::string::npos) << i << ": " << rows[i];
        EXPECT_NE(rows[i].find(std::string(lastRows[i]) + " "), std::string::npos) << i << ": " << rows[i];
    }
}

struct FailureCase {
    const char* name;
    const char* topic;
    int plugin;
    const char* told;  // "": nothing at all is shown
};

class HelpFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(HelpFailure, IsToldAndTheDialogStaysAsItWas) {
    HelpUi ui;
    std::vector<std::string> before, after;
    bool told = false;
    ui.events.then([&] { before = ui.screen(); })
        .key(KEY_F1)
        .then([&] { told = *GetParam().told ? ui.shows(GetParam().told) : ui.screen() == before; })
        .key(*GetParam().told ? KEY_ENTER : KEY_F1)
        .then([&] { after = ui.screen(); })
        .key(KEY_ESC);
    runDialog(GetParam().topic, GetParam().plugin);
    EXPECT_TRUE(told) << GetParam().told;
    EXPECT_EQ(after, before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HelpFailure,
    testing::Values(FailureCase{"MissingTopic", "Nowhere", kPlugin, "Help topic not found:"},
                    FailureCase{"UnknownPlugin", "Main", 3, "No help file is known for this window:"},
                    FailureCase{"MissingFolder", "</nonexistent/dir/>Main", kPlugin, "Cannot open the help file:"},
                    FailureCase{"FarOwnHelp", ":Viewer", kPlugin, "This host has no help of its own"},
                    FailureCase{"NoTopicNothingShown", "", kPlugin, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A dialog without a topic, or whose procedure answers DN_HELP with null, shows no help at all.
TEST(HelpInDialog, ProcedureAnsweringNullShowsNothing) {
    HelpUi ui;
    std::vector<std::string> before, after;
    ui.events.then([&] { before = ui.screen(); }).key(KEY_F1).then([&] { after = ui.screen(); }).key(KEY_ESC);
    std::vector<FarDialogItem> items = {item(DI_DOUBLEBOX, 3, 1, 36, 6, "Quiet")};
    auto proc = [](HANDLE h, int msg, int p1, LONG_PTR p2) -> LONG_PTR {
        return msg == DN_HELP ? 0 : DefDlgProc(h, msg, p1, p2);
    };
    DialogEx(kPlugin, -1, -1, 40, 8, "Main", items.data(), 1, 0, 0, proc, 0);
    EXPECT_EQ(after, before);
}

struct ServiceCase {
    const char* name;
    const char* module;  // relative to the plug-in folder; "" for none
    const char* topic;
    DWORD flags;
    BOOL result;
    const char* shown;  // text on screen while the call runs; "" for an unchanged screen
};

class ShowHelpService : public testing::TestWithParam<ServiceCase> {};

TEST_P(ShowHelpService, KeepsFarFlags) {
    HelpUi ui;
    const auto& c = GetParam();
    bool shown = false;
    if (*c.shown) ui.events.then([&] { shown = ui.shows(c.shown); }).key(KEY_ESC);
    const std::vector<std::string> before = ui.screen();
    const std::string module = *c.module ? (ui.folder() / c.module).string() : std::string();
    EXPECT_EQ(ShowHelp(*c.module ? module.c_str() : nullptr, c.topic, c.flags), c.result);
    if (!*c.shown) shown = ui.screen() == before;  // nothing may have been drawn
    EXPECT_TRUE(shown) << c.shown;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, ShowHelpService,
    testing::Values(ServiceCase{"SelfHelp", "plug.so", "Second", FHELP_SELFHELP, TRUE, "Second topic"},
                    ServiceCase{"NullTopicIsContents", "plug.so", nullptr, FHELP_SELFHELP, TRUE, "Contents page"},
                    ServiceCase{"CustomFile", "plug_en.hlf", "Third", FHELP_CUSTOMFILE, TRUE, "Third topic"},
                    ServiceCase{"CustomPath", ".", "Main", FHELP_CUSTOMPATH, TRUE, "Main topic"},
                    ServiceCase{"UseContents", "plug.so", "Nowhere", FHELP_SELFHELP | FHELP_USECONTENTS, TRUE,
                                "Contents page"},
                    ServiceCase{"MissingTold", "plug.so", "Nowhere", FHELP_SELFHELP, FALSE, "Help topic not found:"},
                    ServiceCase{"MissingQuiet", "plug.so", "Nowhere", FHELP_SELFHELP | FHELP_NOSHOWERROR, FALSE, ""},
                    ServiceCase{"FarHelp", "", "Viewer", FHELP_FARHELP, FALSE, "This host has no help of its own"},
                    ServiceCase{"NoModule", "", "Main", FHELP_SELFHELP, FALSE, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace skimmer::host::ui::test
