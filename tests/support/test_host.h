// A scriptable stand-in for FAR's service table, for testing the plug-in without a terminal.
//
// Contract:
// - startupInfo() is a PluginStartupInfo (with a FarStandardFunctions) whose services record every
//   call — function name, numeric arguments, texts — in order. Only one TestHost exists at a time
//   (the services are plain function pointers and find it through a process-wide pointer).
// - Menu, Message, Dialog and DialogEx answer from scripted queues; a call with nothing scripted
//   fails the running test with a message naming the call and its texts, and answers -1 (Escape).
//   Answers left unused when the host is destroyed fail the test too.
// - GetMsg serves the messages of a .lng file read with far/lng_format.h; asking for a number the
//   file does not have fails the test and answers "".
// - AdvControl(ACTL_GETFARVERSION) answers 1.70 build 2087 (writing the DWORD when asked);
//   Control(FCTL_GETPANELINFO) fills an empty file panel; FCTL_GETCMDLINE / FCTL_SETCMDLINE read
//   and write `commandLine`; FCTL_REDRAWPANEL records its PanelRedrawInfo's CurrentItem and
//   TopPanelItem after the command; command-line and panel-folder texts, key-macro texts and posted key
//   sequences are recorded with their calls; ACTL_KEYMACRO answers `acceptMacros` (FAR: TRUE
//   for a macro it parsed); SendDlgMessage answers through `dialogMessages`
//   when a test sets it; every other service records and answers 0.
// - Loading the plug-in: Module loads a module file (dlopen on Linux, LoadLibraryW on Windows:
//   test_host_posix.cpp / test_host_win32.cpp) and finds its entry points by their plain names.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "far/exports.h"
#include "far/panel.h"
#include "far/plugin.h"

namespace skimmer::test {

struct HostCall {
    std::string function;
    std::vector<long long> args;
    std::vector<std::string> texts;
};

class TestHost {
public:
    explicit TestHost(const std::filesystem::path& lngFile = defaultLngFile());
    ~TestHost();
    TestHost(const TestHost&) = delete;
    TestHost& operator=(const TestHost&) = delete;

    // The language file beside the built module.
    static std::filesystem::path defaultLngFile();

    const PluginStartupInfo& startupInfo() const { return info_; }
    void setRootKey(std::string rootKey);
    void setStructSize(int size) { info_.StructSize = size; }

    // Scripts: the next call of the kind answers with this value.
    void answerMenu(int chosen) { menuAnswers_.push_back(chosen); }
    void answerMessage(int button) { messageAnswers_.push_back(button); }
    void answerDialog(int item) { dialogAnswers_.push_back(item); }
    // The next DialogEx call first passes its items to `fill` (a test types into the dialog).
    void fillNextDialog(std::function<void(FarDialogItem* items, int count)> fill) {
        dialogFills_.push_back(std::move(fill));
    }

    const std::vector<HostCall>& calls() const { return calls_; }
    std::vector<HostCall> callsTo(std::string_view function) const;
    void clearCalls() { calls_.clear(); }
    const std::vector<std::string>& messages() const { return messages_; }

    // When set, SendDlgMessage (after recording the call) answers with this: a test plays the
    // running dialog the plug-in talks to.
    std::function<LONG_PTR(HANDLE, int, int, LONG_PTR)> dialogMessages;

    bool acceptMacros = true;
    // When set, FCTL_GETPANELINFO passes its answer (the empty file panel) through this, so a test
    // can describe the panel FAR shows: its items, the cursor, the rectangle.
    std::function<void(PanelInfo&)> panelInfo;

    DWORD farVersion = MAKEFARVERSION(1, 70, 2087);
    std::string commandLine;  // FAR's command line: FCTL_GETCMDLINE reads it, FCTL_SETCMDLINE sets it
    int moduleNumber = 7;

    // Used by the service functions.
    static TestHost& current();
    void record(HostCall call) { calls_.push_back(std::move(call)); }
    int nextAnswer(std::deque<int>& queue, const HostCall& call);
    const char* message(int number);
    std::deque<int>& menuAnswers() { return menuAnswers_; }
    std::deque<int>& messageAnswers() { return messageAnswers_; }
    std::deque<int>& dialogAnswers() { return dialogAnswers_; }
    std::deque<std::function<void(FarDialogItem*, int)>>& dialogFills() { return dialogFills_; }

private:
    PluginStartupInfo info_{};
    FarStandardFunctions fsf_{};
    std::string rootKey_ = "Software\\Far\\Plugins";
    std::vector<std::string> messages_;
    std::vector<HostCall> calls_;
    std::deque<int> menuAnswers_, messageAnswers_, dialogAnswers_;
    std::deque<std::function<void(FarDialogItem*, int)>> dialogFills_;
};

// A plug-in module loaded with dlopen (RTLD_LOCAL | RTLD_NOW) or LoadLibraryW, and unloaded when
// destroyed. error() says why a load failed, in the system's words.
class Module {
public:
    explicit Module(const std::filesystem::path& file);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }
    void* symbol(const char* name) const;
    template <typename Fn>
    Fn entry(const char* name) const {
        return reinterpret_cast<Fn>(symbol(name));
    }

private:
    void* handle_ = nullptr;
    std::string error_;
};

// The module in the build tree: skimmer.so, or skimmer.dll on Windows.
std::filesystem::path builtModuleFile();

}  // namespace skimmer::test
