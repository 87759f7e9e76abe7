// The manager on a pseudo-terminal, with its service hosts installed, over a folder "d" holding
// a folder "sub" and a file "one.txt": what the app's headless tests drive.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "host/app/app_service_hosts.h"
#include "host/app/manager.h"
#include "host/app/terminal_console.h"
#include "tests/support/temp_home.h"

namespace skimmer::host::app {

namespace fs = std::filesystem;

struct ScreenOnPty {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    int slave = -1;
    std::unique_ptr<term::TerminalSession> session;
    std::unique_ptr<TerminalConsole> console;
    std::unique_ptr<Manager> manager;
    HostContext host;  // what the service hosts are built over: installHosts() after a change
    std::unique_ptr<AppServiceHosts> hosts;
    test::TempHome home;
    fs::path dir = home.root() / "d";
    std::vector<std::string> errors;  // what the manager's error boxes said

    explicit ScreenOnPty(unsigned short columns = 60, unsigned short rows = 20) {
        grantpt(master);
        unlockpt(master);
        slave = ::open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
        winsize ws{};
        ws.ws_col = columns;
        ws.ws_row = rows;
        ioctl(master, TIOCSWINSZ, &ws);
        fcntl(master, F_SETFL, O_NONBLOCK);
        std::string error;
        session = term::TerminalSession::open(slave, slave, error);
        console = std::make_unique<TerminalConsole>(*session);
        manager = std::make_unique<Manager>(
            *console, ManagerDialogs{.menu = {}, .error = [this](const std::string&, const std::string& text) {
                                         errors.push_back(text);
                                     }});
        fs::create_directories(dir / "sub");
        std::ofstream(dir / "one.txt") << "1";
        manager->openFolder(dir.string());
        host.console = console.get();
        host.manager = manager.get();
        installHosts();
    }
    ~ScreenOnPty() {
        services::installServiceHosts(nullptr);
        hosts.reset();
        manager.reset();
        console.reset();
        session.reset();
        close(slave);
        close(master);
    }

    void installHosts() {
        services::installServiceHosts(nullptr);
        hosts = std::make_unique<AppServiceHosts>(host);
        services::installServiceHosts(&hosts->table());
    }
};

}  // namespace skimmer::host::app
