#include "engines/l32_engine.h"

#include <algorithm>
#include <chrono>

#include "config/catalogue.h"
#include "engines/hit_fields.h"
#include "engines/locate_database.h"
#include "engines/locate_run.h"
#include "os/file_info.h"
#include "os/locate_program.h"
#include "os/text_border.h"

namespace skimmer::engines {
namespace {

using SteadyClock = std::chrono::steady_clock;

void fillHit(std::string_view line, results::TSearchResult& r) {
    r = results::TSearchResult{};
    r.Name = NamePart(line);
    r.Url = line;
    r.Path = line;
    r.PathW = line;
    r.Title = line;
    r.NameW = line;
    r.Folder = FolderPart(line);
    r.FolderW = r.Folder;
    r.Target = r.Folder;
    r.Size = HitFileSize(r.Path);
}

// Keeps the first line of standard error, drains and drops the rest so the child never blocks on it.
void drainErrors(TLocateRun& run) {
    std::string got;
    while (run.Process->readError(got, 4096) == os::ReadState::Data) {
        run.ErrorOutput = true;
        if (!run.ErrorLineDone) {
            const size_t end = got.find('\n');
            run.FirstError.append(got, 0, std::min(end, kL32ErrorKeepBytes - std::min(kL32ErrorKeepBytes, run.FirstError.size())));
            if (end != std::string::npos || run.FirstError.size() >= kL32ErrorKeepBytes) run.ErrorLineDone = true;
        }
        got.clear();
    }
}

// Message 165 with the program's own line: what the user is shown when `locate` failed.
EngineStatus locateError(const TEngineEnvironment& env, std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    std::string text = env.GetMsg ? env.GetMsg(kMsgLocateError) : std::string();
    if (!line.empty()) text += (text.empty() ? "" : " ") + line;
    return EngineStatus::saying(std::move(text));
}

struct Batch {
    results::TSearchResults& results;
    TLocateRun& run;
    const TEngineEnvironment& env;
    bool refused = false;  // the output began with "Error:"
    EngineStatus said;     // what the refusal says

    // A line of the full run: a hit unless the limited run gave it already.
    void add(std::string_view line) {
        if (!run.Shown.empty()) {
            const auto shown = run.Shown.find(std::string(line));
            if (shown != run.Shown.end()) {
                if (--shown->second == 0) run.Shown.erase(shown);
                return;
            }
        }
        take(line, false);
    }
    // A line of the limited run: a hit, remembered so that the full run's copy is dropped.
    void addFirst(std::string_view line) { take(line, true); }

private:
    void take(std::string_view line, bool first) {
        if (refused) return;
        if (!run.SawFirstLine) {
            run.SawFirstLine = true;
            if (line.starts_with("Error:")) {
                refused = true;
                said = locateError(env, std::string(line));
                return;
            }
        }
        if (!IsLocateHitLine(line)) return;
        if (first) ++run.Shown[std::string(line)];
        fillHit(os::oemToAnsi(line), results.Items[static_cast<size_t>(results.Count)]);
        ++results.Count;
        ++run.Paths;
    }
};

// One piece of the limited run's output into the batch; at its end the run is closed (the full
// run takes over). Whether anything came.
bool takeFirstHits(TLocateRun& run, Batch& batch) {
    std::string piece;
    const os::ReadState state = run.FirstHits->Process->readOutput(piece, kL32PieceBytes);
    if (state == os::ReadState::Data) {
        run.FirstHits->Lines.feed(piece, [&](std::string_view line) { batch.addFirst(line); });
        return true;
    }
    if (state == os::ReadState::Nothing) return false;
    run.FirstHits->Lines.finish([&](std::string_view line) { batch.addFirst(line); });
    run.FirstHits.reset();  // ended: reaped here, its status is the full run's to tell
    return true;
}

// The limited run beside the full one, where the program takes a limit; none when it cannot
// start (the full run alone then brings every hit).
std::unique_ptr<TFirstHitsRun> startFirstHits(const std::string& program, const std::vector<std::string>& words) {
    auto argv = os::locateFirstHitsArguments(program, words, kL32FirstHits);
    if (!argv) return nullptr;
    std::string error;
    auto child = os::Process::start(os::LaunchSpec{.argv = std::move(*argv), .captureStdout = true}, error);
    if (!child) return nullptr;
    auto run = std::make_unique<TFirstHitsRun>();
    run->Process = std::move(child);
    return run;
}

// Starts the full run; false with `error` when it cannot be started.
bool startFull(TLocateRun& run, std::string& error) {
    run.Process = os::Process::start(
        os::LaunchSpec{.argv = run.FullArguments, .captureStdout = true, .captureStderr = true}, error);
    return run.Process != nullptr;
}

// Waits at most `wait` for output: the limited run's while it lasts, with a look at the full run's
// every kL32FirstHitsLook once that runs too (a child's events are waited for one child at a time).
void awaitOutput(TLocateRun& run, SteadyClock::duration wait) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::max(wait, SteadyClock::duration::zero())) +
                    std::chrono::milliseconds(1);
    if (!run.FirstHits) run.Process->waitForEvent(ms);
    else run.FirstHits->Process->waitForEvent(run.Process ? std::min(ms, kL32FirstHitsLook) : ms);
}

