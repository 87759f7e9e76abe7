// The search window headless: the host's own dialog engine draws it into a cell buffer, keys are
// scripted, the rest of the host is the scriptable test host, and the engine is the locate engine
// over a fake `locate` that prints a fixed set of paths.
#include "search/search_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "config/catalogue.h"
#include "engines/hit_fields.h"
#include "results/group_plan.h"
#include "far/adv_control.h"
#include "far/keys.h"
#include "far/panel.h"
#include "host/ui/far_services.h"
#include "tests/host/ui/ui_harness.h"
#include "tests/support/temp_home.h"
#include "tests/support/test_host.h"

namespace skimmer::search {
namespace {

namespace fs = std::filesystem;
using host::ui::test::UiHarness;

// A `locate` that answers every query with the same hits (`lines`, shell words), whatever it is asked.
void writeFakeLocate(const fs::path& folder,
                     const std::string& lines = "/data/docs/report.txt '/data/docs/a; touch pwned' /data/reply.doc") {
    fs::create_directories(folder);
    const fs::path program = folder / "locate";
    std::ofstream(program) << "#!/bin/sh\n"
                              "[ \"$1\" = --version ] && { echo 'fake locate 1.0'; exit 0; }\n"
                              "printf '%s\\n' " << lines << "\n";
    fs::permissions(program, fs::perms::owner_all, fs::perm_options::replace);
}


// An engine run by a script, in the index engine's manner (its failures break it with the
// engine's "Safecall error"): "rep" finds the three hits the fake `locate` prints, in the first
// group; any other text finds "/data/TEXT.txt". Every engine the window makes reads one script.
struct FakeEngine {
    std::mutex mutex;
    std::string failKind;  // the first fetch of the next query with this kind word breaks
    int failFetch = 0;     // the Nth fetch from now breaks (counted over every query); 0: none
    int failOpens = 0;     // this many opens leave the engine unusable
    int opens = 0;
    std::vector<std::string> texts;  // each search's text (the query of its first group)
    std::map<std::string, std::vector<std::string>> rowsOf;  // a text's own rows, if any
    // The query being read.
    std::vector<std::string> rows;
    bool failing = false;

    int searchesOf(const std::string& text) {
        std::lock_guard lock(mutex);
        return static_cast<int>(std::count(texts.begin(), texts.end(), text));
    }
};

class ScriptedEngine : public engines::SearchEngine {
public:
    ScriptedEngine(engines::TEngineEnvironment env, FakeEngine& script) : SearchEngine(std::move(env)), f(script) {}

