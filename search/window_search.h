// The search window's side of the search thread: the engine, the result chain and the filing of
// every batch into the window's list, as one TSearchWork.
//
// Contract:
// - Every TSearchWork callback runs on the search thread. It reaches the window only through the
//   host's SendDlgMessage on the window's current dialog handle, each call wrapped as a host call
//   of the thread (so a window that suspends the thread from its dialog procedure never waits
//   for a thread blocked on the host's lock), and never while no dialog is shown.
// - What the thread has to say (the engine's errors, message 44) is queued as notices; the
//   window shows them from its own thread (the host refuses message boxes from any other).
// - The chain belongs to the thread: the window reads it only while the thread is parked or
//   through the list rows' index data inside its dialog procedure. So the list is always emptied
//   before the chain's nodes are freed, and a failed search keeps its nodes: a row never points
//   at a freed node.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "config/registry_config.h"
#include "config/sort_groups.h"
#include "engines/search_engine.h"
#include "platform/host_tables.h"
#include "platform/plugin_context.h"
#include "results/highlight_groups.h"
#include "results/hit_date.h"
#include "results/result_chain.h"
#include "search/line_format.h"
#include "search/search_thread.h"
#include "search/window_layout.h"

namespace skimmer::search {

// What the window and its search share while the window is open.
struct WindowShared {
    std::atomic<HANDLE> Dialog{nullptr};  // DialogHandle: null while no dialog is shown
    std::atomic<int32_t> W{0};
    std::atomic<int32_t> H{0};
    int32_t ConsoleWidth = 0;             // set before the thread is resumed
    int32_t ConsoleHeight = 0;
    WindowSettings Settings;              // changed only while the thread is parked

    // Texts to show in the error box, queued by the search thread.
    void addNotice(std::string text);
    std::vector<std::string> takeNotices();

private:
    std::mutex noticesMutex_;
    std::vector<std::string> notices_;
};

// Fixed services the search reads: the plug-in's context (read only: the search thread never
// writes the settings) and what only the search needs; all outlive the window.
struct WindowSearchServices : platform::PluginContext {
    // The engine's environment; its ShowErrorText is replaced by a notice to the window.
    engines::TEngineEnvironment engineEnvironment;
    results::TMailDateLookup mailDate;  // the creation time of a mail hit
    // Makes the engine at each open; empty: the one "ESKSSearchEngine" chooses then.
    engines::EngineFactory makeEngine;
};

class WindowSearch : public TSearchWork {
public:
    WindowSearch(WindowSearchServices services, WindowShared& shared);
    ~WindowSearch() override;

    int32_t openEngine(bool& recordReady) override;
    void closeEngine() override;
    void reportEngineMissing() override;
    void reportOpenFailed() override;
    void clearResults(TSearchThread& thread) override;
    bool runPlan(TSearchThread& thread) override;
    void searchFailed(TSearchThread& thread) override;
    void searchEnded(TSearchThread& thread) override;
    void freeResults(TSearchThread& thread) override;
    void closeWindow() override;
    void reportFailure(const std::string& what) override;

    // For the window, while the thread is parked.
    results::TResultChain& chain() { return chain_; }
    TLineFormatContext formatContext(const std::string& highlightQuery) const;
    // Line n (from 0) of the chain, or null.
    const results::TSearchResult* line(int32_t n) const;

private:
    LONG_PTR send(int msg, int param1, LONG_PTR param2);
    void bindThread(TSearchThread* thread);
    void clearList();
    void updateCounter(TSearchThread& thread);
    void growWindow(TSearchThread& thread);
    void notice(const std::string& text);

    WindowSearchServices services_;
    WindowShared& shared_;
    results::THLGroups highlightGroups_;
    results::TFileSystemProbe probe_;
    std::unique_ptr<engines::SearchEngine> engine_;  // the thread's; null while closed
    std::string openDetail_;                          // why the last open failed, in plain words
    results::TResultChain chain_;
    std::unique_ptr<results::TSearchResults> batch_;
    TSearchThread* thread_ = nullptr;  // set on the thread's first call
};

}  // namespace skimmer::search
