// A stand-in for Locate.exe, the Windows locate program, for the tests that run under Wine: a
// console program that answers as the real one does (one path a line, CR LF, in the OEM code
// page; "/?" prints its version line first) and can be told to misbehave.
//
// It is told what to do by the file fake_locate.txt beside it (UTF-8), whose first line is the
// mode and whose other lines are its data:
//   match          print every data line that holds every word, case-insensitively; exit 0
//   print          print every data line as it is, whatever the words; exit 0
//   flood N        print N lines "C:\flood\<i>\file.txt"; exit 0
//   fail CODE TEXT print the data lines, then TEXT on standard error, and exit with CODE
//   hang           print the data lines, start a copy of itself that hangs too, write both
//                  process ids to fake_locate.pids, and never exit
//   echo           print each argument (after the program's name) in the ANSI code page,
//                  each followed by a NUL, on standard output; exit 0
//   echo-file      the same into fake_locate.args beside it, printing nothing; exit 0
// Without the file it says so on standard error and exits with 2.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kVersionLine = "Locate stand-in 1.0 (a test program)";

std::wstring folderOfSelf() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::string narrow(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring widen(UINT codePage, const std::string& text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), n);
    return out;
}

// Writes all of `bytes` to a standard handle, unconverted (no text mode, no CR added).
bool writeAll(DWORD which, const std::string& bytes) {
    const HANDLE out = ::GetStdHandle(which);
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 16));
        if (!::WriteFile(out, bytes.data() + done, want, &wrote, nullptr)) return false;
        done += wrote;
    }
    return true;
}

std::wstring lower(std::wstring text) {
    if (!text.empty()) ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

struct Control {
    std::string mode;  // the first word of the first line
    std::string rest;  // the rest of the first line
    std::vector<std::wstring> lines;
};

bool readControl(Control& control) {
    std::ifstream in(std::filesystem::path(folderOfSelf() + L"fake_locate.txt"), std::ios::binary);
    if (!in) return false;
    std::string first;
    std::getline(in, first);
    if (!first.empty() && first.back() == '\r') first.pop_back();
    const size_t blank = first.find(' ');
    control.mode = first.substr(0, blank);
    control.rest = blank == std::string::npos ? std::string() : first.substr(blank + 1);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        control.lines.push_back(widen(CP_UTF8, line));
    }
    return true;
}

int printLines(const std::vector<std::wstring>& lines) {
    std::string out;
    for (const auto& line : lines) out += narrow(CP_OEMCP, line) + "\r\n";
    return writeAll(STD_OUTPUT_HANDLE, out) ? 0 : 3;
}

int match(const Control& control, int argc, wchar_t** argv) {
    std::vector<std::wstring> hits;
    for (const auto& line : control.lines) {
        bool every = true;
        for (int i = 1; i < argc && every; ++i) every = lower(line).find(lower(argv[i])) != std::wstring::npos;
        if (every) hits.push_back(line);
    }
    return printLines(hits);
}

int flood(const Control& control) {
    const long count = std::strtol(control.rest.c_str(), nullptr, 10);
    std::string out;
    for (long i = 0; i < count; ++i) {
        out += "C:\\flood\\" + std::to_string(i) + "\\file.txt\r\n";
        if (out.size() >= 1 << 16 || i + 1 == count) {
            if (!writeAll(STD_OUTPUT_HANDLE, out)) return 3;
            out.clear();
        }
    }
    return 0;
}

int fail(const Control& control) {
    char* end = nullptr;
    const long code = std::strtol(control.rest.c_str(), &end, 10);
    std::string text = end && *end == ' ' ? std::string(end + 1) : std::string();
    if (printLines(control.lines) != 0) return 3;
    writeAll(STD_ERROR_HANDLE, narrow(CP_OEMCP, widen(CP_UTF8, text)) + "\r\n");
    return static_cast<int>(code);
}

std::string arguments(int argc, wchar_t** argv) {
    std::string out;
    for (int i = 1; i < argc; ++i) out += narrow(CP_ACP, argv[i]) + '\0';
    return out;
}

// A copy of this program that only hangs: what the real program's own helpers would be, which
// must end with it.
DWORD startHangingCopy() {
    std::wstring self(MAX_PATH, L'\0');
    self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    std::wstring line = L"\"" + self + L"\" --hang-child";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(self.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &info))
        return 0;
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return info.dwProcessId;
}

int hang(const Control& control) {
    printLines(control.lines);
    const DWORD child = startHangingCopy();
    std::ofstream(std::filesystem::path(folderOfSelf() + L"fake_locate.pids")) << ::GetCurrentProcessId() << ' ' << child << '\n';
    ::Sleep(INFINITE);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--hang-child") {
        ::Sleep(INFINITE);
        return 0;
    }
    Control control;
    if (!readControl(control)) {
        writeAll(STD_ERROR_HANDLE, "fake_locate.txt is missing beside the program\r\n");
        return 2;
    }
    if (control.mode == "echo") return writeAll(STD_OUTPUT_HANDLE, arguments(argc, argv)) ? 0 : 3;
    if (control.mode == "echo-file") {
        std::ofstream(std::filesystem::path(folderOfSelf() + L"fake_locate.args"), std::ios::binary) << arguments(argc, argv);
        return 0;
    }
    if (argc == 2 && std::wstring(argv[1]) == L"/?")
        return writeAll(STD_OUTPUT_HANDLE, std::string(kVersionLine) + "\r\nUsage: Locate.exe [words]\r\n") ? 0 : 3;
    if (control.mode == "match") return match(control, argc, argv);
    if (control.mode == "print") return printLines(control.lines);
    if (control.mode == "flood") return flood(control);
    if (control.mode == "fail") return fail(control);
    if (control.mode == "hang") return hang(control);
    writeAll(STD_ERROR_HANDLE, "unknown mode in fake_locate.txt: " + control.mode + "\r\n");
    return 2;
}
