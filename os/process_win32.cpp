#include "os/process.h"

#include <windows.h>

#include <algorithm>

#include "os/command_line.h"
#include "os/win32_handle.h"
#include "os/wide_text.h"

namespace skimmer::os {

struct Process::State {
    UniqueHandle process;
    UniqueHandle job;  // the job the child and everything it starts run in; null when detached
    DWORD pid = 0;
    UniqueHandle outRead;  // our end of the stdout pipe, never inherited; null without or at its end
    UniqueHandle errRead;  // the same for stderr
    std::optional<ExitStatus> status;
    bool detached = false;

    std::optional<ExitStatus> reapNow(DWORD waitMs = 0);
};

namespace {

using Clock = std::chrono::steady_clock;

// The exit code a child ended by terminate() gets; ExitStatus says "killed" for it all the same.
constexpr UINT kTerminatedCode = 1;
// Anonymous pipes cannot be waited on (no overlapped I/O), so waitForEvent looks at them in steps
// this long while it waits on the process itself.
constexpr DWORD kPipeLookMs = 10;

// The system's own words for a Win32 error, without the line break and full stop it ends with.
std::string errorText(DWORD err) {
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD units = ::FormatMessageW(flags, nullptr, err, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = units > 0 && buffer ? std::wstring(buffer, units) : std::wstring();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(err) : fromWide(text);
}

std::string describe(const std::string& program, DWORD err) { return "cannot start " + program + ": " + errorText(err); }

DWORD clampMs(std::chrono::milliseconds ms) {
    if (ms.count() <= 0) return 0;
    return static_cast<DWORD>(std::min<long long>(ms.count(), INFINITE - 1));
}

DWORD remainingMs(Clock::time_point deadline) {
    return clampMs(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

// A handle the child may inherit: a duplicate of `handle` made inheritable for the one
// CreateProcessW call, so that our own ends never are, whatever other thread starts a program.
UniqueHandle inheritableCopy(HANDLE handle) {
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, TRUE,
                           DUPLICATE_SAME_ACCESS))
        return {};
    return UniqueHandle(copy);
}

UniqueHandle openNullDevice(bool write) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return UniqueHandle(::CreateFileW(L"NUL", write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      &sa, OPEN_EXISTING, 0, nullptr));
}

// The pipe for one captured stream: our read end (not inheritable), the child's write end
// (inheritable). Without capture the child writes to the null device.
bool openStream(bool captured, UniqueHandle& ourRead, UniqueHandle& childWrite) {
    if (!captured) {
        childWrite = openNullDevice(true);
        return childWrite.valid();
    }
    HANDLE r = nullptr;
    HANDLE w = nullptr;
    if (!::CreatePipe(&r, &w, nullptr, 0)) return false;
    ourRead = UniqueHandle(r);
    UniqueHandle writeEnd(w);
    childWrite = inheritableCopy(writeEnd.get());
    return childWrite.valid();
}

// The list of the handles the child inherits, and nothing else: even a handle another thread
// made inheritable for its own child stays out of ours.
class InheritList {
public:
    bool build(std::vector<HANDLE> handles) {
        std::sort(handles.begin(), handles.end());
        handles_.assign(handles.begin(), std::unique(handles.begin(), handles.end()));
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (!::InitializeProcThreadAttributeList(list_, 1, 0, &size)) {
            list_ = nullptr;
            return false;
        }
        return ::UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                           handles_.size() * sizeof(HANDLE), nullptr, nullptr);
    }
    ~InheritList() {
        if (list_) ::DeleteProcThreadAttributeList(list_);
    }
    LPPROC_THREAD_ATTRIBUTE_LIST get() const { return list_; }

private:
    std::vector<HANDLE> handles_;
    std::vector<unsigned char> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// A job whose handle, when closed (by us, or by the system when we die), ends every process in it.
UniqueHandle makeKillOnCloseJob() {
    UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job.valid()) return {};
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!::SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) return {};
    return job;
}

// A path names the file to run as it is; a bare name is searched as CreateProcessW searches.
bool namesAFile(const std::string& program) { return program.find_first_of("\\/:") != std::string::npos; }

