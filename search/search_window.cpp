#include "search/search_window.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <optional>

#include "config/catalogue.h"
#include "dialogs/list_box_ex.h"
#include "far/adv_control.h"
#include "far/dialog.h"
#include "far/editor_viewer.h"
#include "far/keys.h"
#include "far/messages.h"
#include "far/panel.h"
#include "lng/messages.h"
#include "os/utf8.h"
#include "search/engine_check.h"
#include "search/open_hit.h"
#include "search/send_to_temp_panel.h"
#include "search/window_layout.h"
#include "search/window_search.h"
#include "settings/settings_dialogs.h"

namespace skimmer::search {

namespace {

constexpr int kActionTempPanel = 5;
constexpr int kActionFullInfo = 6;
constexpr int kActionSettings = 7;
constexpr int kActionGoToFile = 8;
constexpr int kActionResized = 1000;
constexpr size_t kCommandLineBuffer = 1024;

class SearchWindow {
public:
    explicit SearchWindow(SearchWindowEnv& env) : env_(env) {}
    ~SearchWindow() { endThread(); }
    int32_t run();

    static LONG_PTR FARAPI proc(HANDLE dlg, int msg, int param1, LONG_PTR param2);

private:
    const PluginStartupInfo& info() const { return env_.host->StartupInfo; }
    LONG_PTR send(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
        return info().SendDlgMessage(dlg, msg, param1, param2);
    }
    LONG_PTR byDefault(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
        return dialogs::ListBoxExProc(lbx_, dlg, msg, param1, param2);
    }

    bool readConsole();
    bool engineUsable();
    std::unique_ptr<engines::SearchEngine> makeEngine() const;
    void startThread();
    void endThread();
    void showDialog();
    bool afterClose();  // true: open again
    void runSettings();

    LONG_PTR handle(HANDLE dlg, int msg, int param1, LONG_PTR param2);
    bool staleFiling(int msg) const;
    void onInit(HANDLE dlg);
    void onEditChange(HANDLE dlg, const FarDialogItem* item);
    void onGotFocus(HANDLE dlg, int id);
    void restoreText(HANDLE dlg);
    void emptyList(HANDLE dlg);
    void onClose(HANDLE dlg);
    void onResize(HANDLE dlg);
    void showNotices();
    void showErrorLines(const std::string& text);
    bool onKey(HANDLE dlg, int id, int key);
    uint32_t itemColor(HANDLE dlg, int id, uint32_t proposed);

    const results::TSearchResult* cursorHit(HANDLE dlg);
    void viewOrEdit(HANDLE dlg, bool edit);
    void closeFor(HANDLE dlg, int action);
    void commandLineAction(HANDLE dlg);
    void shellAction(HANDLE dlg);
    HitServices hitServices() const;

    SearchWindowEnv& env_;
    dialogs::TListBoxExHost lbx_;
    WindowShared shared_;
    std::unique_ptr<WindowSearch> work_;
    std::unique_ptr<TSearchThread> thread_;
    ConsoleState console_;
    WindowSettings settings_;
    WindowSize size_;
    std::vector<FarDialogItem> items_;
    std::vector<CHAR_INFO> listBuffer_;
    std::string hitsWord_;

    bool KeepResults = false;
    bool Reopen = false;
    int32_t Action = 0;
    int32_t ChosenLine = 0;
    bool EnterHandled = false;
    bool TakeCursor = false;
    bool ClearUnchanged = false;
    bool consoleLost_ = false;
    // The edit field's text as last typed (or taken from the command line): what a reopened
    // window shows. None before the first dialog, which takes FAR's command line instead.
    std::optional<std::string> typed_;
};

SearchWindow* windowOf(const PluginStartupInfo& info, HANDLE dlg) {
    return reinterpret_cast<SearchWindow*>(info.SendDlgMessage(dlg, DM_GETDLGDATA, 0, 0));
}

// The tables the procedure needs before it knows its window: FAR hands a dialog procedure only
// the handle, so the window is found through the dialog's own data. The procedure also runs on
// the search thread (the host runs a message's handling on the sender's thread), so this is one
// value per loaded module, set before the first dialog opens.
std::atomic<const PluginStartupInfo*> gInfo{nullptr};

int32_t codePoints(std::string_view text) {
    return static_cast<int32_t>(os::utf8StartCount(text));
}

}  // namespace

LONG_PTR FARAPI SearchWindow::proc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    const PluginStartupInfo* info = gInfo.load();
    if (!info) return 0;
    SearchWindow* window = windowOf(*info, dlg);
    if (!window) return info->DefDlgProc(dlg, msg, param1, param2);
    try {
        return window->handle(dlg, msg, param1, param2);
    } catch (const std::exception& error) {
        // Nothing may cross the host's call: say it and answer as the host would have.
        platform::ShowErrorText(*window->env_.host, error.what());
        return info->DefDlgProc(dlg, msg, param1, param2);
    }
}

