// Windows tests' way to run a command line through the system's command interpreter exactly as
// FAR does: cmd.exe /c with the line as it is (nothing of ours quotes it). Windows only.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace skimmer::test {

struct CmdRun {
    bool started = false;
    unsigned long exitCode = 0;
    std::string output;  // standard output and error together
};

// Runs `%COMSPEC% <switches> <line>` (switches such as L"/c" or L"/s /c"), waits at most a
// minute, and collects what it printed through `scratch` (a file of the test's own).
inline CmdRun runThroughCmd(const std::wstring& switches, const std::wstring& line, const std::filesystem::path& scratch) {
    CmdRun run;
    wchar_t comspec[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"ComSpec", comspec, MAX_PATH)) ::lstrcpyW(comspec, L"C:\\windows\\system32\\cmd.exe");
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    const HANDLE out = ::CreateFileW(scratch.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                     CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return run;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out;
    startup.hStdError = out;
    std::wstring commandLine = L"cmd.exe " + switches + L" " + line;
    PROCESS_INFORMATION info{};
    run.started = ::CreateProcessW(comspec, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                   nullptr, &startup, &info);
    ::CloseHandle(out);
    if (!run.started) return run;
    ::WaitForSingleObject(info.hProcess, 60000);
    DWORD code = 0;
    ::GetExitCodeProcess(info.hProcess, &code);
    run.exitCode = code;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    std::ifstream in(scratch, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    run.output = text.str();
    return run;
}

}  // namespace skimmer::test
