// The terminal as the host's screen and input: implements the dialog engine's Surface (draw into
// the cell buffer, present it) and EventSource (keys, mouse, paste, resize, wake-ups, end of input)
// over one TerminalSession.
//
// Contract:
// - Runs on the UI thread only, except `wake()`, which any thread may call (an eventfd).
// - Signals are acted on here, in the loop, never in handlers: SIGWINCH resizes the buffer and
//   yields one ResizeEvent per burst; SIGTSTP restores the terminal, stops, and on resume takes the
//   terminal back and redraws everything; SIGCONT after an outside stop does the same;
//   SIGHUP/SIGTERM/SIGINT/SIGQUIT, end of file, EIO or a hung-up terminal end the input for good
//   (`InputEnded` from then on: no busy loop).
// - A lone Esc is decided after the escape delay (ESCDELAY milliseconds, default 25); a bracketed
//   paste whose end marker is lost ends `InputDecoder::kPasteIdle` after its last byte. Double clicks
//   are marked here (the terminal does not report them), by the monotonic clock.
// - `handOver()` gives the terminal to a child program (cooked mode, main screen) and `takeBack()`
//   reclaims it with a full redraw; `showUserScreen()` flips to the main screen while keeping input.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "host/term/cell_buffer.h"
#include "host/term/click_tracker.h"
#include "host/term/input_decoder.h"
#include "host/term/renderer.h"
#include "host/term/terminal_session.h"
#include "host/ui/surface.h"
#include "host/ui/ui_events.h"

namespace skimmer::host::app {

class TerminalConsole : public ui::Surface, public ui::EventSource {
public:
    explicit TerminalConsole(term::TerminalSession& session);
    ~TerminalConsole() override;

    // What lies beneath dialogs (panels, command line, key bar); called after a resize.
    void setBackgroundPainter(std::function<void()> painter) { painter_ = std::move(painter); }

    term::CellBuffer& cells() override { return buffer_; }
    void present() override;
    void redrawBackground() override;
    ui::UiEvent next() override;
    void wake() override;

    void handOver();
    void takeBack();
    void showUserScreen(bool show);
    // One line of text on the user screen while the terminal is handed over (the command being
    // run, as a shell would echo it); unsafe bytes are escaped first.
    void writeUserScreenLine(const std::string& text);
    bool ended() const { return ended_; }
    int terminalFd() const { return session_.outputFd(); }

private:
    void pollOnce();
    int pollTimeoutMs() const;
    void readInput();
    void handleSignals();
    bool checkSize();  // true when the size changed (a ResizeEvent is queued)
    void queueDecoded(std::vector<term::InputEvent>& events);

    term::TerminalSession& session_;
    term::CellBuffer buffer_;
    term::Renderer renderer_;
    term::InputDecoder decoder_;
    term::ClickTracker clicks_;
    std::deque<ui::UiEvent> queue_;
    std::function<void()> painter_;
    int wakeFd_ = -1;
    int signalFd_ = -1;
    int escDelayMs_ = 25;
    std::chrono::steady_clock::time_point lastInput_{};
    bool ended_ = false;
    bool userScreen_ = false;
};

}  // namespace skimmer::host::app