bool SearchWindow::readConsole() {
    const auto size = env_.console ? env_.console->screenBufferSize() : std::nullopt;
    if (!size) return false;
    console_.Width = size->width;
    console_.Height = size->height;
    char line[kCommandLineBuffer] = {};
    if (info().Control) info().Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINE, line);
    console_.CommandLineText.assign(line, strnlen(line, sizeof line));
    // The cursor stands on the command line: after the prompt (the panel's folder and ">") at
    // the line's own cursor position.
    PanelInfo panel{};
    int pos = 0;
    if (info().Control) {
        info().Control(INVALID_HANDLE_VALUE, FCTL_GETPANELSHORTINFO, &panel);
        info().Control(INVALID_HANDLE_VALUE, FCTL_GETCMDLINEPOS, &pos);
    }
    console_.CursorX = commandLineCursorX(std::string_view(panel.CurDir, strnlen(panel.CurDir, sizeof panel.CurDir)),
                                          console_.CommandLineText, pos, console_.Width);
    return true;
}

void SearchWindow::startThread() {
    endThread();
    WindowSearchServices services{env_};
    services.engineEnvironment = env_.engineEnvironment;
    services.mailDate = MailDateLookup(env_.mail.client);
    services.makeEngine = env_.makeEngine;
    work_ = std::make_unique<WindowSearch>(std::move(services), shared_);
    thread_ = std::make_unique<TSearchThread>(*work_);
}

void SearchWindow::endThread() {
    thread_.reset();  // joins: the engine is closed and any child reaped by then
    work_.reset();
}

std::unique_ptr<engines::SearchEngine> SearchWindow::makeEngine() const {
    engines::TEngineEnvironment env = env_.engineEnvironment;
    if (!env.Config) env.Config = env_.config;
    if (env_.makeEngine) return env_.makeEngine(std::move(env));
    return engines::MakeSearchEngine(engines::ChosenEngine(*env_.config), std::move(env));
}

// The window opens only over an engine that can be used; otherwise message 44 (with the engine's
// reason) is the whole answer, shown here on the main thread.
bool SearchWindow::engineUsable() {
    const platform::HostTables& host = *env_.host;
    const auto engine = makeEngine();
    const auto unusable = EngineUnusable(
        *engine, [&host](const std::string& text) { platform::ShowErrorText(host, text); },
        platform::GetMsgStr(host, engines::kMsgEngineUnusable));
    if (unusable) showErrorLines(*unusable);
    return !unusable;
}

int32_t SearchWindow::run() {
    gInfo.store(&info());
    lbx_.host = env_.host;
    lbx_.ListColors = env_.ListColors;
    hitsWord_ = platform::GetMsgStr(*env_.host, lng::kMsgHits);
    if (!engineUsable()) return 0;
    for (;;) {
        if (!readConsole()) {
            platform::ShowErrorCode(*env_.host, kConsoleUnreadable);
            endThread();
            return kConsoleUnreadable;
        }
        // The thread is parked or absent here, so the settings it reads may change.
        settings_ = readWindowSettings(*env_.config);
        const int32_t kept = KeepResults && thread_ ? thread_->LineCount.load() : -1;
        size_ = windowSize(settings_, console_, kept);
        shared_.Settings = settings_;
        shared_.W.store(size_.W);
        shared_.H.store(size_.H);
        shared_.ConsoleWidth = console_.Width;
        shared_.ConsoleHeight = console_.Height;
        if (!KeepResults || !thread_) startThread();
        showDialog();
        if (!afterClose()) break;
    }
    endThread();
    KeepResults = false;
    return 0;
}