// Whether a run that ended with `status` failed. Exit code 1 with a silent standard error is
// plocate's and mlocate's "nothing matched" (every typo, every half-typed word): no error box.
bool runFailed(const os::ExitStatus& status, const TLocateRun& run) {
    if (status.success() || run.Paths > 0) return false;
    return !(status.exited && status.code == kLocateNoMatchExit && !run.ErrorOutput);
}

// After its output has ended the program's exit status and first error line decide whether it
// failed. They normally follow at once; a program that closed its output and runs on is given
// kL32ExitGrace, then the search ends without them (L32EndQuery stops the program).
}  // namespace

EngineStatus L32Engine::settle(results::TSearchResults& Results, SteadyClock::time_point deadline) {
    TLocateRun& run = *run_;
    for (;;) {
        drainErrors(run);
        const std::optional<os::ExitStatus> status = run.Process->waitFor(std::chrono::milliseconds(0));
        const bool errorsDone = !run.Process->hasErrorPipe() || run.ErrorLineDone;
        const auto now = SteadyClock::now();
        if ((status && errorsDone) || now - run.OutputEndedAt >= kL32ExitGrace) {
            run.Finished = true;
            Results.Finished = true;
            if (status && runFailed(*status, run)) return locateError(env_, run.FirstError);
            return {};
        }
        const auto until = std::min(deadline, run.OutputEndedAt + kL32ExitGrace);
        if (now >= until) return {};  // not yet: asked again by the next fetch
        run.Process->waitForEvent(std::chrono::duration_cast<std::chrono::milliseconds>(until - now) +
                                  std::chrono::milliseconds(1));
    }
}

std::string LocateProgramPath(const TEngineEnvironment& env) {
    // A table without the setting (one set up before the catalogue) means no folder: the PATH.
    const std::string folder = env.Config ? config::setting::kLocate32Path.find(*env.Config).value_or("") : std::string();
    return os::locateProgramIn(folder);
}

std::vector<std::string> LocateWords(std::string_view Text) {
    std::vector<std::string> words;
    size_t pos = 0;
    while (pos < Text.size()) {
        const size_t start = Text.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        const size_t end = std::min(Text.find(' ', start), Text.size());
        words.emplace_back(Text.substr(start, end - start));
        pos = end;
    }
    return words;
}

std::vector<std::string> LocateArguments(const std::string& program, std::string_view Text) {
    return os::locateSearchArguments(program, LocateWords(Text));
}

L32Engine::L32Engine(TEngineEnvironment env) : SearchEngine(std::move(env)) {}
L32Engine::~L32Engine() = default;

EngineStatus L32Engine::open() {
    if (!os::pathExists(LocateProgramPath(env_))) return EngineStatus::quiet(kLocateMissing);
    ready_ = true;
    return {};
}

EngineStatus L32Engine::close() {
    // There is no COM to end; a query still open is ended here so no child outlives its engine.
    run_.reset();
    return {};
}

EngineStatus L32Engine::query(std::string_view text, std::string_view /*kind: locate has none*/) {
    if (!ready_) return EngineStatus::shownCode(kEngineNotReady);
    run_ = std::make_unique<TLocateRun>();
    const std::vector<std::string> words = LocateWords(os::oemToAnsi(text));
    if (words.empty()) return {};  // nothing to look for: the first fetch ends the search
    const std::string program = LocateProgramPath(env_);
    run_->FullArguments = os::locateSearchArguments(program, words);
    run_->FirstHits = startFirstHits(program, words);
    if (run_->FirstHits) {
        // The full run waits: beside it the limited one would get half the processor.
        run_->StartFullBy = SteadyClock::now() + kL32FullRunAfter;
        return {};
    }
    std::string error;
    if (!startFull(*run_, error)) {
        run_.reset();
        return EngineStatus::shownCode(kEngineCannotStart, error);
    }
    return {};
}

