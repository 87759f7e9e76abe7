// The locate engine: the system's `locate` program (plocate or mlocate) in "ESKSLocate32Path" runs
// for the typed text, and each complete line of its output becomes a hit.
//
// Contract:
// - The program gets an argument vector, never a shell: the program, the system's options
//   (os/locate_program.h: "-i", "--" for `locate`, none for `Locate.exe`), then the typed text
//   split at blanks (runs of blanks give no empty arguments). Every byte of a word reaches it as
//   typed. A text of blanks only starts nothing: its first fetch reports Finished with no hits.
// - Its standard output is read through a non-blocking pipe in pieces of at most kL32PieceBytes;
//   the complete lines of each piece (ended by LF or CR LF) are one batch, a line split across
//   pieces is completed by the next one, and the text after the last line end when the output
//   ends becomes the last hit. Blank lines, lines holding a NUL (no path can) and lines that are
//   not an absolute path with a name (IsLocateHitLine: "/", "//", blanks, a relative line) give
//   no hit; bytes that are not UTF-8 are kept as they are. A line longer than kL32MaxLineBytes is
//   dropped, so a program that never prints a line end costs bounded memory.
// - Its standard error goes to a pipe of its own, drained as it comes; only the first line is kept.
//   When the program ends with an error and printed no path, that line is shown with message 165
//   and the search ends with no hits. An output that begins with "Error:" is shown the same way.
//   Exit code 1 with nothing on standard error is not an error: it is how plocate and mlocate say
//   that no name matched, and the search ends with no hits and nothing shown.
// - Where the program takes a limit (os/locate_program.h), the same search stopped after
//   kL32FirstHits hits runs first, and its hits make the first batches: a locate writing into a
//   pipe shows nothing until its output buffer fills or it ends. The full run starts when the
//   limited one ends (at the latest kL32FullRunAfter after it started); its output follows with
//   the lines already given dropped (each once), so every hit comes exactly once. The limited run
//   is killed as soon as the full run prints; its exit status and standard error are not looked
//   at (the full run reports errors, and a full run that cannot start is code 71 of a fetch).
// - A fetch never blocks for good: it waits for output at most Env.PollStep and then returns
//   (Count 0, Finished false) so that the caller can look for a newer text or a close; it reports
//   Finished once the output has ended. endQuery kills a program that still runs and reaps it.
// - L32Engine is the SearchEngine over `locate`; L32Init, L32Query, L32Fetch, L32EndQuery and
//   L32Done are its operations under their own names (they show what the status carries through
//   Env.ShowErrorText and return its code).
// - Codes: open 1 when the program file does not exist (nothing shown); query 50 (not ready) and
//   71 (cannot start) shown. The program's own error (message 165) is a fetch's text to show,
//   with code 0: the run has ended, Finished and no hits.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <memory>

#include "engines/search_engine.h"
#include "results/search_result.h"

namespace skimmer::engines {

struct TLocateRun;  // the running `locate` child and its pipes (locate_run.h)

constexpr size_t kL32PieceBytes = 2400;
// Hits the limited run that starts beside the full one brings (locate_run.h, TFirstHitsRun): as
// few as fill a first batch, so that it ends as early as possible.
constexpr size_t kL32FirstHits = 5;
// The full run starts when the limited one has ended, or this long after it started: run side by
// side on a machine of few processors, each would slow the other.
constexpr std::chrono::milliseconds kL32FullRunAfter{100};
// How often the full run's output is looked at while the limited run's is awaited.
constexpr std::chrono::milliseconds kL32FirstHitsLook{5};
constexpr size_t kL32MaxLineBytes = 65536;
static_assert(kL32MaxLineBytes > kL32PieceBytes);
// A piece's lines (at least two bytes each) plus the line carried into it always fit one batch.
static_assert(kL32PieceBytes / 2 + 1 < static_cast<size_t>(results::kSearchResultSlots));

// The program in the folder "ESKSLocate32Path" names (os/locate_program.h: `locate` on Linux,
// `Locate.exe` on Windows).
std::string LocateProgramPath(const TEngineEnvironment& env);

// The typed text split at blanks; runs of blanks give no empty word.
std::vector<std::string> LocateWords(std::string_view Text);

// The argument vector for a text: the system's search arguments for its words
// ({program, "-i", "--", words...} on Linux, {program, words...} on Windows).
std::vector<std::string> LocateArguments(const std::string& program, std::string_view Text);

class L32Engine final : public SearchEngine {
public:
    explicit L32Engine(TEngineEnvironment env = {});
    ~L32Engine() override;

    EngineChoice choice() const override { return EngineChoice::Locate32; }
    EngineStatus open() override;
    EngineStatus query(std::string_view text, std::string_view kind) override;
    EngineStatus fetch(results::TSearchResults& batch) override;
    void endQuery() override;
    EngineStatus close() override;

    // The run of the current query, or null (none asked for, or ended).
    const TLocateRun* run() const { return run_.get(); }

private:
    EngineStatus settle(results::TSearchResults& batch, std::chrono::steady_clock::time_point deadline);

    std::unique_ptr<TLocateRun> run_;
};

int32_t L32Init(L32Engine& Engine);
int32_t L32Done(L32Engine& Engine);
int32_t L32Query(L32Engine& Engine, std::string_view Text, std::string_view Kind);
int32_t L32Fetch(L32Engine& Engine, results::TSearchResults& Results);
void L32EndQuery(L32Engine& Engine);

// How long the About box may wait for `locate --version`, and how much of its output it reads:
// the box is drawn on the UI thread, so a program that hangs or floods must not hold it.
constexpr std::chrono::milliseconds kL32VersionWait{500};
constexpr size_t kL32VersionBytes = 4096;
static_assert(kL32VersionWait < std::chrono::seconds(1) && kL32VersionBytes >= 256);

// Version: the first line of `locate --version` or `Locate.exe /?` (RunAndCapture with kL32VersionWait and
// kL32VersionBytes). Databases: those named by "ArchiveName" under the subkeys of
// "Software\Update\Databases" when that key exists, else Env.SystemLocateDatabases. Count and size
// from each file's own header (locate_database.h). A database that is absent or cannot be read
// counts as none, silently: the system's own is readable by the plocate group only (`locate` is
// set-group-id to read it), so that we cannot read it is no fault of anything the user can mend.
void L32GetInfo(const TEngineEnvironment& env, TL32Info& Info);

// Runs `argv` (no shell) and returns its standard output; stderr is drained and dropped. Reads
// while it waits, so a program whose output does not fit the pipe never stalls. Stops once it has
// `maxBytes` or after `limit`, whichever comes first, and then kills the child and reaps it
// without waiting for it to end. Empty when it cannot be started.
std::string RunAndCapture(const std::vector<std::string>& argv, std::chrono::milliseconds limit, size_t maxBytes);

}  // namespace skimmer::engines
