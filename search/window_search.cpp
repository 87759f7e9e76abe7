#include "search/window_search.h"

#include "config/catalogue.h"
#include "dialogs/list_box_ex.h"
#include "far/dialog.h"
#include "lng/messages.h"
#include "results/group_plan.h"
#include "engines/engine_select.h"
#include "search/list_filing.h"
#include "search/search_group.h"

namespace skimmer::search {

namespace {

constexpr int32_t kOpenFailedCode = 120;

// The thread whose host calls the trampoline below wraps. One search thread per window, and
// these are thread-local, so two windows (two loaded modules) never mix.
thread_local TSearchThread* tlsThread = nullptr;
thread_local WindowShared* tlsShared = nullptr;
thread_local FARAPISENDDLGMESSAGE tlsHostSend = nullptr;

// SendDlgMessage as the filing sees it: to the window's current dialog, as a host call of the
// search thread, and nothing at all while no dialog is shown.
LONG_PTR FARAPI sendFromSearchThread(HANDLE, int msg, int param1, LONG_PTR param2) {
    if (!tlsHostSend || !tlsShared) return 0;
    std::optional<TSearchThread::HostCall> call;
    if (tlsThread) call.emplace(*tlsThread);
    HANDLE dialog = tlsShared->Dialog.load();
    return dialog ? tlsHostSend(dialog, msg, param1, param2) : 0;
}

}  // namespace

void WindowShared::addNotice(std::string text) {
    std::lock_guard lock(noticesMutex_);
    notices_.push_back(std::move(text));
}

std::vector<std::string> WindowShared::takeNotices() {
    std::lock_guard lock(noticesMutex_);
    return std::exchange(notices_, {});
}

WindowSearch::WindowSearch(WindowSearchServices services, WindowShared& shared)
    : services_(std::move(services)), shared_(shared), batch_(results::makeSearchResults()) {
    results::LoadHighlightGroups(highlightGroups_, services_.registry, services_.FarRootKey);
}

WindowSearch::~WindowSearch() = default;

LONG_PTR WindowSearch::send(int msg, int param1, LONG_PTR param2) {
    return sendFromSearchThread(nullptr, msg, param1, param2);
}

void WindowSearch::notice(const std::string& text) {
    if (text.empty()) return;
    shared_.addNotice(text);
    // Wakes the window's loop, which shows the notice from its own thread.
    send(DM_REDRAW, 0, 0);
}

// Every callback may be the thread's first: the trampoline must know its window before the first
// host call, whichever callback makes it.
void WindowSearch::bindThread(TSearchThread* thread) {
    tlsShared = &shared_;
    tlsHostSend = services_.host ? services_.host->StartupInfo.SendDlgMessage : nullptr;
    if (!thread) return;
    thread_ = thread;
    tlsThread = thread;
}

int32_t WindowSearch::openEngine(bool& recordReady) {
    bindThread(nullptr);
    engines::TEngineEnvironment env = services_.engineEnvironment;
    if (!env.Config) env.Config = services_.config;
    env.ShowErrorText = [this](const std::string& text) { notice(text); };
    engine_ = services_.makeEngine ? services_.makeEngine(std::move(env))
                                   : engines::MakeSearchEngine(engines::ChosenEngine(*services_.config), std::move(env));
    const engines::EngineStatus opened = engine_->open();
    notice(opened.shown);
    openDetail_ = opened.detail;
    recordReady = engine_->ready();
    return opened.code;
}

void WindowSearch::closeEngine() {
    // Only an engine that opened is closed through close(): closing one that never became ready
    // would say message 44 a second time. Destroying it releases what it holds either way.
    if (engine_ && engine_->ready()) notice(engine_->close().shown);
    engine_.reset();
}

void WindowSearch::reportEngineMissing() {
    std::string text = platform::GetMsgStr(*services_.host, engines::kMsgEngineUnusable);
    if (!openDetail_.empty()) text += "\n" + openDetail_;
    notice(text);
}

void WindowSearch::reportOpenFailed() { notice("Error: " + std::to_string(kOpenFailedCode)); }

void WindowSearch::reportFailure(const std::string& what) { notice(what); }

// The list's rows carry the chain's nodes as their data: the rows go first, then the nodes.
void WindowSearch::clearList() {
    const TListTarget list{sendFromSearchThread, reinterpret_cast<HANDLE>(1)};
    ClearList(list);
}

void WindowSearch::clearResults(TSearchThread& thread) {
    bindThread(&thread);
    clearList();
    chain_.Clear();
    updateCounter(thread);
}

TLineFormatContext WindowSearch::formatContext(const std::string& highlightQuery) const {
    TLineFormatContext context;
    context.Settings = ReadLineFormatSettings(*services_.config);
    context.Palette = services_.palette;
    context.WindowWidth = shared_.W.load();
    context.NameCells = listTextCells(shared_.Settings, WindowSize{context.WindowWidth, shared_.H.load()});
    context.HighlightQuery = highlightQuery;
    context.HighlightGroups = &highlightGroups_;
    context.MatchMask = results::HostMaskMatcher(*services_.host);
    context.Dates.Files = &probe_;
    context.Dates.MailDate = services_.mailDate;
    context.Dates.NoDateText = services_.NoDateText;
    return context;
}

bool WindowSearch::runPlan(TSearchThread& thread) {
    TSearchRun run;
    run.CurrentQuery = thread.CurrentQuery();
    run.GroupMode = config::setting::kGroupMode.read(*services_.config);
    run.Chain = &chain_;
    run.Results = batch_.get();
    run.Engine = engine_.get();
    run.Say = [this](const std::string& text) { notice(text); };
    // The handle is looked up per call (the trampoline ignores this one): a reopened window has
    // a new handle, and a closed one none.
    run.List = TListTarget{sendFromSearchThread, reinterpret_cast<HANDLE>(1)};
    run.Format = formatContext(thread.HighlightQuery());
    run.Hooks.NewTextPending = [&thread] {
        thread.checkpoint();  // the safe point: parks here while the window holds the thread
        return thread.superseded();
    };
    run.Hooks.StopRequested = [&thread] { return thread.stopRequested(); };
    run.Hooks.UpdateCounter = [this, &thread] { updateCounter(thread); };
    run.Hooks.GrowWindow = [this, &thread] { growWindow(thread); };

    const WindowSettings& s = shared_.Settings;
    results::TGroupPlanInput input;
    // The plan of the engine this search really uses (opened with the settings of its own time).
    input.LocateEngine = engine_->choice() == engines::EngineChoice::Locate32;
    input.GroupMode = run.GroupMode;
    input.AllResults = s.AllResults;
    input.ListLines = results::ListLineCount(shared_.ConsoleHeight, shared_.H.load(), s.Animation, s.PositionW,
                                             s.HideButtons);
    input.Groups = services_.groups;
    const TRunEnd end = RunGroupPlan(run, results::MakeGroupPlan(input));
    if (end == TRunEnd::Failed) return false;  // said already; the lines filed so far stay
    updateCounter(thread);
    return true;
}

void WindowSearch::updateCounter(TSearchThread& thread) {
    thread.LineCount.store(chain_.LineCount());
    thread.HitCount.store(chain_.HitCount());
    const std::string text =
        counterText(shared_.Settings, platform::GetMsgStr(*services_.host, lng::kMsgHits), chain_.HitCount());
    send(DM_SETTEXTPTR, counterItem(shared_.Settings), reinterpret_cast<LONG_PTR>(text.c_str()));
}

void WindowSearch::growWindow(TSearchThread& thread) {
    const WindowSettings& s = shared_.Settings;
    const int32_t height =
        grownHeight(s, shared_.H.load(), chain_.LineCount(), shared_.ConsoleHeight, thread.ForceResize.exchange(false));
    if (height < 0) return;
    shared_.H.store(height);
    const WindowSize size{shared_.W.load(), height};
    SMALL_RECT rect{};
    send(DM_GETDLGRECT, 0, reinterpret_cast<LONG_PTR>(&rect));
    COORD dims{static_cast<SHORT>(size.W), static_cast<SHORT>(size.H)};
    send(DM_RESIZEDIALOG, 0, reinterpret_cast<LONG_PTR>(&dims));
    COORD place{rect.Left, static_cast<SHORT>(std::max(shared_.ConsoleHeight - size.H - 1, 0))};
    send(DM_MOVEDIALOG, TRUE, reinterpret_cast<LONG_PTR>(&place));
    const std::vector<GrownItem> items = grownItems(s, size);
    for (size_t id = 0; id < items.size(); ++id) {
        FarDialogItem item{};
        if (!send(DM_GETDLGITEM, static_cast<int>(id), reinterpret_cast<LONG_PTR>(&item))) continue;
        item.Type = items[id].Type;
        item.X1 = items[id].X1;
        item.Y1 = items[id].Y1;
        item.X2 = items[id].X2;
        item.Y2 = items[id].Y2;
        send(DM_SETDLGITEM, static_cast<int>(id), reinterpret_cast<LONG_PTR>(&item));
    }
}

void WindowSearch::searchEnded(TSearchThread&) {
    send(DM_SETFOCUS, kItemList, 0);
    send(DM_SETFOCUS, kItemEdit, 0);
}

void WindowSearch::searchFailed(TSearchThread& thread) { updateCounter(thread); }

// The thread ends while the dialog may still be shown (a close request: the thread closes the
// dialog only after this), and a key may still reach a row until then.
void WindowSearch::freeResults(TSearchThread& thread) {
    bindThread(&thread);
    clearList();
    chain_.Clear();
}

void WindowSearch::closeWindow() { send(DM_CLOSE, 0, 0); }

const results::TSearchResult* WindowSearch::line(int32_t n) const {
    if (n < 0) return nullptr;
    const results::TDynamicSearchResult* node = chain_.ResultChain();
    for (; node && n > 0; --n) node = node->Next;
    return node ? &node->Result : nullptr;
}

}  // namespace skimmer::search