void SearchWindow::showDialog() {
    std::vector<std::string> buttons;
    for (int number : kButtonMessages) buttons.push_back(platform::GetMsgStr(*env_.host, number));
    items_ = windowItems(settings_, size_, buttons, "Skimmer");
    listBuffer_.assign(static_cast<size_t>(std::max(console_.Width, 1) * std::max(console_.Height, 1)), CHAR_INFO{});
    items_[kItemList].VBuf = listBuffer_.data();
    const WindowPlace place = windowPlace(settings_, console_, size_);
    Reopen = false;
    Action = 0;
    if (!info().DialogEx) return;
    if (place.X < 0) {
        info().DialogEx(info().ModuleNumber, -1, -1, size_.W, size_.H, "SKSWindow", items_.data(),
                        static_cast<int>(items_.size()), 0, 0, &SearchWindow::proc, reinterpret_cast<LONG_PTR>(this));
    } else {
        info().DialogEx(info().ModuleNumber, place.X, place.Y, place.X + size_.W - 1, place.Y + size_.H - 1,
                        "SKSWindow", items_.data(), static_cast<int>(items_.size()), 0, 0, &SearchWindow::proc,
                        reinterpret_cast<LONG_PTR>(this));
    }
    shared_.Dialog.store(nullptr);
    // A dialog that ended without our own close (input ended, the host refused it) stops the
    // thread here: nothing may be sent to a dialog that is gone, and the lines must stay put.
    if (thread_ && !Reopen) thread_->suspend();
}

bool SearchWindow::afterClose() {
    if (!Reopen) return false;
    switch (Action) {
        case kActionFullInfo: {
            if (thread_) thread_->suspend();
            config::setting::kFullInfo.write(*env_.config, !config::setting::kFullInfo.read(*env_.config));
            if (env_.saveSettings) env_.saveSettings();
            KeepResults = thread_ && !thread_->searching();
            return true;
        }
        case kActionResized:
            if (info().AdvControl) info().AdvControl(info().ModuleNumber, ACTL_COMMIT, nullptr);
            KeepResults = false;
            endThread();
            return !consoleLost_;
        case kActionGoToFile:
            Reopen = false;
            if (work_) {
                WindowSearch* work = work_.get();
                GoToLine(hitServices(), [work](int32_t n) { return work->line(n); }, ChosenLine);
            }
            return false;
        case kActionSettings:
            runSettings();
            return true;
        case kActionTempPanel:
            Reopen = false;
            if (work_) {
                const TempPanelEnv tempPanel{hitServices()};
                SendToTempPanel(tempPanel, work_->chain().ResultChain());
            }
            return false;
        default: return false;
    }
}

// F9: the window's settings dialog, while the window is closed and its thread parked; the window
// then opens with whatever the dialog left in the settings, and keeps its lines.
void SearchWindow::runSettings() {
    if (thread_) thread_->suspend();
    settings::SettingsEnv settingsEnv{env_};
    settingsEnv.FarVersion =
        info().AdvControl ? static_cast<DWORD>(info().AdvControl(info().ModuleNumber, ACTL_GETFARVERSION, nullptr)) : 0;
    settingsEnv.engineEnvironment = [this] { return env_.engineEnvironment; };
    settings::RunSearchWindowSettings(settingsEnv);
    if (env_.listColorsFor) lbx_.ListColors = env_.listColorsFor(readWindowSettings(*env_.config).Style);
    KeepResults = thread_ && !thread_->searching();
}

// The window's own context, referred to: the services live no longer than the window.
HitServices SearchWindow::hitServices() const { return HitServices{.context = &env_, .mail = env_.mail}; }

// A row of a search whose text the user has already replaced (a newer text, or an empty one,
// waits for the thread) is not added. The host runs this procedure for one message at a time, so
// from the moment the edit field changed no row of the old text can appear, and no key can act
// on one after the list was emptied for an empty text.
bool SearchWindow::staleFiling(int msg) const {
    const bool adds = msg == dialogs::DM_LBX_ADDITEMS || msg == dialogs::DM_LBX_INSERT ||
                      msg == dialogs::DM_LBX_SETINDEXDATA;
    return adds && thread_ && thread_->isSearchThread() && thread_->superseded();
}