    engines::EngineChoice choice() const override { return engines::EngineChoice::WindowsSearch; }
    engines::EngineStatus open() override {
        std::lock_guard lock(f.mutex);
        ++f.opens;
        if (f.failOpens > 0) {
            --f.failOpens;
            return engines::EngineStatus::quiet(engines::kEngineNotInstalled, "the index was moved away");
        }
        ready_ = true;
        return {};
    }
    engines::EngineStatus query(std::string_view text, std::string_view kind) override {
        std::lock_guard lock(f.mutex);
        if (kind == results::kProgramsKind) f.texts.emplace_back(text);
        f.failing = !f.failKind.empty() && kind == f.failKind;
        if (f.failing) f.failKind.clear();
        f.rows.clear();
        if (const auto own = f.rowsOf.find(std::string(text)); kind == results::kProgramsKind && own != f.rowsOf.end())
            f.rows = own->second;
        else if (kind == results::kProgramsKind && text == "rep")
            f.rows = {"/data/docs/report.txt", "/data/docs/a; touch pwned", "/data/reply.doc"};
        else if (kind == results::kProgramsKind)
            f.rows = {"/data/" + std::string(text) + ".txt"};
        return {};
    }
    engines::EngineStatus fetch(results::TSearchResults& r) override {
        std::lock_guard lock(f.mutex);
        if (std::exchange(f.failing, false) || (f.failFetch > 0 && --f.failFetch == 0))
            return engines::EngineStatus::brokenBy(0x80004005, "Safecall error: '80004005'", "a damaged page");
        r.Count = 0;
        for (const std::string& path : f.rows) {
            results::TSearchResult& hit = r.Items[static_cast<size_t>(r.Count++)];
            hit = results::TSearchResult{};
            hit.Name = engines::NamePart(path);
            hit.Url = hit.Path = hit.PathW = hit.Title = hit.NameW = path;
            hit.Folder = hit.FolderW = hit.Target = engines::FolderPart(path);
            hit.Size = -1;
        }
        r.Finished = f.rows.empty();  // one batch of rows, then the end
        f.rows.clear();
        return {};
    }
    void endQuery() override {}
    engines::EngineStatus close() override {
        ready_ = false;
        return {};
    }

private:
    FakeEngine& f;
};

// FAR's viewer and editor as the window calls them: what they were asked to show.
std::vector<std::string> gShown;  // "view:PATH" or "edit:PATH"; the UI thread only
int FARAPI recordViewer(const char* name, const char*, int, int, int, int, DWORD) {
    gShown.push_back(std::string("view:") + name);
    return TRUE;
}
int FARAPI recordEditor(const char* name, const char*, int, int, int, int, DWORD, int, int) {
    gShown.push_back(std::string("edit:") + name);
    return TRUE;
}
int gDialogsOpened = 0;
int FARAPI countingDialogEx(int module, int x1, int y1, int x2, int y2, const char* help, FarDialogItem* items,
                            int count, DWORD reserved, DWORD flags, FARWINDOWPROC proc, LONG_PTR param) {
    ++gDialogsOpened;
    return host::ui::DialogEx(module, x1, y1, x2, y2, help, items, count, reserved, flags, proc, param);
}

class SearchWindowTest : public ::testing::Test {
protected:
    SearchWindowTest() : ui(100, 30) {
        ui.events.blockWhenEmpty = true;
        PluginStartupInfo info = host.startupInfo();
        info.DialogEx = countingDialogEx;
        info.Viewer = recordViewer;
        info.Editor = recordEditor;
        gShown.clear();
        gDialogsOpened = 0;
        info.SendDlgMessage = host::ui::SendDlgMessage;
        info.DefDlgProc = host::ui::DefDlgProc;
        info.Message = host::ui::Message;
        tables.copyFrom(info);
        config::configSetupCatalogue(config);
        writeFakeLocate(home.root() / "bin");
        config::setConfigValue(config, "ESKSSearchEngine", config::TConfigValue::integer(1));
        config::setConfigValue(config, "ESKSLocate32Path", config::TConfigValue::str((home.root() / "bin").string()));
        palette.assign(112, 0x1F);
        env.host = &tables;
        env.config = &config;
        env.groups = &groups;
        env.console = &console;
        env.FarRootKey = "Software\\Far";
        env.palette = &palette;
        env.NoDateText = "-";
        env.engineEnvironment.Config = &config;
        env.engineEnvironment.PollStep = std::chrono::milliseconds(20);
        env.shellOpen = [this](std::string_view target) {
            opened.emplace_back(target);
            return os::OpenResult{os::OpenResult::Started, {}, {}, false};
        };
    }

    // The scripted engine instead of the settings' choice (its groups are the index engine's).
    void useFakeEngine() {
        env.makeEngine = [this](engines::TEngineEnvironment engineEnv) {
            return std::make_unique<ScriptedEngine>(std::move(engineEnv), fake);
        };
        config::setConfigValue(config, "ESKSSearchEngine", config::TConfigValue::integer(0));
    }