EngineStatus L32Engine::fetch(results::TSearchResults& Results) {
    Results.Count = 0;
    Results.Finished = false;
    TLocateRun* run = run_.get();
    if (!run || (!run->Process && !run->FirstHits) || run->Finished) {
        Results.Finished = true;
        return {};
    }
    const auto deadline = SteadyClock::now() + env_.PollStep;
    if (run->OutputEnded) return settle(Results, deadline);
    Batch batch{Results, *run, env_};
    for (;;) {
        const bool firstCame = run->FirstHits && takeFirstHits(*run, batch);
        if (!run->Process && (!run->FirstHits || SteadyClock::now() >= run->StartFullBy)) {
            std::string error;
            if (!startFull(*run, error)) {
                run->FirstHits.reset();
                run->Finished = true;
                Results.Finished = true;
                return EngineStatus::shownCode(kEngineCannotStart, error);
            }
        }
        os::ReadState state = os::ReadState::Nothing;
        std::string piece;
        if (run->Process) {
            drainErrors(*run);
            state = run->Process->readOutput(piece, kL32PieceBytes);
        }
        // The full run has begun to print: it brings every hit from here, the limited run no more.
        if (state != os::ReadState::Nothing) run->FirstHits.reset();
        if (state == os::ReadState::Data) {
            run->Lines.feed(piece, [&](std::string_view line) { batch.add(line); });
        } else if (state == os::ReadState::EndOfFile || state == os::ReadState::Error) {
            // The text after the last line end is the last line: the program will add nothing to it.
            run->Lines.finish([&](std::string_view line) { batch.add(line); });
            run->OutputEnded = true;
            run->OutputEndedAt = SteadyClock::now();
        }
        if (batch.refused) {
            run->Finished = true;
            Results.Count = 0;
            Results.Finished = true;
            return batch.said;
        }
        if (run->OutputEnded) return settle(Results, deadline);
        if (Results.Count > 0) return {};  // one piece's complete lines are one batch
        if (state == os::ReadState::Data || firstCame) continue;  // a piece without a line end: read on
        const auto now = SteadyClock::now();
        if (now >= deadline) return {};  // nothing yet: the caller looks for a newer text and asks again
        awaitOutput(*run, std::min(deadline, run->Process ? deadline : run->StartFullBy) - now);
    }
}

void L32Engine::endQuery() {
    // Destroying the run kills the child's process group if it still runs and reaps it; its pipes close.
    run_.reset();
}

int32_t L32Init(L32Engine& Engine) { return DeliverStatus(Engine.env(), Engine.open()); }
int32_t L32Done(L32Engine& Engine) { return DeliverStatus(Engine.env(), Engine.close()); }
int32_t L32Query(L32Engine& Engine, std::string_view Text, std::string_view Kind) {
    return DeliverStatus(Engine.env(), Engine.query(Text, Kind));
}
int32_t L32Fetch(L32Engine& Engine, results::TSearchResults& Results) {
    return DeliverStatus(Engine.env(), Engine.fetch(Results));
}
void L32EndQuery(L32Engine& Engine) { Engine.endQuery(); }

std::string RunAndCapture(const std::vector<std::string>& argv, std::chrono::milliseconds limit, size_t maxBytes) {
    std::string error;
    auto child = os::Process::start(os::LaunchSpec{.argv = argv, .captureStdout = true, .captureStderr = true}, error);
    if (!child) return {};
    std::string out;
    const auto deadline = SteadyClock::now() + limit;
    while (out.size() < maxBytes) {
        const os::ReadState state = child->readOutput(out, std::min(kL32PieceBytes, maxBytes - out.size()));
        std::string ignored;
        child->readError(ignored, kL32ErrorReadBytes);  // drained and dropped, one piece per look
        if (state == os::ReadState::EndOfFile || state == os::ReadState::Error) break;
        const auto now = SteadyClock::now();
        if (now >= deadline) break;
        if (state == os::ReadState::Nothing)
            child->waitForEvent(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) +
                                std::chrono::milliseconds(1));
    }
    // Whatever the program still does is not waited for: the destructor kills its group and reaps it.
    return os::oemToAnsi(out);
}

void L32GetInfo(const TEngineEnvironment& env, TL32Info& Info) {
    const std::string usage = RunAndCapture(os::locateVersionArguments(LocateProgramPath(env)), kL32VersionWait, kL32VersionBytes);
    Info.Version = usage.substr(0, usage.find_first_of("\r\n"));
    Info.ItemCount = 0;
    Info.DatabaseSize = 0;
    std::vector<std::filesystem::path> files;
    constexpr const char* kDatabasesKey = "Software\\Update\\Databases";
    if (auto key = env.Registry ? env.Registry->openKey(kDatabasesKey) : nullptr) {
        for (const std::string& name : key->subkeys()) {
            auto sub = env.Registry->openKey(platform::joinKeyPath(kDatabasesKey, name));
            if (!sub) continue;
            if (auto archive = sub->readString("ArchiveName")) files.emplace_back(*archive);
        }
    } else {
        files = env.SystemLocateDatabases;
    }
    int64_t count = 0, bytes = 0;
    for (const auto& file : files) {
        LocateDbFacts facts;
        std::string why;
        // Absent or unreadable (the system's database is readable by the plocate group only):
        // it counts as none, and the others still count.
        if (!ReadLocateDbFile(file, facts, why)) continue;
        count += facts.entries;
        bytes += facts.bytes;
    }
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    Info.ItemCount = static_cast<int32_t>(std::min(count, kMax));
    Info.DatabaseSize = static_cast<int32_t>(std::min(bytes, kMax));
}

}  // namespace skimmer::engines