LONG_PTR SearchWindow::handle(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
    if (staleFiling(msg)) return 0;
    switch (msg) {
        case DN_INITDIALOG: onInit(dlg); return TRUE;
        case dialogs::DN_LBX_ISLISTBOX: return param1 == kItemList ? 1 : 0;
        case DN_EDITCHANGE:
            if (param1 == kItemEdit) onEditChange(dlg, reinterpret_cast<const FarDialogItem*>(param2));
            break;
        case DN_GOTFOCUS: onGotFocus(dlg, param1); break;
        case DN_BTNCLICK:
            if (param1 == kItemFirstButton) {
                viewOrEdit(dlg, false);
                return TRUE;
            }
            if (param1 > kItemFirstButton && param1 <= kItemLastButton) {
                closeFor(dlg, param1);
                return TRUE;
            }
            break;
        case DN_KEY:
            if (onKey(dlg, param1, static_cast<int>(param2))) return TRUE;
            break;
        case DN_CLOSE: onClose(dlg); return TRUE;
        case DN_RESIZECONSOLE: onResize(dlg); return TRUE;
        case DN_DRAGGED:
            if (settings_.PositionW) return FALSE;
            break;
        case DN_ENTERIDLE: showNotices(); return 0;
        case DN_CTLCOLORDIALOG: return static_cast<LONG_PTR>(dialogColor(settings_, *env_.palette, static_cast<uint32_t>(param2)));
        case DN_CTLCOLORDLGITEM: return static_cast<LONG_PTR>(itemColor(dlg, param1, static_cast<uint32_t>(param2)));
        default: break;
    }
    return byDefault(dlg, msg, param1, param2);
}

void SearchWindow::onInit(HANDLE dlg) {
    EnterHandled = TakeCursor = ClearUnchanged = false;
    shared_.Dialog.store(dlg);
    send(dlg, dialogs::DM_LBX_INIT, kItemList, 0);
    if (KeepResults && work_) {
        results::TResultChain& chain = work_->chain();
        const TLineFormatContext context = work_->formatContext(thread_->HighlightQuery());
        int32_t index = 0;
        for (results::TDynamicSearchResult* node = chain.ResultChain(); node; node = node->Next, ++index) {
            dialogs::TListBoxExAddItem add;
            FormatLine(*node, add.Items.emplace_back(), context);
            send(dlg, dialogs::DM_LBX_ADDITEMS, kItemList, reinterpret_cast<LONG_PTR>(&add));
            const dialogs::TListBoxExIndexData data{index, 80, reinterpret_cast<LONG_PTR>(node)};
            send(dlg, dialogs::DM_LBX_SETINDEXDATA, kItemList, reinterpret_cast<LONG_PTR>(&data));
        }
        const std::string counter = counterText(settings_, hitsWord_, chain.HitCount());
        send(dlg, DM_SETTEXTPTR, counterItem(settings_), reinterpret_cast<LONG_PTR>(counter.c_str()));
    }
    if (!typed_) {
        if (config::setting::kUseCL.read(*env_.config) && !console_.CommandLineText.empty()) {
            typed_ = console_.CommandLineText;
            TakeCursor = true;
        }
    }
    restoreText(dlg);
    KeepResults = false;
    // The thread starts (or goes on) only now that the dialog it talks to exists.
    thread_->resume();
}

// The text the window had (or FAR's command line at the first opening) goes back into the edit
// field, where typing continues it. Lines kept with it (F7, F9) are its own; a fresh thread (the
// first opening, a console resize) searches it.
void SearchWindow::restoreText(HANDLE dlg) {
    if (!typed_ || typed_->empty()) return;
    ClearUnchanged = true;
    send(dlg, DM_SETTEXTPTR, kItemEdit, reinterpret_cast<LONG_PTR>(typed_->c_str()));
    if (!KeepResults) thread_->setPendingQuery(*typed_, codePoints(*typed_));
}

// An empty text is never searched: the list is emptied at once (the thread, told by the empty
// text, stops a running search and frees the chain after emptying the list again), so that no
// key acts on a hit of the text that was deleted.
void SearchWindow::emptyList(HANDLE dlg) {
    const dialogs::TListBoxExRange all{0, 0};
    send(dlg, dialogs::DM_LBX_DELETE, kItemList, reinterpret_cast<LONG_PTR>(&all));
    const std::string counter = counterText(settings_, hitsWord_, 0);
    send(dlg, DM_SETTEXTPTR, counterItem(settings_), reinterpret_cast<LONG_PTR>(counter.c_str()));
}

