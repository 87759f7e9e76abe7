#include "tests/support/test_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "far/adv_control.h"
#include "far/lng_format.h"
#include "far/panel.h"

namespace skimmer::test {

namespace {

TestHost* g_host = nullptr;

std::string text(const char* s) { return s ? std::string(s) : std::string("<null>"); }

std::string describe(const HostCall& call) {
    std::string out = call.function + "(";
    for (size_t i = 0; i < call.texts.size(); ++i) out += (i ? ", \"" : "\"") + call.texts[i] + "\"";
    return out + ")";
}

int FARAPI hostMenu(int number, int x, int y, int maxHeight, DWORD flags, const char* title, const char* bottom,
                    const char* help, const int* breakKeys, int* breakCode, const FarMenuItem* items, int count) {
    HostCall call{"Menu", {number, x, y, maxHeight, static_cast<long long>(flags), count, -1}, {}};
    call.texts = {text(title), text(bottom), text(help)};
    for (int i = 0; i < count && items; ++i) {
        call.texts.push_back(items[i].Text);
        if (items[i].Selected) call.args.back() = i;  // the last argument: the pre-selected item
    }
    (void)breakKeys;
    if (breakCode) *breakCode = -1;
    TestHost& host = TestHost::current();
    host.record(call);
    return host.nextAnswer(host.menuAnswers(), call);
}

int FARAPI hostMessage(int number, DWORD flags, const char* help, const char* const* items, int count, int buttons) {
    HostCall call{"Message", {number, static_cast<long long>(flags), count, buttons}, {text(help)}};
    for (int i = 0; i < count && items; ++i) call.texts.push_back(text(items[i]));
    TestHost& host = TestHost::current();
    host.record(call);
    return host.nextAnswer(host.messageAnswers(), call);
}

HostCall dialogCall(const char* name, int number, int x1, int y1, int x2, int y2, const char* help,
                    const FarDialogItem* items, int count) {
    HostCall call{name, {number, x1, y1, x2, y2, count}, {text(help)}};
    for (int i = 0; i < count && items; ++i) call.texts.push_back(items[i].Data);
    return call;
}

int FARAPI hostDialog(int number, int x1, int y1, int x2, int y2, const char* help, FarDialogItem* items, int count) {
    TestHost& host = TestHost::current();
    HostCall call = dialogCall("Dialog", number, x1, y1, x2, y2, help, items, count);
    host.record(call);
    return host.nextAnswer(host.dialogAnswers(), call);
}

int FARAPI hostDialogEx(int number, int x1, int y1, int x2, int y2, const char* help, FarDialogItem* items, int count,
                        DWORD, DWORD, FARWINDOWPROC, LONG_PTR) {
    TestHost& host = TestHost::current();
    HostCall call = dialogCall("DialogEx", number, x1, y1, x2, y2, help, items, count);
    host.record(call);
    if (!host.dialogFills().empty()) {
        auto fill = std::move(host.dialogFills().front());
        host.dialogFills().pop_front();
        fill(items, count);
    }
    return host.nextAnswer(host.dialogAnswers(), call);
}

const char* FARAPI hostGetMsg(int, int id) { return TestHost::current().message(id); }

int FARAPI hostControl(HANDLE plugin, int command, void* param) {
    TestHost& host = TestHost::current();
    HostCall call{"Control", {reinterpret_cast<long long>(plugin), command}, {}};
    if ((command == FCTL_SETCMDLINE || command == FCTL_SETPANELDIR) && param)
        call.texts.push_back(static_cast<const char*>(param));
    if (command == FCTL_REDRAWPANEL && param) {
        const auto* redraw = static_cast<const PanelRedrawInfo*>(param);
        call.args.push_back(redraw->CurrentItem);
        call.args.push_back(redraw->TopPanelItem);
    }
    host.record(call);
    if (command == FCTL_SETCMDLINE && param) host.commandLine = static_cast<const char*>(param);
    if (command == FCTL_GETCMDLINE && param) {
        const size_t n = std::min(host.commandLine.size(), size_t{1023});
        std::memcpy(param, host.commandLine.data(), n);
        static_cast<char*>(param)[n] = 0;
    }
    if (command == FCTL_GETPANELINFO && param) {
        auto* info = static_cast<PanelInfo*>(param);
        *info = PanelInfo{};
        info->PanelType = PTYPE_FILEPANEL;
        info->PanelRect = RECT{0, 1, 39, 22};
        info->Visible = 1;
        info->Focus = 1;
        std::strcpy(info->CurDir, "/");
        if (host.panelInfo) host.panelInfo(*info);
    }
    return TRUE;
}

INT_PTR FARAPI hostAdvControl(int number, int command, void* param) {
    TestHost& host = TestHost::current();
    HostCall call{"AdvControl", {number, command}, {}};
    if (command == ACTL_KEYMACRO && param) {
        const auto* macro = static_cast<const ActlKeyMacro*>(param);
        call.args.push_back(macro->Command);
        call.args.push_back(macro->Param.PlainText.Flags);
        call.texts.push_back(text(macro->Param.PlainText.SequenceText));
    }
    if (command == ACTL_POSTKEYSEQUENCE && param) {
        const auto* keys = static_cast<const KeySequence*>(param);
        call.args.push_back(keys->Flags);
        for (int i = 0; i < keys->Count && keys->Sequence; ++i) call.args.push_back(keys->Sequence[i]);
    }
    host.record(call);
    if (command == ACTL_KEYMACRO) return host.acceptMacros ? TRUE : FALSE;
    if (command != ACTL_GETFARVERSION) return 0;
    if (param) *static_cast<DWORD*>(param) = host.farVersion;
    return static_cast<INT_PTR>(host.farVersion);
}

HANDLE FARAPI hostSaveScreen(int x1, int y1, int x2, int y2) {
    TestHost::current().record({"SaveScreen", {x1, y1, x2, y2}, {}});
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(1));
}

void FARAPI hostRestoreScreen(HANDLE) { TestHost::current().record({"RestoreScreen", {}, {}}); }

void FARAPI hostText(int x, int y, int color, const char* str) {
    TestHost::current().record({"Text", {x, y, color}, {text(str)}});
}

LONG_PTR FARAPI hostSendDlgMessage(HANDLE hDlg, int msg, int param1, LONG_PTR param2) {
    TestHost& host = TestHost::current();
    host.record({"SendDlgMessage", {msg, param1, static_cast<long long>(param2)}, {}});
    return host.dialogMessages ? host.dialogMessages(hDlg, msg, param1, param2) : 0;
}

LONG_PTR FARAPI hostDefDlgProc(HANDLE, int msg, int param1, LONG_PTR param2) {
    TestHost::current().record({"DefDlgProc", {msg, param1, static_cast<long long>(param2)}, {}});
    return 0;
}

std::vector<std::string> loadMessages(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "TestHost: cannot read the language file " << file;
        return {};
    }
    std::stringstream bytes;
    bytes << in.rdbuf();
    return farapi::parseLng(bytes.str()).messages;
}

}  // namespace