// Appends what the pipe holds now; an ended pipe is closed (the handle becomes null).
ReadState readPipe(UniqueHandle& pipe, std::string& out, size_t maxBytes) {
    if (!pipe.valid()) return ReadState::EndOfFile;
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe.get(), nullptr, 0, nullptr, &available, nullptr)) {
        // Every write end closed: the child and whatever inherited it are done with the stream.
        if (::GetLastError() != ERROR_BROKEN_PIPE) return ReadState::Error;
        pipe.reset();
        return ReadState::EndOfFile;
    }
    if (available == 0) return ReadState::Nothing;
    char buffer[65536];
    const DWORD want = static_cast<DWORD>(std::min<size_t>({maxBytes, sizeof buffer, available}));
    DWORD got = 0;
    // Never blocks: the pipe holds at least `want` bytes and we are its only reader.
    if (!::ReadFile(pipe.get(), buffer, want, &got, nullptr)) {
        if (::GetLastError() != ERROR_BROKEN_PIPE) return ReadState::Error;
        pipe.reset();
        return ReadState::EndOfFile;
    }
    out.append(buffer, got);
    return got > 0 ? ReadState::Data : ReadState::Nothing;
}

// True when a read of the pipe would have news: bytes, or the end.
bool pipeHasNews(const UniqueHandle& pipe) {
    if (!pipe.valid()) return false;
    DWORD available = 0;
    return !::PeekNamedPipe(pipe.get(), nullptr, 0, nullptr, &available, nullptr) || available > 0;
}

struct ChildHandles {
    UniqueHandle in, out, err;  // inheritable, closed once the child has its copies
};

bool openChildHandles(const LaunchSpec& launch, Process::State& ours, ChildHandles& child) {
    child.in = openNullDevice(false);
    return child.in.valid() && openStream(launch.captureStdout && !launch.detachSession, ours.outRead, child.out) &&
           openStream(launch.captureStderr && !launch.detachSession, ours.errRead, child.err);
}

}  // namespace

std::unique_ptr<Process> Process::start(const LaunchSpec& launch, std::string& error) {
    if (launch.argv.empty() || launch.argv[0].empty()) {
        error = "cannot start a program without a name";
        return nullptr;
    }
    const std::string& program = launch.argv[0];
    std::vector<std::wstring> wideArgv;
    for (const std::string& arg : launch.argv) wideArgv.push_back(toWide(arg));
    std::wstring commandLine;
    std::string why;
    if (!buildCommandLine(wideArgv, commandLine, why)) {
        error = "cannot start " + program + ": " + why;
        return nullptr;
    }
    const bool foreground = launch.foregroundTerminal >= 0 && !launch.detachSession;
    auto state = std::make_unique<State>();
    ChildHandles child;
    InheritList inherit;
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = foreground ? sizeof startup.StartupInfo : sizeof startup;
    DWORD flags = CREATE_UNICODE_ENVIRONMENT;
    if (!foreground) {
        if (!openChildHandles(launch, *state, child) ||
            !inherit.build({child.in.get(), child.out.get(), child.err.get()})) {
            error = describe(program, ::GetLastError());
            return nullptr;
        }
        startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = SW_HIDE;
        startup.StartupInfo.hStdInput = child.in.get();
        startup.StartupInfo.hStdOutput = child.out.get();
        startup.StartupInfo.hStdError = child.err.get();
        startup.lpAttributeList = inherit.get();
        flags |= EXTENDED_STARTUPINFO_PRESENT;
        flags |= launch.detachSession ? DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP : CREATE_NO_WINDOW;
    }
    if (!launch.detachSession) {
        // Suspended until it is in its job, so nothing it starts can escape the job first.
        state->job = makeKillOnCloseJob();
        if (!state->job.valid()) {
            error = describe(program, ::GetLastError());
            return nullptr;
        }
        flags |= CREATE_SUSPENDED;
    }
    const std::wstring application = namesAFile(program) ? toWide(program) : std::wstring();
    const std::wstring folder = toWide(launch.workingDirectory);
    PROCESS_INFORMATION info{};
    const auto create = [&](DWORD extra) {
        return ::CreateProcessW(application.empty() ? nullptr : application.c_str(), commandLine.data(), nullptr,
                                nullptr, foreground ? FALSE : TRUE, flags | extra, nullptr,
                                folder.empty() ? nullptr : folder.c_str(), &startup.StartupInfo, &info);
    };
    // When FAR itself runs in a job, the child leaves it if that job allows, so that it can be in
    // ours (Windows 7 has no nested jobs) or, detached, outlive FAR's; a job that forbids leaving
    // refuses the flag, and the child then starts inside it.
    if (!create(CREATE_BREAKAWAY_FROM_JOB) && (::GetLastError() != ERROR_ACCESS_DENIED || !create(0))) {
        error = describe(program, ::GetLastError());
        return nullptr;
    }
    state->process = UniqueHandle(info.hProcess);
    UniqueHandle thread(info.hThread);
    state->pid = info.dwProcessId;
    // A child held in FAR's job on Windows 7 cannot join ours: it runs without one, and terminate()
    // ends the child alone (the header's contract names this case).
    if (state->job.valid() && !::AssignProcessToJobObject(state->job.get(), info.hProcess)) state->job.reset();
    if (flags & CREATE_SUSPENDED) ::ResumeThread(thread.get());
    // Our copies of the child's ends go now (ChildHandles' destructor): the pipes then report
    // their end when the child, and whatever it started, has closed them.
    return std::unique_ptr<Process>(new Process(std::move(state)));
}

