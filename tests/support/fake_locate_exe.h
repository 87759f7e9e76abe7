// Windows tests' access to the Locate.exe stand-in (tests/support/fake_locate_exe_win32.cpp, whose
// top describes its modes): the built program is found beside the running test program (both
// land in the build's bin/), copied where a test wants it and told what to do. Windows only.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace skimmer::test {

inline std::filesystem::path besideTestProgram(const wchar_t* name) {
    std::wstring self(32768, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    return std::filesystem::path(self).parent_path() / name;
}

// `folder`\Locate.exe and its fake_locate.txt holding `control` (UTF-8: the mode line, then data
// lines). Returns the program's path.
inline std::filesystem::path installFakeLocateExe(const std::filesystem::path& folder, const std::string& control) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path program = folder / "Locate.exe";
    std::filesystem::copy_file(besideTestProgram(L"Locate.exe"), program,
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder / "fake_locate.txt", std::ios::binary | std::ios::trunc) << control;
    return program;
}

// The process ids a stand-in in mode "hang" wrote (itself, then the copy it started); empty until
// it has written them or after `limit`.
inline std::vector<unsigned long> hangingPids(const std::filesystem::path& folder,
                                              std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        std::ifstream in(folder / "fake_locate.pids");
        unsigned long self = 0, child = 0;
        if (in >> self >> child) return {self, child};
        if (std::chrono::steady_clock::now() >= deadline) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Whether a process with this id still runs (an ended one whose record is still held counts as ended).
inline bool processRunning(unsigned long pid) {
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
}

// Ends a process a test left running on purpose (a detached child).
inline void endProcess(unsigned long pid) {
    const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return;
    ::TerminateProcess(process, 1);
    ::WaitForSingleObject(process, 10000);
    ::CloseHandle(process);
}

}  // namespace skimmer::test
