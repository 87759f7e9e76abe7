// Runs a program on a pseudo-terminal the way a shell would (its own foreground process group in a
// session led by a small stand-in shell), feeds it keys, and reads its screen back through libvterm.
//
// The stand-in shell owns the session so that the program can really be stopped by SIGTSTP (a
// process group whose parent is outside the session would be orphaned, and the kernel does not
// stop those), and it survives a hang-up long enough to report how the program ended and how much
// CPU time it used.
//
// Waiting is always for something (output, a state, an exit) with a deadline, never a fixed sleep.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/vterm_screen.h"

namespace skimmer::test {

struct PtyOptions {
    std::vector<std::string> argv;  // argv[0] is the program's path
    int cols = 80;
    int rows = 24;
    std::string cwd;
    std::map<std::string, std::string> env;  // added to (or replacing in) the test's environment
};

struct PtyExit {
    bool exited = false;  // false: killed by `signal`
    int code = 0;
    int signal = 0;
    long cpuMs = 0;       // user + system time the program used over its whole life
};

class PtyProgram {
public:
    explicit PtyProgram(const PtyOptions& options);
    ~PtyProgram();
    PtyProgram(const PtyProgram&) = delete;
    PtyProgram& operator=(const PtyProgram&) = delete;

    pid_t pid() const { return pid_; }
    VtermScreen& screen() { return screen_; }
    const std::string& output() const { return output_; }  // every byte the program wrote

    void send(std::string_view bytes);
    // Reads output until `done` holds or `timeoutMs` passes; true when it holds.
    bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);
    bool waitForText(std::string_view text, int timeoutMs = 5000);
    // Waits until the program has written nothing for `quietMs` (at most `timeoutMs`): a screen
    // that a typed text's intermediate searches are still redrawing is not yet the final one.
    bool waitForQuiet(int quietMs = 300, int timeoutMs = 5000);
    void resize(int cols, int rows);

    termios modes() const;                // the terminal's current modes
    const termios& initialModes() const { return initial_; }
    char state() const;                   // /proc state letter of the program: R, S, T, Z, ...; 0 when gone

    void closeMaster();                   // hang up the terminal
    std::optional<PtyExit> waitExit(int timeoutMs = 5000);

private:
    void pump(int timeoutMs);

    int master_ = -1;
    int slaveKeep_ = -1;  // our own slave descriptor: output stays readable after the program exits
    pid_t shell_ = -1;  // the stand-in shell (our child)
    pid_t pid_ = -1;    // the program (its child)
    int infoFd_ = -1;   // what the stand-in shell reports
    termios initial_{};
    VtermScreen screen_;
    std::string output_;
    std::optional<PtyExit> exit_;
};

bool sameModes(const termios& a, const termios& b);

}  // namespace skimmer::test