Process::Process(std::unique_ptr<State> state) : state_(std::move(state)) {}

Process::~Process() {
    if (!state_->status && !state_->detached) terminate();
}

int Process::pid() const { return static_cast<int>(state_->pid); }
bool Process::hasOutputPipe() const { return state_->outRead.valid(); }
bool Process::hasErrorPipe() const { return state_->errRead.valid(); }

std::optional<ExitStatus> Process::State::reapNow(DWORD waitMs) {
    if (status || detached) return status;
    const DWORD waited = ::WaitForSingleObject(process.get(), waitMs);
    if (waited == WAIT_TIMEOUT) return std::nullopt;
    DWORD code = 0;
    ExitStatus s;
    // WAIT_FAILED: the handle no longer names a process we can wait on; it has ended for us.
    s.exited = waited == WAIT_OBJECT_0 && ::GetExitCodeProcess(process.get(), &code) != 0;
    s.code = static_cast<int>(code);
    status = s;
    return status;
}

std::optional<ExitStatus> Process::waitFor(std::chrono::milliseconds timeout) {
    return state_->reapNow(clampMs(timeout));
}

ExitStatus Process::waitUntilEnded() {
    while (!state_->reapNow(INFINITE) && !state_->detached) {
    }
    return state_->status.value_or(ExitStatus{});
}

bool Process::waitForEvent(std::chrono::milliseconds timeout) {
    // Once the child has ended only its pipes can have news: something it started may still hold
    // them, and answering "ended" again and again would make the caller spin.
    const bool ended = state_->reapNow().has_value();
    if (!state_->outRead.valid() && !state_->errRead.valid()) return ended || waitFor(timeout).has_value();
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (pipeHasNews(state_->outRead) || pipeHasNews(state_->errRead)) return true;
        const DWORD left = remainingMs(deadline);
        const DWORD step = std::min(left, kPipeLookMs);
        if (!ended && state_->reapNow(step)) return true;
        if (ended) ::Sleep(step);
        if (left == 0) return false;
    }
}

ReadState Process::readOutput(std::string& out, size_t maxBytes) { return readPipe(state_->outRead, out, maxBytes); }

ReadState Process::readError(std::string& out, size_t maxBytes) { return readPipe(state_->errRead, out, maxBytes); }

ExitStatus Process::terminate() {
    if (!state_->status && !state_->detached) {
        // The job, not only the child: whatever it started ends with it.
        if (!state_->job.valid() || !::TerminateJobObject(state_->job.get(), kTerminatedCode))
            ::TerminateProcess(state_->process.get(), kTerminatedCode);
        ::WaitForSingleObject(state_->process.get(), INFINITE);
        DWORD code = kTerminatedCode;
        ::GetExitCodeProcess(state_->process.get(), &code);
        state_->status = ExitStatus{.exited = false, .code = static_cast<int>(code), .signal = 0};
    }
    return state_->status.value_or(ExitStatus{});
}

void Process::detach() {
    if (state_->status || state_->detached) return;
    state_->detached = true;
    // Closing a kill-on-close job would end the child: the limit goes first. The system keeps an
    // ended process's record only while a handle names it, so closing ours leaves nothing behind.
    if (state_->job.valid()) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        // Should the limit stay, the job's handle is left open for the rest of our life rather
        // than closed: the child must outlive us as asked, and one handle is the price.
        if (!::SetInformationJobObject(state_->job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
            state_->job.release();
    }
    state_->job.reset();
    state_->process.reset();
    state_->outRead.reset();
    state_->errRead.reset();
}

}  // namespace skimmer::os