void SearchWindow::onEditChange(HANDLE dlg, const FarDialogItem* item) {
    shared_.Dialog.store(dlg);
    COORD cursor{};
    send(dlg, DM_GETCURSORPOS, kItemEdit, reinterpret_cast<LONG_PTR>(&cursor));
    std::string text;
    if (item) text.assign(item->Data, strnlen(item->Data, sizeof item->Data));
    if (text.empty()) emptyList(dlg);
    typed_ = text;
    thread_->setPendingQuery(text, cursor.X);
}

void SearchWindow::onGotFocus(HANDLE dlg, int id) {
    if (id != kItemEdit) return;
    if (TakeCursor) {
        // Only the column: the text is already on its way to the thread, and handing it over
        // again would search it twice.
        COORD cursor{};
        send(dlg, DM_GETCURSORPOS, kItemEdit, reinterpret_cast<LONG_PTR>(&cursor));
        thread_->setCursorX(cursor.X);
        TakeCursor = false;
    }
    if (ClearUnchanged) {
        send(dlg, DM_EDITUNCHANGEDFLAG, kItemEdit, 0);
        ClearUnchanged = false;
    }
}

void SearchWindow::onClose(HANDLE dlg) {
    const auto* data = reinterpret_cast<const dialogs::TListBoxExData*>(send(dlg, DM_GETITEMDATA, kItemList, 0));
    ChosenLine = data ? data->Current : 0;
    send(dlg, dialogs::DM_LBX_FREE, kItemList, 0);
}

void SearchWindow::onResize(HANDLE dlg) {
    thread_->requestClose();
    const auto size = env_.console ? env_.console->screenBufferSize() : std::nullopt;
    if (!size) {
        consoleLost_ = true;
        platform::ShowErrorCode(*env_.host, kConsoleUnreadable);
    } else if (settings_.PositionW) {
        COORD place{0, static_cast<SHORT>(std::max(size->height - size_.H - 1, 0))};
        send(dlg, DM_MOVEDIALOG, TRUE, reinterpret_cast<LONG_PTR>(&place));
    }
    thread_->requestResize();
    Action = kActionResized;
    Reopen = true;
    // The thread closes the dialog once it has stopped; one that has already ended cannot.
    if (thread_->ended()) send(dlg, DM_CLOSE, 0, 0);
}

// Each notice once, in the error box's looks.
void SearchWindow::showNotices() {
    for (const std::string& text : shared_.takeNotices()) showErrorLines(text);
}

// The error box with each line of `text` (message 44 and the index's own reason) on a line of its own.
void SearchWindow::showErrorLines(const std::string& text) {
    if (!info().Message) return;
    std::vector<std::string> lines{"Skimmer Error"};
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    std::vector<const char*> items;
    for (const std::string& line : lines) items.push_back(line.c_str());
    info().Message(info().ModuleNumber, FMSG_WARNING | FMSG_LEFTALIGN | FMSG_MB_OK, "", items.data(),
                   static_cast<int>(items.size()), 0);
}

uint32_t SearchWindow::itemColor(HANDLE dlg, int id, uint32_t proposed) {
    const bool focused = send(dlg, DM_GETFOCUS, 0, 0) == id;
    return itemColors(settings_, *env_.palette, id, focused, proposed);
}

const results::TSearchResult* SearchWindow::cursorHit(HANDLE dlg) {
    const LONG_PTR current = send(dlg, dialogs::DM_LBX_GETCURPOS, kItemList, 0);
    if (current < 0) return nullptr;
    const auto* node = reinterpret_cast<const results::TDynamicSearchResult*>(
        send(dlg, dialogs::DM_LBX_GETINDEXDATA, kItemList, current));
    if (!node || node->Result.IsGroupHeader || node->Result.Path.empty()) return nullptr;
    return &node->Result;
}