    // Runs `check` on the UI thread once the screen shows `text` (the loop is woken and repaints
    // between looks); fails the test if it does not within `within`.
    void whenShown(const std::string& text, std::function<void()> check,
                   std::chrono::milliseconds within = std::chrono::seconds(30)) {
        whenSeen([this, text] { return screenHas(text); }, text, std::move(check), within);
    }
    // The same for any condition looked at on the UI thread.
    void whenSeen(std::function<bool()> seen, const std::string& what, std::function<void()> check,
                  std::chrono::milliseconds within = std::chrono::seconds(30)) {
        // The fixture owns each look; the look refers to itself weakly, so nothing is left behind
        // in a cycle when the test ends.
        auto look = looks_.emplace_back(std::make_shared<std::function<void()>>());
        const auto deadline = std::chrono::steady_clock::now() + within;
        *look = [this, seen, what, check, self = std::weak_ptr(look), deadline] {
            if (seen()) return check();
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "never seen: " << what << "\n" << screen();
                return check();
            }
            if (auto again = self.lock()) ui.events.push(host::ui::WakeEvent{}).then(*again);
        };
        ui.events.then(*look);
    }
    std::vector<std::shared_ptr<std::function<void()>>> looks_;
    bool screenHas(const std::string& text) { return screen().find(text) != std::string::npos; }
    std::string screen() {
        std::string all;
        for (int y = 0; y < 30; ++y) all += ui.row(y) + "\n";
        return all;
    }
    // After a reopening that kept the lines: the edit field still holds "rep", and the next key
    // continues it ("repo" is searched, not "o"); then Esc.
    void expectTextKeptAndContinued() {
        EXPECT_NE(editRow().find("rep"), std::string::npos) << screen();
        ui.events.type("o");
        whenShown("repo.txt", [&] {
            EXPECT_EQ(searchesOf("o"), 0);
            ui.events.key(KEY_ESC);
        });
    }
    int searchesOf(const std::string& text) { return fake.searchesOf(text); }

    // What the keys did, as the host saw it: the command line, the opener, the panel, the viewer,
    // the editor or the Temporary Panel's list.
    std::vector<std::string> actedOn(const os::TempDir& tempDir) {
        std::vector<std::string> acted;
        for (const auto& call : callsOf("Control", FCTL_SETCMDLINE))
            if (!call.texts.at(0).empty()) acted.push_back("cmdline:" + call.texts.at(0));
        for (const std::string& target : opened) acted.push_back("open:" + target);
        for (const auto& call : callsOf("Control", FCTL_SETPANELDIR)) acted.push_back("panel:" + call.texts.at(0));
        acted.insert(acted.end(), gShown.begin(), gShown.end());
        std::ifstream in(tempDir.pathOf("TempPanel.temp"), std::ios::binary);
        const std::string list(std::istreambuf_iterator<char>(in), {});
        if (!list.empty()) acted.push_back("temp:" + std::to_string(std::count(list.begin(), list.end(), '\n')) + " hits");
        return acted;
    }

    // The edit field's row: the one below the counter (the centred layout with buttons).
    std::string editRow() {
        for (int y = 0; y + 1 < 30; ++y)
            if (ui.find(y, "Hits:") >= 0) return ui.row(y + 1);
        return {};
    }
    std::vector<test::HostCall> callsOf(const char* function, int command) {
        std::vector<test::HostCall> out;
        for (const auto& call : host.callsTo(function))
            if (call.args.size() > 1 && call.args[1] == command) out.push_back(call);
        return out;
    }

    struct FixedConsole : platform::Console {
        std::optional<platform::ConsoleSize> screenBufferSize() const override { return platform::ConsoleSize{100, 30}; }
    };

