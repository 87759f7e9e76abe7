// A headless screen and a scripted input for the dialog engine's tests: keys go in, the cell
// buffer comes out. Script steps may also be actions that run on the UI thread at that point of
// the conversation (to look at the screen while a dialog is open, or to send it a message).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "far/far.h"
#include "host/term/text_width.h"
#include "host/ui/far_services.h"
#include "host/ui/ui_context.h"

namespace skimmer::host::ui::test {

class FakeSurface : public Surface {
public:
    FakeSurface(int width, int height) : cells_(width, height) { redrawBackground(); }
    term::CellBuffer& cells() override { return cells_; }
    void present() override { ++frames; }
    void redrawBackground() override {
        cells_.fill(0, 0, cells_.width() - 1, cells_.height() - 1, U'.', kBackground);
    }
    static constexpr term::Attr kBackground = 0x1B;
    int frames = 0;

private:
    term::CellBuffer cells_;
};

// Steps run in order. When the script is used up, `next()` answers InputEnded for ever, unless
// `blockWhenEmpty` is set: then it waits for more steps (pushed from another thread) or a wake.
class ScriptedEvents : public EventSource {
public:
    using Action = std::function<void()>;

    UiEvent next() override {
        std::unique_lock lock(mutex_);
        while (true) {
            if (wakes_ > 0) {
                --wakes_;
                return WakeEvent{};
            }
            if (!steps_.empty()) {
                auto step = std::move(steps_.front());
                steps_.pop_front();
                if (auto* event = std::get_if<UiEvent>(&step)) return *event;
                lock.unlock();
                std::get<Action>(step)();
                lock.lock();
                continue;
            }
            if (!blockWhenEmpty) return InputEnded{};
            changed_.wait(lock);
        }
    }

    void wake() override {
        std::lock_guard lock(mutex_);
        ++wakes_;
        ++wakeCount;
        changed_.notify_all();
    }

    ScriptedEvents& key(int code) { return push(term::KeyEvent{static_cast<term::key::Code>(code)}); }
    ScriptedEvents& type(std::string_view utf8) {
        for (size_t i = 0; i < utf8.size();) {
            auto step = term::decodeUtf8(utf8, i);
            key(static_cast<int>(step.cp));
            i += step.length;
        }
        return *this;
    }
    ScriptedEvents& click(int x, int y, uint32_t buttons = term::kLeftButton) {
        push(term::MouseEvent{x, y, buttons, 0, 0, 0});
        return push(term::MouseEvent{x, y, 0, 0, 0, 0});
    }
    ScriptedEvents& push(UiEvent event) {
        std::lock_guard lock(mutex_);
        steps_.push_back(std::move(event));
        changed_.notify_all();
        return *this;
    }
    ScriptedEvents& then(Action action) {
        std::lock_guard lock(mutex_);
        steps_.push_back(std::move(action));
        changed_.notify_all();
        return *this;
    }

    bool blockWhenEmpty = false;
    int wakeCount = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::variant<UiEvent, Action>> steps_;
    int wakes_ = 0;
};

// One headless UI: an 80x25 screen, a script, a context installed for the FAR services.
struct UiHarness {
    UiHarness(int width = 80, int height = 25) : surface(width, height), context(surface, events) {
        installUiContext(&context);
    }
    ~UiHarness() { installUiContext(nullptr); }

    term::CellBuffer& cells() { return surface.cells(); }
    std::string row(int y) { return cells().textAt(y); }
    term::Attr attr(int x, int y) { return cells().attrAt(x, y); }
    // Column of the first occurrence of `text` in row `y` (in cells, counting wide characters as
    // two), or -1.
    int find(int y, std::string_view text) {
        std::string line = row(y);
        size_t at = line.find(text);
        return at == std::string::npos ? -1 : term::displayWidth(std::string_view(line).substr(0, at));
    }

    FakeSurface surface;
    ScriptedEvents events;
    UiContext context;
};

inline FarDialogItem item(int type, int x1, int y1, int x2, int y2, std::string_view text = {}, DWORD flags = 0) {
    FarDialogItem out{};
    out.Type = type;
    out.X1 = x1;
    out.Y1 = y1;
    out.X2 = x2;
    out.Y2 = y2;
    out.Flags = flags;
    text.copy(out.Data, sizeof out.Data - 1);
    return out;
}

inline std::string dataOf(const FarDialogItem& item) { return std::string(item.Data); }

}  // namespace skimmer::host::ui::test

namespace skimmer::host::ui::test {

struct Notice {
    int msg;
    int param1;
    LONG_PTR param2;
};

// A dialog procedure for tests: logs every notification and lets `handler` answer; what the
// handler leaves (nullopt) goes to DefDlgProc. One at a time (FARWINDOWPROC carries no context).
class ProcScript {
public:
    using Handler = std::function<std::optional<LONG_PTR>(HANDLE, int, int, LONG_PTR)>;

    ProcScript() { active() = this; }
    ~ProcScript() { active() = nullptr; }

    static LONG_PTR FARAPI proc(HANDLE dlg, int msg, int param1, LONG_PTR param2) {
        ProcScript* self = active();
        if (!self) return DefDlgProc(dlg, msg, param1, param2);
        self->log.push_back({msg, param1, param2});
        self->hDlg = dlg;
        if (self->handler)
            if (auto answer = self->handler(dlg, msg, param1, param2)) return *answer;
        return DefDlgProc(dlg, msg, param1, param2);
    }

    int count(int msg) const {
        int n = 0;
        for (const auto& notice : log) n += notice.msg == msg;
        return n;
    }
    std::vector<Notice> of(int msg) const {
        std::vector<Notice> out;
        for (const auto& notice : log)
            if (notice.msg == msg) out.push_back(notice);
        return out;
    }

    Handler handler;
    std::vector<Notice> log;
    HANDLE hDlg = nullptr;

private:
    static ProcScript*& active() {
        static ProcScript* current = nullptr;
        return current;
    }
};

}  // namespace skimmer::host::ui::test

namespace skimmer::host::ui::test {

// A 40x10 dialog, centred on the 80x25 screen at (20, 7): a titled frame, a label naming an edit
// field, a check box and two buttons. Screen rows: frame 8..15, label 9, edit 10, check box 11,
// buttons 13.
enum StandardItem { kFrame, kLabel, kEdit, kCheck, kOk, kCancel };
inline constexpr int kDlgX = 20, kDlgY = 7;

inline std::vector<FarDialogItem> standardItems() {
    return {
        item(DI_DOUBLEBOX, 3, 1, 36, 8, "Title"),
        item(DI_TEXT, 5, 2, 0, 2, "&Name:"),
        item(DI_EDIT, 5, 3, 34, 3, "hello"),
        item(DI_CHECKBOX, 5, 4, 0, 4, "&Check"),
        item(DI_BUTTON, 5, 6, 0, 6, "&OK"),
        item(DI_BUTTON, 15, 6, 0, 6, "Cancel"),
    };
}

inline int runDialog(std::vector<FarDialogItem>& items, ProcScript* proc = nullptr, DWORD flags = 0,
                     LONG_PTR param = 0, int width = 40, int height = 10) {
    return DialogEx(0, -1, -1, width, height, "Topic", items.data(), static_cast<int>(items.size()), 0, flags,
                    proc ? &ProcScript::proc : nullptr, param);
}

}  // namespace skimmer::host::ui::test
