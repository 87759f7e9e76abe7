#include "host/term/terminal_session.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>
#include <thread>

namespace skimmer::host::term {
namespace {

// A pseudo-terminal pair; the session runs on the slave, the test reads the master.
struct Pty {
    int master = -1, slave = -1;
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(master);
        unlockpt(master);
        slave = ::open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        winsize ws{};
        ws.ws_col = 132;
        ws.ws_row = 43;
        ioctl(master, TIOCSWINSZ, &ws);
    }
    ~Pty() {
        if (slave >= 0) close(slave);
        if (master >= 0) close(master);
    }
    std::string drain() const {
        std::string out;
        char buf[4096];
        pollfd p{master, POLLIN, 0};
        while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0) break;
            out.append(buf, static_cast<size_t>(n));
        }
        return out;
    }
};

bool sameTermios(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

// The session needs its keys and its screen on one terminal; every other pairing is refused with
// a reason that names the stream at fault.
enum class Stream { SameTerminal, OtherTerminal, Pipe, File };

struct StreamCase {
    const char* name;
    Stream in, out;
    const char* reasonNames;  // nullptr: accepted
};

class TerminalSessionStreams : public ::testing::TestWithParam<StreamCase> {};

TEST_P(TerminalSessionStreams, OnlyOneTerminalForBothIsAccepted) {
    Pty pty, other;
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    char fileName[] = "/tmp/skimmer-session-XXXXXX";
    const int file = mkstemp(fileName);
    ASSERT_GE(file, 0);
    unlink(fileName);
    const auto fdOf = [&](Stream s, bool input) {
        switch (s) {
            case Stream::SameTerminal: return pty.slave;
            case Stream::OtherTerminal: return other.slave;
            case Stream::Pipe: return input ? pipeFds[0] : pipeFds[1];
            case Stream::File: return file;
        }
        return -1;
    };
    std::string error;
    auto session = TerminalSession::open(fdOf(GetParam().in, true), fdOf(GetParam().out, false), error);
    if (GetParam().reasonNames == nullptr) {
        EXPECT_NE(session, nullptr) << error;
    } else {
        EXPECT_EQ(session, nullptr);
        EXPECT_NE(error.find(GetParam().reasonNames), std::string::npos) << error;
    }
    EXPECT_EQ(pty.drain(), "");  // a refused session never wrote to the terminal
    close(pipeFds[0]);
    close(pipeFds[1]);
    close(file);
}

INSTANTIATE_TEST_SUITE_P(
    Pairings, TerminalSessionStreams,
    ::testing::Values(StreamCase{"BothOnOneTerminal", Stream::SameTerminal, Stream::SameTerminal, nullptr},
                      StreamCase{"OutputToAFile", Stream::SameTerminal, Stream::File, "standard output"},
                      StreamCase{"OutputToAPipe", Stream::SameTerminal, Stream::Pipe, "standard output"},
                      StreamCase{"OutputToAnotherTerminal", Stream::SameTerminal, Stream::OtherTerminal,
                                 "different terminals"},
                      StreamCase{"InputFromAPipe", Stream::Pipe, Stream::SameTerminal, "standard input"},
                      StreamCase{"InputFromAFile", Stream::File, Stream::SameTerminal, "standard input"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TerminalSession, EnterAndLeaveRestoreModesExactly) {
    Pty pty;
    termios before{};
    ASSERT_EQ(tcgetattr(pty.slave, &before), 0);
    std::string error;
    auto session = TerminalSession::open(pty.slave, pty.slave, error);
    ASSERT_NE(session, nullptr) << error;
    EXPECT_EQ(session->size().width, 132);
    EXPECT_EQ(session->size().height, 43);
    ASSERT_TRUE(session->enter());
    termios raw{};
    tcgetattr(pty.slave, &raw);
    EXPECT_EQ(raw.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_NE(pty.drain().find(TerminalSession::enterSequence()), std::string::npos);
    session->leave();
    termios after{};
    tcgetattr(pty.slave, &after);
    EXPECT_TRUE(sameTermios(before, after));
    EXPECT_NE(pty.drain().find(TerminalSession::leaveSequence()), std::string::npos);
    // Twice in and out, then the destructor: still exactly the original.
    session->enter();
    session->enter();
    session.reset();
    tcgetattr(pty.slave, &after);
    EXPECT_TRUE(sameTermios(before, after));
}

TEST(TerminalSession, HangUpStopsWritingAtOnce) {
    Pty pty;
    std::string error;
    auto session = TerminalSession::open(pty.slave, pty.slave, error);
    ASSERT_NE(session, nullptr);
    close(pty.master);
    pty.master = -1;
    const std::string big(1 << 16, 'x');
    EXPECT_FALSE(session->write(big));
    EXPECT_TRUE(session->hungUp());
    EXPECT_FALSE(session->write("more"));
}

TEST(TerminalSession, ANonBlockingTerminalIsWaitedForThenGivenUp) {
    Pty pty;
    fcntl(pty.slave, F_SETFL, fcntl(pty.slave, F_GETFL) | O_NONBLOCK);
    std::string error;
    auto session = TerminalSession::open(pty.slave, pty.slave, error);
    ASSERT_NE(session, nullptr);
    session->setWriteStallMs(50);
    // Nobody reads the master: the buffer fills, EAGAIN, and after the stall the session gives up
    // instead of spinning.
    const std::string big(1 << 20, 'x');
    EXPECT_FALSE(session->write(big));
    EXPECT_TRUE(session->hungUp());
    // A reader that keeps up: every byte arrives although each write() may be partial.
    Pty pty2;
    fcntl(pty2.slave, F_SETFL, fcntl(pty2.slave, F_GETFL) | O_NONBLOCK);
    termios raw{};
    tcgetattr(pty2.slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(pty2.slave, TCSANOW, &raw);
    auto session2 = TerminalSession::open(pty2.slave, pty2.slave, error);
    std::string received;
    std::thread reader([&] {
        char buf[4096];
        while (received.size() < 300000) {
            pollfd p{pty2.master, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) break;
            const ssize_t n = read(pty2.master, buf, sizeof buf);
            if (n <= 0) break;
            received.append(buf, static_cast<size_t>(n));
        }
    });
    EXPECT_TRUE(session2->write(std::string(300000, 'y')));
    reader.join();
    EXPECT_EQ(received.size(), 300000u);
}

}  // namespace
}  // namespace skimmer::host::term
