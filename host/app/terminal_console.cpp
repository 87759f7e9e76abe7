#include "host/app/terminal_console.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "host/app/display_name.h"
#include "host/term/signal_pipe.h"

namespace skimmer::host::app {
namespace {

int escDelayFromEnvironment() {
    const char* v = std::getenv("ESCDELAY");
    if (v == nullptr || *v == '\0') return 25;
    char* end = nullptr;
    const long ms = std::strtol(v, &end, 10);
    return (*end == '\0' && ms >= 0 && ms <= 2000) ? static_cast<int>(ms) : 25;
}

}  // namespace

TerminalConsole::TerminalConsole(term::TerminalSession& session)
    : session_(session), buffer_(session.size().width, session.size().height),
      wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), signalFd_(term::SignalPipe::install().fd()),
      escDelayMs_(escDelayFromEnvironment()) {}

TerminalConsole::~TerminalConsole() {
    if (wakeFd_ >= 0) close(wakeFd_);
}

void TerminalConsole::present() {
    if (!session_.active() || userScreen_) return;
    if (!session_.write(renderer_.render(buffer_))) ended_ = true;
}

void TerminalConsole::redrawBackground() {
    if (painter_) painter_();
}

void TerminalConsole::wake() {
    const uint64_t one = 1;
    ssize_t ignored = ::write(wakeFd_, &one, sizeof one);  // a saturated counter still wakes
    (void)ignored;
}

ui::UiEvent TerminalConsole::next() {
    while (queue_.empty()) {
        if (ended_ || session_.hungUp()) {
            ended_ = true;
            return ui::InputEnded{};
        }
        pollOnce();
    }
    ui::UiEvent e = std::move(queue_.front());
    queue_.pop_front();
    return e;
}

void TerminalConsole::pollOnce() {
    pollfd fds[3] = {{session_.inputFd(), POLLIN, 0}, {signalFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    const int n = poll(fds, 3, pollTimeoutMs());
    if (n < 0) {
        if (errno != EINTR) ended_ = true;
        return;
    }
    if (n == 0) {
        std::vector<term::InputEvent> events;
        if (decoder_.pasting()) decoder_.pasteTimeout(events);
        else decoder_.timeout(events);
        queueDecoded(events);
        return;
    }
    if (fds[1].revents & POLLIN) handleSignals();
    if (fds[2].revents & POLLIN) {
        uint64_t count;
        ssize_t ignored = ::read(wakeFd_, &count, sizeof count);
        (void)ignored;
        queue_.push_back(ui::WakeEvent{});
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) readInput();
}

// Both timers run from the last input byte, not from the last wake-up: the search thread's results
// and signals must neither delay a lone Esc nor keep an unterminated paste open.
int TerminalConsole::pollTimeoutMs() const {
    std::chrono::milliseconds wait;
    if (decoder_.waiting()) wait = std::chrono::milliseconds(escDelayMs_);
    else if (decoder_.pasting()) wait = term::InputDecoder::kPasteIdle;
    else return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(lastInput_ + wait - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, wait.count()));
}

void TerminalConsole::readInput() {
    char buf[4096];
    const ssize_t n = ::read(session_.inputFd(), buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {  // end of file or EIO: the terminal is gone
        ended_ = true;
        return;
    }
    lastInput_ = std::chrono::steady_clock::now();
    std::vector<term::InputEvent> events;
    decoder_.feed(std::string_view(buf, static_cast<size_t>(n)), events);
    queueDecoded(events);
}

void TerminalConsole::queueDecoded(std::vector<term::InputEvent>& events) {
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::steady_clock::now().time_since_epoch()).count();
    for (auto& e : events) {
        if (auto* mouse = std::get_if<term::MouseEvent>(&e)) *mouse = clicks_.classify(*mouse, now);
        std::visit([this](auto&& v) { queue_.push_back(std::move(v)); }, e);
    }
}

void TerminalConsole::handleSignals() {
    for (int sig : term::SignalPipe::install().take()) {
        switch (sig) {
            case SIGWINCH:
                // Even when the size ends where it was, the terminal may have passed through other
                // sizes and dropped what it showed: the next frame is drawn whole.
                renderer_.invalidate();
                if (!checkSize()) present();
                break;
            case SIGTSTP:
                session_.leave();
                term::SignalPipe::suspendSelf();
                [[fallthrough]];
            case SIGCONT:
                // Whoever had the terminal meanwhile may have changed its modes and screen.
                session_.leave();
                session_.enter();
                if (userScreen_) session_.write("\x1B[?1049l\x1B[?25h");
                renderer_.invalidate();
                checkSize();
                present();
                break;
            default: ended_ = true; break;  // SIGHUP, SIGTERM, SIGINT, SIGQUIT
        }
    }
}

bool TerminalConsole::checkSize() {
    const term::TermSize size = session_.size();
    if (size.width == buffer_.width() && size.height == buffer_.height()) return false;
    buffer_.resize(size.width, size.height);
    renderer_.invalidate();
    queue_.push_back(ui::ResizeEvent{size.width, size.height});
    return true;
}

void TerminalConsole::handOver() {
    session_.leave();
}

void TerminalConsole::takeBack() {
    session_.enter();
    renderer_.invalidate();
    userScreen_ = false;
    checkSize();
}

void TerminalConsole::writeUserScreenLine(const std::string& text) {
    session_.write(displayName(text) + "\r\n");
}

void TerminalConsole::showUserScreen(bool show) {
    if (show == userScreen_) return;
    userScreen_ = show;
    session_.write(show ? "\x1B[?1049l\x1B[?25h" : "\x1B[?1049h");
    if (!show) {
        renderer_.invalidate();
        present();
    }
}

}  // namespace skimmer::host::app