TestHost::TestHost(const std::filesystem::path& lngFile) : messages_(loadMessages(lngFile)) {
    if (g_host) ADD_FAILURE() << "TestHost: only one host may exist at a time";
    g_host = this;
    fsf_.StructSize = sizeof fsf_;
    info_.StructSize = sizeof info_;
    std::strcpy(info_.ModuleName, builtModuleFile().filename().string().c_str());
    info_.ModuleNumber = moduleNumber;
    info_.RootKey = rootKey_.c_str();
    info_.Menu = hostMenu;
    info_.Dialog = hostDialog;
    info_.Message = hostMessage;
    info_.GetMsg = hostGetMsg;
    info_.Control = hostControl;
    info_.SaveScreen = hostSaveScreen;
    info_.RestoreScreen = hostRestoreScreen;
    info_.Text = hostText;
    info_.FSF = &fsf_;
    info_.AdvControl = hostAdvControl;
    info_.DialogEx = hostDialogEx;
    info_.SendDlgMessage = hostSendDlgMessage;
    info_.DefDlgProc = hostDefDlgProc;
}

TestHost::~TestHost() {
    if (!menuAnswers_.empty()) ADD_FAILURE() << "TestHost: " << menuAnswers_.size() << " scripted Menu answer(s) unused";
    if (!messageAnswers_.empty())
        ADD_FAILURE() << "TestHost: " << messageAnswers_.size() << " scripted Message answer(s) unused";
    if (!dialogAnswers_.empty())
        ADD_FAILURE() << "TestHost: " << dialogAnswers_.size() << " scripted dialog answer(s) unused";
    if (!dialogFills_.empty())
        ADD_FAILURE() << "TestHost: " << dialogFills_.size() << " scripted dialog fill(s) unused";
    g_host = nullptr;
}

std::filesystem::path TestHost::defaultLngFile() { return builtModuleFile().parent_path() / "skimmer_en.lng"; }

void TestHost::setRootKey(std::string rootKey) {
    rootKey_ = std::move(rootKey);
    info_.RootKey = rootKey_.c_str();
}

TestHost& TestHost::current() {
    if (!g_host) {
        ADD_FAILURE() << "TestHost: the plug-in called a host service with no TestHost alive";
        std::abort();
    }
    return *g_host;
}

std::vector<HostCall> TestHost::callsTo(std::string_view function) const {
    std::vector<HostCall> out;
    for (const auto& call : calls_) {
        if (call.function == function) out.push_back(call);
    }
    return out;
}

int TestHost::nextAnswer(std::deque<int>& queue, const HostCall& call) {
    if (queue.empty()) {
        ADD_FAILURE() << "TestHost: unexpected " << describe(call) << " with no scripted answer";
        return -1;
    }
    const int answer = queue.front();
    queue.pop_front();
    return answer;
}

const char* TestHost::message(int number) {
    if (number < 0 || static_cast<size_t>(number) >= messages_.size()) {
        ADD_FAILURE() << "TestHost: GetMsg(" << number << ") is not in the language file";
        return "";
    }
    return messages_[number].c_str();
}

std::filesystem::path builtModuleFile() { return SKIMMER_BUILT_MODULE; }

}  // namespace skimmer::test