    UiHarness ui;
    test::TestHost host;
    test::TempHome home;
    platform::HostTables tables;
    config::TRegistryConfig config;
    config::TSKSSortGroups groups;
    FixedConsole console;
    std::vector<uint8_t> palette;
    SearchWindowEnv env;
    std::vector<std::string> opened;
    FakeEngine fake;
};

TEST_F(SearchWindowTest, TypedTextShowsTheHeaderHitsAndCounter) {
    ui.events.type("rep");
    whenShown("reply.doc", [&] {
        EXPECT_TRUE(screenHas("Items by Locate32")) << screen();
        EXPECT_TRUE(screenHas("report.txt")) << screen();
        EXPECT_TRUE(screenHas("Hits: 3")) << screen();
        ui.events.key(KEY_ESC);
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    EXPECT_TRUE(opened.empty());
}

// A newer text ends the older text's search at once, though its `locate` has printed one hit and
// would run on for ten minutes: the newer text's hit is on the screen within seconds.
TEST_F(SearchWindowTest, ANewerTextEndsASlowOlderSearchAtOnce) {
    const fs::path program = home.root() / "bin" / "locate";
    std::ofstream(program) << "#!/bin/sh\n"
                              "case \"$*\" in\n"
                              "*new*) printf '/data/fresh.txt\\n' ;;\n"
                              "*) printf '/data/stale.txt\\n'; exec sleep 600 ;;\n"
                              "esac\n";
    ui.events.type("old");
    whenShown("stale.txt", [&] {
        ui.events.type("new");
        whenShown("fresh.txt", [&] {
            EXPECT_FALSE(screenHas("stale.txt")) << screen();
            ui.events.key(KEY_ESC);
        }, std::chrono::seconds(5));
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
}

struct KeyCase {
    const char* name;
    int key;
    int64_t keySequence;     // "SKSKeySequence"
    const char* commandLine; // what lands on FAR's command line, or nullptr
    bool enterPosted;        // Enter posted after it, so the host runs it
    const char* opened;      // what the opener was given, or nullptr
    const char* panelDir;    // where the file panel went, or nullptr
    const char* macro;       // the cursor macro posted, or nullptr
    bool staysOpen;          // the window is still open afterwards (Esc ends the test)
};

class WindowKeys : public SearchWindowTest, public ::testing::WithParamInterface<KeyCase> {};

// With the cursor on the hit named "a; touch pwned", each key does its one thing to that hit:
// the path reaches the command line quoted, the opener unquoted, the panel split into folder and
// name.
TEST_P(WindowKeys, ActOnTheCursorHit) {
    const KeyCase& c = GetParam();
    config::setConfigValue(config, "SKSKeySequence", config::TConfigValue::integer(static_cast<int32_t>(c.keySequence)));
    // The text comes from the command line, so one search runs: a text typed a key at a time may
    // still be refilling the list (and moving the cursor) when the keys arrive.
    host.commandLine = "rep";
    whenShown("Hits: 3", [&] {
        ui.events.key(KEY_DOWN).key(c.key);
        if (c.staysOpen) ui.events.key(KEY_ESC);
    });
    EXPECT_EQ(RunSearchWindow(env), 0);

    const auto commandLines = callsOf("Control", FCTL_SETCMDLINE);
    if (c.commandLine) {
        ASSERT_EQ(commandLines.size(), 1u);
        EXPECT_EQ(commandLines[0].texts.at(0), c.commandLine);
    } else {
        EXPECT_TRUE(commandLines.empty());
    }
    EXPECT_EQ(callsOf("AdvControl", ACTL_POSTKEYSEQUENCE).size(), c.enterPosted ? 1u : 0u);
    EXPECT_EQ(opened, c.opened ? std::vector<std::string>{c.opened} : std::vector<std::string>{});
    const auto dirs = callsOf("Control", FCTL_SETPANELDIR);
    const auto macros = callsOf("AdvControl", ACTL_KEYMACRO);
    if (c.panelDir) {
        ASSERT_EQ(dirs.size(), 1u);
        EXPECT_EQ(dirs[0].texts.at(0), c.panelDir);
        ASSERT_EQ(macros.size(), 1u);
        EXPECT_EQ(macros[0].texts.at(0), c.macro);
    } else {
        EXPECT_TRUE(dirs.empty());
        EXPECT_TRUE(macros.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, WindowKeys,
    ::testing::Values(
        KeyCase{"enter_runs_through_the_command_line", KEY_ENTER, 0, "'/data/docs/a; touch pwned'", true, nullptr, nullptr, nullptr, false},
        KeyCase{"shift_enter_opens", KEY_SHIFTENTER, 0, nullptr, false, "/data/docs/a; touch pwned", nullptr, nullptr, false},
        KeyCase{"swapped_enter_opens", KEY_ENTER, 1, nullptr, false, "/data/docs/a; touch pwned", nullptr, nullptr, false},
        KeyCase{"swapped_shift_enter_runs", KEY_SHIFTENTER, 1, "'/data/docs/a; touch pwned'", true, nullptr, nullptr, nullptr, false},
        KeyCase{"ctrl_enter_only_fills_the_command_line", KEY_CTRLENTER, 0, "'/data/docs/a; touch pwned'", false, nullptr, nullptr, nullptr, true},
        KeyCase{"f10_goes_to_the_file", KEY_F10, 0, nullptr, false, nullptr, "/data/docs/", "panel.setpos(0,\"a; touch pwned\")", false},
        KeyCase{"esc_leaves", KEY_ESC, 0, nullptr, false, nullptr, nullptr, nullptr, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Enter's command-line action on a hit that is a URL, not a file, opens it as Shift+Enter does:
// a command line holding a URL runs nothing.
class UrlHits : public SearchWindowTest, public ::testing::WithParamInterface<const char*> {};

// A hit whose path is a URL (a bookmark of the index) has no file to run: Enter opens it.
TEST_P(UrlHits, EnterOpensThemWithTheirApplication) {
    useFakeEngine();
    fake.rowsOf["bookmark"] = {GetParam()};
    host.commandLine = "bookmark";
    whenShown("Hits: 1", [&] { ui.events.key(KEY_DOWN).key(KEY_ENTER); });
    EXPECT_EQ(RunSearchWindow(env), 0);
    EXPECT_EQ(opened, std::vector<std::string>{GetParam()});
    EXPECT_TRUE(callsOf("Control", FCTL_SETCMDLINE).empty());
    EXPECT_TRUE(callsOf("AdvControl", ACTL_POSTKEYSEQUENCE).empty());
}

INSTANTIATE_TEST_SUITE_P(Urls, UrlHits, ::testing::Values("https://example.org/rep?a=1", "ftp://example.org/rep.txt"));

// F7 while no search runs reopens the window in the full-information layout with the same lines,
// and stores the switched setting.
TEST_F(SearchWindowTest, F7ReopensWithFullInformationAndTheSameLines) {
    useFakeEngine();
    int saves = 0;
    env.saveSettings = [&saves] { ++saves; };
    ui.events.type("rep");
    whenShown("Hits: 3", [&] {
        const int narrow = ui.find(3, "\u2554");
        // F7 is refused while the search still runs (the engine may still be reading); press it
        // again after each look until the window has reopened. A press that is taken is handled
        // (closed and reopened) before the next look, so the setting is switched exactly once.
        auto press = looks_.emplace_back(std::make_shared<std::function<void()>>());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        *press = [this, narrow, self = std::weak_ptr(press), deadline] {
            if (screenHas("data/docs/")) {  // the path column of the full-information lines
                // 78 cells instead of 54, still centred: the frame starts 12 cells further left.
                EXPECT_EQ(ui.find(3, "\u2554"), narrow - 12) << screen();
                EXPECT_TRUE(screenHas("report.txt")) << screen();
                expectTextKeptAndContinued();
                return;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "F7 never reopened the window\n" << screen();
                ui.events.key(KEY_ESC);
                return;
            }
            if (auto again = self.lock()) ui.events.key(KEY_F7).then(*again);
        };
        (*press)();
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    config::TConfigValue full = config::TConfigValue::boolean(false);
    config::getConfigValue(config, "SKSFullInfo", full);
    EXPECT_TRUE(full.BoolValue);
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(fake.searchesOf("rep"), 1) << "the kept lines are not searched again";
}

// F5 closes the window and hands every hit, in the window's order, to the Temporary Panel: the
// list file, then the macro that types its command over the cleared command line. The notice
// comes first while "ESKSShowTPW" is off; Escape leaves it and the hits still go.
TEST_F(SearchWindowTest, F5SendsEveryHitToTheTemporaryPanel) {
    std::string error;
    auto tempDir = os::TempDir::create("skimmer", "f5", error, home.root());
    ASSERT_TRUE(tempDir) << error;
    env.tempDir = tempDir.get();
    // The text comes from the command line, so one search runs: a text typed a key at a time
    // may still be refilling the list when F5 arrives.
    host.commandLine = "rep";
    whenShown("Hits: 3", [&] {
        ui.events.key(KEY_F5);
        whenShown(platform::GetMsgStr(tables, 99).substr(1), [&] { ui.events.key(KEY_ESC); });
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    std::ifstream in(tempDir->pathOf("TempPanel.temp"), std::ios::binary);
    const std::string list(std::istreambuf_iterator<char>(in), {});
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = list.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(list.substr(start, end - start));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"/data/docs/a; touch pwned", "/data/docs/report.txt", "/data/reply.doc"}));
    const auto macros = callsOf("AdvControl", ACTL_KEYMACRO);
    ASSERT_EQ(macros.size(), 1u);
    EXPECT_NE(macros[0].texts.at(0).find(" Enter "), std::string::npos);
    const auto commandLines = callsOf("Control", FCTL_SETCMDLINE);
    ASSERT_EQ(commandLines.size(), 1u);
    EXPECT_EQ(commandLines[0].texts.at(0), "");
}

// F9 while no search runs opens the settings dialog; accepting it reopens the window with the
// new settings (here: no buttons) and the same lines, without searching again.
TEST_F(SearchWindowTest, F9OpensTheSettingsAndReopensWithThemAndTheSameLines) {
    useFakeEngine();
    std::vector<int32_t> styles;
    env.listColorsFor = [&styles](int32_t style) {
        styles.push_back(style);  // the list's own colours (its empty rows, its scroll bar)
        return std::array<uint16_t, 4>{0xF0, 0xF0, 0xF0, 0xF7};
    };
    ui.events.type("rep");
    whenShown("Hits: 3", [&] {
        EXPECT_TRUE(screenHas("View")) << screen();
        // F9 is refused while the search still runs: press it after each look until the dialog is
        // there (59x24, centred on 100x30: its cell (x, y) is the screen's (x + 20, y + 3)).
        auto press = looks_.emplace_back(std::make_shared<std::function<void()>>());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        *press = [this, self = std::weak_ptr(press), deadline] {
            if (screenHas("settings: search window")) {
                // "SKSHideButtons", the first "SKSStyle" option, then OK.
                ui.events.click(20 + 5, 3 + 16).click(20 + 14, 3 + 11).click(20 + 5, 3 + 21);
                whenShown("report.txt", [&] {
                    EXPECT_FALSE(screenHas("View")) << screen();
                    EXPECT_NE(editRow().find("rep"), std::string::npos) << screen();
                    int row = 0;
                    while (row < 29 && ui.find(row, "report.txt") < 0) ++row;
                    const auto attr = ui.attr(ui.find(row, "report.txt"), row);
                    EXPECT_EQ(attr, 0xF0) << "the lines take the new style's fixed colours";
                    EXPECT_TRUE(screenHas("Hits: 3")) << screen();
                    expectTextKeptAndContinued();
                });
                return;
            }
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "F9 never opened the settings\n" << screen();
                ui.events.key(KEY_ESC);
                return;
            }
            if (auto again = self.lock()) ui.events.key(KEY_F9).then(*again);
        };
        (*press)();
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    config::TConfigValue hide = config::TConfigValue::boolean(false);
    config::getConfigValue(config, "SKSHideButtons", hide);
    EXPECT_TRUE(hide.BoolValue);
    EXPECT_EQ(styles, std::vector<int32_t>{0});
    EXPECT_EQ(fake.searchesOf("rep"), 1) << "the kept lines are not searched again";
}

struct BrokenEngineCase {
    const char* name;
    int32_t engine;     // "ESKSSearchEngine"
    const char* index;  // what the index file holds; nullptr: there is none
};

class BrokenEngine : public SearchWindowTest, public ::testing::WithParamInterface<BrokenEngineCase> {};

// A missing `locate`, a missing index and a damaged one are asked before the window opens: message
// 44 is said once and the window never opens (a window that did would end with the script).
TEST_P(BrokenEngine, IsSaidOnceAndTheWindowNeverOpens) {
    const BrokenEngineCase& c = GetParam();
    ui.events.blockWhenEmpty = false;
    config::setConfigValue(config, "ESKSSearchEngine", config::TConfigValue::integer(c.engine));
    config::setConfigValue(config, "ESKSLocate32Path", config::TConfigValue::str((home.root() / "nowhere").string()));
    env.engineEnvironment.IndexFile = home.root() / "index.sqlite";
    if (c.index) std::ofstream(env.engineEnvironment.IndexFile) << c.index;
    host.commandLine = "rep";
    const std::string unusable = platform::GetMsgStr(tables, 44);
    int said = 0;
    whenShown(unusable, [&] {
        ++said;
        ui.events.key(KEY_ENTER);
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    EXPECT_EQ(said, 1);
    EXPECT_EQ(gDialogsOpened, 0);
}

INSTANTIATE_TEST_SUITE_P(Engines, BrokenEngine,
                         ::testing::Values(BrokenEngineCase{"locate_missing", 1, nullptr},
                                           BrokenEngineCase{"index_missing", 0, nullptr},
                                           BrokenEngineCase{"index_damaged", 0, "SQLite format 3\0 but then nothing sane"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    const char* failKind;  // the group whose first fetch fails, or ""
    int failFetch;         // or the Nth fetch
};

struct RowKeyCase {
    const char* name;
    int key;
    bool staysOpen;
    const char* acted;
};

class FailedEngineRows : public SearchWindowTest,
                         public ::testing::WithParamInterface<std::tuple<FailureCase, RowKeyCase>> {};

// The engine fails in the second group, or on the second fetch of the first: the error is said,
// the lines filed before it stay, and every key that acts on a row acts on the hit the row shows
// (never on a freed one: the sanitizer builds check the memory).
TEST_P(FailedEngineRows, KeepTheirHitsAndEveryKeyActsOnThem) {
    const FailureCase& failure = std::get<0>(GetParam());
    const RowKeyCase& c = std::get<1>(GetParam());
    useFakeEngine();
    fake.failKind = failure.failKind;
    fake.failFetch = failure.failFetch;
    config::setConfigValue(config, "ESKSShowTPW", config::TConfigValue::boolean(true));
    std::string error;
    auto tempDir = os::TempDir::create("skimmer", "rows", error, home.root());
    ASSERT_TRUE(tempDir) << error;
    env.tempDir = tempDir.get();
    host.commandLine = "rep";
    whenShown("Safecall error: '80004005'", [&] {
        ui.events.key(KEY_ENTER);
        whenShown("Hits: 3", [&] {
            EXPECT_TRUE(screenHas("reply.doc")) << screen();
            ui.events.key(KEY_DOWN).key(c.key);
            if (c.staysOpen) ui.events.key(KEY_ESC);
        });
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    EXPECT_EQ(actedOn(*tempDir), std::vector<std::string>{c.acted});
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FailedEngineRows,
    ::testing::Combine(
        ::testing::Values(FailureCase{"in_group_2", results::kFavoritesKind, 0}, FailureCase{"on_fetch_2", "", 2}),
        ::testing::Values(RowKeyCase{"enter", KEY_ENTER, false, "cmdline:'/data/docs/a; touch pwned'"},
                          RowKeyCase{"shift_enter", KEY_SHIFTENTER, false, "open:/data/docs/a; touch pwned"},
                          RowKeyCase{"ctrl_enter", KEY_CTRLENTER, true, "cmdline:'/data/docs/a; touch pwned'"},
                          RowKeyCase{"f3", KEY_F3, true, "view:/data/docs/a; touch pwned"},
                          RowKeyCase{"f4", KEY_F4, true, "edit:/data/docs/a; touch pwned"},
                          RowKeyCase{"f5", KEY_F5, false, "temp:3 hits"},
                          RowKeyCase{"f10", KEY_F10, false, "panel:/data/docs/"})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

class FailedSearch : public SearchWindowTest, public ::testing::WithParamInterface<bool> {};

// A failed search ends that search only: the next key searches again, opening the engine afresh;
// when that open fails too (the index moved away), message 44 says so, the list and the counter
// are emptied, and the key after it searches again.
TEST_P(FailedSearch, TheNextKeySearchesAgain) {
    const bool reopenFails = GetParam();
    useFakeEngine();
    fake.failFetch = 2;
    host.commandLine = "rep";
    const std::string unusable = platform::GetMsgStr(tables, 44);
    whenShown("Safecall error", [&] {
        ui.events.key(KEY_ENTER);
        whenShown("Hits: 3", [&] {
            {
                std::lock_guard lock(fake.mutex);
                fake.failOpens = reopenFails ? 1 : 0;
            }
            ui.events.type("o");
            if (!reopenFails) return whenShown("repo.txt", [&] {
                EXPECT_TRUE(screenHas("Hits: 1")) << screen();
                ui.events.key(KEY_ESC);
            });
            whenShown(unusable, [&] {
                ui.events.key(KEY_ENTER);
                whenShown("Hits: 0", [&] {
                    EXPECT_FALSE(screenHas("report.txt")) << screen();
                    ui.events.type("x");
                    whenShown("repox.txt", [&] {
                        EXPECT_TRUE(screenHas("Hits: 1")) << screen();
                        ui.events.key(KEY_ESC);
                    });
                });
            });
        });
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    std::lock_guard lock(fake.mutex);
    // The check before the window opens, the first search, and one open per search after a failure.
    EXPECT_EQ(fake.opens, reopenFails ? 4 : 3);
}

INSTANTIATE_TEST_SUITE_P(Reopen, FailedSearch, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "open_fails_once" : "open_works"; });

// Deleting the whole text empties the list and the counter at once; nothing is searched for the
// empty text, and Enter, Shift+Enter and F3 then act on nothing.
TEST_F(SearchWindowTest, AnEmptyTextEmptiesTheListAndKeysActOnNothing) {
    useFakeEngine();
    std::string error;
    auto tempDir = os::TempDir::create("skimmer", "empty", error, home.root());
    ASSERT_TRUE(tempDir) << error;
    ui.events.type("rep");
    whenShown("Hits: 3", [&] {
        ui.events.key(KEY_BS).key(KEY_BS).key(KEY_BS);
        whenSeen([&] { return screenHas("Hits: 0") && !screenHas("report.txt"); }, "an empty list", [&] {
            ui.events.key(KEY_ENTER).key(KEY_SHIFTENTER).key(KEY_F3).key(KEY_DOWN).key(KEY_ENTER).key(KEY_ESC);
        });
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    EXPECT_TRUE(actedOn(*tempDir).empty());
    EXPECT_EQ(searchesOf(""), 0);
}

// A console resize closes the window and opens it again at the new size, with the text it had,
// which is searched again (the lines did not survive the resize).
TEST_F(SearchWindowTest, AResizeReopensWithTheTextAndSearchesItAgain) {
    useFakeEngine();
    ui.events.type("rep");
    whenShown("Hits: 3", [&] {
        ui.events.then([&] { ui.cells().resize(100, 30); }).push(host::ui::ResizeEvent{100, 30});
        whenSeen([&] { return searchesOf("rep") == 2 && screenHas("reply.doc"); }, "\"rep\" searched again", [&] {
            EXPECT_TRUE(screenHas("Hits: 3")) << screen();
            expectTextKeptAndContinued();
        });
    });
    EXPECT_EQ(RunSearchWindow(env), 0);
    EXPECT_EQ(gDialogsOpened, 2);
}

class HostileText : public SearchWindowTest, public ::testing::WithParamInterface<std::string> {};

// Texts no one should type still leave a window that searches and can be left.
TEST_P(HostileText, TheWindowStaysUsable) {
    ui.events.type(GetParam());
    ui.events.type("x");
    whenShown("reply.doc", [&] { ui.events.key(KEY_ESC); });
    EXPECT_EQ(RunSearchWindow(env), 0);
}

INSTANTIATE_TEST_SUITE_P(Texts, HostileText,
                         ::testing::Values(std::string("   "), std::string(1000, 'a'), std::string("-rf --help"),
                                           std::string("$(id) `id` ';'")));

}  // namespace
}  // namespace skimmer::search