void SearchWindow::viewOrEdit(HANDLE dlg, bool edit) {
    const results::TSearchResult* hit = cursorHit(dlg);
    if (!hit) return;
    const std::string path = hit->Path;
    thread_->suspend();
    HANDLE screen = info().SaveScreen ? info().SaveScreen(0, 0, -1, -1) : nullptr;
    if (edit && info().Editor) info().Editor(path.c_str(), nullptr, 0, 0, -1, -1, 0, -1, -1);
    if (!edit && info().Viewer) info().Viewer(path.c_str(), nullptr, 0, 0, -1, -1, 0);
    if (screen && info().RestoreScreen) info().RestoreScreen(screen);
    thread_->resume();
}

void SearchWindow::closeFor(HANDLE dlg, int action) {
    if ((action == kActionFullInfo || action == kActionSettings) && thread_->searching()) return;
    thread_->suspend();
    Reopen = true;
    Action = action;
    send(dlg, DM_CLOSE, -1, 0);
}

void SearchWindow::commandLineAction(HANDLE dlg) {
    const results::TSearchResult* hit = cursorHit(dlg);
    if (!hit) return;
    // A mail item or a page has no file a command could run: it opens as Shift+Enter opens it.
    if (!RunsFromCommandLine(*hit)) return shellAction(dlg);
    std::string error;
    const std::optional<std::string> text = commandLineFor(hit->Path, error);
    EnterHandled = true;
    // A path the command interpreter cannot carry is refused, never run half-quoted.
    if (!text) {
        platform::ShowErrorText(*env_.host, error);
        return;
    }
    send(dlg, DM_CLOSE, -1, 0);
    runThroughCommandLine(hitServices(), *text);
}

void SearchWindow::shellAction(HANDLE dlg) {
    const results::TSearchResult* hit = cursorHit(dlg);
    if (!hit) return;
    EnterHandled = true;
    OpenHit(hitServices(), *hit);
    send(dlg, DM_CLOSE, -1, 0);
}

bool SearchWindow::onKey(HANDLE dlg, int id, int key) {
    auto toList = [&] {
        send(dlg, DM_SETFOCUS, kItemList, 0);
        byDefault(dlg, DN_KEY, kItemList, key);
        return true;
    };
    switch (key) {
        case KEY_UP:
        case KEY_DOWN: return id == kItemEdit ? toList() : false;
        case KEY_PGUP:
        case KEY_PGDN:
        case KEY_HOME:
        case KEY_END: return id == kItemList ? false : toList();
        case KEY_F3: viewOrEdit(dlg, false); return true;
        case KEY_F4: viewOrEdit(dlg, true); return true;
        case KEY_F5: closeFor(dlg, kActionTempPanel); return true;
        case KEY_F7: closeFor(dlg, kActionFullInfo); return true;
        case KEY_F9: closeFor(dlg, kActionSettings); return true;
        case KEY_F10: closeFor(dlg, kActionGoToFile); return true;
        case KEY_CTRLENTER: {
            if (const results::TSearchResult* hit = cursorHit(dlg)) {
                std::string error;
                const std::optional<std::string> text = commandLineFor(hit->Path, error);
                if (!text) {
                    platform::ShowErrorText(*env_.host, error);
                    return true;
                }
                if (info().Control) info().Control(INVALID_HANDLE_VALUE, FCTL_SETCMDLINE, const_cast<char*>(text->c_str()));
                if (settings_.PositionW) send(dlg, DM_CLOSE, -1, 0);
            }
            return true;
        }
        case KEY_ENTER:
            if (id > kItemFirstButton && id <= kItemLastButton) {
                closeFor(dlg, id);
                return true;
            }
            if (id == kItemFirstButton) return false;  // pressed: its DN_BTNCLICK views the hit
            [[fallthrough]];
        case KEY_SHIFTENTER: {
            if (EnterHandled) return true;
            const bool commandLine = (key == KEY_ENTER) == (config::setting::kKeySequence.read(*env_.config) == 0);
            if (commandLine) commandLineAction(dlg);
            else shellAction(dlg);
            return true;
        }
        default: return false;
    }
}

int32_t RunSearchWindow(SearchWindowEnv& env) {
    if (!env.host || !env.config || !env.palette) return 0;
    try {
        if (!env.mail.client) env.mail = DefaultMailAccess();
        SearchWindow window(env);
        return window.run();
    } catch (const std::exception& error) {
        platform::ShowErrorText(*env.host, error.what());
        return 1000;
    }
}

}  // namespace skimmer::search
